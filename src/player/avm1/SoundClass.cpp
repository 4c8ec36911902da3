// The Sound class: sounds of the movie's library or MP3 files beside it,
// started and stopped by scripts, and the volume and balance of a clip.

#include "player/avm1/Builtins.h"
#include "player/avm1/Machine.h"
#include "player/avm1/Stage.h"
#include "player/sound/Mp3File.h"

#include <cmath>
#include <cstdlib>
#include <memory>

namespace quorvane::player::avm1 {

namespace {

class SoundObject : public Object {
public:
    SoundObject(Object* prototype, Clip* target) : Object(prototype), target(target) {}

    // Null: the sound of the whole movie.
    Clip* target = nullptr;
    const swf::DefineSound* sound = nullptr;
    // A sound loaded from a file, which this object owns.
    std::unique_ptr<swf::DefineSound> loaded;
    std::size_t bytesLoaded = 0;
    // The ID3 tag of a loaded file; it replaces what scripts set as id3.
    Object* id3 = nullptr;

protected:
    // A script's own duration, position or id3 hides the sound's.
    std::optional<Value> getSpecial(Machine& machine, std::string_view name) override
    {
        if (findOwn(machine, name)) {
            return std::nullopt;
        }
        if (sound && machine.sameName(name, "duration")) {
            return Value(std::floor(soundMilliseconds(*sound)));
        }
        if (sound && machine.sameName(name, "position") && machine.stage()) {
            return Value(std::floor(machine.stage()->soundPosition(this)));
        }
        if (id3 && machine.sameName(name, "id3")) {
            return Value(id3);
        }
        return std::nullopt;
    }
    bool setSpecial(Machine& machine, std::string_view name, const Value&) override
    {
        return id3 && machine.sameName(name, "id3");
    }
};

SoundObject* soundOf(const Value& self)
{
    return dynamic_cast<SoundObject*>(self.asObject());
}

// A Sound method's work; called on anything but a Sound, it gives undefined.
using SoundMethod = Value (*)(Machine&, SoundObject&, Arguments&);

void soundMethod(Machine& m, Object* prototype, const char* name, SoundMethod body)
{
    m.method(prototype, name, [body](Machine& machine, const Value& self, Arguments& arguments) {
        SoundObject* sound = soundOf(self);
        return sound && machine.stage() ? body(machine, *sound, arguments) : Value();
    });
    prototype->setFlags(m, name, kDontDelete | kReadOnly, 0);
}

SoundTransform& transformOf(Machine& machine, SoundObject& sound)
{
    return machine.stage()->soundTransform(sound.target);
}

// Balance from -100 (left only) to 100 (right only), as the channel
// levels give it: the side turned down tells.
int panOf(const SoundTransform& t)
{
    if (t.leftToLeft != 100) {
        return int(100 - std::abs(std::int64_t(t.leftToLeft)));
    }
    return int(std::abs(std::int64_t(t.rightToRight)) - 100);
}

// The friendly names Flash adds beside the tag's own frame names.
const char* friendlyName(const std::string& frame)
{
    static const std::pair<const char*, const char*> names[] = {
        {"TPE1", "artist"},   {"TALB", "album"}, {"COMM", "comment"}, {"TRCK", "track"},
        {"TIT2", "songname"}, {"TYER", "year"},  {"TCON", "genre"}};
    for (const auto& [id, name] : names) {
        if (frame == id) {
            return name;
        }
    }
    return nullptr;
}

Object* id3Object(Machine& machine, const Mp3File& file)
{
    // No prototype: the tag's names are all it has.
    Object* id3 = machine.newObject(nullptr);
    for (const auto& [frame, text] : file.tagFrames) {
        if (const char* name = friendlyName(frame)) {
            id3->set(machine, name, Value(text));
        }
        // Comments gather: every one is kept, the last is `comment`.
        const Value before = id3->get(machine, frame);
        const bool gathers = frame == "COMM" && before.isString();
        id3->set(machine, frame, Value(gathers ? before.asString() + "," + text : text));
    }
    return id3;
}

// A loaded MP3 file as the sound the mixer plays: a DefineSound of its frames.
std::unique_ptr<swf::DefineSound> soundOfFile(Stage& stage, std::span<const std::uint8_t> bytes,
                                              const Mp3File& file)
{
    auto sound = std::make_unique<swf::DefineSound>();
    sound->id = stage.unusedCharacterId();
    sound->format.coding = swf::SoundCoding::Mp3;
    sound->format.sixteenBit = true;
    sound->format.rateCode = 3;
    for (std::uint8_t code = 0; code < 4; ++code) {
        if (44100 >> (3 - code) == file.sampleRate) {
            sound->format.rateCode = code;
        }
    }
    const double rate = 44100.0 / double(1 << (3 - sound->format.rateCode));
    sound->sampleCount = std::uint32_t(
        std::min(double(file.samples) * rate / double(file.sampleRate), double(UINT32_MAX)));
    // DefineSound's MP3 data starts with its seek samples.
    sound->data.assign(2, 0);
    sound->data.insert(sound->data.end(), bytes.begin() + std::ptrdiff_t(file.framesOffset),
                       bytes.end());
    return sound;
}

Value loadSound(Machine& machine, SoundObject& self, Arguments& arguments)
{
    Stage& stage = *machine.stage();
    const bool streaming = machine.toBoolean(argument(arguments, 1));
    const auto bytes = stage.readLocalFile(machine.toString(argument(arguments, 0)));
    const Mp3File file = bytes ? readMp3File(*bytes) : Mp3File{};
    SoundObject* sound = &self;
    if (file.hasFrames()) {
        // The sound it replaces goes with it, also as the one attached.
        if (sound->sound == sound->loaded.get()) {
            sound->sound = nullptr;
        }
        sound->loaded = soundOfFile(stage, *bytes, file);
        sound->bytesLoaded = bytes->size();
    }
    const bool loaded = file.hasFrames();
    // The file arrives once the scripts running now are done, as a
    // download would.
    stage.queueTask([&machine, &stage, sound, file, loaded, streaming] {
        Arguments none;
        if (loaded) {
            sound->sound = sound->loaded.get();
            if (!file.tagFrames.empty()) {
                sound->id3 = id3Object(machine, file);
                machine.callMethod(Value(static_cast<Object*>(sound)), "onID3", none);
            }
            if (streaming) {
                stage.startSound(sound, *sound->sound, 0, 1);
            }
        }
        Arguments success{Value(loaded)};
        machine.callMethod(Value(static_cast<Object*>(sound)), "onLoad", success);
    });
    return Value();
}

void playbackMethods(Machine& m, Object* prototype)
{
    soundMethod(m, prototype, "attachSound", [](Machine& machine, SoundObject& self, Arguments& a) {
        if (const swf::DefineSound* sound =
                machine.stage()->exportedSound(machine.toString(argument(a, 0)))) {
            self.sound = sound;
        }
        return Value();
    });
    soundMethod(m, prototype, "start", [](Machine& machine, SoundObject& self, Arguments& a) {
        if (self.sound) {
            const double offset = machine.toNumber(argument(a, 0));
            const int loops = a.size() > 1 ? machine.toInt32(a[1]) : 1;
            machine.stage()->startSound(&self, *self.sound, std::isnan(offset) ? 0 : offset, loops);
        }
        return Value();
    });
    soundMethod(m, prototype, "stop", [](Machine& machine, SoundObject&, Arguments& a) {
        Stage& stage = *machine.stage();
        if (a.empty()) {
            stage.stopAllSounds();
        } else if (const swf::DefineSound* sound =
                       stage.exportedSound(machine.toString(argument(a, 0)))) {
            stage.stopSounds(sound->id);
        }
        return Value();
    });
}

void transformMethods(Machine& m, Object* prototype)
{
    soundMethod(m, prototype, "getPan", [](Machine& machine, SoundObject& self, Arguments&) {
        return Value(double(panOf(transformOf(machine, self))));
    });
    soundMethod(m, prototype, "getTransform", [](Machine& machine, SoundObject& self, Arguments&) {
        const SoundTransform& t = transformOf(machine, self);
        Object* result = machine.newObject();
        result->set(machine, "ll", Value(double(t.leftToLeft)));
        result->set(machine, "lr", Value(double(t.leftToRight)));
        result->set(machine, "rl", Value(double(t.rightToLeft)));
        result->set(machine, "rr", Value(double(t.rightToRight)));
        return Value(result);
    });
    soundMethod(m, prototype, "getVolume", [](Machine& machine, SoundObject& self, Arguments&) {
        return Value(double(transformOf(machine, self).volume));
    });
    soundMethod(m, prototype, "setPan", [](Machine& machine, SoundObject& self, Arguments& a) {
        const std::int64_t pan = machine.toInt32(argument(a, 0));
        SoundTransform& t = transformOf(machine, self);
        t.leftToLeft = int(pan > 0 ? 100 - pan : 100);
        t.rightToRight = int(pan < 0 ? 100 + pan : 100);
        t.leftToRight = 0;
        t.rightToLeft = 0;
        return Value();
    });
    soundMethod(m, prototype, "setTransform",
                [](Machine& machine, SoundObject& self, Arguments& a) {
                    Object* given = argument(a, 0).asObject();
                    if (!given) {
                        return Value();
                    }
                    SoundTransform& t = transformOf(machine, self);
                    const std::pair<const char*, int*> fields[] = {{"ll", &t.leftToLeft},
                                                                   {"lr", &t.leftToRight},
                                                                   {"rl", &t.rightToLeft},
                                                                   {"rr", &t.rightToRight}};
                    for (const auto& [name, field] : fields) {
                        if (given->has(machine, name)) {
                            *field = machine.toInt32(given->get(machine, name));
                        }
                    }
                    return Value();
                });
    soundMethod(m, prototype, "setVolume", [](Machine& machine, SoundObject& self, Arguments& a) {
        transformOf(machine, self).volume = machine.toInt32(argument(a, 0));
        return Value();
    });
}

// Flash 6 added these.
void fileMethods(Machine& m, Object* prototype)
{
    soundMethod(m, prototype, "getDuration", [](Machine& machine, SoundObject& self, Arguments&) {
        return self.sound ? self.get(machine, "duration") : Value();
    });
    soundMethod(m, prototype, "setDuration",
                [](Machine&, SoundObject&, Arguments&) { return Value(); });
    soundMethod(m, prototype, "getPosition", [](Machine& machine, SoundObject& self, Arguments&) {
        return self.sound ? self.get(machine, "position") : Value();
    });
    soundMethod(m, prototype, "setPosition",
                [](Machine&, SoundObject&, Arguments&) { return Value(); });
    soundMethod(m, prototype, "loadSound", loadSound);
    soundMethod(m, prototype, "getBytesLoaded", [](Machine&, SoundObject& self, Arguments&) {
        return self.loaded ? Value(double(self.bytesLoaded)) : Value();
    });
    soundMethod(m, prototype, "getBytesTotal", [](Machine&, SoundObject& self, Arguments&) {
        return self.loaded ? Value(double(self.bytesLoaded)) : Value();
    });
}

} // namespace

void installSoundClass(Machine& m)
{
    Object* prototype = m.newObject();
    auto constructor = std::make_shared<Object*>(nullptr);
    *constructor = m.newClass(
        prototype, [](Machine&, const Value&, Arguments&) { return Value(); },
        [prototype, constructor](Machine& machine, const Value&, Arguments& arguments) {
            const Value given = argument(arguments, 0);
            Clip* target = dynamic_cast<Clip*>(given.asObject());
            if (!target && given.isString() && machine.stage()) {
                target = machine.stage()->resolvePath(nullptr, given.asString());
            }
            Object* sound = machine.make<SoundObject>(prototype, target);
            sound->define(machine, "__constructor__", Value(*constructor), kDontEnum);
            if (machine.version() < 7) {
                sound->define(machine, "constructor", Value(*constructor), kDontEnum);
            }
            return Value(sound);
        });
    m.global()->define(m, "Sound", Value(*constructor), kDontEnum);
    playbackMethods(m, prototype);
    transformMethods(m, prototype);
    if (m.version() >= 6) {
        fileMethods(m, prototype);
    }
}

} // namespace quorvane::player::avm1
