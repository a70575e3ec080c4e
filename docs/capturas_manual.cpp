// Renders the pictures of the manual from the program itself: the real
// windows on the sample company, offscreen, each saved as a PNG. Run by the
// build before the manual is compiled, so the pictures never go stale.
//   capturas_manual CARPETA_SALIDA MUESTRA.kr2 [ARCHIVO_IMPORTAR.txt]
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QIcon>
#include <QImage>
#include <QItemSelectionModel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "document/UData.h"
#include "method/Perfil.h"
#include "platform/Dialogos.h"
#include "platform/Texto.h"
#include "platform/qt/SuperficieQt.h"
#include "platform/qt/TextoQt.h"
#include "red/Recogida.h"
#include "reports/Evaluacion.h"
#include "reports/Impresion.h"
#include "reports/Informes.h"
#include "reports/PlanMedidas.h"
#include "reports/Tarjetas.h"
#include "ui/AvisosLectura.h"
#include "ui/Editores.h"
#include "ui/ImpresionVentanas.h"
#include "ui/Intercambio.h"
#include "ui/UChild.h"
#include "ui/UDialogs.h"
#include "ui/UMain.h"
#include "ui/URecoger.h"
#include "ui/about.h"

namespace koral::recursos {
extern const unsigned char Icono[];
extern const std::size_t IconoTam;
}  // namespace koral::recursos

using namespace koral;

namespace {

QDir gSalida;
int gFallos = 0;

// A window's control by its object name: the windows keep their controls
// private. Without it no picture could be right, so the run ends.
template <class T>
T* control(const QObject* ventana, const char* nombre) {
    T* c = ventana->findChild<T*>(QString::fromLatin1(nombre));
    if (!c) {
        std::fprintf(stderr, "capturas_manual: falta el control %s\n", nombre);
        std::exit(1);
    }
    return c;
}

void guardar(const QImage& imagen, const char* nombre) {
    const QString ruta = gSalida.filePath(QString(nombre) + ".png");
    if (imagen.isNull() || !imagen.save(ruta, "PNG")) {
        std::fprintf(stderr, "capturas_manual: no se pudo guardar %s\n", qPrintable(ruta));
        ++gFallos;
    }
}

// A window as the user sees it: its content under a plain title bar (the
// offscreen platform draws no frames) with its caption.
QImage conTitulo(const QImage& contenido, const QString& titulo) {
    const int alto = 24;
    QImage r(contenido.width(), contenido.height() + alto, QImage::Format_RGB32);
    r.fill(QColor(0x3b, 0x5f, 0x8f));
    QPainter p(&r);
    p.drawImage(0, alto, contenido);
    QFont f = QApplication::font();
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(8, 0, r.width() - 16, alto), Qt::AlignVCenter | Qt::AlignLeft, titulo);
    return r;
}

void guardar(QWidget* w, const char* nombre) {
    QApplication::processEvents();
    guardar(conTitulo(w->grab().toImage(), w->windowTitle()), nombre);
}

// Runs `orden`, which opens modal windows one after another; each one is
// handed to the next step, which may picture it, fill it in, and must close
// it. A modal window left over when the steps run out is cancelled, so that
// a changed command can never hang the build.
void conModales(const std::function<void()>& orden,
                std::vector<std::function<void(QWidget*)>> pasos) {
    std::size_t siguiente = 0;
    QTimer reloj;
    reloj.setInterval(30);
    QObject::connect(&reloj, &QTimer::timeout, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w) return;
        auto* dlg = qobject_cast<QDialog*>(w);
        if (siguiente < pasos.size()) {
            pasos[siguiente++](w);
        } else {
            std::fprintf(stderr, "capturas_manual: ventana modal inesperada \"%s\"\n",
                         qPrintable(w->windowTitle()));
            ++gFallos;
            if (dlg)
                dlg->reject();
            else
                w->close();
        }
    });
    reloj.start();
    orden();
    reloj.stop();
    if (siguiente < pasos.size()) {
        std::fprintf(stderr, "capturas_manual: faltó una ventana modal (%zu de %zu)\n", siguiente,
                     pasos.size());
        ++gFallos;
    }
}

