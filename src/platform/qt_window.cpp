#include "platform/qt_window.h"

#include "platform/input_method.h"
#include "platform/keys.h"
#include "platform/system.h"

#include <QAccessible>
#include <QCursor>
#include <QDateTime>
#include <QGuiApplication>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QMimeData>
#include <QUrl>

#include <vector>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QResizeEvent>
#include <QStyleHints>
#include <QTimerEvent>
#include <QWheelEvent>

#include <cstdlib>

namespace vamu::platform::detail {
namespace {

int modifierFlags(Qt::KeyboardModifiers modifiers) {
    int flags = 0;
    if (modifiers & Qt::ControlModifier) flags |= modifier::kControl;
    if (modifiers & Qt::ShiftModifier) flags |= modifier::kShift;
    if (modifiers & Qt::AltModifier) flags |= modifier::kAlt;
    return flags;
}

std::uintptr_t mouseKeys(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    std::uintptr_t keys = 0;
    if (buttons & Qt::LeftButton) keys |= mouse_keys::kLeft;
    if (buttons & Qt::RightButton) keys |= mouse_keys::kRight;
    if (buttons & Qt::MiddleButton) keys |= mouse_keys::kMiddle;
    if (modifiers & Qt::ShiftModifier) keys |= mouse_keys::kShift;
    if (modifiers & Qt::ControlModifier) keys |= mouse_keys::kControl;
    return keys;
}

MessageId pressMessage(Qt::MouseButton button, bool isDouble) {
    switch (button) {
    case Qt::LeftButton:
        return isDouble ? msg::kLeftDoubleClick : msg::kLeftDown;
    case Qt::RightButton:
        return isDouble ? msg::kRightDoubleClick : msg::kRightDown;
    case Qt::MiddleButton:
        return isDouble ? msg::kMiddleDoubleClick : msg::kMiddleDown;
    default:
        return 0;
    }
}

MessageId releaseMessage(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return msg::kLeftUp;
    case Qt::RightButton:
        return msg::kRightUp;
    case Qt::MiddleButton:
        return msg::kMiddleUp;
    default:
        return 0;
    }
}

qint64 eventTimeMs(const QInputEvent* event) {
    if (event->timestamp() != 0) return static_cast<qint64>(event->timestamp());
    return QDateTime::currentMSecsSinceEpoch();
}

}  // namespace

QtWindow::QtWindow(NativeWindow& native) : m_native(native), m_store(std::make_unique<QBackingStore>(this)) {
    // Each screen may have its own device pixel ratio.
    QObject::connect(this, &QWindow::screenChanged, this, [this](QScreen*) { m_native.screenChanged(); });
}

QtWindow::~QtWindow() {
    for (const auto& [id, timer] : m_timers) QObject::killTimer(timer.qtId);
}

void QtWindow::deliver(MessageId id, std::uintptr_t wParam, std::intptr_t lParam) {
    m_native.translate(Message{id, wParam, lParam});
}

void QtWindow::reportGeometry(const QRect& geometry) {
    const QRect previous = m_reported;
    m_reported = geometry;
    if (previous.topLeft() != geometry.topLeft() || !previous.isValid()) {
        deliver(msg::kMove, 0, packPoint(geometry.x(), geometry.y()));
    }
    if (previous.size() != geometry.size()) {
        SizeType type = SizeType::Restored;
        if (m_native.showState() == ShowState::Maximized) type = SizeType::Maximized;
        if (m_native.showState() == ShowState::Minimized) type = SizeType::Minimized;
        deliver(msg::kSize, static_cast<std::uintptr_t>(type), packPoint(geometry.width(), geometry.height()));
    }
}

QAccessibleInterface* QtWindow::accessibleRoot() const {
    return QAccessible::queryAccessibleInterface(const_cast<QtWindow*>(this));
}

void QtWindow::setTimer(TimerId id, int intervalMs, std::function<void()> callback) {
    killTimer(id);
    const int qtId = QObject::startTimer(intervalMs);
    if (qtId == 0) return;
    m_timers[id] = Timer{qtId, std::move(callback)};
    m_timerIds[qtId] = id;
}

void QtWindow::killTimer(TimerId id) {
    const auto it = m_timers.find(id);
    if (it == m_timers.end()) return;
    QObject::killTimer(it->second.qtId);
    m_timerIds.erase(it->second.qtId);
    m_timers.erase(it);
}

void QtWindow::timerEvent(QTimerEvent* event) {
    const auto idIt = m_timerIds.find(event->timerId());
    if (idIt == m_timerIds.end()) return;
    const TimerId id = idIt->second;
    // A copy: the callback may kill or replace its own timer.
    std::function<void()> callback = m_timers[id].callback;
    if (callback)
        callback();
    else
        deliver(msg::kTimer, static_cast<std::uintptr_t>(id), 0);
}

void QtWindow::exposeEvent(QExposeEvent*) {
    if (isExposed()) m_native.present(QRegion(QRect(QPoint(), m_native.backBufferSize())));
}

