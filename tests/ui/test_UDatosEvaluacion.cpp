// "Datos de la evaluación" driven from the company window by the keyboard
// alone: what lands in the companion file, and what must not.
#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>

#include "Controles.h"
#include "DoblesVentanas.h"
#include "document/Acompanante.h"
#include "document/DatosEvaluacion.h"
#include "document/UData.h"
#include "platform/Fecha.h"
#include "platform/Texto.h"
#include "support/DialogosGuion.h"
#include "ui/ImpresionVentanas.h"
#include "ui/Intercambio.h"
#include "ui/UChild.h"
#include "ui/UDatosEvaluacion.h"
#include "ui/UMain.h"

using namespace koral;
using prueba::control;
using prueba::DialogosGuion;
using prueba::EjecutorGuion;
using prueba::escribir;
using prueba::leer;

namespace {

QWidget* foco() {
    return QApplication::focusWidget();
}

// A control's access key; a button's click comes a moment later, as it
// shows itself pressed first.
void alt(QWidget* v, Qt::Key k) {
    QTest::keyClick(v, k, Qt::AltModifier);
    const auto botones = v->findChildren<QAbstractButton*>();
    (void)QTest::qWaitFor([&] {
        return std::none_of(botones.begin(), botones.end(),
                            [](const QAbstractButton* b) { return b->isDown(); });
    });
}

// As typed, accented letters too (which have no key code of their own).
void teclear(const QString& texto) {
    for (const QChar c : texto) {
        if (c == QLatin1Char('\n'))
            QTest::keyClick(foco(), Qt::Key_Return);
        else if (c.unicode() < 128)
            QTest::keyClick(foco(), c.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, foco(), Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void tecla(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
    QTest::keyClick(foco(), k, m);
}

// Ticks a date's box by its access key and types the date into it.
bool fecha(QWidget* v, Qt::Key k, const char* dia) {
    alt(v, k);
    if (!QTest::qWaitFor([] { return qobject_cast<QDateEdit*>(foco()) != nullptr; })) return false;
    teclear(QString::fromLatin1(dia));
    return true;
}

}  // namespace

class TestUDatosEvaluacion : public QObject {
    Q_OBJECT

    struct Banco {
        DialogosGuion dlg;
        EjecutorGuion ejecutor;
        TfrmMain frm;
        TImpresionVentanas impresion{frm};
        QTemporaryDir dir;
        QString ruta = dir.filePath("talleres.kr2");
        QString complementario = dir.filePath("talleres.koral.json");

        Banco() {
            QFile::copy(QString(KORAL_FIXTURES) + "/talleres.kr2", ruta);
            impresion.conectar();
            conectarIntercambio(frm, impresion);
            frm.show();
            if (!QTest::qWaitForWindowExposed(&frm)) qWarning("frame not exposed");
        }
        ~Banco() { fijarFechaHoy(std::nullopt); }
        TChildWin* abrir() {
            ejecutor.rutas.push_back(ruta.toStdString());
            frm.abrirEmpresa();
            return frm.companias().back();
        }
        // Opens the window from the company window's menu and hands it to
        // `manejar` once it is up; the window must be closed by then.
        static void enVentana(TChildWin* w,
                              const std::function<void(TfrmDatosEvaluacion*)>& manejar) {
            bool hecho = false;
            QTimer::singleShot(0, [&] {
                TfrmDatosEvaluacion* d = nullptr;
                (void)QTest::qWaitFor([&] {
                    d = qobject_cast<TfrmDatosEvaluacion*>(QApplication::activeModalWidget());
                    return d != nullptr;
                });
                if (d && QTest::qWaitForWindowActive(d) &&
                    QTest::qWaitFor([d] { return foco() && foco()->window() == d; }))
                    manejar(d);
                else
                    qWarning("the window has not the focus");
                hecho = true;
                // A failed check leaves it open: the test goes on to report it.
                if (d && d->isVisible()) d->reject();
            });
            control<QAction>(*w, "Datosevaluacion1")->trigger();
            QVERIFY(hecho);
        }
        // What the companion file beside the company holds now.
        TDatosEvaluacion enArchivo() const {
            TKoral k;
            k.archivo = ruta.toStdString();
            TAcompanante a;
            a.leer(k);
            return datosEvaluacion(a);
        }
    };

private slots:
    void everyTabTypedLandsInTheCompanionAndItsFile() {
        Banco b;
        const double hoy = fechaDeCivil(2026, 12, 8);
        fijarFechaHoy(hoy);
        TChildWin* w = b.abrir();
        QVERIFY(!w->documento()->modificado);

        Banco::enVentana(w, [&](TfrmDatosEvaluacion* d) {
            QCOMPARE(control<QLineEdit>(*d, "txtEmpresa")->text(),
                     QString::fromUtf8(cp1252AUtf8(w->documento()->nombre)));
            // Identificación: the first field has the focus.
            teclear("B39123456");
            alt(d, Qt::Key_T);
            teclear(QString::fromUtf8("Nave de Santoña"));
            alt(d, Qt::Key_V);
            teclear("Conservas");
            alt(d, Qt::Key_N);
            teclear(QString::fromUtf8("Ana Pérez"));
            alt(d, Qt::Key_L);
            teclear(QString::fromUtf8("Técnica superior"));
            alt(d, Qt::Key_S);
            teclear("SPA Norte");
            QVERIFY(fecha(d, Qt::Key_H, "20112026"));

            // Alcance y método: the offered scope replaced, the method kept.
            alt(d, Qt::Key_M);
            alt(d, Qt::Key_O);
            tecla(Qt::Key_A, Qt::ControlModifier);
            teclear("Todo el taller.");
            QVERIFY(fecha(d, Qt::Key_D, "05102026"));
            QVERIFY(fecha(d, Qt::Key_T, "23102026"));
            alt(d, Qt::Key_F);
            tecla(Qt::Key_Down);
            tecla(Qt::Key_Down);
            alt(d, Qt::Key_N);
            teclear("Dos delegados.\nRevisaron el plan.");

            // Plantilla: the company and its one group.
            alt(d, Qt::Key_P);
            alt(d, Qt::Key_T);
            tecla(Qt::Key_A, Qt::ControlModifier);
            teclear("40");
            alt(d, Qt::Key_G);
            teclear("4");
            tecla(Qt::Key_Return);
            QCOMPARE(control<QLabel>(*d, "lblParticipacion")->text(),
                     QString::fromUtf8("Participación: ") + QLocale().toString(2.5, 'f', 1) + " %");

            // Resultados of the one profile, and the threshold.
            alt(d, Qt::Key_R);
            alt(d, Qt::Key_D);
            teclear(QString::fromUtf8("Carga alta en turno de mañana."));
            alt(d, Qt::Key_O);
            teclear("Revisar ritmos.");
            alt(d, Qt::Key_N);
            tecla(Qt::Key_A, Qt::ControlModifier);
            teclear("3");

            // Medidas: the first done and left so, the second done then
            // taken back, the third removed, the last moved up.
            alt(d, Qt::Key_E);
            for (int i = 1; i <= 4; ++i) {
                alt(d, Qt::Key_N);
                teclear(QString("Medida %1").arg(i));
            }
            auto* tabla = control<QTableWidget>(*d, "tblMedidas");
            tabla->setFocus();
            tecla(Qt::Key_Home, Qt::ControlModifier);
            alt(d, Qt::Key_1);
            QTRY_VERIFY(control<QCheckBox>(*d, "chkFactor1")->isChecked());
            alt(d, Qt::Key_L);
            tecla(Qt::Key_Space);
            alt(d, Qt::Key_O);
            tecla(Qt::Key_Up);
            alt(d, Qt::Key_B);
            teclear("Jefe de taller");
            alt(d, Qt::Key_S);
            teclear("8 horas");
            QVERIFY(fecha(d, Qt::Key_F, "15012027"));
            alt(d, Qt::Key_T);
            tecla(Qt::Key_Down);
            tecla(Qt::Key_Down);
            QCOMPARE(control<QLabel>(*d, "lblHecha")->text(), QString("Hecha el 08/12/2026"));
            alt(d, Qt::Key_G);
            teclear("Hecho.");
            tabla->setFocus();
            tecla(Qt::Key_Down);
            alt(d, Qt::Key_T);
            tecla(Qt::Key_Down);
            tecla(Qt::Key_Down);
            tecla(Qt::Key_Up);
            tabla->setFocus();
            tecla(Qt::Key_Down);
            alt(d, Qt::Key_Q);
            tabla->setFocus();
            QCOMPARE(tabla->currentRow(), 2);
            alt(d, Qt::Key_U);
            QVERIFY(fecha(d, Qt::Key_V, "01122027"));
            tecla(Qt::Key_Return, Qt::ControlModifier);
        });

        TDatosEvaluacion esperado;
        esperado.cif = "B39123456";
        esperado.centros = "Nave de Santoña"_cp;
        esperado.actividad = "Conservas";
        esperado.evaluador = "Ana Pérez"_cp;
        esperado.titulacion = "Técnica superior"_cp;
        esperado.servicioPrevencion = "SPA Norte";
        esperado.fechaInforme = fechaDeCivil(2026, 11, 20);
        esperado.objeto = "Todo el taller.";
        esperado.trabajoDesde = fechaDeCivil(2026, 10, 5);
        esperado.trabajoHasta = fechaDeCivil(2026, 10, 23);
        esperado.aplicacion = Aplicacion::Red;
        esperado.representantes = "Dos delegados.\r\nRevisaron el plan.";
        esperado.trabajadores = 40;
        esperado.plantilla = {{"Taller", 4}};
        esperado.resultados = {
            {"Mañanas"_cp, "Carga alta en turno de mañana."_cp, "Revisar ritmos."}};
        esperado.minimo = 3;
        TMedida m1;
        m1.medida = "Medida 1";
        m1.factores = {1};
        m1.perfiles = {"Mañanas"_cp};
        m1.prioridad = Prioridad::Alta;
        m1.responsable = "Jefe de taller";
        m1.recursos = "8 horas";
        m1.fin = fechaDeCivil(2027, 1, 15);
        m1.estado = EstadoMedida::Hecha;
        m1.hecha = hoy;
        m1.seguimiento = "Hecho.";
        TMedida m2;
        m2.medida = "Medida 2";
        m2.estado = EstadoMedida::EnCurso;
        TMedida m4;
        m4.medida = "Medida 4";
        esperado.medidas = {m1, m4, m2};
        esperado.proximaEvaluacion = fechaDeCivil(2027, 12, 1);

        QVERIFY(datosEvaluacion(w->acompanante()) == esperado);
        QVERIFY(w->documento()->modificado);
        QVERIFY(!QFile::exists(b.complementario));
        control<QAction>(*w, "Guardar1")->trigger();
        QVERIFY(b.enArchivo() == esperado);

        // Opened again, the window shows what was kept: accepting it
        // unchanged changes nothing; the day a measure was done stays
        // while it is edited.
        fijarFechaHoy(hoy + 30);
        Banco::enVentana(w, [&](TfrmDatosEvaluacion* d) {
            QCOMPARE(control<QLineEdit>(*d, "txtCif")->text(), QString("B39123456"));
            alt(d, Qt::Key_A);
        });
        QVERIFY(!w->documento()->modificado);
        Banco::enVentana(w, [&](TfrmDatosEvaluacion* d) {
            alt(d, Qt::Key_E);
            alt(d, Qt::Key_G);
            tecla(Qt::Key_End, Qt::ControlModifier);
            teclear(" Revisado.");
            QCOMPARE(control<QLabel>(*d, "lblHecha")->text(), QString("Hecha el 08/12/2026"));
            tecla(Qt::Key_Return, Qt::ControlModifier);
        });
        esperado.medidas[0].seguimiento = "Hecho. Revisado.";
        QVERIFY(datosEvaluacion(w->acompanante()) == esperado);

        // The plan as kept, in its order, printed to a file and as CSV.
        const QString plan = b.dir.filePath("plan.prn"), csv = b.dir.filePath("plan.csv");
        b.ejecutor.aArchivo = {true};
        b.ejecutor.rutas = {plan.toStdString(), csv.toStdString()};
        control<QAction>(*w, "Planmedidas1")->trigger();
        control<QAction>(*w, "Medidascsv1")->trigger();
        for (const QString& salida : {plan, csv}) {
            const std::string texto = leer(salida);
            QVERIFY2(texto.find("Jefe de taller") < texto.find("Medida 4"), qPrintable(salida));
        }
    }

    void cancelAndAProtectedCompanionKeepTheFileAsItWas() {
        Banco b;
        TChildWin* w = b.abrir();
        auto teclearCif = [](TfrmDatosEvaluacion* d, Qt::Key cierre) {
            teclear("B39123456");
            alt(d, cierre);
        };
        Banco::enVentana(w, [&](TfrmDatosEvaluacion* d) { teclearCif(d, Qt::Key_C); });
        QVERIFY(!w->documento()->modificado);
        QVERIFY(datosEvaluacion(w->acompanante()) == TDatosEvaluacion{});
        control<QAction>(*w, "Cerrar1")->trigger();

        // A companion that could not be read: "No" keeps it and leaves the
        // data out; "Sí" lets the next save replace it.
        escribir(b.complementario, "{ roto");
        w = b.abrir();
        b.dlg.respuestas = {Respuesta::No};
        Banco::enVentana(w, [&](TfrmDatosEvaluacion* d) { teclearCif(d, Qt::Key_A); });
        QCOMPARE(b.dlg.llamadas.back().tipo, std::string("pregunta"));
        QVERIFY(!w->documento()->modificado);
        QVERIFY(datosEvaluacion(w->acompanante()).cif.empty());
        QVERIFY(w->acompanante().protegido());

        b.dlg.respuestas = {Respuesta::Si};
        Banco::enVentana(w, [&](TfrmDatosEvaluacion* d) { teclearCif(d, Qt::Key_A); });
        QVERIFY(w->documento()->modificado);
        QCOMPARE(leer(b.complementario), std::string("{ roto"));
        control<QAction>(*w, "Guardar1")->trigger();
        QCOMPARE(b.enArchivo().cif, std::string("B39123456"));
    }
};

QTEST_MAIN(TestUDatosEvaluacion)
#include "test_UDatosEvaluacion.moc"
