#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "exchange/Exportar.h"
#include "exchange/Importar.h"
#include "method/Puntuacion.h"
#include "support/ArchivosMemoria.h"
#include "support/AvisosRecogidos.h"
#include "support/EntradaGoteo.h"

using namespace koral;
using prueba::ArchivosMemoria;
using prueba::AvisosRecogidos;

namespace {

std::string respuestas(const TCuestionario& q) {
    return {q.respuestas.begin(), q.respuestas.end()};
}

std::string grupos(const TCuestionario& q) {
    std::string s;
    for (const TGrupo* g : q.grupos) s += (s.empty() ? "" : "|") + g->nombre;
    return s;
}

std::string conComas(const std::string& r) {
    std::string s;
    for (char c : r) s += std::string(",") + c;
    return s;
}

std::string resumen(const TKoral& d) {
    std::string s;
    for (const auto& c : d.cuestionarios)
        s += c->nombre + "/" + grupos(*c) + "/" + respuestas(*c) + "\n";
    return s;
}

struct Intercambio : ::testing::Test {
    // Imports `contenido` as a file; returns the log. Every import is made
    // a second time read a piece at a time, as the command does, and must
    // log and import the same.
    std::vector<std::string> importar(const std::string& contenido) {
        fs.archivos["/d/datos.txt"] = contenido;
        std::vector<std::string> log;
        ProcesaArchivo(doc, "/d/datos.txt",
                       [&](const std::string& l) { log.push_back(cp1252AUtf8(l)); });
        std::vector<std::string> logTrozos;
        prueba::EntradaGoteo goteo(contenido);
        importarEntrada(porTrozos, "/d/datos.txt", goteo,
                        [&](const std::string& l) { logTrozos.push_back(cp1252AUtf8(l)); });
        EXPECT_EQ(logTrozos, log);
        EXPECT_EQ(resumen(porTrozos), resumen(doc));
        return log;
    }
    // The log lines between the opening and closing ones.
    std::vector<std::string> errores(const std::string& contenido) {
        auto log = importar(contenido);
        EXPECT_GE(log.size(), 2u);
        EXPECT_EQ(log.front(), "Procesando el archivo /d/datos.txt");
        EXPECT_EQ(log.back(), "Archivo /d/datos.txt procesado");
        return {log.begin() + 1, log.end() - 1};
    }
    TCuestionario& q(std::size_t i) { return *doc.cuestionarios.at(i); }
    AvisosRecogidos avisos;
    ArchivosMemoria fs;
    TKoral doc{avisos.sumidero()};
    TKoral porTrozos;
};

}  // namespace

TEST_F(Intercambio, ExportWritesOneLinePerQuestionnaireInListOrder) {
    TGrupo* taller = doc.agregarGrupo("Taller");
    TGrupo* oficina = doc.agregarGrupo("Oficina");
    doc.agregarGrupo("Sin miembros");
    TCuestionario* a = doc.agregarCuestionario("C000001");
    enlazar(*a, *taller);
    enlazar(*a, *oficina);
    a->respuestas.fill('1');
    doc.agregarCuestionario("Nunca \"contestado\", con coma");
    doc.modificado = false;
    exportarDatos(doc, "/d/salida.txt");
    EXPECT_EQ(fs.archivos.at("/d/salida.txt"),
              "\"C000001\",\"Taller\",\"Oficina\"" + conComas(std::string(75, '1')) + "\r\n" +
                  "\"Nunca \"contestado\", con coma\"" + conComas(std::string(75, '0')) + "\r\n");
    EXPECT_FALSE(doc.modificado);
}

TEST_F(Intercambio, ExportOfNoQuestionnairesIsAnEmptyFileReplacingAnyOther) {
    fs.archivos["/d/salida.txt"] = "antiguo";
    exportarDatos(doc, "/d/salida.txt");
    EXPECT_EQ(fs.archivos.at("/d/salida.txt"), "");
}

TEST_F(Intercambio, ExportFailureLeavesTheOldFileAndNoPartOfTheNew) {
    for (int i = 0; i < 3; ++i) doc.agregarCuestionario("Q" + std::to_string(i));
    fs.archivos["/d/salida.txt"] = "anterior";
    fs.fallarTrasBytes = 10;
    EXPECT_THROW(exportarDatos(doc, "/d/salida.txt"), ErrorArchivo);
    EXPECT_EQ(fs.archivos.at("/d/salida.txt"), "anterior");
    EXPECT_EQ(fs.archivos.size(), 1u);
}

