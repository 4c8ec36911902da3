#include "LessonMemo.h"

#include <QStringDecoder>

namespace quorvane {

namespace {

bool isLeadByte(unsigned char byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

} // namespace

LessonMemo::LessonMemo(QWidget* parent) : QPlainTextEdit(parent)
{
    setReadOnly(true);
    setTabChangesFocus(false);
    // Read-only panes still let the learner place the caret and select.
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_offsets.push_back(0);
}

QByteArray LessonMemo::withCrLf(const QByteArray& text)
{
    QByteArray result;
    result.reserve(text.size() + text.size() / 16);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            result += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            result += "\r\n";
        } else {
            result += c;
        }
    }
    return result;
}

void LessonMemo::setText(const QByteArray& gbkText)
{
    m_bytes = withCrLf(gbkText);
    m_offsets.clear();
    // Decoded one character at a time, so that every shown character knows
    // the bytes it came from; a lead byte always takes the byte after it.
    QStringDecoder decoder("GBK", QStringDecoder::Flag::Stateless);
    QString shown;
    shown.reserve(m_bytes.size());
    qsizetype i = 0;
    while (i < m_bytes.size()) {
        m_offsets.push_back(i);
        const auto byte = static_cast<unsigned char>(m_bytes[i]);
        if (byte == '\r') {
            shown += QLatin1Char('\n');
            i += 2;
        } else if (byte < 0x80) {
            shown += QLatin1Char(static_cast<char>(byte));
            ++i;
        } else {
            const qsizetype length = isLeadByte(byte) && i + 1 < m_bytes.size() ? 2 : 1;
            const QString character = decoder.decode(QByteArrayView(m_bytes).sliced(i, length));
            shown += character.size() == 1 ? character.front() : QChar(QChar::ReplacementCharacter);
            i += length;
        }
    }
    m_offsets.push_back(m_bytes.size());
    setPlainText(shown);
    moveCursor(QTextCursor::Start);
}

QByteArray LessonMemo::selectedText() const
{
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return {};
    const auto at = [this](int position) {
        const auto index = std::min(static_cast<size_t>(position), m_offsets.size() - 1);
        return m_offsets[index];
    };
    const qsizetype start = at(cursor.selectionStart());
    return m_bytes.mid(start, at(cursor.selectionEnd()) - start);
}

} // namespace quorvane
