#include "toolkit/key_atoms.h"
#include "toolkit/legacy_text.h"
#include "toolkit/pack_format.h"
#include "toolkit/theme_engine.h"
#include "toolkit/theme_pack.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace vamu::toolkit {
namespace {

struct Expected {
    const char* element;
    const char* attribute;
    const char* value;
};

// Every value of the built-in theme. Region-valued entries are checked against the atlas
// as well.
const std::vector<Expected> kBuiltinValues = {
    {"SysShadow.HostWnd", "rect", "75,95,30,18"},
    {"SysShadow.HostWnd", "gird", "9,8,12,2"},
    {"SysShadow.HostWnd", "margin", "4,3,-4,-5"},
    {"SysShadow.HostWnd", "rectround", "3"},
    {"SysShadow.HostWnd", "crborder", "1358954496,872415231"},
    {"SysShadow.HostWnd", "cycaption", "26"},
    {"SysShadow.SubWnd", "rect", "75,95,30,18"},
    {"SysShadow.SubWnd", "gird", "9,8,12,2"},
    {"SysShadow.SubWnd", "margin", "4,3,-4,-5"},
    {"SysShadow.SubWnd", "rectround", "3"},
    {"SysShadow.SubWnd", "crborder", "1358954496,872415231"},
    {"SysShadow.SubWnd", "cycaption", "26"},
    {"SysShadow.Menu", "rect", "205,90,13,13"},
    {"SysShadow.Menu", "gird", "6,6,1,1"},
    {"SysShadow.Menu", "margin", "3,3,-3,-3"},
    {"SysShadow.Menu", "left_cutline", "2"},
    {"SysShadow.Menu", "right_cutline", "-2"},
    {"SysShadow.Menu", "left_icon", "5"},
    {"SysShadow.Menu", "left_text", "30"},
    {"SysShadow.Menu", "checkrect", "205,105,15,10"},
    {"SysButton", "top", "0"},
    {"SysButton", "offsetright", "-1"},
    {"SysButton.Close", "size", "0,0,39,19"},
    {"SysButton.Close", "normal", "0,1,39,19"},
    {"SysButton.Close", "highlight", "40,1,39,19"},
    {"SysButton.Close", "down", "80,1,39,19"},
    {"SysButton.Max", "size", "0,0,28,19"},
    {"SysButton.Max", "normal", "120,1,28,19"},
    {"SysButton.Max", "highlight", "149,1,28,19"},
    {"SysButton.Max", "down", "178,1,28,19"},
    {"SysButton.Restore", "size", "0,0,28,19"},
    {"SysButton.Restore", "normal", "207,1,28,19"},
    {"SysButton.Restore", "highlight", "236,1,28,19"},
    {"SysButton.Restore", "down", "265,1,28,19"},
    {"SysButton.Min", "size", "0,0,28,19"},
    {"SysButton.Min", "normal", "294,1,28,19"},
    {"SysButton.Min", "highlight", "323,1,28,19"},
    {"SysButton.Min", "down", "352,1,28,19"},
    {"SysButton.Menu", "size", "0,0,28,19"},
    {"SysButton.Menu", "normal", "0,21,28,19"},
    {"SysButton.Menu", "highlight", "29,21,28,19"},
    {"SysButton.Menu", "down", "58,21,28,19"},
    {"SysButton.Skn", "size", "0,0,28,19"},
    {"SysButton.Skn", "normal", "87,21,28,19"},
    {"SysButton.Skn", "highlight", "116,21,28,19"},
    {"SysButton.Skn", "down", "145,21,28,19"},
    {"SysButton.Report", "size", "0,0,28,19"},
    {"SysButton.Report", "normal", "174,21,28,19"},
    {"SysButton.Report", "highlight", "203,21,28,19"},
    {"SysButton.Report", "down", "232,21,28,19"},
    {"SysButton.Setting", "size", "0,0,28,19"},
    {"SysButton.Setting", "normal", "261,21,28,19"},
    {"SysButton.Setting", "highlight", "290,21,28,19"},
    {"SysButton.Setting", "down", "319,21,28,19"},
    {"Button", "normal", "0,42,69,24"},
    {"Button", "highlight", "69,42,69,24"},
    {"Button", "down", "138,42,69,24"},
    {"Button", "focus", "207,42,69,24"},
    {"Button", "gird", "4,3,61,16"},
    {"Button", "margin", "3,3,-3,-5"},
    {"CheckButton", "size", "0,0,17,17"},
    {"CheckButton", "normal", "0,70,17,17"},
    {"CheckButton", "highlight", "17,70,17,17"},
    {"CheckButton", "down", "34,70,17,17"},
    {"CheckButton", "normal_ck", "54,70,17,17"},
    {"CheckButton", "highlight_ck", "71,70,17,17"},
    {"CheckButton", "down_ck", "88,70,17,17"},
    {"CheckButton", "filltype", "2"},
    {"RadioButton", "size", "0,0,17,17"},
    {"RadioButton", "normal", "110,70,17,17"},
    {"RadioButton", "highlight", "127,70,17,17"},
    {"RadioButton", "down", "144,70,17,17"},
    {"RadioButton", "normal_ck", "165,70,17,17"},
    {"RadioButton", "highlight_ck", "182,70,17,17"},
    {"RadioButton", "down_ck", "199,70,17,17"},
    {"RadioButton", "filltype", "2"},
    {"Edit", "normal", "220,70,20,26"},
    {"Edit", "highlight", "240,70,20,26"},
    {"Edit", "focus", "240,70,20,26"},
    {"Edit", "margin", "3,3,-3,-3"},
    {"Edit", "gird", "3,4,13,19"},
    {"ComboBox", "normal", "220,70,20,26"},
    {"ComboBox", "highlight", "240,70,20,26"},
    {"ComboBox", "focus", "240,70,20,26"},
    {"ComboBox", "margin", "3,3,-3,-3"},
    {"ComboBox", "gird", "3,4,13,19"},
    {"ComboBox", "normal_btn", "113,90,23,24"},
    {"ComboBox", "highlight_btn", "136,90,23,24"},
    {"ComboBox", "down_btn", "136,90,23,24"},
    {"ComboBox", "gird_btn", "6,9,11,7"},
    {"ComboBox", "margin_btn", "0,1,-1,-2"},
    {"ComboBox", "spin_up", "165,95,11,6"},
    {"ComboBox", "spin_down", "165,103,11,7"},
    {"ScrollBar", "v_bg", "325,43,8,60"},
    {"ScrollBar", "v_bg_gird", "3,3,2,54"},
    {"ScrollBar", "v_normal", "335,63,8,40"},
    {"ScrollBar", "v_highlight", "345,63,8,40"},
    {"ScrollBar", "v_down", "355,63,8,40"},
    {"ScrollBar", "v_gird", "3,3,2,34"},
    {"ScrollBar", "v_up_normal", "339,40,10,9"},
    {"ScrollBar", "v_up_highlight", "351,40,10,9"},
    {"ScrollBar", "v_up_down", "363,40,10,9"},
    {"ScrollBar", "v_down_normal", "339,50,10,9"},
    {"ScrollBar", "v_down_highlight", "351,50,10,9"},
    {"ScrollBar", "v_down_down", "363,50,10,9"},
    {"ScrollBar", "h_bg", "285,43,32,8"},
    {"ScrollBar", "h_bg_gird", "3,3,26,2"},
    {"ScrollBar", "h_normal", "285,53,32,8"},
    {"ScrollBar", "h_highlight", "285,63,32,8"},
    {"ScrollBar", "h_down", "285,73,32,8"},
    {"ScrollBar", "h_gird", "3,3,26,2"},
    {"ScrollBar", "h_left_normal", "286,86,9,10"},
    {"ScrollBar", "h_left_highlight", "295,86,9,10"},
    {"ScrollBar", "h_left_down", "305,86,9,10"},
    {"ScrollBar", "h_right_normal", "285,100,9,10"},
    {"ScrollBar", "h_right_highlight", "295,100,9,10"},
    {"ScrollBar", "h_right_down", "305,100,9,10"},
    {"MsgBox", "rect", "390,0,2,160"},
    {"MsgBox", "blocksize", "0,0,96,31"},
    {"MsgBox", "barheight", "36"},
    {"MsgBox", "m16", "5,120,38,38"},
    {"MsgBox", "m48", "44,120,38,38"},
    {"MsgBox", "m32", "84,120,38,38"},
    {"MsgBox", "m64", "124,120,38,38"},
    {"MsgBox", "m128", "164,120,38,38"},
    {"MsgBox", "iconsize", "0,0,38,38"},
    {"UpDown", "normal", "9,90,7,12"},
    {"UpDown", "highlight", "17,90,7,12"},
    {"UpDown", "down", "25,90,7,12"},
    {"UpDown", "gird", "3,3,1,6"},
    {"UpDown", "spin_up", "0,90,9,6"},
    {"UpDown", "spin_down", "0,96,9,6"},
};

bool isRegion(std::string_view attribute) {
    return attribute.find("gird") == std::string_view::npos && !attribute.starts_with("margin") &&
           !attribute.ends_with("size");
}

const ThemePack& builtinPack() {
    const ThemePack* pack = builtinThemePack();
    if (!pack) throw std::runtime_error("the built-in theme pack does not load");
    return *pack;
}

TEST(BuiltinTheme, AnswersEveryValueOfTheTable) {
    const ThemePack& pack = builtinPack();
    EXPECT_EQ(pack.name(), "vamu 清爽");
    for (const Expected& e : kBuiltinValues)
        EXPECT_EQ(pack.text(e.element, e.attribute), std::optional<std::string>(e.value))
            << e.element << "." << e.attribute;
}

TEST(BuiltinTheme, CaptionButtonsHaveTheirSizes) {
    const ThemePack& pack = builtinPack();
    EXPECT_EQ(pack.rect("SysButton.Close", "normal"), QRect(0, 1, 39, 19));
    EXPECT_EQ(pack.rect("SysButton.Close", "size"), QRect(0, 0, 39, 19));
    for (const char* name : {"SysButton.Max", "SysButton.Restore", "SysButton.Min", "SysButton.Menu", "SysButton.Skn",
                             "SysButton.Report", "SysButton.Setting"}) {
        for (const char* key : {"size", "normal", "highlight", "down"}) {
            const auto rect = pack.rect(name, key);
            ASSERT_TRUE(rect) << name << "." << key;
            EXPECT_EQ(rect->width(), 28) << name << "." << key;
            EXPECT_EQ(rect->height(), 19) << name << "." << key;
        }
    }
}

TEST(BuiltinTheme, TypedValues) {
    const ThemePack& pack = builtinPack();
    EXPECT_EQ(pack.rect("SysShadow.HostWnd", "margin"), QRect(4, 3, -4, -5));
    EXPECT_EQ(pack.rectF("SysShadow.Menu", "checkrect"), QRectF(205, 105, 15, 10));
    EXPECT_EQ(pack.number("SysShadow.HostWnd", "rectround"), 3);
    EXPECT_EQ(pack.number("SysShadow.Menu", "right_cutline"), -2);
    EXPECT_EQ(pack.colours("SysShadow.HostWnd", "crborder"), (std::vector<std::uint32_t>{0x51000000u, 0x33FFFFFFu}));
    EXPECT_EQ(pack.numbers("SysShadow.HostWnd", "crborder"), (std::vector<long long>{1358954496, 872415231}));
    // A value of another shape is not found as this one.
    EXPECT_EQ(pack.number("SysShadow.HostWnd", "crborder"), std::nullopt);
    EXPECT_EQ(pack.rect("SysShadow.HostWnd", "crborder"), std::nullopt);
    EXPECT_EQ(pack.rect("SysShadow.HostWnd", "rectround"), std::nullopt);
}

TEST(BuiltinTheme, AbsentKeysAreNotFound) {
    const ThemePack& pack = builtinPack();
    EXPECT_EQ(pack.text("SysButton.Close", "focus"), std::nullopt);
    EXPECT_EQ(pack.rect("SysButton.Close", "focus"), std::nullopt);
    EXPECT_EQ(pack.rectF("SysButton.Close", "focus"), std::nullopt);
    EXPECT_EQ(pack.number("SysButton", "bottom"), std::nullopt);
    EXPECT_EQ(pack.text("NoSuchElement", "normal"), std::nullopt);
    EXPECT_EQ(pack.text("SysButton.Close", "name"), std::nullopt);
    EXPECT_EQ(getPackRect(&pack, "SysButton.Close", "focus"), std::nullopt);
    EXPECT_EQ(getPackText(nullptr, "SysButton", "top"), std::nullopt);
    EXPECT_EQ(getPackRect(nullptr, "SysButton.Close", "normal"), std::nullopt);
    EXPECT_EQ(getPackImageRect(nullptr, "SysButton.Close", "normal"), std::nullopt);
    EXPECT_EQ(getPackImage(nullptr, 0), nullptr);
}

TEST(BuiltinTheme, EveryRegionIsInsideTheAtlasAndDrawn) {
    const ThemePack& pack = builtinPack();
    const QImage& atlas = pack.atlas();
    ASSERT_EQ(atlas.size(), QSize(395, 160));
    ASSERT_EQ(atlas.format(), QImage::Format_ARGB32_Premultiplied);
    int regions = 0;
    for (const Expected& e : kBuiltinValues) {
        const auto rect = pack.rect(e.element, e.attribute);
        if (!rect || !isRegion(e.attribute)) continue;
        ++regions;
        ASSERT_FALSE(rect->isEmpty()) << e.element << "." << e.attribute;
        ASSERT_TRUE(atlas.rect().contains(*rect)) << e.element << "." << e.attribute;
        int drawn = 0;
        for (int y = rect->top(); y <= rect->bottom(); ++y)
            for (int x = rect->left(); x <= rect->right(); ++x) drawn += qAlpha(atlas.pixel(x, y)) > 0x10 ? 1 : 0;
        EXPECT_GE(drawn, 4) << e.element << "." << e.attribute << " looks blank";
    }
    EXPECT_EQ(regions, 86);
}

// The 2x atlas shows the same parts in the same places: halved again, it comes close
// to the 1x atlas everywhere (a part drawn off its region would not).
TEST(BuiltinTheme, HighResolutionAtlasIsTheAtlasAtTwiceTheResolution) {
    const ThemePack& pack = builtinPack();
    const QImage* high = pack.highResolutionAtlas();
    ASSERT_NE(high, nullptr);
    EXPECT_EQ(high->size(), pack.atlas().size() * 2);
    EXPECT_EQ(high->devicePixelRatio(), 2.0);
    EXPECT_EQ(high->format(), QImage::Format_ARGB32_Premultiplied);
    const QImage& atlas = pack.atlas();
    long long difference = 0;
    int worst = 0;
    for (int y = 0; y < atlas.height(); ++y) {
        for (int x = 0; x < atlas.width(); ++x) {
            int alpha = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) alpha += qAlpha(high->pixel(2 * x + dx, 2 * y + dy));
            const int step = std::abs(alpha / 4 - qAlpha(atlas.pixel(x, y)));
            difference += step;
            worst = std::max(worst, step);
        }
    }
    const double mean = static_cast<double>(difference) / (atlas.width() * atlas.height());
    EXPECT_LT(mean, 4.0);
    EXPECT_LT(worst, 160);
}

