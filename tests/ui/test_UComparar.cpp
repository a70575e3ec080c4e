// The comparison window: its table against the profile computation, the
// reference chosen from the keyboard, profiles of another company file (only
// read), printing through its hook, and the chart copied and saved.
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <algorithm>
#include <cmath>
#include <functional>

#include "Controles.h"
#include "DoblesVentanas.h"
#include "method/Perfil.h"
#include "method/Puntuacion.h"
#include "platform/Dialogos.h"
#include "platform/Texto.h"
#include "support/ArchivosMemoria.h"
#include "support/DialogosGuion.h"
#include "ui/ProgresoLargo.h"
#include "ui/UComparar.h"

using namespace koral;
using prueba::control;

namespace {

// A figure of the table as a number: the screen's decimal comma, "%" gone.
double numero(const QTableWidget* t, int fila, int columna) {
    QString texto = t->item(fila, columna)->text();
    texto.remove(" %").replace(',', '.');
    bool ok = false;
    const double v = texto.toDouble(&ok);
    if (!ok) qFatal("not a number: %s", qPrintable(texto));
    return v;
}

// A figure shown with two decimals for `v`.
bool cerca(double mostrada, double v) {
    return std::fabs(mostrada - v) <= 0.005 + 1e-9;
}

// Answers the next modal window with `accion` once it shows.
void alAparecer(std::function<void(QWidget*)> accion) {
    auto* reloj = new QTimer(qApp);
    QObject::connect(reloj, &QTimer::timeout, reloj, [reloj, accion] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            reloj->stop();
            reloj->deleteLater();
            accion(w);
        }
    });
    reloj->start(10);
}

long centesimas(double v) {
    return std::lround(v * 100);
}

}  // namespace

class TestUComparar : public QObject {
    Q_OBJECT

    // Alfa holds two of the three questionnaires; the third answers nothing.
    struct Banco {
        prueba::DialogosGuion dlg;
        prueba::EjecutorGuion ejecutor;
        prueba::ArchivosMemoria fs;
        TKoral doc{Mensaje};
        TPerfil* alfa;
        TPerfil* todos;
        TfrmComparar frm;

