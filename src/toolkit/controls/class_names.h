#pragma once
// The class names of the control classes, as layouts, the method map and the class
// registry spell them.

#include <string_view>

namespace vamu::toolkit::names {

// Buttons, labels and pictures.
inline constexpr std::string_view kSysButton = "SysButton";
inline constexpr std::string_view kLabel = "Label";
inline constexpr std::string_view kImageBox = "ImageBox";
inline constexpr std::string_view kButton = "Button";
inline constexpr std::string_view kCheckButton = "CheckButton";
inline constexpr std::string_view kRadioButton = "RadioButton";
inline constexpr std::string_view kImageButton = "ImageButton";
inline constexpr std::string_view kLink = "Link";
inline constexpr std::string_view kGroupBox = "GroupBox";
inline constexpr std::string_view kPage = "Page";
inline constexpr std::string_view kThunderButton = "ThunderButton";
inline constexpr std::string_view kImageListButton = "ImageListButton";
inline constexpr std::string_view kNewObj = "NewObj";

}  // namespace vamu::toolkit::names
