// The company window driven as a user would: buttons clicked, entries picked
// with the mouse, every dialog answered through its seam.
#include <sys/stat.h>
#include <unistd.h>

#include <QCollator>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMdiSubWindow>
#include <QMenu>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <fstream>
#include <random>
#include <sstream>

#include "Controles.h"
#include "DoblesVentanas.h"
#include "document/Acompanante.h"
#include "document/DatosEvaluacion.h"
#include "document/UData.h"
#include "method/Puntuacion.h"
#include "platform/Bloqueo.h"
#include "platform/Texto.h"
#include "platform/qt/TextoQt.h"
#include "red/ServidorRecogida.h"
#include "support/DialogosGuion.h"
#include "ui/AvisosLectura.h"
#include "ui/ImpresionVentanas.h"
#include "ui/UChild.h"
#include "ui/UMain.h"
#include "ui/URecoger.h"

using namespace koral;
using prueba::control;
using prueba::DialogosGuion;
using prueba::EjecutorGuion;
using prueba::elegir;
using prueba::escribir;
using prueba::EscritorioGuion;
using prueba::leer;

namespace {

// The company window's controls, by name.
QToolButton* boton(const TChildWin* w, const char* nombre) {
    return control<QToolButton>(*w, nombre);
}
QListView* lista(const TChildWin* w, const char* nombre) {
    return control<QListView>(*w, nombre);
}
QLabel* cabecera(const TChildWin* w, const char* nombre) {
    return control<QLabel>(*w, nombre);
}
QAction* orden(const TChildWin* w, const char* nombre) {
    return control<QAction>(*w, nombre);
}

QStringList textos(const QListView* lista) {
    QStringList t;
    for (int i = 0; i < lista->model()->rowCount(); ++i)
        t << lista->model()->index(i, 0).data().toString();
    return t;
}

}  // namespace

class TestUChild : public QObject {
    Q_OBJECT

    // Fresh doubles and frame for every test.
    struct Banco {
        DialogosGuion dlg;
        EjecutorGuion ejecutor;
        EscritorioGuion escritorio;
        TfrmMain frm;
        QTemporaryDir dir;

        Banco() {
            frm.show();
            if (!QTest::qWaitForWindowExposed(&frm)) qWarning("frame not exposed");
        }
        QString ruta(const char* nombre) const { return dir.filePath(nombre); }
        // A copy of the fixture company "Talleres" in the temporary folder.
        QString talleres() {
            const QString r = ruta("talleres.kr2");
            QFile::remove(r);
            QFile::copy(QString(KORAL_FIXTURES) + "/talleres.kr2", r);
            return r;
        }
        TChildWin* nueva(const std::string& nombre = "Empresa") {
            dlg.campos.push_back({true, nombre});
            frm.nuevaEmpresa();
            return frm.companias().back();
        }
        TChildWin* abrir(const QString& r) {
            ejecutor.rutas.push_back(r.toStdString());
            frm.abrirEmpresa();
            return frm.companias().back();
        }
    };

