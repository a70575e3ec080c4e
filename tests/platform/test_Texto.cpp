#include <gtest/gtest.h>

#include "platform/Texto.h"

using namespace koral;

TEST(Texto, EveryByteSurvivesTheRoundTrip) {
    std::string todos;
    for (int b = 0; b < 256; ++b) todos += static_cast<char>(b);
    std::string vuelta;
    ASSERT_TRUE(utf8ACp1252(cp1252AUtf8(todos), vuelta));
    EXPECT_EQ(vuelta, todos);
}

TEST(Texto, MapsTheWindowsCharactersBothWays) {
    EXPECT_EQ(cp1252AUtf8("\x80"), "€");
    EXPECT_EQ(cp1252AUtf8("\x9F"), "Ÿ");
    EXPECT_EQ(cp1252AUtf8("Ma\xF1"
                          "ana"),
              "Mañana");
    // Undefined bytes become the C1 code point of the same value.
    EXPECT_EQ(cp1252AUtf8("\x81"), "\xC2\x81");
    std::string s;
    ASSERT_TRUE(utf8ACp1252("Atención ¿€? “ñ”", s));
    EXPECT_EQ(s, "Atenci\xF3n \xBF\x80? \x93\xF1\x94");
    EXPECT_EQ("Línea"_cp, "L\xEDnea");
}

TEST(Texto, RefusesWhatHasNoWindowsForm) {
    std::string s;
    EXPECT_FALSE(utf8ACp1252("中", s));
    EXPECT_FALSE(utf8ACp1252("\xF0\x9F\x98\x80", s));  // emoji
    EXPECT_FALSE(utf8ACp1252("\xC2\x80", s));          // U+0080: 0x80 is the euro
    EXPECT_FALSE(utf8ACp1252("abc\xC3", s));           // truncated sequence
    EXPECT_FALSE(utf8ACp1252("\xE9t\xE9", s));         // Latin-1, not UTF-8
    EXPECT_FALSE(utf8ACp1252("\xC0\xA0", s));          // overlong blank
    EXPECT_FALSE(utf8ACp1252("\xFF", s));
    EXPECT_TRUE(utf8ACp1252("", s));
    EXPECT_EQ(s, "");
}

TEST(Texto, ShowableTextMarksWhatCannotBeShown) {
    EXPECT_EQ(textoMostrable("/home/ana/año.txt"), "/home/ana/a\xF1o.txt");
    EXPECT_EQ(textoMostrable("/datos/中/x"), "/datos/?/x");
    EXPECT_EQ(textoMostrable("ab\xFF"), "ab?");
}
