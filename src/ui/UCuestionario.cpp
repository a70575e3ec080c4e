#include "ui/UCuestionario.h"

#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "method/Puntuacion.h"
#include "platform/Dialogos.h"
#include "platform/Texto.h"
#include "platform/qt/TextoQt.h"
#include "ui/Diferencias.h"

namespace koral {

namespace {

// Cell size of the answer grids: two digits of the header must stay readable.
constexpr int kAnchoCelda = 20;
constexpr int kAltoCelda = 18;

// The cell being keyed stands out from the seventy-four others; a cell
// holding more than one character is a fault, plain to see.
const QColor kColorCelda(255, 255, 176);
const QColor kColorFallo(255, 120, 120);

// Only the first character of a cell counts: a second one is a missed Tab.
bool conFallo(const QString& texto) {
    return texto.size() > 1;
}

const char* const kNombresFactor[kNumFactores] = {
    "Carga Mental: ",          "Autonomía Temporal:",
    "Contenido del Trabajo: ", "Supervisión - Participac.: ",
    "Definición de Rol:",      "Interés por el trabajador: ",
    "Relaciones Personales:"};

// The user's settings, under the program's names: the organisation's when
// the program sets one, else the program's own.
std::unique_ptr<QSettings> ajustes() {
    const QString programa = QCoreApplication::applicationName();
    const QString organizacion = QCoreApplication::organizationName();
    return std::make_unique<QSettings>(organizacion.isEmpty() ? programa : organizacion, programa);
}
const QString kAjusteAvanzar = QStringLiteral("cuestionario/avanzarAlTeclear");

// "12", "12 y 40", "12, 23 y 40".
std::string enumerar(const std::vector<int>& items) {
    std::string lista = std::to_string(items[0]);
    for (std::size_t k = 1; k < items.size(); ++k)
        lista += (k + 1 == items.size() ? " y " : ", ") + std::to_string(items[k]);
    return lista;
}

bool admitido(QChar c, int item) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('5') &&
           c.unicode() - '0' <= opcionesItem(item);
}

// What a cell may hold: only digits admitted for its item. Pasted text with
// anything else is refused whole; an emptied cell is allowed (no answer).
class TValidadorCelda : public QValidator {
public:
    TValidadorCelda(int item, QObject* padre) : QValidator(padre), item_(item) {}
    State validate(QString& texto, int&) const override {
        for (const QChar c : texto)
            if (!admitido(c, item_)) return Invalid;
        return Acceptable;
    }

private:
    int item_;
};

}  // namespace

// One factor's answer grid: a header of item numbers over one row of
// answers, whose current cell always has its editor open while the grid has
// the focus.
class TRejilla : public QTableWidget {
public:
    TRejilla(TfrmCuest& form, int factor, QWidget* padre);

    int factor() const { return factor_; }
    int primerItem() const { return kFactores[static_cast<std::size_t>(factor_ - 1)].primerItem; }
    int ultimaColumna() const { return columnCount() - 1; }

    QLineEdit* editor() const {
        return abierta_.isValid() ? qobject_cast<QLineEdit*>(indexWidget(abierta_)) : nullptr;
    }
    // Opens the editor on the current cell, gives it the focus and selects its text.
    void abrirEditor();
    // Stores the open editor's text in its cell and closes it.
    void soltarEditor();
    // Stores the open editor's text in its cell.
    void confirmar() {
        if (QLineEdit* e = editor()) commitData(e);
    }
    QString texto(int columna) const {
        if (QLineEdit* e = editor(); e && abierta_.column() == columna) return e->text();
        const QTableWidgetItem* i = item(0, columna);
        return i ? i->text() : QString();
    }
    bool tecla(QKeyEvent* e) { return form_.teclaEnRejilla(*this, e); }
    TfrmCuest& form() const { return form_; }
    void irA(int columna) {
        setCurrentCell(0, columna);
        abrirEditor();
    }

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (!tecla(e)) QTableWidget::keyPressEvent(e);
    }
    void focusInEvent(QFocusEvent* e) override {
        QTableWidget::focusInEvent(e);
        if (currentColumn() < 0) setCurrentCell(0, 0);
        abrirEditor();
    }
    void currentChanged(const QModelIndex& actual, const QModelIndex& previo) override {
        QTableWidget::currentChanged(actual, previo);
        if (abierta_.isValid() || hasFocus()) abrirEditor();
    }