        Banco() {
            TGrupo* g = doc.agregarGrupo("Alfa");
            const char respuestas[] = {'5', '1', '0'};
            for (int i = 0; i < 3; ++i) {
                TCuestionario* q = doc.agregarCuestionario("Q" + std::to_string(i + 1));
                for (int k = 0; k < kNumItems; ++k)
                    q->respuestas[static_cast<std::size_t>(k)] =
                        std::min(respuestas[i], static_cast<char>('0' + opcionesItem(k + 1)));
                puntuarCuestionario(*q);
                if (i < 2) enlazar(*q, *g);
            }
            alfa = doc.agregarPerfil("Alfa");
            alfa->grupos.push_back(g);
            todos = doc.agregarPerfil("Todos");
            frm.minimo = 1;  // figures even for these few
        }
        void abrir() {
            frm.abrir(doc, {alfa, todos});
            frm.show();
            frm.activateWindow();
            if (!QTest::qWaitForWindowActive(&frm)) qWarning("window not active");
        }
        QTableWidget* tabla() { return control<QTableWidget>(frm, "tblCifras"); }
        // Where a person's key goes: the control with the focus.
        void alt(Qt::Key tecla) {
            if (QApplication::activeWindow() != &frm) {
                frm.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&frm));
            }
            QWidget* foco = QApplication::focusWidget();
            QTest::keyClick(foco ? foco : &frm, tecla, Qt::AltModifier);
            // A button so reached stays down a moment before it clicks.
            const auto botones = frm.findChildren<QPushButton*>();
            QTRY_VERIFY(std::none_of(botones.begin(), botones.end(),
                                     [](const QPushButton* b) { return b->isDown(); }));
        }
    };

    static constexpr int kFilaMedia = 3;  // factor f's mean: 3 + 5 (f - 1)

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain)); }

    void tableAgreesWithTheComputationAndFollowsTheReference() {
        Banco b;
        // Under the company's threshold, the text in place of any figure.
        b.frm.minimo = 3;
        b.abrir();
        QCOMPARE(b.tabla()->item(kFilaMedia, 0)->text(),
                 QString("Resultados no mostrados: menos de 3 personas"));
        QVERIFY(!b.tabla()->item(1, 0) && b.tabla()->item(1, 1));
        b.frm.minimo = 1;
        b.abrir();
        QTableWidget* t = b.tabla();
        QCOMPARE(t->columnCount(), 2);
        // The whole company is the reference by default.
        QCOMPARE(control<QComboBox>(b.frm, "cbReferencia")->currentIndex(), 1);
        QCOMPARE(t->horizontalHeaderItem(1)->toolTip(), QString("Todos (referencia)"));
        const TPerfil* perfiles[] = {b.alfa, b.todos};
        for (int c = 0; c < 2; ++c) {
            // The same computation on a copy of the selection.
            TPerfil esperado;
            esperado.grupos = perfiles[c]->grupos;
            QVERIFY(calcularPerfil(b.doc, esperado));
            QCOMPARE(t->item(0, c)->text(), QString::number(esperado.nSujetos));
            QCOMPARE(t->item(1, c)->text(),
                     QString::fromLatin1(porcentajeSinRespuesta(esperado)).trimmed());
            for (int f = 1; f <= kNumFactores; ++f) {
                const int fila = kFilaMedia + 5 * (f - 1);
                QVERIFY(cerca(numero(t, fila, c), mediaFactor(esperado, f)));
                const auto& bandas = esperado.bandas[static_cast<std::size_t>(f - 1)];
                for (int k = 0; k < 3; ++k)
                    QVERIFY(cerca(numero(t, fila + 2 + k, c),
                                  bandas[static_cast<std::size_t>(k)] * 100.0 / esperado.nSujetos));
                // The difference adds up with the means as shown.
                QCOMPARE(centesimas(numero(t, fila + 1, 0)),
                         centesimas(numero(t, fila, 0)) - centesimas(numero(t, fila, 1)));
                QCOMPARE(t->item(fila + 1, 1)->text(), QString("referencia"));
            }
        }
        QVERIFY(t->item(kFilaMedia, 0)->text().contains(','));
        // Two and three subjects: the notice, naming each profile.
        const QString aviso = QString::fromLatin1(kAvisoAnonimato);
        QCOMPARE(control<QLabel>(b.frm, "lblAnonimato")->text(),
                 aviso + " (Alfa)\n" + aviso + " (Todos)\n" + kAvisoSinRespuesta + " (Todos)");
        QVERIFY(!control<QLabel>(b.frm, "lblAnonimato")->isHidden());

        // Alfa becomes the reference, from the keyboard: the differences turn round.
        std::vector<long> antes;
        for (int f = 0; f < kNumFactores; ++f)
            antes.push_back(centesimas(numero(t, kFilaMedia + 5 * f + 1, 0)));
        b.alt(Qt::Key_R);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
        QCOMPARE(control<QComboBox>(b.frm, "cbReferencia")->currentIndex(), 0);
        for (int f = 0; f < kNumFactores; ++f) {
            QCOMPARE(t->item(kFilaMedia + 5 * f + 1, 0)->text(), QString("referencia"));
            QCOMPARE(centesimas(numero(t, kFilaMedia + 5 * f + 1, 1)), -antes[std::size_t(f)]);
        }

        // "Calcular" takes in what changed since the opening.
        TCuestionario* q = b.doc.agregarCuestionario("Q4");
        q->respuestas = b.doc.cuestionarios[0]->respuestas;
        puntuarCuestionario(*q);
        enlazar(*q, *b.doc.grupos[0]);
        b.alt(Qt::Key_L);
        QCOMPARE(t->item(0, 0)->text(), QString("3"));

        // Every button answers to its own Alt+letter.
        QSet<QKeySequence> teclas;
        for (const auto* boton : b.frm.findChildren<QPushButton*>()) {
            const QKeySequence tecla = QKeySequence::mnemonic(boton->text());
            QVERIFY2(!tecla.isEmpty() && !teclas.contains(tecla), qPrintable(boton->text()));
            teclas.insert(tecla);
        }
        QCOMPARE(teclas.size(), 6);
    }

    // A profile of nobody shows no figure and takes no difference; blank
    // forms are counted and warned of; past twelve profiles, a notice.
    void profilesOfNobodyMostlyBlankFormsAndTheLimitOfTwelve() {
        Banco b;
        TPerfil* nadie = b.doc.agregarPerfil("Nadie");
        nadie->grupos.push_back(b.doc.agregarGrupo("Beta"));
        b.frm.abrir(b.doc, {b.alfa, b.todos, nadie});
        QTableWidget* t = b.tabla();
        const auto texto = [t](int fila, int columna) {
            const QTableWidgetItem* i = t->item(fila, columna);
            return i ? i->text() : QString();
        };
        // Q3 answers nothing: Todos has one mostly blank form of three.
        QCOMPARE(texto(2, 0), QString("0"));
        QCOMPARE(texto(2, 1), QString("1"));
        QCOMPARE(texto(0, 2), QString("0"));
        for (int f = 0; f < kNumFactores; ++f) {
            const int fila = kFilaMedia + 5 * f;
            QCOMPARE(texto(fila, 2), QString(kSinCuestionarios));
            for (int k = 1; k < 5; ++k) QCOMPARE(texto(fila + k, 2), QString());
        }
        QCOMPARE(texto(1, 2), QString());
        const QString avisos = control<QLabel>(b.frm, "lblAnonimato")->text();
        QVERIFY(avisos.contains(QString(kAvisoSinRespuesta) + " (Todos)"));
        QVERIFY(!avisos.contains(QString(kAvisoSinRespuesta) + " (Alfa)"));

        // Nadie as the reference: no differences, and the window says why.
        control<QComboBox>(b.frm, "cbReferencia")->setCurrentIndex(2);
        for (int c = 0; c < 2; ++c) QCOMPARE(texto(kFilaMedia + 1, c), QString());
        QVERIFY(control<QLabel>(b.frm, "lblAnonimato")
                    ->text()
                    .startsWith(QString(kReferenciaSinCuestionarios)));

        // Thirteen profiles: the first twelve, and the notice.
        std::vector<TPerfil*> trece;
        for (int i = 0; i < 13; ++i) trece.push_back(i % 2 ? b.alfa : b.todos);
        const std::size_t mensajes = b.dlg.mensajes.size();
        b.frm.abrir(b.doc, trece);
        QCOMPARE(t->columnCount(), 12);
        QCOMPARE(b.dlg.mensajes.size(), mensajes + 1);
        QVERIFY(b.dlg.mensajes.back().rfind(cp1252AUtf8(kDemasiadosPerfiles), 0) == 0);
    }

    void anotherCompanysProfilesJoinWithoutTouchingItsFile() {
        Banco b;
        QFile fixture(QString(KORAL_FIXTURES) + "/talleres.kr2");
        QVERIFY(fixture.open(QIODevice::ReadOnly));
        b.fs.archivos["/d/2005.kr2"] = fixture.readAll().toStdString();
        const auto antes = b.fs.archivos;
        std::vector<std::string> leidosAlImprimir;
        std::size_t perfilesAlImprimir = 0;
        b.frm.imprimir = [&](const TComparacion& c, const std::string&,
                             const std::vector<std::string>& leidos) {
            perfilesAlImprimir = c.perfiles.size();
            leidosAlImprimir = leidos;
        };
        b.abrir();
        // Twice the same file and profile (the list's first row, taken with
        // Enter): one column.
        for (int vez = 0; vez < 2; ++vez) {
            b.ejecutor.rutas.push_back(std::string("/d/2005.kr2"));
            alAparecer([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
            b.alt(Qt::Key_A);
        }
        QCOMPARE(b.ejecutor.llamadas.at(0).dialogo.filtro,
                 std::string("Archivos KORAL 2.0|*.kr2|Cualquier archivo|*.*"));
        QTableWidget* t = b.tabla();
        QCOMPARE(t->columnCount(), 3);
        QCOMPARE(t->horizontalHeaderItem(2)->text(), QString::fromUtf8("Mañanas (Talleres, 2005)"));
        QCOMPARE(t->item(0, 2)->text(), QString("1"));
        QCOMPARE(control<QComboBox>(b.frm, "cbReferencia")->count(), 3);
        QVERIFY(control<QLabel>(b.frm, "lblAnonimato")
                    ->text()
                    .endsWith(QString::fromUtf8("(Mañanas (Talleres, 2005))")));
        b.alt(Qt::Key_I);
        QCOMPARE(perfilesAlImprimir, std::size_t(3));
        QCOMPARE(leidosAlImprimir, std::vector<std::string>{"/d/2005.kr2"});
        // Read only: no byte changed, no lock or backup beside it.
        QCOMPARE(b.fs.archivos, antes);

        // A file that is not a company adds nothing and says why.
        b.fs.archivos["/d/nada.kr2"] = "no es una empresa";
        b.ejecutor.rutas.push_back(std::string("/d/nada.kr2"));
        b.alt(Qt::Key_A);
        QCOMPARE(t->columnCount(), 3);
        QCOMPARE(b.dlg.mensajes.back(), std::string("El archivo /d/nada.kr2 no tiene perfiles."));
    }

    // A large company's reading shows its progress; cancelled, it adds
    // nothing and says nothing.
    void cancellingTheOtherCompanysReadingAddsNothing() {
        Banco b;
        const int n = 10000;
        std::string grande = "E" + std::to_string(n + 1) + " 0 " + std::to_string(n) + " 0 G\r\n";
        for (int i = 0; i < n; ++i) {
            grande += "C" + std::to_string(i + 2) + " " + std::string(kNumItems, '0');
            for (int k = 0; k < 8; ++k) grande += "  0.00000000000000E+0000";
            grande += " Q" + std::to_string(i) + "\r\n";
        }
        QVERIFY(grande.size() > kArchivoGrande);
        b.fs.archivos["/d/grande.kr2"] = grande;
        b.abrir();
        const std::size_t mensajes = b.dlg.mensajes.size();
        b.ejecutor.rutas.push_back(std::string("/d/grande.kr2"));
        QString visto;
        alAparecer([&](QWidget* w) {
            visto = w->objectName();
            QTest::keyClick(w, Qt::Key_Escape);  // as the button does
        });
        b.alt(Qt::Key_A);
        QCOMPARE(visto, QString("dlgAbriendo"));
        QCOMPARE(b.tabla()->columnCount(), 2);
        QCOMPARE(b.dlg.mensajes.size(), mensajes);
    }

    void theChartIsCopiedAndSaved() {
        Banco b;
        b.abrir();
        b.alt(Qt::Key_C);
        QCOMPARE(QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
                 b.frm.imagen());
        b.ejecutor.rutas.push_back(std::string("/d/g.png"));
        b.ejecutor.rutas.push_back(std::string("/d/g.svg"));
        b.alt(Qt::Key_G);
        b.alt(Qt::Key_G);
        QImage png;
        const std::string& bytes = b.fs.archivos.at("/d/g.png");
        QVERIFY(png.loadFromData(reinterpret_cast<const uchar*>(bytes.data()),
                                 static_cast<int>(bytes.size()), "PNG"));
        QCOMPARE(png.convertToFormat(QImage::Format_RGB32), b.frm.imagen());
        const std::string& svg = b.fs.archivos.at("/d/g.svg");
        QVERIFY(svg.find("Todos: 3 sujetos") != std::string::npos);
    }
};

QTEST_MAIN(TestUComparar)
#include "test_UComparar.moc"
