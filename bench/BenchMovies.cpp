#include "BenchMovies.h"

#include "SwfFixtures.h"

#include <QBuffer>
#include <QImage>
#include <cmath>

namespace quorvane::bench {

namespace {

constexpr int kTwips = swf::kTwipsPerPixel;

// A rounded blob of four curves with an outline and a radial gradient.
swf::DefineShape blob(std::uint16_t id, int radius, swf::Rgba inner, swf::Rgba outer)
{
    swf::DefineShape shape;
    shape.version = 3;
    shape.id = id;
    const int r = radius * kTwips;
    shape.bounds = swf::Rect{-r, r, -r, r};
    swf::FillStyle fill;
    fill.type = swf::FillStyle::Type::RadialGradient;
    const int scale = int(r * 65536.0 / swf::kGradientSquareHalf);
    fill.gradient.matrix = swf::Matrix{scale, scale, 0, 0, 0, 0};
    fill.gradient.records = {{0, inner}, {255, outer}};
    swf::LineStyle line;
    line.width = 2 * kTwips;
    line.color = swf::Rgba{40, 40, 60, 255};
    shape.shape.styles = {{fill}, {line}};
    swf::StyleChangeRecord start;
    start.moveTo = swf::Point{r, 0};
    start.fillStyle1 = 1;
    start.lineStyle = 1;
    shape.shape.records = {start, swf::CurvedEdgeRecord{0, r, -r, 0},
                           swf::CurvedEdgeRecord{-r, 0, 0, -r}, swf::CurvedEdgeRecord{0, -r, r, 0},
                           swf::CurvedEdgeRecord{r, 0, 0, r}};
    return shape;
}

} // namespace

swf::Movie busyMovie(int frames)
{
    std::vector<swf::Tag> tags;
    tags.push_back({swf::SetBackgroundColor{swf::Rgba{240, 244, 250, 255}}});
    swf::DefineShape background = fixtures::rectangle(1, 0, 0, 569, 430, swf::Rgba{});
    swf::FillStyle sky;
    sky.type = swf::FillStyle::Type::LinearGradient;
    sky.gradient.matrix = swf::Matrix{0,
                                      0,
                                      int(430.0 * kTwips / 32768 * 65536),
                                      -int(569.0 * kTwips / 32768 * 65536),
                                      284 * kTwips,
                                      215 * kTwips};
    sky.gradient.records = {{0, swf::Rgba{200, 220, 255, 255}},
                            {255, swf::Rgba{255, 250, 235, 255}}};
    background.shape.styles.fillStyles = {sky};
    tags.push_back({background});
    for (std::uint16_t i = 0; i < 8; ++i) {
        tags.push_back({blob(std::uint16_t(10 + i), 10 + 4 * i,
                             swf::Rgba{255, std::uint8_t(200 - 20 * i), 80, 255},
                             swf::Rgba{std::uint8_t(30 * i), 80, 200, 200})});
    }
    swf::DefineSprite spinner;
    spinner.id = 30;
    spinner.frameCount = 12;
    for (int frame = 0; frame < 12; ++frame) {
        swf::PlaceObject place = frame == 0 ? fixtures::place(1, 11) : fixtures::move(1, 0, 0);
        const double angle = frame * 3.14159265 / 6;
        place.matrix = swf::Matrix{int(65536 * std::cos(angle)),
                                   int(65536 * std::cos(angle)),
                                   int(65536 * std::sin(angle)),
                                   -int(65536 * std::sin(angle)),
                                   30 * kTwips,
                                   0};
        spinner.tags.push_back({place});
        spinner.tags.push_back({swf::ShowFrame{}});
    }
    tags.push_back({spinner});

    for (int frame = 0; frame < frames; ++frame) {
        if (frame == 0) {
            tags.push_back({fixtures::place(1, 1)});
        }
        for (int object = 0; object < 40; ++object) {
            const auto depth = std::uint16_t(10 + object);
            const int x = (object * 53 + frame * (1 + object % 5)) % 620 - 25;
            const int y = (object * 97) % 430;
            tags.push_back({frame == 0
                                ? fixtures::place(depth, std::uint16_t(10 + object % 8), x, y)
                                : fixtures::move(depth, x, y)});
        }
        if (frame == 0) {
            for (std::uint16_t sprite = 0; sprite < 4; ++sprite) {
                tags.push_back(
                    {fixtures::place(std::uint16_t(100 + sprite), 30, 80 + 130 * sprite, 380)});
            }
        }
        tags.push_back({swf::ShowFrame{}});
    }
    return fixtures::movie(fixtures::header(569, 430, 12, std::uint16_t(frames)), std::move(tags));
}

swf::Movie chineseTextMovie(int frames)
{
    swf::DefineFont font;
    font.id = 1;
    font.name = "\xE5\xAE\x8B\xE4\xBD\x93"; // 宋体
    swf::DefineEditText text;
    text.id = 2;
    text.bounds = swf::Rect{20 * kTwips, 549 * kTwips, 20 * kTwips, 410 * kTwips};
    text.wordWrap = text.multiline = text.readOnly = true;
    text.fontId = 1;
    text.fontHeight = 16 * kTwips;
    text.textColor = swf::Rgba{20, 20, 80, 255};
    std::string page;
    const std::string sentence = "\xE5\x90\x8D\xE8\xAF\x8D\xE6\x98\xAF\xE8\xA1\xA8\xE7\xA4\xBA"
                                 "\xE4\xBA\xBA\xE6\x88\x96\xE4\xBA\x8B\xE7\x89\xA9\xE7\x9A\x84"
                                 "\xE5\x90\x8D\xE7\xA7\xB0\xE3\x80\x82 The noun names a thing. ";
    for (int i = 0; i < 24; ++i) {
        page += sentence;
    }
    text.initialText = page;
    std::vector<swf::Tag> tags{
        swf::Tag{swf::SetBackgroundColor{swf::Rgba{255, 255, 240, 255}}},
        swf::Tag{font},
        swf::Tag{text},
        swf::Tag{fixtures::rectangle(3, 0, 0, 20, 20, swf::Rgba{200, 0, 0, 255})},
        swf::Tag{fixtures::place(1, 2)},
        swf::Tag{fixtures::place(2, 3)}};
    for (int frame = 0; frame < frames; ++frame) {
        tags.push_back(swf::Tag{fixtures::move(2, (frame * 7) % 549, (frame * 3) % 410)});
        tags.push_back(swf::Tag{swf::ShowFrame{}});
    }
    return fixtures::movie(fixtures::header(569, 430, 12, std::uint16_t(frames)), std::move(tags));
}

swf::Movie maskedPhotoMovie(int frames)
{
    QImage picture(1920, 1080, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < picture.width(); ++x) {
            line[x] = qRgb((x * 255 / 1920) ^ (y & 31), (y * 255 / 1080) ^ (x & 15),
                           int(128 + 127 * std::sin(x * 0.01 + y * 0.02)));
        }
    }
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG", 85);
    swf::DefineBitsJpeg bitmap;
    bitmap.version = 2;
    bitmap.id = 1;
    bitmap.imageData.assign(jpeg.begin(), jpeg.end());

