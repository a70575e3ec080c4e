// The frame's printing commands, driven through the dialog seams, with pages
// going to a recording surface.
#include <QApplication>
#include <QCheckBox>
#include <QtTest>
#include <algorithm>

#include "document/ArchivoEmpresa.h"
#include "method/Perfil.h"
#include "method/Puntuacion.h"
#include "platform/Texto.h"
#include "platform/qt/SuperficieQt.h"
#include "support/ArchivosMemoria.h"
#include "support/DialogosGuion.h"
#include "support/SuperficieGrabadora.h"
#include "ui/DoblesVentanas.h"
#include "ui/ImpresionVentanas.h"
#include "ui/UMain.h"

using namespace koral;
using namespace koral::prueba;

namespace {

// A surface the test keeps after the report is done with it.
class Prestada : public Superficie {
public:
    explicit Prestada(SuperficieGrabadora& s) : s_(s) {}
    int ancho() const override { return s_.ancho(); }
    int alto() const override { return s_.alto(); }
    void fuente(int p, Estilo e) override { s_.fuente(p, e); }
    int puntosFuente() const override { return s_.puntosFuente(); }
    Estilo estiloFuente() const override { return s_.estiloFuente(); }
    void colorTexto(Color c) override { s_.colorTexto(c); }
    void pluma(Color c, int g) override { s_.pluma(c, g); }
    void texto(int x, int y, const std::string& t) override { s_.texto(x, y, t); }
    int anchoTexto(const std::string& t) override { return s_.anchoTexto(t); }
    int altoTexto(const std::string& t) override { return s_.altoTexto(t); }
    void linea(int a, int b, int c, int d) override { s_.linea(a, b, c, d); }
    void rectangulo(int a, int b, int c, int d) override { s_.rectangulo(a, b, c, d); }
    void rellenar(int a, int b, int c, int d, Color k) override { s_.rellenar(a, b, c, d, k); }
    void polilinea(const std::vector<Punto>& p) override { s_.polilinea(p); }
    void empezarDocumento(const std::string& t) override { s_.empezarDocumento(t); }
    void nuevaPagina() override { s_.nuevaPagina(); }
    void terminarDocumento() override { s_.terminarDocumento(); }

private:
    SuperficieGrabadora& s_;
};

}  // namespace

class TestImpresionVentanas : public QObject {
    Q_OBJECT

    struct Montaje {
        Montaje() : impresion(frame), hoja(4800, 6600) {
            impresion.crearSuperficie = [this] { return std::make_unique<Prestada>(hoja); };
            impresion.conectar();
            frame.SaveDialog.filtro = "Archivos KORAL 2.0|*.kr2|Cualquier archivo|*.*";
            frame.SaveDialog.extensionDefecto = "kr2";
            TGrupo* g = doc.agregarGrupo("Taller");
            TCuestionario* q = doc.agregarCuestionario("C000001");
            q->respuestas.fill('1');
            enlazar(*q, *g);
            doc.agregarPerfil("Todos");
        }
        DialogosGuion dlg;
        EjecutorGuion ejecutor;
        EscritorioGuion escritorio;
        ArchivosMemoria fs;
        TfrmMain frame;
        TImpresionVentanas impresion;
        SuperficieGrabadora hoja;
        TKoral doc;
    };

private slots:
    void cancelledPrintDialogDoesNothing() {
        Montaje m;
        m.frame.PrintDialog.aArchivo = true;  // left ticked by an earlier run
        m.ejecutor.aArchivo.push_back(std::nullopt);
        m.frame.ordenes.imprimirInforme(m.doc);
        QCOMPARE(m.ejecutor.impresiones.size(), std::size_t(1));
        QVERIFY(!m.ejecutor.impresiones[0].aArchivo);  // unticked before showing
        QCOMPARE(m.ejecutor.impresiones[0].copias, 1);
        QVERIFY(m.hoja.llamadas.empty());
        QVERIFY(m.ejecutor.llamadas.empty());
        QCOMPARE(m.doc.grupos[0]->medias[0], 0.0);  // no preparation either
    }

