#include "TestRegistry.h"

#include "app/CanvasInversion.h"

#include <QPainter>
#include <QTest>

namespace {

QImage patterned(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x + y) % 256));
    }
    return image;
}

// The pixels that differ between the two images, as "x,y" in row order.
QStringList changedPixels(const QImage& before, const QImage& after)
{
    QStringList changed;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            if (before.pixel(x, y) != after.pixel(x, y)) {
                if (after.pixel(x, y) != (before.pixel(x, y) ^ 0x00ffffffu))
                    return {QStringLiteral("not inverted at %1,%2").arg(x).arg(y)};
                changed.append(QStringLiteral("%1,%2").arg(x).arg(y));
            }
        }
    }
    return changed;
}

enum class Kind { Fill, Frame, Dotted };

void invert(Kind kind, QImage& canvas, const Rect& r, const QRect& clip)
{
    switch (kind) {
    case Kind::Fill:
        invertRect(canvas, r, clip);
        break;
    case Kind::Frame:
        invertFrame(canvas, r, clip);
        break;
    case Kind::Dotted:
        invertDottedFrame(canvas, r, clip);
        break;
    }
}

} // namespace

class CanvasInversionTest : public QObject {
    Q_OBJECT
private slots:
    void invertsExactlyTheseOnce_data();
    void invertsExactlyTheseOnce();
    void secondInversionRestores();
    void followsTheDeviceRatio_data();
    void followsTheDeviceRatio();
};

void CanvasInversionTest::invertsExactlyTheseOnce_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<Rect>("rect");
    QTest::addColumn<QRect>("clip");
    QTest::addColumn<QStringList>("expected");
    const QRect all(0, 0, 8, 6);
    QTest::newRow("fill") << Kind::Fill << Rect{1, 1, 3, 3} << all
                          << QStringList{"1,1", "2,1", "1,2", "2,2"};
    QTest::newRow("fill clipped to the canvas")
        << Kind::Fill << Rect{-2, 4, 2, 9} << all << QStringList{"0,4", "1,4", "0,5", "1,5"};
    QTest::newRow("frame") << Kind::Frame << Rect{1, 1, 4, 4} << all
                           << QStringList{"1,1", "2,1", "3,1", "1,2", "3,2", "1,3", "2,3", "3,3"};
    QTest::newRow("reversed frame")
        << Kind::Frame << Rect{4, 4, 1, 1} << all
        << QStringList{"1,1", "2,1", "3,1", "1,2", "3,2", "1,3", "2,3", "3,3"};
    QTest::newRow("one-pixel-high frame is a line")
        << Kind::Frame << Rect{2, 2, 5, 3} << all << QStringList{"2,2", "3,2", "4,2"};
    QTest::newRow("one-pixel-wide frame is a line")
        << Kind::Frame << Rect{2, 1, 3, 4} << all << QStringList{"2,1", "2,2", "2,3"};
    QTest::newRow("empty frame") << Kind::Frame << Rect{2, 2, 2, 5} << all << QStringList{};
    QTest::newRow("frame clipped")
        << Kind::Frame << Rect{1, 1, 4, 4} << QRect(0, 0, 3, 2) << QStringList{"1,1", "2,1"};
    // Clockwise from the top-left: top 1..4, right 2..4, bottom 3..1, left 3..2.
    QTest::newRow("dotted") << Kind::Dotted << Rect{1, 1, 5, 5} << all
                            << QStringList{"1,1", "3,1", "4,2", "1,3", "2,4", "4,4"};
}

void CanvasInversionTest::invertsExactlyTheseOnce()
{
    QFETCH(Kind, kind);
    QFETCH(Rect, rect);
    QFETCH(QRect, clip);
    QFETCH(QStringList, expected);
    const QImage before = patterned(8, 6);
    QImage canvas = before;
    invert(kind, canvas, rect, clip);
    QCOMPARE(changedPixels(before, canvas), expected);
}

void CanvasInversionTest::secondInversionRestores()
{
    // The crop frame's lines, grips and drag outline are erased by drawing them again.
    const QImage before = patterned(40, 30);
    QImage canvas = before;
    const QRect clip(0, 0, 40, 30);
    for (Kind kind : {Kind::Fill, Kind::Frame, Kind::Dotted}) {
        invert(kind, canvas, Rect{3, 4, 33, 27}, clip);
        invert(kind, canvas, Rect{-5, 20, 10, 45}, clip);
        invert(kind, canvas, Rect{3, 4, 33, 27}, clip);
        invert(kind, canvas, Rect{-5, 20, 10, 45}, clip);
    }
    QCOMPARE(canvas, before);
}

void CanvasInversionTest::followsTheDeviceRatio_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("1") << 1.0;
    QTest::newRow("1.5: odd coordinates fall between canvas pixels") << 1.5;
    QTest::newRow("2") << 2.0;
}

// The frame and grips are inverted over the canvas pixels where the painter puts the same
// logical rectangle, so they line up with the photo drawn under them.
void CanvasInversionTest::followsTheDeviceRatio()
{
    QFETCH(qreal, ratio);
    const QSize logical(41, 31);
    const QRect all(QPoint(), logical);
    QImage canvas((QSizeF(logical) * ratio).toSize(), QImage::Format_RGB32);
    canvas.setDevicePixelRatio(ratio);
    const auto pixelsNot = [&canvas](QRgb colour) {
        int count = 0;
        for (int y = 0; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x)
                count += canvas.pixel(x, y) != colour;
        }
        return count;
    };

    canvas.fill(Qt::white);
    QPainter(&canvas).fillRect(QRect(3, 5, 25, 17), Qt::black);
    invertRect(canvas, Rect{3, 5, 28, 22}, all);
    QCOMPARE(pixelsNot(qRgb(255, 255, 255)), 0);

    // Logical pixels tile the canvas: no canvas pixel is skipped or inverted twice.
    invertRect(canvas, Rect{0, 0, logical.width(), logical.height()}, all);
    QCOMPARE(pixelsNot(qRgb(0, 0, 0)), 0);

    QImage before = patterned(canvas.width(), canvas.height());
    before.setDevicePixelRatio(ratio);
    canvas = before;
    for (int pass = 0; pass < 2; ++pass) {
        invertFrame(canvas, Rect{3, 5, 28, 22}, all);
        invertDottedFrame(canvas, Rect{7, 1, 40, 30}, QRect(0, 0, 20, 31));
    }
    QCOMPARE(canvas, before);
}

REGISTER_TEST(CanvasInversionTest);
#include "tst_CanvasInversion.moc"
