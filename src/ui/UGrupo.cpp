#include "ui/UGrupo.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/TextoQt.h"
#include "ui/ListaRegistros.h"

namespace koral {

TfrmGrupo::TfrmGrupo(QWidget* parent) : QDialog(parent) {
    setObjectName("frmGrupo");
    setWindowTitle("Grupo <>");

    Label1 = new QLabel("Cuestionarios disponibles:", this);
    Label2 = new QLabel("Cuestionarios asociados:", this);
    for (QLabel* l : {Label1, Label2}) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    lBox1 = new QListView(this);
    lBox2 = new QListView(this);
    lBox1->setObjectName("lBox1");
    lBox2->setObjectName("lBox2");
    disponibles_ = new TListaDe<TCuestionario>(lBox1);
    asociados_ = new TListaDe<TCuestionario>(lBox2);
    miembros_ = std::make_unique<TMiembros<TGrupo, TCuestionario>>(*disponibles_, *asociados_);
    for (auto [lista, modelo] : {std::pair{lBox1, disponibles_}, std::pair{lBox2, asociados_}}) {
        lista->setModel(modelo);
        lista->setSelectionMode(QAbstractItemView::SingleSelection);
        lista->setEditTriggers(QAbstractItemView::NoEditTriggers);
        lista->setUniformItemSizes(true);  // a long list lays out at once
    }
    connect(lBox1, &QListView::doubleClicked, this, &TfrmGrupo::Button1Click);
    connect(lBox2, &QListView::doubleClicked, this, &TfrmGrupo::Button3Click);

    auto boton = [this](const char* texto, const char* nombre, void (TfrmGrupo::*manejador)()) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(nombre);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, manejador);
        return b;
    };
    Button1 = boton(">", "Button1", &TfrmGrupo::Button1Click);
    Button2 = boton(">>", "Button2", &TfrmGrupo::Button2Click);
    Button3 = boton("<", "Button3", &TfrmGrupo::Button3Click);
    Button4 = boton("<<", "Button4", &TfrmGrupo::Button4Click);
    Button5 = boton("Salir", "Button5", &TfrmGrupo::Button5Click);
    for (QPushButton* b : {Button1, Button2, Button3, Button4}) b->setFixedWidth(36);

    auto* mover = new QVBoxLayout;
    mover->addStretch(1);
    for (QPushButton* b : {Button1, Button2, Button3, Button4}) mover->addWidget(b);
    mover->addStretch(1);

    auto* listas = new QGridLayout;
    listas->addWidget(Label1, 0, 0);
    listas->addWidget(Label2, 0, 2);
    listas->addWidget(lBox1, 1, 0);
    listas->addLayout(mover, 1, 1);
    listas->addWidget(lBox2, 1, 2);
    listas->setColumnStretch(0, 1);
    listas->setColumnStretch(2, 1);

    auto* abajo = new QHBoxLayout;
    abajo->addStretch(1);
    abajo->addWidget(Button5);

    auto* todo = new QVBoxLayout(this);
    todo->addLayout(listas, 1);
    todo->addLayout(abajo);

    resize(418, 422);
}

TfrmGrupo::~TfrmGrupo() = default;

void TfrmGrupo::verGrupo(TKoral& doc, TGrupo& g) {
    abrir(doc, g);
    exec();
}

void TfrmGrupo::abrir(TKoral& doc, TGrupo& g) {
    miembros_->abrir(doc, g, "Ha desaparecido un cuestionario");
    setWindowTitle(titulo(g.nombre));
}

QString TfrmGrupo::titulo(const std::string& nombre) {
    std::string t = ("Grupo <" + nombre).substr(0, 56) + ">";
    return aQString(t);
}

void TfrmGrupo::Button1Click() {
    miembros_->agregar(filaElegida(lBox1));
}

void TfrmGrupo::Button2Click() {
    miembros_->agregarTodos();
}

void TfrmGrupo::Button3Click() {
    miembros_->quitar(filaElegida(lBox2));
}

void TfrmGrupo::Button4Click() {
    miembros_->quitarTodos();
}

void TfrmGrupo::Button5Click() {
    accept();
}

}  // namespace koral
