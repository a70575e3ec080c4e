// The single-use code cards of a campaign: one card a code, to cut out and
// hand to each worker, with the address to open, its QR code and the code.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Superficie.h"
#include "reports/Impresion.h"

namespace koral {

// A QR code's modules, row by row, `lado` by `lado`; non-zero is dark. Made
// by whoever has the encoder (the windows), so reports need none.
struct ModulosQR {
    int lado = 0;
    std::vector<std::uint8_t> oscuro;

    bool oscuroEn(int x, int y) const {
        return oscuro[static_cast<std::size_t>(y) * static_cast<std::size_t>(lado) +
                      static_cast<std::size_t>(x)] != 0;
    }
};

// Text form (a print file): a heading, then one slip a code between cutting
// lines, each with the address and the code.
std::vector<std::string> TextoTarjetas(const std::string& empresa, const std::string& url,
                                       const std::vector<std::string>& codigos);

// Cards in a grid (two across on a portrait page, three on a landscape one),
// outlined in grey to cut along: the company, the address and its QR code,
// the code in large figures, and that it serves for one answer only. Throws
// ErrorImpresion (before drawing) when a card's texts cannot fit the page.
void DibujarTarjetas(const std::string& empresa, const std::string& url, const ModulosQR& qr,
                     const std::vector<std::string>& codigos, Superficie& s, TImpresora& impresora);

}  // namespace koral
