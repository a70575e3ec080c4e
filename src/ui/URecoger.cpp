#include "ui/URecoger.h"

#include <qrencode.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTcpServer>
#include <QTime>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

#include "document/Acompanante.h"
#include "document/DatosEvaluacion.h"
#include "platform/Archivos.h"
#include "platform/Dialogos.h"
#include "platform/Fecha.h"
#include "platform/Texto.h"
#include "platform/qt/TextoQt.h"
#include "red/ServidorRecogida.h"
#include "ui/CajaTexto.h"
#include "ui/ImpresionVentanas.h"
#include "ui/UMain.h"

namespace koral {

namespace {

constexpr int kCifrasCodigo = 8;
constexpr int kMinCodigo = 6;

QString utf8(const char* texto) {
    return QString::fromUtf8(texto);
}

QLabel* rotulo(const char* texto, QWidget* campo, QWidget* padre) {
    auto* l = new QLabel(utf8(texto), padre);
    l->setBuddy(campo);
    return l;
}

QLabel* nota(const QString& texto, QWidget* padre) {
    auto* l = new QLabel(texto, padre);
    l->setWordWrap(true);
    l->setTextFormat(Qt::PlainText);
    return l;
}

void agrandar(QLabel* l, int pixeles) {
    QFont f = l->font();
    f.setPixelSize(pixeles);
    f.setBold(true);
    l->setFont(f);
}

// What a worker can type on a phone: 6 to 64 bytes, no control characters,
// no blanks at either end (the server drops those from what is typed).
bool codigoValido(const QString& codigo) {
    const QByteArray b = codigo.toUtf8();
    bool control = false;
    for (const QChar c : codigo) control = control || c.category() == QChar::Other_Control;
    return codigo.size() >= kMinCodigo && b.size() <= 64 && !control && codigo == codigo.trimmed();
}

}  // namespace

TfrmRecoger::TfrmRecoger(TKoral& doc, TAcompanante& acompanante, QWidget* parent)
    : QDialog(parent),
      doc_(doc),
      acompanante_(acompanante),
      guardada_(campanaGuardada(acompanante)) {
    setObjectName("frmRecoger");
    setWindowTitle("Recoger en red");
    paginas = new QStackedWidget(this);
    paginas->addWidget(crearPreparacion());
    paginas->addWidget(crearRecogida());
    auto* capa = new QVBoxLayout(this);
    capa->addWidget(paginas);
    resize(680, 640);
    mostrarGuardada();
    mostrarPregunta();
    if (guardada_) {
        elegirCampana(true);
        rbContinuar->setFocus();
    } else {
        txtAviso->setPlainText(aCaja(avisoPorDefecto().aviso));
        lstPreguntas->setFocus();
    }
}

TfrmRecoger::~TfrmRecoger() = default;

QWidget* TfrmRecoger::crearPreparacion() {
    auto* w = new QWidget(this);
    auto* explicacion =
        nota(utf8("Los trabajadores responden el cuestionario en el navegador de su teléfono, "
                  "conectados a la misma red que este equipo, mientras esta ventana siga abierta. "
                  "Cada respuesta se guarda al momento en el archivo de la empresa."),
             w);

    // One row of the grid for each choice, made in the order Tab visits them.
    auto* rejilla = new QGridLayout;
    crearCampana(w, rejilla);
    crearGrupos(w, rejilla);
    crearCodigo(w, rejilla);
    crearAviso(w, rejilla);
    crearRed(w, rejilla);
    rejilla->setColumnStretch(1, 1);

    btnEmpezar = new QPushButton(utf8("&Empezar"), w);
    btnEmpezar->setObjectName("btnEmpezar");
    btnEmpezar->setDefault(true);
    auto* btnCancelar = new QPushButton(utf8("&Cancelar"), w);
    btnCancelar->setObjectName("btnCancelar");
    connect(btnEmpezar, &QPushButton::clicked, this, &TfrmRecoger::btnEmpezarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &TfrmRecoger::reject);

    btnCerrarGuardada = new QPushButton(utf8("Cerrar &la campaña"), w);
    btnCerrarGuardada->setObjectName("btnCerrarGuardada");
    connect(btnCerrarGuardada, &QPushButton::clicked, this, &TfrmRecoger::cerrarCampana);

    auto* botones = new QHBoxLayout;
    botones->addWidget(btnCerrarGuardada);
    botones->addStretch(1);
    botones->addWidget(btnEmpezar);
    botones->addWidget(btnCancelar);
    auto* capa = new QVBoxLayout(w);
    capa->setContentsMargins(0, 0, 0, 0);
    capa->addWidget(explicacion);
    capa->addLayout(rejilla, 1);
    capa->addLayout(botones);
    return w;
}

// Also made without a kept campaign, hidden: printing code cards keeps one.
void TfrmRecoger::crearCampana(QWidget* w, QGridLayout* rejilla) {
    rbContinuar = new QRadioButton(w);
    rbContinuar->setObjectName("rbContinuar");
    rbNueva = new QRadioButton(utf8("Empezar una campaña nue&va, que sustituye a la guardada"), w);
    rbNueva->setObjectName("rbNueva");
    rbContinuar->setChecked(guardada_.has_value());
    rbNueva->setChecked(!guardada_);
    connect(rbContinuar, &QRadioButton::toggled, this, &TfrmRecoger::elegirCampana);
    rejilla->addWidget(rbContinuar, 0, 0, 1, 3);
    rejilla->addWidget(rbNueva, 1, 0, 1, 3);
}

void TfrmRecoger::crearGrupos(QWidget* w, QGridLayout* rejilla) {
    lstPreguntas = new QListWidget(w);
    lstPreguntas->setObjectName("lstPreguntas");
    lstPreguntas->setMaximumHeight(lstPreguntas->fontMetrics().height() * 5);
    btnAnadirPregunta = new QPushButton(utf8("Aña&dir ..."), w);
    btnRenombrarPregunta = new QPushButton(utf8("Renom&brar ..."), w);
    btnQuitarPregunta = new QPushButton(utf8("&Quitar"), w);
    btnAnadirPregunta->setObjectName("btnAnadirPregunta");
    btnRenombrarPregunta->setObjectName("btnRenombrarPregunta");
    btnQuitarPregunta->setObjectName("btnQuitarPregunta");
    connect(btnAnadirPregunta, &QPushButton::clicked, this, &TfrmRecoger::anadirPregunta);
    connect(btnRenombrarPregunta, &QPushButton::clicked, this, &TfrmRecoger::renombrarPregunta);
    connect(btnQuitarPregunta, &QPushButton::clicked, this, &TfrmRecoger::quitarPregunta);
    connect(lstPreguntas, &QListWidget::currentRowChanged, this, &TfrmRecoger::mostrarPregunta);

    lstGrupos = new QListWidget(w);
    lstGrupos->setObjectName("lstGrupos");
    for (const auto& g : doc_.grupos) new QListWidgetItem(aQString(g->nombre), lstGrupos);
    lstGrupos->setCurrentRow(0);
    connect(lstGrupos, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { grupoCambiado(lstGrupos->row(item)); });
    lblGruposNota = nota({}, w);
    lblGruposNota->setObjectName("lblGruposNota");
    btnTodos = new QPushButton(utf8("Marcar &todos"), w);
    btnNinguno = new QPushButton(utf8("&Ninguno"), w);
    btnTodos->setObjectName("btnTodos");
    btnNinguno->setObjectName("btnNinguno");
    connect(btnTodos, &QPushButton::clicked, this, [this] { marcarGrupos(true); });
    connect(btnNinguno, &QPushButton::clicked, this, [this] { marcarGrupos(false); });
    if (doc_.grupos.empty()) lstGrupos->setEnabled(false);

    rejilla->addWidget(rotulo("&Preguntas de grupo:", lstPreguntas, w), 2, 0, Qt::AlignTop);
    rejilla->addWidget(lstPreguntas, 2, 1);
    auto* editar = new QVBoxLayout;
    editar->addWidget(btnAnadirPregunta);
    editar->addWidget(btnRenombrarPregunta);
    editar->addWidget(btnQuitarPregunta);
    editar->addStretch(1);
    rejilla->addLayout(editar, 2, 2);
    rejilla->addWidget(rotulo("&Grupos:", lstGrupos, w), 3, 0, Qt::AlignTop);
    auto* grupos = new QVBoxLayout;
    grupos->addWidget(lstGrupos, 1);
    grupos->addWidget(lblGruposNota);
    rejilla->addLayout(grupos, 3, 1);
    auto* marcar = new QVBoxLayout;
    marcar->addWidget(btnTodos);
    marcar->addWidget(btnNinguno);
    marcar->addStretch(1);
    rejilla->addLayout(marcar, 3, 2);
    rejilla->setRowStretch(3, 1);
}

void TfrmRecoger::crearAviso(QWidget* w, QGridLayout* rejilla) {
    txtAviso = new TMemo(w);
    txtAviso->setObjectName("txtAviso");
    txtAviso->setTabChangesFocus(true);
    txtAviso->setMaximumHeight(txtAviso->fontMetrics().height() * 6);
    rejilla->addWidget(rotulo("&Aviso a los trabajadores:", txtAviso, w), 7, 0, Qt::AlignTop);
    rejilla->addWidget(txtAviso, 7, 1, 1, 2);
}

void TfrmRecoger::crearCodigo(QWidget* w, QGridLayout* rejilla) {
    txtCodigo = new QLineEdit(QString::fromStdString(red::codigoAleatorio(kCifrasCodigo)), w);
    txtCodigo->setObjectName("txtCodigo");
    txtCodigo->setMaxLength(64);
    chkIndividuales = new QCheckBox(utf8("Códigos &individuales, uno por trabajador"), w);
    chkIndividuales->setObjectName("chkIndividuales");
    spnIndividuales = new QSpinBox(w);
    spnIndividuales->setObjectName("spnIndividuales");
    spnIndividuales->setRange(1, 2000);
    spnIndividuales->setValue(30);
    spnIndividuales->setEnabled(false);
    btnTarjetas = new QPushButton(utf8("Imprimir tarjeta&s ..."), w);
    btnTarjetas->setObjectName("btnTarjetas");
    btnTarjetas->setEnabled(false);
    connect(btnTarjetas, &QPushButton::clicked, this, &TfrmRecoger::btnTarjetasClick);
    // With single-use codes the campaign's code is no longer accepted.
    connect(chkIndividuales, &QCheckBox::toggled, this, [this](bool si) {
        spnIndividuales->setEnabled(si);
        btnTarjetas->setEnabled(si);
        txtCodigo->setEnabled(!si);
    });

    rejilla->addWidget(rotulo("Código de la ca&mpaña:", txtCodigo, w), 4, 0);
    rejilla->addWidget(txtCodigo, 4, 1);
    rejilla->addWidget(chkIndividuales, 5, 1);
    auto* cuantos = new QHBoxLayout;
    cuantos->addWidget(rotulo("C&uántos:", spnIndividuales, w));
    cuantos->addWidget(spnIndividuales);
    cuantos->addWidget(btnTarjetas);
    cuantos->addStretch(1);
    rejilla->addLayout(cuantos, 6, 1);
}

void TfrmRecoger::crearRed(QWidget* w, QGridLayout* rejilla) {
    cbRed = new QComboBox(w);
    cbRed->setObjectName("cbRed");
    const auto interfaces = red::interfacesLocales();
    for (const auto& i : interfaces)
        cbRed->addItem(QString("%1 (%2)").arg(i.direccion.toString(), i.nombre),
                       i.direccion.toString());
    cbRed->addItem(utf8("127.0.0.1 (solo este equipo, para probar)"), "127.0.0.1");
    lblRed = nota(interfaces.empty()
                      ? utf8("Este equipo no está conectado a ninguna red: la recogida solo "
                             "puede probarse desde este mismo equipo.")
                      : utf8("Elija la red a la que se conectan los teléfonos."),
                  w);
    lblRed->setObjectName("lblRed");

    rejilla->addWidget(rotulo("&Red:", cbRed, w), 8, 0);
    rejilla->addWidget(cbRed, 8, 1);
    rejilla->addWidget(lblRed, 9, 1);
}

QWidget* TfrmRecoger::crearRecogida() {
    auto* w = new QWidget(this);
    auto* indicacion = nota(utf8("Escriba en el navegador del teléfono, o lea el código QR:"), w);
    lblDireccion = new QLabel(w);
    lblDireccion->setObjectName("lblDireccion");
    lblDireccion->setTextFormat(Qt::PlainText);
    lblDireccion->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    agrandar(lblDireccion, 30);
    imgQR = new QLabel(w);
    imgQR->setObjectName("imgQR");
    imgQR->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    lblCodigo = nota({}, w);
    lblCodigo->setObjectName("lblCodigo");
    lblCodigo->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    agrandar(lblCodigo, 20);
    lblGrupos = nota({}, w);
    lblGrupos->setObjectName("lblGrupos");
    lblRecibidas = new QLabel(w);
    lblRecibidas->setObjectName("lblRecibidas");
    agrandar(lblRecibidas, 20);
    tblCuentas = new QTableWidget(0, 3, w);
    tblCuentas->setObjectName("tblCuentas");
    tblCuentas->setHorizontalHeaderLabels(
        {utf8("Grupo"), utf8("Esta sesión"), utf8("En la campaña")});
    tblCuentas->verticalHeader()->hide();
    tblCuentas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblCuentas->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    tblCuentas->verticalHeader()->setDefaultSectionSize(tblCuentas->fontMetrics().height() + 6);
    tblCuentas->setWordWrap(false);
    lblAviso = nota({}, w);
    lblAviso->setObjectName("lblAviso");
    lblAviso->setStyleSheet("color: #b00000;");
    lblAviso->hide();
    auto* abierta = nota(utf8("La recogida sigue mientras esta ventana esté abierta. Cada "
                              "respuesta aparece en la lista de cuestionarios y se guarda al "
                              "momento en el archivo de la empresa."),
                         w);

    btnImprimirCodigos = new QPushButton(utf8("&Imprimir códigos"), w);
    btnImprimirCodigos->setObjectName("btnImprimirCodigos");
    btnTerminar = new QPushButton(utf8("&Terminar"), w);
    btnTerminar->setObjectName("btnTerminar");
    btnCerrarCampana = new QPushButton(utf8("Cerrar &la campaña"), w);
    btnCerrarCampana->setObjectName("btnCerrarCampana");
    connect(btnCerrarCampana, &QPushButton::clicked, this, &TfrmRecoger::cerrarCampana);
    connect(btnImprimirCodigos, &QPushButton::clicked, this, &TfrmRecoger::btnImprimirCodigosClick);
    connect(btnTerminar, &QPushButton::clicked, this, &TfrmRecoger::reject);

    auto* datos = new QVBoxLayout;
    datos->addWidget(lblCodigo);
    datos->addWidget(lblRecibidas);
    datos->addWidget(lblGrupos);
    datos->addWidget(tblCuentas, 1);
    datos->addWidget(lblAviso);
    auto* centro = new QHBoxLayout;
    centro->addWidget(imgQR);
    centro->addLayout(datos, 1);
    auto* botones = new QHBoxLayout;
    botones->addWidget(btnImprimirCodigos);
    botones->addStretch(1);
    botones->addWidget(btnCerrarCampana);
    botones->addWidget(btnTerminar);
    auto* capa = new QVBoxLayout(w);
    capa->setContentsMargins(0, 0, 0, 0);
    capa->addWidget(indicacion);
    capa->addWidget(lblDireccion);
    capa->addLayout(centro, 1);
    capa->addWidget(abierta);
    capa->addLayout(botones);
    return w;
}

void TfrmRecoger::marcarGrupos(bool marcados) {
    for (int i = 0; i < lstGrupos->count(); ++i)
        if (lstGrupos->item(i)->flags() & Qt::ItemIsUserCheckable)
            lstGrupos->item(i)->setCheckState(marcados ? Qt::Checked : Qt::Unchecked);
}

bool TfrmRecoger::pedirNombrePregunta(std::string& nombre, int excepto) {
    while (PideCampo("Pregunta de grupo"_cp, "Nombre de la pregunta (por ejemplo, Turno):"_cp,
                     nombre)) {
        const QString limpio = aQString(nombre).trimmed();
        deQString(limpio, nombre);
        bool repetido = false;
        for (std::size_t i = 0; i < preguntas_.size(); ++i)
            repetido =
                repetido || (static_cast<int>(i) != excepto && preguntas_[i].pregunta == nombre);
        if (!nombre.empty() && !repetido) return true;
        Mensaje(nombre.empty() ? "La pregunta necesita un nombre."_cp
                               : "Ya hay una pregunta con ese nombre."_cp);
    }
    return false;
}

void TfrmRecoger::anadirPregunta() {
    std::string nombre;
    if (!pedirNombrePregunta(nombre, -1)) return;
    preguntas_.push_back({nombre, {}});
    lstPreguntas->addItem(aQString(nombre));
    lstPreguntas->setCurrentRow(lstPreguntas->count() - 1);
    lstGrupos->setFocus();
}

void TfrmRecoger::renombrarPregunta() {
    const int fila = lstPreguntas->currentRow();
    if (fila < 0) return;
    std::string nombre = preguntas_[static_cast<std::size_t>(fila)].pregunta;
    if (!pedirNombrePregunta(nombre, fila)) return;
    preguntas_[static_cast<std::size_t>(fila)].pregunta = nombre;
    lstPreguntas->item(fila)->setText(aQString(nombre));
    mostrarPregunta();
}

void TfrmRecoger::quitarPregunta() {
    const int fila = lstPreguntas->currentRow();
    if (fila < 0) return;
    preguntas_.erase(preguntas_.begin() + fila);
    delete lstPreguntas->takeItem(fila);
    mostrarPregunta();
}

// Without questions every group is offered in one list; with them, the list
// shows the current question's groups ticked, and those another question
// holds (a group answers one question only) with its name and no box.
void TfrmRecoger::mostrarPregunta() {
    const int fila = lstPreguntas->currentRow();
    const TPreguntaGrupos* actual = fila >= 0 && fila < static_cast<int>(preguntas_.size())
                                        ? &preguntas_[static_cast<std::size_t>(fila)]
                                        : nullptr;
    const bool editable = !preguntasFijas();
    llenando_ = true;
    for (int i = 0; i < lstGrupos->count(); ++i) {
        const std::string& g = doc_.grupos[static_cast<std::size_t>(i)]->nombre;
        QListWidgetItem* item = lstGrupos->item(i);
        const TPreguntaGrupos* de = nullptr;
        for (const auto& p : preguntas_)
            if (std::find(p.grupos.begin(), p.grupos.end(), g) != p.grupos.end()) de = &p;
        QString texto = aQString(g);
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (!actual) {
            item->setData(Qt::CheckStateRole, preguntas_.empty() ? Qt::Checked : Qt::Unchecked);
        } else if (de && de != actual) {
            texto += " (" + aQString(de->pregunta) + ")";
            item->setData(Qt::CheckStateRole, QVariant());
        } else {
            if (editable) flags |= Qt::ItemIsUserCheckable;
            item->setCheckState(de ? Qt::Checked : Qt::Unchecked);
        }
        item->setText(texto);
        item->setFlags(flags);
    }
    llenando_ = false;
    lblGruposNota->setText(
        preguntas_.empty()
            ? utf8("Sin preguntas de grupo se ofrecen todos los grupos en una sola lista.")
            : utf8("Marque los grupos de la pregunta «%1». Un grupo que no esté en ninguna "
                   "pregunta no se ofrece.")
                  .arg(actual ? aQString(actual->pregunta) : QString()));
    btnRenombrarPregunta->setEnabled(editable && actual);
    btnQuitarPregunta->setEnabled(editable && actual);
    btnTodos->setEnabled(editable && actual);
    btnNinguno->setEnabled(editable && actual);
}

void TfrmRecoger::grupoCambiado(int fila) {
    const int pregunta = lstPreguntas->currentRow();
    if (llenando_ || fila < 0 || pregunta < 0) return;
    auto& p = preguntas_[static_cast<std::size_t>(pregunta)];
    // Kept in the company's order, whatever the order they were ticked in.
    p.grupos.clear();
    for (int i = 0; i < lstGrupos->count(); ++i)
        if (lstGrupos->item(i)->flags() & Qt::ItemIsUserCheckable &&
            lstGrupos->item(i)->checkState() == Qt::Checked)
            p.grupos.push_back(doc_.grupos[static_cast<std::size_t>(i)]->nombre);
}

void TfrmRecoger::elegirCampana(bool continuar) {
    if (continuar && guardada_) {
        preguntas_ = guardada_->preguntas;
        txtCodigo->setText(QString::fromStdString(guardada_->codigo));
        txtAviso->setPlainText(
            aCaja(guardada_->aviso.empty() ? avisoPorDefecto().aviso : guardada_->aviso));
        chkIndividuales->setChecked(!guardada_->codigos.empty());
        if (!guardada_->codigos.empty())
            spnIndividuales->setValue(static_cast<int>(guardada_->codigos.size()));
        // The network its cards send workers to, when this computer is still on it.
        if (!guardada_->direccion.empty())
            if (const int i =
                    cbRed->findData(QUrl(QString::fromStdString(guardada_->direccion)).host());
                i >= 0)
                cbRed->setCurrentIndex(i);
    } else {
        preguntas_.clear();
        txtCodigo->setText(QString::fromStdString(red::codigoAleatorio(kCifrasCodigo)));
        txtAviso->setPlainText(aCaja(avisoPorDefecto().aviso));
        chkIndividuales->setChecked(false);
    }
    lstPreguntas->clear();
    for (const auto& p : preguntas_) lstPreguntas->addItem(aQString(p.pregunta));
    lstPreguntas->setCurrentRow(preguntas_.empty() ? -1 : 0);
    // Its codes may be in workers' hands already; and once answered, what
    // was asked stays as it was asked.
    chkIndividuales->setEnabled(!continuar);
    txtCodigo->setEnabled(!continuar && !chkIndividuales->isChecked());
    spnIndividuales->setEnabled(!continuar && chkIndividuales->isChecked());
    btnTarjetas->setEnabled(!continuar && chkIndividuales->isChecked());
    btnAnadirPregunta->setEnabled(!preguntasFijas());
    txtAviso->setReadOnly(preguntasFijas());
    mostrarPregunta();
}

red::Campana TfrmRecoger::avisoPorDefecto() const {
    const TDatosEvaluacion d = datosEvaluacion(acompanante_);
    red::Campana c;
    c.responsable = d.evaluador.empty() || d.servicioPrevencion.empty()
                        ? d.evaluador + d.servicioPrevencion
                        : d.evaluador + " (" + d.servicioPrevencion + ")";
    c.minimo = d.minimo;
    c.aviso = red::avisoPorDefecto(doc_.nombre, c.responsable, c.minimo);
    return c;
}

std::vector<std::string> TfrmRecoger::gruposOfrecidos() const {
    std::vector<std::string> g;
    if (preguntas_.empty())
        for (const auto& grupo : doc_.grupos) g.push_back(grupo->nombre);
    for (const auto& p : preguntas_) g.insert(g.end(), p.grupos.begin(), p.grupos.end());
    return g;
}

bool TfrmRecoger::confirmarAvisos(const std::vector<std::string>& ofrecidos, bool soloEsteEquipo) {
    const TDatosEvaluacion datos = datosEvaluacion(acompanante_);
    std::string texto;
    for (const auto& g : ofrecidos) {
        const int n = datos.trabajadoresGrupo(g);
        if (n > 0 && n < datos.minimo)
            texto += "- El grupo «"_cp + g + "» tiene "_cp + std::to_string(n) +
                     " trabajadores, menos de " + std::to_string(datos.minimo) +
                     ": quien responda en él puede ser reconocido por sus respuestas.\n"_cp;
    }
    if (!soloEsteEquipo)
        texto +=
            "- La página viaja sin cifrar (HTTP): cualquiera en la misma red puede ver lo que "
            "se envía. Use solo una red de confianza.\n"_cp;
    if (texto.empty()) return true;
    return Pregunta("Antes de empezar"_cp, texto + "\n¿Empezar la recogida?"_cp) == Respuesta::Si;
}

bool TfrmRecoger::preguntasFijas() const {
    return guardada_ && rbContinuar->isChecked() && guardada_->recibidas > 0;
}

void TfrmRecoger::mostrarGuardada() {
    const bool hay = guardada_.has_value();
    for (QWidget* c : std::initializer_list<QWidget*>{rbContinuar, rbNueva, btnCerrarGuardada})
        c->setVisible(hay);
    if (!hay) return;
    rbContinuar->setText(
        guardada_->codigos.empty()
            ? utf8("C&ontinuar la campaña guardada (código %1, %2 respuestas)")
                  .arg(QString::fromStdString(guardada_->codigo))
                  .arg(guardada_->recibidas)
            : utf8("C&ontinuar la campaña guardada (%1 códigos individuales, %2 respuestas)")
                  .arg(guardada_->codigos.size())
                  .arg(guardada_->recibidas));
}

std::string TfrmRecoger::avisoEscrito() const {
    // The default kept as such, so that it says what the assessment's data
    // says on the day the form is served.
    const std::string aviso = textoGuardado(txtAviso);
    return aviso == normalizarSaltos(avisoPorDefecto().aviso) ? std::string() : aviso;
}

quint16 TfrmRecoger::puertoPrevisto() const {
    if (guardada_ && rbContinuar->isChecked() && !guardada_->direccion.empty())
        if (const int p = QUrl(QString::fromStdString(guardada_->direccion)).port(); p > 0)
            return static_cast<quint16>(p);
    return puertoPreferido;
}

QString TfrmRecoger::direccionPrevista() const {
    const QHostAddress ip(cbRed->currentData().toString());
    // Free now, so that the server very likely gets it when it starts.
    QTcpServer prueba;
    if (!prueba.listen(ip, puertoPrevisto())) prueba.listen(ip, 0);
    return red::TServidorRecogida::url(ip, prueba.serverPort());
}

void TfrmRecoger::btnTarjetasClick() {
    if (!imprimirTarjetas) return;
    const QString url = direccionPrevista();
    std::vector<std::string> codigos =
        red::codigosAleatorios(spnIndividuales->value(), kCifrasCodigo);
    if (!imprimirTarjetas(url.toStdString(), codigos)) return;
    // Printed: from now on the company keeps a campaign with these codes
    // (as hashes), whether it starts today or another day.
    TCampanaGuardada c;
    c.codigo = red::codigoAleatorio(kCifrasCodigo);
    c.preguntas = preguntas_;
    c.aviso = avisoEscrito();
    c.sal = red::salAleatoria();
    c.codigos = red::codigosConHash(c.sal, codigos);
    c.direccion = url.toStdString();
    ponerCampana(acompanante_, c);
    if (guardarAcompanante) guardarAcompanante();
    guardada_ = c;
    codigos_ = std::move(codigos);
    mostrarGuardada();
    rbContinuar->setChecked(true);
    elegirCampana(true);
    btnEmpezar->setFocus();
}

bool TfrmRecoger::preparacionValida() {
    if (!chkIndividuales->isChecked() && !codigoValido(txtCodigo->text())) {
        Mensaje(
            "El código de la campaña debe tener de 6 a 64 caracteres, sin blancos al "
            "principio ni al final."_cp);
        txtCodigo->setFocus();
        return false;
    }
    for (const auto& p : preguntas_) {
        if (p.grupos.empty()) {
            Mensaje("La pregunta «"_cp + p.pregunta + "» no tiene ningún grupo marcado."_cp);
            lstPreguntas->setFocus();
            return false;
        }
        // A kept campaign may name a group deleted since.
        for (const auto& g : p.grupos)
            if (!doc_.buscarGrupo(g)) {
                Mensaje("El grupo «"_cp + g + "» de la pregunta «"_cp + p.pregunta +
                        "» ya no está en la empresa: la campaña no puede continuar así. "
                        "Empiece una campaña nueva."_cp);
                return false;
            }
    }
    return true;
}

void TfrmRecoger::btnEmpezarClick() {
    if (!preparacionValida()) return;
    const bool continuar = guardada_ && rbContinuar->isChecked();
    const bool individuales = chkIndividuales->isChecked();
    const QString codigo = txtCodigo->text();
    red::Campana campana = avisoPorDefecto();
    // Not accepted once single-use codes are set; the campaign needs one all the same.
    campana.codigo = individuales && !continuar ? red::codigoAleatorio(kCifrasCodigo)
                                                : codigo.toUtf8().toStdString();
    campana.preguntas = preguntas_;
    campana.grupos = gruposOfrecidos();
    campana.aviso = avisoEscrito();
    const QHostAddress ip(cbRed->currentData().toString());
    if (!confirmarAvisos(campana.grupos, ip.isLoopback())) return;
    const bool conCodigosGuardados =
        individuales && continuar && guardada_ && !guardada_->codigos.empty();
    std::vector<std::string> codigos;
    std::string sal;
    if (individuales && !conCodigosGuardados)
        codigos = red::codigosAleatorios(spnIndividuales->value(), kCifrasCodigo);

    std::unique_ptr<red::TServidorRecogida> servidor;
    try {
        servidor = std::make_unique<red::TServidorRecogida>(doc_, campana);
    } catch (const std::invalid_argument& e) {
        Mensaje("No se puede empezar la recogida: "_cp + e.what());
        return;
    }
    if (individuales) {
        // Only their hashes are kept; the codes themselves just to print
        // them. A continued campaign goes on with its own, used ones marked.
        if (conCodigosGuardados) {
            sal = guardada_->sal;
            servidor->recogida().fijarCodigosIndividuales(sal, guardada_->codigos);
        } else {
            sal = red::salAleatoria();
            servidor->recogida().fijarCodigosIndividuales(sal, red::codigosConHash(sal, codigos));
        }
    }
    // The cards' port or the usual one may be taken: then any free one
    // (the address says which).
    const quint16 puerto = puertoPrevisto();
    QString error;
    bool enMarcha = servidor->iniciar(ip, puerto, &error);
    if (!enMarcha && puerto != 0) enMarcha = servidor->iniciar(ip, 0, &error);
    if (!enMarcha) {
        std::string texto;
        deQString(error, texto);
        Mensaje("No se puede recoger en "_cp + ip.toString().toStdString() + ": " + texto);
        return;
    }
    servidor_ = std::move(servidor);
    if (!codigos.empty()) codigos_ = std::move(codigos);
    // A new campaign replaces the kept one; either way the company keeps it
    // from now on, so that "Terminar" or a crash does not lose it.
    if (continuar)
        campana_ = *guardada_;
    else
        campana_ = {};
    if (campana_.empezada == 0) campana_.empezada = fechaHoy();
    campana_.codigo = campana.codigo;
    campana_.preguntas = campana.preguntas;
    campana_.aviso = campana.aviso;
    campana_.sal = sal;
    anotarCampana();
    connect(servidor_.get(), &red::TServidorRecogida::respuestaGuardada, this,
            [this](int id, const QString&) { anotarRecibida(id); });
    // Once per save, not per answer: answers arriving together are saved
    // together, and the company window refills its lists only once for them.
    connect(servidor_.get(), &red::TServidorRecogida::recibidasCambiadas, this, [this] {
        anotarCampana();
        refrescarCuenta();
        if (alRecibir) alRecibir();
    });
    connect(servidor_.get(), &red::TServidorRecogida::guardadoFallido, this,
            &TfrmRecoger::guardadoFallido);
    mostrarEnMarcha(campana.grupos, individuales ? QString() : codigo);
}

void TfrmRecoger::mostrarEnMarcha(const std::vector<std::string>& grupos, const QString& codigo) {
    const QString url = servidor_->url();
    lblDireccion->setText(url);
    imgQR->setPixmap(QPixmap::fromImage(imagenQR(url.toUtf8(), kPuntosQR)));
    lblCodigo->setText(codigo.isEmpty() ? utf8("Código: el individual de cada trabajador")
                                        : utf8("Código de la campaña: ") + codigo);
    QStringList ofrecidos;
    for (const auto& g : grupos) ofrecidos << aQString(g);
    lblGrupos->setText(utf8("Grupos ofrecidos: ") +
                       (ofrecidos.isEmpty() ? utf8("ninguno") : ofrecidos.join(", ")));
    btnImprimirCodigos->setVisible(!codigos_.empty());
    btnImprimirCodigos->setEnabled(bool(imprimirTarjetas));
    // Cards printed for another address send workers nowhere: say so.
    if (!campana_.direccion.empty() && campana_.direccion != url.toStdString()) {
        lblAviso->setText(utf8("Las tarjetas de códigos llevan la dirección %1, pero la "
                               "recogida está hoy en %2: dé esta a los trabajadores.")
                              .arg(QString::fromStdString(campana_.direccion), url));
        lblAviso->show();
    }
    refrescarCuenta();
    paginas->setCurrentIndex(1);
    lblDireccion->setFocus();
}

void TfrmRecoger::anotarRecibida(int id) {
    if (const TCuestionario* q = doc_.buscarCuestionarioPorId(id))
        for (const TGrupo* g : q->grupos) ++sesion_[g->nombre];
    nuevos_.push_back(id);
    ++campana_.recibidas;
}

void TfrmRecoger::anotarCampana() {
    anadirRecogidos(acompanante_, campana_, nuevos_);
    nuevos_.clear();
    if (servidor_) campana_.codigos = servidor_->recogida().codigosIndividuales();
    ponerCampana(acompanante_, campana_);
    if (guardarAcompanante) guardarAcompanante();
}

std::vector<TfrmRecoger::Cuenta> TfrmRecoger::cuentas() const {
    // Campaign counts per group come from the questionnaires this campaign
    // brought that are still in the company.
    std::map<std::string, int> enRed;
    const std::vector<std::int32_t>& ids = campana_.ids;
    for (const auto& q : doc_.cuestionarios)
        if (std::binary_search(ids.begin(), ids.end(), q->id))
            for (const TGrupo* g : q->grupos) ++enRed[g->nombre];
    const auto cuenta = [](const std::map<std::string, int>& m, const std::string& g) {
        const auto i = m.find(g);
        return i == m.end() ? 0 : i->second;
    };
    std::vector<Cuenta> c;
    if (campana_.preguntas.empty())
        for (const auto& g : doc_.grupos)
            c.push_back(
                {aQString(g->nombre), cuenta(sesion_, g->nombre), cuenta(enRed, g->nombre)});
    for (const auto& p : campana_.preguntas)
        for (const auto& g : p.grupos)
            c.push_back(
                {aQString(p.pregunta) + " / " + aQString(g), cuenta(sesion_, g), cuenta(enRed, g)});
    c.push_back({utf8("Total"), servidor_ ? servidor_->recibidas() : 0, campana_.recibidas});
    return c;
}

void TfrmRecoger::refrescarCuenta() {
    if (!servidor_) return;
    QString texto = utf8("Respuestas recibidas: %1").arg(servidor_->recibidas());
    if (const auto n = servidor_->recogida().codigosIndividuales().size(); n > 0)
        texto +=
            utf8("\nCódigos usados: %1 de %2").arg(servidor_->recogida().codigosUsados()).arg(n);
    lblRecibidas->setText(texto);
    const auto c = cuentas();
    tblCuentas->setRowCount(static_cast<int>(c.size()));
    for (int i = 0; i < static_cast<int>(c.size()); ++i) {
        const auto& f = c[static_cast<std::size_t>(i)];
        tblCuentas->setItem(i, 0, new QTableWidgetItem(f.fila));
        for (int col = 1; col <= 2; ++col) {
            auto* n = new QTableWidgetItem(QString::number(col == 1 ? f.sesion : f.campana));
            n->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            tblCuentas->setItem(i, col, n);
        }
    }
}

void TfrmRecoger::cerrarCampana() {
    if (Pregunta("Cerrar la campaña"_cp,
                 "La campaña se da por terminada: no podrá continuarse y su código deja de "
                 "valer. Las respuestas recogidas se quedan en la empresa. ¿Cerrar la "
                 "campaña?"_cp) != Respuesta::Si)
        return;
    const bool enMarcha = servidor_ && servidor_->activo();
    if (enMarcha) servidor_->terminar();
    anadirRecogidos(acompanante_, nuevos_);
    nuevos_.clear();
    quitarCampana(acompanante_);
    if (guardarAcompanante) guardarAcompanante();
    if (enMarcha) {
        QDialog::reject();
        return;
    }
    // Not started: what is left is a new campaign.
    guardada_.reset();
    codigos_.clear();
    rbNueva->setChecked(true);  // an exclusive button is only unchecked so
    mostrarGuardada();
    elegirCampana(false);
    lstPreguntas->setFocus();
}

void TfrmRecoger::guardadoFallido(const QString& mensaje) {
    lblAviso->setText(utf8("%1 No se pudo guardar la empresa: %2\nLas respuestas que llegaban "
                           "no se han guardado; se ha pedido a quien las envió que vuelva a "
                           "enviarlas.")
                          .arg(QTime::currentTime().toString("HH:mm"), mensaje));
    lblAviso->show();
}

void TfrmRecoger::btnImprimirCodigosClick() {
    if (imprimirTarjetas && servidor_ && !codigos_.empty())
        imprimirTarjetas(servidor_->url().toStdString(), codigos_);
}

void TfrmRecoger::reject() {
    if (servidor_ && servidor_->activo()) {
        servidor_->terminar();
        std::string resumen = "Respuestas recibidas en esta sesión, y en toda la campaña:\n"_cp;
        for (const auto& c : cuentas()) {
            std::string fila;
            deQString(c.fila, fila);
            resumen += "\n" + fila + ": " + std::to_string(c.sesion) + " (" +
                       std::to_string(c.campana) + ")";
        }
        Mensaje(resumen +
                "\n\nLa campaña queda guardada con la empresa: «Recoger en red ...» permite "
                "continuarla."_cp);
    }
    QDialog::reject();
}

ModulosQR modulosQR(const QByteArray& texto) {
    if (texto.isEmpty()) return {};
    std::unique_ptr<QRcode, void (*)(QRcode*)> qr(
        QRcode_encodeData(static_cast<int>(texto.size()),
                          reinterpret_cast<const unsigned char*>(texto.constData()), 0,
                          QR_ECLEVEL_M),
        QRcode_free);
    if (!qr) return {};
    ModulosQR m;
    m.lado = qr->width;
    m.oscuro.resize(static_cast<std::size_t>(m.lado) * m.lado);
    for (std::size_t i = 0; i < m.oscuro.size(); ++i) m.oscuro[i] = qr->data[i] & 1;
    return m;
}

QImage imagenQR(const QByteArray& texto, int puntos) {
    const ModulosQR qr = modulosQR(texto);
    if (puntos < 1 || qr.lado == 0) return {};
    constexpr int kMargen = 4;  // the quiet zone readers need, in modules
    const int n = qr.lado;
    QImage img((n + 2 * kMargen) * puntos, (n + 2 * kMargen) * puntos, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (qr.oscuroEn(x, y))
                for (int dy = 0; dy < puntos; ++dy) {
                    auto* fila = reinterpret_cast<QRgb*>(img.scanLine((y + kMargen) * puntos + dy));
                    for (int dx = 0; dx < puntos; ++dx)
                        fila[(x + kMargen) * puntos + dx] = qRgb(0, 0, 0);
                }
    return img;
}

void RecogerEnRed(
    TKoral& doc, TAcompanante& acompanante, bool soloLectura, const std::function<bool()>& guardar,
    std::function<void()> guardarAcompanante, std::function<void()> alRecibir,
    std::function<bool(const std::string&, const std::vector<std::string>&)> imprimirTarjetas,
    QWidget* padre) {
    if (doc.archivo.empty()) {
        Mensaje(
            "Guarde primero la empresa con «Guardar como ...»: la recogida en red guarda en su "
            "archivo cada respuesta que llega."_cp);
        return;
    }
    if (soloLectura) {
        Mensaje(
            "La empresa está abierta solo para lectura. Guárdela con otro nombre («Guardar "
            "como ...») antes de recoger en red."_cp);
        return;
    }
    // Answers taken in a folder that cannot be written would be lost: a
    // file made and removed beside the company shows it before any is.
    try {
        Reemplazo prueba(doc.archivo);
    } catch (const ErrorArchivo& e) {
        Mensaje(
            "No se puede recoger en red: la recogida guarda cada respuesta en el archivo de "
            "la empresa, y ahí no se puede escribir ("_cp +
            e.what() + ").");
        return;
    }
    // Each answer saves the company, and with it whatever else has changed:
    // that is saved now, or not at all.
    if (doc.modificado) {
        if (Pregunta("Atención"_cp,
                     "La recogida en red guarda la empresa con cada respuesta. ¿Guardar antes "
                     "los cambios en el archivo "_cp +
                         textoMostrable(doc.archivo) + "?") != Respuesta::Si ||
            !guardar || !guardar())
            return;
    }
    TfrmRecoger ventana(doc, acompanante, padre);
    ventana.guardarAcompanante = std::move(guardarAcompanante);
    ventana.alRecibir = std::move(alRecibir);
    ventana.imprimirTarjetas = std::move(imprimirTarjetas);
    ventana.exec();
}

void conectarRecoger(TfrmMain& frame, TImpresionVentanas& impresion) {
    frame.ordenes.recogerEnRed = [&frame, &impresion](
                                     TKoral& doc, TAcompanante& acompanante, bool soloLectura,
                                     const std::function<bool()>& guardar,
                                     const std::function<void()>& guardarAcompanante,
                                     const std::function<void()>& recibidas) {
        RecogerEnRed(
            doc, acompanante, soloLectura, guardar, guardarAcompanante, recibidas,
            [&impresion, &doc](const std::string& url, const std::vector<std::string>& codigos) {
                return impresion.ImprimirTarjetas(
                    doc.nombre, url, modulosQR(QByteArray::fromStdString(url)), codigos);
            },
            &frame);
    };
}

}  // namespace koral