TEST(BuiltinTheme, ShadowPicturesFadeOutwards) {
    const QImage& atlas = builtinPack().atlas();
    // The window shadow: transparent at the picture's outer corner, denser towards the
    // content edge, and never opaque.
    const QPoint origin(75, 95);
    const int corner = qAlpha(atlas.pixel(origin));
    const int nearEdge = qAlpha(atlas.pixel(origin + QPoint(15, 2)));
    const int below = qAlpha(atlas.pixel(origin + QPoint(15, 14)));
    EXPECT_LT(corner, 8);
    EXPECT_GT(nearEdge, corner);
    EXPECT_GT(below, 16);
    EXPECT_LT(below, 200);
    // The menu frame: shadow outside, an opaque body at the nine-grid centre.
    EXPECT_LT(qAlpha(atlas.pixel(205, 90)), 40);
    EXPECT_EQ(atlas.pixel(205 + 6, 90 + 6), qRgba(255, 255, 255, 255));
}

TEST(ThemeLookups, KeyCacheAnswersTheSameOnRepeat) {
    const ThemePack& pack = builtinPack();
    const auto first = pack.rect("Button", "normal");
    ASSERT_TRUE(first);
    const auto atom = findKeyAtom("Button_normal_rect");
    ASSERT_TRUE(atom) << "the lookup is cached under its key atom";
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pack.rect("Button", "normal"), first);
        EXPECT_EQ(pack.rect("BUTTON", "Normal"), first) << "names match without regard to case";
        EXPECT_EQ(pack.rectF("Button", "normal"), QRectF(*first));
        EXPECT_EQ(pack.rect("Button", "nosuchkey"), std::nullopt);
    }
    EXPECT_TRUE(findKeyAtom("Button_normal_rectF"));
    EXPECT_EQ(findKeyAtom("Button_normal_rect"), atom);
}

