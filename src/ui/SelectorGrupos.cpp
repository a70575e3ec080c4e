#include "ui/SelectorGrupos.h"

#include <QGridLayout>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "ui/ListaRegistros.h"

namespace koral {

namespace {

// The selected row of a single-selection list, or -1.
int filaElegida(const QListView* lista) {
    if (!lista->selectionModel()) return -1;
    const QModelIndexList elegidas = lista->selectionModel()->selectedIndexes();
    return elegidas.isEmpty() ? -1 : elegidas.front().row();
}

}  // namespace

TSelectorGrupos::TSelectorGrupos(const QString& disponibles, const QString& asociados,
                                 Rotulos rotulos, QWidget* parent)
    : QWidget(parent) {
    setObjectName("selectorGrupos");
    auto* lblDisponibles = new QLabel(disponibles, this);
    auto* lblElegidos = new QLabel(asociados, this);
    lblDisponibles->setObjectName("Label1");
    lblElegidos->setObjectName("Label2");
    for (QLabel* l : {lblDisponibles, lblElegidos}) {
        QFont f = l->font();
        if (rotulos == Rotulos::negrita) f.setBold(true);
        if (rotulos == Rotulos::mayores) f.setPointSizeF(f.pointSizeF() + 2);
        l->setFont(f);
    }
    lstDisponibles = new QListView(this);
    lstElegidos = new QListView(this);
    lstDisponibles->setObjectName("lBox1");
    lstElegidos->setObjectName("lBox2");
    for (QListView* l : {lstDisponibles, lstElegidos}) {
        l->setSelectionMode(QAbstractItemView::SingleSelection);
        l->setEditTriggers(QAbstractItemView::NoEditTriggers);
        l->setUniformItemSizes(true);                             // a long list lays out at once
        l->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // long names: tool tip
    }
    connect(lstDisponibles, &QListView::doubleClicked, this, &TSelectorGrupos::anadirElegido);
    connect(lstElegidos, &QListView::doubleClicked, this, &TSelectorGrupos::quitarElegido);
    lstDisponibles->installEventFilter(this);
    lstElegidos->installEventFilter(this);

    // The arrows have no letter to underline: Alt with the arrow keys, Ctrl
    // for all of them (Alt+Shift with the arrows belongs to some desktops).
    auto boton = [this](const char* texto, const char* nombre, QKeyCombination tecla,
                        const char* ayuda, void (TSelectorGrupos::*manejador)()) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(nombre);
        b->setAutoDefault(false);
        b->setFixedWidth(36);
        b->setShortcut(tecla);
        b->setToolTip(QString::fromUtf8(ayuda));
        connect(b, &QPushButton::clicked, this, manejador);
        return b;
    };
    flechas_ = new QVBoxLayout;
    flechas_->addStretch(1);
    flechas_->addWidget(boton(">", "Button1", Qt::ALT | Qt::Key_Right, "Alt+Flecha derecha",
                              &TSelectorGrupos::anadirElegido));
    flechas_->addWidget(boton(">>", "Button2", Qt::CTRL | Qt::Key_Right, "Ctrl+Flecha derecha",
                              &TSelectorGrupos::anadirTodos));
    flechas_->addWidget(boton("<", "Button3", Qt::ALT | Qt::Key_Left, "Alt+Flecha izquierda",
                              &TSelectorGrupos::quitarElegido));
    flechas_->addWidget(boton("<<", "Button4", Qt::CTRL | Qt::Key_Left, "Ctrl+Flecha izquierda",
                              &TSelectorGrupos::quitarTodos));
    flechas_->addStretch(1);

    // Laid out as a part of the editor's own layout: no margins of its own.
    auto* listas = new QGridLayout(this);
    listas->setContentsMargins(0, 0, 0, 0);
    listas->addWidget(lblDisponibles, 0, 0);
    listas->addWidget(lblElegidos, 0, 2);
    listas->addWidget(lstDisponibles, 1, 0);
    listas->addLayout(flechas_, 1, 1);
    listas->addWidget(lstElegidos, 1, 2);
    listas->setColumnStretch(0, 1);
    listas->setColumnStretch(2, 1);
}

void TSelectorGrupos::asociar(TAsociacion& a) {
    asociacion_ = &a;
    lstDisponibles->setModel(&a.disponibles());
    lstElegidos->setModel(&a.asociados());
}

QPushButton* TSelectorGrupos::agregarBoton(const QString& texto, const char* nombre) {
    auto* b = new QPushButton(texto, this);
    b->setObjectName(nombre);
    b->setAutoDefault(false);
    b->setFixedWidth(36);
    // Apart from the moves, above the closing stretch.
    flechas_->insertSpacing(flechas_->count() - 1, 12);
    flechas_->insertWidget(flechas_->count() - 1, b);
    return b;
}

bool TSelectorGrupos::eventFilter(QObject* objeto, QEvent* e) {
    if (e->type() == QEvent::KeyPress && (objeto == lstDisponibles || objeto == lstElegidos)) {
        const auto* tecla = static_cast<QKeyEvent*>(e);
        const bool intro = tecla->key() == Qt::Key_Return || tecla->key() == Qt::Key_Enter;
        // Taken here: a list passes Enter on, and the dialog would press
        // its default button.
        if (intro && (tecla->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            moverConTecla(static_cast<QListView*>(objeto));
            return true;
        }
    }
    return QWidget::eventFilter(objeto, e);
}

void TSelectorGrupos::moverConTecla(QListView* lista) {
    // Exactly the entry shown as current moves, whatever else is selected.
    const QModelIndex actual = lista->currentIndex();
    if (!actual.isValid()) return;
    const int fila = actual.row();
    lista->selectionModel()->setCurrentIndex(actual, QItemSelectionModel::ClearAndSelect);
    if (lista == lstDisponibles)
        anadirElegido();
    else
        quitarElegido();
    // A name typed next starts a new search: within the list's typing
    // interval it would go on from the one just moved, find nothing, and
    // leave the wrong entry current for the next Enter.
    lista->keyboardSearch(QString());
    // The next entry is ready for the next Enter.
    const int filas = lista->model()->rowCount();
    if (filas > 0) lista->setCurrentIndex(lista->model()->index(std::min(fila, filas - 1), 0));
}

void TSelectorGrupos::anadirElegido() {
    if (!asociacion_) return;
    asociacion_->agregar(filaElegida(lstDisponibles));
    emit movido();
}

void TSelectorGrupos::anadirTodos() {
    if (!asociacion_) return;
    asociacion_->agregarTodos();
    emit movido();
}

void TSelectorGrupos::quitarElegido() {
    if (!asociacion_) return;
    asociacion_->quitar(filaElegida(lstElegidos));
    emit movido();
}

void TSelectorGrupos::quitarTodos() {
    if (!asociacion_) return;
    asociacion_->quitarTodos();
    emit movido();
}

}  // namespace koral
