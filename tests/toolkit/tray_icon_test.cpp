// The tray icon class on the offscreen platform: no tray host runs there, so the
// host's side is played by feeding the Qt tray object its activations and by a
// scripted tray-host probe.
#include "platform/status_icon.h"
#include "platform/ui_thread.h"
#include "toolkit/test_support.h"
#include "toolkit/tray_icon.h"

#include <QPainter>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace vamu::toolkit {
namespace {

using test::encodeImage;
using test::pump;
using test::pumpUntil;

QImage solid(int size, QColor colour) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    return image;
}

void putLittle(QByteArray& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// An icon file with a bitmap entry (16 px, red) and a PNG entry (32 px, blue).
QByteArray twoEntryIcon() {
    const QByteArray bitmapFile = encodeImage(solid(16, Qt::red), "ICO");
    const QByteArray bitmap = bitmapFile.mid(22);  // the single entry's image behind header and entry
    const QByteArray png = encodeImage(solid(32, Qt::blue), "PNG");
    QByteArray file;
    putLittle(file, 0, 2);
    putLittle(file, 1, 2);
    putLittle(file, 2, 2);
    file.append(bitmapFile.mid(6, 8));  // size, colours, planes, bit count of the bitmap entry
    putLittle(file, static_cast<std::uint32_t>(bitmap.size()), 4);
    putLittle(file, 6 + 32, 4);
    file.append(QByteArray("\x20\x20\x00\x00\x01\x00\x20\x00", 8));
    putLittle(file, static_cast<std::uint32_t>(png.size()), 4);
    putLittle(file, static_cast<std::uint32_t>(6 + 32 + bitmap.size()), 4);
    return file + bitmap + png;
}

QSystemTrayIcon* qtTray(const TrayIcon& icon) { return qobject_cast<QSystemTrayIcon*>(icon.statusIcon().qtObject()); }

TEST(TrayIconFromData, ReadsTheChosenEntryAndRefusesDamagedFiles) {
    const QByteArray file = twoEntryIcon();
    struct Case {
        const char* name;
        QByteArray bytes;
        int entry;
        std::optional<QRgb> colour;
        int size;
    };
    QByteArray outOfRange = file;
    outOfRange[6 + 12] = static_cast<char>(0xF0);  // first entry's offset far past the end
    QByteArray hugeSize = file;
    for (int i = 0; i < 4; ++i) hugeSize[6 + 8 + i] = static_cast<char>(0xFF);
    QByteArray manyEntries = file.left(6);
    manyEntries[4] = static_cast<char>(0xFF);
    manyEntries[5] = static_cast<char>(0xFF);
    const Case cases[] = {
        {"bitmap entry", file, 1, qRgb(255, 0, 0), 16},
        {"png entry", file, 2, qRgb(0, 0, 255), 32},
        {"entry past the count", file, 3, std::nullopt, 0},
        {"entry zero", file, 0, std::nullopt, 0},
        {"plain png file", encodeImage(solid(24, Qt::green), "PNG"), 1, qRgb(0, 255, 0), 24},
        {"second entry of a png file", encodeImage(solid(24, Qt::green), "PNG"), 2, std::nullopt, 0},
        {"truncated directory", file.left(20), 1, std::nullopt, 0},
        {"truncated image", file.left(file.size() - 10), 2, std::nullopt, 0},
        {"offset out of range", outOfRange, 1, std::nullopt, 0},
        {"size that wraps", hugeSize, 1, std::nullopt, 0},
        {"count without entries", manyEntries, 300, std::nullopt, 0},
        {"not an icon", QByteArray("GIF89a not really"), 1, std::nullopt, 0},
        {"empty", QByteArray(), 1, std::nullopt, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<QImage> image = TrayIcon::iconFromData(c.bytes, c.entry);
        ASSERT_EQ(image.has_value(), c.colour.has_value());
        if (!image) continue;
        EXPECT_EQ(image->size(), QSize(c.size, c.size));
        EXPECT_EQ(image->pixel(c.size / 2, c.size / 2), *c.colour);
    }
}

TEST(TrayIcon, TipIsCutAtTheFieldsByteCount) {
    test::TestHost host;
    const QString han = QStringLiteral("中");
    const QString emoji = QString::fromUcs4(U"\U0001F3B5");
    struct Case {
        const char* name;
        QString tip;
        QString expected;
    };
    const Case cases[] = {
        {"short", QStringLiteral("VAMU"), QStringLiteral("VAMU")},
        {"exactly 127 ASCII", QString(127, 'a'), QString(127, 'a')},
        {"128 ASCII", QString(128, 'a'), QString(127, 'a')},
        {"double-byte characters", han.repeated(100), han.repeated(63)},
        {"odd budget left for a double-byte character", QString(126, 'a') + han, QString(126, 'a')},
        {"mixed", QStringLiteral("a") + han.repeated(70), QStringLiteral("a") + han.repeated(63)},
        {"pair never split", QString(125, 'a') + emoji + emoji, QString(125, 'a') + emoji},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrayIcon icon;
        icon.add(host.host().windowHandle(), c.tip);
        EXPECT_EQ(icon.statusIcon().toolTip(), c.expected);
        ASSERT_NE(qtTray(icon), nullptr);
        EXPECT_EQ(qtTray(icon)->toolTip(), c.expected);
        icon.setTip(QStringLiteral("x"));
        icon.setTip(c.tip);
        EXPECT_EQ(qtTray(icon)->toolTip(), c.expected);
    }
}

TEST(TrayIcon, PointerActionsArriveAsMouseMessagePairs) {
    test::TestHost host;
    TrayIcon icon;
    icon.add(host.host().windowHandle(), QStringLiteral("VAMU"), encodeImage(solid(16, Qt::red), "PNG"));
    std::vector<int> codes;
    ASSERT_TRUE(icon.setEventHandler([&codes](int code) { codes.push_back(code); }));
    struct Case {
        QSystemTrayIcon::ActivationReason reason;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {QSystemTrayIcon::DoubleClick, {515, 514}},
        {QSystemTrayIcon::Context, {516, 517}},
        // No tray runs here, as for a host that only reports activations: a single
        // activation is the double click that brings the window back.
        {QSystemTrayIcon::Trigger, {515, 514}},
        {QSystemTrayIcon::MiddleClick, {519, 520}},
        {QSystemTrayIcon::Unknown, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.reason));
        codes.clear();
        emit qtTray(icon)->activated(c.reason);
        EXPECT_TRUE(codes.empty()) << "posted, never called inside the tray's signal";
        pump(std::chrono::milliseconds(10));
        EXPECT_EQ(codes, c.expected);
    }
}

TEST(TrayIcon, WithoutAHandlerClicksStopAtTheWindow) {
    test::TestHost host;
    std::vector<std::intptr_t> seen;
    host.host().setMessageHook([&seen](const Message& message) -> std::optional<std::intptr_t> {
        if (message.id == tray::kCallbackMessage) seen.push_back(message.lParam);
        return std::nullopt;
    });
    TrayIcon icon;
    icon.add(host.host().windowHandle(), QStringLiteral("VAMU"));
    emit qtTray(icon)->activated(QSystemTrayIcon::DoubleClick);
    pump(std::chrono::milliseconds(10));
    EXPECT_EQ(seen, (std::vector<std::intptr_t>{515, 514}));  // the window's own procedure ignores them
    EXPECT_FALSE(icon.isWrapping());
}

TEST(TrayIcon, RemoveGivesTheWindowItsPreviousHandler) {
    const platform::WindowHandle window = createNativeWindow(WindowSetup{});
    platform::NativeWindow* native = platform::NativeWindow::find(window);
    ASSERT_NE(native, nullptr);
    std::vector<platform::MessageId> own;
    native->setMessageHandler([&own](const Message& message) -> std::intptr_t {
        own.push_back(message.id);
        return 7;
    });
    std::vector<int> codes;
    {
        TrayIcon icon;
        icon.add(window, QStringLiteral("VAMU"));
        ASSERT_TRUE(icon.setEventHandler([&codes](int code) { codes.push_back(code); }));
        EXPECT_EQ(native->deliver(Message{tray::kCallbackMessage, tray::kIconId, 517}), 0);
        EXPECT_EQ(native->deliver(Message{msg::kTimer, 3, 0}), 7);  // everything else goes on
        EXPECT_EQ(codes, std::vector<int>{517});
        EXPECT_EQ(own, std::vector<platform::MessageId>{msg::kTimer});
        icon.remove();
        EXPECT_EQ(native->deliver(Message{tray::kCallbackMessage, tray::kIconId, 515}), 7);
        EXPECT_EQ(codes, std::vector<int>{517});
        EXPECT_EQ(own.back(), tray::kCallbackMessage);
        // An object that dies while wrapping unwraps too.
        icon.add(window, QStringLiteral("VAMU"));
        icon.setEventHandler([&codes](int code) { codes.push_back(code); });
    }
    native->deliver(Message{tray::kCallbackMessage, tray::kIconId, 513});
    EXPECT_EQ(codes, std::vector<int>{517});
    EXPECT_EQ(own.back(), tray::kCallbackMessage);
    platform::NativeWindow::destroy(window);
}

TEST(TrayIcon, AHandlerMayDestroyItsIcon) {
    test::TestHost host;
    auto icon = std::make_unique<TrayIcon>();
    icon->add(host.host().windowHandle(), QStringLiteral("VAMU"));
    int calls = 0;
    icon->setEventHandler([&](int) {
        ++calls;
        icon.reset();
    });
    emit qtTray(*icon)->activated(QSystemTrayIcon::Context);  // posts two messages
    pump(std::chrono::milliseconds(10));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(icon, nullptr);
    // The window works on with its own procedure.
    bool closed = false;
    host.host().bindClose([&closed](const Event&) { return closed = true; });
    host.send(msg::kClose);
    EXPECT_TRUE(closed);
}

TEST(TrayIcon, TrayHostComingBackIsReportedOncePerAppearance) {
    std::optional<std::uint64_t> running;
    platform::setTrayHostWatch([&running] { return running; }, std::chrono::milliseconds(5));
    test::TestHost host;
    TrayIcon icon;
    TrayIcon second;  // two icons on one window: still one notice per appearance
    const QByteArray picture = encodeImage(solid(16, Qt::red), "PNG");
    icon.add(host.host().windowHandle(), QStringLiteral("VAMU"), picture);
    second.add(host.host().windowHandle(), QStringLiteral("second"), picture);
    std::vector<int> codes;
    int readds = 0;
    icon.setEventHandler([&](int code) {
        codes.push_back(code);
        if (code == tray::kTrayHostCreated) {
            ++readds;
            icon.add(host.host().windowHandle(), QStringLiteral("VAMU"), picture);
        }
    });
    pump(std::chrono::milliseconds(30));
    EXPECT_TRUE(codes.empty()) << "no host yet";
    running = 41;
    ASSERT_TRUE(pumpUntil([&] { return !codes.empty(); }, std::chrono::seconds(5)));
    pump(std::chrono::milliseconds(40));
    EXPECT_EQ(codes, std::vector<int>{tray::kTrayHostCreated});
    EXPECT_TRUE(icon.statusIcon().isShown());
    EXPECT_TRUE(icon.isWrapping()) << "adding again keeps the handler";
    // The host restarts between two looks: a new owner is a new host.
    running = 42;
    ASSERT_TRUE(pumpUntil([&] { return codes.size() == 2; }, std::chrono::seconds(5)));
    running.reset();
    pump(std::chrono::milliseconds(20));
    running = 42;  // the same identity coming back after an absence counts too
    ASSERT_TRUE(pumpUntil([&] { return codes.size() == 3; }, std::chrono::seconds(5)));
    pump(std::chrono::milliseconds(40));
    EXPECT_EQ(readds, 3);
    icon.remove();
    second.remove();
    platform::setTrayHostWatch({}, {});
}

TEST(TrayIcon, WindowDestructionSends1130AndTakesTheIconAway) {
    test::TestHost host;
    TrayIcon icon;
    icon.add(host.host().windowHandle(), QStringLiteral("VAMU"), encodeImage(solid(16, Qt::red), "PNG"));
    std::vector<int> codes;
    bool hostSawDestroy = false;
    host.host().bindDestroyed([&hostSawDestroy](const Event&) { return hostSawDestroy = true; });
    icon.setEventHandler([&codes](int code) { codes.push_back(code); });
    host.host().destroyWindow();
    EXPECT_EQ(codes, std::vector<int>{tray::kWindowDestroyed});
    EXPECT_TRUE(hostSawDestroy) << "the window's own procedure still sees its destruction";
    EXPECT_FALSE(icon.statusIcon().isShown());
    EXPECT_FALSE(icon.window());
}

TEST(TrayIcon, GoneWindowsAndBadPicturesChangeNothing) {
    TrayIcon icon;
    EXPECT_FALSE(icon.add(platform::WindowHandle{999999}, QStringLiteral("VAMU")));
    EXPECT_FALSE(icon.setEventHandler([](int) {}));
    EXPECT_FALSE(icon.statusIcon().isShown());

    test::TestHost host;
    const QImage windowIcon = solid(16, Qt::green);
    host.host().setIcon(windowIcon);
    icon.add(host.host().windowHandle(), QStringLiteral("VAMU"), QByteArray("not an icon"));
    EXPECT_EQ(icon.statusIcon().icon().pixel(8, 8), qRgb(0, 255, 0)) << "falls back to the window's icon";
    EXPECT_FALSE(icon.setIcon(QByteArray("still not an icon")));
    EXPECT_EQ(icon.statusIcon().icon().pixel(8, 8), qRgb(0, 255, 0));
    EXPECT_FALSE(icon.setIcon(encodeImage(solid(16, Qt::blue), "PNG"))) << "no tray host shows it offscreen";
    EXPECT_EQ(icon.statusIcon().icon().pixel(8, 8), qRgb(0, 0, 255));
}

}  // namespace
}  // namespace vamu::toolkit
