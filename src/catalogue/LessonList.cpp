#include "LessonList.h"

#include "platform/Error.h"

#include <QFile>

namespace quorvane {

namespace {

[[noreturn]] void throwIndexError(qsizetype index)
{
    throw Error(QStringLiteral("列表索引越界 (%1)").arg(index));
}

// Calls line(start, length) for every line of content, in order.
template <typename LineFound> void forEachLine(const QByteArray& content, LineFound line)
{
    const char* const data = content.constData();
    const qsizetype size = content.size();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < size) {
        const char c = data[i];
        if (c == '\r' || c == '\n') {
            line(start, i - start);
            i += (c == '\r' && i + 1 < size && data[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < size)
        line(start, size - start);
}

} // namespace

LessonEntry::LessonEntry(const QByteArray& line)
{
    if (line.isEmpty())
        return;
    m_fields = line.split('#');
    if (line.endsWith('#'))
        m_fields.removeLast();
}

const QByteArray& LessonEntry::field(qsizetype index) const
{
    if (index >= m_fields.size())
        throwIndexError(index);
    return m_fields[index];
}

QByteArrayView LessonEntry::titleOf(QByteArrayView line)
{
    // A "#" that ends the line opens no field of its own.
    const qsizetype start = line.indexOf('#') + 1;
    if (start == 0 || start == line.size())
        throwIndexError(1);
    const qsizetype end = line.indexOf('#', start);
    return line.sliced(start, (end < 0 ? line.size() : end) - start);
}

void LessonList::load(const QString& path)
{
    m_lines.clear();
    m_content.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(
            QStringLiteral("无法打开课程列表文件 \"%1\"：%2").arg(path, file.errorString()));
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(
            QStringLiteral("无法读取课程列表文件 \"%1\"：%2").arg(path, file.errorString()));
    m_content = std::move(content);
    forEachLine(m_content, [this](qsizetype start, qsizetype length) {
        m_lines << QByteArray::fromRawData(m_content.constData() + start, length);
    });
}

QList<QByteArray> LessonList::splitLines(const QByteArray& content)
{
    QList<QByteArray> lines;
    forEachLine(content,
                [&](qsizetype start, qsizetype length) { lines << content.sliced(start, length); });
    return lines;
}

} // namespace quorvane
