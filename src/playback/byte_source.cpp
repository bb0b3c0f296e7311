#include "playback/byte_source.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>

namespace vamu::playback {
namespace {

// Local sources never block, so an interrupt only has to be reported once.
class LocalSource : public ByteSource {
public:
    void interrupt() override { m_interrupted.store(true); }

protected:
    // True when the caller must return Interrupted or Stopped instead of reading.
    [[nodiscard]] std::optional<ReadResult> takeSignal(const std::stop_token& stop) {
        if (stop.stop_requested()) {
            return ReadResult{ReadStatus::Stopped};
        }
        if (m_interrupted.exchange(false)) {
            return ReadResult{ReadStatus::Interrupted};
        }
        return std::nullopt;
    }

private:
    std::atomic<bool> m_interrupted{false};
};

class MemorySource final : public LocalSource {
public:
    explicit MemorySource(std::vector<std::byte> bytes) : m_bytes(std::move(bytes)) {}

    ReadResult read(std::span<std::byte> out, std::stop_token stop) override {
        if (auto signal = takeSignal(stop)) {
            return *signal;
        }
        const auto size = static_cast<std::int64_t>(m_bytes.size());
        if (m_offset >= size) {
            return {ReadStatus::End};
        }
        const auto count = static_cast<std::size_t>(std::min<std::int64_t>(size - m_offset, std::ssize(out)));
        std::memcpy(out.data(), m_bytes.data() + m_offset, count);
        m_offset += static_cast<std::int64_t>(count);
        return {ReadStatus::Data, count};
    }
    void seek(std::int64_t offset) override { m_offset = std::max<std::int64_t>(offset, 0); }
    [[nodiscard]] std::optional<std::int64_t> totalSize() const override { return std::ssize(m_bytes); }

private:
    std::vector<std::byte> m_bytes;
    std::int64_t m_offset = 0;  // decoder thread only
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

class FileSource final : public LocalSource {
public:
    FileSource(std::unique_ptr<std::FILE, FileCloser> file, std::int64_t start, std::int64_t size)
        : m_file(std::move(file)), m_start(start), m_size(size) {}

    ReadResult read(std::span<std::byte> out, std::stop_token stop) override {
        if (auto signal = takeSignal(stop)) {
            return *signal;
        }
        if (m_offset >= m_size) {
            return {ReadStatus::End};
        }
        if (m_needsSeek) {
            if (std::fseek(m_file.get(), static_cast<long>(m_start + m_offset), SEEK_SET) != 0) {
                return {ReadStatus::Failed};
            }
            m_needsSeek = false;
        }
        const auto wanted = static_cast<std::size_t>(std::min<std::int64_t>(m_size - m_offset, std::ssize(out)));
        const std::size_t count = std::fread(out.data(), 1, wanted, m_file.get());
        if (count == 0) {
            // The file shrank under us, or the disk failed: either way nothing more comes.
            return {std::ferror(m_file.get()) ? ReadStatus::Failed : ReadStatus::End};
        }
        m_offset += static_cast<std::int64_t>(count);
        return {ReadStatus::Data, count};
    }
    void seek(std::int64_t offset) override {
        m_offset = std::max<std::int64_t>(offset, 0);
        m_needsSeek = true;
    }
    [[nodiscard]] std::optional<std::int64_t> totalSize() const override { return m_size; }

private:
    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::int64_t m_start = 0;   // file offset of stream byte 0
    std::int64_t m_size = 0;    // stream bytes from m_start to the end of the file
    std::int64_t m_offset = 0;  // decoder thread only
    bool m_needsSeek = true;
};

}  // namespace

std::unique_ptr<ByteSource> makeMemorySource(std::span<const std::byte> block, std::int64_t offset) {
    if (offset < 0 || offset > std::ssize(block)) {
        return nullptr;
    }
    return std::make_unique<MemorySource>(std::vector<std::byte>(block.begin() + offset, block.end()));
}

std::unique_ptr<ByteSource> makeFileSource(const std::string& path, std::int64_t offset) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file || std::fseek(file.get(), 0, SEEK_END) != 0) {
        return nullptr;
    }
    const long size = std::ftell(file.get());
    if (size < 0 || offset < 0 || offset > size) {
        return nullptr;
    }
    return std::make_unique<FileSource>(std::move(file), offset, size - offset);
}

}  // namespace vamu::playback
