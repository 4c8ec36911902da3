#pragma once

#include <QByteArray>
#include <QPlainTextEdit>

#include <vector>

namespace quorvane {

// A read-only text pane whose text is the lesson's GBK bytes. What it shows
// is their decoded form; what it hands on (the whole text, the selection)
// are the bytes themselves, invalid ones included, with CR LF between lines.
class LessonMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit LessonMemo(QWidget* parent = nullptr);

    // Replaces the text; every line end (CR LF, lone CR, lone LF) becomes
    // CR LF. The caret goes to the start with nothing selected.
    void setText(const QByteArray& gbkText);
    const QByteArray& text() const { return m_bytes; }
    // Empty when nothing is selected.
    QByteArray selectedText() const;

    static QByteArray withCrLf(const QByteArray& text);

private:
    QByteArray m_bytes;
    // Byte offset in m_bytes of each character position of the document,
    // with one entry past the end.
    std::vector<qsizetype> m_offsets;
};

} // namespace quorvane
