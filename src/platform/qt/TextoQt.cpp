#include "platform/qt/TextoQt.h"

#include <algorithm>

#include "platform/Texto.h"

namespace koral {

QString aQString(std::string_view cp1252) {
    // Outside 0x80-0x9F Windows-1252 is Latin-1, which Qt converts directly:
    // a million list entries are made without a detour through UTF-8.
    if (std::none_of(cp1252.begin(), cp1252.end(), [](char c) {
            const auto u = static_cast<unsigned char>(c);
            return u >= 0x80 && u < 0xA0;
        }))
        return QString::fromLatin1(cp1252.data(), static_cast<qsizetype>(cp1252.size()));
    const std::string utf8 = cp1252AUtf8(cp1252);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

bool deQString(const QString& texto, std::string& cp1252) {
    const QByteArray utf8 = texto.toUtf8();
    return utf8ACp1252(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())),
                       cp1252);
}

bool esCp1252(const QString& texto) {
    std::string descartado;
    return deQString(texto, descartado);
}

}  // namespace koral
