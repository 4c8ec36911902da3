#pragma once

#include "player/avm1/Drawing.h"
#include "player/avm1/Object.h"
#include "player/movie/Placement.h"
#include "swf/Tags.h"
#include "swf/Types.h"

#include <QImage>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quorvane::player::avm1 {

class FilterObject;
class Stage;
struct LoadedMovie;
class TextField;
struct ScriptTimeline;

// What Sound.setVolume, setPan and setTransform set, in percent: the volume
// and how much of each input channel goes to each output channel.
struct SoundTransform {
    int volume = 100;
    int leftToLeft = 100;
    int leftToRight = 0;
    int rightToLeft = 0;
    int rightToRight = 100;
};

// A display object with identity: what scripts see as a MovieClip (or
// another display object), and the state the timeline and scripts change.
// Where and how it is drawn are its placement's properties, which the
// timeline's tags and scripts both change. Depths are Flash's script depths: timeline placements
// sit at tag depth - 16384, objects made by scripts at 0 and above.
class Clip : public Object, public PlacedProperties {
public:
    static constexpr int kTimelineDepthOffset = -16384;

    Clip(Object* prototype, Stage& stage, Clip* parent)
        : Object(prototype), stage(stage), parent(parent), serial(nextSerial())
    {
    }

    const char* typeName() const override;
    bool remove(Machine& machine, std::string_view name) override;

    Stage& stage;
    Clip* parent = nullptr;
    // Counts up as clips are made: Flash steps its clips newest first.
    std::uint64_t serial = 0;
    // A sprite's frames; null for shapes and other leaves.
    const ScriptTimeline* timeline = nullptr;
    std::uint16_t characterId = 0;
    int depth = 0;
    // The parent frame whose placement made it; -1 when a script did, or
    // moved it with swapDepths.
    int placedFrame = -1;
    // The timeline placed it and swapDepths moved it since.
    bool swapped = false;
    bool visible = true;
    bool isButton = false;
    // Shapes, static texts and bitmaps: on the display list, out of scripts' reach.
    bool isScriptless = false;
    // A button's state shown (ButtonState), and its definition.
    std::uint8_t buttonState = 0;
    const struct ButtonDefinition* button = nullptr;
    // The record of its button that shows it, for a part of a button's state.
    int buttonRecord = -1;
    // Scripts took over its transform: timeline moves leave it alone.
    bool movedByScript = false;
    // Off the display list; scripts that still hold it see an empty clip.
    bool removed = false;
    // The scale and rotation scripts last set, kept so that reading them
    // back gives what was set rather than what the matrix rounds to.
    double xScale = 100;
    double yScale = 100;
    double rotation = 0;

    // 0-based; the frame shown.
    int frame = 0;
    bool playing = true;
    // Not yet past its first frame interval.
    bool fresh = true;
    std::vector<Clip*> children;
    const swf::ClipActions* clipActions = nullptr;
    // What its drawing methods drew, under its children; null until they draw.
    std::unique_ptr<Drawing> drawing;
    // setMask's pairing: the clip that masks this one, and on a mask the
    // clip it masks. A mask is not drawn where it sits.
    Clip* scriptMask = nullptr;
    Clip* maskedClip = nullptr;
    // The filters a script last set, as it set them, so that reading them
    // back gives the same numbers; none once a tag has set the filters,
    // which then read back from the tag's.
    std::optional<std::vector<FilterObject*>> scriptFilters;
    // An edit text's state as scripts change it; null for anything else.
    std::shared_ptr<TextField> textField;
    SoundTransform sound;
    // A picture shown under the children: a loaded image's, or a
    // BitmapData's that attachBitmap placed.
    std::shared_ptr<QImage> bitmap;
    bool smoothBitmap = false;
    // What loadMovie put in it, for _url and the byte counts; nothing for
    // the movie's own content.
    struct LoadedContent {
        std::string url;
        std::size_t bytes = 0;
        // -1 for an image.
        int swfVersion = -1;
    };
    std::optional<LoadedContent> loaded;
    // The loaded movie whose characters its timeline places, inherited by
    // what it places; null within the stage's own movie.
    const LoadedMovie* movie = nullptr;
    // The _level number of a clip without a parent.
    int level = 0;

    // What scripts of a movie of that version see of it: before SWF 6 a
    // button is no object of its own and stands for the clip it is on.
    Clip* seenFrom(int version);
    int totalFrames() const;
    Clip* root();
    Clip* childNamed(Machine& machine, std::string_view name);
    Clip* childAtDepth(int depth);
    // "_level0.a.b" and "/a/b".
    std::string dotPath() const;
    std::string slashPath() const;
    // The loaded content it belongs to, itself or an ancestor; null within
    // the movie's own.
    const LoadedContent* loadedContent() const;
    // Keeps the scale and rotation in step with a matrix set from elsewhere.
    void takeMatrix(const swf::Matrix& newMatrix);
    void applyScaleAndRotation();

    // Timeline control; frames are 0-based.
    void gotoFrame(int target, bool play);
    std::optional<int> frameOfLabel(Machine& machine, std::string_view label) const;

protected:
    static std::uint64_t nextSerial();
    std::optional<Value> getSpecial(Machine& machine, std::string_view name) override;
    bool setSpecial(Machine& machine, std::string_view name, const Value& value) override;
};

// The numbered properties of GetProperty and SetProperty, by index.
const char* propertyName(int index);

} // namespace quorvane::player::avm1
