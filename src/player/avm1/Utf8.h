#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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

} // namespace quorvane::player::avm1
