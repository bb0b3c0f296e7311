#pragma once
// The description of the built-in theme: every element and attribute, in the order the
// description lists them, and the regions the atlas painter fills.

#include <QRect>

#include <string>
#include <string_view>
#include <vector>

namespace vamu::tools {

struct ThemeAttribute {
    std::string_view name;
    std::string_view value;
};

struct ThemeElement {
    std::string_view name;
    std::vector<ThemeAttribute> attributes;
};

inline constexpr int kAtlasWidth = 395;
inline constexpr int kAtlasHeight = 160;

[[nodiscard]] const std::vector<ThemeElement>& themeElements();

// The four numbers of an attribute as a rectangle; aborts on a name the table lacks,
// as that is a fault of this tool.
[[nodiscard]] QRect themeRect(std::string_view element, std::string_view attribute);

// The description as UTF-8 XML text (declared GB2312, which it is once converted).
[[nodiscard]] std::string themeDescription();

}  // namespace vamu::tools
