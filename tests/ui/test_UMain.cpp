// The frame window: its menus and their merging, opening files, the command
// line, the manual, window arrangement and closing with several companies.
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QtTest>

#include "Controles.h"
#include "DoblesVentanas.h"
#include "platform/Texto.h"
#include "support/DialogosGuion.h"
#include "ui/Editores.h"
#include "ui/UChild.h"
#include "ui/UMain.h"

using namespace koral;
using prueba::control;
using prueba::DialogosGuion;
using prueba::EjecutorGuion;
using prueba::EscritorioGuion;

namespace {

QStringList barra(TfrmMain& frm) {
    QStringList t;
    for (QAction* a : frm.menuBar()->actions()) t << a->text();
    return t;
}

QStringList elementos(QMenu* m) {
    QStringList t;
    for (QAction* a : m->actions()) t << (a->isSeparator() ? "-" : a->text());
    return t;
}

}  // namespace

class TestUMain : public QObject {
    Q_OBJECT

    struct Banco {
        DialogosGuion dlg;
        EjecutorGuion ejecutor;
        EscritorioGuion escritorio;
        TfrmMain frm;
        QTemporaryDir dir;

        void mostrar() {
            frm.show();
            if (!QTest::qWaitForWindowExposed(&frm)) qWarning("frame not exposed");
        }
        QString talleres(const char* nombre = "talleres.kr2") {
            const QString r = dir.filePath(nombre);
            QFile::copy(QString(KORAL_FIXTURES) + "/talleres.kr2", r);
            return r;
        }
        void abrir(const QString& r) {
            ejecutor.rutas.push_back(r.toStdString());
            frm.abrirEmpresa();
        }
        QMenu* menu(const char* nombre) { return control<QMenu>(frm, nombre); }
        // An item of the frame's own menus: each company window has a "Nuevo1" too.
        QAction* orden(const char* nombre) {
            for (const char* m : {"Archivo1", "Ventana1", "Ayuda1"})
                if (auto* a = menu(m)->findChild<QAction*>(nombre, Qt::FindDirectChildrenOnly))
                    return a;
            qFatal("The frame has no item %s", nombre);
        }
    };

private slots:
    void captionBoundsAndMenus() {
        Banco b;
        QCOMPARE(b.frm.windowTitle(), QString("O.R.V.E.N. QAR Factores Psicosociales 2.0"));
        QCOMPARE(b.frm.geometry(), QRect(210, 211, 647, 480));
        QCOMPARE(elementos(b.menu("Archivo1")),
                 QStringList({"&Nuevo", "&Abrir ...", "-", "&Imp. Vacio", "-", "&Salir"}));
        QCOMPARE(elementos(b.menu("Ventana1")), QStringList({"&Mosaico", "&Cascada"}));
        QCOMPARE(elementos(b.menu("Ayuda1")), QStringList({"&Manual", "-", "&Acerca de ..."}));
        // Printing comes with the reports.
        QVERIFY(!b.orden("ImpVacio1")->isEnabled());
        b.frm.ordenes.imprimirCuestVacio = [] {};
        emit b.menu("Archivo1")->aboutToShow();
        QVERIFY(b.orden("ImpVacio1")->isEnabled());
    }

    void everyMenuItemAndButtonHasALetterOfItsOwn() {
        Banco b;
        conectarEditores(b.frm);
        b.mostrar();
        auto barraDe = [&] {
            QList<QMenu*> menus;
            for (QAction* a : b.frm.menuBar()->actions()) menus << a->menu();
            return menus;
        };
        QCOMPARE(prueba::faltasDeTeclas(b.frm, barraDe()), QStringList());
        const auto editores = b.frm.findChildren<QDialog*>();
        QCOMPARE(editores.size(), 3);
        for (const QDialog* d : editores)
            QVERIFY2(prueba::faltasDeTeclas(*d).isEmpty(),
                     qPrintable(d->objectName() + ": " + prueba::faltasDeTeclas(*d).join("; ")));
        b.dlg.campos.push_back({true, "Empresa"});
        b.frm.nuevaEmpresa();
        QCOMPARE(barra(b.frm).size(), 4);
        QCOMPARE(prueba::faltasDeTeclas(b.frm, barraDe()), QStringList());
    }

