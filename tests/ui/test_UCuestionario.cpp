// The questionnaire editor driven from the keyboard as an assessor keys in a
// paper questionnaire: real key events to the focused cell, the beep
// counted, the dialogs answered through their seams.
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "Controles.h"
#include "DoblesVentanas.h"
#include "document/UData.h"
#include "method/Puntuacion.h"
#include "platform/Texto.h"
#include "support/DialogosGuion.h"
#include "ui/Diferencias.h"
#include "ui/UChild.h"
#include "ui/UCuestionario.h"
#include "ui/UMain.h"

using namespace koral;
using prueba::control;
using prueba::DialogosGuion;
using prueba::dobleClic;
using prueba::elegir;
using prueba::EscritorioGuion;

namespace {

QStringList textos(const QListView* lista) {
    QStringList t;
    for (int i = 0; i < lista->model()->rowCount(); ++i)
        t << lista->model()->index(i, 0).data().toString();
    return t;
}

std::string nombres(const std::vector<TGrupo*>& v) {
    std::string s;
    for (const TGrupo* g : v) s += (g ? g->nombre : std::string("?")) + ";";
    return s;
}

std::string cadena(const Respuestas& r) {
    return std::string(r.begin(), r.end());
}

}  // namespace

class TestUCuestionario : public QObject {
    Q_OBJECT

    struct Banco {
        DialogosGuion dlg;
        EscritorioGuion escritorio;
        TKoral doc;
        TCuestionario* q;
        TfrmCuest frm;
        int pitidos = 0;

        Banco() {
            // Created out of alphabetical order: the lists sort them.
            for (const std::string& n :
                 {std::string("Turno"), "Almacén"_cp, std::string("oficina"), "Mañanas"_cp})
                doc.agregarGrupo(n);
            q = doc.agregarCuestionario("C000001");
            doc.modificado = false;
            frm.pitido = [this] { ++pitidos; };
        }
        void abrir(TCuestionario* c = nullptr, TfrmCuest::Modo modo = TfrmCuest::Modo::edicion) {
            frm.abrir(doc, c ? *c : *q, modo);
            frm.show();
            frm.activateWindow();
            if (!QTest::qWaitForWindowActive(&frm)) qWarning("editor not active");
        }
        TGrupo* grupo(const std::string& n) { return doc.buscarGrupo(n); }
        template <class T>
        T* hijo(const char* nombre) {
            return control<T>(frm, nombre);
        }
        QPushButton* boton(const char* nombre) { return control(frm, nombre); }
        QListView* lista(const char* nombre) { return control<QListView>(frm, nombre); }
    };

    static QWidget* foco() { return QApplication::focusWidget(); }
    static void tecla(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QTest::keyClick(foco(), k, m);
    }
    static void escribir(char c) { QTest::keyClick(foco(), c); }

    // The item whose cell editor has the keyboard focus, or 0.
    static int itemActual(TfrmCuest& f) {
        QWidget* w = foco();
        if (!qobject_cast<QLineEdit*>(w)) return 0;
        for (int k = 0; k < kNumFactores; ++k) {
            const std::string nombre = "SGrid" + std::to_string(k + 1);
            const auto* grid = control<QTableWidget>(f, nombre.c_str());
            if (grid->isAncestorOf(w))
                return kFactores[static_cast<std::size_t>(k)].primerItem + grid->currentColumn();
        }
        return 0;
    }
    // Keys a whole form from item 1 on, with Tab between the answers.
    static void teclear(const std::string& respuestas) {
        for (std::size_t i = 0; i < respuestas.size(); ++i) {
            escribir(respuestas[i]);
            if (i + 1 < respuestas.size()) tecla(Qt::Key_Tab);
        }
    }
    // Runs `pasos` on the differences dialog once it is up; a dialog left
    // open by a failed step is closed, so that the test ends.
    template <class F>
    static void enLasDiferencias(F pasos) {
        QTimer::singleShot(0, [pasos] {
            QPointer<QWidget> dialogo;
            QTRY_VERIFY(
                (dialogo = qobject_cast<TfrmDiferencias*>(QApplication::activeModalWidget())));
            pasos(*dialogo);
            if (dialogo && dialogo->isVisible()) dialogo->close();
        });
    }
    // Moves the cursor forward from item 1 to `item` with Tab.
    static void irA(TfrmCuest& f, int item) {
        while (itemActual(f) < item && itemActual(f) != 0) tecla(Qt::Key_Tab);
    }

    QTemporaryDir ajustes_;

private slots:
    void initTestCase() {
        // The user's own settings stay out of reach.
        QVERIFY(ajustes_.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, ajustes_.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, ajustes_.path());
    }
    void init() {
        const QString programa = QCoreApplication::applicationName();
        QSettings(programa, programa).clear();
    }

