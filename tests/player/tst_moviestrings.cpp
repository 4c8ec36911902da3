// Strings of movies before SWF 6 are GBK bytes, from SWF 6 on UTF-8: the
// engine takes both into its own UTF-8 wherever they come from the file.

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "SwfFixtures.h"
#include "player/Player.h"
#include "player/text/MovieStrings.h"

#include <QStringEncoder>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>

using namespace quorvane;
using namespace quorvane::fixtures;
using A = swf::ActionCode;

namespace {

std::string gbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    const QByteArray bytes = encoder.encode(text);
    return bytes.toStdString();
}

std::string utf8(const QString& text)
{
    return text.toStdString();
}

// Pushes String.fromCharCode(codes...): text made in the engine, whatever
// the movie's strings are, to compare what came from the file with.
ActionScript& pushCharacters(ActionScript& script, std::initializer_list<double> codes)
{
    for (auto code = std::rbegin(codes); code != std::rend(codes); ++code) {
        script.push(*code);
    }
    script.push(double(codes.size())).push("String").op(A::GetVariable);
    return script.push("fromCharCode").op(A::CallMethod);
}

std::vector<std::uint8_t> stringBody(std::initializer_list<std::string> texts)
{
    std::vector<std::uint8_t> body;
    for (const std::string& text : texts) {
        body.insert(body.end(), text.begin(), text.end());
        body.push_back(0);
    }
    return body;
}

Lines tracesOf(const std::vector<std::uint8_t>& movie, int frames)
{
    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    if (const auto error = player.loadBytes(movie)) {
        return {"load failed: " + *error};
    }
    for (int i = 1; i < frames; ++i) {
        player.advanceFrame();
    }
    return host.traces;
}

swf::Tag emptySprite(std::uint16_t id)
{
    swf::DefineSprite sprite;
    sprite.id = id;
    sprite.frameCount = 1;
    sprite.tags = {swf::Tag{swf::ShowFrame{}}, swf::Tag{swf::End{}}};
    return swf::Tag{std::move(sprite)};
}

swf::Tag placeNamed(std::uint16_t depth, std::uint16_t id, const std::string& name)
{
    swf::PlaceObject placement = place(depth, id);
    placement.name = name;
    return swf::Tag{placement};
}

void writeFile(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path.toStdString(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

} // namespace

class TestMovieStrings : public QObject {
    Q_OBJECT

private slots:
    void bytesBecomeUtf8ByTheMovieVersion_data();
    void bytesBecomeUtf8ByTheMovieVersion();
    void scriptStringsOfOldMoviesAreGbk();
    void theSameBytesInAVersion6MovieStayAsTheyAre();
    void gbkFrameLabelsAreReachedByName();
    void gbkInstanceNamesWorkInPaths();
    void textFieldVariablesAndTextAreGbk();
    void aLoadedMovieReadsItsStringsByItsOwnVersion();
};

void TestMovieStrings::bytesBecomeUtf8ByTheMovieVersion_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("version");
    QTest::addColumn<QString>("text");
    QTest::newRow("ASCII in SWF 5") << QByteArray("gotoAndPlay") << 5 << "gotoAndPlay";
    QTest::newRow("Chinese in SWF 5")
        << QByteArray::fromStdString(gbk(QStringLiteral("第一节 Lesson"))) << 5
        << QStringLiteral("第一节 Lesson");
    QTest::newRow("Chinese in SWF 4")
        << QByteArray::fromStdString(gbk(QStringLiteral("语法"))) << 4 << QStringLiteral("语法");
    QTest::newRow("UTF-8 in SWF 6")
        << QByteArray::fromStdString(utf8(QStringLiteral("语法"))) << 6 << QStringLiteral("语法");
    // No GBK character starts with 0xFF, and a lead byte needs a trail.
    QTest::newRow("stray bytes") << QByteArray("\xff"
                                               "A\xc4\xe3\x81")
                                 << 5 << QString(QChar(0xFF)) + QStringLiteral("A你") + QChar(0x81);
    QTest::newRow("euro sign") << QByteArray("\x80"
                                             "5")
                               << 5 << QString(QChar(0x20AC)) + u'5';
    QTest::newRow("lead byte before ASCII") << QByteArray("\xb0"
                                                          "1")
                                            << 5 << QString(QChar(0xB0)) + QStringLiteral("1");
}

void TestMovieStrings::bytesBecomeUtf8ByTheMovieVersion()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, version);
    QFETCH(QString, text);
    QCOMPARE(QString::fromStdString(player::movieStringToUtf8(bytes.toStdString(), version)), text);
}

