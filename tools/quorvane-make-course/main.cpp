// quorvane-make-course LIST_TXT OUTPUT_FOLDER SCRIPT...
// Writes the movie of every lesson list.txt names, from the chapters'
// scripts, into OUTPUT_FOLDER; run by the build for the course it assembles.

#include "LessonMovie.h"
#include "LessonSource.h"
#include "Narrator.h"
#include "swf/Writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <cstdio>
#include <exception>

using namespace quorvane;

namespace {

std::optional<QByteArray> readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return file.readAll();
}

bool writeAll(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) &&
           file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) ==
               qint64(bytes.size()) &&
           file.commit();
}

int fail(const QString& message)
{
    std::fprintf(stderr, "quorvane-make-course: %s\n", qPrintable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: quorvane-make-course LIST_TXT OUTPUT_FOLDER SCRIPT...\n");
        return 2;
    }
    // Fonts need a GUI application, but a build has no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments();

    const std::optional<QByteArray> list = readAll(arguments[1]);
    if (!list) {
        return fail(QStringLiteral("cannot read ") + arguments[1]);
    }
    QList<course::Script> scripts;
    for (qsizetype i = 3; i < arguments.size(); ++i) {
        const std::optional<QByteArray> text = readAll(arguments[i]);
        if (!text) {
            return fail(QStringLiteral("cannot read ") + arguments[i]);
        }
        scripts.append(course::Script{QFileInfo(arguments[i]).fileName(), *text});
    }
    const course::LessonSources lessons = course::readCourse(*list, scripts);
    if (!lessons.error.isEmpty()) {
        return fail(lessons.error);
    }
    const QDir output(arguments[2]);
    if (!output.mkpath(QStringLiteral("."))) {
        return fail(QStringLiteral("cannot create ") + arguments[2]);
    }
    try {
        course::EspeakNarrator narrator;
        double narration = 0;
        for (const course::Lesson& lesson : lessons.lessons) {
            const course::LessonMovie made = course::lessonMovie(lesson, narrator);
            narration += made.narrationSeconds;
            const auto bytes = swf::writeMovie(made.movie);
            if (!bytes) {
                return fail(lesson.fileName + QStringLiteral(": ") +
                            QString::fromStdString(bytes.error().message));
            }
            if (!writeAll(output.filePath(lesson.fileName), bytes.value())) {
                return fail(QStringLiteral("cannot write ") + output.filePath(lesson.fileName));
            }
        }
        std::printf("quorvane-make-course: %lld lesson movies, %.0f s of narration\n",
                    static_cast<long long>(lessons.lessons.size()), narration);
    } catch (const std::exception& error) {
        return fail(QString::fromLocal8Bit(error.what()));
    }
    return 0;
}
