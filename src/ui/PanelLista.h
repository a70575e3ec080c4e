// What the three lists of the company window share: a raised column with a
// heading that counts, a strip of tool buttons and a sorted list of records
// that the editors take their order from.
#pragma once

#include <QFrame>
#include <QItemSelection>
#include <QListView>
#include <QPersistentModelIndex>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/qt/TextoQt.h"
#include "ui/ListaRegistros.h"

class QVBoxLayout;

namespace koral {

class TChildWin;
class TCabeceraColumna;
enum class Dibujo;

class TPanelLista : public QFrame {
public:
    // The heading's count, from the window's document (none: 0).
    virtual void refrescarCabecera() = 0;
    // The list from the window's document, or emptied.
    virtual void llenar() = 0;
    virtual void vaciar() = 0;

protected:
    // `nombreCabecera` and `nombreLista` are the object names of the
    // heading and the list.
    TPanelLista(TChildWin& ventana, const char* nombreCabecera, const char* nombreLista);

    // The list's model, shown by the list.
    template <class T>
    TListaDe<T>* crearModelo();
    // The list's entries for the records of `v`, by name.
    template <class T>
    static typename TListaDe<T>::Entradas entradas(const std::vector<std::unique_ptr<T>>& v);

    // A tool button at `x` on the strip that runs `orden`. The keyboard
    // alone reaches it with Alt and `tecla`, shown in its tool tip; as a
    // window shortcut in a sub-window it works in the active company only.
    void crearBoton(int x, const char* nombre, const char* ayuda, Dibujo dibujo, char tecla,
                    bool activo, const std::function<void()>& orden);
    void ponerCabecera(const QString& texto);

    // Current entry of the list, or -1.
    int filaActual() const;
    void hacerActual(int fila);

    // What a cancelled new record's editor must find again: the identifier
    // counter, the modified mark and the list's selection.
    struct EstadoAntesDeNuevo {
        std::int32_t ultimoId;
        bool modificado;
        QPersistentModelIndex actual;
        QItemSelection seleccion;
    };
    EstadoAntesDeNuevo recordarAntesDeNuevo() const;
    void volverAntesDeNuevo(const EstadoAntesDeNuevo& antes);

    TChildWin& ventana_;
    QVBoxLayout* columna_;
    QListView* lista_;

private:
    TCabeceraColumna* cabecera_;
    QWidget* tira_;
};

template <class T>
TListaDe<T>* TPanelLista::crearModelo() {
    auto* modelo = new TListaDe<T>(lista_);
    modelo->compartir();  // the editors take its order
    lista_->setModel(modelo);
    return modelo;
}

template <class T>
typename TListaDe<T>::Entradas TPanelLista::entradas(const std::vector<std::unique_ptr<T>>& v) {
    typename TListaDe<T>::Entradas e;
    e.reserve(v.size());
    for (const auto& r : v) e.emplace_back(aQString(r->nombre), r.get());
    return e;
}

}  // namespace koral
