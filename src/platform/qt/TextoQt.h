// The one crossing between the program's Windows-1252 text and Qt's strings.
#pragma once

#include <QString>
#include <QValidator>
#include <string>
#include <string_view>

namespace koral {

QString aQString(std::string_view cp1252);
// False when `texto` holds a character with no Windows-1252 form.
bool deQString(const QString& texto, std::string& cp1252);
bool esCp1252(const QString& texto);

// For input fields: refuses characters that the program could not store.
class ValidadorCp1252 : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& texto, int& pos) const override;
};

}  // namespace koral
