#include "platform/Error.h"
#include "text/LessonMemo.h"
#include "text/TextSaver.h"

#include <QSaveFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvane;

namespace {

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
}

// A file whose disk fills up: the first `room` bytes reach the temporary
// file, then every write fails.
class FillingSaveFile : public QSaveFile {
public:
    FillingSaveFile(const QString& name, qint64 room) : QSaveFile(name), m_room(room) {}

protected:
    qint64 writeData(const char* data, qint64 length) override
    {
        const qint64 taken = std::min(length, m_room);
        if (taken > 0) {
            const qint64 written = QSaveFile::writeData(data, taken);
            m_room -= written;
            if (written < length)
                return -1;
            return written;
        }
        return -1;
    }

private:
    qint64 m_room;
};

} // namespace

class TestTextSaver : public QObject {
    Q_OBJECT

private slots:
    void theSaveNameRule_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no extension") << "notes"
                                      << "notes.txt";
        QTest::newRow("txt") << "notes.txt"
                             << "notes.txt";
        QTest::newRow("upper case") << "NOTES.TXT"
                                    << "NOTES.TXT";
        QTest::newRow("mixed case") << "/tmp/a.TxT"
                                    << "/tmp/a.TxT";
        QTest::newRow("text") << "notes.text"
                              << "notes.text.txt";
        QTest::newRow("shorter than four") << "txt"
                                           << "txt.txt";
        QTest::newRow("only the extension") << ".txt"
                                            << ".txt";
        QTest::newRow("txt inside") << "a.txt.bak"
                                    << "a.txt.bak.txt";
        QTest::newRow("chinese") << QStringLiteral("笔记") << QStringLiteral("笔记.txt");
    }
    void theSaveNameRule()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, saved);
        QCOMPARE(withTxtExtension(chosen), saved);
    }

    void theMainMenuAlwaysAppends_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("saved");
        QTest::newRow("typed") << "notes"
                               << "notes.txt";
        QTest::newRow("picked") << "lesson.txt"
                                << "lesson.txt.txt";
        QTest::newRow("upper case") << "NOTES.TXT"
                                    << "NOTES.TXT.txt";
    }
    void theMainMenuAlwaysAppends()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, saved);
        QCOMPARE(withTxtAppended(chosen), saved);
    }

    void everyCourseLessonIsSavedByteForByte()
    {
        QTemporaryDir dir;
        const QDir course(QStringLiteral(QUORVANE_CONTENT_DIR "/wyf"));
        const QStringList names = course.entryList({QStringLiteral("*.txt")}, QDir::Files);
        QCOMPARE(names.size(), 203);
        LessonMemo memo;
        for (const QString& name : names) {
            const QByteArray lesson = contentOf(course.filePath(name));
            memo.setText(lesson);
            const QString saved = dir.filePath(name);
            saveTextFile(saved, memo.text());
            QCOMPARE(contentOf(saved), LessonMemo::withCrLf(lesson));
            // The course is already CR LF throughout: the file comes back as it was.
            QCOMPARE(contentOf(saved), lesson);
        }
    }

    void invalidBytesAndLoneLineEndsAreSavedAsThePaneHoldsThem()
    {
        QTemporaryDir dir;
        const QByteArray lesson("\xC3\xFB\xB4\xCA\nline\r\xFF\xC3"
                                "0\x80\r\n\x81");
        LessonMemo memo;
        memo.setText(lesson);
        saveTextFile(dir.filePath("a.txt"), memo.text());
        QCOMPARE(contentOf(dir.filePath("a.txt")), QByteArray("\xC3\xFB\xB4\xCA\r\nline\r\n\xFF\xC3"
                                                              "0\x80\r\n\x81"));
    }

    void anEmptyTextGivesAnEmptyFile()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("old.txt"), "old content");
        saveTextFile(dir.filePath("old.txt"), QByteArray());
        QVERIFY(QFileInfo::exists(dir.filePath("old.txt")));
        QCOMPARE(contentOf(dir.filePath("old.txt")), QByteArray());
    }

    void anExistingFileIsReplacedWhole()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("notes.txt");
        writeFile(path, QByteArray(5000, 'x'));
        saveTextFile(path, "short\r\n");
        QCOMPARE(contentOf(path), QByteArray("short\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList({"notes.txt"}));
    }

    void aFolderThatDoesNotExistIsReported()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("missing/notes.txt");
        try {
            saveTextFile(path, "text");
            QFAIL("the save did not fail");
        } catch (const Error& error) {
            QVERIFY2(error.message().contains(path), qPrintable(error.message()));
        }
        QVERIFY(!QFileInfo::exists(dir.filePath("missing")));
    }

    void aWriteThatFailsPartWayKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("notes.txt");
        writeFile(path, "the old notes\r\n");
        const QByteArray text = QByteArray(100000, 'n') + "\r\n";
        FillingSaveFile file(path, 4096);
        try {
            saveTextFile(file, text);
            QFAIL("the save did not fail");
        } catch (const Error& error) {
            QVERIFY2(error.message().contains(QStringLiteral("notes.txt")),
                     qPrintable(error.message()));
        }
        // Checked while the file object still lives: nothing relies on its
        // destructor to clean up.
        QCOMPARE(contentOf(path), QByteArray("the old notes\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
                 QStringList({"notes.txt"}));
    }

    void aWriteThatFailsPartWayLeavesNoNewFile()
    {
        QTemporaryDir dir;
        FillingSaveFile file(dir.filePath("new.txt"), 10);
        QVERIFY_THROWS_EXCEPTION(Error, saveTextFile(file, "more than ten bytes"));
        QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).isEmpty());
    }

    void aFileWithRoomEnoughIsWritten()
    {
        QTemporaryDir dir;
        FillingSaveFile file(dir.filePath("new.txt"), 100);
        saveTextFile(file, "fits");
        QCOMPARE(contentOf(dir.filePath("new.txt")), QByteArray("fits"));
    }
};

QTEST_MAIN(TestTextSaver)
#include "tst_textsaver.moc"
