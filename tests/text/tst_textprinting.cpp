#include "ScriptedPlatform.h"
#include "platform/Gbk.h"
#include "text/LessonMemo.h"
#include "text/PrintDialog.h"
#include "text/TextPrinting.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace quorvane;

namespace {

QByteArray run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return "<" + program.toUtf8() + " failed>";
    return process.readAllStandardOutput();
}

QString withoutSpaces(QString text)
{
    return text.remove(QRegularExpression(QStringLiteral("\\s")));
}

// The printed text of each page as pdftotext -layout reads it back: the
// lines that carry text, with white space removed (the reader spaces words
// by their positions, and Latin and Han runs come from different fonts).
QList<QStringList> printedPages(const QString& pdf)
{
    const QString text = QString::fromUtf8(run("pdftotext", {"-layout", pdf, "-"}));
    QList<QStringList> pages;
    for (const QString& page : text.split(u'\f')) {
        QStringList lines;
        for (const QString& line : page.split(u'\n')) {
            if (!withoutSpaces(line).isEmpty())
                lines << withoutSpaces(line);
        }
        pages << lines;
    }
    // pdftotext ends the last page with a form feed too.
    pages.removeLast();
    return pages;
}

int pageCount(const QString& pdf)
{
    const QString info = QString::fromUtf8(run("pdfinfo", {pdf}));
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(info);
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

std::unique_ptr<QPrinter> pdfPrinter(const QString& path)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    printer->setPageSize(QPageSize(QPageSize::A4));
    return printer;
}

// Where the pages end when every printed line fits across the page, by the
// vertical rules alone: a line with text advances by the font height plus
// 2, an empty one by the font height, and a page ends once y has passed the
// page height less two line heights. Each page lists its lines with text.
QList<QStringList> expectedPages(const QList<QString>& printedLines, int fontHeight, int pageHeight)
{
    QList<QStringList> pages(1);
    int y = 0;
    for (const QString& line : printedLines) {
        const int h = line.isEmpty() ? 0 : fontHeight + 2;
        if (!line.isEmpty())
            pages.last() << line;
        y += h != 0 ? h : fontHeight;
        if (y > pageHeight - 2 * h) {
            pages.append(QStringList());
            y = 0;
        }
    }
    return pages;
}

QList<QString> shown(const QList<QByteArray>& lines)
{
    QList<QString> result;
    for (const QByteArray& line : lines)
        result << withoutSpaces(gbk::toUnicode(line));
    return result;
}

QByteArray courseLesson(int number)
{
    QFile file(QStringLiteral(QUORVANE_CONTENT_DIR "/wyf/%1.txt").arg(number));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QFont paneFont()
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(12);
    return font;
}

} // namespace

