#include "reports/Escritores.h"

#include <algorithm>
#include <tuple>

#include "document/UData.h"
#include "reports/Impresion.h"

namespace koral {

void EstiloNormal(Superficie& s) {
    s.fuente(s.puntosFuente(), Estilo::Normal);
}
void EstiloNegrita(Superficie& s) {
    s.fuente(s.puntosFuente(), Estilo::Negrita);
}
void EstiloCursiva(Superficie& s) {
    s.fuente(s.puntosFuente(), Estilo::Cursiva);
}

TEscritorColumnas::TEscritorColumnas(Superficie& superficie, Variante v)
    : s(superficie), variante(v) {
    altoLinea = s.altoTexto("W") + 4;
    sangria = s.anchoTexto("WWW");
    const int ancho = s.ancho();
    const int alto = s.alto();
    const int mitad = ancho / 2;
    marco = {10, 2 * altoLinea, ancho - 20, alto - 2 * altoLinea};
    if (variante == Variante::Perfil) {
        const int limite = alto - 2 * altoLinea - 50;
        columnas[0] = {30, 40, mitad - 20, limite};
        columnas[1] = {mitad + 20, 40, ancho - 40, limite};
    } else {
        const int limite = alto - 4 * altoLinea;
        columnas[0] = {30, 40, mitad - 30, limite};
        columnas[1] = {mitad + 30, 40, ancho - 30, limite};
    }
    for (const auto& c : columnas)
        if (c.derecha <= c.izquierda) throw ErrorImpresion(mensajePaginaPequena());
}

void TEscritorColumnas::comprobarOrigen(int origen) const {
    // A column that cannot hold its first line would send every line to the
    // next column: pages by the thousand, each nearly empty.
    for (const auto& c : columnas)
        if (origen + c.margenSuperior > c.limite) throw ErrorImpresion(mensajePaginaPequena());
}

void TEscritorColumnas::EmpezarColumnas(int origen) {
    origenColumnas = origen;
    if (variante == Variante::Cuestionario) s.linea(marco.x1, origen, marco.x2, origen);
    const int mitad = s.ancho() / 2;
    s.linea(mitad, origen, mitad, marco.y2);
    columnaActual = 1;
    xTexto = columnas[0].izquierda;
    yTexto = origen + columnas[0].margenSuperior;
}

void TEscritorColumnas::SiguienteRenglon() {
    empezarPaginaPendiente();
    avanzar();
    empezarPaginaPendiente();
}

void TEscritorColumnas::avanzar() {
    yTexto += altoLinea;
    if (!midiendo_ && yTexto > actual().limite) cambiarColumna();
    xTexto = actual().izquierda;
}

void TEscritorColumnas::cambiarColumna() {
    if (columnaActual == 1) {
        columnaActual = 2;
        xColgante += desplazamientoColumnas();
        yTexto = origenColumnas + actual().margenSuperior;
    } else {
        paginaPendiente_ = true;
    }
}

void TEscritorColumnas::dibujar(int x, int y, const std::string& t) {
    if (!midiendo_) s.texto(x, y, t);
}

int TEscritorColumnas::renglonesBloque(std::span<const std::string> lineas) {
    // A dry run of EscribirTexto from the top of the current column; the
    // writer and the surface's style are put back as they were.
    const auto estado =
        std::tuple(xTexto, yTexto, xColgante, colgante, paginaPendiente_, renglonesPendientes_);
    const int puntos = s.puntosFuente();
    const Estilo estilo = s.estiloFuente();
    midiendo_ = true;
    paginaPendiente_ = false;
    xTexto = actual().izquierda;
    yTexto = 0;
    for (const auto& linea : lineas) EscribirTexto(linea);
    const int renglones = yTexto / altoLinea;
    midiendo_ = false;
    std::tie(xTexto, yTexto, xColgante, colgante, paginaPendiente_, renglonesPendientes_) = estado;
    s.fuente(puntos, estilo);
    return renglones;
}

void TEscritorColumnas::EscribirBloque(std::span<const std::string> lineas) {
    empezarPaginaPendiente();
    const int renglones = renglonesBloque(lineas);
    const bool columnaVacia = yTexto <= origenColumnas + actual().margenSuperior;
    if (!columnaVacia && yTexto + (renglones - 1) * altoLinea > actual().limite) {
        cambiarColumna();
        xTexto = actual().izquierda;
        empezarPaginaPendiente();
    }
    for (const auto& linea : lineas) EscribirTexto(linea);
}

void TEscritorColumnas::empezarPaginaPendiente() {
    while (paginaPendiente_) {
        paginaPendiente_ = false;
        s.nuevaPagina();
        if (CabeceraPagina) CabeceraPagina();
        EmpezarColumnas(yTexto);
        xColgante -= desplazamientoColumnas();
        while (renglonesPendientes_ > 0 && !paginaPendiente_) {
            --renglonesPendientes_;
            avanzar();
        }
    }
}

void TEscritorColumnas::EscribirTexto(std::string_view texto) {
    if (texto.empty()) {
        if (paginaPendiente_)
            ++renglonesPendientes_;
        else
            avanzar();
        return;
    }
    empezarPaginaPendiente();
    std::string linea(texto);
    colgante = false;
    if (linea[0] == '\t') {
        xTexto += sangria;
        linea.erase(0, 1);
        std::size_t largoNumero = 0;
        const char* avance = "WWWW";
        if (variante == Variante::Perfil) {
            largoNumero = 8;
        } else if (!linea.empty() && linea[0] >= '0' && linea[0] <= '9') {
            largoNumero = 2;
            avance = "WW";
        }
        if (largoNumero > 0) {
            largoNumero = std::min(largoNumero, linea.size());
            EstiloNegrita(s);
            dibujar(xTexto, yTexto, linea.substr(0, largoNumero));
            xTexto += s.anchoTexto(avance);
            EstiloNormal(s);
            linea.erase(0, largoNumero);
            xColgante = xTexto;
            colgante = true;
        }
    }
    std::string palabra;
    while (!linea.empty()) {
        siguientePalabra(linea, palabra);
        if (palabra.empty()) break;
        if (palabra[0] == '<') {
            if (palabra.size() > 1) {
                switch (palabra[1]) {
                    case 'C':
                        EstiloCursiva(s);
                        break;
                    case 'N':
                        EstiloNegrita(s);
                        break;
                    case 'n':
                        EstiloNormal(s);
                        break;
                    default:
                        break;
                }
            }
            palabra.erase(0, std::min<std::size_t>(3, palabra.size()));
        }
        palabra += ' ';
        const int w = s.anchoTexto(palabra);
        // Moved to a new line once: a word wider than the column runs past its edge.
        if (xTexto + w > actual().derecha) {
            SiguienteRenglon();
            if (colgante) xTexto = xColgante;
        }
        dibujar(xTexto, yTexto, palabra);
        xTexto += w;
    }
    avanzar();
}

TEscritorRejilla::TEscritorRejilla(Superficie& superficie) : s(superficie) {
    pasoLinea = s.alto() / 66;
    limiteDerecho = s.ancho() - 80;
}

std::size_t TEscritorRejilla::caracteresQueCaben(std::string_view pieza, int ancho) {
    // The longest start of the piece no wider than `ancho`, at least one
    // character; widths are measured on starts at most twice the answer long.
    auto cabe = [&](std::size_t n) {
        return s.anchoTexto(std::string(pieza.substr(0, n))) <= ancho;
    };
    std::size_t bajo = 1, alto = 2;
    while (alto <= pieza.size() && cabe(alto)) {
        bajo = alto;
        alto *= 2;
    }
    alto = std::min(alto, pieza.size() + 1);
    while (alto - bajo > 1) {
        const std::size_t medio = bajo + (alto - bajo) / 2;
        (cabe(medio) ? bajo : alto) = medio;
    }
    return bajo;
}

void TEscritorRejilla::dibujar(int x, const std::string& pieza) {
    if (SaltoPagina && numLinea > ultimaLinea) SaltoPagina();
    s.texto(x, LineaY(numLinea), pieza);
}

void TEscritorRejilla::EscribirParrafo(std::string_view texto) {
    int x = margenTexto;
    std::size_t inicio = 0;
    while (inicio < texto.size()) {
        const std::size_t blanco = texto.find(' ', inicio);
        const std::size_t fin = blanco == std::string_view::npos ? texto.size() : blanco + 1;
        std::string_view pieza = texto.substr(inicio, fin - inicio);
        inicio = fin;
        int w = s.anchoTexto(std::string(pieza));
        if (x + w > limiteDerecho) {
            // At the start of a line a new line would not help.
            if (x > margenTexto) {
                x = margenTexto;
                ++numLinea;
            }
            // A word wider than the line would run off the page: it is cut
            // where each line ends and goes on at the start of the next.
            for (;;) {
                const std::size_t largo = pieza.find_last_not_of(' ');
                const std::string_view palabra = largo == std::string_view::npos
                                                     ? std::string_view()
                                                     : pieza.substr(0, largo + 1);
                if (x + s.anchoTexto(std::string(palabra)) <= limiteDerecho) break;
                const std::size_t n = caracteresQueCaben(palabra, limiteDerecho - x);
                dibujar(x, std::string(pieza.substr(0, n)));
                pieza.remove_prefix(n);
                x = margenTexto;
                ++numLinea;
            }
            if (pieza.empty()) continue;
            w = s.anchoTexto(std::string(pieza));
        }
        dibujar(x, std::string(pieza));
        x += w;
    }
    ++numLinea;
}

void TEscritorRejilla::EscribirMultilinea(std::string_view texto) {
    for (;;) {
        const std::size_t salto = texto.find("\r\n");
        if (salto == std::string_view::npos) break;
        EscribirParrafo(texto.substr(0, salto));
        texto.remove_prefix(salto + 2);
    }
    EscribirParrafo(texto);
}

}  // namespace koral
