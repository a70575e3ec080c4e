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

        // A desktop database that gives no answer at all.
        QFile mudo(dir.filePath("xdg-mime"));
        QVERIFY(mudo.open(QIODevice::WriteOnly));
        mudo.write("#!/bin/sh\nexit 0\n");
        mudo.close();
        mudo.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        const QByteArray camino = qgetenv("PATH");
        qputenv("PATH", dir.path().toUtf8() + ":" + camino);
        const bool abierto = AbrirConSistema(ruta.toStdString());
        qputenv("PATH", camino);
        QVERIFY(!abierto);
    }
};

QTEST_MAIN(TestEscritorio)
#include "test_Escritorio.moc"
