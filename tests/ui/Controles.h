// The windows keep their controls private: tests reach them by object name.
#pragma once

#include <QListView>
#include <QObject>
#include <QPushButton>
#include <QString>
#include <QTest>

namespace koral::prueba {

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

}  // namespace koral::prueba
