// The timeline and its clips: frames, targets, clip properties, dragging,
// and what goes out to the host (traces, addresses, commands).

#include "player/avm1/InterpreterState.h"
#include "player/avm1/Stage.h"

#include <cctype>
#include <cmath>
#include <string_view>

namespace quorvane::player::avm1 {

using swf::ActionCode;

bool Interpreter::runTimelineAction(ActionCode code, swf::BitReader& reader, std::size_t& pc)
{
    switch (code) {
    case ActionCode::NextFrame:
        if (Clip* clip = clipOrNull()) {
            clip->gotoFrame(clip->frame + 1, false);
        }
        break;
    case ActionCode::PreviousFrame:
        if (Clip* clip = clipOrNull(); clip && clip->frame > 0) {
            clip->gotoFrame(clip->frame - 1, false);
        }
        break;
    case ActionCode::Play:
        if (Clip* clip = clipOrNull()) {
            clip->playing = true;
        }
        break;
    case ActionCode::Stop:
        if (Clip* clip = clipOrNull()) {
            clip->playing = false;
        }
        break;
    case ActionCode::GotoFrame:
        if (Clip* clip = clipOrNull()) {
            clip->gotoFrame(reader.readU16(), false);
        }
        break;
    case ActionCode::GotoFrame2: {
        const std::uint8_t flags = reader.readU8();
        const int bias = (flags & 2) ? reader.readU16() : 0;
        gotoFrame2(flags, bias);
        break;
    }
    case ActionCode::GoToLabel: {
        const std::string label = readString(reader);
        if (Clip* clip = clipOrNull()) {
            if (const auto frame = clip->frameOfLabel(m, label)) {
                clip->gotoFrame(*frame, false);
            }
        }
        break;
    }
    case ActionCode::Call: {
        const std::string frame = popString();
        if (m.stage()) {
            m.stage()->callFrame(a.target, frame);
        }
        break;
    }
    case ActionCode::WaitForFrame:
    case ActionCode::WaitForFrame2: {
        // Everything is loaded at once, and a fully loaded movie counts every
        // frame up to Flash's largest frame number as loaded, even frames past
        // its end.
        constexpr double kLastLoadableFrame = 16000;
        double frame = 0;
        if (code == ActionCode::WaitForFrame) {
            frame = reader.readU16();
        } else {
            frame = popNumber() - 1;
        }
        const std::uint8_t skip = reader.readU8();
        if (!clipOrNull() || !(frame <= kLastLoadableFrame)) {
            for (int i = 0; i < skip && pc < a.code.size(); ++i) {
                const std::uint8_t skipped = a.code[pc++];
                if (swf::hasBody(ActionCode(skipped)) && pc + 2 <= a.code.size()) {
                    pc += 2 + (std::size_t(a.code[pc]) | std::size_t(a.code[pc + 1]) << 8);
                }
            }
        }
        break;
    }
    case ActionCode::SetTarget:
        setTarget(readString(reader));
        break;
    case ActionCode::SetTarget2: {
        const Value target = pop();
        if (Clip* clip = targetClip(target)) {
            a.target = clip;
            if (!a.isFunction && !a.scope.empty()) {
                a.scope.front() = clip;
            }
        } else {
            setTarget(m.toString(target));
        }
        break;
    }
    case ActionCode::GetProperty: {
        const double index = popNumber();
        const Value target = pop();
        Clip* clip = m.toString(target).empty() ? clipOrNull() : targetClip(target);
        const char* name = std::isnan(index) ? nullptr : propertyName(clampedInt(index));
        push(clip && name ? clip->get(m, name) : Value());
        break;
    }
    case ActionCode::SetProperty: {
        Value value = pop();
        const double index = popNumber();
        const Value target = pop();
        Clip* clip = m.toString(target).empty() ? clipOrNull() : targetClip(target);
        const char* name = std::isnan(index) ? nullptr : propertyName(clampedInt(index));
        if (clip && name) {
            clip->set(m, name, value);
        }
        break;
    }
    case ActionCode::TargetPath: {
        const Value value = pop();
        Object* object = value.asObject();
        Clip* clip = dynamic_cast<Clip*>(object);
        push(clip ? Value(clip->dotPath()) : Value());
        break;
    }
    case ActionCode::CloneSprite: {
        const double depth = popNumber();
        const std::string name = popString();
        const Value source = pop();
        if (Clip* clip = targetClip(source); clip && m.stage()) {
            // Depths that are not numbers become 0; those beyond an int's
            // range its edge, which duplicate refuses as out of Flash's.
            const double whole =
                std::isfinite(depth)
                    ? std::clamp(depth + Clip::kTimelineDepthOffset, -2147483648.0, 2147483647.0)
                    : double(Clip::kTimelineDepthOffset);
            m.stage()->duplicate(clip, name, int(whole));
        }
        break;
    }
    case ActionCode::RemoveSprite: {
        if (Clip* clip = targetClip(pop()); clip && m.stage()) {
            m.stage()->removeByScript(clip);
        }
        break;
    }
    case ActionCode::StartDrag: {
        const Value target = pop();
        const bool lockCenter = m.toBoolean(pop());
        const bool constrained = m.toBoolean(pop());
        if (constrained) {
            for (int i = 0; i < 4; ++i) {
                pop();
            }
        }
        if (Clip* clip = targetClip(target); clip && m.stage()) {
            m.stage()->startDrag(clip, lockCenter);
        }
        break;
    }
    case ActionCode::EndDrag:
        if (m.stage()) {
            m.stage()->stopDrag();
        }
        break;
    case ActionCode::StopSounds:
        if (m.stage()) {
            m.stage()->stopAllSounds();
        }
        break;
    case ActionCode::ToggleQuality:
        break;
    case ActionCode::Trace:
        m.host().trace(m.traceText(pop()));
        break;
    case ActionCode::GetUrl: {
        const std::string url = readString(reader);
        const std::string window = readString(reader);
        getUrl(url, window, 0);
        break;
    }
    case ActionCode::GetUrl2: {
        const std::uint8_t flags = reader.readU8();
        const std::string window = popString();
        const std::string url = popString();
        getUrl(url, window, flags);
        break;
    }
    default:
        return false;
    }
    return true;
}

Clip* Interpreter::targetClip(const Value& value)
{
    if (Object* object = value.asObject()) {
        return dynamic_cast<Clip*>(object);
    }
    if (!m.stage()) {
        return nullptr;
    }
    // In a target a colon parts segments as a slash does: "/:a/:b" is the
    // clip b in a, as a variable path's clip part names it.
    std::string path = m.toString(value);
    std::ranges::replace(path, ':', '/');
    Clip* base = a.target ? a.target : a.original;
    return m.stage()->resolvePath(base, path);
}

void Interpreter::setTarget(const std::string& path)
{
    Clip* clip = path.empty() ? a.original : targetClip(Value(path));
    // An unknown target leaves the script speaking to nothing, as Flash does:
    // its timeline actions are ignored until the next SetTarget.
    a.target = clip;
    if (!a.isFunction && !a.scope.empty()) {
        a.scope.front() = clip ? static_cast<Object*>(clip) : static_cast<Object*>(a.original);
    }
}

void Interpreter::gotoFrame2(std::uint8_t flags, int bias)
{
    const Value frame = pop();
    const bool play = flags & 1;
    Clip* clip = clipOrNull();
    std::string text = frame.isString() ? frame.asString() : std::string();
    if (frame.isString()) {
        const std::size_t colon = text.rfind(':');
        if (colon != std::string::npos && m.stage()) {
            clip = m.stage()->resolvePath(a.target ? a.target : a.original, text.substr(0, colon));
            text = text.substr(colon + 1);
        }
    }
    if (!clip) {
        return;
    }
    if (frame.isString()) {
        const double number = stringToNumber(text, m.version());
        if (!std::isnan(number)) {
            clip->gotoFrame(clampedInt(number - 1 + bias), !play ? false : true);
            if (!play) {
                clip->playing = false;
            }
            return;
        }
        if (const auto labelled = clip->frameOfLabel(m, text)) {
            clip->gotoFrame(*labelled + bias, play);
        }
        return;
    }
    const double number = m.toNumber(frame);
    if (!std::isnan(number)) {
        clip->gotoFrame(int(std::max(-1.0, std::min(number, 1e6))) - 1 + bias, play);
    }
}

void Interpreter::getUrl(const std::string& url, const std::string& window, int flags)
{
    // The scheme is matched without case, as URL schemes are.
    constexpr std::string_view kFsCommand = "fscommand:";
    if (url.size() >= kFsCommand.size() &&
        std::equal(kFsCommand.begin(), kFsCommand.end(), url.begin(), [](char a, char b) {
            return a == std::tolower(static_cast<unsigned char>(b));
        })) {
        m.host().fscommand(url.substr(kFsCommand.size()), window);
        return;
    }
    if (m.stage() && m.stage()->loadInto(a.target ? a.target : a.original, url, window, flags)) {
        return;
    }
    for (const char* scheme : {"http://", "https://", "mailto:"}) {
        if (url.rfind(scheme, 0) == 0) {
            m.host().openAddress(url, window);
            return;
        }
    }
}

} // namespace quorvane::player::avm1
