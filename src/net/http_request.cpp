#include "net/http_request.h"

#include <algorithm>
#include <string_view>

#include "net/ascii.h"
#include "net/cookie_text.h"
#include "net/curl_support.h"
#include "net/request_headers.h"
#include "net/url_parts.h"

namespace vamu::net {
namespace {

enum class Verb { Get, Post, Head };

Verb verbFor(int method) {
    switch (method) {
    case 1:
        return Verb::Post;
    case 2:
        return Verb::Head;
    default:
        return Verb::Get;
    }
}

// State that the callbacks of one transfer share with it, on the calling thread's stack.
struct Transfer {
    std::string body;
    std::size_t maxBodyBytes = 0;
    bool tooLarge = false;
    std::string headers;  // header block of the latest response, CR LF separated
    bool headersComplete = false;
    std::stop_token stop;
    bool endAfterHeaders = false;  // a HEAD sent with a body: its reply has no body to wait for
    bool endedAfterHeaders = false;
};

std::size_t onBody(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    if (length > transfer.maxBodyBytes - transfer.body.size()) {
        transfer.tooLarge = true;
        return 0;  // anything but `length` aborts the transfer
    }
    transfer.body.append(data, length);
    return length;
}

// A 1xx response (100 Continue): another response follows on the same request.
bool isInterimResponse(std::string_view block) {
    const auto space = block.find(' ');
    return space != std::string_view::npos && space + 1 < block.size() && block[space + 1] == '1';
}

// Called once per header line of every response (interim, redirect and final), so the
// block is started afresh at each status line.
std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t length = size * count;
    std::string_view line(data, length);
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.remove_suffix(1);
    }
    if (line.starts_with("HTTP/")) {
        transfer.headers.clear();
        transfer.headersComplete = false;
    } else if (transfer.headersComplete) {
        return length;  // trailers after a chunked body are not part of the block
    }
    if (transfer.headers.size() + line.size() + 2 > kMaxHeaderBlockBytes) {
        transfer.tooLarge = true;
        return 0;
    }
    transfer.headers.append(line);
    transfer.headers.append("\r\n");
    transfer.headersComplete = line.empty();
    if (transfer.headersComplete && transfer.endAfterHeaders && !isInterimResponse(transfer.headers)) {
        transfer.endedAfterHeaders = true;
        return 0;  // the transfer ends here and counts as complete
    }
    return length;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Transfer*>(user)->stop.stop_requested() ? 1 : 0;
}

// Sets options one after another and remembers whether any of them failed.
class Options {
public:
    explicit Options(CURL* easy) : m_easy(easy) {}

    template <typename Value>
    Options& set(CURLoption option, Value value) {
        if (m_ok) {
            m_ok = curl_easy_setopt(m_easy, option, value) == CURLE_OK;
        }
        return *this;
    }
    Options& flag(CURLoption option, bool on) { return set(option, on ? 1L : 0L); }
    [[nodiscard]] bool ok() const { return m_ok; }

private:
    CURL* m_easy = nullptr;
    bool m_ok = true;
};

// The header lines handed to libcurl: the completed block as it is, plus "Expect:" (an
// empty value, which libcurl sends nowhere) so that libcurl adds no Expect line of its own.
CurlSlist headerList(std::string_view block) {
    CurlSlist list;
    auto lines = headerLines(block);
    const bool hasExpect = std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return equalsIgnoringCase(std::string_view(line).substr(0, 7), "Expect:");
    });
    if (!hasExpect) {
        lines.emplace_back("Expect:");
    }
    for (const auto& line : lines) {
        curl_slist* grown = curl_slist_append(list.get(), line.c_str());
        if (grown == nullptr) {
            return nullptr;
        }
        static_cast<void>(list.release());
        list.reset(grown);
    }
    return list;
}

bool acceptedByCurl(const std::string& url) {
    CurlUrl parsed(curl_url());
    return parsed && curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), CURLU_PATH_AS_IS) == CURLUE_OK;
}

struct Setup {
    std::string url;
    std::string agent;
    std::string proxy;
    std::string_view payload;
    Verb verb = Verb::Get;
    bool https = false;
    curl_slist* headers = nullptr;
};