    void printFileIsAskedWithItsFilterAndTheDialogGivenBack() {
        Montaje m;
        m.ejecutor.aArchivo.push_back(true);
        m.ejecutor.rutas.push_back(std::string("/d/grupos.prn"));
        m.frame.ordenes.imprimirGrupos(m.doc);
        QCOMPARE(m.ejecutor.llamadas.size(), std::size_t(1));
        const TDialogoArchivo& usado = m.ejecutor.llamadas[0].dialogo;
        QCOMPARE(usado.filtro, std::string("Archivos impresi\xF3n|*.prn"));
        QVERIFY(usado.preguntarReemplazo);
        QCOMPARE(m.frame.SaveDialog.filtro,
                 std::string("Archivos KORAL 2.0|*.kr2|Cualquier archivo|*.*"));
        QCOMPARE(m.frame.SaveDialog.extensionDefecto, std::string("kr2"));
        QVERIFY(!m.frame.SaveDialog.preguntarReemplazo);
        QCOMPARE(m.fs.archivos.at("/d/grupos.prn"),
                 std::string("Archivo de \r\nGrupos:\r\n  Taller\r\n"));
        QVERIFY(m.hoja.llamadas.empty());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void companyReportPreparesEvenWhenTheFileIsNotChosen() {
        Montaje m;
        m.ejecutor.aArchivo.push_back(true);
        m.ejecutor.rutas.push_back(std::nullopt);
        m.frame.ordenes.imprimirInforme(m.doc);
        QCOMPARE(m.doc.grupos[0]->medias[0], 6.9);  // the member scored again
        QVERIFY(m.fs.archivos.empty());
    }

    void pagesGoToThePrinterUnderTheJobTitle() {
        Montaje m;
        m.ejecutor.aArchivo.push_back(false);
        m.frame.ordenes.imprimirInforme(m.doc);
        QVERIFY(!m.hoja.llamadas.empty());
        QCOMPARE(m.hoja.llamadas.front(), std::string("documento \"Imp. Archivo\""));
        QCOMPARE(m.hoja.llamadas.back(), std::string("fin"));
        // The group listing has no title of its own: it keeps the last one.
        m.hoja.llamadas.clear();
        m.ejecutor.aArchivo.push_back(false);
        m.frame.ordenes.imprimirGrupos(m.doc);
        QCOMPARE(m.hoja.llamadas.front(), std::string("documento \"Imp. Archivo\""));
    }

    void blankFormWithPrintToFileDoesNothingAndAsksNothing() {
        Montaje m;
        m.ejecutor.aArchivo.push_back(true);
        m.frame.ordenes.imprimirCuestVacio();
        QVERIFY(m.ejecutor.llamadas.empty());
        QVERIFY(m.hoja.llamadas.empty());
        m.ejecutor.aArchivo.push_back(false);
        m.frame.ordenes.imprimirCuestVacio();
        QCOMPARE(m.hoja.llamadas.front(), std::string("documento \"Imp. Cuestionarios\""));
    }

    void failedPrintFileIsShownAndThePointerComesBack() {
        Montaje m;
        m.fs.fallarAlCrear = true;
        m.ejecutor.aArchivo.push_back(true);
        m.ejecutor.rutas.push_back(std::string("/d/x.prn"));
        m.frame.ordenes.imprimirCuestionario(*m.doc.cuestionarios[0]);
        QCOMPARE(m.escritorio.cajas.size(), std::size_t(1));
        QVERIFY(m.escritorio.cajas[0].find("Permission denied") != std::string::npos);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void profileTextFormIsOneLine() {
        Montaje m;
        m.ejecutor.aArchivo.push_back(true);
        m.ejecutor.rutas.push_back(std::string("/d/p.prn"));
        m.frame.ordenes.imprimirPerfil(*m.doc.perfiles[0]);
        QCOMPARE(m.fs.archivos.at("/d/p.prn"), std::string("Perfil Todos\r\n"));
    }

    void penStyleAndSizeStayWithThePrinterFromJobToJob() {
        Montaje m;
        // A printer page as an image: what each job finds when it starts.
        std::vector<int> grosores;
        QImage imagen(1240, 1754, QImage::Format_RGB32);
        struct Pagina : SuperficieQt {
            Pagina(QImage& i, std::vector<int>& g)
                : SuperficieQt(i, "Liberation Sans"), grosores(g) {}
            void empezarDocumento(const std::string& t) override {
                grosores.push_back(estado().pluma.width());
                SuperficieQt::empezarDocumento(t);
            }
            std::vector<int>& grosores;
        };
        m.impresion.crearSuperficie = [&] { return std::make_unique<Pagina>(imagen, grosores); };
        m.ejecutor.aArchivo = {false, false, false};
        m.frame.ordenes.imprimirGrupos(m.doc);  // a new printer: pen 1
        m.frame.ordenes.imprimirCuestVacio();   // sets a pen 2 units wide before it starts
        m.frame.ordenes.imprimirGrupos(m.doc);  // finds the pen the form left
        QCOMPARE(grosores, (std::vector<int>{1, 2, 2}));
    }

    void pdfReplacesItsFileOnlyOnceWhole() {
        Montaje m;
        m.impresion.crearSuperficie = nullptr;  // the real PDF pages
        m.frame.PrintDialog.impresora = kDestinoPdf;
        m.frame.PrintDialog.archivoPdf = "/d/x.pdf";
        m.fs.archivos["/d/x.pdf"] = "viejo";
        m.fs.fallarTrasBytes = 2000;  // a disk that fills up half-way
        m.ejecutor.aArchivo = {false, false};
        m.frame.ordenes.imprimirGrupos(m.doc);
        QCOMPARE(m.escritorio.cajas.size(), std::size_t(1));
        QVERIFY(m.escritorio.cajas[0].find("No space left") != std::string::npos);
        QCOMPARE(m.fs.archivos, (std::map<std::string, std::string>{{"/d/x.pdf", "viejo"}}));
        m.fs.fallarTrasBytes = -1;
        m.frame.ordenes.imprimirGrupos(m.doc);
        QCOMPARE(m.fs.archivos.size(), std::size_t(1));
        const std::string& pdf = m.fs.archivos.at("/d/x.pdf");
        QVERIFY(pdf.rfind("%PDF-", 0) == 0);
        QVERIFY(pdf.find("%%EOF") != std::string::npos);
    }

    void pdfPagesAreThePaperChosen() {
        // MediaBox in points: A4 upright by default, then Letter lying down.
        Montaje m;
        m.impresion.crearSuperficie = nullptr;
        m.frame.PrintDialog.impresora = kDestinoPdf;
        m.frame.PrintDialog.archivoPdf = "/d/a4.pdf";
        m.ejecutor.aArchivo = {false, false};
        m.frame.ordenes.imprimirGrupos(m.doc);
        m.frame.PrintDialog.papel = "Letter";
        m.frame.PrintDialog.horizontal = true;
        m.frame.PrintDialog.archivoPdf = "/d/carta.pdf";
        m.frame.ordenes.imprimirCuestVacio();
        const auto caja = [&](const char* ruta) {
            const std::string& pdf = m.fs.archivos.at(ruta);
            const auto i = pdf.find("/MediaBox [");
            return i == std::string::npos ? std::string() : pdf.substr(i, pdf.find(']', i) - i);
        };
        QCOMPARE(caja("/d/a4.pdf"), std::string("/MediaBox [0 0 595.000000 842.000000"));
        QCOMPARE(caja("/d/carta.pdf"), std::string("/MediaBox [0 0 792.000000 612.000000"));
    }

    void noOutputReplacesAnOpenCompany() {
        Montaje m;
        QFile fixture(QString(KORAL_FIXTURES) + "/talleres.kr2");
        QVERIFY(fixture.open(QIODevice::ReadOnly));
        const std::string empresa = fixture.readAll().toStdString();
        m.fs.archivos["/d/t.kr2"] = empresa;
        m.fs.enlaces["/d/enlace.prn"] = "/d/t.kr2";
        m.ejecutor.rutas.push_back(std::string("/d/t.kr2"));
        m.frame.abrirEmpresa();
        QCOMPARE(m.frame.companias().size(), std::size_t(1));
        // The print file, named through a link; the PDF; the import log's PDF.
        m.ejecutor.aArchivo = {true, false};
        m.ejecutor.rutas.push_back(std::string("/d/enlace.prn"));
        m.frame.ordenes.imprimirGrupos(m.doc);
        m.impresion.crearSuperficie = nullptr;
        m.frame.PrintDialog.impresora = kDestinoPdf;
        m.frame.PrintDialog.archivoPdf = "/d/t.kr2";
        m.frame.ordenes.imprimirCuestVacio();
        m.ejecutor.rutas.push_back(std::string("/d/t.kr2"));
        m.impresion.ImprimirLineas({"uno"});
        QCOMPARE(m.escritorio.cajas.size(), std::size_t(3));
        for (const std::string& caja : m.escritorio.cajas)
            QVERIFY2(caja.find("No puede escribirse sobre el archivo") == 0, caja.c_str());
        QCOMPARE(m.fs.archivos.at("/d/t.kr2"), empresa);
    }

    void comparisonPrintsAndNeverOverTheCompanyItRead() {
        Montaje m;
        TPerfil* p = m.doc.perfiles[0].get();
        calcularPerfil(m.doc, *p);
        const TPerfilComparado perfiles[] = {{"Todos", p, false}, {"Todos (Otra)", p, true}};
        const TComparacion c = compararPerfiles(perfiles, 0);
        m.fs.archivos["/d/otra.kr2"] = "otra";
        m.ejecutor.aArchivo = {false, true, true};
        m.ejecutor.rutas = {std::string("/d/c.prn"), std::string("/d/otra.kr2")};
        for (int i = 0; i < 3; ++i) m.impresion.ImprimirComparacion(c, "Talleres", {"/d/otra.kr2"});
        QCOMPARE(m.hoja.llamadas.front(), std::string("documento \"Imp. Comparación\""));
        QVERIFY(m.fs.archivos.at("/d/c.prn")
                    .rfind("Comparaci\xF3n de perfiles\r\nEmpresa: Talleres\r\n", 0) == 0);
        QCOMPARE(m.escritorio.cajas.size(), std::size_t(1));
        QVERIFY(m.escritorio.cajas[0].rfind("No puede escribirse sobre el archivo", 0) == 0);
        QCOMPARE(m.fs.archivos.at("/d/otra.kr2"), std::string("otra"));
    }

    void evaluationAsksForTheDistributionBeforeThePrintDialog() {
        Montaje m;
        TDatosEvaluacion datos;
        datos.minimo = 1;  // the profile of one keeps its figures
        // Each run answers the options first: cancelled, as it comes, ticked.
        const auto responder = [](std::vector<Qt::Key> teclas) {
            QTimer::singleShot(0, [teclas] {
                QWidget* w = QApplication::activeModalWidget();
                QVERIFY(w && !w->findChild<QCheckBox*>("chkDistribucion")->isChecked() &&
                        !w->findChild<QCheckBox*>("chkAnexo")->isChecked());
                for (Qt::Key k : teclas) QTest::keyClick(w->focusWidget(), k);
            });
        };
        responder({Qt::Key_Escape});
        m.frame.ordenes.imprimirEvaluacion(m.doc, datos);
        QVERIFY(m.ejecutor.impresiones.empty());
        m.ejecutor.aArchivo = {true, true, false};
        m.ejecutor.rutas = {std::string("/d/sin.prn"), std::string("/d/con.prn")};
        responder({Qt::Key_Return});
        m.frame.ordenes.imprimirEvaluacion(m.doc, datos);
        responder({Qt::Key_Space, Qt::Key_Return});
        m.frame.ordenes.imprimirEvaluacion(m.doc, datos);
        const auto lineas = [&](const char* ruta) {
            const std::string& t = m.fs.archivos.at(ruta);
            return std::count(t.begin(), t.end(), '\n');
        };
        // Computed before writing; the distribution is 439 lines a profile.
        QVERIFY(m.fs.archivos.at("/d/sin.prn").find("N\xBA Sujetos: 1\r\n") != std::string::npos);
        QCOMPARE(lineas("/d/con.prn") - lineas("/d/sin.prn"), 439);
        responder({Qt::Key_Return});
        m.frame.ordenes.imprimirEvaluacion(m.doc, datos);
        QCOMPARE(m.hoja.llamadas.front(), std::string("documento \"Imp. Evaluación\""));
    }

    void logLinesPrintWithoutTheDialog() {
        Montaje m;
        // The log is printed without the print dialog, as plain lines.
        m.impresion.ImprimirLineas({"uno", "dos"});
        const auto textos = m.hoja.filtrar("texto");
        QCOMPARE(textos.size(), std::size_t(2));
        QVERIFY(m.ejecutor.impresiones.empty());
    }
};

QTEST_MAIN(TestImpresionVentanas)
#include "test_ImpresionVentanas.moc"