private:
    void cerrar(const QModelIndex& i);

    TfrmCuest& form_;
    int factor_;
    QPersistentModelIndex abierta_;
};

// The answer cell's editor: a one-line field without frame, centred, that
// takes only the item's admitted digits. Keys pass the form's rules first.
class TCeldaRespuesta : public QStyledItemDelegate {
public:
    explicit TCeldaRespuesta(TRejilla& rejilla)
        : QStyledItemDelegate(&rejilla), rejilla_(rejilla) {}

    QWidget* createEditor(QWidget* padre, const QStyleOptionViewItem&,
                          const QModelIndex& i) const override {
        auto* e = new QLineEdit(padre);
        e->setFrame(false);
        e->setAlignment(Qt::AlignCenter);
        e->setTextMargins(0, 0, 0, 0);
        e->setContentsMargins(0, 0, 0, 0);
        colorear(e);
        e->setValidator(new TValidadorCelda(rejilla_.primerItem() + i.column(), e));
        TfrmCuest& form = rejilla_.form();
        QObject::connect(e, &QLineEdit::textChanged, e, [e, &form] {
            colorear(e);
            form.actualizarRespondidas();
        });
        return e;
    }
    void setEditorData(QWidget* e, const QModelIndex& i) const override {
        auto* campo = static_cast<QLineEdit*>(e);
        campo->setText(i.data().toString());
        campo->selectAll();
    }
    void setModelData(QWidget* e, QAbstractItemModel* m, const QModelIndex& i) const override {
        m->setData(i, static_cast<QLineEdit*>(e)->text());
    }
    // A cell shows two digits whole; of more, centred, only the middle would
    // show. The first digit is the answer: it shows, and an ellipsis after it.
    QString displayText(const QVariant& valor, const QLocale& local) const override {
        const QString texto = QStyledItemDelegate::displayText(valor, local);
        return texto.size() > 2 ? texto.left(1) + QChar(0x2026) : texto;
    }

protected:
    bool eventFilter(QObject* o, QEvent* ev) override {
        if (ev->type() == QEvent::KeyPress) {
            if (rejilla_.tecla(static_cast<QKeyEvent*>(ev))) return true;
            return false;  // the field's own handling: digits, Delete, Home, End...
        }
        if (ev->type() == QEvent::FocusOut) {
            // A context menu keeps the editor; leaving the grid closes it.
            const auto* f = static_cast<QFocusEvent*>(ev);
            QWidget* foco = QApplication::focusWidget();
            if (f->reason() != Qt::PopupFocusReason && !(foco && rejilla_.isAncestorOf(foco)))
                rejilla_.soltarEditor();
            else
                rejilla_.confirmar();
            return false;
        }
        return QStyledItemDelegate::eventFilter(o, ev);
    }

private:
    static void colorear(QLineEdit* e) {
        QPalette colores = e->palette();
        colores.setColor(QPalette::Base, conFallo(e->text()) ? kColorFallo : kColorCelda);
        e->setPalette(colores);
    }

    TRejilla& rejilla_;
};

TRejilla::TRejilla(TfrmCuest& form, int factor, QWidget* padre)
    : QTableWidget(1, kFactores[static_cast<std::size_t>(factor - 1)].nItems, padre),
      form_(form),
      factor_(factor) {
    setObjectName(QString("SGrid%1").arg(factor));
    setItemDelegate(new TCeldaRespuesta(*this));
    setEditTriggers(NoEditTriggers);  // the editor is opened by the grid itself
    // The open editor marks the cell; a selection would stay painted in the
    // grids the cursor has left.
    setSelectionMode(NoSelection);
    setTabKeyNavigation(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setCornerButtonEnabled(false);
    setTextElideMode(Qt::ElideNone);  // a faulty cell shows both of its characters
    verticalHeader()->hide();
    verticalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setDefaultSectionSize(kAltoCelda);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);

    // The header row: each column's item number, written once.
    QHeaderView* cabecera = horizontalHeader();
    cabecera->setMinimumSectionSize(0);
    cabecera->setDefaultSectionSize(kAnchoCelda);
    cabecera->setSectionResizeMode(QHeaderView::Fixed);
    cabecera->setSectionsClickable(false);
    cabecera->setHighlightSections(false);
    cabecera->setFixedHeight(kAltoCelda);
    cabecera->setStyleSheet("QHeaderView::section { padding: 0px; }");
    QFont letra = cabecera->font();
    letra.setPixelSize(11);
    cabecera->setFont(letra);
    QStringList numeros;
    for (int c = 0; c < columnCount(); ++c) numeros << QString::number(primerItem() + c);
    setHorizontalHeaderLabels(numeros);
    for (int c = 0; c < columnCount(); ++c) {
        auto* celda = new QTableWidgetItem;
        celda->setTextAlignment(Qt::AlignCenter);
        celda->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable);
        setItem(0, c, celda);
    }
    setFixedSize(columnCount() * kAnchoCelda + 2 * frameWidth(), 2 * kAltoCelda + 2 * frameWidth());

    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* celda) {
        const bool fallo = conFallo(celda->text());
        const QBrush fondo = fallo ? QBrush(kColorFallo) : QBrush();
        if (celda->background() != fondo) celda->setBackground(fondo);
        const QString ayuda =
            fallo ? "Tecleado: " + celda->text() + ". Solo cuenta la primera cifra." : QString();
        if (celda->toolTip() != ayuda) celda->setToolTip(ayuda);
        form_.actualizarRespondidas();
    });
}

