#include "LessonMovie.h"

#include "ShapeBuilder.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace quorvane::course {

namespace {

constexpr int kTwips = swf::kTwipsPerPixel;
constexpr int kMinimumFrames = 180;
constexpr int kFirstExampleFrame = 20;
constexpr int kFramesBetweenExamples = 28;
constexpr int kSlideFrames = 12;

const QColor kSkyTop(251, 248, 241);
const QColor kSkyBottom(232, 241, 250);
const QColor kBandLeft(46, 111, 142);
const QColor kBandRight(66, 147, 168);
const QColor kTitle(255, 255, 255);
const QColor kSubtitle(220, 239, 245);
const QColor kText(31, 58, 95);
const QColor kHighlight(217, 130, 43);
const QColor kMeaning(91, 107, 122);

// Character ids.
enum : std::uint16_t {
    kBackground = 1,
    kCircleBlue,
    kCircleSand,
    kCircleSmall,
    kBand,
    kTitleText,
    kSubtitleText,
    kChapterText,
    kAccent,
    kDot,
    kPulse,
    kFirstExample = 20,
};

// Depths.
enum : std::uint16_t {
    kBackgroundDepth = 1,
    kCircleDepth = 2, // three
    kBandDepth = 6,
    kTitleDepth,
    kSubtitleDepth,
    kChapterDepth,
    kAccentDepth,
    kFirstExampleDepth = 20, // three each: bullet, sentence, meaning
};

QFont englishFont(int pixels)
{
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    return font;
}

QFont chineseFont(int pixels)
{
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(pixels);
    return font;
}

// Text from its baseline's left end at the origin, in one colour, or with
// the runs between asterisks in a second one.
swf::DefineShape textShape(std::uint16_t id, const QString& text, const QFont& font, QColor color,
                           QColor highlight = QColor())
{
    QPainterPath plain;
    QPainterPath marked;
    const QFontMetricsF metrics(font);
    double x = 0;
    const QStringList runs = text.split(u'*');
    for (qsizetype i = 0; i < runs.size(); ++i) {
        QPainterPath& path = (i % 2 == 1 && highlight.isValid()) ? marked : plain;
        path.addText(QPointF(x, 0), font, runs[i]);
        x += metrics.horizontalAdvance(runs[i]);
    }
    ShapeBuilder builder(id);
    builder.addFill(plain, ShapeBuilder::solid(color));
    if (!marked.isEmpty()) {
        builder.addFill(marked, ShapeBuilder::solid(highlight));
    }
    return builder.shape();
}

swf::DefineShape pathShape(std::uint16_t id, const QPainterPath& path, const swf::FillStyle& fill)
{
    ShapeBuilder builder(id);
    builder.addFill(path, fill);
    return builder.shape();
}

QPainterPath circle(double radius)
{
    QPainterPath path;
    path.addEllipse(QPointF(0, 0), radius, radius);
    return path;
}

swf::Matrix at(double x, double y, double scaleX = 1.0, double scaleY = 1.0)
{
    swf::Matrix matrix;
    matrix.scaleX = swf::Fixed16(std::lround(scaleX * swf::kFixed16One));
    matrix.scaleY = swf::Fixed16(std::lround(scaleY * swf::kFixed16One));
    matrix.translateX = swf::Twips(std::lround(x * kTwips));
    matrix.translateY = swf::Twips(std::lround(y * kTwips));
    return matrix;
}

swf::ColorTransform opacity(double alpha)
{
    swf::ColorTransform transform;
    transform.alphaMultiply = std::int16_t(std::lround(std::clamp(alpha, 0.0, 1.0) * 256));
    return transform;
}

double easeOut(double t)
{
    const double rest = 1.0 - std::clamp(t, 0.0, 1.0);
    return 1.0 - rest * rest * rest;
}

// The tags of each frame, collected out of order and written in order.
class Timeline {
public:
    explicit Timeline(int frames) : m_frames(std::size_t(frames)) {}

    void add(int frame, swf::Tag tag) { m_frames.at(std::size_t(frame)).push_back(std::move(tag)); }

