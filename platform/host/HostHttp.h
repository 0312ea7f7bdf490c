// One HTTP GET through the OS's own HTTP client (libcurl on Linux, WinHTTP on
// Windows), streamed to a receiver as it arrives. Each OS folder implements
// it (host/HostHttp.cpp under platform/linux and platform/win32). The client is used bare: it stores and
// sends no cookies, follows no redirect, decodes no content coding, speaks
// only http and https and hands over what the server sent. What an answer
// may be, how long it may take and how much of it is taken is decided by the
// receiver, above this seam.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace orvane::platform::host {

class HttpReceiver {
public:
    virtual ~HttpReceiver() = default;
    // Every call may end the exchange by returning false.
    // The status code that opens an answer's head.
    virtual bool Status(int code) = 0;
    // One header line of the head as sent ("Name: value"), without its line
    // end; trailer lines of a chunked body come the same way.
    virtual bool HeaderLine(const std::string& line) = 0;
    // A piece of the body, in order, after any transfer coding is undone.
    virtual bool Body(const char* data, std::size_t size) = 0;
    // Asked at least once a second while the exchange runs, also while it
    // waits for the server; may be called on another thread than the
    // calls above.
    virtual bool KeepGoing() = 0;
};

enum class HttpEnd {
    Complete,  // the whole answer arrived as the protocol frames it
    Stopped,   // a receiver call returned false
    Failed,    // the exchange broke off; problem says why
};

// Makes the HTTP client ready (on Linux it is loaded at the first use, which
// may take a moment that no download's time limit should pay for). Empty
// when it can be used, else why not.
std::string HttpClientProblem();

// GET url with the given request header lines ("Name: value") added. Blocks
// until the answer is complete, the receiver stops it or it fails.
HttpEnd HttpGet(const std::string& url, const std::vector<std::string>& headerLines, HttpReceiver& receiver,
                std::string& problem);

}  // namespace orvane::platform::host