void TestMovieStrings::scriptStringsOfOldMoviesAreGbk()
{
    // trace("你好"); the pool's "早上好" traced and compared with the same
    // text built from its character codes; function 问候(名) { trace(名); }
    // called by a name built likewise; getURL to a Chinese address and an
    // fscommand with Chinese arguments.
    ActionScript script;
    script.push(gbk(QStringLiteral("你好"))).op(A::Trace);
    script.raw(A::ConstantPool, [] {
        std::vector<std::uint8_t> body{1, 0};
        const std::vector<std::uint8_t> strings = stringBody({gbk(QStringLiteral("早上好"))});
        body.insert(body.end(), strings.begin(), strings.end());
        return body;
    }());
    script.raw(A::Push, {8, 0}).op(A::Trace);
    script.raw(A::Push, {8, 0});
    pushCharacters(script, {0x65E9, 0x4E0A, 0x597D}).op(A::Equals2).op(A::Trace);
    ActionScript body;
    body.push(gbk(QStringLiteral("名"))).op(A::GetVariable).op(A::Trace);
    script.defineFunction(gbk(QStringLiteral("问候")), {gbk(QStringLiteral("名"))}, body);
    script.push(gbk(QStringLiteral("世界"))).push(1.0);
    pushCharacters(script, {0x95EE, 0x5019}).op(A::CallFunction).op(A::Pop);
    script.raw(A::GetUrl, stringBody({gbk(QStringLiteral("http://例子.cn/课文.html")), "_blank"}));
    script.raw(A::GetUrl,
               stringBody({gbk(QStringLiteral("fscommand:朗读")), gbk(QStringLiteral("早上好"))}));

    RecordingScriptHost host;
    player::Player player;
    player.setScriptHost(&host);
    QVERIFY(!player.loadBytes(movieOfFrames({{doAction(script)}}, 5)).has_value());
    QCOMPARE(host.traces, (Lines{utf8(QStringLiteral("你好")), utf8(QStringLiteral("早上好")),
                                 "true", utf8(QStringLiteral("世界"))}));
    QCOMPARE(host.addresses, (Lines{utf8(QStringLiteral("http://例子.cn/课文.html"))}));
    QCOMPARE(host.commands, (Lines{utf8(QStringLiteral("朗读 早上好"))}));
}

void TestMovieStrings::theSameBytesInAVersion6MovieStayAsTheyAre()
{
    // The GBK bytes of "你好" are no UTF-8: a version 6 movie keeps them
    // as they are, and its UTF-8 is what the character codes make.
    ActionScript script;
    script.push(gbk(QStringLiteral("你好"))).op(A::Trace);
    script.push(utf8(QStringLiteral("你好")));
    pushCharacters(script, {0x4F60, 0x597D}).op(A::Equals2).op(A::Trace);
    script.push(gbk(QStringLiteral("你好")));
    pushCharacters(script, {0x4F60, 0x597D}).op(A::Equals2).op(A::Trace);
    QCOMPARE(tracesOf(movieOfFrames({{doAction(script)}}, 6), 1),
             (Lines{gbk(QStringLiteral("你好")), "true", "false"}));
    QCOMPARE(tracesOf(movieOfFrames({{doAction(script)}}, 5), 1),
             (Lines{utf8(QStringLiteral("你好")), "false", "true"}));
}

void TestMovieStrings::gbkFrameLabelsAreReachedByName()
{
    // gotoAndPlay("第一节") as GotoLabel; from there gotoAndStop to a label
    // named by character codes, which only a label read as GBK matches.
    const auto says = [](const std::string& text) {
        ActionScript script;
        script.push(text).op(A::Trace);
        return doAction(script);
    };
    ActionScript start;
    start.push("start").op(A::Trace).gotoLabel(gbk(QStringLiteral("第一节"))).op(A::Play);
    ActionScript first;
    first.push(gbk(QStringLiteral("到了第一节"))).op(A::Trace);
    pushCharacters(first, {0x7B2C, 0x4E8C, 0x8282}).raw(A::GotoFrame2, {0});
    ActionScript second;
    second.push(gbk(QStringLiteral("到了第二节"))).op(A::Trace).op(A::Stop);
    const std::vector<std::vector<swf::Tag>> frames{
        {doAction(start)},
        {says("skipped")},
        {swf::Tag{swf::FrameLabel{gbk(QStringLiteral("第一节")), false}}, doAction(first)},
        {says("skipped too")},
        {swf::Tag{swf::FrameLabel{gbk(QStringLiteral("第二节")), false}}, doAction(second)},
        {says("after the end")}};
    QCOMPARE(
        tracesOf(movieOfFrames(frames, 5), 4),
        (Lines{"start", utf8(QStringLiteral("到了第一节")), utf8(QStringLiteral("到了第二节"))}));
}

