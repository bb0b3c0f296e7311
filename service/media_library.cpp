#include "media_library.h"

#include "file_util.h"
#include "mp3_encoder.h"
#include "picture_painter.h"
#include "service_log.h"
#include "song_score.h"

#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

namespace vamu::service {
namespace {

const char* kindFolder(PictureKind kind) {
    switch (kind) {
    case PictureKind::Cover:
        return "cover";
    case PictureKind::Channel:
        return "channel";
    case PictureKind::Avatar:
        return "avatar";
    }
    return "";
}

std::string pictureKey(PictureKind kind, Id id) { return std::string(kindFolder(kind)) + "/" + std::to_string(id); }

// Seeds for pictures that have no seed of their own in the catalogue.
std::uint64_t seedOf(PictureKind kind, Id id) {
    return (static_cast<std::uint64_t>(id) * 0x9E3779B97F4A7C15ull) ^ (static_cast<std::uint64_t>(kind) << 56) ^ 0x5EED;
}

RgbaImage paint(PictureKind kind, std::uint64_t seed) {
    switch (kind) {
    case PictureKind::Cover:
        return paintCover(seed);
    case PictureKind::Channel:
        return paintChannelPicture(seed);
    case PictureKind::Avatar:
        return paintAvatar(seed);
    }
    return {};
}

}  // namespace

MediaLibrary::MediaLibrary(std::filesystem::path dataDirectory, const Catalogue& catalogue, StopSignal& stop)
    : m_directory(std::move(dataDirectory) / "media"), m_catalogue(catalogue), m_stop(stop) {
    for (const Song* s : catalogue.songsByPlays()) {
        if (s->audio != 0) continue;
        auto slot = std::make_unique<Slot>();
        slot->id = s->id;
        m_slotById.emplace(s->id, slot.get());
        m_slots.push_back(std::move(slot));
    }
    // A version plays its original's file; one whose original has no music of its own has none.
    for (const Song* s : catalogue.songsByPlays()) {
        if (s->audio == 0) continue;
        if (const auto original = m_slotById.find(s->audio); original != m_slotById.end()) {
            m_slotById.emplace(s->id, original->second);
        }
    }
}

MediaLibrary::~MediaLibrary() {
    for (auto& worker : m_workers) worker.request_stop();
    m_workers.clear();  // joins
}

bool MediaLibrary::prepareFolders(std::string& error) {
    std::error_code ec;
    for (const char* folder : {"cover", "channel", "avatar", "sound"})
        std::filesystem::create_directories(m_directory / folder, ec);
    if (ec) {
        error = "cannot create " + m_directory.string() + ": " + ec.message();
        return false;
    }
    return true;
}

std::shared_ptr<const std::string> MediaLibrary::picture(PictureKind kind, Id id) {
    std::optional<std::uint64_t> seed;
    switch (kind) {
    case PictureKind::Cover:
        if (const Song* song = m_catalogue.song(id)) seed = song->seed;
        break;
    case PictureKind::Channel:
        if (m_catalogue.channel(id)) seed = seedOf(kind, id);
        break;
    case PictureKind::Avatar:
        if (m_catalogue.user(id) || id == kDefaultAvatarId) seed = seedOf(kind, id);
        break;
    }
    if (!seed) return nullptr;
    const auto key = pictureKey(kind, id);
    std::lock_guard lock(m_pictureMutex);
    if (const auto it = m_pictures.find(key); it != m_pictures.end()) return it->second;
    // A picture takes a few milliseconds to paint; making it under the lock keeps it simple.
    const auto file = m_directory / kindFolder(kind) / (std::to_string(id) + ".png");
    auto bytes = readWholeFile(file);
    if (!bytes || bytes->empty()) {
        bytes = encodePng(paint(kind, *seed));
        std::string error;
        if (!writeFileAtomically(file, *bytes, error, Durability::Replaceable))
            logLine(error);  // still served from memory
    }
    auto shared = std::make_shared<const std::string>(std::move(*bytes));
    m_pictures.emplace(key, shared);
    return shared;
}

MediaLibrary::Slot* MediaLibrary::slot(Id id) {
    const auto it = m_slotById.find(id);
    return it == m_slotById.end() ? nullptr : it->second;
}

std::filesystem::path MediaLibrary::songPath(Id id) const {
    return m_directory / "sound" / (std::to_string(id) + ".mp3");
}

std::optional<SongFile> MediaLibrary::song(Id id) {
    Slot* s = slot(id);
    if (!s) return std::nullopt;
    const Song* record = m_catalogue.song(s->id);  // the song whose music it is
    if (!record) return std::nullopt;
    const auto path = songPath(s->id);
    if (const auto size = s->size.load(); size >= 0) return SongFile{path, size};

    std::lock_guard lock(s->mutex);
    if (const auto size = s->size.load(); size >= 0) return SongFile{path, size};
    std::error_code ec;
    // Files are written whole under their final name, so one that exists is complete.
    if (const auto existing = std::filesystem::file_size(path, ec); !ec && existing > 0) {
        s->size.store(static_cast<std::int64_t>(existing));
        ++m_readyCount;
        return SongFile{path, static_cast<std::int64_t>(existing)};
    }
    SongSynth synth(composeSong(record->seed, record->seconds));
    const auto mp3 = encodeMp3(synth, m_stop.token());
    std::string error;
    if (!mp3 || !writeFileAtomically(path, *mp3, error, Durability::Replaceable)) {
        if (!error.empty()) logLine(error);
        return std::nullopt;
    }
    s->size.store(static_cast<std::int64_t>(mp3->size()));
    ++m_readyCount;
    return SongFile{path, static_cast<std::int64_t>(mp3->size())};
}

void MediaLibrary::startBackgroundGeneration(int threads) {
    auto progress = std::make_shared<Progress>();
    progress->running = threads;
    progress->started = std::chrono::steady_clock::now();
    for (int i = 0; i < threads; ++i) {
        m_workers.emplace_back([this, progress](std::stop_token stop) { generateMissing(stop, *progress); });
    }
}

void MediaLibrary::generateMissing(std::stop_token stop, Progress& progress) {
    // Requests for songs come first: these workers yield the processor to them.
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 19);
    for (;;) {
        const auto index = progress.next.fetch_add(1);
        if (index >= m_slots.size() || stop.stop_requested() || m_stop.stopped()) break;
        (void)song(m_slots[index]->id);
    }
    if (progress.running.fetch_sub(1) == 1 && m_readyCount.load() == static_cast<int>(m_slots.size())) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - progress.started).count();
        char line[96];
        std::snprintf(line, sizeof line, "songs ready: %zu MP3 files (%.1f s)", m_slots.size(), seconds);
        logLine(line);
    }
}

}  // namespace vamu::service
