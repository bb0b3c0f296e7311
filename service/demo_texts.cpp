#include "demo_texts.h"

#include <array>

namespace vamu::service::demo_texts {
namespace {

using namespace std::string_view_literals;

constexpr std::array kChineseTitleStarts = {
    "夏日"sv, "晚风"sv, "星空"sv, "雨后"sv, "微光"sv, "远方"sv, "海边"sv, "城市"sv,   "月光"sv, "清晨"sv,
    "秋天"sv, "花开"sv, "时光"sv, "森林"sv, "云朵"sv, "旧街"sv, "少年"sv, "山谷"sv,   "湖畔"sv, "故乡"sv,
    "橘子"sv, "落日"sv, "初雪"sv, "灯火"sv, "风筝"sv, "列车"sv, "咖啡"sv, "纸飞机"sv,
};
constexpr std::array kChineseTitleEnds = {
    "的约定"sv, "慢慢走"sv, "里的歌"sv, "与你"sv, "的故事"sv, "不说话"sv, "漫游"sv,   "之歌"sv, "的回忆"sv,
    "小夜曲"sv, "日记"sv,   "来信"sv,   "晴天"sv, "旅行"sv,   "告白"sv,   "练习曲"sv, "心事"sv, "序曲"sv,
};
constexpr std::array kAsciiTitleStarts = {
    "Morning"sv, "Paper"sv, "Blue"sv,   "Slow"sv,   "Golden"sv, "Midnight"sv, "Summer"sv, "Quiet"sv,
    "Velvet"sv,  "Neon"sv,  "Silver"sv, "Little"sv, "Lazy"sv,   "Distant"sv,  "Soft"sv,   "Amber"sv,
};
constexpr std::array kAsciiTitleEnds = {
    "Light"sv,  "Planes"sv, "Hour"sv,   "Tide"sv,    "Hours"sv,  "Drive"sv,  "Rain"sv, "Streets"sv,
    "Dreams"sv, "Waves"sv,  "Garden"sv, "Letters"sv, "Sunday"sv, "Echoes"sv, "Walk"sv, "Skies"sv,
};
constexpr std::array kChineseUserNames = {
    "小鱼儿"sv,   "阿杰"sv,   "林间小鹿"sv, "听风的人"sv,   "南城以南"sv, "橘子汽水"sv, "夏天的猫"sv, "陈小白"sv,
    "半糖去冰"sv, "老王"sv,   "星河"sv,     "木子李"sv,     "一只兔子"sv, "北岛"sv,     "阿珂"sv,     "路人甲"sv,
    "晚安少女"sv, "大鹏"sv,   "豆豆"sv,     "安静的胖子"sv, "七月"sv,     "小野"sv,     "鹿鸣"sv,     "阿紫"sv,
    "西瓜太郎"sv, "白开水"sv, "苏苏"sv,     "雨停了"sv,     "许多多"sv,   "云端"sv,     "江南"sv,     "十一"sv,
};
constexpr std::array kAsciiUserNames = {
    "moonwalker"sv, "DJ_Kai"sv,    "echo_lin"sv, "Mika"sv,      "lofi_boy"sv, "Sunny"sv,      "kevin88"sv,
    "Aurora"sv,     "nightowl"sv,  "Tommy"sv,    "pixel_cat"sv, "Rain"sv,     "jazzfan"sv,    "Leo_W"sv,
    "chill_out"sv,  "Zoe"sv,       "bassline"sv, "Coco"sv,      "wanderer"sv, "Yuki"sv,       "n0ise"sv,
    "Fiona"sv,      "drummer_x"sv, "Max"sv,      "stardust"sv,  "Ivy"sv,      "retro_wave"sv, "Nana"sv,
};
constexpr std::array kChannelNames = {
    "全部歌曲"sv, "华语流行"sv, "欧美"sv, "轻音乐"sv, "电子"sv, "民谣"sv, "摇滚"sv,   "古风"sv,
    "钢琴"sv,     "Lo-Fi"sv,    "Jazz"sv, "ACG"sv,    "睡前"sv, "学习"sv, "运动"sv,   "咖啡馆"sv,
    "旅行"sv,     "雨天"sv,     "夜跑"sv, "Chill"sv,  "原创"sv, "翻唱"sv, "纯音乐"sv, "Indie"sv,
};
constexpr std::array kComments = {
    "好听!"sv,
    "循环中~"sv,
    "前奏一响就爱了"sv,
    "awesome"sv,
    "nice beat"sv,
    "收藏了"sv,
    "2333"sv,
    "Love it"sv,
    "单曲循环ing"sv,
    "求歌词"sv,
    "太治愈了"sv,
    "good night"sv,
    "来自北京的朋友"sv,
    "上海的雨天听这个"sv,
    "耳朵怀孕了"sv,
    "这段旋律绝了"sv,
    "so chill"sv,
    "deserves more plays"sv,
    "第一次听就哭了"sv,
    "副歌好上头"sv,
    "打卡"sv,
    "晚安"sv,
    "听完心情变好了"sv,
    "wow"sv,
    "这鼓点我爱了"sv,
    "学习的时候听"sv,
    "有没有人一起听"sv,
    "this is my jam"sv,
    "想起了高中"sv,
    "下雨天最配"sv,
    "hello from Tokyo"sv,
    "给作者点赞"sv,
    "好温柔"sv,
    "bgm王者"sv,
    "再来一首"sv,
};
constexpr std::array kCommentTails = {
    ""sv, ""sv, ""sv, "!!"sv, "~"sv, " :)"sv, " 哈哈"sv, "..."sv, " ^_^"sv, "!"sv,
};
constexpr std::array kChineseDescriptions = {
    "一首{}的原创曲子，适合夜晚一个人听。"sv,
    "写于一个{}的下午，希望你也喜欢。"sv,
    "{}的旋律，配上一杯热茶刚刚好。"sv,
    "录音比较简陋，但旋律是{}的。"sv,
};
constexpr std::array kChineseMoods = {"轻快"sv, "安静"sv, "温柔"sv, "明亮"sv, "慵懒"sv};
constexpr std::array kAsciiDescriptions = {
    "A {} little tune, made on a rainy weekend."sv,
    "Something {} for your commute."sv,
    "Recorded at home; {} and short."sv,
};
constexpr std::array kAsciiMoods = {"cheerful"sv, "mellow"sv, "dreamy"sv, "gentle"sv};
constexpr std::array kVersionTags = {"Live"sv,   "翻唱"sv,  "Remix"sv,  "伴奏"sv,
                                     "现场版"sv, "Cover"sv, "加长版"sv, "Acoustic"sv};

}  // namespace

std::span<const std::string_view> chineseTitleStarts() { return kChineseTitleStarts; }
std::span<const std::string_view> chineseTitleEnds() { return kChineseTitleEnds; }
std::span<const std::string_view> asciiTitleStarts() { return kAsciiTitleStarts; }
std::span<const std::string_view> asciiTitleEnds() { return kAsciiTitleEnds; }
std::span<const std::string_view> chineseUserNames() { return kChineseUserNames; }
std::span<const std::string_view> asciiUserNames() { return kAsciiUserNames; }
std::span<const std::string_view> channelNames() { return kChannelNames; }
std::span<const std::string_view> versionTags() { return kVersionTags; }
std::span<const std::string_view> comments() { return kComments; }
std::span<const std::string_view> commentTails() { return kCommentTails; }
std::span<const std::string_view> chineseDescriptions() { return kChineseDescriptions; }
std::span<const std::string_view> chineseMoods() { return kChineseMoods; }
std::span<const std::string_view> asciiDescriptions() { return kAsciiDescriptions; }
std::span<const std::string_view> asciiMoods() { return kAsciiMoods; }

}  // namespace vamu::service::demo_texts
