#include "EffectsTestSupport.h"

#include "effects/EffectEntries.h"
#include "effects/FrmBBoshasy.h"
#include "effects/SoftGlow.h"
#include "raster/BitmapOps.h"
#include "raster/ColorOps.h"
#include "raster/Filters.h"
#include "ui/DialogHost.h"
#include "ui/UpDownButton.h"

#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "TestRegistry.h"

using effects_test::makePicture;

namespace {

// The effect's library calls spelled out one by one, with the blur radius given; empty
// when one fails.
RasterBitmap directGlow(const RasterBitmap& source, int gamma, int radius)
{
    RasterBitmap base = source;
    RasterBitmap blurred;
    const bool done = gammaCorrect(base, gamma) && copyBitmap(blurred, base) &&
                      changeIntensity(base, -70) && gaussianFilter(blurred, radius) &&
                      combineAverage(base, 0, 0, base.width(), base.height(), blurred) &&
                      changeIntensity(base, 150) && changeContrast(base, 120);
    return done ? base : RasterBitmap();
}

struct Session {
    explicit Session(RasterBitmap picture) : work(std::move(picture))
    {
        mainWindow.resize(900, 700);
        dialog = createSoftGlowDialog(DialogHost{&mainWindow, {}, {}}, work);
    }

    QWidget mainWindow;
    RasterBitmap work;
    std::unique_ptr<TBBoshasyForm> dialog;
};

} // namespace

class SoftGlowTest : public QObject {
    Q_OBJECT
private slots:
    void okRunsTheFullChain_data();
    void okRunsTheFullChain();
    void previewRadius_data();
    void previewRadius();
    void previewRunsTheChainWithScaledBlur_data();
    void previewRunsTheChainWithScaledBlur();
    void sliderAndUpDownMoveTogether_data();
    void sliderAndUpDownMoveTogether();
    void smallPhotoIsCentredOnWhite();
    void previewMatchesFinalResult_data();
    void previewMatchesFinalResult();
};

void SoftGlowTest::okRunsTheFullChain_data()
{
    QTest::addColumn<int>("gamma");

    QTest::newRow("sharpest") << 1;
    QTest::newRow("initial position") << 100;
    QTest::newRow("brightest") << 500;
}

void SoftGlowTest::okRunsTheFullChain()
{
    QFETCH(int, gamma);

    const RasterBitmap original = makePicture(300, 200);
    Session session(original);
    TBBoshasyForm& dialog = *session.dialog;
    dialog.GaugeValue->setValue(gamma);
    QCOMPARE(dialog.GammaValue, gamma);
    dialog.btnOK->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    int invalidations = 0;
    QVERIFY(applySoftGlowResult(dialog, session.work,
                                DialogHost{nullptr, {}, [&] { ++invalidations; }}));
    QCOMPARE(invalidations, 1);
    QCOMPARE(session.work.image(), directGlow(original, gamma, 100).image());
    // Even at gamma 100 the rest of the chain changes the picture.
    QVERIFY(session.work.image() != original.image());
}

void SoftGlowTest::previewRadius_data()
{
    QTest::addColumn<int>("previewWidth");
    QTest::addColumn<int>("photoWidth");
    QTest::addColumn<int>("radius");

    QTest::newRow("largest cut photo") << 263 << 999 << 26;
    QTest::newRow("portrait") << 215 << 512 << 42;
    QTest::newRow("half, rounded up") << 3 << 200 << 2;
    QTest::newRow("never below one") << 1 << 5000 << 1;
    QTest::newRow("photo that fits") << 250 << 250 << 100;
    QTest::newRow("no photo width") << 10 << 0 << 100;
}

void SoftGlowTest::previewRadius()
{
    QFETCH(int, previewWidth);
    QFETCH(int, photoWidth);
    QFETCH(int, radius);

    QCOMPARE(previewGlowRadius(previewWidth, photoWidth), radius);
}

void SoftGlowTest::previewRunsTheChainWithScaledBlur_data()
{
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<QSize>("previewSize");
    QTest::addColumn<int>("gamma");
    QTest::addColumn<int>("radius");

    QTest::newRow("large photo, sharpest") << QSize(999, 799) << QSize(263, 210) << 1 << 26;
    QTest::newRow("large photo, brightest") << QSize(999, 799) << QSize(263, 210) << 500 << 26;
    QTest::newRow("tall photo") << QSize(400, 800) << QSize(108, 215) << 250 << 27;
    QTest::newRow("photo that fits") << QSize(120, 90) << QSize(120, 90) << 100 << 100;
}

