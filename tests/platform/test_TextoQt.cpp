#include <QtTest>

#include "platform/qt/TextoQt.h"

using namespace koral;

class TestTextoQt : public QObject {
    Q_OBJECT
private slots:
    void everyByteCrossesTheBoundaryBothWays() {
        std::string todos;
        for (int b = 1; b < 256; ++b) todos += static_cast<char>(b);
        std::string vuelta;
        QVERIFY(deQString(aQString(todos), vuelta));
        QCOMPARE(vuelta, todos);
        // The bytes Windows-1252 leaves undefined stay distinct characters.
        QCOMPARE(aQString("\x81\x8D").size(), 2);
        QVERIFY(aQString("\x81") != aQString("\x8D"));
    }
    void accentsAndEuroAreTheRightCharacters() {
        QCOMPARE(aQString("Ma\xF1"
                          "ana \x80"),
                 QString::fromUtf8("Mañana €"));
        std::string s;
        QVERIFY(deQString(QString::fromUtf8("Atención"), s));
        QCOMPARE(s, std::string("Atenci\xF3n"));
    }
    void charactersWithNoWindowsFormAreRefused() {
        std::string s;
        QVERIFY(!deQString(QString::fromUtf8("José 中"), s));
        QVERIFY(!esCp1252(QString::fromUtf8("\xF0\x9F\x98\x80")));
        ValidadorCp1252 v;
        QString t = QString::fromUtf8("Ω");
        int pos = 0;
        QCOMPARE(v.validate(t, pos), QValidator::Invalid);
        t = QString::fromUtf8("Peñíscola");
        QCOMPARE(v.validate(t, pos), QValidator::Acceptable);
    }
};

QTEST_MAIN(TestTextoQt)
#include "test_TextoQt.moc"
