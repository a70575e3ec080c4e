// The frame window: a multiple-document frame holding one company window per
// open company, the menus that work without a company, and the open, save
// and print dialogs that the company windows borrow.
#pragma once

#include <QMainWindow>
#include <string>
#include <vector>

#include "platform/qt/DialogosArchivo.h"
#include "ui/UChild.h"

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;

namespace koral {

class TAboutBox;

// The program's title, the name it goes by on the desktop and in plain message boxes.
inline constexpr const char* kTituloPrograma = "ORVEN - QAR Factores Psicosociales 2.0";

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    TDialogoArchivo OpenDialog;
    TDialogoArchivo SaveDialog;
    TDialogoImpresion PrintDialog;
    TOrdenesExternas ordenes;

    // The about box of the run; created on first use when start-up did not.
    TAboutBox* AboutBox = nullptr;
    // The manual, looked for in the current folder, then beside the program.
    std::string ArchivoAyuda = "KORAL.chm";
    // The command line's arguments, as the system gave them; read on first show.
    std::vector<std::string> argumentos;

    // Also the company windows' "&Nuevo", "&Abrir ..." and "&Salir".
    void nuevaEmpresa();
    void abrirEmpresa();
    void salir();
    // Opens the company file the arguments name; run when the frame is first shown.
    void FormShow();

    // The open company windows in the frame's order (the order of creation).
    std::vector<TChildWin*> companias() const;
    TChildWin* companiaActiva() const;

    // The arguments joined with one blank: a path split at its blanks is whole again.
    static std::string unirArgumentos(const std::vector<std::string>& argumentos);
    // The file path a company window's caption names: from just after its
    // first '<' up to, not including, its last character.
    static QString rutaDeTitulo(const QString& titulo);

    // The menu bar for the active company window, or the frame's own menus.
    void actualizarMenus();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void imprimirVacio();  // the blank questionnaire
    void ponerEnMosaico();
    void ponerEnCascada();
    void abrirManual();
    void acercaDe();

    // A menu item that goes by `nombre`, as the controls do.
    QAction* crearOrden(QMenu* menu, const char* nombre, const char* texto,
                        void (TfrmMain::*manejador)());
    TChildWin* crearCompania();
    void llenarVentana();
    void actualizarOrdenes();

    void alActivarse(QMdiSubWindow* sub);

    QMdiArea* mdiArea;
    QMenu* mnuArchivo;
    QMenu* mnuVentana;
    QMenu* mnuAyuda;
    QAction* accNuevo;
    QAction* accAbrir;
    QAction* accImpVacio;
    QAction* accSalir;
    QAction* accMosaico;
    QAction* accCascada;
    QAction* accManual;
    QAction* accAcercaDe;

    QList<QAction*> listaVentanas_;
    // The company window last activated. The area reports no active window
    // whenever the frame itself loses the focus (a modal dialog, another
    // program), which must not take the company's menus away.
    QMdiSubWindow* activa_ = nullptr;
    bool mostrado_ = false;
};

}  // namespace koral
