#pragma once

#include "player/avm1/Object.h"
#include "player/movie/MemoryBudget.h"

#include <QImage>
#include <QRect>
#include <cstdint>
#include <memory>

namespace quorvane::player::avm1 {

// An instance of flash.display.BitmapData. Its pixels are premultiplied
// ARGB32, as Flash keeps them (reading back a translucent pixel gives what
// the premultiplication rounded to), and shared with every clip that shows
// them, so a change after attachBitmap shows there. Disposing leaves a null
// image behind in that shared store.
class BitmapDataObject : public Object {
public:
    // Flash refuses bitmaps larger than this either way.
    static constexpr int kMaxSide = 2880;

    // The claim counts the pixels against the movie's memory until disposal.
    BitmapDataObject(Object* prototype, QImage pixels, bool transparent,
                     MemoryBudget::Claim claim = {});

    bool disposed() const { return m_pixels->isNull(); }
    // -1 once disposed, as Flash reports it.
    int width() const { return disposed() ? -1 : m_pixels->width(); }
    int height() const { return disposed() ? -1 : m_pixels->height(); }
    bool transparent() const { return m_transparent; }
    const QImage& pixels() const { return *m_pixels; }
    std::shared_ptr<QImage> sharedPixels() const { return m_pixels; }

    // Colours are 0xAARRGGBB, not premultiplied; an opaque bitmap ignores
    // the alpha given. Pixels outside the bitmap read as 0 and take nothing.
    std::uint32_t pixel32(int x, int y) const;
    void setPixel32(int x, int y, std::uint32_t argb);
    // The pixel's alpha stays as it was.
    void setPixel(int x, int y, std::uint32_t rgb);
    // Only the part inside the bitmap is filled.
    void fillRect(const QRect& area, std::uint32_t argb);
    void dispose();

private:
    QRgb stored(std::uint32_t argb) const;

    std::shared_ptr<QImage> m_pixels;
    bool m_transparent;
    MemoryBudget::Claim m_claim;
};

} // namespace quorvane::player::avm1
