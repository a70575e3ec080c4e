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

struct MedidasAnexo {
    bool hechas = false;
    std::vector<int> nombres, grupos;  // per questionnaire, 8-point regular
};

// One layout of the whole document on `s`; returns its page count.
class TMaqueta {
public:
    TMaqueta(const TKoral& empresa, Superficie& s, char separador, bool distribucion, int total,
             MedidasAnexo& medidas)
        : e_(empresa),
          s_(s),
          sep_(separador),
          distribucion_(distribucion),
          h_(s, empresa.nombre, total),
          aL_(h_.altoLinea),
          medidas_(medidas) {
        altoTexto_ = s_.altoTexto("W");
        lado_ = std::max(2, altoTexto_ * 2 / 3);
        margen_ = std::max(2, altoTexto_ / 4);
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
        comoLeer();
        h_.nuevaPagina();
        resumen();
        for (const auto& p : e_.perfiles) {
            h_.nuevaPagina();
            continua_ = p->nombre;
            seccionPerfil(*p);
            continua_.clear();
        }
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
    // A heading with room below it for `siguiente` (what must follow it on
    // the same page).
    void titulo(const std::string& t, int puntos, int siguiente) {
        fijarLetra(s_, puntos, Estilo::Negrita);
        const auto lineas = partirTexto(s_, t, h_.ancho());
        const int alto = fijarLetra(s_, puntos, Estilo::Negrita);
        h_.reservar(static_cast<int>(lineas.size()) * alto + siguiente);
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

    void portada() {
        h_.y = h_.arriba + (h_.abajo - h_.arriba) / 4;
        centrado("INFORME DE EVALUACIÓN DE FACTORES PSICOSOCIALES"_cp, 16, Estilo::Negrita);
        h_.y += 2 * aL_;
        centrado(e_.nombre, 14, Estilo::Negrita);
        h_.y += 2 * aL_;
        centrado("Fecha del informe: " + textoFecha(fechaHoy()), 10, Estilo::Normal);
        h_.y += aL_;
        centrado(cuenta(e_.cuestionarios.size(), "cuestionario", "cuestionarios"), 10,
                 Estilo::Normal);
        centrado(cuenta(e_.grupos.size(), "grupo", "grupos"), 10, Estilo::Normal);
        centrado(cuenta(e_.perfiles.size(), "perfil", "perfiles"), 10, Estilo::Normal);
    }

    void comoLeer() {
        titulo("Cómo leer este informe"_cp, 14, 2 * aL_);
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
            "lo advierte junto a sus cifras."_cp,
            "Con menos de "_cp + minimo +
                " personas, sus respuestas podrían reconocerse: el informe lo advierte junto a "
                "la población de esos perfiles. Trate esas cifras con reserva."_cp};
        if (distribucion_)
            cifras.push_back(
                "Distribución de las respuestas: para cada pregunta, el porcentaje de sujetos "
                "que eligió cada respuesta y el de los que la dejaron sin contestar."_cp);
        cifras.push_back(
            "El anexo final relaciona cada grupo con su número de cuestionarios y cada "
            "cuestionario con sus grupos: le sirve para comprobar cómo se asignaron los "
            "cuestionarios a los grupos."_cp);
        for (const auto& c : cifras) {
            parrafo(c);
            espacio();
        }
    }

    void resumen() {
        titulo("Resumen de los perfiles", 14, 3 * aL_);
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
            const bool aviso = poblacionIdentificable(p.nSujetos);
            pocos = pocos || aviso;
            aLaDerecha(xSujetos + sujetos, h_.y, formatoEntero(p.nSujetos) + (aviso ? " *" : ""));
            if (p.nSujetos <= 0) {
                fijarLetra(s_, 8, Estilo::Cursiva);
                s_.texto(xCelda(0) + margen_, h_.y, kSinCuestionarios);
                fijarLetra(s_, 8);
            }
            for (int f = 1; f <= kNumFactores && p.nSujetos > 0; ++f) {
                const auto i = static_cast<std::size_t>(f - 1);
                celdaMedia(p, mediaFactor(p, f), xCelda(i), anchoCelda, h_.y);
            }
            h_.y += alto;
        }
        regla(h_.y);
        h_.y += aL_ / 2;
        if (pocos) parrafo("* " + std::string(kAvisoAnonimato));
    }

