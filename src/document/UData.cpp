#include "document/UData.h"

#include <algorithm>
#include <limits>
#include <mutex>
#include <new>

#include "document/IndiceHash.h"
#include "platform/Fecha.h"
#include "platform/Texto.h"

namespace koral {

// Under the address sanitizer every questionnaire is its own allocation, so
// that a use after release is caught as it is for any other object.
#if defined(__SANITIZE_ADDRESS__)
#define KORAL_RESERVA_PROPIA 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KORAL_RESERVA_PROPIA 0
#endif
#endif
#ifndef KORAL_RESERVA_PROPIA
#define KORAL_RESERVA_PROPIA 1
#endif

namespace {

// Slots of one size carved out of large blocks, handed out in order and
// reused once released. When the last slot is given back (every company
// closed) the blocks go back to the system.
class ReservaCuestionarios {
public:
    void* tomar() {
        const std::lock_guard<std::mutex> cierre(m_);
        if (libres_) {
            Libre* l = libres_;
            libres_ = l->siguiente;
            ++vivos_;
            return l;
        }
        if (siguiente_ == fin_) {
            bloques_.reserve(bloques_.size() + 1);
            char* b = static_cast<char*>(::operator new(kBloque));
            bloques_.push_back(b);
            siguiente_ = b;
            fin_ = b + kHueco * (kBloque / kHueco);
        }
        void* p = siguiente_;
        siguiente_ += kHueco;
        ++vivos_;
        return p;
    }

    void soltar(void* p) noexcept {
        const std::lock_guard<std::mutex> cierre(m_);
        auto* l = static_cast<Libre*>(p);
        l->siguiente = libres_;
        libres_ = l;
        if (--vivos_ > 0) return;
        for (void* b : bloques_) ::operator delete(b);
        bloques_.clear();
        libres_ = nullptr;
        siguiente_ = fin_ = nullptr;
    }

    // A multiple of the alignment, so every slot of a block is aligned.
    static constexpr std::size_t kHueco = sizeof(TCuestionario);

private:
    struct Libre {
        Libre* siguiente;
    };
    static_assert(kHueco >= sizeof(Libre));
    // Large enough to be mapped on its own, away from the heap's small pieces.
    static constexpr std::size_t kBloque = std::size_t{2} << 20;

