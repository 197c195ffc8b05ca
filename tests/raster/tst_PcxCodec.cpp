#include "ByteWriter.h"
#include "DibTestSupport.h"
#include "ImageCompare.h"
#include "PixelTestSupport.h"
#include "TestData.h"
#include "TestRegistry.h"

#include "raster/PcxCodec.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace dib_test;
using image_compare::maxChannelDifference;
using namespace test_data;

namespace {

// The 128-byte header, then body. Fields not named stay zero.
struct Pcx {
    int version = 5;
    int encoding = 1;
    int bits = 8;
    int planes = 1;
    int left = 0;
    int top = 0;
    int width = 1;
    int height = 1;
    int bytesPerLine = 2;
    QList<QRgb> headerColors;
    QByteArray body;
};

QByteArray pcxFile(const Pcx& pcx)
{
    QByteArray out;
    ByteWriter(out)
        .u8(0x0a)
        .u8(pcx.version)
        .u8(pcx.encoding)
        .u8(pcx.bits)
        .u16(pcx.left)
        .u16(pcx.top)
        .u16(pcx.left + pcx.width - 1)
        .u16(pcx.top + pcx.height - 1)
        .u16(72)
        .u16(72);
    for (const QRgb color : pcx.headerColors) {
        out.append(char(qRed(color)));
        out.append(char(qGreen(color)));
        out.append(char(qBlue(color)));
    }
    out.append(QByteArray(65 - out.size(), '\0'));
    ByteWriter(out).u8(pcx.planes).u16(pcx.bytesPerLine).u16(1);
    out.append(QByteArray(128 - out.size(), '\0'));
    return out + pcx.body;
}

QString imageMagick(const QString& tool)
{
    return QStandardPaths::findExecutable(tool);
}

// Runs an ImageMagick tool; its standard output, or nothing on failure.
std::optional<QByteArray> runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return std::nullopt;
    return process.readAllStandardOutput();
}

QByteArray rgbBytes(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    QByteArray out;
    for (int y = 0; y < rgb.height(); ++y)
        out.append(reinterpret_cast<const char*>(rgb.constScanLine(y)), rgb.width() * 3);
    return out;
}

QList<QRgb> colorRamp(int count)
{
    QList<QRgb> colors;
    for (int i = 0; i < count; ++i)
        colors.append(qRgb(i, (i * 7) % 256, 255 - i));
    return colors;
}

} // namespace

class PcxCodecTest : public QObject {
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("planes");

