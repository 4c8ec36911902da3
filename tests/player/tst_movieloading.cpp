// Movies that take from files beside them: only files in the movie's own
// folder or below are ever opened.

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "StandardErrorCapture.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/avm1/LocalFiles.h"

#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

using namespace quorvane;
using namespace quorvane::fixtures;
using A = swf::ActionCode;

namespace {

swf::Tag tagOf(std::uint16_t code, const std::vector<std::uint8_t>& data)
{
    return swf::Tag{swf::Unknown{code, data}};
}

void putText(std::vector<std::uint8_t>& data, const std::string& text)
{
    data.insert(data.end(), text.begin(), text.end());
    data.push_back(0);
}

// ExportAssets or ImportAssets of one character under one name.
swf::Tag assetTag(std::uint16_t code, const std::string& url, std::uint16_t id,
                  const std::string& name)
{
    std::vector<std::uint8_t> data;
    if (!url.empty()) {
        putText(data, url);
    }
    data.insert(data.end(), {1, 0, std::uint8_t(id & 0xff), std::uint8_t(id >> 8)});
    putText(data, name);
    return tagOf(code, data);
}

void writeFile(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

std::vector<std::uint8_t> oneFrameMovie(std::vector<swf::Tag> tags)
{
    tags.push_back(swf::Tag{swf::ShowFrame{}});
    swf::Header head = header(100, 100, 12, 1);
    head.version = 6;
    return bytes(movie(head, std::move(tags)));
}

// A movie of the given frame scripts, in the folder under that name.
void writeScriptedMovie(const QTemporaryDir& folder, const QString& name,
                        const std::vector<ActionScript>& frames)
{
    std::vector<std::vector<swf::Tag>> tags;
    for (const ActionScript& script : frames) {
        tags.push_back({doAction(script)});
    }
    writeFile(folder.filePath(name), movieOfFrames(std::move(tags)));
}

// _root.createEmptyMovieClip(name, depth) at x pixels across.
void createClip(ActionScript& script, const std::string& name, double depth, double x)
{
    script.push(depth).push(name).push(2.0).push("_root").op(A::GetVariable);
    script.push("createEmptyMovieClip").op(A::CallMethod).op(A::Pop);
    script.push(name).op(A::GetVariable).push("_x").push(x).op(A::SetMember);
}

// trace(name + "=" + clip[property]) for each property.
void traceProperties(ActionScript& script, const std::string& clip,
                     std::initializer_list<std::string> properties)
{
    for (const std::string& property : properties) {
        script.push(property + "=").push(clip).op(A::GetVariable).push(property).op(A::GetMember);
        script.op(A::Add2).op(A::Trace);
    }
}

// A listener object `watcher` that traces every MovieClipLoader event it
// hears with its first argument after it, and a loader `loader` it listens to.
ActionScript loaderWithWatcher()
{
    ActionScript script;
    script.push("watcher").push(0.0).op(A::InitObject).op(A::SetVariable);
    for (const char* event :
         {"onLoadStart", "onLoadProgress", "onLoadComplete", "onLoadInit", "onLoadError"}) {
        ActionScript body;
        body.push(std::string(event) + " ").push("target").op(A::GetVariable).op(A::Add2);
        body.push(" ").op(A::Add2).push("detail").op(A::GetVariable).op(A::Add2).op(A::Trace);
        script.push("watcher").op(A::GetVariable).push(event);
        script.defineFunction("", {"target", "detail"}, body);
        script.op(A::SetMember);
    }
    script.push("loader").push(0.0).push("MovieClipLoader").op(A::NewObject).op(A::SetVariable);
    script.push("watcher").op(A::GetVariable).push(1.0).push("loader").op(A::GetVariable);
    script.push("addListener").op(A::CallMethod).op(A::Pop);
    return script;
}

// loader.loadClip(url, target)
void loadClip(ActionScript& script, const std::string& url, const std::string& target)
{
    script.push(target).push(url).push(2.0).push("loader").op(A::GetVariable);
    script.push("loadClip").op(A::CallMethod).op(A::Pop);
}

QImage renderStage(const player::Player& player)
{
    QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    player.render(painter, QTransform());
    return image;
}

} // namespace

class TestMovieLoading : public QObject {
    Q_OBJECT

private slots:
    void onlyFilesInTheMovieFolderAreReached();
    void importedSpritesRunTheirScriptsHere();
    void loadedImageShowsFromTheNextFrame();
    void loaderEventsComeInFlashOrder();
    void loaderMakesTheLevelItLoadsInto();
    void loadedMoviesKeepTheirOwnCharacters();
    void missingAndOutsideFilesFailQuietly();
    void picturesAndMoviesPastTheMemoryAreNotLoaded();
    void getUrlLoadsAndUnloadsTargets();
    void variablesArriveOnTheNextFrame();
};

void TestMovieLoading::onlyFilesInTheMovieFolderAreReached()
{
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkpath("lessons/more"));
    writeFile(folder.filePath("lessons/near.txt"), {'a'});
    writeFile(folder.filePath("lessons/more/deeper.txt"), {'b'});
    writeFile(folder.filePath("outside.txt"), {'c'});
    const std::filesystem::path movieFolder = folder.filePath("lessons").toStdString();
    using player::avm1::localFile;
    QVERIFY(localFile(movieFolder, "near.txt"));
    QVERIFY(localFile(movieFolder, "more/deeper.txt"));
    QVERIFY(!localFile(movieFolder, "../outside.txt"));
    QVERIFY(!localFile(movieFolder, "more/../../outside.txt"));
    QVERIFY(!localFile(movieFolder, folder.filePath("outside.txt").toStdString()));
    QVERIFY(!localFile(movieFolder, "http://example.com/near.txt"));
    QVERIFY(!localFile(movieFolder, "missing.txt"));
    QVERIFY(!localFile(movieFolder, "more"));
    // A movie read from bytes has no folder to load from.
    QVERIFY(!localFile({}, "near.txt"));
}

