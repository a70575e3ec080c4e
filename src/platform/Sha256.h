// SHA-256 (FIPS 180-4), for the page's script hash in its security policy
// and the salted hashes that stand for single-use codes. Small inputs only:
// the message is copied once to be padded.
#pragma once

#include <array>
#include <string_view>

namespace koral {

std::array<unsigned char, 32> sha256(std::string_view datos);

}  // namespace koral
