// The addresses the order form talks to. The environment variable
// TENDRA_SERVER ("http://host:port") sends every request to another server
// instead (a test server, a staging host); the paths stay the same.
#pragma once
#include <string>

namespace tendra {

struct Endpoints {
    std::string order1;    // first order server
    std::string order2;    // second order server (the web server)
    std::string programs;  // current program list
    std::string prices;    // current price list
    std::string shop;      // the web shop
    // Host names used in the servers' signatures of the order text.
    std::string orderHost1, orderHost2;
};

// The endpoints, with scheme, host and port replaced by `server` when it is
// not empty (a missing scheme means "http://"; a trailing "/" is dropped).
Endpoints MakeEndpoints(const std::string& server = std::string());

}  // namespace tendra
