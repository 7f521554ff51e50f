// The request header of the order form's HTTP client: one line per entry,
// in the order the client sends them.
#pragma once

#include <string>
#include <vector>

namespace tendra {

struct HttpRequestFields {
    std::string method = "GET"; // "GET", "POST" or "HEAD"
    std::string path = "/";     // request path (an absolute URL through a proxy)
    std::string host;           // target host
    std::string sender, reference, contentTypePost, agent, modifiedSince, cookie;
    std::string user, password;           // Basic authorisation when user is set
    std::string proxyUser, proxyPassword; // Proxy-Authorization when viaProxy and proxyUser are set
    bool viaProxy = false;
    bool noCache = true;
    unsigned long long contentLength = 0; // POST body size
};

// The header lines without their line ends; the last one is the empty line
// that ends the header. Carriage returns and line feeds inside values are
// dropped, so that no value can add lines of its own.
std::vector<std::string> HttpRequestLines(const HttpRequestFields& fields);

// The lines joined, each followed by CR LF.
std::string HttpRequestText(const std::vector<std::string>& lines);

} // namespace tendra
