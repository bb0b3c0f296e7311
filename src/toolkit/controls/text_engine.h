#pragma once
// The edit box's text engine: a document with a caret and a selection, laid out in
// a view of a given size and drawn onto a painter. It knows nothing of windows or
// controls: the edit box feeds it keys, text, mouse points in view coordinates and
// input-method composition, and asks it for the caret and what to paint.
//
// Positions count UTF-16 units of the plain text from 0; line breaks are "\n".
// Lengths for the limit count characters (code points), so an emoji is one
// character and a surrogate pair is never split.
//
// Every editing operation here is a user's: it honours the read-only flag, the
// single-line flag and the length limit. setText() and setHtml() are the program's
// and honour none of them. UI thread only (Qt's text classes).

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRgb>
#include <QString>

#include <memory>
#include <optional>

class QTextDocument;

namespace vamu::toolkit {

struct TextColours {
    QRgb text = 0xF0000000;  // black, alpha 240
    QRgb selectedText = 0xFFFFFFFF;
    QRgb selectedBackground = 0xFF3399FF;
};

// A hit link: its target and the characters it spans [first, last).
struct TextLink {
    QString href;
    int first = 0;
    int last = 0;
};

class TextEngine {
public:
    TextEngine();
    ~TextEngine();
    TextEngine(const TextEngine&) = delete;
    TextEngine& operator=(const TextEngine&) = delete;

    // Settings.
    void setFont(const QFont& font);
    void setMultiline(bool on);
    [[nodiscard]] bool multiline() const { return m_multiline; }
    void setWordWrap(bool on);
    void setReadOnly(bool on) { m_readOnly = on; }
    [[nodiscard]] bool readOnly() const { return m_readOnly; }
    // Password mode shows the mask for every character and never gives its text away.
    void setPassword(bool on, QChar mask);
    [[nodiscard]] bool password() const { return m_password; }
    // 0 = no limit.
    void setMaxLength(int characters) { m_maxLength = characters < 0 ? 0 : characters; }
    [[nodiscard]] int maxLength() const { return m_maxLength; }
    void setAlignment(Qt::Alignment alignment);
    // The size of the visible text area; wrapping follows its width.
    void setViewSize(QSize size);
    [[nodiscard]] QSize viewSize() const { return m_view; }

    // Content, as the program sets it: the caret goes to the start, undo is cleared.
    void setText(const QString& text);
    void setHtml(const QString& html);
    [[nodiscard]] QString text() const;
    [[nodiscard]] int length() const;  // characters
    // Counts content changes; a user operation changed the text when it moved.
    [[nodiscard]] unsigned long long revision() const { return m_revision; }

    // Caret and selection.
    [[nodiscard]] int cursorPosition() const;
    [[nodiscard]] int anchorPosition() const;
    [[nodiscard]] bool hasSelection() const;
    // Empty in password mode.
    [[nodiscard]] QString selectedText() const;
    // end < 0 or past the text: to the end; start < 0: nothing selected, caret at the end.
    void select(int start, int end);
    void selectAll() { select(0, -1); }

    // Editing. Each answers whether it did something.
    bool insert(const QString& text);
    bool deleteBackward(bool word);
    bool deleteForward(bool word);
    bool newLine();
    bool undo();
    bool redo();
    // The text cut or copied; nothing in password mode.
    std::optional<QString> cut();
    std::optional<QString> copy() const;
    // Keys by virtual-key code with modifier flags (1 Ctrl, 2 Shift, 4 Alt); caret
    // moves, selection and deletion. Clipboard keys are the caller's.
    bool key(int virtualKey, int modifiers);

    // Mouse, in view coordinates.
    void pressAt(QPoint point, bool extend);
    void dragTo(QPoint point);
    void selectWordAt(QPoint point);
    [[nodiscard]] std::optional<TextLink> linkAt(QPoint point) const;

    // Input-method composition: shown at the caret, not part of the text.
    void setPreedit(const QString& text, int cursor);
    [[nodiscard]] const QString& preedit() const { return m_preedit; }
    // The input method's text around the caret: the paragraph and positions in it.
    [[nodiscard]] QString paragraphText() const;
    [[nodiscard]] int paragraphCursor() const;
    [[nodiscard]] int paragraphAnchor() const;

    // Layout and scrolling (pixels).
    [[nodiscard]] QSize contentSize() const;
    [[nodiscard]] QPoint scrollOffset() const { return m_scroll; }
    void setScrollOffset(QPoint offset);
    // Scrolls so that the caret is inside the view.
    void ensureCaretVisible();
    [[nodiscard]] int lineHeight() const;
    // The caret in view coordinates (after scrolling).
    [[nodiscard]] QRect caretRect(int width = 1) const;

    struct DrawOptions {
        TextColours colours;
        bool showSelection = true;
    };
    // Draws the text with the view's top-left corner at `origin`, clipped to the view.
    void draw(QPainter& painter, QPoint origin, const DrawOptions& options) const;

private:
    class View;
    void relayout();
    void afterContentChange();
    [[nodiscard]] QString prepared(const QString& text) const;
    [[nodiscard]] int viewPosition(int position) const;
    [[nodiscard]] int textPosition(int viewPosition) const;
    [[nodiscard]] int hitPosition(QPoint point) const;
    [[nodiscard]] QPoint documentOrigin() const;
    // What is laid out and drawn: the text, or its mask in password mode.
    [[nodiscard]] QTextDocument* viewDocument() const;
    void clearPreedit();
    bool erase(bool forward, bool word);

    std::unique_ptr<QTextDocument> m_document;
    std::unique_ptr<View> m_viewState;
    QFont m_font;
    QSize m_view{100, 20};
    QPoint m_scroll;
    bool m_multiline = false;
    bool m_wordWrap = false;
    bool m_readOnly = false;
    bool m_password = false;
    QChar m_mask = QChar(0x25CF);
    int m_maxLength = 0;
    Qt::Alignment m_alignment = Qt::AlignLeft;
    QString m_preedit;
    int m_preeditCursor = 0;
    unsigned long long m_revision = 0;
    int m_preferredX = -1;  // kept over vertical moves
};

}  // namespace vamu::toolkit
