#include "toolkit/controls/text_engine.h"

#include "platform/keys.h"
#include "platform/messages.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

namespace vamu::toolkit {
namespace {

namespace vk = platform::vk;
namespace modifier = platform::modifier;

int codePointsBefore(const QString& text, int end) {
    int count = 0;
    for (int i = 0; i < end && i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        ++count;
    }
    return count;
}

int codePoints(const QString& text) { return codePointsBefore(text, static_cast<int>(text.size())); }

// The UTF-16 index where the n-th code point starts (the size past the last one).
int indexOfCodePoint(const QString& text, int n) {
    int i = 0;
    for (int count = 0; count < n && i < text.size(); ++count) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        ++i;
    }
    return i;
}

QString plain(QString text) {
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

void configure(QTextDocument& document, const QFont& font, bool wrap, Qt::Alignment alignment) {
    document.setDocumentMargin(0);
    document.setDefaultFont(font);
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    option.setAlignment(alignment);
    document.setDefaultTextOption(option);
}

}  // namespace

// The caret and what is drawn: the text itself, or its mask in password mode.
class TextEngine::View {
public:
    QTextCursor cursor;
    std::unique_ptr<QTextDocument> mask;
    unsigned long long maskRevision = ~0ULL;
    int preeditBlock = -1;
};

TextEngine::TextEngine() : m_document(std::make_unique<QTextDocument>()), m_viewState(std::make_unique<View>()) {
    m_document->setUndoRedoEnabled(true);
    m_viewState->cursor = QTextCursor(m_document.get());
    QObject::connect(m_document.get(), &QTextDocument::contentsChange, [this](int, int removed, int added) {
        if (removed != 0 || added != 0) ++m_revision;
    });
    relayout();
}

TextEngine::~TextEngine() = default;

void TextEngine::relayout() {
    configure(*m_document, m_font, m_wordWrap && m_multiline, m_alignment);
    // Without wrapping the width still places aligned lines; longer ones run past it.
    m_document->setTextWidth(m_view.width());
    m_viewState->maskRevision = ~0ULL;
    setScrollOffset(m_scroll);
}

void TextEngine::setFont(const QFont& font) {
    m_font = font;
    relayout();
}

void TextEngine::setMultiline(bool on) {
    m_multiline = on;
    relayout();
}

void TextEngine::setWordWrap(bool on) {
    m_wordWrap = on;
    relayout();
}

void TextEngine::setPassword(bool on, QChar mask) {
    m_password = on;
    if (!mask.isNull()) m_mask = mask;
    m_viewState->maskRevision = ~0ULL;
}

void TextEngine::setAlignment(Qt::Alignment alignment) {
    m_alignment = alignment;
    relayout();
}

void TextEngine::setViewSize(QSize size) {
    size = size.expandedTo(QSize(1, 1));
    if (size == m_view) return;
    m_view = size;
    relayout();
}

// ---- content -------------------------------------------------------------------

void TextEngine::setText(const QString& text) {
    clearPreedit();
    QString content = text;
    content.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_document->setPlainText(content);
    m_viewState->cursor = QTextCursor(m_document.get());
    afterContentChange();
    m_scroll = QPoint();
}

void TextEngine::setHtml(const QString& html) {
    clearPreedit();
    m_document->setHtml(html);
    configure(*m_document, m_font, m_wordWrap && m_multiline, m_alignment);
    m_viewState->cursor = QTextCursor(m_document.get());
    afterContentChange();
    m_scroll = QPoint();
}

QString TextEngine::text() const { return plain(m_document->toPlainText()); }

int TextEngine::length() const { return codePoints(text()); }

void TextEngine::afterContentChange() {
    m_preferredX = -1;
    m_viewState->maskRevision = ~0ULL;
}

// ---- caret and selection ---------------------------------------------------------

int TextEngine::cursorPosition() const { return m_viewState->cursor.position(); }
int TextEngine::anchorPosition() const { return m_viewState->cursor.anchor(); }
bool TextEngine::hasSelection() const { return m_viewState->cursor.hasSelection(); }

QString TextEngine::selectedText() const {
    if (m_password) return {};
    return plain(m_viewState->cursor.selectedText());
}

void TextEngine::select(int start, int end) {
    clearPreedit();
    QTextCursor& cursor = m_viewState->cursor;
    const int last = static_cast<int>(m_document->characterCount()) - 1;
    if (start < 0) {
        cursor.setPosition(last);
        return;
    }
    cursor.setPosition(std::min(start, last));
    cursor.setPosition(end < 0 ? last : std::min(end, last), QTextCursor::KeepAnchor);
    m_preferredX = -1;
}

// ---- editing --------------------------------------------------------------------

QString TextEngine::prepared(const QString& text) const {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (c == QLatin1Char('\r')) {
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) continue;
            c = QLatin1Char('\n');
        }
        if (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) c = QLatin1Char('\n');
        if (c == QLatin1Char('\n')) {
            if (!m_multiline) break;  // one line: the rest is left out
            result.append(c);
            continue;
        }
        if ((c.unicode() < 0x20 && c != QLatin1Char('\t')) || c.unicode() == 0x7F) continue;
        result.append(c);
    }
    return result;
}

