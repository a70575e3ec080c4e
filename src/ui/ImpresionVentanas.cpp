#include "ui/ImpresionVentanas.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "document/Acompanante.h"
#include "platform/Archivos.h"
#include "platform/Texto.h"
#include "platform/qt/DialogosArchivo.h"
#include "platform/qt/DispositivoSalida.h"
#include "platform/qt/Escritorio.h"
#include "reports/Evaluacion.h"
#include "reports/Informes.h"
#include "reports/PlanMedidas.h"
#include "reports/Tarjetas.h"
#include "ui/CursorOcupado.h"
#include "ui/UChild.h"
#include "ui/UComparar.h"
#include "ui/UMain.h"

namespace koral {

namespace {

// The normal pointer while a dialog asks the user something in mid-report.
class CursorNormal {
public:
    CursorNormal() : habia_(QApplication::overrideCursor() != nullptr) {
        if (habia_) QApplication::restoreOverrideCursor();
    }
    ~CursorNormal() {
        if (habia_) QApplication::setOverrideCursor(Qt::WaitCursor);
    }

private:
    bool habia_;
};

// A surface that keeps the printer it paints on.
class SuperficieImpresora : public SuperficieQt {
public:
    explicit SuperficieImpresora(std::shared_ptr<QPrinter> p)
        : SuperficieQt(*p, kFuenteInformes), impresora_(std::move(p)) {}
    ~SuperficieImpresora() override { terminarDocumento(); }

private:
    std::shared_ptr<QPrinter> impresora_;
};

// The printer the dialog chose, with its properties when the user set them,
// on the paper chosen there.
std::unique_ptr<Superficie> superficieImpresora(const TDialogoImpresion& d, int copias) {
    std::shared_ptr<QPrinter> p = d.ajustes;
    if (!p) {
        p = std::make_shared<QPrinter>(QPrinter::HighResolution);
        if (!d.impresora.empty()) p->setPrinterName(QString::fromUtf8(d.impresora.c_str()));
    }
    const QPageLayout hoja = hojaPdf(d.papel, d.horizontal);
    p->setPageSize(hoja.pageSize());
    p->setPageOrientation(hoja.orientation());
    p->setCopyCount(std::max(1, copias));
    return std::make_unique<SuperficieImpresora>(std::move(p));
}

// Runs one printing step; a file or printer that fails, or a page too small
// for the report, is told in the plain message box and ends the command
// (false).
bool informandoErrores(const std::function<void()>& paso) {
    try {
        paso();
        return true;
    } catch (const ErrorArchivo& e) {
        CursorNormal normal;
        CajaMensaje(kTituloPrograma, e.what());
    } catch (const ErrorImpresion& e) {
        CursorNormal normal;
        CajaMensaje(kTituloPrograma, e.what());
    }
    return false;
}

}  // namespace

TImpresionVentanas::TImpresionVentanas(TfrmMain& frame) : frame_(frame) {}
TImpresionVentanas::~TImpresionVentanas() = default;

void TImpresionVentanas::conectar() {
    auto& o = frame_.ordenes;
    o.imprimirInforme = [this](TKoral& e) { ImprimirInforme(e); };
    o.imprimirGrupos = [this](TKoral& e) { ImprimirGrupos(e); };
    o.imprimirCuestionario = [this](TCuestionario& q) { ImprimirCuestionario(q); };
    o.imprimirPerfil = [this](TPerfil& p) { ImprimirPerfil(p); };
    o.imprimirCuestVacio = [this] { ImprimirCuestVacio(); };
    o.imprimirEvaluacion = [this](TKoral& e, const TDatosEvaluacion& d) {
        ImprimirEvaluacion(e, d);
    };
    o.imprimirMedidas = [this](TKoral& e, const TDatosEvaluacion& d) { ImprimirMedidas(e, d); };
    // The comparison window prints through here; made once, like the editors.
    auto* comparar = new TfrmComparar(&frame_);
    comparar->imprimir = [this](const TComparacion& c, const std::string& empresa,
                                const std::vector<std::string>& leidos) {
        ImprimirComparacion(c, empresa, leidos);
    };
    o.compararPerfiles = [this, comparar](TKoral& e, const std::vector<TPerfil*>& perfiles) {
        // The threshold of the company the comparison is opened from.
        comparar->minimo = TDatosEvaluacion::kMinimoPorDefecto;
        for (const TChildWin* w : frame_.companias())
            if (w->documento() == &e) comparar->minimo = datosEvaluacion(w->acompanante()).minimo;
        comparar->compararPerfiles(e, perfiles);
    };
    frame_.actualizarMenus();
}

bool TImpresionVentanas::PedirImpresion() {
    TDialogoImpresion& d = frame_.PrintDialog;
    d.aArchivo = false;  // unticked before every showing
    if (d.copias < 1) d.copias = 1;
    return ejecutorDialogos().imprimir(d);
}

std::string TImpresionVentanas::PedirArchivoImpresion() {
    Prestado<TDialogoArchivo> dlg(frame_.SaveDialog);
    dlg->filtro = "Archivos impresi\xF3n|*.prn";
    dlg->indiceFiltro = 1;
    dlg->preguntarReemplazo = true;
    // A name typed without extension becomes a print file, never a ".kr2"
    // that a later "Abrir ..." would take for a company.
    dlg->extensionDefecto = "prn";
    dlg->nombreArchivo.clear();
    CursorNormal normal;
    if (!ejecutorDialogos().guardar(*dlg)) return {};
    return dlg->nombreArchivo;
}

char TImpresionVentanas::separador() const {
    const QString s = QLocale().decimalPoint();
    return s.size() == 1 && s[0].unicode() < 0x80 ? static_cast<char>(s[0].unicode()) : ',';
}

void TImpresionVentanas::comprobarSalida(const std::string& ruta) const {
    for (const TChildWin* c : frame_.companias())
        if (const TKoral* doc = c->documento(); doc && !doc->archivo.empty())
            comprobarFueraDeEmpresa(ruta, doc->archivo);
    for (const std::string& leido : leidos_) comprobarFueraDeEmpresa(ruta, leido);
}

std::unique_ptr<Superficie> TImpresionVentanas::superficiePdf(const std::string& ruta) const {
    comprobarSalida(ruta);
    const TDialogoImpresion& d = frame_.PrintDialog;
    return std::make_unique<SuperficiePdf>(ruta, kFuenteInformes, hojaPdf(d.papel, d.horizontal));
}

std::unique_ptr<Superficie> TImpresionVentanas::superficieElegida() {
    const TDialogoImpresion& d = frame_.PrintDialog;
    if (d.impresora == kDestinoPdf) return superficiePdf(d.archivoPdf);
    return superficieImpresora(d, d.copias);
}

void TImpresionVentanas::paginas(const std::function<void(Superficie&)>& dibujar,
                                 const std::function<std::unique_ptr<Superficie>()>& fabrica) {
    std::unique_ptr<Superficie> s = fabrica();
    auto* qt = dynamic_cast<SuperficieQt*>(s.get());
    if (qt) qt->restaurar(estado_);
    dibujar(*s);
    if (qt) estado_ = qt->estado();
}

bool TImpresionVentanas::ejecutar(const std::function<void()>& preparar,
                                  const std::function<std::vector<std::string>()>& texto,
                                  const std::function<void(Superficie&)>& dibujar) {
    if (!PedirImpresion()) return false;
    CursorOcupado ocupado;
    bool hecho = false;
    const bool sinError = informandoErrores([&] {
        if (preparar) preparar();
        if (frame_.PrintDialog.aArchivo) {
            if (!texto) return;  // a report without a text form does nothing
            const std::string ruta = PedirArchivoImpresion();
            if (ruta.empty()) return;
            comprobarSalida(ruta);
            EscribirArchivoImpresion(ruta, texto());
        } else {
            paginas(
                dibujar,
                crearSuperficie ? crearSuperficie : [this] { return superficieElegida(); });
        }
        hecho = true;
    });
    return sinError && hecho;
}

void TImpresionVentanas::ImprimirInforme(TKoral& empresa) {
    ejecutar([&] { PrepararInforme(empresa); }, [&] { return TextoInforme(empresa); },
             [&](Superficie& s) { DibujarInforme(empresa, s, separador(), impresora); });
}

void TImpresionVentanas::ImprimirGrupos(TKoral& empresa) {
    ejecutar(
        nullptr, [&] { return TextoGrupos(empresa); },
        [&](Superficie& s) { DibujarGrupos(empresa, s, impresora); });
}

std::string TImpresionVentanas::empresaDe(const TRegistro& registro) const {
    const auto contiene = [&registro](const auto& lista) {
        return std::any_of(lista.begin(), lista.end(),
                           [&registro](const auto& r) { return r.get() == &registro; });
    };
    for (const TChildWin* c : frame_.companias())
        if (const TKoral* doc = c->documento();
            doc && (contiene(doc->cuestionarios) || contiene(doc->perfiles)))
            return doc->nombre;
    return {};
}

void TImpresionVentanas::ImprimirCuestionario(TCuestionario& cuestionario) {
    ejecutar(
        nullptr, [&] { return TextoCuestionario(cuestionario); },
        [&](Superficie& s) {
            impresora.empresa = empresaDe(cuestionario);
            DibujarCuestionario(cuestionario, s, separador(), impresora);
        });
}

void TImpresionVentanas::ImprimirPerfil(TPerfil& perfil) {
    ejecutar(
        nullptr, [&] { return TextoPerfil(perfil); },
        [&](Superficie& s) {
            impresora.empresa = empresaDe(perfil);
            DibujarPerfil(perfil, s, separador(), impresora);
        });
}

void TImpresionVentanas::ImprimirCuestVacio() {
    ejecutar(nullptr, nullptr, [&](Superficie& s) { DibujarCuestVacio(s, impresora); });
}

void TImpresionVentanas::ImprimirComparacion(const TComparacion& comparacion,
                                             const std::string& empresa,
                                             const std::vector<std::string>& leidos) {
    struct Leidos {
        std::vector<std::string>& v;
        ~Leidos() { v.clear(); }
    } guardia{leidos_};
    leidos_ = leidos;
    ejecutar(
        nullptr, [&] { return TextoComparacion(comparacion, empresa); },
        [&](Superficie& s) {
            DibujarComparacion(comparacion, empresa, s, separador(), impresora);
        });
}

std::optional<OpcionesEvaluacion> TImpresionVentanas::PedirOpcionesEvaluacion() {
    QDialog dlg(&frame_);
    dlg.setObjectName("frmOpcionesEvaluacion");
    dlg.setWindowTitle(QString::fromUtf8("Informe de evaluación"));
    auto* explicacion = new QLabel(
        QString::fromUtf8("La distribución de respuestas añade a cada perfil el porcentaje de "
                          "cada respuesta de las 75 preguntas: varias páginas por perfil."),
        &dlg);
    explicacion->setWordWrap(true);
    auto* chkDistribucion =
        new QCheckBox(QString::fromUtf8("Incluir la &distribución de respuestas"), &dlg);
    chkDistribucion->setObjectName("chkDistribucion");
    auto* chkAnexo = new QCheckBox(QString::fromUtf8("Incluir el anexo de cuestionarios"), &dlg);
    chkAnexo->setObjectName("chkAnexo");
    auto* aceptar = new QPushButton("&Aceptar", &dlg);
    auto* cancelar = new QPushButton("&Cancelar", &dlg);
    aceptar->setObjectName("btnAceptar");
    cancelar->setObjectName("btnCancelar");
    aceptar->setDefault(true);
    QObject::connect(aceptar, &QPushButton::clicked, &dlg, &QDialog::accept);
    QObject::connect(cancelar, &QPushButton::clicked, &dlg, &QDialog::reject);
    auto* botones = new QHBoxLayout;
    botones->addStretch(1);
    botones->addWidget(aceptar);
    botones->addWidget(cancelar);
    auto* capa = new QVBoxLayout(&dlg);
    capa->addWidget(chkDistribucion);
    capa->addWidget(explicacion);
    capa->addWidget(chkAnexo);
    capa->addLayout(botones);
    dlg.resize(380, dlg.sizeHint().height());
    chkDistribucion->setFocus();
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    OpcionesEvaluacion opciones;
    opciones.distribucion = chkDistribucion->isChecked();
    opciones.anexo = chkAnexo->isChecked();
    return opciones;
}

void TImpresionVentanas::ImprimirEvaluacion(TKoral& empresa, const TDatosEvaluacion& datos) {
    std::optional<OpcionesEvaluacion> opciones = PedirOpcionesEvaluacion();
    if (!opciones) return;
    opciones->minimo = datos.minimo;
    ejecutar([&] { PrepararEvaluacion(empresa); },
             [&] { return TextoEvaluacion(empresa, datos, *opciones); },
             [&](Superficie& s) {
                 DibujarEvaluacion(empresa, datos, *opciones, s, separador(), impresora);
             });
}

void TImpresionVentanas::ImprimirLineas(const std::vector<std::string>& lineas) {
    const TDialogoImpresion& d = frame_.PrintDialog;
    std::function<std::unique_ptr<Superficie>()> destino = crearSuperficie;
    const bool hayImpresora = !d.impresora.empty()
                                  ? d.impresora != kDestinoPdf
                                  : !QPrinterInfo::availablePrinterNames().isEmpty();
    if (!destino && hayImpresora) {
        destino = [&d] { return superficieImpresora(d, 1); };
    } else if (!destino) {
        // No printer to go to: the lines go to a PDF the user names, each time.
        TDialogoArchivo pdf = dialogoPdf();
        if (!ejecutorDialogos().guardar(pdf)) return;
        destino = [this, ruta = pdf.nombreArchivo] { return superficiePdf(ruta); };
    }
    CursorOcupado ocupado;
    informandoErrores([&] {
        paginas(
            [&](Superficie& s) {
                impresora.EmpezarListado(s);
                for (const auto& l : lineas) impresora.ImprimirLinea(l, 1);
                impresora.TerminarListado();
            },
            destino);
    });
}

bool TImpresionVentanas::ImprimirTarjetas(const std::string& empresa, const std::string& url,
                                          const ModulosQR& qr,
                                          const std::vector<std::string>& codigos) {
    return ejecutar(
        nullptr, [&] { return TextoTarjetas(empresa, url, codigos); },
        [&](Superficie& s) { DibujarTarjetas(empresa, url, qr, codigos, s, impresora); });
}

void TImpresionVentanas::ImprimirMedidas(TKoral& empresa, const TDatosEvaluacion& datos) {
    ejecutar(
        nullptr, [&] { return TextoMedidas(empresa, datos); },
        [&](Superficie& s) { DibujarMedidas(empresa, datos, s, separador(), impresora); });
}

}  // namespace koral
