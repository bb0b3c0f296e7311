#include "toolkit/key_atoms.h"

#include <mutex>
#include <shared_mutex>
#include <unordered_map>
#include <vector>

namespace vamu::toolkit {

namespace {

constexpr unsigned char foldAscii(unsigned char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

class AtomTable {
public:
    std::optional<KeyAtom> find(std::string_view key) const {
        std::shared_lock lock(m_mutex);
        if (auto it = m_atoms.find(key); it != m_atoms.end()) return it->second;
        return std::nullopt;
    }

    KeyAtom intern(std::string_view key) {
        if (key.empty() || key.size() > kKeyAtomMaxLength) return kNoKeyAtom;
        if (auto found = find(key)) return *found;
        std::unique_lock lock(m_mutex);
        // Another thread may have interned it between the two locks.
        if (auto it = m_atoms.find(key); it != m_atoms.end()) return it->second;
        if (m_texts.size() >= kKeyAtomCapacity) return kNoKeyAtom;
        const auto atom = static_cast<KeyAtom>(kFirstKeyAtom + m_texts.size());
        m_texts.emplace_back(key);
        m_atoms.emplace(std::string(key), atom);
        return atom;
    }

    std::optional<std::string> text(KeyAtom atom) const {
        if (atom < kFirstKeyAtom) return std::nullopt;
        std::shared_lock lock(m_mutex);
        const std::size_t slot = atom - kFirstKeyAtom;
        if (slot >= m_texts.size()) return std::nullopt;
        return m_texts[slot];
    }

    std::size_t size() const {
        std::shared_lock lock(m_mutex);
        return m_texts.size();
    }

private:
    mutable std::shared_mutex m_mutex;
    // Both guarded by m_mutex.
    std::unordered_map<std::string, KeyAtom, CaseInsensitiveHash, CaseInsensitiveEqual> m_atoms;
    std::vector<std::string> m_texts;  // slot = atom - kFirstKeyAtom
};

AtomTable& table() {
    static AtomTable instance;
    return instance;
}

}  // namespace

std::size_t CaseInsensitiveHash::operator()(std::string_view text) const noexcept {
    // FNV-1a over the folded bytes.
    std::size_t hash = 14695981039346656037ull;
    for (char c : text) {
        hash ^= foldAscii(static_cast<unsigned char>(c));
        hash *= 1099511628211ull;
    }
    return hash;
}

bool CaseInsensitiveEqual::operator()(std::string_view a, std::string_view b) const noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (foldAscii(static_cast<unsigned char>(a[i])) != foldAscii(static_cast<unsigned char>(b[i]))) return false;
    }
    return true;
}

KeyAtom keyAtom(std::string_view key) { return table().intern(key); }

std::optional<KeyAtom> findKeyAtom(std::string_view key) { return table().find(key); }

std::optional<std::string> keyAtomText(KeyAtom atom) { return table().text(atom); }

std::size_t keyAtomCount() { return table().size(); }

}  // namespace vamu::toolkit
