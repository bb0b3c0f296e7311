// Host windows on a screen with a device pixel ratio of 2: back buffers and surfaces
// at device resolution, theme pictures from the 2x atlas, and everything the program
// reasons about (geometry, hit testing) in logical pixels. The input region at ratio 2
// is tested on a real X server (tests/platform, platform_x11_2x_tests).
//
// The offscreen platform gets two screens side by side: "standard" (ratio 1) from
// x = 0 and "dense" (ratio 2) from x = 1200, so one run compares both.
#include "toolkit/test_support.h"

#include "toolkit/controls/button.h"
#include "toolkit/controls/label.h"
#include "toolkit/controls/paint.h"
#include "toolkit/controls/surface.h"

#include <QFile>
#include <QPainter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>

namespace vamu::toolkit::test {
namespace {

const QPoint kStandardScreen(100, 100);
const QPoint kDenseScreen(1250, 40);

// Before the application object exists (the global test environment makes it).
const bool kTwoScreens = [] {
    static QTemporaryDir dir;
    const QString path = dir.path() + "/screens.json";
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(R"({"screens":[
            {"name":"standard","x":0,"y":0,"width":1200,"height":900,"logicalDpi":96,"logicalBaseDpi":96},
            {"name":"dense","x":1200,"y":0,"width":1200,"height":900,"logicalDpi":96,"logicalBaseDpi":96}]})");
    }
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + path).toUtf8());
    qputenv("QT_SCREEN_SCALE_FACTORS", "standard=1;dense=2");
    return true;
}();

constexpr QSize kWindowSize(300, 200);
const QRect kLabelRect(20, 20, 200, 24);
const QRect kButtonRect(20, 80, 90, 26);

struct Gallery {
    explicit Gallery(QPoint at, std::optional<int> alpha = -1)
        : host({.size = kWindowSize, .position = at, .alpha = alpha}) {
        label = Label::create(host.host(), kLabelRect,
                              {.text = QStringLiteral("Sharp text 清晰"), .textColour = 0xFF000000, .fontSize = 14});
        button = Button::create(host.host(), kButtonRect, {.text = QStringLiteral("OK")});
        host.host().controls().flush();
    }
    // The back buffer's pixels of a logical area, at the buffer's own resolution.
    QImage area(const QRect& logical) {
        host.host().controls().flush();
        const QImage& back = host.host().backBuffer();
        QImage part = back.copy(surface::toDevice(logical, back.devicePixelRatio()));
        part.setDevicePixelRatio(1.0);
        return part.convertToFormat(QImage::Format_ARGB32);
    }
    TestHost host;
    Label* label = nullptr;
    Button* button = nullptr;
};

// How the text's edges look: black text on white, so the grey level is the ink.
struct EdgeFigures {
    double steepness = 0;     // mean squared step over mean step: larger = sharper edges
    double greyFraction = 0;  // of the pixels with any ink, those neither paper nor ink
};

EdgeFigures edgeFigures(const QImage& image) {
    double sumSquares = 0;
    double sum = 0;
    int inked = 0;
    int grey = 0;
    for (int y = 0; y < image.height(); ++y) {
        int previous = qGray(image.pixel(0, y));
        for (int x = 0; x < image.width(); ++x) {
            const int level = qGray(image.pixel(x, y));
            const int step = std::abs(level - previous);
            sum += step;
            sumSquares += static_cast<double>(step) * step;
            previous = level;
            if (level < 235) {
                ++inked;
                if (level > 40) ++grey;
            }
        }
    }
    EdgeFigures figures;
    figures.steepness = sum > 0 ? sumSquares / sum : 0;
    figures.greyFraction = inked > 0 ? static_cast<double>(grey) / inked : 0;
    return figures;
}

TEST(HighDensity, BackBufferAndSurfacesAreDeviceSizedWhileGeometryStaysLogical) {
    Gallery standard(kStandardScreen);
    Gallery dense(kDenseScreen);
    ASSERT_EQ(standard.host.host().devicePixelRatio(), 1.0);
    ASSERT_EQ(dense.host.host().devicePixelRatio(), 2.0);

    EXPECT_EQ(standard.host.host().backBuffer().size(), kWindowSize);
    EXPECT_EQ(dense.host.host().backBuffer().size(), kWindowSize * 2);
    EXPECT_EQ(dense.host.native().backBufferSize(), kWindowSize);
    EXPECT_EQ(dense.host.host().geometry().size(), kWindowSize);
    EXPECT_EQ(dense.host.host().width(), kWindowSize.width());
    EXPECT_EQ(dense.button->rect(), kButtonRect);
    EXPECT_EQ(dense.button->surface().size(), kButtonRect.size() * 2);
    EXPECT_EQ(surface::logicalSize(dense.button->surface()), kButtonRect.size());
    EXPECT_EQ(dense.host.host().background().size(), kWindowSize * 2);
}

