#include "ui/UDatosEvaluacion.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "document/Acompanante.h"
#include "document/Instrumento.h"
#include "document/UData.h"
#include "platform/Dialogos.h"
#include "platform/Fecha.h"
#include "platform/Texto.h"
#include "platform/qt/TextoQt.h"
#include "ui/CajaTexto.h"

namespace koral {

namespace {

constexpr int kMaximoTrabajadores = 10'000'000;

QDate aQDate(double dia) {
    const auto c = fechaCivil(dia);
    return c ? QDate(c->anio, c->mes, c->dia) : QDate();
}

QString textoFecha(double dia) {
    const QDate d = aQDate(dia);
    return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QString();
}

std::string deLinea(const QLineEdit* campo) {
    std::string cp;
    deQString(campo->text(), cp);  // the validator lets in nothing else
    return cp;
}

QLineEdit* linea(const char* nombre, QWidget* padre) {
    auto* campo = new QLineEdit(padre);
    campo->setObjectName(nombre);
    campo->setValidator(new ValidadorCp1252(campo));
    return campo;
}

QPlainTextEdit* caja(const char* nombre, QWidget* padre, int lineas = 0) {
    auto* c = new TMemo(padre);
    c->setObjectName(nombre);
    // Tab moves on, as in every other field of the window.
    c->setTabChangesFocus(true);
    if (lineas > 0) c->setFixedHeight(c->fontMetrics().lineSpacing() * lineas + 12);
    return c;
}

QLabel* rotulo(const QString& texto, QWidget* campo, QWidget* padre) {
    auto* l = new QLabel(texto, padre);
    l->setBuddy(campo);
    return l;
}

QString porcentaje(std::size_t parte, int total) {
    if (total <= 0) return {};
    return QLocale().toString(100.0 * static_cast<double>(parte) / total, 'f', 1) + " %";
}

// Workers per group: blank while not given, 0 to clear it.
class DelegadoTrabajadores : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* padre, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* sp = new QSpinBox(padre);
        sp->setRange(0, kMaximoTrabajadores);
        sp->setFrame(false);
        return sp;
    }
    QString displayText(const QVariant& valor, const QLocale& l) const override {
        return valor.toInt() > 0 ? l.toString(valor.toInt()) : QString();
    }
};

enum ColumnaPlantilla { cGrupo, cCuestionarios, cTrabajadores, cParticipacion };
enum ColumnaMedida { mPrioridad, mMedida, mResponsable, mFin, mEstado };

}  // namespace

// --- TCampoFecha ---

TCampoFecha::TCampoFecha(const QString& rotulo, const char* nombre, QWidget* padre)
    : QWidget(padre) {
    setObjectName(nombre);
    auto* fila = new QHBoxLayout(this);
    fila->setContentsMargins(0, 0, 0, 0);
    casilla_ = new QCheckBox(rotulo, this);
    casilla_->setObjectName(QString::fromLatin1(nombre) + "Dada");
    fecha_ = new QDateEdit(this);
    fecha_->setObjectName(QString::fromLatin1(nombre) + "Dia");
    fecha_->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
    fecha_->setCalendarPopup(true);
    fecha_->setDateRange(QDate(1900, 1, 1), QDate(9999, 12, 31));
    fecha_->setEnabled(false);
    fila->addWidget(casilla_);
    fila->addWidget(fecha_);
    fila->addStretch(1);
    setFocusProxy(casilla_);
    connect(casilla_, &QCheckBox::toggled, this, [this](bool dada) {
        fecha_->setEnabled(dada);
        // Ticked to give a date: the date is typed next.
        if (dada && casilla_->hasFocus()) fecha_->setFocus();
        emit cambiado();
    });
    connect(fecha_, &QDateEdit::dateChanged, this, &TCampoFecha::cambiado);
}

double TCampoFecha::valor() const {
    if (!casilla_->isChecked()) return 0;
    const QDate d = fecha_->date();
    return fechaDeCivil(d.year(), d.month(), d.day());
}

void TCampoFecha::poner(double dia) {
    const QSignalBlocker b1(casilla_), b2(fecha_);
    const QDate d = aQDate(dia);
    casilla_->setChecked(d.isValid());
    fecha_->setEnabled(d.isValid());
    // With none, ticking offers today.
    fecha_->setDate(d.isValid() ? d : aQDate(fechaHoy()));
}

// --- The window ---

