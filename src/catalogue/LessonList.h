#pragma once

#include <QByteArray>
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

    void setLines(QList<QByteArray> lines) { m_lines = std::move(lines); }
    const QList<QByteArray>& lines() const { return m_lines; }

    // Lines end with CR LF, a lone CR or a lone LF; the last line ending is optional.
    static QList<QByteArray> splitLines(const QByteArray& content);

private:
    QList<QByteArray> m_lines;
};

} // namespace quorvane
