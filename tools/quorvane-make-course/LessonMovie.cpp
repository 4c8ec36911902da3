#include "LessonMovie.h"

#include "FrameActions.h"
#include "LessonArt.h"
#include "SceneTimeline.h"
#include "ShapeBuilder.h"
#include "StreamSound.h"
#include "TextArt.h"

#include <QFontMetricsF>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>
#include <functional>
#include <string>

namespace quorvane::course {

namespace {

using namespace art;

// The body of the stage, under the band and a scene's heading.
constexpr double kLeft = 40;
constexpr double kWidth = kStageWidth - 2 * kLeft;
constexpr double kHeadingTop = 112;
constexpr double kBodyTop = 158;
constexpr double kBodyBottom = 418;

// Pauses, in seconds: after a line, after a scene, and for an answer.
constexpr double kLinePause = 0.35;
constexpr double kScenePause = 0.7;
constexpr double kAnswerWait = 4.0;
constexpr double kEndPause = 1.0;

constexpr std::uint16_t kFirstSceneDepth = 20;

bool holdsChinese(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x2E80; });
}

QFont fontFor(const QString& text, double pixels)
{
    return holdsChinese(text) ? chineseFont(pixels) : englishFont(pixels);
}

// The words as the narrator reads them: no highlight marks, a pause for
// a gap.
QString spoken(const QString& marked)
{
    static const QRegularExpression gap(QStringLiteral("_{2,}"));
    return plainText(marked).replace(gap, QStringLiteral("，"));
}

// The largest scale, from 1 down, at which a layout of `height(scale)`
// fits `room`; no less than 0.6.
double fittingScale(const std::function<double(double)>& height, double room)
{
    double scale = 1.0;
    while (scale > 0.6 && height(scale) > room) {
        scale *= 0.94;
    }
    return scale;
}

QString choiceLetter(int index)
{
    return QString(QChar(u'A' + index));
}

class MovieMaker {
public:
    MovieMaker(const Lesson& lesson, Narrator& narrator) : m_lesson(lesson), m_narrator(narrator) {}

    LessonMovie make()
    {
        openingFrames();
        titleScene();
        ruleScene();
        exampleScene();
        mistakeScene();
        if (!m_lesson.steps.isEmpty()) {
            stepScene();
        }
        for (int k = 0; k < int(m_lesson.quizzes.size()); ++k) {
            quizScene(k);
        }
        summaryScene();
        return LessonMovie{assemble(), m_narration};
    }

private:
    std::uint16_t define(swf::DefineShape shape)
    {
        shape.id = m_nextId++;
        const std::uint16_t id = shape.id;
        m_definitions.push_back({std::move(shape)});
        return id;
    }

    std::uint16_t shape(const QPainterPath& path, QColor color)
    {
        ShapeBuilder builder(0);
        builder.addFill(path, ShapeBuilder::solid(color));
        return define(builder.shape());
    }

    std::uint16_t text(const TextLines& lines, QColor color, QColor highlight = kHighlight,
                       bool centred = false)
    {
        return define(textShape(0, lines, color, highlight, centred));
    }

    std::uint16_t depth() { return m_nextDepth++; }

    // A depth for this scene only: the next scene clears it.
    std::uint16_t sceneDepth()
    {
        m_sceneDepths.push_back(depth());
        return m_sceneDepths.back();
    }

    // Speaks the line from the current frame and moves on past it and the
    // pause after it. Returns the frame it starts on.
    int say(const QString& line, double pause)
    {
        const int start = m_frame;
        m_track.resize(std::size_t(start) * kSamplesPerFrame, 0);
        const std::vector<std::int16_t> voice = m_narrator.speak(line);
        m_track.insert(m_track.end(), voice.begin(), voice.end());
        const double samples = double(voice.size()) + pause * kNarrationRate;
        // Long enough for anything that slides in with the line to settle.
        m_frame += std::max(kSlideFrames + 2, int(std::ceil(samples / kSamplesPerFrame)));
        m_narration += double(voice.size()) / kNarrationRate;
        return start;
    }

    void hold(double seconds) { m_frame += int(std::ceil(seconds * kFrameRate)); }

