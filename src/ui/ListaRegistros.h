// The entries of a list box of records: the text shown and the record it
// stands for, kept sorted by text or in the order they came. Filled in one
// go so that a company of 1,000,000 questionnaires opens quickly.
#pragma once

#include <QAbstractListModel>
#include <QCollator>
#include <cstdint>
#include <optional>
#include <type_traits>
#include <utility>
#include <vector>

#include "document/UData.h"

namespace koral {

// What every list of records shares. Records come in only through
// TListaDe<T>, so that each list holds records of one kind.
class TListaRegistros : public QAbstractListModel {
    Q_OBJECT
public:
    enum class Orden {
        alfabetico,  // sorted by text
        llegada      // in the order given, each new entry at the end
    };

    int rowCount(const QModelIndex& padre = {}) const override;
    QVariant data(const QModelIndex& indice, int rol) const override;

    void quitar(int fila);
    // Changes an entry's text and moves it to its place (the end, in a list
    // in the order of arrival); returns the new row.
    int cambiarTexto(int fila, const QString& texto);

    QString texto(int fila) const { return entradas_[static_cast<std::size_t>(fila)].texto; }
    // Exact, case-sensitive test of the entries' texts.
    bool contiene(const QString& texto) const;
    // True when row `fila` has the text of the row before it.
    bool repetida(int fila) const;

    // What identifies a set of records whatever their order: the sum of
    // each one's `huella`.
    static std::uint64_t huella(const TRegistro* r);
    // Offers this list to conRegistros: a list kept in step with its
    // company (the company window's) and so with texts that are the
    // records' names.
    void compartir() { compartida_ = true; }
    // A shared list sorted by text that holds exactly the `n` records whose
    // huellas add up to `suma`, or null: an editor takes its order instead
    // of sorting a million names again.
    static const TListaRegistros* conRegistros(std::uint64_t suma, std::size_t n);
    // Replaces every entry with the rows `filas` of `origen`, already in
    // this list's order. `origen` may be this list.
    void copiarFilas(const TListaRegistros& origen, const std::vector<std::uint32_t>& filas);

    ~TListaRegistros() override;

protected:
    TListaRegistros(Orden orden, QObject* parent);

    using Pares = std::vector<std::pair<QString, TRegistro*>>;
    void llenarPares(Pares pares);
    void anexarPares(Pares pares);
    int agregarPar(const QString& texto, TRegistro* registro);
    TRegistro* registroEn(int fila) const {
        return entradas_[static_cast<std::size_t>(fila)].registro;
    }

private:
    // A text made only of characters whose collation a table gives (plain
    // letters, digits, a few signs) is compared through that table, its
    // first characters packed in `prefijo`; any other text through the
    // collator's key. Both give the collator's order.
    struct Entrada {
        QString texto;
        std::uint64_t prefijo[2];
        std::optional<QCollatorSortKey> clave;  // empty for a text the table covers
        TRegistro* registro;
    };
    Entrada entrada(QString texto, TRegistro* registro) const;
    int comparar(const Entrada& a, const Entrada& b) const;
    bool antes(const Entrada& a, const Entrada& b) const;
    // Sorts [desde, hasta) as a stable sort by `antes` would.
    void ordenar(std::vector<Entrada>::iterator desde, std::vector<Entrada>::iterator hasta) const;
    void ponerAlFinal(Pares& pares);
    std::size_t posicion(const Entrada& e) const;

    Orden orden_;
    QCollator collator_;
    std::vector<Entrada> entradas_;
    std::uint64_t huella_ = 0;  // of the records listed
    bool compartida_ = false;
};

template <class T>
class TListaDe final : public TListaRegistros {
    static_assert(std::is_base_of_v<TRegistro, T>);

public:
    using Entradas = std::vector<std::pair<QString, T*>>;

    explicit TListaDe(QObject* parent = nullptr, Orden orden = Orden::alfabetico)
        : TListaRegistros(orden, parent) {}

    // Replaces every entry.
    void llenar(Entradas entradas) { llenarPares(pares(std::move(entradas))); }
    // Adds entries in one go, each in its place; in a list in the order of
    // arrival the entries already there keep their rows and selection.
    void anexar(Entradas entradas) { anexarPares(pares(std::move(entradas))); }
    // Adds one entry in its place; returns its row.
    int agregar(const QString& texto, T* registro) { return agregarPar(texto, registro); }
    // Only T records came in: the one place where the kind is taken back.
    T* registro(int fila) const { return static_cast<T*>(registroEn(fila)); }
    // Every entry, in the list's order.
    Entradas entradas() const {
        Entradas e;
        e.reserve(static_cast<std::size_t>(rowCount()));
        for (int i = 0; i < rowCount(); ++i) e.emplace_back(texto(i), registro(i));
        return e;
    }

private:
    static Pares pares(Entradas entradas) {
        Pares p;
        p.reserve(entradas.size());
        for (auto& [texto, registro] : entradas) p.emplace_back(std::move(texto), registro);
        return p;
    }
};

}  // namespace koral
