// The group editor: its two sorted lists, the moves on both sides of the
// association, and what the questionnaire editor then shows.
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "Controles.h"
#include "DoblesVentanas.h"
#include "document/UData.h"
#include "platform/Texto.h"
#include "support/DialogosGuion.h"
#include "ui/ListaRegistros.h"
#include "ui/UChild.h"
#include "ui/UCuestionario.h"
#include "ui/UGrupo.h"
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

}  // namespace

class TestUGrupo : public QObject {
    Q_OBJECT

    struct Banco {
        DialogosGuion dlg;
        EscritorioGuion escritorio;
        TKoral doc;
        TGrupo* g;
        TfrmGrupo frm;

        Banco() {
            g = doc.agregarGrupo("Taller");
            for (const char* n : {"C3", "b2", "A1", "c3"}) doc.agregarCuestionario(n);
            doc.modificado = false;
        }
        void abrir(TGrupo* grupo = nullptr) {
            frm.abrir(doc, grupo ? *grupo : *g);
            frm.show();
            if (!QTest::qWaitForWindowExposed(&frm)) qWarning("editor not exposed");
        }
        TCuestionario* q(const char* n) { return doc.buscarCuestionario(n); }
        template <class T>
        T* hijo(const char* nombre) {
            return control<T>(frm, nombre);
        }
        QPushButton* boton(const char* nombre) { return control(frm, nombre); }
        QListView* lista(const char* nombre) { return control<QListView>(frm, nombre); }
    };

private slots:
    void anEmptyGroupOffersEveryQuestionnaireSorted() {
        Banco b;
        b.abrir();
        QCOMPARE(b.frm.windowTitle(), QString("Grupo <Taller>"));
        QCOMPARE(textos(b.lista("lBox1")), (QStringList{"A1", "b2", "c3", "C3"}));
        QVERIFY(textos(b.lista("lBox2")).isEmpty());
        QCOMPARE(b.hijo<QLabel>("Label1")->text(), QString("Cuestionarios disponibles:"));
        QVERIFY(b.hijo<QLabel>("Label1")->font().bold());
        QCOMPARE(b.boton("Button5")->text(), QString("&Salir"));
    }

    void theCaptionKeepsAWholeNameAndCutsALongerOne() {
        QCOMPARE(TfrmGrupo::titulo(std::string(49, 'n')), "Grupo <" + QString(49, 'n') + ">");
        QCOMPARE(TfrmGrupo::titulo(std::string(60, 'n')).size(), 57);
        QCOMPARE(TfrmGrupo::titulo(std::string(60, 'n')), "Grupo <" + QString(49, 'n') + ">");
        QCOMPARE(TfrmGrupo::titulo("Mañanas"_cp), QString::fromUtf8("Grupo <Mañanas>"));
    }

    void movesChangeBothSides() {
        Banco b;
        b.q("b2")->grupos = {b.g};
        b.g->cuestionarios = {b.q("b2")};
        b.abrir();
        QCOMPARE(textos(b.lista("lBox2")), QStringList{"b2"});
        QCOMPARE(textos(b.lista("lBox1")), (QStringList{"A1", "c3", "C3"}));

        QTest::mouseClick(b.boton("Button1"), Qt::LeftButton);  // no selection: nothing
        QCOMPARE(b.g->cuestionarios.size(), std::size_t(1));

        elegir(b.lista("lBox1"), 2);
        QTest::mouseClick(b.boton("Button1"), Qt::LeftButton);
        QCOMPARE(b.g->cuestionarios, (std::vector<TCuestionario*>{b.q("b2"), b.q("C3")}));
        QCOMPARE(b.q("C3")->grupos, std::vector<TGrupo*>{b.g});
        QCOMPARE(textos(b.lista("lBox2")), (QStringList{"b2", "C3"}));
        QVERIFY(b.doc.modificado);

        dobleClic(b.lista("lBox2"), 0);  // b2 out
        QCOMPARE(b.g->cuestionarios, std::vector<TCuestionario*>{b.q("C3")});
        QVERIFY(b.q("b2")->grupos.empty());
        QCOMPARE(textos(b.lista("lBox1")), (QStringList{"A1", "b2", "c3"}));

        QTest::mouseClick(b.boton("Button2"), Qt::LeftButton);  // ">>"
        QVERIFY(textos(b.lista("lBox1")).isEmpty());
        QCOMPARE(textos(b.lista("lBox2")), (QStringList{"A1", "b2", "c3", "C3"}));
        QCOMPARE(b.g->cuestionarios,
                 (std::vector<TCuestionario*>{b.q("C3"), b.q("A1"), b.q("b2"), b.q("c3")}));
        for (const auto& q : b.doc.cuestionarios) QCOMPARE(q->grupos, std::vector<TGrupo*>{b.g});

        QTest::mouseClick(b.boton("Button4"), Qt::LeftButton);  // "<<"
        QVERIFY(textos(b.lista("lBox2")).isEmpty());
        QCOMPARE(textos(b.lista("lBox1")), (QStringList{"A1", "b2", "c3", "C3"}));
        QVERIFY(b.g->cuestionarios.empty());
        for (const auto& q : b.doc.cuestionarios) QVERIFY(q->grupos.empty());
        QVERIFY(b.dlg.mensajes.empty());
    }

