#include "ui/UChild.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QIdentityProxyModel>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "method/Perfil.h"
#include "platform/Archivos.h"
#include "platform/Dialogos.h"
#include "platform/Texto.h"
#include "platform/qt/Escritorio.h"
#include "platform/qt/TextoQt.h"
#include "ui/AvisosLectura.h"
#include "ui/CursorOcupado.h"
#include "ui/Iconos.h"
#include "ui/ListaRegistros.h"
#include "ui/PanelCuestionarios.h"
#include "ui/PanelGrupos.h"
#include "ui/ProgresoLargo.h"
#include "ui/UMain.h"

namespace koral {

namespace {

// List rows 16 pixels high, whatever the style would make of the font.
class FilaFija : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& o, const QModelIndex& i) const override {
        return {QStyledItemDelegate::sizeHint(o, i).width(), 16};
    }
};

// A column heading in a large bold face; the face shrinks when a large count
// would not fit the column.
class Cabecera : public QLabel {
public:
    explicit Cabecera(QWidget* padre) : QLabel(padre) {
        setAlignment(Qt::AlignCenter);
        setTextFormat(Qt::PlainText);
        setMinimumWidth(40);
        QFont f = font();
        f.setBold(true);
        f.setPixelSize(kAlto);
        setFont(f);
        setFixedHeight(kAlto + 8);
    }
    void poner(const QString& texto) {
        setText(texto);
        ajustar();
    }

protected:
    void resizeEvent(QResizeEvent* e) override {
        QLabel::resizeEvent(e);
        ajustar();
    }

private:
    static constexpr int kAlto = 24;
    void ajustar() {
        QFont f = font();
        const int disponible = contentsRect().width() - 4;
        for (int alto = kAlto; alto >= 10; --alto) {
            f.setPixelSize(alto);
            if (QFontMetrics(f).horizontalAdvance(text()) <= disponible) break;
        }
        setFont(f);
    }
};

QString numero(std::int32_t n) {
    return QString::number(n);
}

}  // namespace

