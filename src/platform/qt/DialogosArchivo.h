// The open, save and print dialogs: objects that keep their state between
// uses, shown through one installed runner (Qt's dialogs in the program, a
// queued answer in tests). Callers that borrow one of the frame's dialogs do
// so through Prestado, which gives it back as it was found.
// Titles and filters are Windows-1252; paths are the file system's (UTF-8).
#pragma once

#include <memory>
#include <string>

class QPrinter;

namespace koral {

struct TDialogoArchivo {
    std::string titulo;
    // Pairs "description|pattern", joined with '|'; ';' separates patterns.
    std::string filtro;
    int indiceFiltro = 1;          // 1-based; the chosen one after a run
    std::string extensionDefecto;  // added to a typed name that has none
    std::string nombreArchivo;     // proposal in, chosen full path out
    bool preguntarReemplazo = false;
};

// The destination that prints into a PDF file, for a machine without printers.
inline constexpr const char* kDestinoPdf = "PDF";

struct TDialogoImpresion {
    bool permitirArchivo = true;  // offers "print to file" (the report's text form)
    bool aArchivo = false;
    int copias = 1;
    std::string impresora;     // chosen printer (UTF-8), or kDestinoPdf; after a run
    std::string archivoPdf;    // with kDestinoPdf and not aArchivo: the PDF's path
    std::string papel = "A4";  // Qt's page size key: "A4", "Letter", ...
    bool horizontal = false;
    // The chosen printer as its properties dialog left it (tray, duplex,
    // pages per sheet...), for every job until another printer is chosen;
    // null until those properties are opened.
    std::shared_ptr<QPrinter> ajustes;
};

// The paper sizes offered for PDF documents, A4 first.
inline constexpr const char* kPapelesPdf[] = {"A4", "Letter"};

// The save dialog that names a PDF file, asking before it replaces one.
TDialogoArchivo dialogoPdf();

class EjecutorDialogos {
public:
    virtual ~EjecutorDialogos() = default;
    // Each returns true when the user confirmed; the dialog then holds the answer.
    virtual bool abrir(TDialogoArchivo& d) = 0;
    virtual bool guardar(TDialogoArchivo& d) = 0;
    virtual bool imprimir(TDialogoImpresion& d) = 0;
};

// Installs `e` (not owned; null restores Qt's dialogs); returns the previous.
EjecutorDialogos* instalarEjecutorDialogos(EjecutorDialogos* e);
EjecutorDialogos& ejecutorDialogos();

// One dialog lent for one call: whatever the borrower changes is undone
// when the loan ends, so the next user finds the owner's settings.
template <typename T>
class Prestado {
public:
    explicit Prestado(T& dialogo) : dialogo_(dialogo), antes_(dialogo) {}
    ~Prestado() { dialogo_ = antes_; }
    Prestado(const Prestado&) = delete;
    Prestado& operator=(const Prestado&) = delete;
    T* operator->() { return &dialogo_; }
    T& operator*() { return dialogo_; }

private:
    T& dialogo_;
    T antes_;
};

}  // namespace koral
