#include "ui/UGrupo.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "platform/qt/TextoQt.h"
#include "ui/CursorOcupado.h"

namespace koral {

TfrmGrupo::TfrmGrupo(QWidget* parent) : QDialog(parent) {
    setObjectName("frmGrupo");
    setWindowTitle("Grupo <>");

    auto* cuestionarios = new TSelectorGrupos(
        "Cuestionarios disponibles:", "Cuestionarios asociados:", TSelectorGrupos::Rotulos::negrita,
        this);
    miembros_ = std::make_unique<TMiembros<TGrupo, TCuestionario>>(cuestionarios);
    cuestionarios->asociar(*miembros_);

    auto* btnSalir = new QPushButton("&Salir", this);
    btnSalir->setObjectName("Button5");
    btnSalir->setAutoDefault(false);
    connect(btnSalir, &QPushButton::clicked, this, &TfrmGrupo::salir);
    // Ctrl+Enter finishes, as it accepts the other editors.
    btnSalir->setToolTip("Salir (Ctrl+Intro)");
    auto* lblCtrlIntro = new QLabel("(Ctrl+Intro)", this);
    lblCtrlIntro->setObjectName("lblCtrlIntro");
    for (const QKeySequence& tecla :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        connect(new QShortcut(tecla, this), &QShortcut::activated, this, &TfrmGrupo::salir);

    auto* abajo = new QHBoxLayout;
    abajo->addStretch(1);
    abajo->addWidget(btnSalir);
    abajo->addWidget(lblCtrlIntro);

    auto* todo = new QVBoxLayout(this);
    todo->addWidget(cuestionarios, 1);
    todo->addLayout(abajo);

    resize(418, 422);
}

TfrmGrupo::~TfrmGrupo() = default;

void TfrmGrupo::verGrupo(TKoral& doc, TGrupo& g) {
    {
        CursorOcupado ocupado;
        abrir(doc, g);
    }
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

void TfrmGrupo::salir() {
    accept();
}

}  // namespace koral