TEST(NombreExportacion, ProposesTheFileNameWithTxt) {
    EXPECT_EQ(nombreExportacion("/datos/talleres.kr2"), "talleres.TXT");
    EXPECT_EQ(nombreExportacion("/datos.2026/talleres"), "talleres.TXT");
    EXPECT_EQ(nombreExportacion("a.b.kr2"), "a.b.TXT");
    EXPECT_EQ(nombreExportacion(""), ".TXT");
}

TEST(LeeElemento, ClassifiesAndConsumesOnlyElements) {
    const std::string_view l = " ,\"Ana\",, 12\"\"x";
    std::size_t p = 0;
    Elemento e = LeeElemento(l, p);
    EXPECT_EQ(e.tipo, Elemento::Texto);
    EXPECT_EQ(e.texto, "Ana");
    e = LeeElemento(l, p);
    EXPECT_EQ(e.tipo, Elemento::Digito);
    EXPECT_EQ(e.texto, "1");
    EXPECT_EQ(LeeElemento(l, p).texto, "2");
    e = LeeElemento(l, p);
    EXPECT_EQ(e.tipo, Elemento::Texto);
    EXPECT_EQ(e.texto, "");
    const std::size_t antes = p;
    EXPECT_EQ(LeeElemento(l, p).tipo, Elemento::Ninguno);
    EXPECT_EQ(LeeElemento(l, p).tipo, Elemento::Ninguno);
    EXPECT_EQ(p, antes);
    std::size_t q = 0;
    e = LeeElemento("\"sin cierre, 1 2", q);
    EXPECT_EQ(e.texto, "sin cierre, 1 2");
    EXPECT_EQ(q, 16u);
    EXPECT_EQ(LeeElemento("\"sin cierre, 1 2", q).tipo, Elemento::Ninguno);
    std::size_t r = 0;
    EXPECT_EQ(LeeElemento("", r).tipo, Elemento::Ninguno);
    EXPECT_EQ(LeeElemento("\t1", r).tipo, Elemento::Ninguno);
}

