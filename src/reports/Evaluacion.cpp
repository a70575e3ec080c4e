#include "reports/Evaluacion.h"

#include <algorithm>
#include <unordered_map>

#include "method/Formato.h"
#include "method/Perfil.h"
#include "platform/Fecha.h"
#include "platform/Texto.h"
#include "reports/Comparacion.h"
#include "reports/Escritores.h"
#include "reports/Informes.h"
#include "reports/Maquetacion.h"

namespace koral {

namespace {

// The band limits as the text says them; bandaDe must agree.
static_assert(bandaDe(3.999) == 1 && bandaDe(4.0) == 2 && bandaDe(6.999) == 2 && bandaDe(7.0) == 3);

// What a high score means, factor 1 first.
constexpr std::array<const char*, kNumFactores> kSignificadoAlto = {
    "Una puntuación alta indica un trabajo que exige mucha atención, con tiempos ajustados, "
    "mucha información o información compleja, y que deja fatiga.",
    "Una puntuación alta indica que el trabajador apenas puede decidir cuándo hacer una pausa, "
    "cómo repartir sus descansos o a qué ritmo trabajar.",
    "Una puntuación alta indica un trabajo repetitivo y rutinario, que pone en juego pocas "
    "capacidades, tiene poco sentido para quien lo hace o es poco reconocido.",
    "Una puntuación alta indica un control estrecho de los superiores sobre el método, el ritmo "
    "y los horarios, y pocos cauces para participar y hacerse oír.",
    "Una puntuación alta indica que no está claro lo que se espera de cada uno o que las "
    "exigencias que recibe son contradictorias.",
    "Una puntuación alta indica poco interés de la empresa por la persona: escasas "
    "posibilidades de promoción y formación, poca información y poca estabilidad en el empleo.",
    "Una puntuación alta indica pocas posibilidades de comunicarse durante el trabajo o malas "
    "relaciones con jefes, compañeros, subordinados o clientes."};

constexpr std::array<const char*, 3> kNiveles = {
    "Nivel 1 (verde claro, liso): menos de 4. Situación adecuada.",
    "Nivel 2 (amarillo, rayado): de 4 a menos de 7. Situación intermedia: conviene vigilarla.",
    "Nivel 3 (rojo, cuadriculado): 7 o más. Situación desfavorable: requiere intervención."};

// One of our Windows-1252 texts from a UTF-8 literal kept in a table.
std::string cp(const char* utf8) {
    return operator""_cp(utf8, std::char_traits<char>::length(utf8));
}

std::string cuenta(std::size_t n, const char* singular, const char* plural) {
    return formatoEntero(static_cast<long long>(n)) + " " + (n == 1 ? singular : plural);
}

std::vector<std::string> nombresGrupos(const TPerfil& p) {
    std::vector<std::string> v;
    for (const TGrupo* g : p.grupos)
        if (g) v.push_back(g->nombre);
    return v;
}

std::string unidos(const std::vector<std::string>& v, const char* separador) {
    std::string t;
    for (const auto& x : v) t += (t.empty() ? "" : separador) + x;
    return t;
}

// Who a profile counts, as calcularPerfil counts them.
std::string textoGrupos(const TPerfil& p) {
    if (p.grupos.empty())
        return "Grupos: ninguno. El perfil cuenta toda la empresa: todos sus cuestionarios, "
               "también los que no están en ningún grupo."_cp;
    const auto nombres = nombresGrupos(p);
    if (p.grupos.size() == 1)
        return "Grupos: " + unidos(nombres, ", ") +
               ". El perfil cuenta los cuestionarios de este grupo.";
    return "Grupos: " + unidos(nombres, ", ") +
           ". El perfil cuenta los cuestionarios que están a la vez en todos estos grupos."_cp;
}

std::string gruposCuestionario(const TCuestionario& q) {
    std::vector<std::string> v;
    for (const TGrupo* g : q.grupos)
        if (g) v.push_back(g->nombre);
    return v.empty() ? std::string("ninguno") : unidos(v, ", ");
}

// What stands for anything the assessor has left empty.
constexpr const char* kSinCompletar = "Sin completar.";

// The workers a profile counts: its group's, the company's when it selects
// none; 0 when not given or, for several groups, not known.
int trabajadoresPerfil(const TPerfil& p, const TDatosEvaluacion& d) {
    if (p.grupos.empty()) return d.trabajadores;
    if (p.grupos.size() == 1 && p.grupos[0]) return d.trabajadoresGrupo(p.grupos[0]->nombre);
    return 0;
}

std::string porcentajeParticipacion(long long cuestionarios, int trabajadores, char separador) {
    if (trabajadores <= 0) return {};
    return formatoReal(100.0 * static_cast<double>(cuestionarios) / trabajadores, 0, 1, separador) +
           " %";
}

std::string periodo(double desde, double hasta) {
    const std::string d = textoFecha(desde), h = textoFecha(hasta);
    if (!d.empty() && !h.empty()) return "del " + d + " al " + h;
    if (!d.empty()) return "desde el " + d;
    if (!h.empty()) return "hasta el " + h;
    return {};
}

std::string factoresMedida(const TMedida& m) {
    std::vector<std::string> v;
    for (int f : m.factores)
        if (f >= 1 && f <= kNumFactores)
            v.emplace_back(kAbreviaturas[static_cast<std::size_t>(f - 1)]);
    return unidos(v, ", ");
}

std::string estadoMedida(const TMedida& m) {
    std::string t = textoEstado(m.estado);
    if (m.estado == EstadoMedida::Hecha && !textoFecha(m.hecha).empty())
        t += " el " + textoFecha(m.hecha);
    return t;
}

double fechaDelInforme(const TDatosEvaluacion& d) {
    return textoFecha(d.fechaInforme).empty() ? fechaHoy() : d.fechaInforme;
}

std::size_t retenidos(const TKoral& e, int minimo) {
    return static_cast<std::size_t>(
        std::count_if(e.perfiles.begin(), e.perfiles.end(),
                      [&](const auto& p) { return resultadosRetenidos(p->nSujetos, minimo); }));
}

struct MedidasAnexo {
    bool hechas = false;
    std::vector<int> nombres, grupos;  // per questionnaire, 8-point regular
};

// The pages of the table of contents' entries: where the counting layout
// drew each heading, for the drawing layout to print.
struct PaginasIndice {
    std::vector<int> leidas;     // empty while counting
    std::vector<int> dibujadas;  // filled by each layout
};

// The entries of the table of contents, in order: the sections, with each
// profile under the results.
enum Entrada : std::size_t {
    kIdentificacion,
    kObjeto,
    kMetodo,
    kParticipacion,
    kResultados,
    kPlan,
    kConfidencialidad,
    kAnexo,
    kPrimerPerfil
};
constexpr std::array<const char*, kPrimerPerfil> kTitulos = {
    "1. Identificación",   "2. Objeto y alcance",
    "3. Método",           "4. Participación",
    "5. Resultados",       "6. Plan de medidas",
    "7. Confidencialidad", "Anexo: grupos y cuestionarios"};

// One layout of the whole document on `s`; returns its page count.
class TMaqueta {
public:
    TMaqueta(const TKoral& empresa, const TDatosEvaluacion& datos,
             const OpcionesEvaluacion& opciones, Superficie& s, char separador, int total,
             MedidasAnexo& medidas, PaginasIndice& indice)
        : e_(empresa),
          d_(datos),
          o_(opciones),
          s_(s),
          sep_(separador),
          distribucion_(opciones.distribucion),
          h_(s, empresa.nombre, total),
          aL_(h_.altoLinea),
          medidas_(medidas),
          indice_(indice) {
        indice_.dibujadas.assign(kPrimerPerfil + e_.perfiles.size(), 0);
        altoTexto_ = s_.altoTexto("W");
        lado_ = std::max(2, altoTexto_ * 2 / 3);
        margen_ = std::max(2, altoTexto_ / 4);
        fijarLetra(s_, 8, Estilo::Negrita);
        anchoEtiquetas_ = s_.anchoTexto("Aplicación del cuestionario"_cp) + aL_;
        fijarLetra(s_, 8);
        h_.cabecera = [this] {
            if (h_.pagina == 1) return;  // the cover has none
            fijarLetra(s_, 8, Estilo::Negrita);
            s_.texto(h_.izquierda, h_.y, "INFORME DE EVALUACIÓN DE FACTORES PSICOSOCIALES"_cp);
            fijarLetra(s_, 8);
            h_.y += aL_;
            s_.linea(h_.izquierda, h_.y, h_.derecha, h_.y);
            h_.y += aL_;
            // A profile's section that runs on says whose it is.
            if (continua_.empty()) return;
            const int alto = fijarLetra(s_, 10, Estilo::Negrita);
            for (const auto& l : partirTexto(s_, continua_ + " (continuación)"_cp, h_.ancho())) {
                s_.texto(h_.izquierda, h_.y, l);
                h_.y += alto;
            }
            fijarLetra(s_, 8);
            h_.y += aL_ / 2;
        };
    }

