#include "platform/qt/TextoQt.h"

#include "platform/Texto.h"

namespace koral {

QString aQString(std::string_view cp1252) {
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
