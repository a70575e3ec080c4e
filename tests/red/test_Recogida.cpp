// The answers collected on the local network, request by request, without
// sockets: what is accepted, refused and malformed, and that an answer is
// acknowledged only once the company file (in memory here) holds it.
#include <gtest/gtest.h>

#include <memory>

#include "method/Puntuacion.h"
#include "platform/Fecha.h"
#include "platform/Texto.h"
#include "red/Recogida.h"
#include "support/ArchivosMemoria.h"

using namespace koral;
using namespace koral::red;
using namespace std::chrono_literals;

namespace {

const std::string kRuta = "/e/empresa.kr2";
const std::string kTurno = "Turno <noche> & \"B\" 'C'";
const std::string kTurnoForm = "Turno+%3Cnoche%3E+%26+%22B%22+%27C%27";
const Reloj::time_point t0 = Reloj::time_point{} + 10h;

// The one-time token a form carries.
std::string envioDe(const std::string& pagina) {
    const std::string campo = "name=\"envio\" value=\"";
    const auto k = pagina.find(campo);
    return k == std::string::npos ? std::string() : pagina.substr(k + campo.size(), kLargoEnvio);
}

std::string cabecera(const Respuesta& r, const std::string& nombre) {
    for (const auto& [n, v] : r.cabeceras)
        if (n == nombre) return v;
    return {};
}

std::size_t contar(const std::string& texto, const std::string& trozo) {
    std::size_t n = 0;
    for (auto k = texto.find(trozo); k != std::string::npos; k = texto.find(trozo, k + 1)) ++n;
    return n;
}

struct Recogida : ::testing::Test {
    Recogida() {
        fijarFechaHoy(45000);
        doc.iniciarEmpresa("Talleres <S.A.> & \"Hijos\"");
        doc.agregarGrupo(kTurno);
        doc.agregarGrupo("Almacén"_cp);
        doc.agregarGrupo("Oficina");  // not offered
        doc.archivo = kRuta;
        doc.guardarArchivo();
        antes = fs.archivos.at(kRuta);
        Campana c;
        c.codigo = "123456";
        c.grupos = {kTurno, "Almacén"_cp};
        r = std::make_unique<TRecogida>(doc, c);
    }
    ~Recogida() override { fijarFechaHoy(std::nullopt); }

    static Peticion post(std::string cuerpo, std::string direccion = "10.0.0.2",
                         std::string tipo = "application/x-www-form-urlencoded") {
        Peticion p{"POST", "/enviar", {}, std::move(cuerpo), std::move(direccion)};
        if (!tipo.empty()) p.cabeceras.emplace_back("content-type", tipo);
        return p;
    }
    Respuesta enviar(std::string cuerpo, std::string direccion = "10.0.0.2",
                     Reloj::time_point t = t0) {
        return r->atender(post(std::move(cuerpo), std::move(direccion)), t);
    }
    // The company as a later session reads it from its file.
    std::unique_ptr<TKoral> leida() {
        auto d = std::make_unique<TKoral>();
        d->leerArchivo(kRuta);
        return d;
    }
    void nadaGuardado() {
        EXPECT_EQ(doc.cuestionarios.size(), 0u);
        EXPECT_EQ(fs.archivos.at(kRuta), antes);
        EXPECT_EQ(r->pendientes(), 0u);
    }

    prueba::ArchivosMemoria fs;
    TKoral doc;
    std::string antes;
    std::unique_ptr<TRecogida> r;
};

}  // namespace

