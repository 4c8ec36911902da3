// Movies that take from files beside them: only files in the movie's own
// folder or below are ever opened.

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/avm1/LocalFiles.h"

#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

using namespace quorvane;
using namespace quorvane::fixtures;

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

} // namespace

class TestMovieLoading : public QObject {
    Q_OBJECT

private slots:
    void onlyFilesInTheMovieFolderAreReached();
    void importedSpritesRunTheirScriptsHere();
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
    hello.push("hello from ").push("this").op(kGetVariable).op(kAdd2).op(kTrace);
    ActionScript inner;
    inner.push("inner ").push("this").op(kGetVariable).op(kAdd2).op(kTrace);
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

QTEST_GUILESS_MAIN(TestMovieLoading)
#include "tst_movieloading.moc"
