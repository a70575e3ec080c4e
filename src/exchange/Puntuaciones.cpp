#include "exchange/Puntuaciones.h"

#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "document/Acompanante.h"
#include "exchange/Csv.h"
#include "method/Perfil.h"
#include "platform/Archivos.h"
#include "platform/Reales.h"
#include "platform/Texto.h"

namespace koral {

const char* const kNombresFactorCsv[kNumFactores] = {
    "Carga Mental",          "Autonomía Temporal",
    "Contenido del Trabajo", "Supervisión - Participación",
    "Definición de Rol",     "Interés por el trabajador",
    "Relaciones Personales"};

namespace {

// Rows are built in a buffer that is handed on in blocks of whole rows, so
// that a large company's CSV is never held whole in memory.
constexpr std::size_t kBloque = 1 << 20;

class Fila : public FilaCsv {
public:
    Fila(std::string& salida, const FormatoCsv& f)
        : FilaCsv(salida, f),
          // A number is digits, a sign, an exponent and the decimal mark: it
          // needs quotes only when the separator is one of those.
          numerosSimples_(!esDigito(f.separador) && f.separador != f.decimal &&
                          std::string_view("-+e").find(f.separador) == std::string_view::npos) {}

    // One answer, a Windows-1252 byte; ASCII is its own UTF-8.
    void respuesta(char c) {
        if (static_cast<unsigned char>(c) >= 0x80 || especial(c)) {
            campo(cp1252AUtf8(std::string_view(&c, 1)));
            return;
        }
        separar();
        s_ += c;
    }
    // Every answer of a questionnaire, each its own field; digits all, as a
    // rule, written in one go.
    void respuestas(const Respuestas& r) {
        if (primero_ || esDigito(f_.separador) || !todoDigitos(r)) {
            for (char c : r) respuesta(c);
            return;
        }
        const std::size_t base = s_.size();
        s_.resize(base + 2 * r.size());
        char* o = s_.data() + base;
        const unsigned sep = static_cast<unsigned char>(f_.separador);
        for (std::size_t i = 0; i < r.size(); ++i) {
            // One store a pair: a word whose bytes lie in memory separator
            // first, answer second, whatever the machine's byte order.
            const unsigned c = static_cast<unsigned char>(r[i]);
            const auto par = static_cast<std::uint16_t>(
                std::endian::native == std::endian::little ? sep | c << 8 : sep << 8 | c);
            std::memcpy(o + 2 * i, &par, 2);
        }
    }
    void numero(double v) {
        // The shortest text that reads back to the stored score.
        char tmp[32];
        char* const fin = realCorto(tmp, v);
        for (char* c = tmp; c != fin; ++c)
            if (*c == '.') *c = f_.decimal;
        const std::string_view t(tmp, static_cast<std::size_t>(fin - tmp));
        if (!numerosSimples_) return campo(t);
        s_ += f_.separador;  // never a row's first field
        s_ += t;
    }
    void entero(int v) {
        if (numerosSimples_ && v >= 0 && v <= 9) {  // a band
            s_ += f_.separador;                     // never a row's first field
            s_ += static_cast<char>('0' + v);
            return;
        }
        char tmp[16];
        const auto r = std::to_chars(tmp, tmp + sizeof tmp, v);
        campo(std::string_view(tmp, static_cast<std::size_t>(r.ptr - tmp)));
    }

private:
    static bool esDigito(char c) { return c >= '0' && c <= '9'; }
    // Eight bytes at a time: a word of digits, and the last three alone.
    static bool todoDigitos(const Respuestas& r) {
        bool si = true;
        std::size_t i = 0;
        for (; i + 8 <= r.size(); i += 8) {
            std::uint64_t x;
            std::memcpy(&x, r.data() + i, 8);
            si &= ((x & 0xF0F0F0F0F0F0F0F0ull) |
                   (((x + 0x0606060606060606ull) & 0xF0F0F0F0F0F0F0F0ull) >> 4)) ==
                  0x3333333333333333ull;
        }
        for (; i < r.size(); ++i) si &= esDigito(r[i]);
        return si;
    }

    bool numerosSimples_;
};

// Appends the CSV to `s`, calling `vaciar(s)` after whole rows once `s` holds
// a block; `vaciar` may empty it.
template <typename Vaciar>
void generarCsv(const TKoral& doc, const FormatoCsv& formato, std::string& s, Vaciar&& vaciar) {
    s += kMarcaUtf8;
    Fila fila(s, formato);
    fila.campo("Identificador");
    fila.campo("Grupos");
    for (int i = 1; i <= kNumItems; ++i) fila.campo("Ítem " + std::to_string(i));
    for (const char* n : kNombresFactorCsv) fila.campo(n);
    for (const char* n : kNombresFactorCsv) fila.campo(std::string("Banda ") + n);
    fila.fin();
    std::string grupos;
    for (const auto& q : doc.cuestionarios) {
        fila.campoCp1252(q->nombre);
        grupos.clear();
        for (const TGrupo* g : q->grupos) {
            if (!grupos.empty()) grupos += '|';
            grupos += g->nombre;
        }
        fila.campoCp1252(grupos);
        fila.respuestas(q->respuestas);
        for (double p : q->puntuaciones) fila.numero(p);
        for (double p : q->puntuaciones) fila.entero(bandaDe(p));
        fila.fin();
        if (s.size() >= kBloque) vaciar(s);
    }
}

}  // namespace

std::string puntuacionesCsv(const TKoral& doc, const FormatoCsv& formato) {
    std::string s;
    generarCsv(doc, formato, s, [](std::string&) {});
    return s;
}

void escribirPuntuacionesCsv(const TKoral& doc, const std::string& ruta,
                             const FormatoCsv& formato) {
    if (!doc.archivo.empty()) comprobarFueraDeEmpresa(ruta, doc.archivo);
    Reemplazo archivo(ruta);
    SalidaArchivo& salida = archivo.salida();
    std::string buf;
    buf.reserve(kBloque + std::size_t{64} * 1024);
    auto vaciar = [&](std::string& s) {
        salida.escribir(s.data(), s.size());
        s.clear();
    };
    generarCsv(doc, formato, buf, vaciar);
    vaciar(buf);
    archivo.confirmar();
}

}  // namespace koral
