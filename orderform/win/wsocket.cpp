#include "orderform/win/wsocket.h"

#include <cstring>
#include <vector>

namespace tendra {

namespace {

const UINT WM_WSOCKET_EVENT = WM_USER + 1;  // WSAAsyncSelect: wParam socket, lParam event and error
const UINT WM_WSOCKET_LOOKUP = WM_USER + 2; // WSAAsyncGetHostByName: wParam handle, lParam error
const UINT WM_WSOCKET_SENT = WM_USER + 3;   // posted by Flush: wParam generation

const char kWindowClass[] = "TendraWSocketWindow";

LRESULT CALLBACK WSocketWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* socket = reinterpret_cast<TCustomWSocket*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (socket && msg >= WM_WSOCKET_EVENT && msg <= WM_WSOCKET_SENT) {
        try {
            return socket->HandleMessage(msg, wParam, lParam);
        } catch (...) {
            // Nothing may leave a window procedure; the callbacks guard
            // themselves, so this is only the last line.
            return 0;
        }
    }
    return DefWindowProcA(hwnd, msg, wParam, lParam);
}

HWND CreateHiddenWindow(void* owner) {
    static bool registered = false;
    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = WSocketWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = kWindowClass;
        registered = RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    return CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, owner);
}

// Answer buffers of look-ups that were given up while their answer was still
// to come: the look-up may still write into them, so they live on until the
// process ends.
std::vector<std::unique_ptr<char[]>>& AbandonedLookupBuffers() {
    static std::vector<std::unique_ptr<char[]>> buffers;
    return buffers;
}

} // namespace

std::string WSocketErrorDesc(int error) {
    switch (error) {
    case 0: return "No Error";
    case WSAEINTR: return "Interrupted system call";
    case WSAEBADF: return "Bad file number";
    case WSAEACCES: return "Permission denied";
    case WSAEFAULT: return "Bad address";
    case WSAEINVAL: return "Invalid argument";
    case WSAEMFILE: return "Too many open files";
    case WSAEWOULDBLOCK: return "Operation would block";
    case WSAEINPROGRESS: return "Operation now in progress";
    case WSAEALREADY: return "Operation already in progress";
    case WSAENOTSOCK: return "Socket operation on non-socket";
    case WSAEDESTADDRREQ: return "Destination address required";
    case WSAEMSGSIZE: return "Message too long";
    case WSAEPROTOTYPE: return "Protocol wrong type for socket";
    case WSAENOPROTOOPT: return "Protocol not available";
    case WSAEPROTONOSUPPORT: return "Protocol not supported";
    case WSAESOCKTNOSUPPORT: return "Socket type not supported";
    case WSAEOPNOTSUPP: return "Operation not supported on socket";
    case WSAEPFNOSUPPORT: return "Protocol family not supported";
    case WSAEAFNOSUPPORT: return "Address family not supported by protocol family";
    case WSAEADDRINUSE: return "Address already in use";
    case WSAEADDRNOTAVAIL: return "Address not available";
    case WSAENETDOWN: return "Network is down";
    case WSAENETUNREACH: return "Network is unreachable";
    case WSAENETRESET: return "Network dropped connection on reset";
    case WSAECONNABORTED: return "Connection aborted";
    case WSAECONNRESET: return "Connection reset by peer";
    case WSAENOBUFS: return "No buffer space available";
    case WSAEISCONN: return "Socket is already connected";
    case WSAENOTCONN: return "Socket is not connected";
    case WSAESHUTDOWN: return "Can't send after socket shutdown";
    case WSAETOOMANYREFS: return "Too many references: can't splice";
    case WSAETIMEDOUT: return "Connection timed out";
    case WSAECONNREFUSED: return "Connection refused";
    case WSAELOOP: return "Too many levels of symbolic links";
    case WSAENAMETOOLONG: return "File name too long";
    case WSAEHOSTDOWN: return "Host is down";
    case WSAEHOSTUNREACH: return "No route to host";
    case WSAENOTEMPTY: return "Directory not empty";
    case WSAEPROCLIM: return "Too many processes";
    case WSAEUSERS: return "Too many users";
    case WSAEDQUOT: return "Disc quota exceeded";
    case WSAESTALE: return "Stale NFS file handle";
    case WSAEREMOTE: return "Too many levels of remote in path";
    case WSASYSNOTREADY: return "Network sub-system is unusable";
    case WSAVERNOTSUPPORTED: return "WinSock DLL cannot support this application";
    case WSANOTINITIALISED: return "WinSock not initialized";
    case WSAHOST_NOT_FOUND: return "Host not found";
    case WSATRY_AGAIN: return "Non-authoritative host not found";
    case WSANO_RECOVERY: return "Non-recoverable error";
    case WSANO_DATA: return "No Data";
    default: return "Not a WinSock error";
    }
}

TCustomWSocket::TCustomWSocket() {
    WSADATA data;
    m_started = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    m_hwnd = CreateHiddenWindow(this);
}

