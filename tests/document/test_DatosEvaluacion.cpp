#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "document/Acompanante.h"
#include "document/DatosEvaluacion.h"
#include "document/UData.h"
#include "platform/Fecha.h"
#include "platform/Texto.h"
#include "support/ArchivosMemoria.h"
#include "support/AvisosRecogidos.h"

using namespace koral;

namespace {

const std::string kEmpresa = "/datos/Talleres.kr2";
const std::string kRuta = "/datos/Talleres.koral.json";

TDatosEvaluacion lleno() {
    TDatosEvaluacion d;
    d.cif = "B12345678";
    d.centros = "Nave 1\r\nNave 2";
    d.actividad = "Fabricación de muebles"_cp;
    d.evaluador = "Ana Peña"_cp;
    d.titulacion = "Técnico superior en PRL"_cp;
    d.servicioPrevencion = "SPA \"Norte\"";
    d.fechaInforme = fechaDeCivil(2026, 12, 8);
    d.objeto = "Objeto";
    d.representantes = "Dos delegados de prevención.\r\nRevisaron el cuestionario."_cp;
    d.metodo = "Método €"_cp;
    d.trabajoDesde = fechaDeCivil(2026, 10, 1);
    d.trabajoHasta = fechaDeCivil(2026, 10, 31);
    d.aplicacion = Aplicacion::Ambos;
    d.trabajadores = 120;
    d.plantilla = {{"Producción"_cp, 80}, {"Oficina", 40}};
    d.resultados = {{"Turno de noche", "Discusión"_cp, "Conclusiones"}};
    TMedida m;
    m.factores = {1, 7};
    m.perfiles = {"Turno de noche", "Producción"_cp};
    m.medida = "Rotación de puestos"_cp;
    m.prioridad = Prioridad::Alta;
    m.responsable = "Jefe de planta";
    m.recursos = "Ninguno";
    m.inicio = fechaDeCivil(2027, 1, 10);
    m.fin = fechaDeCivil(2027, 3, 31);
    m.estado = EstadoMedida::Hecha;
    m.hecha = fechaDeCivil(2027, 3, 1);
    m.seguimiento = "Revisada";
    d.medidas = {m, TMedida{}};
    d.proximaEvaluacion = fechaDeCivil(2028, 12, 1);
    d.minimo = 8;
    return d;
}

TEST(DatosEvaluacion, EveryFieldSurvivesTheCompanionFileAndUnknownFieldsStay) {
    prueba::ArchivosMemoria fs;
    prueba::AvisosRecogidos avisos;
    fs.carpetas.insert("/datos");
    fs.archivos[kEmpresa] = "E0 0 0 0 Talleres\r\n";
    fs.archivos[kRuta] = R"({"version": 1, "evaluacion": {"futuro": [1, "ñ"], "cif": "X"}})";
    TKoral doc(avisos.sumidero());
    doc.archivo = kEmpresa;
    const TDatosEvaluacion d = lleno();
    {
        TAcompanante a;
        a.leer(doc);
        EXPECT_EQ(datosEvaluacion(a).cif, "X");
        ponerDatosEvaluacion(a, d);
        ASSERT_TRUE(a.guardar(doc));
    }
    EXPECT_NE(fs.archivos[kRuta].find(R"("fechaInforme": "2026-12-08")"), std::string::npos);
    EXPECT_NE(fs.archivos[kRuta].find(R"("actividad": "Fabricación de muebles")"),
              std::string::npos);  // UTF-8 in the file
    TAcompanante b;
    b.leer(doc);
    EXPECT_TRUE(datosEvaluacion(b) == d);
    EXPECT_NE(b.seccion("evaluacion").find(R"("futuro":[1,"ñ"])"), std::string::npos);
    EXPECT_TRUE(avisos.mensajes.empty());
    // Nothing in the section: the defaults.
    EXPECT_TRUE(datosEvaluacion(TAcompanante()) == TDatosEvaluacion());
}

TEST(DatosEvaluacion, AHandEditedSectionGivesWhatItUnderstands) {
    const auto d = leerDatosEvaluacion(R"({
        "cif": 7, "evaluador": "✓ Ana", "fechaInforme": "2026-02-30",
        "trabajoDesde": "2024-02-29", "trabajoHasta": "2024-2-29", "aplicacion": "fax",
        "trabajadores": -3, "minimo": 0, "plantilla": [{"grupo": "A", "trabajadores": 1e12}, 5],
        "resultados": {"perfil": "x"},
        "medidas": [{"factores": [0, 3, 3, 9, "x", 1], "prioridad": "urgente",
                     "estado": "pendiente", "hecha": "2026-01-01"}, "otra"]})");
    EXPECT_EQ(d.cif, "");
    EXPECT_EQ(d.evaluador, "? Ana");
    EXPECT_EQ(d.fechaInforme, 0);
    EXPECT_EQ(d.trabajoDesde, fechaDeCivil(2024, 2, 29));
    EXPECT_EQ(d.trabajoHasta, 0);
    EXPECT_EQ(d.aplicacion, Aplicacion::NoConsta);
    EXPECT_EQ(d.trabajadores, 0);
    EXPECT_EQ(d.minimo, TDatosEvaluacion::kMinimoPorDefecto);
    ASSERT_EQ(d.plantilla.size(), 1u);
    EXPECT_EQ(d.plantilla[0].trabajadores, 0);
    EXPECT_TRUE(d.resultados.empty());
    ASSERT_EQ(d.medidas.size(), 1u);
    EXPECT_EQ(d.medidas[0].factores, (std::vector<int>{1, 3}));
    EXPECT_EQ(d.medidas[0].prioridad, Prioridad::Media);
    EXPECT_EQ(d.medidas[0].hecha, 0);  // only a done measure has a date done
    EXPECT_THROW(leerDatosEvaluacion("[1]"), std::invalid_argument);
    EXPECT_THROW(leerDatosEvaluacion("{"), std::invalid_argument);
}

