#include <gtest/gtest.h>

#include <random>

#include "document/IndiceHash.h"
#include "document/UData.h"
#include "platform/Fecha.h"
#include "support/AvisosRecogidos.h"

using namespace koral;
using prueba::AvisosRecogidos;

namespace {

struct Empresa : ::testing::Test {
    Empresa() {
        fijarFechaHoy(38412);
        doc.iniciarEmpresa("Talleres");
    }
    ~Empresa() override { fijarFechaHoy(std::nullopt); }
    AvisosRecogidos avisos;
    TKoral doc{avisos.sumidero()};
};

}  // namespace

TEST(IniciarEmpresa, TakesTheNameCutAndStartsEmpty) {
    AvisosRecogidos avisos;
    TKoral doc(avisos.sumidero());
    doc.archivo = "/tmp/otra.kr2";
    doc.agregarGrupo("G");
    doc.iniciarEmpresa(std::string(60, 'x'));
    EXPECT_TRUE(avisos.mensajes.empty());
    EXPECT_EQ(doc.nombre, std::string(49, 'x'));
    EXPECT_EQ(doc.archivo, "");
    EXPECT_EQ(doc.ultimoId, 1);
    EXPECT_TRUE(doc.modificado);
    EXPECT_EQ(doc.nGrupos + doc.nCuestionarios + doc.nPerfiles, 0);
    EXPECT_TRUE(doc.grupos.empty());
}

TEST_F(Empresa, IdentifiersComeFromOneGrowingCounter) {
    TGrupo* g = doc.agregarGrupo("Taller");
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->id, 2);
    EXPECT_EQ(doc.agregarCuestionario("C000001")->id, 3);
    TPerfil* p = doc.agregarPerfil("P000001");
    EXPECT_EQ(p->id, 4);
    doc.borrarPerfil(p);
    EXPECT_EQ(doc.agregarGrupo("Oficina")->id, 5);  // the freed 4 is not reused
    EXPECT_EQ(doc.ultimoId, 5);
    EXPECT_EQ(doc.nGrupos, 2);
    EXPECT_EQ(doc.nPerfiles, 0);
    EXPECT_EQ(g->fecha, 38412);
    EXPECT_TRUE(avisos.mensajes.empty());
}

TEST_F(Empresa, NewRecordsStartBlank) {
    TCuestionario* q = doc.agregarCuestionario("C000001");
    EXPECT_EQ(std::string(q->respuestas.begin(), q->respuestas.end()), std::string(75, '0'));
    EXPECT_EQ(q->sinRespuesta, 75);
    for (double s : q->puntuaciones) EXPECT_EQ(s, 0);
    EXPECT_TRUE(q->grupos.empty());
    TPerfil* p = doc.agregarPerfil("P");
    EXPECT_EQ(p->nSujetos, 0);
    EXPECT_TRUE(p->descripcion.empty());
}

TEST_F(Empresa, NamesAreUniqueExactlyWithinEachKind) {
    ASSERT_NE(doc.agregarGrupo("Taller"), nullptr);
    const auto id = doc.ultimoId;
    EXPECT_EQ(doc.agregarGrupo("Taller"), nullptr);
    EXPECT_EQ(doc.ultimoId, id);
    EXPECT_EQ(doc.nGrupos, 1);
    EXPECT_NE(doc.agregarCuestionario("Taller"), nullptr);  // other kind
    EXPECT_NE(doc.agregarGrupo("taller"), nullptr);         // case counts
    EXPECT_NE(doc.agregarGrupo("Taller "), nullptr);        // so does a trailing blank
    EXPECT_EQ(doc.buscarGrupo("Taller ")->nombre, "Taller ");
    EXPECT_EQ(doc.buscarGrupo("TALLER"), nullptr);
}

TEST_F(Empresa, LongNamesAreCutAndTestedCut) {
    const std::string largo(60, 'a');
    TGrupo* g = doc.agregarGrupo(largo);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->nombre, std::string(49, 'a'));
    // Another text with the same first 49 characters would store a duplicate.
    EXPECT_EQ(doc.agregarGrupo(std::string(49, 'a') + "b"), nullptr);
    EXPECT_EQ(doc.nGrupos, 1);
}

TEST_F(Empresa, LookupsReturnTheFirstInListOrder) {
    TGrupo* a = doc.agregarGrupo("A");
    TGrupo* b = doc.agregarGrupo("B");
    b->id = a->id;  // as a hand-edited file could have it
    EXPECT_EQ(doc.buscarGrupoPorId(a->id), a);
    EXPECT_EQ(doc.buscarGrupoPorId(999), nullptr);
    EXPECT_EQ(doc.buscarCuestionario("A"), nullptr);
}

