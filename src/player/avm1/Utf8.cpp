#include "player/avm1/Utf8.h"

#include <QChar>
#include <algorithm>
#include <cctype>

namespace quorvane::player::avm1 {

std::vector<std::uint32_t> decodeUtf8(const std::string& text)
{
    std::vector<std::uint32_t> codePoints;
    codePoints.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = 0;
        std::uint32_t codePoint = lead;
        if (lead >= 0xf0 && lead < 0xf8) {
            extra = 3;
            codePoint = lead & 0x07;
        } else if (lead >= 0xe0) {
            extra = lead < 0xf0 ? 2 : 0;
            codePoint = lead < 0xf0 ? lead & 0x0f : lead;
        } else if (lead >= 0xc0) {
            extra = 1;
            codePoint = lead & 0x1f;
        }
        bool valid = i + std::size_t(extra) < text.size() + (extra == 0 ? 1 : 0);
        for (int k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + std::size_t(k)]);
            if ((next & 0xc0) != 0x80) {
                valid = false;
            } else {
                codePoint = codePoint << 6 | (next & 0x3f);
            }
        }
        if (!valid) {
            // A stray byte stands for itself, as text from SWF 5 and earlier
            // (in the author's code page) would.
            codePoints.push_back(lead);
            ++i;
            continue;
        }
        codePoints.push_back(codePoint);
        i += std::size_t(extra) + 1;
    }
    return codePoints;
}

std::string codePointText(std::uint32_t codePoint)
{
    std::string text;
    if (codePoint < 0x80) {
        text += char(codePoint);
    } else if (codePoint < 0x800) {
        text += char(0xc0 | codePoint >> 6);
        text += char(0x80 | (codePoint & 0x3f));
    } else if (codePoint < 0x10000) {
        text += char(0xe0 | codePoint >> 12);
        text += char(0x80 | ((codePoint >> 6) & 0x3f));
        text += char(0x80 | (codePoint & 0x3f));
    } else {
        text += char(0xf0 | codePoint >> 18);
        text += char(0x80 | ((codePoint >> 12) & 0x3f));
        text += char(0x80 | ((codePoint >> 6) & 0x3f));
        text += char(0x80 | (codePoint & 0x3f));
    }
    return text;
}

std::string encodeUtf8(const std::vector<std::uint32_t>& codePoints, std::size_t begin,
                       std::size_t end)
{
    std::string text;
    end = std::min(end, codePoints.size());
    for (std::size_t i = begin; i < end; ++i) {
        text += codePointText(codePoints[i]);
    }
    return text;
}

std::size_t utf8Length(const std::string& text)
{
    bool ascii = std::all_of(text.begin(), text.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    return ascii ? text.size() : decodeUtf8(text).size();
}

std::string utf8Substring(const std::string& text, std::size_t start, std::size_t count)
{
    const std::vector<std::uint32_t> codePoints = decodeUtf8(text);
    if (start >= codePoints.size()) {
        return std::string();
    }
    const std::size_t end =
        count == std::string::npos ? codePoints.size() : std::min(codePoints.size(), start + count);
    return encodeUtf8(codePoints, start, end);
}

std::uint32_t firstCodePoint(const std::string& text)
{
    const std::vector<std::uint32_t> codePoints = decodeUtf8(text);
    return codePoints.empty() ? 0 : codePoints.front();
}

namespace {

bool caseMapped(std::uint32_t codePoint)
{
    return codePoint <= QChar::LastValidCodePoint &&
           QChar::unicodeVersion(char32_t(codePoint)) <= QChar::Unicode_3_2;
}

} // namespace

std::uint32_t lowerCase(std::uint32_t codePoint)
{
    return caseMapped(codePoint) ? QChar::toLower(char32_t(codePoint)) : codePoint;
}

std::uint32_t upperCase(std::uint32_t codePoint)
{
    return caseMapped(codePoint) ? QChar::toUpper(char32_t(codePoint)) : codePoint;
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    // Names are nearly always ASCII: compare bytes until one is not, and
    // only then decode both.
    const std::size_t shorter = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < shorter; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if ((x | y) >= 0x80) {
            const std::vector<std::uint32_t> left = decodeUtf8(std::string(a.substr(i)));
            const std::vector<std::uint32_t> right = decodeUtf8(std::string(b.substr(i)));
            return std::equal(
                left.begin(), left.end(), right.begin(), right.end(),
                [](std::uint32_t p, std::uint32_t q) { return lowerCase(p) == lowerCase(q); });
        }
        if (std::tolower(x) != std::tolower(y)) {
            return false;
        }
    }
    // Past an ASCII prefix, more bytes on one side mean more characters.
    return a.size() == b.size();
}

} // namespace quorvane::player::avm1