TEST_F(Recogida, TheFormHoldsEveryItemAndEscapesTheCompanysNames) {
    const Respuesta f = r->atender({"GET", "/", {}, "", "10.0.0.2"}, t0);
    ASSERT_EQ(f.estado, 200);
    const std::string& h = f.cuerpo;
    EXPECT_EQ(contar(h, "<fieldset"), 76u);                 // the groups, then the 75 items
    EXPECT_EQ(contar(h, "type=\"radio\""), 289u + 75u);     // options, and "sin respuesta" per item
    EXPECT_EQ(contar(h, " for=\""), 289u + 75u + 2u + 1u);  // and the code's
    EXPECT_EQ(contar(h, "<h2"), 9u + 2u);  // block headings, the notice's and the instructions'
    // Each block heading stays in view over its items, which it describes
    // to a screen reader; an item that is a question of its own ends it.
    EXPECT_NE(h.find("section.bloque>h2{position:sticky;top:0"), std::string::npos);
    EXPECT_NE(
        h.find("<section class=\"bloque\"><h2 id=\"e1\">En su trabajo, ¿con qué "
               "frecuencia tiene que...?</h2>\n<fieldset id=\"p16\" aria-describedby=\"e1\">"),
        std::string::npos);
    EXPECT_NE(h.find("<fieldset id=\"p18\" aria-describedby=\"e1\"><legend><span "
                     "class=\"num\">18 de 75</span> Organizar y planificar su propio trabajo"),
              std::string::npos);
    EXPECT_NE(h.find("</section>\n<fieldset id=\"p26\"><legend>"), std::string::npos);
    EXPECT_EQ(contar(h, "aria-describedby=\"e"), 50u);
    EXPECT_EQ(contar(h, "<section"), 9u);
    EXPECT_EQ(contar(h, "</section>"), 9u);
    EXPECT_NE(h.find("<legend><span class=\"num\">9 de 75</span> ¿Cómo calificaría la cantidad "
                     "de información <em>(datos, documentos, instrucciones, señales...)</em> que "
                     "tiene que manejar"),
              std::string::npos);
    // The default notice, who runs the assessment being the company.
    EXPECT_NE(h.find("<h2>INFORMACIÓN:</h2>\n<p>Talleres &lt;S.A.&gt; &amp; &quot;Hijos&quot; "
                     "hace esta evaluación"),
              std::string::npos);
    EXPECT_EQ(h.find("anónimo"), std::string::npos);
    EXPECT_NE(h.find("name=\"r75\" value=\"5\"> hay conflictos y enfrentamientos frecuentes"),
              std::string::npos)
        << "the last option of the last item";
    EXPECT_NE(h.find("value=\"Turno &lt;noche&gt; &amp; &quot;B&quot; &#39;C&#39;\"> Turno "
                     "&lt;noche&gt; &amp; &quot;B&quot; &#39;C&#39;</label>"),
              std::string::npos);
    EXPECT_NE(h.find("Talleres &lt;S.A.&gt; &amp; &quot;Hijos&quot;"), std::string::npos);
    EXPECT_NE(h.find("value=\"Almacén\""), std::string::npos);
    EXPECT_EQ(h.find("Oficina"), std::string::npos);
    EXPECT_EQ(h.find("<noche>"), std::string::npos);
    // Nothing from outside: no link, no address but its own form's, only
    // its own script, allowed by its hash.
    EXPECT_EQ(h.find("src="), std::string::npos);
    EXPECT_EQ(h.find("http"), std::string::npos);
    EXPECT_EQ(contar(h, "action="), 1u);
    EXPECT_EQ(cabecera(f, "Cache-Control"), "no-store");
    // The form's script and the thanks page's, each allowed by its hash.
    const auto script = [](const std::string& pagina) {
        EXPECT_EQ(contar(pagina, "<script>"), 1u);
        const auto guion = pagina.find("<script>") + 8;
        return "'sha256-" + sha256Base64(pagina.substr(guion, pagina.find("</script>") - guion)) +
               "'";
    };
    const Respuesta gracias = r->atender({"GET", "/gracias", {}, "", "10.0.0.2"}, t0);
    EXPECT_NE(gracias.cuerpo.find("sessionStorage.clear()"), std::string::npos);
    EXPECT_EQ(sha256Base64("abc"), "ungWv48Bz+pBQUDeXa4iI7ADYaOWF3qctBD/YfIAFa0=");
    EXPECT_EQ(cabecera(f, "Content-Security-Policy"),
              "default-src 'none'; style-src 'unsafe-inline'; script-src " + script(h) + " " +
                  script(gracias.cuerpo) +
                  "; form-action 'self'; base-uri 'none'; frame-ancestors 'none'");
    EXPECT_EQ(cabecera(gracias, "Content-Security-Policy"), cabecera(f, "Content-Security-Policy"));
    // Each form served has a token of its own; HEAD answers as GET.
    const std::string envio = envioDe(h);
    EXPECT_EQ(envio.size(), kLargoEnvio);
    EXPECT_EQ(envio.find_first_not_of("0123456789abcdef"), std::string::npos);
    const Respuesta cabeza = r->atender({"HEAD", "/", {}, "", "10.0.0.2"}, t0);
    EXPECT_EQ(cabeza.estado, 200);
    EXPECT_NE(envioDe(cabeza.cuerpo), envio);
    EXPECT_EQ(cabeza.cuerpo.size(), h.size());
}

