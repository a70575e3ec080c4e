#include "ui/UMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTimer>

#include "platform/Archivos.h"
#include "platform/Dialogos.h"
#include "platform/Texto.h"
#include "platform/qt/Escritorio.h"
#include "platform/qt/TextoQt.h"
#include "ui/about.h"

namespace koral {

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName("frmMain");
    setWindowTitle("O.R.V.E.N. QAR Factores Psicosociales 2.0");
    setGeometry(210, 211, 647, 480);

    OpenDialog.filtro = "Archivos KORAL 2.0|*.kr2|Archivos texto|*.txt";
    OpenDialog.extensionDefecto = ".kr2";
    SaveDialog.filtro = "Archivos KORAL 2.0|*.kr2|Cualquier archivo|*.*";
    SaveDialog.extensionDefecto = "kr2";
    PrintDialog.permitirArchivo = true;
    PrintDialog.copias = 1;

    mdiArea = new QMdiArea(this);
    mdiArea->setObjectName("mdiArea");
    mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(mdiArea);

    menuBar()->setObjectName("MainMenu1");
    mnuArchivo = new QMenu("&Archivo", this);
    mnuArchivo->setObjectName("Archivo1");
    accNuevo = crearOrden(mnuArchivo, "Nuevo1", "&Nuevo", &TfrmMain::nuevaEmpresa);
    accAbrir = crearOrden(mnuArchivo, "Abrir1", "&Abrir ...", &TfrmMain::abrirEmpresa);
    mnuArchivo->addSeparator();
    accImpVacio = crearOrden(mnuArchivo, "ImpVacio1", "&Imp. Vacio", &TfrmMain::imprimirVacio);
    mnuArchivo->addSeparator();
    accSalir = crearOrden(mnuArchivo, "Salir1", "&Salir", &TfrmMain::salir);

    mnuVentana = new QMenu("&Ventana", this);
    mnuVentana->setObjectName("Ventana1");
    accMosaico = crearOrden(mnuVentana, "Mosaico1", "&Mosaico", &TfrmMain::ponerEnMosaico);
    accCascada = crearOrden(mnuVentana, "Cascada1", "&Cascada", &TfrmMain::ponerEnCascada);
    connect(mnuVentana, &QMenu::aboutToShow, this, &TfrmMain::llenarVentana);

    mnuAyuda = new QMenu("A&yuda", this);
    mnuAyuda->setObjectName("Ayuda1");
    accManual = crearOrden(mnuAyuda, "Manual1", "&Manual", &TfrmMain::abrirManual);
    mnuAyuda->addSeparator();
    accAcercaDe = crearOrden(mnuAyuda, "Acercade1", "&Acerca de ...", &TfrmMain::acercaDe);

    connect(mnuArchivo, &QMenu::aboutToShow, this, &TfrmMain::actualizarOrdenes);
    connect(mdiArea, &QMdiArea::subWindowActivated, this, &TfrmMain::alActivarse);
    actualizarOrdenes();
    actualizarMenus();
}

QAction* TfrmMain::crearOrden(QMenu* menu, const char* nombre, const char* texto,
                              void (TfrmMain::*manejador)()) {
    QAction* a = menu->addAction(texto, this, manejador);
    a->setObjectName(nombre);
    return a;
}

TfrmMain::~TfrmMain() {
    // The area and its windows outlive this part of the frame while QWidget
    // tears them down: they must not call back into it.
    QObject::disconnect(mdiArea, nullptr, this, nullptr);
    // Closed ones are no longer in the area's list but may still exist.
    for (QMdiSubWindow* s : mdiArea->findChildren<QMdiSubWindow*>())
        QObject::disconnect(s, nullptr, this, nullptr);
}

void TfrmMain::actualizarOrdenes() {
    accImpVacio->setEnabled(bool(ordenes.imprimirCuestVacio));
}

