#include "platform/Gbk.h"
#include "speech/LanguageRuns.h"
#include "speech/SpeechText.h"

#include <QtTest>

using namespace quorvane;

namespace {

QByteArray replaced(const QString& text)
{
    return ReplaceSpeechSymbols(gbk::fromUnicode(text));
}

} // namespace

class TestSpeechText : public QObject {
    Q_OBJECT

private slots:
    void examples()
    {
        QCOMPARE(replaced("Hello, world."), QByteArray("Hello,,world,"));
        QCOMPARE(gbk::toUnicode(replaced("例如：I am a student.")),
                 QStringLiteral("例如,I,am,a,student,"));
        QCOMPARE(PrepareSpeechText("Hello, world.", false),
                 QStringLiteral("<lang langid=\"804\">Hello,,world,"));
    }

    void everySymbolBecomesOneComma()
    {
        const QString symbols = QStringLiteral("!_ ，.?？（）(){}[]。！：:“”\"/…-");
        QCOMPARE(symbols.size(), 25);
        for (QChar symbol : symbols) {
            const QString text = QStringLiteral("甲") + symbol + QStringLiteral("乙");
            QCOMPARE(gbk::toUnicode(replaced(text)), QStringLiteral("甲,乙"));
        }
        QCOMPARE(replaced(symbols), QByteArray(25, ','));
        QCOMPARE(replaced("……"), QByteArray(",,"));
    }

    void otherCharactersPass()
    {
        const QString kept = QStringLiteral("a,b;c'd、e；f\r\n7<g>&h 好");
        QCOMPARE(gbk::toUnicode(replaced(kept)), QStringLiteral("a,b;c'd、e；f\r\n7<g>&h,好"));
    }

    void secondBytesNeverStartAMatch_data()
    {
        QTest::addColumn<QByteArray>("character");
        QTest::newRow("_") << QByteArray("\x81\x5F");
        QTest::newRow("[") << QByteArray("\x81\x5B");
        QTest::newRow("]") << QByteArray("\x81\x5D");
        QTest::newRow("{") << QByteArray("\x81\x7B");
        QTest::newRow("}") << QByteArray("\x82\x7D");
        QTest::newRow("!") << QByteArray("\x81\x21"); // an invalid pair is still one character
        QTest::newRow("- after invalid lead") << QByteArray("\xFE\x2D");
    }
    void secondBytesNeverStartAMatch()
    {
        QFETCH(QByteArray, character);
        const QByteArray text = "a" + character + "b}";
        QCOMPARE(ReplaceSpeechSymbols(text), "a" + character + "b,");
    }

    void aFullWidthSymbolIsFoundAfterADoubleByteCharacter()
    {
        // "好" then "，": the comma's bytes must not be matched across the
        // boundary from the character before.
        QCOMPARE(gbk::toUnicode(replaced(QStringLiteral("好，好"))), QStringLiteral("好,好"));
    }

    void readSymbolsKeepsTheText()
    {
        const QByteArray text = gbk::fromUnicode(QStringLiteral("例如：I am.\r\n（好）"));
        QCOMPARE(PrepareSpeechText(text, true),
                 QStringLiteral("<lang langid=\"804\">例如：I am.\r\n（好）"));
        QCOMPARE(PrepareSpeechText({}, false), QStringLiteral("<lang langid=\"804\">"));
    }

    void languageRuns()
    {
        const auto runs = splitLanguageRuns(PrepareSpeechText(
            gbk::fromUnicode(QStringLiteral("例如：I am a student.好，12年")), false));
        QCOMPARE(runs.size(), size_t(3));
        QCOMPARE(QString::fromLatin1(runs[0].voice), QStringLiteral("cmn-latn-pinyin"));
        QCOMPARE(runs[0].text, QStringLiteral("例如"));
        QCOMPARE(QString::fromLatin1(runs[1].voice), QStringLiteral("en"));
        QCOMPARE(runs[1].text, QStringLiteral(",I,am,a,student,"));
        // Digits and commas without a letter stay with the Chinese around them.
        QCOMPARE(QString::fromLatin1(runs[2].voice), QStringLiteral("cmn-latn-pinyin"));
        QCOMPARE(runs[2].text, QStringLiteral("好,12年"));

        const auto untagged = splitLanguageRuns(QStringLiteral("plain text"));
        QCOMPARE(untagged.size(), size_t(1));
        QCOMPARE(QString::fromLatin1(untagged[0].voice), QStringLiteral("en"));
    }

    void piecesEndAtLinesAndStayShort()
    {
        QString line;
        for (int i = 0; i < 30; ++i)
            line += QStringLiteral("这是一个句子,");
        const QString input = QStringLiteral("<lang langid=\"804\">第一行\r\n") + line +
                              QStringLiteral("I,am,a,student,\r\n") + QString(250, u'好');
        const auto pieces = splitSpeechPieces(input);

        // Together they are the language runs, each voice's text in order.
        QString chinese;
        QString english;
        for (const LanguageRun& piece : pieces) {
            QVERIFY(!piece.text.isEmpty());
            QVERIFY(piece.text.size() <= kLongestSpeechPiece);
            (piece.voice == kEnglishVoice ? english : chinese) += piece.text;
        }
        QCOMPARE(english, QStringLiteral(",I,am,a,student,"));
        QCOMPARE(chinese, input.mid(input.indexOf(u'>') + 1).remove(english));

        QCOMPARE(pieces[0].text, QStringLiteral("第一行\r\n"));
        // A long line is cut after its last comma within reach.
        QCOMPARE(pieces[1].text.size(), 196);
        QVERIFY(pieces[1].text.endsWith(u','));
        // Without a pause to cut at, at the longest a piece may be.
        QCOMPARE(pieces.back().text, QString(50, u'好'));
        QCOMPARE(pieces[pieces.size() - 2].text, QString(200, u'好'));
    }
};

QTEST_GUILESS_MAIN(TestSpeechText)
#include "tst_speechtext.moc"
