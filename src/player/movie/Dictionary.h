#pragma once

#include "player/graphics/Morph.h"
#include "player/graphics/ShapeGeometry.h"
#include "player/movie/Timeline.h"
#include "player/text/Fonts.h"
#include "player/text/TextLayout.h"

#include <QImage>
#include <cstdint>
#include <memory>
#include <unordered_map>

namespace quorvane::player {

// The characters a movie defines, by id. Only what the engine draws is
// here: an id of anything else (buttons for now) places an object that
// shows nothing.
class Dictionary {
public:
    // The first definition of an id stands; later ones are ignored.
    void addShape(std::uint16_t id, ShapeGeometry shape);
    void addSprite(std::uint16_t id, Timeline timeline);
    void addBitmap(std::uint16_t id, QImage image);
    void addMorph(std::uint16_t id, MorphShape morph);
    void addFont(std::uint16_t id, Font font);
    void addText(std::uint16_t id, TextBlock text);

    const ShapeGeometry* shape(std::uint16_t id) const;
    const Timeline* sprite(std::uint16_t id) const;
    // Null for an id that is no bitmap or did not decode.
    const QImage* bitmap(std::uint16_t id) const;
    const MorphShape* morph(std::uint16_t id) const;
    const Font* font(std::uint16_t id) const;
    Font* font(std::uint16_t id);
    // Static and edit texts alike.
    const TextBlock* text(std::uint16_t id) const;

    // A placement that moves an object and names another character swaps
    // the picture only between graphics of one kind (shapes, morph shapes,
    // texts, bitmaps); sprites, buttons and mixed kinds keep what they show.
    bool canReplace(std::uint16_t current, std::uint16_t replacement) const;

private:
    bool isDefined(std::uint16_t id) const;

    std::unordered_map<std::uint16_t, std::unique_ptr<ShapeGeometry>> m_shapes;
    std::unordered_map<std::uint16_t, std::unique_ptr<Timeline>> m_sprites;
    std::unordered_map<std::uint16_t, std::unique_ptr<QImage>> m_bitmaps;
    std::unordered_map<std::uint16_t, std::unique_ptr<MorphShape>> m_morphs;
    std::unordered_map<std::uint16_t, std::unique_ptr<Font>> m_fonts;
    std::unordered_map<std::uint16_t, std::unique_ptr<TextBlock>> m_texts;
};

} // namespace quorvane::player
