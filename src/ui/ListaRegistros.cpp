#include "ui/ListaRegistros.h"

#include <QStringList>
#include <algorithm>
#include <array>
#include <string_view>

#include "platform/Hash.h"

namespace koral {

namespace {

// The collation of the characters most names are made of, read off the
// collator itself: a primary rank, shared by a letter's two cases, and a
// tertiary rank for the case. Sorting a million names through the
// collator's keys took a second; through this table a fraction of it.
struct TablaRapida {
    std::array<std::uint8_t, 128> primario{};  // 0: not in the table
    std::array<std::uint8_t, 128> terciario{};
};

// As the collator compares two texts the table covers: the primary ranks
// from `desde` on (those before it are known equal), then the length, then
// the case from the start.
int compararTabla(const TablaRapida& t, QStringView a, QStringView b, qsizetype desde) {
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = desde; i < n; ++i) {
        const int pa = t.primario[a[i].unicode()];
        const int pb = t.primario[b[i].unicode()];
        if (pa != pb) return pa < pb ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (qsizetype i = 0; i < n; ++i) {
        const int ta = t.terciario[a[i].unicode()];
        const int tb = t.terciario[b[i].unicode()];
        if (ta != tb) return ta < tb ? -1 : 1;
    }
    return 0;
}

QCollator collatorEspanol(Qt::CaseSensitivity caso) {
    QCollator c(QLocale(QLocale::Spanish, QLocale::Spain));
    c.setCaseSensitivity(caso);
    return c;
}

// True when the table orders every text of up to two characters of a sample
// (contractions, case, signs and digits among them) as the collator does;
// otherwise the table is not used at all.
bool tablaFiel(const TablaRapida& t, const QCollator& c) {
    const QString muestra = QStringLiteral(" -.09aAbBcChHlLnNrRzZ");
    QStringList textos = {QStringLiteral("Trabajador 10"), QStringLiteral("Trabajador 9"),
                          QStringLiteral("ab c"), QStringLiteral("abc")};
    for (QChar x : muestra) {
        textos << QString(x);
        for (QChar y : muestra) textos << QString(x) + y;
    }
    std::stable_sort(textos.begin(), textos.end(),
                     [&](const QString& a, const QString& b) { return c.compare(a, b) < 0; });
    auto signo = [](int v) { return (v > 0) - (v < 0); };
    for (qsizetype i = 1; i < textos.size(); ++i)
        if (signo(c.compare(textos[i - 1], textos[i])) !=
            signo(compararTabla(t, textos[i - 1], textos[i], 0)))
            return false;
    return true;
}

TablaRapida construirTabla() {
    constexpr std::string_view kJuego =
        " -_,.;:()/&'0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
    const QCollator conCaso = collatorEspanol(Qt::CaseSensitive);
    const QCollator sinCaso = collatorEspanol(Qt::CaseInsensitive);
    std::vector<QString> letras;
    for (char ch : kJuego) letras.emplace_back(QChar(ch));
    std::stable_sort(letras.begin(), letras.end(),
                     [&](const QString& a, const QString& b) { return conCaso.compare(a, b) < 0; });
    TablaRapida t;
    int primario = 0;
    int terciario = 0;
    for (std::size_t i = 0; i < letras.size(); ++i) {
        if (i == 0 || sinCaso.compare(letras[i - 1], letras[i]) != 0) {
            ++primario;
            terciario = 0;
        } else if (conCaso.compare(letras[i - 1], letras[i]) != 0) {
            ++terciario;
        }
        const char16_t u = letras[i][0].unicode();
        t.primario[u] = static_cast<std::uint8_t>(primario);
        t.terciario[u] = static_cast<std::uint8_t>(terciario);
    }
    // Each rank must fit the bits it is packed in.
    return primario < 128 && tablaFiel(t, conCaso) ? t : TablaRapida{};
}

const TablaRapida& tabla() {
    static const TablaRapida t = construirTabla();
    return t;
}

// Characters packed in the two numbers of a prefix, 7 bits each: most
// names are whole in it.
constexpr int kBits = 7;
constexpr qsizetype kPorNumero = 64 / kBits;
constexpr qsizetype kPrefijo = 2 * kPorNumero;

// Every list alive, for conRegistros. Lists live in the window thread only.
std::vector<TListaRegistros*>& listas() {
    static std::vector<TListaRegistros*> v;
    return v;
}

}  // namespace

TListaRegistros::TListaRegistros(Orden orden, QObject* parent)
    : QAbstractListModel(parent), orden_(orden), collator_(collatorEspanol(Qt::CaseSensitive)) {
    listas().push_back(this);
}

TListaRegistros::~TListaRegistros() {
    std::erase(listas(), this);
}

std::uint64_t TListaRegistros::huella(const TRegistro* r) {
    // Mixed: the sums of two different sets of addresses coincide by chance only.
    return mezclarBits(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(r)));
}

