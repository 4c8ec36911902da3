#include "player/avm1/BitmapDataObject.h"

#include "player/movie/Bitmaps.h"

namespace quorvane::player::avm1 {

BitmapDataObject::BitmapDataObject(Object* prototype, QImage pixels, bool transparent,
                                   MemoryBudget::Claim claim)
    : Object(prototype), m_pixels(std::make_shared<QImage>(
                             pixels.convertToFormat(QImage::Format_ARGB32_Premultiplied))),
      m_transparent(transparent), m_claim(std::move(claim))
{
}

QRgb BitmapDataObject::stored(std::uint32_t argb) const
{
    return premultiplyAsFlash(m_transparent ? QRgb(argb) : QRgb(argb | 0xff000000u));
}

std::uint32_t BitmapDataObject::pixel32(int x, int y) const
{
    if (disposed() || !m_pixels->rect().contains(x, y)) {
        return 0;
    }
    return qUnpremultiply(reinterpret_cast<const QRgb*>(m_pixels->constScanLine(y))[x]);
}

void BitmapDataObject::setPixel32(int x, int y, std::uint32_t argb)
{
    if (disposed() || !m_pixels->rect().contains(x, y)) {
        return;
    }
    reinterpret_cast<QRgb*>(m_pixels->scanLine(y))[x] = stored(argb);
}

void BitmapDataObject::setPixel(int x, int y, std::uint32_t rgb)
{
    const std::uint32_t alpha = pixel32(x, y) & 0xff000000u;
    setPixel32(x, y, alpha | (rgb & 0xffffffu));
}

void BitmapDataObject::fillRect(const QRect& area, std::uint32_t argb)
{
    if (disposed()) {
        return;
    }
    const QRect inside = area.intersected(m_pixels->rect());
    const QRgb color = stored(argb);
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(m_pixels->scanLine(y));
        std::fill(line + inside.left(), line + inside.right() + 1, color);
    }
}

void BitmapDataObject::dispose()
{
    *m_pixels = QImage();
    m_claim = MemoryBudget::Claim();
}

} // namespace quorvane::player::avm1
