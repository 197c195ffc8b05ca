#include "ByteWriter.h"
#include "DibTestSupport.h"
#include "ImageCompare.h"
#include "PixelTestSupport.h"
#include "TestRegistry.h"

#include "raster/IcoCodec.h"

#include <QBuffer>
#include <QTest>

using namespace dib_test;
using image_compare::maxChannelDifference;

namespace {

// Pixel rows bottom-up, padded to four bytes: 32 bits keep alpha in the fourth byte,
// 8 bits are the image's indices.
QByteArray packRows(const QImage& image, int bits)
{
    const int stride = (image.width() * bits + 31) / 32 * 4;
    QByteArray out;
    for (int y = image.height() - 1; y >= 0; --y) {
        QByteArray row;
        for (int x = 0; x < image.width(); ++x) {
            if (bits == 8) {
                row.append(char(image.pixelIndex(x, y)));
                continue;
            }
            const QRgb color = image.pixel(x, y);
            row.append(char(qBlue(color)));
            row.append(char(qGreen(color)));
            row.append(char(qRed(color)));
            if (bits == 32)
                row.append(char(qAlpha(color)));
        }
        out.append(row.leftJustified(stride, '\0'));
    }
    return out;
}

QByteArray andMask(QSize size, const QList<QPoint>& transparent)
{
    const int stride = (size.width() + 31) / 32 * 4;
    QByteArray mask(stride * size.height(), '\0');
    for (const QPoint& p : transparent)
        mask[(size.height() - 1 - p.y()) * stride + p.x() / 8] |= char(0x80 >> (p.x() % 8));
    return mask;
}

// An icon entry holding image at the given depth, with its AND mask.
QByteArray dibEntry(const QImage& image, int bits, const QList<QPoint>& transparent = {})
{
    Dib dib;
    dib.width = image.width();
    dib.height = 2 * image.height();
    dib.bits = bits;
    if (bits == 8)
        dib.colors = image.colorTable();
    dib.pixels = packRows(image, bits) + andMask(image.size(), transparent);
    return dibBytes(dib);
}

QByteArray pngEntry(const QImage& image)
{
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return out;
}

// An icon directory over the given entries; the directory's own sizes say 1 × 1 on
// purpose, since readers must not trust them.
QByteArray icoFile(const QList<QByteArray>& entries, int type = 1)
{
    QByteArray out;
    ByteWriter(out).u16(0).u16(type).u16(entries.size());
    qint64 offset = 6 + 16 * entries.size();
    for (const QByteArray& entry : entries) {
        ByteWriter(out).u8(1).u8(1).u8(0).u8(0).u16(1).u16(32).u32(entry.size()).u32(offset);
        offset += entry.size();
    }
    for (const QByteArray& entry : entries)
        out.append(entry);
    return out;
}

QImage solid(int side, QRgb color, QImage::Format format = QImage::Format_ARGB32)
{
    return pixel_test::flatImage(side, side, color, format);
}

QImage solidIndexed(int side, QRgb color)
{
    QImage image(side, side, QImage::Format_Indexed8);
    image.setColorTable({qRgb(0, 0, 0), color});
    image.fill(1);
    return image;
}

const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGreen = qRgb(0, 255, 0);
const QRgb kBlue = qRgb(0, 0, 255);

} // namespace

class IcoCodecTest : public QObject {
    Q_OBJECT

private slots:
    // Each entry is one solid colour, so the colour tells which entry was chosen.
    void choosesEntry_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRgb>("color");

