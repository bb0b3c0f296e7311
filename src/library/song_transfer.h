#pragma once
// Downloads one song URL into one file in the background and reports its progress, or
// copies a song that is already on disk (the song cache's file) the same way.
//
// The bytes go to the partial file "<path>;" while they arrive; only a complete transfer
// is renamed to <path>, and a failed or cancelled one deletes its partial file, so the
// target name never holds half a song. An existing file of either name is overwritten.
// A song whose size the server did not announce is kept only when its end is certain (a
// chunked reply that arrived with its closing chunk); one that merely ends with the
// connection may have been cut off, so it fails. Every file operation reports failure as
// state Failed (a name the system refuses, a folder that cannot be reached); none throws.
//
// Threads: start, status, running and stop may be called from any thread. The transfer
// runs on its own thread; a monitor thread copies the received byte count into the
// status once a second while the transfer runs. The status is guarded by one mutex.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "net/transfer_policy.h"

namespace vamu::library {

enum class TransferState {
    Idle = 0,       // nothing started yet
    Started = 1,    // start was called; no response yet
    Receiving = 2,  // the server answered; the size is known (0 when not announced)
    Finished = 3,   // the whole file arrived and has its final name
    Failed = 4,     // error, short transfer or cancellation; the partial file is gone
};

struct TransferStatus {
    TransferState state = TransferState::Idle;
    std::string fileName;         // the file being written; the final name once finished
    std::int64_t totalBytes = 0;  // size announced by the server, 0 until then
    std::int64_t doneBytes = 0;   // bytes received, refreshed once a second and at the end
};

class SongTransfer {
public:
    // `policy` supplies the connection rules (tests give a CA file); its redirect rule
    // follows each URL's scheme, and a download has no overall deadline.
    explicit SongTransfer(net::TransferPolicy policy = {}) : m_policy(std::move(policy)) {}
    ~SongTransfer();  // stops a running transfer

    SongTransfer(const SongTransfer&) = delete;
    SongTransfer& operator=(const SongTransfer&) = delete;

    // Begins the download and returns at once; a transfer still running is stopped first.
    void start(const std::string& url, const std::string& path);
    // As start, with the bytes read from the file `from` instead of a server.
    void copy(const std::string& from, const std::string& path);
    [[nodiscard]] TransferStatus status() const;
    [[nodiscard]] bool running() const;
    // Cancels a running transfer (state Failed, partial file deleted) and waits for its
    // threads; libcurl notices within about a second. Does nothing when none runs.
    void stop();

private:
    enum class End { Failed, Complete, CompleteChunked };

    void begin(const std::string& path, std::function<void(std::stop_token, const std::string&)> work);
    void transferLoop(std::stop_token stop, std::string url, std::string partialPath);
    void copyLoop(std::stop_token stop, const std::string& from, const std::string& partialPath);
    void monitorLoop(std::stop_token stop);
    // Events of the transfer thread.
    void onStarted(std::int64_t totalBytes, const std::string& fileName);
    void onFinished(std::int64_t bytes, End end);
    void onCancelled();

    const net::TransferPolicy m_policy;
    mutable std::mutex m_mutex;  // guards m_status and m_running
    std::condition_variable_any m_monitorWake;
    TransferStatus m_status;
    bool m_running = false;
    std::atomic<std::int64_t> m_received{0};  // written by the transfer thread

    std::jthread m_transfer;
    std::jthread m_monitor;
};

}  // namespace vamu::library
