// Pictures of the company window's tool buttons, drawn by the program itself.
#pragma once

#include <QIcon>

namespace koral {

enum class Dibujo {
    Nuevo,
    Modificar,
    Estructura,
    Eliminar,
    Imprimir,
    Importar,
    Exportar,
    Comparar,
    Evaluacion
};

QIcon iconoHerramienta(Dibujo d);

}  // namespace koral
