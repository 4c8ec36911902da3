// Plays every movie of the shared SWF corpus that comes with expected audio
// through `quorvane-swf audio` and compares what it sounds like.

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <cstdio>
#include <map>

namespace {

// The corpus keeps every 8th sample of the 44.1 kHz output, from the 8th on,
// over the movie's first ten frame intervals.
constexpr int kFramesToRun = 10;
constexpr int kDecimation = 8;
constexpr int kFirstKept = 7;

std::vector<std::int16_t> readSamples(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    const QByteArray bytes = file.readAll();
    std::vector<std::int16_t> samples(std::size_t(bytes.size()) / 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto low = std::uint8_t(bytes[qsizetype(i * 2)]);
        const auto high = std::uint8_t(bytes[qsizetype(i * 2 + 1)]);
        samples[i] = std::int16_t(std::uint16_t(low | high << 8));
    }
    return samples;
}

struct Comparison {
    bool exact = false;
    QString detail;
};

// Exact: every kept sample equal to the expected one, silence after the
// expected sound ends.
Comparison compare(const std::vector<std::int16_t>& recorded,
                   const std::vector<std::int16_t>& expected)
{
    std::vector<std::int16_t> kept;
    for (std::size_t frame = kFirstKept; frame * 2 + 1 < recorded.size(); frame += kDecimation) {
        kept.push_back(recorded[frame * 2]);
        kept.push_back(recorded[frame * 2 + 1]);
    }
    if (kept.size() < expected.size()) {
        return {
            false,
            QStringLiteral("%1 samples kept of %2 expected").arg(kept.size()).arg(expected.size())};
    }
    std::size_t differing = 0;
    int largest = 0;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const int want = i < expected.size() ? expected[i] : 0;
        const int difference = std::abs(kept[i] - want);
        differing += difference != 0 ? 1 : 0;
        largest = std::max(largest, difference);
    }
    return {differing == 0,
            QStringLiteral("%1 samples differ, by up to %2").arg(differing).arg(largest)};
}

} // namespace

class TestCorpusAudio : public QObject {
    Q_OBJECT

private slots:
    void everyExpectedSoundIsHeard()
    {
        const QString corpus = QStringLiteral(QUORVANE_SWF_CORPUS);
        if (!QFile::exists(corpus + QStringLiteral("/manifest.csv"))) {
            QSKIP("the shared SWF corpus is not beside the project");
        }
        QTemporaryDir scratch;
        std::map<QString, Comparison> results;
        QDirIterator expectations(corpus, {QStringLiteral("expected-audio.raw")}, QDir::Files,
                                  QDirIterator::Subdirectories);
        while (expectations.hasNext()) {
            const QFileInfo expected(expectations.next());
            const QString folder = expected.absolutePath();
            const QString id = QDir(corpus).relativeFilePath(folder);
            const QString recording = scratch.filePath(QString(id).replace(u'/', u'-'));
            QProcess tool;
            tool.start(QStringLiteral(QUORVANE_SWF_TOOL),
                       {QStringLiteral("audio"), folder + QStringLiteral("/test.swf"),
                        QStringLiteral("--frames"), QString::number(kFramesToRun),
                        QStringLiteral("--out"), recording});
            QVERIFY(tool.waitForFinished(30000));
            QVERIFY2(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0,
                     qPrintable(id + QStringLiteral(": ") +
                                QString::fromLocal8Bit(tool.readAllStandardError())));
            results[id] = compare(readSamples(recording), readSamples(expected.filePath()));
        }
        QVERIFY(!results.empty());

        int exact = 0;
        for (const auto& [id, result] : results) {
            exact += result.exact ? 1 : 0;
            std::printf("  %s: %s (%s)\n", qPrintable(id), result.exact ? "exact" : "differs",
                        qPrintable(result.detail));
        }
        std::printf("audio exact: %d/%d\n", exact, int(results.size()));
        std::fflush(stdout);

        QFile passList(QStringLiteral(QUORVANE_SWF_PASS_LIST));
        QVERIFY(passList.open(QIODevice::ReadOnly | QIODevice::Text));
        QStringList regressions;
        while (!passList.atEnd()) {
            const QString line = QString::fromUtf8(passList.readLine()).trimmed();
            const QString key = line.section(u' ', 0, 0);
            if (!key.endsWith(QStringLiteral("#audio"))) {
                continue;
            }
            const auto found = results.find(key.chopped(6));
            if (found == results.end() || !found->second.exact) {
                regressions << key;
            }
        }
        QVERIFY2(regressions.isEmpty(), qPrintable(regressions.join(u'\n')));
    }
};

QTEST_GUILESS_MAIN(TestCorpusAudio)
#include "tst_corpusaudio.moc"
