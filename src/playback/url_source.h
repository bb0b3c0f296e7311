#pragma once
// A stream's bytes fetched over HTTP by a reader thread into a bounded buffer.
//
// The reader fetches ahead of the decoder into a window of the file:
//
//   stream bytes:  0 ......... m_base ===== m_readOffset ===== m_base+size ......... total
//                              |  kept behind  |   fetched ahead  |
//
// It pauses when `kMaxAhead` bytes wait unread and drops the oldest bytes once more than
// `kKeepBehind` lie behind the decoder; a whole song normally fits and stays, so seeking
// back is local. A seek outside the window restarts the fetch there with a Range request.
// A connection that drops after the stream opened is resumed with a Range request.
//
// A sink (the song cache's writer) gets a copy of the file: every fetched byte that
// continues what it has, so bytes past a gap (a seek outside the window) are left out
// unless a later fetch fills the gap. It is finished once it holds as many bytes as the
// server announced, and abandoned otherwise: a size that was not announced (a reply
// that ends with its connection) might be a cut-off song, and replies announcing two
// sizes come from a file that changed between them.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "net/curl_support.h"
#include "playback/byte_source.h"

namespace vamu::playback {

struct UrlSourceLimits {
    std::int64_t maxAhead = 16 << 20;    // unread bytes before the reader pauses
    std::int64_t keepBehind = 16 << 20;  // read bytes kept for seeking back
    // Connection rules shared with every transfer of the program. A song has no overall
    // deadline (the field is ignored); a connection without data for idleTimeout is dropped.
    net::TransferPolicy transfer;
    int maxRetries = 3;  // resumptions in a row that bring no data
    std::chrono::milliseconds retryDelay{500};
};

class UrlSource final : public ByteSource {
public:
    // Starts the reader thread at once. `offset` is the file byte where the stream begins;
    // a stream that does not begin at 0 abandons its sink at once.
    UrlSource(std::string url, std::int64_t offset, UrlSourceLimits limits = {}, std::shared_ptr<ByteSink> sink = {});
    ~UrlSource() override;  // closes

    UrlSource(const UrlSource&) = delete;
    UrlSource& operator=(const UrlSource&) = delete;

    ReadResult read(std::span<std::byte> out, std::stop_token stop) override;
    void seek(std::int64_t offset) override;
    void interrupt() override;
    [[nodiscard]] std::optional<std::int64_t> totalSize() const override;
    void close() override;

private:
    enum class Phase { Fetching, Complete, Failed };
    enum class TransferEnd { Finished, Refused, Dropped, Superseded, Stopped };
    struct Transfer;

    void readerLoop(std::stop_token stop);
    TransferEnd runTransfer(CURL* easy, std::int64_t from, std::uint64_t generation, std::stop_token stop,
                            std::int64_t& received);
    bool acceptResponse(Transfer& transfer);
    bool append(const std::byte* data, std::size_t size, Transfer& transfer);
    void settleTransfer(TransferEnd end, std::int64_t received, int& failures);
    void teeToSink(std::int64_t at, std::span<const std::byte> bytes);
    void finishSinkIfWhole();
    void dropSink();
    [[nodiscard]] bool availableLocked() const;
    void trimLocked();
    void wakeReader();

    static std::size_t onWrite(char* data, std::size_t size, std::size_t count, void* user);
    static std::size_t onHeader(char* data, std::size_t size, std::size_t count, void* user);

    const std::string m_url;
    const std::int64_t m_startOffset;  // file offset of stream byte 0
    const UrlSourceLimits m_limits;
    net::CurlMulti m_multi;  // made before and freed after the reader thread

    mutable std::mutex m_mutex;             // guards every field below
    std::condition_variable_any m_changed;  // data arrived, space freed, phase or generation changed
    std::vector<std::byte> m_data;          // stream bytes [m_base, m_base + size)
    std::int64_t m_base = 0;
    std::int64_t m_readOffset = 0;
    std::optional<std::int64_t> m_total;  // stream bytes, from the response or the end
    Phase m_phase = Phase::Fetching;
    std::uint64_t m_generation = 0;  // bumped by each seek outside the window
    bool m_opened = false;           // a response was accepted once
    bool m_sizeAnnounced = false;    // m_total came from the server, not from where a reply ended
    bool m_sizeChanged = false;      // a later reply announced another size than an earlier one
    bool m_interrupted = false;

    // The reader thread's alone (and close()'s once the reader has ended).
    std::shared_ptr<ByteSink> m_sink;
    std::int64_t m_sinkNext = 0;  // file bytes the sink holds

    std::jthread m_reader;  // last member: starts after every field is ready
};

}  // namespace vamu::playback
