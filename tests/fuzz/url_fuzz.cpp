// libFuzzer target for the URL functions of the order form's HTTP client.
// The input is split at its first zero byte into a URL and a second text
// (a proxy, a redirection target). Checked: the parts of a URL with a scheme
// put together again give the same parts; hosts, ports and user parts hold
// no separator that ends them; request paths and document names are never
// empty.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "orderform/url.h"

using namespace tendra;

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "url_fuzz: %s\n", what);
        std::abort();
    }
}

bool SameParts(const UrlParts& a, const UrlParts& b) {
    return a.scheme == b.scheme && a.user == b.user && a.password == b.password && a.host == b.host &&
           a.port == b.port && a.path == b.path;
}

// The URL of the parts: scheme "://" [user [":" password] "@"] host
// [":" port] path. The colon before the port is kept when the host holds
// one, so that the last colon still ends the host.
std::string Compose(const UrlParts& p) {
    std::string url = p.scheme + "://";
    if (!p.user.empty() || !p.password.empty()) url += p.user + (p.password.empty() ? "" : ":" + p.password) + "@";
    url += p.host;
    if (!p.port.empty() || p.host.find(':') != std::string::npos) url += ":" + p.port;
    return url + p.path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t zero = input.find('\0');
    const std::string url = input.substr(0, zero);
    const std::string other = zero == std::string::npos ? std::string() : input.substr(zero + 1);

    const UrlParts parts = ParseURL(url);
    Check(parts.host.find_first_of("/?@") == std::string::npos, "separator in the host");
    Check(parts.port.find_first_of("/?@:") == std::string::npos, "separator in the port");
    Check(parts.user.find_first_of("/?:") == std::string::npos, "separator in the user");
    Check(parts.password.find_first_of("/?") == std::string::npos, "separator in the password");
    if (!parts.scheme.empty() && url.compare(0, parts.scheme.size() + 3, parts.scheme + "://") == 0) {
        Check(parts.path.empty() || parts.path[0] == '/', "path after an authority without its slash");
        Check(SameParts(ParseURL(Compose(parts)), parts), "parts put together read differently");
    }

    for (const std::string& proxy : {std::string(), other}) {
        const HttpTarget target = MakeHttpTarget(url, proxy, "8080");
        Check(!target.requestPath.empty() && !target.connectPort.empty(), "empty request path or port");
        Check(target.viaProxy == !proxy.empty(), "proxy use");
    }
    const std::string name = DocumentName(parts.path);
    Check(!name.empty() && name.find('/') == std::string::npos, "document name");
    const std::string resolved = ResolveLocation(url, other);
    Check(!resolved.empty() || (url.empty() && other.empty()), "redirection to nothing");
    const unsigned port = PortNumber(parts.port);
    Check(port <= 65535 && (port == 0 || parts.port.find_first_not_of("0123456789") == std::string::npos), "port");
    return 0;
}
