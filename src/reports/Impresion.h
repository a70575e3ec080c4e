// What every printed report shares: the frame's printing state (the listing
// printer and the last job title), the print-file writer, and the failure
// raised when a page is too small for a report's layout.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Superficie.h"

namespace koral {

// A report that cannot be laid out on the chosen page. The message is
// Windows-1252, ready for the user. Raised before anything is drawn.
class ErrorImpresion : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The printing state the frame window keeps for as long as it lives: the
// listing printer's fields and the print queue's job title. Reports without a
// title of their own print under the previous job's title, so it is kept here.
class TImpresora {
public:
    // Listing printer. All in device units.
    int yListado = 0;       // top of the next line
    int xListado = 0;       // x of the last line drawn
    int altoLinea = 0;      // line height
    int unidadSangria = 0;  // indent unit per level; nothing sets it
    int limiteListado = 0;  // bottom limit for a line's top

    std::string tituloTrabajo;  // Windows-1252; empty before the first titled job
    // The next document's own title (Windows-1252): the heading the report
    // prints and its company, for a PDF's Title; each report sets it, and
    // starting the document uses it up. Empty: the job title.
    std::string tituloDocumento;
    // The company of the record a report prints (a questionnaire, a profile),
    // which the record does not know; set by whoever asks for the report,
    // used up with tituloDocumento.
    std::string empresa;

    // Starts a document on `s` under tituloTrabajo, titled tituloDocumento.
    void EmpezarDocumento(Superficie& s);

    // Measures the line, starts the document; throws ErrorImpresion (before
    // starting) when not even one line fits between 100 and PH - 20.
    void EmpezarListado(Superficie& s);
    void ImprimirLinea(const std::string& texto, double nivel);
    // Moves yListado down a line; past limiteListado, the next line starts
    // a new page.
    void AvanzarLinea();
    void NuevaPagina();
    void TerminarListado();

private:
    Superficie& superficie();
    Superficie* superficie_ = nullptr;  // between EmpezarListado and TerminarListado
};

// Writes a report's text form to the print file at `ruta`, replaced as a
// whole: every line followed by CR LF. Throws ErrorArchivo, leaving the file
// at `ruta` as it was.
void EscribirArchivoImpresion(const std::string& ruta, const std::vector<std::string>& lineas);

// A document's title: a report's heading and, when there is one, its company.
std::string tituloConEmpresa(const std::string& titulo, const std::string& empresa);

// The message of ErrorImpresion for a page too small for a report.
std::string mensajePaginaPequena();

}  // namespace koral
