#pragma once

#include "swf/BitmapTags.h"

#include <QImage>

namespace quorvane::player {

// The most pixels one bitmap may decode to: far above any lesson picture
// (a 4096 x 4096 bitmap), far below what a hostile header could claim.
constexpr qint64 kMaxBitmapPixels = 4096LL * 4096LL;

// A bitmap character decoded for drawing, premultiplied ARGB32; a null
// image when the data cannot be decoded. DefineBits takes the movie's
// JPEGTables (empty when it has none).
QImage decodeBitmap(const swf::DefineBitsJpeg& tag, const std::vector<std::uint8_t>& jpegTables);
QImage decodeBitmap(const swf::DefineBitsLossless& tag);

// A colour premultiplied the way Flash does it, cutting fractions off where
// Qt rounds them: translucent pixels come out one level darker than Qt's.
QRgb premultiplyAsFlash(QRgb color);
// A picture from outside the movie (a loaded image), premultiplied so.
QImage premultipliedAsFlash(const QImage& image);

} // namespace quorvane::player
