#include "toolkit/controls/edit.h"

#include "platform/input_method.h"
#include "platform/keys.h"
#include "platform/system.h"
#include "toolkit/accessibility.h"
#include "toolkit/controls/control_text.h"
#include "toolkit/controls/edit_scroll.h"
#include "toolkit/controls/paint.h"
#include "toolkit/controls/text_paint.h"
#include "toolkit/engine.h"
#include "toolkit/host_window.h"
#include "toolkit/popup_menu.h"
#include "toolkit/theme_names.h"
#include "toolkit/toolkit.h"

#include <QTextDocumentFragment>

namespace vamu::toolkit {
namespace {

namespace vk = platform::vk;
namespace modifier = platform::modifier;

// The context menu's commands: the character codes of X, C, V and A.
constexpr int kCutCommand = 88;
constexpr int kCopyCommand = 67;
constexpr int kPasteCommand = 86;
constexpr int kSelectAllCommand = 65;
constexpr int kWheelLines = 3;
constexpr QRgb kWindowColour = 0xFFFFFFFF;

bool digitAllowed(char32_t c) { return c >= 45 && c <= 57 && c != 47; }  // "-", "." and 0-9

Qt::Alignment alignmentOf(int align) {
    switch (align) {
    case 2:
        return Qt::AlignRight;
    case 3:
        return Qt::AlignHCenter;
    default:
        return Qt::AlignLeft;
    }
}

CreateOptions createOptions(const EditOptions& options) {
    CreateOptions create;
    create.visible = options.visible;
    create.focusable = true;
    create.cursor = platform::CursorShape::IBeam;
    return create;
}

}  // namespace

PopupMenu& editContextMenu() {
    static PopupMenu menu = [] {
        PopupMenu m;
        m.addCommand(QStringLiteral("剪切(&T)"), kCutCommand);
        m.addCommand(QStringLiteral("复制(&C)"), kCopyCommand, menu_state::kChecked);
        m.addCommand(QStringLiteral("粘贴(&P)"), kPasteCommand);
        m.addSeparator();
        m.addCommand(QStringLiteral("全部选择(&A)"), kSelectAllCommand);
        return m;
    }();
    return menu;
}

Edit* Edit::create(ControlParent parent, const QRect& rect, const EditOptions& options) {
    Edit* edit =
        BaseControl::create(std::make_unique<Edit>(options), parent, rect, kind::kEdit, "Edit", createOptions(options));
    if (!edit) return nullptr;
    // The scroll bars are children, so they can only be made once the box exists.
    edit->layout();
    edit->redraw();
    return edit;
}

Edit::Edit(const EditOptions& options) : m_options(options) {}

Edit::~Edit() = default;

// ---- creation and settings ------------------------------------------------------

void Edit::onCreate(int) {
    const int size = m_options.fontSize > 0 ? m_options.fontSize : font().pixelSize();
    if (const auto asked = requestedFont(m_options.fontName, size, m_options.fontStyle)) setFont(*asked, false);
    configureEngine();
    m_engine.setText(m_options.text);
    layout();
}

void Edit::onCreated() {
    // Built from a layout description: the look and manners of a plain edit box.
    setFocusable(true);
    setDrawTabStop(true);
    setCursors(platform::CursorShape::IBeam, platform::CursorShape::IBeam);
    setColours(0xF0000000);
    setBorderColours(0, m_options.crBackgroundSel);
}

void Edit::onDestroy() {
    killTimer();
    m_vertical.reset();
    m_horizontal.reset();
}

void Edit::configureEngine() {
    m_engine.setFont(font());
    m_engine.setMultiline(m_options.multiline);
    m_engine.setWordWrap(m_options.scroll == edit_scroll::kWrapVertical);
    m_engine.setReadOnly(isReadOnly());
    m_engine.setPassword(isPassword(), m_options.passwordChar);
    m_engine.setMaxLength(m_options.limitLen);
    m_engine.setAlignment(alignmentOf(m_options.align));
}

void Edit::layout() {
    const QRect whole(0, 0, width(), height());
    if (m_options.crBackgroundSel != 0) {
        m_textArea = whole.adjusted(2, 2, -2, -2);
    } else if (m_options.crBorder != 0) {
        m_textArea = whole;
    } else {
        const QRect margin =
            engine::getPackRect(host() ? host()->theme() : nullptr, theme::kEdit, theme::kMargin).value_or(QRect());
        m_textArea = whole.adjusted(margin.x(), margin.y(), margin.width(), margin.height());
    }
    const bool wantVertical = m_options.scroll == edit_scroll::kWrapVertical || m_options.scroll == edit_scroll::kBoth;
    const bool wantHorizontal = m_options.scroll == edit_scroll::kHorizontal || m_options.scroll == edit_scroll::kBoth;
    const ControlHandle self = handle();
    auto moved = [self](bool vertical) {
        return [self, vertical](int offset) {
            auto* edit = resolveControlAs<Edit>(self);
            if (!edit) return;
            const QPoint current = edit->m_engine.scrollOffset();
            edit->scrollTo(vertical ? QPoint(current.x(), offset) : QPoint(offset, current.y()));
        };
    };
    if (wantVertical && !m_vertical && isCreated()) m_vertical = EditScrollBar::create(*this, true, moved(true));
    if (!wantVertical) m_vertical.reset();
    if (wantHorizontal && !m_horizontal && isCreated()) {
        m_horizontal = EditScrollBar::create(*this, false, moved(false));
    }
    if (!wantHorizontal) m_horizontal.reset();
    const int room = EditScrollBar::kThickness + 1;
    QRect text = m_textArea;
    if (m_vertical) text.setWidth(text.width() - room);
    if (m_horizontal) text.setHeight(text.height() - room);
    if (m_vertical)
        m_vertical->setGeometry(QRect(text.right() + 2, m_textArea.top(), EditScrollBar::kThickness, text.height()));
    if (m_horizontal)
        m_horizontal->setGeometry(QRect(m_textArea.left(), text.bottom() + 2, text.width(), EditScrollBar::kThickness));
    m_textArea = text;
    m_engine.setViewSize(m_textArea.size());
    m_engine.ensureCaretVisible();
    syncScrollBars();
}

void Edit::syncScrollBars() {
    const QSize content = m_engine.contentSize();
    const QPoint offset = m_engine.scrollOffset();
    if (m_vertical) {
        m_vertical->setRange(content.height(), m_textArea.height(), m_engine.lineHeight());
        m_vertical->setPosition(offset.y());
    }
    if (m_horizontal) {
        m_horizontal->setRange(content.width() + 1, m_textArea.width(), m_engine.lineHeight());
        m_horizontal->setPosition(offset.x());
    }
}

void Edit::scrollTo(QPoint offset) {
    if (offset == m_engine.scrollOffset()) return;
    m_engine.setScrollOffset(offset);
    syncScrollBars();
    redraw();
    updateInputMethod();
}

void Edit::setText(const QString& text) {
    const std::optional<QString> before = accessibility::active() ? std::optional(m_engine.text()) : std::nullopt;
    m_engine.setText(text);
    if (before) accessibility::editChanged(*this, *before);
    syncScrollBars();
    redraw();
    updateInputMethod();
}

void Edit::setHtml(const QString& html) {
    if (m_options.rich)
        m_engine.setHtml(html);
    else
        m_engine.setText(QTextDocumentFragment::fromHtml(html).toPlainText());
    syncScrollBars();
    redraw();
}

void Edit::setSelection(int start, int end) {
    m_engine.select(start, end);
    m_engine.ensureCaretVisible();
    syncScrollBars();
    redraw();
}

void Edit::setHideSel(bool on) {
    if (m_options.hideSel == on) return;
    m_options.hideSel = on;
    redraw();
}

void Edit::setAlign(int align) {
    if (m_options.align == align) return;
    m_options.align = align;
    m_engine.setAlignment(alignmentOf(align));
    redraw();
}

void Edit::setInputType(int type) {
    if (m_options.inputType == type) return;
    m_options.inputType = type;
    configureEngine();
    redraw();
    updateInputMethod();
}

void Edit::setPasswordChar(QChar mask) {
    if (m_options.passwordChar == mask || mask.isNull()) return;
    m_options.passwordChar = mask;
    m_engine.setPassword(isPassword(), mask);
    redraw();
}

void Edit::setMultiline(bool on) {
    if (m_options.multiline == on) return;
    m_options.multiline = on;
    configureEngine();
    layout();
    redraw();
}

void Edit::setScroll(int scroll) {
    if (m_options.scroll == scroll) return;
    m_options.scroll = scroll;
    configureEngine();
    layout();
    redraw();
}

void Edit::setLimitLen(int characters) {
    m_options.limitLen = std::max(characters, 0);
    m_engine.setMaxLength(m_options.limitLen);
}

void Edit::setCaret(QRgb colour, int width) {
    m_caretColour = colour;
    m_caretWidth = std::max(width, 1);
    if (caretShown()) redraw();
}

void Edit::setColours(std::optional<QRgb> text, std::optional<QRgb> selectedText,
                      std::optional<QRgb> selectedBackground) {
    if (text) m_options.crText = *text;
    if (selectedText) m_crTextSel = *selectedText;
    if (selectedBackground) m_crBackground = *selectedBackground;
    redraw();
}

void Edit::setBorderColours(QRgb crBorder, QRgb crBackgroundSel) {
    m_options.crBorder = crBorder;
    m_options.crBackgroundSel = crBackgroundSel;
    layout();
    redraw();
}

void Edit::setRich(bool on) { m_options.rich = on; }

void Edit::onGeometryChanged(const QRect&) { layout(); }

void Edit::onFontChanged() {
    m_engine.setFont(font());
    layout();
}

// ---- painting -------------------------------------------------------------------

QRect Edit::caretInControl() const {
    return m_engine.caretRect(m_caretWidth).translated(m_textArea.topLeft()).intersected(m_textArea);
}

void Edit::onPaint(QPainter& painter, const PaintContext& context) {
    const QRectF whole(context.whole);
    if (m_options.crBorder == 0 && m_options.crBackgroundSel == 0) {
        const ThemePack* theme = host() ? host()->theme() : nullptr;
        const std::string_view key = isFocused() ? theme::kFocus : paint::stateKey(context.state & state::kHot);
        paint::drawSkinImage(painter, theme, theme::kEdit, whole, key);
    } else {
        const QRgb fill = m_options.crBorder != 0 ? (m_options.crBorder | 0xFF000000u) : kWindowColour;
        painter.fillRect(context.whole, QColor::fromRgba(fill));
    }
    TextEngine::DrawOptions draw;
    draw.colours = TextColours{m_options.crText, m_crTextSel, m_crBackground};
    draw.showSelection = isFocused() || !m_options.hideSel;
    m_engine.draw(painter, m_textArea.topLeft(), draw);
    m_caretPainted = QRect();
    if (caretShown()) {
        m_caretPainted = caretInControl();
        painter.fillRect(m_caretPainted, QColor::fromRgba(m_caretColour));
    }
    if (m_options.crBackgroundSel != 0) paint::drawBorder(painter, whole, 3, m_options.crBackgroundSel);
}

void Edit::paintCaretArea() {
    const QRect area = (m_caretPainted | caretInControl()).adjusted(-1, 0, 1, 0);
    if (area.isEmpty()) return;
    PaintScope scope(*this, area);
    onPaint(scope.painter(), scope.context());
}

void Edit::startBlink() {
    m_caretOn = true;
    setTimer(kBlinkMs);
}

void Edit::stopBlink() {
    killTimer();
    m_caretOn = false;
}

void Edit::onTimer() {
    if (!isFocused()) {
        // A tick after the focus went: finish what losing it does.
        stopBlink();
        redraw();
        return;
    }
    m_caretOn = !m_caretOn;
    paintCaretArea();
}

// ---- user operations -------------------------------------------------------------

void Edit::raiseEvent(MessageId id, int key, int x, int y) {
    Event event;
    event.message = id;
    event.control = handle();
    event.window = hostWindowHandle();
    event.modifiers = platform::keyModifiers();
    event.key = key;
    event.x = x;
    event.y = y;
    raise(event);
}

template <class Operation>
void Edit::userAction(Operation&& operation) {
    const unsigned long long revision = m_engine.revision();
    const int position = m_engine.cursorPosition();
    const int anchor = m_engine.anchorPosition();
    // The text before is kept only while a screen reader listens.
    const std::optional<QString> before = accessibility::active() ? std::optional(m_engine.text()) : std::nullopt;
    operation();
    if (before) {
        if (m_engine.revision() != revision) accessibility::editChanged(*this, *before);
        if (m_engine.cursorPosition() != position) accessibility::caretMoved(*this);
    }
    afterUserAction(revision, position, anchor);
}

void Edit::afterUserAction(unsigned long long revision, int position, int anchor) {
    m_engine.ensureCaretVisible();
    syncScrollBars();
    if (isFocused()) startBlink();  // the caret shows at once after every action
    redraw();
    updateInputMethod();
    const bool changed = m_engine.revision() != revision;
    const bool moved = m_engine.cursorPosition() != position || m_engine.anchorPosition() != anchor;
    const ControlHandle self = handle();
    if (changed) raiseEvent(tkm::kEditChanged);
    if (moved && resolveControl(self)) raiseEvent(tkm::kEditSelectionChanged);
}

QString Edit::filtered(const QString& text) const {
    if (m_options.inputType != input_type::kDigits) return text;
    QString kept;
    for (const QChar c : text) {
        if (digitAllowed(c.unicode())) kept.append(c);
    }
    return kept;
}

void Edit::cut() {
    userAction([this] {
        if (const auto text = m_engine.cut()) platform::setClipboardText(*text);
    });
}

void Edit::copy() {
    if (const auto text = m_engine.copy()) platform::setClipboardText(*text);
}

void Edit::paste() {
    if (isReadOnly()) return;
    const QString text = filtered(platform::clipboardText());
    userAction([this, &text] { m_engine.insert(text); });
}

void Edit::selectAll() {
    userAction([this] { m_engine.selectAll(); });
}

// ---- keyboard ---------------------------------------------------------------------

bool Edit::onKeyDown(int virtualKey, int modifiers) {
    const bool ctrl = (modifiers & modifier::kControl) && !(modifiers & modifier::kAlt);
    const bool shift = modifiers & modifier::kShift;
    switch (virtualKey) {
    case vk::kReturn:
        // Never a click on the window's default control; a new line only with several.
        if (m_options.multiline) userAction([this] { m_engine.newLine(); });
        return true;
    case vk::kSpace:
        return true;  // the character follows
    case vk::kTab:
        return false;  // the host window moves the focus
    case vk::kInsert:
        if (ctrl)
            copy();
        else if (shift)
            paste();
        return ctrl || shift;
    case vk::kDelete:
        if (shift && !ctrl) {
            cut();
            return true;
        }
        break;
    default:
        break;
    }
    if (ctrl) {
        switch (virtualKey) {
        case 'A':
            selectAll();
            return true;
        case 'C':
            copy();
            return true;
        case 'X':
            cut();
            return true;
        case 'V':
            paste();
            return true;
        case 'Z':
            if (shift)
                userAction([this] { m_engine.redo(); });
            else
                userAction([this] { m_engine.undo(); });
            return true;
        case 'Y':
            userAction([this] { m_engine.redo(); });
            return true;
        default:
            break;
        }
    }
    bool handled = false;
    userAction([&] { handled = m_engine.key(virtualKey, modifiers); });
    return handled;
}

bool Edit::onChar(int unit) {
    if (unit == '\t') return false;
    if (unit < 0x20 || unit == 0x7F) return true;  // Ctrl+letter and the like: done on key down
    const auto code = static_cast<char16_t>(unit);
    QString typed;
    if (QChar::isHighSurrogate(code)) {
        m_pendingHigh = code;
        return true;
    }
    if (QChar::isLowSurrogate(code)) {
        if (m_pendingHigh == 0) return true;
        typed = QString(QChar(m_pendingHigh)) + QChar(code);
    } else {
        typed = QString(QChar(code));
    }
    m_pendingHigh = 0;
    if (m_options.inputType == input_type::kDigits && !digitAllowed(code)) return true;
    userAction([this, &typed] { m_engine.insert(typed); });
    return true;
}

// ---- mouse ------------------------------------------------------------------------

void Edit::onLeftDown(QPoint local, int modifiers) {
    if (platform::NativeWindow* native = host() ? host()->nativeWindow() : nullptr) native->commitInputMethod();
    m_selecting = true;
    m_dragged = false;
    userAction([&] { m_engine.pressAt(toView(local), modifiers & modifier::kShift); });
}

void Edit::onMouseMove(QPoint local, int) {
    if (m_selecting && (state() & state::kPressed)) {
        m_dragged = true;
        userAction([&] { m_engine.dragTo(toView(local)); });
        return;
    }
    if (!m_options.rich || !host() || !host()->nativeWindow()) return;
    const bool overLink = m_engine.linkAt(toView(local)).has_value();
    host()->nativeWindow()->setCursor(overLink ? platform::CursorShape::Hand : platform::CursorShape::IBeam);
}

void Edit::onLeftUp(QPoint local, int) {
    const bool click = m_selecting && !m_dragged;
    m_selecting = false;
    if (!click || !m_options.rich) return;
    if (const auto link = m_engine.linkAt(toView(local))) {
        raiseEvent(tkm::kEditLink, static_cast<int>(msg::kLeftUp), link->first, link->last);
    }
}

void Edit::onDoubleClick(QPoint local, int) {
    m_dragged = true;  // a word selection, not a click on a link
    userAction([&] { m_engine.selectWordAt(toView(local)); });
}

bool Edit::onWheel(int delta, QPoint, int) {
    if (m_vertical && m_vertical->wheel(delta)) return true;
    if (!m_options.multiline) return false;
    const int step = kWheelLines * m_engine.lineHeight();
    scrollTo(m_engine.scrollOffset() + QPoint(0, delta > 0 ? -step : step));
    return true;
}

void Edit::onRightUp(QPoint, int) {
    const ControlHandle self = handle();
    if (!isFocused()) setFocus();
    if (!resolveControl(self) || isPassword() || !host()) return;
    showContextMenu();
}

void Edit::showContextMenu() {
    PopupMenu& menu = editContextMenu();
    const bool selected = m_engine.hasSelection();
    const bool writable = !isReadOnly();
    const auto state = [](bool enabled) { return enabled ? menu_state::kNormal : menu_state::kDisabled; };
    menu.setState(1, state(selected && writable));
    menu.setState(2, state(selected));
    menu.setState(3, state(writable && !filtered(platform::clipboardText()).isEmpty()));
    menu.setState(5, state(!m_engine.text().isEmpty()));
    // At the mouse, so that near the screen's edges the menu turns away from them.
    menu.popup(hostWindowHandle(), handle());
}

// ---- focus ------------------------------------------------------------------------

void Edit::onFocusIn(ControlHandle, bool) {
    startBlink();
    redraw();
    updateInputMethod();
}

void Edit::onFocusOut(ControlHandle) {
    if (platform::NativeWindow* native = host() ? host()->nativeWindow() : nullptr) native->commitInputMethod();
    m_engine.setPreedit(QString(), 0);
    m_pendingHigh = 0;
    stopBlink();
    redraw();
    updateInputMethod();
}

// ---- messages of the edit box's own ------------------------------------------------------

void Edit::updateInputMethod() {
    if (platform::NativeWindow* native = host() ? host()->nativeWindow() : nullptr) native->updateInputMethod();
}

std::intptr_t Edit::composition(const Message& message) {
    // Only the text being composed comes here; what the method commits follows as
    // characters, which pass the same filters and limit as typed ones.
    const auto* text = reinterpret_cast<const platform::InputMethodText*>(message.lParam);
    if (!text) return 0;
    // Read-only, password and digits-only boxes show no composition.
    if (m_options.inputType != input_type::kNormal) return 1;
    const QString preedit = text->preedit ? QString::fromUtf16(text->preedit, text->preeditLength) : QString();
    m_engine.setPreedit(preedit, text->cursor);
    m_engine.ensureCaretVisible();
    syncScrollBars();
    if (isFocused()) startBlink();
    redraw();
    updateInputMethod();
    return 1;
}

std::intptr_t Edit::inputMethodState(const Message& message) {
    auto* state = reinterpret_cast<platform::InputMethodState*>(message.lParam);
    if (!state) return 0;
    state->enabled = isFocused() && !isPassword() && !isReadOnly();
    state->cursorRect = caretInControl().translated(absoluteRect().topLeft());
    state->surroundingText = m_engine.paragraphText();
    state->cursorPosition = m_engine.paragraphCursor();
    state->anchorPosition = m_engine.paragraphAnchor();
    Qt::InputMethodHints hints = Qt::ImhNone;
    if (isPassword())
        hints |= Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase;
    if (m_options.inputType == input_type::kDigits) hints |= Qt::ImhFormattedNumbersOnly;
    if (m_options.multiline) hints |= Qt::ImhMultiLine;
    state->hints = hints;
    return 1;
}

std::optional<PropertyValues> Edit::property(std::string_view name, const PropertyValues* set) {
    const auto number = [](long long value) { return PropertyValues{value}; };
    const auto argument = [&](std::size_t index = 0, long long fallback = 0) {
        return intArgument(*set, index, fallback);
    };
    const auto colour = [&](QRgb current, const std::function<void(QRgb)>& apply) {
        if (set) apply(static_cast<QRgb>(argument()));
        return number(static_cast<long long>(current));
    };
    if (auto text = textProperty(name, set, m_engine.text(), [this](const QString& t) { setText(t); })) return text;
    if (name == "Scroll") {
        if (set) setScroll(static_cast<int>(argument()));
        return number(m_options.scroll);
    }
    if (name == "HideSel") {
        if (set) setHideSel(argument() != 0);
        return number(m_options.hideSel ? 1 : 0);
    }
    if (name == "Align") {
        if (set) setAlign(static_cast<int>(argument()));
        return number(m_options.align);
    }
    if (name == "InputType") {
        if (set) setInputType(static_cast<int>(argument()));
        return number(m_options.inputType);
    }
    if (name == "PasswordChar") {
        if (set) setPasswordChar(QChar(static_cast<char16_t>(argument())));
        return number(m_options.passwordChar.unicode());
    }
    if (name == "Multiline") {
        if (set) setMultiline(argument() != 0);
        return number(m_options.multiline ? 1 : 0);
    }
    if (name == "LimitLen") {
        if (set) setLimitLen(static_cast<int>(argument()));
        return number(m_options.limitLen);
    }
    if (name == "Caret") {
        if (set) setCaret(static_cast<QRgb>(argument()), static_cast<int>(argument(1, m_caretWidth)));
        return PropertyValues{static_cast<long long>(m_caretColour), static_cast<long long>(m_caretWidth)};
    }
    if (name == "SelText") {
        if (set) {
            const QStringList parts = textArgument(*set, 0).split(QLatin1Char(','));
            if (parts.size() == 2) setSelection(parts[0].trimmed().toInt(), parts[1].trimmed().toInt());
        }
        const int start = std::min(m_engine.cursorPosition(), m_engine.anchorPosition());
        const int end = std::max(m_engine.cursorPosition(), m_engine.anchorPosition());
        return PropertyValues{QStringLiteral("%1,%2").arg(start).arg(end)};
    }
    if (name == "crText") return colour(m_options.crText, [this](QRgb c) { setColours(c); });
    if (name == "crTextSel") return colour(m_crTextSel, [this](QRgb c) { setColours(std::nullopt, c); });
    if (name == "crBackground")
        return colour(m_crBackground, [this](QRgb c) { setColours(std::nullopt, std::nullopt, c); });
    if (name == "crBorder") {
        return colour(m_options.crBorder, [this](QRgb c) { setBorderColours(c, m_options.crBackgroundSel); });
    }
    if (name == "crBackgroundSel") {
        return colour(m_options.crBackgroundSel, [this](QRgb c) { setBorderColours(m_options.crBorder, c); });
    }
    if (name == "bRich") {
        if (set) setRich(argument() != 0);
        return number(m_options.rich ? 1 : 0);
    }
    return std::nullopt;
}

std::intptr_t Edit::classProc(const Message& message) {
    switch (message.id) {
    case kCommandMessage:
        switch (static_cast<int>(message.wParam)) {
        case kSelectAllCommand:
            selectAll();
            return 1;
        case kCopyCommand:
            copy();
            return 1;
        case kPasteCommand:
            paste();
            return 1;
        case kCutCommand:
            cut();
            return 1;
        default:
            return 0;
        }
    case platform::msg::kImeComposition:
        return composition(message);
    case platform::msg::kImeRequest:
        return inputMethodState(message);
    default:
        return BaseControl::classProc(message);
    }
}

}  // namespace vamu::toolkit
