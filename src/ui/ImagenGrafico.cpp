#include "ui/ImagenGrafico.h"

#include <QApplication>
#include <QFileInfo>

#include "document/Acompanante.h"
#include "platform/Archivos.h"
#include "platform/SuperficieSvg.h"
#include "platform/Texto.h"
#include "platform/qt/DialogosArchivo.h"
#include "platform/qt/DispositivoSalida.h"
#include "platform/qt/Escritorio.h"
#include "ui/UMain.h"

namespace koral {

void guardarImagenGrafico(const QImage& imagen, const std::function<void(Superficie&)>& dibujar,
                          const std::vector<std::string>& leidos) {
    TDialogoArchivo dlg;
    dlg.titulo = "Guardar imagen";
    dlg.filtro = "Imagen PNG|*.png|Imagen SVG|*.svg";
    dlg.extensionDefecto = "png";
    dlg.preguntarReemplazo = true;
    if (!ejecutorDialogos().guardar(dlg)) return;
    // A name's own extension says the format; a bare name takes the chosen type's.
    std::string ruta = dlg.nombreArchivo;
    const QString nombre = QString::fromUtf8(ruta.c_str());
    const bool png = nombre.endsWith(".png", Qt::CaseInsensitive);
    const bool svg =
        nombre.endsWith(".svg", Qt::CaseInsensitive) || (!png && dlg.indiceFiltro == 2);
    if (!png && !QFileInfo(nombre).fileName().contains('.')) ruta += svg ? ".svg" : ".png";
    try {
        for (const std::string& leido : leidos)
            if (!leido.empty()) comprobarFueraDeEmpresa(ruta, leido);
        Reemplazo archivo(ruta);
        if (svg) {
            SuperficieSvg superficie(imagen.width(), imagen.height(),
                                     QApplication::font().family().toStdString());
            dibujar(superficie);
            const std::string texto = superficie.svg();
            archivo.salida().escribir(texto.data(), texto.size());
        } else {
            escribirPng(imagen, archivo.salida());
        }
        archivo.confirmar();
    } catch (const ErrorArchivo& e) {
        CajaMensaje(kTituloPrograma,
                    "No se pudo guardar la imagen en " + textoMostrable(ruta) + ".\n" + e.what());
    }
}

}  // namespace koral
