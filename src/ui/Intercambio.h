// The company window's export and import commands.
#pragma once

namespace koral {

class TfrmMain;
class TImpresionVentanas;
class TKoral;
struct TDatosEvaluacion;

// Writes the company's questionnaires to a text file the user names.
void Exportardatos(TfrmMain& frame, const TKoral& doc);

// Writes the questionnaires' scores as CSV to a file the user names; the
// file type chosen decides the form: Spanish (';' and ',') or international
// (',' and '.').
void ExportarPuntuaciones(TfrmMain& frame, const TKoral& doc);
// Writes the plan of `datos` as CSV, asked for in the same two forms.
void ExportarMedidas(TfrmMain& frame, const TKoral& doc, const TDatosEvaluacion& datos);

// Fills the frame's export and import hooks.
void conectarIntercambio(TfrmMain& frame, TImpresionVentanas& impresion);

}  // namespace koral
