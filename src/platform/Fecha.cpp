#include "platform/Fecha.h"

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

}  // namespace koral
