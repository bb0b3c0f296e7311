#include "playback/pcm_ring.h"

#include <algorithm>
#include <cstring>

namespace vamu::playback {

PcmRing::PcmRing(std::size_t capacity) : m_storage(capacity) {}

std::size_t PcmRing::write(std::span<const std::byte> data) {
    const std::size_t count = std::min(data.size(), freeSpace());
    const std::size_t tail = (m_head + m_size) % m_storage.size();
    const std::size_t first = std::min(count, m_storage.size() - tail);
    std::memcpy(m_storage.data() + tail, data.data(), first);
    std::memcpy(m_storage.data(), data.data() + first, count - first);
    m_size += count;
    return count;
}

std::size_t PcmRing::read(std::span<std::byte> out) {
    const std::size_t count = std::min(out.size(), m_size);
    const std::size_t first = std::min(count, m_storage.size() - m_head);
    std::memcpy(out.data(), m_storage.data() + m_head, first);
    std::memcpy(out.data() + first, m_storage.data(), count - first);
    m_head = (m_head + count) % m_storage.size();
    m_size -= count;
    return count;
}

void PcmRing::clear() {
    m_head = 0;
    m_size = 0;
}

}  // namespace vamu::playback
