// The shared dialog, driven as a user would: the test presses its buttons or
// keys while it runs modally.
#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "Controles.h"
#include "DoblesVentanas.h"
#include "platform/Texto.h"
#include "platform/qt/TextoQt.h"
#include "ui/UDialogs.h"

using namespace koral;
using prueba::control;

namespace {

// The dialog's controls, by their names.
struct Controles {
    explicit Controles(const TOKBottomDlg& d)
        : Label1(control<QLabel>(d, "Label1")),
          edCampo(control<QLineEdit>(d, "edCampo")),
          OKBtn(control<QPushButton>(d, "OKBtn")),
          NoBtn(control<QPushButton>(d, "NoBtn")),
          CancelBtn(control<QPushButton>(d, "CancelBtn")) {}
    QLabel* Label1;
    QLineEdit* edCampo;
    QPushButton* OKBtn;
    QPushButton* NoBtn;
    QPushButton* CancelBtn;
};

}  // namespace

class TestUDialogs : public QObject {
    Q_OBJECT

    // Runs `accion` on the dialog once it is showing modally.
    void alMostrarse(TOKBottomDlg& d, std::function<void()> accion) {
        QTimer::singleShot(0, &d, [&d, accion] {
            QTRY_VERIFY(d.isVisible());
            accion();
        });
    }

    void comprobarEstadoDeDiseno(const TOKBottomDlg& d) {
        const Controles c(d);
        QVERIFY(!c.OKBtn->isHidden());
        QVERIFY(!c.NoBtn->isHidden());
        QVERIFY(!c.CancelBtn->isHidden());
        QCOMPARE(c.OKBtn->text(), QString("&Si"));
        QCOMPARE(c.NoBtn->text(), QString("&No"));
        QCOMPARE(c.CancelBtn->text(), QString("&Cancelar"));
        QVERIFY(c.edCampo->isHidden());
        QVERIFY(c.OKBtn->isDefault());
    }

private slots:
    void layoutIsTheDesignOne() {
        TOKBottomDlg d;
        const Controles c(d);
        QCOMPARE(d.size(), QSize(313, 181));
        QCOMPARE(c.edCampo->geometry(), QRect(8, 112, 297, 24));
        QCOMPARE(c.OKBtn->geometry(), QRect(15, 148, 75, 25));
        QCOMPARE(c.NoBtn->geometry(), QRect(120, 148, 75, 25));
        QCOMPARE(c.CancelBtn->geometry(), QRect(223, 148, 75, 25));
        QCOMPARE(c.Label1->geometry(), QRect(24, 24, 265, 65));
        comprobarEstadoDeDiseno(d);
    }

    void mensajeShowsOneAcceptButtonThenRestores() {
        TOKBottomDlg d;
        const Controles c(d);
        bool visto = false;
        alMostrarse(d, [&] {
            QCOMPARE(d.windowTitle(), QString::fromUtf8("Atención"));
            QCOMPARE(c.Label1->text(), QString::fromUtf8("Línea <d> errónea"));
            QVERIFY(c.OKBtn->isHidden());
            QVERIFY(c.CancelBtn->isHidden());
            QCOMPARE(c.NoBtn->text(), QString("&Aceptar"));
            QTest::keyClick(&d, Qt::Key_N);  // answers questions only
            QVERIFY(d.isVisible());
            visto = true;
            QTest::keyClick(&d, Qt::Key_Return);
        });
        d.mensaje("Línea <d> errónea"_cp);
        QVERIFY(visto);
        comprobarEstadoDeDiseno(d);
    }

    void aLongTextMakesTheBoxTallerWhereAShortOneKeepsTheDesign() {
        TOKBottomDlg d;
        const Controles c(d);
        std::string largo;
        for (int i = 0; i < 12; ++i) largo += "- El grupo «Calidad» tiene 4 trabajadores.\n"_cp;
        // Measured while showing, checked once answered: a failed check
        // must not leave the box open.
        int alto = 0, necesario = 0, botones = -1, bajoBotones = 0;
        alMostrarse(d, [&] {
            necesario =
                c.Label1->fontMetrics()
                    .boundingRect(QRect(0, 0, 265, 10000), Qt::TextWordWrap, c.Label1->text())
                    .height();
            alto = c.Label1->height();
            botones = c.OKBtn->y() - (c.Label1->y() + alto);
            bajoBotones = d.height() - c.OKBtn->y();
            QTest::keyClick(&d, Qt::Key_S);
        });
        QCOMPARE(d.pregunta("Antes de empezar", largo), Respuesta::Si);
        QVERIFY(alto >= necesario && botones >= 0);
        QCOMPARE(bajoBotones, 181 - 148);
        QRect etiqueta;
        alMostrarse(d, [&] {
            alto = d.height();
            etiqueta = c.Label1->geometry();
            QTest::keyClick(&d, Qt::Key_N);
        });
        QCOMPARE(d.pregunta("Corto", "¿Seguro?"_cp), Respuesta::No);
        QCOMPARE(alto, 181);
        QCOMPARE(etiqueta, QRect(24, 24, 265, 65));
    }