void TestMovieLoading::importedSpritesRunTheirScriptsHere()
{
    // lender.swf exports sprite 1 as "greeter"; it says hello when placed
    // and holds a sprite 2 of its own. The importer calls the greeter 2,
    // an id its own shape 1 would clash with otherwise.
    ActionScript hello;
    hello.push("hello from ").push("this").op(A::GetVariable).op(A::Add2).op(A::Trace);
    ActionScript inner;
    inner.push("inner ").push("this").op(A::GetVariable).op(A::Add2).op(A::Trace);
    swf::DefineSprite innerSprite{2, 1, {doAction(inner), swf::Tag{swf::ShowFrame{}}}};
    swf::PlaceObject innerPlace = place(1, 2);
    innerPlace.name = "part";
    swf::DefineSprite greeter{
        1,
        1,
        {doAction(hello), swf::Tag{innerPlace}, swf::Tag{swf::ShowFrame{}}, swf::Tag{swf::End{}}}};
    QTemporaryDir folder;
    writeFile(folder.filePath("lender.swf"),
              oneFrameMovie({swf::Tag{std::move(innerSprite)}, swf::Tag{std::move(greeter)},
                             assetTag(56, "", 1, "greeter")}));
    swf::PlaceObject placed = place(1, 2);
    placed.name = "guest";
    writeFile(folder.filePath("main.swf"),
              oneFrameMovie({swf::Tag{rectangle(1, 0, 0, 5, 5, {0, 0, 255, 255})},
                             assetTag(57, "lender.swf", 2, "greeter"), swf::Tag{placed}}));

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.load(folder.filePath("main.swf").toStdString()).has_value());
    QCOMPARE(host.traces,
             (std::vector<std::string>{"hello from _level0.guest", "inner _level0.guest.part"}));
    // Bytes have no folder: the same movie imports nothing.
    host.traces.clear();
    QFile file(folder.filePath("main.swf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray data = file.readAll();
    QVERIFY(!player
                 .loadBytes(std::span(reinterpret_cast<const std::uint8_t*>(data.constData()),
                                      std::size_t(data.size())))
                 .has_value());
    QVERIFY(host.traces.empty());
}

void TestMovieLoading::loadedImageShowsFromTheNextFrame()
{
    QTemporaryDir folder;
    QImage picture(8, 6, QImage::Format_RGB32);
    picture.fill(QColor(255, 0, 0));
    QVERIFY(picture.save(folder.filePath("red.png")));
    ActionScript first;
    createClip(first, "pic", 1, 20);
    first.push("red.png").push(1.0).push("pic").op(A::GetVariable);
    first.push("loadMovie").op(A::CallMethod).op(A::Pop);
    traceProperties(first, "pic", {"_width"});
    ActionScript second;
    traceProperties(second, "pic", {"_width", "_height"});
    second.push(0.0).push("pic").op(A::GetVariable).push("getBytesTotal").op(A::CallMethod);
    second.op(A::Trace);
    second.push(0.0).push("pic").op(A::GetVariable).push("getSWFVersion").op(A::CallMethod);
    second.op(A::Trace);
    writeScriptedMovie(folder, "main.swf", {first, second});

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.load(folder.filePath("main.swf").toStdString()).has_value());
    QCOMPARE(host.traces, (Lines{"_width=0"}));
    QCOMPARE(renderStage(player).pixelColor(22, 2), QColor(Qt::white));
    player.advanceFrame();
    const qint64 fileSize = QFileInfo(folder.filePath("red.png")).size();
    QCOMPARE(host.traces,
             (Lines{"_width=0", "_width=8", "_height=6", std::to_string(fileSize), "-1"}));
    const QImage shown = renderStage(player);
    QCOMPARE(shown.pixelColor(20, 0), QColor(255, 0, 0));
    QCOMPARE(shown.pixelColor(27, 5), QColor(255, 0, 0));
    QCOMPARE(shown.pixelColor(28, 5), QColor(Qt::white));
    QCOMPARE(shown.pixelColor(19, 0), QColor(Qt::white));
}