    static void clic(QToolButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

    static std::string ultimoMensaje(const DialogosGuion& d) {
        return d.mensajes.empty() ? std::string() : d.mensajes.back();
    }

private slots:
    void defaultNamesComeFromTheCountsAndNamesInUseAreRefused() {
        Banco b;
        TChildWin* w = b.nueva();
        b.dlg.campos.push_back({true, "Grupo 001"});
        clic(boton(w, "GNewButton"));
        QCOMPARE(b.dlg.valoresIniciales.back(), std::string("Grupo 001"));
        QCOMPARE(b.dlg.llamadas.back().titulo, std::string("Nuevo Grupo"));
        QCOMPARE(b.dlg.llamadas.back().texto, std::string("Indique nombre para el nuevo grupo"));
        b.dlg.campos.push_back({true, "Grupo 002"});
        clic(boton(w, "GNewButton"));
        QCOMPARE(b.dlg.valoresIniciales.back(), std::string("Grupo 002"));
        QCOMPARE(textos(lista(w, "lstGrupos")), QStringList({"Grupo 001", "Grupo 002"}));
        QCOMPARE(cabecera(w, "lblGrupos")->text(), QString("2 Grupos"));

        // After deleting Grupo 001 the count proposes Grupo 002 again, which is in use.
        elegir(lista(w, "lstGrupos"), 0);
        b.dlg.respuestas.push_back(Respuesta::Si);
        clic(boton(w, "GDeleteButton"));
        QCOMPARE(b.dlg.llamadas.back().titulo, std::string("Borrar Grupos"));
        QCOMPARE(b.dlg.llamadas.back().texto, std::string("Desea borrar el grupo Grupo 001?"));
        QCOMPARE(textos(lista(w, "lstGrupos")), QStringList({"Grupo 002"}));
        b.dlg.campos.push_back({true, "Grupo 002"});
        clic(boton(w, "GNewButton"));
        QCOMPARE(b.dlg.valoresIniciales.back(), std::string("Grupo 002"));
        QCOMPARE(b.escritorio.cajas, std::vector<std::string>{"El grupo Grupo 002 ya existe"});
        QCOMPARE(b.escritorio.titulos.back(), std::string(kTituloPrograma));
        QCOMPARE(w->documento()->grupos.size(), std::size_t(1));
        QCOMPARE(cabecera(w, "lblGrupos")->text(), QString("1 Grupos"));

        // Case counts; an empty name is a name; a long one keeps 49 characters.
        b.dlg.campos.push_back({true, "grupo 002"});
        clic(boton(w, "GNewButton"));
        b.dlg.campos.push_back({true, ""});
        clic(boton(w, "GNewButton"));
        b.dlg.campos.push_back({true, std::string(60, 'x')});
        clic(boton(w, "GNewButton"));
        QCOMPARE(w->documento()->nGrupos, 4);
        QVERIFY(w->documento()->buscarGrupo("grupo 002"));
        QVERIFY(w->documento()->buscarGrupo(""));
        QVERIFY(w->documento()->buscarGrupo(std::string(49, 'x')));
        QVERIFY(textos(lista(w, "lstGrupos")).contains(QString(49, 'x')));
        // Cancelling adds nothing.
        b.dlg.campos.push_back({false, "otro"});
        clic(boton(w, "GNewButton"));
        QCOMPARE(w->documento()->nGrupos, 4);
    }

    void manyGroupsProposeAWiderNumber() {
        Banco b;
        TChildWin* w = b.nueva();
        for (int i = 0; i < 999; ++i) w->documento()->agregarGrupo("g" + std::to_string(i));
        clic(boton(w, "GNewButton"));  // cancelled: no answer queued
        QCOMPARE(b.dlg.valoresIniciales.back(), std::string("Grupo 1000"));
    }

    void newQuestionnaireAndProfileRunTheirEditors() {
        Banco b;
        int ediciones = 0;
        b.frm.ordenes.editarCuestionario = [&](TKoral&, TCuestionario& q) {
            ++ediciones;
            if (q.nombre == "Renombrar") q.nombre = "A primero";
            return q.nombre != "Cancelado";
        };
        std::string nuevoNombre;
        b.frm.ordenes.editarPerfil = [&](TKoral&, TPerfil& p) {
            if (!nuevoNombre.empty()) p.nombre = nuevoNombre;
            return p.nombre != "Cancelado";
        };
        TChildWin* w = b.nueva();
        w->documento()->modificado = false;

        // Confirmed with a new name: the entry moves to its sorted place.
        b.dlg.campos.push_back({true, "Renombrar"});
        clic(boton(w, "CNewButton"));
        QCOMPARE(b.dlg.valoresIniciales.back(), std::string("C000001"));
        QCOMPARE(b.dlg.llamadas.back().titulo, std::string("Cuestionario Nuevo"));
        QCOMPARE(ediciones, 1);
        b.dlg.campos.push_back({true, "C000001"});
        clic(boton(w, "CNewButton"));
        QCOMPARE(textos(lista(w, "lstCuestionarios")), QStringList({"A primero", "C000001"}));
        QVERIFY(w->documento()->modificado);

        // The editor cancelled: the company as before "Nuevo", the current
        // entry and the identifier counter included.
        TKoral& doc = *w->documento();
        doc.modificado = false;
        elegir(lista(w, "lstCuestionarios"), 0);
        const std::int32_t ultimoId = doc.ultimoId;
        b.dlg.campos.push_back({true, "Cancelado"});
        clic(boton(w, "CNewButton"));
        QCOMPARE(ediciones, 3);
        QCOMPARE(textos(lista(w, "lstCuestionarios")), QStringList({"A primero", "C000001"}));
        QCOMPARE(lista(w, "lstCuestionarios")->currentIndex().row(), 0);
        QCOMPARE(doc.cuestionarios.size(), std::size_t(2));
        QCOMPARE(doc.nCuestionarios, 2);
        QCOMPARE(doc.ultimoId, ultimoId);
        QVERIFY(!doc.modificado);
        QCOMPARE(cabecera(w, "lblCuestionarios")->text(), QString("2 Cuestionarios"));

        b.dlg.campos.push_back({true, "C000001"});
        clic(boton(w, "CNewButton"));
        QCOMPARE(ultimoMensaje(b.dlg), std::string("El Cuestionario C000001 ya existe"));
        QCOMPARE(ediciones, 3);

        b.dlg.campos.push_back({true, "P000001"});
        clic(boton(w, "PNewButton"));
        QCOMPARE(b.dlg.valoresIniciales.back(), std::string("P000001"));
        QCOMPARE(b.dlg.llamadas.back().titulo, std::string("Nuevo Perfil"));
        b.dlg.campos.push_back({true, "P000001"});
        clic(boton(w, "PNewButton"));
        QCOMPARE(b.escritorio.cajas.back(), std::string("El Perfil P000001 ya existe"));
        QCOMPARE(cabecera(w, "lblPerfiles")->text(), QString("1 Perfiles"));
        // A new profile cancelled goes, as a new questionnaire does.
        doc.modificado = false;
        const std::int32_t ultimoIdPerfil = doc.ultimoId;
        b.dlg.campos.push_back({true, "Cancelado"});
        clic(boton(w, "PNewButton"));
        QCOMPARE(textos(lista(w, "lstPerfiles")), QStringList({"P000001"}));
        QCOMPARE(doc.perfiles.size(), std::size_t(1));
        QCOMPARE(doc.nPerfiles, 1);
        QCOMPARE(doc.ultimoId, ultimoIdPerfil);
        QVERIFY(!doc.modificado);
        QCOMPARE(cabecera(w, "lblPerfiles")->text(), QString("1 Perfiles"));

        // Renamed in its editor: the assessment's discussion and measures
        // that name it follow it.
        TDatosEvaluacion datos;
        datos.resultados = {{"P000001", "Turnos largos", ""}};
        datos.medidas = {TMedida{}};
        datos.medidas[0].perfiles = {"Otro", "P000001"};
        ponerDatosEvaluacion(w->acompanante(), datos);
        nuevoNombre = "Turno B";
        clic(boton(w, "PModifyButton"));
        datos = datosEvaluacion(w->acompanante());
        QCOMPARE(datos.resultados[0].perfil, std::string("Turno B"));
        QCOMPARE(datos.medidas[0].perfiles, (std::vector<std::string>{"Otro", "Turno B"}));
    }

    void doubleEntryMarksAreCountedShownAndKeptInTheCompanion() {
        Banco b;
        bool confirmada = false;
        b.frm.ordenes.verificarCuestionario = [&](TKoral&, TCuestionario&) { return confirmada; };
        b.frm.ordenes.editarCuestionario = [](TKoral&, TCuestionario& q) {
            q.respuestas[0] = q.respuestas[0] == '1' ? '0' : '1';
            return true;
        };
        const QString ruta = b.talleres();
        const QString registro = b.ruta(".talleres.kr2.verificados");
        // Marks and lock hold what the company holds: no more readable.
        ::chmod(ruta.toUtf8().constData(), 0600);
        const auto modo = [](const QString& r) {
            struct stat st {};
            return ::stat(r.toUtf8().constData(), &st) == 0 ? st.st_mode & 0777 : 0u;
        };
        TChildWin* w = b.abrir(ruta);
        QCOMPARE(modo(b.ruta(".talleres.kr2.lock")), 0600u);
        auto* verificados = cabecera(w, "lblVerificados");
        auto* verificar = control<QPushButton>(*w, "CVerifyButton");
        QCOMPARE(verificados->text(), QString("Verificados: 0 de 1"));
        b.dlg.campos.push_back({true, "Nuevo"});
        clic(boton(w, "CNewButton"));
        const std::int32_t idNuevo = w->documento()->buscarCuestionario("Nuevo")->id;
        QCOMPARE(verificados->text(), QString("Verificados: 0 de 2"));

        // Cancelled, nothing; confirmed, a mark to save.
        elegir(lista(w, "lstCuestionarios"), 1);
        w->documento()->modificado = false;
        QTest::mouseClick(verificar, Qt::LeftButton);
        QCOMPARE(verificados->text(), QString("Verificados: 0 de 2"));
        QVERIFY(!w->documento()->modificado);
        confirmada = true;
        QTest::keyClick(lista(w, "lstCuestionarios"), Qt::Key_F, Qt::AltModifier);
        QTRY_COMPARE(verificados->text(), QString("Verificados: 1 de 2"));
        QCOMPARE(textos(lista(w, "lstCuestionarios")),
                 QStringList({"Nuevo", QString::fromUtf8("Operario 1 ✓")}));
        QVERIFY(w->documento()->modificado);
        orden(w, "Guardar1")->trigger();
        const QString complementario = b.ruta("talleres.koral.json");
        const std::string respuestas(75, '0');
        const std::string conMarca = "{\n  \"verificados\": {\n    \"3\": \"" + respuestas +
                                     "\"\n  },\n  \"version\": 1\n}\n";
        QCOMPARE(leer(complementario), conMarca);
        QCOMPARE(modo(complementario), 0600u);
        orden(w, "Cerrar1")->trigger();
        w = b.abrir(ruta);
        QCOMPARE(cabecera(w, "lblVerificados")->text(), QString("Verificados: 1 de 2"));
        orden(w, "Cerrar1")->trigger();
        // One collected by the network is not waiting to be verified.
        escribir(complementario, "{\"recogidos\": [" + std::to_string(idNuevo) +
                                     "], \"verificados\": {\"3\": \"" + respuestas +
                                     "\"}, \"version\": 1}");
        w = b.abrir(ruta);
        QCOMPARE(cabecera(w, "lblVerificados")->text(), QString("Verificados: 1 de 1"));
        orden(w, "Cerrar1")->trigger();

        // The record older versions kept beside the company is read while the
        // companion has no marks; a line that cannot be read is told and left
        // out, a mark whose answers are not the company's is not shown.
        QFile::remove(complementario);
        escribir(registro, "KORAL20 VERIFICADOS\r\n3 " + respuestas + "\r\nbasura\r\n" +
                               std::to_string(idNuevo) + " " + respuestas + "\r\n");
        w = b.abrir(ruta);
        verificados = cabecera(w, "lblVerificados");
        QCOMPARE(ultimoMensaje(b.dlg), std::string("El registro de cuestionarios verificados de "
                                                   "esta empresa tiene líneas ilegibles: esos "
                                                   "cuestionarios se muestran sin verificar."));
        QCOMPARE(verificados->text(), QString("Verificados: 1 de 2"));
        QCOMPARE(textos(lista(w, "lstCuestionarios")),
                 QStringList({"Nuevo", QString::fromUtf8("Operario 1 ✓")}));
        // The next save moves its marks into the companion and lets it go.
        orden(w, "Guardar1")->trigger();
        QCOMPARE(leer(complementario), conMarca);
        QVERIFY(!QFile::exists(registro));

        // Answers changed by a normal edit lose the mark, even when changed back.
        elegir(lista(w, "lstCuestionarios"), 1);
        clic(boton(w, "CModifyButton"));
        clic(boton(w, "CModifyButton"));
        QCOMPARE(verificados->text(), QString("Verificados: 0 de 2"));
        QCOMPARE(textos(lista(w, "lstCuestionarios")), QStringList({"Nuevo", "Operario 1"}));
        orden(w, "Guardar1")->trigger();
        QCOMPARE(leer(complementario), std::string("{\n  \"version\": 1\n}\n"));
        orden(w, "Cerrar1")->trigger();

        // A companion that cannot be read is told and left as it is by a
        // save that still succeeds; the marks keep to the older record.
        escribir(complementario, "{ roto");
        w = b.abrir(ruta);
        QVERIFY(ultimoMensaje(b.dlg).rfind("El archivo complementario ", 0) == 0);
        elegir(lista(w, "lstCuestionarios"), 0);
        QTest::keyClick(lista(w, "lstCuestionarios"), Qt::Key_F, Qt::AltModifier);
        QTRY_COMPARE(cabecera(w, "lblVerificados")->text(), QString("Verificados: 1 de 2"));
        orden(w, "Guardar1")->trigger();
        QVERIFY(!w->documento()->modificado);
        QCOMPARE(leer(complementario), std::string("{ roto"));
        QVERIFY(leer(registro).rfind("KORAL20 VERIFICADOS\r\n" + std::to_string(idNuevo) + " ",
                                     0) == 0);
    }

    void mostlyBlankFormsAreMarkedInTheListAndFollowEditing() {
        Banco b;
        // Two forms either side of a third unanswered: 25 and 26 items blank.
        b.frm.ordenes.importaDatos = [](TKoral& d) {
            for (int blancas : {25, 26}) {
                TCuestionario* q = d.agregarCuestionario("B" + std::to_string(blancas));
                for (int i = blancas; i < kNumItems; ++i) q->respuestas[std::size_t(i)] = '1';
                puntuarCuestionario(*q);
            }
        };
        b.frm.ordenes.editarCuestionario = [](TKoral&, TCuestionario& q) {
            q.respuestas[0] = '2';
            puntuarCuestionario(q);
            return true;
        };
        TChildWin* w = b.nueva();
        clic(boton(w, "CImportButton"));
        const QAbstractItemModel* m = lista(w, "lstCuestionarios")->model();
        auto marcado = [&](int fila) {
            const QModelIndex i = m->index(fila, 0);
            return i.data(Qt::ToolTipRole)
                       .toString()
                       .endsWith(
                           QString::fromUtf8("Más de un tercio de las preguntas sin respuesta")) &&
                   !i.data(Qt::DecorationRole).isNull() && i.data(Qt::ForegroundRole).isValid();
        };
        // The names stay as they are sorted and found by.
        QCOMPARE(textos(lista(w, "lstCuestionarios")), QStringList({"B25", "B26"}));
        QVERIFY(!marcado(0));
        QVERIFY(marcado(1));
        elegir(lista(w, "lstCuestionarios"), 1);
        clic(boton(w, "CModifyButton"));
        QVERIFY(!marcado(1));
    }

    void renameGroup() {
        Banco b;
        TChildWin* w = b.nueva();
        b.dlg.campos.push_back({true, "Taller"});
        clic(boton(w, "GNewButton"));
        b.dlg.campos.push_back({true, "Oficina"});
        clic(boton(w, "GNewButton"));
        w->documento()->modificado = false;

        // To its own name: nothing, not even the mark.
        elegir(lista(w, "lstGrupos"), 1);
        b.dlg.campos.push_back({true, "Taller"});
        clic(boton(w, "GModifyButton"));
        QCOMPARE(b.dlg.valoresIniciales.back(), std::string("Taller"));
        QCOMPARE(b.dlg.llamadas.back().titulo, std::string("Modificar Grupo"));
        QVERIFY(!w->documento()->modificado);

        b.dlg.campos.push_back({true, "Oficina"});
        clic(boton(w, "GModifyButton"));
        QCOMPARE(ultimoMensaje(b.dlg), std::string("El grupo Oficina ya existe"));
        QVERIFY(!w->documento()->modificado);

        // A double-click renames too; the list sorts again.
        TGrupo* taller = w->documento()->buscarGrupo("Taller");
        b.dlg.campos.push_back({true, "Almacén"_cp});
        const QRect r =
            lista(w, "lstGrupos")->visualRect(lista(w, "lstGrupos")->model()->index(1, 0));
        QTest::mouseDClick(lista(w, "lstGrupos")->viewport(), Qt::LeftButton, {}, r.center());
        QCOMPARE(taller->nombre, "Almacén"_cp);
        QCOMPARE(textos(lista(w, "lstGrupos")),
                 QStringList({QString::fromUtf8("Almacén"), "Oficina"}));
        QVERIFY(w->documento()->modificado);
    }

    void deleteActsOnTheCurrentEntryAloneAndUnlinksBothSides() {
        Banco b;
        // An import that brings nothing refreshes every list from the document.
        b.frm.ordenes.importaDatos = [](TKoral&) {};
        TChildWin* w = b.nueva();
        TKoral& doc = *w->documento();
        doc.agregarGrupo("G0");
        TGrupo* g1 = doc.agregarGrupo("G1");
        TGrupo* g2 = doc.agregarGrupo("G2");
        TCuestionario* q1 = doc.agregarCuestionario("Q1");
        TCuestionario* q2 = doc.agregarCuestionario("Q2");
        TPerfil* p = doc.agregarPerfil("P");
        enlazar(*q1, *g1);
        enlazar(*q1, *g2);
        enlazar(*q2, *g2);
        p->grupos = {g1, g2};
        TPerfil* a = doc.agregarPerfil("A");
        a->grupos = {g1};
        orden(w, "Importardatosanteriores1")->trigger();
        QCOMPARE(textos(lista(w, "lstGrupos")), QStringList({"G0", "G1", "G2"}));
        QCOMPARE(textos(lista(w, "lstCuestionarios")), QStringList({"Q1", "Q2"}));

        // All three groups selected, G1 current.
        elegir(lista(w, "lstGrupos"), 0);
        elegir(lista(w, "lstGrupos"), 2, Qt::ControlModifier);
        elegir(lista(w, "lstGrupos"), 1, Qt::ControlModifier);
        QCOMPARE(lista(w, "lstGrupos")->selectionModel()->selectedIndexes().size(), 3);
        QCOMPARE(lista(w, "lstGrupos")->currentIndex().row(), 1);
        doc.modificado = false;
        b.dlg.respuestas.push_back(Respuesta::No);
        clic(boton(w, "GDeleteButton"));
        QCOMPARE(doc.nGrupos, 3);
        QVERIFY(!doc.modificado);
        b.dlg.respuestas.push_back(Respuesta::Si);
        clic(boton(w, "GDeleteButton"));
        // The profiles it widens are named in quotes, as the list shows
        // them, and the one left with no group is said to take the company.
        QCOMPARE(cp1252AUtf8(b.dlg.llamadas.back().texto),
                 std::string("El grupo «G1» se usa en los perfiles «A» y «P». «A» se quedará sin "
                             "grupos y abarcará toda la empresa. ¿Desea borrarlo?"));
        QCOMPARE(textos(lista(w, "lstGrupos")), QStringList({"G0", "G2"}));
        QCOMPARE(doc.nGrupos, 2);
        QVERIFY(!doc.buscarGrupo("G1"));
        QVERIFY(q1->grupos == std::vector<TGrupo*>{g2});
        QVERIFY(p->grupos == std::vector<TGrupo*>{g2});
        QVERIFY(a->grupos.empty());
        QCOMPARE(cabecera(w, "lblGrupos")->text(), QString("2 Grupos"));
        QVERIFY(doc.modificado);

        // Deleting a questionnaire takes it out of its groups.
        elegir(lista(w, "lstCuestionarios"), 1);
        elegir(lista(w, "lstCuestionarios"), 0, Qt::ControlModifier);
        b.dlg.respuestas.push_back(Respuesta::Si);
        clic(boton(w, "CDeleteButton"));
        QCOMPARE(b.dlg.llamadas.back().texto, std::string("Desea borrar el Cuestionario Q1?"));
        QCOMPARE(textos(lista(w, "lstCuestionarios")), QStringList({"Q2"}));
        QVERIFY(g2->cuestionarios == std::vector<TCuestionario*>{q2});
        QCOMPARE(cabecera(w, "lblCuestionarios")->text(), QString("1 Cuestionarios"));
    }

    void aProfilePrintedFromTheCompanyWindowIsComputedFirst() {
        Banco b;
        int sujetos = -1;
        b.frm.ordenes.imprimirPerfil = [&](TPerfil& p) { sujetos = p.nSujetos; };
        TChildWin* w = b.abrir(b.talleres());
        w->documento()->perfiles.front()->nSujetos = 0;  // as after opening: never computed
        elegir(lista(w, "lstPerfiles"), 0);
        clic(boton(w, "PPrintButton"));
        QCOMPARE(sujetos, 1);
    }

    // A profile does not know its company: the PDF's Title finds it all the same.
    void aProfilePrintedToPdfIsTitledWithItsCompany() {
        Banco b;
        TImpresionVentanas impresion(b.frm);
        impresion.conectar();
        TChildWin* w = b.abrir(b.talleres());
        b.frm.PrintDialog.impresora = kDestinoPdf;
        b.frm.PrintDialog.archivoPdf = b.ruta("p.pdf").toStdString();
        b.ejecutor.aArchivo.push_back(false);
        elegir(lista(w, "lstPerfiles"), 0);
        clic(boton(w, "PPrintButton"));
        QProcess pdfinfo;
        pdfinfo.start("pdfinfo", {b.ruta("p.pdf")});
        QVERIFY(pdfinfo.waitForFinished());
        QVERIFY2(pdfinfo.readAll().contains(
                     "Title:           PERFILES DEL MÉTODO DE EVALUACIÓN DE FACTORES "
                     "PSICOSOCIALES - Talleres\n"),
                 "no title with the company");
    }

    void selectedProfilesAreComparedAndTheCompanyReportedWhole() {
        Banco b;
        std::vector<std::string> comparados;
        const TKoral* evaluada = nullptr;
        b.frm.ordenes.editarPerfil = [](TKoral&, TPerfil&) { return true; };
        b.frm.ordenes.compararPerfiles = [&](TKoral&, const std::vector<TPerfil*>& perfiles) {
            comparados.clear();
            for (const TPerfil* p : perfiles) comparados.push_back(p->nombre);
        };
        b.frm.ordenes.imprimirEvaluacion = [&](TKoral& e, const TDatosEvaluacion&) {
            evaluada = &e;
        };
        TChildWin* w = b.nueva();
        for (const char* n : {"B", "C", "A"}) {
            b.dlg.campos.push_back({true, n});
            clic(boton(w, "PNewButton"));
        }
        // Two picked with Ctrl: both, in the list's order; the current
        // entry's commands still act on it alone.
        elegir(lista(w, "lstPerfiles"), 2);
        elegir(lista(w, "lstPerfiles"), 0, Qt::ControlModifier);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
        QTRY_COMPARE(comparados, (std::vector<std::string>{"A", "C"}));
        b.dlg.respuestas.push_back(Respuesta::Si);
        clic(boton(w, "PDeleteButton"));
        QCOMPARE(textos(lista(w, "lstPerfiles")), QStringList({"B", "C"}));
        elegir(lista(w, "lstPerfiles"), 1);
        orden(w, "Compararperfiles1")->trigger();
        QCOMPARE(comparados, std::vector<std::string>{"C"});
        orden(w, "Informeevaluacion1")->trigger();
        QCOMPARE(evaluada, w->documento());
    }

    void deleteQuestionnaireAndProfileFromAnOpenedCompany() {
        Banco b;
        TChildWin* w = b.abrir(b.talleres());
        TKoral& doc = *w->documento();
        TGrupo* g = doc.buscarGrupo("Taller");
        QCOMPARE(g->cuestionarios.size(), std::size_t(1));
        elegir(lista(w, "lstCuestionarios"), 0);
        b.dlg.respuestas.push_back(Respuesta::Si);
        clic(boton(w, "CDeleteButton"));
        QCOMPARE(b.dlg.llamadas.back().titulo, std::string("Borrar Cuestionarios"));
        QCOMPARE(b.dlg.llamadas.back().texto,
                 std::string("Desea borrar el Cuestionario Operario 1?"));
        QVERIFY(g->cuestionarios.empty());
        QCOMPARE(cabecera(w, "lblCuestionarios")->text(), QString("0 Cuestionarios"));
        QVERIFY(doc.modificado);

        elegir(lista(w, "lstPerfiles"), 0);
        b.dlg.respuestas.push_back(Respuesta::Si);
        clic(boton(w, "PDeleteButton"));
        QCOMPARE(b.dlg.llamadas.back().texto, "Desea borrar el Perfil Mañanas?"_cp);
        QVERIFY(doc.perfiles.empty());
        QCOMPARE(textos(lista(w, "lstPerfiles")), QStringList());
        // With the lists empty the record commands do nothing.
        const auto llamadas = b.dlg.llamadas.size();
        clic(boton(w, "PDeleteButton"));
        clic(boton(w, "CDeleteButton"));
        QCOMPARE(b.dlg.llamadas.size(), llamadas);
    }

    void captionAndHeadingsFollowTheCompany() {
        Banco b;
        const QString ruta = b.talleres();
        TChildWin* w = b.abrir(ruta);
        QCOMPARE(w->windowTitle(), "Talleres<" + ruta + ">");
        QCOMPARE(w->parentWidget()->windowTitle(), "Talleres<" + ruta + ">");
        QCOMPARE(cabecera(w, "lblGrupos")->text(), QString("1 Grupos"));
        QCOMPARE(cabecera(w, "lblCuestionarios")->text(), QString("1 Cuestionarios"));
        QCOMPARE(cabecera(w, "lblPerfiles")->text(), QString("1 Perfiles"));
        QVERIFY(!w->documento()->modificado);
        QVERIFY(w->parentWidget()->width() >= TChildWin::kAnchoMinimo);

        b.dlg.campos.push_back({true, std::string(60, 'N')});
        orden(w, "Cambiarnombreempresa1")->trigger();
        QCOMPARE(b.dlg.llamadas.back().titulo, std::string("Cambio nombre Empresa"));
        QCOMPARE(b.dlg.valoresIniciales.back(), std::string("Talleres"));
        QCOMPARE(w->windowTitle(), QString(49, 'N') + "<" + ruta + ">");
        QVERIFY(w->documento()->modificado);
        b.dlg.campos.push_back({true, ""});
        orden(w, "Cambiarnombreempresa1")->trigger();
        QCOMPARE(w->windowTitle(), "<" + ruta + ">");

        // A new company: its name asked for, no file.
        TChildWin* n = b.nueva("Nueva S.L.");
        QCOMPARE(b.dlg.llamadas.back().titulo, std::string("Nueva Empresa"));
        QCOMPARE(b.dlg.llamadas.back().texto, std::string("Indique el nombre de la nueva empresa"));
        QCOMPARE(b.dlg.valoresIniciales.back(), std::string("Nombre de la Empresa"));
        QCOMPARE(n->windowTitle(), QString("Nueva S.L.<>"));
        QCOMPARE(cabecera(n, "lblCuestionarios")->text(), QString("0 Cuestionarios"));
        QVERIFY(n->documento()->modificado);
    }

    void aMissingFileGivesANewCompany() {
        Banco b;
        TChildWin* w = b.abrir(b.ruta("no_existe.kr2"));
        QCOMPARE(b.dlg.mensajes.front(), std::string("Lo siento. No encuentro el archivo"));
        QCOMPARE(b.dlg.llamadas.back().titulo, std::string("Nueva Empresa"));
        QCOMPARE(w->windowTitle(), QString("Nombre de la Empresa<>"));
        QVERIFY(!QFile::exists(b.ruta("no_existe.kr2")));
    }

    void saveWritesTheFileAndItsBackup() {
        Banco b;
        const QString ruta = b.talleres();
        const std::string original = leer(ruta);
        // What a later version keeps beside the company goes along with it.
        const QString complementario = b.ruta("talleres.koral.json");
        escribir(complementario, R"({"version": 1, "futura": {"campo": "valor"}})");
        TChildWin* w = b.abrir(ruta);
        b.dlg.campos.push_back({true, "Pintura"});
        clic(boton(w, "GNewButton"));
        orden(w, "Guardar1")->trigger();
        QVERIFY(b.ejecutor.llamadas.size() == 1);  // only the open
        QVERIFY(!w->documento()->modificado);
        QCOMPARE(leer(b.ruta("talleres.BAK")), original);
        QVERIFY(leer(ruta).find("Pintura\r\n") != std::string::npos);
        QCOMPARE(leer(complementario),
                 "{\n  \"futura\": {\n    \"campo\": \"valor\"\n  },\n  \"version\": 1\n}\n");

        // Save as proposes NEMPRESA and gives the frame's dialog back as it was.
        const TDialogoArchivo antes = b.frm.SaveDialog;
        b.ejecutor.rutas.push_back(b.ruta("otra.kr2").toStdString());
        orden(w, "Guardarcomo1")->trigger();
        const TDialogoArchivo& usado = b.ejecutor.llamadas.back().dialogo;
        QCOMPARE(usado.nombreArchivo, std::string("NEMPRESA"));
        QCOMPARE(usado.filtro, std::string("Archivos KORAL 2.0|*.kr2|Cualquier archivo|*.*"));
        QCOMPARE(usado.extensionDefecto, std::string("kr2"));
        QVERIFY(!usado.preguntarReemplazo);
        QCOMPARE(b.frm.SaveDialog.nombreArchivo, antes.nombreArchivo);
        QCOMPARE(b.frm.SaveDialog.filtro, antes.filtro);
        QCOMPARE(w->windowTitle(), "Talleres<" + b.ruta("otra.kr2") + ">");
        QCOMPARE(leer(b.ruta("otra.kr2")), leer(ruta));
        QCOMPARE(leer(b.ruta("otra.koral.json")), leer(complementario));

        // A save that fails says why and keeps the mark and the caption.
        w->documento()->modificado = true;
        b.ejecutor.rutas.push_back(b.ruta("falta/x.kr2").toStdString());
        orden(w, "Guardarcomo1")->trigger();
        QVERIFY(!b.dlg.mensajes.empty());
        QVERIFY(w->documento()->modificado);
        QCOMPARE(w->windowTitle(), "Talleres<" + b.ruta("otra.kr2") + ">");
    }

    void aCompanyOpenElsewhereIsOpenedReadOnlyAnywayOrNot() {
        Banco b;
        const QString ruta = b.talleres();
        const QString nota = b.ruta(".talleres.kr2.lock");
        char equipo[256] = {};
        gethostname(equipo, sizeof equipo - 1);
        // Our parent process stands for the other program: it is alive.
        const std::string ajena = "KORAL20\nana\n" + std::string(equipo) + "\n" +
                                  std::to_string(getppid()) + "\n07/12/2026 10:15\n";
        escribir(nota, ajena);

        b.dlg.respuestas.push_back(Respuesta::Cancelar);
        b.ejecutor.rutas.push_back(ruta.toStdString());
        b.frm.abrirEmpresa();
        QTRY_VERIFY(b.frm.companias().empty());
        QVERIFY(b.dlg.llamadas.back().texto.find("La empresa ya est\xE1 abierta por ana en ") == 0);

        // Read-only: saving asks for another name and leaves both files alone.
        b.dlg.respuestas.push_back(Respuesta::Si);
        TChildWin* w = b.abrir(ruta);
        QVERIFY(w->soloLectura());
        QCOMPARE(w->windowTitle(), "(Solo lectura) Talleres<" + ruta + ">");
        b.dlg.campos.push_back({true, "Pintura"});
        clic(boton(w, "GNewButton"));
        b.ejecutor.rutas.push_back(ruta.toStdString());
        orden(w, "Guardar1")->trigger();
        QCOMPARE(b.ejecutor.llamadas.back().dialogo.nombreArchivo, std::string("NEMPRESA"));
        QCOMPARE(ultimoMensaje(b.dlg),
                 cp1252AUtf8(textoBloqueo({"ana", equipo, "07/12/2026 10:15"})));
        QVERIFY(leer(ruta).find("Pintura") == std::string::npos);
        QCOMPARE(leer(nota), ajena);
        b.ejecutor.rutas.push_back(b.ruta("mia.kr2").toStdString());
        orden(w, "Guardar1")->trigger();
        QVERIFY(!w->soloLectura());
        QVERIFY(QFile::exists(b.ruta(".mia.kr2.lock")));
        orden(w, "Cerrar1")->trigger();
        QTRY_VERIFY(!QFile::exists(b.ruta(".mia.kr2.lock")));

        // Anyway: this window takes the note over, and gives it up on closing.
        b.dlg.respuestas.push_back(Respuesta::No);
        w = b.abrir(ruta);
        QVERIFY(!w->soloLectura());
        QVERIFY(leer(nota).find("\n" + std::to_string(getpid()) + "\n") != std::string::npos);
        orden(w, "Cerrar1")->trigger();
        QTRY_VERIFY(!QFile::exists(nota));
    }

    void aFifoIsRefusedWithoutWaiting() {
        Banco b;
        const QString fifo = b.ruta("f.kr2");
        QCOMPARE(mkfifo(fifo.toUtf8().constData(), 0600), 0);
        b.ejecutor.rutas.push_back(fifo.toStdString());
        b.frm.abrirEmpresa();
        QCOMPARE(ultimoMensaje(b.dlg), "No es un archivo normal: " + fifo.toStdString());
        QTRY_VERIFY(b.frm.companias().empty());
    }

    void closeQueryAnswers() {
        Banco b;
        const QString ruta = b.talleres();
        const std::string original = leer(ruta);
        TChildWin* w = b.abrir(ruta);
        b.dlg.campos.push_back({true, "Nuevo"});
        clic(boton(w, "GNewButton"));

        // Cancelar: stays open, nothing written.
        b.dlg.respuestas.push_back(Respuesta::Cancelar);
        orden(w, "Cerrar1")->trigger();
        QCOMPARE(b.dlg.llamadas.back().titulo, "Atención"_cp);
        QCOMPARE(b.dlg.llamadas.back().texto,
                 "Guardar cambios en el archivo " + ruta.toStdString() + "?");
        QCOMPARE(b.frm.companias().size(), std::size_t(1));
        QCOMPARE(leer(ruta), original);

        // No: closes without writing.
        b.dlg.respuestas.push_back(Respuesta::No);
        orden(w, "Cerrar1")->trigger();
        QVERIFY(b.frm.companias().empty());
        QCOMPARE(leer(ruta), original);

        // Si: writes, then closes.
        w = b.abrir(ruta);
        b.dlg.campos.push_back({true, "Nuevo"});
        clic(boton(w, "GNewButton"));
        b.dlg.respuestas.push_back(Respuesta::Si);
        orden(w, "Cerrar1")->trigger();
        QVERIFY(b.frm.companias().empty());
        QVERIFY(leer(ruta).find("Nuevo\r\n") != std::string::npos);

        // An unmodified company closes without a question.
        w = b.abrir(ruta);
        const auto preguntas = b.dlg.llamadas.size();
        orden(w, "Cerrar1")->trigger();
        QVERIFY(b.frm.companias().empty());
        QCOMPARE(b.dlg.llamadas.size(), preguntas);
    }

    void closingANeverSavedCompanyKeepsItWhenTheSaveIsCancelled() {
        Banco b;
        TChildWin* w = b.nueva("Sin archivo");
        b.dlg.respuestas.push_back(Respuesta::Si);
        b.ejecutor.rutas.push_back(std::nullopt);  // save-as cancelled
        orden(w, "Cerrar1")->trigger();
        QCOMPARE(b.dlg.llamadas.back().texto, std::string("Guardar cambios en el archivo ?"));
        QCOMPARE(b.ejecutor.llamadas.back().tipo, std::string("guardar"));
        QCOMPARE(b.frm.companias().size(), std::size_t(1));
        QVERIFY(w->documento()->modificado);

        // Answered this time: written there, then closed.
        b.dlg.respuestas.push_back(Respuesta::Si);
        b.ejecutor.rutas.push_back(b.ruta("sin.kr2").toStdString());
        orden(w, "Cerrar1")->trigger();
        QVERIFY(b.frm.companias().empty());
        QVERIFY(leer(b.ruta("sin.kr2")).find("Sin archivo") != std::string::npos);
    }

    void aFailedReadingKeepsWhatWasReadAndForgetsThePath() {
        Banco b;
        const QString ruta = b.ruta("roto.kr2");
        const std::string contenido =
            "E9 2 0 0 Rota\r\nG2  3.84120000000000E+0004 Taller\r\n"
            "Gxx  3.84120000000000E+0004 Otro\r\n";
        escribir(ruta, contenido);
        TChildWin* w = b.abrir(ruta);
        QCOMPARE(w->windowTitle(), QString("Rota<>"));
        QCOMPARE(textos(lista(w, "lstGrupos")), QStringList({"Taller"}));
        QCOMPARE(cabecera(w, "lblGrupos")->text(), QString("1 Grupos"));
        const std::string aviso = ultimoMensaje(b.dlg);
        QVERIFY2(aviso.find("Invalid numeric input") == 0, aviso.c_str());
        QVERIFY2(aviso.find("nombre nuevo") != std::string::npos, aviso.c_str());
        QVERIFY(w->documento()->modificado);

        // Saving asks for a name; cancelled, the original is untouched.
        b.ejecutor.rutas.push_back(std::nullopt);
        orden(w, "Guardar1")->trigger();
        QCOMPARE(b.ejecutor.llamadas.back().tipo, std::string("guardar"));
        QCOMPARE(leer(ruta), contenido);
        QVERIFY(!QFile::exists(b.ruta("roto.BAK")));
    }

    void cancellingTheOpeningOfALargeCompanyClosesItsWindowAndLeavesTheFile() {
        Banco b;
        const QString ruta = b.ruta("grande.kr2");
        {
            TKoral doc;
            doc.iniciarEmpresa("Grande");
            for (int i = 0; i < 8000; ++i) doc.crearCuestionario("Q" + std::to_string(i));
            doc.archivo = ruta.toStdString();
            doc.guardarArchivo();
        }
        const std::string antes = leer(ruta);
        QVERIFY(antes.size() >= TChildWin::kProgresoDesde);
        // The progress shows at once; "Cancelar" is pressed as soon as events flow.
        bool visto = false;
        QTimer::singleShot(0, &b.frm, [&] {
            auto* progreso = b.frm.findChild<QProgressDialog*>("dlgAbriendo");
            visto = progreso && progreso->isVisible();
            if (visto) QTest::mouseClick(progreso->findChild<QPushButton*>(), Qt::LeftButton);
        });
        b.ejecutor.rutas.push_back(ruta.toStdString());
        b.frm.abrirEmpresa();
        QVERIFY(visto);
        QVERIFY(b.frm.companias().empty());
        QVERIFY(b.dlg.llamadas.empty());
        QVERIFY(b.escritorio.cajas.empty());
        QCOMPARE(leer(ruta), antes);
        QVERIFY(BloqueoEmpresa::tomar(ruta.toStdString(), false));
    }

    void noticesOfOneReadingAreSummedUpBeyondTheFirstFew() {
        Banco b;
        const QString ruta = b.ruta("texto.kr2");
        std::string contenido = "E1 0 0 0 Texto\r\n";
        for (int i = 0; i < 12; ++i) contenido += "\"C01\",\"A\",1,2,3\r\n";
        escribir(ruta, contenido);

        // Without the window program's gatherer (the tests, koral20-cli) every notice is seen.
        b.abrir(ruta);
        QCOMPARE(b.dlg.mensajes.size(), std::size_t(12));

        b.dlg.mensajes.clear();
        QFile::copy(ruta, b.ruta("texto2.kr2"));
        {
            TAvisosLectura avisos(b.dlg);
            Dialogos* anterior = instalarDialogos(&avisos);
            b.abrir(b.ruta("texto2.kr2"));
            // Notices after the reading are shown again.
            Mensaje("despues");
            instalarDialogos(anterior);
        }
        QCOMPARE(b.dlg.mensajes.size(), std::size_t(7));
        for (int i = 0; i < 5; ++i)
            QCOMPARE(b.dlg.mensajes[i],
                     std::string("Línea errónea en archivo. Posible corrupción"));
        QCOMPARE(b.dlg.mensajes[5],
                 std::string("Hay otros 7 avisos de lectura de este archivo que no se muestran."));
        QCOMPARE(b.dlg.mensajes[6], std::string("despues"));
    }

    void commandsOfLaterWindowsWaitForThem() {
        Banco b;
        TChildWin* w = b.nueva();
        for (const char* n : {"GVerButton", "GPrintButton", "CNewButton", "CModifyButton",
                              "CImportButton", "CExportButton", "CPrintButton", "PNewButton",
                              "PModifyButton", "PPrintButton", "PCompareButton"})
            QVERIFY2(!boton(w, n)->isEnabled(), n);
        for (const char* n :
             {"Importardatosanteriores1", "Recogerenred1", "Exportardatos1",
              "Exportarpuntuaciones1", "Impcuestvacio1", "Imprimirinforme1", "ImpGrupos1",
              "ImpCuestionario1", "Impperfil1", "Compararperfiles1", "Informeevaluacion1"})
            QVERIFY2(!orden(w, n)->isEnabled(), n);
        for (const char* n :
             {"GNewButton", "GModifyButton", "GDeleteButton", "CDeleteButton", "PDeleteButton"})
            QVERIFY2(boton(w, n)->isEnabled(), n);
        QCOMPARE(boton(w, "GVerButton")->toolTip(), QString("Ver estructura del grupo (Alt+E)"));
        QCOMPARE(boton(w, "CImportButton")->geometry(), QRect(72, 0, 25, 25));
        QCOMPARE(boton(w, "PDeleteButton")->geometry(), QRect(128, 0, 25, 25));

        // Wired in, they run on the current record; the structure marks the company.
        int vistos = 0, impresos = 0, importados = 0;
        b.frm.ordenes.verGrupo = [&](TKoral&, TGrupo& g) { vistos += g.nombre == "G" ? 1 : 100; };
        b.frm.ordenes.imprimirCuestionario = [&](TCuestionario&) { ++impresos; };
        b.frm.ordenes.importaDatos = [&](TKoral& d) {
            ++importados;
            d.agregarCuestionario("Importado");
        };
        TChildWin* x = b.nueva();
        QVERIFY(boton(x, "GVerButton")->isEnabled());
        x->documento()->modificado = false;
        clic(boton(x, "GVerButton"));  // no current entry
        clic(boton(x, "CPrintButton"));
        QCOMPARE(vistos + impresos, 0);
        b.dlg.campos.push_back({true, "G"});
        clic(boton(x, "GNewButton"));
        x->documento()->modificado = false;
        clic(boton(x, "GVerButton"));
        QCOMPARE(vistos, 1);
        QVERIFY(x->documento()->modificado);
        x->documento()->modificado = false;
        clic(boton(x, "CImportButton"));
        QCOMPARE(importados, 1);
        QCOMPARE(textos(lista(x, "lstCuestionarios")), QStringList({"Importado"}));
        QCOMPARE(cabecera(x, "lblCuestionarios")->text(), QString("1 Cuestionarios"));
        QVERIFY(x->documento()->modificado);
        elegir(lista(x, "lstCuestionarios"), 0);
        clic(boton(x, "CPrintButton"));
        QCOMPARE(impresos, 1);
    }

    void everyButtonHasALetterOfItsOwnThatActsInTheActiveCompany() {
        Banco b;
        TChildWin* una = b.nueva("Una");
        TChildWin* otra = b.nueva("Otra");
        // Alt+A, I, V and Y open the frame's menus.
        QSet<QString> teclas = {"Alt+A", "Alt+I", "Alt+V", "Alt+Y"};
        for (QAbstractButton* boton : otra->findChildren<QAbstractButton*>()) {
            const QString tecla = boton->shortcut().toString();
            QVERIFY2(tecla.startsWith("Alt+") && !teclas.contains(tecla), qPrintable(tecla));
            teclas.insert(tecla);
            QVERIFY2(boton->toolTip().endsWith("(" + tecla + ")"), qPrintable(boton->toolTip()));
        }
        QCOMPARE(teclas.size(), 4 + 18);

        b.dlg.llamadas.clear();
        for (TChildWin* w : {otra, una, otra}) {
            elegir(lista(w, "lstGrupos"), 0);  // the focus in that company
            b.dlg.campos.push_back({true, "G" + std::to_string(w->documento()->nGrupos)});
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_G, Qt::AltModifier);
            QTRY_COMPARE(b.dlg.llamadas.size(), std::size_t(1));
            QCOMPARE(b.dlg.llamadas.back().titulo, std::string("Nuevo Grupo"));
            b.dlg.llamadas.clear();
        }
        QCOMPARE(textos(lista(una, "lstGrupos")), QStringList({"G0"}));
        QCOMPARE(textos(lista(otra, "lstGrupos")), QStringList({"G0", "G1"}));
    }