void TRejilla::abrirEditor() {
    const QModelIndex i = currentIndex();
    if (!i.isValid()) return;
    const QPersistentModelIndex anterior = abierta_;
    if (anterior != i) {
        openPersistentEditor(item(0, i.column()));
        abierta_ = i;
    }
    if (QLineEdit* e = editor()) {
        e->setFocus(Qt::OtherFocusReason);
        e->selectAll();
    }
    // Only after the new one has the focus: hiding a focused field would
    // hand the focus on to the next control.
    if (anterior.isValid() && anterior != i) cerrar(anterior);
}

void TRejilla::cerrar(const QModelIndex& i) {
    if (QWidget* e = indexWidget(i)) commitData(e);
    closePersistentEditor(item(0, i.column()));
}

void TRejilla::soltarEditor() {
    if (!abierta_.isValid()) return;
    const QModelIndex i = abierta_;
    abierta_ = QPersistentModelIndex();
    cerrar(i);
}

TfrmCuest::TfrmCuest(QWidget* parent) : QDialog(parent) {
    setObjectName("frmCuest");
    setWindowTitle("Cuestionario");
    pitido = [] { QApplication::beep(); };

    // Made in the order Tab visits them.
    QHBoxLayout* nombre = crearIdentificador();
    crearGrupos();
    QHBoxLayout* botones = crearBotones();
    QHBoxLayout* estado = crearEstado();
    QGroupBox* respuestas = crearRejillas();

    // Left: name and groups; right: the answers; buttons along the bottom.
    auto* izquierda = new QVBoxLayout;
    izquierda->addLayout(nombre);
    izquierda->addSpacing(6);
    izquierda->addWidget(grupos_, 1);

    auto* derecha = new QVBoxLayout;
    derecha->addWidget(lblRespuestas);
    derecha->addWidget(respuestas);
    derecha->addLayout(estado);
    derecha->addStretch(1);

    auto* centro = new QHBoxLayout;
    centro->addLayout(izquierda, 1);
    centro->addSpacing(6);
    centro->addLayout(derecha);

    auto* todo = new QVBoxLayout(this);
    todo->addLayout(centro, 1);
    todo->addLayout(botones);

    // Wider than the grids need, so that group names show whole.
    resize(980, 420);
}

QHBoxLayout* TfrmCuest::crearIdentificador() {
    auto* lblIdentificador = new QLabel("&Identificador: ", this);  // Alt+I: the grids keep Tab
    lblIdentificador->setObjectName("Label3");
    txtIdentificador = new QLineEdit(this);
    txtIdentificador->setObjectName("txtIdentificador");
    txtIdentificador->setValidator(new ValidadorCp1252(txtIdentificador));
    lblIdentificador->setBuddy(txtIdentificador);

    auto* nombre = new QHBoxLayout;
    nombre->addWidget(lblIdentificador);
    nombre->addWidget(txtIdentificador, 1);
    return nombre;
}

