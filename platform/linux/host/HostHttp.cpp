#include "platform/host/HostHttp.h"

#include <curl/curl.h>

#include <memory>
#include <mutex>

namespace orvane::platform::host {

namespace {

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

// The receiver's calls from libcurl's callbacks, and whether one of them
// stopped the exchange.
struct Exchange {
    CURL* easy = nullptr;
    HttpReceiver* receiver = nullptr;
    bool stopped = false;
    bool atHeadStart = true;  // the next header line opens a head

    bool Go(bool keepGoing)
    {
        if (!keepGoing)
            stopped = true;
        return keepGoing;
    }
};

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t total = size * count;
    std::string line(data, total);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    if (line.empty()) {
        exchange.atHeadStart = true;
        return total;
    }
    bool keepGoing = true;
    // libcurl hands over each head's status line first; it has parsed it.
    if (exchange.atHeadStart && line.compare(0, 5, "HTTP/") == 0) {
        long code = 0;
        curl_easy_getinfo(exchange.easy, CURLINFO_RESPONSE_CODE, &code);
        keepGoing = exchange.receiver->Status(static_cast<int>(code));
    } else {
        keepGoing = exchange.receiver->HeaderLine(line);
    }
    exchange.atHeadStart = false;
    return exchange.Go(keepGoing) ? total : 0;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t total = size * count;
    return exchange.Go(exchange.receiver->Body(data, total)) ? total : 0;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto& exchange = *static_cast<Exchange*>(user);
    return exchange.Go(exchange.receiver->KeepGoing()) ? 0 : 1;
}

}  // namespace

HttpEnd HttpGet(const std::string& url, const std::vector<std::string>& headerLines, HttpReceiver& receiver,
                std::string& problem)
{
    static std::once_flag initialised;
    std::call_once(initialised, []() { curl_global_init(CURL_GLOBAL_DEFAULT); });

    const std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    if (!easy) {
        problem = "the HTTP client cannot start";
        return HttpEnd::Failed;
    }
    std::unique_ptr<curl_slist, ListDeleter> headers;
    for (const std::string& line : headerLines) {
        curl_slist* grown = curl_slist_append(headers.get(), line.c_str());
        if (!grown) {
            problem = "out of memory";
            return HttpEnd::Failed;
        }
        headers.release();
        headers.reset(grown);
    }
    Exchange exchange;
    exchange.easy = easy.get();
    exchange.receiver = &receiver;
    char error[CURL_ERROR_SIZE] = {};

    CURL* e = easy.get();
    curl_easy_setopt(e, CURLOPT_URL, url.c_str());
    curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    // The body as sent: no content decoding (and no Accept-Encoding of its
    // own); chunked framing is still undone.
    curl_easy_setopt(e, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L);
    // Signals are no way to time out a resolver on a worker thread.
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &exchange);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &exchange);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);

    const CURLcode result = curl_easy_perform(e);
    if (exchange.stopped)
        return HttpEnd::Stopped;
    if (result == CURLE_OK)
        return HttpEnd::Complete;
    problem = error[0] ? error : curl_easy_strerror(result);
    return HttpEnd::Failed;
}

}  // namespace orvane::platform::host
