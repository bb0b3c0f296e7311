#pragma once
// The pointer's place and the modifier keys held, read by an animation on every tick
// without waiting on the window system. On X11 a reading answers the reply to the query
// the reading before it sent, and sends the next one: the answer is one tick old, and a
// tick never waits for a round trip to the X server (as QCursor::pos() and
// QGuiApplication::queryKeyboardModifiers() do, each of them). Elsewhere it asks Qt, and
// for the position only while Ctrl is held.
// UI thread only.

#include <QPoint>

#include <memory>
#include <optional>

namespace vamu::platform {

class PointerProbe {
public:
    struct Reading {
        QPoint position;    // logical screen coordinates
        int modifiers = 0;  // platform::modifier flags
    };

    PointerProbe();
    ~PointerProbe();
    PointerProbe(const PointerProbe&) = delete;
    PointerProbe& operator=(const PointerProbe&) = delete;

    // The latest answer the window system gave (none before the first, on X11).
    [[nodiscard]] std::optional<Reading> read();

private:
    struct X11Query;
    std::unique_ptr<X11Query> m_x11;  // none off X11
    std::optional<Reading> m_last;
};

}  // namespace vamu::platform
