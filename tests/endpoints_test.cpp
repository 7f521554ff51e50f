// The five addresses of the order form and the server override.
#include "orderform/endpoints.h"

#include <gtest/gtest.h>

namespace tendra {
namespace {

TEST(Endpoints, DefaultAddresses) {
    Endpoints e = MakeEndpoints();
    EXPECT_EQ(e.order1, "http://zamowienia.kestrin.pl/cgi-bin/cgiwrap/~kestrin/tendra.pl");
    EXPECT_EQ(e.order2, "http://www.kestrin.pl/cgi-local/tendra.pl");
    EXPECT_EQ(e.programs, "http://www.kestrin.pl/cennik/produkty.txt");
    EXPECT_EQ(e.prices, "http://www.kestrin.pl/cennik/cennik.txt");
    EXPECT_EQ(e.shop, "http://www.kestrin.pl/sklep");
    EXPECT_EQ(e.orderHost1, "zamowienia.kestrin.pl");
    EXPECT_EQ(e.orderHost2, "www.kestrin.pl");
}

TEST(Endpoints, OverrideReplacesSchemeHostAndPortOfAll) {
    Endpoints e = MakeEndpoints("http://127.0.0.1:8080/");
    EXPECT_EQ(e.order1, "http://127.0.0.1:8080/cgi-bin/cgiwrap/~kestrin/tendra.pl");
    EXPECT_EQ(e.order2, "http://127.0.0.1:8080/cgi-local/tendra.pl");
    EXPECT_EQ(e.programs, "http://127.0.0.1:8080/cennik/produkty.txt");
    EXPECT_EQ(e.prices, "http://127.0.0.1:8080/cennik/cennik.txt");
    EXPECT_EQ(e.shop, "http://127.0.0.1:8080/sklep");
    // The signatures keep naming the real servers.
    EXPECT_EQ(e.orderHost1, "zamowienia.kestrin.pl");
    EXPECT_EQ(MakeEndpoints("127.0.0.1:9").prices, "http://127.0.0.1:9/cennik/cennik.txt");
}

}  // namespace
}  // namespace tendra
