#include <gtest/gtest.h>

#include "document/Instrumento.h"
#include "method/Textos.h"
#include "platform/Texto.h"

using namespace koral;

namespace {

// The titles as the catalogue must carry them, item 1 first.
const char* const kTitulos[kNumItems] = {"TIEMPO DE ATENCIÓN",
                                         "INTENSIDAD DE ATENCIÓN",
                                         "TIEMPO ASIGNADO A LA TAREA",
                                         "RECUPERACIÓN DE RETRASOS",
                                         "TIEMPO DE TRABAJO CON RAPIDEZ",
                                         "FRECUENCIA DE ERRORES",
                                         "CONSECUENCIAS DE LOS ERRORES",
                                         "FATIGA",
                                         "CANTIDAD DE INFORMACIÓN",
                                         "COMPLEJIDAD DE LA INFORMACIÓN",
                                         "DIFICULTAD DEL TRABAJO",
                                         "ABANDONAR MOMENTÁNEAMENTE EL TRABAJO",
                                         "DISTRIBUCIÓN DE LAS PAUSAS",
                                         "MARCAR EL PROPIO RITMO",
                                         "VARIAR EL RITMO",
                                         "APRENDER COSAS NUEVAS",
                                         "ADAPTARSE A NUEVAS SITUACIONES",
                                         "ORGANIZAR Y PLANIFICAR EL TRABAJO",
                                         "TENER INICIATIVA",
                                         "TRANSMITIR INFORMACIÓN",
                                         "TRABAJAR CON OTRAS PERSONAS",
                                         "TENER BUENA MEMORIA",
                                         "HABILIDAD MANUAL",
                                         "CONCENTRACIÓN",
                                         "PRECISIÓN",
                                         "REPETITIVIDAD",
                                         "IMPORTANCIA DEL TRABAJO",
                                         "VARIEDAD DEL TRABAJO",
                                         "TRABAJO RUTINARIO",
                                         "MOTIVACIÓN DEL TRABAJO",
                                         "CONSIDERACIÓN DEL TRABAJO/SUPERIORES",
                                         "CONSIDERACIÓN DEL TRABAJO/COMPAÑEROS",
                                         "CONSIDERACIÓN DEL TRABAJO/PÚBLICO-CLIENTES",
                                         "CONSIDERACIÓN DEL TRABAJO/FAMILIA-AMISTADES",
                                         "SUPERVISIÓN/MÉTODO PARA REALIZAR EL TRABAJO",
                                         "SUPERVISIÓN/PLANIFICACIÓN DEL TRABAJO",
                                         "SUPERVISIÓN/RITMO DE TRABAJO",
                                         "SUPERVISIÓN/HORARIOS DE TRABAJO",
                                         "RESULTADOS PARCIALES",
                                         "RESULTADO ÚLTIMO TRABAJO",
                                         "CONVERSACIÓN CON SUPERIORES",
                                         "BUZÓN DE SUGERENCIAS",
                                         "CÍRCULOS DE CALIDAD",
                                         "COMITÉ DE EMPRESA/DELEGADO",
                                         "ASAMBLEAS Y REUNIONES",
                                         "ORDEN DE LAS OPERACIONES",
                                         "RESOLUCIÓN DE LAS OPERACIONES",
                                         "DISTRIBUCIÓN DE TAREAS",
                                         "PLANIFICACIÓN DEL TRABAJO",
                                         "CANTIDAD DE TRABAJO",
                                         "CALIDAD DE TRABAJO",
                                         "LO QUE DEBES HACER",
                                         "CÓMO DEBES HACERLO",
                                         "CANTIDAD QUE SE ESPERA",
                                         "CALIDAD DEL PRODUCTO",
                                         "TIEMPO ASIGNADO",
                                         "INFORMACIÓN NECESARIA",
                                         "MI RESPONSABILIDAD",
                                         "FALTA DE RECURSOS",
                                         "SALTARSE LOS MÉTODOS",
                                         "INSTRUCCIONES INCOMPATIBLES",
                                         "COSAS EN DESACUERDO",
                                         "PROMOCIÓN",
                                         "FORMACIÓN",
                                         "CHARLAS CON JEFES",
                                         "TABLONES DE ANUNCIOS",
                                         "ESCRITO A CADA TRABAJADOR",
                                         "INFORMACIÓN ORAL",
                                         "ESTABILIDAD EN EL EMPLEO",
                                         "POSIBILIDAD DE COMUNICARSE",
                                         "RELACIONES CON LOS JEFES",
                                         "RELACIONES CON LOS COMPAÑEROS",
                                         "RELACIONES CON LOS SUBORDINADOS",
                                         "RELACIONES CON LOS CLIENTES O PÚBLICO",
                                         "RELACIONES DE GRUPO"};

std::string utf8(const std::string& cp) {
    return cp1252AUtf8(cp);
}

int contar(const std::vector<std::string>& lineas, const std::string& marca) {
    int n = 0;
    for (const auto& l : lineas)
        for (auto p = l.find(marca); p != std::string::npos; p = l.find(marca, p + 1)) ++n;
    return n;
}

}  // namespace

TEST(Catalogo, WalkingItEndsOnLine363WithOneEmptyLineLeft) {
    const auto& l = lineasCatalogo();
    ASSERT_EQ(l.size(), 365u);
    std::size_t k = 0;
    for (int i = 1; i <= kNumItems; ++i) {
        char numero[8];
        std::snprintf(numero, sizeof numero, "%2d. ", i);
        EXPECT_EQ(utf8(l[k]), numero + std::string(kTitulos[i - 1])) << "item " << i;
        ++k;
        for (int a = 1; a <= opcionesItem(i); ++a, ++k) {
            ASSERT_LT(k, l.size());
            EXPECT_EQ(l[k].substr(0, 3), std::to_string(a) + "  ") << "item " << i;
            EXPECT_GT(l[k].size(), 3u);
        }
    }
    EXPECT_EQ(k, 364u);  // the last line read was 363
    EXPECT_EQ(l[364], "");
}

