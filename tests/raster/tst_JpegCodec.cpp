#include "ExifTestSupport.h"
#include "ImageCompare.h"
#include "PixelTestSupport.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "raster/JpegCodec.h"

#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

using image_compare::meanAbsDifference;
using namespace test_data;

namespace {

// Smooth ramps with a few hard-edged blocks, no symmetry, so a turn or mirror shows.
QImage syntheticPhoto(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool block = (x / 8 + y / 8 * 3) % 5 == 0;
            image.setPixel(
                x, y, block ? qRgb(230, 40, 30) : qRgb(x * 255 / width, y * 255 / height, 128));
        }
    }
    return image;
}

// Offset of the first start-of-frame marker, or -1.
qsizetype frameHeader(const QByteArray& jpeg)
{
    qsizetype pos = 2;
    while (pos + 4 <= jpeg.size() && uchar(jpeg[pos]) == 0xFF) {
        const uchar marker = uchar(jpeg[pos + 1]);
        if (marker >= 0xC0 && marker <= 0xC2)
            return pos;
        pos += 2 + (uchar(jpeg[pos + 2]) << 8 | uchar(jpeg[pos + 3]));
    }
    return -1;
}

QByteArray withFrameSize(QByteArray jpeg, int width, int height)
{
    const qsizetype sof = frameHeader(jpeg);
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width);
    return jpeg;
}

// Repeats the file's last scan, which the decoder takes with a warning each time.
QByteArray withRepeatedLastScan(const QByteArray& jpeg, int repeats)
{
    const qsizetype lastScan = jpeg.lastIndexOf(QByteArray("\xFF\xDA", 2));
    const QByteArray scan = jpeg.mid(lastScan, jpeg.size() - 2 - lastScan);
    return jpeg.left(lastScan) + scan.repeated(repeats + 1) + jpeg.right(2);
}

