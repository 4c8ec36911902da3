// Printing a long text lesson to PDF, from the print command to the
// finished file, as the learner without a printer does it.
#include "app/Tmainfrm.h"
#include "platform/GuardedApplication.h"
#include "platform/QtPlatform.h"
#include "text/LessonMemo.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

constexpr int kPages = 100;

// The desktop platform, except that the print dialog is answered at once
// with "Print to File (PDF)".
class PdfPlatform : public quorvane::QtPlatform {
public:
    explicit PdfPlatform(QString output) : m_output(std::move(output)) {}
    bool setupPrinter(QWidget*, QPrinter& printer) override
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_output);
        return true;
    }

private:
    QString m_output;
};

int pageCount(const QString& pdf)
{
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    if (!info.waitForFinished(60000))
        return -1;
    const QRegularExpressionMatch pages =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
            .match(QString::fromUtf8(info.readAllStandardOutput()));
    return pages.hasMatch() ? pages.captured(1).toInt() : -1;
}

// The bundled course's lessons one after another, as many as asked for,
// starting again from the first when they run out.
QByteArray courseLessons(int count)
{
    const QDir course(QStringLiteral(QUORVANE_CONTENT_DIR "/wyf"));
    QByteArray text;
    for (int i = 0; i < count; ++i) {
        QFile lesson(course.filePath(QStringLiteral("%1.txt").arg(i % 203 + 1)));
        if (lesson.open(QIODevice::ReadOnly))
            text += lesson.readAll();
    }
    return text;
}

class BenchCourse {
public:
    BenchCourse()
    {
        QDir().mkpath(m_dir.filePath("fyf"));
        QDir().mkpath(m_dir.filePath("wyf"));
        QFile list(m_dir.filePath("fyf/list.txt"));
        list.open(QIODevice::WriteOnly);
    }
    void setLesson(const QByteArray& text)
    {
        QFile lesson(m_dir.filePath("wyf/1.txt"));
        lesson.open(QIODevice::WriteOnly);
        lesson.write(text);
    }
    QString path() const { return m_dir.path(); }
    QString file(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

private:
    QTemporaryDir m_dir;
};

// Prints the lesson once from a fresh window in text mode and returns the
// page count.
int printOnce(quorvane::Platform& platform, const QString& output)
{
    quorvane::Tmainfrm window(platform);
    window.show();
    window.SBword->click();
    QFile::remove(output);
    window.Nwprint->trigger();
    return pageCount(output);
}

// How many course lessons fill the pages wanted, measured once on a print of
// the whole course and then checked.
int lessonsForPages(BenchCourse& course, quorvane::Platform& platform, const QString& output)
{
    static int lessons = 0;
    if (lessons > 0)
        return lessons;
    course.setLesson(courseLessons(203));
    const int coursePages = printOnce(platform, output);
    if (coursePages <= 0)
        return 0;
    lessons = static_cast<int>(std::ceil(203.0 * kPages / coursePages));
    course.setLesson(courseLessons(lessons));
    while (printOnce(platform, output) < kPages) {
        lessons += 5;
        course.setLesson(courseLessons(lessons));
    }
    return lessons;
}

void printHundredPages(benchmark::State& state)
{
    BenchCourse course;
    qputenv("QUORVANE_WINDIR", course.path().toUtf8());
    const QString output = course.file("lesson.pdf");
    PdfPlatform platform(output);
    const int lessons = lessonsForPages(course, platform, output);
    if (lessons == 0) {
        state.SkipWithError("nothing was printed");
        return;
    }
    course.setLesson(courseLessons(lessons));

    quorvane::Tmainfrm window(platform);
    window.show();
    window.SBword->click();
    for (auto _ : state) {
        QFile::remove(output);
        QElapsedTimer clock;
        clock.start();
        window.Nwprint->trigger();
        state.SetIterationTime(clock.nsecsElapsed() / 1e9);
        if (!QFileInfo::exists(output)) {
            state.SkipWithError("no PDF was written");
            break;
        }
    }
    state.counters["pages"] = pageCount(output);
    state.counters["screen_lines"] = static_cast<double>(window.Memo1->lines().size());
    state.counters["pdf_kib"] = static_cast<double>(QFileInfo(output).size()) / 1024.0;
    qunsetenv("QUORVANE_WINDIR");
}

} // namespace

BENCHMARK(printHundredPages)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    quorvane::GuardedApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
