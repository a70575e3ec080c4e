#include "exchange/Puntuaciones.h"

#include <charconv>

#include "method/Perfil.h"
#include "platform/Archivos.h"
#include "platform/Texto.h"

namespace koral {

const char* const kNombresFactorCsv[kNumFactores] = {
    "Carga Mental",          "Autonomía Temporal",
    "Contenido del Trabajo", "Supervisión - Participación",
    "Definición de Rol",     "Interés por el trabajador",
    "Relaciones Personales"};

namespace {

class Fila {
public:
    Fila(std::string& salida, const FormatoCsv& f) : s_(salida), f_(f) {}

    // One field (UTF-8), quoted only when it holds the separator, a quote or
    // a line break.
    void campo(std::string_view t) {
        if (!primero_) s_ += f_.separador;
        primero_ = false;
        if (t.find_first_of(std::string{f_.separador, '"', '\r', '\n'}) == std::string_view::npos) {
            s_ += t;
            return;
        }
        s_ += '"';
        for (char c : t) {
            if (c == '"') s_ += '"';
            s_ += c;
        }
        s_ += '"';
    }
    void numero(double v) {
        // The shortest text that reads back to the stored score.
        char tmp[32];
        const auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
        std::string t(tmp, r.ptr);
        for (char& c : t)
            if (c == '.') c = f_.decimal;
        campo(t);
    }
    void fin() {
        s_ += "\r\n";
        primero_ = true;
    }

private:
    std::string& s_;
    const FormatoCsv& f_;
    bool primero_ = true;
};

}  // namespace

std::string puntuacionesCsv(const TKoral& doc, const FormatoCsv& formato) {
    std::string s = "\xEF\xBB\xBF";
    Fila fila(s, formato);
    fila.campo("Identificador");
    fila.campo("Grupos");
    for (int i = 1; i <= kNumItems; ++i) fila.campo("Ítem " + std::to_string(i));
    for (const char* n : kNombresFactorCsv) fila.campo(n);
    for (const char* n : kNombresFactorCsv) fila.campo(std::string("Banda ") + n);
    fila.fin();
    for (const auto& q : doc.cuestionarios) {
        fila.campo(cp1252AUtf8(q->nombre));
        std::string grupos;
        for (const TGrupo* g : q->grupos) {
            if (!grupos.empty()) grupos += '|';
            grupos += g->nombre;
        }
        fila.campo(cp1252AUtf8(grupos));
        for (char c : q->respuestas) fila.campo(cp1252AUtf8(std::string_view(&c, 1)));
        for (double p : q->puntuaciones) fila.numero(p);
        for (double p : q->puntuaciones) fila.campo(std::to_string(bandaDe(p)));
        fila.fin();
    }
    return s;
}

void escribirPuntuacionesCsv(const TKoral& doc, const std::string& ruta,
                             const FormatoCsv& formato) {
    if (!doc.archivo.empty()) comprobarDistintos(ruta, doc.archivo);
    const std::string datos = puntuacionesCsv(doc, formato);
    Reemplazo archivo(ruta);
    archivo.salida().escribir(datos.data(), datos.size());
    archivo.confirmar();
}

}  // namespace koral