TEST_F(Recogida, AnAcceptedAnswerIsInTheCompanyFileBeforeItIsAcknowledged) {
    doc.agregarCuestionario("C000002");  // a name in use is passed over
    antes = fs.archivos.at(kRuta);
    std::vector<std::string> avisados;
    r->alGuardar = [&](const TCuestionario& q) { avisados.push_back(q.nombre); };

    const auto p =
        post("r1=5&codigo=+123456+&grupo=" + kTurnoForm + "&grupo=Almac%C3%A9n&r2=4&r3=0&r75=5",
             "10.0.0.2", "application/x-www-form-urlencoded; charset=UTF-8");
    TRecogida::Resultado pendiente = r->recibir(p, t0);
    EXPECT_TRUE(pendiente.pendiente);
    EXPECT_EQ(fs.archivos.at(kRuta), antes) << "not saved yet, so not acknowledged yet";
    const auto respuestas = r->cerrarLote();
    ASSERT_EQ(respuestas.size(), 1u);
    EXPECT_EQ(respuestas[0].estado, 303);
    // Without a token, stored as sent, blank items and all.
    EXPECT_EQ(cabecera(respuestas[0], "Location"), "/gracias/72");
    EXPECT_NE(
        r->atender({"GET", "/gracias/72", {}, "", "10.0.0.2"}, t0)
            .cuerpo.find("Sus respuestas se han guardado.</p>\n<p>72 preguntas sin respuesta."),
        std::string::npos);

    const auto d = leida();
    const TCuestionario* q = d->buscarCuestionario("C000003");
    ASSERT_NE(q, nullptr);
    std::string esperadas(75, '0');
    esperadas[0] = '5';
    esperadas[1] = '4';
    esperadas[74] = '5';
    EXPECT_EQ(std::string(q->respuestas.data(), 75), esperadas);
    ASSERT_EQ(q->grupos.size(), 2u);
    EXPECT_EQ(q->grupos[0]->nombre, kTurno);
    EXPECT_EQ(q->grupos[1]->nombre, "Almacén"_cp);
    EXPECT_EQ(q->fecha, 45000);
    Puntuaciones p2{};
    EXPECT_EQ(q->sinRespuesta, puntuarRespuestas(esperadas.data(), p2));
    EXPECT_EQ(doc.buscarCuestionario("C000003")->puntuaciones, p2);
    EXPECT_FALSE(doc.modificado);
    EXPECT_EQ(r->guardadas(), 1);
    EXPECT_EQ(avisados, std::vector<std::string>{"C000003"});

    // Two at once are saved with one write.
    const int temporales = fs.temporales;
    EXPECT_TRUE(r->recibir(post("codigo=123456&r1=1"), t0).pendiente);
    EXPECT_TRUE(r->recibir(post("codigo=123456&r2=1", "10.0.0.3"), t0).pendiente);
    const auto dos = r->cerrarLote();
    ASSERT_EQ(dos.size(), 2u);
    EXPECT_EQ(dos[0].estado + dos[1].estado, 606);
    EXPECT_EQ(fs.temporales, temporales + 1);
    EXPECT_EQ(leida()->cuestionarios.size(), 4u);
    EXPECT_EQ(r->guardadas(), 3);
}

