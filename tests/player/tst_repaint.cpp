// Frames that change nothing are not painted: a player that repaints only
// when its picture changed must show, every frame, exactly what a player
// repainting every frame shows.

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "SwfFixtures.h"
#include "player/Player.h"

#include <QImage>
#include <QPainter>
#include <QtTest>

using namespace quorvane;
using namespace quorvane::fixtures;
using A = swf::ActionCode;

namespace {

QImage rendered(const player::Player& player)
{
    const QSize size = player.stageSize().toSize();
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    QPainter painter(&image);
    player.render(painter, QTransform());
    return image;
}

// Plays the movie in two players side by side, one painting only when its
// picture changed, and returns how many frames it left unpainted.
int framesLeftUnpainted(const std::vector<std::uint8_t>& movie, int frames)
{
    RecordingScriptHost hosts[2];
    player::Player sparing;
    player::Player thorough;
    sparing.setScriptHost(&hosts[0]);
    thorough.setScriptHost(&hosts[1]);
    if (sparing.loadBytes(movie) || thorough.loadBytes(movie)) {
        qWarning("the movie did not load");
        return -1;
    }
    QImage shown;
    int unpainted = 0;
    for (int frame = 0; frame < frames; ++frame) {
        if (frame > 0) {
            sparing.advanceFrame();
            thorough.advanceFrame();
        }
        if (sparing.pictureChanged() || shown.isNull()) {
            shown = rendered(sparing);
        } else {
            ++unpainted;
        }
        if (shown != rendered(thorough)) {
            qWarning("frame %d shows what a full repaint does not", frame);
            return -1;
        }
        // Painting again at once, nothing has changed.
        if (sparing.pictureChanged()) {
            qWarning("frame %d still counts as changed once painted", frame);
            return -1;
        }
    }
    return unpainted;
}

// A red square that moves on frames 1 and 12 and stands still between; a
// green one that comes on frame 6; nothing at all happens after frame 12.
std::vector<std::uint8_t> stillStretchesMovie()
{
    std::vector<std::vector<swf::Tag>> frames(20);
    frames[0] = {swf::Tag{rectangle(1, 0, 0, 10, 10, kRed)}, swf::Tag{place(1, 1, 5, 5)},
                 swf::Tag{rectangle(2, 0, 0, 10, 10, kGreen)}};
    frames[1] = {swf::Tag{fixtures::move(1, 15, 5)}};
    frames[6] = {swf::Tag{place(2, 2, 40, 40)}};
    frames[12] = {swf::Tag{fixtures::move(1, 25, 25)}};
    return movieOfFrames(std::move(frames));
}

// bitmap = new flash.display.BitmapData(10, 10, false, 0xff0000) shown in a
// clip; then its pixels change on some frames, which moves no object.
std::vector<std::uint8_t> changingPixelsMovie()
{
    ActionScript first;
    first.push("bitmap").push(double(0xff0000)).pushBool(false).push(10.0).push(10.0);
    first.push(4.0).push("flash").op(A::GetVariable).push("display").op(A::GetMember);
    first.push("BitmapData").op(A::NewMethod).op(A::SetVariable);
    first.push(1.0).push("holder").push(2.0).push("_root").op(A::GetVariable);
    first.push("createEmptyMovieClip").op(A::CallMethod).op(A::Pop);
    first.push(1.0).push("bitmap").op(A::GetVariable).push(2.0).push("holder").op(A::GetVariable);
    first.push("attachBitmap").op(A::CallMethod).op(A::Pop);
    std::vector<std::vector<swf::Tag>> frames(12);
    frames[0] = {doAction(first)};
    for (const int frame : {3, 4, 9}) {
        ActionScript paint;
        paint.push(double(0x00ff00)).push(0.0).push(double(frame)).push(3.0);
        paint.push("bitmap").op(A::GetVariable).push("setPixel").op(A::CallMethod).op(A::Pop);
        frames[std::size_t(frame)] = {doAction(paint)};
    }
    return movieOfFrames(std::move(frames));
}

} // namespace

class TestRepaint : public QObject {
    Q_OBJECT

private slots:
    void stillFramesAreNotPaintedAndShowWhatARepaintWould()
    {
        // Frames 2-5, 7-11 and 13-19 change nothing; looping back to the
        // first frame changes the picture again, and so does its next.
        QCOMPARE(framesLeftUnpainted(stillStretchesMovie(), 25), 19);
        // Every frame of the animated movie moves something.
        QCOMPARE(framesLeftUnpainted(bytes(animatedMovie(30)), 30), 0);
    }

    void changedPixelsArePaintedThoughNoObjectMoved()
    {
        // Frames 3, 4 and 9 change pixels; the rest of the twelve do not.
        QCOMPARE(framesLeftUnpainted(changingPixelsMovie(), 12), 8);
    }

    void aNewMovieIsAlwaysPainted()
    {
        player::Player player;
        QVERIFY(!player.pictureChanged());
        QVERIFY(!player.loadBytes(stillStretchesMovie()));
        QVERIFY(player.pictureChanged());
        rendered(player);
        QVERIFY(!player.pictureChanged());
        QVERIFY(!player.loadBytes(stillStretchesMovie()));
        QVERIFY(player.pictureChanged());
        player.unload();
        QVERIFY(player.pictureChanged());
    }
};

QTEST_MAIN(TestRepaint)
#include "tst_repaint.moc"