    int maquetar(TImpresora& impresora) {
        s_.pluma(kNegro, 1);
        s_.colorTexto(kNegro);
        impresora.tituloTrabajo = "Imp. Evaluación"_cp;
        impresora.tituloDocumento =
            tituloConEmpresa("INFORME DE EVALUACIÓN DE FACTORES PSICOSOCIALES"_cp, e_.nombre);
        impresora.EmpezarDocumento(s_);
        h_.empezar();
        portada();
        h_.nuevaPagina();
        indice();
        h_.nuevaPagina();
        identificacion();
        espacio();
        espacio();
        objeto();
        h_.nuevaPagina();
        metodo();
        h_.nuevaPagina();
        participacion();
        h_.nuevaPagina();
        resumen();
        for (std::size_t i = 0; i < e_.perfiles.size(); ++i) {
            h_.nuevaPagina();
            continua_ = e_.perfiles[i]->nombre;
            seccionPerfil(*e_.perfiles[i], kPrimerPerfil + i);
            continua_.clear();
        }
        h_.nuevaPagina();
        plan();
        espacio();
        espacio();
        confidencialidad();
        h_.nuevaPagina();
        anexo();
        s_.terminarDocumento();
        return h_.pagina;
    }

private:
    // Lines of `texto` at the left margin plus `sangria`; each line goes to
    // the next page when it does not fit.
    void parrafo(const std::string& texto, int puntos = 8, Estilo estilo = Estilo::Normal,
                 int sangria = 0) {
        const int alto = fijarLetra(s_, puntos, estilo);
        for (const auto& linea : partirTexto(s_, texto, h_.ancho() - sangria)) {
            h_.reservar(alto);
            if (!linea.empty()) s_.texto(h_.izquierda + sangria, h_.y, linea);
            h_.y += alto;
        }
        fijarLetra(s_, 8);
    }
    // Paragraphs separated by CR LF, as profile texts keep them.
    void texto(const std::string& t) {
        std::size_t i = 0;
        for (;;) {
            const std::size_t salto = t.find("\r\n", i);
            parrafo(t.substr(i, salto == std::string::npos ? std::string::npos : salto - i));
            if (salto == std::string::npos) break;
            i = salto + 2;
        }
    }
    // An assessor's text, or the placeholder when there is none.
    void textoEvaluador(const std::string& t) {
        if (t.empty()) {
            parrafo(kSinCompletar, 8, Estilo::Cursiva);
            return;
        }
        for (const auto& p : parrafos(t)) parrafo(p);
    }
    // A heading with room below it for `siguiente` (what must follow it on
    // the same page); `entrada` is its line in the table of contents.
    void titulo(const std::string& t, int puntos, int siguiente,
                std::size_t entrada = static_cast<std::size_t>(-1)) {
        fijarLetra(s_, puntos, Estilo::Negrita);
        const auto lineas = partirTexto(s_, t, h_.ancho());
        const int alto = fijarLetra(s_, puntos, Estilo::Negrita);
        // The space under the heading counts too.
        h_.reservar(static_cast<int>(lineas.size()) * alto + aL_ / 2 + siguiente);
        if (entrada < indice_.dibujadas.size()) indice_.dibujadas[entrada] = h_.pagina;
        fijarLetra(s_, puntos, Estilo::Negrita);
        for (const auto& l : lineas) {
            s_.texto(h_.izquierda, h_.y, l);
            h_.y += alto;
        }
        fijarLetra(s_, 8);
        h_.y += aL_ / 2;
    }
    void espacio() { h_.y = std::min(h_.y + aL_ / 2, h_.abajo); }
    void centrado(const std::string& t, int puntos, Estilo estilo) {
        const int alto = fijarLetra(s_, puntos, estilo);
        for (const auto& l : partirTexto(s_, t, h_.ancho())) {
            s_.texto(h_.izquierda + (h_.ancho() - s_.anchoTexto(l)) / 2, h_.y, l);
            h_.y += alto;
        }
        fijarLetra(s_, 8);
    }
    // The least width of a cell holding a mean; sets anchoMedia_.
    int anchoCifra() {
        fijarLetra(s_, 8, Estilo::Negrita);
        anchoMedia_ = s_.anchoTexto(textoMedia(10, sep_));
        fijarLetra(s_, 8);
        return lado_ + anchoMedia_ + 4 * margen_;
    }
    void aLaDerecha(int xDerecha, int y, const std::string& t) {
        s_.texto(xDerecha - margen_ - s_.anchoTexto(t), y, t);
    }
    // A mean in bold at the right of its cell, its band's colour at the left.
    void celdaMedia(const TPerfil& p, double media, int x, int ancho, int y) {
        dibujarMuestraBanda(s_, x + ancho - 3 * margen_ - anchoMedia_ - lado_,
                            y + (altoTexto_ - lado_) / 2, lado_,
                            p.nSujetos > 0 ? bandaDeMedia(media) : 0);
        fijarLetra(s_, 8, Estilo::Negrita);
        aLaDerecha(x + ancho, y, textoMedia(media, sep_));
        fijarLetra(s_, 8);
    }
    void regla(int y) { s_.linea(h_.izquierda, y, h_.derecha, y); }

    // "Label" in bold in a column of `anchoEtiqueta`, the value beside it
    // (or the placeholder), each line going to the next page if need be.
    void campo(const std::string& etiqueta, const std::string& valor, int sangria = 0) {
        fijarLetra(s_, 8, Estilo::Negrita);
        const int columna = std::min(anchoEtiquetas_, h_.ancho() / 3);
        const auto rotulo = partirTexto(s_, etiqueta, columna - margen_);
        fijarLetra(s_, 8, valor.empty() ? Estilo::Cursiva : Estilo::Normal);
        const int x = h_.izquierda + sangria + columna;
        const auto lineas =
            partirTexto(s_, valor.empty() ? std::string(kSinCompletar) : valor, h_.derecha - x);
        const std::size_t n = std::max(rotulo.size(), lineas.size());
        for (std::size_t i = 0; i < n; ++i) {
            h_.reservar(aL_);
            if (i < rotulo.size()) {
                fijarLetra(s_, 8, Estilo::Negrita);
                s_.texto(h_.izquierda + sangria, h_.y, rotulo[i]);
            }
            if (i < lineas.size()) {
                fijarLetra(s_, 8, valor.empty() ? Estilo::Cursiva : Estilo::Normal);
                s_.texto(x, h_.y, lineas[i]);
            }
            h_.y += aL_;
        }
        fijarLetra(s_, 8);
    }

