#include "cli/ComandoReport.h"

#include <charconv>
#include <cstdlib>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/Comun.h"
#include "document/Acompanante.h"
#include "document/DatosEvaluacion.h"
#include "document/UData.h"
#include "method/Perfil.h"
#include "platform/Archivos.h"
#include "platform/Dialogos.h"
#include "platform/Superficie.h"
#include "platform/Texto.h"
#include "reports/Comparacion.h"
#include "reports/Evaluacion.h"
#include "reports/Informes.h"
#include "reports/PlanMedidas.h"

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

// The notice of a small population, naming the profile: several profiles
// share one command.
void avisarAnonimato(std::ostream& errores, const std::string& etiqueta) {
    errores << cp1252AUtf8(kAvisoAnonimato) << " (" << cp1252AUtf8(etiqueta) << ")\n";
}

// The profile --referencia names: a label as the pages print it, else the
// name of a compared profile (the first of that name).
std::size_t referenciaNombrada(const std::vector<TPerfilComparado>& perfiles,
                               const std::string& nombre) {
    const std::string buscado = nombreArgumento(nombre);
    for (std::size_t i = 0; i < perfiles.size(); ++i)
        if (perfiles[i].etiqueta == buscado) return i;
    for (std::size_t i = 0; i < perfiles.size(); ++i)
        if (perfiles[i].perfil->nombre == buscado) return i;
    throw ErrorComando{"el perfil de referencia \"" + nombre +
                       "\" no está entre los perfiles comparados"};
}

// The assessment's data from the companion file of `doc`; its notices go
// through doc's, and a missing or unreadable file gives the defaults.
TDatosEvaluacion leerDatos(const TKoral& doc) {
    TAcompanante acompanante;
    acompanante.leer(doc);
    return datosEvaluacion(acompanante);
}

// comparacion FILE.kr2 PERFIL PERFIL [...] [--de OTRA.kr2 PERFIL ...]
// [--referencia PERFIL]: each "--de" opens another company file (only read)
// for the profiles after it.
int comparacion(const std::vector<std::string>& resto, const Salida& salida, std::ostream& errores,
                const Servicios& servicios) {
    struct Fuente {
        std::string archivo;
        std::vector<std::string> perfiles;
        std::unique_ptr<TKoral> doc;
    };
    std::vector<Fuente> fuentes;
    std::optional<std::string> referencia;
    std::size_t nPerfiles = 0;
    for (std::size_t i = 0; i < resto.size(); ++i) {
        if (resto[i] == "--referencia") {
            if (referencia || ++i == resto.size()) return 2;
            referencia = resto[i];
        } else if (resto[i] == "--de" || fuentes.empty()) {
            if (resto[i] == "--de" && ++i == resto.size()) return 2;
            fuentes.push_back({resto[i], {}, nullptr});
        } else {
            fuentes.back().perfiles.push_back(resto[i]);
            ++nPerfiles;
        }
    }
    if (nPerfiles < 2) return 2;
    for (const Fuente& f : fuentes)
        if (f.perfiles.empty()) return 2;
    if (nPerfiles > kMaxPerfilesComparados) throw ErrorComando{cp1252AUtf8(kDemasiadosPerfiles)};

    const std::string& destino = salida.prn ? *salida.prn : *salida.pdf;
    for (Fuente& f : fuentes) {
        f.doc = std::make_unique<TKoral>(Mensaje);
        leerExistente(*f.doc, f.archivo);
        comprobarFueraDeEmpresa(destino, f.archivo);
    }
    std::vector<TPerfilComparado> perfiles;
    for (std::size_t k = 0; k < fuentes.size(); ++k) {
        TKoral& doc = *fuentes[k].doc;
        for (const std::string& nombre : fuentes[k].perfiles) {
            TPerfil* p = doc.buscarPerfil(nombreArgumento(nombre));
            if (!p)
                throw ErrorComando{"no hay ningún perfil llamado \"" + nombre + "\"" +
                                   (k ? " en " + fuentes[k].archivo : std::string())};
            calcularPerfil(doc, *p);
            perfiles.push_back({k ? etiquetaOtraEmpresa(doc, *p) : p->nombre, p, k > 0});
        }
    }
    // The threshold is that of the company the comparison is made for.
    const TComparacion c = compararPerfiles(
        perfiles,
        referencia ? referenciaNombrada(perfiles, *referencia) : referenciaPorDefecto(perfiles),
        leerDatos(*fuentes[0].doc).minimo);
    for (const CifrasPerfil& p : c.perfiles)
        if (p.identificable) avisarAnonimato(errores, p.etiqueta);
    const std::string& empresa = fuentes[0].doc->nombre;
    if (salida.prn) {
        EscribirArchivoImpresion(destino, TextoComparacion(c, empresa));
    } else {
        const char separador = separadorPaginas(servicios);
        imprimirPdf(destino, servicios, [&](Superficie& s, TImpresora& imp) {
            DibujarComparacion(c, empresa, s, separador, imp);
        });
    }
    return 0;
}

