#pragma once

#include "ShownOffsets.h"
#include "platform/FontChoice.h"

#include <QByteArray>
#include <QList>
#include <QPlainTextEdit>
#include <QTimer>

namespace quorvane {

// A read-only text pane whose text is the lesson's GBK bytes. What it shows
// is their decoded form; what it hands on (the whole text, the selection,
// the lines) are the bytes themselves, invalid ones included, with CR LF
// between lines.
class LessonMemo : public QPlainTextEdit {
    Q_OBJECT

public:
    // Vertical: lines wrap at the pane's width. Both: no wrapping, long
    // lines scroll sideways.
    enum class ScrollBars { Vertical, Both };

    explicit LessonMemo(QWidget* parent = nullptr);

    // Replaces the text; every line end (CR LF, lone CR, lone LF) becomes
    // CR LF. The caret goes to the start with nothing selected.
    void setText(const QByteArray& gbkText);
    const QByteArray& text() const { return m_bytes; }
    // Empty when nothing is selected.
    QByteArray selectedText() const;
    // The lines as the pane shows them: while it wraps, every screen line is
    // a line of its own. A last empty line is not counted, so an empty pane
    // has none. A text still going in is put in whole first.
    QList<QByteArray> lines() const;

    ScrollBars scrollBars() const { return m_scrollBars; }
    void setScrollBars(ScrollBars scrollBars);
    // The background colour.
    QColor color() const;
    void setColor(const QColor& colour);
    // The font with the colour the text is drawn in.
    FontChoice fontChoice() const;
    void setFontChoice(const FontChoice& choice);

    static QByteArray withCrLf(const QByteArray& text);

protected:
    // The pane takes the tab key, as its design says; Ctrl+Tab and
    // Ctrl+Shift+Tab leave it, as in any control that keeps Tab.
    bool event(QEvent* event) override;

private:
    QByteArray bytesBetween(int start, int end) const;
    // A text of many megabytes takes the document seconds to take in at
    // once, so it goes in a piece per turn of the event loop and the program
    // stays responsive; the bytes the pane hands on are whole from the start.
    void showNextPiece() const;
    static qsizetype pieceEnd(const QString& shown, qsizetype from);

    QByteArray m_bytes;
    // Where in m_bytes each character position of the document begins.
    ShownOffsets m_offsets;
    // The shown text from m_shownUpTo on is not yet in the document.
    mutable QString m_shown;
    mutable qsizetype m_shownUpTo = 0;
    QTimer m_nextPiece;
    ScrollBars m_scrollBars = ScrollBars::Vertical;
};

} // namespace quorvane
