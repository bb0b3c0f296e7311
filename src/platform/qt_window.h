#pragma once
// Internal: the QWindow behind a NativeWindow. It translates Qt's events into
// numbered messages, keeps the window's timers and runs the manual move/resize that
// stands in where the window manager offers none.

#include "platform/native_window.h"

#include <QBackingStore>
#include <QInputMethodQueryEvent>
#include <QPointF>
#include <QWindow>

#include <functional>
#include <memory>
#include <unordered_map>

namespace vamu::platform::detail {

class QtWindow final : public QWindow {
public:
    explicit QtWindow(NativeWindow& native);
    ~QtWindow() override;

    QBackingStore& store() { return *m_store; }
    void setTimer(TimerId id, int intervalMs, std::function<void()> callback);
    void killTimer(TimerId id);
    [[nodiscard]] bool hasTimer(TimerId id) const { return m_timers.contains(id); }
    void startManualDrag(unsigned edges);  // edges 0 = move
    [[nodiscard]] bool inManualDrag() const { return m_drag.active; }
    void setInputMethodEnabled(bool on) { m_inputMethodEnabled = on; }
    void setAcceptDrops(bool on) { m_acceptDrops = on; }
    void setInputMethodRect(const QRect& rect) { m_inputMethodRect = rect; }
    // Reports a geometry to the handler as kMove / kSize when it differs from the last one.
    void reportGeometry(const QRect& geometry);
    // What assistive technology reads of the window: the interface an installed
    // factory makes for it (the toolkit's), none otherwise. A plain QWindow offers none,
    // so the application's accessible tree would leave the window out.
    QAccessibleInterface* accessibleRoot() const override;

protected:
    bool event(QEvent* event) override;
    void exposeEvent(QExposeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    struct Timer {
        int qtId = 0;
        std::function<void()> callback;
    };
    struct Drag {
        bool active = false;
        unsigned edges = 0;
        QPointF startGlobal;
        QRect startGeometry;
    };
    struct LastPress {
        Qt::MouseButton button = Qt::NoButton;
        qint64 timeMs = -1000000;
        QPoint position;
        bool wasDouble = false;
    };

    void inputMethodQuery(QInputMethodQueryEvent* query);
    bool mouseEvent(QEvent* event);
    bool keyEvent(QEvent* event);
    bool dragEvent(QEvent* event);
    void inputMethodEvent(QEvent* event);
    bool dropEvent(QEvent* event);
    void deliver(MessageId id, std::uintptr_t wParam, std::intptr_t lParam);

    NativeWindow& m_native;
    std::unique_ptr<QBackingStore> m_store;
    std::unordered_map<TimerId, Timer> m_timers;
    std::unordered_map<int, TimerId> m_timerIds;
    Drag m_drag;
    LastPress m_lastPress;
    QPointF m_lastPressGlobal;
    QRect m_reported;
    bool m_inputMethodEnabled = false;
    bool m_acceptDrops = false;
    QRect m_inputMethodRect;
};

}  // namespace vamu::platform::detail
