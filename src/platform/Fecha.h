// Dates are whole days since 30 December 1899 (day 0).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace koral {

// Today's date in the user's time zone.
double fechaHoy();

// Tests fix "today"; nullopt returns to the clock.
void fijarFechaHoy(std::optional<double> dia);

// A date (days since 30 December 1899) as the civil date; nullopt for none
// (0 or less) or one past the year 9999.
struct FechaCivil {
    int anio = 0, mes = 0, dia = 0;
};
std::optional<FechaCivil> fechaCivil(double dias);
// The inverse: 0 (no date) when the civil date does not exist or falls
// outside 1900-9999.
double fechaDeCivil(int anio, int mes, int dia);

// "aaaa-mm-dd", the form files and spreadsheets read in any locale; "" for
// no date. fechaDeIso reads it back: 0 for anything else.
std::string fechaIso(double dias);
double fechaDeIso(std::string_view texto);

}  // namespace koral
