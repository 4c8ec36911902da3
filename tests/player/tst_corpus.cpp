// Runs every movie of the shared SWF corpus through quorvane-swf, each in a
// child process with a time limit, and checks the images the corpus expects.

#include "CorpusSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <optional>
#include <thread>

namespace {

using namespace corpus;

struct ImageCheck {
    QString name;
    std::optional<int> trigger;
    bool triggerUnsupported = false;
    std::optional<int> tolerance;
    int maxOutliers = 0;
};

struct Outcome {
    bool loads = false;
    bool infoMatches = false;
    bool crashFree = true;
    QString crash;
    int images = 0;
    int imagesStrict = 0;
    int imagesNear = 0;
};

// One CSV record per line; fields may be quoted with doubled quotes inside.

// The image comparisons of a Ruffle-style test.toml; a test without one
// compares expected.png once, after its frames.
QList<ImageCheck> readImageChecks(const QString& folder, const ManifestRow& row)
{
    QList<ImageCheck> checks;
    QFile file(folder + QStringLiteral("/test.toml"));
    const auto checkNamed = [&](const QString& name) -> ImageCheck& {
        for (ImageCheck& check : checks) {
            if (check.name == name) {
                return check;
            }
        }
        checks.append(ImageCheck{name, std::nullopt, false, std::nullopt, 0});
        return checks.back();
    };
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        static const QRegularExpression section(QString::fromLatin1(
            R"re(^\[\[?image_comparisons\.(?:"([^"]+)"|([A-Za-z0-9_.]+?))(?:\.checks)?\]\]?$)re"));
        static const QRegularExpression dotted(QString::fromLatin1(
            R"re(^image_comparisons\.(?:"([^"]+)"|([A-Za-z0-9_]+))\.(\w+)\s*=\s*(.+)$)re"));
        static const QRegularExpression assignment(
            QString::fromLatin1(R"re(^(\w+)\s*=\s*(.+)$)re"));
        QString current;
        const auto apply = [&](ImageCheck& check, const QString& key, const QString& value) {
            if (key == u"tolerance") {
                check.tolerance = value.toInt();
            } else if (key == u"max_outliers") {
                check.maxOutliers = value.toInt();
            } else if (key == u"trigger") {
                bool numeric = false;
                const int frame = value.toInt(&numeric);
                if (numeric) {
                    check.trigger = frame;
                } else {
                    check.triggerUnsupported = true;
                }
            }
        };
        while (!file.atEnd()) {
            const QString line = QString::fromUtf8(file.readLine()).trimmed();
            if (line.startsWith(u'[')) {
                const auto heading = section.match(line);
                current =
                    heading.hasMatch() ? heading.captured(1) + heading.captured(2) : QString();
                if (!current.isEmpty()) {
                    checkNamed(current);
                }
            } else if (const auto key = dotted.match(line); key.hasMatch() && current.isEmpty()) {
                apply(checkNamed(key.captured(1) + key.captured(2)), key.captured(3),
                      key.captured(4).trimmed());
            } else if (const auto value = assignment.match(line);
                       value.hasMatch() && !current.isEmpty()) {
                apply(checkNamed(current), value.captured(1), value.captured(2).trimmed());
            }
        }
    }
    if (checks.isEmpty()) {
        checks.append(ImageCheck{QStringLiteral("output"), std::nullopt, false, std::nullopt, 0});
    }
    for (ImageCheck& check : checks) {
        if (!check.tolerance) {
            check.tolerance = file.exists() ? 0 : row.tolerance;
        }
    }
    return checks;
}

QString expectedImageFile(const QString& name)
{
    if (name == u"output") {
        return QStringLiteral("expected.png");
    }
    if (name.startsWith(u"output.")) {
        return QStringLiteral("expected-%1.png").arg(name.mid(7));
    }
    return QStringLiteral("expected-%1.png").arg(name);
}

struct Comparison {
    bool strict = false;
    bool near = false;
};

// Strict: every channel within the tolerance, but for at most maxOutliers
// channels. Near: at most 1% of the pixels off by more than 16 in a channel.
Comparison compareImages(const QImage& actualImage, const QImage& expectedImage, int tolerance,
                         int maxOutliers)
{
    Comparison result;
    if (actualImage.size() != expectedImage.size()) {
        return result;
    }
    const QImage actual = actualImage.convertToFormat(QImage::Format_ARGB32);
    const QImage expected = expectedImage.convertToFormat(QImage::Format_ARGB32);
    qint64 outliers = 0;
    qint64 farPixels = 0;
    for (int y = 0; y < actual.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(actual.constScanLine(y));
        const auto* e = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
        for (int x = 0; x < actual.width(); ++x) {
            const int differences[] = {
                std::abs(qRed(a[x]) - qRed(e[x])), std::abs(qGreen(a[x]) - qGreen(e[x])),
                std::abs(qBlue(a[x]) - qBlue(e[x])), std::abs(qAlpha(a[x]) - qAlpha(e[x]))};
            int largest = 0;
            for (const int difference : differences) {
                outliers += difference > tolerance ? 1 : 0;
                largest = std::max(largest, difference);
            }
            farPixels += largest > 16 ? 1 : 0;
        }
    }
    result.strict = outliers <= maxOutliers;
    result.near = farPixels * 100 <= qint64(actual.width()) * actual.height();
    return result;
}

} // namespace

class TestCorpus : public QObject {
    Q_OBJECT

private slots:
    void everyMovieRunsAndPassingImagesStayPassing();

private:
    Outcome run(const ManifestRow& row, const QString& outputFolder);

