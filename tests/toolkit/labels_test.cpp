// Labels and links: placement and wrapping of the text, backgrounds, the automatic
// text colour, and what a link hands to the desktop.
#include "toolkit/test_support.h"

#include "platform/desktop.h"
#include "platform/keys.h"
#include "toolkit/controls/button.h"
#include "toolkit/controls/label.h"
#include "toolkit/controls/link.h"

#include <gtest/gtest.h>

namespace vamu::toolkit::test {
namespace {

// Rows and columns of the surface that hold visible text pixels (alpha above 100).
QRect inkBounds(const QImage& surface) {
    QRect bounds;
    for (int y = 0; y < surface.height(); ++y) {
        for (int x = 0; x < surface.width(); ++x) {
            if (qAlpha(surface.pixel(x, y)) > 100) bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

// Replaces the desktop's opener for one test and records what it was handed.
class OpenedAddresses {
public:
    OpenedAddresses()
        : m_previous(platform::setAddressOpener([this](const QString& address) {
              m_opened.push_back(address);
              return true;
          })) {}
    ~OpenedAddresses() { platform::setAddressOpener(std::move(m_previous)); }
    const std::vector<QString>& opened() const { return m_opened; }

private:
    std::vector<QString> m_opened;
    platform::AddressOpener m_previous;
};

TEST(Label, OneLineSitsAtTheTopMiddleOrBottomTwoPixelsIn) {
    TestHost t;
    Label* label = Label::create(t.host(), QRect(10, 10, 120, 60), {.text = QStringLiteral("Xg")});
    struct Case {
        int mode;
        std::function<bool(const QRect&)> placed;
        const char* where;
    };
    const Case cases[] = {
        {0, [](const QRect& ink) { return ink.top() >= 2 && ink.top() <= 6; }, "top"},
        {1, [](const QRect& ink) { return std::abs(ink.center().y() - 30) <= 3; }, "middle"},
        {2, [](const QRect& ink) { return ink.bottom() <= 57 && ink.bottom() >= 52; }, "bottom"},
    };
    for (const Case& c : cases) {
        label->setVertAlignMode(c.mode);
        const QRect ink = inkBounds(label->surface());
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_TRUE(c.placed(ink)) << c.where << ": " << ink.top() << ".." << ink.bottom();
        EXPECT_GE(ink.left(), 2);
    }
    label->setHorzAlignMode(2);
    EXPECT_GE(inkBounds(label->surface()).right(), 110);
    EXPECT_LE(inkBounds(label->surface()).right(), 117);
}

TEST(Label, AutoCutLineWrapsInsideTheTextAreaAndOneLineIsClipped) {
    TestHost t;
    const QString text = QStringLiteral("one two three four five six seven eight");
    Label* label = Label::create(t.host(), QRect(10, 10, 70, 80), {.text = text});
    label->setVertAlignMode(0);
    const QRect line = inkBounds(label->surface());
    const int lineHeight = QFontMetrics(label->font()).height();
    EXPECT_LE(line.height(), lineHeight);
    EXPECT_LE(line.right(), 67);  // clipped 2 pixels in
    label->setAutoCutLine(true);
    const QRect wrapped = inkBounds(label->surface());
    EXPECT_GE(wrapped.height(), 3 * lineHeight);
    EXPECT_GE(wrapped.left(), 2);
    EXPECT_LE(wrapped.right(), 67);
    EXPECT_LE(wrapped.bottom(), 77);
}

TEST(Label, GradientBackgroundKeepsTheBorderVisible) {
    TestHost t;
    LabelSetup setup;
    setup.lineType = 0;  // horizontal
    setup.background1 = 0xFFFF0000;
    setup.background2 = 0xFF0000FF;
    setup.border = 0xFF00FF00;
    Label* label = Label::create(t.host(), QRect(10, 10, 100, 30), setup);
    const QImage& surface = label->surface();
    EXPECT_GT(qRed(surface.pixel(5, 15)), 200);
    EXPECT_GT(qBlue(surface.pixel(94, 15)), 200);
    EXPECT_EQ(surface.pixel(0, 15), 0xFF00FF00u);
    EXPECT_EQ(surface.pixel(50, 29), 0xFF00FF00u);
}

TEST(Label, AutoSetColorTurnsWhiteOverADarkBackgroundPicture) {
    TestHost t({.size = {400, 300}});
    QImage picture(400, 300, QImage::Format_ARGB32);
    picture.fill(Qt::white);
    QPainter(&picture).fillRect(QRect(0, 0, 200, 300), Qt::black);
    t.host().setBackground(picture);
    LabelSetup setup;
    setup.text = QStringLiteral("Auto");
    setup.textColour = qRgba(10, 20, 30, 200);
    setup.autoSetColour = true;
    Label* overDark = Label::create(t.host(), QRect(20, 20, 100, 20), setup);
    Label* overLight = Label::create(t.host(), QRect(250, 20, 100, 20), setup);
    Label* straddling = Label::create(t.host(), QRect(150, 60, 100, 20), setup);  // half and half: not dark
    EXPECT_EQ(overDark->paintedTextColour(), qRgba(255, 255, 255, 200));
    EXPECT_EQ(overLight->paintedTextColour(), qRgba(0, 0, 0, 200));
    EXPECT_EQ(straddling->paintedTextColour(), qRgba(0, 0, 0, 200));
    overDark->setAutoSetColour(false);
    EXPECT_EQ(overDark->paintedTextColour(), qRgba(10, 20, 30, 200));
}

TEST(Label, TakesNeitherFocusNorTheMouseSoAPressDragsTheWindow) {
    TestHost t({.captionFlags = caption::kClose});
    Label* label = Label::create(t.host(), QRect(10, 40, 100, 20), {.text = QStringLiteral("Drag me")});
    int presses = 0;
    label->bindLeftDown([&](const Event&) { return ++presses, false; });
    t.press(label->absoluteRect().center());
    EXPECT_TRUE(t.native().inManualDrag());
    EXPECT_FALSE(label->isFocused());
    EXPECT_EQ(t.host().controls().captured(), ControlHandle{});
    EXPECT_EQ(presses, 0);
}

TEST(Label, AmpersandsInALabelClaimNoAccessKeyButALinkHasOne) {
    OpenedAddresses opener;
    TestHost t;
    Label* title = Label::create(t.host(), QRect(10, 10, 100, 20), {.text = QStringLiteral("R&B")});
    ButtonSetup setup;
    setup.text = QStringLiteral("&Back");
    Button* back = Button::create(t.host(), QRect(10, 40, 69, 24), setup);
    Link* mail = Link::create(t.host(), QRect(10, 70, 100, 20),
                              {.label = {.text = QStringLiteral("&Mail")}, .address = QStringLiteral("a@b.cn")});
    int clicks = 0;
    back->bindClick([&](const Event&) { return ++clicks, false; });
    t.send(platform::msg::kSysChar, 'b');
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(title->textFormat().prefix, paint::HotkeyPrefix::None);
    t.send(platform::msg::kSysChar, 'm');
    EXPECT_EQ(opener.opened(), (std::vector<QString>{QStringLiteral("mailto:a@b.cn")}));
    EXPECT_TRUE(mail->visited());
}

TEST(Link, HandsItsAddressToTheDesktopWithTheMailRule) {
    struct Case {
        QString address;
        int type;
        QString opened;
    };
    const Case cases[] = {
        {QStringLiteral("someone@example.org"), 0, QStringLiteral("mailto:someone@example.org")},
        {QStringLiteral("http://127.0.0.1:8960/"), 1, QStringLiteral("http://127.0.0.1:8960/")},
        {QStringLiteral("http://127.0.0.1:8960/"), 5, QStringLiteral("http://127.0.0.1:8960/")},
        {QStringLiteral("mailto:a@b.cn"), 0, QStringLiteral("mailto:a@b.cn")},
    };
    for (const Case& c : cases) {
        OpenedAddresses opener;
        TestHost t;
        Link* link =
            Link::create(t.host(), QRect(10, 10, 120, 20),
                         {.label = {.text = QStringLiteral("Write")}, .address = c.address, .linkType = c.type});
        t.click(link->absoluteRect().center());
        link->setFocus();
        t.key(platform::vk::kReturn);
        EXPECT_EQ(opener.opened(), (std::vector<QString>{c.opened, c.opened})) << c.address.toStdString();
    }
    OpenedAddresses opener;
    TestHost t;
    Link* empty = Link::create(t.host(), QRect(10, 10, 120, 20), {.label = {.text = QStringLiteral("Nowhere")}});
    t.click(empty->absoluteRect().center());
    EXPECT_TRUE(opener.opened().empty());
    EXPECT_TRUE(empty->visited());
}

TEST(Link, HoverUnderlinesInTheHighlightColourAndAClickMarksItVisited) {
    OpenedAddresses opener;
    TestHost t;
    Link* link = Link::create(t.host(), QRect(10, 10, 120, 20),
                              {.label = {.text = QStringLiteral("Home"), .textColour = 0xFF101010},
                               .address = QStringLiteral("http://127.0.0.1/"),
                               .linkType = 1});
    EXPECT_TRUE(link->focusable());
    EXPECT_EQ(link->paintedTextColour(), 0xFF101010u);
    t.move(link->absoluteRect().center());
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->paintedTextColour(), qRgb(0, 96, 192));
    EXPECT_EQ(link->cursor(), platform::CursorShape::Hand);
    t.move(QPoint(300, 250));
    EXPECT_FALSE(link->font().underline());
    EXPECT_EQ(link->paintedTextColour(), 0xFF101010u);
    t.click(link->absoluteRect().center());
    t.move(QPoint(300, 250));
    EXPECT_TRUE(link->visited());
    EXPECT_EQ(link->paintedTextColour(), qRgb(128, 0, 0));
}

}  // namespace
}  // namespace vamu::toolkit::test
