#include "app/resume_record.h"

#include "core/settings.h"
#include "core/user_dirs.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace vamu::app {
namespace {

using Json = nlohmann::json;

// A cover picture is small; anything bigger is not one this program wrote.
constexpr std::uintmax_t kMaxCoverBytes = 8u << 20;

std::filesystem::path coverFile() { return std::filesystem::path(core::cacheHome()) / "vamu" / "last-cover"; }

bool resumeOn() { return core::readSetting(core::setting::kResume) == "1"; }

template <typename T>
T valueOf(const Json& object, const char* name, T fallback) {
    const auto found = object.find(name);
    if (found == object.end()) return fallback;
    if constexpr (std::is_same_v<T, std::string>) {
        return found->is_string() ? found->template get<std::string>() : fallback;
    } else {
        return found->is_number() ? found->template get<T>() : fallback;
    }
}

}  // namespace

std::optional<ResumeRecord> loadResume() {
    if (!resumeOn()) return std::nullopt;
    const Json stored = Json::parse(core::readSetting(core::setting::kLastSong), nullptr, false);
    if (!stored.is_object()) return std::nullopt;
    ResumeRecord record;
    playback::ResumePoint& point = record.point;
    point.song.id = valueOf<std::string>(stored, "id", "");
    point.song.source = valueOf<std::string>(stored, "source", "");
    if (point.song.id.empty() || point.song.source.empty()) return std::nullopt;
    point.song.name = valueOf<std::string>(stored, "name", "");
    point.song.uploader = valueOf<std::string>(stored, "uploader", "");
    point.song.uploaderId = valueOf<long long>(stored, "uploaderId", 0);
    point.song.coverUrl = valueOf<std::string>(stored, "cover", "");
    point.positionSeconds = std::max(0.0, valueOf<double>(stored, "position", 0.0));
    point.lengthSeconds = valueOf<double>(stored, "length", -1.0);
    const std::string from = valueOf<std::string>(stored, "from", "catalogue");
    point.source = from == "collection" ? playback::PlaySource::Collection
                   : from == "likes"    ? playback::PlaySource::Likes
                   : from == "songs"    ? playback::PlaySource::SongList
                                        : playback::PlaySource::Catalogue;
    point.mode = valueOf<int>(stored, "mode", 1) == 2 ? playback::PlayMode::RepeatOne : playback::PlayMode::Advance;
    point.index = valueOf<int>(stored, "index", 1);
    point.channel = valueOf<int>(stored, "channel", 0);
    record.channel.id = valueOf<std::string>(stored, "channelId", "");
    record.channel.name = valueOf<std::string>(stored, "channelName", "");
    record.channel.pageCount = std::max(1, valueOf<int>(stored, "channelPages", 1));
    std::error_code error;
    if (std::filesystem::file_size(coverFile(), error) <= kMaxCoverBytes && !error) {
        std::ifstream file(coverFile(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        point.cover = QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    return record;
}

void storeResume(const ResumeRecord& record) {
    if (!resumeOn()) return;
    const playback::ResumePoint& point = record.point;
    std::error_code ignored;
    if (point.song.id.empty()) {
        core::writeSetting(core::setting::kLastSong, "", core::CreateFolder::Yes);
        std::filesystem::remove(coverFile(), ignored);
        return;
    }
    const auto from = [&] {
        switch (point.source) {
        case playback::PlaySource::Collection:
            return "collection";
        case playback::PlaySource::Likes:
            return "likes";
        case playback::PlaySource::SongList:
            return "songs";
        case playback::PlaySource::Catalogue:
            break;
        }
        return "catalogue";
    }();
    const Json stored = {
        {"id", point.song.id},
        {"source", point.song.source},
        {"name", point.song.name},
        {"uploader", point.song.uploader},
        {"uploaderId", point.song.uploaderId},
        {"cover", point.song.coverUrl},
        {"position", point.positionSeconds},
        {"length", point.lengthSeconds},
        {"from", from},
        {"mode", point.mode == playback::PlayMode::RepeatOne ? 2 : 1},
        {"index", point.index},
        {"channel", point.channel},
        {"channelId", record.channel.id},
        {"channelName", record.channel.name},
        {"channelPages", record.channel.pageCount},
    };
    // One line: the settings file's lines end at a line break, which dump() never writes.
    core::writeSetting(core::setting::kLastSong, stored.dump(-1, ' ', false, Json::error_handler_t::replace),
                       core::CreateFolder::Yes);
    std::filesystem::create_directories(coverFile().parent_path(), ignored);
    std::ofstream(coverFile(), std::ios::binary | std::ios::trunc)
        .write(point.cover.constData(), static_cast<std::streamsize>(point.cover.size()));
}

}  // namespace vamu::app
