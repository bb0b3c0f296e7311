#include "playback/song_cache.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <list>
#include <mutex>
#include <string_view>
#include <utility>
#include <vector>

#include "core/user_dirs.h"
#include "playback/pcm_decoder.h"

namespace vamu::playback {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kIndexName = "index";
constexpr std::string_view kIndexTempName = "index.tmp";
constexpr std::string_view kIndexHeader = "vamu song cache 1";
constexpr std::string_view kSongSuffix = ".mp3";
constexpr std::string_view kPartSuffix = ".part";
constexpr std::size_t kMaxIdLength = 64;
constexpr std::size_t kMaxUrlLength = 4096;
constexpr std::uintmax_t kMaxIndexBytes = 4 << 20;
// What the engine reads at most before a song's first frame (a large tag with a picture).
constexpr std::int64_t kMaxProbeBytes = 8 << 20;
constexpr std::size_t kProbeChunkBytes = 16 * 1024;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Ids become file names: only letters, digits, '-' and '_' (the service's are digits).
bool plainId(std::string_view id) {
    return !id.empty() && id.size() <= kMaxIdLength && std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_';
    });
}

bool storableUrl(std::string_view url) {
    return !url.empty() && url.size() <= kMaxUrlLength && url.find_first_of("\t\r\n") == std::string_view::npos;
}

void removeQuietly(const fs::path& path) {
    std::error_code error;
    fs::remove(path, error);
}

std::optional<std::int64_t> positiveNumber(std::string_view text) {
    std::int64_t value = 0;
    if (text.empty() || text.size() > 18) return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value > 0 ? std::optional(value) : std::nullopt;
}

// Whether the file's first frames decode as a stream of the engine decodes them: the
// same decoder, chosen the same way, must give sound before kMaxProbeBytes.
bool decodesAsAudio(const fs::path& path, std::int64_t size) {
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return false;
    std::vector<std::byte> input(kProbeChunkBytes);
    std::vector<std::byte> pcm(kProbeChunkBytes);
    std::unique_ptr<PcmDecoder> decoder;
    std::int64_t fed = 0;
    bool ended = false;
    for (;;) {
        if (decoder) {
            const DecodeStep step = decoder->decode(pcm);
            if (step.status == DecodeStatus::Output) {
                if (step.bytes > 0) return true;
                continue;  // the format just became known
            }
            if (step.status != DecodeStatus::NeedInput || ended) return false;
        }
        if (fed >= kMaxProbeBytes) return false;
        const std::size_t got = std::fread(input.data(), 1, input.size(), file.get());
        const auto bytes = std::span<const std::byte>(input).first(got);
        if (!decoder) {
            if (got == 0) return false;
            decoder = looksLikeWave(bytes.first(std::min<std::size_t>(got, 12))) ? makeWaveDecoder() : makeMp3Decoder();
            decoder->setInputSize(size);
        }
        decoder->feed(bytes);
        fed += static_cast<std::int64_t>(got);
        if (got < input.size()) {
            decoder->endOfInput();
            ended = true;
        }
    }
}

std::optional<std::string> readIndexText(const fs::path& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size > kMaxIndexBytes) return std::nullopt;
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) return std::nullopt;
    std::string text(static_cast<std::size_t>(size), '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file.get()));
    return text;
}

}  // namespace

struct SongCache::State {
    struct Entry {
        std::string id;
        std::int64_t size = 0;
        std::string url;
    };

    explicit State(std::string folderPath) : folder(std::move(folderPath)) {}

    const fs::path folder;
    std::mutex mutex;              // guards the fields below and every change to the song files
    std::list<Entry> entries;      // least recently played first
    std::int64_t used = 0;         // the entries' sizes added up
    std::int64_t limit = 0;        // bytes; 0 off
    std::uint64_t generation = 0;  // bumped by clear: writers begun before it are not kept

    [[nodiscard]] fs::path songPath(std::string_view id) const {
        return folder / (std::string(id) + std::string(kSongSuffix));
    }

    std::list<Entry>::iterator findLocked(std::string_view id) {
        return std::find_if(entries.begin(), entries.end(), [&](const Entry& entry) { return entry.id == id; });
    }

    void forgetLocked(std::list<Entry>::iterator entry) {
        removeQuietly(songPath(entry->id));
        used -= entry->size;
        entries.erase(entry);
    }

    // True when songs went.
    bool evictLocked() {
        bool evicted = false;
        while (used > limit && !entries.empty()) {
            forgetLocked(entries.begin());
            evicted = true;
        }
        return evicted;
    }

