// The company file: tagged text lines, Windows-1252, CR LF.
#include <algorithm>
#include <bit>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "document/ArchivoEmpresa.h"
#include "document/IndiceHash.h"
#include "document/UData.h"
#include "platform/Archivos.h"
#include "platform/Reales.h"
#include "platform/Texto.h"
#include "platform/TextoEnBloques.h"

namespace koral {

namespace {

constexpr char kCtrlZ = 26;

// A number as the writer writes it: sign position, d.dddddddddddddd, E,
// exponent sign, 4 digits.
constexpr std::size_t kLargoReal = 23;
// Where the writer puts a questionnaire's name, counted from the end of its
// identifier: a space and the answers, a space and each score, a space and
// the date, a space. The reader looks there ahead of reading the line.
constexpr std::size_t kNombreTrasId =
    1 + std::size_t{kNumItems} + (std::size_t{kNumFactores} + 1) * (1 + kLargoReal) + 1;

class ErrorNumerico : public ErrorArchivo {
public:
    ErrorNumerico() : ErrorArchivo("Invalid numeric input") {}
};

bool esFinDeLinea(char c) {
    return c == '\r' || c == '\n';
}

// Decimal integer: optional sign, then digits only, within 32 bits.
bool convertirEntero(std::string_view t, std::int32_t& v) {
    const char* p = t.data();
    const char* fin = p + t.size();
    bool negativo = false;
    if (p < fin && (*p == '+' || *p == '-')) negativo = *p++ == '-';
    if (p == fin) return false;
    std::int64_t x = 0;
    for (; p < fin; ++p) {
        if (*p < '0' || *p > '9') return false;
        x = x * 10 + (*p - '0');
        if (x > 2147483648LL) return false;
    }
    if (negativo) x = -x;
    if (x > 2147483647LL) return false;
    v = static_cast<std::int32_t>(x);
    return true;
}

// Optional sign, digits with an optional point and fraction (at least one
// digit in all), optional exponent. No "inf" or "nan": nothing we write.
bool convertirReal(std::string_view t, double& v) {
    std::size_t i = 0;
    bool negativo = false;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) negativo = t[i++] == '-';
    const std::size_t inicio = i;
    std::size_t digitos = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digitos;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digitos;
    }
    if (digitos == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t expDigitos = 0;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++expDigitos;
        if (expDigitos == 0) return false;
    }
    if (i != t.size()) return false;
    // from_chars takes no '+' sign, so the sign was taken off above.
    const char* desde = t.data() + inicio;
    const char* hasta = t.data() + t.size();
    double x = 0;
    const auto r = std::from_chars(desde, hasta, x, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != hasta) return false;
    v = negativo ? -x : x;
    return true;
}

// A line's 75 answers as the record keeps them, sixteen at a time: a byte
// above '0' plus its item's highest code (a digit over the option count, or
// a byte above 127) is no answer, '0'; below '0' it is kept. Returns how many
// are '0'. The last sixteen overlap the fourth: the five shared items are
// written twice alike and counted once.
int filtrarRespuestas(const char* de, char* a) {
    using Bytes = unsigned char __attribute__((vector_size(16)));
    static constexpr std::array<unsigned char, kNumItems> kTopes = [] {
        std::array<unsigned char, kNumItems> t{};
        for (int i = 0; i < kNumItems; ++i)
            t[static_cast<std::size_t>(i)] =
                static_cast<unsigned char>('0' + maximoRespuesta[i + 1]);
        return t;
    }();
    constexpr int kDesdes[] = {0, 16, 32, 48, kNumItems - 16};
    static_assert(kNumItems > 64 && kNumItems <= 80);
    constexpr int kRepetidos = 64 - (kNumItems - 16);
    const Bytes cero = Bytes{} + static_cast<unsigned char>('0');
    Bytes cuenta{};
    for (int k = 0; k < 5; ++k) {
        Bytes c;
        Bytes tope;
        std::memcpy(&c, de + kDesdes[k], 16);
        std::memcpy(&tope, kTopes.data() + kDesdes[k], 16);
        const auto fuera = reinterpret_cast<Bytes>(c > tope);  // all ones where above
        const Bytes r = (c & ~fuera) | (cero & fuera);
        std::memcpy(a + kDesdes[k], &r, 16);
        auto esCero = reinterpret_cast<Bytes>(r == cero);
        if (k == 4)
            for (int l = 0; l < kRepetidos; ++l) esCero[l] = 0;
        cuenta -= esCero;  // all ones is minus one
    }
    std::uint64_t w[2];
    std::memcpy(w, &cuenta, 16);
    // Each byte of the sum is at most 10, so no byte carries into the next.
    return static_cast<int>(((w[0] + w[1]) * 0x0101010101010101ull) >> 56);
}

