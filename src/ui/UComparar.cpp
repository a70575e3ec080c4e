#include "ui/UComparar.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "method/Perfil.h"
#include "platform/Archivos.h"
#include "platform/Dialogos.h"
#include "platform/Texto.h"
#include "platform/qt/DialogosArchivo.h"
#include "platform/qt/SuperficieQt.h"
#include "platform/qt/TextoQt.h"
#include "reports/Informes.h"
#include "reports/Maquetacion.h"
#include "ui/AvisosLectura.h"
#include "ui/CursorOcupado.h"
#include "ui/Editores.h"
#include "ui/ImagenGrafico.h"
#include "ui/ProgresoLargo.h"

namespace koral {

namespace {

// The table: subjects, unanswered items and mostly blank forms, then per
// factor its mean, the difference against the reference and the three band
// shares.
constexpr int kFilasPorFactor = 5;
constexpr int kFilasCabecera = 3;
constexpr int kFilas = kFilasCabecera + kNumFactores * kFilasPorFactor;

// A band's square as the printed table has it (0: white, no band).
QIcon cuadroBanda(int banda) {
    QImage imagen(12, 12, QImage::Format_ARGB32);
    imagen.fill(Qt::white);
    {
        SuperficieQt s(imagen, QApplication::font().family());
        dibujarMuestraBanda(s, 0, 0, 11, banda);
    }
    return QIcon(QPixmap::fromImage(imagen));
}

// A series' line and marker, as the legend draws them, for its column.
QIcon muestraSerie(std::size_t indice) {
    QImage imagen(28, 14, QImage::Format_ARGB32);
    imagen.fill(Qt::transparent);
    {
        SuperficieQt s(imagen, QApplication::font().family());
        dibujarMuestraSerie(s, indice, 1, 7, 26, 4);
    }
    return QIcon(QPixmap::fromImage(imagen));
}

// Figures are padded to a width; a right-aligned cell needs no blanks.
QString cifra(const std::string& texto) {
    return aQString(texto).trimmed();
}

// Which of another company's profiles join the comparison: a list to pick
// one or more from.
class TfrmElegirPerfiles : public QDialog {
public:
    TfrmElegirPerfiles(const TKoral& otra, QWidget* padre) : QDialog(padre) {
        setObjectName("frmElegirPerfiles");
        setWindowTitle(QString::fromUtf8("Añadir de otra empresa"));
        auto* rotulo = new QLabel("&Perfiles de " + aQString(otra.nombre) + ":", this);
        lista = new QListWidget(this);
        lista->setObjectName("lstPerfilesOtra");
        lista->setSelectionMode(QAbstractItemView::ExtendedSelection);
        for (const auto& p : otra.perfiles) lista->addItem(aQString(p->nombre));
        lista->setCurrentRow(0);
        rotulo->setBuddy(lista);
        auto* ayuda = new QLabel(
            QString::fromUtf8("Varios a la vez: Mayús con las flechas, o Ctrl con las flechas "
                              "y la barra espaciadora."),
            this);
        ayuda->setWordWrap(true);
        auto* aceptar = new QPushButton("&Aceptar", this);
        auto* cancelar = new QPushButton("&Cancelar", this);
        aceptar->setObjectName("btnAceptar");
        cancelar->setObjectName("btnCancelar");
        aceptar->setDefault(true);
        connect(aceptar, &QPushButton::clicked, this, &QDialog::accept);
        connect(cancelar, &QPushButton::clicked, this, &QDialog::reject);
        connect(lista, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
        auto* botones = new QHBoxLayout;
        botones->addStretch(1);
        botones->addWidget(aceptar);
        botones->addWidget(cancelar);
        auto* capa = new QVBoxLayout(this);
        capa->addWidget(rotulo);
        capa->addWidget(lista, 1);
        capa->addWidget(ayuda);
        capa->addLayout(botones);
        resize(340, 320);
    }
    // The rows chosen, in list order.
    std::vector<int> elegidos() const {
        std::vector<int> filas;
        for (int i = 0; i < lista->count(); ++i)
            if (lista->item(i)->isSelected()) filas.push_back(i);
        return filas;
    }

private:
    QListWidget* lista;
};

}  // namespace

TfrmComparar::TfrmComparar(QWidget* parent) : QDialog(parent) {
    setObjectName("frmComparar");
    setWindowTitle("Comparar perfiles");
    imagen_ = QImage(kAnchoGrafico, kAltoGrafico, QImage::Format_RGB32);
    imagen_.fill(Qt::white);

    // Made in the order Tab visits them.
    QHBoxLayout* referencia = crearReferencia();
    QScrollArea* marcoGrafico = crearGrafico();
    crearTabla();

    auto* lblClave = new QLabel(
        QString::fromUtf8("En cada factor: la media, en negrita y con el color de su nivel; la "
                          "diferencia con el perfil de referencia; el porcentaje de sujetos en "
                          "cada nivel."),
        this);
    lblClave->setWordWrap(true);

    lblAnonimato = new QLabel(this);
    lblAnonimato->setObjectName("lblAnonimato");
    lblAnonimato->setWordWrap(true);
    lblAnonimato->setStyleSheet("QLabel { color: #B00000; font-weight: bold; }");
    lblAnonimato->hide();
    lblAnonimato->setFixedWidth(marcoGrafico->minimumWidth());

    QHBoxLayout* botones = crearBotones();

    auto* izquierda = new QVBoxLayout;
    izquierda->addWidget(marcoGrafico, 1);
    izquierda->addWidget(lblAnonimato);

    auto* derecha = new QVBoxLayout;
    derecha->addWidget(lblClave);
    derecha->addWidget(tblCifras, 1);

    auto* centro = new QHBoxLayout;
    centro->addLayout(izquierda);
    centro->addLayout(derecha, 1);

    auto* todo = new QVBoxLayout(this);
    todo->addLayout(referencia);
    todo->addLayout(centro, 1);
    todo->addLayout(botones);

    resize(1180, 640);
}

QHBoxLayout* TfrmComparar::crearReferencia() {
    auto* lblReferencia = new QLabel("Perfil de &referencia:", this);
    cbReferencia = new QComboBox(this);
    cbReferencia->setObjectName("cbReferencia");
    cbReferencia->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cbReferencia->setMinimumContentsLength(20);
    lblReferencia->setBuddy(cbReferencia);
    connect(cbReferencia, &QComboBox::currentIndexChanged, this, [this] { comparar(); });

    auto* referencia = new QHBoxLayout;
    referencia->addWidget(lblReferencia);
    referencia->addWidget(cbReferencia);
    referencia->addStretch(1);
    return referencia;
}

QScrollArea* TfrmComparar::crearGrafico() {
    imgGrafico = new QLabel;
    imgGrafico->setObjectName("Image1");
    imgGrafico->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* marcoGrafico = new QScrollArea(this);
    marcoGrafico->setWidget(imgGrafico);
    marcoGrafico->setWidgetResizable(true);
    marcoGrafico->setFocusPolicy(Qt::NoFocus);
    marcoGrafico->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    marcoGrafico->setFixedWidth(kAnchoGrafico + 2 * marcoGrafico->frameWidth() +
                                marcoGrafico->verticalScrollBar()->sizeHint().width());
    return marcoGrafico;
}

void TfrmComparar::crearTabla() {
    tblCifras = new QTableWidget(kFilas, 0, this);
    tblCifras->setObjectName("tblCifras");
    tblCifras->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblCifras->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tblCifras->setTabKeyNavigation(false);
    tblCifras->setWordWrap(false);
    // A long label shows its start; the whole of it is in the tool tip.
    tblCifras->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    tblCifras->horizontalHeader()->setTextElideMode(Qt::ElideRight);
    tblCifras->verticalHeader()->setDefaultSectionSize(tblCifras->fontMetrics().height() + 6);
    QStringList filas{QString::fromUtf8("Nº Sujetos"), "Sin respuesta",
                      aQString(kRotuloCasiEnBlanco)};
    for (int f = 0; f < kNumFactores; ++f) {
        const auto i = static_cast<std::size_t>(f);
        filas << aQString(std::string(kAbreviaturas[i]) + " " + kNombresFactorAcentuados[i])
              << "    Diferencia con la referencia" << QString::fromUtf8("    Nivel 1 (menos de 4)")
              << QString::fromUtf8("    Nivel 2 (de 4 a menos de 7)")
              << QString::fromUtf8("    Nivel 3 (7 o más)");
    }
    tblCifras->setVerticalHeaderLabels(filas);
    QFont negrita = tblCifras->font();
    negrita.setBold(true);
    for (int f = 0; f < kNumFactores; ++f) {
        const int fila = kFilasCabecera + f * kFilasPorFactor;
        tblCifras->verticalHeaderItem(fila)->setFont(negrita);
        for (int b = 0; b < 3; ++b)
            tblCifras->verticalHeaderItem(fila + 2 + b)->setIcon(cuadroBanda(b + 1));
    }
}

QHBoxLayout* TfrmComparar::crearBotones() {
    auto boton = [this](const char* texto, const char* nombre, void (TfrmComparar::*manejador)()) {
        auto* b = new QPushButton(QString::fromUtf8(texto), this);
        b->setObjectName(nombre);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, manejador);
        return b;
    };
    auto* btnCalcular = boton("Ca&lcular", "btnCalcular", &TfrmComparar::btnCalcularClick);
    btnImprimir = boton("&Imprimir", "btnImprimir", &TfrmComparar::btnImprimirClick);
    auto* btnCopiar = boton("&Copiar", "btnCopiar", &TfrmComparar::btnCopiarClick);
    auto* btnGuardarImagen =
        boton("&Guardar imagen ...", "btnGuardarImagen", &TfrmComparar::btnGuardarImagenClick);
    auto* btnAnadir =
        boton("&Añadir de otra empresa ...", "btnAnadir", &TfrmComparar::btnAnadirClick);
    auto* btnCerrar = new QPushButton("C&errar", this);
    btnCerrar->setObjectName("btnCerrar");
    btnCerrar->setAutoDefault(false);
    connect(btnCerrar, &QPushButton::clicked, this, &QDialog::reject);
    btnCopiar->setToolTip(QString::fromUtf8("Copiar el gráfico al portapapeles (Alt+C)"));
    btnAnadir->setToolTip(
        QString::fromUtf8("Perfiles de otro archivo de empresa, por ejemplo la evaluación de "
                          "un año anterior; ese archivo solo se lee (Alt+A)"));

