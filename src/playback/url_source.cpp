#include "playback/url_source.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>
#include <utility>

#include "net/curl_support.h"

namespace vamu::playback {
namespace {

// `prefix` is in lower case.
bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(),
                      [](char lower, char c) { return std::tolower(static_cast<unsigned char>(c)) == lower; });
}

// Reads the decimal number at `pos`, moving past it; nullopt when there is none or it overflows.
std::optional<std::int64_t> readNumber(std::string_view text, std::size_t& pos) {
    std::int64_t value = 0;
    const std::size_t begin = pos;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        if (value > (INT64_MAX - 9) / 10) {
            return std::nullopt;
        }
        value = value * 10 + (text[pos] - '0');
    }
    return pos > begin ? std::optional(value) : std::nullopt;
}

struct ContentRange {
    std::int64_t start = 0;
    std::int64_t total = 0;
};

// "Content-Range: bytes 100-999/1000" gives {100, 1000}; anything else nullopt.
std::optional<ContentRange> parseContentRange(std::string_view line) {
    constexpr std::string_view kName = "content-range:";
    if (!startsWithNoCase(line, kName)) {
        return std::nullopt;
    }
    std::size_t pos = line.find_first_of("0123456789", kName.size());
    const std::size_t slash = line.find('/');
    if (pos == std::string_view::npos || slash == std::string_view::npos || pos > slash) {
        return std::nullopt;
    }
    const auto start = readNumber(line, pos);
    pos = slash + 1;
    const auto total = readNumber(line, pos);
    if (!start || !total) {
        return std::nullopt;
    }
    return ContentRange{*start, *total};
}

}  // namespace

// What one HTTP exchange knows about itself; lives on the reader thread.
struct UrlSource::Transfer {
    UrlSource* source = nullptr;
    CURL* easy = nullptr;
    std::uint64_t generation = 0;
    std::int64_t fileFrom = 0;  // file offset asked for
    std::stop_token stop;
    bool accepted = false;
    bool refused = false;
    bool pastEnd = false;
    std::int64_t skip = 0;      // bytes to drop when the server ignored the Range
    std::int64_t received = 0;  // bytes appended by this exchange
    std::optional<ContentRange> range;
};

UrlSource::UrlSource(std::string url, std::int64_t offset, UrlSourceLimits limits, std::shared_ptr<ByteSink> sink)
    : m_url(std::move(url)),
      m_startOffset(std::max<std::int64_t>(offset, 0)),
      m_limits(limits),
      m_sink(std::move(sink)) {
    if (m_startOffset > 0) {
        dropSink();  // the file's head will never come
    }
    if (net::curlReady()) {
        m_multi.reset(curl_multi_init());
    }
    if (!m_multi) {
        m_phase = Phase::Failed;
        return;
    }
    m_reader = std::jthread([this](std::stop_token stop) { readerLoop(stop); });
}

UrlSource::~UrlSource() {
    close();  // joins the reader before m_multi goes
}

// Stops the reader promptly, even mid-transfer: the stop wakes libcurl's poll and any wait.
void UrlSource::close() {
    if (m_reader.joinable()) {
        m_reader.request_stop();
        m_reader.join();
    }
    dropSink();  // not whole by now: it never will be
}

ReadResult UrlSource::read(std::span<std::byte> out, std::stop_token stop) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, stop, [&] { return m_interrupted || availableLocked() || m_phase != Phase::Fetching; });
    if (stop.stop_requested()) {
        return {ReadStatus::Stopped};
    }
    if (m_interrupted) {
        m_interrupted = false;
        return {ReadStatus::Interrupted};
    }
    if (!availableLocked()) {
        return {m_phase == Phase::Complete ? ReadStatus::End : ReadStatus::Failed};
    }
    const std::int64_t end = m_base + std::ssize(m_data);
    const auto count = static_cast<std::size_t>(std::min<std::int64_t>(end - m_readOffset, std::ssize(out)));
    std::memcpy(out.data(), m_data.data() + (m_readOffset - m_base), count);
    m_readOffset += static_cast<std::int64_t>(count);
    trimLocked();
    lock.unlock();
    m_changed.notify_all();  // the reader may be waiting for room
    return {ReadStatus::Data, count};
}

