#include "PixelTestSupport.h"
#include "TestRegistry.h"

#include "raster/BitmapPainter.h"

#include <QPainter>
#include <QTest>

using namespace pixel_test;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kQuadrants[4] = {qRgb(200, 0, 0), qRgb(0, 200, 0), qRgb(0, 0, 200), qRgb(90, 90, 90)};

// The colour the 2 × 2 quadrant bitmap shows at canvas point p when drawn into target.
QRgb quadrantAt(const QRect& target, const QPoint& p)
{
    const int column = p.x() - target.left() < target.width() / 2 ? 0 : 1;
    const int row = p.y() - target.top() < target.height() / 2 ? 0 : 1;
    return kQuadrants[row * 2 + column];
}

// Every pixel different, so that a pixel taken from the wrong place shows.
QImage noisyImage(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < width * 3; ++x)
            line[x] = uchar((x * 7 + y * 13 + (x * y) % 23) & 0xff);
    }
    return image.convertToFormat(format);
}

} // namespace

class BitmapPainterTest : public QObject {
    Q_OBJECT

private slots:
    void paintsScaledAndClipped_data()
    {
        QTest::addColumn<QRect>("target");
        QTest::addColumn<QRect>("clip");
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("unclipped") << QRect(10, 10, 40, 40) << QRect() << QImage::Format_RGB888;
        QTest::newRow("clip to right half")
            << QRect(10, 10, 40, 40) << QRect(30, 0, 100, 100) << QImage::Format_RGB888;
        QTest::newRow("clip inside")
            << QRect(10, 20, 60, 30) << QRect(25, 25, 20, 20) << QImage::Format_RGB32;
        QTest::newRow("target over the edge")
            << QRect(-40, 50, 100, 80) << QRect() << QImage::Format_RGB888;
        QTest::newRow("palette") << QRect(0, 0, 64, 64) << QRect(0, 40, 64, 10)
                                 << QImage::Format_Indexed8;
    }

    void paintsScaledAndClipped()
    {
        QFETCH(QRect, target);
        QFETCH(QRect, clip);
        QFETCH(QImage::Format, format);
        QImage source = imageOf(2, 2, {kQuadrants[0], kQuadrants[1], kQuadrants[2], kQuadrants[3]});
        if (format == QImage::Format_Indexed8)
            source = source.convertToFormat(format, Qt::ThresholdDither);
        else
            source = source.convertToFormat(format);
        QImage canvas = flatImage(100, 100, kWhite, QImage::Format_RGB32);
        {
            QPainter painter(&canvas);
            QVERIFY(paintBitmap(painter, RasterBitmap(source), target, clip));
        }
        const QRect drawn = clip.isNull() ? target : target & clip;
        for (int y = 0; y < 100; ++y)
            for (int x = 0; x < 100; ++x) {
                const QPoint p(x, y);
                const QRgb expected = drawn.contains(p) ? quadrantAt(target, p) : kWhite;
                QVERIFY2(canvas.pixel(p) == expected,
                         qPrintable(QString("at %1,%2").arg(x).arg(y)));
            }
    }

    // Drawn in copy mode: transparent pixels replace what was there.
    void copiesRatherThanBlends()
    {
        QImage canvas = flatImage(8, 8, kWhite, QImage::Format_ARGB32_Premultiplied);
        const RasterBitmap clear(flatImage(2, 2, qRgba(0, 0, 0, 0), QImage::Format_ARGB32));
        QPainter painter(&canvas);
        QVERIFY(paintBitmap(painter, clear, QRect(0, 0, 4, 8)));
        painter.end();
        QCOMPARE(qAlpha(canvas.pixel(1, 1)), 0);
        QCOMPARE(canvas.pixel(6, 1), kWhite);
    }