std::vector<TChildWin*> TfrmMain::companias() const {
    std::vector<TChildWin*> lista;
    for (QMdiSubWindow* s : mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        auto* hijo = qobject_cast<TChildWin*>(s->widget());
        // A window that has closed stays in the list until it is deleted.
        if (hijo && !hijo->cerrada()) lista.push_back(hijo);
    }
    return lista;
}

TChildWin* TfrmMain::companiaActiva() const {
    for (TChildWin* hijo : companias())
        if (hijo->parentWidget() == activa_) return hijo;
    return nullptr;
}

void TfrmMain::alActivarse(QMdiSubWindow* sub) {
    if (sub) {
        activa_ = sub;
    } else if (!companiaActiva()) {
        // The active one has gone: the area's current one, if any, follows.
        activa_ = mdiArea->currentSubWindow();
    }
    actualizarMenus();
}

// With a company window active its "&Archivo" and "&Informes" stand in place
// of the frame's "Archivo"; "Ventana" and "Ayuda" always stay.
void TfrmMain::actualizarMenus() {
    QMenuBar* barra = menuBar();
    barra->clear();
    if (TChildWin* hijo = companiaActiva()) {
        for (QMenu* m : hijo->menus()) barra->addMenu(m);
    } else {
        barra->addMenu(mnuArchivo);
    }
    barra->addMenu(mnuVentana);
    barra->addMenu(mnuAyuda);
}

void TfrmMain::llenarVentana() {
    for (QAction* a : listaVentanas_) {
        mnuVentana->removeAction(a);
        delete a;
    }
    listaVentanas_.clear();
    const auto hijos = companias();
    if (hijos.empty()) return;
    listaVentanas_ << mnuVentana->addSeparator();
    TChildWin* activa = companiaActiva();
    int n = 0;
    for (TChildWin* hijo : hijos) {
        QString texto = hijo->windowTitle();
        texto.replace('&', "&&");
        ++n;
        QAction* a = mnuVentana->addAction(
            (n < 10 ? QString("&%1 ").arg(n) : QString("%1 ").arg(n)) + texto);
        a->setCheckable(true);
        a->setChecked(hijo == activa);
        QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(hijo->parentWidget());
        connect(a, &QAction::triggered, this, [this, sub] {
            if (mdiArea->subWindowList().contains(sub)) mdiArea->setActiveSubWindow(sub);
        });
        listaVentanas_ << a;
    }
}

TChildWin* TfrmMain::crearCompania() {
    auto* hijo = new TChildWin(*this);
    QMdiSubWindow* sub = mdiArea->addSubWindow(hijo);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->resize(TChildWin::kAnchoMinimo, TChildWin::kAltoInicial);
    connect(sub, &QObject::destroyed, this, [this, sub] {
        if (activa_ == sub) activa_ = nullptr;
        alActivarse(nullptr);
    });
    sub->show();
    mdiArea->setActiveSubWindow(sub);
    alActivarse(sub);
    return hijo;
}

void TfrmMain::nuevaEmpresa() {
    crearCompania()->NuevaEmpresa();
}

void TfrmMain::abrirEmpresa() {
    if (!ejecutorDialogos().abrir(OpenDialog)) return;
    const std::string ruta = OpenDialog.nombreArchivo;
    const QString elegida = QString::fromUtf8(ruta);
    for (TChildWin* hijo : companias()) {
        if (rutaDeTitulo(hijo->windowTitle()) == elegida) {
            auto* sub = qobject_cast<QMdiSubWindow*>(hijo->parentWidget());
            if (sub) {
                if (sub->isMinimized()) sub->showNormal();
                mdiArea->setActiveSubWindow(sub);
            }
            return;
        }
    }
    crearCompania()->AbreEmpresa(ruta);
}

void TfrmMain::imprimirVacio() {
    if (ordenes.imprimirCuestVacio) ordenes.imprimirCuestVacio();
}

void TfrmMain::salir() {
    close();
}