TEST_F(Recogida, GuessingIsSlowedDownButARightCodeWaitsSecondsAtMost) {
    for (int i = 0; i < TLimitador::kLibres + 1; ++i) {
        const Respuesta m =
            enviar("codigo=654321&r1=5&grupo=Almac%C3%A9n", "10.0.0.9", t0 + 1s * i);
        EXPECT_EQ(m.estado, 403);
        EXPECT_EQ(m.retener, i < TLimitador::kLibres ? 0ms : 5000ms);
        // The worker's answers come back marked, the code to be corrected.
        EXPECT_NE(m.cuerpo.find("El código no es correcto."), std::string::npos);
        EXPECT_NE(m.cuerpo.find("name=\"r1\" value=\"5\" checked>"), std::string::npos);
        EXPECT_NE(m.cuerpo.find("value=\"Almacén\" checked>"), std::string::npos);
        EXPECT_NE(m.cuerpo.find("value=\"654321\""), std::string::npos);
    }
    nadaGuardado();
    // A try from that address before the wait is over is not even checked;
    // the right code passes a few seconds later, and from elsewhere at once.
    const Respuesta espera = enviar("codigo=123456&r1=1", "10.0.0.9", t0 + 7s);
    EXPECT_EQ(espera.estado, 429);
    EXPECT_NE(espera.cuerpo.find("Espere 3 segundos y vuelva a enviar"), std::string::npos);
    EXPECT_EQ(cabecera(espera, "Retry-After"), "3");
    EXPECT_EQ(doc.cuestionarios.size(), 0u);
    EXPECT_EQ(enviar("codigo=123456&r1=1", "10.0.0.10", t0 + 7s).estado, 303);
    EXPECT_EQ(enviar("codigo=123456&r1=1", "10.0.0.9", t0 + 10s).estado, 303);
    EXPECT_EQ(doc.cuestionarios.size(), 2u);

    // Across addresses: a burst of the budget, then answers held, then tries
    // refused unchecked until the budget has room again.
    const Reloj::time_point t1 = t0 + 1h;
    for (int i = 0; i < TLimitador::kPresupuesto + 2; ++i) {
        const Respuesta m = enviar("codigo=1&r1=1", "10.1.0." + std::to_string(i), t1);
        EXPECT_EQ(m.estado, 403);
        EXPECT_EQ(m.retener, i < TLimitador::kPresupuesto ? 0ms : 2000ms * (i - 29));
    }
    EXPECT_EQ(enviar("codigo=123456&r1=1", "10.2.0.1", t1).estado, 429);
    EXPECT_EQ(enviar("codigo=123456&r1=1", "10.2.0.1", t1 + 1s).estado, 303);
    EXPECT_EQ(doc.cuestionarios.size(), 3u);

    // However many addresses, held answers or not, at most one code a
    // kIntervalo is checked in the long run.
    TLimitador l;
    int comprobados = 0;
    for (auto t = t1; t < t1 + 1h; t += 100ms) {
        const std::string dir = "10.3." + std::to_string(comprobados % 8000);
        if (l.espera(dir, t) > 0s) continue;
        ++comprobados;
        EXPECT_LE(l.fallo(dir, t), TLimitador::kMaxRetener);
    }
    EXPECT_LE(comprobados, 3600 / 2 + TLimitador::kPresupuesto + 3);
    EXPECT_GE(comprobados, 3600 / 2);

    EXPECT_TRUE(igualesTiempoConstante("123456", "123456"));
    EXPECT_FALSE(igualesTiempoConstante("12345", "123456"));
    EXPECT_FALSE(igualesTiempoConstante("1234567", "123456"));
    EXPECT_FALSE(igualesTiempoConstante(std::string(65, '1'), std::string(65, '1')));
    const std::string c = codigoAleatorio();
    EXPECT_EQ(c.size(), 8u);
    EXPECT_EQ(c.find_first_not_of("0123456789"), std::string::npos);
}