    // Written whole under another name and renamed, so a crash leaves the old index or the
    // new one. Not synced: a lost update only costs the play order or a song, never a wrong one.
    void saveIndexLocked() {
        std::error_code error;
        if (entries.empty()) {
            removeQuietly(folder / kIndexName);
            return;
        }
        fs::create_directories(folder, error);
        std::string text = std::string(kIndexHeader) + "\n";
        for (const Entry& entry : entries) {
            text += entry.id + "\t" + std::to_string(entry.size) + "\t" + entry.url + "\n";
        }
        const fs::path temp = folder / kIndexTempName;
        File file(std::fopen(temp.c_str(), "wb"));
        const bool written = file && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size() &&
                             std::fclose(file.release()) == 0;
        if (written) fs::rename(temp, folder / kIndexName, error);
        if (!written || error) removeQuietly(temp);
    }

    void loadLocked() {
        const std::optional<std::string> text = readIndexText(folder / kIndexName);
        std::string_view rest = text ? std::string_view(*text) : std::string_view();
        const auto nextLine = [&] {
            const std::size_t end = std::min(rest.find('\n'), rest.size());
            const std::string_view line = rest.substr(0, end);
            rest.remove_prefix(std::min(end + 1, rest.size()));
            return line;
        };
        bool changed = false;
        if (nextLine() == kIndexHeader) {
            while (!rest.empty()) {
                const std::string_view line = nextLine();
                const std::size_t tab1 = line.find('\t');
                const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
                if (tab2 == std::string_view::npos) {
                    changed = true;
                    continue;
                }
                const std::string_view id = line.substr(0, tab1);
                const std::optional<std::int64_t> size = positiveNumber(line.substr(tab1 + 1, tab2 - tab1 - 1));
                const std::string_view url = line.substr(tab2 + 1);
                std::error_code error;
                if (!plainId(id) || !size || !storableUrl(url) ||
                    fs::file_size(songPath(id), error) != static_cast<std::uintmax_t>(*size) || error) {
                    changed = true;
                    continue;
                }
                if (const auto older = findLocked(id); older != entries.end()) {
                    used -= older->size;
                    entries.erase(older);
                }
                entries.push_back({std::string(id), *size, std::string(url)});
                used += *size;
            }
        }
        changed = removeStrangersLocked() || changed;
        changed = evictLocked() || changed;
        if (changed) saveIndexLocked();
    }

    // Song files the index does not name and leftover temporary files. Only names of the
    // cache's own patterns are touched.
    bool removeStrangersLocked() {
        std::error_code error;
        bool removed = false;
        for (const fs::directory_entry& file : fs::directory_iterator(folder, error)) {
            const std::string name = file.path().filename().string();
            const bool part = name.ends_with(kPartSuffix) || name == kIndexTempName;
            const bool stranger = name.ends_with(kSongSuffix) &&
                                  findLocked(name.substr(0, name.size() - kSongSuffix.size())) == entries.end();
            if ((part || stranger) && file.is_regular_file(error)) {
                removeQuietly(file.path());
                removed = true;
            }
        }
        return removed;
    }

    void clearLocked() {
        ++generation;
        while (!entries.empty()) forgetLocked(entries.begin());
        removeStrangersLocked();
        removeQuietly(folder / kIndexName);
    }

    // A writer hands in its whole temporary file (a reader thread).
    void commit(const std::string& id, const std::string& url, const fs::path& temp, std::int64_t size,
                std::uint64_t writerGeneration) {
        std::lock_guard lock(mutex);
        if (writerGeneration != generation || size > limit) {
            removeQuietly(temp);
            return;
        }
        // The old entry goes from the index before its file is replaced, so that no index
        // ever names the new file with the old address and size.
        if (const auto older = findLocked(id); older != entries.end()) {
            used -= older->size;
            entries.erase(older);
            saveIndexLocked();
        }
        std::error_code error;
        fs::rename(temp, songPath(id), error);
        if (error) {
            removeQuietly(temp);
            removeQuietly(songPath(id));
            return;
        }
        entries.push_back({id, size, url});
        used += size;
        evictLocked();
        saveIndexLocked();
    }
};

namespace {

// A song on its way into the cache: a temporary file of its own, handed in when whole.
// The reader thread of one stream alone calls it.
class SongWriter final : public ByteSink {
public:
    SongWriter(std::shared_ptr<SongCache::State> state, std::string id, std::string url, std::uint64_t generation)
        : m_state(std::move(state)), m_id(std::move(id)), m_url(std::move(url)), m_generation(generation) {}
    ~SongWriter() override { abandon(); }
    SongWriter(const SongWriter&) = delete;
    SongWriter& operator=(const SongWriter&) = delete;

