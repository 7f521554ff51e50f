// Reading the stored customer numbers back.
#include "orderform/customer.h"

#include <gtest/gtest.h>

namespace tendra {
namespace {

TEST(StoredNumber, ReadsDecimalAndHexadecimal) {
    EXPECT_EQ(ParseStoredNumber(L"2", 9), 2);
    EXPECT_EQ(ParseStoredNumber(L"-15", 9), -15);
    EXPECT_EQ(ParseStoredNumber(L"0x1F", 9), 31);
    EXPECT_EQ(ParseStoredNumber(L"0X0a", 9), 10);
    EXPECT_EQ(ParseStoredNumber(L"0xFFFFFFFF", 9), -1);
    EXPECT_EQ(ParseStoredNumber(L"2147483647", 9), 2147483647);
    EXPECT_EQ(ParseStoredNumber(L"-2147483648", 9), -2147483647 - 1);
}

TEST(StoredNumber, UnreadableGivesTheDefault) {
    for (const wchar_t* bad : {L"", L"abc", L"1 ", L" 1", L"0x", L"0xG", L"12a", L"-", L"2147483648",
                               L"0x100000000", L"99999999999999999999"})
        EXPECT_EQ(ParseStoredNumber(bad, 7), 7) << bad;
}

TEST(StoredNumber, IndexesAndFlags) {
    EXPECT_EQ(ParseStoredIndex(L"1", kDefaultDelivery, 4), 1);
    EXPECT_EQ(ParseStoredIndex(L"0x2", kDefaultDelivery, 4), 2);
    EXPECT_EQ(ParseStoredIndex(L"4", kDefaultDelivery, 4), kDefaultDelivery);
    EXPECT_EQ(ParseStoredIndex(L"-1", kDefaultInvoice, 2), kDefaultInvoice);
    EXPECT_EQ(ParseStoredIndex(L"junk", kDefaultInvoice, 2), kDefaultInvoice);
    EXPECT_TRUE(ParseStoredFlag(L"1", false));
    EXPECT_FALSE(ParseStoredFlag(L"0", true));
    EXPECT_TRUE(ParseStoredFlag(L"?", true));
    EXPECT_FALSE(ParseStoredFlag(L"", false));
}

}  // namespace
}  // namespace tendra
