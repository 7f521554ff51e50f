#include "orderform/win/wsocket.h"

#include "orderform/win/httpcli.h"

#include "orderform/httpreply.h"
#include "orderform/httprequest.h"
#include "orderform/url.h"

#include <algorithm>
#include <cstring>

namespace tendra {

namespace {

const UINT WM_HTTP_READY = WM_USER + 10;        // wParam: request number
const UINT WM_HTTP_REQUEST_DONE = WM_USER + 11; // wParam: request type, lParam: error
const UINT WM_HTTP_RESTART = WM_USER + 12;      // wParam: request number (after a redirection)

const char kWindowClass[] = "TendraHttpCliWindow";
const size_t kSendBlock = 8193;
const size_t kReceiveBlock = HttpReplyReader::kBufferSize;
const int kBlocksPerNotice = 16;
// One redirection more ends the request with status 404 "Too many redirections".
const int kMaxRedirections = 20;

LRESULT CALLBACK HttpCliWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

HWND CreateHiddenWindow(void* owner) {
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = HttpCliWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kWindowClass;
        registered = RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    return CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, owner);
}

std::string ErrorText(int error) { return WSocketErrorDesc(error) + " (Error #" + std::to_string(error) + ")"; }

// A dotted numeric address (digits and dots only) that inet_addr takes.
bool NumericAddress(const std::string& host, unsigned long* address) {
    if (host.empty() || host.find_first_not_of("0123456789.") != std::string::npos)
        return false;
    unsigned long a = inet_addr(host.c_str());
    if (a == INADDR_NONE && host != "255.255.255.255")
        return false;
    *address = a;
    return true;
}

const char* MethodName(HttpRequestType type) { return type == HttpRequestType::Post ? "POST" : "GET"; }

} // namespace

struct THttpCli::Impl : HttpReplyListener {
    explicit Impl(THttpCli& owner) : cli(owner), reader(this) {}

    THttpCli& cli;
    HWND hwnd = nullptr;
    TCustomWSocket socket;
    HttpReplyReader reader;
    HttpState state = HttpState::Ready;
    HttpRequestType type = HttpRequestType::Get;
    std::string* sendStream = nullptr;
    size_t sendStreamPosition = 0;
    std::string* receiveStream = nullptr;

    // The request under way (or the last one).
    unsigned generation = 0;
    std::string currentUrl, redirectUrl;
    HttpTarget target;
    unsigned short port = 0;
    size_t sendStart = 0, sendPos = 0, sendEnd = 0;
    bool sendingBody = false;
    bool headerBegun = false;
    bool finishing = false;
    int status = 0;
    std::string reason, location, docName;
    int errorCode = 0;
    int redirections = 0;
    std::exception_ptr handlerError;
    bool reading = false, readAgain = false, closePending = false;
    int closeError = 0;

    // The outcome of the last finished request, for the synchronous wait.
    unsigned doneGeneration = 0;
    int doneError = 0;
    std::string doneReason;
    std::exception_ptr doneHandlerError;

    template <class F, class... A>
    void Fire(const F& handler, A&&... args) {
        if (handler)
            handler(std::forward<A>(args)...);
    }

    void SetState(HttpState s) {
        if (state == s)
            return;
        state = s;
        Fire(cli.OnStateChange, s);
    }

    bool Active() const { return state != HttpState::Ready && !finishing; }

    // Runs one step of the request from a message or a call; an exception of
    // an event handler ends the request.
    template <class F>
    void Guard(F&& step) {
        try {
            step();
        } catch (...) {
            if (!Active())
                return; // after the end of the request nobody waits for it
            if (!handlerError)
                handlerError = std::current_exception();
            int code = 404;
            std::string text = "Error in an event handler";
            try {
                throw;
            } catch (const HttpException& e) {
                code = e.Code();
                text = e.what();
            } catch (const std::exception& e) {
                text = e.what();
            } catch (...) {
            }
            Fail(code >= 400 ? code : status, text, code); // fires no events
        }
    }

    void Start(HttpRequestType t) {
        if (state != HttpState::Ready)
            throw HttpException("HTTP component is busy", httperrBusy);
        if (t == HttpRequestType::Post && !sendStream)
            throw HttpException("HTTP component has nothing to post", httperrNothingToPost);
        if (!hwnd || !socket.Handle())
            throw HttpException("HTTP component has no window", 404); // nothing could report the end
        type = t;
        ++generation;
        currentUrl = cli.URL;
        redirections = 0;
        errorCode = 0;
        handlerError = nullptr;
        location.clear();
        if (t == HttpRequestType::Post) {
            sendEnd = sendStream->size();
            sendStart = std::min(sendStreamPosition, sendEnd);
        } else {
            sendStart = sendEnd = 0;
        }
        Guard([&] {
            ResetReply();
            SetState(HttpState::NotConnected);
            BeginConnection();
        });
    }

