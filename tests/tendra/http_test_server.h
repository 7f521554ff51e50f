// A small HTTP server inside the test process, for the order form's HTTP
// client and for end-to-end tests of tendra.exe: a thread with a blocking
// Windows Sockets listener on 127.0.0.1 (port chosen by the system). Each
// connection is read to the end of its request (header and Content-Length
// body), handed to the handler, answered with the handler's bytes and closed
// (or treated as the reply options say). Every wait has a time limit, and the
// destructor closes everything.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace tendra::test {

class TestHttpServer {
public:
    // Gets the complete request bytes of one connection; returns the raw
    // reply bytes (empty: close without a reply).
    using Handler = std::function<std::string(const std::string& request)>;

    // How replies go out (for the connections accepted after the change).
    struct ReplyOptions {
        size_t chunkSize = 0;   // >0: send in pieces of this size...
        int chunkDelayMs = 0;   // ...with this pause between them
        bool holdOpen = false;  // keep the connection open after the reply until the server ends
        bool reset = false;     // end the connection with a reset instead of a normal close
        int delayMs = 0;        // pause before the reply
    };

    explicit TestHttpServer(Handler handler);
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    int Port() const { return m_port; }
    std::string BaseUrl() const; // "http://127.0.0.1:PORT"
    std::vector<std::string> Requests() const; // every request received, byte for byte, in order
    size_t RequestCount() const;
    // Waits until at least count requests have arrived, at most timeoutMs.
    bool WaitForRequests(size_t count, int timeoutMs) const;
    void SetReplyOptions(const ReplyOptions& options);

    // Time limit for reading one request.
    static constexpr int kRequestTimeoutMs = 5000;

private:
    void Run();
    void Serve(SOCKET client);
    bool ReadRequest(SOCKET client, std::string& request);
    void SendAll(SOCKET client, const std::string& bytes, const ReplyOptions& options);

    Handler m_handler;
    SOCKET m_listener = INVALID_SOCKET;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::vector<SOCKET> m_held;
    ReplyOptions m_options;
    std::thread m_thread;
    bool m_started = false;
};

// "HTTP/1.0 STATUS REASON", a Content-Length header, the extra header lines
// (each ending with CR LF), the empty line and the body.
std::string Reply(int status, const std::string& reason, const std::string& body,
                  const std::string& extraHeaders = "");

// The body of a request (what follows the empty line), or "".
std::string RequestBody(const std::string& request);
// The first line of a request, without its line end.
std::string RequestLine(const std::string& request);

} // namespace tendra::test