    auto* botones = new QHBoxLayout;
    for (QPushButton* b : {btnCalcular, btnImprimir, btnCopiar, btnGuardarImagen, btnAnadir})
        botones->addWidget(b);
    botones->addStretch(1);
    botones->addWidget(btnCerrar);
    return botones;
}

TfrmComparar::~TfrmComparar() = default;

void TfrmComparar::compararPerfiles(TKoral& doc, const std::vector<TPerfil*>& perfiles) {
    {
        CursorOcupado ocupado;
        abrir(doc, perfiles);
    }
    exec();
    soltar();
}

void TfrmComparar::soltar() {
    // Nothing kept points into a company once the window is closed.
    perfiles_.clear();
    calculos_.clear();
    otras_.clear();
    leidos_.clear();
    comparacion_ = {};
    doc_ = nullptr;
    const QSignalBlocker quieto(cbReferencia);
    cbReferencia->clear();
}

void TfrmComparar::abrir(TKoral& doc, const std::vector<TPerfil*>& perfiles) {
    soltar();
    doc_ = &doc;
    setWindowTitle("Comparar perfiles <" + aQString(doc.nombre) + ">");
    btnImprimir->setEnabled(bool(imprimir));
    for (TPerfil* p : perfiles) {
        if (!p) continue;
        perfiles_.push_back({p->nombre, p, false});
        calculos_.push_back({&doc, p});
    }
    // The chart tells apart no more.
    if (perfiles_.size() > kMaxPerfilesComparados) {
        perfiles_.resize(kMaxPerfilesComparados);
        calculos_.resize(kMaxPerfilesComparados);
        Mensaje(std::string(kDemasiadosPerfiles) + " Se muestran los " +
                std::to_string(kMaxPerfilesComparados) + " primeros.");
    }
    const QSignalBlocker quieto(cbReferencia);
    for (const TPerfilComparado& p : perfiles_) cbReferencia->addItem(aQString(p.etiqueta));
    cbReferencia->setCurrentIndex(static_cast<int>(referenciaPorDefecto(perfiles_)));
    btnCalcularClick();
}

void TfrmComparar::btnCalcularClick() {
    CursorOcupado ocupado;
    for (const auto& [documento, perfil] : calculos_) calcularPerfil(*documento, *perfil);
    comparar();
}

void TfrmComparar::comparar() {
    const int referencia = std::max(0, cbReferencia->currentIndex());
    comparacion_ = koral::compararPerfiles(perfiles_, static_cast<std::size_t>(referencia), minimo);
    dibujarGrafico();
    llenarTabla();
    QString avisos;
    const auto avisar = [&avisos](const char* aviso, const std::string& etiqueta) {
        avisos += (avisos.isEmpty() ? "" : "\n") + aQString(aviso);
        if (!etiqueta.empty()) avisos += " (" + aQString(etiqueta) + ")";
    };
    if (!comparacion_.perfiles.empty() &&
        comparacion_.perfiles[comparacion_.referencia].sinCuestionarios())
        avisar(kReferenciaSinCuestionarios, {});
    else if (!comparacion_.perfiles.empty() &&
             comparacion_.perfiles[comparacion_.referencia].retenido)
        avisar(kReferenciaRetenida, {});
    for (const CifrasPerfil& p : comparacion_.perfiles) {
        if (p.identificable) avisar(kAvisoAnonimato, p.etiqueta);
        if (p.muchasSinRespuesta) avisar(kAvisoSinRespuesta, p.etiqueta);
    }
    lblAnonimato->setText(avisos);
    lblAnonimato->setVisible(!avisos.isEmpty());
}

void TfrmComparar::dibujarGrafico() {
    const QString familia = QApplication::font().family();
    int leyenda = 0;
    {
        // Measured in the face and resolution the picture will have.
        QImage medida(1, 1, QImage::Format_RGB32);
        SuperficieQt s(medida, familia);
        leyenda = altoLeyendaComparacion(comparacion_, s, kAnchoGrafico);
    }
    imagen_ = QImage(kAnchoGrafico, kAltoGrafico + leyenda, QImage::Format_RGB32);
    imagen_.fill(Qt::white);
    {
        SuperficieQt s(imagen_, familia);
        dibujarGraficoComparacion(comparacion_, s, {0, 0, imagen_.width(), imagen_.height()});
    }
    imgGrafico->setPixmap(QPixmap::fromImage(imagen_));
    imgGrafico->setFixedSize(imagen_.size());
}

void TfrmComparar::llenarTabla() {
    const char separador = separadorDecimal();
    const auto& perfiles = comparacion_.perfiles;
    tblCifras->clearContents();
    tblCifras->setColumnCount(static_cast<int>(perfiles.size()));
    QFont negrita = tblCifras->font();
    negrita.setBold(true);
    QFont cursiva = tblCifras->font();
    cursiva.setItalic(true);
    auto poner = [this](int fila, int columna, const QString& texto) {
        auto* item = new QTableWidgetItem(texto);
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        tblCifras->setItem(fila, columna, item);
        return item;
    };
    for (std::size_t i = 0; i < perfiles.size(); ++i) {
        const CifrasPerfil& p = perfiles[i];
        const int c = static_cast<int>(i);
        const QString titulo = aQString(p.etiqueta);
        auto* cabecera = new QTableWidgetItem(muestraSerie(i), titulo);
        if (i == comparacion_.referencia) {
            cabecera->setFont(negrita);
            cabecera->setToolTip(titulo + " (referencia)");
        } else {
            cabecera->setToolTip(titulo);
        }
        tblCifras->setHorizontalHeaderItem(c, cabecera);
        poner(0, c, QString::number(p.nSujetos));
        for (std::size_t f = 0; f < kNumFactores; ++f) {
            const int fila = kFilasCabecera + static_cast<int>(f) * kFilasPorFactor;
            if (i == comparacion_.referencia) poner(fila + 1, c, "referencia")->setFont(cursiva);
            // No one counted, or too few: no figures at all.
            if (p.sinCifras()) {
                poner(fila, c,
                      aQString(p.retenido ? textoRetenido(comparacion_.minimo) : kSinCuestionarios))
                    ->setFont(cursiva);
                continue;
            }
            auto* media = poner(fila, c, cifra(textoMedia(p.medias[f], separador)));
            media->setFont(negrita);
            media->setIcon(cuadroBanda(bandaDeMedia(p.medias[f])));
            if (p.conDiferencias)
                poner(fila + 1, c, cifra(textoDiferencia(p.diferencias[f], separador)));
            for (std::size_t b = 0; b < 3; ++b)
                poner(fila + 2 + static_cast<int>(b), c,
                      cifra(textoBanda(p.bandas[f][b], separador)));
        }
        if (p.sinCifras()) continue;
        poner(1, c, cifra(sinBlancosIniciales(p.sinRespuesta)));
        poner(2, c, QString::number(p.nCasiEnBlanco));
    }
    tblCifras->resizeColumnsToContents();
    for (int c = 0; c < tblCifras->columnCount(); ++c)
        tblCifras->setColumnWidth(c, std::clamp(tblCifras->columnWidth(c), 90, 140));
}

void TfrmComparar::btnImprimirClick() {
    if (!doc_ || !imprimir) return;
    imprimir(comparacion_, doc_->nombre, leidos_);
}

void TfrmComparar::btnCopiarClick() {
    QApplication::clipboard()->setImage(imagen_);
}

void TfrmComparar::btnGuardarImagenClick() {
    if (!doc_) return;
    std::vector<std::string> leidos = leidos_;
    leidos.push_back(doc_->archivo);
    guardarImagenGrafico(
        imagen_,
        [this](Superficie& s) {
            dibujarGraficoComparacion(comparacion_, s, {0, 0, s.ancho(), s.alto()});
        },
        leidos);
}

TKoral* TfrmComparar::otraEmpresa(const std::string& ruta) {
    // A file read before is not read again: its profiles are the ones shown.
    for (std::size_t i = 0; i < leidos_.size(); ++i)
        if (leidos_[i] == ruta) return otras_[i].get();
    if (!archivos().existe(ruta)) {
        Mensaje("Lo siento. No encuentro el archivo");
        return nullptr;
    }
    // A FIFO or a device could keep the reading waiting for ever.
    if (archivos().tipo(ruta) != TipoArchivo::regular) {
        Mensaje(mensajeNoNormal(ruta));
        return nullptr;
    }
    // Only read: no lock taken, and the document is never saved.
    auto leida = std::make_unique<TKoral>([](const std::string& t) { Mensaje(t); });
    try {
        TAvisosLectura::Lectura lectura;
        CursorOcupado ocupado;
        ProgresoLargo progreso("Abriendo la empresa", ruta, "dlgAbriendo", true, this);
        leida->leerArchivo(ruta, [&progreso](std::size_t leidos, std::size_t total) {
            return progreso.avance(leidos, total);
        });
    } catch (const LecturaCancelada&) {
        return nullptr;  // the user's own choice: nothing to say
    } catch (const ErrorArchivo& e) {
        Mensaje(std::string(e.what()) + "\nNo se ha añadido ningún perfil."_cp);
        return nullptr;
    }
    if (leida->perfiles.empty()) {
        Mensaje("El archivo " + textoMostrable(ruta) + " no tiene perfiles.");
        return nullptr;
    }
    otras_.push_back(std::move(leida));
    leidos_.push_back(ruta);
    return otras_.back().get();
}

void TfrmComparar::btnAnadirClick() {
    if (!doc_) return;
    if (perfiles_.size() >= kMaxPerfilesComparados) {
        Mensaje(kDemasiadosPerfiles);
        return;
    }
    TDialogoArchivo dlg;
    dlg.titulo = "Añadir de otra empresa"_cp;
    dlg.filtro = "Archivos KORAL 2.0|*.kr2|Cualquier archivo|*.*";
    dlg.extensionDefecto = "kr2";
    // An earlier year's file is most likely kept beside this one.
    if (const auto barra = doc_->archivo.rfind('/'); barra != std::string::npos)
        dlg.nombreArchivo = doc_->archivo.substr(0, barra + 1);
    if (!ejecutorDialogos().abrir(dlg)) return;
    TKoral* otra = otraEmpresa(dlg.nombreArchivo);
    if (!otra) return;

    TfrmElegirPerfiles elegir(*otra, this);
    if (elegir.exec() != QDialog::Accepted) return;
    bool anadido = false;
    for (int fila : elegir.elegidos()) {
        TPerfil* p = otra->perfiles[static_cast<std::size_t>(fila)].get();
        const bool ya = std::any_of(perfiles_.begin(), perfiles_.end(),
                                    [p](const TPerfilComparado& c) { return c.perfil == p; });
        if (ya) continue;
        if (perfiles_.size() >= kMaxPerfilesComparados) {
            Mensaje(kDemasiadosPerfiles);
            break;
        }
        {
            CursorOcupado ocupado;
            calcularPerfil(*otra, *p);
        }
        perfiles_.push_back({etiquetaOtraEmpresa(*otra, *p), p, true});
        calculos_.push_back({otra, p});
        const QSignalBlocker quieto(cbReferencia);
        cbReferencia->addItem(aQString(perfiles_.back().etiqueta));
        anadido = true;
    }
    if (anadido) comparar();
}

}  // namespace koral