const TListaRegistros* TListaRegistros::conRegistros(std::uint64_t suma, std::size_t n) {
    for (const TListaRegistros* l : listas())
        if (l->compartida_ && l->orden_ == Orden::alfabetico && l->entradas_.size() == n &&
            l->huella_ == suma)
            return l;
    return nullptr;
}

void TListaRegistros::copiarFilas(const TListaRegistros& origen,
                                  const std::vector<std::uint32_t>& filas) {
    std::vector<Entrada> nuevas;
    nuevas.reserve(filas.size());
    std::uint64_t suma = 0;
    for (std::uint32_t f : filas) {
        nuevas.push_back(origen.entradas_[f]);
        suma += huella(nuevas.back().registro);
    }
    beginResetModel();
    entradas_ = std::move(nuevas);
    huella_ = suma;
    endResetModel();
}

bool TListaRegistros::repetida(int fila) const {
    if (fila <= 0 || fila >= rowCount()) return false;
    const Entrada& a = entradas_[static_cast<std::size_t>(fila) - 1];
    const Entrada& b = entradas_[static_cast<std::size_t>(fila)];
    if (!a.clave && !b.clave && (a.prefijo[0] != b.prefijo[0] || a.prefijo[1] != b.prefijo[1]))
        return false;
    return a.texto == b.texto;
}

int TListaRegistros::rowCount(const QModelIndex& padre) const {
    return padre.isValid() ? 0 : static_cast<int>(entradas_.size());
}

QVariant TListaRegistros::data(const QModelIndex& indice, int rol) const {
    if (!indice.isValid() || indice.row() >= rowCount()) return {};
    if (rol == Qt::DisplayRole || rol == Qt::ToolTipRole) return texto(indice.row());
    return {};
}

TListaRegistros::Entrada TListaRegistros::entrada(QString texto, TRegistro* registro) const {
    const TablaRapida& t = tabla();
    Entrada e{std::move(texto), {0, 0}, std::nullopt, registro};
    const QChar* c = e.texto.constData();
    for (qsizetype i = 0; i < e.texto.size(); ++i) {
        const char16_t u = c[i].unicode();
        if (u >= t.primario.size() || t.primario[u] == 0) {
            e.prefijo[0] = e.prefijo[1] = 0;
            e.clave = collator_.sortKey(e.texto);
            return e;
        }
        // Big-endian, so that comparing the numbers compares the ranks in order.
        if (i < kPrefijo)
            e.prefijo[i / kPorNumero] |= std::uint64_t{t.primario[u]}
                                         << (64 - kBits * (i % kPorNumero + 1));
    }
    return e;
}

int TListaRegistros::comparar(const Entrada& a, const Entrada& b) const {
    if (a.clave && b.clave) return a.clave->compare(*b.clave);
    if (a.clave || b.clave) return collator_.compare(a.texto, b.texto);
    for (int k = 0; k < 2; ++k)
        if (a.prefijo[k] != b.prefijo[k]) return a.prefijo[k] < b.prefijo[k] ? -1 : 1;
    return compararTabla(tabla(), a.texto, b.texto, kPrefijo);
}

// Collation first (accents and case in the reader's order), then the exact
// text so that the order is total and the same on every run.
bool TListaRegistros::antes(const Entrada& a, const Entrada& b) const {
    const int c = comparar(a, b);
    if (c != 0) return c < 0;
    return a.texto < b.texto;
}

