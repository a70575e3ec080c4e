#include "ui/UPaso.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include "exchange/Importar.h"
#include "platform/Archivos.h"
#include "platform/qt/Escritorio.h"
#include "platform/qt/TextoQt.h"
#include "ui/CursorOcupado.h"
#include "ui/ProgresoLargo.h"

namespace koral {

TfrmPaso::TfrmPaso(TDialogoArchivo& abrir,
                   std::function<void(const std::vector<std::string>&)> imprimir, QWidget* parent)
    : QDialog(parent), abrir_(abrir), imprimir_(std::move(imprimir)) {
    setObjectName("frmPaso");
    setWindowTitle("Paso de KORAL a KORAL 2.0");
    setFixedSize(487, 243);
    mmOperaciones = new QPlainTextEdit(this);
    mmOperaciones->setObjectName("Memo");
    mmOperaciones->setGeometry(0, 0, 487, 169);
    mmOperaciones->setReadOnly(true);
    mmOperaciones->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmOperaciones->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmOperaciones->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    bImprimir = new QPushButton("Imp. Operaciones", this);
    bImprimir->setObjectName("bImprimir");
    bImprimir->setGeometry(40, 192, 121, 25);
    bPaso = new QPushButton("Importar", this);
    bPaso->setObjectName("bPaso");
    bPaso->setGeometry(183, 192, 121, 25);
    bSalir = new QPushButton("Salir", this);
    bSalir->setObjectName("bSalir");
    bSalir->setGeometry(326, 192, 121, 25);
    connect(bImprimir, &QPushButton::clicked, this, &TfrmPaso::imprimirOperaciones);
    connect(bPaso, &QPushButton::clicked, this, &TfrmPaso::importar);
    connect(bSalir, &QPushButton::clicked, this, &TfrmPaso::salir);
}

void TfrmPaso::ImportaDatos(TKoral& doc) {
    lineas_.clear();
    mmOperaciones->clear();
    doc_ = &doc;
    exec();
    doc_ = nullptr;
}

void TfrmPaso::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Straight to the file choice once the window is up.
    QTimer::singleShot(0, this, &TfrmPaso::importar);
}

void TfrmPaso::importar() {
    std::string ruta;
    {
        Prestado<TDialogoArchivo> dlg(abrir_);
        dlg->nombreArchivo.clear();
        dlg->filtro = "Archivos texto|*.txt";
        dlg->indiceFiltro = 1;
        if (ejecutorDialogos().abrir(*dlg)) ruta = dlg->nombreArchivo;
    }
    if (ruta.empty()) {
        close();
        return;
    }
    ProcesaArchivo(ruta);
}

void TfrmPaso::ProcesaArchivo(const std::string& ruta) {
    if (!doc_) return;
    std::string error;
    {
        CursorOcupado ocupado;
        try {
            // Read a piece at a time, a large file is never held whole; its
            // progress shows, with no button: half an import is no use.
            ProgresoLargo progreso("Importando", ruta, "dlgImportando", false, this);
            koral::ProcesaArchivo(
                *doc_, ruta, [this](const std::string& l) { Anota(l); },
                [&progreso](std::size_t leidos, std::size_t total) {
                    progreso.avance(leidos, total);
                });
        } catch (const ErrorArchivo& e) {
            error = e.what();
        }
    }
    // What was imported before a failure stays; the log shows it.
    if (!error.empty()) CajaMensaje("Paso de KORAL a KORAL 2.0", error);
}

void TfrmPaso::Anota(const std::string& texto) {
    lineas_.push_back(texto);
    mmOperaciones->appendPlainText(aQString(texto));
}

void TfrmPaso::imprimirOperaciones() {
    if (imprimir_) imprimir_(lineas_);
}

void TfrmPaso::salir() {
    close();
}

}  // namespace koral