// Answers every question "Sí" and drops notices, for a step that goes past
// the program's confirmations: a modal window opened inside a step would
// wait for a click that never comes.
class DialogosSi : public Dialogos {
public:
    void mensaje(const std::string&) override {}
    Respuesta pregunta(const std::string&, const std::string&) override { return Respuesta::Si; }
    bool pideCampo(const std::string&, const std::string&, std::string&) override { return false; }
};

// A step that pictures the modal window and cancels it.
std::function<void(QWidget*)> foto(const char* nombre) {
    return [nombre](QWidget* w) {
        guardar(w, nombre);
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
        else
            w->close();
    };
}

// A step that pictures the window once per page of its page control, then
// cancels it.
std::function<void(QWidget*)> paginas(std::vector<const char*> nombres) {
    return [nombres](QWidget* w) {
        auto* pestanas = w->findChild<QTabWidget*>();
        for (std::size_t i = 0; i < nombres.size(); ++i) {
            if (pestanas) pestanas->setCurrentIndex(int(i));
            guardar(w, nombres[i]);
        }
        if (pestanas) pestanas->setCurrentIndex(0);
        if (auto* d = qobject_cast<QDialog*>(w))
            d->reject();
        else
            w->close();
    };
}

void elegir(QListView* lista, const QString& texto) {
    const auto encontrados = lista->model()->match(lista->model()->index(0, 0), Qt::DisplayRole,
                                                   texto, 1, Qt::MatchExactly);
    if (encontrados.isEmpty()) {
        std::fprintf(stderr, "capturas_manual: no está \"%s\"\n", qPrintable(texto));
        ++gFallos;
        return;
    }
    lista->setCurrentIndex(encontrados.front());
}

// An open menu, as the user sees it under the menu bar.
void fotoMenu(QMenu* menu, const char* nombre) {
    menu->popup(QPoint(0, 0));
    QApplication::processEvents();
    guardar(menu->grab().toImage(), nombre);
    menu->hide();
}

// One page of a report (the first unless told), as printed: the report
// draws on a page of a 600-dot printer (A4 less 5 mm margins) and this
// surface scales it down to a picture at screen resolution.
class PaginaInforme : public Superficie {
public:
    static constexpr double kEscala = 600.0 / 96.0;
    explicit PaginaInforme(QImage& img, int pagina = 1)
        : img_(img), s_(img, kFuenteInformes), buscada_(pagina) {}
    // Draws nothing: finds the last page on which `texto` is written (the
    // contents name a section before the section itself).
    explicit PaginaInforme(QImage& img, std::string texto)
        : img_(img), s_(img, kFuenteInformes), buscada_(0), busca_(std::move(texto)) {}
    int encontrada() const { return encontrada_; }

    int ancho() const override { return int(img_.width() * kEscala); }
    int alto() const override { return int(img_.height() * kEscala); }
    void fuente(int puntos, Estilo estilo) override { s_.fuente(puntos, estilo); }
    int puntosFuente() const override { return s_.puntosFuente(); }
    Estilo estiloFuente() const override { return s_.estiloFuente(); }
    void colorTexto(Color c) override { s_.colorTexto(c); }
    void pluma(Color c, int grosor) override {
        s_.pluma(c, std::max(1, int(std::lround(grosor / kEscala))));
    }
    void texto(int x, int y, const std::string& t) override {
        if (!busca_.empty() && t == busca_) encontrada_ = pagina_;
        if (aqui()) s_.texto(a(x), a(y), t);
    }
    int anchoTexto(const std::string& t) override { return int(s_.anchoTexto(t) * kEscala); }
    int altoTexto(const std::string& t) override { return int(s_.altoTexto(t) * kEscala); }
    void linea(int x1, int y1, int x2, int y2) override {
        if (aqui()) s_.linea(a(x1), a(y1), a(x2), a(y2));
    }
    void rectangulo(int x1, int y1, int x2, int y2) override {
        if (aqui()) s_.rectangulo(a(x1), a(y1), a(x2), a(y2));
    }
    void rellenar(int x1, int y1, int x2, int y2, Color c) override {
        if (aqui()) s_.rellenar(a(x1), a(y1), a(x2), a(y2), c);
    }
    void polilinea(const std::vector<Punto>& puntos) override {
        if (!aqui()) return;
        std::vector<Punto> p;
        for (const auto& [x, y] : puntos) p.emplace_back(a(x), a(y));
        s_.polilinea(p);
    }
    void nuevaPagina() override { ++pagina_; }

private:
    static int a(int v) { return int(std::lround(v / kEscala)); }
    bool aqui() const { return pagina_ == buscada_; }
    QImage& img_;
    SuperficieQt s_;
    const int buscada_;
    int pagina_ = 1;
    const std::string busca_;
    int encontrada_ = 0;
};

