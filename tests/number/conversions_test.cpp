// The two text-to-number conversions.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <utility>

#include "number/to_floating.hpp"
#include "number/to_integer.hpp"

TEST(ToInteger, ReadsSignWhiteSpaceAndStopsAtTheFirstNonDigit) {
    EXPECT_EQ(to_integer("  -12x"), -12);
    EXPECT_EQ(to_integer("\t\n\v\f\r+7"), 7);
    EXPECT_EQ(to_integer("007"), 7);
    EXPECT_EQ(to_integer("7 8"), 7);
    EXPECT_EQ(to_integer(""), 0);
    EXPECT_EQ(to_integer("abc"), 0);
    EXPECT_EQ(to_integer("- 5"), 0);
    EXPECT_EQ(to_integer("１２"), 0);
}

TEST(ToInteger, WrapsModulo2To32InsteadOfSaturating) {
    EXPECT_EQ(to_integer("4294967297"), 1);
    EXPECT_EQ(to_integer("4294967295"), -1);
    EXPECT_EQ(to_integer("2147483648"), -2147483647 - 1);
    EXPECT_EQ(to_integer("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(static_cast<unsigned>(to_integer("-5")), 4294967291u);
    EXPECT_EQ(to_integer("99999999999999999999"), static_cast<int>(1661992959u));
}

// What to_floating reads from each text.
void expect_read(std::initializer_list<std::pair<const char*, double>> cases) {
    for (const auto& [text, value] : cases) EXPECT_EQ(to_floating(text), value) << text;
}

TEST(ToFloating, ReadsDecimalFormsWithEOrDExponent) {
    expect_read({
        {"1e3", 1000.0},
        {"1d3", 1000.0},
        {"1D+3", 1000.0},
        {"2.5d-1", 0.25},
        {" -2.5", -2.5},
        {".5", 0.5},
        {"+.5", 0.5},
        {"5.", 5.0},
        {"0.1", 0.1},
        {"1.7976931348623157d308", 1.7976931348623157e308},
    });
}

TEST(ToFloating, StopsWhereTheNumberEnds) {
    expect_read({
        {"1e", 1.0},
        {"1e+", 1.0},
        {"1d-x", 1.0},
        {"1+5", 1.0},
        {"7abc", 7.0},
        {".", 0.0},
        {"", 0.0},
        {"-", 0.0},
    });
}

TEST(ToFloating, RefusesWordsAndHexadecimal) {
    expect_read({
        {"inf", 0.0},
        {"-infinity", 0.0},
        {"nan", 0.0},
        {"0x10", 0.0},
        {"0X1p4", 0.0},
        {"１２", 0.0},
    });
}

TEST(ToFloating, OverflowsToInfinityAndUnderflowsToZero) {
    EXPECT_TRUE(std::isinf(to_floating("1e999")));
    EXPECT_TRUE(std::isinf(to_floating("1d999")));
    EXPECT_EQ(to_floating("1e-400"), 0.0);
    EXPECT_GT(to_floating("1e-310"), 0.0);
}

TEST(ToFloating, HandlesAMantissaLongerThanItsWorkBuffer) {
    const std::string ones(1000, '1');
    EXPECT_EQ(to_floating((ones + "d-999").c_str()), to_floating((ones + "e-999").c_str()));
}