TEST(ThemeLookups, ConcurrentReadersAgree) {
    // A fresh pack, so that the threads race to fill its cache.
    const auto pack = ThemePack::load(builtinThemePackBytes());
    ASSERT_TRUE(pack);
    std::vector<std::optional<QRect>> expected;
    for (const Expected& e : kBuiltinValues) expected.push_back(builtinPack().rect(e.element, e.attribute));

    std::atomic<int> mismatches{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t) {
        readers.emplace_back([&, t] {
            for (int round = 0; round < 50; ++round) {
                for (std::size_t i = 0; i < kBuiltinValues.size(); ++i) {
                    const std::size_t at = (i + static_cast<std::size_t>(t) * 31) % kBuiltinValues.size();
                    const Expected& e = kBuiltinValues[at];
                    if (pack->rect(e.element, e.attribute) != expected[at]) ++mismatches;
                }
            }
        });
    }
    for (auto& reader : readers) reader.join();
    EXPECT_EQ(mismatches.load(), 0);
}

TEST(ThemeEngine, SelectsAndLooksUp) {
    const std::shared_ptr<const ThemePack> pack = loadResourcePack(builtinThemePackBytes());
    ASSERT_TRUE(pack);
    EXPECT_EQ(loadResourcePack(builtinThemePackBytes(), "wrong password"), nullptr);

    selectResourcePack(pack);
    EXPECT_EQ(currentResourcePack(), pack);
    const auto image = getPackImageRect(currentResourcePack().get(), "SysButton.Close", "normal");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->source, QRectF(0, 1, 39, 19));
    EXPECT_EQ(image->imageIndex, 0);
    EXPECT_EQ(getPackImage(pack.get(), image->imageIndex), &pack->atlas());
    EXPECT_EQ(getPackImage(pack.get(), 1), nullptr);
    EXPECT_EQ(getPackText(pack.get(), "CheckButton", "filltype"), "2");
    EXPECT_EQ(getPackRect(pack.get(), "Button", "gird"), QRect(4, 3, 61, 16));

    // The selection keeps a pack alive after its loader lets go, and releases it when
    // another is selected.
    std::shared_ptr<const ThemePack> loaded = loadResourcePack(builtinThemePackBytes());
    const std::weak_ptr<const ThemePack> watch = loaded;
    selectResourcePack(std::move(loaded));
    EXPECT_FALSE(watch.expired());
    EXPECT_EQ(getPackText(currentResourcePack().get(), "SysButton", "offsetright"), "-1");
    selectResourcePack(nullptr);
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(currentResourcePack(), nullptr);
}