    bool write(std::span<const std::byte> bytes) override {
        if (m_ended) return false;
        if (!m_file && !open()) {
            abandon();
            return false;
        }
        if (std::fwrite(bytes.data(), 1, bytes.size(), m_file.get()) != bytes.size()) {
            abandon();
            return false;
        }
        m_written += static_cast<std::int64_t>(bytes.size());
        return true;
    }

    void finish(std::int64_t size) override {
        if (m_ended || !m_file) {
            abandon();
            return;
        }
        // Synced before the rename: after a power cut the name holds the whole song or nothing.
        bool whole = m_written == size && std::fflush(m_file.get()) == 0 && ::fsync(::fileno(m_file.get())) == 0;
        whole = std::fclose(m_file.release()) == 0 && whole;
        if (!whole) {
            abandon();
            return;
        }
        m_ended = true;
        m_state->commit(m_id, m_url, std::exchange(m_temp, {}), size, m_generation);
    }

    void abandon() override {
        m_ended = true;
        m_file.reset();
        if (!m_temp.empty()) removeQuietly(std::exchange(m_temp, {}));
    }

private:
    bool open() {
        static std::atomic<std::uint64_t> counter{0};
        std::error_code error;
        fs::create_directories(m_state->folder, error);
        m_temp = m_state->folder /
                 (m_id + "." + std::to_string(::getpid()) + "-" + std::to_string(++counter) + std::string(kPartSuffix));
        m_file.reset(std::fopen(m_temp.c_str(), "wb"));
        return m_file != nullptr;
    }

    const std::shared_ptr<SongCache::State> m_state;
    const std::string m_id;
    const std::string m_url;
    const std::uint64_t m_generation;
    File m_file;
    fs::path m_temp;  // empty until the first write and after it was handed in or removed
    std::int64_t m_written = 0;
    bool m_ended = false;
};

}  // namespace

std::string songCacheFolder() { return core::cacheHome() + "/vamu/songs"; }

SongCache::SongCache(std::string folder, std::int64_t limitBytes)
    : m_folder(std::move(folder)), m_state(std::make_shared<State>(m_folder)) {
    std::lock_guard lock(m_state->mutex);
    m_state->limit = std::max<std::int64_t>(limitBytes, 0);
    if (m_state->limit == 0) {
        m_state->clearLocked();
    } else {
        m_state->loadLocked();
    }
}

SongCache::~SongCache() = default;

std::optional<std::string> SongCache::fileToPlay(const std::string& id, const std::string& url) {
    return checkedFile(id, url, Use::Play);
}

std::optional<std::string> SongCache::fileToCopy(const std::string& id, const std::string& url) {
    return checkedFile(id, url, Use::Copy);
}

std::optional<std::string> SongCache::checkedFile(const std::string& id, const std::string& url, Use use) {
    State& state = *m_state;
    std::lock_guard lock(state.mutex);
    const auto entry = state.findLocked(id);
    if (state.limit == 0 || entry == state.entries.end() || entry->url != url) return std::nullopt;
    const fs::path path = state.songPath(id);
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error || size != static_cast<std::uintmax_t>(entry->size) || !decodesAsAudio(path, entry->size)) {
        state.forgetLocked(entry);
        state.saveIndexLocked();
        return std::nullopt;
    }
    if (use == Use::Play) {
        state.entries.splice(state.entries.end(), state.entries, entry);
        state.saveIndexLocked();
    }
    return path.string();
}

std::shared_ptr<ByteSink> SongCache::writer(const std::string& id, const std::string& url) {
    std::lock_guard lock(m_state->mutex);
    if (m_state->limit == 0 || !plainId(id) || !storableUrl(url)) return nullptr;
    return std::make_shared<SongWriter>(m_state, id, url, m_state->generation);
}

void SongCache::setLimit(std::int64_t bytes) {
    std::lock_guard lock(m_state->mutex);
    m_state->limit = std::max<std::int64_t>(bytes, 0);
    if (m_state->limit == 0) {
        m_state->clearLocked();
    } else if (m_state->evictLocked()) {
        m_state->saveIndexLocked();
    }
}

void SongCache::clear() {
    std::lock_guard lock(m_state->mutex);
    m_state->clearLocked();
}

std::int64_t SongCache::limit() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->limit;
}

std::int64_t SongCache::usedBytes() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->used;
}

}  // namespace vamu::playback