QImage paginaA4() {
    // 200 x 287 mm at 96 dots per inch.
    QImage img(756, 1085, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

// A thin grey border, so that a white page stands out on a white manual page.
QImage conBorde(const QImage& img) {
    QImage r(img.width() + 2, img.height() + 2, QImage::Format_RGB32);
    r.fill(QColor(0x99, 0x99, 0x99));
    QPainter p(&r);
    p.drawImage(1, 1, img);
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform warns of every window feature it lacks; only
    // real failures belong in the build's output.
    qInstallMessageHandler([](QtMsgType tipo, const QMessageLogContext&, const QString& texto) {
        if (tipo >= QtCriticalMsg) std::fprintf(stderr, "%s\n", qPrintable(texto));
    });
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "uso: capturas_manual CARPETA_SALIDA MUESTRA.kr2 [IMPORTAR.txt]\n");
        return 2;
    }
    gSalida = QDir(QString::fromLocal8Bit(argv[1]));
    if (!gSalida.mkpath(".")) {
        std::fprintf(stderr, "capturas_manual: no se pudo crear %s\n", argv[1]);
        return 1;
    }
    // The sample is opened from a copy in a folder named as a user's would
    // be: its path shows in the window's caption, and nothing can touch the
    // original.
    QDir trabajo(QDir::temp().filePath("koral20-capturas/Evaluaciones"));
    trabajo.removeRecursively();
    trabajo.mkpath(".");
    const QString copia = trabajo.filePath("muestra.kr2");
    if (!QFile::copy(QString::fromLocal8Bit(argv[2]), copia)) {
        std::fprintf(stderr, "capturas_manual: no se pudo copiar %s\n", argv[2]);
        return 1;
    }
    // The sample assessment's own data (its companion file) goes with it.
    QString datos = QString::fromLocal8Bit(argv[2]);
    datos.chop(4);
    QFile::copy(datos + ".koral.json", trabajo.filePath("muestra.koral.json"));
    const std::string muestra = copia.toStdString();
    QString importar;
    if (argc > 3) {
        importar = trabajo.filePath("datos_anteriores.txt");
        QFile::copy(QString::fromLocal8Bit(argv[3]), importar);
    }
    QApplication::setApplicationName("Koral20");
    // A Spanish user's screen: Qt's own dialogs in Spanish, decimal comma.
    QLocale::setDefault(QLocale(QLocale::Spanish, QLocale::Spain));
    QTranslator traduccion;
    if (traduccion.load(QLocale(QLocale::Spanish, QLocale::Spain), "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&traduccion);
    QImage icono;
    if (icono.loadFromData(recursos::Icono, static_cast<int>(recursos::IconoTam), "PNG"))
        QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icono)));

    // The program's own start-up, as the window program does it.
    TfrmMain frm;
    frm.AboutBox = new TAboutBox(&frm);
    TOKBottomDlg OKBottomDlg(&frm);
    TAvisosLectura avisos(OKBottomDlg);
    Dialogos* anteriores = instalarDialogos(&avisos);
    TImpresionVentanas impresion(frm);
    impresion.conectar();
    conectarIntercambio(frm, impresion);
    conectarEditores(frm);

    // The frame alone, then with the sample company open.
    frm.resize(660, 470);
    frm.show();
    guardar(&frm, "principal");
    frm.argumentos = {muestra};
    frm.FormShow();
    // The company named on the command line opens once the frame's events run.
    TChildWin* hijo = nullptr;
    for (int i = 0; i < 100 && !hijo; ++i) {
        QApplication::processEvents();
        hijo = frm.companiaActiva();
    }
    if (!hijo) {
        std::fprintf(stderr, "capturas_manual: no se abrió %s\n", muestra.c_str());
        return 1;
    }
    auto* sub = qobject_cast<QMdiSubWindow*>(hijo->parentWidget());
    sub->setGeometry(4, 4, 640, 390);
    // The caption names the file as a reader's own would, not the
    // temporary folder the pictures are taken in.
    const QString titulo = hijo->windowTitle().replace(trabajo.absolutePath() + "/", QString());
    hijo->setWindowTitle(titulo);
    sub->setWindowTitle(titulo);
    elegir(control<QListView>(hijo, "lstGrupos"), "Producción");
    elegir(control<QListView>(hijo, "lstCuestionarios"), "C000001");
    elegir(control<QListView>(hijo, "lstPerfiles"), "Producción, turno de noche");
    control<QListView>(hijo, "lstPerfiles")->setFocus();
    guardar(&frm, "empresa");
    guardar(hijo, "empresa_columnas");
    fotoMenu(control<QMenu>(hijo, "mnuArchivo"), "menu_archivo");
    fotoMenu(control<QMenu>(hijo, "mnuInformes"), "menu_informes");
    fotoMenu(control<QMenu>(&frm, "Ventana1"), "menu_ventana");
    fotoMenu(control<QMenu>(&frm, "Ayuda1"), "menu_ayuda");

    // The shared dialog in its three forms.
    conModales([&] { control<QToolButton>(hijo, "GNewButton")->click(); }, {foto("dialogo_campo")});
    conModales([&] { control<QToolButton>(hijo, "GDeleteButton")->click(); },
               {foto("dialogo_pregunta")});
    conModales([&] { Mensaje("Lo siento. No encuentro el archivo"); }, {foto("dialogo_aviso")});
    conModales([&] { control<QAction>(&frm, "Acercade1")->trigger(); }, {foto("acerca")});

    // Printing: the print dialog, and the first page of two reports.
    conModales([&] { control<QToolButton>(hijo, "GPrintButton")->click(); }, {foto("imprimir")});
    TKoral& doc = *hijo->documento();
    if (TPerfil* p = doc.buscarPerfil("Producción, turno de noche"_cp)) {
        calcularPerfil(doc, *p);
        QImage img(337, 245, QImage::Format_RGB32);
        img.fill(Qt::white);
        {
            SuperficieQt s(img, QApplication::font().family());
            dibujarValorativo(*p, s, ',');
        }
        guardar(img, "grafico");
        QImage pagina = paginaA4();
        {
            PaginaInforme s(pagina);
            TImpresora impresora;
            DibujarPerfil(*p, s, ',', impresora);
        }
        guardar(conBorde(pagina), "informe_perfil");
    } else {
        std::fprintf(stderr, "capturas_manual: falta el perfil de ejemplo\n");
        ++gFallos;
    }
    {
        QImage pagina = paginaA4();
        {
            PaginaInforme s(pagina);
            TImpresora impresora;
            DibujarCuestVacio(s, impresora);
        }
        guardar(conBorde(pagina), "cuestionario_vacio");
    }

    // The assessment's own data, tab by tab, and the document it completes:
    // its cover, a profile's results and the plan on its own.
    conModales([&] { control<QAction>(hijo, "Datosevaluacion1")->trigger(); },
               {paginas({"datos_identificacion", "datos_alcance", "datos_plantilla",
                         "datos_resultados", "datos_medidas"})});
    {
        PrepararEvaluacion(doc);
        const TDatosEvaluacion datos = datosEvaluacion(hijo->acompanante());
        OpcionesEvaluacion opciones;
        opciones.minimo = datos.minimo;
        const auto pagina = [&](int n, const char* nombre, bool plan = false) {
            QImage img = paginaA4();
            {
                PaginaInforme s(img, n);
                TImpresora impresora;
                if (plan)
                    DibujarMedidas(doc, datos, s, ',', impresora);
                else
                    DibujarEvaluacion(doc, datos, opciones, s, ',', impresora);
            }
            guardar(conBorde(img), nombre);
        };
        QImage nada = paginaA4();
        PaginaInforme busca(nada, "Perfil: Toda la plantilla");
        TImpresora impresora;
        DibujarEvaluacion(doc, datos, opciones, busca, ',', impresora);
        if (busca.encontrada() == 0) {
            std::fprintf(stderr, "capturas_manual: el informe no tiene el perfil de ejemplo\n");
            ++gFallos;
        }
        pagina(1, "evaluacion_portada");
        pagina(busca.encontrada(), "evaluacion_resultados");
        pagina(1, "plan_medidas", true);
    }

    // Export: the save dialog with its proposed name.
    conModales([&] { control<QAction>(hijo, "Exportardatos1")->trigger(); }, {foto("exportar")});

    // Collecting on the network: the choices, then the campaign under way on
    // this computer's own address (the pictures must not show the network of
    // the machine that builds them).
    conModales([&] { control<QAction>(hijo, "Recogerenred1")->trigger(); }, {[](QWidget* w) {
                   auto* v = qobject_cast<TfrmRecoger*>(w);
                   if (!v) return foto("x")(w);
                   auto* red = control<QComboBox>(v, "cbRed");
                   red->setCurrentIndex(red->count() - 1);
                   guardar(v, "recoger");
                   // Starting asks about the sample's small group, and ending
                   // sums up: questions a step cannot wait on.
                   DialogosSi si;
                   Dialogos* antes = instalarDialogos(&si);
                   control<QPushButton>(v, "btnEmpezar")->click();
                   guardar(v, "recoger_en_marcha");
                   v->reject();
                   instalarDialogos(antes);
               }});

    // The single-use code cards, as printed, for a campaign's address.
    {
        const std::string url = "http://192.168.1.20:8080/";
        QImage tarjetas = paginaA4();
        {
            PaginaInforme s(tarjetas);
            TImpresora impresora;
            DibujarTarjetas(doc.nombre, url, modulosQR(QByteArray::fromStdString(url)),
                            red::codigosAleatorios(10, 8), s, impresora);
        }
        guardar(conBorde(tarjetas), "tarjetas_codigos");
    }

    // Import, into a new company so that the sample stays as it is: the name
    // prompt, the file choice, then the import window with its log.
    if (!importar.isEmpty()) {
        conModales([&] { frm.nuevaEmpresa(); }, {[](QWidget* w) {
                       auto* d = qobject_cast<TOKBottomDlg*>(w);
                       if (!d) return foto("x")(w);
                       control<QLineEdit>(d, "edCampo")->setText("Talleres del Norte");
                       control<QPushButton>(d, "NoBtn")->click();  // "Aceptar"
                   }});
        TChildWin* nueva = frm.companiaActiva();
        conModales([&] { control<QAction>(nueva, "Importardatosanteriores1")->trigger(); },
                   {[&](QWidget* w) {
                        auto* fd = qobject_cast<QFileDialog*>(w);
                        if (!fd) return foto("x")(w);
                        // Typed into the name field, as a user would.
                        if (auto* campo = fd->findChild<QLineEdit*>("fileNameEdit"))
                            campo->setText(importar);
                        else
                            fd->selectFile(importar);
                        static_cast<QDialog*>(fd)->accept();  // the dialog checks the name
                    },
                    foto("importar")});
    }

    // The editors, on records of the sample company: one line each.
    elegir(control<QListView>(hijo, "lstCuestionarios"), "C000001");
    conModales([&] { control<QToolButton>(hijo, "CModifyButton")->click(); },
               {foto("cuestionario")});
    elegir(control<QListView>(hijo, "lstGrupos"), "Turno de noche");
    conModales([&] { control<QToolButton>(hijo, "GVerButton")->click(); }, {foto("grupo")});
    elegir(control<QListView>(hijo, "lstPerfiles"), "Producción, turno de noche");
    conModales([&] { control<QToolButton>(hijo, "PModifyButton")->click(); },
               {paginas({"perfil", "perfil_descriptivo"})});

    // Profiles side by side: four picked in the list, then the window; and
    // the question the assessment report asks before printing.
    QListView* perfiles = control<QListView>(hijo, "lstPerfiles");
    perfiles->clearSelection();
    for (const char* n : {"Administración", "Producción", "Toda la plantilla", "Turno de noche"}) {
        const auto i = perfiles->model()->match(perfiles->model()->index(0, 0), Qt::DisplayRole,
                                                QString::fromUtf8(n), 1, Qt::MatchExactly);
        if (!i.isEmpty())
            perfiles->selectionModel()->select(i.front(), QItemSelectionModel::Select);
    }
    conModales([&] { control<QToolButton>(hijo, "PCompareButton")->click(); }, {foto("comparar")});
    conModales([&] { control<QAction>(hijo, "Informeevaluacion1")->trigger(); },
               {foto("informe_evaluacion")});

    instalarDialogos(anteriores);
    trabajo.removeRecursively();
    return gFallos == 0 ? 0 : 1;
}
