// "Recoger en red ...": workers answer the questionnaire on their phones while
// this window is open, and each answer goes straight into the company file.
// Before starting: the campaign kept with the company to continue, or a new
// one with its group questions, code (or single-use codes), notice and
// network; then the address, its QR code and the answers counted per group
// as they arrive. The campaign is kept in the company's companion file.
#pragma once

#include <QDialog>
#include <QImage>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/Campana.h"
#include "document/UData.h"
#include "reports/Tarjetas.h"

class QByteArray;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QTableWidget;

namespace koral {

namespace red {
class TServidorRecogida;
struct Campana;
}  // namespace red

class TAcompanante;
class TfrmMain;
class TImpresionVentanas;
class TMemo;

class TfrmRecoger : public QDialog {
    Q_OBJECT
public:
    // Collects into `doc` (not owned), which must have its file: each answer
    // is saved into it. The campaign and the questionnaires collected are
    // kept in `acompanante`, the company's companion (not owned).
    TfrmRecoger(TKoral& doc, TAcompanante& acompanante, QWidget* parent = nullptr);
    ~TfrmRecoger() override;

    // Prints the single-use code cards for the address; true once printed.
    // Without it the codes cannot be printed.
    std::function<bool(const std::string& url, const std::vector<std::string>& codigos)>
        imprimirTarjetas;
    // Runs as soon as answers are in the company file.
    std::function<void()> alRecibir;
    // Writes the companion beside the company file, after it changed.
    std::function<void()> guardarAcompanante;
    // Tried first; when taken, one the system chooses (0: that at once).
    quint16 puertoPreferido = 8080;

    // The campaign's server while the window collects; null before.
    const red::TServidorRecogida* servidor() const { return servidor_.get(); }
    // The single-use codes made in this window, empty without them: only
    // their hashes are kept, so codes made on another day are not here.
    const std::vector<std::string>& codigos() const { return codigos_; }

    static constexpr int kPuntosQR = 7;  // pixels per module on screen

public slots:
    // Escape and the close box end the campaign as "Terminar" does.
    void reject() override;

private:
    QWidget* crearPreparacion();
    // The rows of the preparation page's grid: the groups offered, the
    // campaign's code or single-use codes, the network.
    void crearCampana(QWidget* w, QGridLayout* rejilla);
    void crearGrupos(QWidget* w, QGridLayout* rejilla);
    void crearAviso(QWidget* w, QGridLayout* rejilla);
    void crearCodigo(QWidget* w, QGridLayout* rejilla);
    void crearRed(QWidget* w, QGridLayout* rejilla);
    QWidget* crearRecogida();
    // The campaign's code and group questions, or a message and false.
    bool preparacionValida();
    void btnEmpezarClick();
    void btnImprimirCodigosClick();
    // Before starting: the codes made, their cards printed and the campaign
    // kept with them, so that the cards hold whenever it starts.
    void btnTarjetasClick();
    // The address the server will have: the network chosen, on the port of
    // the campaign's cards or a free one.
    QString direccionPrevista() const;
    // The port of the kept campaign's cards, else the usual one.
    quint16 puertoPrevisto() const;
    // The page of a campaign under way: its address, QR code, code (empty:
    // single-use codes) and the groups offered.
    void mostrarEnMarcha(const std::vector<std::string>& grupos, const QString& codigo);
    void mostrarGuardada();
    // Continuing a campaign already answered: its questions and notice stay.
    bool preguntasFijas() const;
    // The notice as written; empty when it is the default.
    std::string avisoEscrito() const;
    void marcarGrupos(bool marcados);
    // The group questions: the list of questions, and the groups' list
    // showing which groups the current one offers.
    void anadirPregunta();
    void renombrarPregunta();
    void quitarPregunta();
    bool pedirNombrePregunta(std::string& nombre, int excepto);
    void mostrarPregunta();
    void grupoCambiado(int fila);
    // Continue the kept campaign (its settings shown, not editable) or make a new one.
    void elegirCampana(bool continuar);
    // What the form tells workers when the assessor writes nothing else.
    red::Campana avisoPorDefecto() const;
    std::vector<std::string> gruposOfrecidos() const;
    // Sí when there is nothing to warn about or the assessor goes on.
    bool confirmarAvisos(const std::vector<std::string>& ofrecidos, bool soloEsteEquipo);
    void anotarRecibida(int id);
    void anotarCampana();
    void cerrarCampana();
    // Per offered group (or question and group): this session, the campaign.
    struct Cuenta {
        QString fila;
        int sesion, campana;
    };
    std::vector<Cuenta> cuentas() const;
    void refrescarCuenta();
    void guardadoFallido(const QString& mensaje);

    TKoral& doc_;
    TAcompanante& acompanante_;
    std::optional<TCampanaGuardada> guardada_;  // as found in the companion
    TCampanaGuardada campana_;                  // the one running
    std::vector<TPreguntaGrupos> preguntas_;    // being arranged
    bool llenando_ = false;
    std::map<std::string, int> sesion_;  // answers per group in this session
    std::vector<std::int32_t> nuevos_;   // ids stored, not yet in the companion
    QStackedWidget* paginas;
    // Before starting.
    QRadioButton* rbContinuar = nullptr;
    QRadioButton* rbNueva = nullptr;
    QListWidget* lstPreguntas;
    QPushButton* btnAnadirPregunta;
    QPushButton* btnRenombrarPregunta;
    QPushButton* btnQuitarPregunta;
    QLabel* lblGruposNota;
    QPushButton* btnTodos;
    QPushButton* btnNinguno;
    TMemo* txtAviso;
    QPushButton* btnCerrarGuardada;
    QListWidget* lstGrupos;
    QLineEdit* txtCodigo;
    QCheckBox* chkIndividuales;
    QSpinBox* spnIndividuales;
    QPushButton* btnTarjetas;
    QComboBox* cbRed;
    QLabel* lblRed;
    QPushButton* btnEmpezar;
    // While collecting.
    QLabel* lblDireccion;
    QLabel* imgQR;
    QLabel* lblCodigo;
    QLabel* lblGrupos;
    QLabel* lblRecibidas;
    QTableWidget* tblCuentas;
    QLabel* lblAviso;
    QPushButton* btnImprimirCodigos;
    QPushButton* btnTerminar;
    QPushButton* btnCerrarCampana;

    std::unique_ptr<red::TServidorRecogida> servidor_;
    std::vector<std::string> codigos_;
};

// The modules of the QR code of `texto` (byte mode, level M); none (side 0)
// when it cannot be encoded.
ModulosQR modulosQR(const QByteArray& texto);

// The QR code of `texto` (byte mode, level M) as black modules of `puntos`
// pixels on white, inside the four-module quiet zone; a null image when it
// cannot be encoded.
QImage imagenQR(const QByteArray& texto, int puntos);

// "Recoger en red ..." of the company window, whose companion is
// `acompanante` and `guardarAcompanante` writes it. A company never saved, or
// opened read only, is refused with a message; unsaved changes are saved
// first through `guardar` (the window's Save, true when written), after
// asking. Then the window, modally, over `padre`.
void RecogerEnRed(
    TKoral& doc, TAcompanante& acompanante, bool soloLectura, const std::function<bool()>& guardar,
    std::function<void()> guardarAcompanante, std::function<void()> alRecibir,
    std::function<bool(const std::string&, const std::vector<std::string>&)> imprimirTarjetas,
    QWidget* padre);

// Fills the frame's hook for "Recoger en red ..."; the code cards print
// through the print dialog, as the reports do.
void conectarRecoger(TfrmMain& frame, TImpresionVentanas& impresion);

}  // namespace koral
