#include "library/song_transfer.h"

#include <curl/curl.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "net/curl_support.h"

namespace vamu::library {
namespace {

constexpr auto kMonitorInterval = std::chrono::milliseconds(1000);

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
    std::function<void(std::int64_t, const std::string&)> onStarted;
};

std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user) {
    auto& exchange = *static_cast<Exchange*>(user);
    const std::size_t bytes = size * count;
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

SongTransfer::~SongTransfer() {
    stop();
}

void SongTransfer::start(const std::string& url, const std::string& path) {
    stop();
    {
        std::lock_guard lock(m_mutex);
        m_status = TransferStatus{TransferState::Started, path};
        m_running = true;
    }
    m_received.store(0);
    m_transfer = std::jthread([this, url, partial = path + ";"](std::stop_token stop) {
        transferLoop(stop, url, partial);
    });
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
        std::filesystem::remove(partialPath);
        onFinished(0, false);
        return;
    }
    Exchange exchange{easy.get(), file.get(), stop, &m_received, partialPath};
    exchange.onStarted = [this](std::int64_t total, const std::string& name) { onStarted(total, name); };

    CURL* h = easy.get();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, 60L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, 30L);
    curl_easy_setopt(h, CURLOPT_USERAGENT, "vamu");
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &onHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, &exchange);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &onWrite);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &exchange);
    const net::RunResult result = net::runTransfer(h, stop);
    const bool flushed = std::fclose(file.release()) == 0;

    if (stop.stop_requested()) {
        std::filesystem::remove(partialPath);
        onCancelled();
        return;
    }
    onFinished(m_received.load(), result == net::RunResult::Completed && flushed);
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

void SongTransfer::onFinished(std::int64_t bytes, bool complete) {
    std::string fileName;
    std::int64_t total = 0;
    {
        std::lock_guard lock(m_mutex);
        fileName = m_status.fileName;
        total = m_status.totalBytes;
    }
    // A server that announced no size has sent everything when the exchange ended cleanly.
    if (total == 0 && complete) {
        total = bytes;
    }
    bool success = complete && bytes == total && total > 0;
    std::string finalName = fileName;
    if (success && fileName.ends_with(';')) {
        finalName.pop_back();
        std::error_code error;
        std::filesystem::rename(fileName, finalName, error);
        success = !error;
    }
    if (!success) {
        std::error_code error;
        std::filesystem::remove(fileName.ends_with(';') ? fileName : fileName + ";", error);
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
