#include "catalogue/LessonList.h"
#include "catalogue/LessonTrees.h"
#include "platform/Gbk.h"

#include <QDir>
#include <QStringDecoder>
#include <QtTest>

using namespace quorvane;

namespace {

const QString kContent = QStringLiteral(QUORVANE_CONTENT_DIR);

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

bool strictGbk(const QByteArray& bytes)
{
    QStringDecoder decoder("GBK", QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    // ICU maps a lone 0xFF to a private-use character without an error.
    return !decoder.hasError() && !text.contains(QChar(0xF8F5)) && !text.contains(QChar::ReplacementCharacter);
}

bool onlyCrLf(const QByteArray& bytes)
{
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))
            return false;
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            return false;
    }
    return true;
}

} // namespace

class TestCourse : public QObject {
    Q_OBJECT

private slots:
    void lessonListNamesEveryAnimationLessonOnce()
    {
        const QByteArray bytes = readFile(kContent + QStringLiteral("/fyf/list.txt"));
        QVERIFY(strictGbk(bytes));
        QVERIFY(onlyCrLf(bytes));
        const QList<QByteArray> lines = LessonList::splitLines(bytes);
        QMap<QByteArray, int> titles;
        QSet<QByteArray> movies;
        for (const QByteArray& line : lines) {
            const LessonEntry entry(line);
            ++titles[entry.title()];
            QVERIFY2(!entry.movieFile().isEmpty(), line.constData());
            movies.insert(entry.movieFile());
        }
        const LessonTree& tree = animationTree();
        int lessons = 0;
        for (int node = 0; node < tree.count(); ++node) {
            if (tree.isChapter(node))
                continue;
            ++lessons;
            QVERIFY2(titles.value(tree.caption(node)) == 1,
                     qPrintable(gbk::toUnicode(tree.caption(node))));
        }
        QCOMPARE(lines.size(), lessons);
        QCOMPARE(movies.size(), lessons);
    }

    void everyTextNodeHasItsLessonInGbkWithCrLfAndItsCaptionFirst()
    {
        const LessonTree& tree = textTree();
        for (int node = 0; node < tree.count(); ++node) {
            const QString path = kContent + QStringLiteral("/wyf/%1.txt").arg(node + 1);
            QVERIFY2(QFile::exists(path), qPrintable(path));
            const QByteArray bytes = readFile(path);
            QVERIFY2(!bytes.isEmpty(), qPrintable(path));
            QVERIFY2(!bytes.startsWith("\xEF\xBB\xBF"), qPrintable(path));
            QVERIFY2(strictGbk(bytes), qPrintable(path));
            QVERIFY2(onlyCrLf(bytes), qPrintable(path));
            const QByteArray firstLine = bytes.left(bytes.indexOf("\r\n"));
            QCOMPARE(firstLine.trimmed(), tree.caption(node).trimmed());
        }
        // Nothing beyond the tree's last node.
        QVERIFY(!QFile::exists(kContent + QStringLiteral("/wyf/%1.txt").arg(tree.count() + 1)));
    }
};

QTEST_GUILESS_MAIN(TestCourse)
#include "tst_course.moc"