void TfrmCuest::crearGrupos() {
    grupos_ = new TSelectorGrupos(
        "Grupos disponibles:", "Grupos asociados:", TSelectorGrupos::Rotulos::normales, this);
    miembros_ = std::make_unique<TMiembros<TCuestionario, TGrupo>>(grupos_);
    grupos_->asociar(*miembros_);
    QPushButton* btnGrupoNuevo = grupos_->agregarBoton("&NG", "Button7");
    btnGrupoNuevo->setToolTip("Cómo crear un grupo nuevo (Alt+N)");
    connect(btnGrupoNuevo, &QPushButton::clicked, this, &TfrmCuest::avisarGrupoNuevo);
}

QHBoxLayout* TfrmCuest::crearBotones() {
    auto boton = [this](const char* texto, const char* nombre, void (TfrmCuest::*manejador)()) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(nombre);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, manejador);
        return b;
    };
    // Every button answers to Alt with its underlined letter; the grids keep
    // Tab and Enter, so accepting has Ctrl+Enter too, shown on the button.
    auto* btnAceptar = boton("&Aceptar (Ctrl+Intro)", "Button5", &TfrmCuest::aceptar);
    auto* btnCancelar = boton("&Cancelar", "Button6", &TfrmCuest::cancelar);
    btnAceptar->setToolTip("Guarda las respuestas (Alt+A o Ctrl+Intro)");
    btnCancelar->setToolTip("Cierra sin guardar nada (Alt+C)");
    for (const QKeySequence& tecla :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        connect(new QShortcut(tecla, this), &QShortcut::activated, this, &TfrmCuest::aceptar);

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    return botones;
}

QHBoxLayout* TfrmCuest::crearEstado() {
    lblRespondidas = new QLabel(this);
    lblRespondidas->setObjectName("lblRespondidas");
    // As wide as its widest text, so that nothing beside it moves while keying.
    lblRespondidas->setMinimumWidth(
        lblRespondidas->fontMetrics().horizontalAdvance("Respondidas: 75 de 75"));
    chkAvanzar = new QCheckBox("Avanzar al &teclear", this);
    chkAvanzar->setObjectName("chkAvanzar");
    // Ticked with Alt+T or the mouse while keying, it leaves the cursor in its cell.
    chkAvanzar->setFocusPolicy(Qt::TabFocus);
    chkAvanzar->setToolTip("Cada cifra admitida pasa a la pregunta siguiente (Alt+T)");
    chkAvanzar->setChecked(ajustes()->value(kAjusteAvanzar, false).toBool());
    connect(chkAvanzar, &QCheckBox::toggled, this,
            [](bool marcado) { ajustes()->setValue(kAjusteAvanzar, marcado); });

    auto* estado = new QHBoxLayout;
    estado->addWidget(lblRespondidas);
    estado->addStretch(1);
    estado->addWidget(chkAvanzar);
    return estado;
}

QGroupBox* TfrmCuest::crearRejillas() {
    lblRespuestas = new QLabel(this);
    lblRespuestas->setObjectName("Label11");
    auto* grpRespuestas = new QGroupBox(this);
    grpRespuestas->setObjectName("GroupBox2");
    auto* filas = new QGridLayout(grpRespuestas);
    filas->setContentsMargins(8, 6, 8, 6);
    filas->setHorizontalSpacing(8);
    filas->setVerticalSpacing(4);
    for (int f = 1; f <= kNumFactores; ++f) {
        const auto k = static_cast<std::size_t>(f - 1);
        auto* etiqueta = new QLabel(QString::fromUtf8(kNombresFactor[k]), grpRespuestas);
        etiqueta->setObjectName(QString("Label%1").arg(f + 3));
        rejillas_[k] = new TRejilla(*this, f, grpRespuestas);
        filas->addWidget(etiqueta, f - 1, 0, Qt::AlignLeft | Qt::AlignVCenter);
        filas->addWidget(rejillas_[k], f - 1, 1, Qt::AlignLeft | Qt::AlignVCenter);
    }
    filas->setColumnStretch(2, 1);
    return grpRespuestas;
}

TfrmCuest::~TfrmCuest() {
    // The cell editor with the focus stores its text when the grids go; this
    // window must not hear of it any more.
    for (TRejilla* r : rejillas_) r->blockSignals(true);
}

bool TfrmCuest::editarCuestionario(TKoral& doc, TCuestionario& q) {
    abrir(doc, q);
    const bool aceptado = exec() == QDialog::Accepted;
    doc_ = nullptr;
    cuest_ = nullptr;
    return aceptado;
}

