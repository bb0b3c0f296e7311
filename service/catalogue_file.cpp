// The catalogue file: one JSON document holding the whole generated catalogue.

#include "catalogue.h"
#include "file_util.h"

#include <nlohmann/json.hpp>

namespace vamu::service {
namespace {

using nlohmann::json;

json toJson(const Song& song) {
    json comments = json::array();
    for (const auto& c : song.comments) comments.push_back({{"user", c.userId}, {"text", c.content}});
    return {{"id", song.id},
            {"name", song.name},
            {"user", song.userId},
            {"seconds", song.seconds},
            {"created", song.createTime},
            {"info", song.info},
            {"plays", song.plays},
            {"seed", song.seed},
            {"audio", song.audio},
            {"comments", std::move(comments)}};
}

Song songFromJson(const json& j) {
    Song song;
    song.id = j.at("id").get<Id>();
    song.name = j.at("name").get<std::string>();
    song.userId = j.at("user").get<Id>();
    song.seconds = j.at("seconds").get<int>();
    song.createTime = j.at("created").get<std::int64_t>();
    song.info = j.at("info").get<std::string>();
    song.plays = j.at("plays").get<int>();
    song.seed = j.at("seed").get<std::uint64_t>();
    song.audio = j.at("audio").get<Id>();
    for (const auto& c : j.at("comments")) {
        song.comments.push_back({c.at("user").get<Id>(), c.at("text").get<std::string>()});
    }
    return song;
}

json toJson(const CatalogueData& data) {
    json users = json::array();
    for (const auto& u : data.users) users.push_back({{"id", u.id}, {"name", u.name}});
    json channels = json::array();
    for (const auto& c : data.channels) {
        channels.push_back({{"id", c.id}, {"name", c.name}, {"hot", c.hot}, {"songs", c.songIds}});
    }
    json songs = json::array();
    for (const auto& s : data.songs) songs.push_back(toJson(s));
    return {{"format", kCatalogueFormat},
            {"size", catalogueSizeName(data.size)},
            {"users", std::move(users)},
            {"channels", std::move(channels)},
            {"songs", std::move(songs)},
            {"demo",
             {{"phone", data.demo.phone},
              {"password", data.demo.password},
              {"user", data.demo.userId},
              {"likes", data.demo.likes}}}};
}

CatalogueData catalogueFromJson(const json& j) {
    CatalogueData data;
    if (j.at("format").get<int>() != kCatalogueFormat) throw std::runtime_error("unknown catalogue format");
    const auto size = catalogueSizeFromName(j.at("size").get<std::string>());
    if (!size) throw std::runtime_error("unknown catalogue size");
    data.size = *size;
    for (const auto& u : j.at("users")) data.users.push_back({u.at("id").get<Id>(), u.at("name").get<std::string>()});
    for (const auto& c : j.at("channels")) {
        data.channels.push_back({c.at("id").get<Id>(), c.at("name").get<std::string>(), c.at("hot").get<int>(),
                                 c.at("songs").get<std::vector<Id>>()});
    }
    for (const auto& s : j.at("songs")) data.songs.push_back(songFromJson(s));
    const auto& demo = j.at("demo");
    data.demo = {demo.at("phone").get<std::string>(), demo.at("password").get<std::string>(), demo.at("user").get<Id>(),
                 demo.at("likes").get<std::vector<Id>>()};
    return data;
}

}  // namespace

std::optional<CatalogueData> loadCatalogueFile(const std::filesystem::path& file, std::string& error) {
    const auto text = readWholeFile(file);
    if (!text) {
        error = "cannot read " + file.string();
        return std::nullopt;
    }
    const auto document = json::parse(*text, nullptr, false);
    if (document.is_discarded()) {
        error = file.string() + " is not JSON";
        return std::nullopt;
    }
    try {
        return catalogueFromJson(document);
    } catch (const std::exception& e) {
        error = file.string() + ": " + e.what();
        return std::nullopt;
    }
}

std::optional<CatalogueFileHeader> readCatalogueFileHeader(const std::filesystem::path& file) {
    const auto text = readWholeFile(file);
    if (!text) return std::nullopt;
    const auto document = json::parse(*text, nullptr, false);
    if (document.is_discarded() || !document.is_object()) return std::nullopt;
    const auto format = document.find("format");
    const auto sizeName = document.find("size");
    if (format == document.end() || !format->is_number_integer() || sizeName == document.end() ||
        !sizeName->is_string()) {
        return std::nullopt;
    }
    const auto size = catalogueSizeFromName(sizeName->get<std::string>());
    if (!size) return std::nullopt;
    return CatalogueFileHeader{format->get<int>(), *size};
}

bool saveCatalogueFile(const CatalogueData& data, const std::filesystem::path& file, std::string& error) {
    return writeFileAtomically(file, toJson(data).dump(1), error);
}

}  // namespace vamu::service
