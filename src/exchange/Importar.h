// The import of questionnaires kept as text lines: the earlier version's
// files and our own export files.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "document/UData.h"
#include "platform/Archivos.h"

namespace koral {

// One element of a line: a quoted text, one digit, or none.
struct Elemento {
    enum Tipo { Ninguno, Texto, Digito } tipo = Ninguno;
    std::string_view texto;  // the text's content, or the digit
};

// Takes the next element off `linea` at `pos`, after any run of blanks and
// commas. Finding none consumes nothing, so asking again gives none again.
Elemento LeeElemento(std::string_view linea, std::size_t& pos);

// The opening and the import of a file, for a caller that opens every file
// before it changes anything and then reads each a piece at a time, never
// holding a large file whole: the file opened (throws ErrorArchivo with the
// user's message), then its import between the log lines that name it (the
// log lines go through `anota`, Windows-1252). A failure while reading throws
// ErrorArchivo, with what was read so far imported. `avance`, if given, hears
// the bytes read so far and the file's size after every piece.
std::unique_ptr<EntradaArchivo> abrirParaImportar(const std::string& ruta);
void importarEntrada(TKoral& doc, const std::string& ruta, EntradaArchivo& entrada,
                     const std::function<void(const std::string&)>& anota,
                     const std::function<void(std::size_t leidos, std::size_t total)>& avance = {});

// Both for one file: a missing or unreadable file throws before anything is
// imported or logged.
void ProcesaArchivo(TKoral& doc, const std::string& ruta,
                    const std::function<void(const std::string&)>& anota,
                    const std::function<void(std::size_t leidos, std::size_t total)>& avance = {});

// The lines of an import file already in memory; logs only line errors.
void importarContenido(TKoral& doc, std::string_view datos,
                       const std::function<void(const std::string&)>& anota);

}  // namespace koral