bool TfrmCuest::verificarCuestionario(TKoral& doc, TCuestionario& q) {
    abrir(doc, q, Modo::verificacion);
    const bool aceptado = exec() == QDialog::Accepted;
    doc_ = nullptr;
    cuest_ = nullptr;
    return aceptado;
}

void TfrmCuest::abrir(TKoral& doc, TCuestionario& q, Modo modo) {
    doc_ = &doc;
    cuest_ = &q;
    modo_ = modo;
    const bool verificar = modo == Modo::verificacion;
    setResult(QDialog::Rejected);
    setWindowTitle((verificar ? "Verificar cuestionario <" : "Cuestionario <") +
                   aQString(q.nombre) + ">");
    lblRespuestas->setText(verificar ? "Vuelva a teclear las respuestas del cuestionario en papel:"
                                     : "Respuestas a las preguntas:");

    for (TRejilla* r : rejillas_) {
        r->soltarEditor();
        for (int c = 0; c < r->columnCount(); ++c) {
            const char respuesta = q.respuestas[static_cast<std::size_t>(r->primerItem() + c - 1)];
            r->item(0, c)->setText(verificar ? QString() : aQString(std::string(1, respuesta)));
        }
        r->setCurrentCell(0, 0);
    }
    txtIdentificador->setText(aQString(q.nombre));
    // Verifying checks the answers alone.
    txtIdentificador->setReadOnly(verificar);
    grupos_->setEnabled(!verificar);

    antes_ = TAntes{doc.modificado, q.grupos, {}};
    auto guardarMiembros = [&](TGrupo* g) {
        if (g && std::any_of(g->cuestionarios.begin(), g->cuestionarios.end(),
                             [&](const TCuestionario* c) { return c && c->id == q.id; }))
            antes_->miembros.try_emplace(g, g->cuestionarios);
    };
    for (const auto& g : doc.grupos) guardarMiembros(g.get());
    for (TGrupo* g : q.grupos) guardarMiembros(g);  // a group the company lacks, too

    miembros_->abrir(doc, q, "Ocurrió un erro 03 en el archivo"_cp);

    rejillas_[0]->setFocus(Qt::OtherFocusReason);
    rejillas_[0]->irA(0);
    desbordada_ = false;
    actualizarRespondidas();
}

void TfrmCuest::actualizarRespondidas() {
    if (conFallo(textoItem(kNumItems))) desbordada_ = true;
    int n = 0;
    for (int item = 1; item <= kNumItems; ++item)
        if (respuestaDe(textoItem(item), item) != '0') ++n;
    lblRespondidas->setText(QString("Respondidas: %1 de %2").arg(n).arg(kNumItems));
}

std::vector<int> TfrmCuest::itemsConFallo() const {
    std::vector<int> items;
    for (int item = 1; item <= kNumItems; ++item)
        if (conFallo(textoItem(item))) items.push_back(item);
    return items;
}

bool TfrmCuest::volverAFallos(bool sinUltima) {
    std::vector<int> items = itemsConFallo();
    if (sinUltima) std::erase(items, kNumItems);
    if (items.empty()) return false;
    std::string texto;
    if (items.size() == 1) {
        texto = "La pregunta " + std::to_string(items[0]) +
                " tiene más de una cifra: solo cuenta la primera.\n¿Desea volver a ella?"_cp;
    } else {
        texto =
            "Las preguntas " + enumerar(items) +
            " tienen más de una cifra: solo cuenta la primera.\n¿Desea volver a la pregunta "_cp +
            std::to_string(items[0]) + "?";
    }
    // "No" stores them as they are; going back is the safe answer, and what
    // closing the question does too.
    if (Pregunta("Atención"_cp, texto) == Respuesta::No) return false;
    const int factor = factorDeItem(items[0]);
    entrar(factor, items[0] - kFactores[static_cast<std::size_t>(factor - 1)].primerItem);
    return true;
}

