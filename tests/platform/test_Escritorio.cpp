// Handing a file to the system's viewer: a type no program takes is a
// failure, although Qt would report success.
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "platform/qt/Escritorio.h"

using namespace koral;

class TestEscritorio : public QObject {
    Q_OBJECT
private slots:
    void aTypeNoProgramTakesIsNotOpened() {
        if (QStandardPaths::findExecutable("xdg-mime").isEmpty())
            QFAIL("xdg-mime is part of the set-up (xdg-utils)");
        QTemporaryDir dir;
        const QString ruta = dir.filePath("datos.koralprueba");
        QFile f(ruta);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("\x00\x01\x02 binario", 12));
        f.close();
        QVERIFY(!AbrirConSistema(ruta.toStdString()));
    }
};

QTEST_MAIN(TestEscritorio)
#include "test_Escritorio.moc"
