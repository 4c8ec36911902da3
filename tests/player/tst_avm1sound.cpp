// The Sound class through the player: volume and balance per clip, sounds
// of the library started into the mix and timed by the movie's clock, and
// MP3 files beside the movie loaded with their ID3 tag.

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/sound/Mp3File.h"

#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>

using namespace quorvane;
using namespace quorvane::fixtures;
using A = swf::ActionCode;

namespace {

// name = new Sound();
void newSound(ActionScript& script, const std::string& name)
{
    script.push(name).push(0.0).push("Sound").op(A::NewObject).op(A::SetVariable);
}

// object.method(arguments pushed before, last first), the result left on the stack.
void callMethod(ActionScript& script, const std::string& object, const std::string& method,
                int argumentCount)
{
    script.push(double(argumentCount))
        .push(object)
        .op(A::GetVariable)
        .push(method)
        .op(A::CallMethod);
}

void traceMember(ActionScript& script, const std::string& object, const std::string& member)
{
    script.push(object).op(A::GetVariable).push(member).op(A::GetMember).op(A::Trace);
}

swf::Tag exportAssets(std::uint16_t id, const std::string& name)
{
    swf::Unknown tag;
    tag.code = 56;
    tag.data = {1, 0, std::uint8_t(id & 0xff), std::uint8_t(id >> 8)};
    tag.data.insert(tag.data.end(), name.begin(), name.end());
    tag.data.push_back(0);
    return swf::Tag{tag};
}

void appendText(std::vector<std::uint8_t>& out, std::string_view text)
{
    out.insert(out.end(), text.begin(), text.end());
}

void appendFrame(std::vector<std::uint8_t>& tag, std::string_view id,
                 const std::vector<std::uint8_t>& body)
{
    appendText(tag, id);
    const std::uint32_t size = std::uint32_t(body.size());
    tag.insert(tag.end(), {std::uint8_t(size >> 24), std::uint8_t(size >> 16),
                           std::uint8_t(size >> 8), std::uint8_t(size), 0, 0});
    tag.insert(tag.end(), body.begin(), body.end());
}

// An ID3v2.3 tag (a Latin-1 title, a UTF-16 artist, a comment twice, a
// URL frame that holds no text) before three MPEG-1 layer III frames of
// 128 kbit/s at 44,100 per second.
std::vector<std::uint8_t> taggedMp3()
{
    std::vector<std::uint8_t> frames;
    appendFrame(frames, "TIT2", {0, 'T', 'i', 't', 'l', 'e'});
    appendFrame(frames, "TPE1", {1, 0xff, 0xfe, 'A', 0, 0xe9, 0, 0, 0});
    appendFrame(frames, "COMM", {0, 'e', 'n', 'g', 'd', 0, 'o', 'n', 'e'});
    appendFrame(frames, "WOAR", {'h', 't', 't', 'p'});
    appendFrame(frames, "COMM", {0, 'e', 'n', 'g', 0, 't', 'w', 'o'});
    std::vector<std::uint8_t> file{'I', 'D', '3', 3, 0, 0, 0, 0};
    file.push_back(std::uint8_t(frames.size() >> 7));
    file.push_back(std::uint8_t(frames.size() & 0x7f));
    file.insert(file.end(), frames.begin(), frames.end());
    for (int i = 0; i < 3; ++i) {
        std::vector<std::uint8_t> frame(417, 0);
        frame[0] = 0xff;
        frame[1] = 0xfb;
        frame[2] = 0x90;
        file.insert(file.end(), frame.begin(), frame.end());
    }
    return file;
}

} // namespace

class TestAvm1Sound : public QObject {
    Q_OBJECT

private slots:
    void volumeAndBalanceBelongToTheTargetClip();
    void soundMethodsGiveNothingOnOtherObjects();
    void attachedSoundsAreHeardAndTimedByTheMovieClock();
    void mp3FilesGiveTheirLengthAndTag();
    void loadedFilesComeFromTheMovieFolderOnly();
};