// Horizontal tiling: each window as wide as the frame, one above the other.
void TfrmMain::ponerEnMosaico() {
    QList<QMdiSubWindow*> ventanas;
    for (QMdiSubWindow* s : mdiArea->subWindowList(QMdiArea::CreationOrder))
        if (!s->isHidden() && !s->isMinimized()) ventanas << s;
    if (ventanas.isEmpty()) return;
    const QRect area = mdiArea->viewport()->rect();
    const int n = static_cast<int>(ventanas.size());
    const int alto = std::max(1, area.height() / n);
    for (int i = 0; i < n; ++i) {
        QMdiSubWindow* s = ventanas[i];
        if (s->isMaximized()) s->showNormal();
        const int y = i * alto;
        s->setGeometry(0, y, area.width(), i == n - 1 ? area.height() - y : alto);
    }
}

void TfrmMain::ponerEnCascada() {
    mdiArea->cascadeSubWindows();
}

void TfrmMain::abrirManual() {
    const QString nombre = QString::fromUtf8(ArchivoAyuda);
    // The current folder, then beside the program; last, where an installed
    // program keeps its data files (<prefix>/share/koral20), since a
    // program in /usr/bin has no room for a manual beside it.
    const QDir programa(QCoreApplication::applicationDirPath());
    const QString lugares[] = {
        QDir::current().absoluteFilePath(nombre), programa.absoluteFilePath(nombre),
        QDir::cleanPath(programa.absoluteFilePath("../share/koral20/" + nombre))};
    QString ruta = lugares[0];
    for (const QString& l : lugares) {
        if (QFileInfo::exists(l)) {
            ruta = l;
            break;
        }
    }
    if (!QFileInfo::exists(ruta)) {
        std::string texto;
        if (!deQString("No se encuentra el archivo " + nombre, texto))
            texto = "No se encuentra el archivo";
        Mensaje(texto);
        return;
    }
    if (!AbrirConSistema(ruta.toUtf8().toStdString()))
        Mensaje("No se pudo ejecutar la aplicación"_cp);
}

void TfrmMain::acercaDe() {
    if (!AboutBox) AboutBox = new TAboutBox(this);
    AboutBox->exec();
}

std::string TfrmMain::unirArgumentos(const std::vector<std::string>& argumentos) {
    std::string ruta;
    for (std::size_t i = 0; i < argumentos.size(); ++i) {
        if (i > 0) ruta += ' ';
        ruta += argumentos[i];
    }
    return ruta;
}

QString TfrmMain::rutaDeTitulo(const QString& titulo) {
    const qsizetype menor = titulo.indexOf('<');
    if (menor < 0) return {};
    return titulo.mid(menor + 1, titulo.size() - 1 - (menor + 1));
}

void TfrmMain::FormShow() {
    if (argumentos.empty()) return;
    const std::string ruta = unirArgumentos(argumentos);
    // A name that is not there is ignored without a word.
    if (ruta.empty() || !archivos().existe(ruta)) return;
    // The window keeps the file's full path, as "Abrir ..." gives it, so that
    // the caption says where the file is and opening it again finds the window.
    const QString completa = QFileInfo(QString::fromUtf8(ruta.c_str())).absoluteFilePath();
    // Opened once the frame is on screen: a large company shows the
    // progress of its reading over the frame, not over an empty screen.
    QTimer::singleShot(0, this, [this, ruta = completa.toUtf8().toStdString()] {
        crearCompania()->AbreEmpresa(ruta);
    });
}

void TfrmMain::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (mostrado_) return;
    mostrado_ = true;
    FormShow();
}

// Every company window is asked first, in order; only when all agree do they close.
void TfrmMain::closeEvent(QCloseEvent* e) {
    const auto hijos = companias();
    for (TChildWin* hijo : hijos) {
        if (!hijo->FormCloseQuery()) {
            e->ignore();
            return;
        }
    }
    for (TChildWin* hijo : hijos) hijo->cerrarConsultado();
    e->accept();
}

}  // namespace koral