    void menusOfTheCompanyWindow() {
        Banco b;
        TChildWin* w = b.nueva();
        QStringList archivo;
        for (QAction* a : control<QMenu>(*w, "mnuArchivo")->actions())
            archivo << (a->isSeparator() ? "-" : a->text());
        QCOMPARE(archivo,
                 QStringList({"&Nuevo", "&Abrir ...", "&Guardar", "Guardar &como ...",
                              "Cambiar nombre &Empresa", "-", "Ce&rrar", "-",
                              "&Importar datos anteriores", "Recoger en re&d ...",
                              "Imp. cuest. &vacio", "E&xportar datos", "Exportar &puntuaciones ...",
                              "Plan de &medidas en CSV ...", "-", "&Salir"}));
        QStringList informes;
        for (QAction* a : control<QMenu>(*w, "mnuInformes")->actions())
            informes << (a->isSeparator() ? "-" : a->text());
        QCOMPARE(
            informes,
            QStringList({"&Imprimir informe", "Imp. &Grupos", "Imp. C&uestionario", "Imp. &Perfil",
                         "-", "&Comparar perfiles", QString::fromUtf8("Informe de &evaluación"),
                         QString::fromUtf8("&Datos de la evaluación ..."), "Plan de &medidas"}));
        // "&Nuevo" is the frame's command.
        b.dlg.campos.push_back({true, "Otra"});
        orden(w, "Nuevo1")->trigger();
        QCOMPARE(b.frm.companias().size(), std::size_t(2));
        QCOMPARE(b.frm.companias().back()->windowTitle(), QString("Otra<>"));
    }

