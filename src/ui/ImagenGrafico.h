// "Guardar imagen ..." for a chart on screen: the picture as drawn (PNG) or
// the same drawing calls again on a surface that writes SVG.
#pragma once

#include <QImage>
#include <functional>
#include <string>
#include <vector>

#include "platform/Superficie.h"

namespace koral {

// Asks for the file and writes it; a failure is told in the plain message
// box. `dibujar` draws the chart on a surface of the picture's size.
// `leidos`: files being read (company files), which the picture may not
// replace.
void guardarImagenGrafico(const QImage& imagen, const std::function<void(Superficie&)>& dibujar,
                          const std::vector<std::string>& leidos);

}  // namespace koral
