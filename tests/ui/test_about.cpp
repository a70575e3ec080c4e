// The about box and the JPEG decoder behind its picture.
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <vector>

#include "Controles.h"
#include "platform/qt/Jpeg.h"
#include "support/DialogosGuion.h"
#include "ui/UMain.h"
#include "ui/about.h"

namespace koral::recursos {
extern const unsigned char AcercaDe[];
extern const std::size_t AcercaDeTam;
}  // namespace koral::recursos

using namespace koral;
using prueba::control;

class TestAbout : public QObject {
    Q_OBJECT
private slots:
    void layoutAndPicture() {
        TAboutBox box;
        QCOMPARE(box.windowTitle(), QString("Acerca de KORAL 2.0"));
        QCOMPARE(box.size(), QSize(401, 346));
        const auto* panel = control<QFrame>(box, "Panel1");
        QCOMPARE(panel->geometry(), QRect(8, 8, 385, 305));
        QCOMPARE(panel->frameShadow(), QFrame::Sunken);
        const auto* ok = control<QPushButton>(box, "OKButton");
        QCOMPARE(ok->geometry(), QRect(176, 320, 65, 19));
        QCOMPARE(ok->text(), QString("OK"));
        QVERIFY(ok->isDefault());
        // The picture fills the panel, stretched.
        const auto* icono = control<QLabel>(box, "ProgramIcon");
        QVERIFY(icono->hasScaledContents());
        QCOMPARE(icono->geometry(), panel->contentsRect());
        QCOMPARE(icono->pixmap().size(), QSize(405, 354));
    }

    void decodedPictureHasTheDesignedColours() {
        const QImage imagen = imagenAcercaDe();
        QCOMPARE(imagen.size(), QSize(405, 354));
        // Dark blue at the top-left corner, lighter teal at the bottom-right.
        const QColor arriba = imagen.pixelColor(2, 2);
        const QColor abajo = imagen.pixelColor(400, 350);
        QVERIFY2(arriba.blue() > arriba.red() && arriba.value() < 120, qPrintable(arriba.name()));
        QVERIFY2(abajo.green() > arriba.green(), qPrintable(abajo.name()));
    }

    void badJpegDataGivesANullImage() {
        const auto* datos = recursos::AcercaDe;
        const std::size_t tam = recursos::AcercaDeTam;
        QVERIFY(decodificarJpeg(datos, tam).size() == QSize(405, 354));
        // Cut short: libjpeg only warns; that must still count as failure.
        QVERIFY(decodificarJpeg(datos, tam / 2).isNull());
        QVERIFY(decodificarJpeg(datos, 100).isNull());
        QVERIFY(decodificarJpeg(datos, 0).isNull());
        QVERIFY(decodificarJpeg(nullptr, 10).isNull());
        const std::vector<unsigned char> basura(4000, 0x5A);
        QVERIFY(decodificarJpeg(basura.data(), basura.size()).isNull());
        // A valid header over corrupt scan data.
        std::vector<unsigned char> roto(datos, datos + tam);
        for (std::size_t i = tam / 3; i < tam / 3 + 2000; ++i) roto[i] = 0xFF;
        QVERIFY(decodificarJpeg(roto.data(), roto.size()).isNull());
    }

    void frameShowsTheBoxModallyAndOkClosesIt() {
        prueba::DialogosGuion dlg;
        TfrmMain frm;
        QVERIFY(!frm.AboutBox);
        bool visto = false;
        QTimer::singleShot(0, &frm, [&] {
            QTRY_VERIFY(frm.AboutBox && frm.AboutBox->isVisible());
            visto = frm.AboutBox->isModal();
            QTest::mouseClick(control<QPushButton>(*frm.AboutBox, "OKButton"), Qt::LeftButton);
        });
        auto* acercaDe = control<QAction>(frm, "Acercade1");
        acercaDe->trigger();
        QVERIFY(visto);
        QVERIFY(!frm.AboutBox->isVisible());
        // Kept for the next time.
        TAboutBox* primera = frm.AboutBox;
        QTimer::singleShot(0, &frm, [&] { QTest::keyClick(frm.AboutBox, Qt::Key_Return); });
        acercaDe->trigger();
        QCOMPARE(frm.AboutBox, primera);
    }
};

QTEST_MAIN(TestAbout)
#include "test_about.moc"