void TestAvm1Sound::volumeAndBalanceBelongToTheTargetClip()
{
    ActionScript script;
    newSound(script, "s");
    script.push(-20.0);
    callMethod(script, "s", "setPan", 1);
    script.op(A::Pop);
    callMethod(script, "s", "getPan", 0);
    script.op(A::Trace);
    script.push("t");
    callMethod(script, "s", "getTransform", 0);
    script.op(A::SetVariable);
    traceMember(script, "t", "ll");
    traceMember(script, "t", "rr");
    // Turning the left channel down reads back as a balance to the right.
    script.push("t").op(A::GetVariable).push("ll").push(70.0).op(A::SetMember);
    script.push("t").op(A::GetVariable).push("rr").push(100.0).op(A::SetMember);
    script.push("t").op(A::GetVariable);
    callMethod(script, "s", "setTransform", 1);
    script.op(A::Pop);
    callMethod(script, "s", "getPan", 0);
    script.op(A::Trace);
    script.push(40.0);
    callMethod(script, "s", "setVolume", 1);
    script.op(A::Pop);
    callMethod(script, "s", "getVolume", 0);
    script.op(A::Trace);
    // Another Sound of the same (whole movie) target shares the settings.
    newSound(script, "other");
    callMethod(script, "other", "getVolume", 0);
    script.op(A::Trace);

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOfFrames({{doAction(script)}})).has_value());
    QCOMPARE(host.traces, (Lines{"-20", "100", "80", "30", "40", "40"}));
}

void TestAvm1Sound::soundMethodsGiveNothingOnOtherObjects()
{
    ActionScript script;
    // o = new Object(); o.f = Sound.prototype.getVolume; trace(o.f());
    script.push("o").push(0.0).push("Object").op(A::NewObject).op(A::SetVariable);
    script.push("o").op(A::GetVariable).push("f");
    script.push("Sound").op(A::GetVariable).push("prototype").op(A::GetMember);
    script.push("getVolume").op(A::GetMember).op(A::SetMember);
    callMethod(script, "o", "f", 0);
    script.op(A::Trace);
    // A Sound with nothing attached has no duration.
    newSound(script, "s");
    traceMember(script, "s", "duration");

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOfFrames({{doAction(script)}})).has_value());
    QCOMPARE(host.traces, (Lines{"undefined", "undefined"}));
}

void TestAvm1Sound::attachedSoundsAreHeardAndTimedByTheMovieClock()
{
    // A second (11,025 samples at 11,025 per second) of a constant level.
    const std::vector<std::int16_t> samples(11025, 1000);
    ActionScript done;
    done.push("done").op(A::Trace);
    ActionScript start;
    newSound(start, "s");
    start.push("tone");
    callMethod(start, "s", "attachSound", 1);
    start.op(A::Pop);
    traceMember(start, "s", "duration");
    start.defineFunction("finished", {}, done);
    start.push("s").op(A::GetVariable).push("onSoundComplete");
    start.push("finished").op(A::GetVariable).op(A::SetMember);
    callMethod(start, "s", "start", 0);
    start.op(A::Pop);
    ActionScript later;
    later.op(A::Stop);
    traceMember(later, "s", "position");

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player
                 .loadBytes(movieOfFrames(
                     {{swf::Tag{pcmSound(5, samples, 1)}, exportAssets(5, "tone"), doAction(start)},
                      {doAction(later)}}))
                 .has_value());
    QCOMPARE(host.traces, (Lines{"1000"}));
    std::vector<std::int16_t> mixed(64);
    player.mixAudio(mixed);
    QCOMPARE(mixed[0], std::int16_t(1000));
    QCOMPARE(mixed[1], std::int16_t(1000));

    // At 12 frames a second the second is over on the twelfth frame interval.
    player.advanceFrame();
    QCOMPARE(host.traces, (Lines{"1000", "83"}));
    for (int frame = 2; frame < 12; ++frame) {
        player.advanceFrame();
    }
    QCOMPARE(host.traces.size(), std::size_t(2));
    player.advanceFrame();
    QCOMPARE(host.traces, (Lines{"1000", "83", "done"}));
}

