#pragma once

#include "player/avm1/ScriptTimeline.h"
#include "player/movie/MovieDefinition.h"

#include <cstdint>
#include <memory>
#include <unordered_map>

namespace quorvane::player::avm1 {

// A movie loadMovie brought into a clip: its characters and timelines. The
// clips its timelines place look their characters up here, not in the
// movie the stage started with, whose ids mean other things.
struct LoadedMovie {
    LoadedMovie(std::shared_ptr<const MovieDefinition> loaded, MemoryBudget::Claim tags)
        : definition(std::move(loaded)), root(definition->tags(), definition->header().frameCount),
          tagsClaim(std::move(tags))
    {
        for (const swf::Tag& tag : definition->tags()) {
            if (const auto* sprite = std::get_if<swf::DefineSprite>(&tag.value)) {
                sprites.try_emplace(sprite->id, sprite->tags, sprite->frameCount);
            }
        }
    }

    std::shared_ptr<const MovieDefinition> definition;
    ScriptTimeline root;
    std::unordered_map<std::uint16_t, ScriptTimeline> sprites;
    // The file's tags, held as long as the movie is.
    MemoryBudget::Claim tagsClaim;
};

} // namespace quorvane::player::avm1
