// Movies that once broke the fuzz target (tests/data/fuzz-regressions) and
// movies made to strain the engine's limits (tests/data/hostile-movies) go
// through the fuzz target's steps again, under this build's sanitizers.

#include "ActionExercise.h"
#include "MovieExercise.h"

#include <QDir>
#include <QtTest>

class TestHostileMovies : public QObject {
    Q_OBJECT

private slots:
    void everyKeptInputRunsCleanly()
    {
        QStringList paths;
        for (const char* folder : {QUORVANE_FUZZ_REGRESSIONS, QUORVANE_HOSTILE_MOVIES}) {
            const QDir dir(QString::fromUtf8(folder));
            for (const QString& name : dir.entryList({QStringLiteral("*.swf")}, QDir::Files)) {
                paths << dir.filePath(name);
            }
        }
        QVERIFY2(paths.size() >= 7, "the hostile movies are missing");
        int movies = 0;
        for (const QString& path : paths) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
            // A sanitizer report ends the test; coming back is the check.
            movies += quorvane::fuzz::exerciseMovie(std::span(data, std::size_t(bytes.size())));
        }
        // Each of them is a movie, however hostile.
        QCOMPARE(movies, int(paths.size()));
    }

    void hostileActionBytesRunSafely()
    {
        QStringList paths;
        for (const char* folder : {QUORVANE_FUZZ_REGRESSIONS, QUORVANE_HOSTILE_MOVIES}) {
            const QDir dir(QString::fromUtf8(folder));
            for (const QString& name : dir.entryList({QStringLiteral("*.actions")}, QDir::Files)) {
                paths << dir.filePath(name);
            }
        }
        QVERIFY2(paths.size() >= 3, "the hostile action bytes are missing");
        for (const QString& path : paths) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            // A sanitizer report ends the test; coming back is the check.
            quorvane::fuzz::exerciseActions(
                std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                          std::size_t(bytes.size())));
        }
    }
};

QTEST_MAIN(TestHostileMovies)
#include "tst_hostilemovies.moc"