    swf::DefineShape photo = fixtures::rectangle(2, 0, 0, 569, 430, swf::Rgba{0, 0, 0, 255});
    swf::FillStyle fill;
    fill.type = swf::FillStyle::Type::ClippedBitmap;
    fill.bitmapId = 1;
    const auto scale = swf::Fixed16(569.0 / 1920.0 * kTwips * 65536);
    fill.bitmapMatrix = swf::Matrix{scale, scale, 0, 0, 0, 0};
    photo.shape.styles.fillStyles = {fill};

    swf::PlaceObject mask = fixtures::place(1, 3);
    mask.clipDepth = 2;
    std::vector<swf::Tag> tags{swf::Tag{swf::SetBackgroundColor{swf::Rgba{0, 0, 0, 255}}},
                               swf::Tag{bitmap},
                               swf::Tag{photo},
                               swf::Tag{blob(3, 150, {255, 255, 255, 255}, {255, 255, 255, 255})},
                               swf::Tag{mask},
                               swf::Tag{fixtures::place(2, 2)}};
    for (int frame = 0; frame < frames; ++frame) {
        tags.push_back(
            swf::Tag{fixtures::move(1, 150 + (frame * 9) % 270, 150 + (frame * 5) % 130)});
        tags.push_back(swf::Tag{swf::ShowFrame{}});
    }
    return fixtures::movie(fixtures::header(569, 430, 12, std::uint16_t(frames)), std::move(tags));
}

} // namespace quorvane::bench