    void theCloseBoxKeepsEveryMove() {
        Banco b;
        b.abrir();
        elegir(b.lista("lBox1"), 0);
        QTest::mouseClick(b.boton("Button1"), Qt::LeftButton);
        b.frm.close();
        QVERIFY(!b.frm.isVisible());
        QCOMPARE(b.g->cuestionarios, std::vector<TCuestionario*>{b.q("A1")});
        QCOMPARE(b.q("A1")->grupos, std::vector<TGrupo*>{b.g});
    }

    void theKeyboardAloneMovesAndLeaves() {
        Banco b;
        b.abrir();
        auto* lBox1 = b.lista("lBox1");
        lBox1->setFocus();
        QTest::keyClick(lBox1, Qt::Key_Return);  // the entry under the cursor: A1
        QCOMPARE(b.g->cuestionarios, std::vector<TCuestionario*>{b.q("A1")});
        QCOMPARE(textos(lBox1), (QStringList{"b2", "c3", "C3"}));
        // A name typed and Enter, then another at once: each Enter moves the
        // entry its name found, not one the first name's search left current.
        const int intervalo = QApplication::keyboardInputInterval();
        QApplication::setKeyboardInputInterval(3600 * 1000);  // however slow the machine
        QTest::keyClick(lBox1, 'c');
        QTest::keyClick(lBox1, Qt::Key_Return);
        QTest::keyClick(lBox1, 'b');
        QTest::keyClick(lBox1, Qt::Key_Return);
        QApplication::setKeyboardInputInterval(intervalo);
        QCOMPARE(textos(lBox1), (QStringList{"C3"}));
        QTest::keyClick(lBox1, Qt::Key_Right, Qt::ControlModifier);  // ">>"
        QTRY_COMPARE(b.g->cuestionarios.size(), std::size_t(4));
        QVERIFY(b.frm.isVisible());
        QTest::keyClick(b.lista("lBox2"), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
        QVERIFY(!b.frm.isVisible());
        QCOMPARE(b.g->cuestionarios.size(), std::size_t(4));
    }

    void brokenLinksAreReportedAndSurvived() {
        Banco b;
        TCuestionario ajeno;  // not in the document
        ajeno.id = 777;
        ajeno.nombre = "Ajeno";
        b.g->cuestionarios = {nullptr, &ajeno, b.q("A1"), b.q("A1")};
        b.q("A1")->grupos = {b.g};
        b.abrir();
        QCOMPARE(b.dlg.mensajes,
                 (std::vector<std::string>{"Ha desaparecido un cuestionario",
                                           "Error 05 en el proceso de este cuestionario",
                                           "Error 05 en el proceso de este cuestionario"}));
        QCOMPARE(textos(b.lista("lBox2")), (QStringList{"A1", "A1", "Ajeno"}));
        QCOMPARE(textos(b.lista("lBox1")), (QStringList{"b2", "c3", "C3"}));

        // "<<": A1 twice in the group but the group once in A1's groups, and
        // never in Ajeno's: one notice for each missing side.
        QTest::mouseClick(b.boton("Button4"), Qt::LeftButton);
        QCOMPARE(b.dlg.mensajes.size(), std::size_t(5));
        QCOMPARE(b.g->cuestionarios, std::vector<TCuestionario*>{nullptr});
        QVERIFY(b.q("A1")->grupos.empty());
    }

    void membershipIsSharedWithTheQuestionnaireEditor() {
        Banco b;
        TfrmCuest cuest;
        b.abrir();
        elegir(b.lista("lBox1"), 1);  // b2
        QTest::mouseClick(b.boton("Button1"), Qt::LeftButton);
        b.frm.close();

        cuest.abrir(b.doc, *b.q("b2"));
        auto* asociados = control<QListView>(cuest, "lBox2");
        QCOMPARE(textos(asociados), QStringList{"Taller"});
        QVERIFY(textos(control<QListView>(cuest, "lBox1")).isEmpty());
        control(cuest, "Button3")->click();  // no selection
        asociados->setCurrentIndex(asociados->model()->index(0, 0));
        control(cuest, "Button3")->click();

        // The group editor, opened again, shows that move.
        b.abrir();
        QVERIFY(textos(b.lista("lBox2")).isEmpty());
        QCOMPARE(textos(b.lista("lBox1")).size(), 4);
    }

    void aLargeCompanyOpensAndMovesInBulk() {
        Banco b;
        constexpr int n = 20000;
        for (int i = 0; i < n; ++i) b.doc.crearCuestionario("Q" + std::to_string(n - i));
        // Every other questionnaire already in the group.
        for (std::size_t i = 0; i < b.doc.cuestionarios.size(); i += 2)
            enlazar(*b.doc.cuestionarios[i], *b.g);
        b.abrir();
        const int total = static_cast<int>(b.doc.cuestionarios.size());
        QCOMPARE(b.lista("lBox1")->model()->rowCount() + b.lista("lBox2")->model()->rowCount(),
                 total);
        QCOMPARE(b.lista("lBox2")->model()->rowCount(), (total + 1) / 2);
        QCOMPARE(textos(b.lista("lBox2")).front(), QString("A1"));

        b.boton("Button2")->click();
        QCOMPARE(b.g->cuestionarios.size(), std::size_t(total));
        for (const auto& q : b.doc.cuestionarios) QCOMPARE(q->grupos.size(), std::size_t(1));
        b.boton("Button4")->click();
        QVERIFY(b.g->cuestionarios.empty());
        for (const auto& q : b.doc.cuestionarios) QVERIFY(q->grupos.empty());
        QCOMPARE(b.lista("lBox1")->model()->rowCount(), total);
        QVERIFY(b.dlg.mensajes.empty());
    }

    void theCompanyWindowsListGivesTheSameOrder() {
        // The editor takes the order of a company window's list that holds
        // every questionnaire; otherwise it sorts them itself.
        DialogosGuion dlg;
        EscritorioGuion escritorio;
        TfrmMain frm;
        frm.ordenes.importaDatos = [](TKoral&) {};
        frm.ordenes.editarCuestionario = [](TKoral&, TCuestionario& q) {
            q.nombre = "Eva";
            return true;
        };
        dlg.campos.push_back({true, "Empresa"});
        frm.nuevaEmpresa();
        TChildWin* w = frm.companias().back();
        TKoral& doc = *w->documento();
        TGrupo* g = doc.agregarGrupo("Taller");
        for (const char* n :
             {"Ana", "bea", "Ana", "ANA", "\xD1u", "ana", "Cid", "Ana", "Ana", "Bob", "Eva"})
            doc.crearCuestionario(n);
        for (std::size_t i : {2, 4, 6, 8}) enlazar(*doc.cuestionarios[i], *g);
        g->cuestionarios.push_back(doc.cuestionarios[0].get());  // "Ana" twice in the group
        control<QAction>(*w, "Importardatosanteriores1")->trigger();
        // Renamed, Bob follows the other Eva in the window's list, not in the company.
        auto* cuestionarios = control<QListView>(*w, "lstCuestionarios");
        elegir(cuestionarios, static_cast<int>(textos(cuestionarios).indexOf("Bob")));
        QTest::mouseClick(control<QToolButton>(*w, "CModifyButton"), Qt::LeftButton);
        QCOMPARE(doc.cuestionarios[9]->nombre, std::string("Eva"));

        TfrmGrupo editor;
        auto filas = [&](const char* lista) {
            return static_cast<TListaDe<TCuestionario>*>(control<QListView>(editor, lista)->model())
                ->entradas();
        };
        TCuestionario* otro = doc.agregarCuestionario("zz");  // the window's list lacks it
        editor.abrir(doc, *g);
        auto disponibles = filas("lBox1");
        const auto asociados = filas("lBox2");
        QCOMPARE(disponibles.back().second, otro);
        disponibles.pop_back();
        doc.borrarCuestionario(otro);
        editor.abrir(doc, *g);
        QCOMPARE(filas("lBox1"), disponibles);
        QCOMPARE(filas("lBox2"), asociados);
        QCOMPARE(asociados.size(), std::size_t(5));
    }

    void theCompanyWindowMarksTheCompanyWhenTheEditorCloses() {
        DialogosGuion dlg;
        EscritorioGuion escritorio;
        TfrmMain frm;
        conectarEditores(frm);
        frm.show();
        dlg.campos.push_back({true, "Empresa"});
        frm.nuevaEmpresa();
        TChildWin* w = frm.companias().back();
        dlg.campos.push_back({true, "G1"});
        QTest::mouseClick(control<QToolButton>(*w, "GNewButton"), Qt::LeftButton);
        w->documento()->agregarCuestionario("Q1");
        w->documento()->modificado = false;
        auto* editor = frm.findChild<TfrmGrupo*>();
        QVERIFY(editor);
        bool visto = false;
        QTimer::singleShot(0, editor, [&] {
            QTRY_VERIFY(editor->isVisible());
            QCOMPARE(textos(control<QListView>(*editor, "lBox1")), QStringList{"Q1"});
            visto = true;
            editor->close();
        });
        QTest::mouseClick(control<QToolButton>(*w, "GVerButton"), Qt::LeftButton);
        QVERIFY(visto);
        QVERIFY(w->documento()->modificado);
        w->documento()->modificado = false;
    }
};

QTEST_MAIN(TestUGrupo)
#include "test_UGrupo.moc"