TEST_F(Empresa, DeletingAGroupUnlinksItEverywhere) {
    TGrupo* g = doc.agregarGrupo("G");
    TGrupo* h = doc.agregarGrupo("H");
    TCuestionario* q = doc.agregarCuestionario("Q");
    TPerfil* p = doc.agregarPerfil("P");
    enlazar(*q, *g);
    enlazar(*q, *h);
    p->grupos = {h, g};
    p->nSujetos = 7;
    doc.borrarGrupo(g);
    EXPECT_EQ(q->grupos, std::vector<TGrupo*>{h});
    EXPECT_EQ(p->grupos, std::vector<TGrupo*>{h});
    EXPECT_EQ(p->nSujetos, 7);  // stale until computed again
    EXPECT_EQ(doc.nGrupos, 1);
    ASSERT_EQ(doc.grupos.size(), 1u);
    EXPECT_EQ(doc.grupos[0].get(), h);
    EXPECT_EQ(avisos.mensajes.size(), 0u);
}

TEST_F(Empresa, DeletingAQuestionnaireUnlinksItFromItsGroups) {
    TGrupo* g = doc.agregarGrupo("G");
    TCuestionario* q1 = doc.agregarCuestionario("Q1");
    TCuestionario* q2 = doc.agregarCuestionario("Q2");
    enlazar(*q1, *g);
    enlazar(*q2, *g);
    doc.borrarCuestionario(q1);
    EXPECT_EQ(g->cuestionarios, std::vector<TCuestionario*>{q2});
    EXPECT_EQ(doc.nCuestionarios, 1);
    EXPECT_TRUE(avisos.mensajes.empty());
}

TEST_F(Empresa, DeletingAQuestionnaireMissingFromAGroupSaysSoAndFinishes) {
    TGrupo* g = doc.agregarGrupo("G");
    TGrupo* h = doc.agregarGrupo("H");
    TCuestionario* q = doc.agregarCuestionario("Q");
    enlazar(*q, *g);
    enlazar(*q, *h);
    g->cuestionarios.clear();  // one side of the link lost
    doc.borrarCuestionario(q);
    EXPECT_EQ(avisos.mensajes, std::vector<std::string>{"Error en lista Cuestionarios"});
    EXPECT_TRUE(h->cuestionarios.empty());
    EXPECT_TRUE(doc.cuestionarios.empty());
}

TEST_F(Empresa, DeletingARecordOfAnotherDocumentReportsAndLowersTheCount) {
    TKoral otro;
    TGrupo ajeno;
    TCuestionario ajenoQ;
    TPerfil ajenoP;
    doc.agregarGrupo("G");
    doc.borrarGrupo(&ajeno);
    doc.borrarCuestionario(&ajenoQ);
    doc.borrarPerfil(&ajenoP);
    EXPECT_EQ(avisos.mensajes,
              (std::vector<std::string>{"Ha ocurrido un error en lista Grupos",
                                        "Ha ocurrido un error en lista Cuestionarios",
                                        "Ha ocurrido un error en lista Perfiles"}));
    EXPECT_EQ(doc.nGrupos, 0);
    EXPECT_EQ(doc.grupos.size(), 1u);
}

TEST_F(Empresa, DeletingOneOfTwoRecordsSharingAnIdentifierRemovesThatOne) {
    TGrupo* a = doc.agregarGrupo("A");
    TGrupo* b = doc.agregarGrupo("B");
    TCuestionario* q = doc.agregarCuestionario("Q");
    b->id = a->id;
    enlazar(*q, *a);
    enlazar(*q, *b);
    doc.borrarGrupo(a);
    ASSERT_EQ(doc.grupos.size(), 1u);
    EXPECT_EQ(doc.grupos[0].get(), b);
    EXPECT_EQ(q->grupos, std::vector<TGrupo*>{b});
}

TEST_F(Empresa, IdentifiersRunOutWithANoticeNotAnOverflow) {
    doc.ultimoId = 2147483647;
    EXPECT_EQ(doc.agregarGrupo("G"), nullptr);
    EXPECT_EQ(doc.nGrupos, 0);
    EXPECT_EQ(doc.ultimoId, 2147483647);
    EXPECT_EQ(avisos.mensajes.size(), 1u);
}

TEST_F(Empresa, LinksAreKeptOnBothSidesAndNeverTwice) {
    TGrupo* g = doc.agregarGrupo("G");
    TCuestionario* q = doc.agregarCuestionario("Q");
    EXPECT_TRUE(enlazar(*q, *g));
    EXPECT_FALSE(enlazar(*q, *g));
    EXPECT_EQ(g->cuestionarios.size(), 1u);
    EXPECT_TRUE(desenlazar(*q, *g));
    EXPECT_TRUE(q->grupos.empty());
    EXPECT_TRUE(g->cuestionarios.empty());
    EXPECT_FALSE(desenlazar(*q, *g));
}