// Eight ASCII digits at `t` as their value; false if any is no digit. Two
// digits at a time, then four, then eight, in one 64-bit word.
bool ochoDigitos(const char* t, std::uint64_t& v) {
    std::uint64_t x;
    std::memcpy(&x, t, 8);
    if (((x & 0xF0F0F0F0F0F0F0F0ull) |
         (((x + 0x0606060606060606ull) & 0xF0F0F0F0F0F0F0F0ull) >> 4)) != 0x3333333333333333ull)
        return false;
    if constexpr (std::endian::native == std::endian::big) x = __builtin_bswap64(x);
    x -= 0x3030303030303030ull;
    x = (x * 10) + (x >> 8);
    x = (((x & 0x000000FF000000FFull) * (100 + (1000000ull << 32))) +
         (((x >> 16) & 0x000000FF000000FFull) * (1 + (10000ull << 32)))) >>
        32;
    v = x;
    return true;
}

// The form the writer uses, "d.ddddddddddddddE+dddd" after the sign: its 15
// digits are an exact integer, and scaling by a power of ten that is itself
// exact rounds once, as from_chars would. Others take the general road.
bool realFijo(std::string_view t, double& v) {
    bool negativo = false;
    if (!t.empty() && t[0] == '-') {
        negativo = true;
        t.remove_prefix(1);
    }
    if (t.size() != 22 || t[1] != '.' || t[16] != 'E' || (t[17] != '+' && t[17] != '-'))
        return false;
    const unsigned primero = static_cast<unsigned char>(t[0]) - '0';
    std::uint64_t medio = 0, final = 0;
    // t[8..15] repeats two digits of t[2..9]: only its last six are new.
    if (primero > 9 || !ochoDigitos(t.data() + 2, medio) || !ochoDigitos(t.data() + 8, final))
        return false;
    const std::int64_t mantisa = static_cast<std::int64_t>(primero * 100'000'000'000'000ull +
                                                           medio * 1'000'000 + final % 1'000'000);
    int exponente = 0;
    for (int i = 18; i < 22; ++i) {
        const unsigned d = static_cast<unsigned char>(t[i]) - '0';
        if (d > 9) return false;
        exponente = exponente * 10 + static_cast<int>(d);
    }
    if (t[17] == '-') exponente = -exponente;
    const int escala = exponente - 14;
    if (escala < -22 || escala > 22) return false;
    const double m = static_cast<double>(mantisa);
    const double x = escala >= 0 ? m * kPotenciasDiez[escala] : m / kPotenciasDiez[-escala];
    v = negativo ? -x : x;
    return true;
}

// The reader's notices: passed on as they arise, or held back while the
// reading may still have to start over, so that each reaches the user once.
class AvisosLector {
public:
    AvisosLector(const TKoral& doc, bool retener) : doc_(doc), retener_(retener) {}
    void operator()(const std::string& texto) {
        if (retener_)
            retenidos_.push_back(texto);
        else
            doc_.avisar(texto);
    }
    void soltar() {
        retener_ = false;
        for (const std::string& t : retenidos_) doc_.avisar(t);
        retenidos_.clear();
    }

private:
    const TKoral& doc_;
    bool retener_;
    std::vector<std::string> retenidos_;
};

HashNombre gHashNombre = nullptr;

std::uint64_t hashNombre(std::string_view nombre) {
    return gHashNombre ? gHashNombre(nombre) : hashTexto(nombre);
}

// Reads the bytes of a company file the way the format defines fields,
// from memory or from a file brought in a piece at a time (so that a large
// company is never held twice). A Ctrl-Z ends the file wherever it stands.
// Separator faults are reported to `doc`. The texts handed out stay valid
// until the next call.
class Cursor {
public:
    Cursor(std::string_view datos, AvisosLector& avisos)
        : inicio_(datos.data()), p_(datos.data()), avisos_(avisos) {
        const void* z = std::memchr(datos.data(), kCtrlZ, datos.size());
        fin_ = z ? static_cast<const char*>(z) : datos.data() + datos.size();
    }
    Cursor(EntradaArchivo& entrada, AvisosLector& avisos)
        : entrada_(&entrada), inicio_(nullptr), p_(nullptr), fin_(nullptr), avisos_(avisos) {}

    bool alFinal() { return p_ >= fin_ && !rellenar(p_); }
    std::size_t leidos() const { return base_ + static_cast<std::size_t>(p_ - inicio_); }

    // At the end of the file a character reads as Ctrl-Z.
    char caracter() { return alFinal() ? kCtrlZ : *p_++; }

    // A separator: one character that should be a blank.
    void separador() {
        if (caracter() != ' ') avisos_("separador no válido"_cp);
    }

    std::int32_t entero() {
        // The usual case read in place: up to nine digits, then a blank or a
        // line end, all in the buffer.
        saltarBlancos();
        if (fin_ - p_ >= 10) {
            std::uint32_t x = 0;
            const char* q = p_;
            while (q < p_ + 9 && static_cast<unsigned char>(*q - '0') <= 9)
                x = x * 10 + static_cast<unsigned>(*q++ - '0');
            if (q > p_ && static_cast<unsigned char>(*q) <= ' ') {
                p_ = q;
                return static_cast<std::int32_t>(x);
            }
        }
        std::int32_t v = 0;
        const std::string_view t = token(32);
        if (!t.empty() && !convertirEntero(t, v)) throw ErrorNumerico();
        return v;
    }

