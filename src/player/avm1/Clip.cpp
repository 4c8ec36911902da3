#include "player/avm1/Clip.h"

#include "player/avm1/Machine.h"
#include "player/avm1/ScriptTimeline.h"
#include "player/avm1/Stage.h"

#include <array>
#include <cmath>
#include <numbers>

namespace quorvane::player::avm1 {

namespace {

constexpr std::array<const char*, 4> kQualityNames = {"LOW", "MEDIUM", "HIGH", "BEST"};

constexpr std::array<const char*, 22> kPropertyNames = {
    "_x",           "_y",           "_xscale",       "_yscale",       "_currentframe",
    "_totalframes", "_alpha",       "_visible",      "_width",        "_height",
    "_rotation",    "_target",      "_framesloaded", "_name",         "_droptarget",
    "_url",         "_highquality", "_focusrect",    "_soundbuftime", "_quality",
    "_xmouse",      "_ymouse"};

// Which of the numbered properties a name is, ignoring case as Flash does
// for these in every version.
int propertyIndex(std::string_view name)
{
    if (name.empty() || name[0] != '_') {
        return -1;
    }
    for (std::size_t i = 0; i < kPropertyNames.size(); ++i) {
        const std::string_view candidate = kPropertyNames[i];
        if (candidate.size() != name.size()) {
            continue;
        }
        bool same = true;
        for (std::size_t k = 0; k < name.size() && same; ++k) {
            same = std::tolower(static_cast<unsigned char>(name[k])) == candidate[k];
        }
        if (same) {
            return int(i);
        }
    }
    return -1;
}

constexpr double kFixedOne = 65536.0;

} // namespace

const char* propertyName(int index)
{
    return index >= 0 && std::size_t(index) < kPropertyNames.size()
               ? kPropertyNames[std::size_t(index)]
               : nullptr;
}

const char* Clip::typeName() const
{
    return timeline && !isButton ? "movieclip" : "object";
}

Clip* Clip::seenFrom(int version)
{
    Clip* clip = this;
    while (version < 6 && clip->isButton && clip->parent) {
        clip = clip->parent;
    }
    return clip;
}

int Clip::totalFrames() const
{
    return timeline ? timeline->frameCount : 1;
}

std::uint64_t Clip::nextSerial()
{
    static std::uint64_t made = 0;
    return ++made;
}

Clip* Clip::root()
{
    Clip* clip = this;
    while (clip->parent) {
        clip = clip->parent;
    }
    return clip;
}

Clip* Clip::childNamed(Machine& machine, std::string_view childName)
{
    for (Clip* child : children) {
        if (machine.sameName(child->name, childName)) {
            return child;
        }
    }
    return nullptr;
}

Clip* Clip::childAtDepth(int childDepth)
{
    for (Clip* child : children) {
        if (child->depth == childDepth) {
            return child;
        }
    }
    return nullptr;
}

std::string Clip::dotPath() const
{
    if (!parent) {
        return "_level" + std::to_string(level);
    }
    return parent->dotPath() + "." + name;
}

std::string Clip::slashPath() const
{
    if (!parent) {
        return "/";
    }
    const std::string above = parent->slashPath();
    return (above == "/" ? above : above + "/") + name;
}

const Clip::LoadedContent* Clip::loadedContent() const
{
    for (const Clip* clip = this; clip; clip = clip->parent) {
        if (clip->loaded) {
            return &*clip->loaded;
        }
    }
    return nullptr;
}

void Clip::takeMatrix(const swf::Matrix& newMatrix)
{
    matrix = newMatrix;
    const double a = matrix.scaleX / kFixedOne;
    const double b = matrix.rotateSkew0 / kFixedOne;
    const double c = matrix.rotateSkew1 / kFixedOne;
    const double d = matrix.scaleY / kFixedOne;
    xScale = std::sqrt(a * a + b * b) * 100;
    yScale = std::sqrt(c * c + d * d) * 100;
    rotation = std::atan2(b, a) * 180 / std::numbers::pi;
}

void Clip::applyScaleAndRotation()
{
    const double radians = rotation * std::numbers::pi / 180;
    const double sx = xScale / 100;
    const double sy = yScale / 100;
    // A rotation or scale of no number collapses the clip.
    const auto fixed = [](double value) {
        return std::isnan(value) ? swf::Fixed16(0)
                                 : static_cast<swf::Fixed16>(
                                       std::clamp(value * kFixedOne, -2147483647.0, 2147483647.0));
    };
    matrix.scaleX = fixed(std::cos(radians) * sx);
    matrix.rotateSkew0 = fixed(std::sin(radians) * sx);
    matrix.rotateSkew1 = fixed(-std::sin(radians) * sy);
    matrix.scaleY = fixed(std::cos(radians) * sy);
}

void Clip::gotoFrame(int target, bool play)
{
    stage.gotoFrame(this, target, play);
}

std::optional<int> Clip::frameOfLabel(Machine& machine, std::string_view label) const
{
    if (!timeline) {
        return std::nullopt;
    }
    for (const auto& [name, frameNumber] : timeline->labels) {
        // Labels match without case in every version.
        if (name.size() == label.size()) {
            bool same = true;
            for (std::size_t i = 0; i < name.size() && same; ++i) {
                same = std::tolower(static_cast<unsigned char>(name[i])) ==
                       std::tolower(static_cast<unsigned char>(label[i]));
            }
            if (same) {
                return frameNumber;
            }
        }
    }
    (void)machine;
    return std::nullopt;
}

bool Clip::remove(Machine& machine, std::string_view propertyName)
{
    return Object::remove(machine, propertyName);
}

std::optional<Value> Clip::getSpecial(Machine& machine, std::string_view key)
{
    if (findOwn(machine, key)) {
        return std::nullopt;
    }
    const int index = propertyIndex(key);
    if (index < 0) {
        if (key == "_parent" || (machine.version() < 7 && machine.sameName(key, "_parent"))) {
            return parent ? Value(static_cast<Object*>(parent->seenFrom(machine.version())))
                          : Value();
        }
        if (Clip* child = childNamed(machine, key)) {
            return Value(static_cast<Object*>(child->seenFrom(machine.version())));
        }
        return std::nullopt;
    }
    switch (index) {
    case 0:
        return Value(matrix.translateX / 20.0);
    case 1:
        return Value(matrix.translateY / 20.0);
    case 2:
        return Value(xScale);
    case 3:
        return Value(yScale);
    case 4:
        return Value(double(frame + 1));
    case 5:
        return Value(double(timeline ? timeline->declaredFrames : 1));
    case 6:
        return Value(colorTransform.alphaMultiply / 256.0 * 100);
    case 7:
        return Value(visible);
    case 8:
        return Value(stage.boundsOf(this, true).width());
    case 9:
        return Value(stage.boundsOf(this, true).height());
    case 10:
        return Value(rotation);
    case 11:
        return Value(slashPath());
    case 12:
        return Value(double(timeline ? timeline->declaredFrames : 1));
    case 13:
        return Value(name);
    case 14:
        return Value("");
    case 15: {
        const LoadedContent* content = loadedContent();
        return Value(content ? content->url : stage.url());
    }
    case 16: {
        const int quality = stage.settings().quality;
        return Value(quality == 3 ? 2.0 : quality >= 1 ? 1.0 : 0.0);
    }
    case 17:
        return Value(stage.settings().focusRect ? 1.0 : 0.0);
    case 18:
        return Value(double(stage.settings().soundBufferSeconds));
    case 19:
        return Value(kQualityNames[std::size_t(stage.settings().quality)]);
    case 20:
        return Value(stage.mouseIn(this).x());
    default:
        return Value(stage.mouseIn(this).y());
    }
}

bool Clip::setSpecial(Machine& machine, std::string_view key, const Value& value)
{
    const int index = propertyIndex(key);
    if (index < 0) {
        return false;
    }
    // Names and qualities are text; everything else a number, where
    // undefined, null and NaN leave the property as it was.
    if (index == 13) {
        name = machine.toString(value);
        return true;
    }
    if (index == 19) {
        const std::string quality = machine.toString(value);
        for (std::size_t i = 0; i < kQualityNames.size(); ++i) {
            if (machine.sameName(quality, kQualityNames[i])) {
                stage.settings().quality = int(i);
            }
        }
        return true;
    }
    if (index == 17) {
        // Without asking objects for their value: an object is no.
        if (value.isObject()) {
            stage.settings().focusRect = false;
        } else if (const double number = machine.toNumber(value);
                   !value.isNullish() && !std::isnan(number)) {
            stage.settings().focusRect = number != 0;
        }
        return true;
    }
    if (index >= 11 && index != 16 && index != 18) {
        // The rest are read-only.
        return true;
    }
    const double number = machine.toNumber(value);
    if (value.isNullish() || std::isnan(number)) {
        return true;
    }
    // Out-of-range numbers wrap as the player's integer conversion does:
    // infinity becomes the least integer.
    const auto integer = [](double n) {
        return std::isfinite(n) && std::abs(n) < 2147483648.0 ? std::int32_t(n) : INT32_MIN;
    };
    switch (index) {
    case 0:
    case 1:
        (index == 0 ? matrix.translateX : matrix.translateY) =
            std::isfinite(number) ? static_cast<swf::Twips>(std::clamp(std::round(number * 20),
                                                                       -2147483648.0, 2147483647.0))
                                  : INT32_MIN;
        movedByScript = true;
        break;
    case 2:
    case 3:
        (index == 2 ? xScale : yScale) = number;
        applyScaleAndRotation();
        movedByScript = true;
        break;
    case 6:
        colorTransform.alphaMultiply =
            std::isfinite(number) ? std::int16_t(std::clamp(number * 2.56, -32768.0, 32767.0))
                                  : std::int16_t(0);
        movedByScript = true;
        break;
    case 7:
        visible = number != 0;
        // A hidden object cannot keep the keyboard.
        if (!visible && stage.keyboardFocus().focus() == this) {
            stage.keyboardFocus().letGo(this);
        }
        break;
    case 8:
    case 9:
        if (std::isfinite(number) && number >= 0) {
            stage.setSize(this, index == 8, number);
        }
        break;
    case 10: {
        double degrees = std::fmod(number, 360.0);
        if (degrees > 180) {
            degrees -= 360;
        } else if (degrees < -180) {
            degrees += 360;
        }
        rotation = degrees;
        applyScaleAndRotation();
        movedByScript = true;
        break;
    }
    case 16:
        // 0 low, 1 high, 2 and above best; below zero high.
        stage.settings().quality = number >= 2 ? 3 : number >= 1 || number < 0 ? 2 : 0;
        break;
    case 18:
        stage.settings().soundBufferSeconds = integer(number);
        break;
    default:
        break;
    }
    return true;
}

} // namespace quorvane::player::avm1
