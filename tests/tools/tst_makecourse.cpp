#include "FrameActions.h"
#include "LessonMovie.h"
#include "LessonSource.h"
#include "Narrator.h"
#include "ShapeBuilder.h"
#include "TextArt.h"
#include "player/Player.h"
#include "swf/ActionCode.h"
#include "swf/Reader.h"
#include "swf/Writer.h"

#include <QDir>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <map>

using namespace quorvane;

namespace {

QByteArray gbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

const QByteArray kList = gbk(QStringLiteral("c01-01.swf#名词\r\nc01-02.swf#可数名词\r\n"));

// One lesson with every kind of line; `extra` is added to its end.
QString lessonScript(const QString& file = QStringLiteral("c01-02.swf"),
                     const QString& example = QStringLiteral("I have *an apple*."),
                     const QString& secondExample = QStringLiteral("She has *two sisters*."))
{
    return QStringLiteral("# comment\n"
                          "chapter 第一章  名词\n"
                          "lesson %1 Countable Nouns\n"
                          "rule 可数名词有*单数*和*复数*。\n"
                          "example %2 | 我有一个苹果。\n"
                          "\n"
                          "example %3 | 她有两个姐妹。\n"
                          "wrong I have two book.\n"
                          "right I have two *books*.\n"
                          "why 两本书是复数。\n"
                          "step book => books\n"
                          "quiz three ___ | box | *boxes*\n"
                          "because 以 x 结尾加 es。\n"
                          "quiz a ___ | *cat* | cats | cates\n"
                          "because a 后面用单数。\n"
                          "summary 可数名词复数要加 s。\n")
        .arg(file, example, secondExample);
}

course::Lesson parsedLesson(const QString& script = lessonScript())
{
    const course::LessonSources sources = course::readLessons(kList, script.toUtf8());
    if (!sources.error.isEmpty() || sources.lessons.size() != 1) {
        qFatal("the test lesson does not read: %s", qPrintable(sources.error));
    }
    return sources.lessons[0];
}

// Speaks a tenth of a second of tone for every character, so that the
// length of each line's narration is known.
class ToneNarrator : public course::Narrator {
public:
    explicit ToneNarrator(int samplesPerCharacter = course::kNarrationRate / 10)
        : m_perCharacter(samplesPerCharacter)
    {
    }
    std::vector<std::int16_t> speak(const QString& line) override
    {
        lines.append(line);
        std::vector<std::int16_t> samples(std::size_t(line.size() * m_perCharacter));
        for (std::size_t i = 0; i < samples.size(); ++i) {
            samples[i] = std::int16_t(8000 * std::sin(double(i) * 0.06));
        }
        return samples;
    }
    QStringList lines;

private:
    int m_perCharacter;
};

std::unique_ptr<player::Player> load(const swf::Movie& movie)
{
    auto bytes = swf::writeMovie(movie);
    auto player = std::make_unique<player::Player>();
    if (!bytes || player->loadBytes(bytes.value())) {
        return nullptr;
    }
    return player;
}

QImage frameImage(player::Player& player, QSize margin = QSize(0, 0))
{
    const QSize stage = player.stageSize().toSize();
    QImage image(stage + 2 * margin, QImage::Format_ARGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    painter.setClipRect(QRect(QPoint(margin.width(), margin.height()), stage));
    painter.fillRect(image.rect(), player.backgroundColor());
    painter.setClipping(false);
    player.render(painter, QTransform::fromTranslate(margin.width(), margin.height()));
    return image;
}

// Pixels of the area clearly unlike the colour.
int inkIn(const QImage& image, const QRect& area, QRgb background)
{
    int count = 0;
    for (int y = std::max(area.top(), 0); y <= std::min(area.bottom(), image.height() - 1); ++y) {
        for (int x = std::max(area.left(), 0); x <= std::min(area.right(), image.width() - 1);
             ++x) {
            const QRgb pixel = image.pixel(x, y);
            count += std::abs(qRed(pixel) - qRed(background)) +
                         std::abs(qGreen(pixel) - qGreen(background)) +
                         std::abs(qBlue(pixel) - qBlue(background)) >
                     90;
        }
    }
    return count;
}

// Pixels of the area close to the colour.
int pixelsLike(const QImage& image, const QRect& area, QRgb colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            count += std::abs(qRed(pixel) - qRed(colour)) +
                         std::abs(qGreen(pixel) - qGreen(colour)) +
                         std::abs(qBlue(pixel) - qBlue(colour)) <
                     40;
        }
    }
    return count;
}

