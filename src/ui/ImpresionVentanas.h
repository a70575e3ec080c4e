// The frame's printing: the print dialog, the print-file name, the busy
// pointer, and each report's text form or pages on the chosen printer.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/DatosEvaluacion.h"
#include "document/UData.h"
#include "platform/qt/SuperficieQt.h"
#include "reports/Comparacion.h"
#include "reports/Evaluacion.h"
#include "reports/Impresion.h"
#include "reports/Tarjetas.h"

namespace koral {

class TfrmMain;

class TImpresionVentanas {
public:
    explicit TImpresionVentanas(TfrmMain& frame);
    ~TImpresionVentanas();

    // Fills the frame's printing hooks, so that the company windows' print
    // commands and "Imp. Vacio" work, and "Comparar perfiles", whose window
    // prints through here.
    void conectar();

    bool PedirImpresion();
    std::string PedirArchivoImpresion();  // empty when cancelled

    void ImprimirInforme(TKoral& empresa);
    void ImprimirGrupos(TKoral& empresa);
    void ImprimirCuestionario(TCuestionario& cuestionario);
    void ImprimirPerfil(TPerfil& perfil);
    void ImprimirCuestVacio();
    // A comparison as the window shows it; `leidos` are the other company
    // files it read, which no output may replace either.
    void ImprimirComparacion(const TComparacion& comparacion, const std::string& empresa,
                             const std::vector<std::string>& leidos = {});
    // The assessment report with the assessment's data, after asking
    // whether it brings the answer distribution of every profile and the
    // annex of questionnaires.
    void ImprimirEvaluacion(TKoral& empresa, const TDatosEvaluacion& datos);
    // "Plan de medidas": the measures of `datos`, the company's assessment data.
    void ImprimirMedidas(TKoral& empresa, const TDatosEvaluacion& datos);
    // A campaign's single-use code cards; true once they reached the printer
    // or file, false when cancelled or failed (told to the user).
    bool ImprimirTarjetas(const std::string& empresa, const std::string& url, const ModulosQR& qr,
                          const std::vector<std::string>& codigos);
    // Those questions: check boxes, unticked; nullopt when cancelled.
    std::optional<OpcionesEvaluacion> PedirOpcionesEvaluacion();

    // Plain lines (the import's log) on the printer last chosen, or the
    // system's default, without the print dialog; a machine without printers
    // is asked for a PDF file.
    void ImprimirLineas(const std::vector<std::string>& lineas);

    // Listing printer state, kept for the frame's lifetime.
    TImpresora impresora;

    // Tests replace where pages go; by default the chosen printer or PDF.
    std::function<std::unique_ptr<Superficie>()> crearSuperficie;

private:
    // The common course of a report command.
    // True when the report reached its printer or file.
    bool ejecutar(const std::function<void()>& preparar,
                  const std::function<std::vector<std::string>()>& texto,
                  const std::function<void(Superficie&)>& paginas);
    void paginas(const std::function<void(Superficie&)>& dibujar,
                 const std::function<std::unique_ptr<Superficie>()>& fabrica);
    std::unique_ptr<Superficie> superficieElegida();
    // Pages into the PDF file at `ruta`, replaced once the document is whole.
    std::unique_ptr<Superficie> superficiePdf(const std::string& ruta) const;
    // Refuses (ErrorArchivo) an output path that names an open company's file.
    void comprobarSalida(const std::string& ruta) const;
    char separador() const;
    // The name of the open company that holds `registro`; empty when none does.
    std::string empresaDe(const TRegistro& registro) const;

    TfrmMain& frame_;
    // Files read for the report being printed, besides the open companies.
    std::vector<std::string> leidos_;
    // What the printer keeps between jobs: font size, style and pen.
    SuperficieQt::Estado estado_;
};

}  // namespace koral