void TestMovieStrings::gbkInstanceNamesWorkInPaths()
{
    // A sprite placed as 按钮: reached by a dotted path, by tellTarget and
    // by a name built from character codes.
    ActionScript script;
    script.push(gbk(QStringLiteral("_root.按钮._name"))).op(A::GetVariable).op(A::Trace);
    script.raw(A::SetTarget, stringBody({gbk(QStringLiteral("/按钮"))}));
    script.push("").push(13.0).op(A::GetProperty).op(A::Trace);
    script.raw(A::SetTarget, stringBody({""}));
    pushCharacters(script, {0x6309, 0x94AE}).op(A::GetVariable).op(A::TypeOf).op(A::Trace);
    const auto movie = movieOfFrames(
        {{emptySprite(2), placeNamed(1, 2, gbk(QStringLiteral("按钮"))), doAction(script)}}, 5);
    QCOMPARE(tracesOf(movie, 1),
             (Lines{utf8(QStringLiteral("按钮")), utf8(QStringLiteral("按钮")), "movieclip"}));
}

void TestMovieStrings::textFieldVariablesAndTextAreGbk()
{
    // A field bound to 分数 that starts as 一百: the variable, named by
    // character codes, holds the text; a GBK assignment shows in the field.
    swf::DefineFont font;
    font.id = 1;
    font.name = "_sans";
    swf::DefineEditText edit;
    edit.id = 2;
    edit.bounds = swf::Rect{0, 2000, 0, 400};
    edit.fontId = 1;
    edit.fontHeight = 240;
    edit.textColor = swf::Rgba{0, 0, 0, 255};
    edit.variableName = gbk(QStringLiteral("分数"));
    edit.initialText = gbk(QStringLiteral("一百"));
    ActionScript first;
    pushCharacters(first, {0x5206, 0x6570}).op(A::GetVariable).op(A::Trace);
    first.push(gbk(QStringLiteral("分数"))).push(gbk(QStringLiteral("满分"))).op(A::SetVariable);
    ActionScript second;
    second.push("field").op(A::GetVariable).push("text").op(A::GetMember).op(A::Trace).op(A::Stop);
    const auto movie =
        movieOfFrames({{swf::Tag{font}, swf::Tag{edit}, placeNamed(1, 2, "field"), doAction(first)},
                       {doAction(second)}},
                      5);
    QCOMPARE(tracesOf(movie, 2),
             (Lines{utf8(QStringLiteral("一百")), utf8(QStringLiteral("满分"))}));
}

void TestMovieStrings::aLoadedMovieReadsItsStringsByItsOwnVersion()
{
    // A version 6 movie loads a version 5 one into _level1 and the other
    // way round; each script's literal is read by its own movie's version.
    QTemporaryDir folder;
    ActionScript oldChild;
    oldChild.push(gbk(QStringLiteral("旧的"))).op(A::Trace).op(A::Stop);
    ActionScript newChild;
    newChild.push(utf8(QStringLiteral("新的"))).op(A::Trace).op(A::Stop);
    writeFile(folder.filePath("old.swf"), movieOfFrames({{doAction(oldChild)}}, 5));
    writeFile(folder.filePath("new.swf"), movieOfFrames({{doAction(newChild)}}, 6));
    const auto run = [&](const char* mainName, int version, const char* child) {
        ActionScript main;
        main.raw(A::GetUrl, stringBody({child, "_level1"})).op(A::Stop);
        writeFile(folder.filePath(mainName), movieOfFrames({{doAction(main)}, {}}, version));
        RecordingScriptHost host;
        player::Player player;
        player.setScriptHost(&host);
        if (const auto error = player.load(folder.filePath(mainName).toStdString())) {
            return Lines{"load failed: " + *error};
        }
        player.advanceFrame();
        player.advanceFrame();
        return host.traces;
    };
    QCOMPARE(run("main6.swf", 6, "old.swf"), (Lines{utf8(QStringLiteral("旧的"))}));
    QCOMPARE(run("main5.swf", 5, "new.swf"), (Lines{utf8(QStringLiteral("新的"))}));
}

QTEST_MAIN(TestMovieStrings)
#include "tst_moviestrings.moc"
