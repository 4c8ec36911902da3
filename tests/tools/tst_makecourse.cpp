#include "LessonMovie.h"
#include "LessonSource.h"
#include "ShapeBuilder.h"
#include "player/Player.h"
#include "swf/Reader.h"
#include "swf/Writer.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QStringEncoder>
#include <QtTest>
#include <cmath>

using namespace quorvane;

namespace {

QByteArray gbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

const QString kSource = QStringLiteral("# comment\n"
                                       "chapter 第一章  名词\n"
                                       "lesson c01-02.swf Countable Nouns\n"
                                       "example I have *an apple*. | 我有一个苹果。\n"
                                       "\n"
                                       "example She has *two sisters*. | 她有两个姐妹。\n");

std::unique_ptr<player::Player> load(const swf::Movie& movie)
{
    auto bytes = swf::writeMovie(movie);
    auto player = std::make_unique<player::Player>();
    if (!bytes || player->loadBytes(bytes.value())) {
        return nullptr;
    }
    return player;
}

QImage frameImage(player::Player& player)
{
    QImage image(player.stageSize().toSize(), QImage::Format_ARGB32);
    QPainter painter(&image);
    player.render(painter, QTransform());
    return image;
}

// Pixels of the area clearly unlike the background colour.
int inkIn(const QImage& image, const QRect& area, QRgb background)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            count += std::abs(qRed(pixel) - qRed(background)) +
                         std::abs(qBlue(pixel) - qBlue(background)) >
                     60;
        }
    }
    return count;
}

} // namespace

class TestMakeCourse : public QObject {
    Q_OBJECT

private slots:
    void lessonsTakeTheirTitlesFromTheList()
    {
        const QByteArray list = gbk(QStringLiteral("c01-01.swf#名词\r\nc01-02.swf#可数名词\r\n"));
        const course::LessonSources sources = course::readLessons(list, kSource.toUtf8());
        QVERIFY(sources.error.isEmpty());
        QCOMPARE(sources.lessons.size(), 1);
        const course::Lesson& lesson = sources.lessons[0];
        QCOMPARE(lesson.fileName, QStringLiteral("c01-02.swf"));
        QCOMPARE(lesson.title, QStringLiteral("可数名词"));
        QCOMPARE(lesson.englishTitle, QStringLiteral("Countable Nouns"));
        QCOMPARE(lesson.chapter, QStringLiteral("第一章  名词"));
        QCOMPARE(lesson.examples.size(), 2);
        QCOMPARE(lesson.examples[1].english, QStringLiteral("She has *two sisters*."));
        QCOMPARE(lesson.examples[1].chinese, QStringLiteral("她有两个姐妹。"));
    }

