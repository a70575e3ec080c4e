// The entries of one of the company window's list boxes: the text shown and
// the record it stands for, kept sorted by text. Filled in one go so that a
// company of 100,000 questionnaires opens quickly.
#pragma once

#include <QAbstractListModel>
#include <QCollator>
#include <utility>
#include <vector>

namespace koral {

class TListaRegistros : public QAbstractListModel {
    Q_OBJECT
public:
    explicit TListaRegistros(QObject* parent = nullptr);

    int rowCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& indice, int rol) const override;

    // Replaces every entry.
    void llenar(std::vector<std::pair<QString, void*>> entradas);
    // Adds one entry in its sorted place; returns its row.
    int agregar(const QString& texto, void* registro);
    void quitar(int fila);
    // Changes an entry's text and moves it to its sorted place; returns the new row.
    int cambiarTexto(int fila, const QString& texto);

    QString texto(int fila) const { return entradas_[static_cast<std::size_t>(fila)].texto; }
    void* registro(int fila) const { return entradas_[static_cast<std::size_t>(fila)].registro; }
    int filaDe(const void* registro) const;
    // Exact, case-sensitive test of the entries' texts.
    bool contiene(const QString& texto) const;

private:
    struct Entrada {
        QString texto;
        QCollatorSortKey clave;
        void* registro;
    };
    static bool antes(const Entrada& a, const Entrada& b);
    std::size_t posicion(const Entrada& e) const;

    QCollator collator_;
    std::vector<Entrada> entradas_;
};

}  // namespace koral
