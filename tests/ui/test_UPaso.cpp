// The import window and the export command, driven through the dialog seams.
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "Controles.h"
#include "exchange/Puntuaciones.h"
#include "platform/Texto.h"
#include "support/ArchivosMemoria.h"
#include "support/DialogosGuion.h"
#include "ui/DoblesVentanas.h"
#include "ui/Intercambio.h"
#include "ui/ProgresoLargo.h"
#include "ui/UMain.h"
#include "ui/UPaso.h"

using namespace koral;
using namespace koral::prueba;

class TestUPaso : public QObject {
    Q_OBJECT

    struct Montaje {
        Montaje() {
            abrir.filtro = "Archivos KORAL 2.0|*.kr2|Archivos texto|*.txt";
            abrir.nombreArchivo = "/d/empresa.kr2";
            fs.archivos["/d/a.txt"] = "\"Ana\",\"Taller\",1,2,3\r\nmal\r\n\"Ana\",1\r\n";
            fs.archivos["/d/b.txt"] = "\"Luis\",\"Taller\",4\r\n";
        }
        DialogosGuion dlg;
        EjecutorGuion ejecutor;
        EscritorioGuion escritorio;
        ArchivosMemoria fs;
        TDialogoArchivo abrir;
        std::vector<std::vector<std::string>> impresos;
        TKoral doc;
    };

private slots:
    void cancellingTheFirstChoiceClosesTheWindow() {
        Montaje m;
        TfrmPaso paso(m.abrir, nullptr);
        m.ejecutor.rutas.push_back(std::nullopt);
        paso.ImportaDatos(m.doc);  // returns: the window closed itself
        QCOMPARE(m.ejecutor.llamadas.size(), std::size_t(1));
        QCOMPARE(m.ejecutor.llamadas[0].dialogo.filtro, std::string("Archivos texto|*.txt"));
        QCOMPARE(m.ejecutor.llamadas[0].dialogo.nombreArchivo, std::string());
        QCOMPARE(m.abrir.filtro, std::string("Archivos KORAL 2.0|*.kr2|Archivos texto|*.txt"));
        QCOMPARE(m.abrir.nombreArchivo, std::string("/d/empresa.kr2"));
        QVERIFY(paso.lineas().empty());
    }

    void importsFileAfterFileAndKeepsOneLog() {
        Montaje m;
        TfrmPaso paso(m.abrir, [&](const std::vector<std::string>& l) { m.impresos.push_back(l); });
        QCOMPARE(paso.windowTitle(), QString("Paso de KORAL a KORAL 2.0"));
        m.ejecutor.rutas.push_back(std::string("/d/a.txt"));
        m.ejecutor.rutas.push_back(std::string("/d/b.txt"));
        m.ejecutor.rutas.push_back(std::string("/d/no.txt"));
        auto* bPaso = control<QPushButton>(paso, "bPaso");
        QTimer::singleShot(0, &paso, [&] {
            QTRY_COMPARE(paso.lineas().size(), std::size_t(4));
            QTest::mouseClick(bPaso, Qt::LeftButton);
            QCOMPARE(paso.lineas().size(), std::size_t(6));
            // A file that cannot be read: a message; the window and its log stay.
            QTest::mouseClick(bPaso, Qt::LeftButton);
            QCOMPARE(m.escritorio.cajas,
                     std::vector<std::string>{"No existe el archivo /d/no.txt"});
            QVERIFY(paso.isVisible());
            QCOMPARE(paso.lineas().size(), std::size_t(6));
            QTest::mouseClick(control<QPushButton>(paso, "bImprimir"), Qt::LeftButton);
            QTest::mouseClick(control<QPushButton>(paso, "bSalir"), Qt::LeftButton);
        });
        paso.ImportaDatos(m.doc);
        const std::vector<std::string> esperado = {"Procesando el archivo /d/a.txt",
                                                   "Error en l\xEDnea",
                                                   "Error en l\xEDnea. Cuestionario ya existe",
                                                   "Archivo /d/a.txt procesado",
                                                   "Procesando el archivo /d/b.txt",
                                                   "Archivo /d/b.txt procesado"};
        QCOMPARE(paso.lineas(), esperado);
        QCOMPARE(control<QPlainTextEdit>(paso, "Memo")->toPlainText().split('\n').size(), 6);
        QCOMPARE(m.impresos.size(), std::size_t(1));
        QCOMPARE(m.impresos[0], esperado);
        QCOMPARE(m.doc.cuestionarios.size(), std::size_t(2));
        QCOMPARE(m.doc.grupos.size(), std::size_t(1));  // "Taller" made once, then reused
        QCOMPARE(m.doc.grupos[0]->cuestionarios.size(), std::size_t(2));
    }

