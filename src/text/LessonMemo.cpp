#include "LessonMemo.h"

#include "ShownCharacters.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QTextBlock>
#include <QTextLayout>

namespace quorvane {

LessonMemo::LessonMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTabChangesFocus(false);
    // Read-only panes still let the learner place the caret and select.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setScrollBars(ScrollBars::Vertical);
    // Nothing is ever typed into the pane, so there is nothing to undo.
    document()->setUndoRedoEnabled(false);
    m_nextPiece.setInterval(0);
    connect(&m_nextPiece, &QTimer::timeout, this, [this] {
        showNextPiece();
        if (m_shown.isEmpty())
            m_nextPiece.stop();
    });
}

bool LessonMemo::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && key->modifiers().testFlag(Qt::ControlModifier)) {
            const bool backwards =
                key->key() == Qt::Key_Backtab || key->modifiers().testFlag(Qt::ShiftModifier);
            focusNextPrevChild(!backwards);
            return true;
        }
        if (tab) {
            // A read-only pane has nothing to insert; the key stays here.
            event->accept();
            return true;
        }
    }
    return QPlainTextEdit::event(event);
}

QByteArray LessonMemo::withCrLf(const QByteArray& text)
{
    const auto crLfOnly = [](QByteArrayView bytes) {
        for (qsizetype i = 0; i < bytes.size(); ++i) {
            if (bytes[i] == '\n')
                return false;
            if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[++i] != '\n'))
                return false;
        }
        return true;
    };
    // A text that already ends its lines with CR LF is shared, not copied.
    if (crLfOnly(text))
        return text;
    QByteArray result;
    result.reserve(text.size() + text.size() / 16);
    const char* const data = text.constData();
    const qsizetype size = text.size();
    qsizetype start = 0;
    // Copied a line at a time: a lesson may run to many megabytes.
    for (qsizetype i = 0; i < size; ++i) {
        const char c = data[i];
        if (c != '\r' && c != '\n')
            continue;
        result.append(data + start, i - start).append("\r\n");
        if (c == '\r' && i + 1 < size && data[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    result.append(data + start, size - start);
    return result;
}

void LessonMemo::setText(const QByteArray& gbkText)
{
    m_bytes = withCrLf(gbkText);
    m_offsets = {};
    m_shown = shownCharacters(m_bytes, &m_offsets);
    m_shownUpTo = pieceEnd(m_shown, 0);
    setPlainText(m_shown.left(m_shownUpTo));
    moveCursor(QTextCursor::Start);
    if (m_shownUpTo < m_shown.size()) {
        m_nextPiece.start();
    } else {
        m_shown.clear();
        m_nextPiece.stop();
    }
}

qsizetype LessonMemo::pieceEnd(const QString& shown, qsizetype from)
{
    constexpr qsizetype kPiece = 256 * 1024;
    if (shown.size() - from <= kPiece)
        return shown.size();
    // A piece ends with a line where it can, so that no piece starts a line
    // half way.
    const qsizetype lineEnd = shown.lastIndexOf(QLatin1Char('\n'), from + kPiece - 1);
    return lineEnd >= from ? lineEnd + 1 : from + kPiece;
}

void LessonMemo::showNextPiece() const
{
    if (m_shown.isEmpty())
        return;
    const qsizetype end = pieceEnd(m_shown, m_shownUpTo);
    QTextCursor documentEnd(document());
    documentEnd.movePosition(QTextCursor::End);
    documentEnd.insertText(m_shown.sliced(m_shownUpTo, end - m_shownUpTo));
    m_shownUpTo = end;
    if (m_shownUpTo == m_shown.size()) {
        m_shown.clear();
        m_shownUpTo = 0;
    }
}

QByteArray LessonMemo::bytesBetween(int start, int end) const
{
    const qsizetype from = m_offsets.at(start);
    return m_bytes.mid(from, m_offsets.at(end) - from);
}

QByteArray LessonMemo::selectedText() const
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return {};
    return bytesBetween(cursor.selectionStart(), cursor.selectionEnd());
}

QList<QByteArray> LessonMemo::lines() const
{
    while (!m_shown.isEmpty())
        showNextPiece();
    QList<QByteArray> result;
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const int start = block.position();
        if (m_scrollBars == ScrollBars::Both) {
            result << bytesBetween(start, start + block.length() - 1);
            continue;
        }
        // The pane lays out only the blocks it has needed so far; asking for
        // a block's bounds lays it out at the pane's width.
        layout->blockBoundingRect(block);
        const QTextLayout* screenLines = block.layout();
        for (int i = 0; i < screenLines->lineCount(); ++i) {
            const QTextLine line = screenLines->lineAt(i);
            const int from = start + line.textStart();
            result << bytesBetween(from, from + line.textLength());
        }
    }
    if (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result;
}

void LessonMemo::setScrollBars(ScrollBars scrollBars)
{
    m_scrollBars = scrollBars;
    const bool wrapping = scrollBars == ScrollBars::Vertical;
    setLineWrapMode(wrapping ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(wrapping ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
}

QColor LessonMemo::color() const
{
    return palette().color(QPalette::Base);
}

void LessonMemo::setColor(const QColor& colour)
{
    QPalette shades = palette();
    shades.setColor(QPalette::Base, colour);
    setPalette(shades);
}

FontChoice LessonMemo::fontChoice() const
{
    return {font(), palette().color(QPalette::Text)};
}

void LessonMemo::setFontChoice(const FontChoice& choice)
{
    setFont(choice.font);
    QPalette shades = palette();
    shades.setColor(QPalette::Text, choice.colour);
    setPalette(shades);
}

} // namespace quorvane
