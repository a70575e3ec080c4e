// The company window's list of profiles and their commands.
#pragma once

#include <vector>

#include "document/UData.h"
#include "ui/PanelLista.h"

namespace koral {

class TPanelPerfiles : public TPanelLista {
public:
    explicit TPanelPerfiles(TChildWin& ventana);

    void refrescarCabecera() override;
    void llenar() override;
    void vaciar() override;

    // The company's profiles in the list's order.
    std::vector<const TPerfil*> enLista() const;

    // "Imp. Perfil": the current one, computed first.
    void imprimir();
    // "Comparar perfiles": the selected ones in the list's order.
    void comparar();

private:
    void nuevo();
    void modificar();
    // The profile editor on the entry at `fila`; true when confirmed.
    bool editar(int fila);
    void borrar();

    TListaDe<TPerfil>* modelo_;
};

}  // namespace koral
