// The printed reports. Each comes in two forms:
// - Texto...: the lines of its print file (Windows-1252, '.' as decimal point),
//   for EscribirArchivoImpresion;
// - Dibujar...: its pages on a surface, with the user's decimal separator.
// The caller runs the print dialog, shows the busy pointer, chooses between
// file and paper and reports errors (ErrorArchivo, ErrorImpresion).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "document/UData.h"
#include "platform/Superficie.h"
#include "reports/Impresion.h"

namespace koral {

class TEscritorColumnas;

// Factor names as the reports print them, factor 1 first (Windows-1252).
inline constexpr std::array<const char*, kNumFactores> nombresFactor = {
    "CARGA MENTAL",          "AUTONOMIA TEMPORAL",
    "CONTENIDO DEL TRABAJO", "SUPERVISI\xD3N-PARTICIPACI\xD3N",
    "DEFINICI\xD3N DE ROL",  "INTER\xC9S POR EL TRABAJADOR",
    "RELACIONES PERSONALES"};

// Company report. PrepararInforme recomputes every group's means and every
// profile's figures; the caller runs it after the print dialog is accepted and
// before the file/paper choice.
void PrepararInforme(TKoral& empresa);
std::vector<std::string> TextoInforme(const TKoral& empresa);
void DibujarInforme(const TKoral& empresa, Superficie& s, char separador, TImpresora& impresora);

// Group listing; the page form keeps the previous job's title.
std::vector<std::string> TextoGrupos(const TKoral& empresa);
void DibujarGrupos(const TKoral& empresa, Superficie& s, TImpresora& impresora);

// One questionnaire's listing, with its stored scores; the page form keeps
// the previous job's title.
std::vector<std::string> TextoCuestionario(const TCuestionario& cuestionario);
void DibujarCuestionario(const TCuestionario& cuestionario, Superficie& s, char separador,
                         TImpresora& impresora);

// Profile report, from the statistics of the profile's last computation.
std::vector<std::string> TextoPerfil(const TPerfil& perfil);
void DibujarPerfil(const TPerfil& perfil, Superficie& s, char separador, TImpresora& impresora);
// Its item pages' content: the answers to the 75 items poured into the columns.
void EscribirDistribucion(TEscritorColumnas& columnas, const TPerfil& perfil, char separador);

// Blank questionnaire for respondents; it has no text form.
void DibujarCuestVacio(Superficie& s, TImpresora& impresora);

}  // namespace koral
