#include "json_replies.h"

#include "core/text_encoding.h"

#include "media_library.h"
#include "service_names.h"
#include "whole_number.h"

#include <vector>

namespace vamu::service {

std::string MediaUrls::cover(Id song) const {
    return m_base + std::string(path::kCoverPrefix) + std::to_string(song) + ".png";
}
std::string MediaUrls::channelPicture(Id channel) const {
    return m_base + std::string(path::kChannelPicturePrefix) + std::to_string(channel) + ".png";
}
std::string MediaUrls::avatar(Id user) const {
    return m_base + std::string(path::kAvatarPrefix) + std::to_string(user) + ".png";
}
std::string MediaUrls::sound(Id song) const {
    return m_base + std::string(path::kSoundPrefix) + std::to_string(song) + ".mp3";
}

Json userJson(Id id, std::string_view name, const MediaUrls& urls) {
    return {{member::kId, id}, {member::kName, name}, {member::kAvatar50, urls.avatar(id)}};
}

Json songJson(const Song& song, const Catalogue& catalogue, const MediaUrls& urls) {
    const User* uploader = catalogue.user(song.userId);
    Json user = uploader ? userJson(uploader->id, uploader->name, urls) : userJson(song.userId, "", urls);
    if (!uploader) user[member::kAvatar50] = urls.avatar(kDefaultAvatarId);
    return {{member::kId, song.id},
            {member::kName, song.name},
            {member::kSource, urls.sound(song.id)},
            {member::kPic100, urls.cover(song.id)},
            {member::kUserId, song.userId},
            {member::kUser, std::move(user)},
            {member::kDuration, song.seconds},
            {member::kCreateTime, song.createTime},
            {member::kPlayCount, song.plays},
            {member::kCommentCount, song.comments.size()}};
}

Json channelJson(const Channel& channel, const MediaUrls& urls) {
    return {{member::kId, channel.id},
            {member::kName, channel.name},
            {member::kPic100, urls.channelPicture(channel.id)},
            {member::kSoundCount, channel.songIds.size()}};
}

Json succeeded(Json result, std::string_view message) {
    Json document = {{member::kState, 1}};
    if (!message.empty()) document[member::kMessage] = message;
    document[member::kResult] = std::move(result);
    return document;
}

Json refused(std::string_view message) { return {{member::kState, 0}, {member::kMessage, message}}; }

Json refusedWithError(std::string_view message) {
    return {{member::kState, 0}, {member::kError, {{member::kMessage, message}}}};
}

std::optional<std::string> withStateAs(std::string_view body, StateForm form) {
    auto document = Json::parse(body, nullptr, false);
    if (document.is_discarded() || !document.is_object()) return std::nullopt;
    const auto state = document.find(member::kState);
    if (state == document.end()) return std::nullopt;
    if (form == StateForm::Missing) {
        document.erase(state);
    } else if (!state->is_string()) {
        // Assigning in place keeps the member first, where the service writes it.
        *state = state->dump();
    }
    return jsonText(document);
}

std::optional<std::string> withoutSources(std::string_view body) {
    auto document = Json::parse(body, nullptr, false);
    if (document.is_discarded()) return std::nullopt;
    std::vector<Json*> pending{&document};
    while (!pending.empty()) {
        Json* value = pending.back();
        pending.pop_back();
        if (value->is_object()) value->erase("source");
        if (value->is_structured()) {
            for (Json& child : *value) pending.push_back(&child);
        }
    }
    return jsonText(document);
}

std::string jsonText(const Json& document) { return document.dump(-1, ' ', false, Json::error_handler_t::replace); }

void replyJsonText(Response& response, std::string text) {
    response.set_content(std::move(text), "application/json; charset=utf-8");
}

void replyJson(Response& response, const Json& document, int status) {
    response.status = status;
    replyJsonText(response, jsonText(document));
}

std::string parameter(const Request& request, std::string_view name) {
    return request.get_param_value(std::string(name).c_str());
}

RequestValues::RequestValues(const Request& request) : m_values(&request.params) {
    if (request.method != "POST") return;
    // The library has merged the query into the same table; only the body counts here.
    m_values = &m_form;
    const auto type = request.get_header_value("Content-Type");
    if (type.starts_with("application/x-www-form-urlencoded")) httplib::detail::parse_query_text(request.body, m_form);
}

bool RequestValues::has(std::string_view name) const { return m_values->find(std::string(name)) != m_values->end(); }

std::string RequestValues::text(std::string_view name) const {
    const auto found = m_values->find(std::string(name));
    return found == m_values->end() ? std::string() : found->second;
}

std::string RequestValues::legacyText(std::string_view name) const { return core::gb18030ToUtf8(text(name)); }

NumberValue RequestValues::number(std::string_view name, std::int64_t low, std::int64_t high) const {
    const auto found = m_values->find(std::string(name));
    if (found == m_values->end()) return {name, false, std::nullopt};
    return {name, true, wholeNumber(found->second, low, high)};
}

bool refuseBadValues(Response& response, std::initializer_list<NumberValue> values) {
    for (const auto& value : values) {
        if (!value.present) {
            replyJson(response, refused(std::string(text::kMissingParameter) + ":" + std::string(value.name)), 400);
            return true;
        }
    }
    for (const auto& value : values) {
        if (!value.value) {
            replyBadParameter(response);
            return true;
        }
    }
    return false;
}

void replyBadParameter(Response& response) { replyJson(response, refused(text::kBadParameter), 400); }

}  // namespace vamu::service