    void place(int frame, std::uint16_t depth, std::uint16_t id, const swf::Matrix& matrix,
               std::optional<swf::ColorTransform> colors = std::nullopt)
    {
        swf::PlaceObject tag;
        tag.depth = depth;
        tag.characterId = id;
        tag.matrix = matrix;
        tag.colorTransform = colors;
        add(frame, {tag});
    }

    void move(int frame, std::uint16_t depth, std::optional<swf::Matrix> matrix,
              std::optional<swf::ColorTransform> colors)
    {
        swf::PlaceObject tag;
        tag.depth = depth;
        tag.move = true;
        tag.matrix = matrix;
        tag.colorTransform = colors;
        add(frame, {tag});
    }

    // Placed at `start`, sliding in from `offset` pixels to the right of
    // (x, y) and fading in over the slide.
    void slideIn(int start, std::uint16_t depth, std::uint16_t id, double x, double y,
                 double offset)
    {
        for (int step = 0; step <= kSlideFrames; ++step) {
            const double t = easeOut(double(step) / kSlideFrames);
            const swf::Matrix matrix = at(x + offset * (1 - t), y);
            if (step == 0) {
                place(start, depth, id, matrix, opacity(0));
            } else {
                move(start + step, depth, matrix, opacity(t));
            }
        }
    }

    std::vector<swf::Tag> tags() const
    {
        std::vector<swf::Tag> all;
        for (const std::vector<swf::Tag>& frame : m_frames) {
            all.insert(all.end(), frame.begin(), frame.end());
            all.push_back({swf::ShowFrame{}});
        }
        return all;
    }

private:
    std::vector<std::vector<swf::Tag>> m_frames;
};

} // namespace

