// The company file's reader and writer on bytes, for the document's own
// leerArchivo/guardarArchivo and for tools that work in memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "document/UData.h"
#include "platform/Archivos.h"

namespace koral {

// Writes the whole company file to `salida` (not finished). Throws ErrorArchivo.
void escribirEmpresa(const TKoral& doc, SalidaArchivo& salida);

// Reads a company file's bytes into `doc`, with every repair of the format,
// its notices going to doc.avisar. Throws ErrorArchivo on an unreadable
// number, leaving what was read, and LecturaCancelada when `progreso` says stop.
void leerEmpresa(TKoral& doc, std::string_view datos, const Progreso& progreso = {});
// The same, from a file read piece by piece.
void leerEmpresa(TKoral& doc, EntradaArchivo& entrada, const Progreso& progreso = {});

// The hash the reader gives questionnaire names, for tests that make names
// collide on purpose; null restores the usual one. Returns the previous one.
using HashNombre = std::uint64_t (*)(std::string_view nombre);
HashNombre cambiarHashNombres(HashNombre h);

// `archivo` with its extension (from the last point of the file name on)
// replaced by ".BAK", or ".BAK" appended when the name has none.
std::string nombreRespaldo(const std::string& archivo);

}  // namespace koral
