#include "HostileFileSupport.h"
#include "MemoryTestSupport.h"
#include "TestData.h"
#include "TestRegistry.h"

#include "raster/BitmapIO.h"
#include "raster/JpegCodec.h"
#include "raster/LoadBudget.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

using memory_test::addressSpace;

namespace {

constexpr qint64 kMiB = qint64(1) << 20;
// What a refused file may cost: its header and a few rows at the most.
constexpr qint64 kRefusalCost = 64 * kMiB;

// The small files are committed there; the large ones are only made at run time.
QString committedPath(const QString& name)
{
    return QDir(test_data::testDataPath(QStringLiteral("hostile"))).filePath(name);
}

// Loads data and returns how much the peak resident size grew meanwhile, or -1 when it
// cannot be measured.
qint64 loadCost(QByteArrayView data, RasterBitmap& bitmap)
{
    if (!memory_test::resetPeakResident())
        return -1;
    const qint64 before = addressSpace("VmRSS");
    // Refused or loaded, only the cost counts here.
    static_cast<void>(loadBitmapMemory(data, bitmap, 0));
    return addressSpace("VmHWM") - before;
}

hostile::JpegClaim jpegClaim(int width, int height, int components, bool progressive)
{
    hostile::JpegClaim claim;
    claim.width = width;
    claim.height = height;
    claim.components = components;
    claim.progressive = progressive;
    return claim;
}

hostile::GifClaim gifClaim(QSize screen, QSize image)
{
    hostile::GifClaim claim;
    claim.screenWidth = screen.width();
    claim.screenHeight = screen.height();
    claim.imageWidth = image.width();
    claim.imageHeight = image.height();
    claim.interlaced = true;
    return claim;
}

// A camera-like picture: smooth light over the frame with fine grain on top.
QImage cameraLikePicture(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    QRandomGenerator noise(150);
    for (int y = 0; y < height; ++y) {
        uchar* p = image.scanLine(y);
        for (int x = 0; x < width; ++x, p += 3) {
            const quint32 grain = noise.generate();
            p[0] = uchar(40 + x * 160 / width + (grain & 15));
            p[1] = uchar(60 + y * 120 / height + ((grain >> 8) & 15));
            p[2] = uchar(90 + (x + y) % 97 + ((grain >> 16) & 15));
        }
    }
    return image;
}

} // namespace

// Small files that claim huge pictures are refused or load within the budget of one load;
// the cost is the growth of the peak resident size, decoder buffers included.
class LoadBudgetTest : public QObject {
    Q_OBJECT

private slots:
    void hostileFilesStayWithinBudget_data();
    void hostileFilesStayWithinBudget();
    void cameraJpegOpens();
};