// evaluacion FILE.kr2 [--distribucion] [--anexo] [--minimo N]
int evaluacion(const std::vector<std::string>& resto, const Salida& salida, std::ostream& errores,
               const Servicios& servicios) {
    OpcionesEvaluacion opciones;
    std::optional<int> minimo;
    std::vector<std::string> archivos;
    for (std::size_t i = 0; i < resto.size(); ++i) {
        const std::string& a = resto[i];
        if (a == "--distribucion" && !opciones.distribucion) {
            opciones.distribucion = true;
        } else if (a == "--anexo" && !opciones.anexo) {
            opciones.anexo = true;
        } else if (a == "--minimo" && !minimo) {
            const std::string n = i + 1 < resto.size() ? resto[++i] : std::string();
            int v = 0;
            const auto [fin, ec] = std::from_chars(n.data(), n.data() + n.size(), v);
            if (n.empty() || ec != std::errc() || fin != n.data() + n.size() || v < 1 || v > 1000) {
                errores << "Error: --minimo necesita un número entero de 1 a 1000\n";
                return 2;
            }
            minimo = v;
        } else {
            archivos.push_back(a);
        }
    }
    if (archivos.size() != 1) return 2;
    const std::string& destino = salida.prn ? *salida.prn : *salida.pdf;
    DocumentoComando doc;
    leerExistente(doc, archivos[0]);
    comprobarFueraDeEmpresa(destino, archivos[0]);
    const TDatosEvaluacion datos = leerDatos(doc);
    opciones.minimo = minimo.value_or(datos.minimo);
    PrepararEvaluacion(doc);
    for (const auto& p : doc.perfiles)
        if (poblacionIdentificable(p->nSujetos) &&
            !resultadosRetenidos(p->nSujetos, opciones.minimo))
            avisarAnonimato(errores, p->nombre);
    if (salida.prn) {
        EscribirArchivoImpresion(destino, TextoEvaluacion(doc, datos, opciones));
    } else {
        const char separador = separadorPaginas(servicios);
        imprimirPdf(destino, servicios, [&](Superficie& s, TImpresora& imp) {
            DibujarEvaluacion(doc, datos, opciones, s, separador, imp);
        });
    }
    return 0;
}

// medidas FILE.kr2: the action plan of the companion file.
int medidas(const std::vector<std::string>& resto, const Salida& salida,
            const Servicios& servicios) {
    if (resto.size() != 1) return 2;
    const std::string& destino = salida.prn ? *salida.prn : *salida.pdf;
    DocumentoComando doc;
    leerExistente(doc, resto[0]);
    comprobarFueraDeEmpresa(destino, resto[0]);
    TAcompanante acompanante;
    acompanante.leer(doc);
    const TDatosEvaluacion datos = datosEvaluacion(acompanante);
    if (salida.prn) {
        EscribirArchivoImpresion(destino, TextoMedidas(doc, datos));
    } else {
        const char separador = separadorPaginas(servicios);
        imprimirPdf(destino, servicios, [&](Superficie& s, TImpresora& imp) {
            DibujarMedidas(doc, datos, s, separador, imp);
        });
    }
    return 0;
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

    if (tipo == "comparacion") return comparacion(resto, salida, errores, servicios);
    if (tipo == "evaluacion") return evaluacion(resto, salida, errores, servicios);
    if (tipo == "medidas") return medidas(resto, salida, servicios);

    std::size_t argumentos;
    if (tipo == "informe" || tipo == "grupos")
        argumentos = 1;
    else if (tipo == "cuestionario" || tipo == "perfil")
        argumentos = 2;
    else
        return 2;
    if (resto.size() != argumentos) return 2;

    DocumentoComando doc;
    leerExistente(doc, resto[0]);
    comprobarFueraDeEmpresa(destino, resto[0]);

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
                imp.empresa = doc.nombre;
                DibujarCuestionario(*q, s, separador, imp);
            };
    } else {
        TPerfil* p = doc.buscarPerfil(nombreArgumento(resto[1]));
        if (!p) throw ErrorComando{"no hay ningún perfil llamado \"" + resto[1] + "\""};
        calcularPerfil(doc, *p);
        // The pages carry the notice; the command's user sees it too, also
        // when the print file, which holds no figures, is all that is written.
        if (poblacionIdentificable(p->nSujetos)) errores << cp1252AUtf8(kAvisoAnonimato) << '\n';
        if (salida.prn)
            lineas = TextoPerfil(*p);
        else
            dibujar = [&, p](Superficie& s, TImpresora& imp) {
                imp.empresa = doc.nombre;
                DibujarPerfil(*p, s, separador, imp);
            };
    }
    if (salida.prn)
        EscribirArchivoImpresion(destino, lineas);
    else
        imprimirPdf(destino, servicios, dibujar);
    return 0;
}

}  // namespace koral::cli
