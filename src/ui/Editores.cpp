#include "ui/Editores.h"

#include <QLocale>
#include <type_traits>
#include <unordered_map>

#include "platform/Dialogos.h"
#include "platform/qt/Escritorio.h"
#include "platform/qt/TextoQt.h"
#include "ui/UCuestionario.h"
#include "ui/UGrupo.h"
#include "ui/UMain.h"
#include "ui/UPerfil.h"

namespace koral {

void conectarEditores(TfrmMain& frm) {
    // Children of the frame: made once, reused for every company window,
    // released with the frame.
    auto* cuest = new TfrmCuest(&frm);
    auto* grupo = new TfrmGrupo(&frm);
    auto* perfil = new TfrmPerfil(&frm);
    perfil->ordenes = &frm.ordenes;
    frm.ordenes.editarCuestionario = [cuest](TKoral& d, TCuestionario& q) {
        return cuest->editarCuestionario(d, q);
    };
    frm.ordenes.verificarCuestionario = [cuest](TKoral& d, TCuestionario& q) {
        return cuest->verificarCuestionario(d, q);
    };
    frm.ordenes.verGrupo = [grupo](TKoral& d, TGrupo& g) { grupo->verGrupo(d, g); };
    frm.ordenes.editarPerfil = [perfil](TKoral& d, TPerfil& p) {
        return perfil->editarPerfil(d, p);
    };
}

char separadorDecimal() {
    return QLocale().decimalPoint() == QStringLiteral(",") ? ',' : '.';
}

namespace {

std::vector<TCuestionario*>& miembros(TGrupo& g) {
    return g.cuestionarios;
}
std::vector<TGrupo*>& miembros(TCuestionario& q) {
    return q.grupos;
}
std::vector<TGrupo*>& miembros(TPerfil& p) {
    return p.grupos;
}

const std::vector<std::unique_ptr<TGrupo>>& todos(const TKoral& d, const TGrupo*) {
    return d.grupos;
}
const std::vector<std::unique_ptr<TCuestionario>>& todos(const TKoral& d, const TCuestionario*) {
    return d.cuestionarios;
}

// Groups do not record the profiles that take them in.
template <class Propio>
constexpr bool kDosLados = !std::is_same_v<Propio, TPerfil>;

// Removes the last entry with identifier `id`; false when there is none.
template <class T>
bool quitarUltimoId(std::vector<T*>& v, std::int32_t id) {
    for (std::size_t i = v.size(); i-- > 0;) {
        if (v[i] && v[i]->id == id) {
            v.erase(v.begin() + static_cast<std::ptrdiff_t>(i));
            return true;
        }
    }
    return false;
}

const char* const kError04 = "Error 04 en el tratamiento del archivo";
const char* const kError05 = "Error 05 en el proceso de este cuestionario";

// A link that "<" did not find: the profile editor tells it in the plain
// box, the other two in the "Atención" box.
template <class Propio>
void avisarFalta() {
    if constexpr (kDosLados<Propio>)
        Mensaje(kError04);
    else
        CajaMensaje(kTituloPrograma, kError04);
}

// Where an editor's records are in a shared list, and whether one is kept
// out of the available ones.
struct TMarca {
    int fila = -1;
    bool fuera = false;
};

// Records to marks, open addressing: a few hundred thousand records are
// looked up a million times while an editor opens. Unlike IndiceHash, which
// points to records kept elsewhere, it holds each mark in its own cell, so a
// lookup that finds one reads no further memory.
class TablaPunteros {
public:
    explicit TablaPunteros(std::size_t n) {
        std::size_t capacidad = 16;
        while (capacidad < 2 * n) capacidad *= 2;
        claves_.assign(capacidad, nullptr);
        marcas_.resize(capacidad);
    }
    TMarca& operator[](const TRegistro* r) {
        std::size_t i = posicion(r);
        if (!claves_[i]) claves_[i] = r;
        return marcas_[i];
    }
    TMarca* buscar(const TRegistro* r) {
        const std::size_t i = posicion(r);
        return claves_[i] ? &marcas_[i] : nullptr;
    }

private:
    // The slot holding `r`, or the empty one where it would go.
    std::size_t posicion(const TRegistro* r) const {
        const std::size_t mascara = claves_.size() - 1;
        std::size_t i = static_cast<std::size_t>(TListaRegistros::huella(r)) & mascara;
        while (claves_[i] && claves_[i] != r) i = (i + 1) & mascara;
        return i;
    }
    std::vector<const TRegistro*> claves_;
    std::vector<TMarca> marcas_;
};

}  // namespace

template <class Propio, class Otro>
TMiembros<Propio, Otro>::TMiembros(QObject* padre) {
    const auto orden =
        kDosLados<Propio> ? TListaRegistros::Orden::alfabetico : TListaRegistros::Orden::llegada;
    disponibles_ = new TListaDe<Otro>(padre, orden);
    asociados_ = new TListaDe<Otro>(padre, orden);
}

template <class Propio, class Otro>
void TMiembros<Propio, Otro>::marcar() {
    // The links are stored in the company file: a move is a change to save.
    // An editor that is cancelled puts the links and this mark back.
    doc_->modificado = true;
}

template <class Propio, class Otro>
void TMiembros<Propio, Otro>::abrir(TKoral& doc, Propio& propio, const std::string& huerfano) {
    doc_ = &doc;
    propio_ = &propio;
    const auto& lista = todos(doc, static_cast<const Otro*>(nullptr));
    constexpr std::size_t kNinguno = static_cast<std::size_t>(-1);

    // For each identifier the last record of the document that still counts
    // as available, chained to the previous one with the same identifier.
    // The company hands identifiers out one after another: a table indexed
    // by them is then far quicker than a hash table over a million records.
    std::vector<std::int32_t> ids(lista.size());
    std::int32_t menor = 0, mayor = -1;
    for (std::size_t i = 0; i < lista.size(); ++i) {
        ids[i] = lista[i]->id;
        if (i == 0 || ids[i] < menor) menor = ids[i];
        if (i == 0 || ids[i] > mayor) mayor = ids[i];
    }
    const bool denso = std::int64_t{mayor} - menor < 4 * std::int64_t(lista.size()) + 1024;
    std::vector<std::size_t> tabla(denso ? std::size_t(std::int64_t{mayor} - menor + 1) : 0,
                                   kNinguno);
    std::unordered_map<std::int32_t, std::size_t> mapa;
    if (!denso) mapa.reserve(lista.size());
    // The slot of `id`, or null for one no record has.
    auto ultimo = [&](std::int32_t id) -> std::size_t* {
        if (denso) return id < menor || id > mayor ? nullptr : &tabla[std::size_t(id - menor)];
        auto it = mapa.find(id);
        return it == mapa.end() ? nullptr : &it->second;
    };
    std::vector<std::size_t> anterior(lista.size(), kNinguno);
    for (std::size_t i = 0; i < lista.size(); ++i) {
        std::size_t& hueco = denso ? tabla[std::size_t(ids[i] - menor)]
                                   : mapa.try_emplace(ids[i], kNinguno).first->second;
        anterior[i] = hueco;
        hueco = i;
    }

    std::vector<char> asociado(lista.size(), 0);
    std::vector<std::size_t> fuera;  // the rows of `asociado` set
    std::vector<Otro*> suyos;        // the record's entries, in its order
    suyos.reserve(miembros(propio).size());
    for (Otro* o : miembros(propio)) {
        if (!o) {
            Mensaje(huerfano);
            continue;
        }
        suyos.push_back(o);
        std::size_t* hueco = ultimo(o->id);
        if (!hueco || *hueco == kNinguno) {
            Mensaje(kError05);
            continue;
        }
        asociado[*hueco] = 1;
        fuera.push_back(*hueco);
        *hueco = anterior[*hueco];
    }
    if (llenarSegunCompania(lista, fuera, suyos)) return;

    typename TListaDe<Otro>::Entradas asoc;
    asoc.reserve(suyos.size());
    for (Otro* o : suyos) asoc.emplace_back(aQString(o->nombre), o);
    typename TListaDe<Otro>::Entradas disp;
    disp.reserve(lista.size());
    for (std::size_t i = 0; i < lista.size(); ++i)
        if (!asociado[i]) disp.emplace_back(aQString(lista[i]->nombre), lista[i].get());
    disponibles_->llenar(std::move(disp));
    asociados_->llenar(std::move(asoc));
}

template <class Propio, class Otro>
bool TMiembros<Propio, Otro>::llenarSegunCompania(const std::vector<std::unique_ptr<Otro>>& lista,
                                                  const std::vector<std::size_t>& fuera,
                                                  const std::vector<Otro*>& suyos) {
    if constexpr (!kDosLados<Propio>) {
        return false;  // lists in the company's order: nothing to sort
    } else {
        if (lista.empty()) return false;
        std::uint64_t suma = 0;
        for (const auto& r : lista) suma += TListaRegistros::huella(r.get());
        const auto* todas =
            static_cast<const TListaDe<Otro>*>(TListaRegistros::conRegistros(suma, lista.size()));
        if (!todas) return false;

        // Which records stay out of the available ones, and where the
        // record's own entries are in the shared list.
        TablaPunteros marcas(fuera.size() + suyos.size());
        for (std::size_t i : fuera) marcas[lista[i].get()].fuera = true;
        for (const Otro* o : suyos) marcas[o];
        std::vector<std::uint32_t> disp;
        disp.reserve(lista.size());
        for (int f = 0; f < todas->rowCount(); ++f) {
            TMarca* m = marcas.buscar(todas->registro(f));
            if (m) {
                m->fila = f;
                if (m->fuera) continue;
            }
            disp.push_back(static_cast<std::uint32_t>(f));
        }

        // The record's entries sorted as llenar would: equal texts in the
        // record's order, whatever their rows in the shared list.
        std::vector<std::pair<int, std::uint32_t>> asoc;  // first row of its text, row
        asoc.reserve(suyos.size());
        for (const Otro* o : suyos) {
            const TMarca* m = marcas.buscar(o);
            if (!m || m->fila < 0) return false;
            int primera = m->fila;
            while (todas->repetida(primera)) --primera;
            asoc.emplace_back(primera, static_cast<std::uint32_t>(m->fila));
        }
        std::stable_sort(asoc.begin(), asoc.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        std::vector<std::uint32_t> filasAsoc;
        filasAsoc.reserve(asoc.size());
        for (const auto& a : asoc) filasAsoc.push_back(a.second);

        // Equal texts among the available ones in the company's order, as
        // llenar gives them. Two available rows have one text when every
        // row from the first to the second repeats the one before.
        std::vector<std::pair<std::size_t, std::size_t>> tramos;  // [desde, hasta) of disp
        for (std::size_t k = 1, desde = 0; k <= disp.size(); ++k) {
            bool mismo = k < disp.size();
            for (std::uint32_t f = mismo ? disp[k] : 0; mismo && f > disp[k - 1]; --f)
                mismo = todas->repetida(static_cast<int>(f));
            if (mismo) continue;
            if (k - desde > 1) tramos.emplace_back(desde, k);
            desde = k;
        }
        if (!tramos.empty()) {
            std::unordered_map<const TRegistro*, std::size_t> lugar;
            for (const auto& [desde, hasta] : tramos)
                for (std::size_t k = desde; k < hasta; ++k)
                    lugar.emplace(todas->registro(static_cast<int>(disp[k])), 0);
            for (std::size_t i = 0; i < lista.size(); ++i)
                if (auto it = lugar.find(lista[i].get()); it != lugar.end()) it->second = i;
            for (const auto& [desde, hasta] : tramos)
                std::sort(disp.begin() + static_cast<std::ptrdiff_t>(desde),
                          disp.begin() + static_cast<std::ptrdiff_t>(hasta),
                          [&](std::uint32_t a, std::uint32_t b) {
                              return lugar[todas->registro(static_cast<int>(a))] <
                                     lugar[todas->registro(static_cast<int>(b))];
                          });
        }

        // Read whole before either list changes: the shared list may be one of them.
        if (todas == asociados_) {
            disponibles_->copiarFilas(*todas, disp);
            asociados_->copiarFilas(*todas, filasAsoc);
        } else {
            asociados_->copiarFilas(*todas, filasAsoc);
            disponibles_->copiarFilas(*todas, disp);
        }
        return true;
    }
}

template <class Propio, class Otro>
void TMiembros<Propio, Otro>::agregar(int fila) {
    if (!propio_ || fila < 0 || fila >= disponibles_->rowCount()) return;
    Otro* o = disponibles_->registro(fila);
    asociados_->agregar(disponibles_->texto(fila), o);
    miembros(*propio_).push_back(o);
    if constexpr (kDosLados<Propio>) miembros(*o).push_back(propio_);
    disponibles_->quitar(fila);
    marcar();
}

template <class Propio, class Otro>
void TMiembros<Propio, Otro>::agregarTodos() {
    if (!propio_ || disponibles_->rowCount() == 0) return;
    // The same links, in the same order, as ">" on the first entry until the
    // list is empty; the list is rebuilt once.
    typename TListaDe<Otro>::Entradas mover = disponibles_->entradas();
    auto& propios = miembros(*propio_);
    propios.reserve(propios.size() + mover.size());
    for (const auto& [texto, o] : mover) {
        propios.push_back(o);
        if constexpr (kDosLados<Propio>) miembros(*o).push_back(propio_);
    }
    asociados_->anexar(std::move(mover));
    disponibles_->llenar({});
    marcar();
}

template <class Propio, class Otro>
void TMiembros<Propio, Otro>::quitar(int fila) {
    if (!propio_ || fila < 0 || fila >= asociados_->rowCount()) return;
    Otro* o = asociados_->registro(fila);
    const bool propioQuitado = quitarUltimoId(miembros(*propio_), o->id);
    bool otroQuitado = true;
    if constexpr (kDosLados<Propio>) otroQuitado = quitarUltimoId(miembros(*o), propio_->id);
    disponibles_->agregar(asociados_->texto(fila), o);
    asociados_->quitar(fila);
    marcar();
    // Told once the lists show the move.
    if (!propioQuitado) avisarFalta<Propio>();
    if (!otroQuitado) avisarFalta<Propio>();
}

template <class Propio, class Otro>
void TMiembros<Propio, Otro>::quitarTodos() {
    if (!propio_ || asociados_->rowCount() == 0) return;
    typename TListaDe<Otro>::Entradas mover = asociados_->entradas();

    // The record's own list: each entry takes away the last remaining link
    // with its identifier, as "<" on the first entry until the list is empty.
    auto& propios = miembros(*propio_);
    std::unordered_map<std::int32_t, std::size_t> presentes;
    for (const Otro* o : propios)
        if (o) ++presentes[o->id];
    std::unordered_map<std::int32_t, std::size_t> pedidos;
    // Per entry: how many sides lacked the link.
    std::vector<int> faltas(mover.size(), 0);
    for (std::size_t k = 0; k < mover.size(); ++k) {
        const std::int32_t id = mover[k].second->id;
        auto it = presentes.find(id);
        if (it == presentes.end() || it->second == 0) {
            faltas[k] = 1;
        } else {
            --it->second;
            ++pedidos[id];
        }
    }
    std::vector<Otro*> quedan;
    quedan.reserve(propios.size());
    for (std::size_t i = propios.size(); i-- > 0;) {
        Otro* o = propios[i];
        if (o) {
            auto it = pedidos.find(o->id);
            if (it != pedidos.end() && it->second > 0) {
                --it->second;
                continue;
            }
        }
        quedan.push_back(o);
    }
    propios.assign(quedan.rbegin(), quedan.rend());

    if constexpr (kDosLados<Propio>) {
        for (std::size_t k = 0; k < mover.size(); ++k)
            if (!quitarUltimoId(miembros(*mover[k].second), propio_->id)) ++faltas[k];
    }

    disponibles_->anexar(std::move(mover));
    asociados_->llenar({});
    marcar();
    for (int f : faltas)
        for (; f > 0; --f) avisarFalta<Propio>();
}

template class TMiembros<TCuestionario, TGrupo>;
template class TMiembros<TGrupo, TCuestionario>;
template class TMiembros<TPerfil, TGrupo>;

}  // namespace koral
