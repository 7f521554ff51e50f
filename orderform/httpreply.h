// The reply reader of the order form's HTTP client, fed with the bytes as
// they arrive from the socket. Header lines collect in a line buffer of 8192
// bytes and end at LF (a CR before the LF is dropped); the empty line ends the
// header, and everything after it is the document, handed on in blocks. A
// line starting with "<HTML>" (any case) means a reply without a header: that
// line starts the document.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace tendra {

class HttpReplyListener {
public:
    virtual ~HttpReplyListener() = default;
    virtual void HeaderLine(const std::string& /*line*/) {} // each non-empty header line
    virtual void HeaderEnd() {}                             // the header ended and a document follows
    virtual void DocBegin() {}                              // before the first document block
    virtual void DocData(const char* /*data*/, size_t /*len*/) {} // data[len] is a zero byte
};

enum class HttpReadResult {
    More,        // go on feeding
    ErrorStatus, // a status of 400 or more: stop reading, close the connection
    Redirect,    // the header ended with a "Location": close and go there
    LineTooLong, // a header line filled the whole buffer
    Stopped,     // Stop() was called from a listener call
};

class HttpReplyReader {
public:
    static constexpr size_t kBufferSize = 8192;

    explicit HttpReplyReader(HttpReplyListener* listener = nullptr);
    void Reset();

    // Takes the next received bytes. Once something other than More has been
    // returned, the reader takes no more bytes and keeps returning that.
    HttpReadResult Feed(const char* data, size_t len);
    // The connection closed: a pending header line without its line end is
    // taken as the last line.
    HttpReadResult Finish();
    // Called from a listener call: Feed returns Stopped as soon as it returns.
    void Stop() { m_stopped = true; }

    bool InBody() const { return m_inBody; } // the header is over and a document follows
    int StatusCode() const { return m_status; }
    const std::string& ReasonPhrase() const { return m_reason; }
    long long ContentLength() const { return m_contentLength; } // -1: not given
    const std::string& ContentType() const { return m_contentType; }
    const std::string& Location() const { return m_location; } // value of the last "Location" field
    const std::vector<std::string>& HeaderLines() const { return m_headerLines; }
    const std::vector<std::string>& AuthRequests() const { return m_authRequests; }
    long long BodyBlocks() const { return m_bodyBlocks; }
    // The document is shorter than its "Content-Length" said.
    bool BodyTruncated() const { return m_contentLength >= 0 && m_bodyBytes < m_contentLength; }

private:
    HttpReadResult ProcessLines();
    HttpReadResult HeaderLine(const std::string& line, size_t rawStart, size_t rawNext);
    void EndOfHeader(size_t restStart);
    void Deliver(const char* data, size_t len);
    HttpReadResult Result();

    HttpReplyListener* m_listener;
    char m_buffer[kBufferSize + 1];
    size_t m_used = 0;
    bool m_inBody = false;
    bool m_stopped = false;
    HttpReadResult m_final = HttpReadResult::More;
    int m_status = 0;
    std::string m_reason;
    long long m_contentLength = -1;
    std::string m_contentType;
    std::string m_location;
    std::vector<std::string> m_headerLines;
    std::vector<std::string> m_authRequests;
    long long m_bodyBytes = 0;
    long long m_bodyBlocks = 0;
};

} // namespace tendra