class TestTextPrinting : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A lesson with a paragraph several times as wide as a page.
        m_lesson = courseLesson(2);
        QVERIFY(!m_lesson.isEmpty());
        QByteArray paragraph;
        for (int i = 0; i < 6; ++i)
            paragraph +=
                gbk::fromUnicode(QStringLiteral("名词复数的规则变化是英语语法的基础，"
                                                "学习时要多读多写。Nouns have plural forms. "));
        m_lesson += paragraph + "\r\n\r\n" + m_lesson;
        m_paragraph = gbk::toUnicode(paragraph);
        m_memo.resize(560, 400);
        m_memo.setFont(paneFont());
        m_memo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_memo));
        m_memo.setText(m_lesson);
    }

    void pixelSizedFontsKeepTheirPointSize()
    {
        QCOMPARE(pointSizedFont(paneFont(), 96).pointSizeF(), 9.0);
        QFont big(QStringLiteral("Arial"));
        big.setPixelSize(16);
        QCOMPARE(pointSizedFont(big, 96).pointSizeF(), 12.0);
        QCOMPARE(pointSizedFont(big, 120).pointSizeF(), 9.6);
        QFont points(QStringLiteral("Arial"), 14);
        points.setBold(true);
        const QFont kept = pointSizedFont(points, 96);
        QCOMPARE(kept.pointSizeF(), 14.0);
        QVERIFY(kept.bold());
        QCOMPARE(kept.family(), QStringLiteral("Arial"));
    }

    void wrappedPanePrintsItsScreenLines()
    {
        m_memo.setScrollBars(LessonMemo::ScrollBars::Vertical);
        const QList<QByteArray> lines = m_memo.lines();
        // The long paragraph is several screen lines.
        QVERIFY(lines.size() > m_lesson.count("\r\n") + 3);
        const QString pdf = m_dir.filePath("wrapped.pdf");
        auto printer = pdfPrinter(pdf);
        const QFont font = pointSizedFont(m_memo.font(), m_memo.logicalDpiY());
        QVERIFY(printLines(*printer, lines, font, Qt::black));

        const QFontMetrics metrics(font, printer.get());
        const int pageHeight =
            printer->pageLayout().paintRectPixels(printer->resolution()).height();
        const QList<QStringList> expected =
            expectedPages(shown(lines), metrics.ascent() + metrics.descent(), pageHeight);
        QVERIFY(expected.size() >= 2);
        QCOMPARE(printedPages(pdf), expected);
        QCOMPARE(pageCount(pdf), expected.size());
    }

    void unwrappedPaneBreaksLinesOnlyAtThePageWidth()
    {
        m_memo.setScrollBars(LessonMemo::ScrollBars::Both);
        const QList<QByteArray> lines = m_memo.lines();
        // The lesson ends with a line end, and a last empty line is not counted.
        QVERIFY(m_lesson.endsWith("\r\n"));
        QCOMPARE(lines.size(), m_lesson.count("\r\n"));
        const QString pdf = m_dir.filePath("unwrapped.pdf");
        auto printer = pdfPrinter(pdf);
        const QFont font = pointSizedFont(m_memo.font(), m_memo.logicalDpiY());
        QVERIFY(printLines(*printer, lines, font, Qt::black));

        // Every pane line is one printed line, or, when wider than the page,
        // goes on over as many lines as the page width makes it.
        QStringList printed;
        for (const QStringList& page : printedPages(pdf))
            printed << page;
        QList<QString> expectedLines;
        qsizetype next = 0;
        for (const QString& line : shown(lines)) {
            if (line.isEmpty()) {
                expectedLines << line;
                continue;
            }
            QString joined;
            int pieces = 0;
            while (joined.size() < line.size() && next < printed.size()) {
                joined += printed[next];
                expectedLines << printed[next++];
                ++pieces;
            }
            QCOMPARE(joined, line);
            // The paragraph is about two and a half page widths of text.
            if (line == withoutSpaces(m_paragraph))
                QVERIFY2(pieces >= 3 && pieces <= 4, qPrintable(QString::number(pieces)));
        }
        QCOMPARE(next, printed.size());

        const QFontMetrics metrics(font, printer.get());
        const int pageHeight =
            printer->pageLayout().paintRectPixels(printer->resolution()).height();
        const QList<QStringList> expected =
            expectedPages(expectedLines, metrics.ascent() + metrics.descent(), pageHeight);
        QCOMPARE(printedPages(pdf), expected);
        QCOMPARE(pageCount(pdf), expected.size());
    }

    void theTextHasThePanesPointSizeOnPaper()
    {
        // A 12-pixel pane font is 9 points on paper; its line box measures
        // a little more than the point size.
        const QString pdf = m_dir.filePath("size.pdf");
        auto printer = pdfPrinter(pdf);
        QVERIFY(printLines(*printer, {"Size"}, pointSizedFont(paneFont(), 96), Qt::black));
        const QString boxes = QString::fromUtf8(run("pdftotext", {"-bbox", pdf, "-"}));
        const QRegularExpressionMatch word =
            QRegularExpression(
                QStringLiteral("yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"([\\d.]+)\">Size<"))
                .match(boxes);
        QVERIFY2(word.hasMatch(), qPrintable(boxes));
        const double height = word.captured(2).toDouble() - word.captured(1).toDouble();
        QVERIFY2(height > 9.0 && height < 12.0, qPrintable(QString::number(height)));
    }

    void theTextIsPrintedInTheColourChosenWithTheFont()
    {
        LessonMemo memo;
        memo.resize(400, 200);
        memo.setText(gbk::fromUnicode(QStringLiteral("Red letters 红色的字")));
        QFont big(QStringLiteral("Arial"));
        big.setPixelSize(40);
        big.setBold(true);
        memo.setFontChoice({big, QColor(200, 0, 0)});
        QCOMPARE(memo.fontChoice().colour, QColor(200, 0, 0));

        testing::ScriptedPlatform platform;
        const QString pdf = m_dir.filePath("coloured.pdf");
        platform.queuePrinterAccepted(true);
        platform.onPrinterAccepted = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
        };
        PrintDialog dialog;
        printPaneText(memo, dialog, platform, nullptr, {QStringLiteral("failed"), QString()});
        QVERIFY(platform.callsOfKind("notice").isEmpty());

        const QString page = m_dir.filePath("coloured");
        run("pdftoppm", {"-r", "40", "-png", "-singlefile", pdf, page});
        const QImage image(page + ".png");
        QVERIFY(!image.isNull());
        int red = 0;
        int dark = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel.red() > 150 && pixel.green() < 80 && pixel.blue() < 80)
                    ++red;
                else if (pixel.red() < 80 && pixel.green() < 80 && pixel.blue() < 80)
                    ++dark;
            }
        }
        QVERIFY2(red > 50, qPrintable(QString::number(red)));
        QCOMPARE(dark, 0);
    }

    void anEmptyPanePrintsOneBlankPage()
    {
        const QString pdf = m_dir.filePath("empty.pdf");
        auto printer = pdfPrinter(pdf);
        LessonMemo empty;
        QVERIFY(empty.lines().isEmpty());
        QVERIFY(printLines(*printer, empty.lines(), paneFont(), Qt::black));
        QCOMPARE(pageCount(pdf), 1);
        QCOMPARE(printedPages(pdf), QList<QStringList>({{}}));
    }

    void aFormFeedStartsANewPage()
    {
        const QString pdf = m_dir.filePath("feed.pdf");
        auto printer = pdfPrinter(pdf);
        QVERIFY(printLines(*printer, {"one\ftwo", "three"}, paneFont(), Qt::black));
        QCOMPARE(printedPages(pdf), QList<QStringList>({{"one"}, {"two", "three"}}));
    }

    void eachCopyStartsOnANewPage()
    {
        const QString pdf = m_dir.filePath("copies.pdf");
        auto printer = pdfPrinter(pdf);
        printer->setCopyCount(3);
        QVERIFY(!printer->supportsMultipleCopies());
        QVERIFY(printLines(*printer, {"one", "two"}, paneFont(), Qt::black));
        QCOMPARE(printedPages(pdf),
                 QList<QStringList>({{"one", "two"}, {"one", "two"}, {"one", "two"}}));
    }

    void aPrinterThatCannotOpenItsOutputFails()
    {
        auto printer = pdfPrinter(m_dir.filePath("missing/folder/out.pdf"));
        QVERIFY(!printLines(*printer, {"text"}, paneFont(), Qt::black));
        // The same printer takes the next job.
        printer->setOutputFileName(m_dir.filePath("again.pdf"));
        QVERIFY(printLines(*printer, {"again"}, paneFont(), Qt::black));
        QCOMPARE(printedPages(m_dir.filePath("again.pdf")), QList<QStringList>({{"again"}}));
    }

private:
    QTemporaryDir m_dir;
    QByteArray m_lesson;
    QString m_paragraph;
    LessonMemo m_memo;
};

QTEST_MAIN(TestTextPrinting)
#include "tst_textprinting.moc"