    double real() {
        double v = 0;
        // What the writer writes is read in place, without looking for the
        // token's end a character at a time: 22 characters after the sign,
        // then a blank or a line end.
        saltarBlancos();
        if (fin_ - p_ >= 24) {
            const std::size_t largo = *p_ == '-' ? 23 : 22;
            if (static_cast<unsigned char>(p_[largo]) <= ' ' && realFijo({p_, largo}, v)) {
                p_ += largo;
                return v;
            }
        }
        const std::string_view t = token(64);
        if (!t.empty() && !realFijo(t, v) && !convertirReal(t, v)) throw ErrorNumerico();
        return v;
    }

    // Up to n characters as they stand, line ends included; fewer at the end.
    std::string_view bloque(std::size_t n) {
        while (static_cast<std::size_t>(fin_ - p_) < n && rellenar(p_)) {
        }
        const std::size_t hay = std::min<std::size_t>(n, static_cast<std::size_t>(fin_ - p_));
        const char* inicio = p_;
        p_ += hay;
        return {inicio, hay};
    }

    // The rest of the line, without its end.
    std::string_view resto() {
        const char* inicio = p_;
        for (;;) {
            while (p_ < fin_ && !esFinDeLinea(*p_)) ++p_;
            if (p_ < fin_ || !rellenar(inicio)) break;
        }
        return {inicio, static_cast<std::size_t>(p_ - inicio)};
    }

    // Up to `maximo` characters of the line from `n` characters on, if they
    // are already in; only a guess at what is coming, never consumed.
    std::string_view restoEn(std::size_t n, std::size_t maximo) const {
        if (static_cast<std::size_t>(fin_ - p_) <= n + maximo) return {};
        const char* inicio = p_ + n;
        const char* q = inicio;
        while (q < inicio + maximo && !esFinDeLinea(*q)) ++q;
        return {inicio, static_cast<std::size_t>(q - inicio)};
    }

    // Drops the rest of the line and its end (CR LF, CR or LF).
    void siguienteLinea() {
        for (;;) {
            while (p_ < fin_ && !esFinDeLinea(*p_)) ++p_;
            if (p_ < fin_ || !rellenar(p_)) break;
        }
        terminarLinea();
    }

    // After a character that was itself a line end: drop the LF of a CR LF.
    void finDeLineaLeido(char c) {
        if (c == '\r' && !alFinal() && *p_ == '\n') ++p_;
    }

private:
    static constexpr std::size_t kTrozo = 1 << 20;

    // Skips blanks, control characters and line ends.
    void saltarBlancos() {
        for (;;) {
            while (p_ < fin_ && static_cast<unsigned char>(*p_) <= ' ') ++p_;
            if (p_ < fin_ || !rellenar(p_)) break;
        }
    }

    // Skips blanks, control characters and line ends, then takes up to
    // `maximo` characters until the next blank or control character, which
    // stays unread. Empty at the end of the file.
    std::string_view token(std::size_t maximo) {
        saltarBlancos();
        const char* inicio = p_;
        for (;;) {
            while (p_<fin_&& static_cast<unsigned char>(*p_)> ' ' &&
                   static_cast<std::size_t>(p_ - inicio) < maximo)
                ++p_;
            if (p_ < fin_ || static_cast<std::size_t>(p_ - inicio) >= maximo || !rellenar(inicio))
                break;
        }
        return {inicio, static_cast<std::size_t>(p_ - inicio)};
    }

    void terminarLinea() {
        if (alFinal()) return;
        const char c = *p_++;
        finDeLineaLeido(c);
    }

    // Brings in the next piece of the file behind what is there, keeping the
    // bytes from `guardar` (at most p_) on, which may move: `guardar` and p_
    // follow them. False when the file has no more. Kept out of line: it runs
    // once a megabyte, and inlined it made the field readers too big to be
    // inlined themselves.
    [[gnu::noinline]] bool rellenar(const char*& guardar) {
        if (!entrada_ || agotado_) return false;
        const std::size_t desde = inicio_ ? static_cast<std::size_t>(guardar - inicio_) : 0;
        const std::size_t guardados = inicio_ ? static_cast<std::size_t>(fin_ - guardar) : 0;
        const std::size_t enP = inicio_ ? static_cast<std::size_t>(p_ - guardar) : 0;
        if (desde > 0) std::memmove(buf_.data(), buf_.data() + desde, guardados);
        base_ += desde;
        // A line longer than a piece makes the buffer grow to hold it, by
        // doubling: an enormous line costs no more than twice its length.
        if (buf_.size() < guardados + kTrozo)
            buf_.resize(std::max(guardados + kTrozo, buf_.size() * 2));
        const std::size_t n = entrada_->leer(buf_.data() + guardados, buf_.size() - guardados);
        const void* z = std::memchr(buf_.data() + guardados, kCtrlZ, n);
        const std::size_t nuevos =
            z ? static_cast<std::size_t>(static_cast<const char*>(z) - (buf_.data() + guardados))
              : n;
        if (n == 0 || z) agotado_ = true;
        inicio_ = buf_.data();
        guardar = inicio_;
        p_ = inicio_ + enP;
        fin_ = inicio_ + guardados + nuevos;
        return nuevos > 0;
    }

