#include "tests/tendra/http_test_server.h"

#include <algorithm>
#include <cctype>
#include <chrono>

namespace tendra::test {

namespace {

// Waits until the socket can be read (or written), in slices so that a
// stopping server does not wait long; false on time-out or stop.
bool WaitSocket(SOCKET s, bool forWrite, int timeoutMs, const std::atomic<bool>& stop) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!stop) {
        fd_set set;
        FD_ZERO(&set);
        FD_SET(s, &set);
        timeval tv = {0, 20 * 1000};
        int n = select(0, forWrite ? nullptr : &set, forWrite ? &set : nullptr, nullptr, &tv);
        if (n > 0)
            return true;
        if (n < 0 || std::chrono::steady_clock::now() > end)
            return false;
    }
    return false;
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Content-Length of a request header, 0 when none.
size_t ContentLengthOf(const std::string& header) {
    std::string lower = Lower(header);
    size_t p = lower.find("\r\ncontent-length:");
    if (p == std::string::npos)
        return 0;
    p += 17;
    while (p < lower.size() && lower[p] == ' ')
        ++p;
    size_t value = 0;
    while (p < lower.size() && std::isdigit(static_cast<unsigned char>(lower[p])))
        value = value * 10 + static_cast<size_t>(lower[p++] - '0');
    return value;
}

} // namespace

TestHttpServer::TestHttpServer(Handler handler) : m_handler(std::move(handler)) {
    WSADATA data;
    m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    m_listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in sin = {};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    sin.sin_port = 0;
    if (m_listener != INVALID_SOCKET && bind(m_listener, reinterpret_cast<sockaddr*>(&sin), sizeof(sin)) == 0 &&
        listen(m_listener, 16) == 0) {
        int len = sizeof(sin);
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&sin), &len);
        m_port = ntohs(sin.sin_port);
        m_thread = std::thread([this] { Run(); });
    }
}

TestHttpServer::~TestHttpServer() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_listener != INVALID_SOCKET)
        closesocket(m_listener);
    for (SOCKET s : m_held)
        closesocket(s);
    if (m_started)
        WSACleanup();
}

std::string TestHttpServer::BaseUrl() const { return "http://127.0.0.1:" + std::to_string(m_port); }

std::vector<std::string> TestHttpServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

size_t TestHttpServer::RequestCount() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests.size();
}

bool TestHttpServer::WaitForRequests(size_t count, int timeoutMs) const {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (RequestCount() < count) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        Sleep(5);
    }
    return true;
}

void TestHttpServer::SetReplyOptions(const ReplyOptions& options) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_options = options;
}

void TestHttpServer::Run() {
    while (!m_stop) {
        if (!WaitSocket(m_listener, false, 20, m_stop))
            continue;
        SOCKET client = accept(m_listener, nullptr, nullptr);
        if (client == INVALID_SOCKET)
            continue;
        Serve(client);
    }
}

bool TestHttpServer::ReadRequest(SOCKET client, std::string& request) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kRequestTimeoutMs);
    size_t headerEnd = std::string::npos;
    size_t wanted = 0;
    char buffer[16384];
    while (!m_stop) {
        if (headerEnd == std::string::npos) {
            headerEnd = request.find("\r\n\r\n");
            if (headerEnd != std::string::npos)
                wanted = headerEnd + 4 + ContentLengthOf(request.substr(0, headerEnd + 2));
        }
        if (headerEnd != std::string::npos && request.size() >= wanted)
            return true;
        int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        end - std::chrono::steady_clock::now())
                                        .count());
        if (left <= 0 || !WaitSocket(client, false, left, m_stop))
            return false;
        int n = recv(client, buffer, sizeof(buffer), 0);
        if (n <= 0)
            return false;
        request.append(buffer, static_cast<size_t>(n));
    }
    return false;
}

void TestHttpServer::SendAll(SOCKET client, const std::string& bytes, const ReplyOptions& options) {
    size_t pos = 0;
    size_t chunk = options.chunkSize ? options.chunkSize : bytes.size();
    while (pos < bytes.size() && !m_stop) {
        size_t piece = std::min(chunk, bytes.size() - pos);
        size_t sent = 0;
        while (sent < piece && !m_stop) {
            if (!WaitSocket(client, true, kRequestTimeoutMs, m_stop))
                return;
            int n = send(client, bytes.data() + pos + sent, static_cast<int>(std::min<size_t>(piece - sent, 65536)), 0);
            if (n <= 0)
                return; // the client went away
            sent += static_cast<size_t>(n);
        }
        pos += piece;
        if (options.chunkDelayMs && pos < bytes.size())
            Sleep(static_cast<DWORD>(options.chunkDelayMs));
    }
}

void TestHttpServer::Serve(SOCKET client) {
    std::string request;
    bool complete = ReadRequest(client, request);
    ReplyOptions options;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!request.empty())
            m_requests.push_back(request);
        options = m_options;
    }
    if (complete) {
        std::string reply = m_handler ? m_handler(request) : std::string();
        if (options.delayMs)
            Sleep(static_cast<DWORD>(options.delayMs));
        SendAll(client, reply, options);
    }
    if (options.holdOpen && complete) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_held.push_back(client);
        return;
    }
    if (options.reset) {
        linger l = {1, 0};
        setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof(l));
    } else {
        shutdown(client, SD_SEND);
    }
    closesocket(client);
}

std::string Reply(int status, const std::string& reason, const std::string& body, const std::string& extraHeaders) {
    return "HTTP/1.0 " + std::to_string(status) + " " + reason + "\r\nContent-Length: " + std::to_string(body.size()) +
           "\r\n" + extraHeaders + "\r\n" + body;
}

std::string RequestBody(const std::string& request) {
    size_t p = request.find("\r\n\r\n");
    return p == std::string::npos ? std::string() : request.substr(p + 4);
}

std::string RequestLine(const std::string& request) { return request.substr(0, request.find("\r\n")); }

} // namespace tendra::test
