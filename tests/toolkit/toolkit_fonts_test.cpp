#include "toolkit/toolkit_fonts.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>

namespace vamu::toolkit {
namespace {

void ensureApplication() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "toolkit_theme_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = QGuiApplication::instance() ? nullptr : new QGuiApplication(argc, argv);
    (void)app;
}

FontCatalogue fakeCatalogue(QStringList installed, QStringList chinese, QString substitute, QString caption) {
    FontCatalogue c;
    c.isInstalled = [installed](const QString& f) { return installed.contains(f); };
    c.substitute = [substitute](const QString&) { return substitute; };
    c.showsChinese = [chinese](const QString& f) { return chinese.contains(f); };
    c.captionFace = caption;
    c.chineseFaces = chinese;
    c.generalFace = "Sans";
    return c;
}

TEST(DefaultFontFace, PrefersTheDefaultFaceThenChineseFallbacks) {
    const QString songti = QString::fromUtf8(kDefaultFontFace);
    const struct {
        const char* name;
        FontCatalogue catalogue;
        QString expected;
    } cases[] = {
        {"installed, whatever the caption face", fakeCatalogue({songti, "Foo"}, {songti, "Foo"}, songti, "Foo"),
         songti},
        {"a fontconfig alias that shows Chinese",
         fakeCatalogue({"AR PL UMing", "Foo"}, {"AR PL UMing", "Foo"}, "AR PL UMing", "Foo"), "AR PL UMing"},
        {"the caption face when it shows Chinese",
         fakeCatalogue({"DejaVu Sans", "Foo", "Bar"}, {"Bar", "Foo"}, "DejaVu Sans", "Foo"), "Foo"},
        {"not Tahoma", fakeCatalogue({"DejaVu Sans", "Tahoma", "Bar"}, {"Bar", "Tahoma"}, "DejaVu Sans", "Tahoma"),
         "Bar"},
        {"a caption face without Chinese", fakeCatalogue({"DejaVu Sans", "Bar"}, {"Bar"}, "DejaVu Sans", "DejaVu Sans"),
         "Bar"},
        {"no Chinese face at all", fakeCatalogue({"DejaVu Sans"}, {}, "DejaVu Sans", "DejaVu Sans"), "Sans"},
    };
    for (const auto& c : cases) EXPECT_EQ(chooseDefaultFontFace(c.catalogue), c.expected) << c.name;
}

TEST(DefaultFontFace, ResolvesToAFaceThatShowsChinese) {
    ensureApplication();
    const QFont font = defaultFont();
    EXPECT_EQ(font.pixelSize(), kDefaultFontPixelSize);
    EXPECT_FALSE(font.bold());
    EXPECT_FALSE(font.italic());
    // fonts-wqy-microhei or fonts-noto-cjk are installed wherever the tests run.
    EXPECT_TRUE(QFontDatabase::writingSystems(QFontInfo(font).family()).contains(QFontDatabase::SimplifiedChinese))
        << font.family().toStdString();
    EXPECT_FALSE(systemFontFace(SystemFontKind::Caption).isEmpty());
}

}  // namespace
}  // namespace vamu::toolkit
