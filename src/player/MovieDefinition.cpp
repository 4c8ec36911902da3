#include "player/MovieDefinition.h"

namespace quorvane::player {

std::shared_ptr<const MovieDefinition> MovieDefinition::create(swf::ReadMovie read)
{
    std::shared_ptr<MovieDefinition> definition(new MovieDefinition);
    definition->m_movie = std::move(read.movie);
    definition->m_warnings = std::move(read.warnings);
    definition->m_declaredLength = read.declaredLength;
    bool haveBackground = false;
    for (const swf::Tag& tag : definition->m_movie.tags) {
        if (const auto* shape = std::get_if<swf::DefineShape>(&tag.value)) {
            definition->m_dictionary.addShape(shape->id, ShapeGeometry::build(*shape));
        } else if (const auto* sprite = std::get_if<swf::DefineSprite>(&tag.value)) {
            definition->m_dictionary.addSprite(sprite->id,
                                               Timeline(sprite->tags, sprite->frameCount));
        } else if (const auto* background = std::get_if<swf::SetBackgroundColor>(&tag.value)) {
            if (!haveBackground) {
                definition->m_background = background->color;
                definition->m_background.a = 255;
                haveBackground = true;
            }
        }
    }
    definition->m_root = Timeline(definition->m_movie.tags, definition->m_movie.header.frameCount);
    return definition;
}

} // namespace quorvane::player