    void badSourcesSayWhere_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("error");
        QTest::newRow("not in the list") << "lesson c09-01.swf X"
                                         << "line 1: c09-01.swf is not in list.txt";
        QTest::newRow("example first") << "example a | b"
                                       << "line 1: an example needs a lesson and one |";
        QTest::newRow("no meaning") << "lesson c01-01.swf N\nexample a"
                                    << "line 2: an example needs a lesson and one |";
        QTest::newRow("typo") << "lessen c01-01.swf N"
                              << "line 1: unknown keyword lessen";
    }
    void badSourcesSayWhere()
    {
        QFETCH(QString, source);
        QFETCH(QString, error);
        const course::LessonSources sources =
            course::readLessons(gbk(QStringLiteral("c01-01.swf#名词\r\n")), source.toUtf8());
        QCOMPARE(sources.error, error);
        QVERIFY(sources.lessons.isEmpty());
    }

    void pathsBecomeShapesThatDrawTheSame()
    {
        QPainterPath path;
        path.addRoundedRect(QRectF(10, 10, 120, 60), 14, 14);
        path.addEllipse(QPointF(200, 60), 45, 30);
        QFont font(QStringLiteral("WenQuanYi Micro Hei"));
        font.setPixelSize(40);
        path.addText(QPointF(20, 140), font, QStringLiteral("名词 Nouns"));
        path.setFillRule(Qt::WindingFill);

        course::ShapeBuilder builder(1);
        builder.addFill(path, course::ShapeBuilder::solid(Qt::darkBlue));
        swf::Movie movie;
        movie.header.stage = swf::Rect{0, 300 * 20, 0, 160 * 20};
        swf::PlaceObject place;
        place.depth = 1;
        place.characterId = 1;
        place.matrix = swf::Matrix{};
        movie.tags = {{builder.shape()}, {place}, {swf::ShowFrame{}}, {swf::End{}}};
        auto player = load(movie);
        QVERIFY(player);
        const QImage drawn = frameImage(*player);

        QImage expected(drawn.size(), QImage::Format_ARGB32);
        expected.fill(Qt::white);
        QPainter painter(&expected);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.fillPath(path, QColor(Qt::darkBlue));
        painter.end();

        int different = 0;
        for (int y = 0; y < drawn.height(); ++y) {
            for (int x = 0; x < drawn.width(); ++x) {
                different += std::abs(qGray(drawn.pixel(x, y)) - qGray(expected.pixel(x, y))) > 40;
            }
        }
        // Curves become quadratics within a twentieth of a pixel; only
        // rounding at edges may differ.
        QVERIFY2(different < drawn.width() * drawn.height() / 500,
                 qPrintable(QString::number(different)));
    }

    void gradientsRunTheWayAsked()
    {
        const QRectF area(0, 0, 100, 50);
        const swf::FillStyle down =
            course::ShapeBuilder::linearGradient(area, Qt::black, Qt::white, true);
        const swf::FillStyle across =
            course::ShapeBuilder::linearGradient(area, Qt::black, Qt::white, false);
        QPainterPath rect;
        rect.addRect(area);
        for (const auto& [style, vertical] : {std::pair{down, true}, std::pair{across, false}}) {
            course::ShapeBuilder builder(1);
            builder.addFill(rect, style);
            swf::Movie movie;
            movie.header.stage = swf::Rect{0, 100 * 20, 0, 50 * 20};
            swf::PlaceObject place;
            place.depth = 1;
            place.characterId = 1;
            place.matrix = swf::Matrix{};
            movie.tags = {{builder.shape()}, {place}, {swf::ShowFrame{}}, {swf::End{}}};
            auto player = load(movie);
            QVERIFY(player);
            const QImage image = frameImage(*player);
            const QPoint start = vertical ? QPoint(50, 1) : QPoint(1, 25);
            const QPoint end = vertical ? QPoint(50, 48) : QPoint(98, 25);
            QVERIFY(qGray(image.pixel(start)) < 20);
            QVERIFY(qGray(image.pixel(end)) > 235);
            QVERIFY(std::abs(qGray(image.pixel(50, 25)) - 128) < 12);
        }
    }

    void lessonMoviesPlayTheirExamplesInTurn()
    {
        const QByteArray list = gbk(QStringLiteral("c01-02.swf#可数名词\r\n"));
        const course::LessonSources sources = course::readLessons(list, kSource.toUtf8());
        const swf::Movie movie = course::lessonMovie(sources.lessons.at(0));
        auto written = swf::writeMovie(movie);
        QVERIFY(written.ok());
        auto read = swf::readMovie(written.value());
        QVERIFY(read.ok());
        QVERIFY(read.value().warnings.empty());
        QVERIFY(read.value().movie == movie);

        auto player = load(movie);
        QVERIFY(player);
        QCOMPARE(player->stageSize(), QSizeF(569, 430));
        QCOMPARE(player->frameRate(), 12.0);
        QVERIFY(player->totalFrames() >= 10 * 12);
        QVERIFY(player->totalFrames() <= 20 * 12);

        const QRect title(20, 15, 200, 45);
        const QRect firstExample(30, 120, 400, 60);
        const QRect secondExample(30, 188, 400, 60);
        player->gotoFrame(2);
        QImage image = frameImage(*player);
        const QRgb background = image.pixel(1, image.height() - 2);
        QCOMPARE(inkIn(image, firstExample, background), 0);
        player->gotoFrame(30);
        image = frameImage(*player);
        // White title on the dark band.
        QVERIFY(inkIn(image, title, qRgb(46, 111, 142)) > 300);
        QVERIFY(inkIn(image, firstExample, background) > 300);
        QCOMPARE(inkIn(image, secondExample, background), 0);
        player->gotoFrame(player->totalFrames() - 1);
        image = frameImage(*player);
        QVERIFY(inkIn(image, secondExample, background) > 300);
    }

    void theBuildMadeEveryLessonOfChapterOne()
    {
        const QDir folder(QStringLiteral(QUORVANE_COURSE_DIR "/fyf"));
        for (int lesson = 1; lesson <= 11; ++lesson) {
            const QString path =
                folder.filePath(QStringLiteral("c01-%1.swf").arg(lesson, 2, 10, QChar(u'0')));
            player::Player player;
            const auto error = player.load(path.toStdString());
            QVERIFY2(!error, error ? error->c_str() : "");
            QVERIFY(player.warnings().empty());
            QVERIFY(player.totalFrames() >= 120);
        }
    }
};

QTEST_MAIN(TestMakeCourse)
#include "tst_makecourse.moc"