TfrmDatosEvaluacion::TfrmDatosEvaluacion(QWidget* parent) : QDialog(parent) {
    setObjectName("frmDatosEvaluacion");
    setWindowTitle(QString::fromUtf8("Datos de la evaluación"));

    paginas = new QTabWidget(this);
    paginas->setObjectName("PageControl1");
    paginas->addTab(crearIdentificacion(), QString::fromUtf8("&Identificación"));
    paginas->addTab(crearAlcance(), QString::fromUtf8("Alcance y &método"));
    paginas->addTab(crearPlantilla(), QString::fromUtf8("&Plantilla"));
    paginas->addTab(crearResultados(), QString::fromUtf8("&Resultados"));
    paginas->addTab(crearMedidas(), QString::fromUtf8("M&edidas"));

    auto* btnAceptar = new QPushButton("&Aceptar", this);
    btnAceptar->setObjectName("btnAceptar");
    btnAceptar->setAutoDefault(false);
    // Enter belongs to the text boxes and the tables: Ctrl+Enter accepts.
    btnAceptar->setToolTip("Aceptar (Ctrl+Intro)");
    connect(btnAceptar, &QPushButton::clicked, this, &TfrmDatosEvaluacion::btnAceptarClick);
    for (const QKeySequence& tecla :
         {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        connect(new QShortcut(tecla, this), &QShortcut::activated, this,
                &TfrmDatosEvaluacion::btnAceptarClick);
    auto* btnCancelar = new QPushButton("&Cancelar", this);
    btnCancelar->setObjectName("btnCancelar");
    btnCancelar->setAutoDefault(false);
    connect(btnCancelar, &QPushButton::clicked, this, &QDialog::reject);

    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(new QLabel("(Ctrl+Intro)", this));
    botones->addWidget(btnAceptar);
    botones->addWidget(btnCancelar);
    auto* capa = new QVBoxLayout(this);
    capa->addWidget(paginas, 1);
    capa->addLayout(botones);
    resize(760, 560);
}

TfrmDatosEvaluacion::~TfrmDatosEvaluacion() = default;

QWidget* TfrmDatosEvaluacion::crearIdentificacion() {
    auto* p = new QWidget;
    auto* f = new QFormLayout(p);
    txtEmpresa = new QLineEdit(p);
    txtEmpresa->setObjectName("txtEmpresa");
    txtEmpresa->setReadOnly(true);
    txtEmpresa->setFocusPolicy(Qt::NoFocus);  // the company's name is changed elsewhere
    f->addRow("Empresa:", txtEmpresa);
    txtCif = linea("txtCif", p);
    f->addRow(rotulo("CI&F:", txtCif, p), txtCif);
    txtCentros = linea("txtCentros", p);
    f->addRow(rotulo("Centros de &trabajo:", txtCentros, p), txtCentros);
    txtActividad = linea("txtActividad", p);
    f->addRow(rotulo("Acti&vidad:", txtActividad, p), txtActividad);
    txtEvaluador = linea("txtEvaluador", p);
    f->addRow(rotulo("&Nombre del evaluador:", txtEvaluador, p), txtEvaluador);
    txtTitulacion = linea("txtTitulacion", p);
    f->addRow(rotulo(QString::fromUtf8("Titu&lación:"), txtTitulacion, p), txtTitulacion);
    txtServicio = linea("txtServicio", p);
    f->addRow(rotulo(QString::fromUtf8("&Servicio de prevención:"), txtServicio, p), txtServicio);
    fecInforme = new TCampoFecha("Fec&ha del informe", "fecInforme", p);
    f->addRow(fecInforme);
    return p;
}

QWidget* TfrmDatosEvaluacion::crearAlcance() {
    auto* p = new QWidget;
    auto* f = new QFormLayout(p);
    mmObjeto = caja("mmObjeto", p, 4);
    f->addRow(rotulo("&Objeto y alcance:", mmObjeto, p), mmObjeto);
    fecDesde = new TCampoFecha("Trabajo de campo &desde", "fecDesde", p);
    fecHasta = new TCampoFecha("has&ta", "fecHasta", p);
    auto* campo = new QHBoxLayout;
    campo->addWidget(fecDesde);
    campo->addWidget(fecHasta);
    campo->addStretch(1);
    f->addRow(campo);
    cbAplicacion = new QComboBox(p);
    cbAplicacion->setObjectName("cbAplicacion");
    for (Aplicacion a :
         {Aplicacion::NoConsta, Aplicacion::Papel, Aplicacion::Red, Aplicacion::Ambos})
        cbAplicacion->addItem(a == Aplicacion::NoConsta ? QStringLiteral("Sin indicar")
                                                        : aQString(textoAplicacion(a)),
                              static_cast<int>(a));
    f->addRow(rotulo(QString::fromUtf8("&Forma de aplicación:"), cbAplicacion, p), cbAplicacion);
    mmRepresentantes = caja("mmRepresentantes", p, 3);
    f->addRow(
        rotulo(QString::fromUtf8("Participación de los representa&ntes:"), mmRepresentantes, p),
        mmRepresentantes);
    mmMetodo = caja("mmMetodo", p);
    f->addRow(rotulo(QString::fromUtf8("De&scripción del método:"), mmMetodo, p), mmMetodo);
    return p;
}

QWidget* TfrmDatosEvaluacion::crearPlantilla() {
    auto* p = new QWidget;
    auto* capa = new QVBoxLayout(p);
    auto* fila = new QHBoxLayout;
    spTrabajadores = new QSpinBox(p);
    spTrabajadores->setObjectName("spTrabajadores");
    spTrabajadores->setRange(0, kMaximoTrabajadores);
    spTrabajadores->setSpecialValueText("Sin indicar");
    fila->addWidget(rotulo("&Trabajadores de la empresa:", spTrabajadores, p));
    fila->addWidget(spTrabajadores);
    lblParticipacion = new QLabel(p);
    lblParticipacion->setObjectName("lblParticipacion");
    fila->addWidget(lblParticipacion, 1);
    capa->addLayout(fila);

    tblPlantilla = new QTableWidget(0, 4, p);
    tblPlantilla->setObjectName("tblPlantilla");
    tblPlantilla->setHorizontalHeaderLabels(
        {"Grupo", "Cuestionarios", "Trabajadores", QString::fromUtf8("Participación")});
    tblPlantilla->horizontalHeader()->setSectionResizeMode(cGrupo, QHeaderView::Stretch);
    tblPlantilla->verticalHeader()->hide();
    tblPlantilla->setItemDelegateForColumn(cTrabajadores, new DelegadoTrabajadores(tblPlantilla));
    tblPlantilla->setEditTriggers(QAbstractItemView::AnyKeyPressed |
                                  QAbstractItemView::DoubleClicked |
                                  QAbstractItemView::EditKeyPressed);
    tblPlantilla->setTabKeyNavigation(false);
    capa->addWidget(
        rotulo(QString::fromUtf8("&Grupos (trabajadores de cada uno):"), tblPlantilla, p));
    capa->addWidget(tblPlantilla, 1);
    connect(spTrabajadores, &QSpinBox::valueChanged, this,
            &TfrmDatosEvaluacion::refrescarParticipacion);
    connect(tblPlantilla, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* i) {
        if (!cargando_ && i->column() == cTrabajadores) refrescarParticipacion();
    });
    return p;
}

QWidget* TfrmDatosEvaluacion::crearResultados() {
    auto* p = new QWidget;
    auto* capa = new QHBoxLayout(p);
    auto* izquierda = new QVBoxLayout;
    lstPerfiles = new QListWidget(p);
    lstPerfiles->setObjectName("lstPerfiles");
    izquierda->addWidget(rotulo("Perfi&les:", lstPerfiles, p));
    izquierda->addWidget(lstPerfiles, 1);
    capa->addLayout(izquierda, 1);

    auto* derecha = new QVBoxLayout;
    mmDiscusion = caja("mmDiscusion", p);
    derecha->addWidget(rotulo(QString::fromUtf8("&Discusión:"), mmDiscusion, p));
    derecha->addWidget(mmDiscusion, 1);
    mmConclusiones = caja("mmConclusiones", p);
    derecha->addWidget(rotulo("C&onclusiones:", mmConclusiones, p));
    derecha->addWidget(mmConclusiones, 1);
    auto* minimo = new QHBoxLayout;
    spMinimo = new QSpinBox(p);
    spMinimo->setObjectName("spMinimo");
    spMinimo->setRange(1, 1000);
    minimo->addWidget(rotulo(QString::fromUtf8("Mí&nimo de personas por perfil:"), spMinimo, p));
    minimo->addWidget(spMinimo);
    minimo->addStretch(1);
    derecha->addLayout(minimo);
    auto* explicacion = new QLabel(
        QString::fromUtf8("Los perfiles con menos personas que este mínimo se imprimen sin sus "
                          "resultados, para que nadie pueda ser reconocido. Con 1 se muestran "
                          "todos."),
        p);
    explicacion->setWordWrap(true);
    derecha->addWidget(explicacion);
    capa->addLayout(derecha, 2);

    connect(lstPerfiles, &QListWidget::currentRowChanged, this, [this](int fila) {
        guardarResultado();
        mostrarResultado(fila);
    });
    return p;
}

QWidget* TfrmDatosEvaluacion::crearMedidas() {
    auto* p = new QWidget;
    auto* capa = new QVBoxLayout(p);

    tblMedidas = new QTableWidget(0, 5, p);
    tblMedidas->setObjectName("tblMedidas");
    tblMedidas->setHorizontalHeaderLabels({"Prioridad", "Medida", "Responsable", "Fin", "Estado"});
    tblMedidas->horizontalHeader()->setSectionResizeMode(mMedida, QHeaderView::Stretch);
    tblMedidas->verticalHeader()->hide();
    tblMedidas->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblMedidas->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblMedidas->setSelectionMode(QAbstractItemView::SingleSelection);
    tblMedidas->setTabKeyNavigation(false);
    // One line a measure: the form below shows it whole.
    tblMedidas->setWordWrap(false);
    tblMedidas->setMaximumHeight(150);
    auto* fila = new QHBoxLayout;
    fila->addWidget(tblMedidas, 1);
    auto* botones = new QVBoxLayout;
    auto boton = [&](const char* texto, const char* nombre, auto manejador) {
        auto* b = new QPushButton(texto, p);
        b->setObjectName(nombre);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, manejador);
        botones->addWidget(b);
    };
    boton("&Nueva medida", "btnNuevaMedida", [this] { nuevaMedida(); });
    boton("&Quitar", "btnQuitarMedida", [this] { quitarMedida(); });
    boton("S&ubir", "btnSubirMedida", [this] { moverMedida(-1); });
    boton("Ba&jar", "btnBajarMedida", [this] { moverMedida(1); });
    botones->addStretch(1);
    fila->addLayout(botones);
    capa->addLayout(fila);

    frmMedida = new QWidget(p);
    frmMedida->setObjectName("frmMedida");
    auto* rejilla = new QGridLayout(frmMedida);
    rejilla->setContentsMargins(0, 0, 0, 0);
    auto* factores = new QGroupBox("Factores", frmMedida);
    auto* listaFactores = new QVBoxLayout(factores);
    listaFactores->setSpacing(0);
    // The factors as a sentence names them (the reports' headings are capitals).
    static const char* const kNombres[kNumFactores] = {
        "Carga mental",          "Autonomía temporal",
        "Contenido del trabajo", "Supervisión-participación",
        "Definición de rol",     "Interés por el trabajador",
        "Relaciones personales"};
    for (int f = 0; f < kNumFactores; ++f) {
        auto* c = new QCheckBox("&" + QString::number(f + 1) + " " + QString::fromUtf8(kNombres[f]),
                                factores);
        c->setObjectName("chkFactor" + QString::number(f + 1));
        listaFactores->addWidget(c);
        chkFactores.push_back(c);
        connect(c, &QCheckBox::toggled, this, &TfrmDatosEvaluacion::guardarMedida);
    }
    rejilla->addWidget(factores, 0, 0, 4, 1);
    lstPerfilesMedida = new QListWidget(frmMedida);
    lstPerfilesMedida->setObjectName("lstPerfilesMedida");
    rejilla->addWidget(rotulo("Perfi&les:", lstPerfilesMedida, frmMedida), 4, 0);
    rejilla->addWidget(lstPerfilesMedida, 5, 0, 3, 1);
    connect(lstPerfilesMedida, &QListWidget::itemChanged, this,
            &TfrmDatosEvaluacion::guardarMedida);

    auto* campos = new QFormLayout;
    mmMedida = caja("mmMedida", frmMedida, 3);
    campos->addRow(rotulo("Me&dida:", mmMedida, frmMedida), mmMedida);
    cbPrioridad = new QComboBox(frmMedida);
    cbPrioridad->setObjectName("cbPrioridad");
    for (Prioridad pr : {Prioridad::Alta, Prioridad::Media, Prioridad::Baja})
        cbPrioridad->addItem(aQString(textoPrioridad(pr)), static_cast<int>(pr));
    campos->addRow(rotulo("Pri&oridad:", cbPrioridad, frmMedida), cbPrioridad);
    txtResponsable = linea("txtResponsable", frmMedida);
    campos->addRow(rotulo("Responsa&ble:", txtResponsable, frmMedida), txtResponsable);
    txtRecursos = linea("txtRecursos", frmMedida);
    campos->addRow(rotulo("Recur&sos:", txtRecursos, frmMedida), txtRecursos);
    fecInicio = new TCampoFecha("Fec&ha de inicio", "fecInicio", frmMedida);
    fecFin = new TCampoFecha("Fecha de &fin", "fecFin", frmMedida);
    auto* fechas = new QHBoxLayout;
    fechas->addWidget(fecInicio);
    fechas->addWidget(fecFin);
    campos->addRow(fechas);
    cbEstado = new QComboBox(frmMedida);
    cbEstado->setObjectName("cbEstado");
    for (EstadoMedida e : {EstadoMedida::Pendiente, EstadoMedida::EnCurso, EstadoMedida::Hecha})
        cbEstado->addItem(aQString(textoEstado(e)), static_cast<int>(e));
    lblHecha = new QLabel(frmMedida);
    lblHecha->setObjectName("lblHecha");
    auto* estado = new QHBoxLayout;
    estado->addWidget(cbEstado);
    estado->addWidget(lblHecha, 1);
    campos->addRow(rotulo("Es&tado:", cbEstado, frmMedida), estado);
    mmSeguimiento = caja("mmSeguimiento", frmMedida, 3);
    campos->addRow(rotulo("Se&guimiento:", mmSeguimiento, frmMedida), mmSeguimiento);
    rejilla->addLayout(campos, 0, 1, 8, 1);
    rejilla->setColumnStretch(1, 1);
    capa->addWidget(frmMedida, 1);

    fecProxima = new TCampoFecha(QString::fromUtf8("Próxima e&valuación"), "fecProxima", p);
    capa->addWidget(fecProxima);

    connect(mmMedida, &QPlainTextEdit::textChanged, this, &TfrmDatosEvaluacion::guardarMedida);
    connect(mmSeguimiento, &QPlainTextEdit::textChanged, this, &TfrmDatosEvaluacion::guardarMedida);
    connect(txtResponsable, &QLineEdit::textChanged, this, &TfrmDatosEvaluacion::guardarMedida);
    connect(txtRecursos, &QLineEdit::textChanged, this, &TfrmDatosEvaluacion::guardarMedida);
    connect(cbPrioridad, &QComboBox::currentIndexChanged, this,
            &TfrmDatosEvaluacion::guardarMedida);
    connect(cbEstado, &QComboBox::currentIndexChanged, this, &TfrmDatosEvaluacion::guardarMedida);
    connect(fecInicio, &TCampoFecha::cambiado, this, &TfrmDatosEvaluacion::guardarMedida);
    connect(fecFin, &TCampoFecha::cambiado, this, &TfrmDatosEvaluacion::guardarMedida);
    connect(tblMedidas, &QTableWidget::currentCellChanged, this,
            [this](int fila) { mostrarMedida(fila); });
    return p;
}

