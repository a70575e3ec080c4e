// "Recoger en red ...": campaigns started from the window on the loopback
// address and answered over real connections, into an in-memory company file.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QtTest>
#include <set>

#include "Controles.h"
#include "document/Acompanante.h"
#include "document/DatosEvaluacion.h"
#include "red/ServidorRecogida.h"
#include "support/ArchivosMemoria.h"
#include "support/DialogosGuion.h"
#include "ui/URecoger.h"

using namespace koral;
using namespace koral::prueba;

namespace {

// One answer sent on a connection of its own: the response's status line,
// or "rechazada" when nothing listens.
QByteArray enviar(quint16 puerto, const QByteArray& cuerpo) {
    QTcpSocket s;
    QByteArray leido;
    QObject::connect(&s, &QTcpSocket::connected, [&] {
        s.write(
            "POST /enviar HTTP/1.1\r\nHost: 127.0.0.1\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
            QByteArray::number(cuerpo.size()) + "\r\n\r\n" + cuerpo);
    });
    QObject::connect(&s, &QTcpSocket::readyRead, [&] { leido += s.readAll(); });
    s.connectToHost(QHostAddress::LocalHost, puerto);
    if (!QTest::qWaitFor([&] { return s.state() == QAbstractSocket::UnconnectedState; }, 10000))
        return "sin respuesta";
    if (s.error() == QAbstractSocket::ConnectionRefusedError) return "rechazada";
    return leido.left(leido.indexOf("\r\n"));
}

QString texto(const QWidget& v, const char* nombre) {
    return control<QLabel>(v, nombre)->text();
}

// The module at (x, y) of a QR code drawn with the quiet zone.
bool oscuro(const QImage& img, int x, int y, int puntos) {
    return img.pixel((x + 4) * puntos + puntos / 2, (y + 4) * puntos + puntos / 2) == qRgb(0, 0, 0);
}

// A finder pattern at (x, y): dark ring, light ring, dark centre.
bool buscador(const QImage& img, int x, int y, int puntos) {
    return oscuro(img, x, y, puntos) && oscuro(img, x + 6, y + 6, puntos) &&
           !oscuro(img, x + 1, y + 1, puntos) && !oscuro(img, x + 5, y + 1, puntos) &&
           oscuro(img, x + 3, y + 3, puntos) && !oscuro(img, x + 7, y + 7, puntos);
}

}  // namespace

class TestURecoger : public QObject {
    Q_OBJECT

    struct Montaje {
        Montaje() {
            doc.iniciarEmpresa("Talleres <Norte>");
            doc.agregarGrupo("Producción"_cp);
            doc.agregarGrupo("Oficina \"2\"");
            doc.archivo = "/d/empresa.kr2";
            doc.guardarArchivo();
            abrir();
        }
        void abrir() {
            v = std::make_unique<TfrmRecoger>(doc, acompanante);
            v->puertoPreferido = 0;
            v->guardarAcompanante = [this] { acompanante.guardar(doc); };
            v->alRecibir = [this] { ++avisadas; };
            v->imprimirTarjetas = [this](const std::string& url,
                                         const std::vector<std::string>& c) {
                direccionImpresa = url;
                impresas = c;
                return imprimirBien;
            };
            v->show();
            v->activateWindow();
            if (!QTest::qWaitForWindowActive(v.get())) qWarning("window not active");
        }
        quint16 puerto() const { return v->servidor()->puerto(); }
        ArchivosMemoria fs;
        DialogosGuion dlg;
        TKoral doc;
        TAcompanante acompanante;
        std::unique_ptr<TfrmRecoger> v;
        int avisadas = 0;
        std::string direccionImpresa;
        std::vector<std::string> impresas;
        bool imprimirBien = true;
    };

    // Where a person's key goes: the control with the focus. A button so
    // reached stays down a moment before it clicks.
    static void alt(TfrmRecoger& v, Qt::Key tecla) {
        QWidget* foco = QApplication::focusWidget();
        QTest::keyClick(foco ? foco : &v, tecla, Qt::AltModifier);
        const auto botones = v.findChildren<QAbstractButton*>();
        QTRY_VERIFY(std::none_of(botones.begin(), botones.end(),
                                 [](const QAbstractButton* b) { return b->isDown(); }));
    }

