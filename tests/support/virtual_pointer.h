#pragma once
// A pointer device of the test's own on a wlroots compositor (sway), whose headless
// backend has none, on a Wayland connection of its own (WAYLAND_DISPLAY).

#include <memory>
#include <string>

namespace vamu::test {

class VirtualPointer {
public:
    VirtualPointer();
    ~VirtualPointer();
    VirtualPointer(const VirtualPointer&) = delete;
    VirtualPointer& operator=(const VirtualPointer&) = delete;

    // An empty text on success, else why there is no pointer.
    std::string connect();
    // Moves to (x, y) of a width x height space (the output); presses and releases the
    // left button where it is. False when the connection broke.
    bool move(int x, int y, int width, int height);
    bool click();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

}  // namespace vamu::test