bool TextEngine::insert(const QString& text) {
    if (m_readOnly) return false;
    QString content = prepared(text);
    QTextCursor& cursor = m_viewState->cursor;
    if (m_maxLength > 0) {
        const int kept = length() - codePoints(plain(cursor.selectedText()));
        const int room = m_maxLength - kept;
        if (room <= 0) return false;
        content.truncate(indexOfCodePoint(content, room));
    }
    if (content.isEmpty()) return false;
    clearPreedit();
    cursor.insertText(content);
    afterContentChange();
    return true;
}

bool TextEngine::newLine() {
    if (!m_multiline) return false;
    return insert(QStringLiteral("\n"));
}

bool TextEngine::deleteBackward(bool word) { return erase(false, word); }
bool TextEngine::deleteForward(bool word) { return erase(true, word); }

bool TextEngine::erase(bool forward, bool word) {
    using Move = QTextCursor::MoveOperation;
    if (m_readOnly) return false;
    QTextCursor& cursor = m_viewState->cursor;
    if (!cursor.hasSelection()) {
        if (forward ? cursor.atEnd() : cursor.atStart()) return false;
        // A password has no words to show: a word step takes all of it on that side.
        Move move = forward ? Move::NextCharacter : Move::PreviousCharacter;
        if (word)
            move = m_password ? (forward ? Move::End : Move::Start) : (forward ? Move::NextWord : Move::PreviousWord);
        cursor.movePosition(move, QTextCursor::KeepAnchor);
    }
    clearPreedit();
    cursor.removeSelectedText();
    afterContentChange();
    return true;
}

bool TextEngine::undo() {
    if (m_readOnly || !m_document->isUndoAvailable()) return false;
    clearPreedit();
    m_document->undo(&m_viewState->cursor);
    afterContentChange();
    return true;
}

bool TextEngine::redo() {
    if (m_readOnly || !m_document->isRedoAvailable()) return false;
    clearPreedit();
    m_document->redo(&m_viewState->cursor);
    afterContentChange();
    return true;
}

std::optional<QString> TextEngine::copy() const {
    if (m_password || !hasSelection()) return std::nullopt;
    return selectedText();
}

std::optional<QString> TextEngine::cut() {
    if (m_readOnly || m_password || !hasSelection()) return std::nullopt;
    QString text = selectedText();
    m_viewState->cursor.removeSelectedText();
    afterContentChange();
    return text;
}

bool TextEngine::key(int virtualKey, int modifiers) {
    using Move = QTextCursor::MoveOperation;
    const bool ctrl = modifiers & modifier::kControl;
    const bool shift = modifiers & modifier::kShift;
    const auto mode = shift ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor;
    QTextCursor& cursor = m_viewState->cursor;
    auto move = [&](Move operation, int times = 1) {
        clearPreedit();
        cursor.movePosition(operation, mode, times);
        return true;
    };
    switch (virtualKey) {
    case vk::kLeft:
    case vk::kRight: {
        const bool left = virtualKey == vk::kLeft;
        if (cursor.hasSelection() && !shift && !ctrl) {
            // A plain arrow ends the selection at its own side.
            const int edge =
                left ? std::min(cursor.position(), cursor.anchor()) : std::max(cursor.position(), cursor.anchor());
            clearPreedit();
            cursor.setPosition(edge);
            return true;
        }
        if (ctrl) {
            if (m_password) return move(left ? Move::Start : Move::End);
            return move(left ? Move::WordLeft : Move::WordRight);
        }
        return move(left ? Move::Left : Move::Right);
    }
    case vk::kUp:
    case vk::kDown:
        if (!m_multiline) return false;
        return move(virtualKey == vk::kUp ? Move::Up : Move::Down);
    case vk::kPrior:
    case vk::kNext: {
        if (!m_multiline) return false;
        const int lines = std::max(1, m_view.height() / std::max(1, lineHeight()));
        return move(virtualKey == vk::kPrior ? Move::Up : Move::Down, lines);
    }
    case vk::kHome:
        return move(ctrl ? Move::Start : Move::StartOfLine);
    case vk::kEnd:
        return move(ctrl ? Move::End : Move::EndOfLine);
    case vk::kBack:
        return deleteBackward(ctrl);
    case vk::kDelete:
        return deleteForward(ctrl);
    default:
        return false;
    }
}