    EntradaArchivo* entrada_ = nullptr;
    std::string buf_;
    std::size_t base_ = 0;  // file offset of inicio_
    bool agotado_ = false;
    const char* inicio_;
    const char* p_;
    const char* fin_;
    AvisosLector& avisos_;
};

std::string decodificarTexto(std::string_view t) {
    std::string s;
    s.reserve(t.size());
    std::size_t i = 0;
    while (i < t.size()) {
        if (t[i] == '\\' && i + 1 < t.size() && t[i + 1] == 'l') {
            s += "\r\n";
            i += 2;
        } else {
            s += t[i++];
        }
    }
    return s;
}

template <typename T>
void reservar(std::vector<T>& v, std::int32_t cuenta, std::size_t tope) {
    if (cuenta > 0) v.reserve(std::min<std::size_t>(static_cast<std::size_t>(cuenta), tope));
}

class LectorEmpresa {
public:
    // In order, each questionnaire's name is checked as it is read, and a
    // repeated one dropped there; otherwise every questionnaire is kept and
    // nombresRepetidos() tells at the end whether that was wrong.
    LectorEmpresa(TKoral& doc, std::string_view datos, const Progreso& progreso,
                  AvisosLector& avisos, bool enOrden)
        : doc_(doc),
          avisos_(avisos),
          c_(datos, avisos),
          tope_(datos.size() / 16 + 1),
          total_(datos.size()),
          progreso_(progreso),
          enOrden_(enOrden) {}
    LectorEmpresa(TKoral& doc, EntradaArchivo& entrada, const Progreso& progreso,
                  AvisosLector& avisos, bool enOrden)
        : doc_(doc),
          avisos_(avisos),
          c_(entrada, avisos),
          tope_(entrada.tamano() / 16 + 1),
          total_(entrada.tamano()),
          progreso_(progreso),
          enOrden_(enOrden) {}

    // Reads every line; throws ErrorArchivo on an unreadable number and
    // LecturaCancelada when told to stop.
    void leer() {
        avanzar();
        while (!c_.alFinal()) {
            if (progreso_ && c_.leidos() >= siguienteAviso_) avanzar();
            const char tag = c_.caracter();
            switch (tag) {
                case 'E':
                    cabecera();
                    break;
                case 'G':
                    grupo();
                    break;
                case 'C':
                    cuestionario();
                    break;
                case 'P':
                    perfil();
                    break;
                case 'c':
                    enlace();
                    break;
                case 'p':
                    seleccion();
                    break;
                case 'd':
                    texto(&TPerfil::descripcion, "Línea d errónea");
                    break;
                case 'o':
                    texto(&TPerfil::observaciones, "Línea o errónea");
                    break;
                default:
                    avisos_("Línea errónea en archivo. Posible corrupción"_cp);
                    if (esFinDeLinea(tag))
                        c_.finDeLineaLeido(tag);
                    else
                        c_.siguienteLinea();
            }
        }
        if (progreso_ && !progreso_(total_, total_)) throw LecturaCancelada();
    }

    std::int32_t mayorId() const { return mayorId_; }

    // Whether two of the questionnaires kept share a name.
    bool nombresRepetidos() const {
        return koral::nombresRepetidos(doc_.cuestionarios, hashes_, hashNombre);
    }

private:
    // Every 1 MiB: often enough for a progress bar and a prompt cancel,
    // rare enough to cost nothing.
    static constexpr std::size_t kPasoProgreso = 1 << 20;

    void avanzar() {
        if (!progreso_) return;
        if (!progreso_(c_.leidos(), total_)) throw LecturaCancelada();
        siguienteAviso_ = c_.leidos() + kPasoProgreso;
    }

    void notarId(std::int32_t id) { mayorId_ = std::max(mayorId_, id); }

