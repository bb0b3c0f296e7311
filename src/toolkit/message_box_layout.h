#pragma once
// The geometry of a message box, worked out before its window exists: the window
// rectangle, the text area, the icon and the buttons. Control positions are in the
// box's content coordinates (from the shadow margin's corner), the window in screen
// coordinates. Pure: the text is measured through the given function.

#include <QRect>
#include <QSizeF>

#include <functional>
#include <vector>

namespace vamu::toolkit {

// Theme values of the box (0 where the theme has none).
struct MessageBoxMetrics {
    int marginLeft = 0;  // shadow margin: left, top, and (negative) right, bottom
    int marginTop = 0;
    int marginRight = 0;
    int marginBottom = 0;
    int captionHeight = 0;
    int barHeight = 0;
    int headHeight = 0;  // third number of "blocksize": head band, smallest body
    QSize iconSize;
};

struct MessageBoxLayout {
    QRect window;
    QRect textArea;
    bool lowText = false;        // fits one centred block: no wrapping needed
    QSize textSize;              // as measured, whole pixels
    QRect icon;                  // empty without an icon
    std::vector<QRect> buttons;  // right to left
};

struct MessageBoxRequest {
    QRect base;      // the owner's rectangle, or the work area
    QRect workArea;  // the box never grows past it
    int width = 0;   // 0 = the default width, text measured unbounded
    bool hasIcon = false;
    int buttonCount = 1;
};

inline constexpr int kMessageBoxWidth = 320;
inline constexpr int kMessageBoxHeight = 150;
inline constexpr QSize kMessageButtonSize{70, 26};
inline constexpr int kMessageButtonStep = 75;

// measure(wrapWidth): the text's size wrapped at that width; wrapWidth < 0 means
// unbounded (one line per line break).
[[nodiscard]] MessageBoxLayout layoutMessageBox(const MessageBoxRequest& request, const MessageBoxMetrics& metrics,
                                                const std::function<QSizeF(int wrapWidth)>& measure);

}  // namespace vamu::toolkit
