#include "ui/PanelCuestionarios.h"

#include <QApplication>
#include <QIdentityProxyModel>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "document/Campana.h"
#include "method/Perfil.h"
#include "platform/Dialogos.h"
#include "platform/Texto.h"
#include "ui/CursorOcupado.h"
#include "ui/Iconos.h"
#include "ui/UChild.h"
#include "ui/Verificados.h"

namespace koral {

// The questionnaires verified by double entry carry a check mark after their
// name; those with more than a third of the items unanswered, a warning sign,
// another colour and a tool tip that says why. Added on the way to the
// screen: the names themselves are Windows-1252, and the list sorts and
// finds by them.
class TListaVerificada : public QIdentityProxyModel {
public:
    TListaVerificada(std::function<const TCuestionario*(int)> registro,
                     std::function<bool(const TCuestionario&)> verificado, QObject* padre)
        : QIdentityProxyModel(padre),
          registro_(std::move(registro)),
          verificado_(std::move(verificado)) {}

    QVariant data(const QModelIndex& i, int rol) const override {
        QVariant v = QIdentityProxyModel::data(i, rol);
        const TCuestionario* q = i.isValid() ? registro_(i.row()) : nullptr;
        if (!q) return v;
        if (rol == Qt::DisplayRole && verificado_(*q))
            return v.toString() + QString::fromUtf8(" \u2713");
        if (!casiEnBlanco(*q)) return v;
        switch (rol) {
            case Qt::ToolTipRole:
                return v.toString() + "\n" + QString::fromUtf8(kAvisoCasiEnBlanco);
            case Qt::ForegroundRole:
                return QBrush(kColorCasiEnBlanco);
            case Qt::DecorationRole:
                return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
            default:
                return v;
        }
    }
    // The marks changed: every row is shown again.
    void refrescar() {
        if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, 0));
    }

    static constexpr const char* kAvisoCasiEnBlanco =
        "Más de un tercio de las preguntas sin respuesta";
    static inline const QColor kColorCasiEnBlanco{0xA0, 0x40, 0x00};

private:
    std::function<const TCuestionario*(int)> registro_;
    std::function<bool(const TCuestionario&)> verificado_;
};

TPanelCuestionarios::TPanelCuestionarios(TChildWin& ventana, TVerificados& verificados)
    : TPanelLista(ventana, "lblCuestionarios", "lstCuestionarios"), verificados_(verificados) {
    modelo_ = crearModelo<TCuestionario>();
    crearBotones();
    crearVerificacion();
    connect(lista_, &QListView::doubleClicked, this, &TPanelCuestionarios::modificar);
}

void TPanelCuestionarios::crearBotones() {
    const TOrdenesExternas& o = ventana_.ordenes();
    const bool editor = bool(o.editarCuestionario);
    crearBoton(0, "CNewButton", "Nuevo", Dibujo::Nuevo, 'N', editor, [this] { nuevo(); });
    crearBoton(40, "CModifyButton", "Modificar", Dibujo::Modificar, 'M', editor,
               [this] { modificar(); });
    // The company's exchange of answers, as in the File menu.
    crearBoton(72, "CImportButton", "Importar datos", Dibujo::Importar, 'T', bool(o.importaDatos),
               [this] { ventana_.importarDatos(); });
    crearBoton(104, "CExportButton", "Exportar datos", Dibujo::Exportar, 'X', bool(o.exportarDatos),
               [this] { ventana_.exportarDatos(); });
    crearBoton(136, "CDeleteButton", "Eliminar", Dibujo::Eliminar, 'S', true, [this] { borrar(); });
    crearBoton(168, "CPrintButton", "Imprimir", Dibujo::Imprimir, 'U', bool(o.imprimirCuestionario),
               [this] { imprimir(); });
}

void TPanelCuestionarios::crearVerificacion() {
    marcas_ = new TListaVerificada(
        [this](int fila) -> const TCuestionario* {
            return ventana_.documento() && fila < modelo_->rowCount() ? modelo_->registro(fila)
                                                                      : nullptr;
        },
        [this](const TCuestionario& q) { return verificados_.verificado(q); }, lista_);
    marcas_->setSourceModel(modelo_);
    QItemSelectionModel* seleccionSinMarcas = lista_->selectionModel();
    lista_->setModel(marcas_);
    delete seleccionSinMarcas;
    // Under the list: the double entry and how far it has gone.
    lblVerificados_ = new QLabel(this);
    lblVerificados_->setObjectName("lblVerificados");
    auto* verificar = new QPushButton("Veri&ficar", this);
    verificar->setObjectName("CVerifyButton");
    verificar->setToolTip(
        "Teclear de nuevo el cuestionario en papel y comparar con lo grabado (Alt+F)");
    verificar->setEnabled(bool(ventana_.ordenes().verificarCuestionario));
    connect(verificar, &QPushButton::clicked, this, &TPanelCuestionarios::verificar);
    // One above the other: side by side they do not fit the column's 201 pixels.
    columna_->addWidget(lblVerificados_);
    columna_->addWidget(verificar, 0, Qt::AlignRight);
}

