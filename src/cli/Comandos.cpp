#include "cli/Comandos.h"

#include <algorithm>
#include <charconv>
#include <initializer_list>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>

#include "cli/ComandoReport.h"
#include "cli/Comun.h"
#include "document/Acompanante.h"
#include "document/DatosEvaluacion.h"
#include "document/UData.h"
#include "exchange/Exportar.h"
#include "exchange/Importar.h"
#include "exchange/MedidasCsv.h"
#include "exchange/Puntuaciones.h"
#include "exchange/Tablas.h"
#include "method/Formato.h"
#include "method/Perfil.h"
#include "method/Puntuacion.h"
#include "platform/Anticipar.h"
#include "platform/Archivos.h"
#include "platform/Bloqueo.h"
#include "platform/Dialogos.h"
#include "platform/Reales.h"
#include "platform/Texto.h"
#include "platform/TextoEnBloques.h"

namespace koral::cli {

namespace {

constexpr const char* kUso =
    "Uso: koral20-cli COMANDO ...\n"
    "  dump ARCHIVO.kr2               la empresa como JSON\n"
    "  save ARCHIVO.kr2 [SALIDA.kr2]  lee y vuelve a escribir la empresa\n"
    "  score                          puntúa cadenas de respuestas (entrada estándar)\n"
    "  recoger ARCHIVO.kr2 [--direccion IP] [--puerto N] [--codigo TEXTO]\n"
    "          [--grupos CAMPANA.json] [--codigos N] [--continuar]\n"
    "                                 recoge respuestas con un formulario en la red local\n"
    "  profile ARCHIVO.kr2 PERFIL [--chart GRAFICO.png]\n"
    "                                 calcula un perfil: medias, niveles y respuestas\n"
    "  export ARCHIVO.kr2 SALIDA.txt  exporta los cuestionarios a un archivo de texto\n"
    "  import ARCHIVO.kr2 ENTRADA.txt [...]\n"
    "                                 importa archivos de texto y guarda la empresa\n"
    "  puntuaciones ARCHIVO.kr2 SALIDA.(csv|sav|dta|xlsx) [--separador[=C]] [--decimal[=C]]\n"
    "                                 respuestas, puntuaciones y bandas en CSV, SPSS,\n"
    "                                 Stata o Excel, según la extensión de SALIDA\n"
    "  medidas ARCHIVO.kr2 SALIDA.(csv|xlsx) [--separador[=C]] [--decimal[=C]]\n"
    "                                 el plan de medidas de la evaluación en CSV o Excel\n"
    "  report medidas ARCHIVO.kr2 (--prn SALIDA.prn | --pdf SALIDA.pdf)\n"
    "                                 imprime el plan de medidas de la evaluación\n"
    "  report TIPO [ARCHIVO.kr2] [NOMBRE] (--prn SALIDA.prn | --pdf SALIDA.pdf)\n"
    "                                 imprime un informe: informe, grupos, cuestionario,\n"
    "                                 perfil o vacio (sin archivo, solo --pdf)\n"
    "  report comparacion ARCHIVO.kr2 PERFIL PERFIL [...] [--de OTRA.kr2 PERFIL ...]\n"
    "         [--referencia PERFIL] (--prn SALIDA.prn | --pdf SALIDA.pdf)\n"
    "                                 compara hasta 12 perfiles, también de otra empresa\n"
    "                                 (solo se lee), frente al perfil de referencia\n"
    "  report evaluacion ARCHIVO.kr2 [--distribucion] [--anexo] [--minimo N]\n"
    "         (--prn SALIDA.prn | --pdf SALIDA.pdf)\n"
    "                                 el informe de evaluación de toda la empresa\n";

// Notices go to stderr one per line; questions and prompts take the answer
// that changes nothing.
class DialogosCli : public Dialogos {
public:
    explicit DialogosCli(std::ostream& err) : err_(err) {}
    void mensaje(const std::string& texto) override {
        err_ << "Atención: " << cp1252AUtf8(texto) << '\n';
    }
    Respuesta pregunta(const std::string&, const std::string&) override {
        return Respuesta::Cancelar;
    }
    bool pideCampo(const std::string&, const std::string&, std::string&) override { return false; }

private:
    std::ostream& err_;
};

class InstalacionDialogos {
public:
    explicit InstalacionDialogos(Dialogos* d) : anterior_(instalarDialogos(d)) {}
    ~InstalacionDialogos() { instalarDialogos(anterior_); }

private:
    Dialogos* anterior_;
};

// JSON handed to the stream in large blocks: a stream taking it a character
// at a time cost about half of `dump` on a large company.
class Json : public TextoEnBloques {
public:
    explicit Json(std::ostream& o)
        : TextoEnBloques([&o](const char* d, std::size_t n) {
              o.write(d, static_cast<std::streamsize>(n));
          }) {}