    void opensOnItemOneWithHeadersAndStoredAnswers() {
        Banco b;
        b.q->respuestas[4] = '3';
        b.q->respuestas[74] = '5';
        b.abrir();
        QCOMPARE(b.frm.windowTitle(), QString("Cuestionario <C000001>"));
        QCOMPARE(b.hijo<QLineEdit>("txtIdentificador")->text(), QString("C000001"));
        QCOMPARE(itemActual(b.frm), 1);
        // The cell's text is selected: a digit replaces it.
        auto* editor = qobject_cast<QLineEdit*>(foco());
        QVERIFY(editor);
        QCOMPARE(editor->selectedText(), QString("0"));
        QCOMPARE(b.frm.textoItem(5), QString("3"));
        QCOMPARE(b.frm.textoItem(75), QString("5"));
        // Header rows: the item numbers of each factor.
        QCOMPARE(b.hijo<QTableWidget>("SGrid1")->columnCount(), 11);
        QCOMPARE(b.hijo<QTableWidget>("SGrid3")->columnCount(), 19);
        QCOMPARE(b.hijo<QTableWidget>("SGrid4")->columnCount(), 17);
        QCOMPARE(b.hijo<QTableWidget>("SGrid7")->columnCount(), 6);
        QCOMPARE(b.hijo<QTableWidget>("SGrid1")->horizontalHeaderItem(0)->text(), QString("1"));
        QCOMPARE(b.hijo<QTableWidget>("SGrid2")->horizontalHeaderItem(0)->text(), QString("12"));
        QCOMPARE(b.hijo<QTableWidget>("SGrid7")->horizontalHeaderItem(5)->text(), QString("75"));
        QCOMPARE(b.hijo<QLabel>("Label7")->text(),
                 QString::fromUtf8("Supervisión - Participac.: "));
    }

    void onlyTheItemsDigitsAreAdmitted() {
        Banco b;
        b.abrir();
        // Item 1 has five options: every digit from 0 to 5. Coming back to
        // the cell selects its text again, so the next digit replaces it.
        for (char d : {'0', '1', '2', '3', '4', '5'}) {
            escribir(d);
            QCOMPARE(b.frm.textoItem(1), QString(QChar(d)));
            tecla(Qt::Key_Tab);
            tecla(Qt::Key_Left);
        }
        QCOMPARE(b.pitidos, 0);
        // Anything else is dropped: a 6, letters, the blank, Backspace, Escape.
        for (char c : {'6', '9', 'a', ' ', '-'}) escribir(c);
        tecla(Qt::Key_Backspace);
        tecla(Qt::Key_Escape);
        QCOMPARE(b.frm.textoItem(1), QString("5"));
        QCOMPARE(b.pitidos, 2);      // the digits only
        QVERIFY(b.frm.isVisible());  // Escape does not throw the answers away

        // Item 2 has four: 5 is dropped, 4 admitted.
        tecla(Qt::Key_Tab);
        QCOMPARE(itemActual(b.frm), 2);
        escribir('5');
        QCOMPARE(b.frm.textoItem(2), QString("0"));
        escribir('4');
        QCOMPARE(b.frm.textoItem(2), QString("4"));

        // Item 6 has three: 4 and 5 dropped, 3 admitted.
        irA(b.frm, 6);
        escribir('5');
        escribir('4');
        QCOMPARE(b.frm.textoItem(6), QString("0"));
        escribir('3');
        QCOMPARE(b.frm.textoItem(6), QString("3"));

        // Keypad digits count as digits.
        tecla(Qt::Key_Tab);
        QTest::keyClick(foco(), Qt::Key_2, Qt::KeypadModifier);
        QCOMPARE(b.frm.textoItem(7), QString("2"));
    }