TChildWin::TChildWin(TfrmMain& frame, QWidget* parent) : QWidget(parent), frame_(frame) {
    setObjectName("ChildWin");
    setAttribute(Qt::WA_DeleteOnClose, false);  // the sub-window owns and deletes us
    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(2, 2, 2, 2);
    fila->setSpacing(2);

    grupos_ = new TPanelGrupos(*this);
    fila->addWidget(grupos_, 1);

    cuestionarios_ = new TPanelCuestionarios(*this, verificados_);
    fila->addWidget(cuestionarios_, 1);

    QWidget* tira = nullptr;
    fila->addWidget(crearColumna(lblPerfiles, lstPerfiles, modeloPerfiles_, tira), 1);
    lblPerfiles->setObjectName("lblPerfiles");
    lstPerfiles->setObjectName("lstPerfiles");
    btnNuevoPerfil =
        crearBoton(tira, 0, "PNewButton", "Nuevo", int(Dibujo::Nuevo), &TChildWin::nuevoPerfil);
    btnModificarPerfil = crearBoton(tira, 40, "PModifyButton", "Modificar", int(Dibujo::Modificar),
                                    &TChildWin::modificarPerfil);
    btnBorrarPerfil = crearBoton(tira, 128, "PDeleteButton", "Eliminar", int(Dibujo::Eliminar),
                                 &TChildWin::borrarPerfil);
    btnImprimirPerfil = crearBoton(tira, 168, "PPrintButton", "Imprimir", int(Dibujo::Imprimir),
                                   &TChildWin::imprimirPerfil);
    btnCompararPerfiles = crearBoton(tira, 84, "PCompareButton", "Comparar perfiles",
                                     int(Dibujo::Comparar), &TChildWin::compararPerfiles);

    // The keyboard alone reaches every button: Alt with a letter, shown in
    // its tool tip. A, I, V and Y open the frame's menus; G, R, E, B, L, N, M, T,
    // X, S and U are the groups' and questionnaires'. As window shortcuts in a sub-window they work
    // in the active company only.
    const std::pair<QToolButton*, char> teclas[] = {

        {btnNuevoPerfil, 'P'},
        {btnModificarPerfil, 'O'},
        {btnBorrarPerfil, 'Q'},
        {btnImprimirPerfil, 'K'},
        {btnCompararPerfiles, 'C'}};
    for (const auto& [boton, letra] : teclas) {
        boton->setShortcut(QKeySequence(Qt::ALT | static_cast<Qt::Key>(letra)));
        boton->setToolTip(boton->toolTip() + " (Alt+" + QChar(letra) + ")");
    }

    connect(lstPerfiles, &QListView::doubleClicked, this, &TChildWin::modificarPerfil);

    crearMenus();

    // Commands whose windows or reports come from elsewhere work once they are there.
    const TOrdenesExternas& o = frame_.ordenes;
    btnNuevoPerfil->setEnabled(bool(o.editarPerfil));
    btnModificarPerfil->setEnabled(bool(o.editarPerfil));
    ordenImportar->setEnabled(bool(o.importaDatos));
    ordenRecoger->setEnabled(bool(o.recogerEnRed));
    ordenExportarDatos->setEnabled(bool(o.exportarDatos));
    ordenExportarPuntuaciones->setEnabled(bool(o.exportarPuntuaciones));
    ordenImprimirGrupos->setEnabled(bool(o.imprimirGrupos));
    ordenImprimirCuestionario->setEnabled(bool(o.imprimirCuestionario));
    btnImprimirPerfil->setEnabled(bool(o.imprimirPerfil));
    ordenImprimirPerfil->setEnabled(bool(o.imprimirPerfil));
    btnCompararPerfiles->setEnabled(bool(o.compararPerfiles));
    ordenCompararPerfiles->setEnabled(bool(o.compararPerfiles));
    ordenEvaluacion->setEnabled(bool(o.imprimirEvaluacion));
    ordenImprimirInforme->setEnabled(bool(o.imprimirInforme));
    ordenCuestionarioVacio->setEnabled(bool(o.imprimirCuestVacio));

    refrescarCabeceras();
}

TChildWin::~TChildWin() = default;

template <class R>
QAction* TChildWin::crearOrden(QMenu* menu, const char* nombre, const char* texto, R* receptor,
                               void (R::*manejador)()) {
    QAction* a = menu->addAction(texto, receptor, manejador);
    a->setObjectName(nombre);
    return a;
}

