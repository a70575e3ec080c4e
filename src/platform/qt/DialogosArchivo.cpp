#include "platform/qt/DialogosArchivo.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/qt/DispositivoSalida.h"
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

    // The system's printers, a PDF destination for a machine without any,
    // the paper, the copies and the print-to-file box that asks for the text
    // form. "Propiedades ..." opens the chosen printer's own page set-up.
    bool imprimir(TDialogoImpresion& d) override {
        QDialog dlg(QApplication::activeWindow());
        dlg.setWindowTitle("Imprimir");
        auto* impresoras = new QComboBox(&dlg);
        impresoras->setObjectName("impresoras");
        const QString predeterminada = QPrinterInfo::defaultPrinterName();
        for (const QString& n : QPrinterInfo::availablePrinterNames()) impresoras->addItem(n, n);
        impresoras->addItem(QString::fromUtf8("PDF (documento en archivo)"), QString(kDestinoPdf));
        int elegida = impresoras->findData(QString::fromUtf8(d.impresora));
        if (elegida < 0) elegida = impresoras->findData(predeterminada);
        impresoras->setCurrentIndex(elegida < 0 ? 0 : elegida);
        auto* propiedades = new QPushButton(QString::fromUtf8("Propiedades ..."), &dlg);
        auto* papel = new QComboBox(&dlg);
        papel->setObjectName("papel");
        auto* orientacion = new QComboBox(&dlg);
        orientacion->addItem("Vertical");
        orientacion->addItem("Horizontal");
        orientacion->setCurrentIndex(d.horizontal ? 1 : 0);
        auto* copias = new QSpinBox(&dlg);
        copias->setRange(1, 999);
        copias->setValue(std::max(1, d.copias));
        auto* archivo = new QCheckBox(QString::fromUtf8("Imprimir a archivo (texto .prn)"), &dlg);
        archivo->setChecked(d.aArchivo);
        archivo->setVisible(d.permitirArchivo);

        std::shared_ptr<QPrinter> ajustes = d.ajustes;
        const auto nombre = [impresoras] { return impresoras->currentData().toString(); };
        const auto elegirPapel = [papel](const QPageSize& tamano) {
            int i = papel->findData(tamano.key());
            if (i < 0) {
                papel->addItem(tamano.name(), tamano.key());
                i = papel->count() - 1;
            }
            papel->setCurrentIndex(i);
        };
        // The sizes the printer takes (A4 and Letter for a PDF), keeping the
        // one chosen when the printer has it, else the printer's own.
        const auto llenarPapeles = [&, papel](const QString& anterior) {
            papel->clear();
            QList<QPageSize> tamanos;
            QPageSize propio(QPageSize::A4);
            if (nombre() != kDestinoPdf) {
                const QPrinterInfo info = QPrinterInfo::printerInfo(nombre());
                tamanos = info.supportedPageSizes();
                if (info.defaultPageSize().isValid()) propio = info.defaultPageSize();
            }
            if (tamanos.isEmpty())
                for (const char* k : kPapelesPdf) tamanos << hojaPdf(k).pageSize();
            for (const QPageSize& t : tamanos) papel->addItem(t.name(), t.key());
            const int i = papel->findData(anterior);
            if (i >= 0)
                papel->setCurrentIndex(i);
            else
                elegirPapel(propio);
        };
        llenarPapeles(QString::fromUtf8(d.papel));
        propiedades->setEnabled(nombre() != kDestinoPdf);
        QObject::connect(impresoras, &QComboBox::currentIndexChanged, &dlg, [&] {
            llenarPapeles(papel->currentData().toString());
            propiedades->setEnabled(nombre() != kDestinoPdf);
        });
        QObject::connect(propiedades, &QPushButton::clicked, &dlg, [&] {
            if (!ajustes || ajustes->printerName() != nombre()) {
                ajustes = std::make_shared<QPrinter>(QPrinter::HighResolution);
                ajustes->setPrinterName(nombre());
            }
            const QPageLayout hoja = hojaPdf(papel->currentData().toString().toStdString(),
                                             orientacion->currentIndex() == 1);
            ajustes->setPageSize(hoja.pageSize());
            ajustes->setPageOrientation(hoja.orientation());
            QPageSetupDialog configurar(ajustes.get(), &dlg);
            if (configurar.exec() != QDialog::Accepted) return;
            elegirPapel(ajustes->pageLayout().pageSize());
            orientacion->setCurrentIndex(
                ajustes->pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0);
        });

        auto* botones = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
        botones->button(QDialogButtonBox::Ok)->setText("Aceptar");
        botones->button(QDialogButtonBox::Cancel)->setText("Cancelar");
        QObject::connect(botones, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
        QObject::connect(botones, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
        auto* fila = new QHBoxLayout;
        fila->addWidget(impresoras, 1);
        fila->addWidget(propiedades);
        auto* formulario = new QFormLayout;
        formulario->addRow("Impresora:", fila);
        formulario->addRow("Papel:", papel);
        formulario->addRow(QString::fromUtf8("Orientación:"), orientacion);
        formulario->addRow("Copias:", copias);
        auto* caja = new QVBoxLayout(&dlg);
        caja->addLayout(formulario);
        caja->addWidget(archivo);
        caja->addWidget(botones);
        if (dlg.exec() != QDialog::Accepted) return false;
        d.impresora = nombre().toUtf8().toStdString();
        d.papel = papel->currentData().toString().toStdString();
        d.horizontal = orientacion->currentIndex() == 1;
        d.ajustes = ajustes && ajustes->printerName() == nombre() ? ajustes : nullptr;
        d.copias = copias->value();
        d.aArchivo = d.permitirArchivo && archivo->isChecked();
        d.archivoPdf.clear();
        if (d.impresora == kDestinoPdf && !d.aArchivo) {
            TDialogoArchivo pdf = dialogoPdf();
            if (!mostrar(pdf, QFileDialog::AcceptSave)) return false;
            d.archivoPdf = pdf.nombreArchivo;
        }
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
        // The extension added to a bare name is the chosen type's, when the
        // type names one ("Imagen SVG (*.svg)"), so that the name matches
        // what is written.
        const auto sufijoDe = [extension](const QString& filtro) {
            static const QRegularExpression unico(QStringLiteral("\\(\\*\\.(\\w+)\\)$"));
            const auto m = unico.match(filtro);
            return m.hasMatch() ? m.captured(1) : extension;
        };
        QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg,
                         [&dlg, sufijoDe](const QString& f) { dlg.setDefaultSuffix(sufijoDe(f)); });
        if (d.indiceFiltro >= 1 && d.indiceFiltro <= filtros.size()) {
            dlg.selectNameFilter(filtros[d.indiceFiltro - 1]);
            dlg.setDefaultSuffix(sufijoDe(filtros[d.indiceFiltro - 1]));
        }
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

TDialogoArchivo dialogoPdf() {
    TDialogoArchivo pdf;
    pdf.titulo = "Guardar el documento PDF";
    pdf.filtro = "Documentos PDF|*.pdf";
    pdf.extensionDefecto = "pdf";
    pdf.preguntarReemplazo = true;
    return pdf;
}

EjecutorDialogos* instalarEjecutorDialogos(EjecutorDialogos* e) {
    EjecutorDialogos* anterior = gEjecutor;
    gEjecutor = e ? e : &gQt;
    return anterior;
}

EjecutorDialogos& ejecutorDialogos() {
    return *gEjecutor;
}

}  // namespace koral
