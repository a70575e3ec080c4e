// The company window: one open company shown in three list panels (its
// groups, questionnaires and profiles), and what ties them together: the
// document, its lock, saving and closing, and the menus.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/Acompanante.h"
#include "document/DatosEvaluacion.h"
#include "document/UData.h"
#include "platform/Bloqueo.h"
#include "ui/ProgresoLargo.h"
#include "ui/Verificados.h"

class QMenu;

namespace koral {

class TfrmMain;
class TPanelCuestionarios;
class TPanelGrupos;
class TPanelPerfiles;

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
    std::function<void(TKoral&, const TDatosEvaluacion&)> imprimirEvaluacion;
    // The action plan of the assessment data, printed and as CSV.
    std::function<void(TKoral&, const TDatosEvaluacion&)> imprimirMedidas;
    std::function<void(TKoral&, const TDatosEvaluacion&)> exportarMedidas;
    // "Recoger en red ...": `guardar` is the window's Save (true when
    // written); `recibidas` runs as soon as answers are in the company. The
    // campaign is kept in the company's companion, which
    // `guardarAcompanante` writes.
    std::function<void(
        TKoral&, TAcompanante&, bool soloLectura, const std::function<bool()>& guardar,
        const std::function<void()>& guardarAcompanante, const std::function<void()>& recibidas)>
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
    // What the company keeps beside its file (the assessment's data, ...).
    const TAcompanante& acompanante() const { return acompanante_; }
    TAcompanante& acompanante() { return acompanante_; }
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
    // "Datos de la evaluación ...", also on the groups' strip.
    void editarDatosEvaluacion();

    static constexpr int kAnchoMinimo = 612;
    static constexpr int kAltoInicial = 369;
    // A company file from this size on shows the progress of its opening at
    // once; a smaller one only if its reading is slow.
    static constexpr std::size_t kProgresoDesde = kArchivoGrande;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void crearMenuArchivo();
    void crearMenuInformes();
    // A menu item that goes by `nombre`, as the controls do; `activa`
    // false for a command whose window or report is not there.
    template <class R>
    void crearOrden(QMenu* menu, const char* nombre, const char* texto, R* receptor,
                    void (R::*manejador)(), bool activa = true);

    void recogerEnRed();
    void exportarPuntuaciones();
    void imprimirEvaluacion();
    void imprimirMedidas();
    void exportarMedidas();
    void imprimirInforme();
    void imprimirCuestionarioVacio();
    void guardarEmpresa();
    void guardarEmpresaComo();
    void renombrarEmpresa();
    void cerrar();
    // Saves what the closing window would lose and lets the company go.
    void cerrarEmpresa();

    // Save and Save as: true when the company was written.
    bool guardar();
    bool guardarComo();
    static std::unique_ptr<TKoral> crearDocumento();
    void nuevoDocumento();
    // Reads the company at `ruta` into `doc` behind a progress dialog that
    // can stop it; throws as leerArchivo does.
    void leerConProgreso(TKoral& doc, const std::string& ruta);
    // What is on view after a reading that failed part way.
    void mostrarLeidoHastaError(std::unique_ptr<TKoral> leido, const std::exception& e);
    void aplicarAnchoMinimo();
    void refrescarTodo();
    // Takes the company's lock, asking when another program holds it;
    // false when the user chose not to open it.
    bool tomarBloqueo(const std::string& ruta);
    // Reads the marks of double entry; a failure is told and ends nothing.
    void leerVerificados();
    // Writes the companion file, with the marks, after the company; a
    // failure is told and ends nothing, as the company is saved.
    void guardarAcompanante();

    QMenu* mnuArchivo;
    QMenu* mnuInformes;

    TfrmMain& frame_;
    std::unique_ptr<TKoral> doc_;
    TPanelGrupos* grupos_;
    TPanelCuestionarios* cuestionarios_;
    TPanelPerfiles* perfiles_;
    bool consultado_ = false;
    bool soloLectura_ = false;
    // The note beside the company file that this window has it open.
    std::unique_ptr<BloqueoEmpresa> bloqueo_;
    TVerificados verificados_;
    // What additions keep with the company, in its companion file.
    TAcompanante acompanante_;
    bool cerrada_ = false;
    // While a company file is read: closing the window stops the reading.
    bool leyendo_ = false;
    bool cancelarLectura_ = false;
};

}  // namespace koral
