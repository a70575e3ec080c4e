// Comparing profiles and the assessment report on a generated company of
// 100,000 questionnaires:
// - ten profiles computed and set side by side, laid out on a surface that
//   measures and draws nothing (what the comparison window does on opening);
// - the assessment document of a company with 20 profiles and an action
//   plan of 50 measures in its companion file, without the answer
//   distribution nor the annex of questionnaires, written to PDF as
//   koral20-cli writes it (reading both files included).
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>
#include <sstream>

#include "GenerarEmpresa.h"
#include "cli/Comandos.h"
#include "document/Acompanante.h"
#include "document/DatosEvaluacion.h"
#include "method/Perfil.h"
#include "platform/qt/DispositivoSalida.h"
#include "reports/Comparacion.h"

using namespace koral;

namespace {

// Metrics of a 600-dpi page in 8 points, and nothing drawn.
class SuperficieNula : public Superficie {
public:
    int ancho() const override { return 4724; }
    int alto() const override { return 6780; }
    void fuente(int puntos, Estilo estilo) override {
        puntos_ = puntos;
        estilo_ = estilo;
    }
    int puntosFuente() const override { return puntos_; }
    Estilo estiloFuente() const override { return estilo_; }
    void colorTexto(Color) override {}
    void pluma(Color, int) override {}
    void texto(int, int, const std::string&) override {}
    int anchoTexto(const std::string& t) override {
        return static_cast<int>(t.size()) * puntos_ * 5;
    }
    int altoTexto(const std::string&) override { return puntos_ * 10; }
    void linea(int, int, int, int) override {}
    void rectangulo(int, int, int, int) override {}
    void rellenar(int, int, int, int, Color) override {}
    void polilinea(const std::vector<Punto>&) override {}

private:
    int puntos_ = 8;
    Estilo estilo_ = Estilo::Normal;
};

// Profiles of one group, of two groups and of the whole company, up to `n`.
void agregarPerfiles(TKoral& doc, std::size_t n) {
    for (std::size_t i = doc.perfiles.size(); i < n; ++i) {
        TPerfil* p = doc.agregarPerfil("Perfil adicional " + std::to_string(i + 1));
        if (i % 3 != 2) p->grupos.push_back(doc.grupos[i % doc.grupos.size()].get());
        if (i % 3 == 1) p->grupos.push_back(doc.grupos[(i + 3) % doc.grupos.size()].get());
    }
    doc.nPerfiles = static_cast<std::int32_t>(doc.perfiles.size());
}

void BM_CompararDiezPerfiles(benchmark::State& state) {
    TKoral doc;
    banco::generarEmpresa(doc, static_cast<int>(state.range(0)));
    agregarPerfiles(doc, 10);
    SuperficieNula s;
    TImpresora impresora;
    for (auto _ : state) {
        std::vector<TPerfilComparado> perfiles;
        for (const auto& p : doc.perfiles) {
            calcularPerfil(doc, *p);
            perfiles.push_back({p->nombre, p.get()});
        }
        const TComparacion c = compararPerfiles(perfiles, referenciaPorDefecto(perfiles));
        DibujarComparacion(c, doc.nombre, s, ',', impresora);
        benchmark::DoNotOptimize(c.perfiles.data());
    }
}
BENCHMARK(BM_CompararDiezPerfiles)->Arg(100'000)->ArgName("n")->Unit(benchmark::kMillisecond);

void BM_InformeEvaluacionPdf(benchmark::State& state) {
    QTemporaryDir dir;
    const std::string empresa = dir.filePath("grande.kr2").toStdString();
    const std::string pdf = dir.filePath("evaluacion.pdf").toStdString();
    {
        TKoral doc;
        banco::generarEmpresa(doc, static_cast<int>(state.range(0)));
        agregarPerfiles(doc, 20);
        doc.archivo = empresa;
        doc.guardarArchivo();
        // The assessor's data as a completed assessment has it.
        TDatosEvaluacion datos;
        datos.evaluador = "Evaluador de prueba";
        datos.objeto = datos.representantes = "Texto del evaluador.\r\nSegundo p\xE1rrafo.";
        datos.trabajadores = 120'000;
        for (const auto& g : doc.grupos) datos.plantilla.push_back({g->nombre, 40'000});
        for (const auto& p : doc.perfiles)
            datos.resultados.push_back({p->nombre, datos.objeto, datos.objeto});
        for (int i = 0; i < 50; ++i) {
            TMedida m;
            m.factores = {1 + i % kNumFactores};
            m.perfiles = {doc.perfiles[static_cast<std::size_t>(i) % doc.perfiles.size()]->nombre};
            m.medida = "Medida preventiva n\xFAmero " + std::to_string(i + 1) +
                       ", con un texto de la longitud de una medida real.";
            m.prioridad = static_cast<Prioridad>(i % 3);
            m.responsable = "Responsable";
            m.recursos = "Recursos";
            m.inicio = 45000 + i;
            m.fin = 45100 + i;
            datos.medidas.push_back(std::move(m));
        }
        TAcompanante acompanante;
        ponerDatosEvaluacion(acompanante, datos);
        if (!acompanante.guardar(doc)) state.SkipWithError("no companion file written");
    }
    cli::Servicios servicios;
    servicios.superficiePdf = [](SalidaArchivo& salida) -> std::unique_ptr<Superficie> {
        return std::make_unique<SuperficiePdf>(salida, kFuenteInformes);
    };
    for (auto _ : state) {
        std::istringstream entrada;
        std::ostringstream salida, errores;
        const int codigo = cli::ejecutar({"report", "evaluacion", empresa, "--pdf", pdf}, entrada,
                                         salida, errores, servicios);
        if (codigo != 0) state.SkipWithError(errores.str().c_str());
    }
}
BENCHMARK(BM_InformeEvaluacionPdf)
    ->Arg(100'000)
    ->ArgName("n")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    // Qt draws PDF text only with an application object; no display needed.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication aplicacion(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
