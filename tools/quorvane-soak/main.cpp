// quorvane-soak: runs the program's own windows for minutes on end, driving
// them as a learner would, and reports what went wrong: crashes (by dying),
// hangs, memory that keeps growing after the first pass, boxes no one asked
// for, and files written outside the one save it asks for.
#include "SoakChecks.h"
#include "SoakDriver.h"
#include "SoakLog.h"
#include "SoakPlatform.h"
#include "animation/Tflashfrm.h"
#include "app/Tmainfrm.h"
#include "platform/GuardedApplication.h"
#include "text/Twordfrm.h"

#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QTimer>
#include <QTranslator>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

using namespace quorvane;
using namespace quorvane::soak;

namespace {

// Runs on the watchdog's thread while the GUI thread is stuck: the stacks
// of every thread, from gdb when it is installed, then an abort, which a
// sanitizer build answers with its own report.
void reportHang(std::chrono::milliseconds silence)
{
    std::fprintf(stderr, "\nsoak: HANG: no event handled for %.1f s\n",
                 double(silence.count()) / 1000.0);
    std::fflush(stderr);
    if (std::system("command -v gdb >/dev/null 2>&1") == 0) {
        const std::string command = "gdb -p " + std::to_string(getpid()) +
                                    " -batch -nx -ex 'thread apply all bt' 1>&2 </dev/null";
        [[maybe_unused]] const int status = std::system(command.c_str());
    }
    std::abort();
}

void printCurve(const SoakDriver& driver)
{
    std::printf("\nminute  RSS (MiB)\n");
    for (const RssSample& sample : driver.allSamples())
        std::printf("%6d  %9.1f\n", sample.minute, double(sample.kib) / 1024.0);
    if (driver.baselineKib() > 0)
        std::printf("end of pass 1: %.1f MiB (the baseline)\n",
                    double(driver.baselineKib()) / 1024.0);
}

} // namespace

int main(int argc, char** argv)
{
#if defined(__linux__)
    // gdb, a child of this process, may look at it when it hangs.
    prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
#endif
    GuardedApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Drives Quorvane for minutes and checks it."));
    parser.addHelpOption();
    const QCommandLineOption minutes(QStringLiteral("minutes"), QStringLiteral("How long to run."),
                                     QStringLiteral("minutes"), QStringLiteral("1"));
    const QCommandLineOption nodeMs(QStringLiteral("node-ms"),
                                    QStringLiteral("Time spent on each node."),
                                    QStringLiteral("ms"), QStringLiteral("3000"));
    const QCommandLineOption hangSeconds(QStringLiteral("hang-seconds"),
                                         QStringLiteral("Silence that counts as a hang."),
                                         QStringLiteral("seconds"), QStringLiteral("10"));
    const QCommandLineOption logFile(QStringLiteral("log"), QStringLiteral("The event log."),
                                     QStringLiteral("file"));
    const QCommandLineOption rssFile(QStringLiteral("rss"),
                                     QStringLiteral("The once-a-minute memory samples (CSV)."),
                                     QStringLiteral("file"));
    const QCommandLineOption saveDir(QStringLiteral("save-dir"),
                                     QStringLiteral("Where the one save of a text lesson goes."),
                                     QStringLiteral("folder"));
    const QCommandLineOption watch(QStringLiteral("watch"),
                                   QStringLiteral("A folder no file may change in (repeatable)."),
                                   QStringLiteral("folder"));
    const QCommandLineOption growth(QStringLiteral("max-growth"),
                                    QStringLiteral("Allowed growth over the first pass, percent."),
                                    QStringLiteral("percent"), QStringLiteral("10"));
    parser.addOptions({minutes, nodeMs, hangSeconds, logFile, rssFile, saveDir, watch, growth});
    parser.process(app);

    SoakLog log(parser.value(logFile));
    const QStringList watched = parser.values(watch);
    const Snapshot before = takeSnapshot(watched);
    log.note(QStringLiteral("watching %1 entries under %2")
                 .arg(before.size())
                 .arg(watched.join(QStringLiteral(", "))));

    // As the program itself starts.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qt"),
                     QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    SoakOptions options;
    options.minutes = std::max(1, parser.value(minutes).toInt());
    options.nodeMs = std::max(100, parser.value(nodeMs).toInt());
    options.rssPath = parser.value(rssFile);
    options.saveDir = parser.value(saveDir);

    Watchdog watchdog(std::chrono::seconds(std::max(1, parser.value(hangSeconds).toInt())),
                      reportHang);
    QTimer heartbeat;
    heartbeat.setInterval(100);
    QObject::connect(&heartbeat, &QTimer::timeout, [&watchdog] { watchdog.beat(); });
    heartbeat.start();

    int passes = 0;
    int nodes = 0;
    long baseline = 0;
    std::vector<RssSample> later;
    QStringList saved;
    int exitCode = 0;
    {
        SoakPlatform platform(log);
        app.setPlatform(&platform);
        Tmainfrm mainForm(platform);
        Tflashfrm flashForm(platform);
        Twordfrm wordForm(platform);
        mainForm.setFullScreenWindows(&flashForm, &wordForm);
        mainForm.show();
        SoakDriver driver(mainForm, flashForm, wordForm, platform, log, options);
        QTimer::singleShot(1000, &driver, &SoakDriver::start);
        exitCode = QApplication::exec();
        app.setPlatform(nullptr);
        // The last window hidden, say, ends the loop without anyone quitting.
        if (!driver.finished())
            log.fail(QStringLiteral("the program stopped before the time was up"));
        passes = driver.passes();
        nodes = driver.nodes();
        baseline = driver.baselineKib();
        later = driver.laterSamples();
        saved = driver.savedFiles();
        printCurve(driver);
        log.note(QStringLiteral("boxes answered: %1").arg(platform.boxes()));
    }
    heartbeat.stop();

    if (exitCode != 0)
        log.fail(QStringLiteral("the program's exit code was %1").arg(exitCode));
    const QStringList changes = changesBetween(before, takeSnapshot(watched), saved);
    for (const QString& change : changes)
        log.fail(QStringLiteral("file ") + change);
    if (baseline == 0) {
        log.note(QStringLiteral("no pass was completed, so no growth was measured"));
    } else {
        const double limit = parser.value(growth).toDouble() / 100.0;
        for (const RssSample& sample : samplesAbove(baseline, later, limit))
            log.fail(
                QStringLiteral("memory grew: minute %1 at %2 KiB, %3% over the %4 KiB of pass 1")
                    .arg(sample.minute)
                    .arg(sample.kib)
                    .arg(100.0 * double(sample.kib - baseline) / double(baseline), 0, 'f', 1)
                    .arg(baseline));
    }
    const bool passed = log.failures().isEmpty();
    log.note(QStringLiteral("soak verdict: %1 (%2 passes, %3 nodes, %4 failures)")
                 .arg(passed ? QStringLiteral("PASS") : QStringLiteral("FAIL"))
                 .arg(passes)
                 .arg(nodes)
                 .arg(log.failures().size()));
    return passed ? 0 : 1;
}
