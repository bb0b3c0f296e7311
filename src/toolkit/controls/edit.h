#pragma once
// The edit box (kind 9, class "Edit"): a windowless text-entry control over the
// toolkit's text engine. It feeds the engine keys, characters, the mouse and
// input-method composition, paints it into its surface with a blinking caret,
// filters what may be typed, offers cut, copy, paste and select all on the right
// button, and turns the user's changes into events:
//
//   20701 the text changed, 20704 the caret or selection moved (both only for what
//   the user does, never for the program's setters), 20703 a link was hit
//   (Event::key the mouse message, x and y the link's first and last character).
//
// Password boxes (InputType 32) show PasswordChar for every character, never give
// their text to the clipboard, show no context menu and keep the input method off.
// Read-only boxes (2048) can be selected and copied. Digits-only boxes (8192) take
// "-", "." and 0-9 only, whether typed, pasted or composed.
// UI thread only.

#include "toolkit/controls/control.h"
#include "toolkit/controls/control_properties.h"
#include "toolkit/controls/text_engine.h"

#include <memory>

namespace vamu::toolkit {

class EditScrollBar;
class PopupMenu;

namespace tkm {
inline constexpr MessageId kEditChanged = 20701;
inline constexpr MessageId kEditLink = 20703;
inline constexpr MessageId kEditSelectionChanged = 20704;
}  // namespace tkm

namespace input_type {
inline constexpr int kNormal = 0;
inline constexpr int kPassword = 32;
inline constexpr int kReadOnly = 2048;
inline constexpr int kDigits = 8192;
}  // namespace input_type

// Scroll: 1 horizontal bar, 2 word wrap with a vertical bar, 3 both bars (no wrap).
namespace edit_scroll {
inline constexpr int kNone = 0;
inline constexpr int kHorizontal = 1;
inline constexpr int kWrapVertical = 2;
inline constexpr int kBoth = 3;
}  // namespace edit_scroll

// Align: the paragraph alignment (1 or 0 left, 2 right, 3 centre).
struct EditOptions {
    QString text;
    QRgb crText = 0xF0000000;  // black, alpha 240
    QRgb crBorder = 0;         // not 0: no skin; the box is filled with it, opaque
    QString fontName;          // empty: the control's font
    int fontSize = 0;
    int fontStyle = 0;
    bool multiline = false;
    int scroll = edit_scroll::kNone;
    int limitLen = 0;  // characters; 0 = no limit
    bool hideSel = true;
    int align = 0;
    int inputType = input_type::kNormal;
    QChar passwordChar = QChar(0x25CF);
    bool rich = false;
    QRgb crBackgroundSel = 0;  // not 0: no skin; a border in this colour, text inset by 2
    bool visible = true;
};

class Edit : public BaseControl, public PropertyHolder {
public:
    static constexpr int kBlinkMs = 500;

    static Edit* create(ControlParent parent, const QRect& rect, const EditOptions& options = {});
    explicit Edit(const EditOptions& options);
    ~Edit() override;

    // The program's view of the text; setting it raises no event.
    [[nodiscard]] QString text() const { return m_engine.text(); }
    void setText(const QString& text);
    // Formatted text with links, for rich boxes (bRich); plain boxes take its text.
    void setHtml(const QString& html);
    // SelText: from start to end character (0, -1 selects all).
    void setSelection(int start, int end);
    [[nodiscard]] QString selectedText() const { return m_engine.selectedText(); }
    [[nodiscard]] const TextEngine& engine() const { return m_engine; }

    [[nodiscard]] const EditOptions& options() const { return m_options; }
    void setHideSel(bool on);
    void setAlign(int align);
    void setInputType(int type);
    void setPasswordChar(QChar mask);
    void setMultiline(bool on);
    void setScroll(int scroll);
    void setLimitLen(int characters);
    void setCaret(QRgb colour, int width);
    void setColours(std::optional<QRgb> text, std::optional<QRgb> selectedText = {},
                    std::optional<QRgb> selectedBackground = {});
    void setBorderColours(QRgb crBorder, QRgb crBackgroundSel);
    void setRich(bool on);

