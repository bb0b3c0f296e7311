#include "toolkit/toolkit.h"

#include "platform/system.h"
#include "toolkit/accessibility.h"
#include "toolkit/controls/control_messages.h"
#include "toolkit/engine.h"
#include "toolkit/theme_pack.h"
#include "toolkit/toolkit_fonts.h"

#include <array>
#include <utility>

namespace vamu::toolkit {
namespace {

QFont& fontSlot() {
    static QFont font = defaultFont();
    return font;
}

void registerClasses() {
    // The registry order of the built-in classes.
    static constexpr std::array<std::pair<const char*, int>, 17> kClasses{{
        {"SysButton", kind::kSysButton},
        {"Label", kind::kLabel},
        {"ImageBox", kind::kImageBox},
        {"Button", kind::kButton},
        {"CheckButton", kind::kCheckButton},
        {"RadioButton", kind::kRadioButton},
        {"Edit", kind::kEdit},
        {"Link", kind::kLink},
        {"Progress", kind::kProgress},
        {"ComboBox", kind::kComboBox},
        {"GroupBox", kind::kGroupBox},
        {"ScrollBar", kind::kScrollBar},
        {"ImageButton", kind::kImageButton},
        {"ListBox", kind::kListView},
        {"Page", kind::kPage},
        {"ThunderButton", kind::kThunderButton},
        {"ImageListButton", kind::kImageListButton},
    }};
    for (const auto& [name, code] : kClasses) engine::registerClass(name, code);
}

}  // namespace

QFont makeFont(const QString& family, int pixelSize, int style) {
    QFont font(family);
    font.setPixelSize(pixelSize > 0 ? pixelSize : 12);
    font.setBold(style & font_style::kBold);
    font.setItalic(style & font_style::kItalic);
    font.setUnderline(style & font_style::kUnderline);
    font.setStrikeOut(style & font_style::kStrikeOut);
    return font;
}

int fontStyleOf(const QFont& font) {
    int style = 0;
    if (font.bold()) style |= font_style::kBold;
    if (font.italic()) style |= font_style::kItalic;
    if (font.underline()) style |= font_style::kUnderline;
    if (font.strikeOut()) style |= font_style::kStrikeOut;
    return style;
}

void toolkitStartup(const StartupOptions& options) {
    platform::initialize();
    registerClasses();
    accessibility::install();
    if (options.theme)
        engine::selectResourcePack(options.theme);
    else if (!engine::currentResourcePack())
        engine::selectResourcePack(builtinThemePack());
    if (options.fontName || options.fontSize || options.fontStyle) {
        const QFont& current = fontSlot();
        fontSlot() =
            makeFont(options.fontName.value_or(current.family()), options.fontSize.value_or(current.pixelSize()),
                     options.fontStyle.value_or(fontStyleOf(current)));
    }
}

const QFont& toolkitFont() { return fontSlot(); }

}  // namespace vamu::toolkit
