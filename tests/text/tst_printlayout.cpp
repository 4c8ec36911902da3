#include "text/PrintLayout.h"

#include <QtTest>

using namespace quorvane;

namespace {

// A page of fixed glyph widths: 'i' is 1 unit wide, other ASCII characters
// 10, everything else (Han characters) 20. Lines are 12 high, the average
// character 10 wide, so tab stops fall every 80 units.
class MeasuringCanvas : public PrintCanvas {
public:
    MeasuringCanvas(int width, int height) : m_width(width), m_height(height) {}

    int pageWidth() const override { return m_width; }
    int pageHeight() const override { return m_height; }
    int averageCharWidth() const override { return 10; }
    int fontHeight() const override { return 12; }
    int textWidth(QStringView text) const override
    {
        int width = 0;
        for (QChar c : text)
            width += c == u'i' ? 1 : c.unicode() < 0x80 ? 10 : 20;
        return width;
    }
    int textHeight(QStringView text) const override { return text.isEmpty() ? 0 : 12; }
    void drawText(int x, int y, QStringView text) override
    {
        m_operations << QStringLiteral("%1,%2 %3").arg(x).arg(y).arg(text);
    }
    void newPage() override { m_operations << QStringLiteral("page"); }

    const QStringList& operations() const { return m_operations; }

private:
    int m_width;
    int m_height;
    QStringList m_operations;
};

QStringList layOut(const QList<QByteArray>& lines, int width = 1000, int height = 1000)
{
    MeasuringCanvas canvas(width, height);
    layOutLines(lines, canvas);
    return canvas.operations();
}

// 名 and 词 in GBK.
const QByteArray kMing("\xC3\xFB");
const QByteArray kCi("\xB4\xCA");

} // namespace

class TestPrintLayout : public QObject {
    Q_OBJECT

private slots:
    void linesAreTwoUnitsFurtherApartThanTheyAreHigh()
    {
        QCOMPARE(layOut({"ab", "cd", "e"}), QStringList({"0,0 ab", "0,14 cd", "0,28 e"}));
    }

    void emptyLinesAdvanceByTheFontHeight()
    {
        QCOMPARE(layOut({"", "", "x", "", "y"}), QStringList({"0,24 x", "0,50 y"}));
    }

    void anEmptyPaneDrawsNothing() { QCOMPARE(layOut({}), QStringList()); }

