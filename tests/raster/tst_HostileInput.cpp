#include "ByteWriter.h"
#include "HostileFileSupport.h"
#include "MemoryTestSupport.h"
#include "TestRegistry.h"

#include "raster/BitmapIO.h"

#include <QTest>

using memory_test::addressSpace;

namespace {

// A PCX header for a width × height picture, then body.
QByteArray pcxFile(int bits, int planes, bool encoded, int width, int height, int bytesPerLine,
                   const QByteArray& body)
{
    QByteArray out;
    ByteWriter(out).u8(0x0a).u8(5).u8(encoded ? 1 : 0).u8(bits);
    ByteWriter(out).u16(0).u16(0).u16(width - 1).u16(height - 1);
    out.append(QByteArray(65 - out.size(), '\0'));
    ByteWriter(out).u8(planes).u16(bytesPerLine);
    out.append(QByteArray(128 - out.size(), '\0'));
    return out + body;
}

// A bottom-up run-length BMP of the given depth (RLE8 or RLE4) with a two-colour table.
QByteArray rleBmpFile(int bits, int width, int height, const QByteArray& codes)
{
    constexpr int kHeaders = 14 + 40;
    constexpr int kColours = 2 * 4;
    QByteArray out("BM");
    ByteWriter(out)
        .u32(kHeaders + kColours + codes.size())
        .u32(0)
        .u32(kHeaders + kColours)
        .u32(40)
        .u32(width)
        .u32(height)
        .u16(1)
        .u16(bits)
        .u32(bits == 8 ? 1 : 2)
        .u32(codes.size())
        .u32(2835)
        .u32(2835)
        .u32(2)
        .u32(0);
    out.append(QByteArray::fromHex("00000000ffffff00"));
    return out + codes;
}

const QByteArray kEndOfBitmap = QByteArray::fromHex("0001");

} // namespace

// Headers that claim far more pixels than their few bytes could ever describe are refused
// before the pixels' memory is taken; pictures that the bytes can hold still load.
class HostileInputTest : public QObject {
    Q_OBJECT

private slots:
    void claimsBeyondTheData_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QSize>("loaded"); // empty when refused

        QTest::newRow("PCX 24-bit, 130 bytes for 32768 x 7629")
            << pcxFile(8, 3, true, 32768, 7629, 32768, QByteArray::fromHex("ff00")) << QSize();
        QTest::newRow("PCX stored plain, 1000 bytes for 30000 x 8000")
            << pcxFile(8, 1, false, 30000, 8000, 30000, QByteArray(1000, '\x07')) << QSize();
        QTest::newRow("PCX at its longest runs")
            << pcxFile(8, 1, true, 126, 1, 126, QByteArray::fromHex("ff07ff07")) << QSize(126, 1);
        QTest::newRow("RLE8 BMP, 64 bytes for 32768 x 7629")
            << rleBmpFile(8, 32768, 7629, kEndOfBitmap) << QSize();
        QTest::newRow("RLE4 BMP, end of bitmap only, 32768 x 7629")
            << rleBmpFile(4, 32768, 7629, kEndOfBitmap) << QSize();
        QTest::newRow("RLE8 BMP, small blank picture")
            << rleBmpFile(8, 64, 64, kEndOfBitmap) << QSize(64, 64);
    }

    void claimsBeyondTheData()
    {
        QFETCH(QByteArray, file);
        QFETCH(QSize, loaded);

        const qint64 peakBefore = addressSpace("VmPeak");
        QVERIFY(peakBefore > 0);
        RasterBitmap bitmap;
        const bool ok = loadBitmapMemory(file, bitmap, 0);
        const qint64 grown = addressSpace("VmPeak") - peakBefore;
        QCOMPARE(ok, !loaded.isEmpty());
        QCOMPARE(QSize(bitmap.width(), bitmap.height()), ok ? loaded : QSize(0, 0));
        QVERIFY2(grown < (qint64(32) << 20), qPrintable(QString::number(grown >> 20) + " MB"));
    }
};

REGISTER_TEST(HostileInputTest);
#include "tst_HostileInput.moc"
