#pragma once
// The base of every windowless control: a node of a host window's control tree that
// owns a 32-bit ARGB premultiplied surface, takes messages through one dispatch
// entry and asks its host to recompose the area it covers.
//
// Ownership: a parent owns its children; the host window owns the top-level
// controls. Everything else (focus, hover, capture, the Tab chain, handles passed
// in messages) refers to controls weakly by ControlHandle, which resolves to nullptr
// once the control is destroyed. A destroyed control's memory is kept until the
// outermost dispatch has returned, so a handler may destroy the control that called
// it; dispatch() stops touching a control once isCreated() reads false.
//
// Control classes derive from BaseControl, fill their own fields, then call
// BaseControl::create(). They override the typed hooks of control_hooks (all do
// nothing by default) or classProc() for messages of their own. UI thread only.
//
//   class Badge final : public BaseControl {
//   public:
//       static Badge* make(ControlParent parent, QRect rect, QString text) {
//           auto badge = std::make_unique<Badge>();
//           badge->m_text = std::move(text);              // own fields first
//           CreateOptions options;
//           options.focusable = false;
//           return BaseControl::create(std::move(badge), parent, rect, kind::kLabel, "Label", options);
//       }
//       void setText(QString text) { m_text = std::move(text); redraw(); }  // paint + recompose
//   protected:
//       void onPaint(QPainter& painter, const PaintContext& context) override {
//           paint::drawText(painter, QRectF(context.whole), m_text, font(), 0xFF000000);
//       }
//       void onClick(QPoint, int) override { ... }      // after the click handlers
//   private:
//       QString m_text;
//   };
//
// A class that animates its state changes sets setAnimationFramesAndTimer() before
// redraw(): the end of painting then cross-fades from the old look to the new one.

#include "toolkit/controls/control_hooks.h"
#include "toolkit/controls/control_types.h"

#include <QFont>
#include <QString>

#include <chrono>
#include <memory>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

namespace vamu::toolkit {

class BaseControl : public ControlHooks {
public:
    ~BaseControl() override;

    // Links the control under the parent, creates its surface, dispatches the
    // creation message and the first paint. nullptr (and the object freed) when the
    // parent is not usable. The returned pointer is owned by the parent.
    template <class T>
    static T* create(std::unique_ptr<T> control, ControlParent parent, const QRect& rect, int kind,
                     std::string_view className, const CreateOptions& options = {}) {
        T* raw = control.get();
        return createBase(std::move(control), parent, rect, kind, className, options) ? raw : nullptr;
    }

    [[nodiscard]] ControlHandle handle() const { return m_handle; }
    [[nodiscard]] HostWindow* host() const { return m_host; }
    [[nodiscard]] platform::WindowHandle hostWindowHandle() const;
    [[nodiscard]] BaseControl* parent() const { return m_parent; }
    [[nodiscard]] bool isCreated() const { return m_created; }
    [[nodiscard]] int kind() const { return m_kind; }
    // A derived class replaces the kind and class name of its base on message 1.
    void setKind(int kind, std::string_view className);
    [[nodiscard]] const std::string& className() const { return m_className; }
    [[nodiscard]] int id() const { return m_id; }
    void setId(int id) { m_id = id; }
    [[nodiscard]] std::uint32_t state() const { return m_state; }

    // Tree, bottom (painted first) to top.
    [[nodiscard]] const std::vector<std::unique_ptr<BaseControl>>& children() const { return m_children; }
    // The list the control lives in: its parent's children or the host's top level.
    [[nodiscard]] const std::vector<std::unique_ptr<BaseControl>>& siblings() const;
    [[nodiscard]] BaseControl* previousSibling() const;
    [[nodiscard]] BaseControl* nextSibling() const;
    void setParent(ControlParent parent);
    void setZOrder(ZOrder position = ZOrder::Bottom);

