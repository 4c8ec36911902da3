#include "LessonSource.h"

#include <QStringDecoder>
#include <map>
#include <optional>

namespace quorvane::course {

namespace {

// The movie files of list.txt in their order, with their titles.
std::vector<std::pair<QString, QString>> listedMovies(const QByteArray& listFile)
{
    QStringDecoder gbk("GBK");
    const QString text = gbk.decode(listFile);
    std::vector<std::pair<QString, QString>> movies;
    for (QString line : text.split(u'\n')) {
        line = line.trimmed();
        const QStringList fields = line.split(u'#');
        if (fields.size() >= 2 && !fields[0].isEmpty()) {
            movies.emplace_back(fields[0], fields[1]);
        }
    }
    return movies;
}

// What a finished lesson lacks or has too much of; empty when it is whole.
QString incompleteness(const Lesson& lesson)
{
    if (lesson.rules.isEmpty() || lesson.rules.size() > 3) {
        return QStringLiteral("needs 1 to 3 rule lines");
    }
    if (lesson.examples.isEmpty() || lesson.examples.size() > 4) {
        return QStringLiteral("needs 1 to 4 examples");
    }
    if (lesson.wrong.isEmpty() || lesson.right.isEmpty()) {
        return QStringLiteral("needs a wrong and a right sentence");
    }
    if (lesson.steps.size() > 3) {
        return QStringLiteral("has more than 3 steps");
    }
    if (lesson.quizzes.isEmpty() || lesson.quizzes.size() > 3) {
        return QStringLiteral("needs 1 to 3 quiz items");
    }
    for (const Quiz& quiz : lesson.quizzes) {
        if (quiz.because.isEmpty()) {
            return QStringLiteral("needs a because line after each quiz item");
        }
    }
    if (lesson.summary.isEmpty()) {
        return QStringLiteral("needs a summary");
    }
    return {};
}

bool isMarked(const QString& text)
{
    return text.size() > 2 && text.startsWith(u'*') && text.endsWith(u'*');
}

// A quiz line: question | choice | choice [| choice], one choice in asterisks.
std::optional<Quiz> parseQuiz(const QString& text)
{
    const QStringList parts = text.split(u'|');
    if (parts.size() < 3 || parts.size() > 4) {
        return std::nullopt;
    }
    Quiz quiz;
    quiz.question = parts[0].trimmed();
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString choice = parts[i].trimmed();
        if (isMarked(choice)) {
            if (quiz.answer >= 0) {
                return std::nullopt;
            }
            quiz.answer = int(i - 1);
        }
        quiz.choices.append(plainText(choice));
    }
    if (quiz.answer < 0 || quiz.question.isEmpty() || quiz.choices.contains(QString())) {
        return std::nullopt;
    }
    return quiz;
}

} // namespace

QString plainText(const QString& marked)
{
    QString plain = marked;
    return plain.remove(u'*');
}

