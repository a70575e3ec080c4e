// koral20-cli profile --chart, run as the built program.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cstdlib>
#include <filesystem>

TEST(CliGrafico, WritesTheChartAsAPicture) {
    const auto salida = std::filesystem::temp_directory_path() / "koral_grafico.png";
    std::filesystem::remove(salida);
    const std::string orden = std::string("'") + KORAL_CLI + "' profile '" + KORAL_MUESTRA +
                              "' 'Producción' --chart '" + salida.string() + "' > /dev/null";
    ASSERT_EQ(std::system(orden.c_str()), 0);
    QImage imagen(QString::fromStdString(salida.string()));
    ASSERT_FALSE(imagen.isNull());
    EXPECT_EQ(imagen.size(), QSize(337, 245));
    // Above the profile line, which starts on the second grid line.
    EXPECT_EQ(imagen.pixelColor(35, 30), QColor(0x00, 0x80, 0x00));
    EXPECT_EQ(imagen.pixelColor(135, 30), QColor(0xFF, 0xFF, 0x00));
    EXPECT_EQ(imagen.pixelColor(210, 30), QColor(0xFF, 0x00, 0x00));
    EXPECT_EQ(imagen.pixelColor(300, 5), QColor(Qt::white));
    EXPECT_EQ(imagen.pixelColor(30, 100), QColor(Qt::black));
    // The bottom and right lines stop short of their shared corner.
    EXPECT_EQ(imagen.pixelColor(279, 216), QColor(Qt::black));
    EXPECT_EQ(imagen.pixelColor(280, 215), QColor(Qt::black));
    EXPECT_EQ(imagen.pixelColor(280, 216), QColor(Qt::white));
    std::filesystem::remove(salida);
}
