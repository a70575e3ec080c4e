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
    std::unordered_map<std::int32_t, std::size_t> ultimo;
    ultimo.reserve(lista.size());
    std::vector<std::size_t> anterior(lista.size(), kNinguno);
    for (std::size_t i = 0; i < lista.size(); ++i) {
        auto [it, nuevo] = ultimo.try_emplace(lista[i]->id, i);
        if (!nuevo) {
            anterior[i] = it->second;
            it->second = i;
        }
    }

    std::vector<char> asociado(lista.size(), 0);
    typename TListaDe<Otro>::Entradas asoc;
    asoc.reserve(miembros(propio).size());
    for (Otro* o : miembros(propio)) {
        if (!o) {
            Mensaje(huerfano);
            continue;
        }
        asoc.emplace_back(aQString(o->nombre), o);
        auto it = ultimo.find(o->id);
        if (it == ultimo.end() || it->second == kNinguno) {
            Mensaje(kError05);
            continue;
        }
        asociado[it->second] = 1;
        it->second = anterior[it->second];
    }

    typename TListaDe<Otro>::Entradas disp;
    disp.reserve(lista.size());
    for (std::size_t i = 0; i < lista.size(); ++i)
        if (!asociado[i]) disp.emplace_back(aQString(lista[i]->nombre), lista[i].get());
    disponibles_->llenar(std::move(disp));
    asociados_->llenar(std::move(asoc));
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
