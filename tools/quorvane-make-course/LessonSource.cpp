#include "LessonSource.h"

#include <QStringDecoder>
#include <map>

namespace quorvane::course {

namespace {

std::map<QString, QString> titlesByFile(const QByteArray& listFile)
{
    QStringDecoder gbk("GBK");
    const QString text = gbk.decode(listFile);
    std::map<QString, QString> titles;
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        const QStringList fields = line.split(u'#');
        if (fields.size() >= 2 && !fields[0].isEmpty()) {
            titles.emplace(fields[0], fields[1]);
        }
    }
    return titles;
}

} // namespace

LessonSources readLessons(const QByteArray& listFile, const QByteArray& movieSource)
{
    LessonSources result;
    const std::map<QString, QString> titles = titlesByFile(listFile);
    QString chapter;
    int lineNumber = 0;
    for (QString line : QString::fromUtf8(movieSource).split(u'\n')) {
        ++lineNumber;
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        const qsizetype space = line.indexOf(u' ');
        const QString keyword = line.left(space);
        const QString rest = space < 0 ? QString() : line.mid(space + 1).trimmed();
        const auto fail = [&](const QString& why) {
            result.lessons.clear();
            result.error = QStringLiteral("line %1: %2").arg(lineNumber).arg(why);
            return result;
        };
        if (keyword == u"chapter") {
            chapter = rest;
        } else if (keyword == u"lesson") {
            const qsizetype nameEnd = rest.indexOf(u' ');
            Lesson lesson;
            lesson.fileName = rest.left(nameEnd);
            lesson.englishTitle = nameEnd < 0 ? QString() : rest.mid(nameEnd + 1).trimmed();
            lesson.chapter = chapter;
            const auto title = titles.find(lesson.fileName);
            if (title == titles.end()) {
                return fail(lesson.fileName + QStringLiteral(" is not in list.txt"));
            }
            lesson.title = title->second;
            result.lessons.append(lesson);
        } else if (keyword == u"example") {
            const QStringList parts = rest.split(u'|');
            if (result.lessons.isEmpty() || parts.size() != 2) {
                return fail(QStringLiteral("an example needs a lesson and one |"));
            }
            result.lessons.back().examples.append(Example{parts[0].trimmed(), parts[1].trimmed()});
        } else {
            return fail(QStringLiteral("unknown keyword ") + keyword);
        }
    }
    return result;
}

} // namespace quorvane::course