void QtWindow::startManualDrag(unsigned edges) {
    m_drag.active = true;
    m_drag.edges = edges;
    // The press that starts the drag gives the origin: some platforms (offscreen)
    // keep no pointer position of their own.
    m_drag.startGlobal = m_lastPressGlobal;
    m_drag.startGeometry = geometry();
}

bool QtWindow::dragEvent(QEvent* event) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (event->type() == QEvent::MouseButtonRelease) {
        m_drag.active = false;
        return true;
    }
    if (event->type() != QEvent::MouseMove) return event->type() == QEvent::MouseButtonPress;
    const QPoint delta = (mouse->globalPosition() - m_drag.startGlobal).toPoint();
    QRect target = m_drag.startGeometry;
    if (m_drag.edges == 0) {
        target.moveTopLeft(m_drag.startGeometry.topLeft() + delta);
    } else {
        if (m_drag.edges & edge::kLeft) target.setLeft(target.left() + delta.x());
        if (m_drag.edges & edge::kTop) target.setTop(target.top() + delta.y());
        if (m_drag.edges & edge::kRight) target.setRight(target.right() + delta.x());
        if (m_drag.edges & edge::kBottom) target.setBottom(target.bottom() + delta.y());
        const QSize bounded = target.size().expandedTo(minimumSize()).boundedTo(maximumSize());
        if (m_drag.edges & edge::kLeft)
            target.setLeft(target.right() - bounded.width() + 1);
        else
            target.setWidth(bounded.width());
        if (m_drag.edges & edge::kTop)
            target.setTop(target.bottom() - bounded.height() + 1);
        else
            target.setHeight(bounded.height());
    }
    m_native.setGeometry(target);
    return true;
}

bool QtWindow::mouseEvent(QEvent* event) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    noteKeyModifiers(modifierFlags(mouse->modifiers()));
    const QPoint local = mouse->position().toPoint();
    const std::intptr_t point = packPoint(local.x(), local.y());
    const std::uintptr_t keys = mouseKeys(mouse->buttons(), mouse->modifiers());
    switch (event->type()) {
    case QEvent::MouseMove:
        deliver(msg::kMouseMove, keys, point);
        return true;
    case QEvent::MouseButtonPress: {
        // Double clicks are detected here, so every press is one message: either a
        // press or a double click, never both (the order the window system keeps).
        const qint64 now = eventTimeMs(mouse);
        const auto* hints = QGuiApplication::styleHints();
        const QPoint distance = local - m_lastPress.position;
        const bool isDouble = !m_lastPress.wasDouble && m_lastPress.button == mouse->button() &&
                              now - m_lastPress.timeMs <= hints->mouseDoubleClickInterval() &&
                              std::abs(distance.x()) + std::abs(distance.y()) <= hints->mouseDoubleClickDistance();
        m_lastPress = LastPress{mouse->button(), now, local, isDouble};
        m_lastPressGlobal = mouse->globalPosition();
        if (const MessageId id = pressMessage(mouse->button(), isDouble)) deliver(id, keys, point);
        return true;
    }
    case QEvent::MouseButtonRelease:
        if (const MessageId id = releaseMessage(mouse->button())) deliver(id, keys, point);
        return true;
    case QEvent::MouseButtonDblClick:
        return true;  // already reported by the press
    default:
        return false;
    }
}

bool QtWindow::keyEvent(QEvent* event) {
    auto* key = static_cast<QKeyEvent*>(event);
    noteKeyModifiers(modifierFlags(key->modifiers()));
    const bool alt = key->modifiers() & Qt::AltModifier;
    const int code = virtualKeyFromQt(key->key());
    std::intptr_t flags = 1;  // repeat count
    if (alt) flags |= std::intptr_t{1} << 29;
    if (key->isAutoRepeat()) flags |= std::intptr_t{1} << 30;
    if (event->type() == QEvent::KeyRelease) {
        if (key->isAutoRepeat()) return true;
        if (code != 0) deliver(alt ? msg::kSysKeyUp : msg::kKeyUp, static_cast<std::uintptr_t>(code), flags);
        return true;
    }
    if (code != 0) deliver(alt ? msg::kSysKeyDown : msg::kKeyDown, static_cast<std::uintptr_t>(code), flags);
    const QString text = key->text();
    for (const QChar unit : text) {
        deliver(alt ? msg::kSysChar : msg::kChar, unit.unicode(), flags);
    }
    return true;
}

void QtWindow::inputMethodEvent(QEvent* event) {
    auto* input = static_cast<QInputMethodEvent*>(event);
    const QString preedit = input->preeditString();
    const QString commit = input->commitString();
    int cursor = static_cast<int>(preedit.size());
    for (const QInputMethodEvent::Attribute& attribute : input->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor) cursor = attribute.start;
    }
    InputMethodText text{reinterpret_cast<const char16_t*>(preedit.utf16()), static_cast<int>(preedit.size()), cursor,
                         reinterpret_cast<const char16_t*>(commit.utf16()), static_cast<int>(commit.size())};
    deliver(msg::kImeComposition, 0, reinterpret_cast<std::intptr_t>(&text));
    for (const QChar unit : commit) deliver(msg::kChar, unit.unicode(), 1);
    event->accept();
}

