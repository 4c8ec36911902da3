#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Script strings are UTF-8 (SWF 6 and later write them so); string
// functions count in characters, not bytes.
namespace quorvane::player::avm1 {

std::vector<std::uint32_t> decodeUtf8(const std::string& text);
std::string encodeUtf8(const std::vector<std::uint32_t>& codePoints, std::size_t begin = 0,
                       std::size_t end = std::string::npos);
std::size_t utf8Length(const std::string& text);
std::string utf8Substring(const std::string& text, std::size_t start, std::size_t count);
std::uint32_t firstCodePoint(const std::string& text);
std::string codePointText(std::uint32_t codePoint);

// Case mapping as the player's own tables have it: characters newer than
// Unicode 3.2 keep their case.
std::uint32_t lowerCase(std::uint32_t codePoint);
std::uint32_t upperCase(std::uint32_t codePoint);
// Equal but for case, as SWF 6 and earlier compare names.
bool equalIgnoringCase(std::string_view a, std::string_view b);

} // namespace quorvane::player::avm1