// The file libjpeg writes on its own with optimized Huffman tables, at our settings.
QByteArray libjpegOptimized(const QImage& image, int quality)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr errors{};
    cinfo.err = jpeg_std_error(&errors);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(rgb.width());
    cinfo.image_height = JDIMENSION(rgb.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    if (quality >= 90) {
        cinfo.comp_info[0].h_samp_factor = 1;
        cinfo.comp_info[0].v_samp_factor = 1;
    }
    cinfo.optimize_coding = TRUE;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb.constScanLine(int(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    const QByteArray file(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return file;
}

QImage filled(int width, int height, QRgb colour)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

QImage referenceUpright(const QImage& stored, int orientation)
{
    const QImage turned = stored.transformed(QTransform().rotate(90));
    switch (orientation) {
    case 2:
        return stored.mirrored(true, false);
    case 3:
        return stored.mirrored(true, true);
    case 4:
        return stored.mirrored(false, true);
    case 5:
        return turned.mirrored(true, false);
    case 6:
        return turned;
    case 7:
        return turned.mirrored(false, true);
    case 8:
        return stored.transformed(QTransform().rotate(270));
    default:
        return stored;
    }
}

} // namespace

class JpegCodecTest : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("quality");
        QTest::addColumn<double>("tolerance");

        const QImage photo = syntheticPhoto(77, 45);
        QTest::newRow("RGB888 quality 95") << photo << 95 << 1.5;
        QTest::newRow("RGB888 quality 75") << photo << 75 << 9.0;
        QTest::newRow("RGB32 converted")
            << photo.convertToFormat(QImage::Format_RGB32) << 95 << 1.5;
        QTest::newRow("ARGB32 converted")
            << photo.convertToFormat(QImage::Format_ARGB32) << 95 << 1.5;
        QTest::newRow("Indexed8 converted")
            << photo.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither) << 95 << 2.5;
        QTest::newRow("one pixel") << photo.copy(10, 10, 1, 1) << 95 << 2.0;
        QTest::newRow("quality clamped below 1") << photo << -5 << 40.0;
        QTest::newRow("quality clamped above 100") << photo << 1000 << 1.0;
    }

    void roundTrip()
    {
        QFETCH(QImage, image);
        QFETCH(int, quality);
        QFETCH(double, tolerance);
        const QByteArray encoded = encodeJpeg(image, quality);
        QVERIFY(encoded.startsWith("\xFF\xD8"));
        const QImage decoded = decodeJpeg(encoded);
        QCOMPARE(decoded.format(), QImage::Format_RGB888);
        QCOMPARE(decoded.size(), image.size());
        const double error = meanAbsDifference(decoded, image);
        QVERIFY2(error <= tolerance, qPrintable(QString::number(error)));
    }

    // The encoder makes its tables its own way; the file must stay byte for byte what
    // libjpeg's optimized coding writes, across block edges, subsampling, and symbols
    // from none (flat colour) to the longest (noise at quality 100).
    void sameBytesAsLibjpegOptimized_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("quality");

        using pixel_test::noiseImage;
        QTest::newRow("print sheet of noise, 95") << noiseImage(1520, 1020, 1) << 95;
        QTest::newRow("partial blocks, 95") << noiseImage(37, 29, 2) << 95;
        QTest::newRow("partial MCUs, 4:2:0 at 75") << noiseImage(37, 29, 3) << 75;
        QTest::newRow("partial MCUs, 4:2:0 at 89") << syntheticPhoto(77, 45) << 89;
        QTest::newRow("longest codes, 100") << noiseImage(64, 48, 4) << 100;
        QTest::newRow("coarsest, 1") << noiseImage(40, 24, 5) << 1;
        QTest::newRow("one pixel") << noiseImage(1, 1, 6) << 95;
        QTest::newRow("one row") << noiseImage(300, 1, 7) << 95;
        QTest::newRow("one column, 4:2:0") << noiseImage(1, 300, 8) << 60;
        QTest::newRow("flat white") << filled(64, 64, qRgb(255, 255, 255)) << 95;
        QTest::newRow("flat black, 4:2:0") << filled(50, 70, qRgb(0, 0, 0)) << 75;
        QTest::newRow("smooth photo") << syntheticPhoto(320, 240) << 95;
        QTest::newRow("tall, partial blocks, 95") << noiseImage(301, 517, 9) << 95;
        QTest::newRow("tall, partial MCUs, 4:2:0 at 75") << noiseImage(301, 517, 10) << 75;
        QTest::newRow("tall smooth photo, 4:2:0 at 50") << syntheticPhoto(200, 700) << 50;
        QTest::newRow("tall flat grey") << filled(40, 300, qRgb(128, 128, 128)) << 95;
        // Few blocks, so that one symbol more or less changes the tables.
        QImage halves = filled(8, 256, qRgb(0, 0, 0));
        for (int y = 128; y < 256; ++y)
            std::fill_n(halves.scanLine(y), 8 * 3, uchar(255));
        QTest::newRow("black over white, 4:2:0") << halves << 75;
        QTest::newRow("black over white, 95") << halves << 95;
    }

    void sameBytesAsLibjpegOptimized()
    {
        QFETCH(QImage, image);
        QFETCH(int, quality);
        const QByteArray encoded = encodeJpeg(image, quality);
        QVERIFY(!encoded.isEmpty());
        QVERIFY(encoded == libjpegOptimized(image, quality));
    }

    void encodeNullImage() { QVERIFY(encodeJpeg(QImage(), 95).isEmpty()); }

    void chromaSampling_data()
    {
        QTest::addColumn<int>("quality");
        QTest::addColumn<int>("lumaSampling");

        QTest::newRow("95: 4:4:4") << 95 << 0x11;
        QTest::newRow("90: 4:4:4") << 90 << 0x11;
        QTest::newRow("89: 4:2:0") << 89 << 0x22;
        QTest::newRow("50: 4:2:0") << 50 << 0x22;
    }

    void chromaSampling()
    {
        QFETCH(int, quality);
        QFETCH(int, lumaSampling);
        const QByteArray jpeg = encodeJpeg(syntheticPhoto(32, 32), quality);
        const qsizetype sof = frameHeader(jpeg);
        QVERIFY(sof > 0);
        QCOMPARE(int(uchar(jpeg[sof + 9])), 3); // components
        QCOMPARE(int(uchar(jpeg[sof + 11])), lumaSampling);
        QCOMPARE(int(uchar(jpeg[sof + 14])), 0x11);
        QCOMPARE(int(uchar(jpeg[sof + 17])), 0x11);
    }

    void portrait()
    {
        const QImage decoded = decodeJpeg(readTestData("portrait.jpg"));
        QCOMPARE(decoded.size(), QSize(512, 512));
        QCOMPARE(decoded.format(), QImage::Format_RGB888);
        const QImage reference(testDataPath("portrait.png"));
        QVERIFY(meanAbsDifference(decoded, reference) < 3.0);
    }

    void greyStaysEightBit()
    {
        const QImage decoded = decodeJpeg(readTestData("grey-halves.jpg"));
        QCOMPARE(decoded.format(), QImage::Format_Indexed8);
        QCOMPARE(decoded.colorCount(), 256);
        for (int i = 0; i < 256; ++i)
            QCOMPARE(decoded.color(i), qRgb(i, i, i));
        QVERIFY(std::abs(decoded.pixelIndex(4, 4) - 50) <= 2);
        QVERIFY(std::abs(decoded.pixelIndex(27, 4) - 200) <= 2);
    }

    void cmyk_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("CMYK, inverted with an Adobe marker") << "solid-cmyk.jpg";
        QTest::newRow("YCCK") << "solid-ycck.jpg";
    }

    void cmyk()
    {
        QFETCH(QString, file);
        const QImage decoded = decodeJpeg(readTestData(file));
        QCOMPARE(decoded.format(), QImage::Format_RGB888);
        QCOMPARE(decoded.size(), QSize(24, 16));
        QImage expected(decoded.size(), QImage::Format_RGB888);
        expected.fill(QColor(200, 40, 60));
        const double error = meanAbsDifference(decoded, expected);
        QVERIFY2(error <= 2.0, qPrintable(QString::number(error)));
    }

    void exifOrientationApplied_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<int>("orientation");

        const QByteArray colour = encodeJpeg(syntheticPhoto(40, 24), 90);
        const QByteArray grey = readTestData("grey-halves.jpg");
        for (int orientation = 1; orientation <= 8; ++orientation) {
            QTest::addRow("colour %d", orientation) << colour << orientation;
            QTest::addRow("grey %d", orientation) << grey << orientation;
        }
        // Big enough for the huge-page allocation path.
        const QByteArray large = encodeJpeg(syntheticPhoto(2101, 1503), 80);
        QTest::newRow("large colour 6") << large << 6;
        QTest::newRow("large colour 7") << large << 7;
    }

    void exifOrientationApplied()
    {
        QFETCH(QByteArray, jpeg);
        QFETCH(int, orientation);
        const QImage stored = decodeJpeg(jpeg);
        const QByteArray tagged = exif_test::withSegments(
            jpeg, exif_test::exifSegment(exif_test::orientationTiff(orientation, orientation % 2)));
        const QImage upright = decodeJpeg(tagged);
        QCOMPARE(upright.format(), stored.format());
        QCOMPARE(upright.colorTable(), stored.colorTable());
        QCOMPARE(upright.convertToFormat(QImage::Format_RGB32),
                 referenceUpright(stored, orientation).convertToFormat(QImage::Format_RGB32));
    }

    void badInput_data()
    {
        QTest::addColumn<QByteArray>("data");

        const QByteArray valid = encodeJpeg(syntheticPhoto(64, 48), 80);
        const QByteArray portrait = readTestData("portrait.jpg");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("start marker only") << QByteArray("\xFF\xD8", 2);
        QTest::newRow("garbage") << QByteArray(300, 'x');
        QTest::newRow("PNG") << readTestData("portrait.png");
        QTest::newRow("cut inside the tables") << portrait.left(300);
        QTest::newRow("cut inside the frame header") << portrait.left(205);
        QTest::newRow("zero width") << withFrameSize(valid, 0, 48);
        QTest::newRow("zero height") << withFrameSize(valid, 64, 0);
        QTest::newRow("side over the cap") << withFrameSize(valid, 40000, 16);
        QTest::newRow("pixels over the cap") << withFrameSize(valid, 20000, 20000);
        QTest::newRow("huge picture from a few bytes") << withFrameSize(valid, 30000, 8000);
        QTest::newRow("endless progressive scans")
            << withRepeatedLastScan(readTestData("progressive.jpg"), 200);
    }

    void badInput()
    {
        QFETCH(QByteArray, data);
        QVERIFY(decodeJpeg(data).isNull());
    }

    // A picture whose data ends early is a damaged file: the decode fails.
    void truncatedData_data()
    {
        QTest::addColumn<QByteArray>("full");

        QTest::newRow("portrait") << readTestData("portrait.jpg");
        QTest::newRow("progressive, extra scans within the limit")
            << withRepeatedLastScan(readTestData("progressive.jpg"), 20);
    }

    void truncatedData()
    {
        QFETCH(QByteArray, full);
        QVERIFY(!decodeJpeg(full).isNull());
        QVERIFY(decodeJpeg(full.left(full.size() * 2 / 3)).isNull());
    }
};

REGISTER_TEST(JpegCodecTest);
#include "tst_JpegCodec.moc"
