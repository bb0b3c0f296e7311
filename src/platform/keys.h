#pragma once
// Virtual-key codes used in key messages, and their translation from Qt's keys.
// Letters and digits are their upper-case ASCII codes.

namespace vamu::platform {

namespace vk {
inline constexpr int kBack = 8;
inline constexpr int kTab = 9;
inline constexpr int kReturn = 13;
inline constexpr int kShift = 16;
inline constexpr int kControl = 17;
inline constexpr int kMenu = 18;  // Alt
inline constexpr int kPause = 19;
inline constexpr int kCapital = 20;
inline constexpr int kEscape = 27;
inline constexpr int kSpace = 32;
inline constexpr int kPrior = 33;
inline constexpr int kNext = 34;
inline constexpr int kEnd = 35;
inline constexpr int kHome = 36;
inline constexpr int kLeft = 37;
inline constexpr int kUp = 38;
inline constexpr int kRight = 39;
inline constexpr int kDown = 40;
inline constexpr int kInsert = 45;
inline constexpr int kDelete = 46;
inline constexpr int kF1 = 112;  // F1..F24 follow in order
}  // namespace vk

// The virtual-key code for a Qt key (Qt::Key value); 0 for keys without one.
[[nodiscard]] int virtualKeyFromQt(int qtKey);

}  // namespace vamu::platform