void UrlSource::seek(std::int64_t offset) {
    offset = std::max<std::int64_t>(offset, 0);
    {
        std::lock_guard lock(m_mutex);
        if (offset >= m_base && offset <= m_base + std::ssize(m_data)) {
            m_readOffset = offset;
            return;
        }
        m_data.clear();
        m_base = offset;
        m_readOffset = offset;
        ++m_generation;
        if (m_phase != Phase::Failed || m_opened) {
            m_phase = Phase::Fetching;
        }
    }
    m_changed.notify_all();
    wakeReader();
}

void UrlSource::interrupt() {
    {
        std::lock_guard lock(m_mutex);
        m_interrupted = true;
    }
    m_changed.notify_all();
}

std::optional<std::int64_t> UrlSource::totalSize() const {
    std::lock_guard lock(m_mutex);
    return m_total;
}

bool UrlSource::availableLocked() const { return m_readOffset < m_base + std::ssize(m_data); }

void UrlSource::trimLocked() {
    // Drop in large steps so the front is moved rarely.
    const std::int64_t behind = m_readOffset - m_base;
    const std::int64_t step = 4 << 20;
    if (behind > m_limits.keepBehind + step) {
        const std::int64_t drop = behind - m_limits.keepBehind;
        m_data.erase(m_data.begin(), m_data.begin() + drop);
        m_base += drop;
    }
}

void UrlSource::wakeReader() {
    if (m_multi) {
        curl_multi_wakeup(m_multi.get());  // thread-safe by libcurl's contract
    }
}

void UrlSource::readerLoop(std::stop_token stop) {
    const net::CurlEasy easy(curl_easy_init());
    std::stop_callback wake(stop, [this] { wakeReader(); });
    int failures = 0;
    while (!stop.stop_requested()) {
        std::uint64_t generation = 0;
        std::int64_t from = 0;
        {
            std::unique_lock lock(m_mutex);
            if (!easy) {
                m_phase = Phase::Failed;
            }
            m_changed.wait(lock, stop, [&] { return m_phase == Phase::Fetching; });
            if (stop.stop_requested()) {
                return;
            }
            generation = m_generation;
            from = m_base + std::ssize(m_data);
            if (m_total && from >= *m_total) {
                m_phase = Phase::Complete;
                lock.unlock();
                m_changed.notify_all();
                continue;
            }
        }
        std::int64_t received = 0;
        const TransferEnd end = runTransfer(easy.get(), from, generation, stop, received);
        if (end == TransferEnd::Stopped) {
            return;
        }
        if (end == TransferEnd::Superseded) {
            failures = 0;
            continue;
        }
        settleTransfer(end, received, failures);
        finishSinkIfWhole();
        if (failures > 0) {
            // Give a dropped server a moment before resuming; a seek or stop cuts the wait short.
            std::unique_lock lock(m_mutex);
            m_changed.wait_for(lock, stop, m_limits.retryDelay * failures,
                               [&] { return m_generation != generation || m_phase != Phase::Fetching; });
        }
    }
}

// Decides what a finished exchange means for the stream; `failures` counts resumptions
// in a row that brought nothing.
void UrlSource::settleTransfer(TransferEnd end, std::int64_t received, int& failures) {
    {
        std::lock_guard lock(m_mutex);
        const std::int64_t fetched = m_base + std::ssize(m_data);
        if (end == TransferEnd::Finished && m_total && fetched < *m_total) {
            end = TransferEnd::Dropped;  // the server closed before the announced end
        }
        switch (end) {
        case TransferEnd::Finished:
            if (!m_total) {
                m_total = fetched;
            }
            m_phase = Phase::Complete;
            failures = 0;
            break;
        case TransferEnd::Refused:
            m_phase = Phase::Failed;
            break;
        case TransferEnd::Dropped:
            failures = received > 0 ? 1 : failures + 1;
            if (!m_opened || failures > m_limits.maxRetries) {
                m_phase = Phase::Failed;
                failures = 0;
            }
            break;
        case TransferEnd::Superseded:
        case TransferEnd::Stopped:
            break;
        }
    }
    m_changed.notify_all();
}

