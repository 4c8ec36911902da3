// The longest time the GUI thread stops handling events while the program
// starts on a hostile lesson folder and the bad lesson is selected: a 10 ms
// timer runs throughout and its largest gap between two ticks is the stall.
// Each benchmark reports it as the counter stall_ms; below a second is the
// goal.
#include "ScriptedPlatform.h"
#include "TestMovies.h"
#include "app/LessonTreeView.h"
#include "app/Tmainfrm.h"
#include "platform/Gbk.h"
#include "text/LessonMemo.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <functional>
#include <memory>

using quorvane::Tmainfrm;
using quorvane::testing::ScriptedPlatform;

namespace {

// The lesson chosen in the animation tree and in the text tree.
constexpr int kBadLesson = 3;
constexpr int kBadText = 2;

QByteArray gbkText(const QString& text)
{
    return quorvane::gbk::fromUnicode(text);
}

QByteArray repeated(const QByteArray& piece, qsizetype size)
{
    QByteArray result;
    result.reserve(size + piece.size());
    while (result.size() < size)
        result += piece;
    return result;
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

// A lesson folder with movies for the first lessons and texts for the first
// nodes; each case spoils one part of it.
class Course {
public:
    Course() : m_path(m_root.filePath(QStringLiteral("课程 目录")))
    {
        QDir().mkpath(file("fyf"));
        QDir().mkpath(file("wyf"));
        quorvane::testing::writeTestMovie(file("fyf/m1.swf"), 10);
        quorvane::testing::writeTestMovie(file("fyf/m2.swf"), 12);
        write("wyf/1.txt", "chapter one\r\n");
        write("wyf/2.txt", "lesson two\r\n");
        writeList({});
    }
    QString path() const { return m_path; }
    QString file(const QString& relative) const { return m_path + u'/' + relative; }
    // Big files are written a megabyte at a time.
    void writeRepeated(const QString& relative, const QByteArray& chunk, int times) const
    {
        QFile out(file(relative));
        out.open(QIODevice::WriteOnly);
        for (int i = 0; i < times; ++i)
            out.write(chunk);
    }
    void write(const QString& relative, const QByteArray& content) const
    {
        writeRepeated(relative, content, 1);
    }
    // The good lines come first; what follows is the case's.
    void writeList(const QByteArray& rest) const
    {
        write("fyf/list.txt", gbkText(QStringLiteral("m1.swf#名词\r\nm2.swf#可数名词\r\n")) + rest);
    }
    void writeBadLessonLine(const QString& movieName) const
    {
        writeList(gbkText(movieName + QStringLiteral("#不可数名词：物质名词\r\n")));
    }

private:
    QTemporaryDir m_root;
    QString m_path;
};

enum class Selection { AnimationLesson, TextLesson };

struct Case {
    const char* name;
    std::function<void(const Course&)> spoil;
    Selection selection;
};

// Starts the program on the course, shows it and selects the bad lesson,
// each step an event of its own, and gives the largest gap between ticks
// of a 10 ms timer meanwhile, in milliseconds.
double longestStall(const Course& course, Selection selection)
{
    ScriptedPlatform platform;
    platform.setWindowsDirectory(course.path());
    for (int i = 0; i < 4; ++i)
        platform.queueAnswer(false);
    std::unique_ptr<Tmainfrm> window;
    QElapsedTimer clock;
    qint64 last = 0;
    qint64 longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - last);
        last = now;
    });
    QEventLoop loop;
    QTimer::singleShot(30, &loop, [&] {
        window = std::make_unique<Tmainfrm>(platform);
        window->show();
    });
    QTimer::singleShot(60, &loop, [&] {
        if (selection == Selection::AnimationLesson) {
            window->tv1->selectIndex(kBadLesson);
            return;
        }
        window->SBword->click();
        window->TV2->selectIndex(kBadText);
    });
    // The run ends once the text pane has stopped taking in a long lesson.
    QTimer done;
    int characters = -1;
    QObject::connect(&done, &QTimer::timeout, &loop, [&] {
        const int now = window ? window->Memo1->document()->characterCount() : -1;
        if (now == characters)
            loop.quit();
        characters = now;
    });
    done.start(150);
    clock.start();
    ticker.start(10);
    loop.exec();
    return static_cast<double>(longest) / 1e6;
}