    void answersCollectedOnTheNetworkJoinTheListAtOnce() {
        Banco b;
        TImpresionVentanas impresion(b.frm);
        conectarRecoger(b.frm, impresion);
        const QString ruta = b.talleres();
        TChildWin* w = b.abrir(ruta);
        const int antes = lista(w, "lstCuestionarios")->model()->rowCount();
        const QString nombre = QString("C%1").arg(antes + 1, 6, 10, QChar('0'));
        int estado = 0;
        QStringList vistos;
        QTimer::singleShot(0, [&] {
            auto* v = qobject_cast<TfrmRecoger*>(QApplication::activeModalWidget());
            if (!v) return;
            v->puertoPreferido = 0;
            auto* red = control<QComboBox>(*v, "cbRed");
            red->setCurrentIndex(red->count() - 1);  // this computer alone
            control<QPushButton>(*v, "btnEmpezar")->click();
            if (v->servidor()) {
                QNetworkAccessManager navegador;
                QNetworkRequest envio(QUrl(v->servidor()->url() + "enviar"));
                envio.setHeader(QNetworkRequest::ContentTypeHeader,
                                "application/x-www-form-urlencoded");
                std::unique_ptr<QNetworkReply> r(navegador.post(
                    envio,
                    "codigo=" + control<QLineEdit>(*v, "txtCodigo")->text().toUtf8() + "&r1=1"));
                if (QTest::qWaitFor([&] { return r->isFinished(); }, 10000))
                    estado = r->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
                vistos = textos(lista(w, "lstCuestionarios"));
            }
            v->reject();
        });
        orden(w, "Recogerenred1")->trigger();
        QCOMPARE(estado, 200);
        QVERIFY(vistos.contains(nombre));
        QCOMPARE(cabecera(w, "lblCuestionarios")->text(),
                 QString("%1 Cuestionarios").arg(antes + 1));
        QVERIFY(leer(ruta).find(nombre.toStdString()) != std::string::npos);
    }