// --- Opening ---

void TfrmDatosEvaluacion::abrir(const TKoral& doc, const TDatosEvaluacion& datos) {
    doc_ = &doc;
    abierto_ = datos;
    cargando_ = true;

    txtEmpresa->setText(aQString(doc.nombre));
    txtCif->setText(aQString(datos.cif));
    txtCentros->setText(aQString(datos.centros));
    txtActividad->setText(aQString(datos.actividad));
    txtEvaluador->setText(aQString(datos.evaluador));
    txtTitulacion->setText(aQString(datos.titulacion));
    txtServicio->setText(aQString(datos.servicioPrevencion));
    fecInforme->poner(datos.fechaInforme);

    // The default texts are offered until the assessor writes their own.
    mmObjeto->setPlainText(aCaja(datos.objeto.empty() ? textoObjetoPorDefecto(doc) : datos.objeto));
    fecDesde->poner(datos.trabajoDesde);
    fecHasta->poner(datos.trabajoHasta);
    cbAplicacion->setCurrentIndex(cbAplicacion->findData(static_cast<int>(datos.aplicacion)));
    mmRepresentantes->setPlainText(aCaja(datos.representantes));
    mmMetodo->setPlainText(aCaja(datos.metodo.empty() ? textoMetodoPorDefecto() : datos.metodo));

    spTrabajadores->setValue(std::clamp(datos.trabajadores, 0, kMaximoTrabajadores));
    llenarPlantilla();

    resultados_.clear();
    resultadoActual_ = -1;
    lstPerfiles->clear();
    for (const auto& perfil : doc.perfiles) {
        const TResultadoPerfil* r = datos.resultado(perfil->nombre);
        resultados_.push_back(r ? *r : TResultadoPerfil{perfil->nombre, {}, {}});
        lstPerfiles->addItem(aQString(perfil->nombre));
    }
    mmDiscusion->clear();
    mmConclusiones->clear();
    spMinimo->setValue(std::clamp(datos.minimo, 1, 1000));

    medidas_ = datos.medidas;
    medidaActual_ = -1;
    tblMedidas->setRowCount(static_cast<int>(medidas_.size()));
    for (int i = 0; i < tblMedidas->rowCount(); ++i) refrescarFilaMedida(i);
    fecProxima->poner(datos.proximaEvaluacion);
    cargando_ = false;

    if (!resultados_.empty()) lstPerfiles->setCurrentRow(0);
    mostrarResultado(lstPerfiles->currentRow());
    if (!medidas_.empty()) tblMedidas->setCurrentCell(0, mMedida);
    mostrarMedida(tblMedidas->currentRow());
    paginas->setCurrentIndex(0);
    txtCif->setFocus();
}

