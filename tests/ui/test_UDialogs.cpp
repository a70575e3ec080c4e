// The shared dialog, driven as a user would: the test presses its buttons or
// keys while it runs modally.
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "platform/Texto.h"
#include "platform/qt/TextoQt.h"
#include "ui/UDialogs.h"

using namespace koral;

class TestUDialogs : public QObject {
    Q_OBJECT

    // Runs `accion` on the dialog once it is showing modally.
    void alMostrarse(TOKBottomDlg& d, std::function<void()> accion) {
        QTimer::singleShot(0, &d, [&d, accion] {
            QTRY_VERIFY(d.isVisible());
            accion();
        });
    }

    void comprobarEstadoDeDiseno(TOKBottomDlg& d) {
        QVERIFY(!d.OKBtn->isHidden());
        QVERIFY(!d.NoBtn->isHidden());
        QVERIFY(!d.CancelBtn->isHidden());
        QCOMPARE(d.OKBtn->text(), QString("Si"));
        QCOMPARE(d.NoBtn->text(), QString("No"));
        QCOMPARE(d.CancelBtn->text(), QString("Cancelar"));
        QVERIFY(d.edCampo->isHidden());
        QVERIFY(d.OKBtn->isDefault());
    }

private slots:
    void layoutIsTheDesignOne() {
        TOKBottomDlg d;
        QCOMPARE(d.size(), QSize(313, 181));
        QCOMPARE(d.edCampo->geometry(), QRect(8, 112, 297, 24));
        QCOMPARE(d.OKBtn->geometry(), QRect(15, 148, 75, 25));
        QCOMPARE(d.NoBtn->geometry(), QRect(120, 148, 75, 25));
        QCOMPARE(d.CancelBtn->geometry(), QRect(223, 148, 75, 25));
        QCOMPARE(d.Label1->geometry(), QRect(24, 24, 265, 65));
        comprobarEstadoDeDiseno(d);
    }

    void mensajeShowsOneAcceptButtonThenRestores() {
        TOKBottomDlg d;
        bool visto = false;
        alMostrarse(d, [&] {
            QCOMPARE(d.windowTitle(), QString::fromUtf8("Atención"));
            QCOMPARE(d.Label1->text(), QString::fromUtf8("Línea <d> errónea"));
            QVERIFY(d.OKBtn->isHidden());
            QVERIFY(d.CancelBtn->isHidden());
            QCOMPARE(d.NoBtn->text(), QString("Aceptar"));
            visto = true;
            QTest::keyClick(&d, Qt::Key_Return);
        });
        d.mensaje("Línea <d> errónea"_cp);
        QVERIFY(visto);
        comprobarEstadoDeDiseno(d);
    }

    void preguntaAnswersWithTheButtonPressed() {
        TOKBottomDlg d;
        alMostrarse(d, [&] {
            QCOMPARE(d.windowTitle(), QString("Cerrar"));
            comprobarEstadoDeDiseno(d);
            QTest::mouseClick(d.NoBtn, Qt::LeftButton);
        });
        QVERIFY(d.pregunta("Cerrar", "¿Guardar?"_cp) == Respuesta::No);
        alMostrarse(d, [&] { QTest::mouseClick(d.OKBtn, Qt::LeftButton); });
        QVERIFY(d.pregunta("Cerrar", "x") == Respuesta::Si);
        alMostrarse(d, [&] { QTest::keyClick(&d, Qt::Key_Escape); });
        QVERIFY(d.pregunta("Cerrar", "x") == Respuesta::Cancelar);
        alMostrarse(d, [&] { d.close(); });  // the close box
        QVERIFY(d.pregunta("Cerrar", "x") == Respuesta::Cancelar);
    }

    void preguntaAfterMensajeShowsAllThreeButtons() {
        TOKBottomDlg d;
        alMostrarse(d, [&] { QTest::mouseClick(d.NoBtn, Qt::LeftButton); });
        d.mensaje("aviso");
        alMostrarse(d, [&] {
            comprobarEstadoDeDiseno(d);
            QTest::mouseClick(d.CancelBtn, Qt::LeftButton);
        });
        QVERIFY(d.pregunta("t", "x") == Respuesta::Cancelar);
    }

    void pideCampoReturnsTheTypedText() {
        TOKBottomDlg d;
        alMostrarse(d, [&] {
            QVERIFY(!d.edCampo->isHidden());
            QVERIFY(d.OKBtn->isHidden());
            QCOMPARE(d.NoBtn->text(), QString("Aceptar"));
            QCOMPARE(d.edCampo->text(), QString("Grupo 001"));
            d.edCampo->clear();
            QTest::keyClicks(d.edCampo, "Taller ");
            QTest::sendKeyEvent(QTest::Click, d.edCampo, Qt::Key_unknown, QString::fromUtf8("ñ"),
                                Qt::NoModifier);
            QTest::keyClick(d.edCampo, Qt::Key_Return);
        });
        std::string valor = "Grupo 001";
        QVERIFY(d.pideCampo("Nuevo", "Nombre", valor));
        QCOMPARE(aQString(valor), QString::fromUtf8("Taller ñ"));
        comprobarEstadoDeDiseno(d);
    }

    void pideCampoConfirmedEmptyGivesEmpty() {
        TOKBottomDlg d;
        alMostrarse(d, [&] {
            d.edCampo->clear();
            QTest::mouseClick(d.NoBtn, Qt::LeftButton);
        });
        std::string valor = "algo";
        QVERIFY(d.pideCampo("t", "p", valor));
        QCOMPARE(valor, std::string());
    }

    void pideCampoCancelledLeavesTheValue() {
        TOKBottomDlg d;
        alMostrarse(d, [&] {
            QTest::keyClicks(d.edCampo, "cambiado");
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        std::string valor = "original";
        QVERIFY(!d.pideCampo("t", "p", valor));
        QCOMPARE(valor, std::string("original"));
        comprobarEstadoDeDiseno(d);
    }

    void fieldRefusesCharactersWithNoWindowsForm() {
        TOKBottomDlg d;
        d.edCampo->show();
        d.edCampo->setText("ab");
        QTest::sendKeyEvent(QTest::Click, d.edCampo, Qt::Key_unknown, QString::fromUtf8("中"),
                            Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Click, d.edCampo, Qt::Key_unknown, QString::fromUtf8("€"),
                            Qt::NoModifier);
        QCOMPARE(d.edCampo->text(), QString::fromUtf8("ab€"));
    }
};

QTEST_MAIN(TestUDialogs)
#include "test_UDialogs.moc"