    void openDialogSettings() {
        Banco b;
        b.ejecutor.rutas.push_back(std::nullopt);
        b.orden("Abrir1")->trigger();
        QCOMPARE(b.ejecutor.llamadas.size(), std::size_t(1));
        const TDialogoArchivo& d = b.ejecutor.llamadas[0].dialogo;
        QCOMPARE(d.filtro, std::string("Archivos KORAL 2.0|*.kr2|Archivos texto|*.txt"));
        QCOMPARE(d.extensionDefecto, std::string(".kr2"));
        QVERIFY(b.frm.companias().empty());
        QCOMPARE(b.frm.SaveDialog.filtro,
                 std::string("Archivos KORAL 2.0|*.kr2|Cualquier archivo|*.*"));
        QCOMPARE(b.frm.SaveDialog.extensionDefecto, std::string("kr2"));
        QCOMPARE(b.frm.PrintDialog.copias, 1);
        QVERIFY(b.frm.PrintDialog.permitirArchivo);
    }

    void menuBarMergesWithTheActiveCompany() {
        Banco b;
        b.mostrar();
        QCOMPARE(barra(b.frm), QStringList({"&Archivo", "&Ventana", "A&yuda"}));
        // With no company, Alt+A opens the frame's own "Archivo".
        QTest::keyClick(&b.frm, Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(b.menu("Archivo1")->isVisible());
        b.menu("Archivo1")->close();
        b.dlg.campos.push_back({true, "Una"});
        b.orden("Nuevo1")->trigger();
        QCOMPARE(barra(b.frm), QStringList({"&Archivo", "&Informes", "&Ventana", "A&yuda"}));
        TChildWin* una = b.frm.companias().back();
        QCOMPARE(b.frm.menuBar()->actions()[0]->menu(), control<QMenu>(*una, "mnuArchivo"));

        b.dlg.campos.push_back({true, "Otra"});
        b.orden("Nuevo1")->trigger();
        TChildWin* otra = b.frm.companias().back();
        QCOMPARE(b.frm.menuBar()->actions()[0]->menu(), control<QMenu>(*otra, "mnuArchivo"));

        control<QAction>(*una, "Cerrar1")->trigger();
        b.dlg.respuestas.push_back(Respuesta::No);
        QCOMPARE(b.frm.companias().size(), std::size_t(2));  // "Una" is modified: Cancelar kept it
        b.dlg.respuestas.push_back(Respuesta::No);
        control<QAction>(*una, "Cerrar1")->trigger();
        QCOMPARE(b.frm.companias().size(), std::size_t(1));
        QCOMPARE(barra(b.frm), QStringList({"&Archivo", "&Informes", "&Ventana", "A&yuda"}));
        b.dlg.respuestas.push_back(Respuesta::No);
        control<QAction>(*otra, "Cerrar1")->trigger();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(b.frm.companias().empty());
        QCOMPARE(barra(b.frm), QStringList({"&Archivo", "&Ventana", "A&yuda"}));
    }

    void openingTheSameFileTwiceGivesOneWindow() {
        Banco b;
        b.mostrar();
        const QString ruta = b.talleres();
        const QString otraCaja = b.talleres("TALLERES.kr2");
        b.abrir(ruta);
        b.abrir(b.dir.filePath("otra.kr2"));  // missing: a new company, after a notice
        QCOMPARE(b.frm.companias().size(), std::size_t(2));
        QCOMPARE(b.frm.companiaActiva()->windowTitle(), QString("Nombre de la Empresa<>"));
        // Already open: brought forward, not read again, even with unsaved changes.
        b.frm.companias()[0]->documento()->modificado = true;
        const auto mensajes = b.dlg.mensajes.size();
        b.abrir(ruta);
        QCOMPARE(b.frm.companias().size(), std::size_t(2));
        QCOMPARE(b.frm.companiaActiva(), b.frm.companias()[0]);
        QVERIFY(b.frm.companias()[0]->documento()->modificado);
        QCOMPARE(b.dlg.mensajes.size(), mensajes);
        // Letters of another case name another file.
        b.abrir(otraCaja);
        QCOMPARE(b.frm.companias().size(), std::size_t(3));
        QCOMPARE(b.frm.companias()[2]->windowTitle(), "Talleres<" + otraCaja + ">");
    }

    void captionPathAndArgumentJoin() {
        QCOMPARE(TfrmMain::rutaDeTitulo("Talleres</d/t.kr2>"), QString("/d/t.kr2"));
        QCOMPARE(TfrmMain::rutaDeTitulo("Nueva<>"), QString());
        QCOMPARE(TfrmMain::rutaDeTitulo("Sin marca"), QString());
        QCOMPARE(TfrmMain::rutaDeTitulo("A<b<c>"), QString("b<c"));
        QCOMPARE(TfrmMain::unirArgumentos({}), std::string());
        QCOMPARE(TfrmMain::unirArgumentos({"/a/mis", "datos/x.kr2"}),
                 std::string("/a/mis datos/x.kr2"));
        QCOMPARE(TfrmMain::unirArgumentos({"a", "", "b"}), std::string("a  b"));
    }

    void commandLineFileIsOpenedWhenItExists() {
        Banco b;
        QDir(b.dir.path()).mkdir("mis datos");
        const QString ruta = b.dir.filePath("mis datos/Talleres 2.kr2");
        QFile::copy(QString(KORAL_FIXTURES) + "/talleres.kr2", ruta);
        const QString mitad = b.dir.filePath("mis");
        b.frm.argumentos = {mitad.toStdString(), "datos/Talleres", "2.kr2"};
        b.mostrar();
        // Opened once the frame is on screen.
        QTRY_COMPARE(b.frm.companias().size(), std::size_t(1));
        QCOMPARE(b.frm.companias()[0]->windowTitle(), "Talleres<" + ruta + ">");
        // Shown again (restored from minimised, say): not opened a second time.
        b.frm.hide();
        b.mostrar();
        QCOMPARE(b.frm.companias().size(), std::size_t(1));
    }

    void relativeCommandLineFileKeepsItsFullPath() {
        Banco b;
        QFile::copy(QString(KORAL_FIXTURES) + "/talleres.kr2", b.dir.filePath("t.kr2"));
        const QString antes = QDir::currentPath();
        QDir::setCurrent(b.dir.path());
        b.frm.argumentos = {"t.kr2"};
        b.mostrar();
        QDir::setCurrent(antes);
        QTRY_COMPARE(b.frm.companias().size(), std::size_t(1));
        QCOMPARE(b.frm.companias()[0]->windowTitle(),
                 "Talleres<" + QFileInfo(b.dir.filePath("t.kr2")).absoluteFilePath() + ">");
    }

    void commandLineFileThatDoesNotExistIsIgnoredSilently() {
        Banco b;
        b.frm.argumentos = {b.dir.filePath("no").toStdString(), "existe.kr2"};
        b.mostrar();
        QVERIFY(b.frm.companias().empty());
        QVERIFY(b.dlg.llamadas.empty());
        Banco sin;
        sin.mostrar();
        QVERIFY(sin.frm.companias().empty());
    }

    void manual() {
        Banco b;
        const QString antes = QDir::currentPath();
        QDir::setCurrent(b.dir.path());
        b.frm.ArchivoAyuda = "KORAL_prueba_que_no_existe.chm";
        b.orden("Manual1")->trigger();
        QCOMPARE(b.dlg.mensajes.back(),
                 std::string("No se encuentra el archivo KORAL_prueba_que_no_existe.chm"));
        QVERIFY(b.escritorio.abiertos.empty());

        b.frm.ArchivoAyuda = "KORAL.chm";
        QFile f(b.dir.filePath("KORAL.chm"));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        b.orden("Manual1")->trigger();
        QCOMPARE(b.escritorio.abiertos,
                 std::vector<std::string>{b.dir.filePath("KORAL.chm").toStdString()});
        b.escritorio.abrirFunciona = false;
        b.orden("Manual1")->trigger();
        QCOMPARE(b.dlg.mensajes.back(), std::string("No se pudo ejecutar la aplicación"));
        QDir::setCurrent(antes);
    }

    // After the current folder and the program's folder, the installed
    // program's data folder, <prefix>/share/koral20 beside <prefix>/bin.
    void manualInstalled() {
        Banco b;
        const QString antes = QDir::currentPath();
        QDir::setCurrent(b.dir.path());
        const QString nombre = "KORAL_prueba_instalado.chm";
        b.frm.ArchivoAyuda = nombre.toStdString();
        const QDir programa(QCoreApplication::applicationDirPath());
        const QString datos = QDir::cleanPath(programa.absoluteFilePath("../share/koral20"));
        const bool habia = QDir(datos).exists();
        QVERIFY(QDir().mkpath(datos));
        auto crear = [](const QString& ruta) {
            QFile f(ruta);
            return f.open(QIODevice::WriteOnly);
        };
        const QString instalado = datos + "/" + nombre;
        const QString junto = programa.absoluteFilePath(nombre);
        const QString actual = b.dir.filePath(nombre);
        QVERIFY(crear(instalado));
        b.orden("Manual1")->trigger();
        QVERIFY(crear(junto));
        b.orden("Manual1")->trigger();
        QVERIFY(crear(actual));
        b.orden("Manual1")->trigger();
        QFile::remove(instalado);
        QFile::remove(junto);
        if (!habia) QDir().rmpath(datos);
        QDir::setCurrent(antes);
        QCOMPARE(b.escritorio.abiertos,
                 (std::vector<std::string>{instalado.toStdString(), junto.toStdString(),
                                           actual.toStdString()}));
        QVERIFY(b.dlg.mensajes.empty());
    }

    void windowMenuListsCompaniesAndTilingStacksThem() {
        Banco b;
        b.mostrar();
        b.dlg.campos.push_back({true, "A & B"});
        b.orden("Nuevo1")->trigger();
        b.dlg.campos.push_back({true, "Segunda"});
        b.orden("Nuevo1")->trigger();
        emit b.menu("Ventana1")->aboutToShow();
        QCOMPARE(elementos(b.menu("Ventana1")),
                 QStringList({"&Mosaico", "&Cascada", "-", "&1 A && B<>", "&2 Segunda<>"}));
        QVERIFY(b.menu("Ventana1")->actions()[4]->isChecked());
        b.menu("Ventana1")->actions()[3]->trigger();
        QCOMPARE(b.frm.companiaActiva(), b.frm.companias()[0]);
        emit b.menu("Ventana1")->aboutToShow();  // rebuilt, not appended to
        QCOMPARE(b.menu("Ventana1")->actions().size(), 5);

        b.orden("Mosaico1")->trigger();
        const QRect area = control<QMdiArea>(b.frm, "mdiArea")->viewport()->rect();
        const QRect r1 = b.frm.companias()[0]->parentWidget()->geometry();
        const QRect r2 = b.frm.companias()[1]->parentWidget()->geometry();
        QCOMPARE(r1.width(), area.width());
        QCOMPARE(r2.width(), area.width());
        QCOMPARE(r1.top(), 0);
        QCOMPARE(r2.top(), r1.bottom() + 1);
        QCOMPARE(r2.bottom(), area.bottom());

        b.orden("Cascada1")->trigger();
        const QRect c1 = b.frm.companias()[0]->parentWidget()->geometry();
        const QRect c2 = b.frm.companias()[1]->parentWidget()->geometry();
        QVERIFY(c2.top() > c1.top());
        QVERIFY(c2.left() > c1.left());
    }

    void closingTheFrameAsksEveryCompanyInTurn() {
        Banco b;
        b.mostrar();
        b.dlg.campos.push_back({true, "Primera"});
        b.orden("Nuevo1")->trigger();
        b.dlg.campos.push_back({true, "Segunda"});
        b.orden("Nuevo1")->trigger();
        const auto antes = b.dlg.llamadas.size();

        // Cancelar on the first: both stay, and so does the program.
        b.dlg.respuestas.push_back(Respuesta::Cancelar);
        QVERIFY(!b.frm.close());
        QCOMPARE(b.dlg.llamadas.size(), antes + 1);
        QCOMPARE(b.frm.companias().size(), std::size_t(2));
        QVERIFY(b.frm.isVisible());

        // "No" on the first, Cancelar on the second: still both open.
        b.dlg.respuestas.push_back(Respuesta::No);
        b.dlg.respuestas.push_back(Respuesta::Cancelar);
        b.orden("Salir1")->trigger();
        QCOMPARE(b.frm.companias().size(), std::size_t(2));
        QVERIFY(b.frm.isVisible());
        QVERIFY(!b.frm.companias()[0]->documento()->modificado);

        // Now only the second asks; "No" lets everything close, without asking twice.
        b.dlg.respuestas.push_back(Respuesta::No);
        const auto preguntas = b.dlg.llamadas.size();
        QVERIFY(b.frm.close());
        QCOMPARE(b.dlg.llamadas.size(), preguntas + 1);
        QVERIFY(b.frm.companias().empty());
    }
};

QTEST_MAIN(TestUMain)
#include "test_UMain.moc"
