#pragma once
// The toolkit's default font: the face "宋体" at 12 pixels, regular. Where that face is
// not installed, fontconfig's substitute for it is taken when it can show Chinese, then
// the system caption face (unless it is "Tahoma", which has no Chinese), then an
// installed Chinese face, so that program text never falls back to boxes.
//
// Needs a QGuiApplication; call from the UI thread.

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>

namespace vamu::toolkit {

inline constexpr char kDefaultFontFace[] = "宋体";
inline constexpr int kDefaultFontPixelSize = 12;

enum class SystemFontKind { Menu = 1, Caption = 2, Message = 3 };

// What the choice of a face needs to know of the system, so that it can be tried
// against any set of installed fonts.
struct FontCatalogue {
    std::function<bool(const QString&)> isInstalled;
    // The installed family that fontconfig would use for a requested one.
    std::function<QString(const QString&)> substitute;
    std::function<bool(const QString&)> showsChinese;
    QString captionFace;
    QStringList chineseFaces;  // installed faces that show Chinese, preferred ones first
    QString generalFace;       // the last resort
};

[[nodiscard]] QString chooseDefaultFontFace(const FontCatalogue& catalogue);

// The running system's catalogue, through Qt's fontconfig database.
[[nodiscard]] FontCatalogue systemFontCatalogue();

// The face the system uses for menus, captions or message texts.
[[nodiscard]] QString systemFontFace(SystemFontKind kind);

// The default font: the chosen face, 12 px, regular.
[[nodiscard]] QFont defaultFont();

}  // namespace vamu::toolkit