// Packs made from the built-in contents with one thing changed.
class BrokenPacks : public ::testing::Test {
protected:
    void SetUp() override {
        const PackReadResult read = readPack(builtinThemePackBytes(), "");
        ASSERT_TRUE(read.ok());
        m_description = *gbToUtf8(read.contents.description);
        m_picture = read.contents.picture;
    }

    std::vector<std::byte> packWith(std::string_view description, std::string_view picture) const {
        return writePack(*utf8ToGb2312(description), picture);
    }

    std::string replaced(std::string_view from, std::string_view to) const {
        std::string text = m_description;
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
        return text;
    }

    std::string m_description;
    std::string m_picture;
};

TEST_F(BrokenPacks, AnUnchangedCopyLoads) {
    const auto pack = ThemePack::load(packWith(m_description, m_picture));
    ASSERT_TRUE(pack);
    EXPECT_EQ(pack->rect("SysButton.Close", "normal"), QRect(0, 1, 39, 19));
    // A region may touch the atlas's far edges.
    EXPECT_TRUE(ThemePack::load(packWith(replaced("75,95,30,18", "365,142,30,18"), m_picture)));
    // Four colours are not a region, however far outside the atlas they would lie.
    const auto fourColours =
        ThemePack::load(packWith(replaced("1358954496,872415231", "1358954496,872415231,-1,16777215"), m_picture));
    ASSERT_TRUE(fourColours);
    EXPECT_EQ(fourColours->colours("SysShadow.HostWnd", "crborder"),
              (std::vector<std::uint32_t>{0x51000000u, 0x33FFFFFFu, 0xFFFFFFFFu, 0x00FFFFFFu}));
}

