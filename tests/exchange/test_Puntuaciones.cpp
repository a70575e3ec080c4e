#include <gtest/gtest.h>

#include <cstdlib>

#include "exchange/MedidasCsv.h"
#include "exchange/Puntuaciones.h"
#include "platform/Fecha.h"
#include "support/ArchivosMemoria.h"

using namespace koral;

namespace {

// A CSV reader written apart from the writer: RFC 4180 fields, quoted or not.
std::vector<std::vector<std::string>> leerCsv(std::string_view t, char sep) {
    std::vector<std::vector<std::string>> filas(1);
    std::string campo;
    bool entreComillas = false, citado = false;
    for (std::size_t i = 0; i < t.size(); ++i) {
        const char c = t[i];
        if (entreComillas) {
            if (c == '"' && i + 1 < t.size() && t[i + 1] == '"') {
                campo += '"';
                ++i;
            } else if (c == '"') {
                entreComillas = false;
            } else {
                campo += c;
            }
        } else if (c == '"' && campo.empty() && !citado) {
            entreComillas = citado = true;
        } else if (c == sep) {
            filas.back().push_back(campo);
            campo.clear();
            citado = false;
        } else if (c == '\r' && i + 1 < t.size() && t[i + 1] == '\n') {
            filas.back().push_back(campo);
            campo.clear();
            citado = false;
            filas.emplace_back();
            ++i;
        } else {
            campo += c;
        }
    }
    if (filas.back().empty()) filas.pop_back();
    return filas;
}

struct Empresa : ::testing::Test {
    Empresa() {
        TGrupo* a = doc.agregarGrupo("Taller; turno \"A\"");
        TGrupo* b = doc.agregarGrupo("Noche");
        TCuestionario* q = doc.agregarCuestionario("Ana \"la de\"\r\nmantenimiento; 1");
        enlazar(*q, *a);
        enlazar(*q, *b);
        q->respuestas.fill('1');
        q->puntuaciones = {6.9, 0, 9.1, 4.0, 4.042857142857143, 7.0, 3.9999};
        doc.agregarCuestionario("Sin grupos \xF1");
    }
    TKoral doc;
};

}  // namespace

TEST_F(Empresa, SpreadsheetFormReadsBackFieldByField) {
    const std::string csv = puntuacionesCsv(doc, {});
    ASSERT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
    const auto filas = leerCsv(std::string_view(csv).substr(3), ';');
    ASSERT_EQ(filas.size(), 3u);
    for (const auto& f : filas) ASSERT_EQ(f.size(), 2u + 75 + 7 + 7);
    EXPECT_EQ(filas[0][0], "Identificador");
    EXPECT_EQ(filas[0][2], "Ítem 1");
    EXPECT_EQ(filas[0][76], "Ítem 75");
    EXPECT_EQ(filas[0][77], "Carga Mental");
    EXPECT_EQ(filas[0][84], "Banda Carga Mental");
    EXPECT_EQ(filas[1][0], "Ana \"la de\"\r\nmantenimiento; 1");
    EXPECT_EQ(filas[1][1], "Taller; turno \"A\"|Noche");
    EXPECT_EQ(filas[1][2], "1");
    EXPECT_EQ(filas[1][77], "6,9");
    EXPECT_EQ(filas[1][81], "4,042857142857143");
    const std::vector<std::string> bandas(filas[1].begin() + 84, filas[1].end());
    EXPECT_EQ(bandas, (std::vector<std::string>{"2", "1", "3", "2", "2", "3", "1"}));
    EXPECT_EQ(filas[2][0], "Sin grupos ñ");
    EXPECT_EQ(filas[2][1], "");
    EXPECT_EQ(filas[2][2], "0");
}

TEST_F(Empresa, FormForStatisticsProgramsUsesCommaAndPoint) {
    const std::string csv = puntuacionesCsv(doc, {',', '.'});
    const auto filas = leerCsv(std::string_view(csv).substr(3), ',');
    ASSERT_EQ(filas.size(), 3u);
    ASSERT_EQ(filas[1].size(), 91u);
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(std::strtod(filas[1][77 + k].c_str(), nullptr),
                  doc.cuestionarios[0]->puntuaciones[k]);
}

