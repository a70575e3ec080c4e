// Checks of laid-out pages on the recording surface: every call inside a
// rectangle, and the calls split into pages.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/SuperficieGrabadora.h"

namespace koral::prueba {

// A recorded call's numbers: "linea 1,2 3,4 #000000/1" gives 1 2 3 4.
inline std::vector<int> numeros(const std::string& l) {
    std::vector<int> v;
    std::size_t i = l.find(' ');
    while (i < l.size() && l[i] != '#') {
        const std::size_t fin = l.find_first_of(" ,", i + 1);
        const std::string n = l.substr(i + 1, fin - i - 1);
        if (sonDigitos(n) || (n.size() > 1 && n[0] == '-' && sonDigitos(n.substr(1))))
            v.push_back(std::stoi(n));
        i = fin;
    }
    return v;
}

// Every call inside (x1, y1)-(x2, y2); a text with its extent in the
// recording surface's metrics.
inline void dentro(const std::vector<std::string>& llamadas, int x1, int y1, int x2, int y2,
                   const std::string& donde) {
    for (const auto& l : llamadas) {
        if (const auto t = leerTexto(l)) {
            std::string cp;
            utf8ACp1252(t->texto, cp);
            const int ancho = static_cast<int>(cp.size()) * (t->puntos + (t->estilo == "N"));
            EXPECT_TRUE(t->x >= x1 && t->y >= y1 && t->x + ancho <= x2 &&
                        t->y + 2 * t->puntos <= y2)
                << donde << ": " << l;
        } else if (l.rfind("documento", 0) != 0 && l != "fin") {
            const auto v = numeros(l);
            for (std::size_t k = 0; k + 1 < v.size(); k += 2)
                EXPECT_TRUE(v[k] >= x1 && v[k] <= x2 && v[k + 1] >= y1 && v[k + 1] <= y2)
                    << donde << ": " << l;
        }
    }
}

// The calls of each page, split at "pagina".
inline std::vector<std::vector<std::string>> paginas(const std::vector<std::string>& llamadas) {
    std::vector<std::vector<std::string>> v(1);
    for (const auto& l : llamadas)
        if (l == "pagina")
            v.emplace_back();
        else
            v.back().push_back(l);
    return v;
}

}  // namespace koral::prueba