// ---- mouse ----------------------------------------------------------------------

QPoint TextEngine::documentOrigin() const {
    // One line sits in the middle of a taller box.
    if (m_multiline) return {};
    const int spare = m_view.height() - lineHeight();
    return {0, spare > 0 ? spare / 2 : 0};
}

int TextEngine::hitPosition(QPoint point) const {
    const QPointF at = QPointF(point - documentOrigin() + m_scroll);
    const int hit = viewDocument()->documentLayout()->hitTest(at, Qt::FuzzyHit);
    return textPosition(hit < 0 ? 0 : hit);
}

void TextEngine::pressAt(QPoint point, bool extend) {
    clearPreedit();
    m_viewState->cursor.setPosition(hitPosition(point), extend ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    m_preferredX = -1;
}

void TextEngine::dragTo(QPoint point) { m_viewState->cursor.setPosition(hitPosition(point), QTextCursor::KeepAnchor); }

void TextEngine::selectWordAt(QPoint point) {
    clearPreedit();
    if (m_password) {
        selectAll();
        return;
    }
    QTextCursor& cursor = m_viewState->cursor;
    cursor.setPosition(hitPosition(point));
    cursor.select(QTextCursor::WordUnderCursor);
}

std::optional<TextLink> TextEngine::linkAt(QPoint point) const {
    if (m_password) return std::nullopt;
    const QPointF at = QPointF(point - documentOrigin() + m_scroll);
    const int position = m_document->documentLayout()->hitTest(at, Qt::ExactHit);
    if (position < 0) return std::nullopt;
    const QTextBlock block = m_document->findBlock(position);
    std::optional<TextLink> link;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QString href = fragment.charFormat().anchorHref();
        const int first = fragment.position();
        const int last = first + fragment.length();
        if (link && href == link->href && first == link->last) {
            link->last = last;  // the same link split into several fragments
            continue;
        }
        if (link && link->first <= position && position < link->last) break;
        link.reset();
        if (!href.isEmpty()) link = TextLink{href, first, last};
    }
    if (link && link->first <= position && position < link->last) return link;
    return std::nullopt;
}

// ---- input method -----------------------------------------------------------------

void TextEngine::setPreedit(const QString& text, int cursor) {
    if (m_password || m_readOnly) return;
    clearPreedit();
    if (text.isEmpty()) return;
    m_preedit = text;
    m_preeditCursor = cursor;
    const QTextBlock block = m_viewState->cursor.block();
    QTextLayout* layout = block.layout();
    const int at = m_viewState->cursor.position() - block.position();
    layout->setPreeditArea(at, text);
    QTextLayout::FormatRange underline;
    underline.start = at;
    underline.length = static_cast<int>(text.size());
    underline.format.setFontUnderline(true);
    layout->setFormats({underline});
    m_viewState->preeditBlock = block.blockNumber();
    m_document->markContentsDirty(block.position(), block.length());
}

void TextEngine::clearPreedit() {
    if (m_viewState->preeditBlock < 0) return;
    const QTextBlock block = m_document->findBlockByNumber(m_viewState->preeditBlock);
    m_viewState->preeditBlock = -1;
    m_preedit.clear();
    m_preeditCursor = 0;
    if (!block.isValid()) return;
    block.layout()->setPreeditArea(-1, QString());
    block.layout()->clearFormats();
    m_document->markContentsDirty(block.position(), block.length());
}

QString TextEngine::paragraphText() const {
    if (m_password) return {};
    return m_viewState->cursor.block().text();
}

int TextEngine::paragraphCursor() const {
    return m_viewState->cursor.position() - m_viewState->cursor.block().position();
}

int TextEngine::paragraphAnchor() const {
    return m_viewState->cursor.anchor() - m_viewState->cursor.block().position();
}

// ---- layout and painting ------------------------------------------------------------

int TextEngine::viewPosition(int position) const {
    if (!m_password) return position;
    return codePointsBefore(text(), position);
}

int TextEngine::textPosition(int viewPosition) const {
    if (!m_password) return viewPosition;
    return indexOfCodePoint(text(), viewPosition);
}