TEST_F(Empresa, WrittenToAFileWholeAndNeverOverTheCompany) {
    prueba::ArchivosMemoria fs;
    escribirPuntuacionesCsv(doc, "/d/p.csv", {});
    const std::string csv = puntuacionesCsv(doc, {});
    EXPECT_EQ(fs.archivos.at("/d/p.csv"), csv);
    fs.fallarTrasBytes = 100;
    EXPECT_THROW(escribirPuntuacionesCsv(doc, "/d/p.csv", {',', '.'}), ErrorArchivo);
    EXPECT_EQ(fs.archivos.at("/d/p.csv"), csv);
    fs.fallarTrasBytes = -1;
    fs.archivos["/d/e.kr2"] = "empresa";
    fs.enlaces["/d/enlace.csv"] = "/d/e.kr2";
    doc.archivo = "/d/e.kr2";
    EXPECT_THROW(escribirPuntuacionesCsv(doc, "/d/enlace.csv", {}), ErrorArchivo);
    EXPECT_EQ(fs.archivos.at("/d/e.kr2"), "empresa");
    EXPECT_EQ(fs.archivos.size(), 2u);
}

TEST(Medidas, ThePlanInBothFormsByteForByteAndNeverOverTheCompanyOrItsCompanion) {
    TKoral doc;
    TDatosEvaluacion datos;
    TMedida m;
    m.factores = {1, 4};
    m.perfiles = {"Noche", "Producci\xF3n"};
    m.medida = "Rotaci\xF3n \"A\"; turnos";
    m.prioridad = Prioridad::Baja;
    m.responsable = "Ana";
    m.inicio = fechaDeCivil(2027, 1, 10);
    m.fin = fechaDeCivil(2027, 3, 31);
    m.estado = EstadoMedida::Hecha;
    m.hecha = fechaDeCivil(2027, 3, 1);
    m.seguimiento = "Hecho, revisado";
    TMedida n;
    n.medida = "Pausas";
    n.prioridad = Prioridad::Alta;
    n.estado = EstadoMedida::EnCurso;
    n.hecha = fechaDeCivil(2027, 2, 1);  // left from when it was marked done
    datos.medidas = {m, n};
    EXPECT_EQ(medidasCsv(doc, datos, {}),
              "\xEF\xBB\xBF"
              "Factores;Perfiles;Medida;Prioridad;Responsable;Recursos;Inicio;Fin;Estado;"
              "Fecha de realización;Seguimiento\r\n"
              ";;Pausas;Alta;;;;;En curso;;\r\n"
              "Carga Mental|Supervisión - Participación;Noche|Producción;"
              "\"Rotación \"\"A\"\"; turnos\";Baja;Ana;;2027-01-10;2027-03-31;Hecha;2027-03-01;"
              "Hecho, revisado\r\n");
    EXPECT_EQ(medidasCsv(doc, datos, {',', '.'}),
              "\xEF\xBB\xBF"
              "Factores,Perfiles,Medida,Prioridad,Responsable,Recursos,Inicio,Fin,Estado,"
              "Fecha de realización,Seguimiento\r\n"
              ",,Pausas,Alta,,,,,En curso,,\r\n"
              "Carga Mental|Supervisión - Participación,Noche|Producción,"
              "\"Rotación \"\"A\"\"; turnos\",Baja,Ana,,2027-01-10,2027-03-31,Hecha,2027-03-01,"
              "\"Hecho, revisado\"\r\n");

    prueba::ArchivosMemoria fs;
    fs.archivos["/d/e.kr2"] = "empresa";
    fs.archivos["/d/e.koral.json"] = "{}";
    doc.archivo = "/d/e.kr2";
    escribirMedidasCsv(doc, datos, "/d/m.csv", {});
    EXPECT_EQ(fs.archivos.at("/d/m.csv"), medidasCsv(doc, datos, {}));
    for (const char* ruta : {"/d/e.kr2", "/d/e.koral.json"})
        EXPECT_THROW(escribirMedidasCsv(doc, datos, ruta, {}), ErrorArchivo) << ruta;
    EXPECT_EQ(fs.archivos.at("/d/e.kr2"), "empresa");
    EXPECT_EQ(fs.archivos.at("/d/e.koral.json"), "{}");
}