void TListaRegistros::ordenar(std::vector<Entrada>::iterator desde,
                              std::vector<Entrada>::iterator hasta) const {
    // The rows are sorted as small cells (the packed prefix and the place),
    // then moved once. The texts the table covers are sorted apart from the
    // others and the two runs merged: only the merge compares across kinds,
    // through the collator. No entry of one kind equals one of the other
    // (their texts differ), and equal entries keep their places: this is
    // the stable sort by `antes`.
    struct Celda {
        std::uint64_t p0, p1;
        std::uint32_t i;
    };
    const auto n = static_cast<std::size_t>(hasta - desde);
    std::vector<Celda> celdas;
    std::vector<std::uint32_t> otras;
    celdas.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        const Entrada& e = desde[static_cast<std::ptrdiff_t>(k)];
        if (e.clave)
            otras.push_back(static_cast<std::uint32_t>(k));
        else
            celdas.push_back({e.prefijo[0], e.prefijo[1], static_cast<std::uint32_t>(k)});
    }
    auto en = [&](std::uint32_t k) -> const Entrada& { return desde[std::ptrdiff_t{k}]; };
    std::sort(celdas.begin(), celdas.end(), [&](const Celda& a, const Celda& b) {
        if (a.p0 != b.p0) return a.p0 < b.p0;
        if (a.p1 != b.p1) return a.p1 < b.p1;
        const Entrada& x = en(a.i);
        const Entrada& y = en(b.i);
        const int c = compararTabla(tabla(), x.texto, y.texto, kPrefijo);
        if (c != 0) return c < 0;
        if (x.texto != y.texto) return x.texto < y.texto;
        return a.i < b.i;
    });
    auto menor = [&](std::uint32_t a, std::uint32_t b) { return antes(en(a), en(b)); };
    std::stable_sort(otras.begin(), otras.end(), menor);
    std::vector<std::uint32_t> orden;
    orden.reserve(n);
    for (const Celda& c : celdas) orden.push_back(c.i);
    const auto medio = orden.insert(orden.end(), otras.begin(), otras.end());
    std::inplace_merge(orden.begin(), medio, orden.end(), menor);

    std::vector<Entrada> ordenadas;
    ordenadas.reserve(n);
    for (std::uint32_t k : orden) ordenadas.push_back(std::move(desde[std::ptrdiff_t{k}]));
    std::move(ordenadas.begin(), ordenadas.end(), desde);
}

std::size_t TListaRegistros::posicion(const Entrada& e) const {
    if (orden_ == Orden::llegada) return entradas_.size();
    auto menor = [this](const Entrada& a, const Entrada& b) { return antes(a, b); };
    return static_cast<std::size_t>(std::upper_bound(entradas_.begin(), entradas_.end(), e, menor) -
                                    entradas_.begin());
}

void TListaRegistros::ponerAlFinal(Pares& pares) {
    entradas_.reserve(entradas_.size() + pares.size());
    for (auto& [t, r] : pares) {
        huella_ += huella(r);
        entradas_.push_back(entrada(std::move(t), r));
    }
}

void TListaRegistros::llenarPares(Pares pares) {
    beginResetModel();
    entradas_.clear();
    huella_ = 0;
    ponerAlFinal(pares);
    if (orden_ == Orden::alfabetico) ordenar(entradas_.begin(), entradas_.end());
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
    ordenar(medio, entradas_.end());
    std::inplace_merge(entradas_.begin(), medio, entradas_.end(),
                       [this](const Entrada& a, const Entrada& b) { return antes(a, b); });
    endResetModel();
}

int TListaRegistros::agregarPar(const QString& texto, TRegistro* registro) {
    Entrada e = entrada(texto, registro);
    const std::size_t pos = posicion(e);
    const int fila = static_cast<int>(pos);
    beginInsertRows({}, fila, fila);
    huella_ += huella(registro);
    entradas_.insert(entradas_.begin() + static_cast<std::ptrdiff_t>(pos), std::move(e));
    endInsertRows();
    return fila;
}

void TListaRegistros::quitar(int fila) {
    if (fila < 0 || fila >= rowCount()) return;
    beginRemoveRows({}, fila, fila);
    huella_ -= huella(entradas_[static_cast<std::size_t>(fila)].registro);
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
    // An entry of the same text is equivalent to it: the first one not before it.
    const Entrada e = entrada(texto, nullptr);
    auto it = std::lower_bound(entradas_.begin(), entradas_.end(), e,
                               [this](const Entrada& a, const Entrada& b) { return antes(a, b); });
    return it != entradas_.end() && it->texto == texto;
}

}  // namespace koral
