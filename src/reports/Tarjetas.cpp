#include "reports/Tarjetas.h"

#include <algorithm>

#include "platform/Texto.h"
#include "reports/Escritores.h"
#include "reports/Maquetacion.h"

namespace koral {

namespace {

constexpr Color kGrisCorte{150, 150, 150};
constexpr int kZonaQR = 4;  // the quiet zone readers need, in modules

struct LineaTarjeta {
    std::string texto;
    int puntos;
    Estilo estilo;
};

// `t` cut, with an ellipsis, to `ancho` at the current font.
std::string recortado(Superficie& s, std::string t, int ancho) {
    if (s.anchoTexto(t) <= ancho) return t;
    while (!t.empty() && s.anchoTexto(t + "\x85") > ancho) t.pop_back();
    return t + "\x85";
}

// What a card says beside its QR code, top to bottom, in lines no wider than
// `ancho`: the company cut to one line, the address and the code whole (they
// are typed), the rest broken at blanks. Empty when the address or the code
// does not fit.
std::vector<LineaTarjeta> lineasTarjeta(Superficie& s, const std::string& empresa,
                                        const std::string& url, const std::string& codigo,
                                        int ancho) {
    std::vector<LineaTarjeta> v;
    const auto partido = [&](const std::string& t, int puntos, Estilo estilo) {
        s.fuente(puntos, estilo);
        for (auto& l : partirTexto(s, t, ancho)) v.push_back({std::move(l), puntos, estilo});
    };
    const auto entero = [&](const std::string& t, int puntos) {
        s.fuente(puntos, Estilo::Negrita);
        v.push_back({t, puntos, Estilo::Negrita});
        return s.anchoTexto(t) <= ancho;
    };
    s.fuente(8, Estilo::Negrita);
    v.push_back({recortado(s, empresa, ancho), 8, Estilo::Negrita});
    partido("Abra en el navegador del teléfono"_cp, 8, Estilo::Normal);
    if (!entero(url, 9)) return {};
    partido("o lea el código QR. Su código:"_cp, 8, Estilo::Normal);
    if (!entero(codigo, 18)) return {};
    partido("Vale para una sola respuesta."_cp, 7, Estilo::Cursiva);
    return v;
}

int altoLineas(Superficie& s, const std::vector<LineaTarjeta>& lineas) {
    int alto = 0;
    for (const auto& l : lineas) {
        s.fuente(l.puntos, l.estilo);
        alto += s.altoTexto(l.texto);
    }
    return alto;
}

void dibujarQR(Superficie& s, const ModulosQR& qr, int x0, int y0, int modulo) {
    for (int y = 0; y < qr.lado; ++y)
        for (int x = 0; x < qr.lado;) {
            if (!qr.oscuroEn(x, y)) {
                ++x;
                continue;
            }
            // One rectangle per run of dark modules: fewer calls, no seams.
            int fin = x;
            while (fin < qr.lado && qr.oscuroEn(fin, y)) ++fin;
            s.rellenar(x0 + x * modulo, y0 + y * modulo, x0 + fin * modulo, y0 + (y + 1) * modulo,
                       kNegro);
            x = fin;
        }
}

}  // namespace

std::vector<std::string> TextoTarjetas(const std::string& empresa, const std::string& url,
                                       const std::vector<std::string>& codigos) {
    std::vector<std::string> l;
    l.push_back("Cuestionario en red: " + empresa);
    l.push_back("Abra en el navegador del teléfono "_cp + url +
                " y escriba su código individual. Cada código vale para una sola respuesta."_cp);
    l.emplace_back();
    std::string corte;
    for (int i = 0; i < 100; ++i) corte += "- ";
    l.push_back(corte);
    const std::string papeleta = "Dirección: "_cp + url + "          Código individual: "_cp;
    for (const auto& c : codigos) {
        l.emplace_back();
        l.push_back(papeleta + c);
        l.emplace_back();
        l.push_back(corte);
    }
    return l;
}

void DibujarTarjetas(const std::string& empresa, const std::string& url, const ModulosQR& qr,
                     const std::vector<std::string>& codigos, Superficie& s,
                     TImpresora& impresora) {
    const bool apaisada = s.ancho() > s.alto();
    const int columnas = apaisada ? 3 : 2;
    const int filas = apaisada ? 3 : 5;
    const int ancho = s.ancho() / columnas;
    const int alto = s.alto() / filas;
    const int margen = alto / 12;
    // The QR code at most two fifths of the card: the rest is for the texts.
    const int lado = std::min(alto - 2 * margen, ancho * 2 / 5);
    const int modulo = qr.lado > 0 ? lado / (qr.lado + 2 * kZonaQR) : 0;
    const int xTexto = 2 * margen + lado;
    const int anchoTexto = ancho - xTexto - margen;

    // Every card measured before the first page: one that does not fit is
    // refused, never printed cut.
    if (modulo < 1 || anchoTexto <= 0 ||
        qr.oscuro.size() != static_cast<std::size_t>(qr.lado) * qr.lado)
        throw ErrorImpresion(mensajePaginaPequena());
    for (const auto& c : codigos) {
        const auto lineas = lineasTarjeta(s, empresa, url, c, anchoTexto);
        if (lineas.empty() || altoLineas(s, lineas) > alto - 2 * margen)
            throw ErrorImpresion(mensajePaginaPequena());
    }

    impresora.tituloTrabajo = "Imp. Tarjetas";
    impresora.tituloDocumento = tituloConEmpresa("TARJETAS DE CÓDIGOS"_cp, empresa);
    impresora.EmpezarDocumento(s);
    const int porPagina = columnas * filas;
    const int ladoQR = modulo * (qr.lado + 2 * kZonaQR);
    for (std::size_t i = 0; i < codigos.size(); ++i) {
        const int enPagina = static_cast<int>(i % static_cast<std::size_t>(porPagina));
        if (i > 0 && enPagina == 0) s.nuevaPagina();
        const int x = (enPagina % columnas) * ancho;
        const int y = (enPagina / columnas) * alto;
        s.pluma(kGrisCorte, 1);
        s.rectangulo(x, y, x + ancho, y + alto);
        dibujarQR(s, qr, x + margen + modulo * kZonaQR, y + (alto - ladoQR) / 2 + modulo * kZonaQR,
                  modulo);
        // The lines spread over the card's height.
        const auto lineas = lineasTarjeta(s, empresa, url, codigos[i], anchoTexto);
        const int hueco =
            (alto - 2 * margen - altoLineas(s, lineas)) / static_cast<int>(lineas.size() + 1);
        int yLinea = y + margen + hueco;
        for (const auto& l : lineas) {
            s.fuente(l.puntos, l.estilo);
            s.texto(x + xTexto, yLinea, l.texto);
            yLinea += s.altoTexto(l.texto) + hueco;
        }
    }
    EstiloNormal(s);
    s.terminarDocumento();
}

}  // namespace koral
