#include "EffectsTestSupport.h"
#include "MemoryTestSupport.h"

#include "effects/SoftGlow.h"
#include "effects/ToneAdjustment.h"
#include "raster/ColorOps.h"
#include "raster/Filters.h"

#include <QTest>

#include <functional>

#include <malloc.h>

#include "TestRegistry.h"

using memory_test::addressSpace;
using memory_test::AddressSpaceLimit;

namespace {

using Chain = std::function<bool(RasterBitmap&)>;

// Sanitizer builds reserve terabytes of address space up front; no limit means anything
// there.
constexpr qint64 kPlainProcessSize = qint64(64) << 30;
constexpr qint64 kStep = qint64(512) << 10;
constexpr int kSteps = 33; // 0 … 16 MiB

// The soft-glow steps that come before its blur, run alone: when they fit in the headroom
// and the whole chain does not, a later step failed. Only the blur allocates after them
// (the table steps and the averaging work in place on pixels of their own).
bool glowStepsBeforeBlur(RasterBitmap bitmap)
{
    RasterBitmap blurred;
    return gammaCorrect(bitmap, 150) && copyBitmap(blurred, bitmap) &&
           changeIntensity(bitmap, softglow::kDarken);
}

} // namespace

Q_DECLARE_METATYPE(Chain)

// Each effect chain is all or nothing: when memory runs out at any of its steps, it answers
// false and the photo is exactly what it was, never a half-made look (the averaging with an
// unblurred copy, or brightness without its contrast).
class ChainFailuresTest : public QObject {
    Q_OBJECT
private slots:
    // Large blocks are mapped and unmapped one by one, so that memory freed by one run is
    // given back and cannot serve the next run beyond its limit.
    void initTestCase() { QVERIFY(mallopt(M_MMAP_THRESHOLD, 128 * 1024) == 1); }

    void failedStepLeavesThePhoto_data()
    {
        QTest::addColumn<Chain>("chain");
        QTest::addColumn<bool>("softGlow");
        QTest::newRow("soft glow")
            << Chain([](RasterBitmap& b) { return applySoftGlow(b, 150); }) << true;
        QTest::newRow("soft glow preview") << Chain([](RasterBitmap& b) {
            return applySoftGlowPreview(b, 150, QSize(b.width() * 2, b.height() * 2));
        }) << true;
        QTest::newRow("tone") << Chain([](RasterBitmap& b) {
            return adjustBitmap(b, AdjustKind::Tone, {200, 300, 140});
        }) << false;
        QTest::newRow("colour") << Chain([](RasterBitmap& b) {
            return adjustBitmap(b, AdjustKind::Colour, {90, 400, 100});
        }) << false;
    }

    // The chain runs under growing limits of address space, so that it fails at each of its
    // steps in turn and finally succeeds.
    void failedStepLeavesThePhoto()
    {
        QFETCH(Chain, chain);
        QFETCH(bool, softGlow);
        if (addressSpace("VmSize") > kPlainProcessSize)
            QSKIP("the address space cannot be limited in this build");

        const RasterBitmap original = effects_test::makePicture(800, 600);
        const QImage pixels = original.image().copy();
        RasterBitmap expected = original;
        QVERIFY(chain(expected));

        int failed = 0;
        int failedAfterFirstSteps = 0;
        for (int step = 0; step < kSteps; ++step) {
            const qint64 headroom = step * kStep;
            RasterBitmap work = original;
            bool done = false;
            bool firstStepsFit = false;
            {
                const AddressSpaceLimit limit(headroom);
                QVERIFY(limit.isActive());
                done = chain(work);
                firstStepsFit = !done && softGlow && glowStepsBeforeBlur(original);
            }
            const QByteArray row = QByteArray::number(headroom >> 10) + " KiB";
            QVERIFY2(work.image() == (done ? expected.image() : pixels), row.constData());
            // The photo's own pixels never change, whatever happened to the copy.
            QVERIFY2(original.image() == pixels, row.constData());
            failed += !done;
            failedAfterFirstSteps += firstStepsFit;
        }
        qInfo("%d of %d limits failed, %d of them after the steps before the blur", failed, kSteps,
              failedAfterFirstSteps);
        QVERIFY(failed > 0);
        QVERIFY(failed < kSteps);
        // The case that used to commit a half-made look: everything up to the blur done,
        // the blur itself without room.
        if (softGlow)
            QVERIFY2(failedAfterFirstSteps > 0, "no limit made the blur alone fail");
    }
};

REGISTER_TEST(ChainFailuresTest);
#include "tst_ChainFailures.moc"
