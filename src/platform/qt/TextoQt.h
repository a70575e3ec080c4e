// The one crossing between the program's Windows-1252 text and Qt's strings.
#pragma once

#include <QObject>
#include <QString>
#include <QValidator>
#include <string>
#include <string_view>

namespace koral {

QString aQString(std::string_view cp1252);
// False when `texto` holds a character with no Windows-1252 form.
bool deQString(const QString& texto, std::string& cp1252);
bool esCp1252(const QString& texto);

// These two are built with the windows (CampoCp1252.cpp): they report
// through the message box.

// For one-line fields: refuses a change that brings in a character the
// program could not store, which leaves the field as it was, and reports it
// as rechazarNoCp1252 does for the field that is the validator's parent.
class ValidadorCp1252 : public QValidator {
public:
    // `campo` is the field it serves, as the validator's parent; a drop of
    // such text on it is refused before the field takes it.
    explicit ValidadorCp1252(QObject* campo = nullptr);
    State validate(QString& texto, int& pos) const override;

protected:
    bool eventFilter(QObject* objeto, QEvent* e) override;
};

// False when `texto` can be stored. Otherwise true, and the field `campo`
// (if any) shows a message naming the first character that cannot, after
// the current event; a field asking again before then gets no second one.
bool rechazarNoCp1252(QObject* campo, const QString& texto);

}  // namespace koral
