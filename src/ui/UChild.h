// The company window: one open company, its groups, questionnaires and
// profiles in three sorted lists, and every command on that company.
#pragma once

#include <QItemSelection>
#include <QPersistentModelIndex>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/UData.h"
#include "platform/Bloqueo.h"
#include "ui/ProgresoLargo.h"
#include "ui/Verificados.h"

class QAction;
class QIdentityProxyModel;
class QLabel;
class QListView;
class QMenu;
class QPushButton;
class QToolButton;

namespace koral {

class TfrmMain;
class TPanelCuestionarios;
class TPanelGrupos;
template <class T>
class TListaDe;

// What the company window asks of windows and reports built elsewhere (the
// editors, printing, export and import). A command whose entry is empty
// stays disabled.
struct TOrdenesExternas {
    std::function<bool(TKoral&, TCuestionario&)> editarCuestionario;  // true: confirmed
    // Double entry; true when confirmed, the answers then agreed on.
    std::function<bool(TKoral&, TCuestionario&)> verificarCuestionario;
    std::function<bool(TKoral&, TPerfil&)> editarPerfil;  // true: confirmed
    std::function<void(TKoral&, TGrupo&)> verGrupo;
    std::function<void(TKoral&)> importaDatos;
    std::function<void(TKoral&)> exportarDatos;
    std::function<void(TKoral&)> exportarPuntuaciones;
    std::function<void(TKoral&)> imprimirInforme;
    std::function<void(TKoral&)> imprimirGrupos;
    std::function<void(TCuestionario&)> imprimirCuestionario;
    std::function<void(TPerfil&)> imprimirPerfil;
    std::function<void()> imprimirCuestVacio;
    // Profiles side by side, in the list's order.
    std::function<void(TKoral&, const std::vector<TPerfil*>&)> compararPerfiles;
    std::function<void(TKoral&)> imprimirEvaluacion;
    // "Recoger en red ...": `guardar` is the window's Save (true when
    // written); `recibidas` runs as soon as answers are in the company.
    std::function<void(TKoral&, bool soloLectura, const std::function<bool()>& guardar,
                       const std::function<void()>& recibidas)>
        recogerEnRed;
};

class TChildWin : public QWidget {
    Q_OBJECT
public:
    explicit TChildWin(TfrmMain& frame, QWidget* parent = nullptr);
    ~TChildWin() override;

    // Set the window up on a new, empty company or on the company file at
    // `ruta` (UTF-8 path).
    void NuevaEmpresa();
    void AbreEmpresa(const std::string& ruta);

    // Asks about unsaved changes; true when the window may close.
    bool FormCloseQuery();
    // Closes without asking again: the frame has already had every company
    // window's answer.
    void cerrarConsultado();

    TKoral* documento() const { return doc_.get(); }
    // True once the window has closed (it is deleted a moment later).
    bool cerrada() const { return cerrada_; }
    // Opened while another program had it: saving asks for a new name.
    bool soloLectura() const { return soloLectura_; }

    // "&Archivo" and "&Informes", shown in the frame's menu bar while this window is active.
    QList<QMenu*> menus() const { return {mnuArchivo, mnuInformes}; }

    // What its list panels ask of the window.
    const TOrdenesExternas& ordenes() const;
    void refrescarTitulo();
    void refrescarCabeceras();
    // The company's profiles in the order their list shows them.
    std::vector<const TPerfil*> perfilesEnLista() const;
    // "Importar datos anteriores" and "Exportar datos", also on the
    // questionnaires' strip.
    void importarDatos();
    void exportarDatos();

    static constexpr int kAnchoMinimo = 612;
    static constexpr int kAltoInicial = 369;
    // A company file from this size on shows the progress of its opening at
    // once; a smaller one only if its reading is slow.
    static constexpr std::size_t kProgresoDesde = kArchivoGrande;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void crearMenus();
    template <class T>
    QWidget* crearColumna(QLabel*& titulo, QListView*& lista, TListaDe<T>*& modelo,
                          QWidget*& botones);
    // A menu item that goes by `nombre`, as the controls do.
    template <class R>
    QAction* crearOrden(QMenu* menu, const char* nombre, const char* texto, R* receptor,
                        void (R::*manejador)());
    QToolButton* crearBoton(QWidget* tira, int x, const char* nombre, const char* ayuda, int dibujo,
                            void (TChildWin::*manejador)());

