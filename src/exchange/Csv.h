// What the CSV files share: UTF-8 with a byte-order mark (so that a
// spreadsheet takes the accents right), CR LF line ends, and fields quoted as
// RFC 4180 asks, only when they must be.
#pragma once

#include <string>
#include <string_view>

#include "exchange/Puntuaciones.h"
#include "platform/Texto.h"

namespace koral {

inline constexpr std::string_view kMarcaUtf8 = "\xEF\xBB\xBF";

// Fields appended to `salida` one row at a time.
class FilaCsv {
public:
    FilaCsv(std::string& salida, const FormatoCsv& f) : s_(salida), f_(f) {}

    // One field (UTF-8), quoted only when it holds the separator, a quote or
    // a line break.
    void campo(std::string_view t) {
        separar();
        bool citar = false;
        for (char c : t)
            if (especial(c)) {
                citar = true;
                break;
            }
        if (!citar) {
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
    // A Windows-1252 text as one field: straight in when it is plain ASCII
    // needing no quotes, as names almost always are.
    void campoCp1252(std::string_view t) {
        const char prohibidos[] = {f_.separador, '"', '\r', '\n'};
        if (!textoLlano(t, 0, std::string_view(prohibidos, sizeof prohibidos))) {
            campo(cp1252AUtf8(t));
            return;
        }
        separar();
        s_ += t;
    }
    void fin() {
        s_ += "\r\n";
        primero_ = true;
    }

protected:
    bool especial(char c) const { return c == f_.separador || c == '"' || c == '\r' || c == '\n'; }
    // The separator before every field but a row's first.
    void separar() {
        if (!primero_) s_ += f_.separador;
        primero_ = false;
    }

    std::string& s_;
    const FormatoCsv& f_;
    bool primero_ = true;
};

}  // namespace koral
