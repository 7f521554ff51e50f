// TCustomWSocket: an asynchronous Windows Sockets 1.1 TCP client socket for
// the GUI thread. Host look-ups (WSAAsyncGetHostByName) and socket events
// (WSAAsyncSelect for read, write, out-of-band data, connect and close) arrive
// as messages at a hidden window of its own and are handed on as callbacks.
// Sending is buffered: what the socket does not take at once goes out when it
// reports that it can write again, and OnDataSent fires (from a posted
// message) once everything handed to Send has gone.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

namespace tendra {

// English text of a Windows Sockets error number.
std::string WSocketErrorDesc(int error);

class TCustomWSocket {
public:
    TCustomWSocket();
    ~TCustomWSocket();
    TCustomWSocket(const TCustomWSocket&) = delete;
    TCustomWSocket& operator=(const TCustomWSocket&) = delete;

    std::function<void(int error)> OnDnsLookupDone;    // error 0: DnsResult() holds the address
    std::function<void(int error)> OnSessionConnected; // error 0: connected
    std::function<void(int error)> OnDataAvailable;    // data to Receive
    std::function<void()> OnDataSent;                  // the send buffer is empty again
    std::function<void(int error)> OnSessionClosed;    // the peer closed, or the connection failed

    // Starts a look-up; returns 0 or the error number of WSAAsyncGetHostByName.
    int DnsLookup(const std::string& host);
    void CancelDnsLookup();
    unsigned long DnsResult() const { return m_dnsResult; } // network byte order

    // Opens a socket (SO_KEEPALIVE, SO_REUSEADDR, events selected) and starts
    // a non-blocking connect; returns 0 or the error number.
    int Connect(unsigned long address, unsigned short port);
    // Reads up to len bytes: the count, 0 when the peer has closed, -1 when
    // nothing is there now (error in *error, WSAEWOULDBLOCK included).
    int Receive(char* buffer, int len, int* error);
    // Queues data for sending; returns 0 or the error number.
    int Send(const char* data, size_t len);
    void Close();
    bool IsOpen() const { return m_socket != INVALID_SOCKET; }
    HWND Handle() const { return m_hwnd; }

    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

private:
    int Flush();
    size_t BufferedBytes() const { return m_sendBuffer.size() - m_sendOffset; }

    HWND m_hwnd = nullptr;
    SOCKET m_socket = INVALID_SOCKET;
    bool m_started = false;
    HANDLE m_lookup = nullptr;
    std::map<HANDLE, std::unique_ptr<char[]>> m_lookupBuffers; // until their answer arrives
    unsigned long m_dnsResult = 0;
    std::string m_sendBuffer;
    size_t m_sendOffset = 0;
    bool m_sentPosted = false;
    unsigned m_generation = 0;
};

} // namespace tendra
