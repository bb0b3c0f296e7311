#pragma once
// Frames of an X11 window handed to the X server through shared memory in two buffers
// that take turns: a frame is copied into the buffer the server has finished reading
// and put from there, so presenting never waits for the server. Qt's backing store
// shares one buffer with the server and makes a round trip before every frame that
// touches what the last one put, to be sure the server has read it; at the comment
// strip's 33 frames a second those round trips were a large share of the program's
// wake-ups. UI thread only.

#include <QImage>
#include <QRegion>

#include <memory>

class QWindow;

namespace vamu::platform {

class X11ShmPresenter {
public:
    // None off X11, without the shared-memory extension, or where the window's pixels
    // are not 32-bit words in the order of a premultiplied ARGB32 QImage.
    [[nodiscard]] static std::unique_ptr<X11ShmPresenter> create(QWindow& window);
    ~X11ShmPresenter();
    X11ShmPresenter(const X11ShmPresenter&) = delete;
    X11ShmPresenter& operator=(const X11ShmPresenter&) = delete;

    // `frame` in device pixels (premultiplied ARGB32), `area` what changed, in device
    // pixels. False when the frame could not be put (no shared memory for its size):
    // the caller presents it another way, and this presenter is of no further use.
    bool present(const QImage& frame, const QRegion& area);

    // For tests: how often a frame had to wait for the server, both buffers being read.
    [[nodiscard]] int waits() const;

    struct State;

private:
    explicit X11ShmPresenter(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

// A region as few rectangles as the X server is handed: the rectangles of each band of
// the region (equal top and height) become their bounding rectangle when the gaps between
// them are narrower than `gap`, since a put of a few transparent pixels more costs less
// than one more request.
[[nodiscard]] QRegion mergeBands(const QRegion& region, int gap);

}  // namespace vamu::platform