    void portada() {
        h_.y = h_.arriba + (h_.abajo - h_.arriba) / 5;
        centrado("INFORME DE EVALUACIÓN DE FACTORES PSICOSOCIALES"_cp, 16, Estilo::Negrita);
        h_.y += 2 * aL_;
        centrado(e_.nombre, 14, Estilo::Negrita);
        if (!d_.centros.empty()) centrado(d_.centros, 10, Estilo::Normal);
        h_.y += 2 * aL_;
        if (!d_.evaluador.empty())
            centrado("Evaluación: "_cp + d_.evaluador +
                         (d_.titulacion.empty() ? std::string() : ", " + d_.titulacion),
                     10, Estilo::Normal);
        if (!d_.servicioPrevencion.empty())
            centrado("Servicio de prevención: "_cp + d_.servicioPrevencion, 10, Estilo::Normal);
        if (const std::string t = periodo(d_.trabajoDesde, d_.trabajoHasta); !t.empty())
            centrado("Trabajo de campo: " + t, 10, Estilo::Normal);
        centrado("Fecha del informe: " + textoFecha(fechaDelInforme(d_)), 10, Estilo::Normal);
        h_.y += aL_;
        centrado(cuenta(e_.cuestionarios.size(), "cuestionario", "cuestionarios"), 10,
                 Estilo::Normal);
        centrado(cuenta(e_.grupos.size(), "grupo", "grupos"), 10, Estilo::Normal);
        centrado(cuenta(e_.perfiles.size(), "perfil", "perfiles"), 10, Estilo::Normal);
    }

    // The same lines in both layouts, whatever the numbers: the entries'
    // texts alone decide how they break.
    void indice() {
        titulo("Índice"_cp, 14, 2 * aL_);
        fijarLetra(s_, 10);
        const int numero = s_.anchoTexto("99999") + 2 * margen_;
        const int sangria = 2 * aL_;
        // The profiles under the results.
        std::vector<std::size_t> orden;
        for (std::size_t i = 0; i < kPrimerPerfil; ++i) {
            orden.push_back(i);
            if (i == kResultados)
                for (std::size_t k = 0; k < e_.perfiles.size(); ++k)
                    orden.push_back(kPrimerPerfil + k);
        }
        for (const std::size_t i : orden) {
            const bool perfil = i >= kPrimerPerfil;
            const std::string t =
                perfil ? "Perfil: " + e_.perfiles[i - kPrimerPerfil]->nombre : tituloEntrada(i);
            const int x = h_.izquierda + (perfil ? sangria : 0);
            const int alto = fijarLetra(s_, perfil ? 8 : 10);
            const auto lineas = partirTexto(s_, t, h_.derecha - numero - x);
            for (std::size_t k = 0; k < lineas.size(); ++k) {
                h_.reservar(alto);
                s_.texto(x, h_.y, lineas[k]);
                if (k + 1 == lineas.size() && i < indice_.leidas.size())
                    aLaDerecha(h_.derecha, h_.y, std::to_string(indice_.leidas[i]));
                h_.y += alto;
            }
        }
        fijarLetra(s_, 8);
    }

    std::string tituloEntrada(std::size_t i) const {
        return i == kAnexo && !o_.anexo ? std::string("Anexo: grupos") : cp(kTitulos[i]);
    }

    void identificacion() {
        titulo(cp(kTitulos[kIdentificacion]), 14, 2 * aL_, kIdentificacion);
        campo("Empresa", e_.nombre);
        campo("CIF", d_.cif);
        campo("Centros de trabajo", d_.centros);
        campo("Actividad", d_.actividad);
        campo("Evaluador", d_.evaluador);
        campo("Titulación"_cp, d_.titulacion);
        campo("Servicio de prevención"_cp, d_.servicioPrevencion);
        campo("Fecha del informe", textoFecha(fechaDelInforme(d_)));
    }

    void objeto() {
        titulo(cp(kTitulos[kObjeto]), 14, 2 * aL_, kObjeto);
        textoEvaluador(d_.objeto);
        espacio();
        campo("Trabajo de campo", periodo(d_.trabajoDesde, d_.trabajoHasta));
        campo("Aplicación del cuestionario"_cp, textoAplicacion(d_.aplicacion));
        espacio();
        titulo("Participación de los representantes de los trabajadores"_cp, 10, aL_);
        textoEvaluador(d_.representantes);
    }

    void metodo() {
        titulo(cp(kTitulos[kMetodo]), 14, 2 * aL_, kMetodo);
        for (const auto& p : parrafos(d_.metodo.empty() ? textoMetodoPorDefecto() : d_.metodo))
            parrafo(p);
        espacio();
        comoLeer();
    }

    void comoLeer() {
        titulo("Cómo leer este informe"_cp, 12, 2 * aL_);
        parrafo(
            "Este informe reúne los resultados de la evaluación de factores psicosociales de la "
            "empresa. Cada trabajador contestó un cuestionario de 75 preguntas, que se puntúa en "
            "siete factores, de 0 a 10. Un perfil describe una población de la empresa: cuenta "
            "los cuestionarios que están a la vez en todos los grupos que selecciona o, si no "
            "selecciona ninguno, todos los cuestionarios de la empresa."_cp);
        espacio();
        titulo("Los siete factores", 10, 3 * aL_);
        parrafo(
            "En los siete factores, cuanto más alta es la puntuación, más desfavorable es la "
            "situación."_cp);
        espacio();
        for (std::size_t f = 0; f < kNumFactores; ++f) {
            const Factor& fa = kFactores[f];
            h_.reservar(3 * aL_);  // the name with the first line of its meaning
            parrafo(std::string(kAbreviaturas[f]) + "  " + kNombresFactorAcentuados[f] +
                        " (preguntas " + std::to_string(fa.primerItem) + " a " +
                        std::to_string(fa.primerItem + fa.nItems - 1) + ")",
                    8, Estilo::Negrita);
            parrafo(cp(kSignificadoAlto[f]), 8, Estilo::Normal, 2 * lado_);
        }
        espacio();
        titulo("Los tres niveles", 10, 4 * aL_);
        parrafo(
            "Cada puntuación, y cada media, cae en uno de tres niveles, que el informe muestra "
            "con estos colores y tramas (también en una copia en blanco y negro):"_cp);
        for (std::size_t b = 0; b < 3; ++b) {
            h_.reservar(aL_);
            dibujarMuestraBanda(s_, h_.izquierda, h_.y + (altoTexto_ - lado_) / 2, lado_,
                                static_cast<int>(b) + 1);
            parrafo(cp(kNiveles[b]), 8, Estilo::Normal, 2 * lado_);
        }
        parrafo(
            "Una puntuación de exactamente 4 es del nivel 2, y una de exactamente 7, del nivel "
            "3. El color de una media es el de su valor tal como se imprime, con dos decimales."_cp);
        espacio();
        titulo("Las cifras de cada perfil", 10, 2 * aL_);
        const std::string minimo = std::to_string(kMinimoSujetosAnonimato);
        std::vector<std::string> cifras = {
            "Población: el número de cuestionarios (sujetos) que cuenta el perfil."_cp,
            "Media: la media de las puntuaciones del factor en esos cuestionarios, de 0 a 10. En "
            "el gráfico, la línea une las medias de los siete factores sobre la escala."_cp,
            "Nivel 1, nivel 2 y nivel 3: el porcentaje de sujetos cuya puntuación en el factor "
            "cae en cada nivel."_cp,
            "Sin respuesta: el porcentaje de preguntas que quedaron sin contestar en el conjunto "
            "de los cuestionarios del perfil. Las preguntas sin respuesta también pesan en la "
            "puntuación, de modo que un porcentaje alto resta fiabilidad a las cifras. Por eso "
            "el informe cuenta en cada perfil los cuestionarios con más de un tercio de las "
            "preguntas sin responder y, cuando las preguntas sin respuesta son el 10 % o más, "
            "lo advierte junto a sus cifras."_cp};
        if (o_.minimo > 1)
            cifras.push_back("Con menos de "_cp + std::to_string(o_.minimo) +
                             " personas, sus respuestas podrían reconocerse: el informe no da "
                             "ninguna cifra de esos perfiles, sino el texto \""_cp +
                             textoRetenido(o_.minimo) +
                             "\" (véase el apartado de "
                             "confidencialidad)."_cp);
        if (o_.minimo < kMinimoSujetosAnonimato)
            cifras.push_back(
                "Con menos de "_cp + minimo +
                " personas, sus respuestas podrían reconocerse: el informe lo advierte junto a "
                "la población de esos perfiles. Trate esas cifras con reserva."_cp);
        if (distribucion_)
            cifras.push_back(
                "Distribución de las respuestas: para cada pregunta, el porcentaje de sujetos "
                "que eligió cada respuesta y el de los que la dejaron sin contestar."_cp);
        cifras.push_back(
            o_.anexo ? "El anexo final relaciona cada grupo con su número de cuestionarios y de "
                       "trabajadores, y cada cuestionario con sus grupos: le sirve para comprobar "
                       "cómo se asignaron los cuestionarios a los grupos."_cp
                     : "El anexo final da cada grupo con su número de cuestionarios y de "
                       "trabajadores."_cp);
        for (const auto& c : cifras) {
            parrafo(c);
            espacio();
        }
    }