// Where the root timeline shows things, by the frames its tags fall in.
struct Placement {
    int frame;
    swf::PlaceObject tag;
};
std::vector<Placement> placements(const swf::Movie& movie)
{
    std::vector<Placement> found;
    int frame = 0;
    for (const swf::Tag& tag : movie.tags) {
        if (std::holds_alternative<swf::ShowFrame>(tag.value)) {
            ++frame;
        } else if (const auto* place = std::get_if<swf::PlaceObject>(&tag.value)) {
            found.push_back({frame, *place});
        }
    }
    return found;
}

// The DefineButton2 tags by id, with the action bytes of their one condition.
std::map<std::uint16_t, std::vector<std::uint8_t>> buttonActions(const swf::Movie& movie)
{
    std::map<std::uint16_t, std::vector<std::uint8_t>> buttons;
    for (const swf::Tag& tag : movie.tags) {
        const auto* unknown = std::get_if<swf::Unknown>(&tag.value);
        if (!unknown || unknown->code != 34) {
            continue;
        }
        const std::vector<std::uint8_t>& data = unknown->data;
        const std::uint16_t id = std::uint16_t(data[0] | data[1] << 8);
        const std::size_t offset = 3 + std::size_t(data[3] | data[4] << 8);
        buttons[id] =
            std::vector<std::uint8_t>(data.begin() + std::ptrdiff_t(offset + 4), data.end());
    }
    return buttons;
}

// The frame a button's actions go to, from its GotoFrame actions' last.
int gotoTarget(const std::vector<std::uint8_t>& actions)
{
    int target = -1;
    for (std::size_t i = 0; i < actions.size() && actions[i] != 0;) {
        const std::uint8_t code = actions[i];
        const std::size_t length =
            code >= 0x80 ? std::size_t(actions[i + 1] | actions[i + 2] << 8) : 0;
        if (code == std::uint8_t(swf::ActionCode::GotoFrame)) {
            target = actions[i + 3] | actions[i + 4] << 8;
        }
        i += 1 + (code >= 0x80 ? 2 + length : 0);
    }
    return target;
}

swf::Movie builtMovie(course::Narrator& narrator, const course::Lesson& lesson = parsedLesson())
{
    return course::lessonMovie(lesson, narrator).movie;
}

} // namespace

class TestMakeCourse : public QObject {
    Q_OBJECT

private slots:
    void scriptsReadEveryKindOfLine()
    {
        const course::Lesson lesson = parsedLesson();
        QCOMPARE(lesson.fileName, QStringLiteral("c01-02.swf"));
        QCOMPARE(lesson.title, QStringLiteral("可数名词"));
        QCOMPARE(lesson.englishTitle, QStringLiteral("Countable Nouns"));
        QCOMPARE(lesson.chapter, QStringLiteral("第一章  名词"));
        QCOMPARE(lesson.rules, QStringList{QStringLiteral("可数名词有*单数*和*复数*。")});
        QCOMPARE(lesson.examples.size(), 2);
        QCOMPARE(lesson.examples[1].english, QStringLiteral("She has *two sisters*."));
        QCOMPARE(lesson.examples[1].chinese, QStringLiteral("她有两个姐妹。"));
        QCOMPARE(lesson.wrong, QStringLiteral("I have two book."));
        QCOMPARE(lesson.right, QStringLiteral("I have two *books*."));
        QCOMPARE(lesson.why, QStringLiteral("两本书是复数。"));
        QCOMPARE(lesson.steps.size(), 1);
        QCOMPARE(lesson.steps[0].before, QStringLiteral("book"));
        QCOMPARE(lesson.steps[0].after, QStringLiteral("books"));
        QCOMPARE(lesson.quizzes.size(), 2);
        QCOMPARE(lesson.quizzes[0].choices, (QStringList{"box", "boxes"}));
        QCOMPARE(lesson.quizzes[0].answer, 1);
        QCOMPARE(lesson.quizzes[1].choices, (QStringList{"cat", "cats", "cates"}));
        QCOMPARE(lesson.quizzes[1].answer, 0);
        QCOMPARE(lesson.quizzes[1].because, QStringLiteral("a 后面用单数。"));
        QCOMPARE(lesson.summary, QStringLiteral("可数名词复数要加 s。"));
    }