void TfrmDatosEvaluacion::llenarPlantilla() {
    tblPlantilla->setRowCount(static_cast<int>(doc_->grupos.size()));
    int fila = 0;
    for (const auto& g : doc_->grupos) {
        auto fija = [&](int columna, const QVariant& valor) {
            auto* i = new QTableWidgetItem;
            i->setData(Qt::DisplayRole, valor);
            i->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            tblPlantilla->setItem(fila, columna, i);
            return i;
        };
        fija(cGrupo, aQString(g->nombre));
        fija(cCuestionarios, static_cast<int>(g->cuestionarios.size()))
            ->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        auto* t = fija(cTrabajadores, std::max(abierto_.trabajadoresGrupo(g->nombre), 0));
        t->setFlags(t->flags() | Qt::ItemIsEditable);
        t->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        fija(cParticipacion, QString())->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        ++fila;
    }
    if (fila > 0) tblPlantilla->setCurrentCell(0, cTrabajadores);
    refrescarParticipacion();
}

void TfrmDatosEvaluacion::refrescarParticipacion() {
    if (!doc_) return;
    const QString total = porcentaje(doc_->cuestionarios.size(), spTrabajadores->value());
    lblParticipacion->setText(total.isEmpty() ? QString()
                                              : QString::fromUtf8("Participación: ") + total);
    const bool antes = cargando_;
    cargando_ = true;
    for (int fila = 0; fila < tblPlantilla->rowCount(); ++fila) {
        const std::size_t n = doc_->grupos[static_cast<std::size_t>(fila)]->cuestionarios.size();
        tblPlantilla->item(fila, cParticipacion)
            ->setText(porcentaje(
                n, tblPlantilla->item(fila, cTrabajadores)->data(Qt::DisplayRole).toInt()));
    }
    cargando_ = antes;
}

