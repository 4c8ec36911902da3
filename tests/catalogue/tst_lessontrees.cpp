#include "catalogue/LessonTrees.h"
#include "platform/Gbk.h"

#include <QSet>
#include <QtTest>

using namespace quorvane;

namespace {

struct ChapterShape {
    int flatIndex;
    int lessons;
};

void verifyShape(const LessonTree& tree, const QList<ChapterShape>& expected)
{
    QCOMPARE(tree.chapters().size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        const int chapter = expected[i].flatIndex;
        QCOMPARE(tree.chapters()[i], chapter);
        QVERIFY(tree.isChapter(chapter));
        QVERIFY(tree.hasChildren(chapter));
        const QList<int> lessons = tree.children(chapter);
        QCOMPARE(lessons.size(), expected[i].lessons);
        for (int k = 0; k < lessons.size(); ++k) {
            QCOMPARE(lessons[k], chapter + 1 + k);
            QCOMPARE(tree.parent(lessons[k]), chapter);
            QVERIFY(!tree.hasChildren(lessons[k]));
        }
    }
}

} // namespace

class TestLessonTrees : public QObject {
    Q_OBJECT

private slots:
    void counts()
    {
        QCOMPARE(animationTree().chapters().size(), 15);
        QCOMPARE(animationTree().count(), 154);
        QCOMPARE(textTree().chapters().size(), 20);
        QCOMPARE(textTree().count(), 203);
    }

    void animationChapters()
    {
        verifyShape(animationTree(), {{0, 11},   {12, 4},   {17, 13},  {31, 6},   {38, 13},
                                      {52, 6},   {59, 9},   {69, 5},   {75, 19},  {95, 12},
                                      {108, 17}, {126, 4},  {131, 6},  {138, 5},  {144, 9}});
    }

    void textChapters()
    {
        verifyShape(textTree(), {{0, 7},    {8, 6},    {15, 20},  {36, 13},  {50, 9},
                                 {60, 2},   {63, 15},  {79, 12},  {92, 8},   {101, 2},
                                 {104, 28}, {133, 7},  {141, 5},  {147, 7},  {155, 6},
                                 {162, 9},  {172, 5},  {178, 9},  {188, 10}, {199, 3}});
    }

    void animationCaptionBytes_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray noun("\xC3\xFB\xB4\xCA");
        const QByteArray article("\xB9\xDA\xB4\xCA");
        const QByteArray numeral("\xCA\xFD\xB4\xCA");
        const QByteArray subjunctive("\xD0\xE9\xC4\xE2\xD3\xEF\xC6\xF8");
        QTest::newRow("0") << 0 << noun;
        QTest::newRow("1") << 1 << noun;
        QTest::newRow("2") << 2 << QByteArray("\xBF\xC9\xCA\xFD\xC3\xFB\xB4\xCA");
        QTest::newRow("12") << 12 << article;
        QTest::newRow("13") << 13 << article;
        QTest::newRow("31") << 31 << numeral;
        QTest::newRow("32") << 32 << numeral;
        QTest::newRow("126") << 126 << subjunctive;
        QTest::newRow("127") << 127 << subjunctive;
    }
    void animationCaptionBytes()
    {
        QFETCH(int, index);
        QFETCH(QByteArray, bytes);
        QCOMPARE(animationTree().caption(index), bytes);
    }

    void textCaptionBytes_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("31 curly quotes")
            << 31 << QByteArray("\xA1\xB0the\xA1\xB1\xB5\xC4\xC3\xEE\xD3\xC3");
        QTest::newRow("136 ascii quotes and blank")
            << 136
            << QByteArray("\xB1\xED\xCA\xBE\"\xBE\xDD\xCB\xB5\"\xBB\xF2\"\xCF\xE0\xD0\xC5\" "
                          "\xB5\xC4\xB4\xCA\xD7\xE9");
        QTest::newRow("171 ascii quotes")
            << 171 << QByteArray("need \"\xB2\xBB\xB1\xD8\xD7\xF6\"\xBA\xCD\"\xB1\xBE\xB2\xBB"
                                 "\xB8\xC3\xD7\xF6\"");
        QTest::newRow("198 ellipses")
            << 198
            << QByteArray("\xB1\xED\xCA\xBE\"\xD2\xBB\xA1\xAD\xBE\xCD\xA1\xAD\"\xB5\xC4\xBD\xE1"
                          "\xB9\xB9");
        QTest::newRow("202 trailing blank")
            << 202 << QByteArray("\xB1\xED\xCA\xBE\xD1\xA1\xD4\xF1\xB5\xC4\xB2\xA2\xC1\xD0\xBD\xE1"
                                 "\xB9\xB9 ");
    }
    void textCaptionBytes()
    {
        QFETCH(int, index);
        QFETCH(QByteArray, bytes);
        QCOMPARE(textTree().caption(index), bytes);
    }

    void textCaptionsAreDistinct()
    {
        QSet<QByteArray> seen;
        for (int i = 0; i < textTree().count(); ++i)
            seen.insert(textTree().caption(i));
        QCOMPARE(seen.size(), textTree().count());
    }

    void everyCaptionSurvivesGbk()
    {
        for (const LessonTree* tree : {&animationTree(), &textTree()}) {
            for (int i = 0; i < tree->count(); ++i) {
                const QByteArray& caption = tree->caption(i);
                QVERIFY2(!caption.isEmpty(), qPrintable(QString::number(i)));
                QVERIFY(!caption.contains('?'));
                QCOMPARE(gbk::fromUnicode(gbk::toUnicode(caption)), caption);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestLessonTrees)
#include "tst_lessontrees.moc"
