// The profile editor: which groups a profile covers, its name and texts, and
// its results: the assessment chart and the answer distribution.
#pragma once

#include <QDialog>
#include <QImage>
#include <memory>
#include <string>

#include "document/UData.h"
#include "ui/Editores.h"

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace koral {

struct TOrdenesExternas;

class TfrmPerfil : public QDialog {
    Q_OBJECT
public:
    explicit TfrmPerfil(QWidget* parent = nullptr);
    ~TfrmPerfil() override;

    // Opens the editor modally on p; true when it was closed by "Aceptar".
    bool editarPerfil(TKoral& doc, TPerfil& p);
    // The opening: lists, name, texts, a first computation, first page.
    // editarPerfil does this, then shows the window.
    void abrir(TKoral& doc, TPerfil& p);

    // The frame's operations; "Imprimir" prints through imprimirPerfil and
    // is disabled while there is none.
    const TOrdenesExternas* ordenes = nullptr;

    // The chart as last drawn.
    const QImage& imagen() const { return imagen_; }
    static constexpr int kAnchoGrafico = 337;
    static constexpr int kAltoGrafico = 245;

    QTabWidget* PageControl1;
    QLabel* Image1;
    QPlainTextEdit* mmDes;
    QLabel* Label3;  // "Descripción"
    QPlainTextEdit* mmDescripcion;
    QLabel* Label4;  // "Observaciones"
    QPlainTextEdit* mmObservaciones;
    QLabel* lblNSujetos;
    // Shown while the last computation counted so few subjects that their
    // answers could be recognised.
    QLabel* lblAnonimato;
    QLabel* Label5;
    QLineEdit* txtIdentificador;
    QPushButton* btnCalcular;
    QPushButton* btnAceptar;
    QPushButton* btnCancelar;
    QPushButton* Button5;
    QMenu* PopupMenu1;
    QAction* Copiar1;
    QAction* Imprimir1;
    QAction* GuardarImagen1;

    void btnCalcularClick();
    void btnAceptarClick();
    void btnCancelarClick();
    void Button5Click();
    void Copiar1Click();
    // Saves the chart as last drawn: PNG as it stands, or SVG drawn again.
    void GuardarImagen1Click();

    // A text box's content as a profile keeps it: Windows-1252, CR LF breaks.
    static std::string textoGuardado(const QPlainTextEdit* caja);

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    TKoral* doc_ = nullptr;
    TPerfil* perfil_ = nullptr;
    QImage imagen_;
    std::unique_ptr<TMiembros<TPerfil, TGrupo>> miembros_;
};

}  // namespace koral
