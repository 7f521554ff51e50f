// The reply reader of the order form's HTTP client: status line, header
// fields, the end of the header, header-less HTML replies, the line buffer's
// limit and the document blocks.
#include "orderform/httpreply.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tendra {
namespace {

struct Log : HttpReplyListener {
    std::vector<std::string> events;
    std::string body;
    size_t maxBlock = 0;
    bool terminated = true;
    HttpReplyReader* stopAt = nullptr; // Stop() at the first header line
    void HeaderLine(const std::string& line) override {
        events.push_back("H:" + line);
        if (stopAt)
            stopAt->Stop();
    }
    void HeaderEnd() override { events.push_back("END"); }
    void DocBegin() override { events.push_back("DOC"); }
    void DocData(const char* data, size_t len) override {
        body.append(data, len);
        maxBlock = std::max(maxBlock, len);
        terminated = terminated && data[len] == 0;
    }
};

HttpReadResult FeedAll(HttpReplyReader& r, const std::string& bytes) { return r.Feed(bytes.data(), bytes.size()); }

TEST(HttpReply, StatusLineAndFields) {
    Log log;
    HttpReplyReader r(&log);
    EXPECT_EQ(FeedAll(r, "HTTP/1.0 200 OK\r\nContent-Type: Text/HTML; Charset=ISO-8859-2\r\nCONTENT-LENGTH: 5\r\n"
                         "WWW-Authenticate: Basic realm=\"x\"\r\nX-Odd:no-space\r\nNoColonLine\r\n\r\nhello"),
              HttpReadResult::More);
    EXPECT_EQ(r.StatusCode(), 200);
    EXPECT_EQ(r.ReasonPhrase(), "OK");
    EXPECT_EQ(r.ContentType(), "text/html; charset=iso-8859-2");
    EXPECT_EQ(r.ContentLength(), 5);
    ASSERT_EQ(r.AuthRequests().size(), 1u);
    EXPECT_EQ(r.AuthRequests()[0], "Basic realm=\"x\"");
    EXPECT_EQ(r.HeaderLines().size(), 6u);
    EXPECT_EQ(r.HeaderLines()[5], "NoColonLine");
    EXPECT_TRUE(r.InBody());
    EXPECT_FALSE(r.BodyTruncated());
    EXPECT_EQ(log.body, "hello");
    std::vector<std::string> expected = {"H:HTTP/1.0 200 OK", "H:Content-Type: Text/HTML; Charset=ISO-8859-2",
                                         "H:CONTENT-LENGTH: 5", "H:WWW-Authenticate: Basic realm=\"x\"",
                                         "H:X-Odd:no-space", "H:NoColonLine", "END", "DOC"};
    EXPECT_EQ(log.events, expected);
}

TEST(HttpReply, Http11StatusAndShortStatusLines) {
    HttpReplyReader r;
    FeedAll(r, "HTTP/1.1 302 Moved Temporarily\n");
    EXPECT_EQ(r.StatusCode(), 302);
    EXPECT_EQ(r.ReasonPhrase(), "Moved Temporarily");

    struct Case {
        const char* line;
        int status;
        const char* reason;
    } cases[] = {
        {"HTTP/1.0 204\n", 204, ""},     // no reason
        {"HTTP/1.0 204 \n", 204, ""},    // reason empty after the space
        {"HTTP/1.0 2\n", 2, ""},         // code cut short
        {"HTTP/1.0\n", 0, ""},           // nothing after the version
        {"HTTP/1.0 abc xyz\n", 0, "xyz"},
        {"HTTP/1.2 200 OK\n", 0, ""},    // not a status line
        {"http/1.0 200 OK\n", 0, ""},
    };
    for (const Case& c : cases) {
        HttpReplyReader s;
        EXPECT_EQ(FeedAll(s, c.line), HttpReadResult::More) << c.line;
        EXPECT_EQ(s.StatusCode(), c.status) << c.line;
        EXPECT_EQ(s.ReasonPhrase(), c.reason) << c.line;
    }
    // Three-character header lines are just lines.
    HttpReplyReader t;
    FeedAll(t, "abc\nHTTP\n\n");
    EXPECT_EQ(t.HeaderLines().size(), 2u);
    EXPECT_EQ(t.StatusCode(), 0);
}

TEST(HttpReply, ErrorStatusStopsAtOnce) {
    Log log;
    HttpReplyReader r(&log);
    EXPECT_EQ(FeedAll(r, "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\n<html>gone</html>"),
              HttpReadResult::ErrorStatus);
    EXPECT_EQ(r.StatusCode(), 404);
    EXPECT_EQ(r.ReasonPhrase(), "Not Found");
    EXPECT_EQ(log.events, std::vector<std::string>{"H:HTTP/1.1 404 Not Found"});
    EXPECT_TRUE(log.body.empty());
    // Sticky: later bytes are not taken.
    EXPECT_EQ(FeedAll(r, "more\n"), HttpReadResult::ErrorStatus);
    EXPECT_EQ(r.HeaderLines().size(), 1u);
}

TEST(HttpReply, RedirectionEndsTheHeaderWithoutDocument) {
    Log log;
    HttpReplyReader r(&log);
    EXPECT_EQ(FeedAll(r, "HTTP/1.0 302 Found\r\nLocation: http://other/x\r\n\r\nbody"), HttpReadResult::Redirect);
    EXPECT_EQ(r.Location(), "http://other/x");
    EXPECT_FALSE(r.InBody());
    EXPECT_TRUE(log.body.empty());
    EXPECT_EQ(log.events.back(), "H:Location: http://other/x");
    // An empty Location value is no redirection.
    HttpReplyReader s;
    EXPECT_EQ(FeedAll(s, "HTTP/1.0 200 OK\r\nLocation:\r\n\r\nx"), HttpReadResult::More);
    EXPECT_TRUE(s.InBody());
}

TEST(HttpReply, HeaderlessHtmlInAnyCase) {
    for (const char* first : {"<html>", "<HTML>", "<HtMl><head>"}) {
        Log log;
        HttpReplyReader r(&log);
        std::string reply = std::string(first) + "\r\n<body>x</body>\n</html>";
        EXPECT_EQ(FeedAll(r, reply), HttpReadResult::More);
        EXPECT_TRUE(r.InBody());
        EXPECT_EQ(r.ContentType(), "text/html");
        EXPECT_EQ(r.StatusCode(), 0);
        EXPECT_TRUE(r.HeaderLines().empty());
        // The document is the reply byte for byte, its first line included.
        EXPECT_EQ(log.body, reply);
        EXPECT_EQ(log.events, std::vector<std::string>{"DOC"});
    }
    // After a status line, a known content type stays.
    Log log;
    HttpReplyReader r(&log);
    FeedAll(r, "HTTP/1.0 200 OK\nContent-Type: text/plain\n<HTML>\nx");
    EXPECT_EQ(r.ContentType(), "text/plain");
    EXPECT_EQ(log.body, "<HTML>\nx");
    // "<htm" is too short to count.
    HttpReplyReader s;
    FeedAll(s, "<htm\n");
    EXPECT_FALSE(s.InBody());
}

TEST(HttpReply, LineEndsCrLfAndBareLf) {
    HttpReplyReader r;
    FeedAll(r, "HTTP/1.0 200 OK\nA: 1\r\nB: 2\r\r\nC: x\ry\n\r\n");
    std::vector<std::string> expected = {"HTTP/1.0 200 OK", "A: 1", "B: 2\r", "C: x\ry"};
    EXPECT_EQ(r.HeaderLines(), expected);
    EXPECT_TRUE(r.InBody());
}

TEST(HttpReply, LineBufferLimit) {
    // 8191 bytes and its LF fill the buffer exactly: still a line.
    {
        HttpReplyReader r;
        std::string line = "X-Long: " + std::string(8191 - 8, 'a');
        EXPECT_EQ(FeedAll(r, line + "\n"), HttpReadResult::More);
        ASSERT_EQ(r.HeaderLines().size(), 1u);
        EXPECT_EQ(r.HeaderLines()[0], line);
        EXPECT_EQ(FeedAll(r, "\nbody"), HttpReadResult::More);
        EXPECT_TRUE(r.InBody());
    }
    // 8192 bytes without a line end: too long, however they arrive.
    for (size_t piece : {size_t(8192), size_t(1000), size_t(1)}) {
        HttpReplyReader r;
        std::string line(8192, 'b');
        HttpReadResult result = HttpReadResult::More;
        for (size_t i = 0; i < line.size() && result == HttpReadResult::More; i += piece)
            result = r.Feed(line.data() + i, std::min(piece, line.size() - i));
        EXPECT_EQ(result, HttpReadResult::LineTooLong) << piece;
        EXPECT_EQ(FeedAll(r, "\n"), HttpReadResult::LineTooLong);
    }
    // Short lines before a long one do not count against it.
    {
        HttpReplyReader r;
        std::string head = "HTTP/1.0 200 OK\r\nA: b\r\n";
        EXPECT_EQ(FeedAll(r, head + std::string(8191, 'c') + "\n\n"), HttpReadResult::More);
        EXPECT_TRUE(r.InBody());
    }
    // The body has no line limit.
    {
        Log log;
        HttpReplyReader r(&log);
        std::string body(100000, 'd');
        EXPECT_EQ(FeedAll(r, "HTTP/1.0 200 OK\n\n" + body), HttpReadResult::More);
        EXPECT_EQ(log.body, body);
        EXPECT_LE(log.maxBlock, HttpReplyReader::kBufferSize);
        EXPECT_TRUE(log.terminated);
    }
}

TEST(HttpReply, BinaryBodyWithZeros) {
    Log log;
    HttpReplyReader r(&log);
    std::string body("\0a\0\0b\xff\0", 7);
    FeedAll(r, "HTTP/1.0 200 OK\r\nContent-Length: 7\r\n\r\n" + body.substr(0, 3));
    FeedAll(r, body.substr(3));
    EXPECT_EQ(log.body, body);
    EXPECT_TRUE(log.terminated);
    EXPECT_EQ(r.BodyBlocks(), 2);
    EXPECT_FALSE(r.BodyTruncated());
}

TEST(HttpReply, SplitAtEveryByteGivesTheSameResult) {
    const std::string reply = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 11\r\n"
                              "Set-Cookie: a=b\n\r\nhello\r\nworld";
    Log whole;
    HttpReplyReader w(&whole);
    FeedAll(w, reply);
    for (size_t cut = 0; cut <= reply.size(); ++cut) {
        for (size_t cut2 = cut; cut2 <= reply.size(); cut2 += 7) {
            Log log;
            HttpReplyReader r(&log);
            r.Feed(reply.data(), cut);
            r.Feed(reply.data() + cut, cut2 - cut);
            r.Feed(reply.data() + cut2, reply.size() - cut2);
            ASSERT_EQ(log.events, whole.events) << cut << " " << cut2;
            ASSERT_EQ(log.body, "hello\r\nworld") << cut << " " << cut2;
            ASSERT_EQ(r.HeaderLines(), w.HeaderLines());
            ASSERT_EQ(r.ContentLength(), 11);
            ASSERT_TRUE(log.terminated);
        }
    }
    // One byte at a time.
    Log log;
    HttpReplyReader r(&log);
    for (char c : reply)
        r.Feed(&c, 1);
    EXPECT_EQ(log.events, whole.events);
    EXPECT_EQ(log.body, "hello\r\nworld");
}

TEST(HttpReply, EndOfConnection) {
    // A last line without its line end still counts.
    {
        Log log;
        HttpReplyReader r(&log);
        FeedAll(r, "<html>no newline</html>");
        EXPECT_FALSE(r.InBody());
        EXPECT_EQ(r.Finish(), HttpReadResult::More);
        EXPECT_TRUE(r.InBody());
        EXPECT_EQ(log.body, "<html>no newline</html>");
    }
    {
        HttpReplyReader r;
        FeedAll(r, "HTTP/1.0 500 Oops");
        EXPECT_EQ(r.Finish(), HttpReadResult::ErrorStatus);
        EXPECT_EQ(r.StatusCode(), 500);
    }
    // A header cut short: no document, nothing complete.
    {
        HttpReplyReader r;
        FeedAll(r, "HTTP/1.0 200 OK\r\nContent-Le");
        EXPECT_EQ(r.Finish(), HttpReadResult::More);
        EXPECT_FALSE(r.InBody());
        EXPECT_EQ(r.HeaderLines().size(), 2u);
    }
    // A document shorter than its Content-Length.
    {
        HttpReplyReader r;
        FeedAll(r, "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n12345");
        EXPECT_EQ(r.Finish(), HttpReadResult::More);
        EXPECT_TRUE(r.BodyTruncated());
    }
    // An empty document fires no document events.
    {
        Log log;
        HttpReplyReader r(&log);
        FeedAll(r, "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
        r.Finish();
        EXPECT_EQ(log.events.back(), "END");
        EXPECT_EQ(r.BodyBlocks(), 0);
        EXPECT_FALSE(r.BodyTruncated());
    }
}

TEST(HttpReply, StopFromTheListenerAndReset) {
    Log log;
    HttpReplyReader r(&log);
    log.stopAt = &r;
    EXPECT_EQ(FeedAll(r, "HTTP/1.0 200 OK\r\nA: b\r\n\r\nbody"), HttpReadResult::Stopped);
    EXPECT_EQ(log.events.size(), 1u);
    r.Reset();
    log.stopAt = nullptr;
    log.events.clear();
    EXPECT_EQ(FeedAll(r, "HTTP/1.0 201 Created\r\n\r\nx"), HttpReadResult::More);
    EXPECT_EQ(r.StatusCode(), 201);
    EXPECT_EQ(r.HeaderLines().size(), 1u);
    EXPECT_EQ(log.body, "x"); // nothing of the stopped reply
}

} // namespace
} // namespace tendra
