// Text: Chinese in device fonts from SWF 6 (UTF-8) and SWF 5 (GBK) movies,
// the font names Flash movies use, Flash's HTML subset, edit text layout
// and static text drawn from embedded glyphs.

#include "StageRendering.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/text/Fonts.h"
#include "player/text/HtmlText.h"

#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QRawFont>
#include <QStringEncoder>
#include <QtTest>

using namespace quorvane;
using namespace quorvane::player;

namespace {

constexpr int kTwips = swf::kTwipsPerPixel;
const QRect kField(10, 10, 280, 50);
const QString kChinese = QStringLiteral("中文语法练习");

std::string utf8(const QString& text)
{
    return text.toStdString();
}

std::string gbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder.encode(text);
    return bytes.toStdString();
}

swf::DefineEditText field(std::uint16_t id, std::optional<std::string> text)
{
    swf::DefineEditText edit;
    edit.id = id;
    edit.bounds = swf::Rect{kField.left() * kTwips, (kField.right() + 1) * kTwips,
                            kField.top() * kTwips, (kField.bottom() + 1) * kTwips};
    edit.fontId = 1;
    edit.fontHeight = 24 * kTwips;
    edit.textColor = swf::Rgba{0, 0, 0, 255};
    edit.readOnly = true;
    edit.initialText = std::move(text);
    return edit;
}

// A device font (a DefineFont2 without glyphs) and an edit text in it.
swf::Movie deviceTextMovie(std::uint8_t version, const std::string& fontName,
                           std::optional<std::string> text, swf::DefineEditText edit = {})
{
    swf::DefineFont font;
    font.id = 1;
    font.name = fontName;
    if (edit.id == 0) {
        edit = field(2, std::move(text));
    }
    swf::Header header = fixtures::header(300, 120, 12, 1);
    header.version = version;
    return fixtures::movie(header,
                           {swf::Tag{swf::SetBackgroundColor{swf::Rgba{255, 255, 255, 255}}},
                            swf::Tag{font}, swf::Tag{edit}, swf::Tag{fixtures::place(1, edit.id)},
                            swf::Tag{swf::ShowFrame{}}});
}

bool isInk(QRgb pixel)
{
    return qGray(pixel) < 160;
}

struct Ink {
    int pixels = 0;
    QRect box;
};

Ink inkOf(const QImage& image, const QRect& area)
{
    Ink ink;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (isInk(image.pixel(x, y))) {
                ++ink.pixels;
                ink.box |= QRect(x, y, 1, 1);
            }
        }
    }
    return ink;
}

double overlap(const QRect& a, const QRect& b)
{
    const QRect both = a & b;
    const QRect either = a | b;
    return either.isEmpty()
               ? 0.0
               : double(both.width()) * both.height() / (double(either.width()) * either.height());
}

// The same string drawn straight with QPainter in the faces the font name
// maps to, where the field's first line goes: two pixels inside its bounds.
QImage referenceText(const QString& text, const QStringList& families)
{
    QImage image(300, 120, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(24);
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(font);
    painter.drawText(QPointF(kField.left() + 2, kField.top() + 2 + metrics.ascent()), text);
    painter.end();
    return image;
}

// A square glyph 1024 units on a side, standing on the baseline.
swf::Shape squareGlyph()
{
    swf::StyleChangeRecord start;
    start.moveTo = swf::Point{0, -1024};
    start.fillStyle1 = 1;
    swf::Shape glyph;
    glyph.records = {start, swf::StraightEdgeRecord{1024, 0}, swf::StraightEdgeRecord{0, 1024},
                     swf::StraightEdgeRecord{-1024, 0}, swf::StraightEdgeRecord{0, -1024}};
    return glyph;
}

} // namespace

class TestText : public QObject {
    Q_OBJECT

private slots:
    void chineseDeviceTextRendersInSwf6AndSwf5_data()
    {
        QTest::addColumn<QString>("fontName");
        QTest::newRow("宋体") << QStringLiteral("宋体");
        QTest::newRow("_sans") << QStringLiteral("_sans");
    }