TEST(HighDensity, TextIsSharperThanTheStandardRenderingEnlarged) {
    Gallery standard(kStandardScreen);
    Gallery dense(kDenseScreen);
    const QImage small = standard.area(kLabelRect);
    const QImage fine = dense.area(kLabelRect);
    ASSERT_EQ(fine.size(), small.size() * 2);
    const QImage enlarged = small.scaled(small.size() * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    const EdgeFigures sharp = edgeFigures(fine);
    const EdgeFigures blurred = edgeFigures(enlarged);
    const EdgeFigures original = edgeFigures(small);
    // Text was drawn at all, and in the same place.
    ASSERT_GT(original.steepness, 20.0);
    ASSERT_GT(sharp.steepness, 20.0);
    std::printf(
        "edge steepness: 1x %.1f, 1x enlarged %.1f, 2x %.1f; grey fraction: 1x %.3f, 1x enlarged %.3f, "
        "2x %.3f\n",
        original.steepness, blurred.steepness, sharp.steepness, original.greyFraction, blurred.greyFraction,
        sharp.greyFraction);
    EXPECT_GT(sharp.steepness, blurred.steepness * 1.3);
    EXPECT_LT(sharp.greyFraction, blurred.greyFraction * 0.8);
}

TEST(HighDensity, ThemePicturesComeFromTheHighResolutionAtlas) {
    const ThemePack* pack = builtinThemePack();
    ASSERT_NE(pack->highResolutionAtlas(), nullptr);
    const auto region = pack->rect("Button", "normal");
    ASSERT_TRUE(region);
    // Drawn at natural size over nothing, a 2x surface takes the 2x atlas's pixels as they are.
    QImage target = surface::make(region->size(), 2.0);
    {
        QPainter painter(&target);
        paint::drawImage(painter, paint::atlasFor(pack, pack->atlas(), painter), QRectF(QPointF(), region->size()),
                         QRectF(*region), paint::fill::kNatural);
    }
    const QImage expected = pack->highResolutionAtlas()->copy(surface::toDevice(*region, 2.0));
    ASSERT_EQ(target.size(), expected.size());
    int different = 0;
    for (int y = 0; y < target.height(); ++y) {
        for (int x = 0; x < target.width(); ++x) different += target.pixel(x, y) != expected.pixel(x, y);
    }
    EXPECT_EQ(different, 0);

    // A 1x surface keeps the pack's own atlas.
    QImage standard = surface::make(region->size(), 1.0);
    QPainter painter(&standard);
    EXPECT_EQ(&paint::atlasFor(pack, pack->atlas(), painter), &pack->atlas());
}

TEST(HighDensity, HitTestingAndClicksUseLogicalPositions) {
    Gallery dense(kDenseScreen);
    int clicks = 0;
    dense.button->bindClick([&](const Event&) {
        ++clicks;
        return true;
    });
    const QPoint inside = kButtonRect.topLeft() + dense.host.host().controls().origin() + QPoint(5, 5);
    const HitResult hit = dense.host.host().controls().hitTest(inside);
    EXPECT_EQ(hit.control, dense.button);
    EXPECT_EQ(hit.local, QPoint(5, 5));
    // Twice the logical position lies outside the window's controls, not on the button.
    EXPECT_NE(dense.host.host().controls().hitTest(inside * 2).control, dense.button);
    dense.host.click(inside);
    EXPECT_EQ(clicks, 1);

    // Hit testing by alpha reads the device pixel under the logical point.
    dense.label->setAlpHitTest(true);
    const QPoint labelOrigin = kLabelRect.topLeft() + dense.host.host().controls().origin();
    QPoint ink;
    QPoint paper;
    const QImage& surface = dense.label->surface();
    for (int y = 0; y < kLabelRect.height(); ++y) {
        for (int x = 0; x < kLabelRect.width(); ++x) {
            const int alpha = qAlpha(surface::pixelAt(surface, QPoint(x, y)));
            if (alpha > 200 && ink.isNull()) ink = QPoint(x, y);
            if (alpha == 0 && paper.isNull() && x > 0) paper = QPoint(x, y);
        }
    }
    ASSERT_FALSE(ink.isNull());
    ASSERT_FALSE(paper.isNull());
    EXPECT_EQ(dense.host.host().controls().hitTest(labelOrigin + ink).control, dense.label);
    EXPECT_NE(dense.host.host().controls().hitTest(labelOrigin + paper).control, dense.label);
}

TEST(HighDensity, AutomaticTextColourReadsTheBackgroundAtLogicalPositions) {
    // A dark left half and a light right half, as the window's skin.
    TestHost t({.size = kWindowSize, .position = kDenseScreen, .colour = 0xFFFFFF});
    QImage skin(kWindowSize, QImage::Format_ARGB32_Premultiplied);
    skin.fill(Qt::white);
    QPainter(&skin).fillRect(QRect(0, 0, kWindowSize.width() / 2, kWindowSize.height()), Qt::black);
    t.host().setBackground(skin);
    ASSERT_EQ(t.host().devicePixelRatio(), 2.0);
    LabelSetup setup{.text = QStringLiteral("Auto"), .autoSetColour = true};
    Label* overDark = Label::create(t.host(), QRect(20, 60, 80, 20), setup);
    Label* overLight = Label::create(t.host(), QRect(200, 60, 80, 20), setup);
    t.host().controls().flush();
    EXPECT_EQ(overDark->paintedTextColour(), qRgba(255, 255, 255, 255));
    EXPECT_EQ(overLight->paintedTextColour(), qRgba(0, 0, 0, 255));
}

TEST(HighDensity, MovingToADenserScreenRedrawsEverythingAtTheNewRatio) {
    Gallery moved(kStandardScreen);
    Gallery dense(kDenseScreen);
    const QImage before = moved.area(kLabelRect);
    moved.host.host().move(kDenseScreen.x(), kDenseScreen.y());
    ASSERT_TRUE(pumpUntil([&] { return moved.host.host().devicePixelRatio() == 2.0; }));
    EXPECT_EQ(moved.host.host().backBuffer().size(), kWindowSize * 2);
    EXPECT_EQ(moved.label->surface().size(), kLabelRect.size() * 2);
    EXPECT_EQ(moved.host.host().geometry().size(), kWindowSize);
    const QImage after = moved.area(kLabelRect);
    EXPECT_EQ(after, dense.area(kLabelRect));
    EXPECT_NE(after.size(), before.size());
}

}  // namespace
}  // namespace vamu::toolkit::test
