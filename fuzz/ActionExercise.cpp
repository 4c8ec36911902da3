#include "ActionExercise.h"

#include "player/Player.h"
#include "player/avm1/ScriptHost.h"
#include "swf/Writer.h"

#include <QImage>
#include <QPainter>

namespace quorvane::fuzz {

namespace {

swf::Tag doAction(std::span<const std::uint8_t> actions)
{
    swf::Unknown tag;
    tag.code = 12;
    tag.data.assign(actions.begin(), actions.end());
    return swf::Tag{tag};
}

} // namespace

void exerciseActions(std::span<const std::uint8_t> actions)
{
    constexpr int kTwips = 20;
    swf::Movie movie;
    movie.header.version = actions.empty() ? 8 : std::uint8_t(4 + actions[0] % 6);
    movie.header.stage = swf::Rect{0, 100 * kTwips, 0, 100 * kTwips};
    movie.header.frameCount = 3;

    swf::DefineSprite sprite;
    sprite.id = 1;
    sprite.frameCount = 2;
    sprite.tags = {doAction(actions), swf::Tag{swf::ShowFrame{}}, swf::Tag{swf::ShowFrame{}},
                   swf::Tag{swf::End{}}};
    swf::PlaceObject place;
    place.depth = 1;
    place.characterId = 1;
    place.name = "clip";
    swf::FrameLabel label{"second", false};
    movie.tags = {swf::Tag{sprite},
                  swf::Tag{place},
                  doAction(actions),
                  swf::Tag{swf::ShowFrame{}},
                  swf::Tag{label},
                  doAction(actions),
                  swf::Tag{swf::ShowFrame{}},
                  swf::Tag{swf::ShowFrame{}},
                  swf::Tag{swf::End{}}};
    const auto bytes = swf::writeMovie(movie);
    if (!bytes) {
        return;
    }
    // The engine's guards halt runaway scripts, but at the limits meant for
    // lessons an endless loop runs twenty million instrumented actions
    // before they do, about a minute per input. Budgets a thousandth of
    // those still let loops, clones and recursion go round hundreds of
    // times and reach every guard, in milliseconds.
    player::Player::Limits limits;
    limits.timeline.maxObjectsPerCall = 2000;
    limits.maxSeekWork = 50000;
    limits.scripts.actionsPerFrame = 4000;
    limits.scripts.maxObjects = 10000;
    player::avm1::ScriptHost silent;
    player::Player player(limits);
    player.setScriptHost(&silent);
    if (player.loadBytes(bytes.value())) {
        return;
    }
    for (int frame = 0; frame < 4; ++frame) {
        player.mouseMove(QPointF(frame * 10, 20));
        player.mouseDown();
        player.mouseUp();
        player.keyDown(65, 'a');
        player.keyUp(65, 'a');
        player.advanceFrame();
    }
    player.gotoFrame(0);
    player.gotoFrame(2);
    QImage image(50, 50, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    player.render(painter, QTransform::fromScale(0.5, 0.5));
}

} // namespace quorvane::fuzz
