#include "platform/layer_surface.h"

#include "wlr-layer-shell-unstable-v1-client-protocol.h"

#include <QSocketNotifier>
#include <QtDebug>

#include <sys/mman.h>
#include <unistd.h>

#include <wayland-client.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <optional>

namespace vamu::platform {
namespace {

constexpr char kNamespace[] = "vamu-comments";
// The top layer lies above ordinary windows and below a fullscreen one, as the "above"
// state does on X11: comments never cover a film played fullscreen.
constexpr auto kLayer = ZWLR_LAYER_SHELL_V1_LAYER_TOP;

struct DisplayCloser {
    void operator()(wl_display* display) const { wl_display_disconnect(display); }
};
using DisplayPointer = std::unique_ptr<wl_display, DisplayCloser>;

// What the registry offers that the surface needs.
struct Globals {
    wl_compositor* compositor = nullptr;
    std::uint32_t compositorVersion = 0;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* shell = nullptr;

    void destroy() {
        if (shell) zwlr_layer_shell_v1_destroy(shell);
        if (shm) wl_shm_destroy(shm);
        if (compositor) wl_compositor_destroy(compositor);
        *this = Globals{};
    }
    [[nodiscard]] bool complete() const { return compositor && shm && shell; }
};

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface, std::uint32_t version) {
    auto& globals = *static_cast<Globals*>(data);
    const std::string_view offered(interface);
    if (offered == wl_compositor_interface.name && !globals.compositor) {
        // 4 for damage in buffer pixels, 3 for the buffer scale.
        globals.compositorVersion = std::min<std::uint32_t>(version, 4);
        globals.compositor = static_cast<wl_compositor*>(
            wl_registry_bind(registry, name, &wl_compositor_interface, globals.compositorVersion));
    } else if (offered == wl_shm_interface.name && !globals.shm) {
        globals.shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    } else if (offered == zwlr_layer_shell_v1_interface.name && !globals.shell && version >= 3) {
        // 3: the first version whose shell object can be destroyed.
        globals.shell =
            static_cast<zwlr_layer_shell_v1*>(wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, 3));
    }
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener kRegistryListener{onGlobal, onGlobalRemove};

// Connects and binds what the registry offers; the globals stay empty when it fails.
DisplayPointer connectAndBind(Globals& globals) {
    DisplayPointer display(wl_display_connect(nullptr));
    if (!display) return {};
    wl_registry* registry = wl_display_get_registry(display.get());
    wl_registry_add_listener(registry, &kRegistryListener, &globals);
    const bool answered = wl_display_roundtrip(display.get()) >= 0;
    wl_registry_destroy(registry);
    if (!answered || !globals.complete()) {
        globals.destroy();
        return {};
    }
    return display;
}

// One wl_shm buffer over a memfd mapping; what of it is older than the frame is `stale`.
struct Buffer {
    wl_buffer* buffer = nullptr;
    std::uint8_t* pixels = nullptr;
    std::size_t bytes = 0;
    QSize size;  // device pixels
    int stride = 0;
    bool busy = false;  // the compositor reads it until it releases it
    QRegion stale;      // device pixels

    Buffer() = default;
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    ~Buffer() {
        if (buffer) wl_buffer_destroy(buffer);
        if (pixels) ::munmap(pixels, bytes);
    }
};

QRect toDevice(const QRect& rect, int scale) {
    return {rect.x() * scale, rect.y() * scale, rect.width() * scale, rect.height() * scale};
}

}  // namespace

struct LayerSurface::State {
    DisplayPointer display;
    Globals globals;
    Placement placement;
    std::unique_ptr<QSocketNotifier> reader;
    std::unique_ptr<QSocketNotifier> writer;  // while a flush waits for room in the socket

    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    bool shown = false;
    bool configured = false;
    int scale = 1;
    std::array<std::unique_ptr<Buffer>, 2> buffers;
    const QImage* frame = nullptr;  // the window's back buffer, once presented
    QRegion damage;                 // device pixels changed since the last commit
    bool waiting = false;           // a frame waits for a buffer the compositor releases
    bool fresh = true;              // the surface has shown no frame yet: all of it is damaged

    QSize configuredSize;
    int commits = 0;
    bool closed = false;

    ~State() {
        endSurface();
        reader.reset();
        writer.reset();
        globals.destroy();
        if (display) wl_display_flush(display.get());
    }

    void beginSurface();
    void endSurface();
    void commitFrame();
    [[nodiscard]] Buffer* freeBuffer();
    [[nodiscard]] std::unique_ptr<Buffer> makeBuffer(QSize size);
    void readEvents();
    void flush();
    void broken();

    static void onConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width,
                            std::uint32_t height);
    static void onClosed(void* data, zwlr_layer_surface_v1* layer);
    static void onRelease(void* data, wl_buffer* buffer);
};