// The sample company's assessment shows every field: a misspelt key would
// leave its field empty in the window and the document.
TEST(DatosEvaluacion, TheSampleAssessmentFillsEveryField) {
    std::ifstream f(KORAL_MUESTRA_DATOS);
    std::stringstream todo;
    todo << f.rdbuf();
    const std::string t = todo.str();
    const auto inicio = t.find('{', t.find("\"evaluacion\""));
    ASSERT_NE(inicio, std::string::npos);
    const auto d = leerDatosEvaluacion(t.substr(inicio, t.rfind('}') - inicio));
    for (const std::string* s : {&d.cif, &d.centros, &d.actividad, &d.evaluador, &d.titulacion,
                                 &d.servicioPrevencion, &d.objeto, &d.representantes})
        EXPECT_FALSE(s->empty());
    for (double fecha : {d.fechaInforme, d.trabajoDesde, d.trabajoHasta, d.proximaEvaluacion})
        EXPECT_GT(fecha, 0);
    EXPECT_EQ(d.aplicacion, Aplicacion::Ambos);
    EXPECT_EQ(d.trabajadores, 52);
    EXPECT_EQ(d.plantilla.size(), 8u);
    ASSERT_EQ(d.resultados.size(), 3u);
    EXPECT_FALSE(d.resultados[2].conclusiones.empty());
    ASSERT_EQ(d.medidas.size(), 5u);
    for (const auto& m : d.medidas)
        EXPECT_TRUE(!m.factores.empty() && !m.perfiles.empty() && !m.responsable.empty() &&
                    m.inicio > 0 && m.fin > 0);
    EXPECT_GT(d.medidas[2].hecha, 0);
}

TEST(DatosEvaluacion, ThePlanRunsByPriorityThenDeadlineWithUndatedLast) {
    TDatosEvaluacion d;
    const auto medida = [](const char* t, Prioridad p, double fin) {
        TMedida m;
        m.medida = t;
        m.prioridad = p;
        m.fin = fin;
        return m;
    };
    d.medidas = {medida("a", Prioridad::Baja, 10), medida("b", Prioridad::Alta, 0),
                 medida("c", Prioridad::Alta, 50000), medida("d", Prioridad::Alta, 40000),
                 medida("e", Prioridad::Alta, 0)};
    std::string orden;
    for (const TMedida* m : medidasOrdenadas(d)) orden += m->medida;
    EXPECT_EQ(orden, "dcbea");
}

TEST(DatosEvaluacion, CivilDatesOnlyWhenTheyExist) {
    EXPECT_EQ(fechaDeCivil(1900, 2, 29), 0);
    EXPECT_EQ(fechaDeCivil(2023, 2, 29), 0);
    EXPECT_EQ(fechaDeCivil(2026, 4, 31), 0);
    EXPECT_EQ(fechaDeCivil(2026, 13, 1), 0);
    EXPECT_EQ(fechaDeCivil(1899, 12, 31), 0);
    EXPECT_EQ(fechaDeCivil(1900, 1, 1), 2);
    const auto f = fechaCivil(fechaDeCivil(2000, 2, 29));
    ASSERT_TRUE(f);
    EXPECT_EQ(f->anio * 10000 + f->mes * 100 + f->dia, 20000229);
}

}  // namespace