    void tabsStopAtMultiplesOfEightAverageWidths_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QStringList>("drawn");
        QTest::newRow("from 0") << QByteArray("\tx") << QStringList({"80,0 x"});
        QTest::newRow("from 10") << QByteArray("a\tb") << QStringList({"0,0 a", "80,0 b"});
        QTest::newRow("from t - 2")
            << QByteArray(78, 'i') + "\tb" << QStringList({"0,0 " + QString(78, u'i'), "80,0 b"});
        QTest::newRow("from t - 1")
            << QByteArray(79, 'i') + "\tb" << QStringList({"0,0 " + QString(79, u'i'), "160,0 b"});
        QTest::newRow("from t") << QByteArray(80, 'i') + "\tb"
                                << QStringList({"0,0 " + QString(80, u'i'), "160,0 b"});
        QTest::newRow("two tabs") << QByteArray("\t\tb") << QStringList({"160,0 b"});
    }
    void tabsStopAtMultiplesOfEightAverageWidths()
    {
        QFETCH(QByteArray, line);
        QFETCH(QStringList, drawn);
        QCOMPARE(layOut({line}), drawn);
    }

    void aTabPastThePageEdgeBreaksTheLine()
    {
        // 90 units, then the stop at 160 lies beyond the 100-unit page.
        QCOMPARE(layOut({"aaaaaaaaa\tb", "c"}, 100),
                 QStringList({"0,0 aaaaaaaaa", "0,14 b", "0,28 c"}));
        // A stop exactly at the edge breaks nothing by itself (a break there
        // would put c at 26), though no text fits after it.
        QCOMPARE(layOut({"a\t", "c"}, 80), QStringList({"0,0 a", "0,14 c"}));
        QCOMPARE(layOut({"a\tb"}, 80), QStringList({"0,0 a", "0,14 b"}));
    }

    void aCarriageReturnEndsARunAndMovesNothing()
    {
        QCOMPARE(layOut({"ab\rcd"}), QStringList({"0,0 ab", "20,0 cd"}));
    }

    void aFormFeedStartsANewPageMidLine()
    {
        QCOMPARE(layOut({"ab\fcd", "e"}), QStringList({"0,0 ab", "page", "0,0 cd", "0,14 e"}));
    }

    void aFormFeedKeepsTheLineHeight()
    {
        // The height of "ab" still counts for the line break after the feed.
        QCOMPARE(layOut({"ab\f", "e"}), QStringList({"0,0 ab", "page", "0,14 e"}));
    }

    void aLineWiderThanThePageGoesOnInTheNextLine()
    {
        QCOMPARE(layOut({"abcdefghijkl", "m"}, 100),
                 QStringList({"0,0 abcdefghij", "0,14 kl", "0,28 m"}));
        QCOMPARE(layOut({"abcdefghijklmnopqrstuvwxy"}, 100),
                 QStringList({"0,0 abcdefghij", "0,14 klmnopqrst", "0,28 uvwxy"}));
    }

    void aRunAfterATabFillsOnlyTheRestOfTheLine()
    {
        QCOMPARE(layOut({"\tabcd"}, 100), QStringList({"80,0 ab", "0,14 cd"}));
    }

    void aDoubleByteCharacterIsNeverSplit()
    {
        // a b 名 词 are 10, 10, 20, 20 wide; 35 units hold "ab" but not "ab名".
        const QStringList drawn = layOut({"ab" + kMing + kCi}, 35);
        QCOMPARE(drawn,
                 QStringList({"0,0 ab", QStringLiteral("0,14 名"), QStringLiteral("0,28 词")}));
        // The cut may fall right after a double-byte character.
        QCOMPARE(layOut({"a" + kMing + kCi}, 30),
                 QStringList({QStringLiteral("0,0 a名"), QStringLiteral("0,14 词")}));
    }

    void aCharacterWiderThanThePageIsPrintedAlone()
    {
        // 名 is 20 units wide on a page of 15.
        QCOMPARE(layOut({kMing + "a", kMing + kMing, "a" + kMing, "b"}, 15),
                 QStringList({QStringLiteral("0,0 名"), "0,14 a", QStringLiteral("0,28 名"),
                              QStringLiteral("0,42 名"), "0,56 a", QStringLiteral("0,70 名"),
                              "0,84 b"}));
        // After a character wider than the page, a tab breaks the line.
        QCOMPARE(layOut({kMing + "\tb"}, 15), QStringList({QStringLiteral("0,0 名"), "0,14 b"}));
    }

    void aPageEndsWhenTheNextLineComesWithinTwoLineHeightsOfItsBottom()
    {
        // Height 50: after each line y is checked against 50 - 2 * 14 = 22.
        QCOMPARE(layOut({"1", "2", "3", "4", "5"}, 1000, 50),
                 QStringList({"0,0 1", "0,14 2", "page", "0,0 3", "0,14 4", "page", "0,0 5"}));
        // Height 56: y = 28 is not past 56 - 28, so a third line fits.
        QCOMPARE(layOut({"1", "2", "3", "4"}, 1000, 56),
                 QStringList({"0,0 1", "0,14 2", "0,28 3", "page", "0,0 4"}));
    }

    void theLastLineMayEndThePage()
    {
        // The break after the second line ends the page; the job's end then
        // finishes a blank one.
        QCOMPARE(layOut({"1", "2"}, 1000, 50), QStringList({"0,0 1", "0,14 2", "page"}));
    }

    void emptyLinesRunToTheBottomOfThePage()
    {
        // With no text the line height is 0, so only y > 50 ends the page:
        // after five empty lines (y = 60).
        QList<QByteArray> lines(5);
        lines << "x";
        QCOMPARE(layOut(lines, 1000, 50), QStringList({"page", "0,0 x"}));
        lines.removeAt(0);
        QCOMPARE(layOut(lines, 1000, 50), QStringList({"0,48 x", "page"}));
    }

    void aWrappedLineCanEndThePage()
    {
        QCOMPARE(layOut({"abcdefghijklmnopqrstuvwxy"}, 100, 50),
                 QStringList({"0,0 abcdefghij", "0,14 klmnopqrst", "page", "0,0 uvwxy"}));
    }

    void invalidBytesAreWholeCharacters()
    {
        // A lone 0xFF and a lead byte followed by a digit are one shown
        // character each; a tab after a lead byte belongs to it.
        const QStringList drawn = layOut({QByteArray("\xFF"
                                                     "a\xC3"
                                                     "0b\x81\tc")});
        QCOMPARE(drawn.size(), 1);
        QCOMPARE(drawn[0].left(4), QStringLiteral("0,0 "));
        QCOMPARE(drawn[0].size(), 4 + 6);
    }
};

QTEST_MAIN(TestPrintLayout)
#include "tst_printlayout.moc"
