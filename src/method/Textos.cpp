#include "method/Textos.h"

#include <stdexcept>
#include <string_view>

#include "platform/Texto.h"

namespace koral {

namespace recursos {
extern const unsigned char Strings[];
extern const std::size_t StringsTam;
extern const unsigned char Cuestion[];
extern const std::size_t CuestionTam;
}  // namespace recursos

namespace {

// The resource files are UTF-8 so that they stay easy to edit; every line
// ends with LF.
std::vector<std::string> lineas(const unsigned char* datos, std::size_t tam) {
    std::string texto;
    if (!utf8ACp1252(std::string_view(reinterpret_cast<const char*>(datos), tam), texto))
        throw std::logic_error("questionnaire text without a Windows-1252 form");
    std::vector<std::string> v;
    std::size_t inicio = 0;
    while (inicio < texto.size()) {
        const auto fin = texto.find('\n', inicio);
        if (fin == std::string::npos) {
            v.push_back(texto.substr(inicio));
            break;
        }
        v.push_back(texto.substr(inicio, fin - inicio));
        inicio = fin + 1;
    }
    return v;
}

}  // namespace

const std::vector<std::string>& lineasCatalogo() {
    static const std::vector<std::string> v = lineas(recursos::Strings, recursos::StringsTam);
    return v;
}

const std::vector<std::string>& lineasCuestionario() {
    static const std::vector<std::string> v = lineas(recursos::Cuestion, recursos::CuestionTam);
    return v;
}

}  // namespace koral