void measureStall(benchmark::State& state, const Case& hostile)
{
    double worst = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const Course course;
        hostile.spoil(course);
        state.ResumeTiming();
        worst = std::max(worst, longestStall(course, hostile.selection));
    }
    state.counters["stall_ms"] = worst;
}

const QByteArray& listFiller()
{
    static const QByteArray filler =
        repeated(gbkText(QStringLiteral("填充/课件 %1.swf#不在树中的课\r\n")), 1024 * 1024);
    return filler;
}

std::vector<Case> cases()
{
    const auto animation = Selection::AnimationLesson;
    const auto text = Selection::TextLesson;
    return {
        {"list of 100 MB",
         [](const Course& c) {
             c.writeList({});
             QFile list(c.file("fyf/list.txt"));
             list.open(QIODevice::Append);
             for (int i = 0; i < 100; ++i)
                 list.write(listFiller());
         },
         animation},
        {"list with a line of 10 MB",
         [](const Course& c) {
             QByteArray line(10 * 1024 * 1024, 'x');
             line[5 * 1024 * 1024] = '#';
             c.writeList(line + "\r\n");
         },
         animation},
        {"list of 100000 lines",
         [](const Course& c) { c.writeList(repeated("x.swf#t\n", 800000)); }, animation},
        {"garbage in the list",
         [](const Course& c) { c.writeList(randomBytes(1024 * 1024, 20091006)); }, animation},
        {"garbage text lesson",
         [](const Course& c) { c.write("wyf/3.txt", randomBytes(256 * 1024, 936)); }, text},
        {"text lesson of 50 MB",
         [](const Course& c) {
             const QByteArray line =
                 gbkText(QStringLiteral("名词复数的规则变化：a book, two books. 不可数名词。\r\n"));
             c.writeRepeated("wyf/3.txt", repeated(line, 1024 * 1024), 50);
         },
         text},
        {"movie that is a directory",
         [](const Course& c) {
             QDir().mkpath(c.file(QStringLiteral("fyf/目录.swf")));
             c.writeBadLessonLine(QStringLiteral("目录.swf"));
         },
         animation},
        {"movie that links to itself",
         [](const Course& c) {
             QFile::link(QStringLiteral("loop.swf"), c.file("fyf/loop.swf"));
             c.writeBadLessonLine(QStringLiteral("loop.swf"));
         },
         animation},
        {"text lesson that links to itself",
         [](const Course& c) { QFile::link(QStringLiteral("3.txt"), c.file("wyf/3.txt")); }, text},
        {"text lesson without read permission",
         [](const Course& c) {
             c.write("wyf/3.txt", "secret");
             QFile::setPermissions(c.file("wyf/3.txt"), QFileDevice::Permissions());
         },
         text},
        {"movie outside the folder, found",
         [](const Course& c) {
             quorvane::testing::writeTestMovie(c.file("outside.swf"), 7);
             c.writeBadLessonLine(QStringLiteral("../outside.swf"));
         },
         animation},
        {"movie outside the folder, missing",
         [](const Course& c) { c.writeBadLessonLine(QStringLiteral("../nowhere.swf")); },
         animation},
        {"movie named with blanks and Chinese",
         [](const Course& c) {
             QDir().mkpath(c.file(QStringLiteral("fyf/课件 一")));
             quorvane::testing::writeTestMovie(c.file(QStringLiteral("fyf/课件 一/第 三课.swf")),
                                               7);
             c.writeBadLessonLine(QStringLiteral("课件 一\\第 三课.SWF"));
         },
         animation},
    };
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    static const std::vector<Case> all = cases();
    for (const Case& hostile : all) {
        benchmark::RegisterBenchmark(hostile.name, measureStall, hostile)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