namespace {
const zwlr_layer_surface_v1_listener kLayerListener{LayerSurface::State::onConfigure, LayerSurface::State::onClosed};
const wl_buffer_listener kBufferListener{LayerSurface::State::onRelease};
}  // namespace

bool LayerSurface::available() {
    static const bool offered = [] {
        Globals globals;
        DisplayPointer display = connectAndBind(globals);
        const bool complete = display != nullptr;
        globals.destroy();
        return complete;
    }();
    return offered;
}

std::unique_ptr<LayerSurface> LayerSurface::create(Placement placement) {
    auto state = std::make_unique<State>();
    state->display = connectAndBind(state->globals);
    if (!state->display) return nullptr;
    state->placement = placement;
    const int fd = wl_display_get_fd(state->display.get());
    State* raw = state.get();
    state->reader = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(state->reader.get(), &QSocketNotifier::activated, [raw] { raw->readEvents(); });
    state->writer = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    state->writer->setEnabled(false);
    QObject::connect(state->writer.get(), &QSocketNotifier::activated, [raw] { raw->flush(); });
    return std::unique_ptr<LayerSurface>(new LayerSurface(std::move(state)));
}

LayerSurface::LayerSurface(std::unique_ptr<State> state) : m_state(std::move(state)) {}
LayerSurface::~LayerSurface() = default;

void LayerSurface::show() {
    if (m_state->shown) return;
    m_state->shown = true;
    m_state->beginSurface();
}

void LayerSurface::hide() {
    if (!m_state->shown) return;
    m_state->shown = false;
    m_state->endSurface();
    m_state->flush();
}

bool LayerSurface::isVisible() const { return m_state->shown; }

void LayerSurface::present(const QImage& frame, const QRegion& area) {
    State& state = *m_state;
    state.frame = &frame;
    const qreal ratio = frame.devicePixelRatio();
    state.scale = std::max(1, static_cast<int>(std::lround(ratio)));
    QRegion device;
    for (const QRect& rect : area) device += toDevice(rect, state.scale);
    device &= QRect(QPoint(), frame.size());
    state.damage += device;
    for (auto& buffer : state.buffers) {
        if (buffer) buffer->stale += device;
    }
    if (state.configured && !state.waiting) state.commitFrame();
}

QSize LayerSurface::configuredSize() const { return m_state->configuredSize; }
int LayerSurface::committedFrames() const { return m_state->commits; }
bool LayerSurface::closed() const { return m_state->closed; }

void LayerSurface::State::beginSurface() {
    if (!reader->isEnabled()) return;  // the connection broke
    fresh = true;
    surface = wl_compositor_create_surface(globals.compositor);
    layer = zwlr_layer_shell_v1_get_layer_surface(globals.shell, surface, nullptr, kLayer, kNamespace);
    zwlr_layer_surface_v1_add_listener(layer, &kLayerListener, this);
    zwlr_layer_surface_v1_set_size(layer, static_cast<std::uint32_t>(placement.size.width()),
                                   static_cast<std::uint32_t>(placement.size.height()));
    zwlr_layer_surface_v1_set_anchor(layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP);
    zwlr_layer_surface_v1_set_margin(layer, placement.top, 0, 0, 0);
    // 0: kept clear of panels that reserve the edge, as the strip keeps to the work area.
    zwlr_layer_surface_v1_set_exclusive_zone(layer, 0);
    zwlr_layer_surface_v1_set_keyboard_interactivity(layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    // An empty region: no pointer or touch input lands on the strip.
    wl_region* none = wl_compositor_create_region(globals.compositor);
    wl_surface_set_input_region(surface, none);
    wl_region_destroy(none);
    // The first commit carries no buffer; the compositor answers with configure.
    wl_surface_commit(surface);
    flush();
}

void LayerSurface::State::endSurface() {
    if (layer) zwlr_layer_surface_v1_destroy(layer);
    if (surface) wl_surface_destroy(surface);
    layer = nullptr;
    surface = nullptr;
    configured = false;
    waiting = false;
    // A new surface starts from a whole frame in fresh buffers.
    for (auto& buffer : buffers) buffer.reset();
}

void LayerSurface::State::onConfigure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial,
                                      std::uint32_t width, std::uint32_t height) {
    auto& state = *static_cast<State*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    state.configuredSize = QSize(static_cast<int>(width), static_cast<int>(height));
    const bool first = !state.configured;
    state.configured = true;
    // The strip keeps its size whatever is suggested; a configure after the first needs
    // no new frame.
    if (first && state.frame && !state.waiting) state.commitFrame();
}

