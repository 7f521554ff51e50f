// THttpCli: the order form's HTTP/1.0 client. GET and POST of one URL,
// directly or through a proxy, event driven on the GUI thread (Windows
// Sockets 1.1 asynchronous socket, events as window messages). Get and Post
// are the synchronous forms: they keep processing the thread's messages until
// the request is finished.
#pragma once

#ifndef _INC_WINDOWS
#include <winsock2.h> // before windows.h, so that files including this can use Windows Sockets too
#endif
#include <windows.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tendra {

class TCustomWSocket;
class HttpReplyReader;

// Codes of the client's own errors; a finished request with a status of 400
// or more carries the status instead (failed look-ups and connections end
// with status 404). A URL or proxy without a host name fails with
// WSAEINVAL (10022).
enum HttpErrorCode : int {
    httperrBusy = 1,          // "HTTP component is busy"
    httperrNothingToPost = 2, // "HTTP component has nothing to post"
    httperrLineTooLong = 4,   // "HTTP line too long"
};

class HttpException : public std::runtime_error {
public:
    HttpException(const std::string& message, int code) : std::runtime_error(message), m_code(code) {}
    int Code() const { return m_code; }

private:
    int m_code;
};

enum class HttpState { Ready, NotConnected, Connected, DnsLookup, Connecting, WaitingHeader, ReceivingBody, Aborting };
enum class HttpRequestType { Get, Post };

class THttpCli {
public:
    THttpCli();
    ~THttpCli();
    THttpCli(const THttpCli&) = delete;
    THttpCli& operator=(const THttpCli&) = delete;

    std::string URL, Proxy, ProxyPort = "80";
    bool NoCache = true;
    std::string ContentTypePost = "application/x-www-form-urlencoded";
    std::string Agent, Sender, Reference, Cookie, ModifiedSince, Username, Password, ProxyUsername, ProxyPassword;
    // On: the wait of Get/Post takes only the client's own messages (socket,
    // look-up, ready), so no other window of the thread runs meanwhile.
    bool MultiThreaded = false;

    void SetSendStream(std::string* body, size_t position = 0); // POST body read from position; nullptr = none
    void SetReceiveStream(std::string* sink);                   // body appended here; nullptr = none

    // Events, in the order in which they fire for one request. Handlers run
    // inside the client's message handling; an exception thrown by one ends
    // the request, and Get/Post throw it again when they return.
    std::function<void(HttpState)> OnStateChange;
    std::function<void()> OnSessionConnected, OnRequestHeaderBegin, OnRequestHeaderEnd, OnSendBegin, OnSendEnd,
        OnHeaderBegin, OnHeaderEnd, OnLocationChange, OnDocBegin, OnDocEnd;
    std::function<void(const std::string& line)> OnCommand, OnHeaderData;
    // data[len] is always a zero byte (not part of the block).
    std::function<void(const char* data, size_t len)> OnSendData, OnDocData;
    // error: 0, or the code Get/Post would throw (the status when it is 400
    // or more, 404 for network failures and aborts, 4 for an over-long line,
    // 10022 for a missing host name).
    std::function<void(HttpRequestType, int error)> OnRequestDone;
    // Optional: sees every message the wait of Get/Post takes from the queue
    // before it is dispatched; return true when it was handled (for example by
    // IsDialogMessage).
    std::function<bool(MSG&)> MessageFilter;

    // Start the request and wait until it is finished; throw HttpException
    // for a busy client (1), nothing to post (2), an over-long header line
    // (4), a failed look-up or connection, or a status of 400 or more.
    void Get();
    void Post();
    void Abort();

    // The state, and what the reply of the current or last request said.
    HttpState State() const;
    int StatusCode() const;
    const std::string& ReasonPhrase() const;
    long long ContentLength() const; // -1 when the reply did not give one
    const std::string& ContentType() const;
    const std::string& Location() const;
    const std::vector<std::string>& RcvdHeader() const;
    const std::string& DocName() const;

    struct Impl; // the request machinery (httpcli.cpp)

private:
    std::unique_ptr<Impl> m;
};

} // namespace tendra
