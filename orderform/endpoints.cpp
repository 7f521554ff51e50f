#include "orderform/endpoints.h"

namespace tendra {
namespace {

const char kOrderHost[] = "zamowienia.kestrin.pl";
const char kWebHost[] = "www.kestrin.pl";

}  // namespace

Endpoints MakeEndpoints(const std::string& server) {
    std::string order = std::string("http://") + kOrderHost;
    std::string web = std::string("http://") + kWebHost;
    if (!server.empty()) {
        std::string base = server;
        if (base.find("://") == std::string::npos) base = "http://" + base;
        while (!base.empty() && base.back() == '/') base.pop_back();
        order = web = base;
    }
    Endpoints e;
    e.order1 = order + "/cgi-bin/cgiwrap/~kestrin/tendra.pl";
    e.order2 = web + "/cgi-local/tendra.pl";
    e.programs = web + "/cennik/produkty.txt";
    e.prices = web + "/cennik/cennik.txt";
    e.shop = web + "/sklep";
    e.orderHost1 = kOrderHost;
    e.orderHost2 = kWebHost;
    return e;
}

}  // namespace tendra
