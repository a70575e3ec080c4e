// The import window: imports earlier-version text files (and export files)
// into a company, keeping a log of what it did that can be printed.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "document/UData.h"
#include "platform/qt/DialogosArchivo.h"

class QPlainTextEdit;
class QPushButton;

namespace koral {

class TfrmPaso : public QDialog {
    Q_OBJECT
public:
    // `abrir` is the frame's open dialog, borrowed for each file choice;
    // `imprimir` prints the log's lines as plain lines.
    TfrmPaso(TDialogoArchivo& abrir, std::function<void(const std::vector<std::string>&)> imprimir,
             QWidget* parent = nullptr);

    // Runs the import on `doc` (not owned): shows the window modally and
    // goes straight to the file choice.
    void ImportaDatos(TKoral& doc);

    // The log's lines, Windows-1252.
    const std::vector<std::string>& lineas() const { return lineas_; }

protected:
    void showEvent(QShowEvent* e) override;

private:
    void importar();
    void ProcesaArchivo(const std::string& ruta);
    void Anota(const std::string& texto);  // Windows-1252
    void imprimirOperaciones();
    void salir();

    QPlainTextEdit* mmOperaciones;
    QPushButton* bImprimir;
    QPushButton* bPaso;
    QPushButton* bSalir;
    TDialogoArchivo& abrir_;
    std::function<void(const std::vector<std::string>&)> imprimir_;
    TKoral* doc_ = nullptr;
    std::vector<std::string> lineas_;
};

}  // namespace koral
