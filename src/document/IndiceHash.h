// A flat, open-addressing index of record pointers by a key the caller
// hashes and compares. The company file reader keeps one per lookup it makes
// per line; node-based maps cost it more in allocation than in lookups.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/Anticipar.h"
#include "platform/Hash.h"

namespace koral {

template <typename R>
class IndiceHash {
public:
    explicit IndiceHash(std::size_t previstos = 0) { redimensionar(capacidadPara(previstos)); }

    // Room for `previstos` records without growing; keeps what is stored.
    void reservar(std::size_t previstos) {
        const std::size_t c = capacidadPara(previstos);
        if (c > celdas_.size()) redimensionar(c);
    }

    // The record stored under `h` for which `igual(r)` holds, or null.
    template <typename Igual>
    R* buscar(std::uint64_t h, Igual igual) const {
        const std::uint8_t m = marca(h);
        for (std::size_t i = h & mascara_;; i = (i + 1) & mascara_) {
            const std::uint8_t c = marcas_[i];
            if (c == 0) return nullptr;
            if (c == m && celdas_[i].h == h && igual(celdas_[i].r)) return celdas_[i].r;
        }
    }

    // A hint: the lookup of `h` is coming, bring its cell towards the
    // processor meanwhile.
    void anticipar(std::uint64_t h) const {
        const std::size_t i = h & mascara_;
        koral::anticipar(&marcas_[i]);
        koral::anticipar(&celdas_[i]);
    }

    // Stores `r` under `h` unless a record `igual` to it is there; false then.
    template <typename Igual>
    bool insertarSiNuevo(std::uint64_t h, R* r, Igual igual) {
        if (buscar(h, igual)) return false;
        if ((n_ + 1) * 2 > celdas_.size()) redimensionar(celdas_.size() * 2);
        colocar(h, r);
        ++n_;
        return true;
    }

    static std::uint64_t hashEntero(std::int64_t v) { return koral::hashEntero(v); }
    static std::uint64_t hashTexto(std::string_view t) { return koral::hashTexto(t); }

private:
    struct Celda {
        std::uint64_t h = 0;
        R* r = nullptr;
    };

    // Cells are found by the hash's low bits and told apart first by a byte
    // of its high bits, kept in an array of their own: a probe reads a
    // sixteenth of the memory it would read over the cells, and a new key's
    // cell is only written.
    static std::uint8_t marca(std::uint64_t h) {
        return static_cast<std::uint8_t>(0x80 | (h >> 57));
    }
    static std::size_t capacidadPara(std::size_t n) {
        std::size_t c = 16;
        while (c < n * 2) c *= 2;
        return c;
    }

    void colocar(std::uint64_t h, R* r) {
        std::size_t i = h & mascara_;
        while (marcas_[i] != 0) i = (i + 1) & mascara_;
        marcas_[i] = marca(h);
        celdas_[i] = {h, r};
    }

    void redimensionar(std::size_t capacidad) {
        std::vector<Celda> viejas(capacidad);
        std::vector<std::uint8_t> marcasViejas(capacidad);
        viejas.swap(celdas_);
        marcasViejas.swap(marcas_);
        mascara_ = capacidad - 1;
        for (std::size_t i = 0; i < viejas.size(); ++i)
            if (marcasViejas[i] != 0) colocar(viejas[i].h, viejas[i].r);
    }

