#pragma once
// Where a stream's encoded bytes come from. The stream's decoder thread is the only
// reader; `interrupt` may be called from any thread to wake a blocked read.
// Offsets count bytes from the start of the stream (the creation offset is already applied).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <vector>

namespace vamu::playback {

enum class ReadStatus {
    Data,         // `bytes` > 0 were copied
    End,          // the stream has no more bytes at this offset
    Failed,       // the bytes cannot be had (network failure, read error)
    Interrupted,  // `interrupt` was called; nothing was read
    Stopped,      // the stop token was triggered
};

struct ReadResult {
    ReadStatus status = ReadStatus::End;
    std::size_t bytes = 0;
};

class ByteSource {
public:
    virtual ~ByteSource() = default;

    // Blocks until bytes at the read offset are available, the data ends, or the
    // read is interrupted or stopped. Advances the read offset by the bytes copied.
    virtual ReadResult read(std::span<std::byte> out, std::stop_token stop) = 0;
    // Moves the read offset; a network source fetches from there if it must.
    virtual void seek(std::int64_t offset) = 0;
    // Makes a blocked (or the next) read return Interrupted. Any thread.
    virtual void interrupt() = 0;
    // Size of the whole stream in bytes, when known.
    [[nodiscard]] virtual std::optional<std::int64_t> totalSize() const = 0;
    // Stops any background fetching for good and waits for it; called once, before
    // destruction, while other threads may still call `interrupt`.
    virtual void close() {}
};

// Where a URL stream copies what it fetched (the song cache): the file's bytes from
// offset 0, each once and in order. Called on the stream's reader thread only, never
// under the stream's locks. The stream ends every sink with exactly one of finish (all
// `size` bytes were written) or abandon (the file will not be whole: the stream began
// at an offset, failed, or was closed first; drop what came). One sink serves one stream.
class ByteSink {
public:
    virtual ~ByteSink() = default;

    // The next bytes of the file. False: the sink takes nothing more (it is abandoned).
    virtual bool write(std::span<const std::byte> bytes) = 0;
    virtual void finish(std::int64_t size) = 0;
    virtual void abandon() = 0;
};

// A copy of a memory block; the caller's block may go away after creation.
[[nodiscard]] std::unique_ptr<ByteSource> makeMemorySource(std::span<const std::byte> block, std::int64_t offset);

// A file on disk, read as needed. Nullptr when the file cannot be opened or the
// offset lies beyond its end.
[[nodiscard]] std::unique_ptr<ByteSource> makeFileSource(const std::string& path, std::int64_t offset);

}  // namespace vamu::playback
