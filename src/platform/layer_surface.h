#pragma once
// A surface in the top layer of a Wayland compositor that offers layer surfaces
// (zwlr_layer_shell_v1: wlroots compositors, KDE Plasma, Hyprland). No portable Wayland
// protocol keeps a window at the top of the screen above the others; this one does, so
// the comment strip shows through it there. Qt 6 on Debian 12 has no binding for it,
// hence this small client of our own over libwayland-client, on a connection of its own
// (Qt's stays Qt's) whose events are read on the UI thread.
//
// The surface is anchored to the top edge only, so the compositor centres it across
// the output's usable area; it sits `top` pixels below that edge, never takes the
// keyboard, and its input region is empty: every click goes to what lies below.
// Frames are the window's back buffer, copied into one of two shared-memory buffers
// (ARGB32 premultiplied is wl_shm's ARGB8888 on a little-endian machine). A whole
// device pixel ratio becomes the buffer scale; a fractional one is not handled (the
// surface would show larger than its place). UI thread only.

#include "platform/native_window.h"

#include <QImage>
#include <QRegion>
#include <QSize>

#include <memory>

namespace vamu::platform {

class LayerSurface final : public PresentationTarget {
public:
    struct Placement {
        QSize size;   // logical pixels
        int top = 0;  // below the output's top edge, logical pixels
    };

    // Whether the compositor WAYLAND_DISPLAY names offers layer surfaces and shared
    // memory. Asks it once per process.
    [[nodiscard]] static bool available();
    // nullptr when no compositor answers or it offers no layer surfaces.
    [[nodiscard]] static std::unique_ptr<LayerSurface> create(Placement placement);

    ~LayerSurface() override;
    LayerSurface(const LayerSurface&) = delete;
    LayerSurface& operator=(const LayerSurface&) = delete;

    // Showing asks the compositor for a place; the first frame is committed once it
    // has configured the surface. Hiding ends the surface (a new one comes with show).
    void show() override;
    void hide() override;
    [[nodiscard]] bool isVisible() const override;
    void present(const QImage& frame, const QRegion& area) override;

    // What the compositor did, for tests and the log: the size of its last configure
    // (empty until then), the frames committed since the start, and whether it closed
    // the surface or the connection broke.
    [[nodiscard]] QSize configuredSize() const;
    [[nodiscard]] int committedFrames() const;
    [[nodiscard]] bool closed() const;

    struct State;

private:
    explicit LayerSurface(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

}  // namespace vamu::platform