    void chineseDeviceTextRendersInSwf6AndSwf5()
    {
        QFETCH(QString, fontName);
        const QImage utf8Image =
            fixtures::renderFirstFrame(deviceTextMovie(6, utf8(fontName), utf8(kChinese)));
        const QImage gbkImage =
            fixtures::renderFirstFrame(deviceTextMovie(5, gbk(fontName), gbk(kChinese)));
        const QImage empty =
            fixtures::renderFirstFrame(deviceTextMovie(6, utf8(fontName), std::nullopt));
        QVERIFY(!utf8Image.isNull() && !gbkImage.isNull() && !empty.isNull());

        const Ink ink = inkOf(utf8Image, utf8Image.rect());
        QVERIFY2(ink.pixels > 300, qPrintable(QString::number(ink.pixels)));
        QVERIFY(kField.contains(ink.box));
        QCOMPARE(inkOf(empty, empty.rect()).pixels, 0);

        // The GBK movie decodes to the same text and so draws the same.
        QCOMPARE(gbkImage, utf8Image);

        // Drawn as QPainter draws the string in the face the name maps
        // to: about as much ink, in about the same place.
        const QImage reference = referenceText(kChinese, deviceFontFamilies(fontName));
        const Ink expected = inkOf(reference, reference.rect());
        QVERIFY2(
            std::abs(ink.pixels - expected.pixels) < expected.pixels / 3,
            qPrintable(
                QStringLiteral("%1 ink pixels, %2 expected").arg(ink.pixels).arg(expected.pixels)));
        QVERIFY2(overlap(ink.box, expected.box) > 0.7,
                 qPrintable(QStringLiteral("ink at %1,%2 %3x%4, expected %5,%6 %7x%8")
                                .arg(ink.box.x())
                                .arg(ink.box.y())
                                .arg(ink.box.width())
                                .arg(ink.box.height())
                                .arg(expected.box.x())
                                .arg(expected.box.y())
                                .arg(expected.box.width())
                                .arg(expected.box.height())));
    }