        for (const int width : {1, 2, 3, 127}) {
            QTest::addRow("8 bits, width %d", width)
                << pixel_test::indexedImage(width, 3, colorRamp(256)) << 1;
            QTest::addRow("24 bits, width %d", width)
                << pixel_test::noiseImage(width, 3, width) << 3;
        }
        QTest::newRow("8 bits, 5 colours") << pixel_test::indexedImage(9, 2, colorRamp(5)) << 1;
        // Runs longer than 63 split; lone bytes of 0xc0 and above need a run code.
        QTest::newRow("long runs") << pixel_test::flatImage(200, 2, qRgb(0xc0, 0xff, 0x01)) << 3;
        QTest::newRow("32 bits written as 24")
            << pixel_test::noiseImage(5, 4, 8, QImage::Format_RGB32) << 3;
    }

    void roundTrip()
    {
        QFETCH(QImage, image);
        QFETCH(int, planes);

        const QByteArray file = encodePcx(image);
        QVERIFY(file.size() > 128);
        QCOMPARE(int(file[65]), planes);
        const int bytesPerLine = qFromLittleEndian<quint16>(file.constData() + 66);
        QCOMPARE(bytesPerLine % 2, 0);
        QVERIFY(bytesPerLine >= image.width());
        if (planes == 1)
            QCOMPARE(int(uchar(file[file.size() - 769])), 0x0c);

        const QImage decoded = decodePcx(file);
        QCOMPARE(decoded.format(), planes == 1 ? QImage::Format_Indexed8 : QImage::Format_RGB888);
        QCOMPARE(maxChannelDifference(decoded, image), 0);
        if (planes == 1)
            QCOMPARE(pixel_test::indicesOf(decoded), pixel_test::indicesOf(image));
    }

    // ImageMagick as a second reader of what we write.
    void readByImageMagick_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::newRow("8 bits") << pixel_test::indexedImage(13, 5, colorRamp(256));
        QTest::newRow("24 bits") << pixel_test::noiseImage(13, 5, 4);
    }

    void readByImageMagick()
    {
        QFETCH(QImage, image);
        const QString identify = imageMagick("identify");
        const QString convert = imageMagick("convert");
        if (identify.isEmpty() || convert.isEmpty())
            QSKIP("ImageMagick is not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath("ours.pcx");
        QVERIFY(test_data::writeFile(path, encodePcx(image)));

        QCOMPARE(runTool(identify, {"-format", "%m %w %h", path}).value_or(QByteArray()),
                 QByteArray("PCX 13 5"));
        QCOMPARE(runTool(convert, {path, "-depth", "8", "rgb:-"}).value_or(QByteArray()),
                 rgbBytes(image));
    }

    // PCX files written by ImageMagick (odd line lengths included) read as the picture
    // they were made from. Its 1-bit files are left out: they store set bits for black,
    // the opposite of the usual reading.
    void readImageMagickFiles_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("8 bits") << "g/pal8.bmp";
        QTest::newRow("24 bits") << "g/rgb24.bmp";
    }

    void readImageMagickFiles()
    {
        QFETCH(QString, source);
        const QString convert = imageMagick("convert");
        if (convert.isEmpty())
            QSKIP("ImageMagick is not installed");
        QTemporaryDir dir;
        const QString path = dir.filePath("theirs.pcx");
        QVERIFY(runTool(convert, {bmpSuitePath(source), path}));

        const QImage decoded = decodePcx(readFile(path));
        const QImage expected = QImage::fromData(readFile(bmpSuitePath(source)), "BMP");
        QCOMPARE(maxChannelDifference(decoded, expected), 0);
    }

    // Small files spelled out: every layout we read, and the liberties writers take.
    void handMade_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QImage>("expected");

        const QRgb black = qRgb(0, 0, 0);
        const QRgb white = qRgb(255, 255, 255);
        const QRgb red = qRgb(255, 0, 0);
        const QRgb green = qRgb(0, 255, 0);
        const QRgb blue = qRgb(0, 0, 255);
        Pcx mono;
        mono.bits = 1;
        mono.width = 10;
        mono.height = 1;
        mono.bytesPerLine = 2;
        mono.body = bytes({0xa5, 0x80});
        QTest::newRow("1 bit") << pcxFile(mono)
                               << pixel_test::imageOf(10, 1,
                                                      {white, black, white, black, black, white,
                                                       black, white, white, black});

        Pcx ega;
        ega.bits = 1;
        ega.planes = 4;
        ega.width = 3;
        ega.height = 1;
        ega.bytesPerLine = 2;
        ega.headerColors = colorRamp(16);
        // Planes hold bits 0 to 3 of each index: indices 1, 2 and 15.
        ega.body = bytes({0xa0, 0, 0x60, 0, 0x20, 0, 0x20, 0});
        QTest::newRow("16 colours in 4 planes")
            << pcxFile(ega)
            << pixel_test::imageOf(3, 1, {colorRamp(16)[1], colorRamp(16)[2], colorRamp(16)[15]});

        Pcx grey;
        grey.width = 3;
        grey.height = 1;
        grey.bytesPerLine = 4;
        grey.body = bytes({0, 0x80, 0xc1, 0xff, 7});
        QTest::newRow("8 bits without a palette read as grey")
            << pcxFile(grey) << pixel_test::imageOf(3, 1, {black, qRgb(0x80, 0x80, 0x80), white});

        Pcx crossing;
        crossing.width = 2;
        crossing.height = 2;
        crossing.bytesPerLine = 2;
        crossing.body = bytes({0xc4, 9}) + QByteArray(1, 0x0c) + QByteArray(768, '\0');
        QList<QRgb> palette(256, black);
        palette[9] = green;
        for (int i = 0; i < 256; ++i)
            crossing.body[2 + 1 + 3 * i + 1] = char(qGreen(palette[i]));
        QTest::newRow("run across the line end, palette")
            << pcxFile(crossing) << pixel_test::flatImage(2, 2, green);

        Pcx raw;
        raw.encoding = 0;
        raw.planes = 3;
        raw.width = 2;
        raw.height = 1;
        raw.bytesPerLine = 2;
        raw.body = bytes({0xff, 0, 0, 0xff, 0, 0});
        QTest::newRow("not compressed") << pcxFile(raw) << pixel_test::imageOf(2, 1, {red, green});

        Pcx padded = raw;
        padded.encoding = 1;
        padded.bytesPerLine = 5;
        padded.left = 100;
        padded.top = 7;
        padded.body = bytes({0xc1, 0xff, 0, 9, 9, 9, 0, 0, 9, 9, 9, 0, 0xc1, 0xff, 9, 9, 9});
        QTest::newRow("long lines, shifted window")
            << pcxFile(padded) << pixel_test::imageOf(2, 1, {red, blue});
        Pcx odd = padded;
        odd.bytesPerLine = 3;
        odd.body = bytes({0xc1, 0xff, 0, 9, 0, 0, 9, 0, 0xc1, 0xff, 9});
        QTest::newRow("odd line length") << pcxFile(odd) << pixel_test::imageOf(2, 1, {red, blue});
    }

    void handMade()
    {
        QFETCH(QByteArray, file);
        QFETCH(QImage, expected);

        const QImage image = decodePcx(file);
        QCOMPARE(image.size(), expected.size());
        QCOMPARE(maxChannelDifference(image, expected), 0);
    }

    void malformed_data()
    {
        QTest::addColumn<QByteArray>("file");

        Pcx good;
        good.width = 2;
        good.height = 2;
        good.bytesPerLine = 2;
        good.body = bytes({0xc4, 1});
        auto with = [&](auto change) {
            Pcx pcx = good;
            change(pcx);
            return pcxFile(pcx);
        };
        QVERIFY(!decodePcx(pcxFile(good)).isNull());
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("header cut") << pcxFile(good).left(127);
        QTest::newRow("not PCX") << QByteArray(1, 'P') + pcxFile(good).mid(1);
        QTest::newRow("version 1") << with([](Pcx& p) { p.version = 1; });
        QTest::newRow("version 6") << with([](Pcx& p) { p.version = 6; });
        QTest::newRow("encoding 2") << with([](Pcx& p) { p.encoding = 2; });
        QTest::newRow("8 bits, 2 planes") << with([](Pcx& p) { p.planes = 2; });
        QTest::newRow("8 bits, 4 planes") << with([](Pcx& p) { p.planes = 4; });
        QTest::newRow("1 bit, 5 planes") << with([](Pcx& p) {
            p.bits = 1;
            p.planes = 5;
        });
        QTest::newRow("4 bits") << with([](Pcx& p) { p.bits = 4; });
        QTest::newRow("right before left") << with([](Pcx& p) {
            p.left = 10;
            p.width = -5;
        });
        QTest::newRow("65536 a side") << with([](Pcx& p) {
            p.width = 65536;
            p.bytesPerLine = 65535;
        });
        QTest::newRow("line shorter than the width") << with([](Pcx& p) { p.bytesPerLine = 1; });
        QTest::newRow("line length 0") << with([](Pcx& p) { p.bytesPerLine = 0; });
        QTest::newRow("data ends early") << with([](Pcx& p) { p.body = bytes({0xc3, 1}); });
        QTest::newRow("run without its value") << with([](Pcx& p) {
            p.body = bytes({1, 1, 1, 0xc1});
        });
        QTest::newRow("long lines, little data") << with([](Pcx& p) {
            p.height = 30000;
            p.bytesPerLine = 65535;
            p.body = QByteArray(1000, char(0xff));
        });
    }

    void malformed()
    {
        QFETCH(QByteArray, file);
        QVERIFY(decodePcx(file).isNull());
    }

    void encodeRefusesNull() { QVERIFY(encodePcx(QImage()).isEmpty()); }
};

REGISTER_TEST(PcxCodecTest);
#include "tst_PcxCodec.moc"
