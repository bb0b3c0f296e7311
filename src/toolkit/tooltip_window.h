#pragma once
// The host window's tooltip: a small toolkit-drawn window that never takes the focus.
// It appears below the pointer over a control after a short delay and goes on leave,
// press or deactivation.

#include "platform/native_window.h"

#include <QRect>
#include <QString>

namespace vamu::toolkit {

class HostWindow;

class TooltipWindow {
public:
    explicit TooltipWindow(HostWindow& host);
    ~TooltipWindow();
    TooltipWindow(const TooltipWindow&) = delete;
    TooltipWindow& operator=(const TooltipWindow&) = delete;

    // Shows the text (and an optional bold title) for the tool rectangle, given in
    // host window coordinates, after the delay; an empty text hides the tip.
    void showFor(const QRect& toolRect, const QString& text, const QString& title = {});
    void hideTip();
    [[nodiscard]] bool isShown() const;
    [[nodiscard]] const QString& text() const { return m_text; }
    [[nodiscard]] platform::WindowHandle window() const { return m_window; }

    static constexpr int kDelayMs = 450;

private:
    void appear();
    // The tip at the device pixel ratio given (its logical size is the window's).
    [[nodiscard]] QImage render(qreal ratio) const;

    HostWindow& m_host;
    platform::WindowHandle m_window;
    QRect m_toolRect;
    QString m_text;
    QString m_title;
};

}  // namespace vamu::toolkit