void TestAvm1Sound::mp3FilesGiveTheirLengthAndTag()
{
    const std::vector<std::uint8_t> bytes = taggedMp3();
    const player::Mp3File file = player::readMp3File(bytes);
    QVERIFY(file.hasFrames());
    QCOMPARE(file.sampleRate, 44100);
    QCOMPARE(file.samples, std::uint64_t(3 * 1152));
    QCOMPARE(file.framesOffset, bytes.size() - 3 * 417);
    using Frames = std::vector<std::pair<std::string, std::string>>;
    QCOMPARE(file.tagFrames,
             (Frames{{"TIT2", "Title"}, {"TPE1", "A\xc3\xa9"}, {"COMM", "one"}, {"COMM", "two"}}));

    const std::vector<std::uint8_t> noise(2000, 0x55);
    QVERIFY(!player::readMp3File(noise).hasFrames());
    // A tag that claims more than the file holds ends with the file.
    std::vector<std::uint8_t> cut(bytes.begin(), bytes.begin() + 30);
    QVERIFY(!player::readMp3File(cut).hasFrames());
}

void TestAvm1Sound::loadedFilesComeFromTheMovieFolderOnly()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QVERIFY(QDir(folder.path()).mkdir("sounds"));
    const std::string base = folder.path().toStdString();
    const std::vector<std::uint8_t> mp3 = taggedMp3();
    std::ofstream(base + "/sounds/a.mp3", std::ios::binary)
        .write(reinterpret_cast<const char*>(mp3.data()), std::streamsize(mp3.size()));

    // s.onLoad = function (ok) { trace(ok); trace(this.id3.songname); }
    ActionScript onLoad;
    onLoad.push("ok").op(A::GetVariable).op(A::Trace);
    onLoad.push("this").op(A::GetVariable).push("id3").op(A::GetMember);
    onLoad.push("songname").op(A::GetMember).op(A::Trace);
    ActionScript script;
    script.defineFunction("loaded", {"ok"}, onLoad);
    for (const char* name : {"s", "outside"}) {
        newSound(script, name);
        script.push(name).op(A::GetVariable).push("onLoad");
        script.push("loaded").op(A::GetVariable).op(A::SetMember);
    }
    script.pushBool(false).push("sounds/a.mp3");
    callMethod(script, "s", "loadSound", 2);
    script.op(A::Pop);
    script.pushBool(false).push("../a.mp3");
    callMethod(script, "outside", "loadSound", 2);
    script.op(A::Pop);
    // Loading finishes after the script that asked for it.
    script.push("asked").op(A::Trace);
    const std::vector<std::uint8_t> movie = movieOfFrames({{doAction(script)}});
    std::ofstream(base + "/sounds/movie.swf", std::ios::binary)
        .write(reinterpret_cast<const char*>(movie.data()), std::streamsize(movie.size()));
    std::ofstream(base + "/a.mp3", std::ios::binary)
        .write(reinterpret_cast<const char*>(mp3.data()), std::streamsize(mp3.size()));

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    // The movie in sounds/ finds sounds/sounds/a.mp3 missing; from the
    // folder above the same name is found.
    QVERIFY(!player.load(base + "/sounds/movie.swf").has_value());
    QCOMPARE(host.traces, (Lines{"asked", "false", "undefined", "false", "undefined"}));
    std::filesystem::rename(base + "/sounds/movie.swf", base + "/movie.swf");
    host.traces.clear();
    QVERIFY(!player.load(base + "/movie.swf").has_value());
    QCOMPARE(host.traces, (Lines{"asked", "true", "Title", "false", "undefined"}));
}

QTEST_GUILESS_MAIN(TestAvm1Sound)
#include "tst_avm1sound.moc"