bool configure(CURL* easy, const HttpRequestArgs& args, const Setup& setup, Transfer& transfer) {
    const TransferPolicy policy{.secure = setup.https,
                                .followRedirects = !args.noRedirect,
                                .connectTimeout = args.connectTimeout,
                                .idleTimeout = args.idleTimeout,
                                .deadline = args.deadline,
                                .caFile = args.caFile};
    if (!applyPolicy(easy, policy)) {
        return false;
    }
    Options options(easy);
    options.set(CURLOPT_URL, setup.url.c_str())
        .flag(CURLOPT_PATH_AS_IS, true)
        .set(CURLOPT_USERAGENT, setup.agent.c_str())
        .set(CURLOPT_HTTPHEADER, setup.headers)
        // An empty proxy also keeps libcurl from taking one from the environment.
        .set(CURLOPT_PROXY, setup.proxy.c_str())
        .flag(CURLOPT_SUPPRESS_CONNECT_HEADERS, true)
        .set(CURLOPT_WRITEFUNCTION, onBody)
        .set(CURLOPT_WRITEDATA, &transfer)
        .set(CURLOPT_HEADERFUNCTION, onHeader)
        .set(CURLOPT_HEADERDATA, &transfer)
        .set(CURLOPT_XFERINFOFUNCTION, onProgress)
        .set(CURLOPT_XFERINFODATA, &transfer)
        .flag(CURLOPT_NOPROGRESS, false);

    if (!args.cookies) {
        // The cookie engine is switched on by naming an (empty) cookie file; the share
        // makes its store the process-wide one.
        options.set(CURLOPT_COOKIEFILE, "");
        if (CURLSH* store = processCookieStore()) {
            options.set(CURLOPT_SHARE, store);
        }
    }

    switch (setup.verb) {
    case Verb::Get:
        options.flag(CURLOPT_HTTPGET, true);
        break;
    case Verb::Post:
        // The pointer is never null (an empty body is ""), so libcurl never falls back to
        // reading the body from standard input.
        options.flag(CURLOPT_POST, true)
            .set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(setup.payload.size()))
            .set(CURLOPT_POSTFIELDS, setup.payload.data());
        break;
    case Verb::Head:
        if (setup.payload.empty()) {
            options.flag(CURLOPT_NOBODY, true);
        } else {
            // libcurl sends no body with a proper HEAD, so this one is a POST under the
            // name HEAD; onHeader ends it after the reply's header block. Its redirects
            // are not followed: libcurl would wait for a redirect body that never comes.
            options.flag(CURLOPT_POST, true)
                .set(CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(setup.payload.size()))
                .set(CURLOPT_POSTFIELDS, setup.payload.data())
                .set(CURLOPT_CUSTOMREQUEST, "HEAD")
                .flag(CURLOPT_FOLLOWLOCATION, false);
        }
        break;
    }
    return options.ok();
}

}  // namespace

bool initializeHttp() { return curlReady(); }

HttpReply httpRequest(const HttpRequestArgs& args) {
    HttpReply reply;
    if (args.stop.stop_requested()) {
        reply.outcome = HttpOutcome::Cancelled;
        return reply;
    }
    const auto parts = splitUrl(args.url);
    if (!parts || !curlReady()) {
        return reply;
    }

    Setup setup;
    setup.url = transferUrl(*parts);
    setup.https = parts->https;
    setup.verb = verbFor(args.method);
    setup.agent = userAgentFor(args.extraHeaders);
    if (!args.proxy.empty()) {
        setup.proxy = "http://" + args.proxy;
    }
    if (setup.verb != Verb::Get) {
        setup.payload = args.bodyBytes.empty() ? std::string_view(args.body) : std::string_view(args.bodyBytes);
    }
    const CurlSlist headers =
        headerList(completeHeaderBlock(args.extraHeaders, args.url, args.cookies.value_or(std::string())));
    setup.headers = headers.get();

    Transfer transfer;
    transfer.maxBodyBytes = args.maxBodyBytes;
    transfer.stop = args.stop;
    transfer.endAfterHeaders = setup.verb == Verb::Head && !setup.payload.empty();
    const CurlEasy easy(curl_easy_init());
    if (!headers || !easy || !acceptedByCurl(setup.url) || !configure(easy.get(), args, setup, transfer)) {
        return reply;
    }

    // From here on the request is open, and every out-value is written.
    RunResult result = runTransfer(easy.get(), args.stop);
    if (result == RunResult::Failed && transfer.endedAfterHeaders) {
        result = RunResult::Completed;
    }
    long status = 0;
    if (curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &status) == CURLE_OK) {
        reply.status = status;
    }
    if (result == RunResult::Completed) {
        reply.outcome = HttpOutcome::Completed;
        reply.body = std::move(transfer.body);
        reply.responseCookies = collectResponseCookies(transfer.headers);
        reply.responseHeaders = std::move(transfer.headers);
    } else {
        reply.outcome = result == RunResult::Cancelled ? HttpOutcome::Cancelled
                        : transfer.tooLarge            ? HttpOutcome::TooLarge
                                                       : HttpOutcome::TransportFailed;
        reply.responseCookies.emplace();
        reply.responseHeaders = transfer.headersComplete ? std::move(transfer.headers) : std::string();
    }
    if (args.cookies) {
        reply.cookies = mergeCookies(*args.cookies, *reply.responseCookies);
    }
    return reply;
}

std::string fetchPicture(const std::string& url, std::stop_token stop) {
    if (url.empty()) return {};
    HttpRequestArgs args;
    args.url = url;
    args.stop = std::move(stop);
    args.maxBodyBytes = kMaxPictureReplyBytes;
    HttpReply reply = httpRequest(args);
    if (reply.outcome != HttpOutcome::Completed || reply.status != 200) return {};
    return std::move(reply.body);
}

}  // namespace vamu::net