void TChildWin::crearMenus() {
    mnuArchivo = new QMenu("&Archivo", this);
    mnuArchivo->setObjectName("mnuArchivo");
    ordenNuevo = crearOrden(mnuArchivo, "Nuevo1", "&Nuevo", &frame_, &TfrmMain::Nuevo1Click);
    ordenAbrir = crearOrden(mnuArchivo, "Abrir1", "&Abrir ...", &frame_, &TfrmMain::Abrir1Click);
    ordenGuardar = crearOrden(mnuArchivo, "Guardar1", "&Guardar", this, &TChildWin::guardarEmpresa);
    ordenGuardarComo = crearOrden(mnuArchivo, "Guardarcomo1", "Guardar &como ...", this,
                                  &TChildWin::guardarEmpresaComo);
    ordenRenombrarEmpresa =
        crearOrden(mnuArchivo, "Cambiarnombreempresa1", "Cambiar nombre &Empresa", this,
                   &TChildWin::renombrarEmpresa);
    mnuArchivo->addSeparator();
    ordenCerrar = crearOrden(mnuArchivo, "Cerrar1", "Ce&rrar", this, &TChildWin::cerrar);
    mnuArchivo->addSeparator();
    ordenImportar = crearOrden(mnuArchivo, "Importardatosanteriores1", "&Importar datos anteriores",
                               this, &TChildWin::importarDatos);
    ordenRecoger = crearOrden(mnuArchivo, "Recogerenred1", "Recoger en re&d ...", this,
                              &TChildWin::recogerEnRed);
    ordenCuestionarioVacio = crearOrden(mnuArchivo, "Impcuestvacio1", "Imp. cuest. &vacio", this,
                                        &TChildWin::imprimirCuestionarioVacio);
    ordenExportarDatos = crearOrden(mnuArchivo, "Exportardatos1", "E&xportar datos", this,
                                    &TChildWin::exportarDatos);
    ordenExportarPuntuaciones =
        crearOrden(mnuArchivo, "Exportarpuntuaciones1", "Exportar &puntuaciones ...", this,
                   &TChildWin::exportarPuntuaciones);
    mnuArchivo->addSeparator();
    ordenSalir = crearOrden(mnuArchivo, "Salir1", "&Salir", &frame_, &TfrmMain::Salir1Click);

    mnuInformes = new QMenu("&Informes", this);
    mnuInformes->setObjectName("mnuInformes");
    ordenImprimirInforme = crearOrden(mnuInformes, "Imprimirinforme1", "&Imprimir informe", this,
                                      &TChildWin::imprimirInforme);
    ordenImprimirGrupos =
        crearOrden(mnuInformes, "ImpGrupos1", "Imp. &Grupos", grupos_, &TPanelGrupos::imprimir);
    ordenImprimirCuestionario = crearOrden(mnuInformes, "ImpCuestionario1", "Imp. C&uestionario",
                                           cuestionarios_, &TPanelCuestionarios::imprimir);
    ordenImprimirPerfil =
        crearOrden(mnuInformes, "Impperfil1", "Imp. &Perfil", this, &TChildWin::imprimirPerfil);
    mnuInformes->addSeparator();
    ordenCompararPerfiles = crearOrden(mnuInformes, "Compararperfiles1", "&Comparar perfiles", this,
                                       &TChildWin::compararPerfiles);
    ordenEvaluacion = crearOrden(mnuInformes, "Informeevaluacion1", "Informe de &evaluación", this,
                                 &TChildWin::imprimirEvaluacion);
}

template <class T>
QWidget* TChildWin::crearColumna(QLabel*& titulo, QListView*& lista, TListaDe<T>*& modelo,
                                 QWidget*& botones) {
    auto* marco = new QFrame(this);
    marco->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* columna = new QVBoxLayout(marco);
    columna->setContentsMargins(3, 3, 3, 3);
    columna->setSpacing(3);

    titulo = new Cabecera(marco);
    columna->addWidget(titulo);

    botones = new QWidget(marco);
    botones->setFixedHeight(25);
    botones->setMinimumWidth(193);
    columna->addWidget(botones);

    lista = new QListView(marco);
    modelo = new TListaDe<T>(lista);
    modelo->compartir();  // the editors take its order
    lista->setModel(modelo);
    lista->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lista->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lista->setUniformItemSizes(true);
    lista->setItemDelegate(new FilaFija(lista));
    QFont f = lista->font();
    f.setPixelSize(13);
    lista->setFont(f);
    columna->addWidget(lista, 1);
    return marco;
}

QToolButton* TChildWin::crearBoton(QWidget* tira, int x, const char* nombre, const char* ayuda,
                                   int dibujo, void (TChildWin::*manejador)()) {
    auto* b = new QToolButton(tira);
    b->setObjectName(nombre);
    b->setGeometry(x, 0, 25, 25);
    b->setIcon(iconoHerramienta(static_cast<Dibujo>(dibujo)));
    b->setIconSize(QSize(20, 20));
    b->setAutoRaise(true);
    b->setToolTip(QString::fromUtf8(ayuda));
    connect(b, &QToolButton::clicked, this, manejador);
    return b;
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
        doc_ = std::move(leido);
        verificados_.vaciar();
        bloqueo_.reset();
        // What was read stays on view, but it is not the whole company: with
        // the path forgotten, saving must ask for a new name and cannot put
        // the part over the original.
        doc_->archivo.clear();
        doc_->modificado = true;
        refrescarTodo();
        Mensaje(
            std::string(e.what()) +
            "\nSe muestra lo leído hasta el error. Al guardar se pedirá un nombre nuevo: el archivo no se sobrescribe."_cp);
        return;
    }
    doc_ = std::move(leido);
    verificados_.vaciar();
    leerVerificados();
    refrescarTodo();
}

