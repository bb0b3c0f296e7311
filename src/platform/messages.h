#pragma once
// The toolkit's message numbers. The window system's classic numbers are kept so
// that the host window procedure reads like the one it mirrors; numbers from 20101
// upwards are the toolkit's own (see toolkit/controls/control_messages.h).
//
// Packing: a point travels in lParam as x in the low and y in the high 16 bits, each
// a signed 16-bit value. Sizes travel the same way (width low, height high).

#include <cstdint>

namespace vamu::platform {

using MessageId = std::uint32_t;

struct Message {
    MessageId id = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
};

namespace msg {
inline constexpr MessageId kCreate = 1;
inline constexpr MessageId kDestroy = 2;
inline constexpr MessageId kMove = 3;      // lParam: new position (packed)
inline constexpr MessageId kSize = 5;      // wParam: SizeType, lParam: new size (packed)
inline constexpr MessageId kActivate = 6;  // wParam: 1 active, 0 inactive
inline constexpr MessageId kSetFocus = 7;
inline constexpr MessageId kKillFocus = 8;
inline constexpr MessageId kSetText = 12;
inline constexpr MessageId kPaint = 15;
inline constexpr MessageId kClose = 16;       // a close request (wParam: close_source); nothing is closed yet
inline constexpr MessageId kShowWindow = 24;  // wParam: 1 shown, 0 hidden
inline constexpr MessageId kSetCursor = 32;
inline constexpr MessageId kGetMinMaxInfo = 36;
inline constexpr MessageId kSetFont = 48;
inline constexpr MessageId kGetFont = 49;
inline constexpr MessageId kSetIcon = 128;
inline constexpr MessageId kKeyDown = 256;  // wParam: virtual-key code
inline constexpr MessageId kKeyUp = 257;
inline constexpr MessageId kChar = 258;        // wParam: UTF-16 code unit
inline constexpr MessageId kSysKeyDown = 260;  // keys pressed with Alt held
inline constexpr MessageId kSysKeyUp = 261;
inline constexpr MessageId kSysChar = 262;  // a character typed with Alt held
inline constexpr MessageId kSysCommand = 274;
inline constexpr MessageId kTimer = 275;           // wParam: timer id
inline constexpr MessageId kImeComposition = 271;  // lParam: const InputMethodText* (during the delivery)
inline constexpr MessageId kMouseMove = 512;       // wParam: MouseKeys, lParam: local point
inline constexpr MessageId kLeftDown = 513;
inline constexpr MessageId kLeftUp = 514;
inline constexpr MessageId kLeftDoubleClick = 515;
inline constexpr MessageId kRightDown = 516;
inline constexpr MessageId kRightUp = 517;
inline constexpr MessageId kRightDoubleClick = 518;
inline constexpr MessageId kMiddleDown = 519;
inline constexpr MessageId kMiddleUp = 520;
inline constexpr MessageId kMiddleDoubleClick = 521;
inline constexpr MessageId kMouseWheel = 522;  // wParam: delta (120 a notch) << 16 | MouseKeys
inline constexpr MessageId kCaptureChanged = 533;
inline constexpr MessageId kDropFiles = 563;  // lParam: const DroppedFiles* (during the delivery)
inline constexpr MessageId kMouseLeave = 675;
inline constexpr MessageId kHotKey = 786;
inline constexpr MessageId kDpiChanged = 736;  // wParam: new device pixel ratio in hundredths
// A tray host appeared (status_icon.h). Numbered like the messages the window system
// registers by name at run time, which it hands out from 0xC000.
inline constexpr MessageId kTrayHostCreated = 0xC001;
}  // namespace msg

// What an input method sends while composing: the text being composed (shown at the
// caret, not yet part of the document) and the text it commits. The committed text
// also arrives as kChar messages, one per UTF-16 unit, after this message.
struct InputMethodText {
    const char16_t* preedit = nullptr;
    int preeditLength = 0;
    int cursor = 0;  // caret position inside the preedit text
    const char16_t* commit = nullptr;
    int commitLength = 0;
};

// Files dropped on a window: local paths and the drop point in window coordinates.
struct DroppedFiles {
    const char16_t* const* paths = nullptr;  // UTF-16, each zero-terminated
    int count = 0;
    int x = 0;
    int y = 0;
};

// wParam of kClose: who asked. The program's own requests (a caption button, Esc) and the
// desktop's (Alt+F4, the task bar's "Close") may be answered differently.
namespace close_source {
inline constexpr std::uintptr_t kProgram = 0;
inline constexpr std::uintptr_t kDesktop = 1;
}  // namespace close_source

// wParam of kSize.
enum class SizeType : std::uintptr_t { Restored = 0, Minimized = 1, Maximized = 2 };

// Button and modifier bits in wParam of mouse messages.
namespace mouse_keys {
inline constexpr std::uintptr_t kLeft = 0x1;
inline constexpr std::uintptr_t kRight = 0x2;
inline constexpr std::uintptr_t kShift = 0x4;
inline constexpr std::uintptr_t kControl = 0x8;
inline constexpr std::uintptr_t kMiddle = 0x10;
}  // namespace mouse_keys

// Modifier flags handed to event handlers: 1 Ctrl, 2 Shift, 4 Alt.
namespace modifier {
inline constexpr int kControl = 1;
inline constexpr int kShift = 2;
inline constexpr int kAlt = 4;
}  // namespace modifier

[[nodiscard]] constexpr std::intptr_t packPoint(int x, int y) {
    return static_cast<std::intptr_t>((static_cast<std::uint32_t>(y & 0xFFFF) << 16) |
                                      static_cast<std::uint32_t>(x & 0xFFFF));
}
[[nodiscard]] constexpr int pointX(std::intptr_t packed) { return static_cast<std::int16_t>(packed & 0xFFFF); }
[[nodiscard]] constexpr int pointY(std::intptr_t packed) { return static_cast<std::int16_t>((packed >> 16) & 0xFFFF); }
[[nodiscard]] constexpr int wheelDelta(std::uintptr_t wParam) {
    return static_cast<std::int16_t>((wParam >> 16) & 0xFFFF);
}

}  // namespace vamu::platform