// --- Resultados ---

void TfrmDatosEvaluacion::guardarResultado() {
    if (resultadoActual_ < 0) return;
    TResultadoPerfil& r = resultados_[static_cast<std::size_t>(resultadoActual_)];
    r.discusion = textoGuardado(mmDiscusion);
    r.conclusiones = textoGuardado(mmConclusiones);
}

void TfrmDatosEvaluacion::mostrarResultado(int fila) {
    resultadoActual_ = fila;
    const bool hay = fila >= 0;
    mmDiscusion->setEnabled(hay);
    mmConclusiones->setEnabled(hay);
    const TResultadoPerfil vacio;
    const TResultadoPerfil& r = hay ? resultados_[static_cast<std::size_t>(fila)] : vacio;
    mmDiscusion->setPlainText(aCaja(r.discusion));
    mmConclusiones->setPlainText(aCaja(r.conclusiones));
}

// --- Medidas ---

void TfrmDatosEvaluacion::refrescarFilaMedida(int fila) {
    const TMedida& m = medidas_[static_cast<std::size_t>(fila)];
    auto poner = [&](int columna, const QString& texto) {
        QTableWidgetItem* i = tblMedidas->item(fila, columna);
        if (!i) {
            i = new QTableWidgetItem;
            tblMedidas->setItem(fila, columna, i);
        }
        i->setText(texto);
    };
    poner(mPrioridad, aQString(textoPrioridad(m.prioridad)));
    // One line of the measure: the table is its index, the form below its whole.
    poner(mMedida, aQString(m.medida.substr(0, m.medida.find_first_of("\r\n"))));
    poner(mResponsable, aQString(m.responsable));
    poner(mFin, textoFecha(m.fin));
    poner(mEstado, aQString(textoEstado(m.estado)));
}

