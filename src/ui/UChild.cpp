#include "ui/UChild.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMdiSubWindow>
#include <QMenu>
#include <utility>

#include "platform/Archivos.h"
#include "platform/Dialogos.h"
#include "platform/Texto.h"
#include "platform/qt/Escritorio.h"
#include "platform/qt/TextoQt.h"
#include "ui/AvisosLectura.h"
#include "ui/CursorOcupado.h"
#include "ui/PanelCuestionarios.h"
#include "ui/PanelGrupos.h"
#include "ui/PanelPerfiles.h"
#include "ui/ProgresoLargo.h"
#include "ui/UDatosEvaluacion.h"
#include "ui/UMain.h"

namespace koral {

TChildWin::TChildWin(TfrmMain& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
    setObjectName("ChildWin");
    setAttribute(Qt::WA_DeleteOnClose, false);  // the sub-window owns and deletes us
    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(2, 2, 2, 2);
    fila->setSpacing(2);
    // The keyboard alone reaches every button of the panels: Alt with a
    // letter. A, I, V and Y open the frame's menus.
    grupos_ = new TPanelGrupos(*this);
    fila->addWidget(grupos_, 1);
    cuestionarios_ = new TPanelCuestionarios(*this, verificados_);
    fila->addWidget(cuestionarios_, 1);
    perfiles_ = new TPanelPerfiles(*this);
    fila->addWidget(perfiles_, 1);

    crearMenuArchivo();
    crearMenuInformes();
    refrescarCabeceras();
}

TChildWin::~TChildWin() = default;

template <class R>
void TChildWin::crearOrden(QMenu* menu, const char* nombre, const char* texto, R* receptor,
                           void (R::*manejador)(), bool activa) {
    QAction* a = menu->addAction(texto, receptor, manejador);
    a->setObjectName(nombre);
    a->setEnabled(activa);
}

// Commands whose windows or reports come from elsewhere work once they are there.
void TChildWin::crearMenuArchivo() {
    const TOrdenesExternas& o = frame_.ordenes;
    mnuArchivo = new QMenu("&Archivo", this);
    mnuArchivo->setObjectName("mnuArchivo");
    crearOrden(mnuArchivo, "Nuevo1", "&Nuevo", &frame_, &TfrmMain::nuevaEmpresa);
    crearOrden(mnuArchivo, "Abrir1", "&Abrir ...", &frame_, &TfrmMain::abrirEmpresa);
    crearOrden(mnuArchivo, "Guardar1", "&Guardar", this, &TChildWin::guardarEmpresa);
    crearOrden(mnuArchivo, "Guardarcomo1", "Guardar &como ...", this,
               &TChildWin::guardarEmpresaComo);
    crearOrden(mnuArchivo, "Cambiarnombreempresa1", "Cambiar nombre &Empresa", this,
               &TChildWin::renombrarEmpresa);
    mnuArchivo->addSeparator();
    crearOrden(mnuArchivo, "Cerrar1", "Ce&rrar", this, &TChildWin::cerrar);
    mnuArchivo->addSeparator();
    crearOrden(mnuArchivo, "Importardatosanteriores1", "&Importar datos anteriores", this,
               &TChildWin::importarDatos, bool(o.importaDatos));
    crearOrden(mnuArchivo, "Recogerenred1", "Recoger en re&d ...", this, &TChildWin::recogerEnRed,
               bool(o.recogerEnRed));
    crearOrden(mnuArchivo, "Impcuestvacio1", "Imp. cuest. &vacio", this,
               &TChildWin::imprimirCuestionarioVacio, bool(o.imprimirCuestVacio));
    crearOrden(mnuArchivo, "Exportardatos1", "E&xportar datos", this, &TChildWin::exportarDatos,
               bool(o.exportarDatos));
    crearOrden(mnuArchivo, "Exportarpuntuaciones1", "Exportar &puntuaciones ...", this,
               &TChildWin::exportarPuntuaciones, bool(o.exportarPuntuaciones));
    crearOrden(mnuArchivo, "Medidascsv1", "Plan de &medidas en CSV ...", this,
               &TChildWin::exportarMedidas, bool(o.exportarMedidas));
    mnuArchivo->addSeparator();
    crearOrden(mnuArchivo, "Salir1", "&Salir", &frame_, &TfrmMain::salir);
}

void TChildWin::crearMenuInformes() {
    const TOrdenesExternas& o = frame_.ordenes;
    mnuInformes = new QMenu("&Informes", this);
    mnuInformes->setObjectName("mnuInformes");
    crearOrden(mnuInformes, "Imprimirinforme1", "&Imprimir informe", this,
               &TChildWin::imprimirInforme, bool(o.imprimirInforme));
    crearOrden(mnuInformes, "ImpGrupos1", "Imp. &Grupos", grupos_, &TPanelGrupos::imprimir,
               bool(o.imprimirGrupos));
    crearOrden(mnuInformes, "ImpCuestionario1", "Imp. C&uestionario", cuestionarios_,
               &TPanelCuestionarios::imprimir, bool(o.imprimirCuestionario));
    crearOrden(mnuInformes, "Impperfil1", "Imp. &Perfil", perfiles_, &TPanelPerfiles::imprimir,
               bool(o.imprimirPerfil));
    mnuInformes->addSeparator();
    crearOrden(mnuInformes, "Compararperfiles1", "&Comparar perfiles", perfiles_,
               &TPanelPerfiles::comparar, bool(o.compararPerfiles));
    crearOrden(mnuInformes, "Informeevaluacion1", "Informe de &evaluación", this,
               &TChildWin::imprimirEvaluacion, bool(o.imprimirEvaluacion));
    crearOrden(mnuInformes, "Datosevaluacion1", "&Datos de la evaluación ...", this,
               &TChildWin::editarDatosEvaluacion);
    crearOrden(mnuInformes, "Planmedidas1", "Plan de &medidas", this, &TChildWin::imprimirMedidas,
               bool(o.imprimirMedidas));
}

// --- Setting up ---

std::unique_ptr<TKoral> TChildWin::crearDocumento() {
    // The document's notices reach the "Atención" box through the installed
    // dialogs, so that a file's reading notices are summed up there.
    auto doc = std::make_unique<TKoral>([](const std::string& texto) { Mensaje(texto); });
    doc->modificado = false;
    return doc;
}

void TChildWin::nuevoDocumento() {
    doc_ = crearDocumento();
    verificados_.vaciar();
    acompanante_.leer(*doc_);  // no file yet: empty
}

void TChildWin::leerConProgreso(TKoral& doc, const std::string& ruta) {
    ProgresoLargo progreso("Abriendo la empresa", ruta, "dlgAbriendo", true, this);
    leyendo_ = true;
    cancelarLectura_ = false;
    auto avance = [&](std::size_t leidos, std::size_t total) {
        return progreso.avance(leidos, total) && !cancelarLectura_;
    };
    struct Fin {
        bool& leyendo;
        ~Fin() { leyendo = false; }
    } fin{leyendo_};
    TAvisosLectura::Lectura lectura;
    doc.leerArchivo(ruta, avance);
}

void TChildWin::aplicarAnchoMinimo() {
    QWidget* ventana = parentWidget() ? parentWidget() : this;
    if (ventana->width() < kAnchoMinimo) ventana->resize(kAnchoMinimo, ventana->height());
}

void TChildWin::NuevaEmpresa() {
    nuevoDocumento();
    aplicarAnchoMinimo();
    std::string nombre = kNombreEmpresaInicial;
    // Taken whether or not the user confirmed: after a cancel it is the initial text.
    PideCampo("Nueva Empresa", "Indique el nombre de la nueva empresa", nombre);
    doc_->iniciarEmpresa(nombre);
    refrescarTodo();
}

void TChildWin::AbreEmpresa(const std::string& ruta) {
    if (!archivos().existe(ruta)) {
        Mensaje("Lo siento. No encuentro el archivo");
        NuevaEmpresa();
        return;
    }
    // Reading a FIFO or a device could wait for ever, or never end.
    if (archivos().tipo(ruta) != TipoArchivo::regular) {
        Mensaje(mensajeNoNormal(ruta));
        cerrar();
        return;
    }
    if (!tomarBloqueo(ruta)) {
        cerrar();
        return;
    }
    aplicarAnchoMinimo();
    // The path shows while the file is read.
    setWindowTitle("<" + QString::fromUtf8(ruta) + ">");
    if (parentWidget()) parentWidget()->setWindowTitle(windowTitle());
    // Not the window's document until it is read: meanwhile every command
    // finds none to act on.
    std::unique_ptr<TKoral> leido = crearDocumento();
    try {
        leerConProgreso(*leido, ruta);
    } catch (const LecturaCancelada&) {
        // Stopped by the user: nothing was changed, nothing to tell.
        bloqueo_.reset();
        cerrar();
        return;
    } catch (const std::exception& e) {
        mostrarLeidoHastaError(std::move(leido), e);
        return;
    }
    doc_ = std::move(leido);
    verificados_.vaciar();
    acompanante_.leer(*doc_);
    leerVerificados();
    refrescarTodo();
}

void TChildWin::mostrarLeidoHastaError(std::unique_ptr<TKoral> leido, const std::exception& e) {
    doc_ = std::move(leido);
    verificados_.vaciar();
    bloqueo_.reset();
    // What was read stays on view, but it is not the whole company: with
    // the path forgotten, saving must ask for a new name and cannot put
    // the part over the original.
    doc_->archivo.clear();
    doc_->modificado = true;
    acompanante_.leer(*doc_);  // with no file: empty
    refrescarTodo();
    Mensaje(
        std::string(e.what()) +
        "\nSe muestra lo leído hasta el error. Al guardar se pedirá un nombre nuevo: el archivo no se sobrescribe."_cp);
}

void TChildWin::leerVerificados() {
    try {
        if (verificados_.leer(*doc_, acompanante_) > 0)
            Mensaje(
                "El registro de cuestionarios verificados de esta empresa tiene líneas "
                "ilegibles: esos cuestionarios se muestran sin verificar."_cp);
    } catch (const ErrorArchivo& e) {
        Mensaje(e.what());
    }
}

void TChildWin::guardarAcompanante() {
    if (acompanante_.protegido()) {
        // The one the user was told could not be read stays as it is; the
        // marks keep to the older record meanwhile.
        try {
            verificados_.guardar(*doc_);
        } catch (const ErrorArchivo& e) {
            Mensaje(
                "La empresa se ha guardado, pero no el registro de cuestionarios verificados.\n"_cp +
                e.what());
        }
        return;
    }
    try {
        verificados_.poner(*doc_, acompanante_);
        acompanante_.guardar(*doc_);
        // Only now that the companion holds the marks.
        TVerificados::borrarAntiguo(*doc_);
    } catch (const ErrorArchivo& e) {
        Mensaje("La empresa se ha guardado, pero no su archivo complementario.\n"_cp + e.what());
    }
}

bool TChildWin::tomarBloqueo(const std::string& ruta) {
    TitularBloqueo titular;
    auto bloqueo = BloqueoEmpresa::tomar(ruta, false, &titular);
    soloLectura_ = false;
    if (!bloqueo) {
        switch (Pregunta(
            "Atención"_cp,
            textoBloqueo(titular) +
                "\n¿Abrirla solo para lectura? Con «No» se abre igualmente para modificarla."_cp)) {
            case Respuesta::Si:
                soloLectura_ = true;
                break;
            case Respuesta::No:
                bloqueo = BloqueoEmpresa::tomar(ruta, true);
                break;
            case Respuesta::Cancelar:
                return false;
        }
    }
    bloqueo_ = std::move(bloqueo);
    return true;
}

// --- Refreshing ---

void TChildWin::refrescarTitulo() {
    // The path stays last: the frame finds an open company by it.
    const QString titulo = (soloLectura_ ? QStringLiteral("(Solo lectura) ") : QString()) +
                           aQString(doc_->nombre) + "<" + QString::fromUtf8(doc_->archivo) + ">";
    setWindowTitle(titulo);
    if (parentWidget()) parentWidget()->setWindowTitle(titulo);
}

const TOrdenesExternas& TChildWin::ordenes() const {
    return frame_.ordenes;
}

std::vector<const TPerfil*> TChildWin::perfilesEnLista() const {
    return perfiles_->enLista();
}

void TChildWin::refrescarCabeceras() {
    grupos_->refrescarCabecera();
    cuestionarios_->refrescarCabecera();
    perfiles_->refrescarCabecera();
}

void TChildWin::refrescarTodo() {
    CursorOcupado ocupado;  // a second or so for a million questionnaires
    grupos_->llenar();
    cuestionarios_->llenar();
    perfiles_->llenar();
    refrescarTitulo();
    refrescarCabeceras();
}

// --- The company as a whole ---

void TChildWin::importarDatos() {
    if (!doc_ || !frame_.ordenes.importaDatos) return;
    frame_.ordenes.importaDatos(*doc_);
    refrescarTodo();
    doc_->modificado = true;
}

void TChildWin::recogerEnRed() {
    if (!doc_ || !frame_.ordenes.recogerEnRed) return;
    // Each answer is in the lists as soon as it is in the file.
    frame_.ordenes.recogerEnRed(
        *doc_, acompanante_, soloLectura_, [this] { return guardar(); },
        [this] { guardarAcompanante(); }, [this] { refrescarTodo(); });
}

void TChildWin::exportarDatos() {
    if (doc_ && frame_.ordenes.exportarDatos) frame_.ordenes.exportarDatos(*doc_);
}

void TChildWin::exportarPuntuaciones() {
    if (doc_ && frame_.ordenes.exportarPuntuaciones) frame_.ordenes.exportarPuntuaciones(*doc_);
}

void TChildWin::imprimirInforme() {
    if (doc_ && frame_.ordenes.imprimirInforme) frame_.ordenes.imprimirInforme(*doc_);
}

void TChildWin::imprimirEvaluacion() {
    if (doc_ && frame_.ordenes.imprimirEvaluacion)
        frame_.ordenes.imprimirEvaluacion(*doc_, datosEvaluacion(acompanante_));
}

void TChildWin::editarDatosEvaluacion() {
    if (!doc_) return;
    TfrmDatosEvaluacion frm(this);
    frm.editar(*doc_, acompanante_);
}

void TChildWin::imprimirMedidas() {
    if (doc_ && frame_.ordenes.imprimirMedidas)
        frame_.ordenes.imprimirMedidas(*doc_, datosEvaluacion(acompanante_));
}

void TChildWin::exportarMedidas() {
    if (doc_ && frame_.ordenes.exportarMedidas)
        frame_.ordenes.exportarMedidas(*doc_, datosEvaluacion(acompanante_));
}

void TChildWin::imprimirCuestionarioVacio() {
    if (frame_.ordenes.imprimirCuestVacio) frame_.ordenes.imprimirCuestVacio();
}

bool TChildWin::guardar() {
    if (doc_->archivo.empty() || soloLectura_) return guardarComo();
    try {
        CursorOcupado ocupado;
        doc_->guardarArchivo();
    } catch (const ErrorArchivo& e) {
        Mensaje(e.what());
        return false;
    }
    guardarAcompanante();
    return true;
}

bool TChildWin::guardarComo() {
    Prestado<TDialogoArchivo> dialogo(frame_.SaveDialog);
    dialogo->filtro = "Archivos KORAL 2.0|*.kr2|Cualquier archivo|*.*";
    dialogo->extensionDefecto = "kr2";
    dialogo->nombreArchivo = "NEMPRESA";
    dialogo->preguntarReemplazo = false;  // the previous file is kept as the backup
    if (!ejecutorDialogos().guardar(*dialogo)) return false;
    const std::string anterior = doc_->archivo;
    // Saving over a company another program has open would lose its work.
    std::unique_ptr<BloqueoEmpresa> bloqueo;
    const bool mismo = dialogo->nombreArchivo == anterior && !soloLectura_;
    if (mismo) {
        bloqueo = std::move(bloqueo_);
    } else {
        TitularBloqueo titular;
        bloqueo = BloqueoEmpresa::tomar(dialogo->nombreArchivo, false, &titular);
        if (!bloqueo) {
            Mensaje(textoBloqueo(titular));
            return false;
        }
    }
    doc_->archivo = dialogo->nombreArchivo;
    try {
        CursorOcupado ocupado;
        doc_->guardarArchivo();
    } catch (const ErrorArchivo& e) {
        // The caption must keep naming a file that holds this company.
        doc_->archivo = anterior;
        if (mismo) bloqueo_ = std::move(bloqueo);
        Mensaje(e.what());
        return false;
    }
    bloqueo_ = std::move(bloqueo);
    soloLectura_ = false;
    guardarAcompanante();
    refrescarTitulo();
    return true;
}

void TChildWin::guardarEmpresa() {
    if (doc_) guardar();
}

void TChildWin::guardarEmpresaComo() {
    if (doc_) guardarComo();
}

void TChildWin::renombrarEmpresa() {
    if (!doc_) return;
    std::string nombre = doc_->nombre;
    if (!PideCampo("Cambio nombre Empresa", "Indique el nuevo nombre de la empresa (max. 49)",
                   nombre))
        return;
    doc_->nombre = cortarNombre(nombre);
    refrescarTitulo();
    doc_->modificado = true;
}

void TChildWin::cerrar() {
    if (parentWidget())
        parentWidget()->close();
    else
        close();
}

bool TChildWin::FormCloseQuery() {
    if (!doc_ || !doc_->modificado) return true;
    switch (Pregunta("Atención"_cp,
                     "Guardar cambios en el archivo " + textoMostrable(doc_->archivo) + "?")) {
        case Respuesta::Si:
            // A save that did not happen (cancelled or failed) keeps the window open:
            // closing would lose the company.
            return guardar();
        case Respuesta::No:
            doc_->modificado = false;
            return true;
        case Respuesta::Cancelar:
            break;
    }
    return false;
}

void TChildWin::cerrarConsultado() {
    consultado_ = true;
    cerrar();
    consultado_ = false;
}

void TChildWin::closeEvent(QCloseEvent* e) {
    if (leyendo_) {
        // The window closes once the reading has stopped.
        cancelarLectura_ = true;
        e->ignore();
        return;
    }
    if (!consultado_ && !FormCloseQuery()) {
        e->ignore();
        return;
    }
    cerrarEmpresa();
    e->accept();
    frame_.actualizarMenus();
}

void TChildWin::cerrarEmpresa() {
    cerrada_ = true;
    if (!doc_) return;
    try {
        CursorOcupado ocupado;
        // What cerrarEmpresa would save, saved here so that the marks follow.
        if (!doc_->archivo.empty() && doc_->modificado) {
            doc_->guardarArchivo();
            guardarAcompanante();
        }
        doc_->cerrarEmpresa();
    } catch (const ErrorArchivo& e) {
        Mensaje(e.what());
    }
    CursorOcupado ocupado;  // a million entries to release
    doc_.reset();
    bloqueo_.reset();
    grupos_->vaciar();
    cuestionarios_->vaciar();
    perfiles_->vaciar();
}

}  // namespace koral