void TChildWin::leerVerificados() {
    try {
        if (verificados_.leer(*doc_) > 0)
            Mensaje(
                "El registro de cuestionarios verificados de esta empresa tiene líneas "
                "ilegibles: esos cuestionarios se muestran sin verificar."_cp);
    } catch (const ErrorArchivo& e) {
        Mensaje(e.what());
    }
}

void TChildWin::guardarVerificados() {
    try {
        verificados_.guardar(*doc_);
    } catch (const ErrorArchivo& e) {
        Mensaje(
            "La empresa se ha guardado, pero no el registro de cuestionarios verificados.\n"_cp +
            e.what());
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
    std::vector<const TPerfil*> perfiles;
    perfiles.reserve(static_cast<std::size_t>(modeloPerfiles_->rowCount()));
    for (int i = 0; i < modeloPerfiles_->rowCount(); ++i)
        perfiles.push_back(modeloPerfiles_->registro(i));
    return perfiles;
}

void TChildWin::refrescarCabeceras() {
    const std::int32_t p = doc_ ? doc_->nPerfiles : 0;
    grupos_->refrescarCabecera();
    cuestionarios_->refrescarCabecera();
    static_cast<Cabecera*>(lblPerfiles)->poner(numero(p) + " Perfiles");
}

template <typename T>
static typename TListaDe<T>::Entradas entradas(const std::vector<std::unique_ptr<T>>& v) {
    typename TListaDe<T>::Entradas e;
    e.reserve(v.size());
    for (const auto& r : v) e.emplace_back(aQString(r->nombre), r.get());
    return e;
}

void TChildWin::refrescarTodo() {
    CursorOcupado ocupado;  // a second or so for a million questionnaires
    grupos_->llenar();
    cuestionarios_->llenar();
    modeloPerfiles_->llenar(entradas(doc_->perfiles));
    refrescarTitulo();
    refrescarCabeceras();
}

int TChildWin::filaActual(const QListView* lista) {
    const QModelIndex i = lista->currentIndex();
    return i.isValid() ? i.row() : -1;
}

void TChildWin::hacerActual(QListView* lista, int fila) {
    const QModelIndex i = lista->model()->index(fila, 0);
    lista->setCurrentIndex(i);
    lista->scrollTo(i);
}

// --- Groups ---

TChildWin::EstadoAntesDeNuevo TChildWin::recordarAntesDeNuevo(QListView* lista) const {
    return {doc_->ultimoId, doc_->modificado, lista->currentIndex(),
            lista->selectionModel()->selection()};
}

// The identifier of a record whose editor was cancelled was never written
// anywhere: it can be handed out again.
void TChildWin::volverAntesDeNuevo(QListView* lista, const EstadoAntesDeNuevo& antes) {
    doc_->ultimoId = antes.ultimoId;
    doc_->modificado = antes.modificado;
    lista->selectionModel()->select(antes.seleccion, QItemSelectionModel::ClearAndSelect);
    lista->selectionModel()->setCurrentIndex(antes.actual, QItemSelectionModel::NoUpdate);
    refrescarCabeceras();
}

// --- Questionnaires ---

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
        *doc_, soloLectura_, [this] { return guardar(); }, [this] { refrescarTodo(); });
}

void TChildWin::exportarDatos() {
    if (doc_ && frame_.ordenes.exportarDatos) frame_.ordenes.exportarDatos(*doc_);
}

// --- Profiles ---

void TChildWin::exportarPuntuaciones() {
    if (doc_ && frame_.ordenes.exportarPuntuaciones) frame_.ordenes.exportarPuntuaciones(*doc_);
}

