#include "platform/qt/DialogosArchivo.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/qt/TextoQt.h"

namespace koral {

namespace {

// "Archivos KORAL 2.0|*.kr2|Cualquier archivo|*.*" as Qt's name filters.
QStringList filtrosQt(const std::string& filtro) {
    const QStringList partes = aQString(filtro).split('|');
    QStringList filtros;
    for (qsizetype i = 0; i + 1 < partes.size(); i += 2) {
        QStringList patrones = partes[i + 1].split(';', Qt::SkipEmptyParts);
        // "*.*" would only match names holding a dot; the user meant any file.
        for (QString& p : patrones)
            if (p.trimmed() == "*.*") p = "*";
        filtros << partes[i] + " (" + patrones.join(' ') + ")";
    }
    return filtros;
}

class EjecutorQt : public EjecutorDialogos {
public:
    bool abrir(TDialogoArchivo& d) override { return mostrar(d, QFileDialog::AcceptOpen); }
    bool guardar(TDialogoArchivo& d) override { return mostrar(d, QFileDialog::AcceptSave); }

    bool imprimir(TDialogoImpresion& d) override {
        QPrinter impresora;
        impresora.setCopyCount(d.copias);
        QPrintDialog dlg(&impresora, QApplication::activeWindow());
        dlg.setOption(QAbstractPrintDialog::PrintToFile, d.permitirArchivo);
        if (dlg.exec() != QDialog::Accepted) return false;
        d.copias = impresora.copyCount();
        d.aArchivo = !impresora.outputFileName().isEmpty();
        d.impresora = impresora.printerName().toStdString();
        return true;
    }

private:
    bool mostrar(TDialogoArchivo& d, QFileDialog::AcceptMode modo) {
        QFileDialog dlg(QApplication::activeWindow(), aQString(d.titulo));
        dlg.setOption(QFileDialog::DontUseNativeDialog);
        dlg.setAcceptMode(modo);
        // A name that does not exist is the caller's to judge (it says so).
        dlg.setFileMode(QFileDialog::AnyFile);
        if (!d.preguntarReemplazo) dlg.setOption(QFileDialog::DontConfirmOverwrite);
        QString extension = QString::fromStdString(d.extensionDefecto);
        if (extension.startsWith('.')) extension.remove(0, 1);
        dlg.setDefaultSuffix(extension);
        const QStringList filtros = filtrosQt(d.filtro);
        dlg.setNameFilters(filtros);
        if (d.indiceFiltro >= 1 && d.indiceFiltro <= filtros.size())
            dlg.selectNameFilter(filtros[d.indiceFiltro - 1]);
        const QFileInfo propuesto(QString::fromUtf8(d.nombreArchivo));
        if (!d.nombreArchivo.empty()) {
            if (d.nombreArchivo.find('/') != std::string::npos)
                dlg.setDirectory(propuesto.absolutePath());
            dlg.selectFile(propuesto.fileName());
        }
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
        d.nombreArchivo = QDir::cleanPath(dlg.selectedFiles().first()).toUtf8().toStdString();
        d.indiceFiltro = static_cast<int>(filtros.indexOf(dlg.selectedNameFilter())) + 1;
        if (d.indiceFiltro < 1) d.indiceFiltro = 1;
        return true;
    }
};

EjecutorQt gQt;
EjecutorDialogos* gEjecutor = &gQt;

}  // namespace

EjecutorDialogos* instalarEjecutorDialogos(EjecutorDialogos* e) {
    EjecutorDialogos* anterior = gEjecutor;
    gEjecutor = e ? e : &gQt;
    return anterior;
}

EjecutorDialogos& ejecutorDialogos() {
    return *gEjecutor;
}

}  // namespace koral