void TPanelCuestionarios::refrescarCabecera() {
    const TKoral* doc = ventana_.documento();
    const std::int32_t c = doc ? doc->nCuestionarios : 0;
    ponerCabecera(QString::number(c) + " Cuestionarios");
    // Answers collected by the network were never keyed in: nothing to verify.
    int v = 0;
    int n = 0;
    if (doc) {
        const std::vector<std::int32_t> enRed = recogidos(ventana_.acompanante());
        for (const auto& q : doc->cuestionarios) {
            if (std::binary_search(enRed.begin(), enRed.end(), q->id)) continue;
            ++n;
            if (verificados_.verificado(*q)) ++v;
        }
    }
    lblVerificados_->setText(QString("Verificados: %1 de %2").arg(v).arg(n));
    marcas_->refrescar();
}

void TPanelCuestionarios::llenar() {
    modelo_->llenar(entradas(ventana_.documento()->cuestionarios));
}

void TPanelCuestionarios::vaciar() {
    modelo_->llenar({});
}

void TPanelCuestionarios::nuevo() {
    TKoral* doc = ventana_.documento();
    if (!doc || !ventana_.ordenes().editarCuestionario) return;
    std::string nombre = "C" + rellenarCeros(static_cast<long long>(doc->nCuestionarios) + 1, 6);
    if (!PideCampo("Cuestionario Nuevo", "Indique nombre nuevo cuestionario", nombre)) return;
    // What a cancelled editor must find again: an empty questionnaire kept
    // would count as one more respondent in every profile that takes it.
    const EstadoAntesDeNuevo antes = recordarAntesDeNuevo();
    TCuestionario* q =
        modelo_->contiene(aQString(nombre)) ? nullptr : doc->agregarCuestionario(nombre);
    if (!q) {
        Mensaje("El Cuestionario " + nombre + " ya existe");
        return;
    }
    const int fila = modelo_->agregar(aQString(q->nombre), q);
    hacerActual(fila);
    ventana_.refrescarCabeceras();
    if (editar(fila)) return;

    modelo_->quitar(fila);
    doc->borrarCuestionario(q);
    volverAntesDeNuevo(antes);
}

void TPanelCuestionarios::modificar() {
    const int fila = filaActual();
    if (fila >= 0) editar(fila);
}

bool TPanelCuestionarios::editar(int fila) {
    TKoral* doc = ventana_.documento();
    const TOrdenesExternas& o = ventana_.ordenes();
    if (!doc || fila < 0 || !o.editarCuestionario) return false;
    TCuestionario* q = modelo_->registro(fila);
    const Respuestas antes = q->respuestas;
    if (!o.editarCuestionario(*doc, *q)) return false;
    // Answers changed after a double entry are no longer the ones verified,
    // even if they are later changed back.
    if (q->respuestas != antes) verificados_.quitar(*q);
    const QString texto = aQString(q->nombre);
    if (texto != modelo_->texto(fila)) hacerActual(modelo_->cambiarTexto(fila, texto));
    doc->modificado = true;
    ventana_.refrescarCabeceras();
    return true;
}

void TPanelCuestionarios::verificar() {
    TKoral* doc = ventana_.documento();
    const TOrdenesExternas& o = ventana_.ordenes();
    const int fila = filaActual();
    if (!doc || fila < 0 || !o.verificarCuestionario) return;
    TCuestionario* q = modelo_->registro(fila);
    if (!o.verificarCuestionario(*doc, *q)) return;
    verificados_.marcar(*q);
    // The mark is kept with the company: saved with it, asked about on closing.
    doc->modificado = true;
    ventana_.refrescarCabeceras();
}

void TPanelCuestionarios::borrar() {
    TKoral* doc = ventana_.documento();
    const int fila = filaActual();
    if (!doc || fila < 0) return;
    TCuestionario* q = modelo_->registro(fila);
    std::string nombre;
    deQString(modelo_->texto(fila), nombre);
    if (Pregunta("Borrar Cuestionarios", "Desea borrar el Cuestionario " + nombre + "?") !=
        Respuesta::Si)
        return;
    CursorOcupado ocupado;
    verificados_.quitar(*q);
    doc->borrarCuestionario(q);
    ventana_.refrescarTitulo();
    ventana_.refrescarCabeceras();
    modelo_->quitar(fila);
    doc->modificado = true;
}

void TPanelCuestionarios::imprimir() {
    const int fila = filaActual();
    const TOrdenesExternas& o = ventana_.ordenes();
    if (!ventana_.documento() || fila < 0 || !o.imprimirCuestionario) return;
    o.imprimirCuestionario(*modelo_->registro(fila));
}

}  // namespace koral