TEST_F(Empresa, BulkLinkingGivesWhatLinkingOneByOneGives) {
    // Runs of links to three questionnaires, each going back past the bulk
    // linker's threshold, one of them linked before the linker existed.
    TKoral otra;
    std::vector<TGrupo*> gs, hs;
    for (int i = 0; i < 60; ++i) {
        gs.push_back(doc.agregarGrupo("G" + std::to_string(i)));
        hs.push_back(otra.agregarGrupo("G" + std::to_string(i)));
    }
    std::vector<TCuestionario*> qs, rs;
    for (int i = 0; i < 3; ++i) {
        qs.push_back(doc.agregarCuestionario("Q" + std::to_string(i)));
        rs.push_back(otra.agregarCuestionario("Q" + std::to_string(i)));
    }
    for (std::size_t i = 0; i < 20; ++i) {
        enlazar(*qs[0], *gs[i]);
        enlazar(*rs[0], *hs[i]);
    }
    std::mt19937 azar(3);
    Enlazador enlaces;
    TPerfil* p = doc.agregarPerfil("P");
    std::vector<TGrupo*> seleccion;
    for (int k = 0; k < 1500; ++k) {
        const std::size_t q = static_cast<std::size_t>(k / 40 % 3), g = azar() % 60;
        ASSERT_EQ(enlaces.enlazar(*qs[q], *gs[g]), enlazar(*rs[q], *hs[g])) << k;
        const bool nuevo = std::find(seleccion.begin(), seleccion.end(), gs[g]) == seleccion.end();
        if (nuevo) seleccion.push_back(gs[g]);
        ASSERT_EQ(enlaces.seleccionar(*p, *gs[g]), nuevo) << k;
    }
    EXPECT_EQ(p->grupos, seleccion);
    const auto nombres = [](const auto& lista) {
        std::string s;
        for (const auto* r : lista) s += r->nombre + "|";
        return s;
    };
    for (std::size_t i = 0; i < 3; ++i) EXPECT_EQ(nombres(qs[i]->grupos), nombres(rs[i]->grupos));
    for (std::size_t i = 0; i < 60; ++i)
        EXPECT_EQ(nombres(gs[i]->cuestionarios), nombres(hs[i]->cuestionarios));
}

TEST(CerrarEmpresa, NeverSavedCompanyWritesNothing) {
    TKoral doc;
    doc.modificado = true;
    doc.agregarGrupo("G");
    doc.cerrarEmpresa();  // no archivo: nothing to write, nothing thrown
    EXPECT_TRUE(doc.grupos.empty());
}

TEST(SiguientePalabra, TakesWordsOffTheFront) {
    std::string t = "  uno dos  tres ";
    std::string w;
    siguientePalabra(t, w);
    EXPECT_EQ(w, "uno");
    EXPECT_EQ(t, "dos  tres ");
    siguientePalabra(t, w);
    EXPECT_EQ(w, "dos");
    EXPECT_EQ(t, " tres ");
    siguientePalabra(t, w);
    EXPECT_EQ(w, "tres");
    EXPECT_EQ(t, "");
    siguientePalabra(t, w);
    EXPECT_EQ(w, "");
    t = "\tsolo";  // only blanks separate words
    siguientePalabra(t, w);
    EXPECT_EQ(w, "\tsolo");
    t = "   ";
    siguientePalabra(t, w);
    EXPECT_EQ(w, "");
    EXPECT_EQ(t, "");
}

TEST(RellenarCeros, PadsButNeverCuts) {
    EXPECT_EQ(rellenarCeros(1, 3), "001");
    EXPECT_EQ(rellenarCeros(12, 6), "000012");
    EXPECT_EQ(rellenarCeros(1234, 3), "1234");
    EXPECT_EQ(rellenarCeros(0, 0), "0");
}

TEST(NormalizarSaltos, EveryBreakBecomesCrLf) {
    EXPECT_EQ(normalizarSaltos("a\nb\r\nc\rd\n\n"), "a\r\nb\r\nc\r\nd\r\n\r\n");
    EXPECT_EQ(normalizarSaltos("sin saltos"), "sin saltos");
}

// Questionnaires live side by side in shared blocks: many of them, released
// and made again across blocks, keep each its own contents.
TEST(ReservaCuestionarios, RecordsKeepTheirContentsAcrossBlocksAndReuse) {
    std::vector<std::unique_ptr<TCuestionario>> vivos;
    auto nuevo = [&](int i) {
        auto q = std::make_unique<TCuestionario>();
        q->id = i;
        q->respuestas.fill(static_cast<char>('0' + i % 7));
        q->grupos.resize(static_cast<std::size_t>(i % 3));
        vivos.push_back(std::move(q));
    };
    for (int i = 0; i < 30000; ++i) nuevo(i);
    for (std::size_t i = 0; i < vivos.size(); i += 2) vivos[i].reset();
    for (int i = 30000; i < 45000; ++i) nuevo(i);
    std::size_t cuantos = 0;
    for (const auto& q : vivos) {
        if (!q) continue;
        ++cuantos;
        ASSERT_EQ(q->respuestas[74], '0' + q->id % 7) << q->id;
        ASSERT_EQ(q->grupos.size(), static_cast<std::size_t>(q->id % 3));
    }
    EXPECT_EQ(cuantos, 30000u);
    vivos.clear();  // every block given back, and taken again after
    nuevo(1);
    EXPECT_EQ(vivos[0]->respuestas[0], '1');
}
