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
};

QTEST_MAIN(TestLessonMemo)
#include "tst_lessonmemo.moc"