UrlSource::TransferEnd UrlSource::runTransfer(CURL* easy, std::int64_t from, std::uint64_t generation,
                                              std::stop_token stop, std::int64_t& received) {
    CURLM* multi = m_multi.get();
    Transfer transfer{this, easy, generation, m_startOffset + from, stop};
    const std::string range = transfer.fileFrom > 0 ? std::to_string(transfer.fileFrom) + "-" : std::string();

    curl_easy_reset(easy);
    net::TransferPolicy policy = m_limits.transfer;
    policy.secure = net::startsSecure(m_url);
    policy.deadline = std::chrono::milliseconds(0);  // a song plays for minutes; only silence ends it
    if (!net::applyPolicy(easy, policy)) {
        return TransferEnd::Refused;
    }
    curl_easy_setopt(easy, CURLOPT_URL, m_url.c_str());
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "vamu");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &UrlSource::onWrite);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &UrlSource::onHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    if (!range.empty()) {
        curl_easy_setopt(easy, CURLOPT_RANGE, range.c_str());
    }

    if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
        return TransferEnd::Dropped;
    }
    bool superseded = false;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK || running == 0) {
            break;
        }
        {
            std::lock_guard lock(m_mutex);
            superseded = m_generation != generation;
        }
        if (superseded || stop.stop_requested()) {
            break;
        }
        curl_multi_poll(multi, nullptr, 0, 1000, nullptr);
    }
    CURLcode result = CURLE_ABORTED_BY_CALLBACK;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
            result = message->data.result;
        }
    }
    curl_multi_remove_handle(multi, easy);
    received = transfer.received;

    if (stop.stop_requested()) {
        return TransferEnd::Stopped;
    }
    {
        std::lock_guard lock(m_mutex);
        if (m_generation != generation) {
            return TransferEnd::Superseded;
        }
    }
    if (!transfer.accepted && !transfer.refused && !transfer.pastEnd && result == CURLE_OK) {
        acceptResponse(transfer);  // an empty body: judge the status now
    }
    if (transfer.refused) {
        return TransferEnd::Refused;
    }
    if (transfer.pastEnd) {
        return TransferEnd::Finished;
    }
    return result == CURLE_OK ? TransferEnd::Finished : TransferEnd::Dropped;
}

// Judges the response once its headers are in. False stops the exchange: `refused`
// then marks a failed stream (error status, not audio), `pastEnd` a seek beyond the end.
bool UrlSource::acceptResponse(Transfer& transfer) {
    long status = 0;
    curl_off_t length = -1;
    const char* type = nullptr;
    curl_easy_getinfo(transfer.easy, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_TYPE, &type);

    bool refuse = false;
    std::optional<std::int64_t> fileTotal;
    if (status == 416 && transfer.fileFrom > 0) {
        transfer.pastEnd = true;
    } else if (status < 200 || status >= 300) {
        refuse = true;
    } else if (type != nullptr && startsWithNoCase(type, "text/html")) {
        refuse = true;  // an error or login page served with status 200
    } else if (status == 206 || transfer.range) {
        // Some servers label a part 200 yet say which part they sent; believe the Content-Range.
        if (!transfer.range || transfer.range->start != transfer.fileFrom) {
            refuse = true;  // not the part we asked for
        } else {
            fileTotal = transfer.range->total;
        }
    } else {
        transfer.skip = transfer.fileFrom;  // the server ignored the Range: drop the lead-in
        if (length >= 0) {
            fileTotal = length;
        }
    }

    std::lock_guard lock(m_mutex);
    if (transfer.pastEnd) {
        m_total = transfer.fileFrom - m_startOffset;
        return false;
    }
    if (refuse) {
        transfer.refused = true;
        return false;
    }
    transfer.accepted = true;
    m_opened = true;
    if (fileTotal) {
        const std::int64_t total = std::max<std::int64_t>(*fileTotal - m_startOffset, 0);
        // Another size on a resumption: the file changed on the server, so the copy mixes two.
        m_sizeChanged = m_sizeChanged || (m_sizeAnnounced && m_total != total);
        m_total = total;
        m_sizeAnnounced = true;
        // One allocation for the whole song, instead of a doubling trail of freed blocks.
        const std::int64_t coming = *m_total - (m_base + std::ssize(m_data));
        if (coming > 0 && coming <= m_limits.maxAhead) {
            m_data.reserve(m_data.size() + static_cast<std::size_t>(coming));
        }
    }
    return true;
}

