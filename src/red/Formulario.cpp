#include "red/Formulario.h"

#include <array>
#include <cstdint>
#include <stdexcept>
#include <utility>

#include "method/Textos.h"
#include "platform/Sha256.h"
#include "platform/Texto.h"

namespace koral::red {

namespace {

// One column on a phone, wider on a computer; touch targets of at least
// 44 pixels; a marked option is shaded where the browser can tell.
constexpr const char* kEstilo =
    "*{box-sizing:border-box}"
    "body{margin:0;font:1rem/1.45 system-ui,sans-serif;color:#111;background:#fff}"
    "main{max-width:42rem;margin:0 auto;padding:.75rem}"
    "h1{font-size:1.1rem;margin:.5rem 0}"
    "h2{font-size:1rem;margin:1.5rem 0 .5rem}"
    ".empresa{font-weight:bold;margin:0 0 1rem}"
    ".aviso{background:#fde8e8;border:2px solid #a00;border-radius:.4rem;padding:.6rem}"
    "fieldset{border:1px solid #bbb;border-radius:.4rem;margin:0 0 .8rem;padding:.3rem .6rem .4rem;"
    "min-width:0}"
    "legend{float:left;width:100%;padding:.3rem 0 .4rem}"
    "legend+*{clear:both}"
    "label{display:flex;gap:.6rem;align-items:flex-start;min-height:2.75rem;padding:.55rem .2rem;"
    "border-top:1px solid #eee}"
    "label:has(input:checked){background:#e6f0ff}"
    "label.sin{color:#555;font-size:.9rem}"
    "input[type=radio],input[type=checkbox]{flex:none;width:1.3rem;height:1.3rem;margin:.05rem 0 0}"
    ".codigo label{border:0;display:block;min-height:0;padding:.3rem 0;font-weight:bold}"
    ".codigo input{font-size:1.2rem;padding:.5rem;width:100%;max-width:16rem}"
    "button{font-size:1.1rem;padding:.8rem 1rem;width:100%;margin:.5rem 0 2rem}"
    ":focus-visible{outline:3px solid #05c;outline-offset:2px}";

void cabecera(std::string& h, std::string_view titulo) {
    h += "<!DOCTYPE html>\n<html lang=\"es\"><head><meta charset=\"utf-8\">"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
         "<title>";
    h += escaparHtml(titulo);
    h += "</title><style>";
    h += kEstilo;
    h += "</style></head>\n<body><main>\n";
}

// A page the browser brings back from its back/forward cache keeps what the
// last worker marked, and its token was used: it is cleared at once and
// replaced by a fresh form. A page loaded anew drops whatever the browser
// filled in on its own and keeps what the server marked. A form shown again
// after a POST takes the address of the blank form, so that Back or reload
// fetches that instead of offering to send the last worker's answers again.
constexpr const char* kScript =
    "if(location.pathname!='/')history.replaceState(null,'','/');"
    "addEventListener('pageshow',function(e){var f=document.forms[0];if(!f)return;"
    "if(!e.persisted){f.reset();return;}"
    "Array.prototype.forEach.call(f.elements,function(c){"
    "if(c.type=='radio'||c.type=='checkbox')c.checked=false;else if(c.type=='text')c.value='';});"
    "location.replace('/');});";

void pie(std::string& h) {
    h += "</main></body></html>\n";
}

std::string html(std::string_view cp) {
    return escaparHtml(cp1252AUtf8(cp));
}

std::string_view recortar(std::string_view s) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

// A line of the questionnaire with its markup: "<C>" opens an aside (shown
// in italics, as printed), "<N>" a heading (bold), "<n>" goes back to plain.
std::string conMarcas(std::string_view linea) {
    const auto marca = [&](std::size_t desde) {
        for (auto k = linea.find('<', desde); k != std::string_view::npos;
             k = linea.find('<', k + 1))
            if (k + 2 < linea.size() && linea[k + 2] == '>' &&
                (linea[k + 1] == 'C' || linea[k + 1] == 'N' || linea[k + 1] == 'n'))
                return k;
        return std::string_view::npos;
    };
    std::string r;
    const char* cierre = nullptr;
    for (std::size_t i = 0;;) {
        const auto k = marca(i);
        std::string_view tramo = linea.substr(i, k == std::string_view::npos ? k : k - i);
        // The texts put a blank before "<n>" and none after it.
        if (k == std::string_view::npos || linea[k + 1] == 'n') tramo = recortar(tramo);
        r += html(tramo);
        if (k == std::string_view::npos) break;
        if (cierre) r += std::exchange(cierre, nullptr);
        const char tipo = linea[k + 1];
        i = k + 3;
        if (tipo == 'C') {
            r += "<em>";
            cierre = "</em>";
        } else if (tipo == 'N') {
            r += "<strong>";
            cierre = "</strong>";
        } else {
            while (i < linea.size() && linea[i] == ' ') ++i;
            if (i < linea.size()) r += ' ';
        }
    }
    if (cierre) r += cierre;
    return r;
}

// A radio button or checkbox inside the label tied to it; `valor` and
// `texto` are HTML already.
void casilla(std::string& h, const char* tipo, const std::string& id, const std::string& nombre,
             std::string_view valor, bool marcada, std::string_view texto,
             const char* clase = nullptr) {
    h += "<label";
    if (clase) h.append(" class=\"").append(clase).append("\"");
    h.append(" for=\"").append(id).append("\"><input type=\"").append(tipo);
    h.append("\" id=\"").append(id).append("\" name=\"").append(nombre);
    h.append("\" value=\"").append(valor).append(marcada ? "\" checked> " : "\"> ");
    h.append(texto).append("</label>\n");
}

// The 75 questions, each a fieldset of radio buttons named r1 ... r75, the
// block headings between them; options marked as `marcadas` says.
void preguntas(std::string& h, const Respuestas* marcadas) {
    const auto& lineas = lineasCuestionario();
    int item = 0;
    int opciones = 0;
    bool abierto = false;
    const auto cerrar = [&] {
        if (!abierto) return;
        if (opciones != opcionesItem(item))
            throw std::logic_error("questionnaire text: wrong option count");
        const std::string nombre = "r" + std::to_string(item);
        casilla(h, "radio", nombre + "-0", nombre, "0", false, "sin respuesta", "sin");
        h += "</fieldset>\n";
        abierto = false;
    };
    for (const std::string& l : lineas) {
        const std::string_view linea(l);
        if (linea.empty()) {
            cerrar();
        } else if (linea.rfind("<N>", 0) == 0) {
            cerrar();
            h += "<h2>" + conMarcas(linea.substr(3)) + "</h2>\n";
        } else if (linea.front() == '\t') {
            if (!abierto || linea.size() < 3 || linea[1] != '0' + opciones + 1 || linea[2] != ' ')
                throw std::logic_error("questionnaire text: misplaced option line");
            ++opciones;
            const std::string nombre = "r" + std::to_string(item);
            const std::string id = nombre + "-" + std::to_string(opciones);
            const bool marcada = marcadas && (*marcadas)[item - 1] == linea[1];
            casilla(h, "radio", id, nombre, linea.substr(1, 1), marcada,
                    html(recortar(linea.substr(3))));
        } else {
            cerrar();
            if (linea.rfind(std::to_string(item + 1) + ". ", 0) != 0)
                throw std::logic_error("questionnaire text: questions out of order");
            ++item;
            opciones = 0;
            abierto = true;
            h += "<fieldset><legend>" + conMarcas(linea) + "</legend>\n";
        }
    }
    cerrar();
    if (item != kNumItems) throw std::logic_error("questionnaire text: wrong item count");
}

}  // namespace

std::string escaparHtml(std::string_view texto) {
    std::string r;
    r.reserve(texto.size());
    for (char c : texto) {
        switch (c) {
            case '&':
                r += "&amp;";
                break;
            case '<':
                r += "&lt;";
                break;
            case '>':
                r += "&gt;";
                break;
            case '"':
                r += "&quot;";
                break;
            case '\'':
                r += "&#39;";
                break;
            default:
                r += c;
        }
    }
    return r;
}

std::string paginaFormulario(const DatosFormulario& d, std::string_view envio,
                             const Marcas* marcas) {
    std::string h;
    h.reserve(std::size_t{96} * 1024);
    cabecera(h, "Cuestionario de factores psicosociales");
    h += "<h1>CUESTIONARIO DEL MÉTODO DE EVALUACIÓN DE FACTORES PSICOSOCIALES</h1>\n";
    h += "<p class=\"empresa\">" + html(d.empresa) + "</p>\n";
    if (marcas && !marcas->aviso.empty())
        h += "<p class=\"aviso\" role=\"alert\">" + escaparHtml(marcas->aviso) + "</p>\n";
    h += "<h2>INSTRUCCIONES:</h2>\n"
         "<p>Este cuestionario es anónimo. Conteste sinceramente a todas las preguntas, "
         "marcando las opciones que mejor se ajusten.</p>\n"
         "<p>Una pregunta sin marcar se guarda como «sin respuesta». Se guardan sus respuestas "
         "y los grupos que marque, con la fecha del día, en el ordenador de quien hace la "
         "evaluación; nada más sobre usted ni sobre su aparato.</p>\n";
    h +=
        "<form method=\"post\" action=\"/enviar\" accept-charset=\"UTF-8\" autocomplete=\"off\">\n";
    h += "<p class=\"codigo\"><label for=\"codigo\">";
    h += d.codigoIndividual ? "Código individual" : "Código de la campaña";
    h += "</label><input type=\"text\" id=\"codigo\" name=\"codigo\" required "
         "autocomplete=\"off\" autocapitalize=\"off\" spellcheck=\"false\"";
    if (d.codigoNumerico) h += " inputmode=\"numeric\"";
    if (marcas && !marcas->codigo.empty()) h += " value=\"" + escaparHtml(marcas->codigo) + "\"";
    h += "></p>\n";
    if (!d.grupos.empty()) {
        h += "<fieldset><legend>GRUPOS <em>(marque los suyos)</em></legend>\n";
        for (std::size_t i = 0; i < d.grupos.size(); ++i) {
            const bool marcado = marcas && i < marcas->grupos.size() && marcas->grupos[i];
            const std::string nombre = html(d.grupos[i]);
            casilla(h, "checkbox", "g" + std::to_string(i + 1), "grupo", nombre, marcado, nombre);
        }
        h += "</fieldset>\n";
    }
    preguntas(h, marcas ? &marcas->respuestas : nullptr);
    h += "<input type=\"hidden\" name=\"envio\" value=\"" + escaparHtml(envio) + "\">\n";
    h += "<button type=\"submit\">Enviar respuestas</button>\n</form>\n<script>";
    h += kScript;
    h += "</script>\n";
    pie(h);
    return h;
}

std::string paginaGracias() {
    std::string h;
    cabecera(h, "Respuestas guardadas");
    h += "<h1>Respuestas guardadas</h1>\n"
         "<p role=\"status\">Gracias. Sus respuestas se han guardado.</p>\n"
         "<p><a href=\"/\">Volver al cuestionario en blanco</a></p>\n";
    pie(h);
    return h;
}

std::string paginaMensaje(std::string_view titulo, std::string_view texto) {
    std::string h;
    cabecera(h, titulo);
    h += "<h1>" + escaparHtml(titulo) + "</h1>\n<p>" + escaparHtml(texto) + "</p>\n";
    h += "<p><a href=\"/\">Volver al cuestionario</a></p>\n";
    pie(h);
    return h;
}

}  // namespace koral::red

namespace koral::red {

const std::string& politicaSeguridad() {
    static const std::string politica =
        "default-src 'none'; style-src 'unsafe-inline'; script-src 'sha256-" +
        sha256Base64(kScript) + "'; form-action 'self'; base-uri 'none'; frame-ancestors 'none'";
    return politica;
}

std::string sha256Base64(std::string_view datos) {
    const std::array<unsigned char, 32> d = sha256(datos);
    static constexpr char kBase64[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string r;
    for (std::size_t i = 0; i < 32; i += 3) {
        const std::uint32_t n = (std::uint32_t{d[i]} << 16) |
                                (i + 1 < 32 ? std::uint32_t{d[i + 1]} << 8 : 0) |
                                (i + 2 < 32 ? std::uint32_t{d[i + 2]} : 0);
        r += kBase64[(n >> 18) & 63];
        r += kBase64[(n >> 12) & 63];
        r += i + 1 < 32 ? kBase64[(n >> 6) & 63] : '=';
        r += i + 2 < 32 ? kBase64[n & 63] : '=';
    }
    return r;
}

}  // namespace koral::red
