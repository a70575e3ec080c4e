#include "platform/Fecha.h"

#include <cstdio>
#include <ctime>

namespace koral {
namespace {
std::optional<double> gFijada;

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
long diasDesdeCivil(long y, unsigned m, unsigned d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}
}  // namespace

double fechaHoy() {
    if (gFijada) return *gFijada;
    const std::time_t ahora = std::time(nullptr);
    std::tm local{};
    localtime_r(&ahora, &local);
    // 1 January 1970 is day 25569.
    return static_cast<double>(diasDesdeCivil(local.tm_year + 1900,
                                              static_cast<unsigned>(local.tm_mon + 1),
                                              static_cast<unsigned>(local.tm_mday)) +
                               25569);
}

void fijarFechaHoy(std::optional<double> dia) {
    gFijada = dia;
}

std::optional<FechaCivil> fechaCivil(double dias) {
    if (!(dias >= 1 && dias <= 2958465)) return std::nullopt;  // 31/12/9999
    // Days since 1 March of the year 0, then eras of 400 years.
    const long z = static_cast<long>(dias) - 25569 + 719468;
    const long era = z / 146097;
    const long doe = z - era * 146097;
    const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long mp = (5 * doy + 2) / 153;
    FechaCivil f;
    f.dia = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    f.mes = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    f.anio = static_cast<int>(yoe + era * 400 + (f.mes <= 2));
    return f;
}

double fechaDeCivil(int anio, int mes, int dia) {
    if (anio < 1900 || anio > 9999 || mes < 1 || mes > 12 || dia < 1) return 0;
    constexpr int kDias[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool bisiesto = anio % 4 == 0 && (anio % 100 != 0 || anio % 400 == 0);
    if (dia > kDias[mes - 1] || (mes == 2 && dia == 29 && !bisiesto)) return 0;
    return static_cast<double>(
        diasDesdeCivil(anio, static_cast<unsigned>(mes), static_cast<unsigned>(dia)) + 25569);
}

std::string fechaIso(double dias) {
    const auto f = fechaCivil(dias);
    if (!f) return {};
    char t[16];
    std::snprintf(t, sizeof t, "%04d-%02d-%02d", f->anio, f->mes, f->dia);
    return t;
}

double fechaDeIso(std::string_view texto) {
    const std::string t(texto);
    int a = 0, m = 0, d = 0;
    char resto = 0;
    if (t.size() != 10 || std::sscanf(t.c_str(), "%4d-%2d-%2d%c", &a, &m, &d, &resto) != 3)
        return 0;
    return fechaDeCivil(a, m, d);
}

}  // namespace koral
