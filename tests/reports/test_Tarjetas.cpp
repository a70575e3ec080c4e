// The code cards on the recording surface (a character as wide as its size
// in points, one more in bold; twice the size high).
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Texto.h"
#include "reports/ComprobarPaginas.h"
#include "reports/Tarjetas.h"

namespace koral {
namespace {

using prueba::SuperficieGrabadora;

TEST(Tarjetas, OneWholeCardACodeTenToAPortraitPage) {
    ModulosQR qr;
    qr.lado = 21;
    for (int i = 0; i < 21 * 21; ++i) qr.oscuro.push_back((i / 21 + i % 21) % 3 != 0);
    const int oscuros = static_cast<int>(std::count(qr.oscuro.begin(), qr.oscuro.end(), 1));
    const std::string url = "http://192.168.10.20:8080/";
    std::vector<std::string> codigos;
    for (int i = 0; i < 11; ++i) codigos.push_back(std::to_string(40000000 + 1234567 * i));

    SuperficieGrabadora s(2000, 2800);
    TImpresora imp;
    DibujarTarjetas("Talleres <Norte>", url, qr, codigos, s, imp);
    EXPECT_EQ(s.llamadas.front(), "documento \"Imp. Tarjetas\"");
    EXPECT_EQ(s.llamadas.back(), "fin");
    prueba::dentro(s.llamadas, 0, 0, 2000, 2800, "cards");
    const auto paginas = prueba::paginas(s.llamadas);
    ASSERT_EQ(paginas.size(), 2u);
    // Per card: its cutting outline holds its code, the address and a QR
    // code whose dark area is every dark module's.
    std::size_t tarjeta = 0;
    for (const auto& p : paginas) {
        std::vector<int> caja;
        int area = 0, modulo = 0;
        const auto cerrar = [&] {
            EXPECT_TRUE(caja.empty() || (modulo > 0 && area == oscuros * modulo * modulo));
        };
        for (const auto& l : p) {
            const auto v = prueba::numeros(l);
            if (l.rfind("rectangulo", 0) == 0) {
                cerrar();
                caja = v;
                area = modulo = 0;
                ++tarjeta;
            } else if (l.rfind("rellenar", 0) == 0) {
                EXPECT_TRUE(v[0] >= caja[0] && v[2] <= caja[2] && v[1] >= caja[1] &&
                            v[3] <= caja[3])
                    << l;
                // Square modules: a run's height is a module's side.
                if (modulo == 0) modulo = v[3] - v[1];
                area += (v[2] - v[0]) * (v[3] - v[1]);
            } else if (const auto t = prueba::leerTexto(l)) {
                ASSERT_FALSE(caja.empty()) << l;
                EXPECT_TRUE(t->x > caja[0] && t->x < caja[2] && t->y > caja[1] && t->y < caja[3])
                    << l;
                if (t->puntos == 18) {
                    EXPECT_EQ(t->texto, codigos[tarjeta - 1]);
                } else if (t->puntos == 9) {
                    EXPECT_EQ(t->texto, url);
                }
            }
        }
        cerrar();
    }
    EXPECT_EQ(tarjeta, codigos.size());

    // Each code once in the print file too, with the address.
    const auto texto = TextoTarjetas("Talleres <Norte>", url, codigos);
    for (const auto& c : codigos)
        EXPECT_EQ(std::count_if(texto.begin(), texto.end(),
                                [&](const std::string& l) {
                                    return l.find(c) != std::string::npos &&
                                           l.find(url) != std::string::npos;
                                }),
                  1);

    // A card too narrow for the address is refused before anything is drawn.
    SuperficieGrabadora estrecha(1200, 2800);
    EXPECT_THROW(DibujarTarjetas("T", url, qr, codigos, estrecha, imp), ErrorImpresion);
    EXPECT_TRUE(estrecha.llamadas.empty());
}

}  // namespace
}  // namespace koral