        QTest::newRow("largest area")
            << icoFile({dibEntry(solid(16, kRed), 32), dibEntry(solidIndexed(32, kGreen), 8),
                        dibEntry(solid(24, kBlue), 24)})
            << QSize(32, 32) << kGreen;
        QTest::newRow("deepest at equal area")
            << icoFile({dibEntry(solidIndexed(16, kRed), 8), dibEntry(solid(16, kGreen), 32),
                        dibEntry(solid(16, kBlue), 24)})
            << QSize(16, 16) << kGreen;
        QTest::newRow("first at a full tie")
            << icoFile({dibEntry(solid(16, kBlue), 24), dibEntry(solid(16, kRed), 24)})
            << QSize(16, 16) << kBlue;
        QTest::newRow("PNG entry")
            << icoFile({dibEntry(solid(16, kRed), 32), pngEntry(solid(48, kBlue))}) << QSize(48, 48)
            << kBlue;
        QTest::newRow("cursor") << icoFile({dibEntry(solid(8, kRed), 24)}, 2) << QSize(8, 8)
                                << kRed;
        QByteArray cut = dibEntry(solid(32, kRed), 24);
        cut.truncate(40 + 100);
        QTest::newRow("broken best falls back")
            << icoFile({cut, dibEntry(solid(16, kGreen), 24)}) << QSize(16, 16) << kGreen;
        QByteArray directoryCut = icoFile({dibEntry(solid(4, kBlue), 24)});
        directoryCut[4] = char(200);
        QTest::newRow("count past the directory") << directoryCut << QSize(4, 4) << kBlue;
    }

    void choosesEntry()
    {
        QFETCH(QByteArray, file);
        QFETCH(QSize, size);
        QFETCH(QRgb, color);

        const QImage image = decodeIco(file);
        QCOMPARE(image.format(), QImage::Format_ARGB32);
        QCOMPARE(image.size(), size);
        QCOMPARE(image.pixel(size.width() - 1, size.height() - 1), color);
        QCOMPARE(image.pixel(0, 0), color);
    }

    // The AND mask turns pixels transparent, unless a 32-bit entry carries alpha of its
    // own. Width 33 makes the mask rows eight bytes long.
    void transparency_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QImage>("expected");

        const QList<QPoint> holes = {{0, 0}, {32, 0}, {9, 2}, {32, 3}};
        QImage masked = pixel_test::noiseImage(33, 4, 5, QImage::Format_ARGB32);
        const QImage opaque = masked;
        for (const QPoint& p : holes)
            masked.setPixel(p, masked.pixel(p) & RGB_MASK);
        QTest::newRow("24 bits with mask") << icoFile({dibEntry(opaque, 24, holes)}) << masked;
        // All-zero alpha in a 32-bit entry means the mask decides.
        QImage zeroAlpha = opaque;
        zeroAlpha.fill(Qt::transparent);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 33; ++x)
                zeroAlpha.setPixel(x, y, opaque.pixel(x, y) & RGB_MASK);
        QTest::newRow("32 bits, alpha empty, mask")
            << icoFile({dibEntry(zeroAlpha, 32, holes)}) << masked;
        QImage alpha = opaque;
        alpha.setPixel(1, 1, qRgba(10, 20, 30, 77));
        QTest::newRow("32 bits with alpha ignore the mask")
            << icoFile({dibEntry(alpha, 32, holes)}) << alpha;

        QImage indexed(3, 2, QImage::Format_Indexed8);
        indexed.setColorTable({kRed, kGreen, kBlue});
        indexed.setPixel(0, 0, 0);
        indexed.setPixel(1, 0, 1);
        indexed.setPixel(2, 0, 2);
        indexed.setPixel(0, 1, 2);
        indexed.setPixel(1, 1, 1);
        indexed.setPixel(2, 1, 0);
        QImage indexedMasked = indexed.convertToFormat(QImage::Format_ARGB32);
        indexedMasked.setPixel(1, 1, kGreen & RGB_MASK);
        QTest::newRow("8 bits with mask")
            << icoFile({dibEntry(indexed, 8, {{1, 1}})}) << indexedMasked;

        // An entry cut off before its mask stays opaque.
        QByteArray noMask = dibEntry(opaque, 24, holes);
        noMask.chop(andMask(opaque.size(), holes).size());
        QTest::newRow("mask missing") << icoFile({noMask}) << opaque;
    }

    void transparency()
    {
        QFETCH(QByteArray, file);
        QFETCH(QImage, expected);

        const QImage image = decodeIco(file);
        QCOMPARE(image.format(), QImage::Format_ARGB32);
        QCOMPARE(maxChannelDifference(image, expected), 0);
    }

    void malformed_data()
    {
        QTest::addColumn<QByteArray>("file");

        const QByteArray good = icoFile({dibEntry(solid(4, kRed), 24)});
        auto patched = [&](int offset, QByteArray bytes) {
            QByteArray file = good;
            return file.replace(offset, bytes.size(), bytes);
        };
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("directory cut") << good.left(4);
        QTest::newRow("reserved set") << patched(0, QByteArray("\x01\x00", 2));
        QTest::newRow("type 3") << patched(2, QByteArray("\x03\x00", 2));
        QTest::newRow("no entries") << patched(4, QByteArray("\x00\x00", 2));
        QTest::newRow("offset past the end") << patched(18, QByteArray("\xff\xff\x00\x00", 4));
        QTest::newRow("entry size 0") << patched(14, QByteArray(4, '\0'));
        QTest::newRow("entry header cut") << good.left(6 + 16 + 20);
        // Height -8: a top-down icon, which cannot hold its mask the usual way.
        QTest::newRow("top-down entry") << patched(22 + 8, QByteArray("\xf8\xff\xff\xff", 4));
        QTest::newRow("entry over the caps") << patched(22 + 4, QByteArray("\x00\x00\x01\x00", 4));
        QTest::newRow("pixels cut") << good.left(good.size() - 40);

        QByteArray hugePng = pngEntry(solid(2, kRed));
        qToBigEndian(quint32(40000), hugePng.data() + 16);
        QTest::newRow("PNG over the caps") << icoFile({hugePng});
        QByteArray brokenPng = pngEntry(solid(2, kRed));
        brokenPng.truncate(40);
        QTest::newRow("PNG cut") << icoFile({brokenPng});
    }

    void malformed()
    {
        QFETCH(QByteArray, file);
        QVERIFY(decodeIco(file).isNull());
    }
};

REGISTER_TEST(IcoCodecTest);
#include "tst_IcoCodec.moc"