    void ResetReply() {
        reader.Reset();
        status = 0;
        reason.clear();
        sendPos = sendStart;
        sendingBody = headerBegun = false;
        reading = readAgain = closePending = false;
        closeError = 0;
    }

    void BeginConnection() {
        docName = DocumentName(ParseURL(currentUrl).path);
        target = MakeHttpTarget(currentUrl, cli.Proxy, cli.ProxyPort);
        if (target.connectHost.empty() || target.host.empty()) {
            Fail(404, "DNS lookup: invalid host name.", WSAEINVAL);
            return;
        }
        port = static_cast<unsigned short>(PortNumber(target.connectPort));
        if (port == 0) {
            Fail(404, "can't connect: " + ErrorText(WSAEINVAL), 404);
            return;
        }
        unsigned long address = 0;
        if (NumericAddress(target.connectHost, &address)) {
            StartConnect(address);
            return;
        }
        SetState(HttpState::DnsLookup);
        if (state != HttpState::DnsLookup)
            return; // a handler ended the request
        int error = socket.DnsLookup(target.connectHost);
        if (error)
            Fail(404, target.connectHost + ": can't start DNS lookup, error #" + std::to_string(error), 404);
    }

    void LookupDone(int error) {
        if (state != HttpState::DnsLookup || finishing)
            return;
        if (error) {
            Fail(404, "can't resolve hostname to IP address", 404);
            return;
        }
        StartConnect(socket.DnsResult());
    }

    void StartConnect(unsigned long address) {
        SetState(HttpState::Connecting);
        if (state != HttpState::Connecting)
            return;
        int error = socket.Connect(address, port);
        if (error)
            Fail(404, "can't connect: " + ErrorText(error), 404);
    }

    void Connected(int error) {
        if (state != HttpState::Connecting || finishing)
            return;
        if (error) {
            Fail(404, ErrorText(error), 404);
            return;
        }
        SetState(HttpState::Connected);
        Fire(cli.OnSessionConnected);
        if (Active())
            SendRequestHeader();
    }

    void SendRequestHeader() {
        HttpRequestFields f;
        f.method = MethodName(type);
        f.path = target.requestPath;
        f.host = target.host;
        f.sender = cli.Sender;
        f.reference = cli.Reference;
        f.contentTypePost = cli.ContentTypePost;
        f.agent = cli.Agent;
        f.modifiedSince = cli.ModifiedSince;
        f.cookie = cli.Cookie;
        f.user = target.user;
        f.password = target.password;
        if (f.user.empty() && !cli.Username.empty()) {
            f.user = cli.Username;
            f.password = cli.Password;
        }
        f.viaProxy = target.viaProxy;
        f.proxyUser = cli.ProxyUsername;
        f.proxyPassword = cli.ProxyPassword;
        f.noCache = cli.NoCache;
        f.contentLength = sendEnd - sendStart;
        std::vector<std::string> lines = HttpRequestLines(f);
        Fire(cli.OnRequestHeaderBegin);
        for (const std::string& line : lines) {
            if (!line.empty() && Active())
                Fire(cli.OnCommand, line);
        }
        if (!Active())
            return;
        Fire(cli.OnRequestHeaderEnd);
        if (!Active())
            return;
        std::string text = HttpRequestText(lines);
        int error = socket.Send(text.data(), text.size());
        if (error) {
            Fail(404, ErrorText(error), 404);
            return;
        }
        if (type == HttpRequestType::Post) {
            sendingBody = true;
            Fire(cli.OnSendBegin);
            if (Active())
                SendNextBodyBlock();
        } else {
            WaitForHeader();
        }
    }

    // Called at the start of the body and whenever the previous block has
    // gone out.
    void SendNextBodyBlock() {
        size_t end = std::min(sendEnd, sendStream ? sendStream->size() : 0);
        if (sendPos >= end) {
            sendingBody = false;
            Fire(cli.OnSendEnd);
            if (Active())
                WaitForHeader();
            return;
        }
        size_t n = std::min(kSendBlock, end - sendPos);
        std::string block = sendStream->substr(sendPos, n); // zero-terminated copy
        sendPos += n;
        Fire(cli.OnSendData, block.c_str(), n);
        if (!Active())
            return;
        int error = socket.Send(block.data(), n);
        if (error)
            Fail(404, ErrorText(error), 404);
    }

    void DataSent() {
        if (Active() && sendingBody)
            SendNextBodyBlock();
    }

    void WaitForHeader() {
        if (headerBegun)
            return;
        headerBegun = true;
        SetState(HttpState::WaitingHeader);
        if (Active())
            Fire(cli.OnHeaderBegin);
    }