void TestMovieLoading::loaderEventsComeInFlashOrder()
{
    QTemporaryDir folder;
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(QColor(0, 0, 255));
    QVERIFY(picture.save(folder.filePath("blue.jpg"), "JPEG"));
    ActionScript first = loaderWithWatcher();
    createClip(first, "pic", 1, 0);
    loadClip(first, "blue.jpg", "pic");
    first.push("asked").op(A::Trace);
    ActionScript second;
    second.op(A::Stop);
    writeScriptedMovie(folder, "main.swf", {first, second});

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.load(folder.filePath("main.swf").toStdString()).has_value());
    QCOMPARE(host.traces, (Lines{"asked"}));
    player.advanceFrame();
    const std::string size = std::to_string(QFileInfo(folder.filePath("blue.jpg")).size());
    QCOMPARE(
        host.traces,
        (Lines{"asked", "onLoadStart _level0.pic undefined", "onLoadProgress _level0.pic " + size,
               "onLoadComplete _level0.pic undefined", "onLoadInit _level0.pic undefined"}));
    player.advanceFrame();
    QCOMPARE(host.traces.size(), std::size_t(5));
}

void TestMovieLoading::loaderMakesTheLevelItLoadsInto()
{
    QTemporaryDir folder;
    QImage picture(6, 6, QImage::Format_RGB32);
    picture.fill(QColor(0, 255, 0));
    QVERIFY(picture.save(folder.filePath("green.png")));
    ActionScript first = loaderWithWatcher();
    first.push(3.0).push("green.png").push(2.0).push("loader").op(A::GetVariable);
    first.push("loadClip").op(A::CallMethod).op(A::Pop).op(A::Stop);
    writeScriptedMovie(folder, "main.swf", {first});

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.load(folder.filePath("main.swf").toStdString()).has_value());
    player.advanceFrame();
    QCOMPARE(host.traces.back(), std::string("onLoadInit _level3 undefined"));
    QCOMPARE(renderStage(player).pixelColor(5, 5), QColor(0, 255, 0));
    QCOMPARE(renderStage(player).pixelColor(6, 6), QColor(Qt::white));
}

