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
    ".info{border:1px solid #bbb;border-radius:.4rem;padding:0 .6rem;margin:0 0 1rem}"
    ".info h2{margin:.6rem 0 .3rem}"
    ".info p{margin:.4rem 0}"
    ".aviso a{display:inline-block;min-width:2.75rem;min-height:2.75rem;padding:.6rem .2rem;"
    "text-align:center;color:#05c}"
    ".aviso{margin:0 0 1rem}"
    ".aviso p{margin:.3rem 0}"
    ".aviso button{margin:.5rem 0}"
    // A block's heading stays in view while its questions scroll; a
    // question reached from the list of blank ones is not hidden under it.
    "section.bloque>h2{position:sticky;top:0;z-index:1;background:#fff;margin:1rem -.75rem .5rem;"
    "padding:.5rem .75rem;border-bottom:1px solid #bbb;font-size:.95rem}"
    "fieldset{border:1px solid #bbb;border-radius:.4rem;margin:0 0 .8rem;padding:.3rem .6rem .4rem;"
    "min-width:0;scroll-margin-top:7rem}"
    "fieldset.falta{border:2px solid #a00}"
    "p.falta{color:#a00;font-weight:bold;margin:0 0 .3rem}"
    ".num{display:block;font-size:.85rem;color:#555}"
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
// filled in on its own and keeps what the server marked, then takes back the
// draft this tab keeps (the options marked, never the code) so that a reload
// loses nothing; the thanks page drops the draft. A form shown again after a
// POST takes the address of the blank form, so that Back or reload fetches
// that instead of offering to send the last worker's answers again.
constexpr const char* kScript =
    "if(location.pathname!='/')history.replaceState(null,'','/');"
    "(function(){var f=document.forms[0];if(!f)return;"
    "var k='borrador-'+f.getAttribute('data-campana'),s=null;"
    "try{s=window.sessionStorage;}catch(x){}"
    "f.addEventListener('change',function(){var v=[];"
    "Array.prototype.forEach.call(f.elements,function(c){if(c.checked&&c.id)v.push(c.id);});"
    "try{s.setItem(k,JSON.stringify(v));}catch(x){}});"
    "addEventListener('pageshow',function(e){"
    "if(!e.persisted){f.reset();var v=[];try{v=JSON.parse(s.getItem(k))||[];}catch(x){}"
    "v.forEach(function(i){var c=document.getElementById(i);if(c&&c.form==f&&c.type!='text')"
    "c.checked=true;});return;}"
    "Array.prototype.forEach.call(f.elements,function(c){"
    "if(c.type=='radio'||c.type=='checkbox')c.checked=false;else if(c.type=='text')c.value='';});"
    "location.replace('/');});})();";

constexpr const char* kScriptGracias = "try{window.sessionStorage.clear();}catch(x){}";

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