    void seccionPerfil(const TPerfil& p) {
        titulo("Perfil: " + p.nombre, 14, 2 * aL_);
        parrafo(textoGrupos(p));
        parrafo("Población: "_cp + cuenta(static_cast<std::size_t>(std::max(0, p.nSujetos)),
                                          "cuestionario", "cuestionarios"));
        if (poblacionIdentificable(p.nSujetos)) parrafo(kAvisoAnonimato, 8, Estilo::Negrita);
        if (p.nSujetos <= 0) {
            espacio();
            parrafo(kSinCuestionarios, 10, Estilo::Cursiva);
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
        if (distribucion_ && p.nSujetos > 0) distribucionRespuestas(p);
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
        const int grafico =
            std::max(altoMinimoGrafico(s_), std::min(cuerpo * 3 / 10, h_.ancho() / 2));
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

    void anexo() {
        titulo("Anexo: grupos y cuestionarios", 14, 2 * aL_);
        parrafo(
            "Cada grupo con su número de cuestionarios, y cada cuestionario con los grupos a "
            "los que pertenece."_cp);
        espacio();
        const int altoCabecera = aL_ + aL_ / 2;

        // Groups: a name column and the count at the right.
        const int cifra = s_.anchoTexto("Cuestionarios") + 2 * margen_;
        titulo("Grupos", 10, altoCabecera + aL_);
        if (e_.grupos.empty()) {
            parrafo("La empresa no tiene grupos.");
        } else {
            int paginaCabecera = 0;
            for (const auto& g : e_.grupos) {
                const auto lineas = partirTexto(s_, g->nombre, h_.ancho() - cifra - margen_);
                const int alto = static_cast<int>(lineas.size()) * aL_;
                if (h_.pagina != paginaCabecera || !h_.cabe(alto)) {
                    h_.reservar(altoCabecera + alto);
                    fijarLetra(s_, 8, Estilo::Negrita);
                    s_.texto(h_.izquierda, h_.y, "Grupo");
                    aLaDerecha(h_.derecha, h_.y, "Cuestionarios");
                    fijarLetra(s_, 8);
                    regla(h_.y + aL_ + aL_ / 4);
                    h_.y += altoCabecera;
                    paginaCabecera = h_.pagina;
                }
                aLaDerecha(h_.derecha, h_.y,
                           formatoEntero(static_cast<long long>(g->cuestionarios.size())));
                for (const auto& l : lineas) {
                    s_.texto(h_.izquierda, h_.y, l);
                    h_.y += aL_;
                }
            }
        }
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
    Superficie& s_;
    const char sep_;
    const bool distribucion_;
    TPaginas h_;
    const int aL_;
    int altoTexto_ = 0, lado_ = 0, margen_ = 0, anchoMedia_ = 0;
    MedidasAnexo& medidas_;
    std::string continua_;  // the profile whose section is being laid out
};

}  // namespace

void PrepararEvaluacion(TKoral& empresa) {
    for (auto& p : empresa.perfiles) calcularPerfil(empresa, *p);
}

std::vector<std::string> TextoEvaluacion(const TKoral& empresa, bool distribucion) {
    std::vector<std::string> l;
    l.push_back("Informe de evaluación"_cp);
    l.push_back("Empresa: " + empresa.nombre);
    l.push_back("Fecha: " + textoFecha(fechaHoy()));
    l.push_back("Nº Cuestionarios: "_cp +
                formatoEntero(static_cast<long long>(empresa.cuestionarios.size())));
    l.push_back("Nº Grupos: "_cp + formatoEntero(static_cast<long long>(empresa.grupos.size())));
    l.push_back("Nº Perfiles: "_cp +
                formatoEntero(static_cast<long long>(empresa.perfiles.size())));
    std::vector<std::string> descriptivo;
    for (const auto& pp : empresa.perfiles) {
        const TPerfil& p = *pp;
        l.push_back("Perfil: " + p.nombre);
        l.push_back(p.grupos.empty() ? std::string("Grupos:\ttoda la empresa")
                                     : "Grupos:\t" + unidos(nombresGrupos(p), "\t"));
        l.push_back("Nº Sujetos: "_cp + formatoEntero(p.nSujetos));
        if (p.nSujetos <= 0) {
            l.emplace_back(kSinCuestionarios);
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
        if (distribucion) {
            llenarDescriptivo(p, descriptivo, '.');
            l.insert(l.end(), descriptivo.begin(), descriptivo.end());
        }
    }
    for (const auto& g : empresa.grupos)
        l.push_back("Grupo:\t" + g->nombre + '\t' +
                    formatoEntero(static_cast<long long>(g->cuestionarios.size())));
    for (const auto& q : empresa.cuestionarios) {
        std::string linea = "Cuestionario:\t" + q->nombre;
        for (const TGrupo* g : q->grupos)
            if (g) linea += '\t' + g->nombre;
        l.push_back(std::move(linea));
    }
    return l;
}

void DibujarEvaluacion(const TKoral& empresa, Superficie& s, char separador, bool distribucion,
                       TImpresora& impresora) {
    // Counted first, on a surface that only measures: every footer says M.
    SuperficieMedida medida(s);
    TImpresora sinUso;
    MedidasAnexo medidas;
    const int total =
        TMaqueta(empresa, medida, separador, distribucion, 0, medidas).maquetar(sinUso);
    TMaqueta(empresa, s, separador, distribucion, total, medidas).maquetar(impresora);
}

}  // namespace koral