    // Shortest text that reads back to the same double.
    void real(double v) {
        char tmp[32];
        buf_.append(tmp, static_cast<std::size_t>(realCorto(tmp, v) - tmp));
    }
    void cadenaUtf8(std::string_view utf8) {
        buf_ += '"';
        std::size_t desde = 0;
        for (std::size_t i = 0; i < utf8.size(); ++i) {
            const char c = utf8[i];
            const auto u = static_cast<unsigned char>(c);
            if (u >= 0x20 && c != '"' && c != '\\') continue;
            buf_.append(utf8.data() + desde, i - desde);
            desde = i + 1;
            switch (c) {
                case '"':
                    buf_ += "\\\"";
                    break;
                case '\\':
                    buf_ += "\\\\";
                    break;
                case '\n':
                    buf_ += "\\n";
                    break;
                case '\r':
                    buf_ += "\\r";
                    break;
                case '\t':
                    buf_ += "\\t";
                    break;
                default: {
                    static const char* hex = "0123456789abcdef";
                    buf_ += "\\u00";
                    buf_ += hex[u >> 4];
                    buf_ += hex[u & 15];
                }
            }
        }
        buf_.append(utf8.data() + desde, utf8.size() - desde);
        buf_ += '"';
    }
    // Windows-1252 text; plain ASCII (answers, most names) is already UTF-8,
    // and usually needs no escape either.
    void cadena(std::string_view cp) {
        if (textoLlano(cp, 0x20, "\"\\")) {
            buf_ += '"';
            buf_.append(cp);
            buf_ += '"';
            return;
        }
        for (char c : cp)
            if (static_cast<unsigned char>(c) >= 0x80) return cadenaUtf8(cp1252AUtf8(cp));
        cadenaUtf8(cp);
    }
    template <typename L>
    void ids(const L& lista) {
        buf_ += '[';
        // The records are far apart in memory: each is asked for a few
        // turns ahead of its identifier.
        constexpr std::size_t kAdelanto = 8;
        for (std::size_t i = 0; i < lista.size(); ++i) {
            if (i + kAdelanto < lista.size()) anticipar(&lista[i + kAdelanto]->id);
            if (i) buf_ += ',';
            entero(lista[i]->id);
        }
        buf_ += ']';
    }
    // A record's opening: `{"id":N,"nombre":"...","fecha":F`, as every
    // group, questionnaire and profile starts (`primero`: no comma before).
    template <typename R>
    void registro(const R& r, bool primero) {
        if (!primero) buf_ += ',';
        texto("{\"id\":");
        entero(r.id);
        texto(",\"nombre\":");
        cadena(r.nombre);
        texto(",\"fecha\":");
        real(r.fecha);
    }
    // Each record of `lista` as `registro` opens it, `campos` adds its own
    // fields, closed and handed on in blocks of whole records.
    template <typename R, typename Campos>
    void registros(const std::vector<std::unique_ptr<R>>& lista, Campos campos) {
        for (std::size_t i = 0; i < lista.size(); ++i) {
            registro(*lista[i], i == 0);
            campos(*lista[i]);
            caracter('}');
            quizaVaciar();
        }
    }
};

int dump(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 2) return 2;
    DocumentoComando doc;
    leerExistente(doc, args[1]);
    Json j(out);
    j.texto("{\"nombre\":");
    j.cadena(doc.nombre);
    j.texto(",\"archivo\":");
    j.cadenaUtf8(doc.archivo);  // a path: the file system's own bytes
    j.texto(",\"ultimoId\":");
    j.entero(doc.ultimoId);
    j.texto(",\"nGrupos\":");
    j.entero(doc.nGrupos);
    j.texto(",\"nCuestionarios\":");
    j.entero(doc.nCuestionarios);
    j.texto(",\"nPerfiles\":");
    j.entero(doc.nPerfiles);
    j.texto(",\"modificado\":");
    j.texto(doc.modificado ? "true" : "false");
    j.texto(",\"grupos\":[");
    j.registros(doc.grupos, [&j](const TGrupo& g) {
        j.texto(",\"cuestionarios\":");
        j.ids(g.cuestionarios);
    });
    j.texto("],\"cuestionarios\":[");
    j.registros(doc.cuestionarios, [&j](const TCuestionario& q) {
        j.texto(",\"grupos\":");
        j.ids(q.grupos);
        j.texto(",\"respuestas\":");
        j.cadena(std::string_view(q.respuestas.data(), q.respuestas.size()));
        j.texto(",\"puntuaciones\":[");
        for (int f = 0; f < kNumFactores; ++f) {
            if (f) j.caracter(',');
            j.real(q.puntuaciones[f]);
        }
        j.texto("],\"sinRespuesta\":");
        j.entero(q.sinRespuesta);
    });
    j.texto("],\"perfiles\":[");
    j.registros(doc.perfiles, [&j](const TPerfil& p) {
        j.texto(",\"grupos\":");
        j.ids(p.grupos);
        j.texto(",\"descripcion\":");
        j.cadena(p.descripcion);
        j.texto(",\"observaciones\":");
        j.cadena(p.observaciones);
    });
    j.texto("]}\n");
    j.vaciar();
    return 0;
}

int save(const std::vector<std::string>& args) {
    if (args.size() != 2 && args.size() != 3) return 2;
    const auto bloqueo = tomarBloqueoSinPreguntar(args.back());
    DocumentoComando doc;
    leerExistente(doc, args[1]);
    if (args.size() == 3) doc.archivo = args[2];
    doc.guardarArchivo();
    return 0;
}

int profile(const std::vector<std::string>& args, std::ostream& out, const Servicios& servicios) {
    std::string grafico;
    std::vector<std::string> resto;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--chart" && i + 1 < args.size())
            grafico = args[++i];
        else
            resto.push_back(args[i]);
    }
    if (resto.size() != 2) return 2;
    DocumentoComando doc;
    leerExistente(doc, resto[0]);
    TPerfil* p = doc.buscarPerfil(nombreArgumento(resto[1]));
    if (!p) throw ErrorComando{"no hay ningún perfil llamado \"" + resto[1] + "\""};
    // The chart's path is refused, if it must be, before anything is written.
    std::unique_ptr<Reemplazo> archivoGrafico;
    if (!grafico.empty()) {
        if (!servicios.guardarGrafico) throw ErrorComando{"no se pueden dibujar gráficos aquí"};
        comprobarFueraDeEmpresa(grafico, resto[0]);
        archivoGrafico = std::make_unique<Reemplazo>(grafico);
    }
    calcularPerfil(doc, *p);
    out << "Nº Sujetos: " << p->nSujetos << '\n';
    for (int f = 1; f <= kNumFactores; ++f) {
        out << kAbreviaturas[f - 1] << '\t' << formatoReal(mediaFactor(*p, f), 5, 2, '.');
        for (int b = 1; b <= 3; ++b) out << '\t' << porcentajeBanda(*p, f, b, '.');
        out << '\n';
    }
    out << "Sin respuesta:\t" << porcentajeSinRespuesta(*p) << '\n';
    std::vector<std::string> lineas;
    llenarDescriptivo(*p, lineas, '.');
    for (const auto& l : lineas) out << cp1252AUtf8(l) << '\n';
    if (archivoGrafico) {
        servicios.guardarGrafico(*p, archivoGrafico->salida());
        archivoGrafico->confirmar();
    }
    return 0;
}

