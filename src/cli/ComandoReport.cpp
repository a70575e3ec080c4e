#include "cli/ComandoReport.h"

#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>

#include "cli/Comun.h"
#include "document/UData.h"
#include "method/Perfil.h"
#include "platform/Archivos.h"
#include "platform/Dialogos.h"
#include "platform/Superficie.h"
#include "platform/Texto.h"
#include "reports/Informes.h"

namespace koral::cli {

namespace {

// The locale the environment names for numbers: the first of LC_ALL,
// LC_NUMERIC and LANG that is set and not empty.
std::string localeNumerico() {
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"})
        if (const char* valor = std::getenv(variable); valor && *valor) return valor;
    return "C";
}

// Pages show that locale's decimal separator, as the window program's do;
// stdout, the chart and print files keep '.'.
char separadorPaginas(const Servicios& servicios) {
    return servicios.separadorDecimal ? servicios.separadorDecimal(localeNumerico()) : '.';
}

struct Salida {
    std::optional<std::string> prn, pdf;
};

// Draws through a PDF surface into a file that replaces the one at `ruta`
// only once the whole document is written.
template <typename Dibujo>
void imprimirPdf(const std::string& ruta, const Servicios& servicios, Dibujo dibujar) {
    if (!servicios.superficiePdf) throw ErrorComando{"no se pueden imprimir páginas aquí"};
    Reemplazo archivo(ruta);
    {
        std::unique_ptr<Superficie> s = servicios.superficiePdf(archivo.salida());
        if (!s) throw ErrorComando{"no se pudo crear el archivo " + ruta};
        TImpresora impresora;
        try {
            dibujar(*s, impresora);
        } catch (const ErrorImpresion& e) {
            throw ErrorComando{cp1252AUtf8(e.what())};
        }
        s->terminarDocumento();
    }
    archivo.confirmar();
}

}  // namespace

int comandoReport(const std::vector<std::string>& args, std::ostream& errores,
                  const Servicios& servicios) {
    if (args.size() < 2) return 2;
    const std::string& tipo = args[1];
    Salida salida;
    std::vector<std::string> resto;
    for (std::size_t i = 2; i < args.size(); ++i) {
        const bool prn = args[i] == "--prn", pdf = args[i] == "--pdf";
        if ((prn || pdf) && i + 1 < args.size()) {
            if (salida.prn || salida.pdf || args[i + 1].empty()) return 2;
            (prn ? salida.prn : salida.pdf) = args[++i];
        } else {
            resto.push_back(args[i]);
        }
    }
    if (salida.prn.has_value() == salida.pdf.has_value()) return 2;
    const std::string& destino = salida.prn ? *salida.prn : *salida.pdf;

    if (tipo == "vacio") {
        if (!resto.empty() || salida.prn) return 2;
        imprimirPdf(destino, servicios,
                    [](Superficie& s, TImpresora& imp) { DibujarCuestVacio(s, imp); });
        return 0;
    }

    std::size_t argumentos;
    if (tipo == "informe" || tipo == "grupos")
        argumentos = 1;
    else if (tipo == "cuestionario" || tipo == "perfil")
        argumentos = 2;
    else
        return 2;
    if (resto.size() != argumentos) return 2;

    TKoral doc(Mensaje);
    leerExistente(doc, resto[0]);
    comprobarDistintos(destino, resto[0]);

    const char separador = separadorPaginas(servicios);
    std::vector<std::string> lineas;
    std::function<void(Superficie&, TImpresora&)> dibujar;
    if (tipo == "informe") {
        PrepararInforme(doc);
        if (salida.prn)
            lineas = TextoInforme(doc);
        else
            dibujar = [&](Superficie& s, TImpresora& imp) {
                DibujarInforme(doc, s, separador, imp);
            };
    } else if (tipo == "grupos") {
        if (salida.prn)
            lineas = TextoGrupos(doc);
        else
            dibujar = [&](Superficie& s, TImpresora& imp) { DibujarGrupos(doc, s, imp); };
    } else if (tipo == "cuestionario") {
        const TCuestionario* q = doc.buscarCuestionario(nombreArgumento(resto[1]));
        if (!q) throw ErrorComando{"no hay ningún cuestionario llamado \"" + resto[1] + "\""};
        if (salida.prn)
            lineas = TextoCuestionario(*q);
        else
            dibujar = [&, q](Superficie& s, TImpresora& imp) {
                DibujarCuestionario(*q, s, separador, imp);
            };
    } else {
        TPerfil* p = doc.buscarPerfil(nombreArgumento(resto[1]));
        if (!p) throw ErrorComando{"no hay ningún perfil llamado \"" + resto[1] + "\""};
        calcularPerfil(doc, *p);
        if (salida.prn) {
            lineas = TextoPerfil(*p);
        } else {
            // The pages carry the notice; the command's user sees it too.
            if (poblacionIdentificable(p->nSujetos))
                errores << cp1252AUtf8(kAvisoAnonimato) << '\n';
            dibujar = [&, p](Superficie& s, TImpresora& imp) {
                DibujarPerfil(*p, s, separador, imp);
            };
        }
    }
    if (salida.prn)
        EscribirArchivoImpresion(destino, lineas);
    else
        imprimirPdf(destino, servicios, dibujar);
    return 0;
}

}  // namespace koral::cli