// The 75 questions, each a fieldset of radio buttons named r1 ... r75 and
// numbered "N de 75". A heading ("En su trabajo, ¿con qué frecuencia tiene
// que...?") opens a block whose items finish its sentence: each describes
// its fieldset, so that a screen reader says it with the item. An item that
// is a question of its own ends the block. Options marked, and items marked
// as blank, as `m` says.
void preguntas(std::string& h, const Marcas* m) {
    const Respuestas* marcadas = m ? &m->respuestas : nullptr;
    std::array<bool, kNumItems + 1> falta{};
    if (m)
        for (int i : m->faltan)
            if (i >= 1 && i <= kNumItems) falta[static_cast<std::size_t>(i)] = true;
    const auto& lineas = lineasCuestionario();
    int item = 0;
    int opciones = 0;
    int bloques = 0;
    bool abierto = false;
    bool enBloque = false;
    const auto cerrarBloque = [&] {
        if (enBloque) h += "</section>\n";
        enBloque = false;
    };
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
            cerrarBloque();
            h += "<section class=\"bloque\"><h2 id=\"e" + std::to_string(++bloques) + "\">" +
                 conMarcas(linea.substr(3)) + "</h2>\n";
            enBloque = true;
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
            const std::string n = std::to_string(item + 1);
            if (linea.rfind(n + ". ", 0) != 0)
                throw std::logic_error("questionnaire text: questions out of order");
            ++item;
            opciones = 0;
            abierto = true;
            if (linea.find('?') != std::string_view::npos) cerrarBloque();
            const bool vacia = falta[static_cast<std::size_t>(item)];
            std::string describe = enBloque ? "e" + std::to_string(bloques) : std::string();
            if (vacia) describe += (describe.empty() ? "f" : " f") + n;
            h += "<fieldset id=\"p" + n + "\"";
            if (vacia) h += " class=\"falta\"";
            if (!describe.empty()) h += " aria-describedby=\"" + describe + "\"";
            h += "><legend><span class=\"num\">" + n + " de " + std::to_string(kNumItems) +
                 "</span> " + conMarcas(linea.substr(n.size() + 2)) + "</legend>\n";
            if (vacia) h += "<p class=\"falta\" id=\"f" + n + "\">Sin responder</p>\n";
        }
    }
    cerrar();
    cerrarBloque();
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
    const bool confirmar = marcas && marcas->confirmar;
    if (marcas && (!marcas->aviso.empty() || !marcas->faltan.empty())) {
        h += "<div class=\"aviso\" role=\"alert\">";
        if (!marcas->aviso.empty()) h += "<p>" + escaparHtml(marcas->aviso) + "</p>";
        if (!marcas->faltan.empty()) {
            h += "<p>Preguntas sin respuesta:";
            for (std::size_t i = 0; i < marcas->faltan.size(); ++i) {
                const std::string n = std::to_string(marcas->faltan[i]);
                h.append(i ? ", " : " ").append("<a href=\"#p").append(n).append("\">");
                h.append(n).append("</a>");
            }
            h += "</p>";
        }
        if (confirmar)
            h += "<button type=\"submit\" form=\"cuestionario\" name=\"confirmar\" "
                 "value=\"1\">Enviar de todos modos</button>";
        h += "</div>\n";
    }
    if (!d.aviso.empty()) {
        h += "<div class=\"info\"><h2>INFORMACIÓN:</h2>\n";
        for (std::size_t i = 0; i <= d.aviso.size();) {
            auto fin = d.aviso.find('\n', i);
            if (fin == std::string::npos) fin = d.aviso.size();
            std::string_view parrafo(d.aviso.data() + i, fin - i);
            while (!parrafo.empty() && (parrafo.back() == '\r' || parrafo.back() == ' '))
                parrafo.remove_suffix(1);
            if (!recortar(parrafo).empty()) h += "<p>" + html(recortar(parrafo)) + "</p>\n";
            i = fin + 1;
        }
        h += "</div>\n";
    }
    h += "<h2>INSTRUCCIONES:</h2>\n"
         "<p>Conteste sinceramente a todas las preguntas, marcando las opciones que mejor se "
         "ajusten. Una pregunta sin marcar se guarda como «sin respuesta».</p>\n";
    h += "<form id=\"cuestionario\" data-campana=\"" + escaparHtml(d.campana) +
         "\" method=\"post\" action=\"/enviar\" accept-charset=\"UTF-8\" autocomplete=\"off\">\n";
    h += "<p class=\"codigo\"><label for=\"codigo\">";
    h += d.codigoIndividual ? "Código individual" : "Código de la campaña";
    h += "</label><input type=\"text\" id=\"codigo\" name=\"codigo\" required "
         "autocomplete=\"off\" autocapitalize=\"off\" spellcheck=\"false\"";
    if (d.codigoNumerico) h += " inputmode=\"numeric\"";
    if (marcas && !marcas->codigo.empty()) h += " value=\"" + escaparHtml(marcas->codigo) + "\"";
    h += "></p>\n";
    if (!d.preguntas.empty()) {
        std::size_t k = 0;
        for (std::size_t q = 0; q < d.preguntas.size(); ++q) {
            const std::string nombre = "grupo" + std::to_string(q + 1);
            h += "<fieldset><legend>" + html(d.preguntas[q].pregunta) + "</legend>\n";
            for (const std::string& g : d.preguntas[q].grupos) {
                const bool marcado = marcas && k < marcas->grupos.size() && marcas->grupos[k];
                casilla(h, "radio", "g" + std::to_string(++k), nombre, html(g), marcado, html(g));
            }
            // Sends an empty value: no group.
            casilla(h, "radio", nombre + "-no", nombre, "", false, "Prefiero no decirlo", "sin");
            h += "</fieldset>\n";
        }
    } else if (!d.grupos.empty()) {
        h += "<fieldset><legend>GRUPOS <em>(marque los suyos)</em></legend>\n";
        for (std::size_t i = 0; i < d.grupos.size(); ++i) {
            const bool marcado = marcas && i < marcas->grupos.size() && marcas->grupos[i];
            const std::string nombre = html(d.grupos[i]);
            casilla(h, "checkbox", "g" + std::to_string(i + 1), "grupo", nombre, marcado, nombre);
        }
        h += "</fieldset>\n";
    }
    preguntas(h, marcas);
    h += "<input type=\"hidden\" name=\"envio\" value=\"" + escaparHtml(envio) + "\">\n";
    h += "<button type=\"submit\">Enviar respuestas</button>\n";
    if (confirmar)
        h += "<button type=\"submit\" name=\"confirmar\" value=\"1\">Enviar de todos "
             "modos</button>\n";
    h += "</form>\n<script>";
    h += kScript;
    h += "</script>\n";
    pie(h);
    return h;
}

