#include "ui/Diferencias.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <string>

#include "document/Instrumento.h"
#include "platform/qt/TextoQt.h"

namespace koral {

namespace {

enum Columna { cPregunta, cGrabada, cTecleada, cCorrecta };

// The answers an item can take: '0' (none) up to its option count.
bool admitida(char respuesta, int item) {
    return respuesta >= '0' && respuesta - '0' <= opcionesItem(item);
}

QString texto(char respuesta) {
    return respuesta ? aQString(std::string(1, respuesta)) : QString();
}

QString textoTecleada(char respuesta) {
    return respuesta ? texto(respuesta) : QStringLiteral("sin teclear");
}

}  // namespace

TfrmDiferencias::TfrmDiferencias(std::vector<TDiferencia>& diferencias,
                                 std::function<void()> pitido, QWidget* parent)
    : QDialog(parent), diferencias_(diferencias), pitido_(std::move(pitido)) {
    setObjectName("frmDiferencias");
    setWindowTitle("Diferencias entre las dos grabaciones");
    const int n = static_cast<int>(diferencias_.size());

    auto* lblDiferencias = new QLabel(
        (n == 1 ? QString("Las dos grabaciones difieren en 1 pregunta.")
                : QString("Las dos grabaciones difieren en %1 preguntas.").arg(n)) +
            "\nTeclee en cada fila la respuesta del cuestionario en papel, o haga doble clic "
            "en la que sea correcta.",
        this);
    lblDiferencias->setObjectName("lblDiferencias");
    lblDiferencias->setWordWrap(true);

    tblDiferencias = new QTableWidget(n, 4, this);
    tblDiferencias->setObjectName("tblDiferencias");
    tblDiferencias->setHorizontalHeaderLabels({"Pregunta", "Grabada", "Tecleada", "Correcta"});
    tblDiferencias->verticalHeader()->hide();
    tblDiferencias->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblDiferencias->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblDiferencias->setSelectionMode(QAbstractItemView::SingleSelection);
    tblDiferencias->setTabKeyNavigation(false);
    tblDiferencias->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (int f = 0; f < n; ++f) {
        const TDiferencia& d = diferencias_[static_cast<std::size_t>(f)];
        const QString celdas[] = {QString::number(d.item), texto(d.grabada),
                                  textoTecleada(d.tecleada), texto(d.correcta)};
        for (int c = cPregunta; c <= cCorrecta; ++c) {
            auto* celda = new QTableWidgetItem(celdas[c]);
            celda->setTextAlignment(Qt::AlignCenter);
            celda->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            tblDiferencias->setItem(f, c, celda);
        }
    }
    tblDiferencias->installEventFilter(this);
    connect(tblDiferencias, &QTableWidget::cellDoubleClicked, this,
            &TfrmDiferencias::tblDiferenciasDblClick);

    btnAceptar = new QPushButton("&Aceptar", this);
    btnAceptar->setObjectName("btnAceptar");
    btnAceptar->setDefault(true);  // Enter, once every answer is chosen
    auto* btnCancelar = new QPushButton("&Cancelar", this);
    btnCancelar->setObjectName("btnCancelar");
    btnCancelar->setAutoDefault(false);
    btnCancelar->setToolTip("Vuelve al cuestionario sin guardar nada (Esc)");
    connect(btnAceptar, &QPushButton::clicked, this, &QDialog::accept);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto* todo = new QVBoxLayout(this);
    todo->addWidget(lblDiferencias);
    todo->addWidget(tblDiferencias, 1);
    todo->addLayout(botones);
    resize(460, 360);

    btnAceptar->setEnabled(std::all_of(diferencias_.begin(), diferencias_.end(),
                                       [](const TDiferencia& d) { return d.correcta != 0; }));
    tblDiferencias->setFocus();
    if (n > 0) tblDiferencias->setCurrentCell(0, cCorrecta);
}

void TfrmDiferencias::elegir(int fila, char respuesta) {
    if (fila < 0 || fila >= static_cast<int>(diferencias_.size())) return;
    diferencias_[static_cast<std::size_t>(fila)].correcta = respuesta;
    tblDiferencias->item(fila, cCorrecta)->setText(texto(respuesta));
    btnAceptar->setEnabled(std::all_of(diferencias_.begin(), diferencias_.end(),
                                       [](const TDiferencia& d) { return d.correcta != 0; }));
}

void TfrmDiferencias::tblDiferenciasDblClick(int fila, int columna) {
    if (fila < 0 || fila >= static_cast<int>(diferencias_.size())) return;
    const TDiferencia& d = diferencias_[static_cast<std::size_t>(fila)];
    if (columna != cGrabada && columna != cTecleada) return;
    // An item left unkeyed is chosen as no answer.
    const char respuesta = columna == cGrabada ? d.grabada : (d.tecleada ? d.tecleada : '0');
    // A damaged file may have stored what no item takes.
    if (admitida(respuesta, d.item))
        elegir(fila, respuesta);
    else
        pitido_();
}

bool TfrmDiferencias::eventFilter(QObject* objeto, QEvent* e) {
    if (objeto != tblDiferencias || e->type() != QEvent::KeyPress)
        return QDialog::eventFilter(objeto, e);
    const auto* tecla = static_cast<QKeyEvent*>(e);
    const int fila = tblDiferencias->currentRow();
    if (fila < 0 || (tecla->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
    if (tecla->key() == Qt::Key_Backspace || tecla->key() == Qt::Key_Delete) {
        elegir(fila, 0);
        return true;
    }
    const QString t = tecla->text();
    if (t.size() != 1 || t.front() < QLatin1Char('0') || t.front() > QLatin1Char('9')) return false;
    const int item = diferencias_[static_cast<std::size_t>(fila)].item;
    const char digito = static_cast<char>(t.front().unicode());
    if (!admitida(digito, item)) {
        pitido_();
        return true;
    }
    // The answer for this row, then on to the next, as the grids advance.
    elegir(fila, digito);
    if (fila + 1 < tblDiferencias->rowCount()) tblDiferencias->setCurrentCell(fila + 1, cCorrecta);
    return true;
}

}  // namespace koral
