// The company window's list of groups and its commands.
#pragma once

#include "document/UData.h"
#include "ui/PanelLista.h"

namespace koral {

class TPanelGrupos : public TPanelLista {
public:
    explicit TPanelGrupos(TChildWin& ventana);

    void refrescarCabecera() override;
    void llenar() override;
    void vaciar() override;

    // "Imp. Grupos": every group of the company.
    void imprimir();

private:
    void nuevo();
    void renombrar();
    void verEstructura();
    void borrar();
    // What deleting `g` does to the profiles that select it, as a question.
    std::string preguntaBorrar(const TGrupo* g, const std::string& nombre) const;

    TListaDe<TGrupo>* modelo_;
};

}  // namespace koral
