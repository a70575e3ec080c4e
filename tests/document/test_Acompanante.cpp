#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "document/Acompanante.h"
#include "document/UData.h"
#include "platform/Archivos.h"
#include "support/ArchivosMemoria.h"
#include "support/AvisosRecogidos.h"

using namespace koral;
using prueba::ArchivosMemoria;
using prueba::AvisosRecogidos;

namespace {

const std::string kEmpresa = "/datos/Talleres.kr2";
const std::string kRuta = "/datos/Talleres.koral.json";

class Acompanante : public ::testing::Test {
protected:
    Acompanante() : doc(avisos.sumidero()) {
        fs.carpetas.insert("/datos");
        fs.archivos[kEmpresa] = "E0 0 0 0 Talleres\r\n";
        doc.archivo = kEmpresa;
    }
    ArchivosMemoria fs;
    AvisosRecogidos avisos;
    TKoral doc;
};

TEST_F(Acompanante, LivesBesideTheCompanyOrTheFileItsLinkPointsTo) {
    EXPECT_EQ(rutaAcompanante(kEmpresa), kRuta);
    EXPECT_EQ(rutaAcompanante("Talleres"), "Talleres.koral.json");
    EXPECT_EQ(rutaAcompanante("/a.b/Talleres"), "/a.b/Talleres.koral.json");
    fs.enlaces["/enlaces/T.kr2"] = kEmpresa;
    EXPECT_EQ(rutaAcompanante("/enlaces/T.kr2"), kRuta);
}

TEST_F(Acompanante, RoundTripKeepsWhatThisVersionDoesNotKnow) {
    fs.archivos[kRuta] = R"({"version": 1, "futuro": {"a": [1, "ñ"]}, "evaluacion": {"x": 2}})";
    TAcompanante a;
    a.leer(doc);
    EXPECT_TRUE(avisos.mensajes.empty());
    EXPECT_EQ(a.seccion("evaluacion"), R"({"x":2})");
    EXPECT_EQ(a.seccion("medidas"), "");
    a.ponerSeccion("medidas", R"([{"medida": "Pausas"}])");
    a.quitarSeccion("evaluacion");
    EXPECT_THROW(a.ponerSeccion("otra", "{roto"), std::invalid_argument);
    EXPECT_THROW(a.ponerSeccion("version", "2"), std::invalid_argument);
    EXPECT_TRUE(a.guardar(doc));

    TAcompanante b;
    b.leer(doc);
    EXPECT_TRUE(avisos.mensajes.empty());
    EXPECT_EQ(b.seccion("futuro"), R"({"a":[1,"ñ"]})");
    EXPECT_EQ(b.seccion("medidas"), R"([{"medida":"Pausas"}])");
    EXPECT_EQ(b.seccion("evaluacion"), "");
    EXPECT_EQ(b.seccion("otra"), "");
    EXPECT_EQ(b.seccion("version"), "1");
}

TEST_F(Acompanante, EmptyMakesNoFileButEmptyingOneThatWasReadSticks) {
    TAcompanante a;
    a.leer(doc);
    EXPECT_TRUE(a.vacio());
    EXPECT_FALSE(a.guardar(doc));
    EXPECT_FALSE(fs.existe(kRuta));

    fs.archivos[kRuta] = R"({"version": 1, "medidas": []})";
    a.leer(doc);
    a.quitarSeccion("medidas");
    EXPECT_TRUE(a.guardar(doc));
    a.leer(doc);
    EXPECT_TRUE(a.vacio());
}

TEST_F(Acompanante, UnreadableDamagedOrNewerFileIsToldAndKeptUntilConfirmed) {
    const std::string damaged[] = {
        "{",
        "[1]",
        R"({"version": "1"})",
        R"({"datos": 1})",
        R"({"version": 0})",
        "{\"version\": 1, \"t\": \"\xF1\"}",
        R"({"version": 1, "x": )" + std::string(300, '[') + std::string(300, ']') + "}",
        R"({"version": 2, "nuevo": true})",
        ""};
    for (const std::string& contenido : damaged) {
        SCOPED_TRACE(contenido.substr(0, 40));
        fs.archivos[kRuta] = contenido;
        fs.fallarAlLeer = contenido.empty();
        avisos.mensajes.clear();
        TAcompanante a;
        a.leer(doc);
        ASSERT_EQ(avisos.mensajes.size(), 1u);
        EXPECT_TRUE(a.protegido());
        a.ponerSeccion("medidas", "[]");
        EXPECT_FALSE(a.guardar(doc));
        EXPECT_EQ(fs.archivos[kRuta], contenido);
        a.permitirSobrescribir();
        fs.fallarAlLeer = false;
        EXPECT_TRUE(a.guardar(doc));
        a.leer(doc);
        EXPECT_EQ(a.seccion("medidas"), "[]");
    }
    fs.archivos[kRuta] = R"({"version": 2})";
    TAcompanante a;
    a.leer(doc);
    EXPECT_EQ(avisos.mensajes.back(),
              "El archivo complementario /datos/Talleres.koral.json es de una versión posterior "
              "del programa. La empresa se abre sin sus datos, y ese archivo no se modificará "
              "mientras no se confirme.");
}

TEST_F(Acompanante, FailedWriteLeavesThePreviousFileWhole) {
    const std::string antes = R"({"version": 1, "medidas": []})";
    fs.archivos[kRuta] = antes;
    TAcompanante a;
    a.leer(doc);
    a.ponerSeccion("evaluacion", R"({"centro": "Planta 2"})");
    for (int fallo = 0; fallo < 3; ++fallo) {
        SCOPED_TRACE(fallo);
        fs.fallarTrasBytes = fallo == 0 ? 10 : -1;
        fs.fallarAlTerminar = fallo == 1;
        fs.fallarTodoRenombre = fallo == 2;
        EXPECT_THROW(a.guardar(doc), ErrorArchivo);
        EXPECT_EQ(fs.archivos.size(), 2u);
        EXPECT_EQ(fs.archivos[kRuta], antes);
    }
}

TEST(AcompananteDisco, TakesTheCompanysPermissions) {
    namespace fsys = std::filesystem;
    const fsys::path dir =
        fsys::temp_directory_path() / ("koral_acomp_" + std::to_string(::getpid()));
    fsys::create_directories(dir);
    TKoral doc;
    doc.archivo = (dir / "Talleres.kr2").string();
    std::ofstream(doc.archivo) << "E0 0 0 0 Talleres\r\n";
    ::chmod(doc.archivo.c_str(), 0600);
    const mode_t antes = ::umask(022);
    TAcompanante a;
    a.leer(doc);
    a.ponerSeccion("medidas", "[]");
    const bool escrito = a.guardar(doc);
    ::umask(antes);
    struct stat st {};
    const bool hay = ::stat(rutaAcompanante(doc.archivo).c_str(), &st) == 0;
    fsys::remove_all(dir);
    EXPECT_TRUE(escrito);
    ASSERT_TRUE(hay);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

}  // namespace
