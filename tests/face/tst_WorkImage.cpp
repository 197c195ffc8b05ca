#include "TestRegistry.h"

#include "face/WorkImage.h"

#include <QTest>

namespace {

// A 12 × 6 photo of four-pixel-wide columns in red, green and blue (each 3 × 3 block of
// the work picture at scale 1/3 sees one colour), in the given layout.
QImage columns(QImage::Format format)
{
    QImage photo(12, 6, QImage::Format_RGB32);
    const QRgb colours[] = {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, colours[(x / 3) % 3]);
    return photo.convertToFormat(format);
}

} // namespace

class WorkImageTest : public QObject {
    Q_OBJECT
private slots:
    void scales()
    {
        QCOMPARE(workScale({6000, 4000}, 1000), 1000.0 / 6000);
        QCOMPARE(workScale({200, 300}, 1000), 1000.0 / 300);
        QCOMPARE(workScale({0, 0}, 1000), 0.0);
    }

    // Every layout a loaded photo can have gives the same grey blocks.
    void blockAverageInEveryLayout_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("RGB888") << int(QImage::Format_RGB888);
        QTest::newRow("RGB32") << int(QImage::Format_RGB32);
        QTest::newRow("ARGB32") << int(QImage::Format_ARGB32);
        QTest::newRow("Indexed8") << int(QImage::Format_Indexed8);
        QTest::newRow("RGB16, converted first") << int(QImage::Format_RGB16);
    }
    void blockAverageInEveryLayout()
    {
        QFETCH(int, format);
        const WorkImage work = makeWorkImage(columns(QImage::Format(format)), 1.0 / 3);
        QCOMPARE(work.grey.format(), QImage::Format_Grayscale8);
        QCOMPARE(work.grey.size(), QSize(4, 2));
        // Luma of pure red, green and blue, then red again.
        const int expected[] = {77, 149, 29, 77};
        for (int x = 0; x < 4; ++x) {
            QVERIFY2(std::abs(qGray(work.grey.pixel(x, 1)) - expected[x]) <= 2,
                     qPrintable(QString::number(qGray(work.grey.pixel(x, 1)))));
        }
    }

    // A small photo is enlarged; places map back to the photo's own pixels.
    void enlargesAndMapsBack()
    {
        const WorkImage work = makeWorkImage(columns(QImage::Format_RGB32), 2.5);
        QCOMPARE(work.grey.size(), QSize(30, 15));
        QCOMPARE(work.toPhoto(QPointF(-0.5 + 2.5 * 4.5, -0.5 + 2.5 * 1.5)), QPointF(4, 1));
        QCOMPARE(work.toPhotoY(-0.5 + 2.5 * 0.5), 0.0);
    }

    void unusable()
    {
        QVERIFY(makeWorkImage(QImage(), 1).grey.isNull());
        QVERIFY(makeWorkImage(columns(QImage::Format_RGB32), 0).grey.isNull());
        // Far beyond what detection needs: refused rather than allocated.
        QVERIFY(makeWorkImage(columns(QImage::Format_RGB32), 2000).grey.isNull());
    }
};

REGISTER_TEST(WorkImageTest);
#include "tst_WorkImage.moc"
