#include <gtest/gtest.h>

#include "method/Formato.h"

using koral::formatoEntero;
using koral::formatoReal;

TEST(FormatoReal, PadsToTheWidthWithTheCallersSeparator) {
    EXPECT_EQ(formatoReal(5, 5, 2, '.'), " 5.00");
    EXPECT_EQ(formatoReal(100, 5, 2, '.'), "100.00");
    EXPECT_EQ(formatoReal(12.5, 6, 2, ','), " 12,50");
    EXPECT_EQ(formatoReal(0, 8, 2, '.'), "    0.00");
    EXPECT_EQ(formatoReal(4.042857142857143, 5, 2, ','), " 4,04");
    EXPECT_EQ(formatoReal(1234567.891, 8, 2, '.'), "1234567.89");
    EXPECT_EQ(formatoReal(0.5, 0, 0, '.'), "1");
}

TEST(FormatoReal, RoundsHalfAwayFromZero) {
    EXPECT_EQ(formatoReal(3.125, 5, 2, '.'), " 3.13");  // the C library gives 3.12
    EXPECT_EQ(formatoReal(-3.125, 5, 2, '.'), "-3.13");
    EXPECT_EQ(formatoReal(6.075, 5, 2, '.'), " 6.08");  // stored as 6.07499999...
    EXPECT_EQ(formatoReal(2.675, 5, 2, '.'), " 2.68");
    EXPECT_EQ(formatoReal(0.005, 5, 2, '.'), " 0.01");
    EXPECT_EQ(formatoReal(0.0049999, 5, 2, '.'), " 0.00");
    EXPECT_EQ(formatoReal(9.995, 5, 2, '.'), "10.00");
    EXPECT_EQ(formatoReal(99.999, 5, 2, '.'), "100.00");
    EXPECT_EQ(formatoReal(1.0 / 3 * 100, 6, 2, '.'), " 33.33");
}

TEST(FormatoReal, NeverPrintsNegativeZero) {
    EXPECT_EQ(formatoReal(-0.0, 5, 2, '.'), " 0.00");
    EXPECT_EQ(formatoReal(-0.004, 5, 2, '.'), " 0.00");
    EXPECT_EQ(formatoReal(-0.005, 5, 2, '.'), "-0.01");
    EXPECT_EQ(formatoReal(1e-300, 5, 2, '.'), " 0.00");
}

TEST(FormatoEntero, RightAlignsInTheWidth) {
    EXPECT_EQ(formatoEntero(1, 5), "    1");
    EXPECT_EQ(formatoEntero(123456, 5), "123456");
    EXPECT_EQ(formatoEntero(-7, 5), "   -7");
    EXPECT_EQ(formatoEntero(42), "42");
}
