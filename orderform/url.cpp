#include "orderform/url.h"

#include <cctype>

namespace tendra {

namespace {

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (i >= text.size() ||
            std::tolower(static_cast<unsigned char>(text[i])) != std::tolower(static_cast<unsigned char>(prefix[i])))
            return false;
    }
    return true;
}

// "://" separates a scheme only when everything before it looks like one
// (letters, digits, "+", "-", "."), so that "/go?to=http://x" stays a path.
bool IsSchemeText(const std::string& text) {
    if (text.empty())
        return false;
    for (char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

void SplitAuthority(const std::string& authority, UrlParts& parts) {
    std::string hostPart = authority;
    size_t at = authority.rfind('@');
    if (at != std::string::npos) {
        std::string userPart = authority.substr(0, at);
        hostPart = authority.substr(at + 1);
        size_t colon = userPart.find(':');
        if (colon == std::string::npos) {
            parts.user = userPart;
        } else {
            parts.user = userPart.substr(0, colon);
            parts.password = userPart.substr(colon + 1);
        }
    }
    size_t colon = hostPart.rfind(':');
    if (colon == std::string::npos) {
        parts.host = hostPart;
    } else {
        parts.host = hostPart.substr(0, colon);
        parts.port = hostPart.substr(colon + 1);
    }
}

} // namespace

UrlParts ParseURL(const std::string& url) {
    UrlParts parts;
    if (url.empty())
        return parts;
    std::string rest;
    size_t sep = url.find("://");
    if (sep != std::string::npos && IsSchemeText(url.substr(0, sep))) {
        parts.scheme = url.substr(0, sep);
        rest = url.substr(sep + 3);
    } else if (url[0] == '/') {
        parts.scheme = "http";
        parts.path = url;
        return parts;
    } else if (StartsWithNoCase(url, "http:")) {
        // "http:" without "//": the rest is the path.
        parts.scheme = "http";
        parts.path = url.substr(5);
        return parts;
    } else if (StartsWithNoCase(url, "mailto:")) {
        parts.scheme = "mailto";
        rest = url.substr(7);
    } else {
        rest = url;
    }
    size_t end = rest.find_first_of("/?");
    if (end == std::string::npos) {
        SplitAuthority(rest, parts);
    } else {
        SplitAuthority(rest.substr(0, end), parts);
        parts.path = rest.substr(end);
        if (parts.path[0] == '?')
            parts.path.insert(0, "/");
    }
    return parts;
}

HttpTarget MakeHttpTarget(const std::string& url, const std::string& proxy, const std::string& proxyPort) {
    UrlParts parts = ParseURL(url);
    HttpTarget target;
    target.host = parts.host;
    target.user = parts.user;
    target.password = parts.password;
    std::string path = parts.path.empty() ? std::string("/") : parts.path;
    if (proxy.empty()) {
        target.connectHost = parts.host;
        target.connectPort = parts.port.empty() ? std::string("80") : parts.port;
        target.requestPath = path;
    } else {
        UrlParts proxyParts = ParseURL(proxy);
        target.viaProxy = true;
        target.connectHost = proxyParts.host;
        target.connectPort = !proxyParts.port.empty() ? proxyParts.port
                             : !proxyPort.empty()     ? proxyPort
                                                      : std::string("80");
        target.requestPath = (parts.scheme.empty() ? std::string("http") : parts.scheme) + "://" + parts.host + path;
    }
    return target;
}

std::string DocumentName(const std::string& path) {
    std::string name = path.substr(0, path.find('?'));
    if (!name.empty() && name.back() == '/')
        name.pop_back();
    size_t slash = name.rfind('/');
    if (slash != std::string::npos)
        name = name.substr(slash + 1);
    return name.empty() ? std::string("document.htm") : name;
}

std::string ResolveLocation(const std::string& currentUrl, const std::string& location) {
    if (location.empty())
        return currentUrl;
    size_t sep = location.find("://");
    if (sep != std::string::npos && IsSchemeText(location.substr(0, sep)))
        return location;
    UrlParts cur = ParseURL(currentUrl);
    std::string base = (cur.scheme.empty() ? std::string("http") : cur.scheme) + "://";
    if (!cur.user.empty() || !cur.password.empty())
        base += cur.user + (cur.password.empty() ? "" : ":" + cur.password) + "@";
    base += cur.host;
    if (!cur.port.empty())
        base += ":" + cur.port;
    if (location[0] == '/')
        return base + location;
    std::string folder = cur.path.substr(0, cur.path.find('?'));
    size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? std::string("/") : folder.substr(0, slash + 1);
    return base + folder + location;
}

unsigned PortNumber(const std::string& text) {
    if (text.empty() || text.size() > 5)
        return 0;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return value <= 65535 ? value : 0;
}

} // namespace tendra
