// Frames that change nothing are not painted: a player that repaints only
// when its picture changed must show, every frame, exactly what a player
// repainting every frame shows. And a frame that is painted copies its
// unchanged bottom from a kept picture, which must give the very pixels
// drawing it would.

#include "ActionFixtures.h"
#include "RecordingScriptHost.h"
#include "SwfFixtures.h"
#include "player/Player.h"

#include <QImage>
#include <QPainter>
#include <QtTest>
#include <optional>

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

// Renders every frame of the movie in two players: one whole, copying the
// bottom it kept, one filled and then drawn in full, on a device bigger
// than the stage at a fractional scale and offset, so that the letterbox
// and objects past the stage's edge count too. Returns how many of the
// lowest objects each frame copied, or nothing when a frame differed.
std::optional<std::vector<std::size_t>> objectsCopied(const std::vector<std::uint8_t>& movie,
                                                      int frames, qreal pixelRatio = 1)
{
    RecordingScriptHost hosts[2];
    player::Player copying;
    player::Player drawing;
    copying.setScriptHost(&hosts[0]);
    drawing.setScriptHost(&hosts[1]);
    if (copying.loadBytes(movie) || drawing.loadBytes(movie)) {
        qWarning("the movie did not load");
        return std::nullopt;
    }
    const QSize device = (QSizeF(233, 157) * pixelRatio).toSize();
    const QTransform stageToDevice = QTransform::fromTranslate(21.3, 9.7).scale(1.71, 1.37);
    const auto paint = [&](player::Player& player, bool whole) {
        QImage image(device, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(pixelRatio);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        if (whole) {
            player.renderWhole(painter, stageToDevice);
        } else {
            painter.fillRect(QRectF(QPointF(0, 0), QSizeF(device) / pixelRatio),
                             player.backgroundColor());
            player.render(painter, stageToDevice);
        }
        return image;
    };
    std::vector<std::size_t> copied;
    for (int frame = 0; frame < frames; ++frame) {
        if (frame > 0) {
            copying.advanceFrame();
            drawing.advanceFrame();
        }
        if (paint(copying, true) != paint(drawing, false)) {
            qWarning("frame %d copied differs from frame %d drawn", frame, frame);
            return std::nullopt;
        }
        copied.push_back(copying.copiedObjects());
    }
    return copied;
}

swf::DefineShape gradientBackdrop()
{
    // Wider than the stage on every side.
    swf::DefineShape backdrop = rectangle(1, -20, -20, 140, 140, swf::Rgba{});
    swf::FillStyle sky;
    sky.type = swf::FillStyle::Type::LinearGradient;
    sky.gradient.matrix = swf::Matrix{3000000, 3000000, 0, 0, 1000, 1000};
    sky.gradient.records = {{0, swf::Rgba{200, 220, 255, 255}}, {255, swf::Rgba{90, 40, 30, 255}}};
    backdrop.shape.styles.fillStyles = {sky};
    return backdrop;
}

// A gradient backdrop at depth 1 under a square moving every frame at depth
// 5. Frame 3 places a still mask at depth 2 over depths 3 and 4, frame 6 an
// object at depth 3 under it; frame 8 moves the backdrop; frame 11 places an
// object at depth 4, under the mask again. Both masked objects reach past
// the mask.
std::vector<std::uint8_t> backdropMovie()
{
    std::vector<std::vector<swf::Tag>> frames(13);
    frames[0] = {swf::Tag{gradientBackdrop()}, swf::Tag{rectangle(2, 0, 0, 10, 10, kRed)},
                 swf::Tag{rectangle(3, 0, 0, 30, 30, kBlue)},
                 swf::Tag{rectangle(4, 0, 0, 30, 30, kGreen)}, swf::Tag{place(1, 1)}};
    for (int frame = 0; frame < 13; ++frame) {
        frames[std::size_t(frame)].push_back(
            swf::Tag{frame == 0 ? place(5, 2, 0, 40) : fixtures::move(5, frame * 7, 40)});
    }
    swf::PlaceObject mask = place(2, 3, 10, 10);
    mask.clipDepth = 4;
    frames[3].push_back(swf::Tag{mask});
    frames[6].push_back(swf::Tag{place(3, 4, 25, 25)});
    frames[8].push_back(swf::Tag{fixtures::move(1, 3, 2)});
    frames[11].push_back(swf::Tag{place(4, 2, 35, 15)});
    return movieOfFrames(std::move(frames));
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

    void theStillBottomIsCopiedAsItWouldBeDrawn()
    {
        // Frame 0 has no frame before it to tell what stays. Then the
        // backdrop is copied, the mask and what it covers are drawn above
        // it, until the backdrop moves on frame 8. From frame 9 the mask and
        // its object are still too, until an object comes into the mask's
        // range on frame 11: the picture is cut back below the mask.
        const std::vector<std::size_t> expected{0, 1, 1, 1, 1, 1, 1, 1, 0, 3, 3, 1, 1};
        QCOMPARE(objectsCopied(backdropMovie(), 13), expected);
        // On a device of twice as many pixels.
        QCOMPARE(objectsCopied(backdropMovie(), 13, 2.0), expected);
    }

    void aStillBottomWhosePixelsChangeIsRedrawn()
    {
        // The clip showing the script's bitmap stays, its pixels do not.
        const std::vector<std::size_t> expected{0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
        QCOMPARE(objectsCopied(changingPixelsMovie(), 12), expected);
        // The only object at the bottom moves on frames 1 and 12: those
        // frames copy nothing, and the frame after each one starts again.
        const std::vector<std::size_t> moving{0, 0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 2};
        QCOMPARE(objectsCopied(stillStretchesMovie(), 14), moving);
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
