#include "orderform/httprequest.h"

#include "orderform/base64.h"

namespace tendra {

namespace {

std::string OneLine(const std::string& value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value) {
        if (c != '\r' && c != '\n')
            out += c;
    }
    return out;
}

} // namespace

std::vector<std::string> HttpRequestLines(const HttpRequestFields& f) {
    std::vector<std::string> lines;
    const bool post = f.method == "POST";
    lines.push_back(OneLine(f.method) + " " + OneLine(f.path) + " HTTP/1.0");
    if (!f.sender.empty())
        lines.push_back("From: " + OneLine(f.sender));
    if (!f.reference.empty())
        lines.push_back("Referer: " + OneLine(f.reference));
    if (post && !f.contentTypePost.empty())
        lines.push_back("Content-Type: " + OneLine(f.contentTypePost));
    if (!f.agent.empty())
        lines.push_back("User-Agent: " + OneLine(f.agent));
    lines.push_back("Host: " + OneLine(f.host));
    if (f.noCache)
        lines.push_back("Pragma: no-cache");
    if (post)
        lines.push_back("Content-Length: " + std::to_string(f.contentLength));
    if (!f.modifiedSince.empty())
        lines.push_back("If-Modified-Since: " + OneLine(f.modifiedSince) + " GMT");
    if (!f.user.empty())
        lines.push_back("Authorization: Basic " + Base64Encode(f.user + ":" + f.password));
    if (f.viaProxy && !f.proxyUser.empty())
        lines.push_back("Proxy-Authorization: Basic " +
                        Base64Encode(f.proxyUser + ":" + f.proxyPassword));
    if (!f.cookie.empty())
        lines.push_back("Cookie: " + OneLine(f.cookie));
    lines.push_back("");
    return lines;
}

std::string HttpRequestText(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

} // namespace tendra