void TestMovieLoading::loadedMoviesKeepTheirOwnCharacters()
{
    // child.swf draws its shape 1, red, and says where it runs; the main
    // movie's own shape 1 is blue.
    QTemporaryDir folder;
    ActionScript greet;
    greet.push("child in ").push("this").op(A::GetVariable).op(A::Add2).op(A::Trace);
    ActionScript later;
    later.push("child again").op(A::Trace).op(A::Stop);
    writeFile(folder.filePath("child.swf"),
              movieOfFrames({{swf::Tag{rectangle(1, 0, 0, 10, 10, kRed)}, swf::Tag{place(1, 1)},
                              doAction(greet)},
                             {doAction(later)}},
                            6));
    ActionScript first = loaderWithWatcher();
    createClip(first, "holder", 5, 20);
    loadClip(first, "child.swf", "holder");
    ActionScript second;
    second.push(0.0).push("holder").op(A::GetVariable).push("getSWFVersion").op(A::CallMethod);
    second.op(A::Trace);
    // The same file again, into another clip: a second copy that runs on its own.
    createClip(second, "other", 6, 40);
    second.push("child.swf").push("other").raw(A::GetUrl2, {0x40}).op(A::Stop);
    writeFile(folder.filePath("main.swf"),
              movieOfFrames({{swf::Tag{rectangle(1, 0, 0, 10, 10, kBlue)},
                              swf::Tag{place(1, 1, 50, 50)}, doAction(first)},
                             {doAction(second)}}));

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.load(folder.filePath("main.swf").toStdString()).has_value());
    player.advanceFrame();
    const std::string size = std::to_string(QFileInfo(folder.filePath("child.swf")).size());
    QCOMPARE(host.traces,
             (Lines{"onLoadStart _level0.holder undefined", "onLoadProgress _level0.holder " + size,
                    "onLoadComplete _level0.holder undefined", "child in _level0.holder", "6",
                    "onLoadInit _level0.holder undefined"}));
    const QImage shown = renderStage(player);
    QCOMPARE(shown.pixelColor(25, 5), QColor(255, 0, 0));
    QCOMPARE(shown.pixelColor(55, 55), QColor(0, 0, 255));
    host.traces.clear();
    player.advanceFrame();
    QCOMPARE(host.traces, (Lines{"child in _level0.other", "child again"}));
    QCOMPARE(renderStage(player).pixelColor(45, 5), QColor(255, 0, 0));
    player.advanceFrame();
    QCOMPARE(host.traces, (Lines{"child in _level0.other", "child again", "child again"}));
}

void TestMovieLoading::missingAndOutsideFilesFailQuietly()
{
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkpath("lesson"));
    QImage picture(4, 4, QImage::Format_RGB32);
    picture.fill(QColor(0, 255, 0));
    QVERIFY(picture.save(folder.filePath("outside.png")));
    writeFile(folder.filePath("lesson/notes.png"), {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i'});
    ActionScript first = loaderWithWatcher();
    createClip(first, "a", 1, 0);
    createClip(first, "b", 2, 10);
    createClip(first, "c", 3, 20);
    loadClip(first, "missing.png", "a");
    loadClip(first, "../outside.png", "b");
    loadClip(first, "notes.png", "c");
    writeScriptedMovie(folder, "lesson/main.swf", {first, ActionScript()});

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.load(folder.filePath("lesson/main.swf").toStdString()).has_value());
    player.advanceFrame();
    QCOMPARE(host.traces,
             (Lines{"onLoadError _level0.a URLNotFound", "onLoadError _level0.b URLNotFound",
                    "onLoadError _level0.c UnknownError"}));
    const QImage shown = renderStage(player);
    QCOMPARE(shown.pixelColor(12, 2), QColor(Qt::white));
}