    void cabecera() {
        doc_.ultimoId = c_.entero();
        c_.separador();
        doc_.nGrupos = c_.entero();
        c_.separador();
        doc_.nPerfiles = c_.entero();
        c_.separador();
        doc_.nCuestionarios = c_.entero();
        c_.separador();
        doc_.nombre = cortarNombre(c_.resto());
        c_.siguienteLinea();
        reservar(doc_.grupos, doc_.nGrupos, tope_);
        reservar(doc_.cuestionarios, doc_.nCuestionarios, tope_);
        reservar(doc_.perfiles, doc_.nPerfiles, tope_);
        const auto previstos = [this](std::int32_t n) {
            return std::min<std::size_t>(n > 0 ? static_cast<std::size_t>(n) : 0, tope_);
        };
        // A file may hold more than one header line: keep what is indexed.
        // Groups, made first as a rule, have the small identifiers: the
        // first 65,536 in an array are a link line's lookup without a hash.
        gruposPorId_.reservar(std::min<std::size_t>(
            doc_.ultimoId >= 0 ? static_cast<std::size_t>(doc_.ultimoId) + 1 : 0, 65536));
        // Identifiers run to the header's last one; a questionnaire line
        // takes some 270 bytes, which bounds what a false header can ask for.
        cuestionariosPorId_.reservar(std::min<std::size_t>(
            doc_.ultimoId >= 0 ? static_cast<std::size_t>(doc_.ultimoId) + 1 : 0,
            tope_ / 16 + 4096));
        if (enOrden_)
            cuestionariosPorNombre_.reservar(previstos(doc_.nCuestionarios));
        else
            hashes_.reserve(previstos(doc_.nCuestionarios));
    }

    void grupo() {
        auto g = std::make_unique<TGrupo>();
        g->id = c_.entero();
        c_.separador();
        g->fecha = c_.real();
        c_.separador();
        g->nombre = cortarNombre(c_.resto());
        c_.siguienteLinea();
        notarId(g->id);
        if (!registrar(g.get(), gruposPorNombre_, gruposPorId_))
            return;  // duplicate: dropped silently
        doc_.grupos.push_back(std::move(g));
    }

    void cuestionario() {
        auto q = std::make_unique<TCuestionario>();
        q->id = c_.entero();
        // The index cells this line will need are far in memory: ask for
        // them now, to arrive while the line is read, guessing the name
        // where the writer puts it.
        cuestionariosPorId_.anticipar(q->id);
        if (enOrden_) {
            const std::string_view nombrePrevisto = c_.restoEn(kNombreTrasId, kLargoNombre);
            if (!nombrePrevisto.empty())
                cuestionariosPorNombre_.anticipar(hashNombre(nombrePrevisto));
        }
        c_.separador();
        // Read as characters, line ends included; past the end of the file
        // the missing answers are no answer.
        const std::string_view leidas = c_.bloque(kNumItems);
        int ceros = 0;
        if (leidas.size() == static_cast<std::size_t>(kNumItems)) {
            ceros = filtrarRespuestas(leidas.data(), q->respuestas.data());
        } else {
            for (std::size_t i = 0; i < static_cast<std::size_t>(kNumItems); ++i) {
                char ch = i < leidas.size() ? leidas[i] : '0';
                // Digits above the item's option count are no answer; characters
                // below '0' are kept as they are.
                // Codes are 0-255: a byte above 127 (a 'ñ', say) is no answer either.
                if (static_cast<unsigned char>(ch) - '0' > maximoRespuesta[i + 1]) ch = '0';
                q->respuestas[i] = ch;
                ceros += ch == '0';
            }
        }
        c_.separador();
        for (double& s : q->puntuaciones) {
            s = c_.real();
            c_.separador();
        }
        q->fecha = c_.real();
        c_.separador();
        const std::string_view nombre = c_.resto().substr(0, kLargoNombre);
        const std::uint64_t h = hashNombre(nombre);
        q->nombre = std::string(nombre);  // of its own size: assigning would double
        c_.siguienteLinea();
        q->sinRespuesta = ceros;
        notarId(q->id);
        if (!enOrden_)
            hashes_.push_back(h);
        else if (!indexarPorNombre(cuestionariosPorNombre_, q.get(), h))
            return;
        const bool primeroConId = cuestionariosPorId_.insertarSiNuevo(q.get());
        // Its link lines follow it: remember it when it is the record its
        // identifier resolves to, to spare them the index.
        ultimoCuestionario_ = primeroConId ? q.get() : nullptr;
        doc_.cuestionarios.push_back(std::move(q));
    }

    void perfil() {
        auto p = std::make_unique<TPerfil>();
        p->id = c_.entero();
        c_.separador();
        p->fecha = c_.real();
        c_.separador();
        p->nombre = cortarNombre(c_.resto());
        c_.siguienteLinea();
        notarId(p->id);
        // The description lines after a dropped duplicate have no profile of
        // their own: they are reported as lines without a current profile.
        actual_ = nullptr;
        if (!registrar(p.get(), perfilesPorNombre_, perfilesPorId_)) return;
        actual_ = p.get();
        doc_.perfiles.push_back(std::move(p));
    }

