#include "klib/decimal.h"

#include <gtest/gtest.h>

namespace klib {
namespace {

TEST(Decimal, SignDigitsAndSaturation) {
    int v = 7;
    EXPECT_TRUE(ReadSignedDecimal("42abc", &v));
    EXPECT_EQ(v, 42);
    EXPECT_TRUE(ReadSignedDecimal("-17", &v));
    EXPECT_EQ(v, -17);
    EXPECT_TRUE(ReadSignedDecimal("99999999999999999999", &v));
    EXPECT_EQ(v, 2147483647);
    EXPECT_TRUE(ReadSignedDecimal("-99999999999999999999", &v));
    EXPECT_EQ(v, -2147483647 - 1);
    EXPECT_FALSE(ReadSignedDecimal("x1", &v));
    EXPECT_EQ(v, 0);
    EXPECT_FALSE(ReadSignedDecimal("-", &v));
}

TEST(Decimal, AtoiLikeReading) {
    EXPECT_EQ(DecimalOf(" \t 12"), 12);
    EXPECT_EQ(DecimalOf("abc"), 0);
    EXPECT_EQ(DecimalOf(nullptr), 0);
    EXPECT_EQ(DecimalOf("+5,3"), 5);
}

}  // namespace
}  // namespace klib
