#pragma once
// Fixed-capacity ring of decoded PCM bytes between a stream's decoder and the mixer.
// Not synchronised: the owning stream guards it with its own mutex.
//
//   m_storage: [....readable....|....free....|..readable..]
//                              ^ m_tail (write)  ^ m_head (read)
//   readable bytes run from m_head, wrapping, for m_size bytes.

#include <cstddef>
#include <span>
#include <vector>

namespace vamu::playback {

class PcmRing {
public:
    explicit PcmRing(std::size_t capacity);

    // Copies as much of `data` as fits; returns the bytes taken.
    std::size_t write(std::span<const std::byte> data);
    // Moves up to `out.size()` bytes out; returns the bytes given.
    std::size_t read(std::span<std::byte> out);
    void clear();

    [[nodiscard]] std::size_t size() const { return m_size; }
    [[nodiscard]] std::size_t capacity() const { return m_storage.size(); }
    [[nodiscard]] std::size_t freeSpace() const { return m_storage.size() - m_size; }

private:
    std::vector<std::byte> m_storage;
    std::size_t m_head = 0;  // index of the oldest readable byte
    std::size_t m_size = 0;
};

}  // namespace vamu::playback