    std::vector<std::uint8_t> marcas_;  // 0: empty cell
    std::vector<Celda> celdas_;
    std::size_t mascara_ = 0;
    std::size_t n_ = 0;
};

// The two keys records are looked up by: their name and their identifier.
// Each insert keeps the first record with that key.
// `h`, when given, is hashTexto of the name, taken from where it was read:
// hashing the record's fresh copy makes the processor wait for the copy.
template <typename R>
bool indexarPorNombre(IndiceHash<R>& indice, R* r, std::uint64_t h) {
    const std::string_view n = r->nombre;
    return indice.insertarSiNuevo(h, r, [n](const R* o) { return o->nombre == n; });
}

template <typename R>
bool indexarPorNombre(IndiceHash<R>& indice, R* r) {
    return indexarPorNombre(indice, r, IndiceHash<R>::hashTexto(r->nombre));
}

template <typename R>
R* buscarPorNombre(const IndiceHash<R>& indice, std::string_view n) {
    return indice.buscar(IndiceHash<R>::hashTexto(n), [n](const R* o) { return o->nombre == n; });
}

template <typename R>
bool indexarPorId(IndiceHash<R>& indice, R* r) {
    const auto id = r->id;
    return indice.insertarSiNuevo(IndiceHash<R>::hashEntero(id), r,
                                  [id](const R* o) { return o->id == id; });
}

template <typename R>
R* buscarPorId(const IndiceHash<R>& indice, std::int32_t id) {
    return indice.buscar(IndiceHash<R>::hashEntero(id), [id](const R* o) { return o->id == id; });
}

// Records by identifier, for the many questionnaires of a company file.
// Identifiers are the consecutive numbers the company hands out: those below
// a limit are found in a plain array at their own place, which a file read in
// order fills in order, with no hashing and no cell far in memory; any other
// is kept in a hash index. Keeps the first record with each identifier.
template <typename R>
class IndiceIds {
public:
    // Puts identifiers 0 to limite - 1 in the array. Only before anything is
    // stored: an identifier must not move from one place to the other.
    void reservar(std::size_t limite) {
        if (n_ == 0 && limite > directos_.size()) directos_.assign(limite, nullptr);
    }
    void anticipar(std::int32_t id) const {
        if (!directo(id)) resto_.anticipar(IndiceHash<R>::hashEntero(id));
    }
    bool insertarSiNuevo(R* r) {
        ++n_;
        if (directo(r->id)) {
            R*& celda = directos_[static_cast<std::size_t>(r->id)];
            if (celda) return false;
            celda = r;
            return true;
        }
        return indexarPorId(resto_, r);
    }
    R* buscar(std::int32_t id) const {
        return directo(id) ? directos_[static_cast<std::size_t>(id)] : buscarPorId(resto_, id);
    }

private:
    bool directo(std::int32_t id) const {
        return id >= 0 && static_cast<std::size_t>(id) < directos_.size();
    }

    std::vector<R*> directos_;
    IndiceHash<R> resto_;
    std::size_t n_ = 0;
};

// The values found more than once in `hashes`, which are well mixed, in
// ascending order.
std::vector<std::uint64_t> hashesRepetidos(const std::vector<std::uint64_t>& hashes);

// Whether two of `registros` share a name, given their names' hashes in the
// same order as `hashes` (from `hash`): names are compared only where hashes
// coincide. Checking names once, at the end of a long run of new records,
// spares a far index lookup for each.
template <typename R, typename Hash>
bool nombresRepetidos(const std::vector<std::unique_ptr<R>>& registros,
                      const std::vector<std::uint64_t>& hashes, Hash hash) {
    const std::vector<std::uint64_t> coinciden = hashesRepetidos(hashes);
    if (coinciden.empty()) return false;
    std::vector<std::string_view> nombres;
    for (const auto& r : registros)
        if (std::binary_search(coinciden.begin(), coinciden.end(), hash(r->nombre)))
            nombres.emplace_back(r->nombre);
    std::sort(nombres.begin(), nombres.end());
    return std::adjacent_find(nombres.begin(), nombres.end()) != nombres.end();
}

struct TCuestionario;
struct TGrupo;
struct TPerfil;

// Links many groups to one questionnaire or profile (an import line, the link
// and selection lines of a company file) at a constant cost per link, where
// enlazar searches the record's list: past a few groups, the linker keeps them in a set too,
// for as long as it lives. Every link it indexes must be made through it,
// and none undone, while it lives.
class Enlazador {
public:
    // As enlazar(q, g): links them unless they are linked already; false then.
    bool enlazar(TCuestionario& q, TGrupo& g);
    // Adds g to the profile's selection unless it is there already; false then.
    bool seleccionar(TPerfil& p, TGrupo& g);

private:
    // Whether g is new to `lista`, the groups of the record `de`, noting it if so.
    bool nuevo(const void* de, const std::vector<TGrupo*>& lista, TGrupo& g);

    std::unordered_map<const void*, IndiceHash<TGrupo>> grupos_;
};

}  // namespace koral
