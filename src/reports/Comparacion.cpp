#include "reports/Comparacion.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "method/Formato.h"
#include "method/Perfil.h"
#include "platform/Texto.h"
#include "reports/Informes.h"
#include "reports/Maquetacion.h"

namespace koral {

namespace {

// The mean as the table shows it: two decimals, rounded as formatoReal does.
double redondeada(double v) {
    const std::string t = formatoReal(v, 0, 2, '.');
    double r = 0;
    std::from_chars(t.data(), t.data() + t.size(), r);
    return r;
}

std::string sujetos(std::int32_t n) {
    return formatoEntero(n) + (n == 1 ? " sujeto" : " sujetos");
}

std::string casiEnBlanco(const CifrasPerfil& p) {
    return std::string(kRotuloCasiEnBlanco) + ": " + formatoEntero(p.nCasiEnBlanco);
}

struct Leyenda {
    int alto = 0, columnas = 1, anchoColumna = 0, anchoMuestra = 0, radio = 0, margen = 0;
    int altoLinea = 0, altoTexto = 0;
    std::vector<std::vector<std::string>> lineas;  // per profile
    std::vector<int> altoFila;
};

// What the legend and the table say for a profile without figures.
std::string textoSinCifras(const TComparacion& c, const CifrasPerfil& p) {
    return p.retenido ? textoRetenido(c.minimo) : std::string(kSinCuestionarios);
}

Leyenda medirLeyenda(const TComparacion& c, Superficie& s, int ancho) {
    Leyenda l;
    l.altoLinea = fijarLetra(s, 8);
    l.altoTexto = s.altoTexto("W");
    l.radio = std::max(3, l.altoTexto / 3);
    l.anchoMuestra = 4 * l.radio + l.altoTexto;
    l.margen = std::max(2, l.altoTexto / 2);
    const std::size_t n = c.perfiles.size();
    if (n == 0) return l;
    std::vector<std::string> textos;
    int mayor = 0;
    for (const auto& p : c.perfiles) {
        textos.push_back(p.etiqueta + ": " +
                         (p.sinCifras() ? textoSinCifras(c, p) : sujetos(p.nSujetos)));
        mayor = std::max(mayor, s.anchoTexto(textos.back()));
    }
    const int necesario = l.anchoMuestra + 3 * l.margen + mayor;
    l.columnas = static_cast<int>(
        std::clamp<std::size_t>(static_cast<std::size_t>(std::max(1, ancho / necesario)), 1, n));
    l.anchoColumna = ancho / l.columnas;
    const int anchoTexto = std::max(1, l.anchoColumna - l.anchoMuestra - 2 * l.margen);
    for (const auto& t : textos) l.lineas.push_back(partirTexto(s, t, anchoTexto));
    const std::size_t columnas = static_cast<std::size_t>(l.columnas);
    l.alto = l.margen;
    for (std::size_t i = 0; i < n; i += columnas) {
        std::size_t mas = 1;
        for (std::size_t k = i; k < std::min(n, i + columnas); ++k)
            mas = std::max(mas, l.lineas[k].size());
        l.altoFila.push_back(static_cast<int>(mas) * l.altoLinea);
        l.alto += l.altoFila.back();
    }
    return l;
}

}  // namespace

std::string etiquetaOtraEmpresa(const TKoral& otra, const TPerfil& perfil) {
    double ultima = 0;
    for (const auto& q : otra.cuestionarios)
        if (fechaCivil(q->fecha) && q->fecha > ultima) ultima = q->fecha;
    std::string t = perfil.nombre + " (" + otra.nombre;
    if (const auto f = fechaCivil(ultima)) t += ", " + std::to_string(f->anio);
    return t + ")";
}

std::size_t referenciaPorDefecto(std::span<const TPerfilComparado> perfiles) {
    for (std::size_t i = 0; i < perfiles.size(); ++i)
        if (perfiles[i].perfil && !perfiles[i].deOtraEmpresa && perfiles[i].perfil->grupos.empty())
            return i;
    return 0;
}

int bandaDeMedia(double media) {
    return bandaDe(redondeada(media));
}

bool resultadosRetenidos(std::int32_t nSujetos, int minimo) {
    return nSujetos >= 1 && nSujetos < minimo;
}

std::string textoRetenido(int minimo) {
    return "Resultados no mostrados: menos de " + std::to_string(minimo) + " personas";
}

TComparacion compararPerfiles(std::span<const TPerfilComparado> perfiles, std::size_t referencia,
                              int minimo) {
    TComparacion c;
    c.referencia = referencia < perfiles.size() ? referencia : 0;
    c.minimo = minimo;
    for (const TPerfilComparado& pc : perfiles) {
        CifrasPerfil cf;
        cf.etiqueta = pc.etiqueta;
        cf.sinRespuesta = "0";
        if (pc.perfil) {
            const TPerfil& p = *pc.perfil;
            cf.nSujetos = p.nSujetos;
            for (int f = 1; f <= kNumFactores; ++f) {
                const auto i = static_cast<std::size_t>(f - 1);
                cf.medias[i] = mediaFactor(p, f);
                for (std::size_t b = 0; b < 3; ++b)
                    cf.bandas[i][b] = p.nSujetos <= 0 ? 0 : p.bandas[i][b] * 100.0 / p.nSujetos;
            }
            cf.sinRespuesta = porcentajeSinRespuesta(p);
            cf.identificable = poblacionIdentificable(p.nSujetos);
            cf.nCasiEnBlanco = p.nCasiEnBlanco;
            cf.muchasSinRespuesta = muchasSinRespuesta(p);
            // Nothing of a small group's answers leaves here, not even by
            // mistake further on.
            if (resultadosRetenidos(p.nSujetos, minimo)) {
                cf.retenido = true;
                cf.medias = {};
                cf.bandas = {};
                cf.sinRespuesta.clear();
                cf.identificable = false;
                cf.nCasiEnBlanco = 0;
                cf.muchasSinRespuesta = false;
            }
        }
        c.perfiles.push_back(std::move(cf));
    }
    // Means of nobody are no figures to set against.
    if (!c.perfiles.empty() && !c.perfiles[c.referencia].sinCifras()) {
        const auto referenciaMedias = c.perfiles[c.referencia].medias;
        for (std::size_t i = 0; i < c.perfiles.size(); ++i) {
            CifrasPerfil& p = c.perfiles[i];
            p.conDiferencias = i != c.referencia && !p.sinCifras();
            if (!p.conDiferencias) continue;
            for (std::size_t f = 0; f < kNumFactores; ++f)
                p.diferencias[f] = redondeada(p.medias[f]) - redondeada(referenciaMedias[f]);
        }
    }
    return c;
}

std::string textoMedia(double media, char separador) {
    return formatoReal(media, 5, 2, separador);
}

std::string textoBanda(double porcentaje, char separador) {
    return formatoReal(porcentaje, 5, 2, separador) + " %";
}

std::string textoDiferencia(double diferencia, char separador) {
    std::string t = formatoReal(std::fabs(diferencia), 0, 2, separador);
    if (t.find_first_not_of(std::string("0") + separador) == std::string::npos) return t;
    return (diferencia < 0 ? "-" : "+") + t;
}

int altoLeyendaComparacion(const TComparacion& c, Superficie& s, int ancho) {
    return medirLeyenda(c, s, ancho).alto;
}

void dibujarGraficoComparacion(const TComparacion& c, Superficie& s, const Rectangulo& area) {
    const Leyenda l = medirLeyenda(c, s, area.x2 - area.x1);
    const Rectangulo grafico{area.x1, area.y1, area.x2, std::max(area.y1 + 1, area.y2 - l.alto)};
    std::vector<SerieMedias> series;
    for (std::size_t i = 0; i < c.perfiles.size(); ++i)
        if (!c.perfiles[i].sinCifras()) series.push_back({c.perfiles[i].medias, i});
    dibujarGraficoMedias(s, grafico, series);

    fijarLetra(s, 8);
    s.colorTexto(kNegro);
    int y = grafico.y2 + l.margen;
    const std::size_t columnas = static_cast<std::size_t>(l.columnas);
    for (std::size_t i = 0; i < c.perfiles.size(); ++i) {
        const std::size_t fila = i / columnas;
        const int x = area.x1 + static_cast<int>(i % columnas) * l.anchoColumna;
        dibujarMuestraSerie(s, i, x, y + l.altoTexto / 2, l.anchoMuestra, l.radio);
        int yl = y;
        for (const auto& linea : l.lineas[i]) {
            s.texto(x + l.anchoMuestra + l.margen, yl, linea);
            yl += l.altoLinea;
        }
        if (i % columnas == columnas - 1 || i + 1 == c.perfiles.size()) y += l.altoFila[fila];
    }
}

std::vector<std::string> TextoComparacion(const TComparacion& c, const std::string& empresa) {
    std::vector<std::string> l;
    l.push_back("Comparación de perfiles"_cp);
    l.push_back("Empresa: " + empresa);
    if (!c.perfiles.empty()) {
        l.push_back("Referencia: " + c.perfiles[c.referencia].etiqueta);
        if (c.perfiles[c.referencia].sinCuestionarios())
            l.emplace_back(kReferenciaSinCuestionarios);
        else if (c.perfiles[c.referencia].retenido)
            l.emplace_back(kReferenciaRetenida);
    }
    for (const CifrasPerfil& p : c.perfiles) {
        l.push_back("Perfil: " + p.etiqueta);
        l.push_back("Nº Sujetos: "_cp + formatoEntero(p.nSujetos));
        if (p.sinCifras()) {
            l.push_back(textoSinCifras(c, p));
            continue;
        }
        if (p.identificable) l.emplace_back(kAvisoAnonimato);
        for (std::size_t f = 0; f < kNumFactores; ++f) {
            std::string linea = std::string(kAbreviaturas[f]) + '\t' + textoMedia(p.medias[f], '.');
            for (double b : p.bandas[f]) linea += '\t' + textoBanda(b, '.');
            if (p.conDiferencias) linea += '\t' + textoDiferencia(p.diferencias[f], '.');
            l.push_back(std::move(linea));
        }
        l.push_back("Sin respuesta:\t" + p.sinRespuesta);
        l.push_back(std::string(kRotuloCasiEnBlanco) + ":\t" + formatoEntero(p.nCasiEnBlanco));
        if (p.muchasSinRespuesta) l.emplace_back(kAvisoSinRespuesta);
    }
    return l;
}

namespace {

// One layout of the pages; returns how many it took.
int maquetarComparacion(const TComparacion& c, const std::string& empresa, Superficie& s,
                        char separador, int total) {
    TPaginas h(s, empresa, total);
    const int aL = h.altoLinea;
    h.cabecera = [&] {
        const int alto = fijarLetra(s, 12, Estilo::Negrita);
        s.texto(h.izquierda, h.y, "COMPARACIÓN DE PERFILES"_cp);
        h.y += alto;
        fijarLetra(s, 8);
        s.linea(h.izquierda, h.y, h.derecha, h.y);
        h.y += aL / 2;
    };
    h.empezar();

    auto parrafo = [&](const std::string& texto, Estilo estilo) {
        fijarLetra(s, 8, estilo);
        for (const auto& linea : partirTexto(s, texto, h.ancho())) {
            h.reservar(aL);
            s.texto(h.izquierda, h.y, linea);
            h.y += aL;
        }
        fijarLetra(s, 8);
    };
    parrafo("Empresa: " + empresa, Estilo::Normal);
    if (!c.perfiles.empty()) {
        parrafo("Perfil de referencia: " + c.perfiles[c.referencia].etiqueta, Estilo::Normal);
        if (c.perfiles[c.referencia].sinCuestionarios())
            parrafo(kReferenciaSinCuestionarios, Estilo::Negrita);
        else if (c.perfiles[c.referencia].retenido)
            parrafo(kReferenciaRetenida, Estilo::Negrita);
    }
    h.y += aL / 2;

    // The chart keeps its legend with it, on one page.
    const int cuerpo = h.abajo - h.y;
    const int leyenda = altoLeyendaComparacion(c, s, h.ancho());
    const int grafico = std::max(altoMinimoGrafico(s), std::min(cuerpo * 2 / 5, h.ancho() * 3 / 5));
    h.reservar(grafico + leyenda);
    dibujarGraficoComparacion(c, s, {h.izquierda, h.y, h.derecha, h.y + grafico + leyenda});
    h.y += grafico + leyenda + aL / 2;

    std::string clave;
    for (std::size_t f = 0; f < kNumFactores; ++f)
        clave += std::string(f ? "; " : "") + kAbreviaturas[f] + ": " + kNombresFactorAcentuados[f];
    parrafo(
        "En cada factor: la media, con el color de su nivel; la diferencia con el perfil de "
        "referencia; el porcentaje de sujetos en los niveles 1 (verde claro, liso, menos de "
        "4), 2 (amarillo, rayado, de 4 a menos de 7) y 3 (rojo, cuadriculado, 7 o más)."_cp,
        Estilo::Normal);
    parrafo(clave + ".", Estilo::Normal);
    h.y += aL / 2;

    // The table: a block of lines per profile, a column per factor.
    const int altoTexto = s.altoTexto("W");
    const int lado = std::max(2, altoTexto * 2 / 3);
    const int margen = std::max(2, altoTexto / 4);
    const int radio = std::max(3, altoTexto / 3);
    const int anchoMuestra = 4 * radio + altoTexto;
    fijarLetra(s, 8, Estilo::Negrita);
    int cifra = s.anchoTexto(textoMedia(10, separador));
    fijarLetra(s, 8);
    cifra = std::max({cifra, s.anchoTexto(textoBanda(100, separador)),
                      s.anchoTexto(textoDiferencia(-10, separador))});
    const int celdaMinima = lado + cifra + 4 * margen;
    const int etiquetaMinima = anchoMuestra + margen + s.anchoTexto("WWWWWWWWWWWW");
    if (kNumFactores * celdaMinima + etiquetaMinima > h.ancho())
        throw ErrorImpresion(mensajePaginaPequena());
    const int etiqueta = std::max(
        etiquetaMinima, std::min(h.ancho() - kNumFactores * celdaMinima, h.ancho() * 3 / 10));
    const int celda = (h.ancho() - etiqueta) / kNumFactores;
    const auto xCelda = [&](std::size_t f) {
        return h.izquierda + etiqueta + static_cast<int>(f) * celda;
    };
    const auto aLaDerecha = [&](std::size_t f, int y, const std::string& t) {
        s.texto(xCelda(f) + celda - margen - s.anchoTexto(t), y, t);
    };

    const int altoCabecera = aL + aL / 2;
    auto cabeceraTabla = [&] {
        fijarLetra(s, 8, Estilo::Negrita);
        s.texto(h.izquierda, h.y, "Perfil");
        for (std::size_t f = 0; f < kNumFactores; ++f) aLaDerecha(f, h.y, kAbreviaturas[f]);
        fijarLetra(s, 8);
        s.linea(h.izquierda, h.y + aL + aL / 4, h.derecha, h.y + aL + aL / 4);
        h.y += altoCabecera;
    };
    struct Fila {
        std::vector<std::string> etiqueta, aviso;
        int alto = 0;
    };
    // Five lines of figures, or the one that says there are none.
    const auto lineasFila = [](const CifrasPerfil& p, const Fila& fila) {
        return std::max<std::size_t>(fila.etiqueta.size(), p.sinCifras() ? 1 : 5);
    };
    auto medirFila = [&](std::size_t i) {
        const CifrasPerfil& p = c.perfiles[i];
        Fila fila;
        const int ancho = etiqueta - anchoMuestra - 2 * margen;
        fila.etiqueta = partirTexto(s, p.etiqueta, ancho);
        fila.etiqueta.push_back(sujetos(p.nSujetos));
        if (!p.sinCifras()) {
            fila.etiqueta.push_back("Sin respuesta: " + sinBlancosIniciales(p.sinRespuesta));
            for (auto& l : partirTexto(s, casiEnBlanco(p), ancho))
                fila.etiqueta.push_back(std::move(l));
        }
        if (i == c.referencia) fila.etiqueta.emplace_back("(referencia)");
        fijarLetra(s, 8, Estilo::Negrita);
        const auto avisar = [&](const char* aviso) {
            for (auto& l : partirTexto(s, aviso, h.ancho())) fila.aviso.push_back(std::move(l));
        };
        if (p.identificable) avisar(kAvisoAnonimato);
        if (p.muchasSinRespuesta) avisar(kAvisoSinRespuesta);
        fijarLetra(s, 8);
        const std::size_t lineas = lineasFila(p, fila);
        fila.alto = static_cast<int>(lineas + fila.aviso.size()) * aL + aL / 2;
        return fila;
    };
    auto dibujarFila = [&](std::size_t i, const Fila& fila) {
        const CifrasPerfil& p = c.perfiles[i];
        const int y0 = h.y;
        dibujarMuestraSerie(s, i, h.izquierda, y0 + altoTexto / 2, anchoMuestra, radio);
        int y = y0;
        for (const auto& linea : fila.etiqueta) {
            s.texto(h.izquierda + anchoMuestra + margen, y, linea);
            y += aL;
        }
        const int ajuste = (altoTexto - lado) / 2;
        if (p.sinCifras()) {
            fijarLetra(s, 8, Estilo::Cursiva);
            s.texto(xCelda(0) + margen, y0, textoSinCifras(c, p));
            fijarLetra(s, 8);
        }
        for (std::size_t f = 0; f < kNumFactores && !p.sinCifras(); ++f) {
            // The squares in a column, just left of the widest figure.
            const int x = xCelda(f) + celda - 3 * margen - cifra - lado;
            dibujarMuestraBanda(s, x, y0 + ajuste, lado, bandaDeMedia(p.medias[f]));
            fijarLetra(s, 8, Estilo::Negrita);
            aLaDerecha(f, y0, textoMedia(p.medias[f], separador));
            fijarLetra(s, 8);
            if (p.conDiferencias)
                aLaDerecha(f, y0 + aL, textoDiferencia(p.diferencias[f], separador));
            for (std::size_t b = 0; b < 3; ++b) {
                const int yb = y0 + static_cast<int>(b + 2) * aL;
                dibujarMuestraBanda(s, x, yb + ajuste, lado, static_cast<int>(b) + 1);
                aLaDerecha(f, yb, textoBanda(p.bandas[f][b], separador));
            }
        }
        y = y0 + static_cast<int>(lineasFila(p, fila)) * aL;
        fijarLetra(s, 8, Estilo::Negrita);
        for (const auto& linea : fila.aviso) {
            s.texto(h.izquierda, y, linea);
            y += aL;
        }
        fijarLetra(s, 8);
        s.linea(h.izquierda, y0 + fila.alto - aL / 4, h.derecha, y0 + fila.alto - aL / 4);
        h.y = y0 + fila.alto;
    };

    int paginaCabecera = 0;  // where the heading row was last drawn
    for (std::size_t i = 0; i < c.perfiles.size(); ++i) {
        const Fila fila = medirFila(i);
        // Every page of the table starts with its heading row, which never
        // stands alone at the foot of a page.
        if (h.pagina != paginaCabecera || !h.cabe(fila.alto)) {
            h.reservar(altoCabecera + fila.alto);
            cabeceraTabla();
            paginaCabecera = h.pagina;
        }
        dibujarFila(i, fila);
    }
    s.terminarDocumento();
    return h.pagina;
}

}  // namespace

void DibujarComparacion(const TComparacion& c, const std::string& empresa, Superficie& s,
                        char separador, TImpresora& impresora) {
    SuperficieMedida medida(s);
    const int total = maquetarComparacion(c, empresa, medida, separador, 0);
    s.pluma(kNegro, 1);
    impresora.tituloTrabajo = "Imp. Comparación"_cp;
    impresora.tituloDocumento = tituloConEmpresa("COMPARACIÓN DE PERFILES"_cp, empresa);
    impresora.EmpezarDocumento(s);
    maquetarComparacion(c, empresa, s, separador, total);
}

}  // namespace koral