int exportar(const std::vector<std::string>& args) {
    if (args.size() != 3) return 2;
    DocumentoComando doc;
    leerExistente(doc, args[1]);
    exportarDatos(doc, args[2]);
    return 0;
}

int importar(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() < 3) return 2;
    // Every file to import is opened before the company is: one that cannot
    // be ends the command with nothing created or saved. Each is then read a
    // piece at a time; a failure on the way saves nothing either.
    std::vector<std::unique_ptr<EntradaArchivo>> entradas;
    for (std::size_t i = 2; i < args.size(); ++i) entradas.push_back(abrirParaImportar(args[i]));
    const auto bloqueo = tomarBloqueoSinPreguntar(args[1]);
    DocumentoComando doc;
    if (archivos().existe(args[1])) {
        doc.leerArchivo(args[1]);
    } else {
        doc.iniciarEmpresa(kNombreEmpresaInicial);  // the name the window program offers
        doc.archivo = args[1];
    }
    const auto anota = [&out](const std::string& linea) { out << cp1252AUtf8(linea) << '\n'; };
    for (std::size_t i = 2; i < args.size(); ++i) {
        importarEntrada(doc, args[i], *entradas[i - 2], anota);
        entradas[i - 2].reset();  // closed once imported
    }
    // A log that could not be written is a failed command: nothing is saved.
    out.flush();
    if (!out) throw ErrorComando{"no se pudo escribir la salida estándar"};
    doc.guardarArchivo();
    return 0;
}

