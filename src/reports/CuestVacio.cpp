// The blank questionnaire that respondents fill in by hand.
#include <span>

#include "method/Textos.h"
#include "platform/Texto.h"
#include "reports/Escritores.h"
#include "reports/Informes.h"

namespace koral {

void DibujarCuestVacio(Superficie& s, TImpresora& impresora) {
    TEscritorColumnas columnas(s, TEscritorColumnas::Variante::Cuestionario);
    const int ancho = s.ancho();
    const int altoLinea = columnas.altoLinea;
    const int cabecera = 4 * altoLinea + 10;  // top of marco + 10 + two line heights
    columnas.comprobarOrigen(cabecera + 4 * altoLinea);

    const std::string titulo = "CUESTIONARIO DEL MÉTODO DE EVALUACIÓN DE FACTORES PSICOSOCIALES"_cp;
    columnas.CabeceraPagina = [&] {
        const Rectangulo& m = columnas.marco;
        s.rectangulo(m.x1, m.y1, m.x2, m.y2);
        EstiloNegrita(s);
        s.texto(30, 2 * altoLinea + 20, titulo);
        EstiloNormal(s);
        columnas.yTexto = cabecera;
    };

    impresora.tituloTrabajo = "Imp. Cuestionarios";
    impresora.tituloDocumento = titulo;
    s.pluma(kNegro, 2);
    impresora.EmpezarDocumento(s);
    columnas.CabeceraPagina();

    // Title block, first page only.
    const int y0 = columnas.yTexto;
    const int derecha = ancho / 2 + 30;
    EstiloNegrita(s);
    s.texto(30, y0, "IDENTIFICADOR " + std::string(15, '.'));
    s.texto(30, y0 + altoLinea, "GRUPOS " + std::string(103, '.'));
    s.texto(30, y0 + 2 * altoLinea, std::string(7, ' ') + std::string(103, '.'));
    s.texto(30, y0 + 3 * altoLinea, "FECHA " + std::string(23, '.'));
    s.texto(derecha, y0, "INSTRUCCIONES:");
    s.texto(derecha, y0 + altoLinea, "Este cuestionario es anónimo."_cp);
    s.texto(derecha, y0 + 2 * altoLinea, "Conteste sinceramente a todas las preguntas,");
    s.texto(derecha, y0 + 3 * altoLinea, "marcando las opciones que mejor se ajusten.");
    EstiloNormal(s);

    columnas.EmpezarColumnas(y0 + 4 * altoLinea);
    // A worker answers by hand: each question stays in one column with its
    // options, and a block heading (a shared stem) with the question after it.
    const auto& lineas = lineasCuestionario();
    const std::size_t n = lineas.size();
    auto finParrafo = [&](std::size_t k) {
        while (k < n && !lineas[k].empty()) ++k;
        return k;
    };
    for (std::size_t i = 0; i < n;) {
        if (lineas[i].empty()) {
            columnas.EscribirTexto(lineas[i++]);
            continue;
        }
        // A paragraph runs to the next empty line; a heading's takes the
        // next paragraph, and the blank line between, with it.
        std::size_t fin = finParrafo(i);
        for (std::size_t p = i; lineas[p].rfind("<N>", 0) == 0;) {
            std::size_t siguiente = fin;
            while (siguiente < n && lineas[siguiente].empty()) ++siguiente;
            if (siguiente == n) break;
            p = siguiente;
            fin = finParrafo(p);
        }
        columnas.EscribirBloque(std::span(lineas).subspan(i, fin - i));
        i = fin;
    }
    s.terminarDocumento();
}

}  // namespace koral
