// Base64 (RFC 2045 alphabet, "=" padding) for Basic authorisation.
#include "orderform/base64.h"

#include <gtest/gtest.h>

namespace tendra {
namespace {

TEST(Base64, Rfc4648Vectors) {
    EXPECT_EQ(Base64Encode(""), "");
    EXPECT_EQ(Base64Encode("f"), "Zg==");
    EXPECT_EQ(Base64Encode("fo"), "Zm8=");
    EXPECT_EQ(Base64Encode("foo"), "Zm9v");
    EXPECT_EQ(Base64Encode("foob"), "Zm9vYg==");
    EXPECT_EQ(Base64Encode("fooba"), "Zm9vYmE=");
    EXPECT_EQ(Base64Encode("foobar"), "Zm9vYmFy");
}

TEST(Base64, CredentialsAndHighBytes) {
    EXPECT_EQ(Base64Encode("Aladdin:open sesame"), "QWxhZGRpbjpvcGVuIHNlc2FtZQ==");
    // The last two characters of the alphabet and bytes above 0x7F.
    EXPECT_EQ(Base64Encode(std::string("\xfb\xff\xbf", 3)), "+/+/");
    EXPECT_EQ(Base64Encode(std::string("\0\0\0", 3)), "AAAA");
    EXPECT_EQ(Base64Encode("\xb3\xf3" "d\x9f"), "s/Nknw==");
}

} // namespace
} // namespace tendra
