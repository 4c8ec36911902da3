#include "SwfFixtures.h"

#include "swf/Writer.h"

#include <cmath>
#include <stdexcept>

namespace quorvane::fixtures {

swf::Header header(int width, int height, double frameRate, std::uint16_t frameCount,
                   swf::Compression compression)
{
    swf::Header result;
    result.compression = compression;
    result.version = 8;
    result.stage = swf::Rect{0, width * swf::kTwipsPerPixel, 0, height * swf::kTwipsPerPixel};
    result.frameRate = static_cast<std::uint16_t>(std::lround(frameRate * 256));
    result.frameCount = frameCount;
    return result;
}

swf::DefineShape rectangle(std::uint16_t id, int x, int y, int width, int height, swf::Rgba color)
{
    const int twips = swf::kTwipsPerPixel;
    swf::DefineShape shape;
    shape.version = 3;
    shape.id = id;
    shape.bounds = swf::Rect{x * twips, (x + width) * twips, y * twips, (y + height) * twips};
    swf::FillStyle fill;
    fill.color = color;
    shape.shape.styles.fillStyles.push_back(fill);
    swf::StyleChangeRecord start;
    start.moveTo = swf::Point{x * twips, y * twips};
    start.fillStyle1 = 1;
    shape.shape.records = {
        start,
        swf::StraightEdgeRecord{width * twips, 0},
        swf::StraightEdgeRecord{0, height * twips},
        swf::StraightEdgeRecord{-width * twips, 0},
        swf::StraightEdgeRecord{0, -height * twips},
    };
    return shape;
}

swf::Matrix translation(int x, int y)
{
    swf::Matrix matrix;
    matrix.translateX = x * swf::kTwipsPerPixel;
    matrix.translateY = y * swf::kTwipsPerPixel;
    return matrix;
}

swf::PlaceObject place(std::uint16_t depth, std::uint16_t characterId, int x, int y)
{
    swf::PlaceObject tag;
    tag.version = 2;
    tag.depth = depth;
    tag.characterId = characterId;
    tag.matrix = translation(x, y);
    return tag;
}

swf::PlaceObject move(std::uint16_t depth, int x, int y)
{
    swf::PlaceObject tag;
    tag.version = 2;
    tag.depth = depth;
    tag.move = true;
    tag.matrix = translation(x, y);
    return tag;
}

swf::RemoveObject remove(std::uint16_t depth)
{
    swf::RemoveObject tag;
    tag.version = 2;
    tag.depth = depth;
    return tag;
}

swf::Movie movie(const swf::Header& header, std::vector<swf::Tag> tags)
{
    tags.push_back(swf::Tag{swf::End{}});
    return swf::Movie{header, std::move(tags)};
}

std::vector<std::uint8_t> bytes(const swf::Movie& movie)
{
    auto written = swf::writeMovie(movie);
    if (!written) {
        throw std::runtime_error(written.error().message);
    }
    return std::move(written).value();
}

std::vector<std::uint8_t> movieOfFrames(std::vector<std::vector<swf::Tag>> frames, int version)
{
    swf::Header head = header(100, 100, 12, std::uint16_t(frames.size()));
    head.version = std::uint8_t(version);
    std::vector<swf::Tag> tags;
    for (auto& frame : frames) {
        for (swf::Tag& tag : frame) {
            tags.push_back(std::move(tag));
        }
        tags.push_back(swf::Tag{swf::ShowFrame{}});
    }
    return bytes(movie(head, std::move(tags)));
}

swf::Movie animatedMovie(int frames, double frameRate)
{
    std::vector<swf::Tag> tags;
    tags.push_back({swf::SetBackgroundColor{swf::Rgba{250, 240, 220, 255}}});
    tags.push_back({rectangle(1, 0, 0, 200, 150, swf::Rgba{230, 230, 250, 255})});
    tags.push_back({rectangle(2, 0, 0, 10, 10, kRed)});
    tags.push_back({rectangle(3, 0, 0, 20, 20, kGreen)});
    tags.push_back({rectangle(4, 0, 0, 8, 8, kBlue)});

    swf::DefineSprite sprite;
    sprite.id = 5;
    sprite.frameCount = 3;
    for (int frame = 0; frame < 3; ++frame) {
        sprite.tags.push_back({frame == 0 ? place(1, 4, 0, 0) : move(1, 0, frame * 5)});
        sprite.tags.push_back({swf::ShowFrame{}});
    }
    sprite.tags.push_back({swf::End{}});
    tags.push_back({sprite});

    for (int frame = 0; frame < frames; ++frame) {
        if (frame == 0) {
            tags.push_back({place(1, 1)});
            tags.push_back({place(2, 2, 0, 60)});
        } else {
            tags.push_back({move(2, frame % 190, 60)});
        }
        if (frame % 3 == 0) {
            tags.push_back({place(3, 3, 150, 20)});
        } else if (frame % 3 == 1) {
            tags.push_back({remove(3)});
        }
        if (frame == 5 || frame == 21) {
            tags.push_back({place(4, 5, 100, 100)});
        } else if (frame == 20) {
            tags.push_back({remove(4)});
        }
        tags.push_back({swf::ShowFrame{}});
    }
    return movie(header(200, 150, frameRate, static_cast<std::uint16_t>(frames)), std::move(tags));
}

std::vector<std::uint8_t> littleEndianPcm(const std::vector<std::int16_t>& samples)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(samples.size() * 2);
    for (const std::int16_t sample : samples) {
        const auto value = static_cast<std::uint16_t>(sample);
        bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(value >> 8));
    }
    return bytes;
}

swf::DefineSound pcmSound(std::uint16_t id, const std::vector<std::int16_t>& samples,
                          std::uint8_t rateCode, bool stereo)
{
    swf::DefineSound sound;
    sound.id = id;
    sound.format = swf::SoundFormat{swf::SoundCoding::LittleEndianPcm, rateCode, true, stereo};
    sound.sampleCount = static_cast<std::uint32_t>(samples.size() / (stereo ? 2 : 1));
    sound.data = littleEndianPcm(samples);
    return sound;
}

swf::SoundStreamHead pcmStreamHead(std::uint16_t samplesPerBlock)
{
    swf::SoundStreamHead head;
    head.playback = swf::SoundFormat{swf::SoundCoding::LittleEndianPcm, 3, true, false};
    head.stream = head.playback;
    head.samplesPerBlock = samplesPerBlock;
    return head;
}

swf::SoundStreamBlock pcmStreamBlock(const std::vector<std::int16_t>& samples)
{
    return swf::SoundStreamBlock{littleEndianPcm(samples)};
}

std::int16_t streamLevel(int frame)
{
    return static_cast<std::int16_t>(1000 + 100 * frame);
}

swf::Movie streamMovie(int frames, double frameRate)
{
    const auto perFrame = static_cast<std::uint16_t>(std::lround(44100 / frameRate));
    std::vector<swf::Tag> tags{{pcmStreamHead(perFrame)}};
    for (int frame = 0; frame < frames; ++frame) {
        tags.push_back({pcmStreamBlock(std::vector<std::int16_t>(perFrame, streamLevel(frame)))});
        tags.push_back({swf::ShowFrame{}});
    }
    return movie(header(100, 100, frameRate, static_cast<std::uint16_t>(frames)), std::move(tags));
}

} // namespace quorvane::fixtures
