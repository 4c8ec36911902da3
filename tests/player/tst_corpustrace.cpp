// Runs every trace test of the shared SWF corpus through `quorvane-swf
// trace`, each in a child process with a time limit, and compares the
// output with the trace Flash Player logged.

#include "CorpusSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <map>
#include <optional>
#include <thread>

namespace {

using namespace corpus;

// test.toml's [approximations]: numbers matching the patterns may differ
// by epsilon.
struct Approximations {
    double epsilon = 0;
    QList<QRegularExpression> patterns;
};

std::optional<Approximations> readApproximations(const QString& folder)
{
    QFile file(folder + QStringLiteral("/test.toml"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return std::nullopt;
    }
    std::optional<Approximations> approximations;
    bool inSection = false;
    static const QRegularExpression quoted(QStringLiteral("\"((?:[^\"\\\\]|\\\\.)*)\""));
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(u'[')) {
            inSection = line == u"[approximations]";
            if (inSection) {
                approximations.emplace();
            }
            continue;
        }
        if (!inSection) {
            continue;
        }
        if (line.startsWith(QStringLiteral("epsilon"))) {
            approximations->epsilon =
                line.section(u'=', 1).section(u'#', 0, 0).trimmed().toDouble();
        } else if (line.startsWith(QStringLiteral("number_patterns"))) {
            auto matches = quoted.globalMatch(line.section(u'=', 1));
            while (matches.hasNext()) {
                QString pattern = matches.next().captured(1);
                pattern.replace(QStringLiteral("\\\\"), QStringLiteral("\\"));
                approximations->patterns << QRegularExpression(pattern);
            }
        }
    }
    return approximations;
}

// Equal but for numbers the approximations let differ: each line's text
// outside the numbers must match, and the numbers within epsilon.
bool approximatelyEqual(const QString& actual, const QString& expected,
                        const Approximations& approximations)
{
    const QStringList actualLines = actual.split(u'\n');
    const QStringList expectedLines = expected.split(u'\n');
    if (actualLines.size() != expectedLines.size()) {
        return false;
    }
    for (qsizetype i = 0; i < actualLines.size(); ++i) {
        if (actualLines[i] == expectedLines[i]) {
            continue;
        }
        bool bothNumbers = false;
        const double a = actualLines[i].toDouble(&bothNumbers);
        bool expectedNumber = false;
        const double e = expectedLines[i].toDouble(&expectedNumber);
        bool matchesPattern = approximations.patterns.isEmpty();
        for (const QRegularExpression& pattern : approximations.patterns) {
            matchesPattern = matchesPattern || pattern.match(expectedLines[i]).hasMatch();
        }
        if (!bothNumbers || !expectedNumber || !matchesPattern ||
            std::fabs(a - e) > approximations.epsilon) {
            return false;
        }
    }
    return true;
}

} // namespace

class TestCorpusTrace : public QObject {
    Q_OBJECT

private slots:
    void traceOutputMatchesFlashAndPassingTestsStayPassing();

private:
    bool run(const ManifestRow& row, QString& crash);

    QString m_corpus = QStringLiteral(QUORVANE_SWF_CORPUS);
    QString m_tool = QStringLiteral(QUORVANE_SWF_TOOL);
};

bool TestCorpusTrace::run(const ManifestRow& row, QString& crash)
{
    const QString folder = m_corpus + u'/' + row.id;
    QStringList arguments{QStringLiteral("trace"), folder + QStringLiteral("/test.swf"),
                          QStringLiteral("--frames"), QString::number(row.framesToRun)};
    if (QFile::exists(folder + QStringLiteral("/input.json"))) {
        arguments << QStringLiteral("--input") << folder + QStringLiteral("/input.json");
    }
    const ProcessResult result = runTool(m_tool, arguments);
    if (!endedCleanly(result)) {
        crash = describe(result);
        return false;
    }
    QFile expectedFile(folder + QStringLiteral("/expected-trace.txt"));
    if (!expectedFile.open(QIODevice::ReadOnly)) {
        return false;
    }
    QString expected = QString::fromUtf8(expectedFile.readAll());
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QString actual = QString::fromUtf8(result.output);
    if (actual == expected) {
        return true;
    }
    const std::optional<Approximations> approximations = readApproximations(folder);
    return approximations && approximatelyEqual(actual, expected, *approximations);
}

void TestCorpusTrace::traceOutputMatchesFlashAndPassingTestsStayPassing()
{
    QList<ManifestRow> rows = readManifest(m_corpus + QStringLiteral("/manifest.csv"));
    if (rows.isEmpty()) {
        QSKIP("The SWF corpus is not there (QUORVANE_SWF_CORPUS)");
    }
    rows.removeIf([](const ManifestRow& row) { return row.expectedKind != u"trace"; });

    std::vector<char> passed(std::size_t(rows.size()), 0);
    std::vector<QString> crashes(std::size_t(rows.size()));
    std::atomic<qsizetype> next{0};
    const auto worker = [&] {
        for (qsizetype i = next++; i < rows.size(); i = next++) {
            passed[std::size_t(i)] = run(rows[i], crashes[std::size_t(i)]) ? 1 : 0;
        }
    };
    // Two at a time: the machines have two cores.
    std::thread second(worker);
    worker();
    second.join();

    std::map<QString, std::pair<int, int>> byCategory;
    QStringList crashList;
    std::map<QString, bool> results;
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const bool pass = passed[std::size_t(i)] != 0;
        for (const QString& category : {rows[i].category, QStringLiteral("~all")}) {
            byCategory[category].first += pass ? 1 : 0;
            ++byCategory[category].second;
        }
        results[rows[i].id] = pass;
        if (!crashes[std::size_t(i)].isEmpty()) {
            crashList << rows[i].id + QStringLiteral(": ") + crashes[std::size_t(i)];
        }
    }
    std::printf("%-14s %13s\n", "category", "trace exact");
    for (const auto& [category, counts] : byCategory) {
        std::printf("%-14s %9d/%-3d\n",
                    qPrintable(category == u"~all" ? QStringLiteral("all") : category),
                    counts.first, counts.second);
    }
    std::printf("traces passing:");
    for (const auto& [id, pass] : results) {
        if (pass) {
            std::printf("\n  %s#trace exact", qPrintable(id));
        }
    }
    std::printf("\n");
    std::fflush(stdout);

    QVERIFY2(crashList.isEmpty(), qPrintable(crashList.join(u'\n')));

    QFile passList(QStringLiteral(QUORVANE_SWF_PASS_LIST));
    QVERIFY2(passList.open(QIODevice::ReadOnly | QIODevice::Text), "tests/data/swf-pass.txt");
    QStringList regressions;
    while (!passList.atEnd()) {
        const QString line = QString::fromUtf8(passList.readLine()).trimmed();
        const QString key = line.section(u' ', 0, 0);
        if (!key.endsWith(QStringLiteral("#trace"))) {
            continue;
        }
        const QString id = key.chopped(6);
        const auto found = results.find(id);
        if (found == results.end()) {
            regressions << key + QStringLiteral(": not in the corpus");
        } else if (!found->second) {
            regressions << key + QStringLiteral(": no longer passes");
        }
    }
    QVERIFY2(regressions.isEmpty(), qPrintable(regressions.join(u'\n')));
}

QTEST_GUILESS_MAIN(TestCorpusTrace)
#include "tst_corpustrace.moc"