    std::mutex m_;
    std::vector<char*> bloques_;
    Libre* libres_ = nullptr;
    char* siguiente_ = nullptr;
    char* fin_ = nullptr;
    std::size_t vivos_ = 0;
};

// Never destroyed: questionnaires may outlive every other static object.
ReservaCuestionarios& reserva() {
    static auto* r = new ReservaCuestionarios;
    return *r;
}

}  // namespace

void* TCuestionario::operator new(std::size_t n) {
    if (KORAL_RESERVA_PROPIA && n == ReservaCuestionarios::kHueco) return reserva().tomar();
    return ::operator new(n);
}

void TCuestionario::operator delete(void* p, std::size_t n) noexcept {
    if (!p) return;
    if (KORAL_RESERVA_PROPIA && n == ReservaCuestionarios::kHueco)
        reserva().soltar(p);
    else
        ::operator delete(p);
}

namespace {

template <typename T>
T* buscarPorId(const std::vector<std::unique_ptr<T>>& lista, std::int32_t id) {
    for (const auto& r : lista)
        if (r->id == id) return r.get();
    return nullptr;
}

template <typename T>
T* buscarPorNombre(const std::vector<std::unique_ptr<T>>& lista, std::string_view texto) {
    for (const auto& r : lista)
        if (r->nombre == texto) return r.get();
    return nullptr;
}

// Removes the last entry that is `x`; false when there is none.
template <typename T>
bool quitarUltimo(std::vector<T*>& lista, const T* x) {
    for (auto i = lista.size(); i-- > 0;) {
        if (lista[i] == x) {
            lista.erase(lista.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

// Position of `r` in its owning list, by identity. Looking it up by
// identifier, as the lists link records, could pick another record holding
// the same identifier (possible in a hand-edited file) and leave `r` behind
// as a dangling entry once released.
template <typename T>
std::ptrdiff_t posicion(const std::vector<std::unique_ptr<T>>& lista, const T* r) {
    for (auto i = lista.size(); i-- > 0;)
        if (lista[i].get() == r) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

}  // namespace

std::string cortarNombre(std::string_view texto) {
    return std::string(texto.substr(0, kLargoNombre));
}

void TKoral::iniciarEmpresa(std::string_view nombreEmpresa) {
    nombre = cortarNombre(nombreEmpresa);
    archivo.clear();
    ultimoId = 1;
    soltarTodo();
    nGrupos = nCuestionarios = nPerfiles = 0;
    modificado = true;
}

void TKoral::cerrarEmpresa() {
    if (!archivo.empty() && modificado) guardarArchivo();
    soltarTodo();
}

void TKoral::soltarTodo() {
    cuestionarios.clear();
    grupos.clear();
    perfiles.clear();
}

TGrupo* TKoral::buscarGrupoPorId(std::int32_t id) const {
    return buscarPorId(grupos, id);
}
TCuestionario* TKoral::buscarCuestionarioPorId(std::int32_t id) const {
    return buscarPorId(cuestionarios, id);
}
TPerfil* TKoral::buscarPerfilPorId(std::int32_t id) const {
    return buscarPorId(perfiles, id);
}
TGrupo* TKoral::buscarGrupo(std::string_view texto) const {
    return buscarPorNombre(grupos, texto);
}
TCuestionario* TKoral::buscarCuestionario(std::string_view texto) const {
    return buscarPorNombre(cuestionarios, texto);
}
TPerfil* TKoral::buscarPerfil(std::string_view texto) const {
    return buscarPorNombre(perfiles, texto);
}

bool TKoral::siguienteId(std::int32_t& id) {
    // Identifiers are never reused, so a company that has spent them all can
    // take no more records.
    if (ultimoId == std::numeric_limits<std::int32_t>::max()) {
        avisar("No quedan identificadores libres en esta empresa."_cp);
        return false;
    }
    id = ++ultimoId;
    return true;
}

// The uniqueness test is made on the cut name: a longer text whose first 49
// characters equal a stored name would otherwise store a duplicate, and the
// file reader would drop it and its links.
TGrupo* TKoral::agregarGrupo(std::string_view texto) {
    std::string n = cortarNombre(texto);
    if (buscarGrupo(n)) return nullptr;
    return crearGrupo(std::move(n));
}

TGrupo* TKoral::crearGrupo(std::string n) {
    auto g = std::make_unique<TGrupo>();
    if (!siguienteId(g->id)) return nullptr;
    g->nombre = std::move(n);
    g->fecha = fechaHoy();
    ++nGrupos;
    grupos.push_back(std::move(g));
    return grupos.back().get();
}

TCuestionario* TKoral::agregarCuestionario(std::string_view texto) {
    std::string n = cortarNombre(texto);
    if (buscarCuestionario(n)) return nullptr;
    return crearCuestionario(std::move(n));
}

TCuestionario* TKoral::crearCuestionario(std::string n) {
    auto q = std::make_unique<TCuestionario>();
    if (!siguienteId(q->id)) return nullptr;
    q->nombre = std::move(n);
    q->fecha = fechaHoy();
    ++nCuestionarios;
    cuestionarios.push_back(std::move(q));
    return cuestionarios.back().get();
}

TPerfil* TKoral::agregarPerfil(std::string_view texto) {
    std::string n = cortarNombre(texto);
    if (buscarPerfil(n)) return nullptr;
    auto p = std::make_unique<TPerfil>();
    if (!siguienteId(p->id)) return nullptr;
    p->nombre = std::move(n);
    p->fecha = fechaHoy();
    ++nPerfiles;
    perfiles.push_back(std::move(p));
    return perfiles.back().get();
}

void TKoral::borrarGrupo(TGrupo* g) {
    const auto pos = posicion(grupos, g);
    if (pos < 0) {
        avisar("Ha ocurrido un error en lista Grupos");
    } else {
        for (auto& q : cuestionarios) quitarUltimo(q->grupos, g);
        for (auto& p : perfiles) quitarUltimo(p->grupos, g);
        grupos.erase(grupos.begin() + pos);
    }
    --nGrupos;
}

void TKoral::borrarCuestionario(TCuestionario* q) {
    const auto pos = posicion(cuestionarios, q);
    if (pos < 0) {
        avisar("Ha ocurrido un error en lista Cuestionarios");
    } else {
        for (TGrupo* g : q->grupos)
            if (!quitarUltimo(g->cuestionarios, q)) avisar("Error en lista Cuestionarios");
        cuestionarios.erase(cuestionarios.begin() + pos);
    }
    --nCuestionarios;
}

void TKoral::borrarPerfil(TPerfil* p) {
    const auto pos = posicion(perfiles, p);
    if (pos < 0)
        avisar("Ha ocurrido un error en lista Perfiles");
    else
        perfiles.erase(perfiles.begin() + pos);
    --nPerfiles;
}

bool enlazar(TCuestionario& q, TGrupo& g) {
    if (std::find(q.grupos.begin(), q.grupos.end(), &g) != q.grupos.end()) return false;
    q.grupos.push_back(&g);
    g.cuestionarios.push_back(&q);
    return true;
}

bool Enlazador::nuevo(const void* de, const std::vector<TGrupo*>& lista, TGrupo& g) {
    // A short list is searched faster than a set is built and looked up.
    constexpr std::size_t kUmbral = 16;
    if (lista.size() < kUmbral) return std::find(lista.begin(), lista.end(), &g) == lista.end();
    auto [it, primera] = grupos_.try_emplace(de, lista.size());
    IndiceHash<TGrupo>& suyos = it->second;
    const auto anotar = [&suyos](TGrupo* x) {
        const auto h = IndiceHash<TGrupo>::hashEntero(
            static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(x)));
        return suyos.insertarSiNuevo(h, x, [x](const TGrupo* o) { return o == x; });
    };
    if (primera)
        for (TGrupo* x : lista) anotar(x);
    return anotar(&g);
}

bool Enlazador::enlazar(TCuestionario& q, TGrupo& g) {
    if (!nuevo(&q, q.grupos, g)) return false;
    // Most questionnaires are in one to three groups: room for two at once
    // spares growing from one to two, at the size one would take anyway.
    if (q.grupos.empty()) q.grupos.reserve(2);
    q.grupos.push_back(&g);
    g.cuestionarios.push_back(&q);
    return true;
}

bool Enlazador::seleccionar(TPerfil& p, TGrupo& g) {
    if (!nuevo(&p, p.grupos, g)) return false;
    p.grupos.push_back(&g);
    return true;
}

// Spread by their top bits into runs of a few hundred, each run is then
// checked in a small table that stays in the processor's cache. Sorting them
// all took longer than checking each name as it was read.
std::vector<std::uint64_t> hashesRepetidos(const std::vector<std::uint64_t>& hashes) {
    const std::size_t n = hashes.size();
    int bits = 0;
    while (bits < 32 && (n >> bits) > 256) ++bits;
    const auto cubo = [bits](std::uint64_t h) {
        return bits == 0 ? std::size_t{0} : static_cast<std::size_t>(h >> (64 - bits));
    };
    const std::size_t cubos = std::size_t{1} << bits;
    std::vector<std::size_t> inicio(cubos + 1);
    for (const std::uint64_t h : hashes) ++inicio[cubo(h) + 1];
    std::size_t mayor = 0;
    for (std::size_t b = 0; b < cubos; ++b) {
        mayor = std::max(mayor, inicio[b + 1]);
        inicio[b + 1] += inicio[b];
    }
    std::vector<std::uint64_t> porCubo(n);
    {
        std::vector<std::size_t> siguiente(inicio.begin(), inicio.end() - 1);
        for (const std::uint64_t h : hashes) porCubo[siguiente[cubo(h)]++] = h;
    }
    std::size_t capacidad = 16;
    while (capacidad < 2 * mayor) capacidad *= 2;
    const std::size_t mascara = capacidad - 1;
    // A cell is taken in this run when it carries the run's number.
    std::vector<std::uint64_t> tabla(capacidad);
    std::vector<std::size_t> ocupada(capacidad, 0);
    std::vector<std::uint64_t> iguales;
    for (std::size_t b = 0; b < cubos; ++b) {
        for (std::size_t i = inicio[b]; i < inicio[b + 1]; ++i) {
            const std::uint64_t h = porCubo[i];
            for (std::size_t j = h & mascara;; j = (j + 1) & mascara) {
                if (ocupada[j] != b + 1) {
                    ocupada[j] = b + 1;
                    tabla[j] = h;
                    break;
                }
                if (tabla[j] == h) {
                    iguales.push_back(h);
                    break;
                }
            }
        }
    }
    std::sort(iguales.begin(), iguales.end());
    iguales.erase(std::unique(iguales.begin(), iguales.end()), iguales.end());
    return iguales;
}

bool desenlazar(TCuestionario& q, TGrupo& g) {
    const bool a = quitarUltimo(q.grupos, &g);
    const bool b = quitarUltimo(g.cuestionarios, &q);
    return a || b;
}

std::string normalizarSaltos(std::string_view texto) {
    std::string s;
    s.reserve(texto.size());
    for (std::size_t i = 0; i < texto.size(); ++i) {
        const char c = texto[i];
        if (c == '\r') {
            if (i + 1 < texto.size() && texto[i + 1] == '\n') ++i;
            s += "\r\n";
        } else if (c == '\n') {
            s += "\r\n";
        } else {
            s += c;
        }
    }
    return s;
}

void siguientePalabra(std::string& texto, std::string& palabra) {
    const auto inicio = texto.find_first_not_of(' ');
    if (inicio == std::string::npos) {
        texto.clear();
        palabra.clear();
        return;
    }
    texto.erase(0, inicio);
    const auto blanco = texto.find(' ');
    if (blanco == std::string::npos) {
        palabra = std::move(texto);
        texto.clear();
    } else {
        palabra = texto.substr(0, blanco);
        texto.erase(0, blanco + 1);
    }
}

std::string rellenarCeros(long long numero, int ancho) {
    std::string s = std::to_string(numero);
    if (static_cast<int>(s.size()) < ancho)
        s.insert(0, static_cast<std::size_t>(ancho) - s.size(), '0');
    return s;
}

}  // namespace koral
