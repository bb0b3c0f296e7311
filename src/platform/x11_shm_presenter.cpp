#include "platform/x11_shm_presenter.h"
#include "platform/x11_connection.h"

#include <QGuiApplication>
#include <QWindow>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#if VAMU_HAVE_XCB_SHM
#include <QtGui/qguiapplication_platform.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>  // xcb_poll_for_reply
#endif

namespace vamu::platform {

QRegion mergeBands(const QRegion& region, int gap) {
    QRegion merged;
    std::optional<QRect> run;
    for (const QRect& rect : region) {  // banded: top to bottom, then left to right
        if (run && run->top() == rect.top() && run->height() == rect.height() &&
            rect.left() - (run->right() + 1) < gap) {
            *run = run->united(rect);
            continue;
        }
        if (run) merged += *run;
        run = rect;
    }
    if (run) merged += *run;
    return merged;
}

#if VAMU_HAVE_XCB_SHM

namespace {

struct Buffer {
    xcb_shm_seg_t segment = 0;
    std::uint8_t* memory = nullptr;
    // A request sent after the buffer's last put: once its reply is in, the server is
    // done with the buffer (it handles one client's requests in order). A reply wakes
    // only Qt's reading thread, where a completion event would wake the UI thread too.
    std::optional<unsigned> fence;
};

}  // namespace

struct X11ShmPresenter::State {
    xcb_connection_t* connection = nullptr;
    xcb_window_t window = 0;
    xcb_gcontext_t gc = 0;
    std::uint8_t depth = 0;
    QSize size;
    std::array<Buffer, 2> buffers;
    std::size_t next = 0;
    int waits = 0;

    ~State() {
        release();
        if (gc) xcb_free_gc(connection, gc);
        xcb_flush(connection);
    }

    // Whether the server may still read the buffer; takes the fence's reply once it is in.
    bool busy(Buffer& buffer) {
        if (!buffer.fence) return false;
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        if (!xcb_poll_for_reply(connection, *buffer.fence, &reply, &error)) return true;
        std::free(reply);
        std::free(error);
        buffer.fence.reset();
        return false;
    }

    // The server is behind on both buffers: wait for the older one.
    void waitFor(Buffer& buffer) {
        std::free(xcb_wait_for_reply(connection, *buffer.fence, nullptr));
        buffer.fence.reset();
        ++waits;
    }

    void release() {
        for (Buffer& buffer : buffers) {
            // A reply nobody takes would stay queued in the connection.
            if (buffer.fence) xcb_discard_reply(connection, *buffer.fence);
            if (buffer.segment) xcb_shm_detach(connection, buffer.segment);
            if (buffer.memory) ::shmdt(buffer.memory);
            buffer = Buffer{};
        }
        size = QSize();
    }

