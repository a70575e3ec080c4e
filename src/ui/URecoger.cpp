#include "ui/URecoger.h"

#include <qrencode.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTime>
#include <QVBoxLayout>
#include <stdexcept>

#include "platform/Archivos.h"
#include "platform/Dialogos.h"
#include "platform/Texto.h"
#include "platform/qt/TextoQt.h"
#include "red/ServidorRecogida.h"
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

TfrmRecoger::TfrmRecoger(TKoral& doc, QWidget* parent) : QDialog(parent), doc_(doc) {
    setObjectName("frmRecoger");
    setWindowTitle("Recoger en red");
    paginas = new QStackedWidget(this);
    paginas->addWidget(crearPreparacion());
    paginas->addWidget(crearRecogida());
    auto* capa = new QVBoxLayout(this);
    capa->addWidget(paginas);
    resize(620, 470);
    lstGrupos->setFocus();
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
    crearGrupos(w, rejilla);
    crearCodigo(w, rejilla);
    crearRed(w, rejilla);
    rejilla->setColumnStretch(1, 1);

    auto* privacidad =
        nota(utf8("No se guarda nada del trabajador salvo sus respuestas y los grupos que marque. "
                  "Lo enviado viaja sin cifrar por la red local: use una red de confianza."),
             w);

    btnEmpezar = new QPushButton(utf8("&Empezar"), w);
    btnEmpezar->setObjectName("btnEmpezar");
    btnEmpezar->setDefault(true);
    auto* btnCancelar = new QPushButton(utf8("&Cancelar"), w);
    btnCancelar->setObjectName("btnCancelar");
    connect(btnEmpezar, &QPushButton::clicked, this, &TfrmRecoger::btnEmpezarClick);
    connect(btnCancelar, &QPushButton::clicked, this, &TfrmRecoger::reject);

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(btnEmpezar);
    botones->addWidget(btnCancelar);
    auto* capa = new QVBoxLayout(w);
    capa->setContentsMargins(0, 0, 0, 0);
    capa->addWidget(explicacion);
    capa->addLayout(rejilla, 1);
    capa->addWidget(privacidad);
    capa->addLayout(botones);
    return w;
}

void TfrmRecoger::crearGrupos(QWidget* w, QGridLayout* rejilla) {
    lstGrupos = new QListWidget(w);
    lstGrupos->setObjectName("lstGrupos");
    for (const auto& g : doc_.grupos) {
        auto* item = new QListWidgetItem(aQString(g->nombre), lstGrupos);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
    }
    lstGrupos->setCurrentRow(0);
    auto* btnTodos = new QPushButton(utf8("Marcar &todos"), w);
    auto* btnNinguno = new QPushButton(utf8("&Ninguno"), w);
    btnTodos->setObjectName("btnTodos");
    btnNinguno->setObjectName("btnNinguno");
    connect(btnTodos, &QPushButton::clicked, this, [this] { marcarGrupos(true); });
    connect(btnNinguno, &QPushButton::clicked, this, [this] { marcarGrupos(false); });
    if (doc_.grupos.empty()) {
        lstGrupos->setEnabled(false);
        btnTodos->setEnabled(false);
        btnNinguno->setEnabled(false);
    }

    rejilla->addWidget(rotulo("&Grupos que se ofrecen:", lstGrupos, w), 0, 0, Qt::AlignTop);
    rejilla->addWidget(lstGrupos, 0, 1);
    auto* marcar = new QVBoxLayout;
    marcar->addWidget(btnTodos);
    marcar->addWidget(btnNinguno);
    marcar->addStretch(1);
    rejilla->addLayout(marcar, 0, 2);
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
    // With single-use codes the campaign's code is no longer accepted.
    connect(chkIndividuales, &QCheckBox::toggled, this, [this](bool si) {
        spnIndividuales->setEnabled(si);
        txtCodigo->setEnabled(!si);
    });

    rejilla->addWidget(rotulo("Código de la ca&mpaña:", txtCodigo, w), 1, 0);
    rejilla->addWidget(txtCodigo, 1, 1);
    rejilla->addWidget(chkIndividuales, 2, 1);
    auto* cuantos = new QHBoxLayout;
    cuantos->addWidget(rotulo("C&uántos:", spnIndividuales, w));
    cuantos->addWidget(spnIndividuales);
    cuantos->addStretch(1);
    rejilla->addLayout(cuantos, 3, 1);
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

    rejilla->addWidget(rotulo("&Red:", cbRed, w), 4, 0);
    rejilla->addWidget(cbRed, 4, 1);
    rejilla->addWidget(lblRed, 5, 1);
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
    connect(btnImprimirCodigos, &QPushButton::clicked, this, &TfrmRecoger::btnImprimirCodigosClick);
    connect(btnTerminar, &QPushButton::clicked, this, &TfrmRecoger::reject);

    auto* datos = new QVBoxLayout;
    datos->addWidget(lblCodigo);
    datos->addWidget(lblRecibidas);
    datos->addWidget(lblGrupos);
    datos->addWidget(lblAviso);
    datos->addStretch(1);
    auto* centro = new QHBoxLayout;
    centro->addWidget(imgQR);
    centro->addLayout(datos, 1);
    auto* botones = new QHBoxLayout;
    botones->addWidget(btnImprimirCodigos);
    botones->addStretch(1);
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
        lstGrupos->item(i)->setCheckState(marcados ? Qt::Checked : Qt::Unchecked);
}

