#include "ui/PanelPerfiles.h"

#include <QItemSelectionModel>
#include <algorithm>

#include "document/DatosEvaluacion.h"
#include "method/Perfil.h"
#include "platform/Dialogos.h"
#include "platform/qt/Escritorio.h"
#include "ui/CursorOcupado.h"
#include "ui/Iconos.h"
#include "ui/UChild.h"
#include "ui/UMain.h"

namespace koral {

TPanelPerfiles::TPanelPerfiles(TChildWin& ventana)
    : TPanelLista(ventana, "lblPerfiles", "lstPerfiles") {
    modelo_ = crearModelo<TPerfil>();
    const TOrdenesExternas& o = ventana_.ordenes();
    const bool editor = bool(o.editarPerfil);
    crearBoton(0, "PNewButton", "Nuevo", Dibujo::Nuevo, 'P', editor, [this] { nuevo(); });
    crearBoton(40, "PModifyButton", "Modificar", Dibujo::Modificar, 'O', editor,
               [this] { modificar(); });
    crearBoton(128, "PDeleteButton", "Eliminar", Dibujo::Eliminar, 'Q', true, [this] { borrar(); });
    crearBoton(168, "PPrintButton", "Imprimir", Dibujo::Imprimir, 'K', bool(o.imprimirPerfil),
               [this] { imprimir(); });
    crearBoton(84, "PCompareButton", "Comparar perfiles", Dibujo::Comparar, 'C',
               bool(o.compararPerfiles), [this] { comparar(); });
    connect(lista_, &QListView::doubleClicked, this, &TPanelPerfiles::modificar);
}

void TPanelPerfiles::refrescarCabecera() {
    const TKoral* doc = ventana_.documento();
    ponerCabecera(QString::number(doc ? doc->nPerfiles : 0) + " Perfiles");
}

void TPanelPerfiles::llenar() {
    modelo_->llenar(entradas(ventana_.documento()->perfiles));
}

void TPanelPerfiles::vaciar() {
    modelo_->llenar({});
}

std::vector<const TPerfil*> TPanelPerfiles::enLista() const {
    std::vector<const TPerfil*> perfiles;
    perfiles.reserve(static_cast<std::size_t>(modelo_->rowCount()));
    for (int i = 0; i < modelo_->rowCount(); ++i) perfiles.push_back(modelo_->registro(i));
    return perfiles;
}

void TPanelPerfiles::nuevo() {
    TKoral* doc = ventana_.documento();
    if (!doc || !ventana_.ordenes().editarPerfil) return;
    std::string nombre = "P" + rellenarCeros(static_cast<long long>(doc->nPerfiles) + 1, 6);
    if (!PideCampo("Nuevo Perfil", "Indique nombre nuevo perfil", nombre)) return;
    // What a cancelled editor must find again, as for a new questionnaire:
    // a profile left in the list but never saved.
    const EstadoAntesDeNuevo antes = recordarAntesDeNuevo();
    TPerfil* p = modelo_->contiene(aQString(nombre)) ? nullptr : doc->agregarPerfil(nombre);
    if (!p) {
        CajaMensaje(kTituloPrograma, "El Perfil " + nombre + " ya existe");
        return;
    }
    const int fila = modelo_->agregar(aQString(p->nombre), p);
    hacerActual(fila);
    ventana_.refrescarCabeceras();
    if (editar(fila)) return;

    modelo_->quitar(fila);
    doc->borrarPerfil(p);
    volverAntesDeNuevo(antes);
}

void TPanelPerfiles::modificar() {
    const int fila = filaActual();
    if (fila >= 0) editar(fila);
}

bool TPanelPerfiles::editar(int fila) {
    TKoral* doc = ventana_.documento();
    const TOrdenesExternas& o = ventana_.ordenes();
    if (!doc || fila < 0 || !o.editarPerfil) return false;
    TPerfil* p = modelo_->registro(fila);
    const std::string antes = p->nombre;
    if (!o.editarPerfil(*doc, *p)) return false;
    const QString texto = aQString(p->nombre);
    if (texto != modelo_->texto(fila)) hacerActual(modelo_->cambiarTexto(fila, texto));
    // The assessment's data names profiles: a renamed one keeps its
    // discussion and measures (written with the company, like the rest).
    if (p->nombre != antes) {
        TDatosEvaluacion datos = datosEvaluacion(ventana_.acompanante());
        if (datos.renombrarPerfil(antes, p->nombre))
            ponerDatosEvaluacion(ventana_.acompanante(), datos);
    }
    doc->modificado = true;
    return true;
}

void TPanelPerfiles::borrar() {
    TKoral* doc = ventana_.documento();
    const int fila = filaActual();
    if (!doc || fila < 0) return;
    TPerfil* p = modelo_->registro(fila);
    std::string nombre;
    deQString(modelo_->texto(fila), nombre);
    if (Pregunta("Borrar Perfiles", "Desea borrar el Perfil " + nombre + "?") != Respuesta::Si)
        return;
    doc->borrarPerfil(p);
    ventana_.refrescarTitulo();
    ventana_.refrescarCabeceras();
    modelo_->quitar(fila);
    doc->modificado = true;
}

void TPanelPerfiles::imprimir() {
    TKoral* doc = ventana_.documento();
    const TOrdenesExternas& o = ventana_.ordenes();
    const int fila = filaActual();
    if (!doc || fila < 0 || !o.imprimirPerfil) return;
    // The figures live in memory only: computed now, a profile never edited
    // since the company was opened does not print zeros.
    TPerfil& perfil = *modelo_->registro(fila);
    {
        CursorOcupado ocupado;
        calcularPerfil(*doc, perfil);
    }
    o.imprimirPerfil(perfil);
}

void TPanelPerfiles::comparar() {
    TKoral* doc = ventana_.documento();
    const TOrdenesExternas& o = ventana_.ordenes();
    if (!doc || !o.compararPerfiles) return;
    // The selected profiles as the list shows them; the current one alone
    // when none is selected (it can still be set against another year's).
    QModelIndexList filas = lista_->selectionModel()->selectedRows();
    std::sort(filas.begin(), filas.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<TPerfil*> perfiles;
    for (const QModelIndex& i : filas) perfiles.push_back(modelo_->registro(i.row()));
    if (perfiles.empty() && filaActual() >= 0) perfiles.push_back(modelo_->registro(filaActual()));
    if (!perfiles.empty()) o.compararPerfiles(*doc, perfiles);
}

}  // namespace koral