bool QtWindow::dropEvent(QEvent* event) {
    auto* drop = static_cast<QDropEvent*>(event);
    QStringList files;
    if (m_acceptDrops && drop->mimeData()) {
        for (const QUrl& url : drop->mimeData()->urls()) {
            if (url.isLocalFile()) files.push_back(url.toLocalFile());
        }
    }
    if (files.isEmpty()) {
        drop->ignore();
        return true;
    }
    drop->acceptProposedAction();
    if (event->type() != QEvent::Drop) return true;
    std::vector<const char16_t*> paths;
    for (const QString& file : files) paths.push_back(reinterpret_cast<const char16_t*>(file.utf16()));
    const QPoint at = drop->position().toPoint();
    DroppedFiles dropped{paths.data(), static_cast<int>(paths.size()), at.x(), at.y()};
    deliver(msg::kDropFiles, 0, reinterpret_cast<std::intptr_t>(&dropped));
    return true;
}

bool QtWindow::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return dropEvent(event);
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (m_drag.active) return dragEvent(event);
        return mouseEvent(event);
    case QEvent::Wheel: {
        auto* wheel = static_cast<QWheelEvent*>(event);
        noteKeyModifiers(modifierFlags(wheel->modifiers()));
        const int delta = wheel->angleDelta().y() != 0 ? wheel->angleDelta().y() : wheel->angleDelta().x();
        const QPoint global = wheel->globalPosition().toPoint();
        const std::uintptr_t keys = mouseKeys(wheel->buttons(), wheel->modifiers());
        deliver(msg::kMouseWheel, (static_cast<std::uintptr_t>(static_cast<std::uint16_t>(delta)) << 16) | keys,
                packPoint(global.x(), global.y()));
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return keyEvent(event);
    case QEvent::InputMethod:
        inputMethodEvent(event);
        return true;
    case QEvent::InputMethodQuery:
        inputMethodQuery(static_cast<QInputMethodQueryEvent*>(event));
        return true;
    case QEvent::FocusIn:
        deliver(msg::kActivate, 1, 0);
        return true;
    case QEvent::FocusOut:
        deliver(msg::kActivate, 0, 0);
        return true;
    case QEvent::Leave:
        deliver(msg::kMouseLeave, 0, 0);
        return true;
    case QEvent::Close:
        event->ignore();  // the handler decides whether the window goes
        deliver(msg::kClose, close_source::kDesktop, 0);
        return true;
    case QEvent::Move:
    case QEvent::Resize:
        reportGeometry(geometry());
        return QWindow::event(event);
    case QEvent::WindowStateChange:
        if (windowStates() & Qt::WindowMinimized) {
            if (m_native.showState() != ShowState::Minimized) m_native.minimize();
        } else if (m_native.showState() == ShowState::Minimized) {
            m_native.restore();
        }
        return QWindow::event(event);
    case QEvent::Show:
        deliver(msg::kShowWindow, 1, 0);
        return QWindow::event(event);
    case QEvent::Hide:
        deliver(msg::kShowWindow, 0, 0);
        return QWindow::event(event);
    default:
        return QWindow::event(event);
    }
}

// The handler answers for the text being edited; without an answer the window's own
// setting holds.
void QtWindow::inputMethodQuery(QInputMethodQueryEvent* query) {
    InputMethodState state;
    const bool answered = m_native.deliver(Message{msg::kImeRequest, 0, reinterpret_cast<std::intptr_t>(&state)}) != 0;
    if (!answered) {
        state.enabled = m_inputMethodEnabled;
        state.cursorRect = m_inputMethodRect;
    }
    const Qt::InputMethodQueries queries = query->queries();
    if (queries & Qt::ImEnabled) query->setValue(Qt::ImEnabled, state.enabled);
    if (queries & Qt::ImCursorRectangle) query->setValue(Qt::ImCursorRectangle, state.cursorRect);
    if (queries & Qt::ImHints) query->setValue(Qt::ImHints, static_cast<int>(state.hints));
    if (answered) {
        if (queries & Qt::ImSurroundingText) query->setValue(Qt::ImSurroundingText, state.surroundingText);
        if (queries & Qt::ImCursorPosition) query->setValue(Qt::ImCursorPosition, state.cursorPosition);
        if (queries & Qt::ImAnchorPosition) query->setValue(Qt::ImAnchorPosition, state.anchorPosition);
        if (queries & Qt::ImAnchorRectangle) query->setValue(Qt::ImAnchorRectangle, state.cursorRect);
    }
    query->accept();
}

}  // namespace vamu::platform::detail
