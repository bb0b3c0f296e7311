#pragma once
// The control side of a host window: the top-level control list, the focus, hover,
// press and capture records, the Tab chain, mouse and keyboard routing, and the
// composition of changed areas into the window's back buffer.
//
// Recomposition requests are coalesced: invalidate() collects areas and one flush()
// per event-loop turn composes them (clipped to the change) and presents once.
// flush() may also be called directly (tests, benchmarks, presentWhole).

#include "toolkit/controls/control_types.h"

#include <QRegion>

#include <memory>
#include <utility>
#include <vector>

namespace vamu::toolkit {

class ControlRoot {
public:
    explicit ControlRoot(HostWindow& host);
    ~ControlRoot();
    ControlRoot(const ControlRoot&) = delete;
    ControlRoot& operator=(const ControlRoot&) = delete;

    [[nodiscard]] HostWindow& host() const { return m_host; }
    [[nodiscard]] const std::vector<std::unique_ptr<BaseControl>>& controls() const { return m_controls; }
    // Where top-level controls start in the window (the shadow margin's corner).
    [[nodiscard]] QPoint origin() const { return m_origin; }
    void setOrigin(QPoint origin);

    [[nodiscard]] ControlHandle focused() const { return m_focused; }
    [[nodiscard]] ControlHandle keyboardFocus() const { return m_keyboardFocus; }
    [[nodiscard]] ControlHandle hovered() const { return m_hovered; }
    [[nodiscard]] ControlHandle pressed() const { return m_pressed; }
    [[nodiscard]] ControlHandle captured() const { return m_captureOn ? m_captured : ControlHandle{}; }
    [[nodiscard]] QPoint lastMousePosition() const { return m_lastMouse; }
    [[nodiscard]] ControlHandle tabChainHead() const { return m_tabChainHead; }
    // The Tab chain from its head, for inspection.
    [[nodiscard]] std::vector<ControlHandle> tabChain() const;

    // The topmost visible, enabled control under a window point, and the point in
    // its coordinates.
    [[nodiscard]] HitResult hitTest(QPoint windowPoint) const;

    // Mouse routing, window coordinates.
    void mouseMove(QPoint windowPoint, std::uintptr_t keys);
    // A press on a control that takes the mouse: focus, capture, delivery.
    void pressControl(BaseControl& control, QPoint local, bool isDouble);
    void notePress(ControlHandle control, QPoint windowPoint);
    void leftUp(QPoint windowPoint, std::uintptr_t keys);
    void mouseLeftWindow();
    // The window lost activation: a control holding the mouse gets its release.
    void deactivated(QPoint windowPoint);
    void releaseCapture();

    // Keyboard: delivers to the focused control; answers whether it was handled.
    std::intptr_t deliverToFocused(const Message& message);
    // Tab moves the focus along the chain; Enter and Space click the focused control.
    bool keyDownDefault(int virtualKey);
    void tabNext();
    // The control's access key (a character); replaces its earlier one, 0 removes it.
    void setMnemonic(int key, ControlHandle control);
    // Alt+character: the first registered visible, enabled control gets a click.
    bool mnemonic(int character);

    // Sends a message to every top-level control (children follow where the
    // message says so).
    void sendToAll(MessageId id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    // Whether any control of the window takes dropped files.
    [[nodiscard]] bool acceptsDrops() const;

    void invalidate(const QRect& windowArea);
    void invalidateAll();
    [[nodiscard]] const QRegion& pending() const { return m_pending; }
    // Composes the pending area over the background and presents it once.
    void flush();
    // Composes the whole window without presenting (presentWhole).
    void composeWhole();
    void destroyAll();
    // Makes every control's surface again at a new device pixel ratio and has each
    // control paint it anew.
    void remakeSurfaces(qreal ratio);

private:
    friend class BaseControl;

    std::vector<std::unique_ptr<BaseControl>>& list(BaseControl* parent);
    void link(std::unique_ptr<BaseControl> control, BaseControl* parent);
    std::unique_ptr<BaseControl> unlink(BaseControl& control);
    void insertIntoTabChain(BaseControl& control);
    void removeFromTabChain(BaseControl& control);
    // Clears the records naming the control (focus, keyboard focus, capture, and on
    // hide/destroy the hover and press records).
    void forget(BaseControl& control, bool alsoHover);
    void changeFocus(BaseControl& control, bool byKeyboard, ControlHandle previous);
    void scheduleFlush();
    void composeArea(const QRegion& area);

    HostWindow& m_host;
    std::vector<std::unique_ptr<BaseControl>> m_controls;
    QPoint m_origin;
    ControlHandle m_focused;
    ControlHandle m_keyboardFocus;
    ControlHandle m_hovered;
    ControlHandle m_pressed;
    ControlHandle m_captured;
    bool m_captureOn = false;
    QPoint m_lastMouse;
    ControlHandle m_tabChainHead;
    std::vector<std::pair<int, ControlHandle>> m_mnemonics;
    QRegion m_pending;
    bool m_flushScheduled = false;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

}  // namespace vamu::toolkit
