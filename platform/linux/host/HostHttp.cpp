#include "platform/host/HostHttp.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <memory>

namespace orvane::platform::host {

namespace {

// libcurl and the libraries under it (two TLS stacks, Kerberos, LDAP, ...)
// cost some 5 MB of resident memory once loaded, so the client is loaded at
// the first exchange rather than at start: the tray program exchanges only
// when the user checks for updates. Never unloaded, since a download
// abandoned at its time limit may still be inside it.
constexpr const char kCurlLibrary[] = "libcurl.so.4";

struct Curl {
    CURLcode (*globalInit)(long flags) = nullptr;
    CURL* (*easyInit)() = nullptr;
    void (*easyCleanup)(CURL*) = nullptr;
    CURLcode (*easySetopt)(CURL*, CURLoption, ...) = nullptr;
    CURLcode (*easyGetinfo)(CURL*, CURLINFO, ...) = nullptr;
    CURLcode (*easyPerform)(CURL*) = nullptr;
    const char* (*easyStrerror)(CURLcode) = nullptr;
    curl_slist* (*slistAppend)(curl_slist*, const char*) = nullptr;
    void (*slistFreeAll)(curl_slist*) = nullptr;
    std::string problem;  // why the client cannot be used; empty when it can
};

template <typename T>
void Resolve(void* library, const char* name, T& out, std::string& missing)
{
    out = reinterpret_cast<T>(::dlsym(library, name));
    if (!out && missing.empty())
        missing = name;
}

const Curl& LoadCurl()
{
    static const Curl curl = [] {
        Curl loaded;
        void* library = ::dlopen(kCurlLibrary, RTLD_NOW | RTLD_LOCAL);
        if (!library) {
            loaded.problem = std::string("the HTTP client ") + kCurlLibrary + " cannot be loaded (" + ::dlerror() + ")";
            return loaded;
        }
        std::string missing;
        Resolve(library, "curl_global_init", loaded.globalInit, missing);
        Resolve(library, "curl_easy_init", loaded.easyInit, missing);
        Resolve(library, "curl_easy_cleanup", loaded.easyCleanup, missing);
        Resolve(library, "curl_easy_setopt", loaded.easySetopt, missing);
        Resolve(library, "curl_easy_getinfo", loaded.easyGetinfo, missing);
        Resolve(library, "curl_easy_perform", loaded.easyPerform, missing);
        Resolve(library, "curl_easy_strerror", loaded.easyStrerror, missing);
        Resolve(library, "curl_slist_append", loaded.slistAppend, missing);
        Resolve(library, "curl_slist_free_all", loaded.slistFreeAll, missing);
        if (!missing.empty())
            loaded.problem = std::string("the HTTP client ") + kCurlLibrary + " lacks " + missing;
        else if (loaded.globalInit(CURL_GLOBAL_DEFAULT) != CURLE_OK)
            loaded.problem = "the HTTP client cannot start";
        return loaded;
    }();
    return curl;
}

struct EasyDeleter {
    void operator()(CURL* easy) const { LoadCurl().easyCleanup(easy); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { LoadCurl().slistFreeAll(list); }
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
        LoadCurl().easyGetinfo(exchange.easy, CURLINFO_RESPONSE_CODE, &code);
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

std::string HttpClientProblem()
{
    return LoadCurl().problem;
}

HttpEnd HttpGet(const std::string& url, const std::vector<std::string>& headerLines, HttpReceiver& receiver,
                std::string& problem)
{
    const Curl& curl = LoadCurl();
    if (!curl.problem.empty()) {
        problem = curl.problem;
        return HttpEnd::Failed;
    }
    const std::unique_ptr<CURL, EasyDeleter> easy(curl.easyInit());
    if (!easy) {
        problem = "the HTTP client cannot start";
        return HttpEnd::Failed;
    }
    std::unique_ptr<curl_slist, ListDeleter> headers;
    for (const std::string& line : headerLines) {
        curl_slist* grown = curl.slistAppend(headers.get(), line.c_str());
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
    curl.easySetopt(e, CURLOPT_URL, url.c_str());
    curl.easySetopt(e, CURLOPT_HTTPGET, 1L);
    curl.easySetopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl.easySetopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    // The body as sent: no content decoding (and no Accept-Encoding of its
    // own); chunked framing is still undone.
    curl.easySetopt(e, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl.easySetopt(e, CURLOPT_HTTPHEADER, headers.get());
    curl.easySetopt(e, CURLOPT_FORBID_REUSE, 1L);
    // Signals are no way to time out a resolver on a worker thread.
    curl.easySetopt(e, CURLOPT_NOSIGNAL, 1L);
    curl.easySetopt(e, CURLOPT_ERRORBUFFER, error);
    curl.easySetopt(e, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl.easySetopt(e, CURLOPT_HEADERDATA, &exchange);
    curl.easySetopt(e, CURLOPT_WRITEFUNCTION, &OnBody);
    curl.easySetopt(e, CURLOPT_WRITEDATA, &exchange);
    curl.easySetopt(e, CURLOPT_XFERINFOFUNCTION, &OnProgress);
    curl.easySetopt(e, CURLOPT_XFERINFODATA, &exchange);
    curl.easySetopt(e, CURLOPT_NOPROGRESS, 0L);

    const CURLcode result = curl.easyPerform(e);
    if (exchange.stopped)
        return HttpEnd::Stopped;
    if (result == CURLE_OK)
        return HttpEnd::Complete;
    problem = error[0] ? error : curl.easyStrerror(result);
    return HttpEnd::Failed;
}

}  // namespace orvane::platform::host
