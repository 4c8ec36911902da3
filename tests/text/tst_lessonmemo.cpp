#include "platform/Gbk.h"
#include "text/LessonMemo.h"

#include <QtTest>

using namespace quorvane;

class TestLessonMemo : public QObject {
    Q_OBJECT

private slots:
    void lineEndsBecomeCrLf_data()
    {
        QTest::addColumn<QByteArray>("loaded");
        QTest::addColumn<QByteArray>("held");
        QTest::addColumn<int>("blocks");
        QTest::newRow("crlf") << QByteArray("a\r\nb\r\n") << QByteArray("a\r\nb\r\n") << 3;
        QTest::newRow("lone lf") << QByteArray("a\nb\nc") << QByteArray("a\r\nb\r\nc") << 3;
        QTest::newRow("lone cr") << QByteArray("a\rb") << QByteArray("a\r\nb") << 2;
        QTest::newRow("lf cr") << QByteArray("a\n\rb") << QByteArray("a\r\n\r\nb") << 3;
        QTest::newRow("empty") << QByteArray() << QByteArray() << 1;
    }
    void lineEndsBecomeCrLf()
    {
        QFETCH(QByteArray, loaded);
        QFETCH(QByteArray, held);
        QFETCH(int, blocks);
        LessonMemo memo;
        memo.setText("old text");
        memo.setText(loaded);
        QCOMPARE(memo.text(), held);
        QCOMPARE(memo.document()->blockCount(), blocks);
    }

    void showsDecodedChinese()
    {
        LessonMemo memo;
        memo.setText("\xC3\xFB\xB4\xCA\r\nnoun");
        QCOMPARE(memo.toPlainText(), QStringLiteral("名词\nnoun"));
        QCOMPARE(memo.textCursor().position(), 0);
        QVERIFY(!memo.textCursor().hasSelection());
    }

    void selectionIsHandedOnAsTheOriginalBytes()
    {
        LessonMemo memo;
        // An invalid pair (lead byte then a digit), a lone 0xFF and a lead
        // byte at the very end survive untouched.
        const QByteArray text("ab\xC3\xFB\r\n\xC3" "0x\xFFy\xB4");
        memo.setText(text);
        QTextCursor cursor = memo.textCursor();
        cursor.setPosition(2);
        cursor.setPosition(4, QTextCursor::KeepAnchor); // the character and the line end
        memo.setTextCursor(cursor);
        QCOMPARE(memo.selectedText(), QByteArray("\xC3\xFB\r\n"));
        memo.selectAll();
        QCOMPARE(memo.selectedText(), text);
        QCOMPARE(memo.text(), text);
        // A lead byte takes the byte after it, whatever it is.
        cursor.setPosition(4);
        cursor.setPosition(5, QTextCursor::KeepAnchor);
        memo.setTextCursor(cursor);
        QCOMPARE(memo.selectedText(), QByteArray("\xC3" "0"));
    }

    void noSelectionIsEmpty()
    {
        LessonMemo memo;
        memo.setText("abc");
        QVERIFY(memo.selectedText().isEmpty());
        QVERIFY(memo.isReadOnly());
        QVERIFY(!memo.tabChangesFocus());
    }

    void linesWithoutWrapping_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QList<QByteArray>>("lines");
        QTest::newRow("empty") << QByteArray() << QList<QByteArray>();
        QTest::newRow("one line end") << QByteArray("\r\n") << QList<QByteArray>({""});
        QTest::newRow("no last line end") << QByteArray("a\r\nb") << QList<QByteArray>({"a", "b"});
        QTest::newRow("last line end") << QByteArray("a\r\nb\r\n") << QList<QByteArray>({"a", "b"});
        QTest::newRow("empty lines")
            << QByteArray("a\r\n\r\n\r\nb\r\n\r\n") << QList<QByteArray>({"a", "", "", "b", ""});
        QTest::newRow("gbk and tabs")
            << QByteArray("\xC3\xFB\t\xB4\xCA\f\r\n\xFF\xC3\x30")
            << QList<QByteArray>({"\xC3\xFB\t\xB4\xCA\f", "\xFF\xC3\x30"});
    }
    void linesWithoutWrapping()
    {
        QFETCH(QByteArray, text);
        QFETCH(QList<QByteArray>, lines);
        LessonMemo memo;
        memo.resize(60, 200);
        memo.setScrollBars(LessonMemo::ScrollBars::Both);
        memo.setText(text + QByteArray(200, 'x'));
        memo.setText(text);
        QCOMPARE(memo.lines(), lines);
    }

    void wrappedLinesAreTheScreenLines()
    {
        // A paragraph of English and one of Chinese, each several times the
        // pane's width, between short lines.
        QByteArray english;
        for (int i = 0; i < 40; ++i)
            english += "word" + QByteArray::number(i) + " ";
        QByteArray chinese;
        for (int i = 0; i < 60; ++i)
            chinese += "\xC3\xFB\xB4\xCA";
        const QByteArray text = "first\r\n" + english + "\r\n" + chinese + "\r\nlast\r\n";
        LessonMemo memo;
        memo.resize(300, 400);
        memo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&memo));
        memo.setText(text);

        const QList<QByteArray> lines = memo.lines();
        QCOMPARE(lines.first(), QByteArray("first"));
        QCOMPARE(lines.last(), QByteArray("last"));
        const auto firstChinese =
            std::find_if(lines.begin(), lines.end(),
                         [](const QByteArray& line) { return line.startsWith("\xC3"); });
        QVERIFY(firstChinese != lines.end());
        const QList<QByteArray> englishLines(lines.begin() + 1, firstChinese);
        const QList<QByteArray> chineseLines(firstChinese, lines.end() - 1);
        QVERIFY2(englishLines.size() > 2, qPrintable(QString::number(englishLines.size())));
        QVERIFY2(chineseLines.size() > 2, qPrintable(QString::number(chineseLines.size())));
        QCOMPARE(englishLines.join(), english);
        QCOMPARE(chineseLines.join(), chinese);
        const QFontMetrics metrics(memo.font());
        for (const QList<QByteArray>& paragraph : {englishLines, chineseLines}) {
            for (const QByteArray& line : paragraph) {
                QVERIFY2(metrics.horizontalAdvance(gbk::toUnicode(line).trimmed()) <=
                             memo.viewport()->width(),
                         line.constData());
            }
        }
        // Whole words wrap: each English screen line ends at a space.
        for (const QByteArray& line : englishLines)
            QVERIFY2(line.endsWith(' '), line.constData());

        memo.setScrollBars(LessonMemo::ScrollBars::Both);
        QCOMPARE(memo.lines(), QList<QByteArray>({"first", english, chinese, "last"}));
    }

    void theScrollBarsFollowTheWrapping()
    {
        LessonMemo memo;
        QCOMPARE(memo.scrollBars(), LessonMemo::ScrollBars::Vertical);
        QCOMPARE(memo.lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        memo.setScrollBars(LessonMemo::ScrollBars::Both);
        QCOMPARE(memo.lineWrapMode(), QPlainTextEdit::NoWrap);
        QCOMPARE(memo.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(memo.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        memo.setScrollBars(LessonMemo::ScrollBars::Vertical);
        QCOMPARE(memo.lineWrapMode(), QPlainTextEdit::WidgetWidth);
        QCOMPARE(memo.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    }
};

QTEST_MAIN(TestLessonMemo)
#include "tst_lessonmemo.moc"