void TfrmDatosEvaluacion::mostrarMedida(int fila) {
    medidaActual_ = fila;
    const bool hay = fila >= 0 && fila < static_cast<int>(medidas_.size());
    frmMedida->setEnabled(hay);
    const TMedida vacia;
    const TMedida& m = hay ? medidas_[static_cast<std::size_t>(fila)] : vacia;
    const bool antes = cargando_;
    cargando_ = true;
    for (int f = 0; f < kNumFactores; ++f)
        chkFactores[static_cast<std::size_t>(f)]->setChecked(
            std::find(m.factores.begin(), m.factores.end(), f + 1) != m.factores.end());
    lstPerfilesMedida->clear();
    auto agregar = [&](const std::string& nombre) {
        auto* i = new QListWidgetItem(aQString(nombre), lstPerfilesMedida);
        i->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        i->setData(Qt::UserRole, QByteArray::fromStdString(nombre));
        i->setCheckState(std::find(m.perfiles.begin(), m.perfiles.end(), nombre) != m.perfiles.end()
                             ? Qt::Checked
                             : Qt::Unchecked);
    };
    for (const auto& p : doc_->perfiles) agregar(p->nombre);
    // Names the company no longer has stay with the measure until unticked.
    for (const std::string& n : m.perfiles)
        if (std::none_of(doc_->perfiles.begin(), doc_->perfiles.end(),
                         [&](const auto& p) { return p->nombre == n; }))
            agregar(n);
    if (lstPerfilesMedida->count() > 0) lstPerfilesMedida->setCurrentRow(0);
    mmMedida->setPlainText(aCaja(m.medida));
    cbPrioridad->setCurrentIndex(cbPrioridad->findData(static_cast<int>(m.prioridad)));
    txtResponsable->setText(aQString(m.responsable));
    txtRecursos->setText(aQString(m.recursos));
    fecInicio->poner(m.inicio);
    fecFin->poner(m.fin);
    cbEstado->setCurrentIndex(cbEstado->findData(static_cast<int>(m.estado)));
    lblHecha->setText(m.hecha > 0 ? "Hecha el " + textoFecha(m.hecha) : QString());
    mmSeguimiento->setPlainText(aCaja(m.seguimiento));
    cargando_ = antes;
}