    void recogerEnRed();
    void exportarPuntuaciones();
    void nuevoPerfil();
    void modificarPerfil();
    // The profile editor on the entry at `fila`; true when confirmed.
    bool editarPerfil(int fila);
    void borrarPerfil();
    void imprimirPerfil();
    void compararPerfiles();
    void imprimirEvaluacion();
    void imprimirInforme();
    void imprimirCuestionarioVacio();
    void guardarEmpresa();
    void guardarEmpresaComo();
    void renombrarEmpresa();
    void cerrar();
    void cerrarEmpresa();

    // Save and Save as: true when the company was written.
    bool guardar();
    bool guardarComo();
    static std::unique_ptr<TKoral> crearDocumento();
    void nuevoDocumento();
    // Reads the company at `ruta` into `doc` behind a progress dialog that
    // can stop it; throws as leerArchivo does.
    void leerConProgreso(TKoral& doc, const std::string& ruta);
    void aplicarAnchoMinimo();
    void refrescarTodo();
    // Takes the company's lock, asking when another program holds it;
    // false when the user chose not to open it.
    bool tomarBloqueo(const std::string& ruta);
    // Reads and writes the marks of double entry beside the company file;
    // a failure is told and ends nothing.
    void leerVerificados();
    void guardarVerificados();
    // Current entry of a list, or -1.
    static int filaActual(const QListView* lista);
    void hacerActual(QListView* lista, int fila);
    // What a cancelled new record's editor must find again: the identifier
    // counter, the modified mark and the list's selection.
    struct EstadoAntesDeNuevo {
        std::int32_t ultimoId;
        bool modificado;
        QPersistentModelIndex actual;
        QItemSelection seleccion;
    };
    EstadoAntesDeNuevo recordarAntesDeNuevo(QListView* lista) const;
    void volverAntesDeNuevo(QListView* lista, const EstadoAntesDeNuevo& antes);

    QMenu* mnuArchivo;
    QMenu* mnuInformes;
    QAction* ordenNuevo;
    QAction* ordenAbrir;
    QAction* ordenGuardar;
    QAction* ordenGuardarComo;
    QAction* ordenRenombrarEmpresa;
    QAction* ordenCerrar;
    QAction* ordenImportar;
    QAction* ordenRecoger;
    QAction* ordenCuestionarioVacio;
    QAction* ordenExportarDatos;
    QAction* ordenExportarPuntuaciones;
    QAction* ordenSalir;
    QAction* ordenImprimirInforme;
    QAction* ordenImprimirGrupos;
    QAction* ordenImprimirCuestionario;
    QAction* ordenImprimirPerfil;
    QAction* ordenCompararPerfiles;
    QAction* ordenEvaluacion;

    QLabel* lblPerfiles;
    QListView* lstPerfiles;
    QToolButton* btnNuevoPerfil;
    QToolButton* btnModificarPerfil;
    QToolButton* btnBorrarPerfil;
    QToolButton* btnImprimirPerfil;
    QToolButton* btnCompararPerfiles;

    TfrmMain& frame_;
    std::unique_ptr<TKoral> doc_;
    TPanelGrupos* grupos_;
    TPanelCuestionarios* cuestionarios_;
    TListaDe<TPerfil>* modeloPerfiles_;
    bool consultado_ = false;
    bool soloLectura_ = false;
    // The note beside the company file that this window has it open.
    std::unique_ptr<BloqueoEmpresa> bloqueo_;
    TVerificados verificados_;
    bool cerrada_ = false;
    // While a company file is read: closing the window stops the reading.
    bool leyendo_ = false;
    bool cancelarLectura_ = false;
};

}  // namespace koral