    void tabEnterAndArrowsCrossTheGridsAndBeepAtTheEnds() {
        Banco b;
        b.abrir();
        irA(b.frm, 11);
        QCOMPARE(itemActual(b.frm), 11);
        tecla(Qt::Key_Tab);
        QCOMPARE(itemActual(b.frm), 12);
        QVERIFY(b.hijo<QTableWidget>("SGrid2")->isAncestorOf(foco()));
        tecla(Qt::Key_Return);
        QCOMPARE(itemActual(b.frm), 13);
        tecla(Qt::Key_Enter);  // the keypad's
        QCOMPARE(itemActual(b.frm), 14);
        tecla(Qt::Key_Right);
        tecla(Qt::Key_Right);
        QCOMPARE(itemActual(b.frm), 16);
        // Left on the first cell of grid 3 goes to the last of grid 2.
        tecla(Qt::Key_Left);
        QCOMPARE(itemActual(b.frm), 15);
        tecla(Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(itemActual(b.frm), 14);
        QCOMPARE(b.pitidos, 0);

        irA(b.frm, 75);
        QCOMPARE(itemActual(b.frm), 75);
        tecla(Qt::Key_Tab);
        tecla(Qt::Key_Return);
        tecla(Qt::Key_Right);
        QCOMPARE(b.pitidos, 3);
        QCOMPARE(itemActual(b.frm), 75);
        QVERIFY(b.hijo<QTableWidget>("SGrid7")->isAncestorOf(foco()));

        // All the way back with Left: one beep on item 1.
        for (int i = 0; i < 74; ++i) tecla(Qt::Key_Left);
        QCOMPARE(itemActual(b.frm), 1);
        QCOMPARE(b.pitidos, 3);
        tecla(Qt::Key_Left);
        QCOMPARE(b.pitidos, 4);
        QCOMPARE(itemActual(b.frm), 1);

        // Up, Down and Home keep the cursor in its cell.
        tecla(Qt::Key_Down);
        tecla(Qt::Key_Up);
        QCOMPARE(itemActual(b.frm), 1);
    }

    void aWholeQuestionnaireKeyedInOneRun() {
        Banco b;
        b.abrir();
        std::string esperadas;
        for (int item = 1; item <= kNumItems; ++item) {
            const char d = static_cast<char>('0' + (item * 7) % (opcionesItem(item) + 1));
            esperadas += d;
            QCOMPARE(itemActual(b.frm), item);
            escribir(d);
            tecla(item % 2 ? Qt::Key_Tab : Qt::Key_Return);
        }
        QCOMPARE(b.pitidos, 1);                                        // the Tab after item 75
        QTest::keyClick(foco(), Qt::Key_Return, Qt::ControlModifier);  // accepts
        QCOMPARE(b.frm.result(), int(QDialog::Accepted));
        QVERIFY(!b.frm.isVisible());
        QCOMPARE(cadena(b.q->respuestas), esperadas);
        Puntuaciones p{};
        const int sin = puntuarRespuestas(esperadas.data(), p);
        QCOMPARE(b.q->puntuaciones, p);
        QCOMPARE(b.q->sinRespuesta, sin);
    }

    void advanceOnEntryKeysAWholeFormWithDigitsAloneAndIsRemembered() {
        Banco b;
        auto* avanzar = b.hijo<QCheckBox>("chkAvanzar");
        QVERIFY(!avanzar->isChecked());
        b.abrir();
        QTest::keyClick(&b.frm, Qt::Key_T, Qt::AltModifier);
        QTRY_VERIFY(avanzar->isChecked());
        QCOMPARE(itemActual(b.frm), 1);  // the keys still go to the grid
        std::string esperadas;
        for (int item = 1; item <= kNumItems; ++item) {
            const char d = static_cast<char>('0' + (item * 5) % (opcionesItem(item) + 1));
            esperadas += d;
            QCOMPARE(itemActual(b.frm), item);
            if (item == 6) escribir('5');  // refused: beeps and stays
            escribir(d);
        }
        QCOMPARE(itemActual(b.frm), 75);  // the last digit stays, without a beep
        QCOMPARE(b.pitidos, 1);
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QCOMPARE(cadena(b.q->respuestas), esperadas);

        // The next run finds it ticked; unticked, it is unticked again.
        {
            TfrmCuest otro;
            QVERIFY(control<QCheckBox>(otro, "chkAvanzar")->isChecked());
        }
        avanzar->click();
        TfrmCuest otro;
        QVERIFY(!control<QCheckBox>(otro, "chkAvanzar")->isChecked());
    }

    void anExtraTabThatShiftsTheAnswersIsNamedAtAccept() {
        Banco b;
        b.hijo<QCheckBox>("chkAvanzar")->setChecked(true);
        b.abrir();
        std::string papel;
        for (int item = 1; item <= kNumItems; ++item)
            papel += static_cast<char>('1' + (item * 5) % opcionesItem(item));
        // One Tab too many on item 23: it stays blank and every later answer
        // lands one item on, the last two in item 75.
        for (int item = 1; item <= kNumItems; ++item) {
            if (item == 23) tecla(Qt::Key_Tab);
            escribir(papel[std::size_t(item - 1)]);
        }
        QCOMPARE(b.frm.textoItem(75), QString::fromStdString(papel.substr(73, 2)));
        b.dlg.respuestas.push_back(Respuesta::Si);
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QCOMPARE(cp1252AUtf8(b.dlg.llamadas.back().texto),
                 std::string("Hay más respuestas que preguntas y quedó en blanco la pregunta 23: "
                             "las siguientes parecen desplazadas. ¿Desea volver a la 23?"));
        QVERIFY(b.frm.isVisible());
        QCOMPARE(itemActual(b.frm), 23);

        // Item 75 cut back to one digit, as the old warning led to, still
        // ends the shifted run: told again, and "No" stores it as it is.
        irA(b.frm, 75);
        escribir('1');
        QCOMPARE(b.frm.textoItem(75), QString("1"));
        b.dlg.respuestas.push_back(Respuesta::No);
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QCOMPARE(cp1252AUtf8(b.dlg.llamadas.back().texto),
                 std::string("Hubo más respuestas que preguntas y quedó en blanco la pregunta 23: "
                             "las siguientes parecen desplazadas. ¿Desea volver a la 23?"));
        QCOMPARE(b.dlg.llamadas.size(), std::size_t(2));
        QCOMPARE(b.frm.result(), int(QDialog::Accepted));
        QCOMPARE(b.q->respuestas[22], '0');
    }

    void theCountAndTheFaultsFollowTheKeysAndAcceptAsksAboutFaults() {
        Banco b;
        b.q->respuestas[74] = '2';
        b.abrir();
        auto* respondidas = b.hijo<QLabel>("lblRespondidas");
        auto* grid1 = b.hijo<QTableWidget>("SGrid1");
        QCOMPARE(respondidas->text(), QString("Respondidas: 1 de 75"));
        escribir('3');  // counted before the cell is left
        QCOMPARE(respondidas->text(), QString("Respondidas: 2 de 75"));
        auto* editor = qobject_cast<QLineEdit*>(foco());
        const QColor normal = editor->palette().color(QPalette::Base);
        escribir('4');  // a missed Tab: both digits stay in view, the cell turns red
        QCOMPARE(b.frm.textoItem(1), QString("34"));
        QCOMPARE(respondidas->text(), QString("Respondidas: 2 de 75"));
        const QColor fallo = editor->palette().color(QPalette::Base);
        QVERIFY(fallo != normal && fallo.red() > fallo.green());
        escribir('1');  // a third: the cell shows the digit that counts, not the middle
        tecla(Qt::Key_Tab);
        QCOMPARE(grid1->item(0, 0)->background().color(), fallo);  // and stays red once left
        QCOMPARE(b.frm.textoItem(1), QString("341"));
        const auto* celda = qobject_cast<QStyledItemDelegate*>(grid1->itemDelegate());
        QCOMPARE(celda->displayText(grid1->item(0, 0)->text(), QLocale()), QString::fromUtf8("3…"));

        // Item 2 takes four options: a 5 beeps, a letter does not.
        escribir('5');
        escribir('a');
        QCOMPARE(b.pitidos, 1);
        tecla(Qt::Key_Tab);
        escribir('2');
        escribir('1');
        tecla(Qt::Key_Tab);
        QCOMPARE(respondidas->text(), QString("Respondidas: 3 de 75"));

        // "Si" goes back to the first faulty cell, storing nothing.
        b.dlg.respuestas.push_back(Respuesta::Si);
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QCOMPARE(b.dlg.llamadas.back().titulo, "Atención"_cp);
        QCOMPARE(cp1252AUtf8(b.dlg.llamadas.back().texto),
                 std::string("Las preguntas 1 y 3 tienen más de una cifra: solo cuenta la "
                             "primera.\n¿Desea volver a la pregunta 1?"));
        QVERIFY(b.frm.isVisible());
        QCOMPARE(itemActual(b.frm), 1);
        QCOMPARE(b.q->respuestas[0], '0');
        escribir('4');  // the cell's text is selected: replaced
        QCOMPARE(qobject_cast<QLineEdit*>(foco())->palette().color(QPalette::Base), normal);

        // "No" stores them as they are: the first digit counts.
        b.dlg.respuestas.push_back(Respuesta::No);
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QCOMPARE(cp1252AUtf8(b.dlg.llamadas.back().texto),
                 std::string("La pregunta 3 tiene más de una cifra: solo cuenta la primera.\n"
                             "¿Desea volver a ella?"));
        QCOMPARE(b.frm.result(), int(QDialog::Accepted));
        QCOMPARE(cadena(b.q->respuestas).substr(0, 3), std::string("402"));
    }

    void anUntouchedNewQuestionnaireStoresNoAnswersAndItsScores() {
        Banco b;
        b.q->sinRespuesta = 0;
        b.q->puntuaciones.fill(9.5);
        b.abrir();
        for (int item = 1; item <= kNumItems; ++item) QCOMPARE(b.frm.textoItem(item), QString("0"));
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QCOMPARE(b.frm.result(), int(QDialog::Accepted));
        QCOMPARE(cadena(b.q->respuestas), std::string(75, '0'));
        QCOMPARE(b.q->sinRespuesta, 75);
        Puntuaciones p{};
        puntuarRespuestas(std::string(75, '0').data(), p);
        QCOMPARE(b.q->puntuaciones, p);
    }

    void emptiedPastedAndForeignCellsStoreAnAdmittedAnswer() {
        QCOMPARE(TfrmCuest::respuestaDe("", 1), '0');
        QCOMPARE(TfrmCuest::respuestaDe("x3", 1), '0');
        QCOMPARE(TfrmCuest::respuestaDe("4", 6), '0');  // item 6 has three options
        QCOMPARE(TfrmCuest::respuestaDe("35", 6), '3');
        QCOMPARE(TfrmCuest::respuestaDe("5", 1), '5');

        Banco b;
        b.q->respuestas[1] = '9';  // as a damaged file might hold
        b.q->respuestas[2] = ' ';
        b.q->respuestas[3] = '2';
        b.abrir();
        QCOMPARE(b.frm.textoItem(2), QString("9"));
        // Item 1: Delete empties the cell.
        escribir('4');
        tecla(Qt::Key_Home);
        tecla(Qt::Key_Delete);
        QCOMPARE(b.frm.textoItem(1), QString(""));
        irA(b.frm, 4);
        // Item 4: a paste with anything but admitted digits is refused whole.
        auto* editor = qobject_cast<QLineEdit*>(foco());
        QVERIFY(editor);
        QApplication::clipboard()->setText("x");
        editor->paste();
        QCOMPARE(b.frm.textoItem(4), QString("2"));
        QApplication::clipboard()->setText("4");
        editor->selectAll();
        editor->paste();
        QCOMPARE(b.frm.textoItem(4), QString("4"));
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QCOMPARE(cadena(b.q->respuestas).substr(0, 5), std::string("00040"));
    }

    void groupListsAreSortedAndMovesChangeBothSides() {
        Banco b;
        b.abrir();
        const QStringList todos = {QString::fromUtf8("Almacén"), QString::fromUtf8("Mañanas"),
                                   "oficina", "Turno"};
        QCOMPARE(textos(b.lista("lBox1")), todos);
        QVERIFY(textos(b.lista("lBox2")).isEmpty());

        // ">" without a selection does nothing.
        QTest::mouseClick(b.boton("Button1"), Qt::LeftButton);
        QVERIFY(b.q->grupos.empty());

        elegir(b.lista("lBox1"), 1);
        QTest::mouseClick(b.boton("Button1"), Qt::LeftButton);
        TGrupo* mananas = b.grupo("Mañanas"_cp);
        QCOMPARE(nombres(b.q->grupos), "Mañanas;"_cp);
        QCOMPARE(mananas->cuestionarios, std::vector<TCuestionario*>{b.q});
        QCOMPARE(textos(b.lista("lBox2")), QStringList{QString::fromUtf8("Mañanas")});
        QVERIFY(b.doc.modificado);

        // A double-click moves the entry clicked; the list stays sorted.
        dobleClic(b.lista("lBox1"), 2);  // Turno
        dobleClic(b.lista("lBox1"), 0);  // Almacén
        QCOMPARE(textos(b.lista("lBox2")), (QStringList{QString::fromUtf8("Almacén"),
                                                        QString::fromUtf8("Mañanas"), "Turno"}));
        QCOMPARE(nombres(b.q->grupos), "Mañanas;Turno;Almacén;"_cp);
        QCOMPARE(textos(b.lista("lBox1")), QStringList{"oficina"});

        dobleClic(b.lista("lBox2"), 1);  // Mañanas back
        QCOMPARE(nombres(b.q->grupos), "Turno;Almacén;"_cp);
        QVERIFY(mananas->cuestionarios.empty());

        QTest::mouseClick(b.boton("Button2"), Qt::LeftButton);  // ">>"
        QCOMPARE(textos(b.lista("lBox2")), todos);
        QVERIFY(textos(b.lista("lBox1")).isEmpty());
        QCOMPARE(nombres(b.q->grupos), "Turno;Almacén;Mañanas;oficina;"_cp);
        for (const auto& g : b.doc.grupos)
            QCOMPARE(g->cuestionarios, std::vector<TCuestionario*>{b.q});

        QTest::mouseClick(b.boton("Button4"), Qt::LeftButton);  // "<<"
        QCOMPARE(textos(b.lista("lBox1")), todos);
        QVERIFY(b.q->grupos.empty());
        for (const auto& g : b.doc.grupos) QVERIFY(g->cuestionarios.empty());
        QVERIFY(b.dlg.mensajes.empty());
    }

    void cancelAndTheCloseBoxPutTheGroupsBackAndMarkNothing() {
        Banco b;
        TGrupo* turno = b.grupo("Turno");
        TCuestionario* otro = b.doc.agregarCuestionario("C000002");
        enlazar(*b.q, *turno);
        enlazar(*otro, *turno);
        b.doc.modificado = false;
        for (bool cierre : {false, true}) {
            b.abrir();
            escribir('2');
            tecla(Qt::Key_Tab);
            b.hijo<QLineEdit>("txtIdentificador")->setText("Otro");
            QTest::mouseClick(b.boton("Button4"), Qt::LeftButton);  // "<<"
            dobleClic(b.lista("lBox1"), 2);                         // oficina
            dobleClic(b.lista("lBox1"), 2);  // Turno, now last of the company
            QCOMPARE(nombres(b.q->grupos), std::string("oficina;Turno;"));
            QVERIFY(b.doc.modificado);
            if (cierre)
                b.frm.close();
            else
                QTest::mouseClick(b.boton("Button6"), Qt::LeftButton);
            QCOMPARE(b.frm.result(), int(QDialog::Rejected));
            QCOMPARE(b.q->nombre, std::string("C000001"));
            QCOMPARE(cadena(b.q->respuestas), std::string(75, '0'));
            QCOMPARE(nombres(b.q->grupos), std::string("Turno;"));
            // Both sides as they were, the member list in its order.
            QCOMPARE(turno->cuestionarios, (std::vector<TCuestionario*>{b.q, otro}));
            QVERIFY(b.grupo("oficina")->cuestionarios.empty());
            QVERIFY(!b.doc.modificado);
        }
    }

    void doubleEntryListsTheDifferencesAndStoresTheChosenAnswers() {
        Banco b;
        std::string grabadas;
        for (int item = 1; item <= kNumItems; ++item)
            grabadas += static_cast<char>('0' + (item * 3) % (opcionesItem(item) + 1));
        std::copy(grabadas.begin(), grabadas.end(), b.q->respuestas.begin());
        enlazar(*b.q, *b.grupo("Turno"));
        std::string tecleadas = grabadas;
        tecleadas[2] = grabadas[2] == '1' ? '2' : '1';    // item 3: the second keying is wrong
        tecleadas[39] = grabadas[39] == '1' ? '2' : '1';  // item 40: the first one was
        if (grabadas[59] == '0') grabadas[59] = '1';
        std::copy(grabadas.begin(), grabadas.end(), b.q->respuestas.begin());
        tecleadas[59] = ' ';  // item 60: not keyed the second time

        b.abrir(nullptr, TfrmCuest::Modo::verificacion);
        QCOMPARE(b.frm.windowTitle(), QString("Verificar cuestionario <C000001>"));
        QCOMPARE(b.frm.textoItem(1), QString());
        QCOMPARE(b.hijo<QLabel>("lblRespondidas")->text(), QString("Respondidas: 0 de 75"));
        QVERIFY(b.hijo<QLineEdit>("txtIdentificador")->isReadOnly());
        QVERIFY(!b.lista("lBox2")->isEnabled());
        teclear(tecleadas);

        enLasDiferencias([&](QWidget& d) {
            auto* tabla = control<QTableWidget>(d, "tblDiferencias");
            QCOMPARE(tabla->rowCount(), 3);
            const QStringList fila0 = {"3", QString(QChar(grabadas[2])),
                                       QString(QChar(tecleadas[2])), ""};
            for (int c = 0; c < 4; ++c) QCOMPARE(tabla->item(0, c)->text(), fila0[c]);
            QCOMPARE(tabla->item(1, 0)->text(), QString("40"));
            QCOMPARE(tabla->item(2, 2)->text(), QString("sin teclear"));
            auto* aceptar = control(d, "btnAceptar");
            QVERIFY(!aceptar->isEnabled());
            QTest::keyClick(tabla, '9');  // no item takes it
            QCOMPARE(b.pitidos, 1);
            QTest::keyClick(tabla, grabadas[2]);
            QVERIFY(!aceptar->isEnabled());
            QTest::keyClick(tabla, tecleadas[39]);
            QTest::keyClick(tabla, grabadas[59]);
            QVERIFY(aceptar->isEnabled());
            QTest::keyClick(tabla, Qt::Key_Return);
        });
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QCOMPARE(b.frm.result(), int(QDialog::Accepted));
        std::string esperadas = grabadas;
        esperadas[39] = tecleadas[39];
        QCOMPARE(cadena(b.q->respuestas), esperadas);
        Puntuaciones p{};
        puntuarRespuestas(esperadas.data(), p);
        QCOMPARE(b.q->puntuaciones, p);
        QCOMPARE(nombres(b.q->grupos), std::string("Turno;"));
        QCOMPARE(b.q->nombre, std::string("C000001"));

        // Cancelling the choice stores nothing and keeps the second keying on screen.
        b.abrir(nullptr, TfrmCuest::Modo::verificacion);
        teclear(tecleadas);
        enLasDiferencias([](QWidget& d) {
            QTest::keyClick(control<QTableWidget>(d, "tblDiferencias"), Qt::Key_Escape);
        });
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QVERIFY(b.frm.isVisible());
        b.frm.activateWindow();              // no window manager here hands it back
        QTRY_COMPARE(itemActual(b.frm), 3);  // back on the first item that differs
        QCOMPARE(b.frm.textoItem(3), QString(QChar(tecleadas[2])));
        QCOMPARE(cadena(b.q->respuestas), esperadas);
        QTest::mouseClick(b.boton("Button6"), Qt::LeftButton);
        QCOMPARE(b.frm.result(), int(QDialog::Rejected));
        QCOMPARE(cadena(b.q->respuestas), esperadas);

        // Keyed the same: said so, and accepted.
        b.abrir(nullptr, TfrmCuest::Modo::verificacion);
        teclear(esperadas);
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QCOMPARE(b.dlg.mensajes.back(),
                 std::string("Las dos grabaciones coinciden: no hay ninguna diferencia."));
        QCOMPARE(b.frm.result(), int(QDialog::Accepted));
    }

    void acceptRenamesUnlessTheNameIsTaken() {
        Banco b;
        auto* nombre = b.hijo<QLineEdit>("txtIdentificador");
        TCuestionario* otro = b.doc.agregarCuestionario("C000002");
        b.abrir();
        nombre->setText("C000002");
        escribir('1');
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QCOMPARE(b.dlg.mensajes,
                 std::vector<std::string>{"Este identificador ya existe. No se cambia."});
        QCOMPARE(b.q->nombre, std::string("C000001"));
        QCOMPARE(b.q->respuestas[0], '1');  // stored all the same
        QCOMPARE(b.frm.result(), int(QDialog::Accepted));

        // Case counts: "c000002" is another name.
        b.abrir();
        nombre->setText("c000002");
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QCOMPARE(b.q->nombre, std::string("c000002"));
        QCOMPARE(b.dlg.mensajes.size(), std::size_t(1));

        // A long name keeps its first 49 characters, unless that cut is taken.
        b.abrir();
        nombre->setText(QString(60, 'x'));
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QCOMPARE(b.q->nombre, std::string(49, 'x'));
        b.abrir(otro);
        nombre->setText(QString(55, 'x'));
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QCOMPARE(otro->nombre, std::string("C000002"));
        QCOMPARE(b.dlg.mensajes.size(), std::size_t(2));

        // Characters without a Windows-1252 form cannot be typed into the name.
        b.abrir();
        nombre->setFocus();
        nombre->setText("Ana");
        QTest::sendKeyEvent(QTest::Click, nombre, Qt::Key_unknown, QString(QChar(0x3A9)),
                            Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Click, nombre, Qt::Key_unknown, QString::fromUtf8("ñ"),
                            Qt::NoModifier);
        QCOMPARE(nombre->text(), QString::fromUtf8("Anañ"));
        QTest::mouseClick(b.boton("Button5"), Qt::LeftButton);
        QCOMPARE(b.q->nombre, "Anañ"_cp);
    }

    void brokenLinksAreReportedAndSurvived() {
        Banco b;
        TGrupo ajeno;  // a group the document does not hold
        ajeno.id = 999;
        ajeno.nombre = "Ajeno";
        b.q->grupos = {nullptr, &ajeno, b.grupo("Turno")};
        b.grupo("Turno")->cuestionarios = {b.q};
        b.abrir();
        QCOMPARE(b.dlg.mensajes, (std::vector<std::string>{"Ocurrió un erro 03 en el archivo",
                                                           "Error 05 en el proceso de este "
                                                           "cuestionario"}));
        QCOMPARE(textos(b.lista("lBox2")), (QStringList{"Ajeno", "Turno"}));
        QCOMPARE(textos(b.lista("lBox1")).size(), 3);

        // "<" on the foreign group: its member list lacks the questionnaire.
        elegir(b.lista("lBox2"), 0);
        QTest::mouseClick(b.boton("Button3"), Qt::LeftButton);
        QCOMPARE(b.dlg.mensajes.back(), std::string("Error 04 en el tratamiento del archivo"));
        QCOMPARE(b.dlg.mensajes.size(), std::size_t(3));
        QCOMPARE(textos(b.lista("lBox1")).front(), QString("Ajeno"));
        QCOMPARE(b.q->grupos.size(), std::size_t(2));  // the null entry and Turno

        // "<<" on Turno, whose side was already gone: one notice, the other side removed.
        b.grupo("Turno")->cuestionarios.clear();
        QTest::mouseClick(b.boton("Button4"), Qt::LeftButton);
        QCOMPARE(b.dlg.mensajes.size(), std::size_t(4));
        QCOMPARE(b.q->grupos, std::vector<TGrupo*>{nullptr});
    }

    void everyButtonAnswersToAltAndItsLetter() {
        Banco b;
        b.abrir();
        QCOMPARE(b.boton("Button5")->text(), QString("&Aceptar (Ctrl+Intro)"));
        // From a cell being keyed: "NG" tells how groups are made.
        QTest::keyClick(foco(), Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(b.dlg.mensajes, std::vector<std::string>{
                                         "Cierre esta ventanta, genere el nuevo grupo, y vuelva"});
        QVERIFY(b.frm.isVisible());
        QTest::keyClick(foco(), Qt::Key_I, Qt::AltModifier);
        QCOMPARE(foco(), b.hijo<QLineEdit>("txtIdentificador"));
        QTest::keyClick(foco(), Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!b.frm.isVisible());
        QCOMPARE(b.frm.result(), int(QDialog::Rejected));
        b.abrir();
        escribir('4');
        QTest::keyClick(foco(), Qt::Key_A, Qt::AltModifier);
        QTRY_COMPARE(b.frm.result(), int(QDialog::Accepted));
        QCOMPARE(b.q->respuestas[0], '4');
    }

    void theCompanyWindowRunsTheEditorModally() {
        DialogosGuion dlg;
        EscritorioGuion escritorio;
        TfrmMain frm;
        conectarEditores(frm);
        QVERIFY(frm.ordenes.editarCuestionario && frm.ordenes.verificarCuestionario &&
                frm.ordenes.verGrupo && frm.ordenes.editarPerfil);
        frm.show();
        dlg.campos.push_back({true, "Empresa"});
        frm.nuevaEmpresa();
        TChildWin* w = frm.companias().back();
        QVERIFY(control<QToolButton>(*w, "CNewButton")->isEnabled() &&
                control<QToolButton>(*w, "CModifyButton")->isEnabled());
        QVERIFY(control<QToolButton>(*w, "GVerButton")->isEnabled() &&
                control<QToolButton>(*w, "PNewButton")->isEnabled());
        w->documento()->modificado = false;

        // A new questionnaire: keyed, renamed and accepted in the editor.
        auto* editor = frm.findChild<TfrmCuest*>();
        QVERIFY(editor);
        bool visto = false;
        QTimer::singleShot(0, editor, [&] {
            QTRY_VERIFY(editor->isVisible());
            editor->activateWindow();
            QTRY_VERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
            QTest::keyClick(QApplication::focusWidget(), '2');
            control<QLineEdit>(*editor, "txtIdentificador")->setText("Z1");
            visto = true;
            QTest::mouseClick(control(*editor, "Button5"), Qt::LeftButton);
        });
        dlg.campos.push_back({true, "C000001"});
        QTest::mouseClick(control<QToolButton>(*w, "CNewButton"), Qt::LeftButton);
        QVERIFY(visto);
        TKoral& d = *w->documento();
        QCOMPARE(d.cuestionarios.front()->nombre, std::string("Z1"));
        QCOMPARE(d.cuestionarios.front()->respuestas[0], '2');
        QCOMPARE(control<QListView>(*w, "lstCuestionarios")->model()->index(0, 0).data().toString(),
                 QString("Z1"));
        QVERIFY(d.modificado);

        // Cancelled: nothing changes, the company is not marked.
        d.modificado = false;
        QTimer::singleShot(0, editor, [&] {
            QTRY_VERIFY(editor->isVisible());
            editor->activateWindow();
            QTRY_VERIFY(qobject_cast<QLineEdit*>(QApplication::focusWidget()));
            QTest::keyClick(QApplication::focusWidget(), '1');
            editor->close();  // the close box cancels
        });
        QTest::mouseClick(control<QToolButton>(*w, "CModifyButton"), Qt::LeftButton);
        QCOMPARE(d.cuestionarios.front()->respuestas[0], '2');
        QVERIFY(!d.modificado);

        // A new questionnaire given a group, then cancelled: gone without a trace.
        TGrupo* g = d.agregarGrupo("G");
        const std::int32_t ultimoId = d.ultimoId;
        d.modificado = false;
        QTimer::singleShot(0, editor, [&] {
            QTRY_VERIFY(editor->isVisible());
            QTest::mouseClick(control(*editor, "Button2"), Qt::LeftButton);  // ">>"
            QTest::mouseClick(control(*editor, "Button6"), Qt::LeftButton);
        });
        dlg.campos.push_back({true, "C000002"});
        QTest::mouseClick(control<QToolButton>(*w, "CNewButton"), Qt::LeftButton);
        QCOMPARE(d.nCuestionarios, 1);
        QCOMPARE(d.cuestionarios.size(), std::size_t(1));
        QVERIFY(g->cuestionarios.empty());
        QCOMPARE(d.ultimoId, ultimoId);
        QVERIFY(!d.modificado);
        QVERIFY(dlg.mensajes.empty());
    }
};

QTEST_MAIN(TestUCuestionario)
#include "test_UCuestionario.moc"