swf::Movie lessonMovie(const Lesson& lesson)
{
    const int exampleCount = int(lesson.examples.size());
    const int lastExample =
        kFirstExampleFrame + kFramesBetweenExamples * std::max(0, exampleCount - 1);
    const int frames = std::max(kMinimumFrames, lastExample + 4 * kSlideFrames + 36);

    std::vector<swf::Tag> definitions;
    definitions.push_back({swf::SetBackgroundColor{toRgba(kSkyTop)}});
    const QRectF stage(0, 0, kStageWidth, kStageHeight);
    QPainterPath stagePath;
    stagePath.addRect(stage);
    definitions.push_back({pathShape(
        kBackground, stagePath, ShapeBuilder::linearGradient(stage, kSkyTop, kSkyBottom, true))});
    definitions.push_back(
        {pathShape(kCircleBlue, circle(95), ShapeBuilder::solid(QColor(191, 217, 232, 90)))});
    definitions.push_back(
        {pathShape(kCircleSand, circle(62), ShapeBuilder::solid(QColor(243, 217, 177, 100)))});
    definitions.push_back(
        {pathShape(kCircleSmall, circle(30), ShapeBuilder::solid(QColor(180, 214, 196, 90)))});

    const QRectF bandArea(0, 0, kStageWidth, 92);
    QPainterPath band;
    band.addRect(bandArea);
    definitions.push_back({pathShape(
        kBand, band, ShapeBuilder::linearGradient(bandArea, kBandLeft, kBandRight, false))});
    definitions.push_back({textShape(kTitleText, lesson.title, chineseFont(30), kTitle)});
    definitions.push_back(
        {textShape(kSubtitleText, lesson.englishTitle, englishFont(15), kSubtitle)});
    const QFont chapterFont = chineseFont(13);
    definitions.push_back({textShape(kChapterText, lesson.chapter, chapterFont, kSubtitle)});
    QPainterPath accent;
    accent.addRoundedRect(QRectF(0, -2, 150, 4), 2, 2);
    definitions.push_back({pathShape(kAccent, accent, ShapeBuilder::solid(kHighlight))});

    // A dot that pulses on its own timeline, marking each example.
    definitions.push_back({pathShape(kDot, circle(5), ShapeBuilder::solid(kHighlight))});
    swf::DefineSprite pulse;
    pulse.id = kPulse;
    pulse.frameCount = 12;
    for (int frame = 0; frame < 12; ++frame) {
        const double scale = 1.0 + 0.3 * std::sin(2 * std::numbers::pi * frame / 12);
        swf::PlaceObject tag;
        tag.depth = 1;
        tag.move = frame > 0;
        if (frame == 0) {
            tag.characterId = kDot;
        }
        tag.matrix = at(0, 0, scale, scale);
        pulse.tags.push_back({tag});
        pulse.tags.push_back({swf::ShowFrame{}});
    }
    pulse.tags.push_back({swf::End{}});
    definitions.push_back({pulse});

    Timeline timeline(frames);
    timeline.place(0, kBackgroundDepth, kBackground, at(0, 0));
    // The circles drift on slow loops that fit the movie's length, so the
    // start over is seamless.
    struct Drift {
        std::uint16_t id;
        double x, y, dx, dy, turns;
    };
    const Drift drifts[] = {{kCircleBlue, 470, 300, 18, 10, 1},
                            {kCircleSand, 90, 360, 14, 12, 2},
                            {kCircleSmall, 520, 150, 10, 16, 1}};
    for (int frame = 0; frame < frames; ++frame) {
        for (int i = 0; i < 3; ++i) {
            const Drift& drift = drifts[i];
            const double angle = 2 * std::numbers::pi * drift.turns * frame / frames;
            const swf::Matrix matrix =
                at(drift.x + drift.dx * std::sin(angle), drift.y + drift.dy * std::cos(angle));
            const auto depth = std::uint16_t(kCircleDepth + i);
            if (frame == 0) {
                timeline.place(0, depth, drift.id, matrix);
            } else {
                timeline.move(frame, depth, matrix, std::nullopt);
            }
        }
    }

    timeline.place(0, kBandDepth, kBand, at(0, 0));
    timeline.slideIn(0, kTitleDepth, kTitleText, 28, 50, 30);
    timeline.slideIn(4, kSubtitleDepth, kSubtitleText, 30, 78, 30);
    const double chapterWidth = QFontMetricsF(chapterFont).horizontalAdvance(lesson.chapter);
    timeline.place(0, kChapterDepth, kChapterText, at(kStageWidth - 24 - chapterWidth, 28),
                   opacity(0.85));
    for (int step = 0; step <= kSlideFrames; ++step) {
        const double t = easeOut(double(step) / kSlideFrames);
        const swf::Matrix matrix = at(28, 108, std::max(t, 0.01), 1.0);
        if (step == 0) {
            timeline.place(8, kAccentDepth, kAccent, matrix);
        } else {
            timeline.move(8 + step, kAccentDepth, matrix, std::nullopt);
        }
    }

    for (int k = 0; k < exampleCount; ++k) {
        const Example& example = lesson.examples[k];
        const int start = kFirstExampleFrame + kFramesBetweenExamples * k;
        const auto depth = std::uint16_t(kFirstExampleDepth + 3 * k);
        const auto id = std::uint16_t(kFirstExample + 2 * k);
        const double baseline = 150 + 68 * k;
        definitions.push_back({textShape(id, example.english, englishFont(21), kText, kHighlight)});
        definitions.push_back(
            {textShape(std::uint16_t(id + 1), example.chinese, chineseFont(15), kMeaning)});
        timeline.slideIn(start, std::uint16_t(depth + 1), id, 58, baseline, 70);
        timeline.slideIn(start + 5, std::uint16_t(depth + 2), std::uint16_t(id + 1), 60,
                         baseline + 26, 40);
        timeline.place(start + 8, depth, kPulse, at(40, baseline - 7));
    }

    std::vector<swf::Tag> tags = definitions;
    for (swf::Tag& tag : timeline.tags()) {
        tags.push_back(std::move(tag));
    }
    tags.push_back({swf::End{}});

    swf::Movie movie;
    movie.header.compression = swf::Compression::Zlib;
    movie.header.version = 8;
    movie.header.stage = swf::Rect{0, kStageWidth * kTwips, 0, kStageHeight * kTwips};
    movie.header.frameRate = std::uint16_t(kFrameRate * 256);
    movie.header.frameCount = std::uint16_t(frames);
    movie.tags = std::move(tags);
    return movie;
}

} // namespace quorvane::course