std::string paginaGracias(int sinRespuesta) {
    std::string h;
    cabecera(h, "Respuestas guardadas");
    h += "<h1>Respuestas guardadas</h1>\n"
         "<p role=\"status\">Gracias. Sus respuestas se han guardado.</p>\n";
    if (sinRespuesta > 0)
        h += "<p>" +
             (sinRespuesta == 1 ? std::string("1 pregunta sin respuesta")
                                : std::to_string(sinRespuesta) + " preguntas sin respuesta") +
             ".</p>\n";
    h += "<p><a href=\"/\">Volver al cuestionario en blanco</a></p>\n<script>";
    h += kScriptGracias;
    h += "</script>\n";
    pie(h);
    return h;
}

std::string avisoPorDefecto(const std::string& empresa, const std::string& responsable,
                            int minimo) {
    const std::string e = cp1252AUtf8(empresa);
    const std::string quien = responsable.empty() ? e : cp1252AUtf8(responsable);
    // A name may end with a full stop already ("S.A.").
    const std::string fin = !quien.empty() && quien.back() == '.' ? "" : ".";
    const std::string t =
        quien + " hace esta evaluación de los factores psicosociales del trabajo" +
        (responsable.empty() ? std::string() : " en " + e) +
        " para conocer cómo se trabaja y planificar mejoras. Contestar es voluntario.\n"
        "Los resultados se dan solo por grupos, nunca de grupos de menos de " +
        std::to_string(minimo) +
        " personas.\n"
        "Se guardan sus respuestas, los grupos que elija y solo el día, en el orden en que "
        "llegan, en el archivo de la empresa que lleva " +
        quien +
        " mientras conserve la evaluación. No se guarda nada que le identifique: ni su nombre, "
        "ni la dirección de su aparato, ni su navegador, ni la hora.\n"
        "Esta página viaja sin cifrar por la red del centro de trabajo: otras personas "
        "conectadas a ella podrían ver sus respuestas. No conteste desde una red de la que no "
        "se fíe.\n"
        "Si tiene dudas, pregunte a " +
        quien + fin;
    std::string r;
    if (!utf8ACp1252(t, r)) throw std::logic_error("notice without a Windows-1252 form");
    return r;
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
        sha256Base64(kScript) + "' 'sha256-" + sha256Base64(kScriptGracias) +
        "'; form-action 'self'; base-uri 'none'; frame-ancestors 'none'";
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