    // A table of populations: name, questionnaires, workers, participation.
    struct FilaParticipacion {
        std::string nombre;
        long long cuestionarios = 0;
        int trabajadores = 0;
        bool desconocido = false;  // several groups: the workforce does not tell
    };
    void tablaParticipacion(const char* cabecera, const std::vector<FilaParticipacion>& filas) {
        fijarLetra(s_, 8, Estilo::Negrita);
        const int cifra =
            std::max(s_.anchoTexto("Participación"_cp), s_.anchoTexto("Cuestionarios")) +
            2 * margen_;
        fijarLetra(s_, 8, Estilo::Cursiva);
        const int trabajadores = std::max(cifra, s_.anchoTexto(kSinCompletar) + 2 * margen_);
        fijarLetra(s_, 8);
        const int nombre = h_.ancho() - 2 * cifra - trabajadores;
        if (nombre < s_.anchoTexto("WWWWWWWWWWWW")) throw ErrorImpresion(mensajePaginaPequena());
        const int xCuestionarios = h_.izquierda + nombre + cifra;
        const int xTrabajadores = xCuestionarios + trabajadores;
        const int xParticipacion = xTrabajadores + cifra;
        const int altoCabecera = aL_ + aL_ / 2;
        int paginaCabecera = 0;
        for (const auto& f : filas) {
            const auto lineas = partirTexto(s_, f.nombre, nombre - margen_);
            const int alto = static_cast<int>(lineas.size()) * aL_;
            if (h_.pagina != paginaCabecera || !h_.cabe(alto)) {
                h_.reservar(altoCabecera + alto);
                fijarLetra(s_, 8, Estilo::Negrita);
                s_.texto(h_.izquierda, h_.y, cabecera);
                aLaDerecha(xCuestionarios, h_.y, "Cuestionarios");
                aLaDerecha(xTrabajadores, h_.y, "Trabajadores");
                aLaDerecha(xParticipacion, h_.y, "Participación"_cp);
                fijarLetra(s_, 8);
                regla(h_.y + aL_ + aL_ / 4);
                h_.y += altoCabecera;
                paginaCabecera = h_.pagina;
            }
            aLaDerecha(xCuestionarios, h_.y, formatoEntero(f.cuestionarios));
            if (f.desconocido) {
                aLaDerecha(xTrabajadores, h_.y, "-");
            } else if (f.trabajadores <= 0) {
                fijarLetra(s_, 8, Estilo::Cursiva);
                aLaDerecha(xTrabajadores, h_.y, kSinCompletar);
                fijarLetra(s_, 8);
            } else {
                aLaDerecha(xTrabajadores, h_.y, formatoEntero(f.trabajadores));
                aLaDerecha(xParticipacion, h_.y,
                           porcentajeParticipacion(f.cuestionarios, f.trabajadores, sep_));
            }
            for (const auto& l : lineas) {
                s_.texto(h_.izquierda, h_.y, l);
                h_.y += aL_;
            }
        }
        regla(h_.y + aL_ / 4);
        h_.y += aL_ / 2;
    }

    void participacion() {
        titulo(cp(kTitulos[kParticipacion]), 14, 3 * aL_, kParticipacion);
        parrafo(
            "Cuántas personas contestaron el cuestionario frente a cuántas trabajan en la "
            "empresa, en cada grupo y en cada perfil. Los trabajadores son los de la plantilla "
            "que da el evaluador; un perfil cuenta los de su grupo o, si no selecciona ninguno, "
            "los de toda la empresa."_cp);
        espacio();
        const auto total = static_cast<long long>(e_.cuestionarios.size());
        tablaParticipacion("Empresa", {{e_.nombre, total, d_.trabajadores, false}});
        espacio();
        titulo("Por grupo", 10, 3 * aL_);
        if (e_.grupos.empty()) {
            parrafo("La empresa no tiene grupos.");
        } else {
            std::vector<FilaParticipacion> filas;
            for (const auto& g : e_.grupos)
                filas.push_back({g->nombre, static_cast<long long>(g->cuestionarios.size()),
                                 d_.trabajadoresGrupo(g->nombre), false});
            tablaParticipacion("Grupo", filas);
        }
        espacio();
        titulo("Por perfil", 10, 3 * aL_);
        if (e_.perfiles.empty()) {
            parrafo("La empresa no tiene perfiles.");
            return;
        }
        std::vector<FilaParticipacion> filas;
        bool varios = false;
        for (const auto& p : e_.perfiles) {
            const bool desconocido = p->grupos.size() > 1;
            varios = varios || desconocido;
            filas.push_back(
                {p->nombre, std::max(0, p->nSujetos), trabajadoresPerfil(*p, d_), desconocido});
        }
        tablaParticipacion("Perfil", filas);
        if (varios)
            parrafo(
                "-: el perfil cuenta a quienes están a la vez en varios grupos, y la plantilla no "
                "dice cuántos trabajadores son."_cp);
    }

