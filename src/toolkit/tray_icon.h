#pragma once
// The program's icon in the tray (the desktop's status area), owned by one window.
//
// add() shows the icon with a tooltip; setEventHandler() routes the icon's pointer
// actions to one handler by wrapping the window's message handler (remove() puts the
// previous one back). The handler receives one code per call:
//   a mouse message number   a pointer action on the icon (platform/status_icon.h
//                            lists what the tray reports: 513/514 click,
//                            515/514 double click, 516/517 context click, 519/520;
//                            a host without double clicks sends its activation
//                            as 515/514)
//   1120                     a tray host appeared: add() the icon again
//   1130                     the window is being destroyed
// Texts keep the limits of the fixed fields they were made for, counted in the legacy
// encoding's bytes (ASCII 1, any other character 2, never split): tooltip 127, balloon
// title 63, balloon text 255. UI thread only.

#include "platform/native_window.h"
#include "platform/status_icon.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace vamu::toolkit {

namespace tray {
inline constexpr platform::MessageId kCallbackMessage = 11685;
inline constexpr std::uintptr_t kIconId = 1;
inline constexpr int kTrayHostCreated = 1120;
inline constexpr int kWindowDestroyed = 1130;
inline constexpr int kTipBytes = 127;
inline constexpr int kBalloonTitleBytes = 63;
inline constexpr int kBalloonTextBytes = 255;
}  // namespace tray

// Balloon flags: the low four bits choose the picture (1 information, 2 warning,
// 3 error; others none).
namespace balloon {
inline constexpr int kNone = 0;
inline constexpr int kInformation = 1;
inline constexpr int kWarning = 2;
inline constexpr int kError = 3;
}  // namespace balloon

class TrayIcon {
public:
    using Handler = std::function<void(int code)>;

    TrayIcon();
    ~TrayIcon();  // remove()
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // Shows the icon for the window (again, after 1120): the picture from the
    // icon-file bytes (ICO or PNG), or the window's own icon when none are given or
    // they make no picture. Answers whether a tray host shows it; false also when the
    // window is gone, and then nothing changes.
    bool add(platform::WindowHandle window, const QString& tip, QByteArrayView iconFile = {});
    // Takes the icon out of the tray and gives the window its previous handler back.
    bool remove();
    // Both answer whether the icon is in a tray now; the change is kept either way.
    bool setTip(const QString& tip);
    // False, and the icon unchanged, when the bytes make no picture.
    bool setIcon(QByteArrayView iconFile);
    bool showBalloon(const QString& title, const QString& text, int flags = balloon::kNone);
    // Routes the icon's codes to the handler (an empty one routes nothing, the window
    // still wrapped); false when the icon's window is gone.
    bool setEventHandler(Handler handler);

    [[nodiscard]] platform::WindowHandle window() const { return m_window; }
    [[nodiscard]] bool isWrapping() const { return m_wrapped; }
    [[nodiscard]] const platform::StatusIcon& statusIcon() const { return m_icon; }

    // The picture of an icon file's entry (counted from 1); a PNG file is its own
    // single entry. nullopt when the bytes hold no such picture.
    [[nodiscard]] static std::optional<QImage> iconFromData(QByteArrayView bytes, int entry = 1);

private:
    // What the window's wrapper reaches: it outlives neither this object nor the wrap.
    struct Shared {
        Handler handler;
        TrayIcon* owner = nullptr;
    };
    void unwrap();

    platform::StatusIcon m_icon;
    platform::WindowHandle m_window;
    bool m_wrapped = false;
    platform::MessageHandler m_previous;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
};

}  // namespace vamu::toolkit