    QString m_corpus = QStringLiteral(QUORVANE_SWF_CORPUS);
    QString m_tool = QStringLiteral(QUORVANE_SWF_TOOL);
    std::mutex m_lock;
    std::map<QString, Comparison> m_imageResults;
};

Outcome TestCorpus::run(const ManifestRow& row, const QString& outputFolder)
{
    Outcome outcome;
    const QString folder = m_corpus + u'/' + row.id;
    const QString movie = folder + QStringLiteral("/test.swf");

    const ProcessResult info = runTool(m_tool, {QStringLiteral("info"), movie});
    if (!endedCleanly(info)) {
        outcome.crashFree = false;
        outcome.crash = QStringLiteral("info ") + describe(info);
        return outcome;
    }
    outcome.loads = info.exitCode == 0;
    const QString expectedInfo =
        QStringLiteral("version: %1\ncompression: %2\nstage: %3 x %4\nframe-rate: %5\nframes: %6\n")
            .arg(row.version, row.compression, row.stageWidth, row.stageHeight, row.frameRate,
                 row.frameCount);
    outcome.infoMatches = QString::fromUtf8(info.output).startsWith(expectedInfo);

    QList<ImageCheck> checks;
    if (row.expectedKind == u"image") {
        checks = readImageChecks(folder, row);
    } else {
        checks.append(ImageCheck{QString(), std::nullopt, false, 0, 0});
    }
    const QString safeId = QString(row.id).replace(u'/', u'_');
    for (const ImageCheck& check : checks) {
        const int frames = check.trigger.value_or(row.framesToRun);
        const QString output = QStringLiteral("%1/%2-%3.png").arg(outputFolder, safeId, check.name);
        const ProcessResult render =
            runTool(m_tool, {QStringLiteral("render"), movie, QStringLiteral("--frames"),
                             QString::number(frames), QStringLiteral("--out"), output});
        if (!endedCleanly(render)) {
            outcome.crashFree = false;
            outcome.crash = QStringLiteral("render ") + describe(render);
            return outcome;
        }
        if (row.expectedKind != u"image") {
            continue;
        }
        ++outcome.images;
        const QImage expected(folder + u'/' + expectedImageFile(check.name));
        const QImage actual(output);
        Comparison comparison;
        if (!check.triggerUnsupported && !expected.isNull() && !actual.isNull()) {
            comparison = compareImages(actual, expected, *check.tolerance, check.maxOutliers);
        }
        outcome.imagesStrict += comparison.strict ? 1 : 0;
        outcome.imagesNear += comparison.near ? 1 : 0;
        std::lock_guard guard(m_lock);
        m_imageResults[row.id + u'#' + check.name] = comparison;
    }
    return outcome;
}

void TestCorpus::everyMovieRunsAndPassingImagesStayPassing()
{
    const QList<ManifestRow> rows = readManifest(m_corpus + QStringLiteral("/manifest.csv"));
    if (rows.isEmpty()) {
        QSKIP("The SWF corpus is not there (QUORVANE_SWF_CORPUS)");
    }
    QTemporaryDir outputFolder;
    QVERIFY(outputFolder.isValid());

    std::vector<Outcome> outcomes(std::size_t(rows.size()));
    std::atomic<qsizetype> next{0};
    const auto worker = [&] {
        for (qsizetype i = next++; i < rows.size(); i = next++) {
            outcomes[std::size_t(i)] = run(rows[i], outputFolder.path());
        }
    };
    // Two at a time: the machines have two cores.
    std::thread second(worker);
    worker();
    second.join();

    struct Totals {
        int movies = 0, loads = 0, info = 0, crashFree = 0, images = 0, strict = 0, near = 0;
    };
    std::map<QString, Totals> byCategory;
    Totals scriptFree;
    QStringList crashes;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const Outcome& outcome = outcomes[std::size_t(i)];
        for (Totals* totals :
             {&byCategory[rows[i].category], &byCategory[QStringLiteral("~all")]}) {
            ++totals->movies;
            totals->loads += outcome.loads;
            totals->info += outcome.infoMatches;
            totals->crashFree += outcome.crashFree;
            totals->images += outcome.images;
            totals->strict += outcome.imagesStrict;
            totals->near += outcome.imagesNear;
        }
        if (rows[i].scriptFree && rows[i].expectedKind == u"image") {
            ++scriptFree.movies;
            scriptFree.images += outcome.images;
            scriptFree.strict += outcome.imagesStrict;
            scriptFree.near += outcome.imagesNear;
        }
        if (!outcome.crashFree) {
            crashes << rows[i].id + QStringLiteral(": ") + outcome.crash;
        }
    }
    std::printf("%-14s %7s %6s %6s %10s %13s %11s\n", "category", "movies", "loads", "info",
                "crash-free", "image strict", "image near");
    for (const auto& [category, totals] : byCategory) {
        std::printf("%-14s %7d %6d %6d %10d %9d/%-3d %7d/%-3d\n",
                    qPrintable(category == u"~all" ? QStringLiteral("all") : category),
                    totals.movies, totals.loads, totals.info, totals.crashFree, totals.strict,
                    totals.images, totals.near, totals.images);
    }
    std::printf("script-free image tests (no DoAction, DoInitAction or buttons): %d movies, "
                "strict %d/%d, near %d/%d\n",
                scriptFree.movies, scriptFree.strict, scriptFree.images, scriptFree.near,
                scriptFree.images);
    std::printf("images passing:");
    for (const auto& [key, comparison] : m_imageResults) {
        if (comparison.near) {
            std::printf("\n  %s %s", qPrintable(key), comparison.strict ? "strict" : "near");
        }
    }
    std::printf("\n");
    std::fflush(stdout);

    QVERIFY2(crashes.isEmpty(), qPrintable(crashes.join(u'\n')));

    QFile passList(QStringLiteral(QUORVANE_SWF_PASS_LIST));
    QVERIFY2(passList.open(QIODevice::ReadOnly | QIODevice::Text), "tests/data/swf-pass.txt");
    QStringList regressions;
    while (!passList.atEnd()) {
        const QString line = QString::fromUtf8(passList.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        const QStringList parts = line.split(u' ', Qt::SkipEmptyParts);
        const QString key = parts.value(0);
        // Traces and sounds have tests of their own.
        if (key.endsWith(QStringLiteral("#trace")) || key.endsWith(QStringLiteral("#audio"))) {
            continue;
        }
        const bool needsStrict = parts.value(1) != u"near";
        const auto found = m_imageResults.find(key);
        if (found == m_imageResults.end()) {
            regressions << key + QStringLiteral(": not in the corpus");
        } else if (!found->second.near || (needsStrict && !found->second.strict)) {
            regressions << key + QStringLiteral(": no longer passes");
        }
    }
    QVERIFY2(regressions.isEmpty(), qPrintable(regressions.join(u'\n')));
}

QTEST_GUILESS_MAIN(TestCorpus)
#include "tst_corpus.moc"
