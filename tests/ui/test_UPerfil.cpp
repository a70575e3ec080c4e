// The profile editor: its unsorted group lists, the computation shown only
// on "Calcular", the texts, printing with the texts on screen, and the chart
// on the clipboard.
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <algorithm>

#include "Controles.h"
#include "DoblesVentanas.h"
#include "document/UData.h"
#include "method/Perfil.h"
#include "method/Puntuacion.h"
#include "platform/Texto.h"
#include "support/ArchivosMemoria.h"
#include "support/DialogosGuion.h"
#include "ui/Editores.h"
#include "ui/UChild.h"
#include "ui/UMain.h"
#include "ui/UPerfil.h"

using namespace koral;
using prueba::control;
using prueba::DialogosGuion;
using prueba::elegir;
using prueba::EscritorioGuion;

namespace {

QStringList textos(const QListView* lista) {
    QStringList t;
    for (int i = 0; i < lista->model()->rowCount(); ++i)
        t << lista->model()->index(i, 0).data().toString();
    return t;
}

std::string nombres(const std::vector<TGrupo*>& v) {
    std::string s;
    for (const TGrupo* g : v) s += (g ? g->nombre : std::string("?")) + ";";
    return s;
}

}  // namespace

class TestUPerfil : public QObject {
    Q_OBJECT

    struct Banco {
        DialogosGuion dlg;
        EscritorioGuion escritorio;
        TKoral doc{Mensaje};  // as the company window makes it
        TPerfil* p;
        TfrmPerfil frm;
        TOrdenesExternas ordenes;

        // Groups in document order Zeta, Alfa, Medio; three questionnaires,
        // two of them in Alfa.
        Banco() {
            for (const char* n : {"Zeta", "Alfa", "Medio"}) doc.agregarGrupo(n);
            const char* respuestas[] = {
                "555555555555555555555555555555555555555555555555555555555555555555555555555",
                "111111111111111111111111111111111111111111111111111111111111111111111111111",
                "000000000000000000000000000000000000000000000000000000000000000000000000000"};
            for (int i = 0; i < 3; ++i) {
                TCuestionario* q = doc.agregarCuestionario("Q" + std::to_string(i + 1));
                for (int k = 0; k < kNumItems; ++k)
                    q->respuestas[static_cast<std::size_t>(k)] =
                        std::min(respuestas[i][k], static_cast<char>('0' + opcionesItem(k + 1)));
                puntuarCuestionario(*q);
                if (i < 2) enlazar(*q, *g("Alfa"));
            }
            p = doc.agregarPerfil("P000001");
            doc.modificado = false;
            frm.ordenes = &ordenes;
        }
        void abrir() {
            frm.abrir(doc, *p);
            frm.show();
            if (!QTest::qWaitForWindowExposed(&frm)) qWarning("editor not exposed");
        }
        TGrupo* g(const char* n) { return doc.buscarGrupo(n); }
        int lineasDes() { return hijo<QPlainTextEdit>("mmDes")->document()->blockCount(); }
        template <class T>
        T* hijo(const char* nombre) {
            return control<T>(frm, nombre);
        }
        QPushButton* boton(const char* nombre) { return control(frm, nombre); }
        QListView* lista(const char* nombre) { return control<QListView>(frm, nombre); }
    };

    static void clic(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }
    static QRgb color(const QImage& i, int x, int y) { return i.pixel(x, y) & 0xFFFFFF; }

private slots:
    void fewSubjectsBringTheConfidentialityNotice() {
        Banco b;
        b.abrir();  // three subjects
        QVERIFY(!b.hijo<QLabel>("lblAnonimato")->isHidden());
        elegir(b.lista("lBox1"), 2);  // Medio: nobody
        clic(b.boton("Button1"));
        clic(b.boton("btnCalcular"));
        QCOMPARE(b.p->nSujetos, 0);
        QVERIFY(b.hijo<QLabel>("lblAnonimato")->isHidden());
        elegir(b.lista("lBox2"), 0);
        clic(b.boton("Button3"));
        for (int i = 0; i < 2; ++i) b.doc.agregarCuestionario("Otro " + std::to_string(i));
        clic(b.boton("btnCalcular"));
        QCOMPARE(b.p->nSujetos, kMinimoSujetosAnonimato);
        QVERIFY(b.hijo<QLabel>("lblAnonimato")->isHidden());
    }