bool UrlSource::append(const std::byte* data, std::size_t size, Transfer& transfer) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, transfer.stop, [&] {
        return m_generation != transfer.generation || m_base + std::ssize(m_data) - m_readOffset < m_limits.maxAhead;
    });
    if (transfer.stop.stop_requested() || m_generation != transfer.generation) {
        return false;
    }
    const std::int64_t at = m_base + std::ssize(m_data);
    m_data.insert(m_data.end(), data, data + size);
    transfer.received += static_cast<std::int64_t>(size);
    lock.unlock();
    m_changed.notify_all();
    teeToSink(at, std::span(data, size));
    return true;
}

// `at` is the stream offset of `bytes`; a stream with a sink begins at file byte 0.
void UrlSource::teeToSink(std::int64_t at, std::span<const std::byte> bytes) {
    const std::int64_t end = at + std::ssize(bytes);
    if (!m_sink || at > m_sinkNext || end <= m_sinkNext) {
        return;  // past a gap, or bytes the sink already holds
    }
    if (!m_sink->write(bytes.subspan(static_cast<std::size_t>(m_sinkNext - at)))) {
        dropSink();
        return;
    }
    m_sinkNext = end;
}

void UrlSource::finishSinkIfWhole() {
    if (!m_sink) {
        return;
    }
    std::optional<std::int64_t> total;
    {
        std::lock_guard lock(m_mutex);
        if (m_sizeAnnounced && !m_sizeChanged) {
            total = m_total;
        }
    }
    if (total && m_sinkNext == *total) {
        std::exchange(m_sink, nullptr)->finish(*total);
    }
}

void UrlSource::dropSink() {
    if (m_sink) {
        std::exchange(m_sink, nullptr)->abandon();
    }
}

std::size_t UrlSource::onWrite(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::size_t bytes = size * count;
    if (!transfer.accepted && (transfer.refused || transfer.pastEnd || !transfer.source->acceptResponse(transfer))) {
        return CURL_WRITEFUNC_ERROR;
    }
    std::size_t skipped = 0;
    if (transfer.skip > 0) {
        skipped = static_cast<std::size_t>(std::min<std::int64_t>(transfer.skip, static_cast<std::int64_t>(bytes)));
        transfer.skip -= static_cast<std::int64_t>(skipped);
    }
    if (skipped < bytes &&
        !transfer.source->append(reinterpret_cast<const std::byte*>(data) + skipped, bytes - skipped, transfer)) {
        return CURL_WRITEFUNC_ERROR;
    }
    return bytes;
}

std::size_t UrlSource::onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& transfer = *static_cast<Transfer*>(user);
    const std::string_view line(data, size * count);
    if (line.starts_with("HTTP/")) {
        transfer.range.reset();  // a new response (after a redirect) starts afresh
    } else if (auto range = parseContentRange(line)) {
        transfer.range = range;
    }
    return size * count;
}

}  // namespace vamu::playback