void TfrmDatosEvaluacion::guardarMedida() {
    if (cargando_ || medidaActual_ < 0 || medidaActual_ >= static_cast<int>(medidas_.size()))
        return;
    TMedida& m = medidas_[static_cast<std::size_t>(medidaActual_)];
    m.factores.clear();
    for (int f = 0; f < kNumFactores; ++f)
        if (chkFactores[static_cast<std::size_t>(f)]->isChecked()) m.factores.push_back(f + 1);
    m.perfiles.clear();
    for (int i = 0; i < lstPerfilesMedida->count(); ++i) {
        const QListWidgetItem* item = lstPerfilesMedida->item(i);
        if (item->checkState() == Qt::Checked)
            m.perfiles.push_back(item->data(Qt::UserRole).toByteArray().toStdString());
    }
    m.medida = textoGuardado(mmMedida);
    m.prioridad = static_cast<Prioridad>(cbPrioridad->currentData().toInt());
    m.responsable = deLinea(txtResponsable);
    m.recursos = deLinea(txtRecursos);
    m.inicio = fecInicio->valor();
    m.fin = fecFin->valor();
    m.estado = static_cast<EstadoMedida>(cbEstado->currentData().toInt());
    // The day a measure is marked done is kept while it stays done.
    if (m.estado != EstadoMedida::Hecha)
        m.hecha = 0;
    else if (m.hecha <= 0)
        m.hecha = fechaHoy();
    lblHecha->setText(m.hecha > 0 ? "Hecha el " + textoFecha(m.hecha) : QString());
    m.seguimiento = textoGuardado(mmSeguimiento);
    refrescarFilaMedida(medidaActual_);
}

void TfrmDatosEvaluacion::nuevaMedida() {
    medidas_.emplace_back();
    const int fila = static_cast<int>(medidas_.size()) - 1;
    tblMedidas->setRowCount(fila + 1);
    refrescarFilaMedida(fila);
    tblMedidas->setCurrentCell(fila, mMedida);
    mmMedida->setFocus();
}

void TfrmDatosEvaluacion::quitarMedida() {
    const int fila = tblMedidas->currentRow();
    if (fila < 0) return;
    medidaActual_ = -1;  // what the form holds goes with it
    medidas_.erase(medidas_.begin() + fila);
    tblMedidas->removeRow(fila);
    mostrarMedida(tblMedidas->currentRow());
}

void TfrmDatosEvaluacion::moverMedida(int paso) {
    const int fila = tblMedidas->currentRow();
    const int destino = fila + paso;
    if (fila < 0 || destino < 0 || destino >= static_cast<int>(medidas_.size())) return;
    std::swap(medidas_[static_cast<std::size_t>(fila)],
              medidas_[static_cast<std::size_t>(destino)]);
    refrescarFilaMedida(fila);
    refrescarFilaMedida(destino);
    tblMedidas->setCurrentCell(destino, tblMedidas->currentColumn());
}

// --- Closing ---