void TfrmRecoger::btnEmpezarClick() {
    const bool individuales = chkIndividuales->isChecked();
    const QString codigo = txtCodigo->text();
    if (!individuales && !codigoValido(codigo)) {
        Mensaje(
            "El código de la campaña debe tener de 6 a 64 caracteres, sin blancos al "
            "principio ni al final."_cp);
        txtCodigo->setFocus();
        return;
    }
    red::Campana campana;
    // Not accepted once single-use codes are set; the campaign needs one all the same.
    campana.codigo =
        individuales ? red::codigoAleatorio(kCifrasCodigo) : codigo.toUtf8().toStdString();
    QStringList ofrecidos;
    for (int i = 0; i < lstGrupos->count(); ++i)
        if (lstGrupos->item(i)->checkState() == Qt::Checked) {
            campana.grupos.push_back(doc_.grupos[static_cast<std::size_t>(i)]->nombre);
            ofrecidos << lstGrupos->item(i)->text();
        }
    std::vector<std::string> codigos;
    if (individuales) codigos = red::codigosAleatorios(spnIndividuales->value(), kCifrasCodigo);

    std::unique_ptr<red::TServidorRecogida> servidor;
    try {
        servidor = std::make_unique<red::TServidorRecogida>(doc_, campana);
    } catch (const std::invalid_argument&) {
        return;  // the groups come from this company and the code was checked
    }
    if (individuales) {
        // Only their hashes are kept; the codes themselves just to print them.
        const std::string sal = red::salAleatoria();
        servidor->recogida().fijarCodigosIndividuales(sal, red::codigosConHash(sal, codigos));
    }
    const QHostAddress ip(cbRed->currentData().toString());
    QString error;
    bool enMarcha = servidor->iniciar(ip, puertoPreferido, &error);
    // The usual port may be taken; then any free one (the address says which).
    if (!enMarcha && puertoPreferido != 0) enMarcha = servidor->iniciar(ip, 0, &error);
    if (!enMarcha) {
        std::string texto;
        deQString(error, texto);
        Mensaje("No se puede recoger en "_cp + ip.toString().toStdString() + ": " + texto);
        return;
    }
    servidor_ = std::move(servidor);
    codigos_ = std::move(codigos);
    // Once per save, not per answer: answers arriving together are saved
    // together, and the company window refills its lists only once for them.
    connect(servidor_.get(), &red::TServidorRecogida::recibidasCambiadas, this, [this] {
        refrescarCuenta();
        if (alRecibir) alRecibir();
    });
    connect(servidor_.get(), &red::TServidorRecogida::guardadoFallido, this,
            &TfrmRecoger::guardadoFallido);

    const QString url = servidor_->url();
    lblDireccion->setText(url);
    imgQR->setPixmap(QPixmap::fromImage(imagenQR(url.toUtf8(), kPuntosQR)));
    lblCodigo->setText(individuales ? utf8("Código: el individual de cada trabajador")
                                    : utf8("Código de la campaña: ") + codigo);
    lblGrupos->setText(utf8("Grupos ofrecidos: ") +
                       (ofrecidos.isEmpty() ? utf8("ninguno") : ofrecidos.join(", ")));
    btnImprimirCodigos->setVisible(individuales);
    btnImprimirCodigos->setEnabled(bool(imprimir));
    refrescarCuenta();
    paginas->setCurrentIndex(1);
    lblDireccion->setFocus();
}

