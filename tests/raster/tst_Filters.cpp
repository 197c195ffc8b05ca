#include "PixelTestSupport.h"
#include "TestRegistry.h"

#include "raster/Filters.h"

#include <QTest>

#include <cmath>
#include <random>
#include <vector>

using namespace pixel_test;

namespace {

// Checkerboard blocks in red, a vertical step in green, noise in blue: blocks near the
// blur's own size are where approximations of a Gaussian go wrong.
QImage pattern(int width, int height)
{
    std::mt19937 random(11);
    std::uniform_int_distribution<int> noise(0, 255);
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgb((x / 5 + y / 7) % 2 * 255, x < width / 2 ? 0 : 255, noise(random)));
    return image;
}

// A true Gaussian of one channel, by direct convolution in doubles over an image whose
// edges go on for ever.
std::vector<double> referenceGaussian(const QImage& image, int shift, double sigma)
{
    const int width = image.width();
    const int height = image.height();
    const int half = int(std::ceil(5 * sigma));
    std::vector<double> kernel;
    double total = 0;
    for (int t = -half; t <= half; ++t) {
        kernel.push_back(std::exp(-0.5 * t * t / (sigma * sigma)));
        total += kernel.back();
    }
    for (double& w : kernel)
        w /= total;
    std::vector<double> columns(size_t(width * height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double sum = 0;
            for (int t = -half; t <= half; ++t)
                sum += kernel[size_t(t + half)] *
                       ((image.pixel(x, std::clamp(y + t, 0, height - 1)) >> shift) & 0xff);
            columns[size_t(y * width + x)] = sum;
        }
    std::vector<double> result(columns.size());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double sum = 0;
            for (int t = -half; t <= half; ++t)
                sum += kernel[size_t(t + half)] *
                       columns[size_t(y * width + std::clamp(x + t, 0, width - 1))];
            result[size_t(y * width + x)] = sum;
        }
    return result;
}

} // namespace

class FiltersTest : public QObject {
    Q_OBJECT

private slots:
    void averageSpreadsBrightPixel_data()
    {
        QTest::addColumn<QPoint>("bright");
        QTest::addColumn<int>("size");
        QTest::addColumn<QPoint>("probe");
        QTest::addColumn<int>("expected");
        QTest::newRow("3, centre") << QPoint(3, 3) << 3 << QPoint(3, 3) << 28;
        QTest::newRow("3, neighbour") << QPoint(3, 3) << 3 << QPoint(4, 2) << 28;
        QTest::newRow("3, outside") << QPoint(3, 3) << 3 << QPoint(5, 3) << 0;
        QTest::newRow("5, corner of window") << QPoint(3, 3) << 5 << QPoint(5, 5) << 10;
        // An even window reaches one pixel further back than forward.
        QTest::newRow("2, itself") << QPoint(3, 3) << 2 << QPoint(3, 3) << 64;
        QTest::newRow("2, forward") << QPoint(3, 3) << 2 << QPoint(4, 4) << 64;
        QTest::newRow("2, behind") << QPoint(3, 3) << 2 << QPoint(2, 3) << 0;
        // Replicated edges count the corner pixel several times.
        QTest::newRow("3, at the corner") << QPoint(0, 0) << 3 << QPoint(0, 0) << 113;
        QTest::newRow("3, beside the corner") << QPoint(0, 0) << 3 << QPoint(1, 0) << 57;
        QTest::newRow("3, diagonal") << QPoint(0, 0) << 3 << QPoint(1, 1) << 28;
        QTest::newRow("1, no change") << QPoint(3, 3) << 1 << QPoint(3, 3) << 255;
        QTest::newRow("0, no change") << QPoint(3, 3) << 0 << QPoint(3, 3) << 255;
        QTest::newRow("larger than the image") << QPoint(3, 3) << 21 << QPoint(0, 0) << 1;
    }

    void averageSpreadsBrightPixel()
    {
        QFETCH(QPoint, bright);
        QFETCH(int, size);
        QFETCH(QPoint, probe);
        QFETCH(int, expected);
        for (auto format : {QImage::Format_RGB888, QImage::Format_RGB32}) {
            QImage image = flatImage(7, 7, qRgb(0, 0, 0), format);
            image.setPixel(bright, qRgb(255, 0, 255));
            RasterBitmap bitmap(image);
            QVERIFY(averageFilter(bitmap, size));
            QCOMPARE(pixelAt(bitmap, probe.x(), probe.y()), qRgb(expected, 0, expected));
        }
    }