LessonSources readLessons(const QByteArray& listFile, const QByteArray& script)
{
    LessonSources result;
    std::map<QString, QString> titles;
    for (const auto& [file, title] : listedMovies(listFile)) {
        titles.emplace(file, title);
    }
    QString chapter;
    int lineNumber = 0;
    const auto fail = [&](const QString& why) {
        result.lessons.clear();
        result.error = why;
        return result;
    };
    const auto failAtLine = [&](const QString& why) {
        return fail(QStringLiteral("line %1: %2").arg(lineNumber).arg(why));
    };
    const auto finishLesson = [&]() {
        if (result.lessons.isEmpty()) {
            return QString();
        }
        const QString lack = incompleteness(result.lessons.back());
        return lack.isEmpty() ? lack : result.lessons.back().fileName + u' ' + lack;
    };
    for (QString line : QString::fromUtf8(script).split(u'\n')) {
        ++lineNumber;
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        const qsizetype space = line.indexOf(u' ');
        const QString keyword = line.left(space);
        const QString rest = space < 0 ? QString() : line.mid(space + 1).trimmed();
        if (keyword == u"chapter") {
            chapter = rest;
            continue;
        }
        if (keyword == u"lesson") {
            if (const QString lack = finishLesson(); !lack.isEmpty()) {
                return fail(lack);
            }
            const qsizetype nameEnd = rest.indexOf(u' ');
            Lesson lesson;
            lesson.fileName = rest.left(nameEnd);
            lesson.englishTitle = nameEnd < 0 ? QString() : rest.mid(nameEnd + 1).trimmed();
            lesson.chapter = chapter;
            const auto title = titles.find(lesson.fileName);
            if (title == titles.end()) {
                return failAtLine(lesson.fileName + QStringLiteral(" is not in list.txt"));
            }
            lesson.title = title->second;
            result.lessons.append(lesson);
            continue;
        }
        static const QStringList kLessonKeywords{
            QStringLiteral("rule"),  QStringLiteral("example"), QStringLiteral("wrong"),
            QStringLiteral("right"), QStringLiteral("why"),     QStringLiteral("step"),
            QStringLiteral("quiz"),  QStringLiteral("because"), QStringLiteral("summary")};
        if (!kLessonKeywords.contains(keyword)) {
            return failAtLine(QStringLiteral("unknown keyword ") + keyword);
        }
        if (result.lessons.isEmpty()) {
            return failAtLine(QStringLiteral("%1 before the first lesson").arg(keyword));
        }
        if (rest.isEmpty()) {
            return failAtLine(QStringLiteral("%1 without its text").arg(keyword));
        }
        Lesson& lesson = result.lessons.back();
        if (keyword == u"rule") {
            lesson.rules.append(rest);
        } else if (keyword == u"example") {
            const QStringList parts = rest.split(u'|');
            if (parts.size() != 2) {
                return failAtLine(QStringLiteral("an example needs one |"));
            }
            lesson.examples.append(Example{parts[0].trimmed(), parts[1].trimmed()});
        } else if (keyword == u"wrong" || keyword == u"right" || keyword == u"why" ||
                   keyword == u"summary") {
            QString& field = keyword == u"wrong"   ? lesson.wrong
                             : keyword == u"right" ? lesson.right
                             : keyword == u"why"   ? lesson.why
                                                   : lesson.summary;
            if (!field.isEmpty()) {
                return failAtLine(QStringLiteral("a second %1 line").arg(keyword));
            }
            field = rest;
        } else if (keyword == u"step") {
            const QStringList parts = rest.split(QStringLiteral("=>"));
            if (parts.size() != 2 || parts[0].trimmed().isEmpty() || parts[1].trimmed().isEmpty()) {
                return failAtLine(QStringLiteral("a step needs one =>"));
            }
            lesson.steps.append(Step{parts[0].trimmed(), parts[1].trimmed()});
        } else if (keyword == u"quiz") {
            const std::optional<Quiz> quiz = parseQuiz(rest);
            if (!quiz) {
                return failAtLine(QStringLiteral(
                    "a quiz needs a question and 2 or 3 choices, one of them in asterisks"));
            }
            lesson.quizzes.append(*quiz);
        } else if (keyword == u"because") {
            if (lesson.quizzes.isEmpty() || !lesson.quizzes.back().because.isEmpty()) {
                return failAtLine(QStringLiteral("a because line belongs after its quiz"));
            }
            lesson.quizzes.back().because = rest;
        }
    }
    if (const QString lack = finishLesson(); !lack.isEmpty()) {
        return fail(lack);
    }
    return result;
}

LessonSources readCourse(const QByteArray& listFile, const QList<Script>& scripts)
{
    LessonSources course;
    std::map<QString, Lesson> byFile;
    std::map<QString, QString> exampleOwner; // plain English sentence -> lesson file
    for (const Script& script : scripts) {
        LessonSources chapter = readLessons(listFile, script.text);
        if (!chapter.error.isEmpty()) {
            course.error = script.name + QStringLiteral(": ") + chapter.error;
            return course;
        }
        for (Lesson& lesson : chapter.lessons) {
            if (byFile.contains(lesson.fileName)) {
                course.error =
                    QStringLiteral("%1: %2 is written twice").arg(script.name, lesson.fileName);
                return course;
            }
            for (const Example& example : lesson.examples) {
                const QString sentence = plainText(example.english).simplified();
                const auto [owner, first] = exampleOwner.emplace(sentence, lesson.fileName);
                if (!first) {
                    course.error = QStringLiteral("%1: %2 repeats the example \"%3\" of %4")
                                       .arg(script.name, lesson.fileName, sentence, owner->second);
                    return course;
                }
            }
            byFile.emplace(lesson.fileName, std::move(lesson));
        }
    }
    for (const auto& [file, title] : listedMovies(listFile)) {
        const auto lesson = byFile.find(file);
        if (lesson == byFile.end()) {
            course.lessons.clear();
            course.error =
                QStringLiteral("%1 (%2) is listed but no script writes it").arg(file, title);
            return course;
        }
        course.lessons.append(lesson->second);
    }
    return course;
}

} // namespace quorvane::course
