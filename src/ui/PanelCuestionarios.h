// The company window's list of questionnaires, their double entry and
// their commands.
#pragma once

#include "document/UData.h"
#include "ui/PanelLista.h"

class QLabel;

namespace koral {

class TVerificados;
class TListaVerificada;

class TPanelCuestionarios : public TPanelLista {
public:
    // `verificados`: the marks of double entry, kept by the window with
    // the company file.
    TPanelCuestionarios(TChildWin& ventana, TVerificados& verificados);

    void refrescarCabecera() override;
    void llenar() override;
    void vaciar() override;

    // "Imp. Cuestionario": the current one.
    void imprimir();

private:
    void crearBotones();
    // The list shows its entries through marks of double entry; the count
    // of verified ones and the command to verify go under it.
    void crearVerificacion();
    void nuevo();
    void modificar();
    // The questionnaire editor on the entry at `fila`; true when confirmed.
    bool editar(int fila);
    void verificar();
    void borrar();

    TVerificados& verificados_;
    TListaDe<TCuestionario>* modelo_;
    TListaVerificada* marcas_;  // the list as shown: verified ones marked
    QLabel* lblVerificados_;
};

}  // namespace koral