    // At a large zoom only a window of the bitmap shows; every canvas pixel must still come
    // from the right source pixel.
    void largeZoomShowsTheRightPixels()
    {
        QImage source(1000, 800, QImage::Format_RGB888);
        for (int y = 0; y < 800; ++y)
            for (int x = 0; x < 1000; ++x)
                source.setPixel(x, y, qRgb(x & 255, y & 255, (x >> 8) * 40 + (y >> 8)));
        const QRect target(-5003, -4007, 10000, 8000); // ten canvas pixels per source pixel
        QImage canvas = flatImage(120, 90, kWhite, QImage::Format_RGB32);
        {
            QPainter painter(&canvas);
            QVERIFY(paintBitmap(painter, RasterBitmap(source), target, QRect(0, 0, 100, 80)));
        }
        for (int y = 0; y < 90; ++y)
            for (int x = 0; x < 120; ++x) {
                const QRgb expected = x < 100 && y < 80 ? source.pixel((x - target.left()) / 10,
                                                                       (y - target.top()) / 10)
                                                        : kWhite;
                QVERIFY2(canvas.pixel(x, y) == expected,
                         qPrintable(QString("at %1,%2").arg(x).arg(y)));
            }
    }

    // Scaled once for the screen, a bitmap looks exactly as drawn scaled by the painter.
    void scaleForScreenMatchesPainting_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("framed preview into the box")
            << QSize(341, 289) << QSize(261, 221) << QImage::Format_RGB888;
        QTest::newRow("odd widths, last column reaches the line end")
            << QSize(4, 3) << QSize(3, 3) << QImage::Format_RGB888;
        QTest::newRow("enlarged") << QSize(50, 40) << QSize(131, 97) << QImage::Format_RGB888;
        QTest::newRow("much smaller") << QSize(999, 799) << QSize(7, 5) << QImage::Format_RGB888;
        QTest::newRow("one pixel") << QSize(1, 1) << QSize(5, 4) << QImage::Format_RGB888;
        QTest::newRow("palette, painted")
            << QSize(60, 50) << QSize(37, 29) << QImage::Format_Indexed8;
    }

    void scaleForScreenMatchesPainting()
    {
        QFETCH(QSize, source);
        QFETCH(QSize, size);
        QFETCH(QImage::Format, format);
        const RasterBitmap bitmap(noisyImage(source.width(), source.height(), format));
        QImage painted(size, QImage::Format_RGB32);
        painted.fill(kWhite);
        {
            QPainter painter(&painted);
            QVERIFY(paintBitmap(painter, bitmap, painted.rect()));
        }
        QImage scaled;
        QVERIFY(scaleForScreen(bitmap, size, scaled));
        QCOMPARE(scaled, painted);
        // Done again at the same size, it reuses the pixels it has.
        const uchar* pixels = scaled.constBits();
        QVERIFY(scaleForScreen(bitmap, size, scaled));
        QCOMPARE(scaled.constBits(), pixels);
        QCOMPARE(scaled, painted);
    }

    void scaleForScreenRefusesNothing()
    {
        QImage scaled(4, 4, QImage::Format_RGB32);
        QVERIFY(!scaleForScreen(RasterBitmap(), QSize(4, 4), scaled));
        QVERIFY(scaled.isNull());
        QVERIFY(!scaleForScreen(RasterBitmap(flatImage(2, 2, kWhite)), QSize(0, 4), scaled));
        QVERIFY(scaled.isNull());
    }

    void refusesNothingToPaint()
    {
        QImage canvas(4, 4, QImage::Format_RGB32);
        QPainter painter(&canvas);
        QVERIFY(!paintBitmap(painter, RasterBitmap(), QRect(0, 0, 4, 4)));
        const RasterBitmap bitmap(flatImage(2, 2, kWhite));
        QVERIFY(!paintBitmap(painter, bitmap, QRect(0, 0, 0, 4)));
        // Outside the surface: nothing to draw, and that is no error.
        QVERIFY(paintBitmap(painter, bitmap, QRect(10, 10, 4, 4)));
    }
};

REGISTER_TEST(BitmapPainterTest);
#include "tst_BitmapPainter.moc"