    bool allocate(QSize wanted) {
        release();
        const std::size_t bytes = static_cast<std::size_t>(wanted.width()) * static_cast<std::size_t>(wanted.height()) * 4;
        for (Buffer& buffer : buffers) {
            const int id = ::shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
            if (id == -1) return false;
            void* memory = ::shmat(id, nullptr, 0);
            ::shmctl(id, IPC_RMID, nullptr);  // gone once both sides detach
            if (memory == reinterpret_cast<void*>(-1)) return false;
            buffer.memory = static_cast<std::uint8_t*>(memory);
            buffer.segment = xcb_generate_id(connection);
            xcb_generic_error_t* error =
                xcb_request_check(connection, xcb_shm_attach_checked(connection, buffer.segment, id, 0));
            if (error) {
                std::free(error);
                buffer.segment = 0;
                return false;
            }
        }
        size = wanted;
        return true;
    }
};

X11ShmPresenter::X11ShmPresenter(std::unique_ptr<State> state) : m_state(std::move(state)) {}
X11ShmPresenter::~X11ShmPresenter() = default;

std::unique_ptr<X11ShmPresenter> X11ShmPresenter::create(QWindow& window) {
    xcb_connection_t* connection = detail::x11Connection();
    if (!connection) return nullptr;
    const xcb_query_extension_reply_t* shm = xcb_get_extension_data(connection, &xcb_shm_id);
    if (!shm || !shm->present) return nullptr;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    if (setup->image_byte_order != XCB_IMAGE_ORDER_LSB_FIRST || QSysInfo::ByteOrder != QSysInfo::LittleEndian)
        return nullptr;
    const auto id = static_cast<xcb_window_t>(window.winId());
    xcb_get_geometry_reply_t* geometry = xcb_get_geometry_reply(connection, xcb_get_geometry(connection, id), nullptr);
    if (!geometry) return nullptr;
    const std::uint8_t depth = geometry->depth;
    std::free(geometry);
    if (depth != 24 && depth != 32) return nullptr;
    bool words = false;
    for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
        if (it.data->depth == depth) words = it.data->bits_per_pixel == 32;
    }
    if (!words) return nullptr;
    auto state = std::make_unique<State>();
    state->connection = connection;
    state->window = id;
    state->depth = depth;
    state->gc = xcb_generate_id(connection);
    const std::uint32_t noExposures = 0;
    xcb_create_gc(connection, state->gc, id, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    return std::unique_ptr<X11ShmPresenter>(new X11ShmPresenter(std::move(state)));
}

bool X11ShmPresenter::present(const QImage& frame, const QRegion& area) {
    State& s = *m_state;
    if (frame.format() != QImage::Format_ARGB32_Premultiplied) return false;
    if (frame.size() != s.size && !s.allocate(frame.size())) {
        s.release();
        return false;
    }
    const QRect bounds(QPoint(), s.size);
    const QRegion changed = area & bounds;
    if (changed.isEmpty()) return true;
    // The buffer not used last, unless the server is still reading it and the other is free.
    if (s.busy(s.buffers[s.next]) && !s.busy(s.buffers[1 - s.next])) s.next = 1 - s.next;
    Buffer& buffer = s.buffers[s.next];
    if (s.busy(buffer)) s.waitFor(buffer);
    s.next = 1 - s.next;

    // Only what is put must be current in the buffer: the window keeps the rest from
    // earlier frames, whichever way they were presented.
    const QRegion puts = mergeBands(changed, 64);
    const int stride = s.size.width() * 4;
    for (const QRect& rect : puts) {
        const std::size_t bytes = static_cast<std::size_t>(rect.width()) * 4;
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            std::memcpy(buffer.memory + static_cast<std::ptrdiff_t>(y) * stride + rect.left() * 4,
                        frame.constScanLine(y) + rect.left() * 4, bytes);
        }
    }
    for (const QRect& rect : puts) {
        xcb_shm_put_image(
            s.connection, s.window, s.gc, static_cast<std::uint16_t>(s.size.width()),
            static_cast<std::uint16_t>(s.size.height()), static_cast<std::uint16_t>(rect.x()),
            static_cast<std::uint16_t>(rect.y()), static_cast<std::uint16_t>(rect.width()),
            static_cast<std::uint16_t>(rect.height()), static_cast<std::int16_t>(rect.x()),
            static_cast<std::int16_t>(rect.y()), s.depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0, buffer.segment, 0);
    }
    buffer.fence = xcb_get_input_focus(s.connection).sequence;
    xcb_flush(s.connection);
    return true;
}

int X11ShmPresenter::waits() const { return m_state->waits; }

#else

struct X11ShmPresenter::State {};
X11ShmPresenter::X11ShmPresenter(std::unique_ptr<State> state) : m_state(std::move(state)) {}
X11ShmPresenter::~X11ShmPresenter() = default;
std::unique_ptr<X11ShmPresenter> X11ShmPresenter::create(QWindow&) { return nullptr; }
bool X11ShmPresenter::present(const QImage&, const QRegion&) { return false; }
int X11ShmPresenter::waits() const { return 0; }

#endif

}  // namespace vamu::platform