    // Reads what the socket holds (a few blocks, or all when draining at close).
    void ReadAvailable(bool drain) {
        if (reading) {
            readAgain = true; // a handler pumped messages while a block was handled
            return;
        }
        reading = true;
        struct Reset {
            bool& flag;
            ~Reset() { flag = false; }
        } reset{reading};
        char buffer[kReceiveBlock];
        do {
            readAgain = false;
            int taken = 0;
            while (Active() && socket.IsOpen()) {
                int error = 0;
                int n = socket.Receive(buffer, static_cast<int>(sizeof(buffer)), &error);
                if (n == 0)
                    break; // closed; FD_CLOSE follows
                if (n < 0) {
                    if (error != WSAEWOULDBLOCK && !drain) {
                        closePending = true;
                        closeError = error;
                    }
                    break;
                }
                if (!headerBegun)
                    WaitForHeader(); // the server answered before the body was out
                if (!Active())
                    break;
                HandleReadResult(reader.Feed(buffer, static_cast<size_t>(n)));
                // Take a few blocks per notice; what is left brings another.
                if (!drain && ++taken == kBlocksPerNotice)
                    break;
            }
        } while (readAgain && Active());
    }

    void SessionClosed(int error) {
        if (!Active())
            return;
        if (reading) {
            closePending = true;
            closeError = error;
            return;
        }
        ReadAvailable(true);
        if (!Active())
            return;
        HandleReadResult(reader.Finish());
        if (!Active())
            return;
        socket.Close();
        if (reader.InBody()) {
            bool noBody = status == 204 || status == 304;
            if (error) {
                Fail(404, ErrorText(error), 404);
            } else if (!noBody && reader.BodyTruncated()) {
                Fail(404, "Connection closed before the end of the document", 404);
            } else {
                if (reader.BodyBlocks() > 0)
                    Fire(cli.OnDocEnd);
                Finish();
            }
        } else if (error) {
            Fail(404, ErrorText(error), 404);
        } else {
            Fail(404, "Connection closed before the end of the reply header", 404);
        }
    }

    void AfterRead() {
        // A close seen while a block was being handled.
        if (closePending && Active() && !reading) {
            closePending = false;
            SessionClosed(closeError);
        }
    }

    void HandleReadResult(HttpReadResult result) {
        switch (result) {
        case HttpReadResult::More:
        case HttpReadResult::Stopped:
            break;
        case HttpReadResult::ErrorStatus:
            socket.Close();
            Finish();
            break;
        case HttpReadResult::LineTooLong:
            socket.Close();
            Fail(status, "HTTP line too long", httperrLineTooLong);
            break;
        case HttpReadResult::Redirect:
            Redirect();
            break;
        }
    }

    void Redirect() {
        socket.Close();
        if (++redirections > kMaxRedirections) {
            Fail(404, "Too many redirections", 404);
            return;
        }
        redirectUrl = ResolveLocation(currentUrl, location);
        Fire(cli.OnLocationChange);
        if (Active())
            PostMessageA(hwnd, WM_HTTP_RESTART, generation, 0);
    }

    void Restart() {
        currentUrl = redirectUrl;
        ResetReply();
        SetState(HttpState::NotConnected);
        if (Active())
            BeginConnection();
    }

    // Ends the request with an error of its own.
    void Fail(int newStatus, const std::string& newReason, int code) {
        if (finishing || state == HttpState::Ready)
            return;
        status = newStatus;
        reason = newReason;
        errorCode = code;
        Finish();
    }

    void Finish() {
        if (finishing || state == HttpState::Ready)
            return;
        finishing = true;
        reader.Stop();
        socket.CancelDnsLookup();
        socket.Close();
        if (errorCode == 0 && status >= 400)
            errorCode = status;
        PostMessageA(hwnd, WM_HTTP_READY, generation, 0);
    }

    void Abort() {
        if (state == HttpState::Ready) {
            socket.Close();
            return;
        }
        if (finishing)
            return;
        Guard([&] {
            SetState(HttpState::Aborting);
            Fail(404, "Connection aborted on request", 404);
        });
    }

    void Ready() {
        finishing = false;
        doneGeneration = generation;
        doneError = errorCode;
        doneReason = reason;
        doneHandlerError = handlerError;
        PostMessageA(hwnd, WM_HTTP_REQUEST_DONE, static_cast<WPARAM>(type), errorCode);
        SetState(HttpState::Ready);
    }