    void enlace() {
        const std::int32_t a = c_.entero();
        const char s = c_.caracter();
        const std::int32_t b = c_.entero();
        c_.siguienteLinea();
        if (s != ' ') avisos_("separador no válido"_cp);
        TCuestionario* q = ultimoCuestionario_ && ultimoCuestionario_->id == a
                               ? ultimoCuestionario_
                               : cuestionariosPorId_.buscar(a);
        TGrupo* g = gruposPorId_.buscar(b);
        if (q && g)
            enlaces_.enlazar(*q, *g);  // a repeated line makes no second membership
        else
            avisos_("Error 01 en el archivo de entrada");
    }
    Enlazador enlaces_;  // the links of a questionnaire may come back later in the file

    void seleccion() {
        const std::int32_t a = c_.entero();
        const char s = c_.caracter();
        const std::int32_t b = c_.entero();
        c_.siguienteLinea();
        if (s != ' ') avisos_("separador no válido"_cp);
        actual_ = buscarPorId(perfilesPorId_, a);
        TGrupo* g = gruposPorId_.buscar(b);
        if (actual_ && g) {
            enlaces_.seleccionar(*actual_, *g);
        } else {
            avisos_("Error 02 en el archivo de entrada");
        }
    }

    void texto(std::string TPerfil::*campo, const char* mensaje) {
        // Without a profile the line is passed over whole: its text read as
        // further lines could invent records or end the reading.
        if (actual_) {
            actual_->*campo = decodificarTexto(c_.resto());
            c_.siguienteLinea();
        } else {
            c_.siguienteLinea();
            avisos_(operator""_cp(mensaje, std::strlen(mensaje)));
        }
    }

    // Indexes a new group or profile by name and identifier; false when its
    // name is taken. The identifier index keeps the first record with each
    // identifier.
    template <typename T>
    static bool registrar(T* r, IndiceHash<T>& porNombre, IndiceHash<T>& porId) {
        if (!indexarPorNombre(porNombre, r)) return false;
        indexarPorId(porId, r);
        return true;
    }
    template <typename T>
    static bool registrar(T* r, IndiceHash<T>& porNombre, IndiceIds<T>& porId) {
        if (!indexarPorNombre(porNombre, r)) return false;
        porId.insertarSiNuevo(r);
        return true;
    }

    TKoral& doc_;
    AvisosLector& avisos_;
    Cursor c_;
    std::size_t tope_;  // bounds reservations made from header counts
    std::size_t total_;
    const Progreso& progreso_;
    const bool enOrden_;
    std::vector<std::uint64_t> hashes_;  // of the questionnaires' names, when not in order
    std::size_t siguienteAviso_ = 0;
    TPerfil* actual_ = nullptr;
    TCuestionario* ultimoCuestionario_ = nullptr;
    std::int32_t mayorId_ = std::numeric_limits<std::int32_t>::min();
    IndiceIds<TGrupo> gruposPorId_;
    IndiceHash<TGrupo> gruposPorNombre_;
    IndiceIds<TCuestionario> cuestionariosPorId_;
    IndiceHash<TCuestionario> cuestionariosPorNombre_;
    IndiceHash<TPerfil> perfilesPorId_, perfilesPorNombre_;
};

// --- writing ---

