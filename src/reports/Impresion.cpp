#include "reports/Impresion.h"

#include <stdexcept>

#include "platform/Archivos.h"
#include "platform/Texto.h"

namespace koral {

namespace {
constexpr int kPrimeraLinea = 100;
}

std::string mensajePaginaPequena() {
    return "La página es demasiado pequeña para este informe."_cp;
}

std::string tituloConEmpresa(const std::string& titulo, const std::string& empresa) {
    return empresa.empty() ? titulo : titulo + " - " + empresa;
}

void TImpresora::EmpezarDocumento(Superficie& s) {
    s.tituloDocumento(tituloDocumento.empty() ? tituloTrabajo : tituloDocumento);
    tituloDocumento.clear();
    empresa.clear();
    s.empezarDocumento(tituloTrabajo);
}

Superficie& TImpresora::superficie() {
    if (!superficie_) throw std::logic_error("listado sin empezar");
    return *superficie_;
}

void TImpresora::EmpezarListado(Superficie& s) {
    const int alto = s.altoTexto("W") + 4;
    const int limite = s.alto() - 20;
    // Otherwise every line would start a page of its own, below the page's end.
    if (limite < kPrimeraLinea) throw ErrorImpresion(mensajePaginaPequena());
    altoLinea = alto;
    limiteListado = limite;
    superficie_ = &s;
    EmpezarDocumento(s);
    yListado = kPrimeraLinea;
}

void TImpresora::ImprimirLinea(const std::string& texto, double nivel) {
    Superficie& s = superficie();
    // The page that the previous line filled is turned only now that
    // something goes on the next one: a listing never ends on an empty page.
    if (yListado > limiteListado) NuevaPagina();
    xListado = static_cast<int>(unidadSangria * nivel);
    s.texto(xListado, yListado, texto);
    AvanzarLinea();
}

void TImpresora::AvanzarLinea() {
    yListado += altoLinea;
}

void TImpresora::NuevaPagina() {
    superficie().nuevaPagina();
    yListado = kPrimeraLinea;
}

void TImpresora::TerminarListado() {
    superficie().terminarDocumento();
    superficie_ = nullptr;
}

void EscribirArchivoImpresion(const std::string& ruta, const std::vector<std::string>& lineas) {
    Reemplazo archivo(ruta);
    SalidaArchivo& salida = archivo.salida();
    // Written in large blocks: the file only counts once it is whole.
    constexpr std::size_t kBloque = 1 << 20;
    std::string buf;
    for (const auto& l : lineas) {
        buf += l;
        buf += "\r\n";
        if (buf.size() >= kBloque) {
            salida.escribir(buf.data(), buf.size());
            buf.clear();
        }
    }
    if (!buf.empty()) salida.escribir(buf.data(), buf.size());
    archivo.confirmar();
}

}  // namespace koral