    void resumen() {
        titulo(cp(kTitulos[kResultados]), 14, 5 * aL_, kResultados);
        titulo("Resumen de los perfiles", 12, 3 * aL_);
        if (e_.perfiles.empty()) {
            parrafo("La empresa no tiene perfiles.");
            return;
        }
        parrafo("La media de cada factor en cada perfil, con el color de su nivel."_cp);
        espacio();
        const int celda = anchoCifra();
        const int sujetos =
            std::max(s_.anchoTexto("Sujetos"), s_.anchoTexto("999999 *")) + 2 * margen_;
        const int minimo = s_.anchoTexto("WWWWWWWWWWWW");
        if (minimo + sujetos + kNumFactores * celda > h_.ancho())
            throw ErrorImpresion(mensajePaginaPequena());
        const int nombre = std::max(
            minimo, std::min(h_.ancho() - sujetos - kNumFactores * celda, h_.ancho() * 3 / 10));
        const int anchoCelda = (h_.ancho() - nombre - sujetos) / kNumFactores;
        const int xSujetos = h_.izquierda + nombre;
        const auto xCelda = [&](std::size_t f) {
            return xSujetos + sujetos + static_cast<int>(f) * anchoCelda;
        };
        const int altoCabecera = aL_ + aL_ / 2;
        auto cabecera = [&] {
            fijarLetra(s_, 8, Estilo::Negrita);
            s_.texto(h_.izquierda, h_.y, "Perfil");
            aLaDerecha(xSujetos + sujetos, h_.y, "Sujetos");
            for (std::size_t f = 0; f < kNumFactores; ++f)
                aLaDerecha(xCelda(f) + anchoCelda, h_.y, kAbreviaturas[f]);
            fijarLetra(s_, 8);
            regla(h_.y + aL_ + aL_ / 4);
            h_.y += altoCabecera;
        };
        int paginaCabecera = 0;
        bool pocos = false;
        for (const auto& pp : e_.perfiles) {
            const TPerfil& p = *pp;
            const auto lineas = partirTexto(s_, p.nombre, nombre - margen_);
            const int alto = static_cast<int>(lineas.size()) * aL_ + aL_ / 4;
            if (h_.pagina != paginaCabecera || !h_.cabe(alto)) {
                h_.reservar(altoCabecera + alto);
                cabecera();
                paginaCabecera = h_.pagina;
            }
            int y = h_.y;
            for (const auto& l : lineas) {
                s_.texto(h_.izquierda, y, l);
                y += aL_;
            }
            const bool retenido = resultadosRetenidos(p.nSujetos, o_.minimo);
            const bool aviso = !retenido && poblacionIdentificable(p.nSujetos);
            pocos = pocos || aviso;
            aLaDerecha(xSujetos + sujetos, h_.y, formatoEntero(p.nSujetos) + (aviso ? " *" : ""));
            if (p.nSujetos <= 0 || retenido) {
                fijarLetra(s_, 8, Estilo::Cursiva);
                s_.texto(xCelda(0) + margen_, h_.y,
                         retenido ? textoRetenido(o_.minimo) : kSinCuestionarios);
                fijarLetra(s_, 8);
            }
            for (int f = 1; f <= kNumFactores && p.nSujetos > 0 && !retenido; ++f) {
                const auto i = static_cast<std::size_t>(f - 1);
                celdaMedia(p, mediaFactor(p, f), xCelda(i), anchoCelda, h_.y);
            }
            h_.y += alto;
        }
        regla(h_.y);
        h_.y += aL_ / 2;
        if (pocos) parrafo("* " + std::string(kAvisoAnonimato));
    }

    void seccionPerfil(const TPerfil& p, std::size_t entrada) {
        titulo("Perfil: " + p.nombre, 14, 2 * aL_, entrada);
        parrafo(textoGrupos(p));
        parrafo("Población: "_cp + cuenta(static_cast<std::size_t>(std::max(0, p.nSujetos)),
                                          "cuestionario", "cuestionarios"));
        const bool retenido = resultadosRetenidos(p.nSujetos, o_.minimo);
        if (!retenido && poblacionIdentificable(p.nSujetos))
            parrafo(kAvisoAnonimato, 8, Estilo::Negrita);
        if (p.nSujetos <= 0 || retenido) {
            espacio();
            parrafo(retenido ? textoRetenido(o_.minimo) : kSinCuestionarios, 10, Estilo::Cursiva);
        } else {
            parrafo(std::string(kRotuloCasiEnBlanco) + ": " + formatoEntero(p.nCasiEnBlanco));
            if (muchasSinRespuesta(p)) parrafo(kAvisoSinRespuesta, 8, Estilo::Negrita);
            cifrasPerfil(p);
        }
        espacio();
        titulo("Descripción"_cp, 10, aL_);
        if (p.descripcion.empty())
            parrafo("Sin descripción."_cp, 8, Estilo::Cursiva);
        else
            texto(p.descripcion);
        espacio();
        titulo("Observaciones", 10, aL_);
        if (p.observaciones.empty())
            parrafo("Sin observaciones.", 8, Estilo::Cursiva);
        else
            texto(p.observaciones);
        const TResultadoPerfil* evaluador = d_.resultado(p.nombre);
        espacio();
        titulo("Discusión"_cp, 10, aL_);
        textoEvaluador(evaluador ? evaluador->discusion : std::string());
        espacio();
        titulo("Conclusiones", 10, aL_);
        textoEvaluador(evaluador ? evaluador->conclusiones : std::string());
        if (distribucion_ && p.nSujetos > 0 && !retenido) distribucionRespuestas(p);
    }

    // Per factor, a bar of the three band shares, each in its band's colour
    // and hatching so that a grey copy still tells them apart.
    void barrasBandas(const TPerfil& p) {
        espacio();
        int nombre = 0;
        for (const char* n : kNombresFactorAcentuados) nombre = std::max(nombre, s_.anchoTexto(n));
        nombre += 2 * margen_;
        const int xBarra = h_.izquierda + std::min(nombre, h_.ancho() / 2);
        const int ancho = h_.derecha - xBarra;
        const int altoFila = aL_ + aL_ / 3;
        const int alto = std::max(2, altoTexto_);
        titulo("Niveles de cada factor", 10, 3 * aL_ + kNumFactores * altoFila);
        parrafo(
            "Cada barra reparte el 100 % de los sujetos entre los niveles 1 (liso), 2 (rayado) "
            "y 3 (cuadriculado)."_cp);
        h_.reservar(kNumFactores * altoFila);
        for (int f = 1; f <= kNumFactores; ++f) {
            const auto i = static_cast<std::size_t>(f - 1);
            s_.texto(h_.izquierda, h_.y, kNombresFactorAcentuados[i]);
            // Edges from the running total, so the parts fill the bar exactly.
            long long acumulado = 0;
            int x = xBarra;
            for (std::size_t b = 0; b < 3; ++b) {
                acumulado += p.bandas[i][b];
                const int hasta =
                    xBarra + static_cast<int>(ancho * acumulado / std::max(1, p.nSujetos));
                if (hasta > x)
                    dibujarFondoBanda(s_, static_cast<int>(b) + 1, {x, h_.y, hasta, h_.y + alto},
                                      std::max(3, alto / 3));
                x = hasta;
            }
            s_.pluma(kNegro, 1);
            s_.rectangulo(xBarra, h_.y, h_.derecha, h_.y + alto);
            h_.y += altoFila;
        }
    }