void TfrmRecoger::refrescarCuenta() {
    if (!servidor_) return;
    QString texto = utf8("Respuestas recibidas: %1").arg(servidor_->recibidas());
    if (!codigos_.empty())
        texto += utf8("\nCódigos usados: %1 de %2")
                     .arg(servidor_->recogida().codigosUsados())
                     .arg(codigos_.size());
    lblRecibidas->setText(texto);
}

void TfrmRecoger::guardadoFallido(const QString& mensaje) {
    lblAviso->setText(utf8("%1 No se pudo guardar la empresa: %2\nLas respuestas que llegaban "
                           "no se han guardado; se ha pedido a quien las envió que vuelva a "
                           "enviarlas.")
                          .arg(QTime::currentTime().toString("HH:mm"), mensaje));
    lblAviso->show();
}

std::vector<std::string> TfrmRecoger::paginaCodigos() const {
    std::string url;
    if (servidor_) url = servidor_->url().toStdString();
    std::vector<std::string> l;
    l.push_back("Cuestionario en red: " + doc_.nombre);
    l.push_back("Abra en el navegador del teléfono "_cp + url +
                " y escriba su código individual. Cada código vale para una sola respuesta."_cp);
    l.emplace_back();
    std::string corte;
    for (int i = 0; i < 100; ++i) corte += "- ";
    l.push_back(corte);
    // One slip a code, between cutting lines.
    const std::string papeleta = "Dirección: "_cp + url + "          Código individual: "_cp;
    for (const auto& c : codigos_) {
        l.emplace_back();
        l.push_back(papeleta + c);
        l.emplace_back();
        l.push_back(corte);
    }
    return l;
}

void TfrmRecoger::btnImprimirCodigosClick() {
    if (imprimir && !codigos_.empty()) imprimir(paginaCodigos());
}

void TfrmRecoger::reject() {
    if (servidor_ && servidor_->activo()) {
        // Single-use codes live in this window only: the slips handed out
        // would be worth nothing in another campaign.
        if (!codigos_.empty() && servidor_->recogida().codigosUsados() < codigos_.size() &&
            Pregunta("Terminar"_cp,
                     "Al terminar, los códigos individuales que no se han usado dejan de "
                     "valer. ¿Terminar la recogida?"_cp) != Respuesta::Si)
            return;
        servidor_->terminar();
    }
    QDialog::reject();
}

QImage imagenQR(const QByteArray& texto, int puntos) {
    if (puntos < 1 || texto.isEmpty()) return {};
    std::unique_ptr<QRcode, void (*)(QRcode*)> qr(
        QRcode_encodeData(static_cast<int>(texto.size()),
                          reinterpret_cast<const unsigned char*>(texto.constData()), 0,
                          QR_ECLEVEL_M),
        QRcode_free);
    if (!qr) return {};
    constexpr int kMargen = 4;  // the quiet zone readers need, in modules
    const int n = qr->width;
    QImage img((n + 2 * kMargen) * puntos, (n + 2 * kMargen) * puntos, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            if (qr->data[y * n + x] & 1)
                for (int dy = 0; dy < puntos; ++dy) {
                    auto* fila = reinterpret_cast<QRgb*>(img.scanLine((y + kMargen) * puntos + dy));
                    for (int dx = 0; dx < puntos; ++dx)
                        fila[(x + kMargen) * puntos + dx] = qRgb(0, 0, 0);
                }
    return img;
}

void RecogerEnRed(TKoral& doc, bool soloLectura, const std::function<bool()>& guardar,
                  std::function<void()> alRecibir,
                  std::function<void(const std::vector<std::string>&)> imprimir, QWidget* padre) {
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
    TfrmRecoger ventana(doc, padre);
    ventana.alRecibir = std::move(alRecibir);
    ventana.imprimir = std::move(imprimir);
    ventana.exec();
}

void conectarRecoger(TfrmMain& frame, TImpresionVentanas& impresion) {
    frame.ordenes.recogerEnRed = [&frame, &impresion](TKoral& doc, bool soloLectura,
                                                      const std::function<bool()>& guardar,
                                                      const std::function<void()>& recibidas) {
        RecogerEnRed(
            doc, soloLectura, guardar, recibidas,
            [&impresion](const std::vector<std::string>& l) { impresion.ImprimirLineas(l); },
            &frame);
    };
}

}  // namespace koral
