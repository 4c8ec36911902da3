#include "player/sound/Mp3File.h"

#include <array>

namespace quorvane::player {

namespace {

constexpr std::size_t kTagHeader = 10;

std::uint32_t syncSafe(std::span<const std::uint8_t> b)
{
    return std::uint32_t(b[0] & 0x7f) << 21 | std::uint32_t(b[1] & 0x7f) << 14 |
           std::uint32_t(b[2] & 0x7f) << 7 | std::uint32_t(b[3] & 0x7f);
}

std::uint32_t bigEndian(std::span<const std::uint8_t> b)
{
    return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 |
           std::uint32_t(b[3]);
}

void appendUtf8(std::string& out, std::uint32_t code)
{
    if (code < 0x80) {
        out += char(code);
    } else if (code < 0x800) {
        out += char(0xc0 | code >> 6);
        out += char(0x80 | (code & 0x3f));
    } else if (code < 0x10000) {
        out += char(0xe0 | code >> 12);
        out += char(0x80 | (code >> 6 & 0x3f));
        out += char(0x80 | (code & 0x3f));
    } else {
        out += char(0xf0 | code >> 18);
        out += char(0x80 | (code >> 12 & 0x3f));
        out += char(0x80 | (code >> 6 & 0x3f));
        out += char(0x80 | (code & 0x3f));
    }
}

// The tag's encodings: 0 Latin-1, 1 UTF-16 with a byte order mark, 2
// UTF-16 big-endian, 3 UTF-8. Text ends at its terminator; `used` is how
// many bytes it and the terminator took.
std::string decodeText(std::span<const std::uint8_t> data, std::uint8_t encoding,
                       std::size_t* used = nullptr)
{
    std::string text;
    std::size_t i = 0;
    if (encoding == 1 || encoding == 2) {
        bool bigEndianUnits = encoding == 2;
        if (encoding == 1 && data.size() >= 2) {
            if (data[0] == 0xff && data[1] == 0xfe) {
                bigEndianUnits = false;
                i = 2;
            } else if (data[0] == 0xfe && data[1] == 0xff) {
                bigEndianUnits = true;
                i = 2;
            }
        }
        std::uint32_t high = 0;
        for (; i + 1 < data.size(); i += 2) {
            const std::uint32_t unit = bigEndianUnits ? std::uint32_t(data[i] << 8 | data[i + 1])
                                                      : std::uint32_t(data[i + 1] << 8 | data[i]);
            if (unit == 0) {
                i += 2;
                break;
            }
            if (unit >= 0xd800 && unit < 0xdc00) {
                high = unit;
            } else if (unit >= 0xdc00 && unit < 0xe000 && high) {
                appendUtf8(text, 0x10000 + ((high - 0xd800) << 10) + (unit - 0xdc00));
                high = 0;
            } else {
                appendUtf8(text, unit);
            }
        }
    } else {
        for (; i < data.size(); ++i) {
            if (data[i] == 0) {
                ++i;
                break;
            }
            if (encoding == 3) {
                text += char(data[i]);
            } else {
                appendUtf8(text, data[i]);
            }
        }
    }
    if (used) {
        *used = std::min(i, data.size());
    }
    return text;
}

// A text frame's text, or a comment's text past its language and
// description; false for frames that hold no text.
bool frameText(std::string_view id, std::span<const std::uint8_t> body, std::string& text)
{
    if (body.empty()) {
        return false;
    }
    const std::uint8_t encoding = body[0];
    if (id == "COMM") {
        if (body.size() < 4) {
            return false;
        }
        std::size_t used = 0;
        decodeText(body.subspan(4), encoding, &used);
        text = decodeText(body.subspan(4 + used), encoding);
        return true;
    }
    if (id.size() == 4 && id[0] == 'T' && id != "TXXX") {
        text = decodeText(body.subspan(1), encoding);
        return true;
    }
    return false;
}

// Returns the bytes the tag takes.
std::size_t readTag(std::span<const std::uint8_t> bytes, Mp3File& file)
{
    if (bytes.size() < kTagHeader || bytes[0] != 'I' || bytes[1] != 'D' || bytes[2] != '3') {
        return 0;
    }
    const std::uint8_t major = bytes[3];
    const std::uint8_t flags = bytes[5];
    const std::size_t size = syncSafe(bytes.subspan(6, 4));
    const std::size_t end = std::min(bytes.size(), kTagHeader + size);
    std::size_t at = kTagHeader;
    if (flags & 0x40 && at + 4 <= end) {
        // An extended header: its size counts itself in version 4 only.
        const std::size_t extended =
            major >= 4 ? syncSafe(bytes.subspan(at, 4)) : bigEndian(bytes.subspan(at, 4)) + 4;
        at += extended;
    }
    while (major >= 3 && at + kTagHeader <= end) {
        const std::span<const std::uint8_t> header = bytes.subspan(at, kTagHeader);
        if (header[0] == 0) {
            break; // padding
        }
        const std::string id(header.begin(), header.begin() + 4);
        const std::size_t length =
            major >= 4 ? syncSafe(header.subspan(4, 4)) : bigEndian(header.subspan(4, 4));
        at += kTagHeader;
        if (length > end - at) {
            break;
        }
        std::string text;
        if (frameText(id, bytes.subspan(at, length), text)) {
            file.tagFrames.emplace_back(id, std::move(text));
        }
        at += length;
    }
    return std::min(bytes.size(), kTagHeader + size + (flags & 0x10 ? kTagHeader : 0));
}

struct FrameHeader {
    std::size_t length = 0;
    int sampleRate = 0;
    int samples = 0;
};

bool readFrameHeader(std::span<const std::uint8_t> b, FrameHeader& frame)
{
    if (b.size() < 4 || b[0] != 0xff || (b[1] & 0xe0) != 0xe0) {
        return false;
    }
    const int version = b[1] >> 3 & 3; // 0: MPEG 2.5, 2: MPEG 2, 3: MPEG 1
    const int layer = b[1] >> 1 & 3;   // 1: III, 2: II, 3: I
    const int bitrateIndex = b[2] >> 4;
    const int rateIndex = b[2] >> 2 & 3;
    const int padding = b[2] >> 1 & 1;
    if (version == 1 || layer == 0 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) {
        return false;
    }
    static constexpr std::array<std::array<int, 15>, 5> kBitrates{{
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
    }};
    static constexpr std::array<int, 3> kRates{44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const std::size_t table = mpeg1 ? std::size_t(3 - layer) : (layer == 3 ? 3 : 4);
    const int bitrate = kBitrates[table][std::size_t(bitrateIndex)] * 1000;
    frame.sampleRate = kRates[std::size_t(rateIndex)] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    if (layer == 3) {
        frame.samples = 384;
        frame.length = std::size_t((12 * bitrate / frame.sampleRate + padding) * 4);
    } else {
        const bool halfFrame = layer == 1 && !mpeg1;
        frame.samples = halfFrame ? 576 : 1152;
        frame.length = std::size_t((halfFrame ? 72 : 144) * bitrate / frame.sampleRate + padding);
    }
    return frame.length >= 4;
}

} // namespace

Mp3File readMp3File(std::span<const std::uint8_t> bytes)
{
    Mp3File file;
    std::size_t at = readTag(bytes, file);
    // Some encoders leave bytes before the first frame: find its sync.
    FrameHeader frame;
    while (at < bytes.size() && !readFrameHeader(bytes.subspan(at), frame)) {
        ++at;
    }
    file.framesOffset = at;
    while (at < bytes.size() && readFrameHeader(bytes.subspan(at), frame)) {
        if (file.sampleRate == 0) {
            file.sampleRate = frame.sampleRate;
        }
        file.samples += std::uint64_t(frame.samples);
        at += frame.length;
    }
    return file;
}

} // namespace quorvane::player