    // The chart, its bands' legend and the table of a profile with subjects.
    void cifrasPerfil(const TPerfil& p) {
        espacio();

        // The chart and the legend of its bands, together.
        fijarLetra(s_, 8);
        std::vector<std::vector<std::string>> leyenda;
        int anchoLeyenda = 0;
        for (const char* n : kNiveles) {
            const std::string t = cp(n);
            leyenda.push_back(
                partirTexto(s_, t.substr(0, t.find('.') + 1), h_.ancho() - 2 * lado_));
            for (const auto& l : leyenda.back())
                anchoLeyenda = std::max(anchoLeyenda, s_.anchoTexto(l));
        }
        // The three bands on one line when they fit, else one under another.
        const int paso = 2 * lado_ + anchoLeyenda + 2 * aL_;
        const bool enLinea = 3 * paso <= h_.ancho();
        int altoLeyenda = aL_ / 2;
        for (const auto& l : leyenda)
            altoLeyenda += (enLinea ? 0 : static_cast<int>(l.size()) * aL_);
        if (enLinea) {
            std::size_t mas = 1;
            for (const auto& l : leyenda) mas = std::max(mas, l.size());
            altoLeyenda += static_cast<int>(mas) * aL_;
        }
        const int cuerpo = h_.abajo - h_.arriba;
        const int grafico = std::max(altoMinimoGrafico(s_), std::min(cuerpo / 4, h_.ancho() / 2));
        h_.reservar(grafico + altoLeyenda);
        SerieMedias serie;
        for (int f = 1; f <= kNumFactores; ++f)
            serie.medias[static_cast<std::size_t>(f - 1)] = mediaFactor(p, f);
        dibujarGraficoMedias(s_, {h_.izquierda, h_.y, h_.derecha, h_.y + grafico}, {&serie, 1});
        fijarLetra(s_, 8);
        int y = h_.y + grafico + aL_ / 2;
        for (std::size_t b = 0; b < 3; ++b) {
            const int x = enLinea ? h_.izquierda + static_cast<int>(b) * paso : h_.izquierda;
            dibujarMuestraBanda(s_, x, y + (altoTexto_ - lado_) / 2, lado_,
                                static_cast<int>(b) + 1);
            int yl = y;
            for (const auto& l : leyenda[b]) {
                s_.texto(x + 2 * lado_, yl, l);
                yl += aL_;
            }
            if (!enLinea) y = yl;
        }
        h_.y += grafico + altoLeyenda;
        espacio();

        // The table of means and band shares, whole on one page.
        const int celda = anchoCifra();
        fijarLetra(s_, 8, Estilo::Negrita);
        const int cabeceraBanda = s_.anchoTexto("Nivel 1");
        fijarLetra(s_, 8);
        const int banda =
            lado_ + std::max(s_.anchoTexto(textoBanda(100, sep_)), cabeceraBanda) + 3 * margen_;
        int nombre = 0;
        for (const char* n : kNombresFactorAcentuados) nombre = std::max(nombre, s_.anchoTexto(n));
        nombre += 2 * margen_;
        if (nombre + celda + 3 * banda > h_.ancho()) throw ErrorImpresion(mensajePaginaPequena());
        // Spare width goes to the figures' columns once the names have two fifths.
        const int xMedia = h_.izquierda + std::max(nombre, std::min(h_.ancho() - celda - 3 * banda,
                                                                    h_.ancho() * 2 / 5));
        const int anchoBanda = (h_.derecha - xMedia - celda) / 3;
        const auto xBanda = [&](std::size_t b) {
            return xMedia + celda + static_cast<int>(b) * anchoBanda;
        };
        const int altoFila = aL_ + aL_ / 4;
        h_.reservar(aL_ + aL_ / 2 + kNumFactores * altoFila + aL_ + aL_ / 2);
        fijarLetra(s_, 8, Estilo::Negrita);
        s_.texto(h_.izquierda, h_.y, "Factor");
        aLaDerecha(xMedia + celda, h_.y, "Media");
        for (std::size_t b = 0; b < 3; ++b) {
            const std::string t = "Nivel " + std::to_string(b + 1);
            const int xt = xBanda(b) + anchoBanda - margen_ - s_.anchoTexto(t);
            dibujarMuestraBanda(s_, xt - lado_ - 2 * margen_, h_.y + (altoTexto_ - lado_) / 2,
                                lado_, static_cast<int>(b) + 1);
            s_.texto(xt, h_.y, t);
        }
        fijarLetra(s_, 8);
        regla(h_.y + aL_ + aL_ / 4);
        h_.y += aL_ + aL_ / 2;
        for (int f = 1; f <= kNumFactores; ++f) {
            const auto i = static_cast<std::size_t>(f - 1);
            s_.texto(h_.izquierda, h_.y, kNombresFactorAcentuados[i]);
            celdaMedia(p, mediaFactor(p, f), xMedia, celda, h_.y);
            for (int b = 1; b <= 3; ++b)
                aLaDerecha(xBanda(static_cast<std::size_t>(b - 1)) + anchoBanda, h_.y,
                           porcentajeBanda(p, f, b, sep_));
            h_.y += altoFila;
        }
        regla(h_.y);
        h_.y += aL_ / 4;
        s_.texto(h_.izquierda, h_.y,
                 "Sin respuesta: " + sinBlancosIniciales(porcentajeSinRespuesta(p)));
        h_.y += aL_;
        barrasBandas(p);
    }

    void distribucionRespuestas(const TPerfil& p) {
        espacio();
        fijarLetra(s_, 8);
        TEscritorColumnas columnas(s_, TEscritorColumnas::Variante::Perfil);
        const int mitad = s_.ancho() / 2;
        const int limite = h_.abajo - columnas.altoLinea;
        const int arriba = aL_ / 2;
        columnas.marco = {h_.izquierda, h_.arriba, h_.derecha, h_.abajo};
        columnas.columnas[0] = {h_.izquierda, arriba, mitad - 2 * margen_, limite};
        columnas.columnas[1] = {mitad + 2 * margen_, arriba, h_.derecha, limite};
        // A page the columns start on carries the profile's name.
        columnas.CabeceraPagina = [&] {
            h_.empezarPagina();
            titulo(p.nombre + ": distribución de las respuestas (continuación)"_cp, 10, 0);
            columnas.yTexto = h_.y;
        };
        titulo("Distribución de las respuestas"_cp, 10, 4 * columnas.altoLinea + arriba);
        continua_.clear();  // the columns' pages carry their own heading
        columnas.EmpezarColumnas(h_.y);
        EscribirDistribucion(columnas, p, sep_);
    }

    void plan() {
        titulo(cp(kTitulos[kPlan]), 14, 3 * aL_, kPlan);
        const auto medidas = medidasOrdenadas(d_);
        if (medidas.empty()) {
            textoEvaluador({});
        } else {
            parrafo(
                "Las medidas preventivas acordadas, por prioridad y, dentro de cada prioridad, "
                "por la fecha en que deben estar hechas."_cp);
        }
        const int sangria = 2 * aL_;
        int n = 0;
        for (const TMedida* m : medidas) {
            espacio();
            // The measure's heading with at least its first fields.
            fijarLetra(s_, 8, Estilo::Negrita);
            const std::string cabecera =
                std::to_string(++n) + ". " +
                (m->medida.empty() ? std::string(kSinCompletar) : m->medida);
            const auto lineas = partirTexto(s_, cabecera, h_.ancho());
            h_.reservar(static_cast<int>(lineas.size() + 3) * aL_);
            fijarLetra(s_, 8, Estilo::Negrita);
            for (const auto& l : lineas) {
                h_.reservar(aL_);
                s_.texto(h_.izquierda, h_.y, l);
                h_.y += aL_;
            }
            fijarLetra(s_, 8);
            campo("Prioridad", textoPrioridad(m->prioridad), sangria);
            campo("Factores", factoresMedida(*m), sangria);
            campo("Perfiles", unidos(m->perfiles, ", "), sangria);
            campo("Responsable", m->responsable, sangria);
            campo("Recursos", m->recursos, sangria);
            campo("Inicio", textoFecha(m->inicio), sangria);
            campo("Fin", textoFecha(m->fin), sangria);
            campo("Estado", estadoMedida(*m), sangria);
            // Follow-up notes are the plan's diary: shown once written.
            if (!m->seguimiento.empty()) campo("Seguimiento", m->seguimiento, sangria);
        }
        espacio();
        espacio();
        campo("Próxima evaluación"_cp, textoFecha(d_.proximaEvaluacion));
    }

    void confidencialidad() {
        titulo(cp(kTitulos[kConfidencialidad]), 14, 3 * aL_, kConfidencialidad);
        parrafo(
            "El cuestionario es anónimo: no pide el nombre de quien lo contesta, y el informe "
            "no da las respuestas de nadie, solo medias y porcentajes de perfiles, es decir, de "
            "grupos de personas."_cp);
        espacio();
        const std::size_t n = retenidos(e_, o_.minimo);
        if (o_.minimo > 1) {
            parrafo(
                "Para que nadie pueda ser reconocido por sus respuestas, el informe no da "
                "ninguna cifra de los perfiles que contestaron menos de "_cp +
                std::to_string(o_.minimo) + " personas: en su lugar dice \"" +
                textoRetenido(o_.minimo) + "\". " +
                (n == 0   ? std::string("Ningún perfil de esta evaluación está en ese caso."_cp)
                 : n == 1 ? std::string("En esta evaluación, 1 perfil no muestra "
                                        "resultados por ese motivo."_cp)
                          : "En esta evaluación, "_cp + std::to_string(n) +
                                " perfiles no muestran resultados por ese motivo."_cp));
        } else {
            parrafo(
                "El informe da las cifras de todos los perfiles, también las de los que "
                "contestaron muy pocas personas: en ellos, las respuestas de alguien podrían "
                "reconocerse, y el informe lo advierte junto a sus cifras."_cp);
        }
        espacio();
        parrafo(o_.anexo ? "El anexo relaciona cada cuestionario con sus grupos: es para el "
                           "servicio de prevención, no para entregarlo a la empresa."_cp
                         : "El anexo solo da cuántos cuestionarios y trabajadores tiene cada "
                           "grupo, no los cuestionarios uno a uno."_cp);
    }

