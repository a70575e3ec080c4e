#include "ui/ListaRegistros.h"

#include <algorithm>

namespace koral {

TListaRegistros::TListaRegistros(QObject* parent)
    : QAbstractListModel(parent), collator_(QLocale(QLocale::Spanish, QLocale::Spain)) {
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
    return static_cast<std::size_t>(std::upper_bound(entradas_.begin(), entradas_.end(), e, antes) -
                                    entradas_.begin());
}

void TListaRegistros::llenarPares(Pares pares) {
    beginResetModel();
    entradas_.clear();
    entradas_.reserve(pares.size());
    for (auto& [t, r] : pares) {
        QCollatorSortKey clave = collator_.sortKey(t);
        entradas_.push_back(Entrada{std::move(t), std::move(clave), r});
    }
    std::stable_sort(entradas_.begin(), entradas_.end(), antes);
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
    // Equal texts have equal keys: search the run of equal keys only.
    const Entrada e{texto, collator_.sortKey(texto), nullptr};
    auto igualClave = [](const Entrada& a, const Entrada& b) {
        return a.clave.compare(b.clave) < 0;
    };
    auto [desde, hasta] = std::equal_range(entradas_.begin(), entradas_.end(), e, igualClave);
    return std::any_of(desde, hasta, [&](const Entrada& x) { return x.texto == texto; });
}

}  // namespace koral
