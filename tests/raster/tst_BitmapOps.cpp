#include "PixelTestSupport.h"
#include "TestRegistry.h"

#include "raster/BitmapOps.h"

#include <QTest>
#include <QTransform>

#include <set>

using namespace pixel_test;

namespace {

// Pixel (x, y) of a w × h gradient: distinct everywhere, so a misplaced pixel shows.
QImage gradient(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    if (format == QImage::Format_Indexed8) {
        QList<QRgb> palette;
        for (int i = 0; i < 256; ++i)
            palette.append(qRgb(i, 255 - i, (i * 7) & 255));
        image.setColorTable(palette);
    }
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (format == QImage::Format_Indexed8)
                image.setPixel(x, y, uint((x * 5 + y * 11) & 255));
            else
                image.setPixel(x, y, qRgb(x & 255, y & 255, (x * 3 + y) & 255));
        }
    return image;
}

QList<int> rowValues(const RasterBitmap& bitmap, int channelShift)
{
    QList<int> values;
    for (int x = 0; x < bitmap.width(); ++x)
        values.append(int((pixelAt(bitmap, x, 0) >> channelShift) & 0xff));
    return values;
}

} // namespace

class BitmapOpsTest : public QObject {
    Q_OBJECT

private slots:
    void copiesAreIndependent()
    {
        const RasterBitmap original(flatImage(4, 3, qRgb(10, 20, 30)));
        RasterBitmap copy;
        QVERIFY(copyBitmap(copy, original));
        RasterBitmap part;
        QVERIFY(copyBitmapRect(part, original, 1, 1, 2, 2));
        QVERIFY(fillBitmap(copy, QColor(200, 0, 0)));
        QVERIFY(fillBitmap(part, QColor(0, 200, 0)));
        QCOMPARE(pixelAt(original, 1, 1), qRgb(10, 20, 30));
        QCOMPARE(pixelAt(copy, 1, 1), qRgb(200, 0, 0));

        RasterBitmap empty;
        QVERIFY(!copyBitmap(copy, empty));
        QVERIFY(!copy.isAllocated());
    }

    void copyRectIsClipped_data()
    {
        QTest::addColumn<QRect>("asked");
        QTest::addColumn<QRect>("expected"); // null: the copy fails
        QTest::newRow("inside") << QRect(1, 1, 2, 2) << QRect(1, 1, 2, 2);
        QTest::newRow("whole") << QRect(0, 0, 5, 4) << QRect(0, 0, 5, 4);
        QTest::newRow("over the top-left") << QRect(-2, -1, 4, 3) << QRect(0, 0, 2, 2);
        QTest::newRow("over the bottom-right") << QRect(3, 2, 10, 10) << QRect(3, 2, 2, 2);
        QTest::newRow("larger on all sides") << QRect(-5, -5, 20, 20) << QRect(0, 0, 5, 4);
        QTest::newRow("outside") << QRect(5, 0, 3, 3) << QRect();
        QTest::newRow("left of it") << QRect(-3, 0, 3, 3) << QRect();
        QTest::newRow("zero width") << QRect(1, 1, 0, 2) << QRect();
    }

    void copyRectIsClipped()
    {
        QFETCH(QRect, asked);
        QFETCH(QRect, expected);
        const RasterBitmap source(gradient(5, 4, QImage::Format_RGB888));
        RasterBitmap part;
        const bool copied =
            copyBitmapRect(part, source, asked.x(), asked.y(), asked.width(), asked.height());
        QCOMPARE(copied, !expected.isNull());
        if (!copied)
            return;
        QCOMPARE(part.image().size(), expected.size());
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                QCOMPARE(pixelAt(part, x, y), pixelAt(source, expected.x() + x, expected.y() + y));
    }

    void createAndFill_data()
    {
        QTest::addColumn<int>("bits");
        QTest::newRow("8") << 8;
        QTest::newRow("24") << 24;
        QTest::newRow("32") << 32;
    }

    void createAndFill()
    {
        QFETCH(int, bits);
        RasterBitmap bitmap;
        QVERIFY(createBitmap(bitmap, 7, 5, bits));
        QCOMPARE(bitmap.bitsPerPixel(), bits);
        QCOMPARE(bitmap.image().size(), QSize(7, 5));
        if (bits == 8)
            QCOMPARE(bitmap.image().color(200), qRgb(200, 200, 200));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                QCOMPARE(pixelAt(bitmap, x, y), qRgb(0, 0, 0));

        QVERIFY(fillBitmap(bitmap, QColor(12, 34, 56)));
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                QCOMPARE(pixelAt(bitmap, x, y), qRgb(12, 34, 56));
    }