    void anexo() {
        titulo(tituloEntrada(kAnexo), 14, 2 * aL_, kAnexo);
        parrafo(o_.anexo ? "Cada grupo con su número de cuestionarios y de trabajadores, y cada "
                           "cuestionario con los grupos a los que pertenece."_cp
                         : "Cada grupo con su número de cuestionarios y de trabajadores."_cp);
        espacio();
        const int altoCabecera = aL_ + aL_ / 2;

        // Groups: a name column and the counts at the right.
        fijarLetra(s_, 8, Estilo::Cursiva);
        const int trabajadores =
            std::max(s_.anchoTexto("Trabajadores"), s_.anchoTexto(kSinCompletar)) + 2 * margen_;
        fijarLetra(s_, 8);
        const int cifra = s_.anchoTexto("Cuestionarios") + 2 * margen_;
        const int xCuestionarios = h_.derecha - trabajadores;
        titulo("Grupos", 10, altoCabecera + aL_);
        if (e_.grupos.empty()) {
            parrafo("La empresa no tiene grupos.");
        } else {
            int paginaCabecera = 0;
            for (const auto& g : e_.grupos) {
                const auto lineas =
                    partirTexto(s_, g->nombre, h_.ancho() - cifra - trabajadores - margen_);
                const int alto = static_cast<int>(lineas.size()) * aL_;
                if (h_.pagina != paginaCabecera || !h_.cabe(alto)) {
                    h_.reservar(altoCabecera + alto);
                    fijarLetra(s_, 8, Estilo::Negrita);
                    s_.texto(h_.izquierda, h_.y, "Grupo");
                    aLaDerecha(xCuestionarios, h_.y, "Cuestionarios");
                    aLaDerecha(h_.derecha, h_.y, "Trabajadores");
                    fijarLetra(s_, 8);
                    regla(h_.y + aL_ + aL_ / 4);
                    h_.y += altoCabecera;
                    paginaCabecera = h_.pagina;
                }
                aLaDerecha(xCuestionarios, h_.y,
                           formatoEntero(static_cast<long long>(g->cuestionarios.size())));
                if (const int w = d_.trabajadoresGrupo(g->nombre); w > 0) {
                    aLaDerecha(h_.derecha, h_.y, formatoEntero(w));
                } else {
                    fijarLetra(s_, 8, Estilo::Cursiva);
                    aLaDerecha(h_.derecha, h_.y, kSinCompletar);
                    fijarLetra(s_, 8);
                }
                for (const auto& l : lineas) {
                    s_.texto(h_.izquierda, h_.y, l);
                    h_.y += aL_;
                }
            }
        }
        if (!o_.anexo) return;
        espacio();
        cuestionarios();
    }

    // Questionnaires in as many columns as the page takes, each column with
    // its heading row.
    void cuestionarios() {
        const int altoCabecera = aL_ + aL_ / 2;
        titulo("Cuestionarios", 10, altoCabecera + aL_);
        if (e_.cuestionarios.empty()) {
            parrafo("La empresa no tiene cuestionarios.");
            return;
        }
        fijarLetra(s_, 8);
        const int hueco = 2 * aL_;
        const int minimo = s_.anchoTexto(std::string(40, 'n'));
        const int n = std::clamp((h_.ancho() + hueco) / (minimo + hueco), 1, 3);
        const int anchoColumna = (h_.ancho() - (n - 1) * hueco) / n;
        medirCuestionarios();
        fijarLetra(s_, 8, Estilo::Negrita);
        int anchoId = s_.anchoTexto("Cuestionario");
        fijarLetra(s_, 8);
        for (int w : medidas_.nombres) anchoId = std::max(anchoId, w);
        anchoId = std::min(anchoId + aL_, anchoColumna * 2 / 5);
        const int anchoGrupos = anchoColumna - anchoId;
        // A text that fits is not measured again.
        const auto lineas = [&](const std::string& t, int ancho, int medido) {
            return medido <= ancho ? std::vector<std::string>{t} : partirTexto(s_, t, ancho);
        };

        int columna = 0, arriba = h_.y, y = 0, fondo = h_.y;
        auto cabecera = [&] {
            const int x = h_.izquierda + columna * (anchoColumna + hueco);
            fijarLetra(s_, 8, Estilo::Negrita);
            s_.texto(x, arriba, "Cuestionario");
            s_.texto(x + anchoId, arriba, "Grupos");
            fijarLetra(s_, 8);
            s_.linea(x, arriba + aL_ + aL_ / 4, x + anchoColumna, arriba + aL_ + aL_ / 4);
            y = arriba + altoCabecera;
        };
        bool primera = true;
        for (std::size_t i = 0; i < e_.cuestionarios.size(); ++i) {
            const TCuestionario& q = *e_.cuestionarios[i];
            const auto id = lineas(q.nombre, anchoId - aL_, medidas_.nombres[i]);
            const auto grupos = lineas(gruposCuestionario(q), anchoGrupos, medidas_.grupos[i]);
            const int alto = static_cast<int>(std::max(id.size(), grupos.size())) * aL_;
            if (primera) {
                h_.reservar(altoCabecera + alto);
                arriba = h_.y;
                cabecera();
                primera = false;
            } else if (y + alto > h_.abajo) {
                if (++columna == n) {
                    h_.nuevaPagina();
                    titulo("Cuestionarios (continuación)"_cp, 10, 0);
                    columna = 0;
                    fondo = h_.y;
                }
                arriba = h_.y;
                cabecera();
                if (y + alto > h_.abajo) throw ErrorImpresion(mensajePaginaPequena());
            }
            const int x = h_.izquierda + columna * (anchoColumna + hueco);
            int yl = y;
            for (const auto& l : id) {
                s_.texto(x, yl, l);
                yl += aL_;
            }
            yl = y;
            for (const auto& l : grupos) {
                s_.texto(x + anchoId, yl, l);
                yl += aL_;
            }
            y += alto;
            fondo = std::max(fondo, y);
        }
        h_.y = fondo;
    }

    // The widths of every questionnaire's name and group list, measured
    // once for both layouts: with 100,000 questionnaires the measuring is
    // most of the annex's cost.
    void medirCuestionarios() {
        if (medidas_.hechas) return;
        fijarLetra(s_, 8);
        std::unordered_map<std::string, int> porLista;  // group lists repeat
        for (const auto& q : e_.cuestionarios) {
            medidas_.nombres.push_back(s_.anchoTexto(q->nombre));
            const auto [it, nueva] = porLista.try_emplace(gruposCuestionario(*q), 0);
            if (nueva) it->second = s_.anchoTexto(it->first);
            medidas_.grupos.push_back(it->second);
        }
        medidas_.hechas = true;
    }

