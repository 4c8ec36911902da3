#include "SoakChecks.h"
#include "SoakLog.h"
#include "SoakPlatform.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <thread>

using namespace quorvane::soak;

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The kinds ("added", "changed", "removed") and paths of the changes.
QStringList kindsAndPaths(const QStringList& changes)
{
    QStringList shortened;
    for (const QString& change : changes)
        shortened << change.section(u' ', 0, 1);
    return shortened;
}

} // namespace

class TestSoakChecks : public QObject {
    Q_OBJECT

private slots:
    void init();
    void untouchedFolderHasNoChanges();
    void everyKindOfChangeIsFlagged();
    void sameSizeAndTimeButOtherBytesIsFlagged();
    void allowedSaveIsIgnoredButNothingElse();
    void growthCountsOnlySamplesOverTheLimit();
    void residentMemoryFollowsAllocation();
    void watchdogFiresOnBlockedThreadOnly();
    void platformFailsOnBoxesNotAskedFor();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const QString& name) const { return m_dir->filePath(name); }
};

void TestSoakChecks::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir(m_dir->path()).mkpath("course/fyf"));
    write(path("course/fyf/list.txt"), "c01-01.swf#one\r\n");
    write(path("course/.hidden"), "settings");
}

void TestSoakChecks::untouchedFolderHasNoChanges()
{
    const Snapshot before = takeSnapshot({path("course")});
    // The root, its folder and both files, the hidden one too.
    QCOMPARE(before.size(), size_t(4));
    QVERIFY(changesBetween(before, takeSnapshot({path("course")})).isEmpty());
}

void TestSoakChecks::everyKindOfChangeIsFlagged()
{
    const Snapshot before = takeSnapshot({path("course")});
    write(path("course/fyf/list.txt"), "c01-01.swf#one\r\nc01-02.swf#two\r\n");
    QVERIFY(QFile::remove(path("course/.hidden")));
    write(path("course/fyf/new.txt"), "");
    QVERIFY(QDir(path("course")).mkdir("cache"));

    const QStringList changes = changesBetween(before, takeSnapshot({path("course")}));
    QCOMPARE(kindsAndPaths(changes),
             QStringList({"removed: " + path("course/.hidden"), "added: " + path("course/cache"),
                          "changed: " + path("course/fyf/list.txt"),
                          "added: " + path("course/fyf/new.txt")}));
}

void TestSoakChecks::sameSizeAndTimeButOtherBytesIsFlagged()
{
    const QString list = path("course/fyf/list.txt");
    const QDateTime modified = QFileInfo(list).lastModified();
    const Snapshot before = takeSnapshot({path("course")});
    write(list, "c01-01.swf#ONE\r\n");
    QFile file(list);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();

    const Snapshot after = takeSnapshot({path("course")});
    QCOMPARE(after.at(QFileInfo(list).absoluteFilePath()).size,
             before.at(QFileInfo(list).absoluteFilePath()).size);
    QCOMPARE(kindsAndPaths(changesBetween(before, after)), QStringList{"changed: " + list});

    // A touch alone changes no byte, but it is a write all the same.
    const Snapshot touched = takeSnapshot({path("course")});
    QVERIFY(file.open(QIODevice::ReadWrite));
    QVERIFY(file.setFileTime(modified.addSecs(5), QFileDevice::FileModificationTime));
    file.close();
    QCOMPARE(kindsAndPaths(changesBetween(touched, takeSnapshot({path("course")}))),
             QStringList{"changed: " + list});
}

