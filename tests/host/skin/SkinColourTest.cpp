#include "SkinColour.h"

#include <gtest/gtest.h>

namespace {

TEST(SkinColour, ThreeNumbersWithAnythingBetween) {
    EXPECT_EQ(ParseColour("210 232 249", 7), 0xF9E8D2);
    EXPECT_EQ(ParseColour("  210,232;249  ", 7), 0xF9E8D2);
    EXPECT_EQ(ParseColour("0 0 0", 7), 0);
    EXPECT_EQ(ParseColour("r=1 g=2 b=3", 7), 0x030201);
    EXPECT_EQ(ParseColour("1 2 3 4 5", 7), 0x030201);
    EXPECT_EQ(ParseColour("1 2 3 ", 7), 0x030201);
}

TEST(SkinColour, OddTexts) {
    EXPECT_EQ(ParseColour("no digits", 7), 0);
    EXPECT_EQ(ParseColour("", 7), 7);
    EXPECT_EQ(ParseColour(" \t ", 7), 7);
    // Signs are not read; components are taken modulo 256.
    EXPECT_EQ(ParseColour("-5 -6 -7", 1), 0x070605);
    EXPECT_EQ(ParseColour("256 257 511", 1), 0xFF0100);
    // A number that ends the text counts only as the third component; blanks after it are
    // trimmed away first.
    EXPECT_EQ(ParseColour("5 6", 1), 0x05);
    EXPECT_EQ(ParseColour("5", 1), 0);
    EXPECT_EQ(ParseColour("5 ", 1), 0);
    EXPECT_EQ(ParseColour("00000000000000000012 1 2", 1), 0x02010C);
}

TEST(SkinColour, NumberPast32BitsStopsTheRest) {
    EXPECT_EQ(ParseColour("1 99999999999 3 4", 0), 0x01);
    EXPECT_EQ(ParseColour("1 2 99999999999", 0), 0x0201);
    EXPECT_EQ(ParseColour("2147483647 0 0", 0), 0xFF);
    EXPECT_EQ(ParseColour("2147483648 1 1", 0), 0);
}

} // namespace
