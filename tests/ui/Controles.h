// The windows keep their controls private: tests reach them by object name.
#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QObject>
#include <QPushButton>
#include <QSet>
#include <QString>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

namespace koral::prueba {

// A file's bytes, and a file made of bytes, at a path the windows use.
inline std::string leer(const QString& ruta) {
    std::ifstream f(ruta.toStdString(), std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

inline void escribir(const QString& ruta, const std::string& datos) {
    std::ofstream f(ruta.toStdString(), std::ios::binary);
    f << datos;
}

// The one descendant of `ventana` of type T named `nombre`. A missing or
// ambiguous name (a frame holds its own "Nuevo1" and each company window's)
// ends the run with the name, rather than testing the wrong control.
template <class T = QPushButton>
T* control(const QObject& ventana, const char* nombre) {
    const auto hallados = ventana.findChildren<T*>(QString::fromLatin1(nombre));
    if (hallados.size() != 1)
        qFatal("%s: %d controls named %s", qPrintable(ventana.objectName()), int(hallados.size()),
               nombre);
    return hallados.front();
}

// A row of a list clicked (or double-clicked) as a person would, on its text.
inline void elegir(QListView* lista, int fila, Qt::KeyboardModifiers mod = Qt::NoModifier) {
    const QRect r = lista->visualRect(lista->model()->index(fila, 0));
    QTest::mouseClick(lista->viewport(), Qt::LeftButton, mod, r.center());
}
inline void dobleClic(QListView* lista, int fila) {
    elegir(lista, fila);
    const QRect r = lista->visualRect(lista->model()->index(fila, 0));
    QTest::mouseDClick(lista->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
}

// What is wrong with the access keys of `ventana`: every item of its menus
// needs one letter marked with '&', not shared within its menu; its buttons
// (by that letter or their shortcut), the labels that lead to a field and
// the menu titles of `barra` must not share a key, and every button needs
// one. Only the window's own buttons count, not those of its dialogs.
inline QStringList faltasDeTeclas(const QWidget& ventana, const QList<QMenu*>& barra = {}) {
    auto marcas = [](const QString& t) {
        int n = 0;
        for (qsizetype i = 0; i + 1 < t.size(); ++i)
            if (t[i] == QLatin1Char('&')) {
                if (t[i + 1] != QLatin1Char('&')) ++n;
                ++i;
            }
        return n;
    };
    QStringList faltas;
    QSet<QString> teclas;
    auto anotar = [&](const QKeySequence& k, const QString& quien) {
        const QString s = k.toString();
        if (s.isEmpty())
            faltas << quien + ": sin tecla";
        else if (teclas.contains(s))
            faltas << quien + ": " + s + " repetida";
        teclas.insert(s);
    };
    for (QMenu* m : barra) {
        if (marcas(m->title()) != 1) faltas << m->title() + ": sin una letra";
        anotar(QKeySequence::mnemonic(m->title()), m->title());
    }
    for (const QMenu* m : ventana.findChildren<QMenu*>()) {
        QSet<QString> propias;
        for (const QAction* a : m->actions()) {
            if (a->isSeparator()) continue;
            const QString k = QKeySequence::mnemonic(a->text()).toString();
            if (marcas(a->text()) != 1 || propias.contains(k))
                faltas << m->objectName() + " / " + a->text() + ": sin una letra propia";
            propias.insert(k);
        }
    }
    for (const QAbstractButton* b : ventana.findChildren<QAbstractButton*>()) {
        // Qt's own parts (a tab bar's arrows, the menu bar's overflow) are left out.
        if (b->window() != ventana.window() || b->objectName().isEmpty() ||
            b->objectName().startsWith("qt_") || b->parent()->inherits("QTabBar"))
            continue;
        const QString texto = b->text();
        if (std::any_of(texto.begin(), texto.end(), [](QChar c) { return c.isLetter(); }) &&
            marcas(texto) != 1)
            faltas << b->objectName() + " / " + texto + ": sin una letra";
        anotar(b->shortcut(), b->objectName());
    }
    for (const QLabel* l : ventana.findChildren<QLabel*>())
        if (l->buddy() && l->window() == ventana.window())
            anotar(QKeySequence::mnemonic(l->text()), l->objectName());
    return faltas;
}

}  // namespace koral::prueba
