#pragma once
// The toolkit's own message numbers (from 20101) beside the window system's classic
// ones in platform/messages.h, the control state flags and the kind codes.

#include "platform/messages.h"

#include <cstdint>

namespace vamu::toolkit {

using platform::Message;
using platform::MessageId;
namespace msg = platform::msg;

namespace tkm {
inline constexpr MessageId kFirstActivation = 20101;  // host: first activation
inline constexpr MessageId kDeactivated = 20102;      // host: lost activation
inline constexpr MessageId kDeliver = 20103;          // host: deliver to a control
inline constexpr MessageId kHide = 20104;             // the control becomes hidden
inline constexpr MessageId kTrayNotify = 20105;
inline constexpr MessageId kMouseEnter = 20106;  // wParam local point, lParam control left
inline constexpr MessageId kMouseLeave = 20107;  // wParam local point, lParam control entered
inline constexpr MessageId kClick = 20108;       // wParam/lParam of the release; 0, 0 by keyboard
inline constexpr MessageId kPaintState = 20109;  // button family: paint the stored state
inline constexpr MessageId kCreated = 20110;     // after creation from attributes
inline constexpr MessageId kAnimationStart = 20111;
inline constexpr MessageId kAnimationEnd = 20112;
inline constexpr MessageId kDrawAnimationFrame = 20113;  // lParam: AnimationFrameContext*; nonzero = drawn
inline constexpr MessageId kSetMnemonic = 20116;         // host: wParam key, lParam control handle
inline constexpr MessageId kEnableChanged = 20117;       // lParam 1 disabled, 0 enabled
inline constexpr MessageId kRadioUncheck = 20118;        // wParam CheckIndex, lParam sender
inline constexpr MessageId kRepaint = 20201;             // recompose the control's rectangle
inline constexpr MessageId kDropDrag = 20202;            // host: lParam accept dropped files
inline constexpr MessageId kThemeChanged = 20203;        // caption buttons: take the new theme look
inline constexpr MessageId kParentResized = 20204;
inline constexpr MessageId kOriginMoved = 20206;  // an ancestor moved by (wParam, lParam)
}  // namespace tkm

// Control state flags.
namespace state {
inline constexpr std::uint32_t kDisabled = 0x1;
inline constexpr std::uint32_t kFocused = 0x4;
inline constexpr std::uint32_t kPressed = 0x8;  // left button down on the control
inline constexpr std::uint32_t kHot = 0x80;     // mouse over the control
inline constexpr std::uint32_t kAnimating = 0x4000;
inline constexpr std::uint32_t kHidden = 0x8000;
inline constexpr std::uint32_t kFocusable = 0x100000;
}  // namespace state

// Kind codes of the control classes.
namespace kind {
inline constexpr int kSysButton = 1;
inline constexpr int kLabel = 2;
inline constexpr int kImageBox = 3;
inline constexpr int kButton = 4;
inline constexpr int kCheckButton = 5;
inline constexpr int kRadioButton = 6;
inline constexpr int kImageButton = 7;
inline constexpr int kLink = 8;
inline constexpr int kEdit = 9;
inline constexpr int kGroupBox = 10;
inline constexpr int kComboBox = 11;
inline constexpr int kListView = 12;
inline constexpr int kProgress = 13;
inline constexpr int kScrollBar = 16;
inline constexpr int kPage = 19;  // always a 1 by 1 surface: it only holds children
inline constexpr int kMenuItem = 20;
inline constexpr int kThunderButton = 22;
inline constexpr int kImageListButton = 23;
inline constexpr int kNewObj = 1024;
inline constexpr int kSlider = 2145;
}  // namespace kind

}  // namespace vamu::toolkit