void LayerSurface::State::onClosed(void* data, zwlr_layer_surface_v1*) {
    auto& state = *static_cast<State*>(data);
    state.closed = true;
    state.shown = false;
    state.endSurface();
    state.flush();
}

void LayerSurface::State::onRelease(void* data, wl_buffer* released) {
    auto& state = *static_cast<State*>(data);
    for (auto& buffer : state.buffers) {
        if (buffer && buffer->buffer == released) buffer->busy = false;
    }
    if (state.waiting) {
        state.waiting = false;
        state.commitFrame();
    }
}

std::unique_ptr<Buffer> LayerSurface::State::makeBuffer(QSize size) {
    auto buffer = std::make_unique<Buffer>();
    buffer->size = size;
    buffer->stride = size.width() * 4;
    buffer->bytes = static_cast<std::size_t>(buffer->stride) * static_cast<std::size_t>(size.height());
    const int fd = ::memfd_create(kNamespace, MFD_CLOEXEC);
    if (fd < 0) return nullptr;
    if (::ftruncate(fd, static_cast<off_t>(buffer->bytes)) != 0) {
        ::close(fd);
        return nullptr;
    }
    void* mapped = ::mmap(nullptr, buffer->bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) {
        ::close(fd);
        return nullptr;
    }
    buffer->pixels = static_cast<std::uint8_t*>(mapped);
    wl_shm_pool* pool = wl_shm_create_pool(globals.shm, fd, static_cast<std::int32_t>(buffer->bytes));
    buffer->buffer =
        wl_shm_pool_create_buffer(pool, 0, size.width(), size.height(), buffer->stride, WL_SHM_FORMAT_ARGB8888);
    wl_shm_pool_destroy(pool);
    ::close(fd);  // the pool keeps what it needs
    wl_buffer_add_listener(buffer->buffer, &kBufferListener, this);
    buffer->stale = QRect(QPoint(), size);
    return buffer;
}

Buffer* LayerSurface::State::freeBuffer() {
    const QSize size = frame->size();
    for (auto& buffer : buffers) {
        if (buffer && buffer->size != size && !buffer->busy) buffer.reset();
        if (!buffer) buffer = makeBuffer(size);
        if (buffer && !buffer->busy && buffer->size == size) return buffer.get();
    }
    return nullptr;
}

void LayerSurface::State::commitFrame() {
    if (!surface || !configured || !frame || frame->isNull()) return;
    Buffer* buffer = freeBuffer();
    if (!buffer) {
        waiting = true;  // both are on screen; the next release commits
        return;
    }
    // Only what changed since this buffer was last filled: the frame is always whole.
    const int rowBytes = static_cast<int>(sizeof(QRgb));
    for (const QRect& rect : buffer->stale) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            std::memcpy(buffer->pixels + y * buffer->stride + rect.x() * rowBytes,
                        frame->constScanLine(y) + rect.x() * rowBytes,
                        static_cast<std::size_t>(rect.width() * rowBytes));
        }
    }
    buffer->stale = QRegion();
    if (scale > 1) wl_surface_set_buffer_scale(surface, scale);
    wl_surface_attach(surface, buffer->buffer, 0, 0);
    const QRegion changed = fresh ? QRegion(QRect(QPoint(), buffer->size)) : damage;
    fresh = false;
    for (const QRect& rect : changed) {
        if (globals.compositorVersion >= 4)
            wl_surface_damage_buffer(surface, rect.x(), rect.y(), rect.width(), rect.height());
        else
            wl_surface_damage(surface, rect.x() / scale, rect.y() / scale, (rect.width() + scale - 1) / scale,
                              (rect.height() + scale - 1) / scale);
    }
    damage = QRegion();
    wl_surface_commit(surface);
    buffer->busy = true;
    ++commits;
    flush();
}

void LayerSurface::State::readEvents() {
    wl_display* connection = display.get();
    while (wl_display_prepare_read(connection) != 0) {
        if (wl_display_dispatch_pending(connection) < 0) return broken();
    }
    // The socket is readable: this does not block.
    if (wl_display_read_events(connection) < 0) return broken();
    if (wl_display_dispatch_pending(connection) < 0) return broken();
    flush();
}

void LayerSurface::State::flush() {
    if (!display || !reader || !reader->isEnabled()) return;
    const int sent = wl_display_flush(display.get());
    if (sent < 0 && errno != EAGAIN) return broken();
    writer->setEnabled(sent < 0);  // the rest goes once the socket has room
}

void LayerSurface::State::broken() {
    if (!reader->isEnabled()) return;
    qWarning("comment strip: the Wayland connection of its layer surface failed (error %d)",
             wl_display_get_error(display.get()));
    reader->setEnabled(false);
    writer->setEnabled(false);
    closed = true;
}

}  // namespace vamu::platform