    // The context menu's commands (also Ctrl+X, C, V, A).
    void cut();
    void copy();
    void paste();
    void selectAll();

    // Where the text lies in the control, and whether the caret shows just now.
    [[nodiscard]] QRect textArea() const { return m_textArea; }
    [[nodiscard]] bool caretShown() const { return m_caretOn && isFocused(); }
    [[nodiscard]] EditScrollBar* verticalBar() const { return m_vertical.get(); }
    [[nodiscard]] EditScrollBar* horizontalBar() const { return m_horizontal.get(); }

    // The properties by name: Scroll, HideSel, Align, InputType, PasswordChar,
    // Multiline, LimitLen, Caret (colour, width), Text, TextW, SelText ("start,end"),
    // crText, crTextSel, crBorder, crBackground, crBackgroundSel, bRich.
    std::optional<PropertyValues> property(std::string_view name, const PropertyValues* set) override;

protected:
    std::intptr_t classProc(const Message& message) override;
    // Around the text, inside the box's own border.
    QRect adjustFocusRect(const QRect&) const override { return m_textArea.adjusted(-1, -1, 1, 1); }
    void onCreate(int createData) override;
    void onCreated() override;
    void onDestroy() override;
    void onPaint(QPainter& painter, const PaintContext& context) override;
    void onMouseMove(QPoint local, int modifiers) override;
    void onLeftDown(QPoint local, int modifiers) override;
    void onLeftUp(QPoint local, int modifiers) override;
    void onDoubleClick(QPoint local, int modifiers) override;
    void onRightUp(QPoint local, int modifiers) override;
    void onMouseEnter(ControlHandle) override { redraw(); }
    void onMouseLeave(ControlHandle) override { redraw(); }
    bool onWheel(int delta, QPoint local, int modifiers) override;
    bool onKeyDown(int virtualKey, int modifiers) override;
    bool onChar(int utf16Unit) override;
    void onFocusIn(ControlHandle previous, bool byKeyboard) override;
    void onFocusOut(ControlHandle next) override;
    void onTimer() override;
    void onGeometryChanged(const QRect& old) override;
    void onFontChanged() override;

private:
    // Runs a user's operation and raises the change and selection events it caused.
    template <class Operation>
    void userAction(Operation&& operation);
    void afterUserAction(unsigned long long revision, int position, int anchor);
    void configureEngine();
    void layout();
    void syncScrollBars();
    void scrollTo(QPoint offset);
    void showContextMenu();
    void raiseEvent(MessageId id, int key = 0, int x = 0, int y = 0);
    void startBlink();
    void stopBlink();
    void paintCaretArea();
    std::intptr_t composition(const Message& message);
    std::intptr_t inputMethodState(const Message& message);
    [[nodiscard]] QString filtered(const QString& text) const;
    [[nodiscard]] bool isPassword() const { return m_options.inputType == input_type::kPassword; }
    [[nodiscard]] bool isReadOnly() const { return m_options.inputType == input_type::kReadOnly; }
    [[nodiscard]] QPoint toView(QPoint local) const { return local - m_textArea.topLeft(); }
    [[nodiscard]] QRect caretInControl() const;
    void updateInputMethod();

    EditOptions m_options;
    TextEngine m_engine;
    QRgb m_crTextSel = 0xFFFFFFFF;
    QRgb m_crBackground = 0xFF3399FF;
    QRgb m_caretColour = 0xFF000000;
    int m_caretWidth = 1;
    bool m_caretOn = false;
    QRect m_caretPainted;  // where the caret was last drawn, control coordinates
    QRect m_textArea;
    bool m_selecting = false;
    bool m_dragged = false;
    char16_t m_pendingHigh = 0;  // the first half of a character typed in two units
    std::unique_ptr<EditScrollBar> m_vertical;
    std::unique_ptr<EditScrollBar> m_horizontal;
};

// The context menu every edit box shares: "剪切(&T)" 88, "复制(&C)" 67, "粘贴(&P)" 86,
// a separator and "全部选择(&A)" 65 (the codes of X, C, V and A).
[[nodiscard]] PopupMenu& editContextMenu();

}  // namespace vamu::toolkit