TEST_F(Recogida, AnythingMalformedGets400AndStoresNothing) {
    const char* cuerpos[] = {
        "codigo=123456&r2=5",  // item 2 has four options
        "codigo=123456&r1=a",
        "codigo=123456&r1=12",
        "codigo=123456&r1=",
        "codigo=123456&r76=1",
        "codigo=123456&r0=1",
        "codigo=123456&r01=1",
        "codigo=123456&r1=1&r1=2",
        "codigo=123456&codigo=123456",
        "codigo=123456&grupo=Oficina",  // a group not offered
        "codigo=123456&grupo=Nadie",
        "codigo=123456&grupo=Almac%C3%A9n&grupo=Almac%C3%A9n",
        "codigo=123456&grupo=%FF",  // not UTF-8
        "codigo=123456&r1=%4",
        "codigo=123456&r1=%G1",
        "codigo=123456&&r1=1",
        "codigo=123456&r1",
        "codigo=123456&otro=1",
        "codigo=123456&r1=1&confirmar=2",
        "codigo=123456&r1=1&confirmar=1&confirmar=1",
        "codigo=123456&r1=1&grupo1=Almac%C3%A9n",  // no group questions here
        "codigo=123456&envio=0123456789abcdef0123456789ABCDEF",
        "codigo=123456&envio=0123456789abcdef0123456789abcde",
        "codigo=123456&envio=0123456789abcdef0123456789abcdef&envio="
        "0123456789abcdef0123456789abcdef",
        "r1=1",
        "",
    };
    for (const char* c : cuerpos) {
        SCOPED_TRACE(c);
        EXPECT_EQ(enviar(c).estado, 400);
        nadaGuardado();
    }
    EXPECT_EQ(enviar("codigo=123456&r1=1&" + std::string(kMaxCuerpo, '0')).estado, 400);
    for (const char* tipo : {"", "text/plain", "application/x-www-form-urlencoded; charset=latin1",
                             "multipart/form-data"}) {
        SCOPED_TRACE(tipo);
        EXPECT_EQ(r->atender(post("codigo=123456&r1=1", "10.0.0.2", tipo), t0).estado, 400);
    }
    EXPECT_EQ(r->atender({"GET", "/enviar", {}, "", "10.0.0.2"}, t0).estado, 405);
    EXPECT_EQ(r->atender({"POST", "/", {}, "", "10.0.0.2"}, t0).estado, 405);
    EXPECT_EQ(r->atender({"POST", "/gracias", {}, "", "10.0.0.2"}, t0).estado, 405);
    EXPECT_EQ(r->atender({"GET", "/../empresa.kr2", {}, "", "10.0.0.2"}, t0).estado, 404);
    EXPECT_EQ(r->atender({"GET", "/favicon.ico", {}, "", "10.0.0.2"}, t0).estado, 404);
    for (const char* ruta : {"/gracias/0", "/gracias/76", "/gracias/07", "/gracias/1x"})
        EXPECT_EQ(r->atender({"GET", ruta, {}, "", "10.0.0.2"}, t0).estado, 404) << ruta;
    nadaGuardado();
    // None of it counted as a guess at the code.
    EXPECT_EQ(enviar("codigo=123456&r1=1").estado, 303);
}