    void averageIsTheWindowMean()
    {
        const QImage image = noiseImage(23, 17, 3);
        RasterBitmap bitmap(image);
        const int size = 4;
        QVERIFY(averageFilter(bitmap, size));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                int sum = 0;
                for (int dy = -2; dy <= 1; ++dy)
                    for (int dx = -2; dx <= 1; ++dx)
                        sum += qGreen(image.pixel(std::clamp(x + dx, 0, image.width() - 1),
                                                  std::clamp(y + dy, 0, image.height() - 1)));
                QCOMPARE(qGreen(pixelAt(bitmap, x, y)), (2 * sum + 16) / 32);
            }
    }

    void gaussianMatchesDirectConvolution_data()
    {
        QTest::addColumn<int>("radius");
        QTest::addColumn<QSize>("size");
        for (int radius : {1, 2, 3, 5, 12, 30, 100, 3000})
            QTest::addRow("r %d", radius) << radius << QSize(47, 31);
        QTest::newRow("r 300 on a small picture") << 300 << QSize(19, 11);
        QTest::newRow("one column") << 20 << QSize(1, 40);
    }

    void gaussianMatchesDirectConvolution()
    {
        QFETCH(int, radius);
        QFETCH(QSize, size);
        const QImage image = pattern(size.width(), size.height());
        // Three and four bytes a pixel fill the vectors of lanes differently.
        for (auto format : {QImage::Format_RGB888, QImage::Format_RGB32}) {
            RasterBitmap bitmap(image.convertToFormat(format));
            QVERIFY(gaussianFilter(bitmap, radius));
            QCOMPARE(bitmap.image().size(), size);
            for (int shift : {16, 8, 0}) {
                const std::vector<double> expected = referenceGaussian(image, shift, radius / 3.0);
                double worst = 0;
                for (int y = 0; y < size.height(); ++y)
                    for (int x = 0; x < size.width(); ++x) {
                        const int got = int((pixelAt(bitmap, x, y) >> shift) & 0xff);
                        worst =
                            std::max(worst, std::abs(got - expected[size_t(y * size.width() + x)]));
                    }
                QVERIFY2(worst <= 2.0, qPrintable(QString("depth %1, channel %2 off by %3")
                                                      .arg(bitmap.bitsPerPixel())
                                                      .arg(shift)
                                                      .arg(worst)));
            }
        }
    }

    void gaussianWithoutEffect_data()
    {
        QTest::addColumn<int>("radius");
        QTest::newRow("0") << 0;
        QTest::newRow("negative") << -5;
    }

    void gaussianWithoutEffect()
    {
        QFETCH(int, radius);
        const QImage image = noiseImage(9, 8, 5);
        RasterBitmap bitmap(image);
        QVERIFY(gaussianFilter(bitmap, radius));
        QCOMPARE(bitmap.image(), image);
    }

    void gaussianHugeRadius()
    {
        RasterBitmap flat(flatImage(12, 9, qRgb(30, 140, 250), QImage::Format_RGB32));
        QVERIFY(gaussianFilter(flat, 1'000'000));
        for (int y = 0; y < 9; ++y)
            for (int x = 0; x < 12; ++x)
                QCOMPARE(pixelAt(flat, x, y), qRgb(30, 140, 250));

        // Left half black, right half white: so wide a blur leaves the two edges' mean.
        RasterBitmap split(pattern(12, 9));
        QVERIFY(gaussianFilter(split, 1'000'000));
        for (int x = 0; x < 12; ++x)
            QVERIFY(std::abs(qGreen(pixelAt(split, x, 4)) - 128) <= 2);
    }

    void palettesAreExpanded()
    {
        RasterBitmap average(indexedImage(5, 5, {qRgb(0, 0, 0), qRgb(200, 100, 50)}));
        QVERIFY(averageFilter(average, 3));
        QCOMPARE(average.bitsPerPixel(), 24);
        RasterBitmap gaussian(indexedImage(5, 5, {qRgb(10, 10, 10)}));
        QVERIFY(gaussianFilter(gaussian, 10));
        QCOMPARE(gaussian.bitsPerPixel(), 24);
        QCOMPARE(pixelAt(gaussian, 2, 2), qRgb(10, 10, 10));
    }

    void combineAveragesPixels_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QImage::Format>("sourceFormat");
        // Pixels covered by the area, the destination and the source; null: the call fails.
        QTest::addColumn<QRect>("changed");
        QTest::newRow("whole") << QRect(0, 0, 4, 3) << QImage::Format_RGB888 << QRect(0, 0, 3, 3);
        QTest::newRow("inner area")
            << QRect(1, 1, 2, 2) << QImage::Format_RGB888 << QRect(1, 1, 2, 2);
        QTest::newRow("beyond the destination")
            << QRect(2, 1, 10, 10) << QImage::Format_RGB888 << QRect(2, 1, 2, 2);
        QTest::newRow("32-bit source")
            << QRect(0, 0, 4, 3) << QImage::Format_ARGB32 << QRect(0, 0, 3, 3);
        QTest::newRow("outside") << QRect(4, 0, 2, 2) << QImage::Format_RGB888 << QRect();
        QTest::newRow("empty") << QRect(0, 0, 0, 3) << QImage::Format_RGB888 << QRect();
    }

    void combineAveragesPixels()
    {
        QFETCH(QRect, area);
        QFETCH(QImage::Format, sourceFormat);
        QFETCH(QRect, changed);
        const QRgb base = qRgb(10, 200, 255);
        const QRgb mean = qRgb(16, 150, 128); // halves round up
        RasterBitmap destination(flatImage(4, 3, base));
        // The source is read from its own top-left; its far corner shows a misplaced read.
        QImage sourceImage = flatImage(3, 3, qRgba(21, 100, 0, 7), sourceFormat);
        sourceImage.setPixel(2, 2, qRgb(255, 255, 255));
        const RasterBitmap source(sourceImage);
        const bool combined =
            combineAverage(destination, area.x(), area.y(), area.width(), area.height(), source);
        QCOMPARE(combined, !changed.isNull());
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 4; ++x) {
                const QPoint at(x, y);
                const bool inside = changed.contains(at) && at - area.topLeft() != QPoint(2, 2);
                const QRgb expected = !changed.contains(at) ? base
                                      : inside              ? mean
                                                            : qRgb(133, 228, 255);
                QCOMPARE(pixelAt(destination, x, y), expected);
            }
    }
};

REGISTER_TEST(FiltersTest);
#include "tst_Filters.moc"
