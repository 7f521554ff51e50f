#include "orderform/httpreply.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tendra {

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// Leading decimal digits as a number; -1 when there are none or too many.
long long Decimal(const std::string& text) {
    long long value = 0;
    size_t i = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (i >= 18)
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return i == 0 ? -1 : value;
}

} // namespace

HttpReplyReader::HttpReplyReader(HttpReplyListener* listener) : m_listener(listener) { Reset(); }

void HttpReplyReader::Reset() {
    m_used = 0;
    m_buffer[0] = 0;
    m_inBody = m_stopped = false;
    m_final = HttpReadResult::More;
    m_status = 0;
    m_reason.clear();
    m_contentLength = -1;
    m_contentType.clear();
    m_location.clear();
    m_headerLines.clear();
    m_authRequests.clear();
    m_bodyBytes = m_bodyBlocks = 0;
}

HttpReadResult HttpReplyReader::Result() {
    if (m_final == HttpReadResult::More && m_stopped)
        m_final = HttpReadResult::Stopped;
    return m_final;
}

HttpReadResult HttpReplyReader::Feed(const char* data, size_t len) {
    size_t pos = 0;
    while (pos < len && Result() == HttpReadResult::More) {
        if (m_inBody) {
            size_t take = std::min(len - pos, kBufferSize);
            Deliver(data + pos, take);
            pos += take;
            continue;
        }
        size_t take = std::min(len - pos, kBufferSize - m_used);
        std::memcpy(m_buffer + m_used, data + pos, take);
        m_used += take;
        pos += take;
        if (ProcessLines() != HttpReadResult::More)
            break;
        if (!m_inBody && m_used == kBufferSize)
            m_final = HttpReadResult::LineTooLong;
    }
    return Result();
}

HttpReadResult HttpReplyReader::ProcessLines() {
    size_t start = 0;
    while (!m_inBody && Result() == HttpReadResult::More) {
        const char* lf = static_cast<const char*>(std::memchr(m_buffer + start, '\n', m_used - start));
        if (!lf)
            break;
        size_t end = static_cast<size_t>(lf - m_buffer);
        size_t next = end + 1;
        if (end > start && m_buffer[end - 1] == '\r')
            --end;
        std::string line(m_buffer + start, end - start);
        HeaderLine(line, start, next);
        if (m_inBody)
            return Result(); // the buffer now belongs to the document
        start = next;
    }
    if (start > 0 && !m_inBody) {
        std::memmove(m_buffer, m_buffer + start, m_used - start);
        m_used -= start;
    }
    return Result();
}

// line: without its line end; the raw line runs from rawStart to rawNext in
// the buffer, line end included.
HttpReadResult HttpReplyReader::HeaderLine(const std::string& line, size_t rawStart, size_t rawNext) {
    if (line.size() >= 6) {
        std::string head = line.substr(0, 6);
        for (char& c : head)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (head == "<HTML>") {
            // No header at all: this line is the start of the document.
            if (m_contentType.empty())
                m_contentType = "text/html";
            EndOfHeader(rawStart);
            return Result();
        }
    }
    if (line.empty()) {
        if (!m_location.empty()) { // a redirection
            m_final = HttpReadResult::Redirect;
            return m_final;
        }
        if (m_listener)
            m_listener->HeaderEnd();
        if (Result() != HttpReadResult::More)
            return Result();
        EndOfHeader(rawNext);
        return Result();
    }
    m_headerLines.push_back(line);
    if (StartsWith(line, "HTTP/1.0") || StartsWith(line, "HTTP/1.1")) {
        long long code = line.size() > 9 ? Decimal(line.substr(9, 3)) : -1;
        m_status = code < 0 ? 0 : static_cast<int>(code);
        m_reason = line.size() > 13 ? line.substr(13) : std::string();
    } else {
        size_t colon = line.find(':');
        if (colon != std::string::npos) {
            std::string name = Lower(line.substr(0, colon));
            size_t v = colon + 1;
            while (v < line.size() && (line[v] == ' ' || line[v] == '\t'))
                ++v;
            std::string value = line.substr(v);
            if (name == "location") {
                m_location = value;
            } else if (name == "content-length") {
                m_contentLength = Decimal(value);
            } else if (name == "content-type") {
                m_contentType = Lower(value);
            } else if (name == "www-authenticate") {
                m_authRequests.push_back(value);
            }
        }
    }
    if (m_listener)
        m_listener->HeaderLine(line);
    if (m_status >= 400 && m_final == HttpReadResult::More)
        m_final = HttpReadResult::ErrorStatus;
    return Result();
}

// The header is over; the buffered bytes from restStart on are the first
// document block.
void HttpReplyReader::EndOfHeader(size_t restStart) {
    m_inBody = true;
    // Deliver copies its block into the buffer: take the rest out first.
    std::string first(m_buffer + restStart, m_used - restStart);
    m_used = 0;
    if (!first.empty())
        Deliver(first.data(), first.size());
}

void HttpReplyReader::Deliver(const char* data, size_t len) {
    if (len == 0 || Result() != HttpReadResult::More)
        return;
    if (m_bodyBlocks == 0 && m_listener) {
        m_listener->DocBegin();
        if (Result() != HttpReadResult::More)
            return;
    }
    ++m_bodyBlocks;
    m_bodyBytes += static_cast<long long>(len);
    std::memmove(m_buffer, data, len);
    m_buffer[len] = 0;
    if (m_listener)
        m_listener->DocData(m_buffer, len);
}

HttpReadResult HttpReplyReader::Finish() {
    if (Result() != HttpReadResult::More || m_inBody || m_used == 0)
        return Result();
    // A last header line without its line end.
    size_t end = m_used;
    if (m_buffer[end - 1] == '\r')
        --end;
    std::string line(m_buffer, end);
    HeaderLine(line, 0, m_used);
    if (!m_inBody)
        m_used = 0;
    return Result();
}

} // namespace tendra
