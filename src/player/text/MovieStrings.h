#pragma once

#include "swf/Tags.h"

#include <string>
#include <string_view>
#include <vector>

// The engine holds every string in UTF-8. Movies from SWF 6 on store their
// strings so; older ones store them in the author's ANSI code page, which
// for the lessons we play is GBK (code page 936).
namespace quorvane::player {

// A string as the movie's file holds it, in UTF-8. Before SWF 6 it is read
// as GBK; a byte that begins no GBK character stands for itself as Latin-1,
// so nothing the author wrote is lost.
std::string movieStringToUtf8(std::string_view bytes, int swfVersion);

// Rewrites the names the tags carry (frame labels and placed instances'
// names, sprites' tags included) into UTF-8, for the movie's version.
void decodeTagNames(std::vector<swf::Tag>& tags, int swfVersion);

} // namespace quorvane::player