TEST_F(BrokenPacks, AHighResolutionAtlasIsTakenOnlyAtExactlyTwiceTheSize) {
    const auto png = [](const QImage& image) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    };
    const auto bytesOf = [](const QByteArray& bytes) {
        return std::as_bytes(std::span(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    };
    const std::vector<std::byte> stored = packWith(m_description, m_picture);
    const QImage& high = *builtinPack().highResolutionAtlas();
    const QByteArray good = png(high);
    const auto taken = ThemePack::load(stored, {}, bytesOf(good));
    ASSERT_TRUE(taken);
    ASSERT_NE(taken->highResolutionAtlas(), nullptr);
    EXPECT_EQ(taken->highResolutionAtlas()->devicePixelRatio(), 2.0);

    const QByteArray smaller = png(high.copy(0, 0, high.width() - 1, high.height()));
    const QByteArray sameSize = png(builtinPack().atlas());
    const QByteArray garbage("\x89PNG not really");
    for (const QByteArray* bad : {&smaller, &sameSize, &garbage}) {
        const auto pack = ThemePack::load(stored, {}, bytesOf(*bad));
        ASSERT_TRUE(pack) << "a bad 2x atlas must not cost the theme";
        EXPECT_EQ(pack->highResolutionAtlas(), nullptr);
    }
}

TEST_F(BrokenPacks, GiveNoTheme) {
    QImage tiny(10, 10, QImage::Format_ARGB32);
    tiny.fill(Qt::red);
    QByteArray tinyPng;
    QBuffer buffer(&tinyPng);
    buffer.open(QIODevice::WriteOnly);
    tiny.save(&buffer, "PNG");

    const std::string truncatedXml = m_description.substr(0, m_description.size() / 2);
    const struct {
        const char* name;
        std::vector<std::byte> stored;
    } cases[] = {
        {"bad XML", packWith(truncatedXml, m_picture)},
        {"wrong root", packWith(replaced("<Qd_DirectUI_ThemesPack", "<Themes"), m_picture)},
        {"element without a name", packWith(replaced("name=\"Button\"", "title=\"Button\""), m_picture)},
        {"element named twice", packWith(replaced("name=\"UpDown\"", "name=\"Button\""), m_picture)},
        {"region outside the atlas", packWith(replaced("0,1,39,19", "380,1,39,19"), m_picture)},
        {"region below the atlas", packWith(replaced("5,120,38,38", "5,123,38,38"), m_picture)},
        {"region at a negative place", packWith(replaced("0,1,39,19", "-1,1,39,19"), m_picture)},
        {"empty region", packWith(replaced("0,1,39,19", "0,1,0,19"), m_picture)},
        {"regions too small an atlas", packWith(m_description, std::string(tinyPng.constData(), tinyPng.size()))},
        {"picture not PNG", packWith(m_description, "GIF89a not really")},
        {"picture cut short", packWith(m_description, m_picture.substr(0, m_picture.size() / 3))},
        {"ambiguous cache keys",
         packWith(replaced("<common name=\"UpDown\"",
                           "<common name=\"CheckButton_normal\" ck=\"1\"/><common name=\"UpDown\""),
                  m_picture)},
        {"description not GB text", writePack(std::string("<a b=\"\xFF\xFF\"/>"), m_picture)},
        {"wrong password", writePack(*utf8ToGb2312(m_description), m_picture, "other")},
    };
    for (const auto& c : cases) EXPECT_EQ(ThemePack::load(c.stored), nullptr) << c.name;
}

TEST_F(BrokenPacks, MutatedPacksLoadSafelyOrNotAtAll) {
    // A deterministic mini-fuzzer: damage the description, the picture or the stored
    // bytes at random and check that what loads is sound. Under the sanitizers this
    // also proves that nothing reads out of bounds.
    std::mt19937 random(5);
    const std::string description = *utf8ToGb2312(m_description);
    const std::vector<std::byte> stored(builtinThemePackBytes().begin(), builtinThemePackBytes().end());
    auto mutate = [&random](auto bytes) {
        const int edits = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < edits && !bytes.empty(); ++i) {
            const std::size_t at = random() % bytes.size();
            switch (random() % 4) {
            case 0:
                bytes[at] = static_cast<typename decltype(bytes)::value_type>(random());
                break;
            case 1:
                bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(at));
                break;
            case 2:
                bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(at), bytes[random() % bytes.size()]);
                break;
            case 3:
                bytes.resize(at);
                break;
            }
        }
        return bytes;
    };
    int loaded = 0;
    for (int round = 0; round < 300; ++round) {
        std::vector<std::byte> pack;
        switch (round % 3) {
        case 0:
            pack = writePack(mutate(description), m_picture);
            break;
        case 1:
            pack = writePack(description, mutate(m_picture));
            break;
        case 2:
            pack = mutate(stored);
            break;
        }
        const auto theme = ThemePack::load(pack);
        if (!theme) continue;
        ++loaded;
        for (const Expected& e : kBuiltinValues) {
            const auto rect = theme->rect(e.element, e.attribute);
            if (rect && isRegion(e.attribute)) {
                ASSERT_TRUE(theme->atlas().rect().contains(*rect)) << round << " " << e.element << "." << e.attribute;
            }
        }
    }
    // Some damage (inside a value, a changed pixel) leaves a usable pack.
    EXPECT_GT(loaded, 0);
}

}  // namespace
}  // namespace vamu::toolkit
