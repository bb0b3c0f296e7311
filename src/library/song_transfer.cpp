#include "library/song_transfer.h"

#include <curl/curl.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "net/curl_support.h"

namespace vamu::library {
namespace {

constexpr auto kMonitorInterval = std::chrono::milliseconds(1000);
constexpr std::size_t kCopyChunkBytes = 256 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// What the libcurl callbacks of one transfer share; lives on the transfer thread.
struct Exchange {
    CURL* easy = nullptr;
    std::FILE* file = nullptr;
    std::stop_token stop;
    std::atomic<std::int64_t>* received = nullptr;
    std::string fileName;
    bool started = false;
    bool chunked = false;  // the final response's body is chunked, so its end is certain
    std::function<void(std::int64_t, const std::string&)> onStarted;
};

// "Transfer-Encoding: chunked" in any case, with any spacing.
bool announcesChunks(std::string_view line) {
    std::string lower;
    for (const char c : line) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') {
            lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return lower.starts_with("transfer-encoding:") && lower.find("chunked") != std::string::npos;
}

// Removes a file without throwing; a name the system refuses (too long, a folder that
// cannot be searched) simply cannot exist, so there is nothing to remove.
void removeQuietly(const std::string& path) {
    std::error_code error;
    std::filesystem::remove(path, error);
}

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t bytes = size * count;
    const std::string_view line(data, bytes);
    if (line.starts_with("HTTP/")) {
        exchange.chunked = false;  // a new response (after a redirect or 100 Continue)
    } else if (announcesChunks(line)) {
        exchange.chunked = true;
    }
    const bool blankLine = bytes <= 2 && (bytes == 0 || data[0] == '\r' || data[0] == '\n');
    long status = 0;
    curl_easy_getinfo(exchange.easy, CURLINFO_RESPONSE_CODE, &status);
    if (blankLine && !exchange.started && status >= 200 && status < 300) {
        // The headers of the final response are in (redirects end their own blocks with 3xx).
        curl_off_t length = -1;
        curl_easy_getinfo(exchange.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        exchange.started = true;
        exchange.onStarted(length > 0 ? length : 0, exchange.fileName);
    }
    return bytes;
}

std::size_t onWrite(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t bytes = size * count;
    if (exchange.stop.stop_requested() || std::fwrite(data, 1, bytes, exchange.file) != bytes) {
        return CURL_WRITEFUNC_ERROR;
    }
    *exchange.received += static_cast<std::int64_t>(bytes);
    return bytes;
}

}  // namespace

SongTransfer::~SongTransfer() { stop(); }

void SongTransfer::start(const std::string& url, const std::string& path) {
    begin(path, [this, url](std::stop_token stop, const std::string& partial) { transferLoop(stop, url, partial); });
}

void SongTransfer::copy(const std::string& from, const std::string& path) {
    begin(path, [this, from](std::stop_token stop, const std::string& partial) { copyLoop(stop, from, partial); });
}

void SongTransfer::begin(const std::string& path, std::function<void(std::stop_token, const std::string&)> work) {
    stop();
    {
        std::lock_guard lock(m_mutex);
        m_status = TransferStatus{TransferState::Started, path};
        m_running = true;
    }
    m_received.store(0);
    m_transfer = std::jthread(
        [work = std::move(work), partial = path + ";"](std::stop_token stop) { work(std::move(stop), partial); });
    m_monitor = std::jthread([this](std::stop_token stop) { monitorLoop(stop); });
}

TransferStatus SongTransfer::status() const {
    std::lock_guard lock(m_mutex);
    return m_status;
}

bool SongTransfer::running() const {
    std::lock_guard lock(m_mutex);
    return m_running;
}

void SongTransfer::stop() {
    for (std::jthread* thread : {&m_transfer, &m_monitor}) {
        thread->request_stop();
    }
    for (std::jthread* thread : {&m_transfer, &m_monitor}) {
        if (thread->joinable()) {
            thread->join();
        }
    }
}

void SongTransfer::transferLoop(std::stop_token stop, std::string url, std::string partialPath) {
    const net::CurlEasy easy(net::curlReady() ? curl_easy_init() : nullptr);
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(partialPath.c_str(), "wb"));
    if (!easy || !file) {
        file.reset();
        removeQuietly(partialPath);
        onFinished(0, End::Failed);
        return;
    }
    Exchange exchange{easy.get(), file.get(), stop, &m_received, partialPath};
    exchange.onStarted = [this](std::int64_t total, const std::string& name) { onStarted(total, name); };

