#include "exchange/Exportar.h"

#include "document/Acompanante.h"
#include "platform/Anticipar.h"
#include "platform/Archivos.h"

namespace koral {

std::string nombreExportacion(const std::string& archivo) {
    const auto barra = archivo.find_last_of('/');
    std::string nombre = barra == std::string::npos ? archivo : archivo.substr(barra + 1);
    const auto punto = nombre.find_last_of('.');
    if (punto != std::string::npos) nombre.resize(punto);
    return nombre + ".TXT";
}

void exportarDatos(const TKoral& doc, const std::string& ruta) {
    if (!doc.archivo.empty()) comprobarFueraDeEmpresa(ruta, doc.archivo);
    Reemplazo archivo(ruta);
    SalidaArchivo* salida = &archivo.salida();
    std::string buf;
    constexpr std::size_t kBloque = 1 << 20;
    buf.reserve(kBloque + 1024);
    const auto& lista = doc.cuestionarios;
    for (std::size_t n = 0; n < lista.size(); ++n) {
        anticiparEnLista(lista, n, [](const TCuestionario& q) { return q.grupos.data(); });
        const auto& q = lista[n];
        // Names go out exactly as stored: no escaping, as the import expects.
        buf += '"';
        buf += q->nombre;
        buf += '"';
        for (const TGrupo* g : q->grupos) {
            buf += ",\"";
            buf += g->nombre;
            buf += '"';
        }
        // ",a" for each answer, written in place: a character at a time
        // through the string cost a capacity check each.
        const std::size_t base = buf.size();
        buf.resize(base + 2 * q->respuestas.size());
        char* o = buf.data() + base;
        for (char c : q->respuestas) {
            *o++ = ',';
            *o++ = c;
        }
        buf += "\r\n";
        if (buf.size() >= kBloque) {
            salida->escribir(buf.data(), buf.size());
            buf.clear();
        }
    }
    if (!buf.empty()) salida->escribir(buf.data(), buf.size());
    archivo.confirmar();
}

}  // namespace koral
