// Writes the sample company: generar_muestra RUTA.kr2
#include <cstdio>

#include "document/UData.h"
#include "platform/Archivos.h"
#include "resources/Muestra.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "Uso: generar_muestra RUTA.kr2\n");
        return 2;
    }
    koral::TKoral doc;
    koral::generarMuestra(doc);
    doc.archivo = argv[1];
    try {
        doc.guardarArchivo();
    } catch (const koral::ErrorArchivo& e) {
        std::fprintf(stderr, "Error: %s\n", e.what());
        return 1;
    }
    return 0;
}
