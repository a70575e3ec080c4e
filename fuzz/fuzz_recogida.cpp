// Any requests to the answer collection, on a company held in memory whose
// saves succeed or fail as the input says. The input's first byte chooses
// the saves that fail and the single-use codes; the rest is requests, split
// by 0x1E, each "METHOD PATH [ADDRESS]\n", header lines "Name: value\n", an
// empty line and the body. Every accepted answer adds exactly one
// questionnaire, kept only when its save succeeds; every stored answer is in
// range; no page carries markup from the request or the company unescaped.
#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "document/Instrumento.h"
#include "platform/Texto.h"
#include "red/Recogida.h"

namespace {

using namespace koral;
using namespace koral::red;

void comprobar(bool condicion) {
    if (!condicion) __builtin_trap();
}

std::string_view sinBlancos(std::string_view s) {
    const auto blanco = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && blanco(s.front())) s.remove_prefix(1);
    while (!s.empty() && blanco(s.back())) s.remove_suffix(1);
    return s;
}

std::string desescapar(std::string_view s) {
    static const std::pair<std::string_view, char> kRef[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
    std::string r;
    for (std::size_t i = 0; i < s.size();) {
        bool hecho = false;
        for (const auto& [ref, c] : kRef)
            if (s.substr(i, ref.size()) == ref) {
                r += c;
                i += ref.size();
                hecho = true;
                break;
            }
        if (!hecho) {
            comprobar(s[i] != '&');  // every '&' of a text is a reference
            r += s[i++];
        }
    }
    return r;
}

// Only the program's own tags, each closed before the next one opens, no
// '<' or '>' inside an attribute's value nor '>' in the text between tags.
// `codigo`: what the code field must show again, if it shows anything.
void soloMarcasPropias(std::string_view h, const std::string* codigo = nullptr) {
    static const std::vector<std::string_view> kEtiquetas = {
        "!DOCTYPE", "html",     "/html",  "head",  "/head",    "meta",      "title",   "/title",
        "style",    "body",     "/body",  "main",  "/main",    "h1",        "/h1",     "h2",
        "/h2",      "p",        "/p",     "em",    "/em",      "strong",    "/strong", "form",
        "/form",    "label",    "/label", "input", "fieldset", "/fieldset", "legend",  "/legend",
        "button",   "/button",  "a",      "/a",    "script",   "/script",   "div",     "/div",
        "section",  "/section", "span",   "/span"};
    for (std::size_t i = 0; i < h.size();) {
        if (h[i] == '>') __builtin_trap();
        if (h[i] != '<') {
            ++i;
            continue;
        }
        std::size_t fin = i + 1;
        while (fin < h.size() && h[fin] != ' ' && h[fin] != '>') ++fin;
        const std::string_view nombre = h.substr(i + 1, fin - i - 1);
        comprobar(std::find(kEtiquetas.begin(), kEtiquetas.end(), nombre) != kEtiquetas.end());
        bool comillas = false;
        for (; fin < h.size() && (comillas || h[fin] != '>'); ++fin) {
            comprobar(h[fin] != '<' && (!comillas || h[fin] != '>'));
            if (h[fin] == '"') comillas = !comillas;
        }
        comprobar(fin < h.size());
        const std::string_view etiqueta = h.substr(i, fin - i);
        if (codigo && nombre == "input" &&
            etiqueta.find(" id=\"codigo\"") != std::string_view::npos) {
            const auto v = etiqueta.find(" value=\"");
            if (v != std::string_view::npos) {
                const auto desde = v + 8;
                comprobar(desescapar(etiqueta.substr(desde, etiqueta.find('"', desde) - desde)) ==
                          *codigo);
            }
        }
        i = fin + 1;
        // The style sheet and the script are the program's own, kept whole.
        for (std::string_view bloque : {"style", "script"})
            if (nombre == bloque) {
                const auto cierre = h.find("</" + std::string(bloque) + ">", i);
                comprobar(cierre != std::string_view::npos);
                i = cierre + bloque.size() + 3;
            }
    }
}

// The code a POST's body carries, as its form shows it again.
std::string codigoEnviado(const std::string& cuerpo) {
    std::vector<std::pair<std::string, std::string>> campos;
    if (!decodificarFormulario(cuerpo, campos)) return {};
    for (const auto& [n, v] : campos)
        if (n == "codigo") return std::string(sinBlancos(v));
    return {};
}

Peticion leer(std::string_view s) {
    Peticion p;
    const auto linea = [&] {
        const auto k = s.find('\n');
        std::string_view l = s.substr(0, k);
        s.remove_prefix(k == std::string_view::npos ? s.size() : k + 1);
        return l;
    };
    std::string_view primera = linea();
    const auto corte = [&] {
        const auto k = primera.find(' ');
        std::string_view t = primera.substr(0, k);
        primera.remove_prefix(k == std::string_view::npos ? primera.size() : k + 1);
        return std::string(t);
    };
    p.metodo = corte();
    p.ruta = corte();
    p.direccion = corte();
    while (!s.empty()) {
        const std::string_view l = linea();
        if (l.empty()) break;
        const auto dos = l.find(':');
        p.cabeceras.emplace_back(std::string(l.substr(0, dos)),
                                 dos == std::string_view::npos
                                     ? std::string()
                                     : std::string(sinBlancos(l.substr(dos + 1))));
    }
    p.cuerpo = std::string(s);
    return p;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t n) {
    if (n == 0) return 0;
    const unsigned opciones = datos[0];
    std::string_view resto(reinterpret_cast<const char*>(datos) + 1, n - 1);

    TKoral doc;
    doc.iniciarEmpresa("Talleres <S.A.> & \"Hijos\"");
    doc.agregarGrupo("Turno <noche> & 'B'");
    doc.agregarGrupo("Almacén"_cp);
    int guardados = 0;
    // Saves fail as the first byte's low bits say, one bit a save.
    Campana campana;
    campana.codigo = "123456";
    campana.grupos = {"Turno <noche> & 'B'", "Almacén"_cp};
    TRecogida r(doc, campana, [&] {
        if ((opciones >> (guardados++ % 6)) & 1) throw std::runtime_error("disco lleno");
    });
    if (opciones & 0x80) {
        // Two single-use codes, the second used in an earlier session.
        const std::string sal = "00112233445566778899aabbccddeeff";
        auto codigos = codigosConHash(sal, {"11111111", "22222222"});
        codigos[1].usado = true;
        r.fijarCodigosIndividuales(sal, codigos);
    }
    const bool porLotes = opciones & 0x40;

    auto ahora = Reloj::time_point{} + std::chrono::hours(10);
    std::size_t antesDelLote = 0, anadidas = 0;
    const auto cerrar = [&] {
        const std::size_t enLote = r.pendientes();
        const int antes = guardados;
        const auto respuestas = r.cerrarLote();
        comprobar(respuestas.size() == enLote);
        if (enLote == 0) return;
        const bool fallo = (opciones >> (antes % 6)) & 1;
        comprobar(doc.cuestionarios.size() == antesDelLote + (fallo ? 0 : anadidas));
        for (const Respuesta& m : respuestas) {
            comprobar(m.estado == (fallo ? 503 : 303));
            soloMarcasPropias(m.cuerpo);
        }
        anadidas = 0;
    };

    while (!resto.empty()) {
        const auto k = resto.find('\x1e');
        const Peticion p = leer(resto.substr(0, k));
        resto.remove_prefix(k == std::string_view::npos ? resto.size() : k + 1);
        ahora += std::chrono::milliseconds(700);

        if (r.pendientes() == 0) antesDelLote = doc.cuestionarios.size();
        const std::size_t antes = doc.cuestionarios.size(), pendientesAntes = r.pendientes();
        const TRecogida::Resultado res = r.recibir(p, ahora);
        const std::size_t despues = doc.cuestionarios.size();
        // An accepted answer adds exactly one questionnaire, and waits for its save.
        comprobar(despues == antes || despues == antes + 1);
        comprobar(r.pendientes() == pendientesAntes + (res.pendiente ? 1 : 0));
        if (despues > antes) comprobar(res.pendiente);
        anadidas += despues - antes;
        comprobar(res.respuesta.retener >= std::chrono::milliseconds(0) &&
                  res.respuesta.retener <= TLimitador::kMaxRetener);
        if (res.respuesta.estado == 303 || res.respuesta.estado == 200)
            comprobar(res.respuesta.retener.count() == 0);
        const std::string codigo = codigoEnviado(p.cuerpo);
        soloMarcasPropias(res.respuesta.cuerpo, &codigo);
        if (!porLotes || r.pendientes() >= 3) cerrar();
    }
    cerrar();

    comprobar(doc.nCuestionarios == static_cast<std::int64_t>(doc.cuestionarios.size()));
    comprobar(r.guardadas() == static_cast<int>(doc.cuestionarios.size()));
    for (const auto& q : doc.cuestionarios) {
        for (std::size_t i = 0; i < q->respuestas.size(); ++i)
            comprobar(q->respuestas[i] >= '0' &&
                      q->respuestas[i] - '0' <= opcionesItem(static_cast<int>(i) + 1));
        for (const TGrupo* g : q->grupos)
            comprobar(std::count(g->cuestionarios.begin(), g->cuestionarios.end(), q.get()) == 1);
    }
    return 0;
}
