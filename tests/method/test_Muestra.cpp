#include <gtest/gtest.h>

#include <fstream>

#include "document/ArchivoEmpresa.h"
#include "method/Puntuacion.h"
#include "resources/Muestra.h"
#include "support/AvisosRecogidos.h"

using namespace koral;

namespace {
class Salida : public SalidaArchivo {
public:
    void escribir(const char* d, std::size_t n) override { texto.append(d, n); }
    void terminar() override {}
    std::string texto;
};
}  // namespace

TEST(Muestra, ShippedFileIsWhatTheGeneratorWritesAndReadsCleanly) {
    prueba::AvisosRecogidos avisos;
    TKoral generada(avisos.sumidero());
    generarMuestra(generada);
    Salida s;
    escribirEmpresa(generada, s);
    std::ifstream f(KORAL_MUESTRA, std::ios::binary);
    const std::string enDisco{std::istreambuf_iterator<char>(f), {}};
    EXPECT_EQ(enDisco, s.texto) << "run generar_muestra to refresh src/resources/muestra.kr2";

    TKoral leida(avisos.sumidero());
    leida.leerArchivo(KORAL_MUESTRA);
    EXPECT_TRUE(avisos.mensajes.empty());
    EXPECT_FALSE(leida.modificado);
    EXPECT_EQ(leida.grupos.size(), 8u);
    EXPECT_EQ(leida.cuestionarios.size(), 48u);
    EXPECT_EQ(leida.perfiles.size(), 5u);
    // Stored scores are this scoring's, to the 15 digits the file keeps.
    for (const auto& q : leida.cuestionarios) {
        EXPECT_EQ(q->grupos.size(), 2u);
        Puntuaciones p{};
        const int sin = puntuarRespuestas(q->respuestas.data(), p);
        EXPECT_EQ(sin, q->sinRespuesta);
        for (int k = 0; k < kNumFactores; ++k) EXPECT_NEAR(q->puntuaciones[k], p[k], 1e-13);
    }
}