void SoftGlowTest::previewRunsTheChainWithScaledBlur()
{
    QFETCH(QSize, photo);
    QFETCH(QSize, previewSize);
    QFETCH(int, gamma);
    QFETCH(int, radius);

    Session session(makePicture(photo.width(), photo.height()));
    TBBoshasyForm& dialog = *session.dialog;
    dialog.GaugeValue->setValue(gamma);
    QCOMPARE(QSize(dialog.PreviewSource.width(), dialog.PreviewSource.height()), previewSize);
    QCOMPARE(dialog.previewBitmap().image(),
             directGlow(dialog.PreviewSource, gamma, radius).image());
}

void SoftGlowTest::sliderAndUpDownMoveTogether_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("expected");

    QTest::newRow("opened") << "" << 100;
    QTest::newRow("slider to the left end") << "slider 1" << 1;
    QTest::newRow("slider to the right end") << "slider 500" << 500;
    QTest::newRow("slider small step") << "single" << 150;
    QTest::newRow("slider large step back") << "page back" << 50;
    QTest::newRow("up-down up") << "up" << 101;
    QTest::newRow("up-down down") << "down" << 99;
}

void SoftGlowTest::sliderAndUpDownMoveTogether()
{
    QFETCH(QString, action);
    QFETCH(int, expected);

    Session session(makePicture(60, 40));
    TBBoshasyForm& dialog = *session.dialog;
    QCOMPARE(dialog.GaugeValue->minimum(), 1);
    QCOMPARE(dialog.GaugeValue->maximum(), 500);
    QCOMPARE(dialog.UpDownValue->minimum(), 1);
    QCOMPARE(dialog.UpDownValue->maximum(), 500);
    if (action.startsWith("slider "))
        dialog.GaugeValue->setValue(action.mid(7).toInt());
    else if (action == "single")
        dialog.GaugeValue->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    else if (action == "page back")
        dialog.GaugeValue->triggerAction(QAbstractSlider::SliderPageStepSub);
    else if (!action.isEmpty())
        dialog.UpDownValue->step(action == "up" ? 1 : -1);

    QCOMPARE(dialog.GammaValue, expected);
    QCOMPARE(dialog.GaugeValue->value(), expected);
    QCOMPARE(dialog.UpDownValue->position(), expected);
    QCOMPARE(dialog.edtValue->text(), QString::number(expected));
    QVERIFY(dialog.edtValue->isReadOnly());
}

void SoftGlowTest::smallPhotoIsCentredOnWhite()
{
    Session session(makePicture(100, 80));
    TBBoshasyForm& dialog = *session.dialog;
    QCOMPARE(dialog.size(), QSize(609, 335));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("뽀샤시 효과"));

    // Starts black: the paint routine itself must lay the white ground.
    const QImage canvas =
        effects_test::paintedCanvas(QSize(263, 215), Qt::black, [&dialog](QPainter& painter) {
            dialog.PaintBoxPaint(painter);
        });
    const QRect target(81, 67, 100, 80);
    QCOMPARE(canvas.copy(target),
             dialog.previewBitmap().image().convertToFormat(QImage::Format_RGB32));
    QCOMPARE(effects_test::nonWhiteOutside(canvas, target), 0);
}

void SoftGlowTest::previewMatchesFinalResult_data()
{
    QTest::addColumn<int>("gamma");

    QTest::newRow("sharpest") << 1;
    QTest::newRow("initial position") << 100;
    QTest::newRow("brighter") << 250;
    QTest::newRow("brightest") << 500;
}

void SoftGlowTest::previewMatchesFinalResult()
{
    QFETCH(int, gamma);

    const RasterBitmap portrait = effects_test::loadPortrait();
    QVERIFY(portrait.isAllocated());
    Session session(portrait);
    TBBoshasyForm& dialog = *session.dialog;
    dialog.GaugeValue->setValue(gamma);
    const RasterBitmap preview = dialog.previewBitmap();

    QVERIFY(applySoftGlowResult(dialog, session.work, DialogHost{}));
    const double difference = effects_test::previewDifference(preview, session.work);
    qInfo("mean difference %.2f levels", difference);
    QVERIFY2(difference >= 0 && difference <= 3.0,
             qPrintable(QStringLiteral("mean difference %1 levels").arg(difference)));
}

REGISTER_TEST(SoftGlowTest);
#include "tst_SoftGlow.moc"
