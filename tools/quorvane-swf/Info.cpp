#include "Info.h"

#include "swf/TagCode.h"

#include <cstdio>
#include <map>
#include <string>

namespace quorvane::tools {

namespace {

// Shortest decimal form with at most two decimals: 550, 101.3, 29.97.
std::string decimal(double value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", value);
    std::string result = text;
    while (result.back() == '0') {
        result.pop_back();
    }
    if (result.back() == '.') {
        result.pop_back();
    }
    return result;
}

void countTags(const std::vector<swf::Tag>& tags, std::map<std::uint16_t, int>& counts)
{
    for (const swf::Tag& tag : tags) {
        ++counts[swf::tagCode(tag)];
        if (const auto* sprite = std::get_if<swf::DefineSprite>(&tag.value)) {
            countTags(sprite->tags, counts);
        }
    }
}

} // namespace

void printInfo(std::ostream& out, const swf::ReadMovie& read)
{
    const swf::Header& header = read.movie.header;
    const double width = double(header.stage.xMax - header.stage.xMin) / swf::kTwipsPerPixel;
    const double height = double(header.stage.yMax - header.stage.yMin) / swf::kTwipsPerPixel;
    out << "version: " << int(header.version) << '\n'
        << "compression: " << swf::signatureName(header.compression) << '\n'
        << "stage: " << decimal(width) << " x " << decimal(height) << '\n'
        << "frame-rate: " << decimal(header.frameRatePerSecond()) << '\n'
        << "frames: " << header.frameCount << '\n';
    std::map<std::uint16_t, int> counts;
    countTags(read.movie.tags, counts);
    out << "tags:\n";
    for (const auto& [code, count] : counts) {
        out << "  " << swf::tagName(code) << " (" << code << "): " << count << '\n';
    }
}

} // namespace quorvane::tools