void TestSoakChecks::allowedSaveIsIgnoredButNothingElse()
{
    QVERIFY(QDir(m_dir->path()).mkpath("home/saves"));
    const QStringList roots{path("course"), path("home")};
    const Snapshot before = takeSnapshot(roots);
    write(path("home/saves/lesson.txt"), "saved");
    write(path("home/saves/lesson.txt.bak"), "stray");

    // The allowed name as the driver spells it, not normalised.
    const QStringList changes =
        changesBetween(before, takeSnapshot(roots), {m_dir->path() + "/home/./saves/lesson.txt"});
    QCOMPARE(kindsAndPaths(changes), QStringList({"added: " + path("home/saves/lesson.txt.bak")}));

    QVERIFY(QDir(path("home")).mkpath(".config"));
    write(path("home/.config/Quorvane.conf"), "");
    QCOMPARE(
        kindsAndPaths(changesBetween(before, takeSnapshot(roots), {path("home/saves/lesson.txt")})),
        QStringList({"added: " + path("home/.config"),
                     "added: " + path("home/.config/Quorvane.conf"),
                     "added: " + path("home/saves/lesson.txt.bak")}));
}

void TestSoakChecks::growthCountsOnlySamplesOverTheLimit()
{
    const std::vector<RssSample> samples{
        {21, 90'000}, {22, 105'000}, {23, 110'000}, {24, 110'001}, {25, 200'000}};
    const std::vector<RssSample> above = samplesAbove(100'000, samples, 0.10);
    QCOMPARE(above.size(), size_t(2));
    QCOMPARE(above[0].minute, 24);
    QCOMPARE(above[1].minute, 25);
    QCOMPARE(samplesAbove(100'000, samples, 1.5).size(), size_t(0));
}

void TestSoakChecks::residentMemoryFollowsAllocation()
{
    const long before = residentKib();
    QVERIFY(before > 0);
    constexpr size_t kBytes = 64u << 20;
    std::vector<char> touched(kBytes);
    for (size_t i = 0; i < kBytes; i += 4096)
        touched[i] = char(i);
    const long after = residentKib();
    QVERIFY2(after - before >= 60 * 1024,
             qPrintable(QStringLiteral("%1 KiB -> %2 KiB").arg(before).arg(after)));
    QVERIFY(touched[4096] == char(4096));
}

void TestSoakChecks::watchdogFiresOnBlockedThreadOnly()
{
    std::atomic<long long> reportedMs{-1};
    Watchdog watchdog(std::chrono::seconds(1),
                      [&](std::chrono::milliseconds silence) { reportedMs = silence.count(); });
    QTimer heartbeat;
    heartbeat.setInterval(100);
    connect(&heartbeat, &QTimer::timeout, [&watchdog] { watchdog.beat(); });
    heartbeat.start();

    // An event loop that keeps turning is not a hang, however long it runs.
    QTest::qWait(1500);
    QVERIFY(!watchdog.fired());

    // The thread stuck in one handler for longer than the threshold.
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    QTRY_VERIFY(watchdog.fired());
    QVERIFY2(reportedMs.load() > 1000, qPrintable(QString::number(reportedMs.load())));
}

void TestSoakChecks::platformFailsOnBoxesNotAskedFor()
{
    SoakLog log(path("soak.log"), false);
    SoakPlatform platform(log);

    platform.expectSave(path("saved"));
    QCOMPARE(platform.saveFileName(nullptr, {}, "*.TXT"), std::optional<QString>(path("saved")));
    QVERIFY(log.failures().isEmpty());
    // Only the one save was asked for.
    QCOMPARE(platform.saveFileName(nullptr, {}, "*.TXT"), std::nullopt);
    QCOMPARE(log.failures().size(), 1);

    QVERIFY(!platform.question(nullptr, "Open the help page?", "Missing"));
    platform.errorBox(nullptr, "Invalid index", "Error");
    platform.openAddress("http://example.com/");
    QCOMPARE(log.failures().size(), 4);

    platform.expectQuit();
    QVERIFY(platform.question(nullptr, "Quit?", "Quorvane"));
    QCOMPARE(log.failures().size(), 4);

    QFile written(path("soak.log"));
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray text = written.readAll();
    QVERIFY(text.contains("FAIL unexpected box: error \"Error\": Invalid index"));
    QVERIFY(text.contains("Quit? -> Yes"));
}

QTEST_MAIN(TestSoakChecks)
#include "tst_soakchecks.moc"
