// quorvane-make-course LIST_TXT MOVIE_SOURCE OUTPUT_FOLDER
// Writes the movies the movie source describes into OUTPUT_FOLDER; run by
// the build for the course it assembles.

#include "LessonMovie.h"
#include "LessonSource.h"
#include "swf/Writer.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <cstdio>

using namespace quorvane;

namespace {

QByteArray readAll(const char* path)
{
    QFile file(QString::fromLocal8Bit(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: quorvane-make-course LIST_TXT MOVIE_SOURCE OUTPUT_FOLDER\n");
        return 2;
    }
    // Fonts need a GUI application, but a build has no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);

    const QByteArray list = readAll(argv[1]);
    const QByteArray source = readAll(argv[2]);
    if (list.isEmpty() || source.isEmpty()) {
        std::fprintf(stderr, "quorvane-make-course: cannot read %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    const course::LessonSources lessons = course::readLessons(list, source);
    if (!lessons.error.isEmpty()) {
        std::fprintf(stderr, "quorvane-make-course: %s: %s\n", argv[2], qPrintable(lessons.error));
        return 1;
    }
    const QDir output(QString::fromLocal8Bit(argv[3]));
    if (!output.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "quorvane-make-course: cannot create %s\n", argv[3]);
        return 1;
    }
    for (const course::Lesson& lesson : lessons.lessons) {
        auto bytes = swf::writeMovie(course::lessonMovie(lesson));
        const QString path = output.filePath(lesson.fileName);
        QFile file(path);
        if (!bytes || !file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(bytes.value().data()),
                       qint64(bytes.value().size())) != qint64(bytes.value().size())) {
            std::fprintf(stderr, "quorvane-make-course: cannot write %s: %s\n", qPrintable(path),
                         bytes ? "" : bytes.error().message.c_str());
            return 1;
        }
    }
    return 0;
}
