#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/host/HostHttp.h"
#include "platform/win32/WideText.h"
#include "platform/win32/WinApi.h"

#include <winhttp.h>

namespace orvane::platform::host {

namespace {

struct InternetDeleter {
    void operator()(void* handle) const { ::WinHttpCloseHandle(handle); }
};
using Internet = std::unique_ptr<void, InternetDeleter>;

std::string LastError(const char* call)
{
    return std::string(call) + " failed, error " + std::to_string(::GetLastError());
}

// Asks the receiver to go on at least five times a second while the request
// blocks in WinHTTP; when it says stop, closing the request handle is what
// cuts a blocking WinHTTP call short.
class Ticker {
public:
    Ticker(HttpReceiver& receiver, HINTERNET request)
        : m_receiver(receiver), m_request(request), m_thread([this]() { Run(); })
    {
    }
    ~Ticker() { Stop(); }
    Ticker(const Ticker&) = delete;
    Ticker& operator=(const Ticker&) = delete;

    // Ends the ticking; true when the ticker closed the request itself.
    bool Stop()
    {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
        return m_closed;
    }
    bool Stopped() const { return m_closed; }

private:
    void Run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_wake.wait_for(lock, std::chrono::milliseconds(200), [this]() { return m_done; })) {
            if (!m_receiver.KeepGoing()) {
                m_closed = true;
                ::WinHttpCloseHandle(m_request);
                return;
            }
        }
    }

    HttpReceiver& m_receiver;
    HINTERNET m_request;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::atomic<bool> m_closed{false};
    std::thread m_thread;
};

// The head's lines after the status line, as WinHTTP gives them back.
bool DeliverHeaderLines(HINTERNET request, HttpReceiver& receiver, std::string& problem)
{
    DWORD size = 0;
    ::WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                          WINHTTP_NO_HEADER_INDEX);
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        problem = LastError("WinHttpQueryHeaders");
        return false;
    }
    std::wstring raw(size / sizeof(wchar_t) + 1, L'\0');
    if (!::WinHttpQueryHeaders(request, WINHTTP_QUERY_RAW_HEADERS_CRLF, WINHTTP_HEADER_NAME_BY_INDEX, &raw[0],
                               &size, WINHTTP_NO_HEADER_INDEX)) {
        problem = LastError("WinHttpQueryHeaders");
        return false;
    }
    raw.resize(size / sizeof(wchar_t));
    std::size_t start = raw.find(L"\r\n");
    while (start != std::wstring::npos) {
        start += 2;
        const std::size_t end = raw.find(L"\r\n", start);
        const std::wstring line = raw.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start);
        if (!line.empty() && !receiver.HeaderLine(win32::Narrow(line)))
            return false;
        start = end;
    }
    return true;
}

}  // namespace

std::string HttpClientProblem()
{
    return {};  // WinHTTP is linked
}

HttpEnd HttpGet(const std::string& url, const std::vector<std::string>& headerLines, HttpReceiver& receiver,
                std::string& problem)
{
    const std::wstring wideUrl = win32::Widen(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof(parts);
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!::WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts)
        || (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS)) {
        problem = "not an http address";
        return HttpEnd::Failed;
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);

    const Internet session(::WinHttpOpen(L"Orvane", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                                         WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session) {
        problem = LastError("WinHttpOpen");
        return HttpEnd::Failed;
    }
    const Internet connection(::WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
    if (!connection) {
        problem = LastError("WinHttpConnect");
        return HttpEnd::Failed;
    }
    Internet request(::WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                          WINHTTP_DEFAULT_ACCEPT_TYPES,
                                          parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
    if (!request) {
        problem = LastError("WinHttpOpenRequest");
        return HttpEnd::Failed;
    }
    // Bare: no cookies, no redirects, no credentials sent on a challenge.
    DWORD disabled = WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_AUTHENTICATION;
    ::WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &disabled, sizeof(disabled));
    // No time limits of its own: how long to wait is the receiver's call.
    ::WinHttpSetTimeouts(request.get(), 0, 0, 0, 0);
    DWORD never = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
    ::WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &never, sizeof(never));
    // Windows' own default, stated: the head as a whole (status line and
    // every header line) is bounded before any of it reaches us.
    DWORD headBytes = 64 * 1024;
    ::WinHttpSetOption(request.get(), WINHTTP_OPTION_MAX_RESPONSE_HEADER_SIZE, &headBytes, sizeof(headBytes));
    for (const std::string& line : headerLines) {
        const std::wstring wide = win32::Widen(line);
        if (!::WinHttpAddRequestHeaders(request.get(), wide.c_str(), static_cast<DWORD>(wide.size()),
                                        WINHTTP_ADDREQ_FLAG_ADD | WINHTTP_ADDREQ_FLAG_REPLACE)) {
            problem = LastError("WinHttpAddRequestHeaders");
            return HttpEnd::Failed;
        }
    }

    Ticker ticker(receiver, request.get());
    auto end = [&](HttpEnd how) {
        if (ticker.Stop()) {
            request.release();  // the ticker closed it
            return HttpEnd::Stopped;
        }
        return how;
    };
    if (!::WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) {
        problem = LastError("WinHttpSendRequest");
        return end(HttpEnd::Failed);
    }
    if (!::WinHttpReceiveResponse(request.get(), nullptr)) {
        problem = LastError("WinHttpReceiveResponse");
        return end(HttpEnd::Failed);
    }
    DWORD status = 0;
    DWORD statusSize = sizeof(status);
    if (!::WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &statusSize, WINHTTP_NO_HEADER_INDEX)) {
        problem = LastError("WinHttpQueryHeaders");
        return end(HttpEnd::Failed);
    }
    if (!receiver.Status(static_cast<int>(status)) || !DeliverHeaderLines(request.get(), receiver, problem))
        return end(problem.empty() ? HttpEnd::Stopped : HttpEnd::Failed);
    char buffer[16 * 1024];
    for (;;) {
        DWORD read = 0;
        if (!::WinHttpReadData(request.get(), buffer, sizeof(buffer), &read)) {
            problem = LastError("WinHttpReadData");
            return end(HttpEnd::Failed);
        }
        if (read == 0)
            return end(HttpEnd::Complete);
        if (!receiver.Body(buffer, read))
            return end(HttpEnd::Stopped);
    }
}

}  // namespace orvane::platform::host