TEST_F(Recogida, AnAnswerThatCouldNotBeSavedIsTakenOutAndCanBeSentAgain) {
    std::vector<std::string> fallos;
    r->alFallarGuardado = [&](const std::string& m) { fallos.push_back(m); };
    std::vector<std::vector<std::int32_t>> lotes;
    r->alGuardarLote = [&](const std::vector<std::int32_t>& ids) {
        lotes.push_back(ids);
        // What the caller keeps: the marks as the company file has them.
        EXPECT_EQ(r->codigosUsados(), 2u);
    };
    auto codigos = codigosConHash("sal", {"33333333", "11111111", "22222222"});
    EXPECT_EQ(codigos[1].hash, hashCodigo("sal", "11111111"));
    codigos[2].usado = true;
    r->fijarCodigosIndividuales("sal", codigos);
    EXPECT_NE(r->formulario().find("Código individual"), std::string::npos);
    EXPECT_EQ(enviar("codigo=123456&r1=1").estado, 403) << "the campaign's code no longer serves";
    EXPECT_EQ(enviar("codigo=22222222&r1=1").estado, 403) << "used in an earlier session";

    fs.fallarAlCrear = true;
    const std::string envio = "&confirmar=1&envio=" + envioDe(r->formulario());
    EXPECT_TRUE(r->recibir(post("codigo=11111111&r1=2" + envio), t0).pendiente);
    EXPECT_TRUE(r->recibir(post("codigo=33333333&r2=2"), t0).pendiente);
    const auto respuestas = r->cerrarLote();
    ASSERT_EQ(respuestas.size(), 2u);
    for (const Respuesta& m : respuestas) {
        EXPECT_EQ(m.estado, 503);
        EXPECT_NE(m.cuerpo.find("No se han podido guardar sus respuestas."), std::string::npos);
    }
    EXPECT_EQ("&confirmar=1&envio=" + envioDe(respuestas[0].cuerpo), envio)
        << "the same token kept";
    EXPECT_NE(respuestas[1].cuerpo.find("name=\"r2\" value=\"2\" checked>"), std::string::npos);
    EXPECT_EQ(fallos.size(), 1u);
    nadaGuardado();
    EXPECT_FALSE(doc.modificado);
    EXPECT_EQ(r->guardadas(), 0);

    fs.fallarAlCrear = false;
    EXPECT_EQ(enviar("codigo=11111111&r1=2" + envio).estado, 303) << "its token freed too";
    EXPECT_EQ(enviar("codigo=11111111&r1=2").estado, 403) << "each code once";
    EXPECT_EQ(leida()->cuestionarios.size(), 1u);
    ASSERT_EQ(lotes.size(), 1u);
    EXPECT_EQ(lotes[0], (std::vector<std::int32_t>{leida()->cuestionarios[0]->id}));
    const auto& guardados = r->codigosIndividuales();
    ASSERT_EQ(guardados.size(), 3u);
    EXPECT_EQ(guardados[0].hash, codigos[0].hash);
    EXPECT_EQ((std::vector<bool>{guardados[0].usado, guardados[1].usado, guardados[2].usado}),
              (std::vector<bool>{false, true, true}));

    // A later session, from what was kept.
    Campana c;
    c.codigo = "123456";
    TRecogida otra(doc, c);
    otra.fijarCodigosIndividuales("sal", guardados);
    EXPECT_EQ(otra.atender(post("codigo=11111111&r1=1"), t0).estado, 403);
    EXPECT_EQ(otra.atender(post("codigo=33333333&r1=1"), t0).estado, 303);
    EXPECT_EQ(otra.codigosUsados(), 3u);
}

