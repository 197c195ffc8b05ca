#include "TestRegistry.h"

#include "raster/BitmapOps.h"

#include <QTest>

namespace {

// A grey line `length` pixels long, across or down: black then white halves, or
// alternating black and white pixels.
RasterBitmap twoToneLine(int length, bool down, bool stripes)
{
    QImage image(down ? 1 : length, down ? length : 1, QImage::Format_RGB888);
    for (int i = 0; i < length; ++i) {
        const bool white = stripes ? i % 2 == 1 : i >= length / 2;
        image.setPixel(down ? 0 : i, down ? i : 0, white ? qRgb(255, 255, 255) : qRgb(0, 0, 0));
    }
    return RasterBitmap(image);
}

} // namespace

// Final-quality shrinking averages every source pixel with its true share, whatever the
// ratio: half black and half white is mid-grey, never tilted towards one side.
class ScalingAccuracyTest : public QObject {
    Q_OBJECT

private slots:
    void shrinkToOnePixel_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("down");
        QTest::addColumn<bool>("stripes");

        for (const int length : {2, 1000, 5000, 20000, 32768}) {
            const QByteArray ratio = QByteArray::number(length) + ":1";
            QTest::newRow("halves across, " + ratio) << length << false << false;
            QTest::newRow("halves down, " + ratio) << length << true << false;
        }
        // Every tap with the same small share: a coarse weight grid would favour one parity.
        QTest::newRow("stripes across, 32768:1") << 32768 << false << true;
        QTest::newRow("stripes down, 32768:1") << 32768 << true << true;
        QTest::newRow("stripes across, 20000:1") << 20000 << false << true;
    }

    void shrinkToOnePixel()
    {
        QFETCH(int, length);
        QFETCH(bool, down);
        QFETCH(bool, stripes);

        RasterBitmap bitmap = twoToneLine(length, down, stripes);
        QVERIFY(sizeBitmap(bitmap, 1, 1, SizeQuality::Final));
        QCOMPARE(bitmap.width(), 1);
        QCOMPARE(bitmap.height(), 1);
        const QRgb pixel = bitmap.image().pixel(0, 0);
        for (const int channel : {qRed(pixel), qGreen(pixel), qBlue(pixel)})
            QVERIFY2(channel >= 126 && channel <= 129, qPrintable(QString::number(channel)));
    }
};

REGISTER_TEST(ScalingAccuracyTest);
#include "tst_ScalingAccuracy.moc"