    void preguntaAnswersWithTheButtonOrItsKey() {
        TOKBottomDlg d;
        const Controles c(d);
        alMostrarse(d, [&] {
            QCOMPARE(d.windowTitle(), QString("Cerrar"));
            comprobarEstadoDeDiseno(d);
            QTest::mouseClick(c.NoBtn, Qt::LeftButton);
        });
        QVERIFY(d.pregunta("Cerrar", "¿Guardar?"_cp) == Respuesta::No);
        alMostrarse(d, [&] { QTest::mouseClick(c.OKBtn, Qt::LeftButton); });
        QVERIFY(d.pregunta("Cerrar", "x") == Respuesta::Si);
        alMostrarse(d, [&] { QTest::keyClick(&d, Qt::Key_Escape); });
        QVERIFY(d.pregunta("Cerrar", "x") == Respuesta::Cancelar);
        alMostrarse(d, [&] { d.close(); });  // the close box
        QVERIFY(d.pregunta("Cerrar", "x") == Respuesta::Cancelar);
        // The keys: S and N alone, and each button's Alt+letter.
        alMostrarse(d, [&] { QTest::keyClick(&d, Qt::Key_S); });
        QVERIFY(d.pregunta("Cerrar", "x") == Respuesta::Si);
        alMostrarse(d, [&] { QTest::keyClick(&d, Qt::Key_N); });
        QVERIFY(d.pregunta("Cerrar", "x") == Respuesta::No);
        alMostrarse(d, [&] { QTest::keyClick(&d, Qt::Key_N, Qt::AltModifier); });
        QVERIFY(d.pregunta("Cerrar", "x") == Respuesta::No);
    }

    void preguntaAfterMensajeShowsAllThreeButtons() {
        TOKBottomDlg d;
        const Controles c(d);
        alMostrarse(d, [&] { QTest::mouseClick(c.NoBtn, Qt::LeftButton); });
        d.mensaje("aviso");
        alMostrarse(d, [&] {
            comprobarEstadoDeDiseno(d);
            QTest::mouseClick(c.CancelBtn, Qt::LeftButton);
        });
        QVERIFY(d.pregunta("t", "x") == Respuesta::Cancelar);
    }

    void pideCampoReturnsTheTypedText() {
        TOKBottomDlg d;
        const Controles c(d);
        alMostrarse(d, [&] {
            QVERIFY(!c.edCampo->isHidden());
            QVERIFY(c.OKBtn->isHidden());
            QCOMPARE(c.NoBtn->text(), QString("&Aceptar"));
            QCOMPARE(c.edCampo->text(), QString("Grupo 001"));
            c.edCampo->clear();
            QTest::keyClicks(c.edCampo, "Sur ");
            QTest::sendKeyEvent(QTest::Click, c.edCampo, Qt::Key_unknown, QString::fromUtf8("ñ"),
                                Qt::NoModifier);
            QTest::keyClick(c.edCampo, Qt::Key_Return);
        });
        std::string valor = "Grupo 001";
        QVERIFY(d.pideCampo("Nuevo", "Nombre", valor));
        QCOMPARE(aQString(valor), QString::fromUtf8("Sur ñ"));
        comprobarEstadoDeDiseno(d);
    }

    void pideCampoConfirmedEmptyGivesEmpty() {
        TOKBottomDlg d;
        const Controles c(d);
        alMostrarse(d, [&] {
            c.edCampo->clear();
            QTest::mouseClick(c.NoBtn, Qt::LeftButton);
        });
        std::string valor = "algo";
        QVERIFY(d.pideCampo("t", "p", valor));
        QCOMPARE(valor, std::string());
    }

    void pideCampoCancelledLeavesTheValue() {
        TOKBottomDlg d;
        const Controles c(d);
        alMostrarse(d, [&] {
            QTest::keyClicks(c.edCampo, "cambiado");
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        std::string valor = "original";
        QVERIFY(!d.pideCampo("t", "p", valor));
        QCOMPARE(valor, std::string("original"));
        comprobarEstadoDeDiseno(d);
    }

    void fieldRefusesCharactersWithNoWindowsForm() {
        prueba::EscritorioGuion escritorio;
        TOKBottomDlg d;
        const Controles c(d);
        c.edCampo->show();
        c.edCampo->setText("ab");
        QTest::sendKeyEvent(QTest::Click, c.edCampo, Qt::Key_unknown, QString::fromUtf8("中"),
                            Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Click, c.edCampo, Qt::Key_unknown, QString::fromUtf8("€"),
                            Qt::NoModifier);
        QCOMPARE(c.edCampo->text(), QString::fromUtf8("ab€"));
        QTRY_COMPARE(escritorio.cajas.size(), std::size_t(1));
        QVERIFY(escritorio.cajas[0].find("U+4E2D") != std::string::npos);

        // A drop is refused before the field takes it: a source that moves
        // its text keeps it.
        QMimeData datos;
        datos.setText(QString::fromUtf8("xΩ"));
        const QPointF punto = c.edCampo->rect().center();
        QDragEnterEvent entra(punto.toPoint(), Qt::MoveAction, &datos, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(c.edCampo, &entra);
        QDropEvent suelta(punto, Qt::MoveAction, &datos, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(c.edCampo, &suelta);
        QVERIFY(!suelta.isAccepted());
        QCOMPARE(c.edCampo->text(), QString::fromUtf8("ab€"));
        QTRY_COMPARE(escritorio.cajas.size(), std::size_t(2));
        QVERIFY(escritorio.cajas[1].find("U+03A9") != std::string::npos);
    }
};

QTEST_MAIN(TestUDialogs)
#include "test_UDialogs.moc"
