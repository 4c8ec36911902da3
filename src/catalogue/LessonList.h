#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

namespace quorvane {

// One line of the lesson list cut at every "#": field 0 the movie file name,
// field 1 the lesson title, any further fields ignored. A trailing "#" adds
// no empty field; "##" inside the line gives one.
class LessonEntry {
public:
    explicit LessonEntry(const QByteArray& line);

    const QList<QByteArray>& fields() const { return m_fields; }
    // Throw an index error when the line has too few fields.
    const QByteArray& movieFile() const { return field(0); }
    const QByteArray& title() const { return field(1); }

    // Field 1 of a line, found without cutting up the rest of it, with the
    // same index error for a line of too few fields: the lookup asks every
    // line of a list for its title on each selection.
    static QByteArrayView titleOf(QByteArrayView line);

private:
    const QByteArray& field(qsizetype index) const;

    QList<QByteArray> m_fields;
};

// The lines of list.txt, read once at start-up and kept for the whole run.
class LessonList {
public:
    // Empties the list, then reads the file. A file that cannot be read
    // leaves the list empty and throws an Error naming the file.
    void load(const QString& path);

    void setLines(QList<QByteArray> lines)
    {
        m_content.clear();
        m_lines = std::move(lines);
    }
    const QList<QByteArray>& lines() const { return m_lines; }

    // Lines end with CR LF, a lone CR or a lone LF; the last line ending is optional.
    static QList<QByteArray> splitLines(const QByteArray& content);

private:
    // The lines read from the file point into its content rather than
    // copying it, so a big list is held once, not twice over.
    QByteArray m_content;
    QList<QByteArray> m_lines;
};

} // namespace quorvane