    const TKoral& e_;
    const TDatosEvaluacion& d_;
    const OpcionesEvaluacion& o_;
    Superficie& s_;
    const char sep_;
    const bool distribucion_;
    TPaginas h_;
    const int aL_;
    int altoTexto_ = 0, lado_ = 0, margen_ = 0, anchoMedia_ = 0;
    MedidasAnexo& medidas_;
    PaginasIndice& indice_;
    int anchoEtiquetas_ = 0;
    std::string continua_;  // the profile whose section is being laid out
};

}  // namespace

void PrepararEvaluacion(TKoral& empresa) {
    for (auto& p : empresa.perfiles) calcularPerfil(empresa, *p);
}

namespace {

// "Label:" and then the text's paragraphs, or the placeholder.
void lineasTexto(std::vector<std::string>& l, const std::string& etiqueta, const std::string& t) {
    l.push_back(etiqueta + ":");
    if (t.empty()) {
        l.emplace_back(kSinCompletar);
        return;
    }
    for (auto& p : parrafos(t)) l.push_back(std::move(p));
}

std::string valor(const std::string& v) {
    return v.empty() ? std::string(kSinCompletar) : v;
}

}  // namespace

std::vector<std::string> TextoEvaluacion(const TKoral& empresa, const TDatosEvaluacion& datos,
                                         const OpcionesEvaluacion& opciones) {
    std::vector<std::string> l;
    l.push_back("Informe de evaluación"_cp);
    l.push_back("Empresa: " + empresa.nombre);
    l.push_back("Fecha: " + textoFecha(fechaDelInforme(datos)));
    l.push_back("Nº Cuestionarios: "_cp +
                formatoEntero(static_cast<long long>(empresa.cuestionarios.size())));
    l.push_back("Nº Grupos: "_cp + formatoEntero(static_cast<long long>(empresa.grupos.size())));
    l.push_back("Nº Perfiles: "_cp +
                formatoEntero(static_cast<long long>(empresa.perfiles.size())));
    l.push_back("CIF: " + valor(datos.cif));
    l.push_back("Centros de trabajo: " + valor(datos.centros));
    l.push_back("Actividad: " + valor(datos.actividad));
    l.push_back("Evaluador: " + valor(datos.evaluador));
    l.push_back("Titulación: "_cp + valor(datos.titulacion));
    l.push_back("Servicio de prevención: "_cp + valor(datos.servicioPrevencion));
    lineasTexto(l, "Objeto y alcance", datos.objeto);
    l.push_back("Trabajo de campo: " + valor(periodo(datos.trabajoDesde, datos.trabajoHasta)));
    l.push_back("Aplicación del cuestionario: "_cp + valor(textoAplicacion(datos.aplicacion)));
    lineasTexto(l, "Participación de los representantes de los trabajadores"_cp,
                datos.representantes);
    lineasTexto(l, "Método"_cp, datos.metodo.empty() ? textoMetodoPorDefecto() : datos.metodo);
    const auto participacion = [&](const std::string& quien, long long cuestionarios,
                                   int trabajadores) {
        std::string t = "Participación:\t"_cp + quien + '\t' + formatoEntero(cuestionarios);
        if (trabajadores > 0)
            t += '\t' + formatoEntero(trabajadores) + '\t' +
                 porcentajeParticipacion(cuestionarios, trabajadores, '.');
        l.push_back(std::move(t));
    };
    participacion(empresa.nombre, static_cast<long long>(empresa.cuestionarios.size()),
                  datos.trabajadores);
    for (const auto& p : empresa.perfiles)
        if (p->grupos.size() <= 1)
            participacion(p->nombre, std::max(0, p->nSujetos), trabajadoresPerfil(*p, datos));
    l.push_back("Umbral de anonimato: "_cp + std::to_string(opciones.minimo));
    l.push_back("Perfiles no mostrados: " + std::to_string(retenidos(empresa, opciones.minimo)));
    std::vector<std::string> descriptivo;
    for (const auto& pp : empresa.perfiles) {
        const TPerfil& p = *pp;
        l.push_back("Perfil: " + p.nombre);
        l.push_back(p.grupos.empty() ? std::string("Grupos:\ttoda la empresa")
                                     : "Grupos:\t" + unidos(nombresGrupos(p), "\t"));
        l.push_back("Nº Sujetos: "_cp + formatoEntero(p.nSujetos));
        const TResultadoPerfil* r = datos.resultado(p.nombre);
        const auto textosEvaluador = [&] {
            lineasTexto(l, "Discusión"_cp, r ? r->discusion : std::string());
            lineasTexto(l, "Conclusiones", r ? r->conclusiones : std::string());
        };
        if (p.nSujetos <= 0 || resultadosRetenidos(p.nSujetos, opciones.minimo)) {
            l.push_back(p.nSujetos <= 0 ? std::string(kSinCuestionarios)
                                        : textoRetenido(opciones.minimo));
            textosEvaluador();
            continue;
        }
        if (poblacionIdentificable(p.nSujetos)) l.emplace_back(kAvisoAnonimato);
        for (int f = 1; f <= kNumFactores; ++f) {
            std::string linea =
                std::string(kAbreviaturas[f - 1]) + '\t' + textoMedia(mediaFactor(p, f), '.');
            for (int b = 1; b <= 3; ++b) linea += '\t' + porcentajeBanda(p, f, b, '.');
            l.push_back(std::move(linea));
        }
        l.push_back("Sin respuesta:\t" + porcentajeSinRespuesta(p));
        l.push_back(std::string(kRotuloCasiEnBlanco) + ":\t" + formatoEntero(p.nCasiEnBlanco));
        if (muchasSinRespuesta(p)) l.emplace_back(kAvisoSinRespuesta);
        textosEvaluador();
        if (opciones.distribucion) {
            llenarDescriptivo(p, descriptivo, '.');
            l.insert(l.end(), descriptivo.begin(), descriptivo.end());
        }
    }
    const auto medidas = medidasOrdenadas(datos);
    if (medidas.empty()) l.push_back("Plan de medidas: "_cp + kSinCompletar);
    for (const TMedida* m : medidas) {
        std::string t = "Medida:\t"_cp + textoPrioridad(m->prioridad);
        for (const std::string& campo :
             {m->medida, factoresMedida(*m), unidos(m->perfiles, ", "), m->responsable, m->recursos,
              textoFecha(m->inicio), textoFecha(m->fin), estadoMedida(*m)})
            t += '\t' + campo;
        l.push_back(std::move(t));
        if (!m->seguimiento.empty()) lineasTexto(l, "Seguimiento", m->seguimiento);
    }
    l.push_back("Próxima evaluación: "_cp + valor(textoFecha(datos.proximaEvaluacion)));
    for (const auto& g : empresa.grupos) {
        std::string t = "Grupo:\t" + g->nombre + '\t' +
                        formatoEntero(static_cast<long long>(g->cuestionarios.size()));
        if (const int w = datos.trabajadoresGrupo(g->nombre); w > 0)
            t += '\t' + formatoEntero(w) + '\t' +
                 porcentajeParticipacion(static_cast<long long>(g->cuestionarios.size()), w, '.');
        l.push_back(std::move(t));
    }
    if (!opciones.anexo) return l;
    for (const auto& q : empresa.cuestionarios) {
        std::string linea = "Cuestionario:\t" + q->nombre;
        for (const TGrupo* g : q->grupos)
            if (g) linea += '\t' + g->nombre;
        l.push_back(std::move(linea));
    }
    return l;
}

void DibujarEvaluacion(const TKoral& empresa, const TDatosEvaluacion& datos,
                       const OpcionesEvaluacion& opciones, Superficie& s, char separador,
                       TImpresora& impresora) {
    // Counted first, on a surface that only measures: every footer says M,
    // and the table of contents the page each section starts on.
    SuperficieMedida medida(s);
    TImpresora sinUso;
    MedidasAnexo medidas;
    PaginasIndice indice;
    const int total =
        TMaqueta(empresa, datos, opciones, medida, separador, 0, medidas, indice).maquetar(sinUso);
    indice.leidas = indice.dibujadas;
    TMaqueta(empresa, datos, opciones, s, separador, total, medidas, indice).maquetar(impresora);
}

}  // namespace koral