    void fontNamesMapToInstalledFacesWithAChineseFallback_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("family");
        QTest::newRow("_sans") << QStringLiteral("_sans") << QStringLiteral("Liberation Sans");
        QTest::newRow("_serif") << QStringLiteral("_serif") << QStringLiteral("Liberation Serif");
        QTest::newRow("_typewriter")
            << QStringLiteral("_typewriter") << QStringLiteral("Liberation Mono");
        QTest::newRow("宋体") << QStringLiteral("宋体") << QStringLiteral("AR PL UMing CN");
        QTest::newRow("SimSun") << QStringLiteral("SimSun") << QStringLiteral("AR PL UMing CN");
        QTest::newRow("新宋体") << QStringLiteral("新宋体") << QStringLiteral("AR PL UMing CN");
        QTest::newRow("黑体") << QStringLiteral("黑体") << QStringLiteral("WenQuanYi Micro Hei");
        QTest::newRow("微软雅黑") << QStringLiteral("微软雅黑")
                                  << QStringLiteral("WenQuanYi Micro Hei");
        QTest::newRow("unknown") << QStringLiteral("No Such Font 7")
                                 << QStringLiteral("Liberation Sans");
    }

    void fontNamesMapToInstalledFacesWithAChineseFallback()
    {
        QFETCH(QString, name);
        QFETCH(QString, family);
        const QFont font = deviceFont(name, false, false, 24);
        QCOMPARE(QFontInfo(font).family(), family);
        // Some face of the list draws Han characters.
        bool drawsChinese = false;
        for (const QString& candidate : deviceFontFamilies(name)) {
            QFont face(candidate);
            face.setPixelSize(24);
            if (QFontInfo(face).family() == candidate &&
                QRawFont::fromFont(face).supportsCharacter(QChar(u'中'))) {
                drawsChinese = true;
            }
        }
        QVERIFY(drawsChinese);
    }

    void htmlSubsetBecomesParagraphsAndFormats()
    {
        TextFormat base;
        base.face = QStringLiteral("_sans");
        base.size = 240;
        const auto paragraphs = htmlParagraphs(
            QStringLiteral(
                "<p align=\"right\"><font face='黑体' size=\"20\" color=\"#FF8000\">A<b>B</b>"
                "</font><u>C</u></p>x&amp;y&#20013;<br/><li>item</li>"
                "<textformat leftmargin=\"5\" indent=\"2\"><a "
                "href=\"http://q\">link</a></textformat>"),
            base, swf::TextAlign::Left);
        QCOMPARE(paragraphs.size(), std::size_t(4));
        QCOMPARE(paragraphs[0].align, swf::TextAlign::Right);
        QCOMPARE(paragraphs[0].spans.size(), std::size_t(3));
        QCOMPARE(paragraphs[0].spans[0].text, QStringLiteral("A"));
        QCOMPARE(paragraphs[0].spans[0].format.face, QStringLiteral("黑体"));
        QCOMPARE(paragraphs[0].spans[0].format.size, 400);
        QCOMPARE(paragraphs[0].spans[0].format.color, (swf::Rgba{255, 128, 0, 255}));
        QVERIFY(!paragraphs[0].spans[0].format.bold);
        QVERIFY(paragraphs[0].spans[1].format.bold);
        QCOMPARE(paragraphs[0].spans[1].format.size, 400);
        QVERIFY(paragraphs[0].spans[2].format.underline);
        QCOMPARE(paragraphs[0].spans[2].format.size, 240);
        QCOMPARE(paragraphs[1].align, swf::TextAlign::Left);
        QCOMPARE(paragraphs[1].spans[0].text, QStringLiteral("x&y中"));
        QVERIFY(paragraphs[2].bullet);
        QCOMPARE(paragraphs[2].spans[0].text, QStringLiteral("item"));
        QCOMPARE(paragraphs[3].leftMargin, 100);
        QCOMPARE(paragraphs[3].indent, 40);
        QCOMPARE(paragraphs[3].spans[0].format.url, QStringLiteral("http://q"));

        const auto plain = plainParagraphs(QStringLiteral("one\r\ntwo\rthree\nfour"), base,
                                           swf::TextAlign::Center);
        QCOMPARE(plain.size(), std::size_t(4));
        QCOMPARE(plain[2].spans[0].text, QStringLiteral("three"));
        QCOMPARE(plain[3].align, swf::TextAlign::Center);
    }

    void htmlColoursReadAsFlashReadsThem_data()
    {
        QTest::addColumn<QString>("color");
        QTest::addColumn<uint>("rgb");
        // 0x010203 is the colour outside the inner font.
        QTest::newRow("six digits") << QStringLiteral("#234567") << 0x234567u;
        QTest::newRow("short") << QStringLiteral("#abf") << 0xabfu;
        QTest::newRow("last six count") << QStringLiteral("#23456789a") << 0x56789au;
        QTest::newRow("stops at a non-digit") << QStringLiteral("#23g45") << 0x23u;
        QTest::newRow("spaces after the mark") << QStringLiteral("#  234567") << 0x234567u;
        QTest::newRow("no mark") << QStringLiteral("202020") << 0x010203u;
        QTest::newRow("space before the mark") << QStringLiteral(" #234567") << 0x010203u;
        QTest::newRow("no digits") << QStringLiteral("#g1") << 0x010203u;
    }

    void htmlColoursReadAsFlashReadsThem()
    {
        QFETCH(QString, color);
        QFETCH(uint, rgb);
        const auto paragraphs = htmlParagraphs(
            QStringLiteral("<font color=\"#010203\">x<font color=\"%1\">y</font></font>")
                .arg(color),
            TextFormat{}, swf::TextAlign::Left);
        QCOMPARE(paragraphs.size(), std::size_t(1));
        const swf::Rgba inner = paragraphs[0].spans.back().format.color;
        QCOMPARE(uint((inner.r << 16) | (inner.g << 8) | inner.b), rgb);
    }

    void editTextAlignsWrapsAndDrawsItsBorder()
    {
        const auto inkFor = [](swf::DefineEditText edit) {
            const QImage image = fixtures::renderFirstFrame(
                deviceTextMovie(6, "_sans", std::nullopt, std::move(edit)));
            return inkOf(image, image.rect().adjusted(0, 0, -1, -1));
        };
        swf::DefineEditText left = field(2, "Ab");
        swf::DefineEditText right = left;
        right.layout = swf::EditTextLayout{swf::TextAlign::Right, 0, 0, 0, 0};
        swf::DefineEditText centred = left;
        centred.layout = swf::EditTextLayout{swf::TextAlign::Center, 0, 0, 0, 0};
        const Ink leftInk = inkFor(left);
        const Ink rightInk = inkFor(right);
        const Ink centredInk = inkFor(centred);
        QVERIFY(leftInk.box.left() < kField.left() + 6);
        QVERIFY(rightInk.box.right() > kField.right() - 6);
        QVERIFY(std::abs(centredInk.box.center().x() - kField.center().x()) < 4);

        swf::DefineEditText longText = field(2, "word word word word word word word word word");
        longText.bounds.yMax = 110 * kTwips;
        swf::DefineEditText wrapped = longText;
        wrapped.wordWrap = wrapped.multiline = true;
        const Ink oneLine = inkFor(longText);
        const Ink lines = inkFor(wrapped);
        QVERIFY(oneLine.box.height() < 30);
        QVERIFY(lines.box.height() > 45);
        QVERIFY(lines.box.right() <= kField.right());

        swf::DefineEditText bordered = field(2, std::nullopt);
        bordered.border = true;
        const QImage box =
            fixtures::renderFirstFrame(deviceTextMovie(6, "_sans", std::nullopt, bordered));
        QVERIFY(isInk(box.pixel(kField.left(), kField.center().y())));
        QVERIFY(isInk(box.pixel(kField.center().x(), kField.top())));
        QVERIFY(!isInk(box.pixel(kField.center())));
    }

    void staticTextDrawsEmbeddedGlyphs()
    {
        swf::DefineFont font;
        font.id = 1;
        font.glyphs = {squareGlyph()};
        font.codes = {'A'};
        swf::DefineText text;
        text.version = 2;
        text.id = 2;
        text.bounds = swf::Rect{0, 2000, 0, 2000};
        swf::TextRecord record;
        record.fontId = 1;
        record.height = 20 * kTwips;
        record.color = swf::Rgba{255, 0, 0, 255};
        record.xOffset = 10 * kTwips;
        record.yOffset = 40 * kTwips;
        record.glyphs = {{0, 30 * kTwips}, {0, 30 * kTwips}};
        text.records = {record};
        const QImage image = fixtures::renderFirstFrame(fixtures::movie(
            fixtures::header(100, 60, 12, 1),
            {swf::Tag{swf::SetBackgroundColor{swf::Rgba{255, 255, 255, 255}}}, swf::Tag{font},
             swf::Tag{text}, swf::Tag{fixtures::place(1, 2)}, swf::Tag{swf::ShowFrame{}}}));
        // Two 20-pixel squares standing on y = 40, at x = 10 and x = 40.
        QCOMPARE(QColor(image.pixel(20, 30)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(50, 30)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(35, 30)), QColor(Qt::white));
        QCOMPARE(QColor(image.pixel(20, 45)), QColor(Qt::white));
    }

    void editTextUsesEmbeddedOutlinesWhenTheyCoverTheText()
    {
        swf::DefineFont font;
        font.id = 1;
        font.glyphs = {squareGlyph()};
        font.codes = {'A'};
        swf::FontLayout layout;
        layout.ascent = 1024;
        layout.descent = 0;
        layout.advances = {1536};
        layout.bounds = {swf::Rect{0, 1024, -1024, 0}};
        font.layout = layout;
        swf::DefineEditText edit = field(2, "AA");
        edit.useOutlines = true;
        edit.fontHeight = 20 * kTwips;
        edit.textColor = swf::Rgba{0, 0, 255, 255};
        const QImage image = fixtures::renderFirstFrame(fixtures::movie(
            fixtures::header(300, 120, 12, 1),
            {swf::Tag{swf::SetBackgroundColor{swf::Rgba{255, 255, 255, 255}}}, swf::Tag{font},
             swf::Tag{edit}, swf::Tag{fixtures::place(1, 2)}, swf::Tag{swf::ShowFrame{}}}));
        // Glyphs 20 pixels square, 30 apart, from two pixels inside the field.
        QCOMPARE(QColor(image.pixel(kField.left() + 12, kField.top() + 12)), QColor(Qt::blue));
        QCOMPARE(QColor(image.pixel(kField.left() + 27, kField.top() + 12)), QColor(Qt::white));
        QCOMPARE(QColor(image.pixel(kField.left() + 42, kField.top() + 12)), QColor(Qt::blue));
    }
};

QTEST_MAIN(TestText)
#include "tst_text.moc"
