#include "MemoryTestSupport.h"
#include "TestRegistry.h"

#include "raster/BitmapOps.h"
#include "raster/ColorOps.h"
#include "raster/Filters.h"

#include <QTest>

#include <functional>

using memory_test::addressSpace;
using memory_test::AddressSpaceLimit;

namespace {

using Operation = std::function<bool(RasterBitmap&)>;

// 2000 × 1500 at 24 bits: 9 MB of pixels, far above the headroom left to the operation.
QImage largePicture()
{
    QImage image(2000, 1500, QImage::Format_RGB888);
    for (int y = 0; y < image.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int i = 0; i < image.width() * 3; ++i)
            line[i] = uchar((i * 7 + y * 13) & 0xff);
    }
    return image;
}

constexpr qint64 kHeadroom = qint64(2) << 20;
// Sanitizer builds reserve terabytes of address space up front; no limit can be set
// meaningfully there.
constexpr qint64 kPlainProcessSize = qint64(64) << 30;

} // namespace

Q_DECLARE_METATYPE(Operation)

// When memory runs out, an operation in place answers false and leaves both its bitmap
// and any copy sharing its pixels as they were: no write through a null pointer, no
// exception escaping, no bitmap emptied behind the caller's back.
class OutOfMemoryTest : public QObject {
    Q_OBJECT

private slots:
    void operationInPlace_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<bool>("shared");
        QTest::addColumn<bool>("succeeds");

        const Operation intensity = [](RasterBitmap& b) { return changeIntensity(b, 200); };
        const Operation hue = [](RasterBitmap& b) { return changeHue(b, 90); };
        const Operation gaussian = [](RasterBitmap& b) { return gaussianFilter(b, 5); };
        const Operation average = [](RasterBitmap& b) { return averageFilter(b, 3); };
        const Operation fill = [](RasterBitmap& b) { return fillBitmap(b, Qt::red); };
        const RasterBitmap flat(QImage(2000, 1500, QImage::Format_RGB888));
        const Operation combine = [flat](RasterBitmap& b) {
            return combineAverage(b, 0, 0, b.width(), b.height(), flat);
        };

        // Shared pixels must be copied before the first write, and there is no room.
        QTest::newRow("intensity, shared") << intensity << true << false;
        QTest::newRow("hue, shared") << hue << true << false;
        QTest::newRow("Gaussian, shared") << gaussian << true << false;
        QTest::newRow("combine, shared") << combine << true << false;
        QTest::newRow("fill, shared") << fill << true << false;
        // Own pixels: tables work in place; the filters' buffers find no room.
        QTest::newRow("intensity, own pixels") << intensity << false << true;
        QTest::newRow("combine, own pixels") << combine << false << true;
        QTest::newRow("Gaussian, own pixels") << gaussian << false << false;
        QTest::newRow("average, own pixels") << average << false << false;
    }

    void operationInPlace()
    {
        QFETCH(Operation, operation);
        QFETCH(bool, shared);
        QFETCH(bool, succeeds);

        if (addressSpace("VmSize") > kPlainProcessSize)
            QSKIP("the address space cannot be limited in this build");
        const QImage original = largePicture();
        RasterBitmap bitmap(original.copy());
        RasterBitmap other;
        if (shared)
            other = bitmap;
        bool ok = false;
        {
            const AddressSpaceLimit limit(kHeadroom);
            QVERIFY(limit.isActive());
            ok = operation(bitmap);
        }
        QCOMPARE(ok, succeeds);
        if (!ok)
            QCOMPARE(bitmap.image(), original);
        if (shared)
            QCOMPARE(other.image(), original);
    }
};

REGISTER_TEST(OutOfMemoryTest);
#include "tst_OutOfMemory.moc"
