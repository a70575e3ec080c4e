// Dates are whole days since 30 December 1899 (day 0).
#pragma once

#include <optional>

namespace koral {

// Today's date in the user's time zone.
double fechaHoy();

// Tests fix "today"; nullopt returns to the clock.
void fijarFechaHoy(std::optional<double> dia);

}  // namespace koral
