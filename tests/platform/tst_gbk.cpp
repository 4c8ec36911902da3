#include "platform/Gbk.h"

#include <QtTest>

using namespace quorvane;

class TestGbk : public QObject {
    Q_OBJECT

private slots:
    void knownBytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("noun") << QStringLiteral("名词") << QByteArray("\xC3\xFB\xB4\xCA");
        QTest::newRow("full-width colon") << QStringLiteral("：") << QByteArray("\xA3\xBA");
        QTest::newRow("full-width QQ") << QStringLiteral("ＱＱ") << QByteArray("\xA3\xD1\xA3\xD1");
        QTest::newRow("ellipsis") << QStringLiteral("……") << QByteArray("\xA1\xAD\xA1\xAD");
        QTest::newRow("curly quotes") << QStringLiteral("“”") << QByteArray("\xA1\xB0\xA1\xB1");
        QTest::newRow("ascii") << QStringLiteral("I am a student.") << QByteArray("I am a student.");
    }
    void knownBytes()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(gbk::fromUnicode(text), bytes);
        QCOMPARE(gbk::toUnicode(bytes), text);
    }

    void invalidBytesDecodeWithoutLosingTheRest()
    {
        // A lead byte followed by an ASCII digit is no character, and a lead
        // byte at the very end must not swallow what precedes it.
        const QString decoded = gbk::toUnicode(QByteArray("A\xC3" "0B\xC3"));
        QVERIFY(decoded.startsWith(u'A'));
        QVERIFY(decoded.contains(u'B'));
        QVERIFY(decoded.size() >= 4);
    }

    void charactersOutsideGbkAreDetected()
    {
        QVERIFY(gbk::canEncode(QStringLiteral("名词复数的规则变化")));
        QVERIFY(!gbk::canEncode(QString::fromUtf8("\xF0\x9F\x98\x80")));
        QCOMPARE(gbk::fromUnicode(QString::fromUtf8("a\xF0\x9F\x98\x80" "b")), QByteArray("a?b"));
    }
};

QTEST_GUILESS_MAIN(TestGbk)
#include "tst_gbk.moc"