    void createRefusesBadArguments_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("bits");
        QTest::newRow("depth 16") << 4 << 4 << 16;
        QTest::newRow("depth 1") << 4 << 4 << 1;
        QTest::newRow("zero width") << 0 << 4 << 24;
        QTest::newRow("negative height") << 4 << -1 << 24;
        QTest::newRow("side too long") << 40000 << 1 << 8;
        QTest::newRow("too many pixels") << 30000 << 30000 << 8;
    }

    void createRefusesBadArguments()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, bits);
        RasterBitmap bitmap;
        QVERIFY(!createBitmap(bitmap, width, height, bits));
        QVERIFY(!bitmap.isAllocated());
    }

    void convertTo24KeepsColours_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<QRgb>("expected"); // of pixel (1, 0)
        QTest::newRow("palette") << indexedImage(3, 2, {qRgb(1, 2, 3), qRgb(250, 128, 7)})
                                 << qRgb(250, 128, 7);
        QTest::newRow("32 bits") << imageOf(2, 1, {qRgb(1, 2, 3), qRgb(90, 80, 70)},
                                            QImage::Format_RGB32)
                                 << qRgb(90, 80, 70);
        // Alpha is dropped, not multiplied into the colour.
        QTest::newRow("transparent")
            << imageOf(2, 1, {qRgba(1, 2, 3, 0), qRgba(90, 80, 70, 0)}, QImage::Format_ARGB32)
            << qRgb(90, 80, 70);
        QTest::newRow("half transparent")
            << imageOf(2, 1, {qRgba(1, 2, 3, 0), qRgba(200, 100, 50, 128)}, QImage::Format_ARGB32)
            << qRgb(200, 100, 50);
    }

    void convertTo24KeepsColours()
    {
        QFETCH(QImage, image);
        QFETCH(QRgb, expected);
        RasterBitmap bitmap(image);
        QVERIFY(convertTo24(bitmap));
        QCOMPARE(bitmap.bitsPerPixel(), 24);
        QCOMPARE(bitmap.image().size(), image.size());
        QCOMPARE(pixelAt(bitmap, 1, 0), expected);
    }

    void convertTo24ReadsStrayIndicesAsBlack()
    {
        QImage image = indexedImage(2, 1, {qRgb(9, 9, 9)});
        image.setColorCount(1);
        image.scanLine(0)[1] = 200; // beyond the one-entry palette
        RasterBitmap bitmap(image);
        QVERIFY(convertTo24(bitmap));
        QCOMPARE(pixelAt(bitmap, 0, 0), qRgb(9, 9, 9));
        QCOMPARE(pixelAt(bitmap, 1, 0), qRgb(0, 0, 0));
    }

    void convertTo8KeepsFewColoursExactly()
    {
        const QList<QRgb> colours{qRgb(255, 0, 0), qRgb(0, 128, 0), qRgb(10, 20, 30),
                                  qRgb(255, 255, 255)};
        QImage image(8, 6, QImage::Format_RGB888);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x)
                image.setPixel(x, y, colours[(x / 2 + y) % 4]);
        RasterBitmap bitmap(image);
        QVERIFY(convertTo8(bitmap));
        QCOMPARE(bitmap.bitsPerPixel(), 8);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 8; ++x)
                QCOMPARE(pixelAt(bitmap, x, y), image.pixel(x, y));
    }

    void sizeGivesExactDimensions_data()
    {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        QTest::addColumn<int>("quality");
        const QList<QPair<QSize, QSize>> sizes{
            {QSize(600, 400), QSize(71, 47)}, // shrink
            {QSize(25, 30), QSize(97, 131)},  // enlarge
            {QSize(40, 10), QSize(13, 33)},   // shrink one side, enlarge the other
            {QSize(7, 9), QSize(1, 1)},       {QSize(1, 1), QSize(5, 3)},
            {QSize(12, 8), QSize(12, 8)},
        };
        const QList<QPair<QImage::Format, const char*>> formats{{QImage::Format_RGB888, "24"},
                                                                {QImage::Format_RGB32, "32"},
                                                                {QImage::Format_Indexed8, "8"}};
        for (const auto& [format, formatName] : formats)
            for (const auto& [from, to] : sizes)
                for (int quality : {0, 4})
                    QTest::addRow("%s bits %dx%d to %dx%d q%d", formatName, from.width(),
                                  from.height(), to.width(), to.height(), quality)
                        << format << from << to << quality;
    }

    void sizeGivesExactDimensions()
    {
        QFETCH(QImage::Format, format);
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        QFETCH(int, quality);
        RasterBitmap bitmap(gradient(from.width(), from.height(), format));
        QVERIFY(sizeBitmap(bitmap, to.width(), to.height(), SizeQuality(quality)));
        QCOMPARE(bitmap.image().size(), to);
        // Palettes are resampled in 24 bits; an unchanged size leaves the bitmap alone.
        const bool unchanged = from == to;
        const int expectedBits = format == QImage::Format_RGB32                   ? 32
                                 : format == QImage::Format_Indexed8 && unchanged ? 8
                                                                                  : 24;
        QCOMPARE(bitmap.bitsPerPixel(), expectedBits);
    }

    void sizeRefusesBadDimensions_data()
    {
        QTest::addColumn<QSize>("to");
        QTest::newRow("zero") << QSize(0, 10);
        QTest::newRow("negative") << QSize(10, -3);
        QTest::newRow("too large") << QSize(40000, 10);
    }

    void sizeRefusesBadDimensions()
    {
        QFETCH(QSize, to);
        RasterBitmap bitmap(flatImage(4, 4, qRgb(1, 2, 3)));
        QVERIFY(!sizeBitmap(bitmap, to.width(), to.height(), SizeQuality::Final));
        QCOMPARE(bitmap.image().size(), QSize(4, 4));
    }

    void sizeKeepsFlatColourFlat_data()
    {
        QTest::addColumn<QSize>("to");
        QTest::addColumn<int>("quality");
        for (int quality : {0, 4}) {
            QTest::addRow("shrink q%d", quality) << QSize(7, 5) << quality;
            QTest::addRow("enlarge q%d", quality) << QSize(83, 61) << quality;
            QTest::addRow("mixed q%d", quality) << QSize(50, 3) << quality;
        }
    }

    void sizeKeepsFlatColourFlat()
    {
        QFETCH(QSize, to);
        QFETCH(int, quality);
        const QRgb colour = qRgb(0, 254, 131);
        for (QImage::Format format : {QImage::Format_RGB888, QImage::Format_RGB32}) {
            RasterBitmap bitmap(flatImage(23, 17, colour, format));
            QVERIFY(sizeBitmap(bitmap, to.width(), to.height(), SizeQuality(quality)));
            std::set<QRgb> seen;
            for (int y = 0; y < to.height(); ++y)
                for (int x = 0; x < to.width(); ++x)
                    seen.insert(pixelAt(bitmap, x, y));
            QCOMPARE(seen, std::set<QRgb>{colour});
        }
    }

    void sizeComputesKnownValues_data()
    {
        QTest::addColumn<QList<int>>("row");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("quality");
        QTest::addColumn<QList<int>>("expected");
        // Area averaging: each output pixel is the mean of what it covers.
        QTest::newRow("area, half") << QList<int>{0, 100, 200, 40} << 2 << 4 << QList<int>{50, 120};
        QTest::newRow("area, two thirds")
            << QList<int>{0, 90, 180} << 2 << 4 << QList<int>{30, 150};
        QTest::newRow("area, to one") << QList<int>{10, 20, 30, 40, 50} << 1 << 4 << QList<int>{30};
        QTest::newRow("bilinear, double")
            << QList<int>{0, 200} << 4 << 0 << QList<int>{0, 50, 150, 200};
        // Catmull-Rom overshoots beside a step: 214 on the bright side, -14 clamped to 0.
        QTest::newRow("bicubic, double")
            << QList<int>{0, 200} << 4 << 4 << QList<int>{0, 41, 159, 214};
    }

    void sizeComputesKnownValues()
    {
        QFETCH(QList<int>, row);
        QFETCH(int, width);
        QFETCH(int, quality);
        QFETCH(QList<int>, expected);
        QImage image(int(row.size()), 1, QImage::Format_RGB888);
        for (int x = 0; x < row.size(); ++x)
            image.setPixel(x, 0, qRgb(row[x], 255 - row[x], row[x] / 2));
        RasterBitmap bitmap(image);
        QVERIFY(sizeBitmap(bitmap, width, 1, SizeQuality(quality)));
        QCOMPARE(rowValues(bitmap, 16), expected);
        QList<int> inverse;
        for (int value : expected)
            inverse.append(255 - value);
        QCOMPARE(rowValues(bitmap, 8), inverse);
    }

    void areaAverageOfBlocks()
    {
        // 2 × 2 blocks of four values each shrink to their means.
        const RasterBitmap source = bitmapOf(4, 4,
                                             {
                                                 qRgb(0, 0, 0), qRgb(100, 4, 8),     //
                                                 qRgb(255, 255, 255), qRgb(1, 1, 1), //
                                                 qRgb(200, 8, 16), qRgb(40, 12, 24), //
                                                 qRgb(255, 255, 255), qRgb(3, 3, 3), //
                                                 qRgb(10, 20, 30), qRgb(10, 20, 30), //
                                                 qRgb(0, 0, 0), qRgb(0, 0, 0),       //
                                                 qRgb(30, 60, 90), qRgb(30, 60, 90), //
                                                 qRgb(0, 0, 0), qRgb(0, 0, 0),       //
                                             });
        RasterBitmap bitmap = source;
        QVERIFY(sizeBitmap(bitmap, 2, 2, SizeQuality::Final));
        QCOMPARE(pixelAt(bitmap, 0, 0), qRgb(85, 6, 12));
        QCOMPARE(pixelAt(bitmap, 1, 0), qRgb(129, 129, 129));
        QCOMPARE(pixelAt(bitmap, 0, 1), qRgb(20, 40, 60));
        QCOMPARE(pixelAt(bitmap, 1, 1), qRgb(0, 0, 0));
    }

    void rotateSmallFixture_data()
    {
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("8") << QImage::Format_Indexed8;
        QTest::newRow("24") << QImage::Format_RGB888;
        QTest::newRow("32") << QImage::Format_ARGB32;
    }

    void rotateSmallFixture()
    {
        QFETCH(QImage::Format, format);
        // a b       e c a
        // c d  ->   f d b
        // e f
        const QList<QRgb> colours{qRgb(1, 2, 3),       qRgb(40, 50, 60),    qRgb(70, 80, 90),
                                  qRgb(100, 110, 120), qRgb(130, 140, 150), qRgba(9, 8, 7, 0)};
        QImage image(2, 3, format);
        if (format == QImage::Format_Indexed8) {
            image.setColorTable(colours);
            for (int i = 0; i < 6; ++i)
                image.setPixel(i % 2, i / 2, uint(i));
        } else {
            for (int i = 0; i < 6; ++i)
                image.setPixel(i % 2, i / 2, colours[i]);
        }
        RasterBitmap bitmap(image);
        QVERIFY(rotateBitmapClockwise(bitmap));
        QCOMPARE(bitmap.image().size(), QSize(3, 2));
        QCOMPARE(bitmap.image().format(), format);
        const int order[2][3] = {{4, 2, 0}, {5, 3, 1}};
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 3; ++x)
                QCOMPARE(pixelAt(bitmap, x, y), image.pixel(order[y][x] % 2, order[y][x] / 2));
    }

    void rotateMatchesQuarterTurnAcrossTiles_data()
    {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<QSize>("size");
        for (auto format : {QImage::Format_Indexed8, QImage::Format_RGB888, QImage::Format_RGB32}) {
            QTest::addRow("%d 130x67", int(format)) << format << QSize(130, 67);
            QTest::addRow("%d 1x200", int(format)) << format << QSize(1, 200);
            QTest::addRow("%d 129x1", int(format)) << format << QSize(129, 1);
        }
    }

    void rotateMatchesQuarterTurnAcrossTiles()
    {
        QFETCH(QImage::Format, format);
        QFETCH(QSize, size);
        const QImage image = gradient(size.width(), size.height(), format);
        RasterBitmap bitmap(image);
        QVERIFY(rotateBitmapClockwise(bitmap));
        QCOMPARE(bitmap.image().size(), size.transposed());
        for (int y = 0; y < bitmap.height(); ++y)
            for (int x = 0; x < bitmap.width(); ++x)
                QCOMPARE(pixelAt(bitmap, x, y), image.pixel(y, size.height() - 1 - x));
    }

    void emptyBitmapsAreRefused()
    {
        RasterBitmap empty;
        RasterBitmap other;
        QVERIFY(!copyBitmapRect(other, empty, 0, 0, 1, 1));
        QVERIFY(!fillBitmap(empty, Qt::red));
        QVERIFY(!convertTo24(empty));
        QVERIFY(!convertTo8(empty));
        QVERIFY(!sizeBitmap(empty, 5, 5, SizeQuality::Fast));
        QVERIFY(!rotateBitmapClockwise(empty));
    }
};

REGISTER_TEST(BitmapOpsTest);
#include "tst_BitmapOps.moc"
