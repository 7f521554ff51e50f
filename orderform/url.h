// URL handling of the order form's HTTP client: splitting a URL into its
// parts, the connection target (direct or through a proxy) with the request
// path, the name of the requested document, and redirection targets.
#pragma once

#include <string>

namespace tendra {

struct UrlParts {
    std::string scheme, user, password, host, port, path;
};

// Splits a URL. An empty URL gives empty parts; text before "://" is the
// scheme; "/..." and "http:..." without "//" are paths of an "http" URL;
// "mailto:" has the scheme "mailto". The authority runs to the next "/" (or
// "?"); its last "@" separates user:password (first ":") from host:port (last
// ":").
UrlParts ParseURL(const std::string& url);

struct HttpTarget {
    std::string connectHost, connectPort; // where the socket connects to
    std::string requestPath;              // path for the request line
    std::string host;                     // target host, for the "Host" header
    std::string user, password;           // from the URL, for Basic authorisation
    bool viaProxy = false;
};

// The connection target of a request for url: the URL's host and port ("80"
// when none) and its path ("/" when empty), or, when proxy is not empty, the
// proxy's host and port (its own, else proxyPort) with the absolute URL
// (scheme, "://", target host, path; no port) as the request path.
HttpTarget MakeHttpTarget(const std::string& url, const std::string& proxy, const std::string& proxyPort);

// The last segment of path, without a trailing "/" and anything from "?" on;
// "document.htm" when nothing is left.
std::string DocumentName(const std::string& path);

// The URL that a "Location" value leads to from currentUrl: an absolute URL
// replaces it; "/..." replaces the path; any other value is taken relative to
// the current path's folder.
std::string ResolveLocation(const std::string& currentUrl, const std::string& location);

// A port number in 1..65535 from decimal text, else 0.
unsigned PortNumber(const std::string& text);

} // namespace tendra