// The arguments of the CSV commands, FILE OUT [--separador[=C]]
// [--decimal[=C]], the paths into `rutas`; nullopt when there are not two.
// Alone, the options switch to ',' and '.', the form R, PSPP and pandas read.
std::optional<FormatoCsv> argumentosCsv(const std::vector<std::string>& args,
                                        std::vector<std::string>& rutas) {
    FormatoCsv formato;
    bool decimalDado = false;
    const auto valor = [](const std::string& a, const char* opcion, char porDefecto) {
        const std::string prefijo = std::string(opcion) + "=";
        if (a == opcion) return porDefecto;
        if (a.size() == prefijo.size() + 1 && a.rfind(prefijo, 0) == 0) return a.back();
        if (a == prefijo + "\\t" || a == prefijo + "tab") return '\t';
        throw ErrorComando{"opción no válida: " + a};
    };
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.rfind("--separador", 0) == 0) {
            formato.separador = valor(a, "--separador", ',');
        } else if (a.rfind("--decimal", 0) == 0) {
            formato.decimal = valor(a, "--decimal", '.');
            decimalDado = true;
        } else {
            rutas.push_back(a);
        }
    }
    if (rutas.size() != 2) return std::nullopt;
    if (formato.separador == ',' && !decimalDado) formato.decimal = '.';
    if (formato.separador == formato.decimal || formato.separador == '"' ||
        formato.decimal == '"' || (formato.decimal != '.' && formato.decimal != ','))
        throw ErrorComando{"separador y coma decimal incompatibles"};
    return formato;
}

// OUT's format by its extension, among those the command writes.
FormatoTabla formatoSalida(const std::string& ruta, std::initializer_list<FormatoTabla> validos,
                           const char* lista) {
    const auto tipo = formatoDeRuta(ruta);
    if (!tipo || std::find(validos.begin(), validos.end(), *tipo) == validos.end())
        throw ErrorComando{"extensión de salida desconocida (" + std::string(lista) + "): " + ruta};
    return *tipo;
}

