#include "ui/UPerfil.h"

#include <QApplication>
#include <QClipboard>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include "method/Perfil.h"
#include "platform/Dialogos.h"
#include "platform/Texto.h"
#include "platform/qt/SuperficieQt.h"
#include "platform/qt/TextoQt.h"
#include "ui/CajaTexto.h"
#include "ui/CursorOcupado.h"
#include "ui/Editores.h"
#include "ui/ImagenGrafico.h"
#include "ui/UChild.h"
#include "ui/UMain.h"

namespace koral {

TfrmPerfil::TfrmPerfil(QWidget* parent)
    : QDialog(parent), imagen_(kAnchoGrafico, kAltoGrafico, QImage::Format_RGB32) {
    setObjectName("frmPerfil");
    setWindowTitle("Perfil <>");
    imagen_.fill(Qt::white);

    auto* grupos = new TSelectorGrupos(
        "Grupos disponibles:", "Grupos asociados:", TSelectorGrupos::Rotulos::mayores, this);
    miembros_ = std::make_unique<TMiembros<TPerfil, TGrupo>>(grupos);
    grupos->asociar(*miembros_);
    connect(grupos, &TSelectorGrupos::movido, this, &TfrmPerfil::refrescarSeleccion);
    lblTodaLaEmpresa = new QLabel(
        QString::fromUtf8(
            "Sin grupos asociados: el perfil abarca todos los cuestionarios de la empresa."),
        this);
    lblTodaLaEmpresa->setObjectName("lblTodaLaEmpresa");
    lblTodaLaEmpresa->setWordWrap(true);
    {
        // The lists keep their place when it comes and goes.
        QSizePolicy sp = lblTodaLaEmpresa->sizePolicy();
        sp.setRetainSizeWhenHidden(true);
        lblTodaLaEmpresa->setSizePolicy(sp);
    }

    auto boton = [this](const char* texto, const char* nombre, void (TfrmPerfil::*manejador)()) {
        auto* b = new QPushButton(texto, this);
        b->setObjectName(nombre);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, manejador);
        return b;
    };
    auto* btnCalcular = boton("Ca&lcular", "btnCalcular", &TfrmPerfil::btnCalcularClick);
    auto* btnAceptar = boton("&Aceptar", "btnAceptar", &TfrmPerfil::btnAceptarClick);
    auto* btnCancelar = boton("&Cancelar", "btnCancelar", &TfrmPerfil::btnCancelarClick);
    btnImprimir = boton("&Imprimir", "Button5", &TfrmPerfil::imprimir);
    // Enter belongs to the lists and the text boxes: Ctrl+Enter accepts.
    btnAceptar->setToolTip("Aceptar (Ctrl+Intro)");
    auto* lblCtrlIntro = new QLabel("(Ctrl+Intro)", this);
    lblCtrlIntro->setObjectName("lblCtrlIntro");
    for (const QKeySequence& tecla :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        connect(new QShortcut(tecla, this), &QShortcut::activated, this,
                &TfrmPerfil::btnAceptarClick);

    paginas = new QTabWidget(this);
    paginas->setObjectName("PageControl1");

    imgGrafico = new QLabel;
    imgGrafico->setObjectName("Image1");
    imgGrafico->setFixedSize(kAnchoGrafico, kAltoGrafico);
    imgGrafico->setPixmap(QPixmap::fromImage(imagen_));
    imgGrafico->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* valorativo = new QWidget;
    auto* capa = new QVBoxLayout(valorativo);
    capa->setContentsMargins(2, 2, 2, 2);
    capa->addWidget(imgGrafico, 0, Qt::AlignHCenter | Qt::AlignTop);
    paginas->addTab(valorativo, "Valorativo");

    mmDes = new QPlainTextEdit;
    mmDes->setObjectName("mmDes");
    mmDes->setReadOnly(true);
    mmDes->setLineWrapMode(QPlainTextEdit::NoWrap);
    mmDes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    mmDes->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    paginas->addTab(mmDes, "Descriptivo");

    auto* observaciones = new QWidget;
    auto* lblDescripcion = new QLabel(QString::fromUtf8("Descripción"), observaciones);
    auto* lblObservaciones = new QLabel("Observaciones", observaciones);
    lblDescripcion->setObjectName("Label3");
    lblObservaciones->setObjectName("Label4");
    mmDescripcion = new TMemo(observaciones);
    mmObservaciones = new TMemo(observaciones);
    mmDescripcion->setObjectName("mmDescripcion");
    mmObservaciones->setObjectName("mmObservaciones");
    for (QPlainTextEdit* m : {mmDescripcion, mmObservaciones}) {
        m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        m->setTabChangesFocus(true);
    }
    auto* textos = new QVBoxLayout(observaciones);
    textos->setContentsMargins(4, 4, 4, 4);
    textos->addWidget(lblDescripcion);
    textos->addWidget(mmDescripcion, 1);
    textos->addWidget(lblObservaciones);
    textos->addWidget(mmObservaciones, 1);
    paginas->addTab(observaciones, "Observaciones");

    lblNSujetos = new QLabel(QString::fromUtf8("Nº Sujetos: 0"), this);
    lblNSujetos->setObjectName("lblNSujetos");
    lblAnonimato = new QLabel(
        QString::fromUtf8("Atención: con tan pocas personas sus respuestas podrían reconocerse."),
        this);
    lblAnonimato->setObjectName("lblAnonimato");
    lblAnonimato->setWordWrap(true);
    lblAnonimato->setStyleSheet("QLabel { color: #B00000; font-weight: bold; }");
    lblAnonimato->hide();
    auto* lblNombre = new QLabel("&Nombre:", this);
    lblNombre->setObjectName("Label5");
    txtIdentificador = new QLineEdit(this);
    txtIdentificador->setObjectName("txtIdentificador");
    txtIdentificador->setValidator(new ValidadorCp1252(txtIdentificador));
    lblNombre->setBuddy(txtIdentificador);

    auto* menuGrafico = new QMenu(this);
    menuGrafico->setObjectName("PopupMenu1");
    auto* accCopiar = menuGrafico->addAction("&Copiar", this, &TfrmPerfil::copiarGrafico);
    accImprimir = menuGrafico->addAction("&Imprimir", this, &TfrmPerfil::imprimir);
    auto* accGuardarImagen =
        menuGrafico->addAction("&Guardar imagen ...", this, &TfrmPerfil::guardarGrafico);
    accCopiar->setObjectName("Copiar1");
    accImprimir->setObjectName("Imprimir1");
    accGuardarImagen->setObjectName("GuardarImagen1");
    connect(
        imgGrafico, &QWidget::customContextMenuRequested, this,
        [this, menuGrafico](const QPoint& p) { menuGrafico->popup(imgGrafico->mapToGlobal(p)); });

    // Left: name and the two group lists; right: the pages and the subjects.
    auto* nombre = new QHBoxLayout;
    nombre->addWidget(lblNombre);
    nombre->addWidget(txtIdentificador, 1);

    auto* izquierda = new QVBoxLayout;
    izquierda->addLayout(nombre);
    izquierda->addSpacing(6);
    izquierda->addWidget(grupos, 1);
    izquierda->addWidget(lblTodaLaEmpresa);

    auto* derecha = new QVBoxLayout;
    derecha->addWidget(paginas, 1);
    auto* sujetos = new QHBoxLayout;
    sujetos->addWidget(lblNSujetos);
    sujetos->addWidget(lblAnonimato, 1);
    derecha->addLayout(sujetos);

    auto* centro = new QHBoxLayout;
    centro->addLayout(izquierda, 2);
    centro->addSpacing(6);
    centro->addLayout(derecha, 3);

    auto* botones = new QHBoxLayout;
    botones->addWidget(btnCalcular);
    botones->addWidget(btnImprimir);
    botones->addStretch(1);
    botones->addWidget(btnAceptar);
    botones->addWidget(lblCtrlIntro);
    botones->addSpacing(6);
    botones->addWidget(btnCancelar);

    auto* todo = new QVBoxLayout(this);
    todo->addLayout(centro, 1);
    todo->addLayout(botones);

    resize(756, 428);
}

TfrmPerfil::~TfrmPerfil() = default;

bool TfrmPerfil::editarPerfil(TKoral& doc, TPerfil& p) {
    {
        CursorOcupado ocupado;
        abrir(doc, p);
    }
    const bool aceptado = exec() == QDialog::Accepted;
    doc_ = nullptr;
    perfil_ = nullptr;
    return aceptado;
}

void TfrmPerfil::abrir(TKoral& doc, TPerfil& p) {
    doc_ = &doc;
    perfil_ = &p;
    setResult(QDialog::Rejected);
    setWindowTitle("Perfil <" + aQString(p.nombre) + ">");
    const bool imprime = ordenes && ordenes->imprimirPerfil;
    btnImprimir->setEnabled(imprime);
    accImprimir->setEnabled(imprime);

    txtIdentificador->setText(aQString(p.nombre));
    lblNSujetos->setText(QString::fromUtf8("Nº Sujetos: ") + QString::number(p.nSujetos));
    mmDescripcion->setPlainText(aCaja(p.descripcion));
    mmObservaciones->setPlainText(aCaja(p.observaciones));

    miembros_->abrir(doc, p, "Ocurrió un error 03 en el archivo"_cp);
    refrescarSeleccion();

    btnCalcularClick();
    paginas->setCurrentIndex(0);
    // Taken after the first computation, which matches the selection kept.
    alAbrir_ = {p.grupos, p.nSujetos, p.frecuencias, p.sumaPuntuaciones, p.bandas, doc.modificado};
}

void TfrmPerfil::btnCalcularClick() {
    if (!doc_ || !perfil_) return;
    CursorOcupado ocupado;
    if (!calcularPerfil(*doc_, *perfil_)) return;
    lblNSujetos->setText(QString::fromUtf8("Nº Sujetos: ") + QString::number(perfil_->nSujetos));
    lblAnonimato->setVisible(poblacionIdentificable(perfil_->nSujetos));
    const char separador = separadorDecimal();
    {
        SuperficieQt superficie(imagen_, QApplication::font().family());
        dibujarValorativo(*perfil_, superficie, separador);
    }
    imgGrafico->setPixmap(QPixmap::fromImage(imagen_));
    std::vector<std::string> lineas;
    llenarDescriptivo(*perfil_, lineas, separador);
    std::string todo;
    for (const std::string& l : lineas) {
        todo += l;
        todo += '\n';
    }
    if (!todo.empty()) todo.pop_back();
    mmDes->setPlainText(aQString(todo));
}

void TfrmPerfil::refrescarSeleccion() {
    lblTodaLaEmpresa->setVisible(perfil_ && perfil_->grupos.empty());
}

void TfrmPerfil::btnAceptarClick() {
    if (!doc_ || !perfil_) return;
    std::string texto;
    if (deQString(txtIdentificador->text(), texto) && texto != perfil_->nombre) {
        const std::string guardado = cortarNombre(texto);
        if (guardado != perfil_->nombre) {
            TPerfil* otro = doc_->buscarPerfil(texto);
            if (!otro) otro = doc_->buscarPerfil(guardado);
            if (otro && otro != perfil_)
                Mensaje("Este identificador ya existe. No se cambia");
            else
                perfil_->nombre = guardado;
        }
    }
    perfil_->descripcion = textoGuardado(mmDescripcion);
    perfil_->observaciones = textoGuardado(mmObservaciones);
    accept();
}

void TfrmPerfil::btnCancelarClick() {
    reject();
}

void TfrmPerfil::reject() {
    if (doc_ && perfil_ && isVisible()) {
        perfil_->grupos = alAbrir_.grupos;
        perfil_->nSujetos = alAbrir_.nSujetos;
        perfil_->frecuencias = alAbrir_.frecuencias;
        perfil_->sumaPuntuaciones = alAbrir_.sumaPuntuaciones;
        perfil_->bandas = alAbrir_.bandas;
        doc_->modificado = alAbrir_.modificado;
    }
    QDialog::reject();
}

void TfrmPerfil::imprimir() {
    if (!perfil_ || !ordenes || !ordenes->imprimirPerfil) return;
    // The report shows the texts on screen; the profile keeps its own.
    struct Guardados {
        TPerfil& p;
        std::string descripcion, observaciones;
        ~Guardados() {
            p.descripcion = std::move(descripcion);
            p.observaciones = std::move(observaciones);
        }
    } guardados{*perfil_, perfil_->descripcion, perfil_->observaciones};
    perfil_->descripcion = textoGuardado(mmDescripcion);
    perfil_->observaciones = textoGuardado(mmObservaciones);
    ordenes->imprimirPerfil(*perfil_);
}

void TfrmPerfil::copiarGrafico() {
    if (paginas->currentIndex() != 0) return;
    QApplication::clipboard()->setImage(imagen_);
}

void TfrmPerfil::guardarGrafico() {
    if (!perfil_) return;
    guardarImagenGrafico(
        imagen_, [this](Superficie& s) { dibujarValorativo(*perfil_, s, separadorDecimal()); },
        {doc_ ? doc_->archivo : std::string()});
}

void TfrmPerfil::keyPressEvent(QKeyEvent* e) {
    // Escape would throw away the typed texts: only "Cancelar" and the
    // close box cancel.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

}  // namespace koral
