#include "LessonList.h"

#include "platform/Error.h"

#include <QFile>

namespace quorvane {

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
        throw Error(QStringLiteral("列表索引越界 (%1)").arg(index));
    return m_fields[index];
}

void LessonList::load(const QString& path)
{
    m_lines.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Error(QStringLiteral("无法打开课程列表文件 \"%1\"：%2").arg(path, file.errorString()));
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw Error(QStringLiteral("无法读取课程列表文件 \"%1\"：%2").arg(path, file.errorString()));
    m_lines = splitLines(content);
}

QList<QByteArray> LessonList::splitLines(const QByteArray& content)
{
    QList<QByteArray> lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < content.size()) {
        const char c = content[i];
        if (c == '\r' || c == '\n') {
            lines << content.mid(start, i - start);
            i += (c == '\r' && i + 1 < content.size() && content[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < content.size())
        lines << content.mid(start);
    return lines;
}

} // namespace quorvane
