#pragma once
// Names fixed by the theme pack and method map formats: element and attribute names of
// the theme description and the XML roots. Written once here, exactly as stored.

#include <string_view>

namespace vamu::toolkit::theme {

// XML roots and tags.
inline constexpr std::string_view kPackRoot = "Qd_DirectUI_ThemesPack";
inline constexpr std::string_view kPackElementTag = "common";
inline constexpr std::string_view kMethodMapRoot = "Qd_DirectUI_MapData";

// Elements.
inline constexpr std::string_view kHostWindowShadow = "SysShadow.HostWnd";
inline constexpr std::string_view kSubWindowShadow = "SysShadow.SubWnd";
inline constexpr std::string_view kMenuShadow = "SysShadow.Menu";
inline constexpr std::string_view kCaptionButtons = "SysButton";
inline constexpr std::string_view kCaptionButtonPrefix = "SysButton.";  // + "Close", "Max", ...
inline constexpr std::string_view kButton = "Button";
inline constexpr std::string_view kCheckButton = "CheckButton";
inline constexpr std::string_view kRadioButton = "RadioButton";
inline constexpr std::string_view kEdit = "Edit";
inline constexpr std::string_view kComboBox = "ComboBox";
inline constexpr std::string_view kScrollBar = "ScrollBar";
inline constexpr std::string_view kMessageBox = "MsgBox";
inline constexpr std::string_view kUpDown = "UpDown";

// State keys, first match of a control's state flags.
inline constexpr std::string_view kNormal = "normal";
inline constexpr std::string_view kHighlight = "highlight";
inline constexpr std::string_view kDown = "down";
inline constexpr std::string_view kFocus = "focus";
inline constexpr std::string_view kCheckedSuffix = "_ck";

// Attributes.
inline constexpr std::string_view kRect = "rect";
inline constexpr std::string_view kGrid = "gird";
inline constexpr std::string_view kMargin = "margin";
inline constexpr std::string_view kSize = "size";
inline constexpr std::string_view kFillType = "filltype";
inline constexpr std::string_view kCornerRadius = "rectround";
inline constexpr std::string_view kBorderColours = "crborder";
inline constexpr std::string_view kCaptionHeight = "cycaption";
inline constexpr std::string_view kTop = "top";
inline constexpr std::string_view kOffsetRight = "offsetright";
inline constexpr std::string_view kLeftCutLine = "left_cutline";
inline constexpr std::string_view kRightCutLine = "right_cutline";
inline constexpr std::string_view kLeftIcon = "left_icon";
inline constexpr std::string_view kLeftText = "left_text";
inline constexpr std::string_view kCheckMark = "checkrect";
inline constexpr std::string_view kBlockSize = "blocksize";
inline constexpr std::string_view kBarHeight = "barheight";
inline constexpr std::string_view kIconSize = "iconsize";
inline constexpr std::string_view kSpinUp = "spin_up";
inline constexpr std::string_view kSpinDown = "spin_down";
inline constexpr std::string_view kButtonSuffix = "_btn";  // ComboBox: "normal_btn", "gird_btn", ...
inline constexpr std::string_view kButtonMargin = "margin_btn";

}  // namespace vamu::toolkit::theme