    void Wait(unsigned request) {
        bool quit = false;
        WPARAM quitCode = 0;
        MSG msg;
        while (doneGeneration != request) {
            if (cli.MultiThreaded) {
                // Only the client's own windows.
                if (PeekMessageA(&msg, hwnd, 0, 0, PM_REMOVE) || PeekMessageA(&msg, socket.Handle(), 0, 0, PM_REMOVE)) {
                    DispatchMessageA(&msg);
                } else {
                    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
                }
                continue;
            }
            BOOL got = GetMessageA(&msg, nullptr, 0, 0);
            if (got == 0) {
                // The thread is asked to end: give the request up and pass
                // the request on once it has ended.
                quit = true;
                quitCode = msg.wParam;
                Abort();
                continue;
            }
            if (got < 0) {
                Abort();
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
                continue;
            }
            if (cli.MessageFilter && cli.MessageFilter(msg))
                continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (quit)
            PostQuitMessage(static_cast<int>(quitCode));
    }

    void Sync(HttpRequestType t) {
        Start(t);
        unsigned request = generation;
        Wait(request);
        if (doneHandlerError)
            std::rethrow_exception(doneHandlerError);
        if (doneError)
            throw HttpException(doneReason, doneError);
    }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
        switch (msg) {
        case WM_HTTP_READY:
            if (wParam == generation && finishing)
                Guard([&] { Ready(); });
            return 0;
        case WM_HTTP_REQUEST_DONE:
            Guard([&] { Fire(cli.OnRequestDone, static_cast<HttpRequestType>(wParam), static_cast<int>(lParam)); });
            return 0;
        case WM_HTTP_RESTART:
            if (wParam == generation && Active())
                Guard([&] { Restart(); });
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }

    // HttpReplyListener
    void HeaderLine(const std::string& line) override {
        status = reader.StatusCode();
        reason = reader.ReasonPhrase();
        if (!reader.Location().empty())
            location = reader.Location();
        Fire(cli.OnHeaderData, line);
        if (!Active())
            reader.Stop();
    }
    void HeaderEnd() override {
        SetState(HttpState::ReceivingBody);
        if (Active())
            Fire(cli.OnHeaderEnd);
        if (!Active())
            reader.Stop();
    }
    void DocBegin() override {
        SetState(HttpState::ReceivingBody);
        if (Active())
            Fire(cli.OnDocBegin);
        if (!Active())
            reader.Stop();
    }
    void DocData(const char* data, size_t len) override {
        if (receiveStream)
            receiveStream->append(data, len);
        Fire(cli.OnDocData, data, len);
        if (!Active())
            reader.Stop();
    }
};

namespace {

LRESULT CALLBACK HttpCliWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* impl = reinterpret_cast<THttpCli::Impl*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (impl && msg >= WM_HTTP_READY && msg <= WM_HTTP_RESTART) {
        try {
            return impl->HandleMessage(msg, wParam, lParam);
        } catch (...) {
            return 0;
        }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace

THttpCli::THttpCli() : m(new Impl(*this)) {
    Impl* impl = m.get();
    impl->hwnd = CreateHiddenWindow(impl);
    TCustomWSocket& s = impl->socket;
    s.OnDnsLookupDone = [impl](int error) { impl->Guard([&] { impl->LookupDone(error); }); };
    s.OnSessionConnected = [impl](int error) { impl->Guard([&] { impl->Connected(error); }); };
    s.OnDataAvailable = [impl](int) {
        impl->Guard([&] { impl->ReadAvailable(false); });
        impl->Guard([&] { impl->AfterRead(); });
    };
    s.OnDataSent = [impl] { impl->Guard([&] { impl->DataSent(); }); };
    s.OnSessionClosed = [impl](int error) { impl->Guard([&] { impl->SessionClosed(error); }); };
}

THttpCli::~THttpCli() {
    m->socket.OnDnsLookupDone = nullptr;
    m->socket.OnSessionConnected = nullptr;
    m->socket.OnDataAvailable = nullptr;
    m->socket.OnDataSent = nullptr;
    m->socket.OnSessionClosed = nullptr;
    m->socket.CancelDnsLookup();
    m->socket.Close();
    if (m->hwnd) {
        SetWindowLongPtrA(m->hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m->hwnd);
    }
}

void THttpCli::SetSendStream(std::string* body, size_t position) {
    m->sendStream = body;
    m->sendStreamPosition = position;
}
void THttpCli::SetReceiveStream(std::string* sink) { m->receiveStream = sink; }

void THttpCli::Get() { m->Sync(HttpRequestType::Get); }
void THttpCli::Post() { m->Sync(HttpRequestType::Post); }
void THttpCli::Abort() { m->Abort(); }

HttpState THttpCli::State() const { return m->state; }
int THttpCli::StatusCode() const { return m->status; }
const std::string& THttpCli::ReasonPhrase() const { return m->reason; }
long long THttpCli::ContentLength() const { return m->reader.ContentLength(); }
const std::string& THttpCli::ContentType() const { return m->reader.ContentType(); }
const std::string& THttpCli::Location() const { return m->location; }
const std::vector<std::string>& THttpCli::RcvdHeader() const { return m->reader.HeaderLines(); }
const std::string& THttpCli::DocName() const { return m->docName; }

} // namespace tendra
