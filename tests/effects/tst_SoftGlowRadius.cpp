#include "EffectsTestSupport.h"
#include "TestRegistry.h"

#include "effects/EffectEntries.h"
#include "effects/FrmBBoshasy.h"
#include "effects/SoftGlow.h"
#include "raster/BitmapOps.h"
#include "raster/ColorOps.h"
#include "raster/Filters.h"
#include "ui/DialogHost.h"

#include <QSlider>
#include <QTest>

#include <algorithm>

using effects_test::makePicture;

namespace {

// The glow chain spelled out with a given blur radius: the oracle for the preview. Empty
// when a step fails.
RasterBitmap glowWithRadius(const RasterBitmap& source, int gamma, int radius)
{
    RasterBitmap base = source;
    if (!gammaCorrect(base, gamma))
        return {};
    RasterBitmap blurred = base;
    const bool done = changeIntensity(base, softglow::kDarken) && gaussianFilter(blurred, radius) &&
                      combineAverage(base, 0, 0, base.width(), base.height(), blurred) &&
                      changeIntensity(base, softglow::kBrighten) &&
                      changeContrast(base, softglow::kContrast);
    return done ? base : RasterBitmap();
}

} // namespace

// The preview's blur follows the scale at which the photo was fitted, read along the
// photo's longer side: the shorter one may have been raised to a whole pixel.
class SoftGlowRadiusTest : public QObject {
    Q_OBJECT

private slots:
    void radius_data()
    {
        QTest::addColumn<QSize>("preview");
        QTest::addColumn<QSize>("photo");
        QTest::addColumn<int>("radius");

        QTest::newRow("very narrow photo") << QSize(1, 210) << QSize(10, 10000) << 2;
        QTest::newRow("very wide photo") << QSize(263, 1) << QSize(10000, 10) << 3;
        QTest::newRow("landscape") << QSize(263, 210) << QSize(999, 799) << 26;
        QTest::newRow("portrait") << QSize(108, 215) << QSize(400, 800) << 27;
        QTest::newRow("square") << QSize(210, 210) << QSize(700, 700) << 30;
        QTest::newRow("never below one") << QSize(1, 1) << QSize(9000, 9000) << 1;
        QTest::newRow("photo that fits") << QSize(120, 90) << QSize(120, 90) << 100;
    }

    void radius()
    {
        QFETCH(QSize, preview);
        QFETCH(QSize, photo);
        QFETCH(int, radius);

        QCOMPARE(previewGlowRadius(preview, photo), radius);
    }

    // The dialog hands the whole photo size down, so a sliver of a photo gets the small
    // blur its scale calls for.
    void dialogPreviewOfNarrowPhoto()
    {
        QWidget mainWindow;
        RasterBitmap photo = makePicture(10, 10000);
        const auto dialog = createSoftGlowDialog(DialogHost{&mainWindow, {}, {}}, photo);
        const RasterBitmap& source = dialog->PreviewSource;
        const QSize previewSize(source.width(), source.height());
        QCOMPARE(previewSize.width(), 1);
        dialog->GaugeValue->setValue(200);

        // The height sets the scale; the width's 1 / 10 would give a blur of 10.
        const int radius = std::max(1, qRound(100.0 * previewSize.height() / 10000));
        QVERIFY(radius < 10);
        QCOMPARE(dialog->previewBitmap().image(), glowWithRadius(source, 200, radius).image());
    }
};

REGISTER_TEST(SoftGlowRadiusTest);
#include "tst_SoftGlowRadius.moc"
