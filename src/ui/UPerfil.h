// The profile editor: which groups a profile covers, its name and texts, and
// its results: the assessment chart and the answer distribution.
#pragma once

#include <QDialog>
#include <QImage>
#include <memory>

#include "document/UData.h"
#include "ui/Editores.h"

class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
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

    // "Cancelar" and the close box: the profile's selection, its statistics
    // and the company's modified mark go back to how the opening left them.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    void btnCalcularClick();
    void btnAceptarClick();
    void btnCancelarClick();
    void imprimir();  // "Imprimir"
    void copiarGrafico();
    // Saves the chart as last drawn: PNG as it stands, or SVG drawn again.
    void guardarGrafico();
    void refrescarSeleccion();

    // The controls the editor uses after building itself; their object
    // names, which tests and the written description use, are set where
    // they are made.
    QTabWidget* paginas;
    QLabel* imgGrafico;
    QPlainTextEdit* mmDes;
    QPlainTextEdit* mmDescripcion;
    QPlainTextEdit* mmObservaciones;
    QLabel* lblNSujetos;
    // Shown while the last computation counted so few subjects that their
    // answers could be recognised.
    QLabel* lblAnonimato;
    // Shown while the profile selects no group: it then counts everyone.
    QLabel* lblTodaLaEmpresa;
    QLineEdit* txtIdentificador;
    QPushButton* btnImprimir;
    QAction* accImprimir;

    TKoral* doc_ = nullptr;
    TPerfil* perfil_ = nullptr;
    QImage imagen_;
    std::unique_ptr<TMiembros<TPerfil, TGrupo>> miembros_;

    // What a cancelled editor puts back.
    struct Estado {
        std::vector<TGrupo*> grupos;
        std::int32_t nSujetos = 0;
        decltype(TPerfil::frecuencias) frecuencias{};
        decltype(TPerfil::sumaPuntuaciones) sumaPuntuaciones{};
        decltype(TPerfil::bandas) bandas{};
        bool modificado = false;
    } alAbrir_;
};

}  // namespace koral