    // The single entry of every message (pre-filter, handlers, class procedure).
    std::intptr_t dispatch(const Message& message);
    std::intptr_t dispatch(MessageId id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0) {
        return dispatch(Message{id, wParam, lParam});
    }
    // Through the host window's queue: send now, post later (dropped if gone). UI
    // thread; other threads use sendToControl/postToControl with the handles.
    std::intptr_t send(MessageId id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    void post(MessageId id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    void destroy();

    // Geometry in the parent's coordinates; setters go through the move path.
    [[nodiscard]] QRect rect() const { return m_rect; }
    [[nodiscard]] int left() const { return m_rect.x(); }
    [[nodiscard]] int top() const { return m_rect.y(); }
    [[nodiscard]] int width() const { return m_rect.width(); }
    [[nodiscard]] int height() const { return m_rect.height(); }
    // In host window coordinates.
    [[nodiscard]] QRect absoluteRect() const { return m_absolute; }
    void move(std::optional<int> left, std::optional<int> top, std::optional<int> width = {},
              std::optional<int> height = {});
    void setRect(const QRect& rect) { move(rect.x(), rect.y(), rect.width(), rect.height()); }

    [[nodiscard]] bool isVisible() const { return !(m_state & state::kHidden); }
    void setVisible(bool visible);
    [[nodiscard]] bool isDisabled() const { return m_state & state::kDisabled; }
    void setDisabled(bool disabled);
    [[nodiscard]] bool classDrawsDisabled() const { return m_classDrawsDisabled; }

    void setFocus();
    void killFocus();
    [[nodiscard]] bool isFocused() const { return m_state & state::kFocused; }
    [[nodiscard]] bool focusable() const { return m_state & state::kFocusable; }
    void setFocusable(bool on);
    [[nodiscard]] bool tabStop() const { return m_tabStop; }
    void setTabStop(bool on) { m_tabStop = on; }
    [[nodiscard]] int tabStopIndex() const { return m_tabStopIndex; }
    void setTabStopIndex(int index);
    [[nodiscard]] bool drawTabStop() const { return m_drawTabStop; }
    void setDrawTabStop(bool on) { m_drawTabStop = on; }
    [[nodiscard]] ControlHandle nextInTabChain() const { return m_nextInTabChain; }

    [[nodiscard]] bool mouseTrack() const { return m_mouseTrack; }
    void setMouseTrack(bool on) { m_mouseTrack = on; }
    [[nodiscard]] bool alpHitTest() const { return m_alpHitTest; }
    void setAlpHitTest(bool on) { m_alpHitTest = on; }
    [[nodiscard]] int alpha() const { return m_alpha; }
    void setAlpha(int alpha);
    [[nodiscard]] const QString& tips() const { return m_tips; }
    void setTips(const QString& tips) { m_tips = tips; }
    [[nodiscard]] const QString& flags() const { return m_flags; }
    void setFlags(const QString& flags) { m_flags = flags; }
    [[nodiscard]] bool dropDrag() const { return m_dropDrag; }
    void setDropDrag(bool on);
    [[nodiscard]] unsigned lockPos() const { return m_lockPos; }
    // Anchors the control to the chosen parent edges at their current distances.
    void setLockPos(bool left, bool top, bool right, bool bottom);
    void setCursors(std::optional<platform::CursorShape> normal, std::optional<platform::CursorShape> pressed);
    [[nodiscard]] std::optional<platform::CursorShape> cursor() const { return m_cursor; }
    [[nodiscard]] std::optional<platform::CursorShape> pressedCursor() const { return m_pressedCursor; }

    [[nodiscard]] const QFont& font() const { return m_font; }
    // Sends the set-font message; repaints unless told not to.
    void setFont(const QFont& font, bool repaint = true);
    void setFontName(const QString& family);
    void setFontSize(int pixels);
    void setFontStyle(int style);  // 1 bold, 2 italic, 4 underline, 8 strike-out
    [[nodiscard]] int textRenderingHint() const { return m_textRenderingHint; }
    void setTextRenderingHint(int hint);

    void setAnimationFramesAndTimer(int frames, int interval);
    [[nodiscard]] int animationFrames() const { return m_animationFrames; }
    [[nodiscard]] int animationInterval() const { return m_animationInterval; }
    [[nodiscard]] int animationFrame() const { return m_animationFrame; }
    [[nodiscard]] double animationProgress() const { return m_animationProgress; }
    [[nodiscard]] int animationType() const { return m_animationType; }
    void setAnimationType(int curve) { m_animationType = curve; }

    // Painting: redraw() paints (message 15) and recomposes; redrawRect() only
    // recomposes an area given in the parent's coordinates; repaint() recomposes the
    // whole rectangle through the class procedure.
    void redraw();
    void redrawRect(const QRect& parentArea);
    void repaint();
    [[nodiscard]] const QImage& surface() const { return m_surface; }
    [[nodiscard]] bool drawable() const { return m_drawable; }

    // Control timer: delivers kTimer to the control (callback empty) or calls the
    // callback; a zero interval only stops it. Answers whether a timer runs.
    bool setTimer(int intervalMs, std::function<void()> callback = {});
    void killTimer() { setTimer(0); }

    // Tooltip over this control in the host's tooltip window; empty hides it.
    void showTooltip(const QString& text, const QString& title = {});

    // The focus rectangle in control coordinates (adjustFocusRect of the class).
    [[nodiscard]] QRect focusRect() const { return adjustFocusRect(QRect(0, 0, width(), height())); }

protected:
    BaseControl() = default;
    // Routes each message to the typed hooks; override for messages of a class's own.
    std::intptr_t classProc(const Message& message) override;

private:
    friend class ControlTree;
    friend class ControlRoot;
    friend class PaintScope;
    friend class Composer;

    static bool createBase(std::unique_ptr<BaseControl> control, ControlParent parent, const QRect& rect, int kind,
                           std::string_view className, const CreateOptions& options);
    std::intptr_t dispatchInner(const Message& message);
    std::intptr_t raiseOrClass(const Message& message, const Event& event);
    Event makeEvent(const Message& message) const;
    void destroyNow();
    void applyGeometry(const Message& message, const QRect& target);
    // An ancestor (or the window's control origin) moved: so does the absolute place of
    // this control and of everything under it. Plain bookkeeping, no message: a moving
    // comment page has hundreds of descendants and moves 33 times a second.
    void shiftAbsolute(QPoint shift);
    void layoutAnchored();
    PaintContext beginPaint(std::optional<QRect> area, bool recompose);
    void endPaint(bool recompose);
    void animationTick();
    void invalidateOwn(const QRect& controlArea);

    ControlHandle m_handle;
    HostWindow* m_host = nullptr;
    BaseControl* m_parent = nullptr;
    bool m_created = false;
    bool m_destroying = false;
    bool m_classDrawsDisabled = false;
    int m_kind = 0;
    std::string m_className;
    int m_id = 0;
    std::uint32_t m_state = 0;
    std::optional<platform::CursorShape> m_cursor;
    std::optional<platform::CursorShape> m_pressedCursor;
    bool m_tabStop = true;
    int m_tabStopIndex = 0;
    bool m_drawable = false;
    int m_alpha = 255;
    QString m_flags;
    QString m_tips;
    bool m_drawTabStop = true;
    int m_animationInterval = 0;
    int m_animationFrames = 0;
    int m_animationFrame = 0;
    int m_animationType = 1;
    double m_animationProgress = 0.0;
    std::vector<std::unique_ptr<BaseControl>> m_children;
    bool m_dropDrag = false;
    bool m_alpHitTest = false;
    bool m_mouseTrack = true;
    unsigned m_lockPos = 0;
    QFont m_font;
    int m_textRenderingHint = 0;
    QImage m_surface;
    QImage m_snapshot;
    ControlHandle m_nextInTabChain;
    int m_createData = 0;
    QRect m_rect;
    QRect m_previousRect;  // before the last move, for onGeometryChanged
    QRect m_dirty;         // control coordinates
    QRect m_previousDirty;
    int m_anchorLeft = 0;
    int m_anchorTop = 0;
    int m_anchorRight = 0;
    int m_anchorBottom = 0;
    QRect m_absolute;
    bool m_painting = false;
};

// Painting between begin and end (the painting protocol): takes the area to paint
// (given, or the control's dirty rectangle), snapshots the old look when the control
// animates its state changes, clips the painter to the area and clears it. The end
// recomposes the area, or starts the cross-fade from the snapshot to the new look.
class PaintScope {
public:
    // Recompose::No only repaints the surface (a control drawing its own animation
    // frame): no recomposition and no new state animation follow.
    enum class Recompose { Yes, No };
    explicit PaintScope(BaseControl& control, std::optional<QRect> area = {}, bool clear = true,
                        Recompose recompose = Recompose::Yes);
    ~PaintScope();
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    [[nodiscard]] QPainter& painter() { return m_painter; }
    [[nodiscard]] const PaintContext& context() const { return m_context; }

private:
    BaseControl& m_control;
    PaintContext m_context;
    QPainter m_painter;
    Recompose m_recompose = Recompose::Yes;
};

// From any thread: delivers the message to the control on the UI thread. send waits
// for the answer (0 when the window or the control is gone, or the stop token fires
// first); post returns at once and is dropped when the target is gone by then.
std::intptr_t sendToControl(platform::WindowHandle window, ControlHandle control, const Message& message,
                            std::stop_token stop = {});
void postToControl(platform::WindowHandle window, ControlHandle control, const Message& message);

// The control behind a handle, or nullptr when it is gone (UI thread only).
[[nodiscard]] BaseControl* resolveControl(ControlHandle handle);
template <class T>
[[nodiscard]] T* resolveControlAs(ControlHandle handle) {
    return dynamic_cast<T*>(resolveControl(handle));
}

}  // namespace vamu::toolkit
