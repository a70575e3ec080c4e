#include "method/Formato.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace koral {

std::string formatoReal(double valor, int ancho, int decimales, char separador) {
    if (!std::isfinite(valor)) valor = 0;
    const bool negativo = valor < 0;
    // 15 significant digits: d.dddddddddddddde±XX, with '.' whatever the
    // locale (printf would write a locale's mark, of two bytes in some).
    char tmp[40];
    char* fin = std::to_chars(tmp, tmp + sizeof tmp - 1, std::fabs(valor),
                              std::chars_format::scientific, 14)
                    .ptr;
    *fin = '\0';
    std::string digitos;
    digitos += tmp[0];
    digitos.append(tmp + 2, 14);
    const int exponente = std::atoi(tmp + 17);

    // Digits of the integer part and of the wanted decimals, with the value
    // as the integer digits[0..enteros) . digits[enteros..).
    int enteros = exponente + 1;
    if (enteros < 1) {  // 0.000ddd...: put the zeros in front
        digitos.insert(0, static_cast<std::size_t>(1 - enteros), '0');
        enteros = 1;
    }
    const std::size_t corte =
        static_cast<std::size_t>(enteros) + static_cast<std::size_t>(decimales);
    if (digitos.size() < corte + 1) digitos.append(corte + 1 - digitos.size(), '0');
    const bool subir = digitos[corte] >= '5';
    digitos.resize(corte);
    if (subir) {
        int i = static_cast<int>(corte) - 1;
        while (i >= 0 && digitos[static_cast<std::size_t>(i)] == '9')
            digitos[static_cast<std::size_t>(i--)] = '0';
        if (i >= 0)
            ++digitos[static_cast<std::size_t>(i)];
        else {
            digitos.insert(0, 1, '1');
            ++enteros;
        }
    }
    // Leading zeros of the integer part go, but one digit stays.
    std::size_t inicio = 0;
    while (static_cast<int>(inicio) < enteros - 1 && digitos[inicio] == '0') ++inicio;
    std::string s = digitos.substr(inicio, static_cast<std::size_t>(enteros) - inicio);
    if (decimales > 0) {
        s += separador;
        s.append(digitos, static_cast<std::size_t>(enteros), static_cast<std::size_t>(decimales));
    }
    const bool cero = digitos.find_first_not_of('0') == std::string::npos;
    if (negativo && !cero) s.insert(0, 1, '-');
    if (static_cast<int>(s.size()) < ancho)
        s.insert(0, static_cast<std::size_t>(ancho) - s.size(), ' ');
    return s;
}

std::string formatoEntero(long long valor, int ancho) {
    std::string s = std::to_string(valor);
    if (static_cast<int>(s.size()) < ancho)
        s.insert(0, static_cast<std::size_t>(ancho) - s.size(), ' ');
    return s;
}

}  // namespace koral
