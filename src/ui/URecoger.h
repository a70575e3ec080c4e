// "Recoger en red ...": workers answer the questionnaire on their phones while
// this window is open, and each answer goes straight into the company file.
// Before starting: the groups offered, the campaign code (or single-use
// codes) and the network; then the address, its QR code and the answers
// counted as they arrive.
#pragma once

#include <QDialog>
#include <QImage>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/UData.h"

class QByteArray;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;
class QStackedWidget;

namespace koral {

namespace red {
class TServidorRecogida;
}

class TfrmMain;
class TImpresionVentanas;

class TfrmRecoger : public QDialog {
    Q_OBJECT
public:
    // Collects into `doc` (not owned), which must have its file: each answer
    // is saved into it.
    explicit TfrmRecoger(TKoral& doc, QWidget* parent = nullptr);
    ~TfrmRecoger() override;

    // Prints the page of single-use codes as plain lines; without it
    // "Imprimir códigos" stays disabled.
    std::function<void(const std::vector<std::string>&)> imprimir;
    // Runs as soon as answers are in the company file.
    std::function<void()> alRecibir;
    // Tried first; when taken, one the system chooses (0: that at once).
    quint16 puertoPreferido = 8080;

    // The campaign's server while the window collects; null before.
    const red::TServidorRecogida* servidor() const { return servidor_.get(); }
    // The single-use codes handed out, empty without them.
    const std::vector<std::string>& codigos() const { return codigos_; }
    // The page of single-use codes to cut up: Windows-1252 lines.
    std::vector<std::string> paginaCodigos() const;

    static constexpr int kPuntosQR = 7;  // pixels per module on screen

public slots:
    // Escape and the close box end the campaign as "Terminar" does.
    void reject() override;

private:
    QWidget* crearPreparacion();
    // The rows of the preparation page's grid: the groups offered, the
    // campaign's code or single-use codes, the network.
    void crearGrupos(QWidget* w, QGridLayout* rejilla);
    void crearCodigo(QWidget* w, QGridLayout* rejilla);
    void crearRed(QWidget* w, QGridLayout* rejilla);
    QWidget* crearRecogida();
    void btnEmpezarClick();
    void btnImprimirCodigosClick();
    void marcarGrupos(bool marcados);
    void refrescarCuenta();
    void guardadoFallido(const QString& mensaje);

    TKoral& doc_;
    QStackedWidget* paginas;
    // Before starting.
    QListWidget* lstGrupos;
    QLineEdit* txtCodigo;
    QCheckBox* chkIndividuales;
    QSpinBox* spnIndividuales;
    QComboBox* cbRed;
    QLabel* lblRed;
    QPushButton* btnEmpezar;
    // While collecting.
    QLabel* lblDireccion;
    QLabel* imgQR;
    QLabel* lblCodigo;
    QLabel* lblGrupos;
    QLabel* lblRecibidas;
    QLabel* lblAviso;
    QPushButton* btnImprimirCodigos;
    QPushButton* btnTerminar;

    std::unique_ptr<red::TServidorRecogida> servidor_;
    std::vector<std::string> codigos_;
};

// The QR code of `texto` (byte mode, level M) as black modules of `puntos`
// pixels on white, inside the four-module quiet zone; a null image when it
// cannot be encoded.
QImage imagenQR(const QByteArray& texto, int puntos);

// "Recoger en red ..." of the company window. A company never saved, or
// opened read only, is refused with a message; unsaved changes are saved
// first through `guardar` (the window's Save, true when written), after
// asking. Then the window, modally, over `padre`.
void RecogerEnRed(TKoral& doc, bool soloLectura, const std::function<bool()>& guardar,
                  std::function<void()> alRecibir,
                  std::function<void(const std::vector<std::string>&)> imprimir, QWidget* padre);

// Fills the frame's hook for "Recoger en red ..."; the page of codes is
// printed as the import's log is.
void conectarRecoger(TfrmMain& frame, TImpresionVentanas& impresion);

}  // namespace koral