TfrmCuest::Desplazamiento TfrmCuest::avisarDesplazamiento() {
    const QString ultima = textoItem(kNumItems);
    const bool sobran = conFallo(ultima);
    // Cut back to one digit, the last cell still ends the shifted run.
    if (!sobran && !(desbordada_ && respuestaDe(ultima, kNumItems) != '0'))
        return Desplazamiento::ninguno;
    std::vector<int> blancos;
    for (int item = 1; item < kNumItems; ++item)
        if (respuestaDe(textoItem(item), item) == '0') blancos.push_back(item);
    if (blancos.empty()) return Desplazamiento::ninguno;
    desbordada_ = false;  // told once for each time it overflows

    // Short enough for the question box: one paragraph, no line breaks, at
    // most three items named.
    std::string texto = (sobran ? "Hay" : "Hubo") + " más respuestas que preguntas y "_cp;
    if (blancos.size() == 1)
        texto += "quedó en blanco la pregunta "_cp + std::to_string(blancos[0]) +
                 ": las siguientes parecen desplazadas. ";
    else
        texto +=
            "quedaron en blanco las preguntas " +
            (blancos.size() <= 3 ? enumerar(blancos)
                                 : std::to_string(blancos[0]) + ", " + std::to_string(blancos[1]) +
                                       " y " + std::to_string(blancos.size() - 2) + " más"_cp) +
            ": las siguientes parecen desplazadas. ";
    texto += "¿Desea volver a la "_cp + std::to_string(blancos[0]) + "?";
    // As for a faulty cell: going back is the safe answer.
    if (Pregunta("Atención"_cp, texto) == Respuesta::No) return Desplazamiento::guardar;
    const int factor = factorDeItem(blancos[0]);
    entrar(factor, blancos[0] - kFactores[static_cast<std::size_t>(factor - 1)].primerItem);
    return Desplazamiento::volver;
}

QString TfrmCuest::textoItem(int item) const {
    if (item < 1 || item > kNumItems) return {};
    const TRejilla* r = rejillas_[static_cast<std::size_t>(factorDeItem(item) - 1)];
    return r->texto(item - r->primerItem());
}

char TfrmCuest::respuestaDe(const QString& texto, int item) {
    if (texto.isEmpty() || !admitido(texto.front(), item)) return '0';
    return static_cast<char>(texto.front().unicode());
}

void TfrmCuest::entrar(int factor, int columna) {
    TRejilla* r = rejillas_[static_cast<std::size_t>(factor - 1)];
    r->setFocus(Qt::OtherFocusReason);
    r->irA(columna);
}

bool TfrmCuest::teclaEnRejilla(TRejilla& rejilla, QKeyEvent* e) {
    const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
    const bool conOrden = mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    int tecla = e->key();
    // Shift+Tab goes back, as it does everywhere else.
    if (!conOrden &&
        (tecla == Qt::Key_Backtab || (tecla == Qt::Key_Tab && (mods & Qt::ShiftModifier))))
        tecla = Qt::Key_Left;
    if (!conOrden && (tecla == Qt::Key_Tab || tecla == Qt::Key_Return || tecla == Qt::Key_Enter))
        tecla = Qt::Key_Right;

    const int columna = rejilla.currentColumn();
    if (tecla == Qt::Key_Right && !conOrden) {
        if (!avanzar(rejilla)) pitido();
        return true;
    }
    if (tecla == Qt::Key_Left && !conOrden) {
        if (columna > 0)
            rejilla.irA(columna - 1);
        else if (rejilla.factor() > 1)
            entrar(rejilla.factor() - 1,
                   rejillas_[static_cast<std::size_t>(rejilla.factor() - 2)]->columnCount() - 1);
        else
            pitido();
        return true;
    }
    return caracterEnRejilla(rejilla, e);
}

bool TfrmCuest::avanzar(TRejilla& rejilla) {
    const int columna = rejilla.currentColumn();
    if (columna < rejilla.ultimaColumna())
        rejilla.irA(columna + 1);
    else if (rejilla.factor() < kNumFactores)
        entrar(rejilla.factor() + 1, 0);
    else
        return false;
    return true;
}

bool TfrmCuest::caracterEnRejilla(TRejilla& rejilla, const QKeyEvent* e) {
    // Delete is a key, not a character: it keeps its meaning in the field.
    if (e->key() == Qt::Key_Delete) return false;
    const QString texto = e->text();
    if (texto.isEmpty()) return false;  // arrows, Home, End...: the grid's own meaning
    const int item = rejilla.primerItem() + rejilla.currentColumn();
    if (texto.size() == 1 && rejilla.currentColumn() >= 0 && admitido(texto.front(), item)) {
        QLineEdit* celda = rejilla.editor();
        if (!chkAvanzar->isChecked() || !celda) return false;  // into the cell, over the selection
        celda->insert(texto);
        // On item 75 the cursor stays, silently: a beep there would be taken
        // for a refused digit.
        avanzar(rejilla);
        return true;
    }
    // A digit the item does not take is dropped with a beep, so that the
    // technician knows the paper and the screen part ways here; any other
    // character, blank and Backspace included, is dropped silently.
    const bool conOrden =
        e->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (texto.size() == 1 && texto.front() >= QLatin1Char('0') &&
        texto.front() <= QLatin1Char('9') && !conOrden)
        pitido();
    return true;
}