TEST_F(Recogida, AnAnswerSentAgainWithItsTokenIsStoredOnce) {
    const std::string a = "codigo=123456&r1=1&confirmar=1&envio=" + envioDe(r->formulario());
    const std::string b = "codigo=123456&r1=2&confirmar=1&envio=" + envioDe(r->formulario());
    // A copy in the same batch is answered with it and adds nothing.
    EXPECT_TRUE(r->recibir(post(a), t0).pendiente);
    EXPECT_TRUE(r->recibir(post(a, "10.0.0.3"), t0).pendiente);
    const auto respuestas = r->cerrarLote();
    ASSERT_EQ(respuestas.size(), 2u);
    EXPECT_EQ(respuestas[1].estado, 303);
    EXPECT_EQ(r->guardadas(), 1);
    // Later copies too, even if the code no longer serves; a wrong code
    // keeps the form's token, so the one later accepted is stored once.
    const Respuesta otra = enviar(a);
    EXPECT_EQ(otra.estado, 303);
    EXPECT_EQ(cabecera(otra, "Location"), "/gracias/74");
    r->fijarCodigosIndividuales("s", codigosConHash("s", {"11111111"}));
    EXPECT_EQ(enviar(a).estado, 303);
    const Respuesta mal = enviar("codigo=1&" + b.substr(14));
    EXPECT_EQ(mal.estado, 403);
    EXPECT_EQ(envioDe(mal.cuerpo), b.substr(b.size() - kLargoEnvio));
    EXPECT_EQ(enviar("codigo=11111111&" + b.substr(14)).estado, 303);
    EXPECT_EQ(enviar("codigo=11111111&" + b.substr(14)).estado, 303);
    // Without a token (a script) each is stored as sent.
    r->fijarCodigosIndividuales({}, {});
    EXPECT_EQ(enviar("codigo=123456&r1=3").estado, 303);
    EXPECT_EQ(enviar("codigo=123456&r1=3").estado, 303);
    EXPECT_EQ(leida()->cuestionarios.size(), 4u);
}

TEST_F(Recogida, BlankItemsAreRefusedOrShownAgainBeforeTheyAreStored) {
    // Nothing marked: refused, from the form or from a script.
    for (const std::string& c : {std::string("codigo=123456&grupo=Almac%C3%A9n&r1=0"),
                                 "codigo=123456&envio=" + envioDe(r->formulario())}) {
        const Respuesta m = enviar(c);
        EXPECT_EQ(m.estado, 400);
        EXPECT_NE(m.cuerpo.find("No ha marcado ninguna respuesta"), std::string::npos);
    }
    nadaGuardado();

    // From the form with items 3 and 18 blank: shown again, those marked,
    // every answer kept, the token the same; stored once confirmed.
    const std::string envio = envioDe(r->formulario());
    std::string cuerpo = "codigo=123456&grupo=Almac%C3%A9n&envio=" + envio;
    for (int i = 1; i <= 75; ++i)
        if (i != 3 && i != 18) cuerpo += "&r" + std::to_string(i) + "=1";
    const Respuesta m = enviar(cuerpo);
    EXPECT_EQ(m.estado, 200);
    nadaGuardado();
    const std::string& h = m.cuerpo;
    EXPECT_NE(h.find("Preguntas sin respuesta: <a href=\"#p3\">3</a>, <a href=\"#p18\">18</a>"),
              std::string::npos);
    EXPECT_NE(h.find("<fieldset id=\"p3\" class=\"falta\" aria-describedby=\"f3\">"),
              std::string::npos);
    EXPECT_NE(h.find("<fieldset id=\"p18\" class=\"falta\" aria-describedby=\"e1 f18\">"),
              std::string::npos);
    EXPECT_EQ(contar(h, "class=\"falta\""), 4u);  // the two fieldsets and their notes
    EXPECT_EQ(contar(h, " checked>"), 73u + 1u);
    EXPECT_EQ(contar(h, "name=\"confirmar\" value=\"1\">Enviar de todos modos</button>"), 2u);
    EXPECT_EQ(envioDe(h), envio);
    const Respuesta hecho = enviar(cuerpo + "&confirmar=1");
    EXPECT_EQ(hecho.estado, 303);
    EXPECT_EQ(cabecera(hecho, "Location"), "/gracias/2");
    EXPECT_NE(r->atender({"GET", "/gracias/1", {}, "", "10.0.0.2"}, t0)
                  .cuerpo.find("<p>1 pregunta sin respuesta.</p>"),
              std::string::npos);
    EXPECT_EQ(r->atender({"GET", "/gracias", {}, "", "10.0.0.2"}, t0).cuerpo.find("sin respuesta"),
              std::string::npos);
    EXPECT_EQ(leida()->cuestionarios.size(), 1u);
    EXPECT_EQ(leida()->cuestionarios[0]->respuestas[2], '0');
}