// puntuaciones FILE OUT [--separador[=C]] [--decimal[=C]]
int puntuaciones(const std::vector<std::string>& args) {
    std::vector<std::string> rutas;
    const auto formato = argumentosCsv(args, rutas);
    if (!formato) return 2;
    const FormatoTabla tipo = formatoSalida(
        rutas[1], {FormatoTabla::Csv, FormatoTabla::Sav, FormatoTabla::Dta, FormatoTabla::Xlsx},
        ".csv, .sav, .dta o .xlsx");
    DocumentoComando doc;
    leerExistente(doc, rutas[0]);
    escribirPuntuaciones(doc, rutas[1], tipo, *formato);
    return 0;
}

// medidas FILE OUT [--separador[=C]] [--decimal[=C]]: the action plan of
// the companion file.
int medidas(const std::vector<std::string>& args) {
    std::vector<std::string> rutas;
    const auto formato = argumentosCsv(args, rutas);
    if (!formato) return 2;
    const FormatoTabla tipo =
        formatoSalida(rutas[1], {FormatoTabla::Csv, FormatoTabla::Xlsx}, ".csv o .xlsx");
    DocumentoComando doc;
    leerExistente(doc, rutas[0]);
    TAcompanante acompanante;
    acompanante.leer(doc);
    if (tipo == FormatoTabla::Xlsx)
        escribirMedidasXlsx(doc, datosEvaluacion(acompanante), rutas[1]);
    else
        escribirMedidasCsv(doc, datosEvaluacion(acompanante), rutas[1], *formato);
    return 0;
}

int score(std::istream& in, std::ostream& out) {
    std::string linea;
    long n = 0;
    while (out && std::getline(in, linea)) {
        ++n;
        if (!linea.empty() && linea.back() == '\r') linea.pop_back();
        if (linea.size() != static_cast<std::size_t>(kNumItems))
            throw ErrorComando{"línea " + std::to_string(n) + ": se esperaban " +
                               std::to_string(kNumItems) + " respuestas y hay " +
                               std::to_string(linea.size()) + " caracteres"};
        Puntuaciones p{};
        const int sin = puntuarRespuestas(linea.data(), p);
        for (double s : p) out << formatoReal(s, 0, 6, '.') << ' ';
        out << sin << '\n';
    }
    return 0;
}

}  // namespace

int ejecutar(const std::vector<std::string>& args, std::istream& entrada, std::ostream& salida,
             std::ostream& errores, const Servicios& servicios) {
    DialogosCli dialogos(errores);
    InstalacionDialogos instalacion(&dialogos);
    int codigo = 2;
    try {
        const std::string comando = args.empty() ? std::string() : args[0];
        if ((comando == "--help" || comando == "-h") && args.size() == 1) {
            salida << kUso;  // asked for: the answer, not a usage error
            codigo = 0;
        } else if (comando == "dump")
            codigo = dump(args, salida);
        else if (comando == "save")
            codigo = save(args);
        else if (comando == "export")
            codigo = exportar(args);
        else if (comando == "import")
            codigo = importar(args, salida);
        else if (comando == "report")
            codigo = comandoReport(args, errores, servicios);
        else if (comando == "puntuaciones")
            codigo = puntuaciones(args);
        else if (comando == "medidas")
            codigo = medidas(args);
        else if (comando == "profile")
            codigo = profile(args, salida, servicios);
        else if (comando == "recoger") {
            if (!servicios.recoger) throw ErrorComando{"no se pueden recoger respuestas aquí"};
            codigo = servicios.recoger(args, salida, errores);
        } else if (comando == "score" && args.size() == 1)
            codigo = score(entrada, salida);
    } catch (const ErrorComando& e) {
        errores << "Error: " << e.mensaje << '\n';
        return 1;
    } catch (const ErrorArchivo& e) {
        errores << "Error: " << cp1252AUtf8(e.what()) << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        errores << "Error: memoria insuficiente\n";
        return 1;
    }
    if (codigo == 2) errores << kUso;
    // A full disk or a closed stdout shows only when the text is flushed.
    if (codigo == 0 && !salida.flush()) {
        errores << "Error: no se pudo escribir la salida estándar\n";
        return 1;
    }
    return codigo;
}

}  // namespace koral::cli