TEST_F(Intercambio, AnswersMayBeWrittenAnyWay) {
    EXPECT_TRUE(errores("\"A\",1,2,3\n\"B\" 1 2 3\n\"C\"123\n\"D\",10\n").empty());
    ASSERT_EQ(doc.cuestionarios.size(), 4u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(respuestas(q(i)).substr(0, 4), "1230") << i;
    EXPECT_EQ(respuestas(q(3)).substr(0, 3), "100");
}

TEST_F(Intercambio, WhatStopsTheAnswers) {
    errores("\"Tab\"\t\"G\",1,2\n\"Letra\",1,2,x,3\n\"Signo\",1,-2\n\"Texto\",\"G\",1,\"no\",3\n");
    EXPECT_EQ(respuestas(q(0)), std::string(75, '0'));
    EXPECT_TRUE(q(0).grupos.empty());
    EXPECT_EQ(respuestas(q(1)).substr(0, 4), "1200");
    EXPECT_EQ(respuestas(q(2)).substr(0, 2), "10");
    EXPECT_EQ(respuestas(q(3)).substr(0, 3), "103");  // a text uses up one item
    EXPECT_EQ(grupos(q(3)), "G");
}

TEST_F(Intercambio, LinesWithoutIdentifierOrWithOneInUseAreLogged) {
    doc.agregarCuestionario("Existente");
    porTrozos.agregarCuestionario("Existente");
    const auto e = errores("1,2,3\nAna,1\n\"Existente\",1\n  \n\"Nuevo\",2\n\"Nuevo\",3\n\n");
    EXPECT_EQ(e, (std::vector<std::string>{
                     "Error en línea", "Error en línea", "Error en línea. Cuestionario ya existe",
                     "Error en línea", "Error en línea. Cuestionario ya existe"}));
    ASSERT_EQ(doc.cuestionarios.size(), 2u);
    EXPECT_EQ(q(1).nombre, "Nuevo");
    EXPECT_EQ(respuestas(q(1)).substr(0, 1), "2");
}

TEST_F(Intercambio, GroupsAreReusedOrMadeOnceAndLinkedOnce) {
    doc.agregarGrupo("Taller");
    porTrozos.agregarGrupo("Taller");
    const auto e = errores("\"A\",\"Taller\",\"Noche\",\"Taller\",\"\",1\n\"B\",\"Noche\"\n");
    EXPECT_TRUE(e.empty());
    ASSERT_EQ(doc.grupos.size(), 2u);
    EXPECT_EQ(doc.nGrupos, 2);
    EXPECT_EQ(grupos(q(0)), "Taller|Noche");
    EXPECT_EQ(grupos(q(1)), "Noche");
    EXPECT_EQ(doc.grupos[0]->cuestionarios.size(), 1u);
    EXPECT_EQ(doc.grupos[1]->cuestionarios.size(), 2u);
    EXPECT_EQ(respuestas(q(0))[0], '1');
    // A line of many groups, their links past a few kept in a set: the same.
    std::string linea = "\"C\"", esperado;
    for (int i = 0; i < 30; ++i) {
        linea += ",\"G" + std::to_string(i) + "\"";
        esperado += "G" + std::to_string(i) + "|";
    }
    EXPECT_TRUE(errores(linea + ",\"G3\",\"G29\",\"Taller\",\"G0\",\"Taller\",1\n").empty());
    EXPECT_EQ(grupos(q(2)), esperado + "Taller");
    EXPECT_EQ(doc.grupos[0]->cuestionarios.size(), 2u);
    EXPECT_EQ(doc.grupos[5]->cuestionarios.size(), 1u);
    EXPECT_EQ(respuestas(q(2))[0], '1');
}

TEST_F(Intercambio, LongNamesAreCutAndMatchedCut) {
    const std::string largo(60, 'g');
    errores("\"" + std::string(60, 'q') + "\",\"" + largo + "\"\n\"" + std::string(49, 'q') +
            "x\",\"" + largo + "x\"\n");
    ASSERT_EQ(doc.cuestionarios.size(), 1u);  // the second is the same name once cut
    EXPECT_EQ(q(0).nombre, std::string(49, 'q'));
    ASSERT_EQ(doc.grupos.size(), 1u);
    EXPECT_EQ(doc.grupos[0]->nombre, std::string(49, 'g'));
}

TEST_F(Intercambio, EmptyIdentifierWorksOnce) {
    EXPECT_EQ(errores("\"\",1\n\"\",2\n"),
              std::vector<std::string>{"Error en línea. Cuestionario ya existe"});
    EXPECT_EQ(q(0).nombre, "");
}

TEST_F(Intercambio, MoreOrFewerThan75Answers) {
    errores("\"Muchos\"" + conComas(std::string(80, '1')) + "\n\"Pocos\",2,2\n");
    EXPECT_EQ(respuestas(q(0)), std::string(75, '1'));
    EXPECT_EQ(respuestas(q(1)), "22" + std::string(73, '0'));
}

TEST_F(Intercambio, DigitsAboveTheOptionsAreStoredAsNoAnswer) {
    errores("\"A\",5,5,7,9,1\n");
    EXPECT_EQ(respuestas(q(0)).substr(0, 6), "500010");  // item 1 has five options, item 2 four
}

TEST_F(Intercambio, LineEndsAndCtrlZ) {
    errores("\"A\",1\r\n\"B\",2\r\"C\",3\n\"D\",1\x1a,2,3\n\"E\",4\n\x1a\"F\",1\n");
    ASSERT_EQ(doc.cuestionarios.size(), 4u);
    EXPECT_EQ(respuestas(q(1)).substr(0, 3), "203");  // the lone CR is dropped: "C" uses item 2
    EXPECT_EQ(respuestas(q(2)).substr(0, 2), "10");
    EXPECT_EQ(q(3).nombre, "E");
    importar("\"Ultima sin fin de linea\",3");
    EXPECT_EQ(doc.cuestionarios.back()->nombre, "Ultima sin fin de linea");
}

TEST_F(Intercambio, ImportedQuestionnairesAreScored) {
    errores("\"A\"" + conComas(std::string(75, '1')) + "\n");
    EXPECT_DOUBLE_EQ(q(0).puntuaciones[0], 6.9);
    EXPECT_EQ(q(0).sinRespuesta, 0);
    EXPECT_EQ(doc.nCuestionarios, 1);
}

TEST_F(Intercambio, AnyBytesAndHugeLinesAreSurvived) {
    std::mt19937 azar(5);
    std::string basura;
    for (int i = 0; i < 200000; ++i) basura += static_cast<char>(azar());
    importar(basura);
    importar("\"" + std::string(10'000'000, 'x') + "\n" + std::string(10'000'000, '1') + "\n");
    EXPECT_EQ(doc.cuestionarios.back()->nombre, std::string(49, 'x'));
    for (const auto& c : doc.cuestionarios)
        for (char r : c->respuestas) EXPECT_TRUE(r >= '0' && r <= '5');
}

TEST_F(Intercambio, ExportThenImportGivesTheSameQuestionnaires) {
    std::mt19937 azar(11);
    std::vector<TGrupo*> gs;
    for (const char* n : {"Taller", "Oficina, planta 2", "Noche", "Sin nadie"})
        gs.push_back(doc.agregarGrupo(n));
    for (int i = 0; i < 300; ++i) {
        TCuestionario* c = doc.agregarCuestionario("Trabajador " + std::to_string(i) + ", ñ");
        for (int k = 0; k < kNumItems; ++k)
            c->respuestas[k] = static_cast<char>('0' + azar() % (opcionesItem(k + 1) + 1));
        for (int k = 0; k < 3; ++k)
            if (azar() % 2) enlazar(*c, *gs[azar() % 3]);
    }
    exportarDatos(doc, "/d/e.txt");
    TKoral otra;
    std::vector<std::string> log;
    ProcesaArchivo(otra, "/d/e.txt", [&](const std::string& l) { log.push_back(l); });
    EXPECT_EQ(log.size(), 2u);
    ASSERT_EQ(otra.cuestionarios.size(), doc.cuestionarios.size());
    for (std::size_t i = 0; i < doc.cuestionarios.size(); ++i) {
        const auto& a = *doc.cuestionarios[i];
        const auto& b = *otra.cuestionarios[i];
        EXPECT_EQ(b.nombre, a.nombre);
        EXPECT_EQ(respuestas(b), respuestas(a));
        EXPECT_EQ(grupos(b), grupos(a));
    }
    EXPECT_EQ(otra.grupos.size(), 3u);  // a group without members is not exported
}

TEST_F(Intercambio, MissingOrUnreadableFileIsAnErrorBeforeAnyLogLine) {
    errores("\"A\",1\n");
    fs.archivos["/d/otro.txt"] = "\"B\",2\n";
    std::vector<std::string> log;
    const auto anota = [&](const std::string& l) { log.push_back(l); };
    try {
        ProcesaArchivo(doc, "/d/no.txt", anota);
        ADD_FAILURE();
    } catch (const ErrorArchivo& e) {
        EXPECT_STREQ(e.what(), "No existe el archivo /d/no.txt");
    }
    fs.fallarAlLeer = true;
    EXPECT_THROW(ProcesaArchivo(doc, "/d/otro.txt", anota), ErrorArchivo);
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(avisos.mensajes.empty());
    ASSERT_EQ(doc.cuestionarios.size(), 1u);
    EXPECT_EQ(doc.cuestionarios[0]->nombre, "A");
}

// A read that fails after some lines keeps them imported, a repeated name
// among them logged and left out as a reading in order does.
TEST(ImportacionFallida, KeepsWhatCameBeforeAsInOrder) {
    class EntradaRota : public EntradaArchivo {
    public:
        EntradaRota(std::string_view d, bool vuelve) : d_(d), vuelve_(vuelve) {}
        std::size_t leer(char* destino, std::size_t n) override {
            if (pos_ == d_.size()) throw ErrorArchivo("Input/output error");
            n = std::min(n, d_.size() - pos_);
            std::memcpy(destino, d_.data() + pos_, n);
            pos_ += n;
            return n;
        }
        std::size_t tamano() const override { return d_.size(); }
        bool reiniciar() override {
            if (vuelve_) pos_ = 0;
            return vuelve_;
        }

    private:
        std::string_view d_;
        bool vuelve_;
        std::size_t pos_ = 0;
    };
    const std::string datos = "\"A\",1\n\"B\",\"G\",2\n\"A\",3\n\"C\",\"G\",4\n";
    std::vector<std::string> logs[2];
    std::string resultados[2];
    for (int vuelve = 0; vuelve < 2; ++vuelve) {
        TKoral doc;
        EntradaRota entrada(datos, vuelve == 1);
        EXPECT_THROW(importarEntrada(doc, "d.txt", entrada,
                                     [&](const std::string& l) { logs[vuelve].push_back(l); }),
                     ErrorArchivo);
        resultados[vuelve] = resumen(doc) + std::to_string(doc.ultimoId);
    }
    EXPECT_EQ(logs[1], logs[0]);
    EXPECT_EQ(resultados[1], resultados[0]);
    EXPECT_EQ(logs[0].size(), 2u);
}
