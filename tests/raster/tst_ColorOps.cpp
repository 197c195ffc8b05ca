#include "PixelTestSupport.h"
#include "TestRegistry.h"

#include "raster/ColorOps.h"

#include <QColor>
#include <QTest>

#include <algorithm>
#include <functional>

using namespace pixel_test;

namespace {

using Operation = std::function<bool(RasterBitmap&, int)>;

// Every grey level 0…255 in one row, so a whole curve can be read back.
RasterBitmap greyRamp()
{
    QImage image(256, 1, QImage::Format_RGB888);
    for (int i = 0; i < 256; ++i)
        image.setPixel(i, 0, qRgb(i, i, i));
    return RasterBitmap(image);
}

QList<int> curveOf(const Operation& operation, int amount)
{
    RasterBitmap ramp = greyRamp();
    operation(ramp, amount);
    QList<int> curve;
    for (int i = 0; i < 256; ++i)
        curve.append(qRed(pixelAt(ramp, i, 0)));
    return curve;
}

Operation operationNamed(const QString& name)
{
    if (name == "intensity")
        return changeIntensity;
    if (name == "contrast")
        return changeContrast;
    if (name == "gamma")
        return gammaCorrect;
    if (name == "hue")
        return changeHue;
    return changeSaturation;
}

} // namespace

