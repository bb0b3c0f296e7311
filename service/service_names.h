#pragma once
// Every name the two servers share with their clients, written once: paths, parameters,
// reply members, cookie names and the texts shown to users. Values are UTF-8.

#include <string_view>

namespace vamu::service {

namespace path {
// Music service API.
inline constexpr std::string_view kChannelGet = "/channel/get";
inline constexpr std::string_view kChannelInfo = "/channel/info";
inline constexpr std::string_view kSoundHot = "/sound/hot";
inline constexpr std::string_view kSoundSearch = "/sound/search";
inline constexpr std::string_view kSoundLike = "/sound/like";
inline constexpr std::string_view kBulletGet = "/bullet/get";
inline constexpr std::string_view kUserSound = "/user/sound";
inline constexpr std::string_view kUserInfo = "/user/info";
inline constexpr std::string_view kIndexLogin = "/index/login";
inline constexpr std::string_view kIndexCode = "/index/code";
inline constexpr std::string_view kIndexRegister = "/index/register";
inline constexpr std::string_view kPlayerLikes = "/player/likes";
// Media, served by the API server; the prefixes are followed by "<id>.png" or "<id>.mp3".
inline constexpr std::string_view kCoverPrefix = "/media/cover/";
inline constexpr std::string_view kChannelPicturePrefix = "/media/channel/";
inline constexpr std::string_view kAvatarPrefix = "/media/avatar/";
inline constexpr std::string_view kSoundPrefix = "/media/sound/";
// Companion server.
inline constexpr std::string_view kCompanionScript = "/vamu.php";
inline constexpr std::string_view kSongDetails = "/info.php";
// Loopback-only administration, on the API server.
inline constexpr std::string_view kAdminFaults = "/admin/faults";
inline constexpr std::string_view kAdminUpdate = "/admin/update";
inline constexpr std::string_view kAdminNotice = "/admin/notice";
inline constexpr std::string_view kAdminStatus = "/admin/status";
}  // namespace path

namespace header {
// Every administration request carries it with the value "1": a page in a browser can post
// a form to loopback, but cannot add a header of its own without the server's consent.
inline constexpr std::string_view kAdmin = "X-Vamu-Admin";
}  // namespace header

namespace param {
inline constexpr std::string_view kPage = "page";
inline constexpr std::string_view kLimit = "limit";
inline constexpr std::string_view kId = "id";
inline constexpr std::string_view kSoundId = "sound_id";
inline constexpr std::string_view kUserId = "user_id";
inline constexpr std::string_view kKeyword = "keyword";
inline constexpr std::string_view kType = "type";
inline constexpr std::string_view kPhone = "phone";
inline constexpr std::string_view kPassword = "password";
inline constexpr std::string_view kUsername = "username";
inline constexpr std::string_view kCode = "code";
// Companion script.
inline constexpr std::string_view kDo = "do";
inline constexpr std::string_view kVersion = "bbh";
// Administration.
inline constexpr std::string_view kFault = "fault";
inline constexpr std::string_view kStream = "stream";
inline constexpr std::string_view kClear = "clear";
inline constexpr std::string_view kUpdateVersion = "version";
inline constexpr std::string_view kUpdateUrl = "url";
inline constexpr std::string_view kUpdateNotes = "notes";
inline constexpr std::string_view kNoticeKind = "kind";
inline constexpr std::string_view kNoticeId = "id";
inline constexpr std::string_view kNoticeText = "text";
}  // namespace param

// Values of the companion script's "do" parameter.
namespace companion {
inline constexpr std::string_view kUpdateCheck = "gx";
inline constexpr std::string_view kNewClient = "new";
inline constexpr std::string_view kClientStart = "dl";
inline constexpr std::string_view kReport = "xt";
inline constexpr std::string_view kNotice = "zt";
inline constexpr std::string_view kNoUpdate = "1";
inline constexpr std::string_view kNoticeDelimiter = "!@#qnmlgb";
// The song details request hides the song id as id + key - kDetailsOffset.
inline constexpr long long kDetailsOffset = 6351;
}  // namespace companion

namespace member {
inline constexpr std::string_view kState = "state";
inline constexpr std::string_view kMessage = "message";
inline constexpr std::string_view kError = "error";
inline constexpr std::string_view kResult = "result";
inline constexpr std::string_view kData = "data";
inline constexpr std::string_view kSounds = "sounds";
inline constexpr std::string_view kUser = "user";
inline constexpr std::string_view kId = "id";
inline constexpr std::string_view kName = "name";
inline constexpr std::string_view kSource = "source";
inline constexpr std::string_view kUserId = "user_id";
inline constexpr std::string_view kPic100 = "pic_100";
inline constexpr std::string_view kAvatar50 = "avatar_50";
inline constexpr std::string_view kSoundCount = "sound_count";
inline constexpr std::string_view kContent = "content";
inline constexpr std::string_view kCreateTime = "create_time";
inline constexpr std::string_view kInfo = "info";
inline constexpr std::string_view kDuration = "duration";
inline constexpr std::string_view kPage = "page";
inline constexpr std::string_view kTotal = "total";
// Further members for other clients of the service; the program does not read them.
inline constexpr std::string_view kPlayCount = "play_count";
inline constexpr std::string_view kCommentCount = "comment_count";
inline constexpr std::string_view kLiked = "liked";
inline constexpr std::string_view kExpire = "expire";
inline constexpr std::string_view kPhone = "phone";
}  // namespace member

namespace cookie {
inline constexpr std::string_view kSession = "vamu_session";
inline constexpr std::string_view kUserId = "vamu_uid";
inline constexpr std::string_view kRegistration = "vamu_reg";
inline constexpr std::string_view kDetailsKey = "key";
inline constexpr std::string_view kDeletedValue = "deleted";
}  // namespace cookie

// Texts the program shows to its user as they come from the service.
namespace text {
inline constexpr std::string_view kLoginMissing = "请输入账号和密码";
inline constexpr std::string_view kUnknownAccount = "该账号不存在";
inline constexpr std::string_view kWrongPassword = "密码错误";
inline constexpr std::string_view kLoginOk = "登录成功";
inline constexpr std::string_view kNotLoggedIn = "请先登录";
inline constexpr std::string_view kSessionExpired = "登录已过期,请重新登录";
inline constexpr std::string_view kBadPhone = "手机号格式不正确";
inline constexpr std::string_view kPhoneTaken = "该手机号已被注册";
inline constexpr std::string_view kCodeTooSoon = "验证码发送过于频繁,请稍后再试";
inline constexpr std::string_view kCodeSent = "验证码已发送";
inline constexpr std::string_view kCodeMissing = "请先获取验证码";
inline constexpr std::string_view kCodeWrong = "验证码错误";
inline constexpr std::string_view kCodeExpired = "验证码已过期,请重新获取";
inline constexpr std::string_view kCodeTooManyTries = "验证码错误次数过多,请重新获取";
inline constexpr std::string_view kPasswordMissing = "请输入密码";
inline constexpr std::string_view kPasswordTooLong = "密码不能超过64个字符";
inline constexpr std::string_view kRegistered = "注册成功";
inline constexpr std::string_view kKeywordMissing = "请输入搜索关键词";
inline constexpr std::string_view kKeywordTooLong = "搜索关键词过长";
inline constexpr std::string_view kNoSuchSong = "歌曲不存在";
inline constexpr std::string_view kNoSuchChannel = "频道不存在";
inline constexpr std::string_view kNoSuchUser = "用户不存在";
inline constexpr std::string_view kBadParameter = "参数错误";
inline constexpr std::string_view kMissingParameter = "缺少参数";  // followed by ":" and the name
inline constexpr std::string_view kDone = "操作成功";
inline constexpr std::string_view kNewUserPrefix = "用户";
}  // namespace text

}  // namespace vamu::service
