#pragma once
// `vamu:` links: a desktop hands "vamu:song/ID" (or "vamu://song/ID") to the program
// as a command-line argument, and the program plays song ID as the get button does.
// A start beside a running instance passes the id on through the single-instance
// channel as the request "play-id:ID". Both texts come from outside (a web page may
// hold any link), so an id is only ever 1 to kMaxSongIdDigits ASCII digits; anything
// else is no link at all. Qt-free.

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vamu::app {

// As many digits as the song id box takes.
inline constexpr std::size_t kMaxSongIdDigits = 8;
inline constexpr std::string_view kPlayIdRequestPrefix = "play-id:";

// The song id of a link: "vamu:song/ID", "vamu://song/ID", either with one trailing
// "/"; the scheme in any case. Nothing for any other text.
[[nodiscard]] std::optional<std::string> songIdFromLink(std::string_view link);

// The song id of the first argument that is a song link (arguments after the
// program's name); nothing when none is.
[[nodiscard]] std::optional<std::string> songIdFromArguments(std::span<const std::string_view> arguments);

// "play-id:ID" for a valid id; nothing for anything else.
[[nodiscard]] std::optional<std::string> playIdRequest(std::string_view songId);
// The id of a "play-id:ID" request; nothing for any other request.
[[nodiscard]] std::optional<std::string> songIdFromRequest(std::string_view request);

}  // namespace vamu::app