    void aLargeCompanyFillsItsListsSorted() {
        Banco b;
        TChildWin* w = b.nueva();
        b.dlg.campos.push_back({true, "Álava"_cp});
        b.dlg.campos.push_back({true, "alba"});
        b.dlg.campos.push_back({true, "Zamora"});
        b.dlg.campos.push_back({true, "Burgos"});
        for (int i = 0; i < 4; ++i) clic(boton(w, "GNewButton"));
        QCOMPARE(textos(lista(w, "lstGrupos")),
                 QStringList({QString::fromUtf8("Álava"), "alba", "Burgos", "Zamora"}));
        // A refresh of everything (as after an import) sorts the questionnaires too.
        b.frm.ordenes.importaDatos = [](TKoral&) {};
        TChildWin* x = b.nueva();
        for (int i = 20000; i > 0; --i)
            x->documento()->agregarCuestionario("Q" + rellenarCeros(i, 6));
        // Plain names and names with accents, signs and case mixed: in the
        // collator's order whichever way each is compared.
        const QString letras = QString::fromUtf8(" -.,'()09aAbBcChHlLnNñÑzZáÁ");
        QStringList esperados;
        std::mt19937 azar(3);
        for (int i = 0; i < 400; ++i) {
            QString nombre;
            for (int k = 1 + int(azar() % 4); k > 0; --k) nombre += letras[azar() % letras.size()];
            std::string cp;
            deQString(nombre, cp);
            if (x->documento()->agregarGrupo(cp)) esperados << nombre;
        }
        QCollator collator(QLocale(QLocale::Spanish, QLocale::Spain));
        std::stable_sort(esperados.begin(), esperados.end(),
                         [&](const QString& a, const QString& b) {
                             const int c = collator.compare(a, b);
                             return c != 0 ? c < 0 : a < b;
                         });
        orden(x, "Importardatosanteriores1")->trigger();
        QCOMPARE(textos(lista(x, "lstGrupos")), esperados);
        QCOMPARE(lista(x, "lstCuestionarios")->model()->rowCount(), 20000);
        QCOMPARE(lista(x, "lstCuestionarios")->model()->index(0, 0).data().toString(),
                 QString("Q000001"));
        QCOMPARE(lista(x, "lstCuestionarios")->model()->index(19999, 0).data().toString(),
                 QString("Q020000"));
    }
};

QTEST_MAIN(TestUChild)
#include "test_UChild.moc"