    void theChartIsSavedAsPngOrSvg() {
        Banco b;
        prueba::EjecutorGuion ejecutor;
        b.abrir();
        const auto acciones = b.hijo<QMenu>("PopupMenu1")->actions();
        QCOMPARE(acciones.size(), 3);
        QCOMPARE(acciones[2]->text(), QString("&Guardar imagen ..."));
        QTemporaryDir dir;
        const QString png = dir.filePath("grafico.png"), svg = dir.filePath("grafico.svg");
        ejecutor.rutas.push_back(png.toStdString());
        ejecutor.rutas.push_back(svg.toStdString());
        ejecutor.rutas.push_back(std::nullopt);
        acciones[2]->trigger();
        QCOMPARE(ejecutor.llamadas.at(0).dialogo.filtro,
                 std::string("Imagen PNG|*.png|Imagen SVG|*.svg"));
        QCOMPARE(QImage(png).convertToFormat(QImage::Format_RGB32),
                 b.frm.imagen().convertToFormat(QImage::Format_RGB32));
        acciones[2]->trigger();
        QFile f(svg);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray texto = f.readAll();
        QVERIFY(texto.startsWith("<?xml"));
        QVERIFY(texto.contains("width=\"337\" height=\"245\""));
        QVERIFY(texto.contains("<polyline"));
        QVERIFY(texto.contains(">CM</text>"));
        acciones[2]->trigger();  // cancelled: nothing more
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 2);
        // A bare name takes the chosen type: SVG, with its extension.
        ejecutor.rutas.push_back(dir.filePath("otro").toStdString());
        ejecutor.tipos = {2};
        acciones[2]->trigger();
        QFile otro(dir.filePath("otro.svg"));
        QVERIFY(otro.open(QIODevice::ReadOnly));
        QVERIFY(otro.readAll().startsWith("<?xml"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), 3);
        QVERIFY(b.escritorio.cajas.empty());
    }

    void aChartNeverReplacesTheCompanyNorAnOldFileWithAPart() {
        Banco b;
        prueba::EjecutorGuion ejecutor;
        prueba::ArchivosMemoria fs;
        const std::map<std::string, std::string> antes = {
            {"/d/e.kr2", "empresa"}, {"/d/g.png", "viejo"}, {"/d/g.svg", "viejo"}};
        fs.archivos = antes;
        b.doc.archivo = "/d/e.kr2";
        b.abrir();
        fs.fallarTrasBytes = 100;
        for (const char* ruta : {"/d/g.png", "/d/g.svg", "/d/e.kr2"}) {
            ejecutor.rutas.push_back(std::string(ruta));
            b.hijo<QMenu>("PopupMenu1")->actions()[2]->trigger();
        }
        QCOMPARE(b.escritorio.cajas.size(), std::size_t(3));
        QVERIFY(b.escritorio.cajas[0].find("No space left") != std::string::npos);
        QVERIFY(b.escritorio.cajas[2].find("No puede escribirse sobre") != std::string::npos);
        QCOMPARE(fs.archivos, antes);
    }

    void opensComputedOnTheFirstPage() {
        Banco b;
        auto* paginas = b.hijo<QTabWidget>("PageControl1");
        auto* distribucion = b.hijo<QPlainTextEdit>("mmDes");
        paginas->setCurrentIndex(2);
        b.abrir();
        QCOMPARE(b.frm.windowTitle(), QString("Perfil <P000001>"));
        QCOMPARE(paginas->currentIndex(), 0);
        QCOMPARE(paginas->tabText(1), QString("Descriptivo"));
        QCOMPARE(paginas->tabText(2), QString("Observaciones"));
        // In document order, all available: no groups counts everyone.
        QCOMPARE(textos(b.lista("lBox1")), (QStringList{"Zeta", "Alfa", "Medio"}));
        QCOMPARE(b.lista("lBox2")->model()->rowCount(), 0);
        QCOMPARE(b.p->nSujetos, 3);
        auto* todos = b.hijo<QLabel>("lblTodaLaEmpresa");
        QVERIFY(todos->isVisible());
        QCOMPARE(todos->text(),
                 QString::fromUtf8("Sin grupos asociados: el perfil abarca todos los "
                                   "cuestionarios de la empresa."));
        QCOMPARE(b.hijo<QLabel>("lblNSujetos")->text(), QString::fromUtf8("Nº Sujetos: 3"));
        QCOMPARE(b.lineasDes(), 439);
        // Item 1: one subject of three chose option 1, one gave no answer;
        // shares written with the user's decimal separator.
        const QString tercio = "   33" + QLocale().decimalPoint() + "33%   ";
        QVERIFY(distribucion->document()->findBlockByNumber(1).text().startsWith(tercio));
        QCOMPARE(distribucion->document()->findBlockByNumber(6).text(), tercio + "sin respuesta");
        // The chart: bands green, yellow, red between x = 30, 130, 205, 280.
        const QImage& i = b.frm.imagen();
        QCOMPARE(i.size(), QSize(337, 245));
        QCOMPARE(color(i, 31, 30), QRgb(0x008000));
        QCOMPARE(color(i, 129, 30), QRgb(0x008000));
        QCOMPARE(color(i, 131, 30), QRgb(0xFFFF00));
        QCOMPARE(color(i, 204, 30), QRgb(0xFFFF00));
        QCOMPARE(color(i, 206, 30), QRgb(0xFF0000));
        QCOMPARE(color(i, 279, 30), QRgb(0xFF0000));
        QCOMPARE(color(i, 300, 5), QRgb(0xFFFFFF));
        QCOMPARE(b.hijo<QLabel>("Image1")->pixmap().toImage().convertToFormat(QImage::Format_RGB32),
                 i.convertToFormat(QImage::Format_RGB32));
        QVERIFY(b.dlg.mensajes.empty());
    }

    void movesShowNothingNewUntilCalcular() {
        Banco b;
        auto* distribucion = b.hijo<QPlainTextEdit>("mmDes");
        auto* sujetos = b.hijo<QLabel>("lblNSujetos");
        b.abrir();
        const QString des = distribucion->toPlainText();
        const QImage antes = b.frm.imagen();
        elegir(b.lista("lBox1"), 1);  // Alfa
        clic(b.boton("Button1"));
        QCOMPARE(nombres(b.p->grupos), std::string("Alfa;"));
        QCOMPARE(textos(b.lista("lBox2")), QStringList{"Alfa"});
        QVERIFY(b.hijo<QLabel>("lblTodaLaEmpresa")->isHidden());
        QCOMPARE(sujetos->text(), QString::fromUtf8("Nº Sujetos: 3"));
        QCOMPARE(distribucion->toPlainText(), des);
        QCOMPARE(b.frm.imagen(), antes);
        QCOMPARE(b.p->nSujetos, 3);
        QVERIFY(b.doc.modificado);

        clic(b.boton("btnCalcular"));
        QCOMPARE(b.p->nSujetos, 2);
        QCOMPARE(sujetos->text(), QString::fromUtf8("Nº Sujetos: 2"));
        QVERIFY(distribucion->toPlainText() != des);
        QVERIFY(b.frm.imagen() != antes);
        QCOMPARE(b.lineasDes(), 439);
    }

    void allInThenAllOutPutsThemBackInTheOrderTheyStood() {
        Banco b;
        auto* lBox1 = b.lista("lBox1");
        auto* lBox2 = b.lista("lBox2");
        b.p->grupos = {b.g("Medio")};
        b.abrir();
        QCOMPARE(textos(lBox1), (QStringList{"Zeta", "Alfa"}));
        QCOMPARE(textos(lBox2), QStringList{"Medio"});
        clic(b.boton("Button2"));
        QCOMPARE(textos(lBox2), (QStringList{"Medio", "Zeta", "Alfa"}));
        QCOMPARE(nombres(b.p->grupos), std::string("Medio;Zeta;Alfa;"));
        QCOMPARE(lBox1->model()->rowCount(), 0);
        QVERIFY(b.hijo<QLabel>("lblTodaLaEmpresa")->isHidden());
        clic(b.boton("Button4"));
        QVERIFY(b.hijo<QLabel>("lblTodaLaEmpresa")->isVisible());
        QCOMPARE(textos(lBox1), (QStringList{"Medio", "Zeta", "Alfa"}));
        QCOMPARE(lBox2->model()->rowCount(), 0);
        QVERIFY(b.p->grupos.empty());

        // A double-click moves one; without a selection a button does nothing.
        clic(b.boton("Button1"));
        QCOMPARE(lBox2->model()->rowCount(), 0);
        elegir(lBox1, 2);
        QTest::mouseDClick(lBox1->viewport(), Qt::LeftButton, Qt::NoModifier,
                           lBox1->visualRect(lBox1->model()->index(2, 0)).center());
        QCOMPARE(textos(lBox2), QStringList{"Alfa"});
        QVERIFY(b.escritorio.cajas.empty());
    }

    void theKeyboardAloneMovesGroupsAndAccepts() {
        Banco b;
        b.abrir();
        QCOMPARE((QStringList{b.boton("btnCalcular")->text(), b.boton("Button5")->text(),
                              b.boton("btnAceptar")->text(), b.boton("btnCancelar")->text()}),
                 (QStringList{"Ca&lcular", "&Imprimir", "&Aceptar", "&Cancelar"}));
        QCOMPARE(b.hijo<QLabel>("lblCtrlIntro")->text(), QString("(Ctrl+Intro)"));
        // A default button would take an Enter that the list let through.
        b.boton("btnAceptar")->setDefault(true);
        auto* lBox1 = b.lista("lBox1");
        auto* lBox2 = b.lista("lBox2");
        lBox1->setFocus();
        QTest::keyClick(lBox1, Qt::Key_Down);  // Alfa
        QTest::keyClick(lBox1, Qt::Key_Return);
        QTest::keyClick(lBox1, Qt::Key_Enter, Qt::KeypadModifier);  // Medio, next in line
        QVERIFY(b.frm.isVisible());
        QCOMPARE(nombres(b.p->grupos), std::string("Alfa;Medio;"));
        QCOMPARE(textos(lBox1), QStringList{"Zeta"});
        lBox2->setFocus();
        QTest::keyClick(lBox2, Qt::Key_Return);  // the entry under the cursor: Alfa
        QCOMPARE(nombres(b.p->grupos), std::string("Medio;"));
        QVERIFY(b.frm.isVisible());

        QTest::keyClick(lBox2, Qt::Key_L, Qt::AltModifier);  // "Calcular": Medio has nobody
        QTRY_COMPARE(b.hijo<QLabel>("lblNSujetos")->text(), QString::fromUtf8("Nº Sujetos: 0"));
        QTest::keyClick(lBox2, Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(b.frm.result(), int(QDialog::Accepted));
        QVERIFY(!b.frm.isVisible());
    }

    void aMissingSelectionEntryIsReportedInThePlainBox() {
        Banco b;
        b.p->grupos = {b.g("Zeta")};
        b.abrir();
        b.p->grupos.clear();
        elegir(b.lista("lBox2"), 0);
        clic(b.boton("Button3"));
        QCOMPARE(b.escritorio.cajas,
                 std::vector<std::string>{"Error 04 en el tratamiento del archivo"});
        QCOMPARE(b.escritorio.titulos.back(), std::string(kTituloPrograma));
        QCOMPARE(textos(b.lista("lBox1")), (QStringList{"Alfa", "Medio", "Zeta"}));
        QVERIFY(b.dlg.mensajes.empty());
    }

    void brokenSelectionsAreReportedOnOpening() {
        Banco b;
        TGrupo ajeno;
        ajeno.id = 500;
        ajeno.nombre = "Ajeno";
        b.p->grupos = {&ajeno, b.g("Alfa")};
        b.abrir();
        QCOMPARE(b.dlg.mensajes,
                 std::vector<std::string>{"Error 05 en el proceso de este cuestionario"});
        QCOMPARE(textos(b.lista("lBox2")), (QStringList{"Ajeno", "Alfa"}));
        QCOMPARE(textos(b.lista("lBox1")), (QStringList{"Zeta", "Medio"}));
    }

    void aFailedComputationKeepsWhatWasShown() {
        Banco b;
        b.p->nSujetos = 42;
        b.doc.nCuestionarios = 7;  // disagrees with the list
        b.abrir();
        QCOMPARE(b.dlg.mensajes,
                 std::vector<std::string>{"Ocurrió error en el nº de Cuestionarios"});
        QCOMPARE(b.hijo<QLabel>("lblNSujetos")->text(), QString::fromUtf8("Nº Sujetos: 42"));
        QCOMPARE(b.p->nSujetos, 0);
    }

    void acceptStoresNameAndTextsWithCrLf() {
        Banco b;
        auto* descripcion = b.hijo<QPlainTextEdit>("mmDescripcion");
        auto* nombre = b.hijo<QLineEdit>("txtIdentificador");
        b.doc.agregarPerfil("Otro");
        b.p->descripcion = "uno\r\ndos";
        b.abrir();
        QCOMPARE(descripcion->toPlainText(), QString("uno\ndos"));
        descripcion->setPlainText(QString::fromUtf8("línea 1\nlínea\u00A02"));
        b.hijo<QPlainTextEdit>("mmObservaciones")->setPlainText("obs");
        nombre->setText("Otro");
        clic(b.boton("btnAceptar"));
        QCOMPARE(b.dlg.mensajes,
                 std::vector<std::string>{"Este identificador ya existe. No se cambia"});
        QCOMPARE(b.p->nombre, std::string("P000001"));
        QCOMPARE(b.p->descripcion, "línea 1\r\nlínea\u00A02"_cp);
        QCOMPARE(b.p->observaciones, std::string("obs"));
        QCOMPARE(b.frm.result(), int(QDialog::Accepted));

        b.abrir();
        nombre->setText(QString(60, 'p'));
        clic(b.boton("btnAceptar"));
        QCOMPARE(b.p->nombre, std::string(49, 'p'));
        b.abrir();
        nombre->clear();
        clic(b.boton("btnAceptar"));
        QCOMPARE(b.p->nombre, std::string());
        QCOMPARE(b.dlg.mensajes.size(), std::size_t(1));
    }

    void fieldsRefuseWhatTheCompanyFileCannotHoldWithOneMessageEach() {
        Banco b;
        auto* descripcion = b.hijo<QPlainTextEdit>("mmDescripcion");
        auto* nombre = b.hijo<QLineEdit>("txtIdentificador");
        QClipboard* portapapeles = QApplication::clipboard();
        const auto pegar = [](QWidget* campo) {
            QTest::keyClick(campo, Qt::Key_V, Qt::ControlModifier);
            QCoreApplication::processEvents();  // the message comes after the refusal
        };
        b.abrir();
        b.hijo<QTabWidget>("PageControl1")->setCurrentIndex(2);
        descripcion->setFocus();
        for (const char* t : {"a", "€", "ñ", "Ω"})
            QTest::sendKeyEvent(QTest::Click, descripcion, Qt::Key_unknown, QString::fromUtf8(t),
                                Qt::NoModifier);
        QCoreApplication::processEvents();
        portapapeles->setText(QString::fromUtf8("x😀yΩ"));
        pegar(descripcion);
        QCOMPARE(descripcion->toPlainText(), QString::fromUtf8("a€ñ"));
        // A one-line field keeps its text, also when it was all selected.
        nombre->setFocus();
        nombre->selectAll();
        portapapeles->setText(QString::fromUtf8("aőb"));
        pegar(nombre);
        QCOMPARE(nombre->text(), QString("P000001"));
        const std::string aviso = ": el programa no puede guardarlo. El campo queda como estaba.";
        QCOMPARE(b.escritorio.cajas,
                 (std::vector<std::string>{"No se admite el carácter «Ω» (U+03A9)" + aviso,
                                           "No se admite el carácter «😀» (U+1F600)" + aviso,
                                           "No se admite el carácter «ő» (U+0151)" + aviso}));
        QCOMPARE(b.escritorio.titulos.front(), "Atención"_cp);

        portapapeles->setText("xyz");
        descripcion->setFocus();
        pegar(descripcion);
        QTest::keyClick(descripcion, Qt::Key_Return);
        QTest::keyClicks(descripcion, "fin");
        clic(b.boton("btnAceptar"));
        QCOMPARE(b.p->descripcion, "a€ñxyz\r\nfin"_cp);
        QCOMPARE(b.escritorio.cajas.size(), std::size_t(3));
    }

    void cancelAndTheCloseBoxPutTheSelectionBack() {
        Banco b;
        b.p->descripcion = "antes";
        b.p->grupos = {b.g("Alfa")};
        b.abrir();
        QCOMPARE(b.p->nSujetos, 2);
        elegir(b.lista("lBox1"), 0);  // Zeta in, Alfa out: nobody
        clic(b.boton("Button1"));
        elegir(b.lista("lBox2"), 0);
        clic(b.boton("Button3"));
        clic(b.boton("btnCalcular"));
        QCOMPARE(b.p->nSujetos, 0);
        b.hijo<QPlainTextEdit>("mmDescripcion")->setPlainText("nuevo");
        b.hijo<QLineEdit>("txtIdentificador")->setText("Nuevo nombre");
        clic(b.boton("btnCancelar"));
        QCOMPARE(b.frm.result(), int(QDialog::Rejected));
        QCOMPARE(b.p->descripcion, std::string("antes"));
        QCOMPARE(b.p->nombre, std::string("P000001"));
        QCOMPARE(nombres(b.p->grupos), std::string("Alfa;"));
        QCOMPARE(b.p->nSujetos, 2);
        QVERIFY(!b.doc.modificado);

        // The close box does the same, and leaves a company that had
        // unsaved changes still marked.
        b.doc.modificado = true;
        b.abrir();
        clic(b.boton("Button4"));
        b.frm.close();
        QCOMPARE(nombres(b.p->grupos), std::string("Alfa;"));
        QVERIFY(b.doc.modificado);

        // Escape does not throw the texts away.
        b.abrir();
        QTest::keyClick(&b.frm, Qt::Key_Escape);
        QVERIFY(b.frm.isVisible());
    }

    void printShowsTheTextsOnScreenWithoutStoringThem() {
        Banco b;
        b.abrir();
        QVERIFY(!b.boton("Button5")->isEnabled());
        QVERIFY(!b.hijo<QAction>("Imprimir1")->isEnabled());

        std::vector<std::string> impresos;
        b.ordenes.imprimirPerfil = [&](TPerfil& p) {
            impresos.push_back(p.nombre + "|" + p.descripcion + "|" + p.observaciones);
        };
        b.p->descripcion = "guardada";
        b.p->observaciones = "obs guardada";
        b.abrir();
        QVERIFY(b.boton("Button5")->isEnabled());
        b.hijo<QPlainTextEdit>("mmDescripcion")->setPlainText("editada\nen pantalla");
        b.hijo<QLineEdit>("txtIdentificador")->setText("Nombre sin aceptar");
        clic(b.boton("Button5"));
        b.hijo<QAction>("Imprimir1")->trigger();
        QCOMPARE(impresos,
                 (std::vector<std::string>{"P000001|editada\r\nen pantalla|obs guardada",
                                           "P000001|editada\r\nen pantalla|obs guardada"}));
        QCOMPARE(b.p->descripcion, std::string("guardada"));
        clic(b.boton("btnCancelar"));
        QCOMPARE(b.p->descripcion, std::string("guardada"));

        // A report that fails still leaves the stored texts.
        b.ordenes.imprimirPerfil = [](TPerfil&) { throw std::runtime_error("sin papel"); };
        b.abrir();
        b.hijo<QPlainTextEdit>("mmObservaciones")->setPlainText("otra");
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, b.boton("Button5")->click());
        QCOMPARE(b.p->observaciones, std::string("obs guardada"));
    }

    void copyPutsTheChartOnTheClipboardFromTheFirstPageOnly() {
        Banco b;
        b.abrir();
        auto* menu = b.hijo<QMenu>("PopupMenu1");
        auto* copiar = b.hijo<QAction>("Copiar1");
        QClipboard* portapapeles = QApplication::clipboard();
        portapapeles->setText("nada");
        b.hijo<QTabWidget>("PageControl1")->setCurrentIndex(1);
        copiar->trigger();
        QCOMPARE(portapapeles->text(), QString("nada"));
        QVERIFY(portapapeles->image().isNull());

        b.hijo<QTabWidget>("PageControl1")->setCurrentIndex(0);
        copiar->trigger();
        const QImage copiada = portapapeles->image();
        QCOMPARE(copiada.size(), QSize(337, 245));
        QCOMPARE(copiada.convertToFormat(QImage::Format_RGB32),
                 b.frm.imagen().convertToFormat(QImage::Format_RGB32));
        // "Copiar" and "Imprimir", then our "Guardar imagen ...".
        QCOMPARE(menu->actions().size(), 3);
        QCOMPARE(menu->actions()[0], copiar);
        QCOMPARE(menu->actions()[1], b.hijo<QAction>("Imprimir1"));
        QCOMPARE(copiar->text(), QString("&Copiar"));
    }

    void theCompanyWindowRunsTheEditorModally() {
        DialogosGuion dlg;
        EscritorioGuion escritorio;
        TfrmMain frm;
        conectarEditores(frm);
        frm.show();
        dlg.campos.push_back({true, "Empresa"});
        frm.nuevaEmpresa();
        TChildWin* w = frm.companias().back();
        w->documento()->modificado = false;
        auto* editor = frm.findChild<TfrmPerfil*>();
        QVERIFY(editor);
        bool visto = false;
        QTimer::singleShot(0, editor, [&] {
            QTRY_VERIFY(editor->isVisible());
            QCOMPARE(control<QLabel>(*editor, "lblNSujetos")->text(),
                     QString::fromUtf8("Nº Sujetos: 0"));
            control<QLineEdit>(*editor, "txtIdentificador")->setText("Plantilla");
            visto = true;
            control(*editor, "btnAceptar")->click();
        });
        dlg.campos.push_back({true, "P000001"});
        QTest::mouseClick(control<QToolButton>(*w, "PNewButton"), Qt::LeftButton);
        QVERIFY(visto);
        QCOMPARE(w->documento()->perfiles.front()->nombre, std::string("Plantilla"));
        QCOMPARE(control<QListView>(*w, "lstPerfiles")->model()->index(0, 0).data().toString(),
                 QString("Plantilla"));
        QVERIFY(w->documento()->modificado);
        w->documento()->modificado = false;
    }
};

QTEST_MAIN(TestUPerfil)
#include "test_UPerfil.moc"
