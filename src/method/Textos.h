// The wording of the questionnaire: the item catalogue (a title line and its
// option lines per item, then one empty line) and the full questionnaire for
// printing, with its "<C>", "<N>" and "<n>" markup. Windows-1252 lines, read
// by a running index.
#pragma once

#include <string>
#include <vector>

namespace koral {

const std::vector<std::string>& lineasCatalogo();      // 365 lines
const std::vector<std::string>& lineasCuestionario();  // 457 lines

}  // namespace koral
