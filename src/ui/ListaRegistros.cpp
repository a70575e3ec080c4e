#include "ui/ListaRegistros.h"

#include <algorithm>

namespace koral {

TListaRegistros::TListaRegistros(Orden orden, QObject* parent)
    : QAbstractListModel(parent),
      orden_(orden),
      collator_(QLocale(QLocale::Spanish, QLocale::Spain)) {
    collator_.setCaseSensitivity(Qt::CaseSensitive);
}

int TListaRegistros::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : static_cast<int>(entradas_.size());
}

QVariant TListaRegistros::data(const QModelIndex& indice, int rol) const {
    if (!indice.isValid() || indice.row() >= rowCount()) return {};
    if (rol == Qt::DisplayRole || rol == Qt::ToolTipRole) return texto(indice.row());
    return {};
}

// Collation first (accents and case in the reader's order), then the exact
// text so that the order is total and the same on every run.
bool TListaRegistros::antes(const Entrada& a, const Entrada& b) {
    const int c = a.clave.compare(b.clave);
    if (c != 0) return c < 0;
    return a.texto < b.texto;
}

std::size_t TListaRegistros::posicion(const Entrada& e) const {
    if (orden_ == Orden::llegada) return entradas_.size();
    return static_cast<std::size_t>(std::upper_bound(entradas_.begin(), entradas_.end(), e, antes) -
                                    entradas_.begin());
}

void TListaRegistros::ponerAlFinal(Pares& pares) {
    entradas_.reserve(entradas_.size() + pares.size());
    for (auto& [t, r] : pares) {
        QCollatorSortKey clave = collator_.sortKey(t);
        entradas_.push_back(Entrada{std::move(t), clave, r});
    }
}

void TListaRegistros::llenarPares(Pares pares) {
    beginResetModel();
    entradas_.clear();
    ponerAlFinal(pares);
    if (orden_ == Orden::alfabetico) std::stable_sort(entradas_.begin(), entradas_.end(), antes);
    endResetModel();
}

void TListaRegistros::anexarPares(Pares pares) {
    if (pares.empty()) return;
    const std::size_t antiguas = entradas_.size();
    if (orden_ == Orden::llegada) {
        const int desde = static_cast<int>(antiguas);
        beginInsertRows({}, desde, desde + static_cast<int>(pares.size()) - 1);
        ponerAlFinal(pares);
        endInsertRows();
        return;
    }
    // Equal entries keep the old ones first, as a stable sort of the whole.
    beginResetModel();
    ponerAlFinal(pares);
    const auto medio = entradas_.begin() + static_cast<std::ptrdiff_t>(antiguas);
    std::stable_sort(medio, entradas_.end(), antes);
    std::inplace_merge(entradas_.begin(), medio, entradas_.end(), antes);
    endResetModel();
}

int TListaRegistros::agregarPar(const QString& texto, TRegistro* registro) {
    Entrada e{texto, collator_.sortKey(texto), registro};
    const std::size_t pos = posicion(e);
    const int fila = static_cast<int>(pos);
    beginInsertRows({}, fila, fila);
    entradas_.insert(entradas_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(e));
    endInsertRows();
    return fila;
}

void TListaRegistros::quitar(int fila) {
    if (fila < 0 || fila >= rowCount()) return;
    beginRemoveRows({}, fila, fila);
    entradas_.erase(entradas_.begin() + fila);
    endRemoveRows();
}

int TListaRegistros::cambiarTexto(int fila, const QString& texto) {
    TRegistro* r = registroEn(fila);
    quitar(fila);
    return agregarPar(texto, r);
}

bool TListaRegistros::contiene(const QString& texto) const {
    if (orden_ == Orden::llegada)
        return std::any_of(entradas_.begin(), entradas_.end(),
                           [&](const Entrada& x) { return x.texto == texto; });
    // Equal texts have equal keys: search the run of equal keys only.
    const Entrada e{texto, collator_.sortKey(texto), nullptr};
    auto igualClave = [](const Entrada& a, const Entrada& b) {
        return a.clave.compare(b.clave) < 0;
    };
    auto [desde, hasta] = std::equal_range(entradas_.begin(), entradas_.end(), e, igualClave);
    return std::any_of(desde, hasta, [&](const Entrada& x) { return x.texto == texto; });
}

}  // namespace koral