TDatosEvaluacion TfrmDatosEvaluacion::datos() {
    guardarResultado();
    TDatosEvaluacion d = abierto_;
    d.cif = deLinea(txtCif);
    d.centros = deLinea(txtCentros);
    d.actividad = deLinea(txtActividad);
    d.evaluador = deLinea(txtEvaluador);
    d.titulacion = deLinea(txtTitulacion);
    d.servicioPrevencion = deLinea(txtServicio);
    d.fechaInforme = fecInforme->valor();

    // A default text left as offered is not stored: a later version may word it better.
    d.objeto = textoGuardado(mmObjeto);
    if (d.objeto == normalizarSaltos(textoObjetoPorDefecto(*doc_))) d.objeto.clear();
    d.trabajoDesde = fecDesde->valor();
    d.trabajoHasta = fecHasta->valor();
    d.aplicacion = static_cast<Aplicacion>(cbAplicacion->currentData().toInt());
    d.representantes = textoGuardado(mmRepresentantes);
    d.metodo = textoGuardado(mmMetodo);
    if (d.metodo == normalizarSaltos(textoMetodoPorDefecto())) d.metodo.clear();

    d.trabajadores = spTrabajadores->value();
    // The company's groups take the table's figures; others stay as they were.
    auto fila = [&](const std::string& grupo) {
        for (std::size_t i = 0; i < doc_->grupos.size(); ++i)
            if (doc_->grupos[i]->nombre == grupo) return static_cast<int>(i);
        return -1;
    };
    auto trabajadoresFila = [&](int i) {
        return tblPlantilla->item(i, cTrabajadores)->data(Qt::DisplayRole).toInt();
    };
    std::vector<TPlantillaGrupo> plantilla;
    std::vector<bool> puesto(doc_->grupos.size(), false);
    for (const TPlantillaGrupo& e : abierto_.plantilla) {
        const int i = fila(e.grupo);
        if (i < 0) {
            plantilla.push_back(e);
        } else if (!puesto[static_cast<std::size_t>(i)]) {
            puesto[static_cast<std::size_t>(i)] = true;
            if (trabajadoresFila(i) > 0) plantilla.push_back({e.grupo, trabajadoresFila(i)});
        }
    }
    for (std::size_t i = 0; i < doc_->grupos.size(); ++i)
        if (!puesto[i] && trabajadoresFila(static_cast<int>(i)) > 0)
            plantilla.push_back({doc_->grupos[i]->nombre, trabajadoresFila(static_cast<int>(i))});
    d.plantilla = std::move(plantilla);

    // Likewise the profiles' texts, in the order they were kept.
    std::vector<TResultadoPerfil> resultados;
    std::vector<bool> visto(resultados_.size(), false);
    auto propio = [&](const std::string& perfil) {
        for (std::size_t i = 0; i < resultados_.size(); ++i)
            if (resultados_[i].perfil == perfil) return static_cast<int>(i);
        return -1;
    };
    auto conTexto = [](const TResultadoPerfil& r) {
        return !r.discusion.empty() || !r.conclusiones.empty();
    };
    for (const TResultadoPerfil& r : abierto_.resultados) {
        const int i = propio(r.perfil);
        if (i < 0) {
            resultados.push_back(r);
        } else if (!visto[static_cast<std::size_t>(i)]) {
            visto[static_cast<std::size_t>(i)] = true;
            if (conTexto(resultados_[static_cast<std::size_t>(i)]))
                resultados.push_back(resultados_[static_cast<std::size_t>(i)]);
        }
    }
    for (std::size_t i = 0; i < resultados_.size(); ++i)
        if (!visto[i] && conTexto(resultados_[i])) resultados.push_back(resultados_[i]);
    d.resultados = std::move(resultados);
    d.minimo = spMinimo->value();

    d.medidas = medidas_;
    d.proximaEvaluacion = fecProxima->valor();
    return d;
}

bool TfrmDatosEvaluacion::editar(TKoral& doc, TAcompanante& acompanante) {
    acompanante_ = &acompanante;
    abrir(doc, datosEvaluacion(acompanante));
    const bool aceptado = exec() == QDialog::Accepted;
    acompanante_ = nullptr;
    if (aceptado) doc.modificado = true;
    return aceptado;
}

void TfrmDatosEvaluacion::btnAceptarClick() {
    const TDatosEvaluacion nuevos = datos();
    if (nuevos == abierto_ || !acompanante_) {
        // Nothing to keep: the company stays as it was.
        reject();
        return;
    }
    if (acompanante_->protegido()) {
        switch (Pregunta("Atención"_cp,
                         "El archivo complementario de esta empresa no se pudo leer. Si guarda "
                         "estos datos, al guardar la empresa se sustituirá por uno nuevo y se "
                         "perderá lo que tuviera. ¿Sustituirlo?"_cp)) {
            case Respuesta::Si:
                acompanante_->permitirSobrescribir();
                break;
            case Respuesta::No:
                reject();  // the file stays as it is, and so do the data
                return;
            case Respuesta::Cancelar:
                return;  // back to the window
        }
    }
    ponerDatosEvaluacion(*acompanante_, nuevos);
    accept();
}

void TfrmDatosEvaluacion::keyPressEvent(QKeyEvent* e) {
    // Escape would throw away what was typed: only "Cancelar" and the
    // close box cancel.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

}  // namespace koral