int TextEngine::lineHeight() const { return static_cast<int>(std::ceil(QFontMetricsF(m_font).lineSpacing())); }

QSize TextEngine::contentSize() const {
    const QTextDocument* document = viewDocument();
    const QSizeF size = document->documentLayout()->documentSize();
    return {static_cast<int>(std::ceil(document->idealWidth())), static_cast<int>(std::ceil(size.height()))};
}

void TextEngine::setScrollOffset(QPoint offset) {
    const QSize content = contentSize();
    const int maxX = std::max(0, content.width() + 1 - m_view.width());
    const int maxY = std::max(0, content.height() - m_view.height());
    m_scroll = QPoint(std::clamp(offset.x(), 0, maxX), std::clamp(offset.y(), 0, maxY));
    if (m_wordWrap && m_multiline) m_scroll.setX(0);
}

QTextDocument* TextEngine::viewDocument() const {
    if (!m_password) return m_document.get();
    View& view = *m_viewState;
    if (!view.mask || view.maskRevision != m_revision) {
        if (!view.mask) view.mask = std::make_unique<QTextDocument>();
        configure(*view.mask, m_font, false, m_alignment);
        view.mask->setTextWidth(m_view.width());
        view.mask->setPlainText(QString(codePoints(text()), m_mask));
        view.maskRevision = m_revision;
    }
    return view.mask.get();
}

QRect TextEngine::caretRect(int width) const {
    QTextDocument* document = viewDocument();
    const View& view = *m_viewState;
    const int position = viewPosition(view.cursor.position());
    const QTextBlock block = document->findBlock(position);
    if (!block.isValid()) return {};
    const QRectF blockRect = document->documentLayout()->blockBoundingRect(block);
    QTextLayout* layout = block.layout();
    // Without its cache a layout shapes its line again for every caret query.
    layout->setCacheEnabled(true);
    int inBlock = position - block.position();
    if (!m_preedit.isEmpty() && !m_password) inBlock += std::max(0, m_preeditCursor);
    QTextLine line = layout->lineForTextPosition(inBlock);
    if (!line.isValid() && layout->lineCount() > 0) line = layout->lineAt(layout->lineCount() - 1);
    if (!line.isValid()) return QRect(documentOrigin() - m_scroll, QSize(width, lineHeight()));
    const qreal x = line.cursorToX(inBlock);
    const QPointF topLeft = blockRect.topLeft() + QPointF(x, line.y());
    return QRect(QPoint(static_cast<int>(std::floor(topLeft.x())), static_cast<int>(std::floor(topLeft.y()))) +
                     documentOrigin() - m_scroll,
                 QSize(width, static_cast<int>(std::ceil(line.height()))));
}

void TextEngine::ensureCaretVisible() {
    const QRect caret = caretRect();
    QPoint scroll = m_scroll;
    if (caret.left() < 0) scroll.rx() += caret.left();
    if (caret.right() >= m_view.width()) scroll.rx() += caret.right() - m_view.width() + 1;
    if (m_multiline) {
        if (caret.top() < 0) scroll.ry() += caret.top();
        if (caret.bottom() >= m_view.height()) scroll.ry() += caret.bottom() - m_view.height() + 1;
    }
    setScrollOffset(scroll);
}

void TextEngine::draw(QPainter& painter, QPoint origin, const DrawOptions& options) const {
    QTextDocument* document = viewDocument();
    QAbstractTextDocumentLayout::PaintContext context;
    context.cursorPosition = -1;
    context.palette.setColor(QPalette::Text, QColor::fromRgba(options.colours.text));
    const QTextCursor& cursor = m_viewState->cursor;
    if (options.showSelection && cursor.hasSelection()) {
        QAbstractTextDocumentLayout::Selection selection;
        selection.cursor = QTextCursor(document);
        selection.cursor.setPosition(viewPosition(cursor.anchor()));
        selection.cursor.setPosition(viewPosition(cursor.position()), QTextCursor::KeepAnchor);
        selection.format.setBackground(QColor::fromRgba(options.colours.selectedBackground));
        selection.format.setForeground(QColor::fromRgba(options.colours.selectedText));
        context.selections.append(selection);
    }
    const QPoint shift = origin + documentOrigin() - m_scroll;
    context.clip = QRectF(QRect(QPoint(), m_view).translated(m_scroll - documentOrigin()));
    painter.save();
    painter.setClipRect(QRect(origin, m_view), Qt::IntersectClip);
    painter.translate(shift);
    document->documentLayout()->draw(&painter, context);
    painter.restore();
}

}  // namespace vamu::toolkit
