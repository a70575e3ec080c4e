// The window program on a large company, measured with a clock around the
// real windows (offscreen unless a display is given):
//   medir_ventanas [N]   (100000 questionnaires by default)
// Not a test: it prints the figures the README quotes.
#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <cstdio>

#include "GenerarEmpresa.h"
#include "document/Acompanante.h"
#include "platform/Dialogos.h"
#include "ui/UChild.h"
#include "ui/UCuestionario.h"
#include "ui/UDatosEvaluacion.h"
#include "ui/UGrupo.h"
#include "ui/UMain.h"
#include "ui/UPerfil.h"

using namespace koral;

namespace {

// Every question answered "Si", every notice dropped.
class DialogosSi : public Dialogos {
public:
    void mensaje(const std::string&) override {}
    Respuesta pregunta(const std::string&, const std::string&) override { return Respuesta::Si; }
    bool pideCampo(const std::string&, const std::string&, std::string&) override { return false; }
};

double ms(QElapsedTimer& t) {
    return static_cast<double>(t.nsecsElapsed()) / 1e6;
}

void mostrar(QWidget& w) {
    w.show();
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int n = argc > 1 ? std::atoi(argv[1]) : 100000;
    DialogosSi dialogos;
    instalarDialogos(&dialogos);

    QTemporaryDir dir;
    const std::string ruta = dir.filePath("grande.kr2").toStdString();
    {
        TKoral doc;
        banco::generarEmpresa(doc, n);
        doc.archivo = ruta;
        doc.guardarArchivo();
    }
    std::printf("%d cuestionarios\n", n);

    TfrmMain frame;
    QElapsedTimer t;
    t.start();
    auto* hijo = new TChildWin(frame);
    mostrar(*hijo);
    const double ventana = ms(t);
    // Looks at the window every time the reading lets events through: when
    // the progress shows, when the reading ends, the longest wait between two looks.
    double progreso = -1, leido = -1, ultimaMirada = -1, mayorPausa = 0;
    QTimer mirar;
    QObject::connect(&mirar, &QTimer::timeout, [&] {
        const double ahora = ms(t);
        if (ultimaMirada >= 0) mayorPausa = std::max(mayorPausa, ahora - ultimaMirada);
        ultimaMirada = ahora;
        auto* dlg = hijo->findChild<QProgressDialog*>("dlgAbriendo");
        if (progreso < 0 && dlg && dlg->isVisible()) {
            progreso = ahora;
            auto* barra = dlg->findChild<QProgressBar*>();
            QObject::connect(barra, &QProgressBar::valueChanged, [&, barra](int v) {
                if (v == barra->maximum()) leido = ms(t);
            });
        }
    });
    mirar.start(0);
    hijo->AbreEmpresa(ruta);
    mirar.stop();
    QApplication::processEvents();
    const double total = ms(t);
    std::printf("abrir la empresa: ventana a la vista    %8.1f ms\n", ventana);
    std::printf("                  progreso a la vista   %8.1f ms\n", progreso);
    std::printf("                  lectura terminada     %8.1f ms\n", leido);
    std::printf("                  listas tras leer      %8.1f ms\n", total - leido);
    std::printf("                  mayor pausa sin eventos %6.1f ms\n", mayorPausa);
    TKoral& doc = *hijo->documento();

    TfrmCuest cuest;
    t.restart();
    cuest.abrir(doc, *doc.cuestionarios[n / 2]);
    mostrar(cuest);
    std::printf("abrir el editor de cuestionarios:      %8.1f ms\n", ms(t));
    cuest.hide();

    TGrupo* mayor = doc.grupos[0].get();
    for (const auto& g : doc.grupos)
        if (g->cuestionarios.size() > mayor->cuestionarios.size()) mayor = g.get();
    TfrmGrupo grupo;
    t.restart();
    grupo.abrir(doc, *mayor);
    mostrar(grupo);
    std::printf("abrir el editor de grupos (%zu miembros): %8.1f ms\n", mayor->cuestionarios.size(),
                ms(t));
    grupo.hide();

    TfrmPerfil perfil;
    TPerfil todos;
    todos.nombre = "Todos";
    t.restart();
    perfil.abrir(doc, *doc.perfiles[0]);
    mostrar(perfil);
    std::printf("abrir el editor de perfiles:           %8.1f ms\n", ms(t));
    t.restart();
    perfil.findChild<QPushButton*>("btnCalcular")->click();
    QApplication::processEvents();
    std::printf("\"Calcular\" en el editor de perfiles:  %8.1f ms\n", ms(t));
    perfil.hide();

    // The assessment data as an assessor fills it in: every group's and
    // profile's entry and 50 measures, read from the companion as the
    // window reads it.
    {
        TDatosEvaluacion datos;
        datos.objeto = textoObjetoPorDefecto(doc);
        datos.metodo = textoMetodoPorDefecto();
        for (const auto& g : doc.grupos)
            datos.plantilla.push_back({g->nombre, static_cast<int>(g->cuestionarios.size()) + 3});
        for (const auto& p : doc.perfiles)
            datos.resultados.push_back({p->nombre, std::string(600, 'd'), std::string(300, 'c')});
        for (int i = 0; i < 50; ++i) {
            TMedida m;
            m.factores = {i % 7 + 1};
            m.perfiles = {doc.perfiles[static_cast<std::size_t>(i) % doc.perfiles.size()]->nombre};
            m.medida = "Medida " + std::to_string(i + 1) + std::string(200, 'm');
            m.fin = 46000 + i;
            datos.medidas.push_back(m);
        }
        TAcompanante acompanante;
        ponerDatosEvaluacion(acompanante, datos);
        TfrmDatosEvaluacion ventana;
        t.restart();
        ventana.abrir(doc, datosEvaluacion(acompanante));
        mostrar(ventana);
        std::printf("abrir \"Datos de la evaluación\":        %8.1f ms\n", ms(t));
        ventana.hide();
    }

    auto* cuestionarios = hijo->findChild<QListView*>("lstCuestionarios");
    cuestionarios->setCurrentIndex(cuestionarios->model()->index(n / 2, 0));
    t.restart();
    hijo->findChild<QToolButton*>("CDeleteButton")->click();
    QApplication::processEvents();
    std::printf("eliminar un cuestionario:              %8.1f ms\n", ms(t));
    auto* grupos = hijo->findChild<QListView*>("lstGrupos");
    grupos->setCurrentIndex(grupos->model()->index(0, 0));
    t.restart();
    hijo->findChild<QToolButton*>("GDeleteButton")->click();
    QApplication::processEvents();
    std::printf("eliminar un grupo:                     %8.1f ms\n", ms(t));
    doc.modificado = false;  // nothing to ask on closing
    instalarDialogos(nullptr);
    return 0;
}
