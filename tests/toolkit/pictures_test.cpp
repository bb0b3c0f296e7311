// Picture controls: the picture box with animated pictures, the round picture, the
// group frame and the page.
#include "toolkit/test_support.h"
#include "toolkit/recording_control.h"

#include "toolkit/controls/control_properties.h"
#include "toolkit/controls/group_box.h"
#include "toolkit/controls/image_box.h"
#include "toolkit/controls/new_obj.h"
#include "toolkit/controls/page.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

namespace vamu::toolkit::test {
namespace {

// Test pictures made with ImageMagick:
//   convert -delay 5 -size 12x12 xc:red -delay 20 xc:lime -delay 10 xc:blue -loop 0 three_frames.gif
//   convert -size 8x8 xc:red one_frame.gif
QByteArray testPicture(const char* name) {
    QFile file(QStringLiteral(VAMU_TEST_DATA_DIR "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ImageBox, AnimatedPictureShowsEachFrameForItsOwnDelay) {
    const QByteArray gif = testPicture("three_frames.gif");
    ASSERT_FALSE(gif.isEmpty());
    TestHost t;
    ImageBox* box = ImageBox::create(t.host(), QRect(10, 10, 24, 24), gif);
    ASSERT_EQ(box->frameCount(), 3);
    EXPECT_EQ(box->frameDelayMs(0), 50);
    EXPECT_EQ(box->frameDelayMs(1), 200);
    EXPECT_EQ(box->frameDelayMs(2), 100);
    EXPECT_TRUE(box->frameTimerRunning());
    EXPECT_EQ(box->surface().pixel(12, 12), 0xFFFF0000u);

    // Watch two rounds and measure how long each frame stayed.
    const QRgb colours[] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
    std::vector<std::pair<int, qint64>> changes;  // frame, when it appeared
    QElapsedTimer clock;
    clock.start();
    int last = box->currentFrame();
    changes.emplace_back(last, 0);
    ASSERT_TRUE(pumpUntil(
        [&] {
            if (box->currentFrame() != last) {
                last = box->currentFrame();
                changes.emplace_back(last, clock.elapsed());
                EXPECT_EQ(box->surface().pixel(12, 12), colours[last]);
            }
            return changes.size() >= 7;
        },
        std::chrono::seconds(10)));
    // Frames follow in order and wrap from the last to the first.
    for (std::size_t i = 1; i < changes.size(); ++i) {
        EXPECT_EQ(changes[i].first, (changes[i - 1].first + 1) % 3);
    }
    std::map<int, qint64> shortest;
    for (std::size_t i = 1; i + 1 < changes.size(); ++i) {
        const qint64 shown = changes[i + 1].second - changes[i].second;
        const int frame = changes[i].first;
        if (!shortest.contains(frame) || shown < shortest[frame]) shortest[frame] = shown;
    }
    // Timer precision is loose on a busy machine; the order of the delays is not.
    EXPECT_GE(shortest[1], 180);
    EXPECT_GE(shortest[2], 80);
    EXPECT_LT(shortest[0], shortest[2]);
    EXPECT_LT(shortest[2], shortest[1]);
}

TEST(ImageBox, OneFramePicturesAndDamagedBytesStartNoTimer) {
    TestHost t;
    ImageBox* single = ImageBox::create(t.host(), QRect(10, 10, 16, 16), testPicture("one_frame.gif"));
    EXPECT_EQ(single->frameCount(), 1);
    EXPECT_FALSE(single->frameTimerRunning());
    EXPECT_EQ(single->surface().pixel(8, 8), 0xFFFF0000u);

    ImageBox* box = ImageBox::create(t.host(), QRect(40, 10, 16, 16), testPicture("three_frames.gif"));
    ASSERT_TRUE(pumpUntil([&] { return box->currentFrame() == 1; }));
    // A replacement stops the running animation and starts from its first frame.
    EXPECT_FALSE(box->setPicture(QByteArray("GIF89a but not really", 21)));
    EXPECT_EQ(box->frameCount(), 0);
    EXPECT_FALSE(box->frameTimerRunning());
    EXPECT_EQ(qAlpha(box->surface().pixel(8, 8)), 0);
    EXPECT_TRUE(setProperty(*box, "Image", {testPicture("three_frames.gif")}));
    EXPECT_EQ(box->currentFrame(), 0);
    EXPECT_TRUE(box->frameTimerRunning());
    EXPECT_TRUE(setProperty(*box, "Play", {0LL}));
    EXPECT_FALSE(box->frameTimerRunning());
    pump(std::chrono::milliseconds(120));
    EXPECT_EQ(box->currentFrame(), 0);
}

TEST(ImageBox, BackgroundPictureAndBorderByFillType) {
    TestHost t;
    ImageBoxSetup setup;
    setup.background = 0xFF0000FF;
    setup.border = 0xFF00FF00;
    setup.fillType = 2;  // centred, natural size
    ImageBox* box = ImageBox::create(t.host(), QRect(10, 10, 20, 20), solidPng(QSize(6, 6), 0xFFFF0000), setup);
    const QImage& s = box->surface();
    EXPECT_EQ(s.pixel(10, 10), 0xFFFF0000u);
    EXPECT_EQ(s.pixel(5, 10), 0xFF0000FFu);
    EXPECT_EQ(s.pixel(0, 10), 0xFF00FF00u);
    EXPECT_TRUE(setPropertyFromText(*box, "Filltype", "1"));
    EXPECT_EQ(box->surface().pixel(5, 10), 0xFFFF0000u);
}

TEST(NewObj, TransparentCornersLetClicksThroughToTheControlBelow) {
    Log log;
    TestHost t;
    RecordingControl::make(t.host(), QRect(0, 0, 100, 100), "below", &log);
    NewObj* round = NewObj::create(t.host(), QRect(10, 10, 60, 60), {.picture = solidPng(QSize(20, 20), 0xFFFF0000)});
    ASSERT_NE(round, nullptr);
    EXPECT_TRUE(round->alpHitTest());
    int clicks = 0;
    round->bindClick([&](const Event&) { return ++clicks, false; });
    const QPoint origin = round->absoluteRect().topLeft();
    t.click(origin + QPoint(2, 2));  // a corner outside the ring
    EXPECT_EQ(std::count(log.begin(), log.end(), "below:click@12,12"), 1);
    EXPECT_EQ(clicks, 0);
    t.click(origin + QPoint(30, 30));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "below:click@32,32"), 0);
}

TEST(NewObj, RingFollowsTheMouseAndANewPictureFadesIn) {
    TestHost t;
    NewObjSetup setup;
    setup.picture = solidPng(QSize(20, 20), 0xFFFF0000);
    setup.ringWidth = 4;
    NewObj* round = NewObj::create(t.host(), QRect(10, 10, 60, 60), setup);
    const QImage& s = round->surface();
    const QPoint ring(3, 30);  // inside the ellipse, within the ring's width
    EXPECT_EQ(s.pixel(ring), 0xFFFFFFFFu);
    EXPECT_EQ(s.pixel(30, 30), 0xFFFF0000u);
    const QPoint centre = round->absoluteRect().topLeft() + QPoint(30, 30);
    t.move(centre);
    EXPECT_EQ(round->surface().pixel(ring), 0xFFFFFF00u);
    t.press(centre);
    EXPECT_EQ(round->surface().pixel(ring), 0xFF00FF00u);
    t.release(centre);
    EXPECT_EQ(round->surface().pixel(ring), 0xFFFFFF00u);

    round->setPicture(solidPng(QSize(20, 20), 0xFF0000FF));
    EXPECT_TRUE(round->state() & state::kAnimating);
    EXPECT_EQ(round->animationFrames(), 10);
    EXPECT_EQ(round->animationInterval(), 30);
    ASSERT_TRUE(pumpUntil([&] { return !(round->state() & state::kAnimating); }));
    EXPECT_EQ(t.pixel(centre.x(), centre.y()), qRgba(0, 0, 255, 255));
    EXPECT_EQ(round->animationFrames(), 0);
    // The same bytes again change nothing.
    round->setPicture(round->pictureBytes());
    EXPECT_FALSE(round->state() & state::kAnimating);
}

TEST(GroupBox, CaptionInterruptsTheOutline) {
    struct Case {
        int align;
        int diameter;
    };
    for (const Case c : {Case{0, 0}, Case{1, 12}, Case{2, 0}}) {
        TestHost t;
        GroupBoxSetup setup;
        setup.text = QStringLiteral("Group");
        setup.border = 0xFFFF0000;
        setup.cornerDiameter = c.diameter;
        setup.align = c.align;
        GroupBox* box = GroupBox::create(t.host(), QRect(10, 10, 200, 100), setup);
        const QRect caption = box->captionRect();
        const QRect frame = box->frameRect();
        const QImage& s = box->surface();
        ASSERT_GT(caption.width(), 10);
        EXPECT_EQ(frame.top(), caption.height() / 2);
        if (c.align == 0) {
            EXPECT_EQ(caption.x(), 8);
        }
        if (c.align == 1) {
            EXPECT_LE(std::abs(caption.center().x() - 100), 1);
        }
        if (c.align == 2) {
            EXPECT_EQ(caption.right(), 200 - 8 - 1);
        }
        // The top line is red on both sides of the caption and absent under it.
        const int y = frame.top();
        const int left = c.align == 0 ? 4 : caption.left() - 4;
        const int right = caption.right() + 4;
        EXPECT_EQ(s.pixel(left, y), 0xFFFF0000u) << c.align;
        EXPECT_EQ(s.pixel(right, y), 0xFFFF0000u) << c.align;
        for (int x = caption.left(); x <= caption.right(); ++x) {
            EXPECT_NE(s.pixel(x, y), 0xFFFF0000u) << "align " << c.align << " x " << x;
        }
        // The sides and the bottom run unbroken.
        EXPECT_EQ(s.pixel(100, 99), 0xFFFF0000u);
        EXPECT_EQ(s.pixel(0, 60), 0xFFFF0000u);
        if (c.diameter > 0) {
            EXPECT_EQ(qAlpha(s.pixel(0, y)), 0);  // a rounded corner
        }
    }
}

TEST(GroupBox, WithoutACaptionTheFrameTakesTheWholeBox) {
    TestHost t;
    GroupBoxSetup setup;
    setup.border = 0xFFFF0000;
    GroupBox* box = GroupBox::create(t.host(), QRect(10, 10, 120, 30), setup);
    EXPECT_EQ(box->frameRect(), QRect(0, 0, 120, 30));
    const QImage& s = box->surface();
    EXPECT_EQ(s.pixel(60, 0), 0xFFFF0000u);   // the top line runs along the top edge
    EXPECT_EQ(s.pixel(60, 29), 0xFFFF0000u);  // and the bottom one along the bottom edge
    EXPECT_EQ(s.pixel(0, 1), 0xFFFF0000u);
    // A caption moves the frame down by half its height; taking it away moves it back.
    box->setText(QStringLiteral("标题"));
    const int half = box->captionRect().height() / 2;
    ASSERT_GT(half, 0);
    EXPECT_EQ(box->frameRect(), QRect(0, half, 120, 30 - half));
    box->setText(QString());
    EXPECT_EQ(box->frameRect(), QRect(0, 0, 120, 30));
    EXPECT_EQ(box->captionRect().size(), QSize(0, 0));
}

TEST(GroupBox, OutlineOnlyWithABorderColourAndWidthZeroIsOnePixel) {
    TestHost t;
    GroupBox* box = GroupBox::create(t.host(), QRect(10, 10, 100, 40));
    const QImage& s = box->surface();
    const auto edgesDrawn = [&s] {
        int drawn = 0;
        for (int x = 0; x < s.width(); ++x)
            drawn += (qAlpha(s.pixel(x, 0)) != 0) + (qAlpha(s.pixel(x, s.height() - 1)) != 0);
        for (int y = 0; y < s.height(); ++y)
            drawn += (qAlpha(s.pixel(0, y)) != 0) + (qAlpha(s.pixel(s.width() - 1, y)) != 0);
        return drawn;
    };
    EXPECT_EQ(edgesDrawn(), 0) << "no outline without crBorder";
    struct Case {
        const char* width;
        int thickness;  // pixels of the line, counted inwards from the edge
    };
    for (const Case c : {Case{"0", 1}, Case{"1", 1}}) {
        ASSERT_TRUE(setPropertyFromText(*box, "crBorder", "4278190335"));  // opaque blue
        ASSERT_TRUE(setPropertyFromText(*box, "szBorder", c.width));
        EXPECT_GT(edgesDrawn(), 2 * 100 + 2 * 40 - 8) << c.width;
        for (int d = 0; d < c.thickness; ++d) EXPECT_EQ(s.pixel(50, 39 - d), 0xFF0000FFu) << c.width << " " << d;
        EXPECT_EQ(qAlpha(s.pixel(50, 39 - c.thickness)), 0) << c.width;
    }
    ASSERT_TRUE(setPropertyFromText(*box, "crBorder", "0"));
    EXPECT_EQ(edgesDrawn(), 0) << "crBorder 0 takes the outline away";
}

TEST(Page, DrawsNothingAndHoldsItsChildren) {
    Log log;
    TestHost t({.colour = 0x00FF00});
    Page* page = Page::create(t.host(), QRect(20, 20, 100, 100));
    EXPECT_EQ(page->surface().size(), QSize(1, 1));
    RecordingControl* child = RecordingControl::make(page, QRect(10, 10, 20, 20), "child", &log, 0xFFFF0000);
    const QPoint inside = page->absoluteRect().topLeft() + QPoint(5, 5);
    EXPECT_EQ(t.pixel(inside.x(), inside.y()), qRgba(0, 255, 0, 255));
    const QPoint onChild = child->absoluteRect().center();
    EXPECT_EQ(t.pixel(onChild.x(), onChild.y()), qRgba(255, 0, 0, 255));
    page->setVisible(false);
    EXPECT_EQ(t.pixel(onChild.x(), onChild.y()), qRgba(0, 255, 0, 255));
}

}  // namespace
}  // namespace vamu::toolkit::test
