// The windows keep their controls private: tests reach them by object name.
#pragma once

#include <QObject>
#include <QPushButton>
#include <QString>

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

}  // namespace koral::prueba