    // A large file shows its progress while it is imported, with no button:
    // half an import is no use.
    void aLargeFileShowsItsProgressWithoutCancel() {
        Montaje m;
        std::string grande;
        int n = 0;
        while (grande.size() <= kArchivoGrande)
            grande += "\"T" + std::to_string(n++) + "\",\"Taller\",1,2,3\r\n";
        m.fs.archivos["/d/g.txt"] = grande;
        m.ejecutor.rutas.push_back(std::string("/d/g.txt"));
        TfrmPaso paso(m.abrir, nullptr);
        bool visto = false;
        QTimer mirar;  // fires in the events the import lets through
        connect(&mirar, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == "dlgImportando" && w->isVisible()) {
                    visto = true;
                    QVERIFY(!w->findChild<QPushButton*>());
                    QVERIFY(w->isModal());
                    QTest::keyClick(w, Qt::Key_Escape);  // nor does Escape stop it
                    QVERIFY(w->isVisible());
                }
        });
        mirar.start(0);
        QTimer::singleShot(0, &paso, [&] {
            QTRY_COMPARE(paso.lineas().size(), std::size_t(2));
            paso.close();
        });
        paso.ImportaDatos(m.doc);
        QVERIFY(visto);
        QCOMPARE(m.doc.cuestionarios.size(), std::size_t(n));
    }

    void exportProposesTheTextNameAndGivesTheDialogBack() {
        Montaje m;
        TfrmMain frame;
        frame.SaveDialog.filtro = "Archivos KORAL 2.0|*.kr2|Cualquier archivo|*.*";
        frame.SaveDialog.extensionDefecto = "kr2";
        frame.SaveDialog.nombreArchivo = "/d/empresa.kr2";
        m.doc.archivo = "/d/talleres.kr2";
        m.doc.agregarCuestionario("C1");
        m.doc.modificado = false;
        m.ejecutor.rutas.push_back(std::string("/d/salida.txt"));
        Exportardatos(frame, m.doc);
        const TDialogoArchivo& usado = m.ejecutor.llamadas.at(0).dialogo;
        QCOMPARE(usado.nombreArchivo, std::string("/d/talleres.TXT"));
        QCOMPARE(usado.filtro, std::string("Archivos texto|*.txt"));
        QCOMPARE(usado.extensionDefecto, std::string("txt"));
        QCOMPARE(frame.SaveDialog.filtro,
                 std::string("Archivos KORAL 2.0|*.kr2|Cualquier archivo|*.*"));
        QCOMPARE(frame.SaveDialog.extensionDefecto, std::string("kr2"));
        QCOMPARE(frame.SaveDialog.nombreArchivo, std::string());
        QCOMPARE(m.fs.archivos.at("/d/salida.txt").substr(0, 7), std::string("\"C1\",0,"));
        QVERIFY(!m.doc.modificado);
    }

    void exportOfANeverSavedCompanyAndAFailure() {
        Montaje m;
        TfrmMain frame;
        m.ejecutor.rutas.push_back(std::nullopt);
        Exportardatos(frame, m.doc);
        QCOMPARE(m.ejecutor.llamadas.at(0).dialogo.nombreArchivo, std::string(".TXT"));
        m.fs.fallarAlCrear = true;
        m.ejecutor.rutas.push_back(std::string("/d/no.txt"));
        Exportardatos(frame, m.doc);
        QCOMPARE(m.escritorio.cajas.size(), std::size_t(1));
    }

    void scoresGoOutInTheFormTheFileTypeNames() {
        Montaje m;
        TfrmMain frame;
        m.doc.archivo = "/d/talleres.kr2";
        m.doc.agregarCuestionario("C1")->puntuaciones[0] = 2.5;
        m.ejecutor.rutas = {std::string("/d/es.csv"), std::string("/d/en.csv")};
        m.ejecutor.tipos = {1, 2};
        ExportarPuntuaciones(frame, m.doc);
        ExportarPuntuaciones(frame, m.doc);
        QCOMPARE(m.ejecutor.llamadas.at(0).dialogo.nombreArchivo, std::string("/d/talleres.csv"));
        QCOMPARE(m.fs.archivos.at("/d/es.csv"), puntuacionesCsv(m.doc, FormatoCsv{';', ','}));
        QCOMPARE(m.fs.archivos.at("/d/en.csv"), puntuacionesCsv(m.doc, FormatoCsv{',', '.'}));
        QVERIFY(m.fs.archivos.at("/d/es.csv").find("2,5") != std::string::npos);
        // A bare name takes the chosen type's extension; a name's own decides.
        m.ejecutor.rutas = {std::string("/d/spss"), std::string("/d/x.dta"),
                            std::string("/d/libro")};
        m.ejecutor.tipos = {3, 1, 5};
        for (int i = 0; i < 3; ++i) ExportarPuntuaciones(frame, m.doc);
        QCOMPARE(m.fs.archivos.at("/d/spss.sav").substr(0, 4), std::string("$FL2"));
        QCOMPARE(m.fs.archivos.at("/d/x.dta").substr(0, 11), std::string("<stata_dta>"));
        QCOMPARE(m.fs.archivos.at("/d/libro.xlsx").substr(0, 2), std::string("PK"));
        // The company's own file is never the output.
        m.ejecutor.rutas = {std::string("/d/talleres.kr2")};
        ExportarPuntuaciones(frame, m.doc);
        QCOMPARE(m.escritorio.cajas.size(), std::size_t(1));
        QVERIFY(!m.fs.archivos.count("/d/talleres.kr2"));
    }
};

QTEST_MAIN(TestUPaso)
#include "test_UPaso.moc"