    // The last choice of the network list: the loopback address.
    static void soloEsteEquipo(TfrmRecoger& v) {
        auto* red = control<QComboBox>(v, "cbRed");
        red->setFocus();
        QTest::keyClick(red, Qt::Key_End);
        QCOMPARE(red->currentData().toString(), QString("127.0.0.1"));
    }

private slots:
    void aKeptCampaignCollectsCountsAndContinuesUntilClosed() {
        Montaje m;
        TDatosEvaluacion datos;
        datos.evaluador = "Ana Ruiz";
        datos.plantilla = {{"Producción"_cp, 3}, {"Oficina \"2\"", 40}};
        ponerDatosEvaluacion(m.acompanante, datos);
        m.abrir();
        TfrmRecoger& v = *m.v;
        // Every group offered at first; a question offers only those put in it.
        auto* grupos = control<QListWidget>(v, "lstGrupos");
        QCOMPARE(grupos->count(), 2);
        QCOMPARE(grupos->item(0)->checkState(), Qt::Checked);
        QCOMPARE(grupos->item(1)->checkState(), Qt::Checked);
        m.dlg.campos = {{true, "Sección"_cp}};
        alt(v, Qt::Key_D);
        QCOMPARE(QApplication::focusWidget(), grupos);
        QCOMPARE(grupos->item(0)->checkState(), Qt::Unchecked);
        QTest::keyClick(grupos, Qt::Key_Home);
        QTest::keyClick(grupos, Qt::Key_Space);
        QCOMPARE(grupos->item(0)->checkState(), Qt::Checked);
        // The notice opens with the default, naming who runs the assessment.
        auto* aviso = control<QPlainTextEdit>(v, "txtAviso");
        QVERIFY(aviso->toPlainText().contains("Ana Ruiz"));
        aviso->setFocus();
        QTest::keyClick(aviso, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(aviso, "Lo hace el servicio");

        // A random code is proposed; one too short is refused.
        auto* codigo = control<QLineEdit>(v, "txtCodigo");
        QVERIFY(QRegularExpression("^[0-9]{8}$").match(codigo->text()).hasMatch());
        codigo->setFocus();
        QTest::keyClick(codigo, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(codigo, "abc12");
        soloEsteEquipo(v);
        alt(v, Qt::Key_E);
        QCOMPARE(m.dlg.mensajes.size(), std::size_t(1));
        QVERIFY(!v.servidor());
        QTest::keyClicks(codigo, "3");
        // The group of three is warned about (not HTTP: only this computer).
        m.dlg.respuestas = {Respuesta::No, Respuesta::Si};
        alt(v, Qt::Key_E);
        QVERIFY(!v.servidor());
        QVERIFY(m.dlg.llamadas.back().texto.find("«Producción» tiene 3 trabajadores"_cp) !=
                std::string::npos);
        QVERIFY(m.dlg.llamadas.back().texto.find("HTTP") == std::string::npos);
        alt(v, Qt::Key_E);
        QVERIFY(v.servidor() && v.servidor()->activo());
        // Kept with the company from the start.
        const auto guardada = [&m] { return campanaGuardada(m.acompanante); };
        QVERIFY(guardada());
        QCOMPARE(guardada()->codigo, std::string("abc123"));
        QCOMPARE(guardada()->preguntas.size(), std::size_t(1));
        QCOMPARE(guardada()->preguntas[0].pregunta, "Sección"_cp);
        QCOMPARE(guardada()->preguntas[0].grupos, std::vector<std::string>{"Producción"_cp});
        QCOMPARE(guardada()->aviso, std::string("Lo hace el servicio"));
        QVERIFY(m.fs.archivos.at("/d/empresa.koral.json").find("abc123") != std::string::npos);

        const QString url = QString("http://127.0.0.1:%1/").arg(m.puerto());
        QCOMPARE(texto(v, "lblDireccion"), url);
        QCOMPARE(texto(v, "lblCodigo"), QString::fromUtf8("Código de la campaña: abc123"));
        QCOMPARE(texto(v, "lblGrupos"), QString::fromUtf8("Grupos ofrecidos: Producción"));
        QCOMPARE(texto(v, "lblRecibidas"), QString("Respuestas recibidas: 0"));
        QVERIFY(!control<QPushButton>(v, "btnImprimirCodigos")->isVisible());
        // The QR code in byte mode at level M: version 1 holds 14 bytes,
        // version 2 (25 modules) 26; finder patterns in three corners.
        const QImage qr = control<QLabel>(v, "imgQR")->pixmap().toImage();
        const int n = url.size() <= 14 ? 21 : 25;
        const int p = TfrmRecoger::kPuntosQR;
        QVERIFY(url.size() <= 26);
        QCOMPARE(qr.size(), QSize((n + 8) * p, (n + 8) * p));
        QCOMPARE(qr.pixel(p, p), qRgb(255, 255, 255));
        QVERIFY(buscador(qr, 0, 0, p) && buscador(qr, n - 7, 0, p) && buscador(qr, 0, n - 7, p));
        QVERIFY(imagenQR(QByteArray(3000, 'x'), 1).isNull());

        QCOMPARE(enviar(m.puerto(), "codigo=abc124&r1=1"), QByteArray("HTTP/1.1 403 Forbidden"));
        QCOMPARE(enviar(m.puerto(), "codigo=abc123&grupo=Producci%C3%B3n&r1=2&r75=1"),
                 QByteArray("HTTP/1.1 303 See Other"));
        QCOMPARE(texto(v, "lblRecibidas"), QString("Respuestas recibidas: 1"));
        QCOMPARE(m.avisadas, 1);
        const TCuestionario* q = m.doc.buscarCuestionario("C000001");
        QVERIFY(q);
        QCOMPARE(q->respuestas[0], '2');
        QCOMPARE(q->respuestas[74], '1');
        QCOMPARE(q->grupos.size(), std::size_t(1));
        QVERIFY(!m.doc.modificado);
        QVERIFY(m.fs.archivos.at("/d/empresa.kr2").find("C000001") != std::string::npos);
        QCOMPARE(guardada()->recibidas, 1);
        QCOMPARE(recogidos(m.acompanante), std::vector<std::int32_t>{q->id});
        auto* cuentas = control<QTableWidget>(v, "tblCuentas");
        QCOMPARE(cuentas->rowCount(), 2);
        QCOMPARE(cuentas->item(0, 0)->text(), QString::fromUtf8("Sección / Producción"));
        QCOMPARE(cuentas->item(0, 1)->text(), QString("1"));

        // A save that fails is told in the window; the answer is not kept.
        m.fs.fallarAlCrear = true;
        QCOMPARE(enviar(m.puerto(), "codigo=abc123&r2=1"),
                 QByteArray("HTTP/1.1 503 Service Unavailable"));
        QVERIFY(control<QLabel>(v, "lblAviso")->isVisible());
        QVERIFY(texto(v, "lblAviso").contains("No se pudo guardar la empresa"));
        QCOMPARE(m.doc.nCuestionarios, 1);
        QCOMPARE(m.avisadas, 1);
        m.fs.fallarAlCrear = false;

        alt(v, Qt::Key_T);
        QVERIFY(!v.isVisible());
        QVERIFY(!v.servidor()->activo());
        QCOMPARE(enviar(m.puerto(), "codigo=abc123&r1=1"), QByteArray("rechazada"));
        QCOMPARE(m.dlg.llamadas.size(), std::size_t(5));  // name, code, warned twice, summary
        QVERIFY(m.dlg.mensajes.back().find("Sección / Producción: 1 (1)") != std::string::npos);

        // Another day: the same campaign goes on, with its code.
        m.abrir();
        TfrmRecoger& otra = *m.v;
        QVERIFY(control<QRadioButton>(otra, "rbContinuar")->isChecked());
        QCOMPARE(control<QLineEdit>(otra, "txtCodigo")->text(), QString("abc123"));
        soloEsteEquipo(otra);
        m.dlg.respuestas = {Respuesta::Si};
        alt(otra, Qt::Key_E);
        QVERIFY(otra.servidor());
        QCOMPARE(enviar(m.puerto(), "codigo=abc123&grupo=Producci%C3%B3n&r1=1"),
                 QByteArray("HTTP/1.1 303 See Other"));
        QCOMPARE(guardada()->recibidas, 2);
        QCOMPARE(control<QTableWidget>(otra, "tblCuentas")->item(0, 2)->text(), QString("2"));
        // Closed for good, after asking.
        m.dlg.respuestas = {Respuesta::No, Respuesta::Si};
        alt(otra, Qt::Key_L);
        QVERIFY(otra.isVisible() && guardada());
        alt(otra, Qt::Key_L);
        QVERIFY(!otra.isVisible() && !otra.servidor()->activo());
        QVERIFY(!guardada());
        QCOMPARE(recogidos(m.acompanante).size(), std::size_t(2));

        // A kept campaign naming a group deleted since: said plainly, in
        // Spanish, and nothing started.
        TCampanaGuardada vieja;
        vieja.codigo = "abc123";
        vieja.preguntas = {{"Sección"_cp, {"Producción"_cp, "Pintura"}}};
        ponerCampana(m.acompanante, vieja);
        m.abrir();
        soloEsteEquipo(*m.v);
        alt(*m.v, Qt::Key_E);
        QVERIFY(!m.v->servidor());
        QVERIFY(m.dlg.mensajes.back().find("«Pintura» de la pregunta «Sección» ya no está") !=
                std::string::npos);
    }

    void singleUseCodeCardsArePrintedBeforeStartingAndHoldOnAnotherDay() {
        Montaje m;
        TfrmRecoger& v = *m.v;
        alt(v, Qt::Key_I);
        QVERIFY(!control<QLineEdit>(v, "txtCodigo")->isEnabled());
        auto* cuantos = control<QSpinBox>(v, "spnIndividuales");
        cuantos->setFocus();
        QTest::keyClick(cuantos, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(cuantos, "3");
        soloEsteEquipo(v);
        // Printing cancelled: nothing is kept.
        m.imprimirBien = false;
        alt(v, Qt::Key_S);
        QVERIFY(!campanaGuardada(m.acompanante) && v.codigos().empty());
        m.imprimirBien = true;
        alt(v, Qt::Key_S);
        const std::vector<std::string> codigos = m.impresas;
        QCOMPARE(codigos.size(), std::size_t(3));
        QCOMPARE(std::set<std::string>(codigos.begin(), codigos.end()).size(), std::size_t(3));
        QCOMPARE(v.codigos(), codigos);
        // Printed, the campaign is kept with their hashes and the address.
        const auto guardada = [&m] { return campanaGuardada(m.acompanante); };
        QVERIFY(guardada() && guardada()->codigos.size() == 3);
        QCOMPARE(guardada()->direccion, m.direccionImpresa);
        QVERIFY(guardada()->aviso.empty());  // the default, kept as such
        QVERIFY(m.acompanante.seccion("campana").find(codigos[0]) == std::string::npos);
        QVERIFY(control<QRadioButton>(v, "rbContinuar")->isChecked());
        QVERIFY(!control<QPushButton>(v, "btnTarjetas")->isEnabled());
        alt(v, Qt::Key_E);
        QVERIFY(v.servidor());
        const QString url = v.servidor()->url();
        QCOMPARE(url.toStdString(), m.direccionImpresa);
        QVERIFY(!control<QLabel>(v, "lblAviso")->isVisible());

        const QByteArray envio = "r1=1&codigo=" + QByteArray::fromStdString(codigos[1]);
        QCOMPARE(enviar(m.puerto(), envio), QByteArray("HTTP/1.1 303 See Other"));
        QCOMPARE(enviar(m.puerto(), envio), QByteArray("HTTP/1.1 403 Forbidden"));
        QCOMPARE(texto(v, "lblRecibidas"),
                 QString::fromUtf8("Respuestas recibidas: 1\nCódigos usados: 1 de 3"));
        // The same cards once more, while it runs.
        m.impresas.clear();
        alt(v, Qt::Key_I);
        QCOMPARE(m.impresas, codigos);
        const auto usados = guardada()->codigos;
        QCOMPARE(std::count_if(usados.begin(), usados.end(),
                               [](const TCodigoIndividual& c) { return c.usado; }),
                 1);
        QTest::keyClick(&v, Qt::Key_Escape);
        QVERIFY(!v.isVisible() && !v.servidor()->activo());
        QCOMPARE(m.dlg.llamadas.size(), std::size_t(1));  // the summary

        // Another day, with the port of the cards taken: the address
        // differs, and the window says so.
        QTcpServer ocupado;
        QVERIFY(ocupado.listen(QHostAddress::LocalHost, m.puerto()));
        m.abrir();
        TfrmRecoger& otra = *m.v;
        QVERIFY(control<QRadioButton>(otra, "rbContinuar")->text().contains("3 códigos"));
        QVERIFY(otra.codigos().empty());
        // The cards' network is chosen again.
        QCOMPARE(control<QComboBox>(otra, "cbRed")->currentData().toString(), QString("127.0.0.1"));
        alt(otra, Qt::Key_E);
        QVERIFY(otra.servidor() && otra.servidor()->url() != url);
        QVERIFY(texto(otra, "lblAviso").contains(url));
        QCOMPARE(enviar(otra.servidor()->puerto(), envio), QByteArray("HTTP/1.1 403 Forbidden"));
        QCOMPARE(enviar(otra.servidor()->puerto(),
                        "r1=2&codigo=" + QByteArray::fromStdString(codigos[2])),
                 QByteArray("HTTP/1.1 303 See Other"));
        QCOMPARE(guardada()->recibidas, 2);
    }

    void theCompanyMustBeInItsFileBeforeCollecting() {
        ArchivosMemoria fs;
        DialogosGuion dlg;
        TKoral doc;
        TAcompanante acompanante;
        doc.iniciarEmpresa("Talleres");
        int guardados = 0;
        bool guarda = false;
        const auto guardar = [&] {
            ++guardados;
            return guarda;
        };
        int abiertas = 0;
        QTimer cerrar;
        QObject::connect(&cerrar, &QTimer::timeout, [&] {
            if (auto* w = qobject_cast<TfrmRecoger*>(QApplication::activeModalWidget())) {
                ++abiertas;
                w->reject();
            }
        });
        cerrar.start(10);
        const auto recoger = [&](bool soloLectura) {
            RecogerEnRed(doc, acompanante, soloLectura, guardar, nullptr, nullptr, nullptr,
                         nullptr);
        };

        recoger(false);  // never saved
        doc.archivo = "/d/talleres.kr2";
        recoger(true);  // another program has it
        QCOMPARE(dlg.mensajes.size(), std::size_t(2));
        QVERIFY(QString::fromStdString(dlg.mensajes[0]).contains("Guardar como"));
        QVERIFY(QString::fromStdString(dlg.mensajes[1]).contains("solo para lectura"));
        // A folder it may not write: refused before anything is asked.
        fs.fallarAlCrear = true;
        recoger(false);
        fs.fallarAlCrear = false;
        QCOMPARE(dlg.mensajes.size(), std::size_t(3));
        QVERIFY(QString::fromStdString(dlg.mensajes[2]).contains("no se puede escribir"));
        // Unsaved changes: saved first, or nothing.
        dlg.respuestas = {Respuesta::No, Respuesta::Si, Respuesta::Si};
        recoger(false);
        recoger(false);  // the save fails
        QCOMPARE(guardados, 1);
        QCOMPARE(abiertas, 0);
        guarda = true;
        recoger(false);
        QCOMPARE(guardados, 2);
        QCOMPARE(abiertas, 1);
        QCOMPARE(dlg.llamadas.size(), std::size_t(6));
    }
};

QTEST_MAIN(TestURecoger)
#include "test_URecoger.moc"