    void badScriptsSayWhereOrWhichLesson_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("error");
        QTest::newRow("not in the list") << "lesson c01-02.swf"
                                         << "lesson c09-01.swf"
                                         << "line 3: c09-01.swf is not in list.txt";
        QTest::newRow("typo") << "rule "
                              << "rules "
                              << "line 4: unknown keyword rules";
        QTest::newRow("no meaning") << " | 我有一个苹果。"
                                    << ""
                                    << "line 5: an example needs one |";
        QTest::newRow("no answer") << "*boxes*"
                                   << "boxes"
                                   << "line 12: a quiz needs a question and 2 or 3 choices, one "
                                      "of them in asterisks";
        QTest::newRow("two answers") << "| box |"
                                     << "| *box* |"
                                     << "line 12: a quiz needs a question and 2 or 3 choices, "
                                        "one of them in asterisks";
        QTest::newRow("one choice") << "| box | *boxes*"
                                    << "| *boxes*"
                                    << "line 12: a quiz needs a question and 2 or 3 choices, one "
                                       "of them in asterisks";
        QTest::newRow("step without arrow") << "book => books"
                                            << "book books"
                                            << "line 11: a step needs one =>";
        QTest::newRow("second summary") << "summary 可数名词复数要加 s。"
                                        << "summary a\nsummary b"
                                        << "line 17: a second summary line";
        QTest::newRow("no rule") << "rule 可数名词有*单数*和*复数*。"
                                 << "#"
                                 << "c01-02.swf needs 1 to 3 rule lines";
        QTest::newRow("no mistake") << "wrong I have two book."
                                    << "#"
                                    << "c01-02.swf needs a wrong and a right sentence";
        QTest::newRow("no quiz") << "quiz three ___ | box | *boxes*\nbecause 以 x 结尾加 es。\n"
                                    "quiz a ___ | *cat* | cats | cates\nbecause a 后面用单数。"
                                 << "#"
                                 << "c01-02.swf needs 1 to 3 quiz items";
        QTest::newRow("no reason") << "because a 后面用单数。"
                                   << "#"
                                   << "c01-02.swf needs a because line after each quiz item";
        QTest::newRow("because first") << "quiz a ___ | *cat* | cats | cates"
                                       << "#"
                                       << "line 15: a because line belongs after its quiz";
        QTest::newRow("no summary") << "summary 可数名词复数要加 s。"
                                    << "#"
                                    << "c01-02.swf needs a summary";
    }
    void badScriptsSayWhereOrWhichLesson()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, error);
        QString script = lessonScript();
        QVERIFY(script.contains(from));
        script.replace(script.indexOf(from), from.size(), to);
        const course::LessonSources sources = course::readLessons(kList, script.toUtf8());
        QCOMPARE(sources.error, error);
        QVERIFY(sources.lessons.isEmpty());
    }

    void theCourseNeedsEveryListedLessonOnceWithExamplesOfItsOwn()
    {
        const course::Script first{QStringLiteral("chapter01.txt"), lessonScript().toUtf8()};
        const course::Script second{QStringLiteral("chapter02.txt"),
                                    lessonScript(QStringLiteral("c01-01.swf"),
                                                 QStringLiteral("The *cat* sleeps."),
                                                 QStringLiteral("We have *three dogs*."))
                                        .toUtf8()};
        course::LessonSources course = course::readCourse(kList, {first});
        QCOMPARE(course.error,
                 QStringLiteral("c01-01.swf (名词) is listed but no script writes it"));
        QVERIFY(course.lessons.isEmpty());

        course = course::readCourse(kList, {first, second});
        QVERIFY2(course.error.isEmpty(), qPrintable(course.error));
        // In list.txt's order, whatever the scripts' order.
        QCOMPARE(course.lessons.size(), 2);
        QCOMPARE(course.lessons[0].fileName, QStringLiteral("c01-01.swf"));

        const course::Script repeating{QStringLiteral("chapter02.txt"),
                                       lessonScript(QStringLiteral("c01-01.swf"),
                                                    QStringLiteral("I have an *apple*."),
                                                    QStringLiteral("We have *three dogs*."))
                                           .toUtf8()};
        course = course::readCourse(kList, {first, repeating});
        QCOMPARE(course.error, QStringLiteral("chapter02.txt: c01-01.swf repeats the example "
                                              "\"I have an apple.\" of c01-02.swf"));
        course = course::readCourse(kList, {first, first});
        QCOMPARE(course.error, QStringLiteral("chapter01.txt: c01-02.swf is written twice"));
    }

    void longLinesBreakOrShrinkToFit()
    {
        const QFont english = course::englishFont(21);
        const QString sentence =
            QStringLiteral("When I *got* to the station, the train to Edinburgh had already left.");
        const course::TextLines text = course::fitText(sentence, english, 300, 3);
        QVERIFY(text.lines.size() >= 2);
        QCOMPARE(text.font.pixelSize(), 21);
        QStringList plain;
        for (const QString& line : text.lines) {
            QCOMPARE(line.count(u'*') % 2, 0);
            QVERIFY(QFontMetricsF(text.font).horizontalAdvance(course::plainText(line)) <= 300);
            plain.append(course::plainText(line));
        }
        // Broken between words, nothing lost, the highlight kept.
        QCOMPARE(plain.join(u' '), course::plainText(sentence));
        QVERIFY(text.lines.join(u' ').contains(QStringLiteral("*got*")));

        // Chinese breaks between characters, never before closing punctuation.
        const course::TextLines chinese = course::fitText(
            QStringLiteral(
                "以元音音素开头的单词前面用不定冠词，以辅音音素开头的单词前面用另一个。"),
            course::chineseFont(22), 200, 4);
        QVERIFY(chinese.lines.size() >= 3);
        for (const QString& line : chinese.lines) {
            QVERIFY(!line.startsWith(u'，') && !line.startsWith(u'。'));
        }

        // Too long for its lines at full size: the font shrinks.
        const course::TextLines shrunk = course::fitText(sentence, english, 300, 2);
        QVERIFY(shrunk.font.pixelSize() < 21);
        QVERIFY(shrunk.lines.size() <= 2);
        QVERIFY(shrunk.widest <= 300);
    }

    void everyLineIsSpokenAndScenesLastAsLongAsTheirNarration()
    {
        ToneNarrator quick(course::kNarrationRate / 20);
        const swf::Movie shortMovie = builtMovie(quick);
        ToneNarrator slow(course::kNarrationRate / 10);
        const swf::Movie longMovie = builtMovie(slow);

        // Every line of the script is heard, without its marks and gaps.
        const QString heard = slow.lines.join(u'\n');
        for (const QString& expected :
             {QStringLiteral("可数名词有单数和复数。"), QStringLiteral("I have an apple."),
              QStringLiteral("她有两个姐妹。"), QStringLiteral("不要说：I have two book."),
              QStringLiteral("要说：I have two books."), QStringLiteral("两本书是复数。"),
              QStringLiteral("变成：books"), QStringLiteral("练一练。three ，。A，box。B，boxes。"),
              QStringLiteral("答案是 B，boxes。以 x 结尾加 es。"),
              QStringLiteral("小结。可数名词复数要加 s。")}) {
            QVERIFY2(heard.contains(expected),
                     qPrintable(expected + QStringLiteral(" in ") + heard));
        }
        qsizetype characters = 0;
        for (const QString& line : slow.lines) {
            characters += line.size();
        }
        // The slow voice takes 0.05 s more per character; each line's scene
        // grows by that, to within a frame per line.
        const double extraFrames = double(characters) * 0.05 * course::kFrameRate;
        const int grown = longMovie.header.frameCount - shortMovie.header.frameCount;
        QVERIFY2(std::abs(grown - extraFrames) <= double(slow.lines.size()),
                 qPrintable(QStringLiteral("%1 frames, %2 expected").arg(grown).arg(extraFrames)));

        // One stream block a frame, MP3 at 22,050 Hz, one channel.
        int blocks = 0;
        std::optional<swf::SoundStreamHead> head;
        for (const swf::Tag& tag : longMovie.tags) {
            blocks += std::holds_alternative<swf::SoundStreamBlock>(tag.value);
            if (const auto* found = std::get_if<swf::SoundStreamHead>(&tag.value)) {
                head = *found;
            }
        }
        QCOMPARE(blocks, int(longMovie.header.frameCount));
        QVERIFY(head);
        QCOMPARE(head->version, std::uint8_t(2));
        QCOMPARE(head->stream.coding, swf::SoundCoding::Mp3);
        QCOMPARE(head->stream.sampleRate(), course::kNarrationRate);
        QVERIFY(!head->stream.stereo);
        QCOMPARE(int(head->samplesPerBlock), course::kSamplesPerFrame);

        // The movie's own mixer plays the narration.
        auto player = load(longMovie);
        QVERIFY(player);
        std::vector<std::int16_t> mixed(4096);
        double energy = 0;
        for (int frame = 0; frame < 30; ++frame) {
            player->advanceFrame();
            player->mixAudio(mixed);
            for (std::int16_t sample : mixed) {
                energy += std::abs(sample);
            }
        }
        QVERIFY(energy > 1e6);
    }

    void aClickOnAChoiceShowsTheVerdictAndTheAnswerAtOnce()
    {
        ToneNarrator narrator;
        const swf::Movie movie = builtMovie(narrator);
        const auto buttons = buttonActions(movie);
        // Two quizzes of 2 and 3 choices and the replay button.
        QCOMPARE(buttons.size(), std::size_t(6));
        std::vector<Placement> choices;
        for (const Placement& placed : placements(movie)) {
            if (placed.tag.characterId && buttons.contains(*placed.tag.characterId)) {
                choices.push_back(placed);
            }
        }
        QCOMPARE(choices.size(), std::size_t(6));
        // The first quiz: its right choice is the second.
        const int answerFrame = gotoTarget(buttons.at(*choices[1].tag.characterId));
        QCOMPARE(gotoTarget(buttons.at(*choices[0].tag.characterId)), answerFrame);
        QVERIFY(answerFrame > choices[1].frame + 4 * course::kFrameRate);

        for (const bool clickRight : {true, false}) {
            auto player = load(movie);
            QVERIFY(player);
            player->gotoFrame(choices[1].frame + 20);
            const QImage before = frameImage(*player);
            const Placement& choice = choices[clickRight ? 1 : 0];
            const QPointF centre(choice.tag.matrix->translateX / 20.0 + 200,
                                 choice.tag.matrix->translateY / 20.0 + 15);
            player->mouseMove(centre);
            player->mouseDown();
            player->mouseUp();
            player->advanceFrame();
            QVERIFY(std::abs(player->currentFrame() - answerFrame) <= 1);
            const QImage after = frameImage(*player);
            // The verdict, by the heading: green for right, red for wrong.
            const QRect verdict(400, 112, 130, 30);
            const QRgb paper = after.pixel(300, 125);
            QCOMPARE(inkIn(before, verdict, paper), 0);
            const int green = pixelsLike(after, verdict, qRgb(39, 140, 90));
            const int red = pixelsLike(after, verdict, qRgb(196, 64, 52));
            QVERIFY(inkIn(after, verdict, paper) > 30);
            QVERIFY2(clickRight ? green > 30 && red == 0 : red > 30 && green == 0,
                     qPrintable(QStringLiteral("%1 green, %2 red").arg(green).arg(red)));
        }

        // Without a click the answer comes after the pause.
        auto player = load(movie);
        player->gotoFrame(choices[1].frame + 20);
        const QImage waiting = frameImage(*player);
        player->gotoFrame(answerFrame + 12);
        const QImage answered = frameImage(*player);
        const QRect rightChoice(int(choices[1].tag.matrix->translateX / 20) + 5,
                                int(choices[1].tag.matrix->translateY / 20) + 5, 400, 20);
        // The right choice turns green.
        const QRgb rightGreen = qRgb(222, 244, 229);
        QVERIFY(pixelsLike(waiting, rightChoice, rightGreen) < 500);
        QVERIFY(pixelsLike(answered, rightChoice, rightGreen) > 4000);
    }

    void theLessonStopsOnItsSummaryWithAReplayButton()
    {
        ToneNarrator narrator;
        const swf::Movie movie = builtMovie(narrator);
        auto player = load(movie);
        QVERIFY(player);
        const int last = player->totalFrames() - 1;
        for (int frame = 0; frame < last + 30; ++frame) {
            player->advanceFrame();
        }
        QCOMPARE(player->currentFrame(), last);
        QVERIFY(player->isPlaying());

        const auto buttons = buttonActions(movie);
        std::optional<Placement> replay;
        for (const Placement& placed : placements(movie)) {
            if (placed.tag.characterId && buttons.contains(*placed.tag.characterId)) {
                replay = placed;
            }
        }
        QVERIFY(replay);
        const std::vector<std::uint8_t> gotoAndPlayFirst{std::uint8_t(swf::ActionCode::GotoFrame),
                                                         2,
                                                         0,
                                                         0,
                                                         0,
                                                         std::uint8_t(swf::ActionCode::Play),
                                                         std::uint8_t(swf::ActionCode::End)};
        QCOMPARE(buttons.at(*replay->tag.characterId), gotoAndPlayFirst);

        player->mouseMove(QPointF(replay->tag.matrix->translateX / 20.0 + 30,
                                  replay->tag.matrix->translateY / 20.0 + 20));
        player->mouseDown();
        player->mouseUp();
        player->advanceFrame();
        QVERIFY(player->currentFrame() <= 1);
        player->advanceFrame();
        player->advanceFrame();
        QVERIFY(player->currentFrame() >= 2);
    }

    void nothingIsDrawnOffTheStage()
    {
        // Lines far longer than the stage is wide.
        const QString longSentence = QStringLiteral(
            "Although the weather forecast had promised sunshine for the whole weekend, it "
            "rained from Friday evening until late on Sunday *afternoon*.");
        QString script = lessonScript(QStringLiteral("c01-02.swf"), longSentence);
        script.replace(
            QStringLiteral("rule 可数名词有*单数*和*复数*。"),
            QStringLiteral("rule "
                           "可数名词有单数和复数两种形式，表示一个时用单数，表示两个或两个以上时用*"
                           "复数*，复数一般在词尾加 s 或 es，也有不规则的变化。"));
        script.replace(QStringLiteral("because 以 x 结尾加 es。"),
                       QStringLiteral("because 以 s、x、ch、sh 结尾的名词变复数时在词尾加 es，读作 "
                                      "/iz/，例如 boxes、buses、watches 和 dishes。"));
        ToneNarrator narrator(200);
        const swf::Movie movie = builtMovie(narrator, parsedLesson(script));
        auto player = load(movie);
        QVERIFY(player);
        const QSize margin(40, 40);
        for (int frame = 0; frame < player->totalFrames(); frame += 15) {
            player->gotoFrame(frame);
            const QImage image = frameImage(*player, margin);
            const QRect stage(QPoint(margin.width(), margin.height()), QSize(569, 430));
            // Inside the stage, nothing comes within a few pixels of its edge
            // but the background and the band.
            const QRect body = stage.adjusted(6, 100, -6, -6);
            const QRgb paper = image.pixel(body.left() + 1, body.top() + 1);
            int edge = inkIn(image, QRect(body.left(), body.top(), 12, body.height()), paper) +
                       inkIn(image, QRect(body.right() - 12, body.top(), 12, body.height()), paper);
            QVERIFY2(edge == 0, qPrintable(QStringLiteral("frame %1").arg(frame)));
        }
    }

    void theSameScriptGivesTheSameBytesOnEveryBuild()
    {
        // The builder as the build runs it, twice, each in a process of its
        // own: the voice's state carries from one line to the next within a
        // process, so a build speaks the course in one fixed order.
        QTemporaryDir folder;
        QFile list(folder.filePath(QStringLiteral("list.txt")));
        QVERIFY(list.open(QIODevice::WriteOnly));
        list.write(kList);
        list.close();
        QFile script(folder.filePath(QStringLiteral("chapter01.txt")));
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write(lessonScript().toUtf8());
        script.write(lessonScript(QStringLiteral("c01-01.swf"), QStringLiteral("A *dog* barks."),
                                  QStringLiteral("Two *cats* sleep."))
                         .remove(QStringLiteral("chapter 第一章  名词\n"))
                         .toUtf8());
        script.close();
        QList<QByteArray> builds;
        for (const QString& output : {QStringLiteral("first"), QStringLiteral("second")}) {
            QProcess builder;
            builder.start(QStringLiteral(QUORVANE_MAKE_COURSE),
                          {list.fileName(), folder.filePath(output), script.fileName()});
            QVERIFY(builder.waitForFinished(120000));
            QCOMPARE(builder.exitCode(), 0);
            QVERIFY(builder.readAllStandardOutput().contains("2 lesson movies"));
            QByteArray both;
            for (const char* movie : {"/c01-01.swf", "/c01-02.swf"}) {
                QFile file(folder.filePath(output) + QLatin1String(movie));
                QVERIFY(file.open(QIODevice::ReadOnly));
                both += file.readAll();
            }
            builds.append(both);
        }
        QVERIFY(builds[0].size() > 100000);
        QVERIFY(builds[0] == builds[1]);

        // A listed lesson without its script fails the build, naming it.
        script.open(QIODevice::WriteOnly);
        script.write(lessonScript().toUtf8());
        script.close();
        QProcess builder;
        builder.start(
            QStringLiteral(QUORVANE_MAKE_COURSE),
            {list.fileName(), folder.filePath(QStringLiteral("third")), script.fileName()});
        QVERIFY(builder.waitForFinished(120000));
        QCOMPARE(builder.exitCode(), 1);
        QVERIFY(builder.readAllStandardError().contains("c01-01.swf"));
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

    void theBuildMadeEveryListedLesson()
    {
        QFile listFile(QStringLiteral(QUORVANE_COURSE_DIR "/fyf/list.txt"));
        QVERIFY(listFile.open(QIODevice::ReadOnly));
        QStringDecoder decoder("GBK");
        const QStringList lines = QString(decoder.decode(listFile.readAll()))
                                      .split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 139);
        const QDir folder(QStringLiteral(QUORVANE_COURSE_DIR "/fyf"));
        const QSize margin(20, 20);
        for (const QString& line : lines) {
            const QString path = folder.filePath(line.section(u'#', 0, 0));
            player::Player player;
            const auto error = player.load(path.toStdString());
            QVERIFY2(!error, qPrintable(path));
            QVERIFY2(player.warnings().empty(), qPrintable(path));
            QCOMPARE(player.stageSize(), QSizeF(569, 430));
            QVERIFY(player.frameRate() >= 12);

            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            const auto movie = swf::readMovie(std::span<const std::uint8_t>(
                reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                std::size_t(bytes.size())));
            QVERIFY(movie.ok());
            const bool streams =
                std::any_of(movie.value().movie.tags.begin(), movie.value().movie.tags.end(),
                            [](const swf::Tag& tag) {
                                const auto* head = std::get_if<swf::SoundStreamHead>(&tag.value);
                                return head && head->stream.coding == swf::SoundCoding::Mp3;
                            });
            QVERIFY2(streams, qPrintable(path));

            // Ink inside the stage only.
            player.gotoFrame(12);
            const QImage image = frameImage(player, margin);
            const QRect stage(QPoint(margin.width(), margin.height()), QSize(569, 430));
            QVERIFY(inkIn(image, stage.adjusted(20, 110, -20, -20), image.pixel(stage.center())) >
                    100);
            int outside = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    outside +=
                        !stage.contains(x, y) && image.pixel(x, y) != QColor(Qt::magenta).rgb();
                }
            }
            QVERIFY2(outside == 0, qPrintable(path));

            // It stops on its last frame.
            const int last = player.totalFrames() - 1;
            player.gotoFrame(last);
            player.play();
            for (int frame = 0; frame < 5; ++frame) {
                player.advanceFrame();
            }
            QVERIFY2(player.currentFrame() == last, qPrintable(path));
        }
    }
};

QTEST_MAIN(TestMakeCourse)
#include "tst_makecourse.moc"
