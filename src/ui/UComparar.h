// "Comparar perfiles": several profiles side by side, on one chart and in one
// table, each against a reference profile; profiles of another company file
// (an earlier year's assessment) can join them.
#pragma once

#include <QDialog>
#include <QImage>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/UData.h"
#include "reports/Comparacion.h"

class QComboBox;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QScrollArea;
class QTableWidget;

namespace koral {

class TfrmComparar : public QDialog {
    Q_OBJECT
public:
    explicit TfrmComparar(QWidget* parent = nullptr);
    ~TfrmComparar() override;

    // Shows the window modally on `perfiles` of `doc`; the other companies
    // read meanwhile are released when it closes.
    void compararPerfiles(TKoral& doc, const std::vector<TPerfil*>& perfiles);
    // The opening that compararPerfiles does before showing: every profile
    // computed, the reference by default, chart and table filled.
    void abrir(TKoral& doc, const std::vector<TPerfil*>& perfiles);

    // The frame's printing of a comparison; "Imprimir" stays disabled
    // without it. `leidos` are the other company files read, which no
    // output may replace.
    std::function<void(const TComparacion&, const std::string& empresa,
                       const std::vector<std::string>& leidos)>
        imprimir;

    // The threshold of the company the window is opened from: profiles with
    // fewer respondents show no figures.
    int minimo = TDatosEvaluacion::kMinimoPorDefecto;

    const TComparacion& comparacion() const { return comparacion_; }
    // The chart as last drawn.
    const QImage& imagen() const { return imagen_; }
    static constexpr int kAnchoGrafico = 460;
    static constexpr int kAltoGrafico = 280;  // the legend's lines come on top

private:
    // The parts the constructor builds.
    QHBoxLayout* crearReferencia();
    QScrollArea* crearGrafico();  // as wide as the chart, scrolled down
    void crearTabla();            // the figures' rows, headed
    QHBoxLayout* crearBotones();

    void btnCalcularClick();
    void btnImprimirClick();
    void btnCopiarClick();
    void btnGuardarImagenClick();
    void btnAnadirClick();
    // The company of the file at ruta, read the first time only; nullptr,
    // the user told why, when it cannot be read or has no profiles.
    TKoral* otraEmpresa(const std::string& ruta);
    // The figures again for the reference chosen, and everything shown.
    void comparar();
    void dibujarGrafico();
    void llenarTabla();
    void soltar();

    QComboBox* cbReferencia;
    QLabel* imgGrafico;
    QTableWidget* tblCifras;
    QLabel* lblAnonimato;
    QPushButton* btnImprimir;

    TKoral* doc_ = nullptr;
    std::vector<TPerfilComparado> perfiles_;
    struct Calculo {
        TKoral* documento;  // the company the profile is computed on
        TPerfil* perfil;
    };
    std::vector<Calculo> calculos_;  // in the order of perfiles_
    // Other companies, read only: kept while their profiles are shown and
    // never written.
    std::vector<std::unique_ptr<TKoral>> otras_;
    std::vector<std::string> leidos_;  // their files, in the order of otras_
    TComparacion comparacion_;
    QImage imagen_;
};

}  // namespace koral