TCustomWSocket::~TCustomWSocket() {
    Close();
    CancelDnsLookup();
    for (auto& entry : m_lookupBuffers)
        AbandonedLookupBuffers().push_back(std::move(entry.second));
    m_lookupBuffers.clear();
    if (m_hwnd) {
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
    if (m_started)
        WSACleanup();
}

int TCustomWSocket::DnsLookup(const std::string& host) {
    CancelDnsLookup();
    if (!m_hwnd)
        return WSAEINVAL;
    std::unique_ptr<char[]> buffer(new char[MAXGETHOSTSTRUCT]);
    HANDLE handle = WSAAsyncGetHostByName(m_hwnd, WM_WSOCKET_LOOKUP, host.c_str(), buffer.get(), MAXGETHOSTSTRUCT);
    if (!handle) {
        int error = WSAGetLastError();
        return error ? error : WSAEINVAL;
    }
    auto old = m_lookupBuffers.find(handle);
    if (old != m_lookupBuffers.end()) // a given-up look-up's handle came again
        AbandonedLookupBuffers().push_back(std::move(old->second));
    m_lookupBuffers[handle] = std::move(buffer);
    m_lookup = handle;
    return 0;
}

void TCustomWSocket::CancelDnsLookup() {
    if (!m_lookup)
        return;
    // The buffer stays until the answer comes (a cancelled look-up may still
    // deliver one).
    WSACancelAsyncRequest(m_lookup);
    m_lookup = nullptr;
}

int TCustomWSocket::Connect(unsigned long address, unsigned short port) {
    Close();
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET)
        return WSAGetLastError();
    BOOL on = TRUE;
    setsockopt(s, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof(on));
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&on), sizeof(on));
    if (WSAAsyncSelect(s, m_hwnd, WM_WSOCKET_EVENT, FD_READ | FD_WRITE | FD_OOB | FD_CONNECT | FD_CLOSE) != 0) {
        int error = WSAGetLastError();
        closesocket(s);
        return error;
    }
    sockaddr_in sin = {};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(port);
    sin.sin_addr.s_addr = address;
    m_socket = s;
    ++m_generation;
    if (connect(s, reinterpret_cast<const sockaddr*>(&sin), sizeof(sin)) != 0) {
        int error = WSAGetLastError();
        if (error != WSAEWOULDBLOCK) {
            Close();
            return error;
        }
    }
    return 0;
}

int TCustomWSocket::Receive(char* buffer, int len, int* error) {
    *error = 0;
    if (m_socket == INVALID_SOCKET) {
        *error = WSAENOTSOCK;
        return -1;
    }
    int n = recv(m_socket, buffer, len, 0);
    if (n == SOCKET_ERROR) {
        *error = WSAGetLastError();
        return -1;
    }
    return n;
}

int TCustomWSocket::Send(const char* data, size_t len) {
    if (m_socket == INVALID_SOCKET)
        return WSAENOTSOCK;
    if (m_sendOffset > 0 && m_sendOffset == m_sendBuffer.size()) {
        m_sendBuffer.clear();
        m_sendOffset = 0;
    }
    m_sendBuffer.append(data, len);
    return Flush();
}

int TCustomWSocket::Flush() {
    while (m_sendOffset < m_sendBuffer.size()) {
        size_t left = m_sendBuffer.size() - m_sendOffset;
        int chunk = left > 65536 ? 65536 : static_cast<int>(left);
        int n = send(m_socket, m_sendBuffer.data() + m_sendOffset, chunk, 0);
        if (n == SOCKET_ERROR) {
            int error = WSAGetLastError();
            return error == WSAEWOULDBLOCK ? 0 : error; // the rest goes at the next FD_WRITE
        }
        m_sendOffset += static_cast<size_t>(n);
    }
    m_sendBuffer.clear();
    m_sendOffset = 0;
    if (!m_sentPosted) {
        m_sentPosted = true;
        PostMessageA(m_hwnd, WM_WSOCKET_SENT, m_generation, 0);
    }
    return 0;
}

void TCustomWSocket::Close() {
    if (m_socket != INVALID_SOCKET) {
        WSAAsyncSelect(m_socket, m_hwnd, 0, 0);
        closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
    m_sendBuffer.clear();
    m_sendOffset = 0;
    m_sentPosted = false;
    ++m_generation;
}

LRESULT TCustomWSocket::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_WSOCKET_LOOKUP) {
        HANDLE handle = reinterpret_cast<HANDLE>(wParam);
        auto it = m_lookupBuffers.find(handle);
        if (it == m_lookupBuffers.end())
            return 0;
        std::unique_ptr<char[]> buffer = std::move(it->second);
        m_lookupBuffers.erase(it);
        if (handle != m_lookup)
            return 0; // cancelled
        m_lookup = nullptr;
        int error = WSAGETASYNCERROR(lParam);
        if (error == 0) {
            auto* host = reinterpret_cast<hostent*>(buffer.get());
            if (host->h_addrtype == AF_INET && host->h_length == 4 && host->h_addr_list && host->h_addr_list[0])
                std::memcpy(&m_dnsResult, host->h_addr_list[0], 4);
            else
                error = WSANO_DATA;
        }
        if (OnDnsLookupDone)
            OnDnsLookupDone(error);
        return 0;
    }
    if (msg == WM_WSOCKET_SENT) {
        if (wParam != static_cast<WPARAM>(m_generation) || m_socket == INVALID_SOCKET)
            return 0;
        m_sentPosted = false;
        if (BufferedBytes() == 0 && OnDataSent)
            OnDataSent();
        return 0;
    }
    // Socket events: only those of the open socket count (a closed one may
    // have left some in the queue).
    if (m_socket == INVALID_SOCKET || static_cast<SOCKET>(wParam) != m_socket)
        return 0;
    int error = WSAGETSELECTERROR(lParam);
    switch (WSAGETSELECTEVENT(lParam)) {
    case FD_CONNECT:
        if (OnSessionConnected)
            OnSessionConnected(error);
        break;
    case FD_READ:
        if (OnDataAvailable)
            OnDataAvailable(error);
        break;
    case FD_WRITE:
        if (error == 0 && BufferedBytes() > 0) {
            int sendError = Flush();
            if (sendError && OnSessionClosed) {
                Close();
                OnSessionClosed(sendError);
            }
        }
        break;
    case FD_OOB: // selected with the other events; out-of-band data has no use here
        break;
    case FD_CLOSE:
        if (OnSessionClosed)
            OnSessionClosed(error);
        break;
    }
    return 0;
}

} // namespace tendra
