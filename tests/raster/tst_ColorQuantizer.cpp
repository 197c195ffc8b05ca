#include "ImageCompare.h"
#include "TestData.h"
#include "TestRegistry.h"

#include "raster/ColorQuantizer.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <cstdlib>

using image_compare::meanAbsDifference;

namespace {

QImage portrait()
{
    return QImage(test_data::testDataPath(QStringLiteral("portrait.png")))
        .convertToFormat(QImage::Format_RGB888);
}

// An image holding exactly `colours` distinct random colours in a random layout.
QImage withDistinctColours(int colours, QImage::Format format, quint32 seed)
{
    QRandomGenerator random(seed);
    QList<QRgb> palette;
    while (palette.size() < colours) {
        const QRgb c = random.generate() | 0xFF000000u;
        if (!palette.contains(c))
            palette.append(c);
    }
    QImage image(61, 37, format);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, palette[(x * 7 + y * 13) % colours]);
    return image;
}

int highestIndexUsed(const QImage& indexed)
{
    int highest = 0;
    for (int y = 0; y < indexed.height(); ++y)
        for (int x = 0; x < indexed.width(); ++x)
            highest = std::max<int>(highest, indexed.constScanLine(y)[x]);
    return highest;
}

} // namespace

class ColorQuantizerTest : public QObject {
    Q_OBJECT

private slots:
    void fewColoursStayExact_data();
    void fewColoursStayExact();
    void photoIsCloselyApproximated_data();
    void photoIsCloselyApproximated();
    void indexedInputIsKept();
};

void ColorQuantizerTest::fewColoursStayExact_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("maxColours");
    QTest::newRow("one colour") << withDistinctColours(1, QImage::Format_RGB888, 1) << 256;
    QTest::newRow("two colours, two allowed")
        << withDistinctColours(2, QImage::Format_RGB32, 2) << 2;
    QTest::newRow("16 colours, 16 allowed")
        << withDistinctColours(16, QImage::Format_RGB888, 3) << 16;
    QTest::newRow("256 colours") << withDistinctColours(256, QImage::Format_RGB888, 4) << 256;
    QTest::newRow("alpha is ignored") << withDistinctColours(100, QImage::Format_ARGB32, 5) << 256;
}

void ColorQuantizerTest::fewColoursStayExact()
{
    QFETCH(QImage, image);
    QFETCH(int, maxColours);
    const QImage indexed = quantizeTo8(image, maxColours);
    QCOMPARE(indexed.format(), QImage::Format_Indexed8);
    QCOMPARE(indexed.size(), image.size());
    QVERIFY(indexed.colorCount() <= maxColours);
    QCOMPARE(meanAbsDifference(indexed, image), 0.0);
}

void ColorQuantizerTest::photoIsCloselyApproximated_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<int>("maxColours");
    QTest::addColumn<double>("maxMeanError");

    // A fixed palette misses these bounds by far (a 6 × 6 × 6 cube alone costs about
    // 12 levels); they sit a little above what a variance-minimising cut reaches.
    QTest::newRow("portrait, 256") << portrait() << 256 << 3.0;
    QTest::newRow("portrait, 16") << portrait() << 16 << 10.0;
    QTest::newRow("portrait, 2") << portrait() << 2 << 40.0;
    QTest::newRow("257 colours, 256 allowed")
        << withDistinctColours(257, QImage::Format_RGB888, 6) << 256 << 6.0;
    {
        // Noise around one colour: a real quantizer spends its palette there.
        QImage narrow(200, 150, QImage::Format_RGB888);
        QRandomGenerator random(7);
        for (int y = 0; y < narrow.height(); ++y)
            for (int x = 0; x < narrow.width(); ++x)
                narrow.setPixel(x, y,
                                qRgb(180 + random.bounded(24), 60 + random.bounded(24),
                                     90 + random.bounded(24)));
        QTest::newRow("narrow noise, 256") << narrow << 256 << 2.0;
    }
}

void ColorQuantizerTest::photoIsCloselyApproximated()
{
    QFETCH(QImage, image);
    QFETCH(int, maxColours);
    QFETCH(double, maxMeanError);
    QVERIFY(!image.isNull());

    const QImage indexed = quantizeTo8(image, maxColours);
    QCOMPARE(indexed.format(), QImage::Format_Indexed8);
    QCOMPARE(indexed.size(), image.size());
    QVERIFY(indexed.colorCount() <= maxColours);
    QVERIFY(highestIndexUsed(indexed) < indexed.colorCount());
    const double error = meanAbsDifference(indexed, image);
    QVERIFY2(error <= maxMeanError, qPrintable(QString::number(error)));
}

void ColorQuantizerTest::indexedInputIsKept()
{
    QImage indexed(5, 4, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(1, 2, 3), qRgb(4, 5, 6), qRgb(7, 8, 9)});
    indexed.fill(2);
    const QImage result = quantizeTo8(indexed, 2);
    QCOMPARE(result, indexed);
    QVERIFY(quantizeTo8(QImage()).isNull());
}

REGISTER_TEST(ColorQuantizerTest);
#include "tst_ColorQuantizer.moc"
