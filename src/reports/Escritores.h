// The two page-layout engines of the framed reports: text poured word by
// word into two columns (with "<C>", "<N>", "<n>" style tags and numbered
// tab lines), and paragraphs laid on a grid of 66 lines per page.
#pragma once

#include <array>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "platform/Superficie.h"

namespace koral {

struct Rectangulo {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

struct Columna {
    int izquierda = 0;
    int margenSuperior = 0;  // below origenColumnas
    int derecha = 0;
    int limite = 0;  // bottom limit of a line's top
};

// The two-column flowing writer. The state is public: the reports set up
// their first page with it and their page header moves yTexto.
class TEscritorColumnas {
public:
    enum class Variante { Perfil, Cuestionario };

    // Measures altoLinea and sangria in the surface's current font and lays
    // out the frame and the columns of the variant. Throws ErrorImpresion when
    // a column has no width or cannot hold a line below `origenSiguientes`,
    // the top of the columns on every page after the first.
    TEscritorColumnas(Superficie& s, Variante v);

    // Checks that the columns hold at least one line below `origen`; throws
    // ErrorImpresion otherwise.
    void comprobarOrigen(int origen) const;

    // Columns begin at `origen` on the current page: the variant's rule, the
    // divider, and the writing position at the top of column 1.
    void EmpezarColumnas(int origen);

    void EscribirTexto(std::string_view linea);
    void SiguienteRenglon();

    // Lines that must stay in one column (a question with its options): when
    // they do not fit in what is left of the current column they start at the
    // top of the next one. A column that is still empty keeps them, so a
    // block taller than a column is split as EscribirTexto would split it.
    void EscribirBloque(std::span<const std::string> lineas);
    // How many lines of the current column the lines would take, without
    // drawing anything or changing the writer's state.
    int renglonesBloque(std::span<const std::string> lineas);

    Superficie& s;
    const Variante variante;
    int altoLinea = 0;
    int sangria = 0;
    Rectangulo marco;
    std::array<Columna, 2> columnas{};
    int columnaActual = 1;
    int origenColumnas = 0;
    int xTexto = 0;
    int yTexto = 0;
    int xColgante = 0;
    bool colgante = false;
    // Draws the frame and the page heading on a new page and sets yTexto
    // below it, leaving the style regular.
    std::function<void()> CabeceraPagina;

private:
    // The advance after a line: a page it would start is left pending, with
    // the blank lines that follow, until something is drawn, so that a text
    // ending on the last line of a page leaves no empty page behind.
    void avanzar();
    // To the top of the next column; from column 2 the new page is left pending.
    void cambiarColumna();
    void empezarPaginaPendiente();
    void dibujar(int x, int y, const std::string& t);
    bool paginaPendiente_ = false;
    int renglonesPendientes_ = 0;
    // Set while renglonesBloque lays lines out: nothing is drawn and the
    // advance never leaves the column.
    bool midiendo_ = false;

    Columna& actual() { return columnas[static_cast<std::size_t>(columnaActual - 1)]; }
    int desplazamientoColumnas() const { return columnas[1].izquierda - columnas[0].izquierda; }
};

// The line-grid writer: 66 grid lines per page. A piece wider than the whole
// line is cut where the line ends, so that no text runs off the page.
class TEscritorRejilla {
public:
    explicit TEscritorRejilla(Superficie& s);

    int LineaY(int n) const { return 30 + n * pasoLinea; }
    // One paragraph from the left margin; pieces keep their blank.
    void EscribirParrafo(std::string_view texto);
    // Paragraphs separated by CR LF.
    void EscribirMultilinea(std::string_view texto);

    Superficie& s;
    int pasoLinea = 0;
    int numLinea = 0;
    int margenTexto = 40;
    int limiteDerecho = 0;
    // Page breaks, off unless SaltoPagina is set: a piece that would be drawn
    // below grid line ultimaLinea first calls SaltoPagina, which starts a new
    // page and sets numLinea where the text goes on.
    int ultimaLinea = 0;
    std::function<void()> SaltoPagina;

private:
    std::size_t caracteresQueCaben(std::string_view pieza, int ancho);
    void dibujar(int x, const std::string& pieza);
};

// Style setters: exactly one style at a time, at the current size.
void EstiloNormal(Superficie& s);
void EstiloNegrita(Superficie& s);
void EstiloCursiva(Superficie& s);

}  // namespace koral