    // Clears the last scene and shows this one's heading.
    void beginScene(const QString& heading)
    {
        for (std::uint16_t old : m_sceneDepths) {
            m_timeline.remove(m_frame, old);
        }
        m_sceneDepths.clear();
        const TextLines label = fitText(heading, chineseFont(15), kWidth, 1);
        const double width = label.widest + 24;
        const std::uint16_t pill = shape(roundedRect(QRectF(0, 0, width, 26), 13), kHighlight);
        m_timeline.fadeIn(m_frame, sceneDepth(), pill, kLeft, kHeadingTop);
        m_timeline.fadeIn(m_frame, sceneDepth(), text(label, kTitle), kLeft + 12,
                          kHeadingTop + 18.5);
    }

    void openingFrames()
    {
        m_definitions.push_back({swf::SetBackgroundColor{toRgba(kSkyTop)}});
        const QRectF stage(0, 0, kStageWidth, kStageHeight);
        QPainterPath stagePath;
        stagePath.addRect(stage);
        ShapeBuilder background(0);
        background.addFill(stagePath,
                           ShapeBuilder::linearGradient(stage, kSkyTop, kSkyBottom, true));
        m_timeline.place(0, depth(), define(background.shape()), at(0, 0));

        struct Circle {
            double radius;
            QColor color;
            double x, y;
        };
        const Circle circles[] = {{95, QColor(191, 217, 232, 90), 470, 305},
                                  {62, QColor(243, 217, 177, 100), 90, 360},
                                  {30, QColor(180, 214, 196, 90), 525, 150}};
        for (const Circle& c : circles) {
            m_timeline.place(0, depth(), shape(circle(c.radius), c.color), at(c.x, c.y));
        }

        const QRectF bandArea(0, 0, kStageWidth, 92);
        QPainterPath band;
        band.addRect(bandArea);
        ShapeBuilder bandShape(0);
        bandShape.addFill(band,
                          ShapeBuilder::linearGradient(bandArea, kBandLeft, kBandRight, false));
        m_timeline.place(0, depth(), define(bandShape.shape()), at(0, 0));

        const TextLines chapter = fitText(m_lesson.chapter, chineseFont(13), 200, 1);
        const TextLines title =
            fitText(m_lesson.title, chineseFont(30), kStageWidth - 48 - chapter.widest - 24, 1);
        const TextLines subtitle = fitText(m_lesson.englishTitle, englishFont(15), kWidth, 1);
        m_timeline.slideIn(0, depth(), text(title, kTitle), 28, 50, 30);
        m_timeline.slideIn(4, depth(), text(subtitle, kSubtitle), 30, 78, 30);
        m_timeline.place(0, depth(), text(chapter, kSubtitle),
                         at(kStageWidth - 24 - chapter.widest, 28), opacity(0.85));
        QPainterPath accent;
        accent.addRoundedRect(QRectF(0, -2, 150, 4), 2, 2);
        m_timeline.growIn(8, depth(), shape(accent, kHighlight), 28, 100);
        m_nextDepth = kFirstSceneDepth;
    }

    void titleScene()
    {
        const TextLines english = fitText(m_lesson.englishTitle, englishFont(28), kWidth, 2);
        const TextLines chinese = fitText(m_lesson.title, chineseFont(20), kWidth, 1);
        const double middle = kStageWidth / 2.0;
        const double top = 240 - english.height() / 2;
        m_timeline.fadeIn(6, sceneDepth(), text(english, kText, kHighlight, true), middle, top);
        m_timeline.fadeIn(10, sceneDepth(), text(chinese, kMeaning, kHighlight, true), middle,
                          top + english.height() + 14);
        say(m_lesson.chapter + QStringLiteral("。") + m_lesson.title + QStringLiteral("。"),
            kLinePause);
        say(m_lesson.englishTitle, kScenePause);
    }