TEST_F(Recogida, GroupsAskedAsQuestionsTakeOneEachAndTheNoticeIsTheAssessors) {
    Campana c;
    c.codigo = "123456";
    c.grupos = {"Oficina"};  // not used when there are questions
    c.preguntas = {{"Turno <T>", {kTurno, "Almacén"_cp}}, {"Sede", {"Oficina", kTurno}}};
    c.aviso = "Línea <1>\r\n\n Línea 2 "_cp;
    r = std::make_unique<TRecogida>(doc, c);
    const std::string h = r->formulario();
    EXPECT_EQ(contar(h, "type=\"checkbox\""), 0u);
    EXPECT_NE(h.find("<fieldset><legend>Turno &lt;T&gt;</legend>"), std::string::npos);
    EXPECT_EQ(contar(h, "name=\"grupo1\""), 3u);
    EXPECT_EQ(contar(h, "name=\"grupo2\""), 2u) << "a group offered once";
    EXPECT_NE(h.find("name=\"grupo2\" value=\"\"> Prefiero no decirlo</label>"), std::string::npos);
    EXPECT_NE(h.find("<h2>INFORMACIÓN:</h2>\n<p>Línea &lt;1&gt;</p>\n<p>Línea 2</p>\n</div>"),
              std::string::npos);

    for (const char* cuerpo : {
             "codigo=123456&r1=1&grupo=Almac%C3%A9n&grupo="
             "Turno+%3Cnoche%3E+%26+%22B%22+%27C%27",
             "codigo=123456&r1=1&grupo1=Almac%C3%A9n&grupo=Turno+%3Cnoche%3E+%26+%22B%22+%27C%27",
             "codigo=123456&r1=1&grupo2=Almac%C3%A9n",  // not of that question
             "codigo=123456&r1=1&grupo1=&grupo1=Almac%C3%A9n",
             "codigo=123456&r1=1&grupo3=Oficina",
             "codigo=123456&r1=1&grupo01=Oficina",
         }) {
        SCOPED_TRACE(cuerpo);
        EXPECT_EQ(enviar(cuerpo).estado, 400);
        nadaGuardado();
    }
    EXPECT_EQ(enviar("codigo=123456&r1=1&grupo1=Almac%C3%A9n&grupo2=Oficina").estado, 303);
    EXPECT_EQ(enviar("codigo=123456&r1=1&grupo1=&grupo=Oficina").estado, 303);
    const auto d = leida();
    ASSERT_EQ(d->cuestionarios.size(), 2u);
    ASSERT_EQ(d->cuestionarios[0]->grupos.size(), 2u);
    EXPECT_EQ(d->cuestionarios[0]->grupos[0]->nombre, "Almacén"_cp);
    EXPECT_EQ(d->cuestionarios[0]->grupos[1]->nombre, "Oficina");
    EXPECT_EQ(d->cuestionarios[1]->grupos.size(), 1u);

    // The default notice names who runs the assessment and the smallest group.
    const std::string aviso = cp1252AUtf8(avisoPorDefecto("Talleres", "Prevención Norte"_cp, 7));
    EXPECT_EQ(aviso.rfind("Prevención Norte hace esta evaluación de los factores psicosociales "
                          "del trabajo en Talleres para",
                          0),
              0u);
    for (const char* trozo :
         {"voluntario", "de menos de 7 personas", "ni la hora", "solo el día",
          "que lleva Prevención Norte", "sin cifrar", "pregunte a Prevención Norte."})
        EXPECT_NE(aviso.find(trozo), std::string::npos) << trozo;
}