void LoadBudgetTest::hostileFilesStayWithinBudget_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QSize>("loaded"); // empty when refused

    const auto row = [](const char* name, const QByteArray& file, QSize loaded) {
        QTest::newRow(name) << QString::fromLatin1(name) << file << loaded;
    };
    row("png-rgb-15800.png", hostile::pngOfZeros(15800, 15800, 2, 8), {});
    row("tiff-rgb-15800.tiff", hostile::tiffOfZeros(15800, 15800), {});
    row("png-grey-15800.png", hostile::pngOfZeros(15800, 15800, 0, 8), {15800, 15800});
    // The same picture in 16 bits a channel costs twice as much before its conversion.
    row("png-rgba-10000.png", hostile::pngOfZeros(10000, 10000, 6, 8), {10000, 10000});
    row("png-rgba16-10000.png", hostile::pngOfZeros(10000, 10000, 6, 16), {});
    row("png-rgba16-small.png", hostile::pngOfZeros(40, 30, 6, 16), {40, 30});
    row("webp-flat-16383x15200.webp", hostile::flatLosslessWebp(16383, 15200, qRgb(9, 99, 199)),
        {});
    row("webp-flat-64.webp", hostile::flatLosslessWebp(64, 64, qRgb(9, 99, 199)), {64, 64});

    // Arithmetic coding packs a flat picture into a few hundred bytes; padding then made
    // the whole file look large enough for its claim.
    row("jpeg-arithmetic-padded-15800.jpg", hostile::flatArithmeticJpeg(15800, 15800, 70 * 1024),
        {});
    // The same padding inside the scan, where the decoder skips it after the picture.
    QByteArray paddedScan = hostile::flatArithmeticJpeg(15800, 15800, 0);
    paddedScan.insert(paddedScan.size() - 2, QByteArray(70 * 1024, '\0'));
    row("jpeg-arithmetic-padded-scan-15800.jpg", paddedScan, {});
    row("jpeg-arithmetic-4000.jpg", hostile::flatArithmeticJpeg(4000, 4000, 0), {});
    row("jpeg-arithmetic-64.jpg", hostile::flatArithmeticJpeg(64, 64, 0), {64, 64});
    hostile::JpegClaim cut = jpegClaim(15800, 15800, 1, false);
    cut.scanBytes = 100 * 1024;
    row("jpeg-cut-15800.jpg", hostile::flatJpeg(cut), {});
    // A progressive file keeps every coefficient: 6 bytes a pixel in colour.
    row("jpeg-progressive-colour-15800.jpg", hostile::flatJpeg(jpegClaim(15800, 15800, 3, true)),
        {});
    row("jpeg-progressive-colour-12000.jpg", hostile::flatJpeg(jpegClaim(12000, 12000, 3, true)),
        {});
    row("jpeg-progressive-grey-15800.jpg", hostile::flatJpeg(jpegClaim(15800, 15800, 1, true)),
        {15800, 15800});
    row("jpeg-baseline-colour-15800.jpg", hostile::flatJpeg(jpegClaim(15800, 15800, 3, false)),
        {15800, 15800});

    row("gif-image-65535-on-2x2.gif", hostile::flatGif(gifClaim({2, 2}, {65535, 65535})), {});
    row("gif-image-16000x15000-on-100x2.gif", hostile::flatGif(gifClaim({100, 2}, {16000, 15000})),
        {100, 2});
}

void LoadBudgetTest::hostileFilesStayWithinBudget()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, file);
    QFETCH(QSize, loaded);

    // The small files are kept as fixtures: they must be what the makers make.
    const QByteArray committed = test_data::readFile(committedPath(name));
    if (!committed.isEmpty())
        QVERIFY2(committed == file, qPrintable(name + " differs from what its maker makes"));
    // IDPHOTO_HOSTILE_OUT=<folder> writes every file, to seed the fuzzer or renew fixtures.
    const QString out = qEnvironmentVariable("IDPHOTO_HOSTILE_OUT");
    if (!out.isEmpty())
        QVERIFY(test_data::writeFile(QDir(out).filePath(name), file));

    RasterBitmap bitmap;
    const qint64 cost = loadCost(file, bitmap);
    if (cost < 0)
        QSKIP("the peak resident size cannot be reset here");
    qInfo("%s: %lld KB, cost %lld MB", qPrintable(name), qint64(file.size() >> 10), cost / kMiB);
    QCOMPARE(QSize(bitmap.width(), bitmap.height()), loaded.isEmpty() ? QSize(0, 0) : loaded);
    const qint64 limit = loaded.isEmpty() ? kRefusalCost : raster::kMaxLoadBytes;
    QVERIFY2(cost <= limit,
             qPrintable(QString("%1 KB: cost %2 MB").arg(file.size() >> 10).arg(cost / kMiB)));
}

// A 150-megapixel camera photo is what the budget is for: it must still open.
void LoadBudgetTest::cameraJpegOpens()
{
    QByteArray jpeg = encodeJpeg(cameraLikePicture(15000, 10000), 85);
    QVERIFY(!jpeg.isEmpty());
    RasterBitmap bitmap;
    const qint64 cost = loadCost(jpeg, bitmap);
    if (cost < 0)
        QSKIP("the peak resident size cannot be reset here");
    qInfo("150-megapixel JPEG: %lld MB, cost %lld MB", qint64(jpeg.size() / kMiB), cost / kMiB);
    QCOMPARE(QSize(bitmap.width(), bitmap.height()), QSize(15000, 10000));
    QVERIFY2(
        cost <= raster::kMaxLoadBytes,
        qPrintable(QString("%1 MB file: cost %2 MB").arg(jpeg.size() / kMiB).arg(cost / kMiB)));
}

REGISTER_TEST(LoadBudgetTest);
#include "tst_LoadBudget.moc"