    void ruleScene()
    {
        beginScene(QStringLiteral("规则"));
        std::vector<TextLines> lines;
        const auto layout = [&](double scale) {
            lines.clear();
            double height = 0;
            for (const QString& rule : m_lesson.rules) {
                lines.push_back(fitText(rule, chineseFont(22 * scale), kWidth - 20, 3));
                height += lines.back().height() + 14 * scale;
            }
            return height;
        };
        const double scale = fittingScale(layout, kBodyBottom - kBodyTop);
        layout(scale);
        double y = kBodyTop + lines.front().font.pixelSize();
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const int start = m_frame;
            m_timeline.place(start, sceneDepth(), shape(circle(4), kHighlight),
                             at(kLeft + 5, y - lines[i].font.pixelSize() * 0.35));
            m_timeline.slideIn(start, sceneDepth(), text(lines[i], kText), kLeft + 20, y, 40);
            say(spoken(m_lesson.rules[qsizetype(i)]),
                i + 1 == lines.size() ? kScenePause : kLinePause);
            y += lines[i].height() + 14 * scale;
        }
    }

    void exampleScene()
    {
        beginScene(QStringLiteral("例句"));
        std::vector<std::pair<TextLines, TextLines>> blocks;
        const auto layout = [&](double scale) {
            blocks.clear();
            double height = 0;
            for (const Example& example : m_lesson.examples) {
                blocks.emplace_back(
                    fitText(example.english, fontFor(example.english, 21 * scale), kWidth - 24, 2),
                    fitText(example.chinese, chineseFont(15 * scale), kWidth - 24, 2));
                height += blocks.back().first.height() + blocks.back().second.height() + 12 * scale;
            }
            return height;
        };
        const double scale = fittingScale(layout, kBodyBottom - kBodyTop);
        layout(scale);
        double y = kBodyTop + blocks.front().first.font.pixelSize();
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            const auto& [english, chinese] = blocks[i];
            const Example& example = m_lesson.examples[qsizetype(i)];
            const int start = m_frame;
            m_timeline.place(start, sceneDepth(), shape(circle(5), kHighlight),
                             at(kLeft + 6, y - english.font.pixelSize() * 0.35));
            m_timeline.slideIn(start, sceneDepth(), text(english, kText), kLeft + 24, y, 60);
            say(spoken(example.english), 0.25);
            const double meaningY =
                y + english.height() - english.lineSpacing + chinese.font.pixelSize() * 1.5;
            m_timeline.slideIn(m_frame, sceneDepth(), text(chinese, kMeaning), kLeft + 25, meaningY,
                               30);
            say(spoken(example.chinese), i + 1 == blocks.size() ? kScenePause : kLinePause);
            y = meaningY + chinese.height() - chinese.lineSpacing + 12 * scale +
                blocks[std::min(i + 1, blocks.size() - 1)].first.font.pixelSize() * 1.25;
        }
    }

    void mistakeScene()
    {
        beginScene(QStringLiteral("常见错误"));
        TextLines wrong, right, why;
        const auto layout = [&](double scale) {
            wrong = fitText(m_lesson.wrong, fontFor(m_lesson.wrong, 21 * scale), kWidth - 36, 2);
            right = fitText(m_lesson.right, fontFor(m_lesson.right, 21 * scale), kWidth - 36, 2);
            why = fitText(m_lesson.why, chineseFont(16 * scale), kWidth - 36, 3);
            return wrong.height() + right.height() + why.height() + 60 * scale;
        };
        const double scale = fittingScale(layout, kBodyBottom - kBodyTop);
        layout(scale);
        const double textLeft = kLeft + 36;
        double y = kBodyTop + wrong.font.pixelSize();
        const double iconY = y - wrong.font.pixelSize() * 0.35;
        m_timeline.fadeIn(m_frame, sceneDepth(), shape(cross(18), kWrong), kLeft + 12, iconY);
        m_timeline.slideIn(m_frame, sceneDepth(), text(wrong, kWrongText, kWrongText), textLeft, y,
                           40);
        say(QStringLiteral("不要说：") + spoken(m_lesson.wrong), 0.2);
        m_timeline.growIn(m_frame, sceneDepth(), shape(strikePath(wrong), kWrong), textLeft, y);
        hold(0.4);

        y += wrong.height() + 26 * scale;
        m_timeline.fadeIn(m_frame, sceneDepth(), shape(tick(20), kRight), kLeft + 12,
                          y - right.font.pixelSize() * 0.35);
        m_timeline.slideIn(m_frame, sceneDepth(), text(right, kText, kRight), textLeft, y, 40);
        say(QStringLiteral("要说：") + spoken(m_lesson.right),
            m_lesson.why.isEmpty() ? kScenePause : kLinePause);
        if (!m_lesson.why.isEmpty()) {
            y += right.height() + 20 * scale;
            m_timeline.fadeIn(m_frame, sceneDepth(), text(why, kMeaning), textLeft, y);
            say(spoken(m_lesson.why), kScenePause);
        }
    }

    void stepScene()
    {
        beginScene(QStringLiteral("变一变"));
        std::vector<std::pair<TextLines, TextLines>> blocks;
        const auto layout = [&](double scale) {
            blocks.clear();
            double height = 0;
            for (const Step& step : m_lesson.steps) {
                blocks.emplace_back(
                    fitText(step.before, fontFor(step.before, 21 * scale), kWidth - 12, 2),
                    fitText(step.after, fontFor(step.after, 21 * scale), kWidth - 60, 2));
                height += blocks.back().first.height() + blocks.back().second.height() + 22 * scale;
            }
            return height;
        };
        const double scale = fittingScale(layout, kBodyBottom - kBodyTop);
        layout(scale);
        double y = kBodyTop + blocks.front().first.font.pixelSize();
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            const auto& [before, after] = blocks[i];
            const Step& step = m_lesson.steps[qsizetype(i)];
            m_timeline.slideIn(m_frame, sceneDepth(), text(before, kText), kLeft + 12, y, 40);
            say(spoken(step.before), 0.3);
            y += before.height();
            const double arrowY = y - after.font.pixelSize() * 0.35;
            m_timeline.growIn(m_frame, sceneDepth(), shape(arrow(34), kHighlight), kLeft + 12,
                              arrowY);
            m_timeline.slideIn(m_frame + 4, sceneDepth(), text(after, kText), kLeft + 58, y, 30);
            say(QStringLiteral("变成：") + spoken(step.after),
                i + 1 == blocks.size() ? kScenePause : kLinePause);
            y += after.height() + 22 * scale;
        }
    }

    // The verdict a click shows: nothing on the first frame, where it
    // stops; "right" on the second, "wrong" on the third.
    std::uint16_t verdictSprite()
    {
        const TextLines right = fitText(QStringLiteral("答对了！"), chineseFont(17), 200, 1);
        const TextLines wrong = fitText(QStringLiteral("不对哦"), chineseFont(17), 200, 1);
        const std::uint16_t rightText = text(right, kRight);
        const std::uint16_t rightIcon = shape(tick(18), kRight);
        const std::uint16_t wrongText = text(wrong, kWrong);
        const std::uint16_t wrongIcon = shape(cross(16), kWrong);

        swf::DefineSprite sprite;
        sprite.id = m_nextId++;
        sprite.frameCount = 3;
        const auto place = [&](std::uint16_t depth, std::uint16_t id, double x, double y) {
            swf::PlaceObject tag;
            tag.depth = depth;
            tag.characterId = id;
            tag.matrix = at(x, y);
            sprite.tags.push_back({tag});
        };
        sprite.tags.push_back(doAction(FrameActions().stop()));
        sprite.tags.push_back({swf::ShowFrame{}});
        place(1, rightIcon, -right.widest - 16, -6);
        place(2, rightText, -right.widest, 0);
        sprite.tags.push_back({swf::ShowFrame{}});
        for (std::uint16_t depth : {1, 2}) {
            swf::RemoveObject remove;
            remove.depth = depth;
            sprite.tags.push_back({remove});
        }
        place(3, wrongIcon, -wrong.widest - 16, -6);
        place(4, wrongText, -wrong.widest, 0);
        sprite.tags.push_back({swf::ShowFrame{}});
        sprite.tags.push_back({swf::End{}});
        m_definitions.push_back({sprite});
        return sprite.id;
    }

    void quizScene(int k)
    {
        const Quiz& quiz = m_lesson.quizzes[k];
        const int count = int(m_lesson.quizzes.size());
        beginScene(count > 1 ? QStringLiteral("练一练 %1/%2").arg(k + 1).arg(count)
                             : QStringLiteral("练一练"));
        const std::string verdictName = "verdict" + std::to_string(k + 1);
        m_timeline.place(m_frame, sceneDepth(), verdictSprite(), at(kStageWidth - kLeft, 131),
                         std::nullopt, verdictName);

        TextLines question, because;
        std::vector<TextLines> labels;
        double choiceHeight = 0;
        double gap = 0;
        const auto layout = [&](double scale) {
            question = fitText(quiz.question, fontFor(quiz.question, 21 * scale), kWidth, 2);
            because = fitText(quiz.because, chineseFont(16 * scale), kWidth - 10, 2);
            labels.clear();
            choiceHeight = 40 * scale;
            gap = 10 * scale;
            for (int i = 0; i < int(quiz.choices.size()); ++i) {
                const QString label = choiceLetter(i) + QStringLiteral(".  ") + quiz.choices[i];
                labels.push_back(fitText(label, fontFor(label, 19 * scale), kWidth - 70, 1));
            }
            return question.height() + 2 * gap + double(labels.size()) * (choiceHeight + gap) +
                   because.height();
        };
        layout(fittingScale(layout, kBodyBottom - kBodyTop));

        const int start = m_frame;
        double y = kBodyTop + question.font.pixelSize();
        m_timeline.slideIn(start, sceneDepth(), text(question, kText), kLeft, y, 40);
        y += question.height() - question.lineSpacing + 2 * gap;
        std::vector<double> choiceTops;
        for (std::size_t i = 0; i < labels.size(); ++i) {
            choiceTops.push_back(y);
            y += choiceHeight + gap;
        }

        QString reading = QStringLiteral("练一练。") + spoken(quiz.question) + QStringLiteral("。");
        for (int i = 0; i < int(quiz.choices.size()); ++i) {
            reading +=
                choiceLetter(i) + QStringLiteral("，") + quiz.choices[i] + QStringLiteral("。");
        }
        say(reading, 0);
        hold(kAnswerWait);
        const int answer = m_frame;

        // Until the answer shows, each choice is a button; a click shows the
        // verdict and skips the wait. Then the choices stand still, the right
        // one marked, with the reason under them.
        const QRectF area(0, 0, kWidth, choiceHeight);
        const std::uint16_t fill = shape(roundedRect(area, 10), kChoice);
        const std::uint16_t hover = shape(roundedRect(area, 10), kChoiceHover);
        const std::uint16_t border = shape(rim(area, 10, 1.5), kChoiceBorder);
        const QPointF labelOrigin(18, choiceHeight / 2 + labels.front().font.pixelSize() * 0.36);
        for (std::size_t i = 0; i < labels.size(); ++i) {
            const bool isRight = int(i) == quiz.answer;
            const std::uint16_t label =
                define(textShape(0, labels[i], kText, kHighlight, false, labelOrigin));
            const std::uint16_t button = m_nextId++;
            constexpr std::uint8_t kShown = ButtonPart::Up | ButtonPart::Over | ButtonPart::Down;
            m_definitions.push_back(defineButton(button,
                                                 {{ButtonPart::Up | ButtonPart::HitTest, fill},
                                                  {ButtonPart::Over | ButtonPart::Down, hover},
                                                  {kShown, border},
                                                  {kShown, label}},
                                                 FrameActions()
                                                     .setTarget(verdictName)
                                                     .gotoFrame(isRight ? 1 : 2)
                                                     .setTarget("")
                                                     .gotoFrame(std::uint16_t(answer))
                                                     .play()));
            const std::uint16_t buttonDepth = sceneDepth();
            m_timeline.fadeIn(start + 3 + 2 * int(i), buttonDepth, button, kLeft, choiceTops[i]);
            m_timeline.remove(answer, buttonDepth);

            const double top = choiceTops[i];
            m_timeline.place(answer, sceneDepth(),
                             shape(roundedRect(area, 10), isRight ? kChoiceRight : kChoiceDim),
                             at(kLeft, top));
            m_timeline.place(
                answer, sceneDepth(),
                shape(rim(area, 10, isRight ? 2.5 : 1.5), isRight ? kRight : kChoiceBorder),
                at(kLeft, top));
            m_timeline.place(answer, sceneDepth(), label, at(kLeft, top),
                             isRight ? std::nullopt : std::optional(opacity(0.45)));
            if (isRight) {
                m_timeline.fadeIn(answer, sceneDepth(), shape(tick(20), kRight),
                                  kLeft + kWidth - 24, top + choiceHeight / 2);
            }
        }
        m_timeline.fadeIn(answer, sceneDepth(), text(because, kMeaning), kLeft + 4,
                          y + because.font.pixelSize());
        say(QStringLiteral("答案是 %1，%2。")
                    .arg(choiceLetter(quiz.answer), quiz.choices[quiz.answer]) +
                spoken(quiz.because),
            kScenePause);
    }

    void summaryScene()
    {
        beginScene(QStringLiteral("小结"));
        const TextLines summary = fitText(m_lesson.summary, chineseFont(24), kWidth - 20, 3);
        const double middle = kStageWidth / 2.0;
        m_timeline.fadeIn(m_frame, sceneDepth(), text(summary, kText, kHighlight, true), middle,
                          215 - summary.height() / 2 + summary.font.pixelSize());

        // The replay button: a round-ended bar with the replay sign and its
        // caption, a shade lighter under the pointer.
        const TextLines caption = fitText(QStringLiteral("再看一遍"), chineseFont(18), 200, 1);
        const double width = caption.widest + 70;
        const QRectF area(0, 0, width, 46);
        QPainterPath face = textPaths(caption, QPointF(48, 23 + caption.font.pixelSize() * 0.36))
                                .plain.united(replaySign(9).translated(28, 23));
        const std::uint16_t faceId = shape(face, kTitle);
        const std::uint16_t replay = m_nextId++;
        constexpr std::uint8_t kShown = ButtonPart::Up | ButtonPart::Over | ButtonPart::Down;
        m_definitions.push_back(defineButton(
            replay,
            {{ButtonPart::Up | ButtonPart::HitTest, shape(roundedRect(area, 23), kBandLeft)},
             {ButtonPart::Over | ButtonPart::Down, shape(roundedRect(area, 23), kBandRight)},
             {kShown, faceId}},
            FrameActions().gotoFrame(0).play()));
        say(QStringLiteral("小结。") + spoken(m_lesson.summary), 0.3);
        m_timeline.fadeIn(m_frame, sceneDepth(), replay, middle - width / 2, 318);
        hold(kEndPause);
        // The lesson ends here; only the replay button or the player's own
        // replay starts it again.
        m_timeline.add(m_frame - 1, doAction(FrameActions().stop()));
    }

    swf::Movie assemble()
    {
        const int frames = m_frame;
        m_timeline.extendTo(frames);
        const StreamSound sound = encodeStreamSound(m_track, kSamplesPerFrame, frames);
        std::vector<swf::Tag> tags = m_definitions;
        tags.push_back({sound.head});
        std::vector<swf::Tag> timeline = m_timeline.tags();
        // Each frame's block goes just before its ShowFrame.
        int frame = 0;
        for (swf::Tag& tag : timeline) {
            if (std::holds_alternative<swf::ShowFrame>(tag.value)) {
                tags.push_back({sound.blocks[std::size_t(frame++)]});
            }
            tags.push_back(std::move(tag));
        }
        tags.push_back({swf::End{}});

        swf::Movie movie;
        movie.header.compression = swf::Compression::Zlib;
        movie.header.version = 8;
        movie.header.stage =
            swf::Rect{0, kStageWidth * swf::kTwipsPerPixel, 0, kStageHeight * swf::kTwipsPerPixel};
        movie.header.frameRate = std::uint16_t(kFrameRate * 256);
        movie.header.frameCount = std::uint16_t(frames);
        movie.tags = std::move(tags);
        return movie;
    }

    const Lesson& m_lesson;
    Narrator& m_narrator;
    std::vector<swf::Tag> m_definitions;
    SceneTimeline m_timeline;
    std::vector<std::int16_t> m_track;
    int m_frame = 0;
    double m_narration = 0;
    std::uint16_t m_nextId = 1;
    std::uint16_t m_nextDepth = 1;
    std::vector<std::uint16_t> m_sceneDepths;
};

} // namespace

LessonMovie lessonMovie(const Lesson& lesson, Narrator& narrator)
{
    return MovieMaker(lesson, narrator).make();
}

} // namespace quorvane::course
