#include "ui/Intercambio.h"

#include <optional>
#include <string>
#include <utility>

#include "exchange/Exportar.h"
#include "exchange/MedidasCsv.h"
#include "exchange/Puntuaciones.h"
#include "exchange/Tablas.h"
#include "platform/Archivos.h"
#include "platform/qt/DialogosArchivo.h"
#include "platform/qt/Escritorio.h"
#include "ui/CursorOcupado.h"
#include "ui/ImpresionVentanas.h"
#include "ui/UMain.h"
#include "ui/UPaso.h"
#include "ui/URecoger.h"

namespace koral {

namespace {

// Beside the company file, under its name with `extension`.
std::string junto(const TKoral& doc, const std::string& extension) {
    const auto barra = doc.archivo.find_last_of('/');
    const std::string carpeta = barra == std::string::npos ? "" : doc.archivo.substr(0, barra + 1);
    std::string nombre = nombreExportacion(doc.archivo);  // "NAME.TXT"
    return carpeta + nombre.substr(0, nombre.size() - 4) + extension;
}

}  // namespace

void Exportardatos(TfrmMain& frame, const TKoral& doc) {
    std::string ruta;
    {
        Prestado<TDialogoArchivo> dlg(frame.SaveDialog);
        dlg->nombreArchivo = junto(doc, ".TXT");
        dlg->filtro = "Archivos texto|*.txt";
        dlg->indiceFiltro = 1;
        // A name typed without extension is a text file, never a ".kr2" that
        // could replace a company file; and replacing any file is asked first.
        dlg->extensionDefecto = "txt";
        dlg->preguntarReemplazo = true;
        if (ejecutorDialogos().guardar(*dlg)) ruta = dlg->nombreArchivo;
    }
    frame.SaveDialog.nombreArchivo.clear();
    if (ruta.empty()) return;
    try {
        CursorOcupado ocupado;
        exportarDatos(doc, ruta);
    } catch (const ErrorArchivo& e) {
        CajaMensaje(kTituloPrograma, e.what());
    }
}

namespace {

struct Salida {
    std::string ruta;
    FormatoTabla tipo;
    FormatoCsv csv;  // ';' and ','
};

// The file and its format, asked for as the scores and the plan do: the
// name's own extension decides, else the file type chosen, whose extension
// a bare name takes. The CSV comes in two forms. nullopt when cancelled.
std::optional<Salida> pedirSalida(TfrmMain& frame, const TKoral& doc, const char* titulo,
                                  const char* sufijo, const std::string& que, bool estadisticos) {
    Prestado<TDialogoArchivo> dlg(frame.SaveDialog);
    dlg->titulo = titulo;
    dlg->nombreArchivo = junto(doc, sufijo);
    dlg->filtro = que + " CSV, forma espa\xF1ola (; y coma decimal)|*.csv|" + que +
                  " CSV, forma internacional (, y punto decimal)|*.csv|";
    if (estadisticos) dlg->filtro += que + " SPSS|*.sav|" + que + " Stata|*.dta|";
    dlg->filtro += que + " Excel|*.xlsx";
    dlg->indiceFiltro = 1;
    dlg->extensionDefecto = "csv";
    dlg->preguntarReemplazo = true;
    if (!ejecutorDialogos().guardar(*dlg)) return std::nullopt;
    // The types in the filter's order; the plan has no SPSS or Stata.
    static const std::pair<FormatoTabla, const char*> kTipos[] = {{FormatoTabla::Csv, ".csv"},
                                                                  {FormatoTabla::Csv, ".csv"},
                                                                  {FormatoTabla::Sav, ".sav"},
                                                                  {FormatoTabla::Dta, ".dta"},
                                                                  {FormatoTabla::Xlsx, ".xlsx"}};
    int i = dlg->indiceFiltro;
    if (!estadisticos && i == 3) i = 5;
    const auto& elegido = kTipos[i >= 1 && i <= 5 ? i - 1 : 0];
    Salida s{dlg->nombreArchivo, elegido.first, {}};
    if (dlg->indiceFiltro == 2) s.csv = FormatoCsv{',', '.'};
    const auto propio = formatoDeRuta(s.ruta);
    if (propio && (estadisticos || *propio == FormatoTabla::Csv || *propio == FormatoTabla::Xlsx)) {
        s.tipo = *propio;
    } else if (s.ruta.find('.', s.ruta.find_last_of('/') + 1) == std::string::npos) {
        s.ruta += elegido.second;
    }
    return s;
}

}  // namespace

void ExportarPuntuaciones(TfrmMain& frame, const TKoral& doc) {
    const auto salida =
        pedirSalida(frame, doc, "Exportar puntuaciones", ".csv", "Puntuaciones", true);
    if (!salida) return;
    try {
        CursorOcupado ocupado;
        escribirPuntuaciones(doc, salida->ruta, salida->tipo, salida->csv);
    } catch (const ErrorArchivo& e) {
        CajaMensaje(kTituloPrograma, e.what());
    }
}

void ExportarMedidas(TfrmMain& frame, const TKoral& doc, const TDatosEvaluacion& datos) {
    const auto salida =
        pedirSalida(frame, doc, "Plan de medidas en CSV", "_medidas.csv", "Plan de medidas", false);
    if (!salida) return;
    try {
        CursorOcupado ocupado;
        if (salida->tipo == FormatoTabla::Xlsx)
            escribirMedidasXlsx(doc, datos, salida->ruta);
        else
            escribirMedidasCsv(doc, datos, salida->ruta, salida->csv);
    } catch (const ErrorArchivo& e) {
        CajaMensaje(kTituloPrograma, e.what());
    }
}

void conectarIntercambio(TfrmMain& frame, TImpresionVentanas& impresion) {
    frame.ordenes.exportarDatos = [&frame](TKoral& doc) { Exportardatos(frame, doc); };
    frame.ordenes.exportarPuntuaciones = [&frame](TKoral& doc) {
        ExportarPuntuaciones(frame, doc);
    };
    frame.ordenes.exportarMedidas = [&frame](TKoral& doc, const TDatosEvaluacion& datos) {
        ExportarMedidas(frame, doc, datos);
    };
    frame.ordenes.importaDatos = [&frame, &impresion](TKoral& doc) {
        // One window per import, released when it closes.
        TfrmPaso paso(
            frame.OpenDialog,
            [&impresion](const std::vector<std::string>& l) { impresion.ImprimirLineas(l); },
            &frame);
        paso.ImportaDatos(doc);
    };
    conectarRecoger(frame, impresion);
}

}  // namespace koral
