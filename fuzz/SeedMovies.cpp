// quorvane-fuzz-seeds DIR: writes small movies using every character tag
// the engine reads (bitmaps of each kind, morph shapes, fonts, static and
// edit texts, PlaceObject3 with blend modes and filters) into DIR, so that
// the fuzzer starts from inputs that reach those readers and renderers.

#include "swf/Writer.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <fstream>
#include <iostream>
#include <string>

using namespace quorvane::swf;

namespace {

constexpr int kTwips = kTwipsPerPixel;

std::vector<std::uint8_t> zlib(const QByteArray& raw)
{
    const QByteArray packed = qCompress(raw).mid(4);
    return {packed.begin(), packed.end()};
}

std::vector<std::uint8_t> jpeg()
{
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(qRgb(200, 40, 40));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPG", 80);
    return {bytes.begin(), bytes.end()};
}

std::vector<ShapeRecord> square(int size, bool withStyles)
{
    StyleChangeRecord start;
    start.moveTo = Point{0, 0};
    if (withStyles) {
        start.fillStyle1 = 1;
        start.lineStyle = 1;
    }
    const int side = size * kTwips;
    return {start, StraightEdgeRecord{side, 0},
            CurvedEdgeRecord{side / 2, side / 2, -side / 2, side / 2}, StraightEdgeRecord{-side, 0},
            StraightEdgeRecord{0, -side}};
}

DefineShape bitmapShape(std::uint16_t id, std::uint16_t bitmap, FillStyle::Type type)
{
    DefineShape shape;
    shape.version = 3;
    shape.id = id;
    shape.bounds = Rect{0, 40 * kTwips, 0, 40 * kTwips};
    FillStyle fill;
    fill.type = type;
    fill.bitmapId = bitmap;
    fill.bitmapMatrix = Matrix{2 * kTwips << 16, 2 * kTwips << 16, 0, 0, 0, 0};
    LineStyle line;
    line.width = kTwips;
    shape.shape.styles = {{fill}, {line}};
    shape.shape.records = square(40, true);
    return shape;
}

PlaceObject place(std::uint16_t depth, std::uint16_t id, std::uint8_t blendMode,
                  std::vector<Filter> filters)
{
    PlaceObject tag;
    tag.version = 3;
    tag.depth = depth;
    tag.characterId = id;
    tag.matrix = Matrix{65536, 65536, 0, 0, depth * 15 * kTwips, depth * 10 * kTwips};
    tag.ratio = std::uint16_t(depth * 9000);
    tag.colorTransform = ColorTransform{200, 256, 256, 220, 10, 0, -20, 0};
    tag.blendMode = blendMode;
    tag.bitmapCache = depth % 2;
    if (!filters.empty()) {
        tag.filters = std::move(filters);
    }
    return tag;
}

Movie seed(std::uint8_t version, std::vector<Tag> definitions, int objects)
{
    Movie movie;
    movie.header.version = version;
    movie.header.stage = Rect{0, 200 * kTwips, 0, 150 * kTwips};
    movie.header.frameCount = 2;
    movie.tags = std::move(definitions);
    const std::vector<Filter> filters{
        Filter{1, std::vector<std::uint8_t>{0, 0, 4, 0, 0, 0, 4, 0, 0x10}},
        Filter{2, std::vector<std::uint8_t>{255, 0, 255, 255, 0, 0, 2, 0, 0, 0, 2, 0, 0, 1, 0x28}}};
    for (int i = 0; i < objects; ++i) {
        movie.tags.push_back(
            Tag{place(std::uint16_t(i + 1), std::uint16_t(10 + i), std::uint8_t(1 + (i * 3) % 14),
                      i % 2 ? filters : std::vector<Filter>{})});
    }
    movie.tags.push_back(Tag{ShowFrame{}});
    movie.tags.push_back(Tag{ShowFrame{}});
    movie.tags.push_back(Tag{End{}});
    return movie;
}

std::vector<Tag> bitmapDefinitions()
{
    QByteArray argb;
    for (int i = 0; i < 16; ++i) {
        argb.append(QByteArray::fromHex("80800000ff00ff00"));
    }
    QByteArray mapped = QByteArray::fromHex("ff000000ff000000ff");
    mapped.append(QByteArray::fromHex("0001020001020100"));
    return {Tag{JpegTables{{0xFF, 0xD8, 0xFF, 0xD9}}},
            Tag{DefineBitsJpeg{1, 1, jpeg(), {}, 0}},
            Tag{DefineBitsJpeg{2, 2, jpeg(), {}, 0}},
            Tag{DefineBitsJpeg{3, 3, jpeg(), zlib(QByteArray(256, '\x80')), 0}},
            Tag{DefineBitsLossless{2, 4, LosslessFormat::Rgb32, 4, 8, 0, zlib(argb)}},
            Tag{DefineBitsLossless{1, 5, LosslessFormat::ColorMapped8, 4, 2, 2, zlib(mapped)}},
            Tag{bitmapShape(10, 1, FillStyle::Type::ClippedBitmap)},
            Tag{bitmapShape(11, 3, FillStyle::Type::RepeatingBitmap)},
            Tag{bitmapShape(12, 4, FillStyle::Type::NonSmoothedClippedBitmap)},
            Tag{bitmapShape(13, 5, FillStyle::Type::NonSmoothedRepeatingBitmap)}};
}

std::vector<Tag> morphDefinitions()
{
    DefineMorphShape morph;
    morph.version = 2;
    morph.id = 10;
    morph.startBounds = Rect{0, 800, 0, 800};
    morph.endBounds = Rect{0, 1600, 0, 1600};
    MorphFillStyle fill;
    fill.start.type = fill.end.type = FillStyle::Type::LinearGradient;
    fill.start.gradient.records = {{0, Rgba{255, 0, 0, 255}}, {255, Rgba{0, 0, 255, 255}}};
    fill.end.gradient.records = {{0, Rgba{0, 255, 0, 255}}, {255, Rgba{255, 255, 0, 128}}};
    MorphLineStyle line;
    line.start.width = 20;
    line.end.width = 100;
    morph.fillStyles = {fill};
    morph.lineStyles = {line};
    morph.startEdges = square(40, true);
    morph.endEdges = square(80, false);
    return {Tag{morph}};
}

std::vector<Tag> textDefinitions(bool utf8)
{
    DefineFont font;
    font.id = 1;
    font.name = utf8 ? "\xE5\xAE\x8B\xE4\xBD\x93" : "\xCB\xCE\xCC\xE5";
    Shape glyph;
    glyph.records = square(50, true);
    font.glyphs = {glyph, glyph};
    font.codes = {'A', 0x4E2D};
    FontLayout layout;
    layout.ascent = 900;
    layout.descent = 124;
    layout.advances = {1100, 1024};
    layout.bounds = {Rect{0, 1024, -1024, 0}, Rect{0, 1024, -1024, 0}};
    font.layout = layout;
    DefineFont device;
    device.id = 2;
    device.name = "_sans";
    DefineText text;
    text.version = 2;
    text.id = 10;
    TextRecord record;
    record.fontId = 1;
    record.height = 240;
    record.color = Rgba{0, 0, 255, 255};
    record.xOffset = 20;
    record.yOffset = 300;
    record.glyphs = {{0, 260}, {1, 240}, {5, 100}};
    text.records = {record};
    DefineEditText embedded;
    embedded.id = 11;
    embedded.bounds = Rect{0, 2000, 0, 800};
    embedded.fontId = 1;
    embedded.fontHeight = 300;
    embedded.useOutlines = true;
    embedded.border = true;
    embedded.initialText = utf8 ? "A\xE4\xB8\xAD"
                                  "A"
                                : "A\xD6\xD0";
    DefineEditText html;
    html.id = 12;
    html.bounds = Rect{0, 3000, 0, 1600};
    html.fontId = 2;
    html.fontHeight = 240;
    html.html = html.wordWrap = html.multiline = true;
    html.layout = EditTextLayout{TextAlign::Center, 40, 40, 20, 40};
    html.initialText =
        utf8 ? "<p align=\"right\"><font face=\"\xE9\xBB\x91\xE4\xBD\x93\" size=\"18\" "
               "color=\"#FF0000\">\xE4\xB8\xAD\xE6\x96\x87 <b>bold</b></font></p>"
               "<li>item &amp; more</li><br><textformat indent=\"4\"><u>u</u></textformat>"
             : "\xD6\xD0\xCE\xC4 text\rsecond line";
    return {Tag{font}, Tag{device}, Tag{text}, Tag{embedded}, Tag{html}};
}

bool write(const std::string& path, const Movie& movie)
{
    const auto bytes = writeMovie(movie);
    if (!bytes) {
        std::cerr << path << ": " << bytes.error().message << '\n';
        return false;
    }
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.value().data()),
               std::streamsize(bytes.value().size()));
    return bool(file);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: quorvane-fuzz-seeds DIR\n";
        return 2;
    }
    const std::string folder = argv[1];
    const bool ok = write(folder + "/seed-bitmaps.swf", seed(8, bitmapDefinitions(), 4)) &&
                    write(folder + "/seed-morph.swf", seed(8, morphDefinitions(), 1)) &&
                    write(folder + "/seed-text-utf8.swf", seed(6, textDefinitions(true), 3)) &&
                    write(folder + "/seed-text-gbk.swf", seed(5, textDefinitions(false), 3));
    return ok ? 0 : 1;
}
