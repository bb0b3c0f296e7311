#include "toolkit/message_box_layout.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace vamu::toolkit {

MessageBoxLayout layoutMessageBox(const MessageBoxRequest& request, const MessageBoxMetrics& metrics,
                                  const std::function<QSizeF(int wrapWidth)>& measure) {
    const int frameWidth = metrics.marginLeft - metrics.marginRight;
    const int frameHeight = metrics.marginTop - metrics.marginBottom;
    const int buttonCount = std::max(request.buttonCount, 0);
    // However narrow a box was asked for, every button stays inside it.
    const int minimumWidth = kMessageButtonStep * buttonCount + 5 + frameWidth;
    const bool limited = request.workArea.isValid();
    const int maximumWidth = limited ? std::max(request.workArea.width(), minimumWidth) : INT_MAX;
    const int maximumHeight = limited ? request.workArea.height() : INT_MAX;

    const bool widthGiven = request.width > 0;
    int width = std::max(widthGiven ? request.width : kMessageBoxWidth, minimumWidth);
    int height = kMessageBoxHeight;
    if (height - frameHeight < metrics.headHeight + metrics.captionHeight) {
        height = metrics.headHeight + metrics.captionHeight + frameHeight + 5;
    }

    QRect area(25, metrics.captionHeight + 5, width - frameWidth - 50,
               height - frameHeight - metrics.captionHeight - metrics.barHeight - 10);
    if (request.hasIcon) area.setLeft(area.left() + metrics.iconSize.width() + 20);
    const int outsideWidth = width - area.width();
    const int outsideHeight = height - area.height();

    // A given width wraps the text into the area, and the box grows to the text's
    // height. Without one the text keeps its lines and widens the box, unless that
    // would run past the screen: then it wraps at the widest box the screen holds.
    bool wrap = widthGiven;
    int wrapWidth = area.width();
    QSizeF measured;
    if (!wrap) {
        measured = measure(-1);
        if (std::ceil(measured.width()) + outsideWidth + 5 > maximumWidth) {
            wrap = true;
            wrapWidth = maximumWidth - outsideWidth - 5;
        }
    }
    if (wrap) {
        area.setHeight(0);
        measured = measure(wrapWidth);
    }
    const int textWidth = static_cast<int>(std::ceil(measured.width()));
    const int textHeight = static_cast<int>(std::ceil(measured.height()));

    MessageBoxLayout layout;
    layout.textSize = QSize(textWidth, textHeight);
    layout.lowText = textHeight < area.height();
    if (layout.lowText) area.translate(0, -10);
    if (textWidth > area.width()) {
        width = textWidth + outsideWidth + 5;
        area.setWidth(textWidth + 5);
    }
    if (textHeight > area.height()) {
        height = textHeight + outsideHeight + 5;
        area.setHeight(textHeight + 5);
    }
    // Text past the screen's height is cut rather than pushing the buttons off it.
    width = std::min(width, maximumWidth);
    height = std::min(height, maximumHeight);
    area.setWidth(std::min(area.width(), width - outsideWidth));
    area.setHeight(std::min(area.height(), height - outsideHeight));

    layout.window = QRect(request.base.x() + (request.base.width() - width) / 2,
                          request.base.y() + (request.base.height() - height) / 2, width, height);
    layout.textArea = area;
    if (request.hasIcon) {
        const int contentHeight = height - frameHeight;
        const int y =
            layout.lowText
                ? metrics.captionHeight +
                      (contentHeight - metrics.captionHeight - metrics.barHeight - metrics.iconSize.height()) / 2 - 5
                : metrics.captionHeight + 5;
        layout.icon = QRect(QPoint(25, y), metrics.iconSize);
    }
    const int buttonTop = height - frameHeight - metrics.barHeight / 2 - 12;
    for (int i = 1; i <= buttonCount; ++i) {
        layout.buttons.emplace_back(QPoint(width - kMessageButtonStep * i - frameWidth, buttonTop), kMessageButtonSize);
    }
    return layout;
}

}  // namespace vamu::toolkit