TEST(Catalogo, SharedScalesCarryTheirLabels) {
    const auto& l = lineasCatalogo();
    // Line of option a of item i.
    auto opcion = [&](int item, int a) {
        std::size_t k = 0;
        for (int i = 1; i < item; ++i) k += 1 + static_cast<std::size_t>(opcionesItem(i));
        return utf8(l[k + static_cast<std::size_t>(a)]).substr(3);
    };
    EXPECT_EQ(opcion(1, 2), "sobre 3/4 partes del tiempo");
    EXPECT_EQ(opcion(5, 2), "sobre 3/4 del tiempo");
    EXPECT_EQ(opcion(26, 5), "casi nunca");
    EXPECT_EQ(opcion(8, 1), "no, nunca");
    EXPECT_EQ(opcion(8, 4), "sí, siempre");
    EXPECT_EQ(opcion(13, 3), "a veces");
    EXPECT_EQ(opcion(25, 4), "constantemente");
    EXPECT_EQ(opcion(44, 1), "no existe");
    EXPECT_EQ(opcion(68, 4), "bueno");
    EXPECT_EQ(opcion(51, 3), "decido yo");
    EXPECT_EQ(opcion(62, 4), "casi nunca");
    EXPECT_EQ(opcion(70, 3), "conversaciones más largas");
    for (int i = 71; i <= 74; ++i) EXPECT_EQ(opcion(i, 5), "sin relaciones");
}

TEST(Cuestionario, HoldsEveryLineInItsPlace) {
    const auto& l = lineasCuestionario();
    ASSERT_EQ(l.size(), 457u);
    const std::vector<int> conEncabezado = {16, 31, 35, 41, 46, 52, 59, 65, 71};
    int vacias = 0, encabezados = 0, preguntas = 0, opciones = 0;
    for (const auto& x : l) vacias += x.empty();
    std::size_t k = 0;
    for (int i = 1; i <= kNumItems; ++i) {
        if (std::find(conEncabezado.begin(), conEncabezado.end(), i) != conEncabezado.end()) {
            ASSERT_EQ(l[k].rfind("<N>", 0), 0u) << "heading before item " << i;
            EXPECT_EQ(l[k].substr(l[k].size() - 4), " <n>");
            EXPECT_EQ(l[k + 1], "");
            k += 2;
            ++encabezados;
        }
        const std::string numero = std::to_string(i) + ". ";
        ASSERT_EQ(l[k].rfind(numero, 0), 0u) << "item " << i << ": " << utf8(l[k]);
        EXPECT_GT(l[k].size(), numero.size() + 3);
        ++k;
        ++preguntas;
        for (int a = 1; a <= opcionesItem(i); ++a, ++k, ++opciones)
            EXPECT_EQ(l[k].substr(0, 3), "\t" + std::to_string(a) + " ") << "item " << i;
        EXPECT_EQ(l[k], "") << "after item " << i;
        ++k;
    }
    EXPECT_EQ(k, l.size());
    EXPECT_EQ(preguntas, 75);
    EXPECT_EQ(opciones, 289);
    EXPECT_EQ(encabezados, 9);
    EXPECT_EQ(vacias, 84);
}

TEST(Cuestionario, MarkupIsBalanced) {
    const auto& l = lineasCuestionario();
    EXPECT_EQ(contar(l, "<C>"), 8);
    EXPECT_EQ(contar(l, "<N>"), 9);
    EXPECT_EQ(contar(l, "<n>"), 17);
    // Asides in mid-line, with text after them, in items 9 and 65.
    for (const char* item : {"9. ", "65. "}) {
        const auto it = std::find_if(l.begin(), l.end(),
                                     [&](const std::string& x) { return x.rfind(item, 0) == 0; });
        ASSERT_NE(it, l.end());
        const auto cierre = it->find("<n>");
        ASSERT_NE(it->find("<C>("), std::string::npos);
        ASSERT_NE(cierre, std::string::npos);
        EXPECT_GT(it->size(), cierre + 5) << *it;
    }
    // A tag only counts at the start of a word.
    for (const auto& x : l)
        for (const char* tag : {"<C>", "<N>", "<n>"})
            for (auto p = x.find(tag); p != std::string::npos; p = x.find(tag, p + 1))
                EXPECT_TRUE(p == 0 || x[p - 1] == ' ') << utf8(x);
    // Every other aside closes its line.
    for (const auto& x : l) {
        const auto c = x.find("<C>");
        if (c == std::string::npos || x.rfind("9. ", 0) == 0 || x.rfind("65. ", 0) == 0) continue;
        EXPECT_EQ(x.substr(x.size() - 4), " <n>") << utf8(x);
        EXPECT_EQ(x[c + 3], '(');
    }
}

TEST(Cuestionario, OptionsMatchTheCatalogue) {
    const auto& c = lineasCatalogo();
    const auto& q = lineasCuestionario();
    std::vector<std::string> deCatalogo, deCuestionario;
    for (const auto& x : c)
        if (!x.empty() && x[0] >= '1' && x[0] <= '5' && x[1] == ' ')
            deCatalogo.push_back(x.substr(3));
    for (const auto& x : q)
        if (!x.empty() && x[0] == '\t') deCuestionario.push_back(x.substr(3));
    EXPECT_EQ(deCatalogo.size(), 289u);
    EXPECT_EQ(deCuestionario, deCatalogo);
}