void TfrmCuest::avisarGrupoNuevo() {
    Mensaje("Cierre esta ventanta, genere el nuevo grupo, y vuelva");
}

void TfrmCuest::aceptar() {
    if (!doc_ || !cuest_) return;
    const Desplazamiento desplazamiento = avisarDesplazamiento();
    if (desplazamiento == Desplazamiento::volver) return;
    // Stored as it is: the last cell has been asked about already.
    if (volverAFallos(desplazamiento == Desplazamiento::guardar)) return;
    if (modo_ == Modo::verificacion) {
        if (!aceptarVerificacion()) return;
        antes_.reset();
        accept();
        return;
    }
    std::string texto;
    if (deQString(txtIdentificador->text(), texto) && texto != cuest_->nombre) {
        const std::string guardado = cortarNombre(texto);
        // A longer name is kept cut: the cut form must be free too.
        if (guardado != cuest_->nombre) {
            TCuestionario* otro = doc_->buscarCuestionario(texto);
            if (!otro) otro = doc_->buscarCuestionario(guardado);
            if (otro && otro != cuest_)
                Mensaje("Este identificador ya existe. No se cambia.");
            else
                cuest_->nombre = guardado;
        }
    }
    for (int item = 1; item <= kNumItems; ++item)
        cuest_->respuestas[static_cast<std::size_t>(item - 1)] = respuestaDe(textoItem(item), item);
    puntuarCuestionario(*cuest_);
    antes_.reset();
    accept();
}

bool TfrmCuest::aceptarVerificacion() {
    std::vector<TDiferencia> diferencias;
    for (int item = 1; item <= kNumItems; ++item) {
        const char grabada = cuest_->respuestas[static_cast<std::size_t>(item - 1)];
        const QString texto = textoItem(item);
        const char tecleada = respuestaDe(texto, item);
        // An empty cell is no answer, as '0' is; the list tells them apart.
        if (tecleada != grabada)
            diferencias.push_back({item, grabada, texto.isEmpty() ? char(0) : tecleada});
    }
    if (diferencias.empty()) {
        Mensaje("Las dos grabaciones coinciden: no hay ninguna diferencia.");
        return true;
    }
    TfrmDiferencias eleccion(diferencias, pitido, this);
    if (eleccion.exec() != QDialog::Accepted) {
        // Nothing is stored; the second keying stays on screen, the cursor
        // on the first item that differs.
        const int item = diferencias.front().item;
        const int factor = factorDeItem(item);
        entrar(factor, item - kFactores[static_cast<std::size_t>(factor - 1)].primerItem);
        return false;
    }
    for (const TDiferencia& d : diferencias)
        cuest_->respuestas[static_cast<std::size_t>(d.item - 1)] = d.correcta;
    puntuarCuestionario(*cuest_);
    return true;
}

void TfrmCuest::cancelar() {
    reject();
}

void TfrmCuest::reject() {
    restaurar();
    QDialog::reject();
}

void TfrmCuest::restaurar() {
    if (!antes_ || !doc_ || !cuest_) return;
    const std::int32_t id = cuest_->id;
    // A member list that did not hold the questionnaire can only have gained
    // it, at its end; one that did is put back whole, in its order.
    auto volver = [&](TGrupo* g) {
        if (!g) return;
        if (auto it = antes_->miembros.find(g); it != antes_->miembros.end()) {
            g->cuestionarios = it->second;
            return;
        }
        std::erase_if(g->cuestionarios, [&](const TCuestionario* c) { return c && c->id == id; });
    };
    for (const auto& g : doc_->grupos) volver(g.get());
    for (TGrupo* g : antes_->grupos) volver(g);
    cuest_->grupos = std::move(antes_->grupos);
    doc_->modificado = antes_->modificado;
    antes_.reset();
}

void TfrmCuest::keyPressEvent(QKeyEvent* e) {
    // Escape would throw away the answers keyed so far: only "Cancelar" and
    // the close box cancel.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

}  // namespace koral
