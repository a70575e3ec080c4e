#include "exchange/MedidasCsv.h"

#include "document/Acompanante.h"
#include "exchange/Csv.h"
#include "platform/Archivos.h"
#include "platform/Fecha.h"
#include "platform/Texto.h"

namespace koral {

std::string medidasCsv(const TKoral&, const TDatosEvaluacion& datos, const FormatoCsv& formato) {
    std::string s(kMarcaUtf8);
    FilaCsv fila(s, formato);
    for (const char* t : {"Factores", "Perfiles", "Medida", "Prioridad", "Responsable", "Recursos",
                          "Inicio", "Fin", "Estado", "Fecha de realización", "Seguimiento"})
        fila.campo(t);
    fila.fin();
    for (const TMedida* m : medidasOrdenadas(datos)) {
        std::string factores;
        for (int f : m->factores) {
            if (f < 1 || f > kNumFactores) continue;  // a hand-edited file
            if (!factores.empty()) factores += '|';
            factores += kNombresFactorCsv[f - 1];
        }
        fila.campo(factores);
        std::string perfiles;
        for (const auto& p : m->perfiles) {
            if (!perfiles.empty()) perfiles += '|';
            perfiles += p;
        }
        fila.campoCp1252(perfiles);
        fila.campoCp1252(m->medida);
        fila.campo(textoPrioridad(m->prioridad));
        fila.campoCp1252(m->responsable);
        fila.campoCp1252(m->recursos);
        fila.campo(fechaIso(m->inicio));
        fila.campo(fechaIso(m->fin));
        fila.campo(cp1252AUtf8(textoEstado(m->estado)));
        fila.campo(m->estado == EstadoMedida::Hecha ? fechaIso(m->hecha) : std::string());
        fila.campoCp1252(m->seguimiento);
        fila.fin();
    }
    return s;
}

void escribirMedidasCsv(const TKoral& doc, const TDatosEvaluacion& datos, const std::string& ruta,
                        const FormatoCsv& formato) {
    if (!doc.archivo.empty()) {
        comprobarFueraDeEmpresa(ruta, doc.archivo);
    }
    const std::string csv = medidasCsv(doc, datos, formato);
    Reemplazo archivo(ruta);
    archivo.salida().escribir(csv.data(), csv.size());
    archivo.confirmar();
}

}  // namespace koral
