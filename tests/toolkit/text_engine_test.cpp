// The edit box's text engine on its own: editing, limits, password mode, composition
// and scrolling.
#include "toolkit/test_support.h"

#include "platform/keys.h"
#include "platform/messages.h"
#include "toolkit/controls/text_engine.h"
#include "toolkit/toolkit.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

namespace vamu::toolkit::test {
namespace {

namespace vk = platform::vk;

struct Engine {
    explicit Engine(bool multiline = false, QSize view = QSize(200, 20)) {
        engine.setFont(toolkitFont());
        engine.setMultiline(multiline);
        engine.setViewSize(view);
    }
    TextEngine engine;
};

TEST(TextEngine, TypingMovingSelectingAndDeleting) {
    Engine e;
    TextEngine& t = e.engine;
    EXPECT_TRUE(t.insert(QStringLiteral("hello world")));
    EXPECT_EQ(t.cursorPosition(), 11);
    EXPECT_TRUE(t.key(vk::kLeft, kCtrl));  // to the start of "world"
    EXPECT_EQ(t.cursorPosition(), 6);
    EXPECT_TRUE(t.key(vk::kRight, kShift | kCtrl));
    EXPECT_EQ(t.selectedText(), QStringLiteral("world"));
    EXPECT_TRUE(t.key(vk::kLeft, 0));  // a plain arrow ends the selection at its side
    EXPECT_FALSE(t.hasSelection());
    EXPECT_EQ(t.cursorPosition(), 6);
    EXPECT_TRUE(t.key(vk::kBack, 0));
    EXPECT_EQ(t.text(), QStringLiteral("helloworld"));
    EXPECT_TRUE(t.key(vk::kHome, kShift));
    EXPECT_TRUE(t.insert(QStringLiteral("Hi ")));
    EXPECT_EQ(t.text(), QStringLiteral("Hi world"));
    EXPECT_TRUE(t.key(vk::kEnd, 0));
    EXPECT_FALSE(t.key(vk::kDelete, 0));  // nothing after the caret
    EXPECT_FALSE(t.key(vk::kUp, 0));      // one line: not taken
    EXPECT_TRUE(t.undo());
    EXPECT_EQ(t.text(), QStringLiteral("helloworld"));
    EXPECT_TRUE(t.redo());
    EXPECT_EQ(t.text(), QStringLiteral("Hi world"));
    t.select(0, -1);
    EXPECT_EQ(t.selectedText(), QStringLiteral("Hi world"));
    t.select(3, 5);
    EXPECT_EQ(t.selectedText(), QStringLiteral("wo"));
}

TEST(TextEngine, LinesBreaksAndControlCharactersFollowTheMode) {
    struct Case {
        bool multiline;
        QString typed;
        QString expected;
    };
    const Case cases[] = {
        {false, QStringLiteral("first\r\nsecond"), QStringLiteral("first")},
        {true, QStringLiteral("first\r\nsecond\rthird"), QStringLiteral("first\nsecond\nthird")},
        {false,
         QStringLiteral("a\tb\x01\x7f"
                        "c"),
         QStringLiteral("a\tbc")},
        {true, QString(QChar::ParagraphSeparator) + QStringLiteral("x"), QStringLiteral("\nx")},
    };
    for (const Case& c : cases) {
        Engine e(c.multiline);
        e.engine.insert(c.typed);
        EXPECT_EQ(e.engine.text(), c.expected) << c.typed.toStdString();
    }
    Engine single;
    EXPECT_FALSE(single.engine.newLine());
    Engine multi(true);
    EXPECT_TRUE(multi.engine.newLine());
    EXPECT_EQ(multi.engine.text(), QStringLiteral("\n"));
}

TEST(TextEngine, TheLimitCountsCharactersAndNeverSplitsOne) {
    const QString emoji = QString::fromUtf8("\xF0\x9F\x8E\xB5");  // one character, two UTF-16 units
    struct Case {
        int limit;
        QString before;
        QString typed;
        QString expected;
    };
    const Case cases[] = {
        {8, QStringLiteral("1234567"), QStringLiteral("89"), QStringLiteral("12345678")},
        {3, QStringLiteral("音乐"), QStringLiteral("好听的"), QStringLiteral("音乐好")},
        {3, QStringLiteral("ab"), emoji + emoji, QStringLiteral("ab") + emoji},
        {2, QStringLiteral("a"), emoji + QStringLiteral("b"), QStringLiteral("a") + emoji},
        {2, QStringLiteral("ab"), QStringLiteral("c"), QStringLiteral("ab")},
    };
    for (const Case& c : cases) {
        Engine e;
        e.engine.setText(c.before);
        e.engine.setMaxLength(c.limit);
        e.engine.select(-1, -1);
        e.engine.insert(c.typed);
        EXPECT_EQ(e.engine.text(), c.expected) << c.before.toStdString() << " + " << c.typed.toStdString();
        EXPECT_LE(e.engine.length(), c.limit);
    }
    // Replacing a selection only needs room for the difference.
    Engine e;
    e.engine.setText(QStringLiteral("abcd"));
    e.engine.setMaxLength(4);
    e.engine.select(1, 3);
    EXPECT_TRUE(e.engine.insert(QStringLiteral("XY")));
    EXPECT_EQ(e.engine.text(), QStringLiteral("aXYd"));
    // The program's own text is not cut.
    e.engine.setText(QStringLiteral("abcdef"));
    EXPECT_EQ(e.engine.text(), QStringLiteral("abcdef"));
}

TEST(TextEngine, ReadOnlyTextCanBeSelectedAndCopiedButNotChanged) {
    Engine e;
    TextEngine& t = e.engine;
    t.setText(QStringLiteral("fixed"));
    t.setReadOnly(true);
    const auto revision = t.revision();
    t.selectAll();
    EXPECT_FALSE(t.insert(QStringLiteral("x")));
    EXPECT_FALSE(t.key(vk::kBack, 0));
    EXPECT_FALSE(t.deleteForward(false));
    EXPECT_FALSE(t.cut().has_value());
    EXPECT_FALSE(t.undo());
    EXPECT_EQ(t.copy(), QStringLiteral("fixed"));
    EXPECT_EQ(t.revision(), revision);
    t.setPreedit(QStringLiteral("zhong"), 5);
    EXPECT_TRUE(t.preedit().isEmpty());
}

TEST(TextEngine, PasswordModeDrawsOnlyTheMaskAndGivesNothingAway) {
    Engine password;
    password.engine.setPassword(true, QChar(u'*'));
    password.engine.insert(QStringLiteral("s3cret"));
    password.engine.selectAll();
    EXPECT_FALSE(password.engine.copy().has_value());
    EXPECT_FALSE(password.engine.cut().has_value());
    EXPECT_TRUE(password.engine.selectedText().isEmpty());
    EXPECT_TRUE(password.engine.paragraphText().isEmpty());
    EXPECT_EQ(password.engine.text(), QStringLiteral("s3cret"));  // the program still reads it

    Engine mask;
    mask.engine.insert(QStringLiteral("******"));
    mask.engine.selectAll();
    auto render = [](const TextEngine& engine) {
        QImage image(200, 20, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QPainter painter(&image);
        engine.draw(painter, QPoint(), TextEngine::DrawOptions{});
        return image;
    };
    EXPECT_EQ(render(password.engine), render(mask.engine));
    password.engine.select(-1, -1);
    mask.engine.select(-1, -1);
    EXPECT_EQ(password.engine.caretRect(), mask.engine.caretRect());
    // Word moves jump over the whole password, never revealing where words are.
    EXPECT_TRUE(password.engine.key(vk::kLeft, kCtrl));
    EXPECT_EQ(password.engine.cursorPosition(), 0);
}

TEST(TextEngine, CompositionShowsAtTheCaretWithoutChangingTheText) {
    Engine e;
    TextEngine& t = e.engine;
    t.insert(QStringLiteral("ab"));
    t.key(vk::kLeft, 0);
    const QRect before = t.caretRect();
    const auto revision = t.revision();
    t.setPreedit(QStringLiteral("zhong"), 5);
    EXPECT_EQ(t.text(), QStringLiteral("ab"));
    EXPECT_EQ(t.revision(), revision);
    EXPECT_GT(t.caretRect().x(), before.x() + 10);  // after the composed letters
    t.setPreedit(QStringLiteral("zhong"), 0);
    EXPECT_EQ(t.caretRect().x(), before.x());
    t.insert(QStringLiteral("中"));  // the commit replaces the composition
    EXPECT_TRUE(t.preedit().isEmpty());
    EXPECT_EQ(t.text(), QStringLiteral("a中b"));
    EXPECT_EQ(t.paragraphText(), QStringLiteral("a中b"));
    EXPECT_EQ(t.paragraphCursor(), 2);
}

TEST(TextEngine, TheViewFollowsTheCaret) {
    Engine e(false, QSize(60, 20));
    TextEngine& t = e.engine;
    t.insert(QString(40, QLatin1Char('m')));
    t.ensureCaretVisible();
    EXPECT_GT(t.scrollOffset().x(), 0);
    const QRect caret = t.caretRect();
    EXPECT_GE(caret.left(), 0);
    EXPECT_LT(caret.right(), 60);
    t.key(vk::kHome, 0);
    t.ensureCaretVisible();
    EXPECT_EQ(t.scrollOffset().x(), 0);

    Engine wrapped(true, QSize(80, 40));
    wrapped.engine.setWordWrap(true);
    wrapped.engine.insert(QString(30, QLatin1Char('w')).append(QStringLiteral(" end")));
    EXPECT_GT(wrapped.engine.contentSize().height(), wrapped.engine.lineHeight());  // wrapped onto lines
    for (int i = 0; i < 8; ++i) wrapped.engine.newLine();
    wrapped.engine.ensureCaretVisible();
    EXPECT_GT(wrapped.engine.scrollOffset().y(), 0);
    EXPECT_EQ(wrapped.engine.scrollOffset().x(), 0);
    EXPECT_LT(wrapped.engine.caretRect().bottom(), 40);
}

TEST(TextEngine, MouseSetsTheCaretDragsASelectionAndDoubleClickTakesAWord) {
    Engine e;
    TextEngine& t = e.engine;
    t.setText(QStringLiteral("alpha beta"));
    const int y = t.caretRect().center().y();
    t.pressAt(QPoint(0, y), false);
    EXPECT_EQ(t.cursorPosition(), 0);
    t.dragTo(QPoint(199, y));
    EXPECT_EQ(t.selectedText(), QStringLiteral("alpha beta"));
    t.pressAt(QPoint(1, y), false);
    t.selectWordAt(QPoint(2, y));
    EXPECT_EQ(t.selectedText(), QStringLiteral("alpha"));
}

}  // namespace
}  // namespace vamu::toolkit::test
