#pragma once
// Toolkit start-up: the process-wide state every host window and control relies on
// (default font, the control class registry, the current theme). Call
// toolkitStartup() once on the UI thread after the QGuiApplication exists and before
// the first host window.

#include <QFont>
#include <QString>

#include <optional>

namespace vamu::toolkit {

class ThemePack;

// Font style bits as the toolkit's font properties use them.
namespace font_style {
inline constexpr int kBold = 1;
inline constexpr int kItalic = 2;
inline constexpr int kUnderline = 4;
inline constexpr int kStrikeOut = 8;
}  // namespace font_style

struct StartupOptions {
    const ThemePack* theme = nullptr;  // the current theme; none: the built-in pack
    std::optional<QString> fontName;   // missing parts come from the default font
    std::optional<int> fontSize;       // pixels
    std::optional<int> fontStyle;
};

void toolkitStartup(const StartupOptions& options = {});

// The font controls start with: the default font of toolkit_fonts.h ("宋体" 12 px or
// its substitute), unless start-up options replaced it.
[[nodiscard]] const QFont& toolkitFont();
[[nodiscard]] QFont makeFont(const QString& family, int pixelSize, int style = 0);
[[nodiscard]] int fontStyleOf(const QFont& font);

}  // namespace vamu::toolkit
