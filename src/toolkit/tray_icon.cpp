#include "toolkit/tray_icon.h"

#include <cstdint>

namespace vamu::toolkit {
namespace {

// The longest prefix of the text that fits the byte budget of the legacy encoding
// (ASCII 1 byte, any other character 2), never splitting a character.
QString legacyPrefix(const QString& text, int maxBytes) {
    int bytes = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        const bool pair = text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate();
        const int width = text[end].unicode() < 0x80 ? 1 : 2;
        if (bytes + width > maxBytes) break;
        bytes += width;
        end += pair ? 2 : 1;
    }
    return text.left(end);
}

std::uint32_t readLittle(QByteArrayView bytes, qsizetype at, int size) {
    std::uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<std::uint8_t>(bytes[at + i]);
    return value;
}

void writeLittle(QByteArray& bytes, std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::optional<QImage> decode(QByteArrayView bytes, const char* format) {
    QImage image = QImage::fromData(bytes, format);
    if (image.isNull()) return std::nullopt;
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

constexpr QByteArrayView kPngSignature("\x89PNG\r\n\x1a\n", 8);
constexpr qsizetype kHeaderSize = 6;
constexpr qsizetype kEntrySize = 16;

platform::BalloonIcon balloonIcon(int flags) {
    switch (flags & 0xF) {
    case balloon::kInformation:
        return platform::BalloonIcon::Information;
    case balloon::kWarning:
        return platform::BalloonIcon::Warning;
    case balloon::kError:
        return platform::BalloonIcon::Critical;
    default:
        return platform::BalloonIcon::None;
    }
}

}  // namespace

TrayIcon::TrayIcon() = default;

TrayIcon::~TrayIcon() { remove(); }

std::optional<QImage> TrayIcon::iconFromData(QByteArrayView bytes, int entry) {
    if (bytes.startsWith(kPngSignature)) return entry == 1 ? decode(bytes, "PNG") : std::nullopt;
    if (bytes.size() < kHeaderSize || readLittle(bytes, 0, 2) != 0) return std::nullopt;
    const std::uint32_t type = readLittle(bytes, 2, 2);
    const std::uint32_t count = readLittle(bytes, 4, 2);
    if ((type != 1 && type != 2) || entry < 1 || static_cast<std::uint32_t>(entry) > count) return std::nullopt;
    const qsizetype at = kHeaderSize + kEntrySize * (entry - 1);
    if (bytes.size() < at + kEntrySize) return std::nullopt;
    const std::uint64_t size = readLittle(bytes, at + 8, 4);
    const std::uint64_t offset = readLittle(bytes, at + 12, 4);
    if (size == 0 || offset + size > static_cast<std::uint64_t>(bytes.size())) return std::nullopt;
    const QByteArrayView image = bytes.sliced(static_cast<qsizetype>(offset), static_cast<qsizetype>(size));
    if (image.startsWith(kPngSignature)) return decode(image, "PNG");
    // A bitmap entry: hand the decoder a file that holds this entry alone.
    QByteArray single;
    writeLittle(single, 0, 2);
    writeLittle(single, 1, 2);
    writeLittle(single, 1, 2);
    single.append(bytes.sliced(at, 8).toByteArray());
    writeLittle(single, static_cast<std::uint32_t>(size), 4);
    writeLittle(single, kHeaderSize + kEntrySize, 4);
    single.append(image.toByteArray());
    return decode(single, "ICO");
}

bool TrayIcon::add(platform::WindowHandle window, const QString& tip, QByteArrayView iconFile) {
    const platform::NativeWindow* native = platform::NativeWindow::find(window);
    if (!native) return false;
    if (window != m_window) unwrap();
    m_window = window;
    QImage picture;
    if (!iconFile.isEmpty()) picture = iconFromData(iconFile).value_or(QImage());
    if (picture.isNull()) picture = native->icon();
    m_icon.setTarget(window, tray::kCallbackMessage, tray::kIconId);
    m_icon.setIcon(picture);
    m_icon.setToolTip(legacyPrefix(tip, tray::kTipBytes));
    return m_icon.show();
}

bool TrayIcon::remove() {
    unwrap();
    const bool wasShown = m_icon.isShown();
    m_icon.hide();
    m_icon.setTarget({}, 0, 0);
    m_window = {};
    return wasShown;
}

bool TrayIcon::setTip(const QString& tip) {
    m_icon.setToolTip(legacyPrefix(tip, tray::kTipBytes));
    return m_icon.inTray();
}

bool TrayIcon::setIcon(QByteArrayView iconFile) {
    const std::optional<QImage> picture = iconFromData(iconFile);
    if (!picture) return false;
    m_icon.setIcon(*picture);
    return m_icon.inTray();
}

bool TrayIcon::showBalloon(const QString& title, const QString& text, int flags) {
    return m_icon.showMessage(legacyPrefix(title, tray::kBalloonTitleBytes),
                              legacyPrefix(text, tray::kBalloonTextBytes), balloonIcon(flags));
}

bool TrayIcon::setEventHandler(Handler handler) {
    platform::NativeWindow* native = platform::NativeWindow::find(m_window);
    if (!native) return false;
    m_shared->handler = std::move(handler);
    if (m_wrapped) return true;
    m_previous = native->messageHandler();
    m_wrapped = true;
    m_shared->owner = this;
    const std::weak_ptr<Shared> weak = m_shared;
    const platform::MessageHandler previous = m_previous;
    const platform::WindowHandle window = m_window;
    native->setMessageHandler([weak, previous, window](const platform::Message& message) -> std::intptr_t {
        const auto forward = [&] {
            if (previous) return previous(message);
            platform::NativeWindow* target = platform::NativeWindow::find(window);
            return target ? target->defaultProc(message) : std::intptr_t{0};
        };
        // Copies: the handler may remove or destroy the tray icon it came from.
        const auto currentHandler = [&weak]() -> Handler {
            const std::shared_ptr<Shared> shared = weak.lock();
            return shared ? shared->handler : Handler();
        };
        if (message.id == tray::kCallbackMessage || message.id == platform::msg::kTrayHostCreated) {
            const Handler handler = currentHandler();
            if (!handler) return forward();
            handler(message.id == tray::kCallbackMessage ? static_cast<int>(message.lParam) : tray::kTrayHostCreated);
            return 0;
        }
        if (message.id == platform::msg::kDestroy) {
            if (const Handler handler = currentHandler()) handler(tray::kWindowDestroyed);
            // Nothing can answer the icon once its window is gone.
            if (const std::shared_ptr<Shared> shared = weak.lock(); shared && shared->owner) shared->owner->remove();
        }
        return forward();
    });
    return true;
}

void TrayIcon::unwrap() {
    if (!m_wrapped) return;
    m_wrapped = false;
    m_shared->owner = nullptr;
    if (platform::NativeWindow* native = platform::NativeWindow::find(m_window)) {
        native->setMessageHandler(std::move(m_previous));
    }
    m_previous = {};
}

}  // namespace vamu::toolkit