    net::TransferPolicy policy = m_policy;
    policy.secure = net::startsSecure(url);
    policy.deadline = std::chrono::milliseconds(0);  // a song may rightly take long; only silence ends it
    CURL* h = easy.get();
    const bool configured = net::applyPolicy(h, policy) && curl_easy_setopt(h, CURLOPT_URL, url.c_str()) == CURLE_OK &&
                            curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L) == CURLE_OK &&
                            curl_easy_setopt(h, CURLOPT_USERAGENT, "vamu") == CURLE_OK &&
                            curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &onHeader) == CURLE_OK &&
                            curl_easy_setopt(h, CURLOPT_HEADERDATA, &exchange) == CURLE_OK &&
                            curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &onWrite) == CURLE_OK &&
                            curl_easy_setopt(h, CURLOPT_WRITEDATA, &exchange) == CURLE_OK;
    const net::RunResult result = configured ? net::runTransfer(h, stop) : net::RunResult::Failed;
    const bool flushed = std::fclose(file.release()) == 0;

    if (stop.stop_requested()) {
        removeQuietly(partialPath);
        onCancelled();
        return;
    }
    End end = End::Failed;
    if (result == net::RunResult::Completed && flushed) {
        end = exchange.chunked ? End::CompleteChunked : End::Complete;
    }
    onFinished(m_received.load(), end);
}

void SongTransfer::copyLoop(std::stop_token stop, const std::string& from, const std::string& partialPath) {
    std::unique_ptr<std::FILE, FileCloser> source(std::fopen(from.c_str(), "rb"));
    std::unique_ptr<std::FILE, FileCloser> target(std::fopen(partialPath.c_str(), "wb"));
    // The size of the file as opened: the cache may replace the name meanwhile.
    const long size = source && std::fseek(source.get(), 0, SEEK_END) == 0 ? std::ftell(source.get()) : -1;
    if (!source || !target || size <= 0 || std::fseek(source.get(), 0, SEEK_SET) != 0) {
        target.reset();
        removeQuietly(partialPath);
        onFinished(0, End::Failed);
        return;
    }
    onStarted(size, partialPath);
    std::vector<char> buffer(kCopyChunkBytes);
    bool copied = true;
    while (!stop.stop_requested()) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), source.get());
        if (got == 0) break;
        if (std::fwrite(buffer.data(), 1, got, target.get()) != got) {
            copied = false;
            break;
        }
        m_received += static_cast<std::int64_t>(got);
    }
    copied = std::fclose(target.release()) == 0 && copied && std::ferror(source.get()) == 0;
    if (stop.stop_requested()) {
        removeQuietly(partialPath);
        onCancelled();
        return;
    }
    onFinished(m_received.load(), copied ? End::Complete : End::Failed);
}

void SongTransfer::monitorLoop(std::stop_token stop) {
    std::unique_lock lock(m_mutex);
    while (m_running && !stop.stop_requested()) {
        m_status.doneBytes = m_received.load();
        m_monitorWake.wait_for(lock, stop, kMonitorInterval, [&] { return !m_running; });
    }
}

void SongTransfer::onStarted(std::int64_t totalBytes, const std::string& fileName) {
    std::lock_guard lock(m_mutex);
    m_running = true;
    m_status.state = TransferState::Receiving;
    m_status.totalBytes = totalBytes;
    m_status.fileName = fileName;
}

void SongTransfer::onFinished(std::int64_t bytes, End end) {
    std::string fileName;
    std::int64_t total = 0;
    {
        std::lock_guard lock(m_mutex);
        fileName = m_status.fileName;
        total = m_status.totalBytes;
    }
    // Without an announced size only a chunked reply's closing chunk proves that the whole
    // song arrived; a reply that just ends with its connection may have been cut off.
    if (total == 0 && end == End::CompleteChunked) {
        total = bytes;
    }
    bool success = end != End::Failed && bytes == total && total > 0;
    std::string finalName = fileName;
    if (success && fileName.ends_with(';')) {
        finalName.pop_back();
        std::error_code error;
        std::filesystem::rename(fileName, finalName, error);
        success = !error;
    }
    if (!success) {
        removeQuietly(fileName.ends_with(';') ? fileName : fileName + ";");
    }
    {
        std::lock_guard lock(m_mutex);
        m_running = false;
        m_status.doneBytes = bytes;
        m_status.totalBytes = total;
        m_status.state = success ? TransferState::Finished : TransferState::Failed;
        if (success) {
            m_status.fileName = finalName;
        }
    }
    m_monitorWake.notify_all();
}

void SongTransfer::onCancelled() {
    {
        std::lock_guard lock(m_mutex);
        m_running = false;
        m_status.doneBytes = m_received.load();
        m_status.state = TransferState::Failed;
    }
    m_monitorWake.notify_all();
}

}  // namespace vamu::library