class ColorOpsTest : public QObject {
    Q_OBJECT

private slots:
    void toneCurves_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("amount");
        QTest::addColumn<int>("in");
        QTest::addColumn<int>("out");
        QTest::newRow("intensity 0") << "intensity" << 0 << 77 << 77;
        QTest::newRow("intensity +1000 black") << "intensity" << 1000 << 0 << 255;
        QTest::newRow("intensity -1000 white") << "intensity" << -1000 << 255 << 0;
        QTest::newRow("intensity -70") << "intensity" << -70 << 100 << 82;
        QTest::newRow("intensity 150") << "intensity" << 150 << 100 << 138;
        QTest::newRow("intensity 150 clamps") << "intensity" << 150 << 240 << 255;
        QTest::newRow("intensity beyond range") << "intensity" << 5000 << 0 << 255;
        QTest::newRow("contrast 0") << "contrast" << 0 << 77 << 77;
        QTest::newRow("contrast -1000 dark") << "contrast" << -1000 << 0 << 128;
        QTest::newRow("contrast -1000 bright") << "contrast" << -1000 << 255 << 128;
        QTest::newRow("contrast 1000 below mid") << "contrast" << 1000 << 127 << 0;
        QTest::newRow("contrast 1000 at mid") << "contrast" << 1000 << 128 << 255;
        QTest::newRow("contrast 1000 dark") << "contrast" << 1000 << 1 << 0;
        QTest::newRow("contrast 120") << "contrast" << 120 << 200 << 220;
        QTest::newRow("contrast -500") << "contrast" << -500 << 200 << 152;
        QTest::newRow("gamma 100") << "gamma" << 100 << 64 << 64;
        QTest::newRow("gamma 200 brightens") << "gamma" << 200 << 64 << 128;
        QTest::newRow("gamma 50 darkens") << "gamma" << 50 << 128 << 64;
        QTest::newRow("gamma 500") << "gamma" << 500 << 10 << 133;
        QTest::newRow("gamma 1 keeps white") << "gamma" << 1 << 255 << 255;
        QTest::newRow("gamma 1 keeps black") << "gamma" << 1 << 0 << 0;
        QTest::newRow("gamma 0 no change") << "gamma" << 0 << 64 << 64;
        QTest::newRow("gamma -20 no change") << "gamma" << -20 << 64 << 64;
    }

    void toneCurves()
    {
        QFETCH(QString, operation);
        QFETCH(int, amount);
        QFETCH(int, in);
        QFETCH(int, out);
        QCOMPARE(curveOf(operationNamed(operation), amount)[in], out);
    }

    void toneCurvesAreMonotone_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("amount");
        for (int amount : {-1000, -999, -300, -1, 1, 120, 700, 999, 1000}) {
            QTest::addRow("contrast %d", amount) << "contrast" << amount;
            QTest::addRow("intensity %d", amount) << "intensity" << amount;
        }
        for (int value : {1, 37, 100, 250, 500})
            QTest::addRow("gamma %d", value) << "gamma" << value;
    }

    void toneCurvesAreMonotone()
    {
        QFETCH(QString, operation);
        QFETCH(int, amount);
        const QList<int> curve = curveOf(operationNamed(operation), amount);
        for (int i = 1; i < 256; ++i)
            QVERIFY2(curve[i - 1] <= curve[i], qPrintable(QString::number(i)));
        // A stronger contrast spreads the levels further from the middle.
        if (operation == "contrast" && amount < 1000) {
            const QList<int> stronger = curveOf(operationNamed(operation), amount + 1);
            QVERIFY(stronger[0] <= curve[0] && stronger[255] >= curve[255]);
        }
    }

    void colourOperations_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("amount");
        QTest::addColumn<QRgb>("in");
        QTest::addColumn<QRgb>("out");
        const QRgb red = qRgb(255, 0, 0);
        QTest::newRow("hue 0") << "hue" << 0 << red << red;
        QTest::newRow("hue red +120 green") << "hue" << 120 << red << qRgb(0, 255, 0);
        QTest::newRow("hue red +240 blue") << "hue" << 240 << red << qRgb(0, 0, 255);
        QTest::newRow("hue 360 full turn") << "hue" << 360 << red << red;
        QTest::newRow("hue 700 acts as 340") << "hue" << 700 << red << qRgb(255, 0, 85);
        QTest::newRow("hue -120 acts as 240") << "hue" << -120 << red << qRgb(0, 0, 255);
        QTest::newRow("hue green +60 cyan") << "hue" << 60 << qRgb(0, 255, 0) << qRgb(0, 255, 255);
        QTest::newRow("hue dull colour") << "hue" << 90 << qRgb(200, 120, 40) << qRgb(40, 200, 40);
        QTest::newRow("hue grey unchanged") << "hue" << 77 << qRgb(90, 90, 90) << qRgb(90, 90, 90);
        QTest::newRow("saturation 0")
            << "saturation" << 0 << qRgb(150, 100, 100) << qRgb(150, 100, 100);
        QTest::newRow("saturation -1000 grey")
            << "saturation" << -1000 << qRgb(150, 100, 100) << qRgb(125, 125, 125);
        QTest::newRow("saturation -1000 red")
            << "saturation" << -1000 << red << qRgb(128, 128, 128);
        QTest::newRow("saturation +1000 doubled")
            << "saturation" << 1000 << qRgb(150, 100, 100) << qRgb(175, 75, 75);
        QTest::newRow("saturation -500 halved")
            << "saturation" << -500 << qRgb(150, 100, 100) << qRgb(138, 113, 113);
        // Doubling would pass full saturation: clamped there, lightness and hue kept.
        QTest::newRow("saturation +1000 clamped")
            << "saturation" << 1000 << qRgb(250, 200, 200) << qRgb(255, 195, 195);
        QTest::newRow("saturation +1000 full stays") << "saturation" << 1000 << red << red;
        QTest::newRow("saturation +1000 grey stays")
            << "saturation" << 1000 << qRgb(60, 60, 60) << qRgb(60, 60, 60);
    }

    void colourOperations()
    {
        QFETCH(QString, operation);
        QFETCH(int, amount);
        QFETCH(QRgb, in);
        QFETCH(QRgb, out);
        RasterBitmap bitmap(flatImage(2, 2, in));
        QVERIFY(operationNamed(operation)(bitmap, amount));
        QCOMPARE(QColor(pixelAt(bitmap, 1, 1)), QColor(out));
    }

    void hueKeepsLightnessAndSaturation_data()
    {
        QTest::addColumn<int>("angle");
        for (int angle : {1, 45, 90, 179, 200, 359})
            QTest::addRow("%d", angle) << angle;
    }

    void hueKeepsLightnessAndSaturation()
    {
        QFETCH(int, angle);
        const QImage before = noiseImage(16, 16, 7);
        RasterBitmap bitmap(before);
        QVERIFY(changeHue(bitmap, angle));
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QColor in(before.pixel(x, y));
                const QColor out(pixelAt(bitmap, x, y));
                QCOMPARE(out.hslSaturation(), in.hslSaturation());
                QCOMPARE(out.lightness(), in.lightness());
                const int chroma = std::max({in.red(), in.green(), in.blue()}) -
                                   std::min({in.red(), in.green(), in.blue()});
                if (chroma < 40)
                    continue; // hue is too coarse on nearly grey pixels
                const int turned = (out.hslHue() - in.hslHue() + 720) % 360;
                QVERIFY2(std::abs(turned - angle) <= 2 || std::abs(turned - angle) >= 358,
                         qPrintable(QString("%1 -> %2").arg(in.name(), out.name())));
            }
    }

    void layoutsAreHandled_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("amount");
        QTest::addColumn<QRgb>("in");
        QTest::addColumn<QRgb>("out");
        QTest::newRow("intensity")
            << "intensity" << 1000 << qRgb(10, 20, 30) << qRgb(255, 255, 255);
        QTest::newRow("contrast") << "contrast" << -1000 << qRgb(10, 20, 30) << qRgb(128, 128, 128);
        QTest::newRow("gamma") << "gamma" << 50 << qRgb(128, 0, 255) << qRgb(64, 0, 255);
        QTest::newRow("hue") << "hue" << 120 << qRgb(255, 0, 0) << qRgb(0, 255, 0);
        QTest::newRow("saturation")
            << "saturation" << -1000 << qRgb(150, 100, 100) << qRgb(125, 125, 125);
    }

    // 8-bit bitmaps change their palette, not their indices; 32-bit ones keep alpha.
    void layoutsAreHandled()
    {
        QFETCH(QString, operation);
        QFETCH(int, amount);
        QFETCH(QRgb, in);
        QFETCH(QRgb, out);
        const Operation apply = operationNamed(operation);

        RasterBitmap indexed(indexedImage(3, 2, {qRgb(0, 0, 0), in}));
        QVERIFY(apply(indexed, amount));
        QCOMPARE(indexed.bitsPerPixel(), 8);
        QCOMPARE(indexed.image().pixelIndex(1, 0), 1);
        QCOMPARE(pixelAt(indexed, 1, 0), out);

        const QRgb translucent = (in & 0xffffff) | 0x40000000;
        RasterBitmap withAlpha(flatImage(3, 2, translucent, QImage::Format_ARGB32));
        QVERIFY(apply(withAlpha, amount));
        QCOMPARE(pixelAt(withAlpha, 2, 1), (out & 0xffffff) | 0x40000000);

        RasterBitmap opaque(flatImage(3, 2, in, QImage::Format_RGB32));
        QVERIFY(apply(opaque, amount));
        QCOMPARE(pixelAt(opaque, 2, 1), out);

        RasterBitmap empty;
        QVERIFY(!apply(empty, amount));
    }
};

REGISTER_TEST(ColorOpsTest);
#include "tst_ColorOps.moc"