void TChildWin::nuevoPerfil() {
    if (!doc_ || !frame_.ordenes.editarPerfil) return;
    std::string nombre = "P" + rellenarCeros(static_cast<long long>(doc_->nPerfiles) + 1, 6);
    if (!PideCampo("Nuevo Perfil", "Indique nombre nuevo perfil", nombre)) return;
    // What a cancelled editor must find again, as for a new questionnaire:
    // a profile left in the list but never saved.
    const EstadoAntesDeNuevo antes = recordarAntesDeNuevo(lstPerfiles);
    TPerfil* p =
        modeloPerfiles_->contiene(aQString(nombre)) ? nullptr : doc_->agregarPerfil(nombre);
    if (!p) {
        CajaMensaje(kTituloPrograma, "El Perfil " + nombre + " ya existe");
        return;
    }
    const int fila = modeloPerfiles_->agregar(aQString(p->nombre), p);
    hacerActual(lstPerfiles, fila);
    refrescarCabeceras();
    if (editarPerfil(fila)) return;

    modeloPerfiles_->quitar(fila);
    doc_->borrarPerfil(p);
    volverAntesDeNuevo(lstPerfiles, antes);
}

void TChildWin::modificarPerfil() {
    const int fila = filaActual(lstPerfiles);
    if (fila >= 0) editarPerfil(fila);
}

bool TChildWin::editarPerfil(int fila) {
    if (!doc_ || fila < 0 || !frame_.ordenes.editarPerfil) return false;
    TPerfil* p = modeloPerfiles_->registro(fila);
    if (!frame_.ordenes.editarPerfil(*doc_, *p)) return false;
    const QString texto = aQString(p->nombre);
    if (texto != modeloPerfiles_->texto(fila))
        hacerActual(lstPerfiles, modeloPerfiles_->cambiarTexto(fila, texto));
    doc_->modificado = true;
    return true;
}

void TChildWin::borrarPerfil() {
    const int fila = filaActual(lstPerfiles);
    if (!doc_ || fila < 0) return;
    TPerfil* p = modeloPerfiles_->registro(fila);
    std::string nombre;
    deQString(modeloPerfiles_->texto(fila), nombre);
    if (Pregunta("Borrar Perfiles", "Desea borrar el Perfil " + nombre + "?") != Respuesta::Si)
        return;
    doc_->borrarPerfil(p);
    refrescarTitulo();
    refrescarCabeceras();
    modeloPerfiles_->quitar(fila);
    doc_->modificado = true;
}

void TChildWin::imprimirPerfil() {
    const int fila = filaActual(lstPerfiles);
    if (!doc_ || fila < 0 || !frame_.ordenes.imprimirPerfil) return;
    // The figures live in memory only: computed now, a profile never edited
    // since the company was opened does not print zeros.
    TPerfil& perfil = *modeloPerfiles_->registro(fila);
    {
        CursorOcupado ocupado;
        calcularPerfil(*doc_, perfil);
    }
    frame_.ordenes.imprimirPerfil(perfil);
}

void TChildWin::compararPerfiles() {
    if (!doc_ || !frame_.ordenes.compararPerfiles) return;
    // The selected profiles as the list shows them; the current one alone
    // when none is selected (it can still be set against another year's).
    QModelIndexList filas = lstPerfiles->selectionModel()->selectedRows();
    std::sort(filas.begin(), filas.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<TPerfil*> perfiles;
    for (const QModelIndex& i : filas) perfiles.push_back(modeloPerfiles_->registro(i.row()));
    if (perfiles.empty() && filaActual(lstPerfiles) >= 0)
        perfiles.push_back(modeloPerfiles_->registro(filaActual(lstPerfiles)));
    if (!perfiles.empty()) frame_.ordenes.compararPerfiles(*doc_, perfiles);
}

// --- Company ---

void TChildWin::imprimirInforme() {
    if (doc_ && frame_.ordenes.imprimirInforme) frame_.ordenes.imprimirInforme(*doc_);
}

void TChildWin::imprimirEvaluacion() {
    if (doc_ && frame_.ordenes.imprimirEvaluacion) frame_.ordenes.imprimirEvaluacion(*doc_);
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
    guardarVerificados();
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
    guardarVerificados();
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
            guardarVerificados();
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
    modeloPerfiles_->llenar({});
}

}  // namespace koral
