#include <gtest/gtest.h>

#include "method/Perfil.h"
#include "platform/SuperficieSvg.h"

using namespace koral;

namespace {
int contar(const std::string& t, const std::string& x) {
    int n = 0;
    for (auto p = t.find(x); p != std::string::npos; p = t.find(x, p + 1)) ++n;
    return n;
}
}  // namespace

TEST(SuperficieSvg, TheChartBecomesOneElementPerDrawingCall) {
    TPerfil p;
    p.nSujetos = 1;
    p.sumaPuntuaciones = {5, 5, 5, 5, 5, 5, 5};
    SuperficieSvg s(337, 245, "Sans & <Serif>");
    dibujarValorativo(p, s, ',');
    const std::string svg = s.svg();
    EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
    EXPECT_NE(svg.find("viewBox=\"0 0 337 245\""), std::string::npos);
    EXPECT_EQ(contar(svg, "<line "), 4 + 8);
    EXPECT_EQ(contar(svg, "<text "), 11 + 7 * 5);
    EXPECT_EQ(contar(svg, "<polyline "), 1);
    EXPECT_NE(svg.find("fill=\"#008000\""), std::string::npos);
    EXPECT_NE(svg.find(">CM</text>"), std::string::npos);
    EXPECT_NE(svg.find("> 5,00</text>"), std::string::npos);
    EXPECT_NE(svg.find("font-family=\"Sans &amp; &lt;Serif&gt;\""), std::string::npos);
    EXPECT_NE(svg.find("stroke=\"#0000FF\" stroke-width=\"2\""), std::string::npos);
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
}

TEST(SuperficieSvg, TextIsEscapedAndConverted) {
    SuperficieSvg s(10, 10, "Sans");
    s.texto(0, 0, "a<b & \"c\" \xF1\x01");
    EXPECT_NE(s.svg().find(">a&lt;b &amp; &quot;c&quot; ñ</text>"), std::string::npos);
}