// Writes 0 <= n < 100 as two digits at t.
void parDigitos(char* t, std::uint32_t n) {
    static constexpr char kPares[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    std::memcpy(t, kPares + std::size_t{2} * n, 2);
}

class Escritor : public TextoEnBloques {
public:
    explicit Escritor(SalidaArchivo& salida)
        : TextoEnBloques([&salida](const char* d, std::size_t n) { salida.escribir(d, n); }) {}

    // kLargoReal characters; the reader counts on it.
    void real(double v) {
        // Nothing we compute is infinite or NaN; were one to appear, a number
        // the reader refuses would make the whole file unreadable.
        if (!std::isfinite(v)) v = 0;
        const double a = std::fabs(v);
        buf_ += (v < 0) ? '-' : ' ';
        std::uint64_t d = 0;
        int exponente = 0;
        if (a == 0 || digitos15(a, d, exponente)) {
            // Written where it goes: built aside and then copied, the copy
            // waited for the small writes that built it.
            constexpr std::string_view kCero = "0.00000000000000E+0000";
            static_assert(1 + kCero.size() == kLargoReal);
            const std::size_t base = buf_.size();
            buf_.resize(base + kCero.size());
            char* t = buf_.data() + base;
            std::memcpy(t, kCero.data(), kCero.size());
            if (a != 0) {
                // Two digits at a time, in three independent runs: a digit
                // at a time made one long chain of divisions.
                const std::uint64_t resto = d % 100'000'000'000'000ULL;
                t[0] = static_cast<char>('0' + d / 100'000'000'000'000ULL);
                const auto alto = static_cast<std::uint32_t>(resto / 100'000'000);
                const auto bajo = static_cast<std::uint32_t>(resto % 100'000'000);
                parDigitos(t + 2, alto / 10'000);
                parDigitos(t + 4, alto / 100 % 100);
                parDigitos(t + 6, alto % 100);
                parDigitos(t + 8, bajo / 1'000'000);
                parDigitos(t + 10, bajo / 10'000 % 100);
                parDigitos(t + 12, bajo / 100 % 100);
                parDigitos(t + 14, bajo % 100);
                if (exponente < 0) {
                    t[17] = '-';
                    exponente = -exponente;
                }
                t[20] = static_cast<char>('0' + exponente / 10);
                t[21] = static_cast<char>('0' + exponente % 10);
            }
            return;
        }
        char tmp[40];
        const auto r = std::to_chars(tmp, tmp + sizeof tmp, a, std::chars_format::scientific, 14);
        const char* e =
            std::find(static_cast<const char*>(tmp), static_cast<const char*>(r.ptr), 'e');
        buf_.append(tmp, static_cast<std::size_t>(e - tmp));
        buf_ += 'E';
        buf_ += e[1];
        const std::size_t nExp = static_cast<std::size_t>(r.ptr - (e + 2));
        buf_.append(4 - std::min<std::size_t>(nExp, 4), '0');
        buf_.append(e + 2, nExp);
    }
    // A name runs to the end of its line: a line break or Ctrl-Z inside it
    // would split or end the file, so they are written as blanks.
    void nombre(const std::string& n) {
        for (char c : n) buf_ += (esFinDeLinea(c) || c == kCtrlZ) ? ' ' : c;
    }
    // Profile texts: every line break as "\l", whatever its form.
    void textoPerfil(const std::string& t) {
        for (std::size_t i = 0; i < t.size(); ++i) {
            const char c = t[i];
            if (c == '\r') {
                if (i + 1 < t.size() && t[i + 1] == '\n') ++i;
                buf_ += "\\l";
            } else if (c == '\n') {
                buf_ += "\\l";
            } else {
                buf_ += c == kCtrlZ ? ' ' : c;
            }
        }
    }
    void finLinea() {
        buf_ += "\r\n";
        quizaVaciar();
    }
};

}  // namespace

void escribirEmpresa(const TKoral& doc, SalidaArchivo& salida) {
    Escritor w(salida);
    w.caracter('E');
    w.entero(doc.ultimoId);
    w.caracter(' ');
    w.entero(doc.nGrupos);
    w.caracter(' ');
    w.entero(doc.nPerfiles);
    w.caracter(' ');
    w.entero(doc.nCuestionarios);
    w.caracter(' ');
    w.nombre(doc.nombre);
    w.finLinea();
    for (const auto& g : doc.grupos) {
        w.caracter('G');
        w.entero(g->id);
        w.caracter(' ');
        w.real(g->fecha);
        w.caracter(' ');
        w.nombre(g->nombre);
        w.finLinea();
    }
    for (const auto& q : doc.cuestionarios) {
        w.caracter('C');
        w.entero(q->id);
        w.caracter(' ');
        w.texto(std::string_view(q->respuestas.data(), q->respuestas.size()));
        w.caracter(' ');
        for (double s : q->puntuaciones) {
            w.real(s);
            w.caracter(' ');
        }
        w.real(q->fecha);
        w.caracter(' ');
        w.nombre(q->nombre);
        w.finLinea();
        for (const TGrupo* g : q->grupos) {
            w.caracter('c');
            w.entero(q->id);
            w.caracter(' ');
            w.entero(g->id);
            w.finLinea();
        }
    }
    for (const auto& p : doc.perfiles) {
        w.caracter('P');
        w.entero(p->id);
        w.caracter(' ');
        w.real(p->fecha);
        w.caracter(' ');
        w.nombre(p->nombre);
        w.finLinea();
        for (const TGrupo* g : p->grupos) {
            w.caracter('p');
            w.entero(p->id);
            w.caracter(' ');
            w.entero(g->id);
            w.finLinea();
        }
        w.caracter('d');
        w.textoPerfil(p->descripcion);
        w.finLinea();
        w.caracter('o');
        w.textoPerfil(p->observaciones);
        w.finLinea();
    }
    w.vaciar();
}

namespace {

bool volverAlPrincipio(std::string_view&) {
    return true;
}
bool volverAlPrincipio(EntradaArchivo& entrada) {
    return entrada.reiniciar();
}

// One reading of the whole input. Out of order, false when names turned out
// repeated: what was read and noticed is then to be read again in order.
template <typename Fuente>
bool leerUnaVez(TKoral& doc, Fuente& datos, const Progreso& progreso, bool enOrden) {
    doc.grupos.clear();
    doc.cuestionarios.clear();
    doc.perfiles.clear();
    doc.nGrupos = doc.nCuestionarios = doc.nPerfiles = 0;

    AvisosLector avisos(doc, !enOrden);
    LectorEmpresa lector(doc, datos, progreso, avisos, enOrden);
    // Links are saved by identifier: a header counter below an identifier in
    // use would hand that identifier out again. Raise it, silently.
    auto ajustarUltimoId = [&] {
        if (doc.ultimoId < lector.mayorId()) doc.ultimoId = lector.mayorId();
    };
    try {
        lector.leer();
    } catch (...) {
        if (!enOrden && lector.nombresRepetidos()) return false;
        avisos.soltar();
        ajustarUltimoId();
        // The records read so far stay; keep the counts true to them.
        doc.nGrupos = static_cast<std::int32_t>(doc.grupos.size());
        doc.nCuestionarios = static_cast<std::int32_t>(doc.cuestionarios.size());
        doc.nPerfiles = static_cast<std::int32_t>(doc.perfiles.size());
        throw;
    }
    if (!enOrden && lector.nombresRepetidos()) return false;
    avisos.soltar();
    ajustarUltimoId();
    doc.modificado = false;

    auto comprobar = [&](std::int32_t& cuenta, std::size_t largo, const char* mensaje) {
        if (cuenta == static_cast<std::int64_t>(largo)) return;
        doc.avisar(mensaje);
        cuenta = static_cast<std::int32_t>(largo);
        doc.modificado = true;
    };
    comprobar(doc.nGrupos, doc.grupos.size(), "Error: diferencia en los grupos. Arreglado");
    comprobar(doc.nCuestionarios, doc.cuestionarios.size(),
              "Error: diferencia en los cuestionarios. Arreglado");
    comprobar(doc.nPerfiles, doc.perfiles.size(), "Error: diferencia en los perfiles. Arreglado");
    return true;
}

// Checking each questionnaire's name against those before it, as it is read,
// made the reading wait on a far index at every line. Names are checked once
// at the end instead; a repeated one (a damaged file: the program keeps names
// unique) sends the reading back to the start, in order, where it is dropped
// as it always was. An input that cannot start over is read in order.
template <typename Fuente>
void leerDe(TKoral& doc, Fuente& datos, const Progreso& progreso) {
    if (!volverAlPrincipio(datos)) {
        leerUnaVez(doc, datos, progreso, true);
        return;
    }
    const std::string nombre = doc.nombre;
    const std::int32_t ultimoId = doc.ultimoId;
    if (leerUnaVez(doc, datos, progreso, false)) return;
    // An input that could start over can again (or throws).
    volverAlPrincipio(datos);
    doc.nombre = nombre;
    doc.ultimoId = ultimoId;
    leerUnaVez(doc, datos, progreso, true);
}

}  // namespace

void leerEmpresa(TKoral& doc, std::string_view datos, const Progreso& progreso) {
    leerDe(doc, datos, progreso);
}

void leerEmpresa(TKoral& doc, EntradaArchivo& entrada, const Progreso& progreso) {
    leerDe(doc, entrada, progreso);
}

HashNombre cambiarHashNombres(HashNombre h) {
    return std::exchange(gHashNombre, h);
}

std::string nombreRespaldo(const std::string& archivo) {
    const auto barra = archivo.find_last_of('/');
    const auto inicioNombre = barra == std::string::npos ? 0 : barra + 1;
    const auto punto = archivo.find_last_of('.');
    if (punto == std::string::npos || punto < inicioNombre) return archivo + ".BAK";
    return archivo.substr(0, punto) + ".BAK";
}

void TKoral::leerArchivo(const std::string& ruta, const Progreso& progreso) {
    if (ruta.empty()) {
        avisar("El nombre de archivo está vacio"_cp);
        return;
    }
    archivo = ruta;
    SistemaArchivos& fs = archivos();
    if (!fs.existe(ruta)) fs.crearNuevo(ruta)->terminar();
    const auto entrada = fs.abrirLectura(ruta);
    // Saves killed on the way left their temporary files here.
    fs.limpiarTemporales(fs.destinoEnlaces(ruta));
    leerEmpresa(*this, *entrada, progreso);
}

void TKoral::guardarArchivo() {
    SistemaArchivos& fs = archivos();
    // A company reached through a link is saved into the file it points to,
    // and its backup kept beside that file.
    const std::string destino = fs.destinoEnlaces(archivo);
    const std::string respaldo = nombreRespaldo(destino);
    // A company file named like its own backup cannot have one: deleting the
    // "old backup" would delete the company file itself.
    if (respaldo == destino) throw ErrorArchivo("No puede crearse archivo de respaldo.");

    // The company file stays in place, whole, until the new one, synced,
    // is renamed over it; the backup is another name for the old file.
    Reemplazo reemplazo(archivo, archivo);
    escribirEmpresa(*this, reemplazo.salida());
    reemplazo.confirmar(respaldo);
    modificado = false;
    if (const std::string grupo = reemplazo.grupoPerdido(); !grupo.empty())
        avisar("La empresa se ha guardado, pero su archivo ya no pertenece al grupo «"_cp + grupo +
               "», así que los demás miembros de ese grupo quizá ya no puedan abrirla. El "
               "administrador del equipo puede devolverle el grupo."_cp);
}

}  // namespace koral