void TestMovieLoading::picturesAndMoviesPastTheMemoryAreNotLoaded()
{
    // A movie that may use 2 MB loads a picture of 2.4 MB decoded, a small
    // one, and a movie of 3 MB.
    QTemporaryDir folder;
    QImage large(800, 800, QImage::Format_RGB32);
    large.fill(QColor(0, 255, 0));
    QVERIFY(large.save(folder.filePath("large.png")));
    QImage small(4, 4, QImage::Format_RGB32);
    small.fill(QColor(0, 0, 255));
    QVERIFY(small.save(folder.filePath("small.png")));
    writeFile(folder.filePath("heavy.swf"),
              movieOfFrames({{tagOf(87, std::vector<std::uint8_t>(3u << 20, 7))}}));
    ActionScript first = loaderWithWatcher();
    createClip(first, "a", 1, 0);
    createClip(first, "b", 2, 10);
    createClip(first, "c", 3, 20);
    loadClip(first, "large.png", "a");
    loadClip(first, "small.png", "b");
    loadClip(first, "heavy.swf", "c");
    writeScriptedMovie(folder, "main.swf", {first, ActionScript()});

    player::Player::Limits limits;
    limits.memory = 2u << 20;
    RecordingScriptHost host;
    player::Player player(limits);
    player.setScriptHost(&host);
    std::string log;
    {
        testing::StandardErrorCapture standardError;
        QVERIFY(!player.load(folder.filePath("main.swf").toStdString()).has_value());
        player.advanceFrame();
        log = standardError.text();
    }
    const auto heard = [&](const std::string& line) {
        return std::find(host.traces.begin(), host.traces.end(), line) != host.traces.end();
    };
    QVERIFY(heard("onLoadError _level0.a UnknownError"));
    QVERIFY(heard("onLoadInit _level0.b undefined"));
    QVERIFY(heard("onLoadError _level0.c UnknownError"));
    QVERIFY2(log.find("the picture large.png left out") != std::string::npos, log.c_str());
    QVERIFY(log.find("the movie heavy.swf left out") != std::string::npos);
    const QImage shown = renderStage(player);
    QCOMPARE(shown.pixelColor(2, 2), QColor(Qt::white));
    QCOMPARE(shown.pixelColor(12, 2), QColor(0, 0, 255));
}

void TestMovieLoading::getUrlLoadsAndUnloadsTargets()
{
    QTemporaryDir folder;
    QImage picture(5, 5, QImage::Format_RGB32);
    picture.fill(QColor(0, 0, 255));
    QVERIFY(picture.save(folder.filePath("blue.png")));
    constexpr std::uint8_t kLoadTarget = 0x40;
    // loadMovie("blue.png", "pic"), then unloadMovie("pic") a frame later:
    // both are GetURL2 towards a target.
    ActionScript first;
    createClip(first, "pic", 1, 0);
    first.push("blue.png").push("pic").raw(A::GetUrl2, {kLoadTarget});
    ActionScript second;
    traceProperties(second, "pic", {"_width"});
    ActionScript third;
    third.push("").push("pic").raw(A::GetUrl2, {kLoadTarget});
    traceProperties(third, "pic", {"_width"});
    third.op(A::Stop);
    writeScriptedMovie(folder, "main.swf", {first, second, third});

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.load(folder.filePath("main.swf").toStdString()).has_value());
    player.advanceFrame();
    QCOMPARE(renderStage(player).pixelColor(2, 2), QColor(0, 0, 255));
    player.advanceFrame();
    QCOMPARE(host.traces, (Lines{"_width=5", "_width=0"}));
    QCOMPARE(renderStage(player).pixelColor(2, 2), QColor(Qt::white));
}

void TestMovieLoading::variablesArriveOnTheNextFrame()
{
    QTemporaryDir folder;
    const std::string text = "greeting=Good%20morning&mood=fine+thanks\n";
    writeFile(folder.filePath("vars.txt"), std::vector<std::uint8_t>(text.begin(), text.end()));
    constexpr std::uint8_t kLoadVariablesIntoTarget = 0xC0;
    ActionScript first;
    first.push("vars.txt").push("_root").raw(A::GetUrl2, {kLoadVariablesIntoTarget});
    first.push("greeting").op(A::GetVariable).op(A::Trace);
    ActionScript second;
    second.push("greeting").op(A::GetVariable).op(A::Trace);
    second.push("mood").op(A::GetVariable).op(A::Trace);
    writeScriptedMovie(folder, "main.swf", {first, second});

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.load(folder.filePath("main.swf").toStdString()).has_value());
    player.advanceFrame();
    QCOMPARE(host.traces, (Lines{"undefined", "Good morning", "fine thanks"}));
}

QTEST_GUILESS_MAIN(TestMovieLoading)
#include "tst_movieloading.moc"
