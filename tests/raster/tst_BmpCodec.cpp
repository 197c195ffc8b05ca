#include "DibTestSupport.h"
#include "ImageCompare.h"
#include "PixelTestSupport.h"
#include "TestData.h"
#include "TestRegistry.h"

#include "raster/BmpCodec.h"

#include <QDir>
#include <QTest>

using namespace dib_test;
using image_compare::maxChannelDifference;
using pixel_test::indicesOf;
using namespace test_data;

namespace {

QImage suiteImage(const QString& name)
{
    return decodeBmp(readFile(bmpSuitePath(name)));
}

// Index i shows colour (i, 0, 255 - i), so every index is told apart from black.
QList<QRgb> rampColors(int count)
{
    QList<QRgb> colors;
    for (int i = 0; i < count; ++i)
        colors.append(qRgb(i, 0, 255 - i));
    return colors;
}

Dib rleDib(int bits, int width, int height, const QByteArray& codes)
{
    Dib dib;
    dib.width = width;
    dib.height = height;
    dib.bits = bits;
    dib.compression = bits == 8 ? 1 : 2;
    dib.colors = rampColors(1 << bits);
    dib.pixels = codes;
    return dib;
}

Dib plainDib(int bits, int width, int height, const QByteArray& pixels)
{
    Dib dib;
    dib.width = width;
    dib.height = height;
    dib.bits = bits;
    dib.pixels = pixels;
    return dib;
}

} // namespace

class BmpCodecTest : public QObject {
    Q_OBJECT

private slots:
    // Every good suite file, against the same picture in another layout or against Qt's
    // own reader. Tolerances allow for channels narrower than eight bits.
    void goodFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("reference"); // empty: Qt's reader of the same file
        QTest::addColumn<int>("tolerance");

        const QSize s(127, 64);
        const int indexed = QImage::Format_Indexed8;
        const int rgb = QImage::Format_RGB888;
        QTest::newRow("1 bit") << "g/pal1.bmp" << s << indexed << "" << 0;
        QTest::newRow("1 bit coloured") << "g/pal1bg.bmp" << s << indexed << "" << 0;
        QTest::newRow("1 bit inverted table")
            << "g/pal1wb.bmp" << s << indexed << "g/pal1.bmp" << 0;
        QTest::newRow("4 bits") << "g/pal4.bmp" << s << indexed << "" << 0;
        QTest::newRow("4 bits grey") << "g/pal4gs.bmp" << s << indexed << "" << 0;
        QTest::newRow("RLE4") << "g/pal4rle.bmp" << s << indexed << "g/pal4.bmp" << 0;
        QTest::newRow("8 bits") << "g/pal8.bmp" << s << indexed << "" << 0;
        QTest::newRow("8 bits, colours used 0")
            << "g/pal8-0.bmp" << s << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("8 bits grey") << "g/pal8gs.bmp" << s << indexed << "" << 0;
        QTest::newRow("8 bits half height")
            << "g/pal8nonsquare.bmp" << QSize(127, 32) << indexed << "" << 0;
        QTest::newRow("OS/2 1.x") << "g/pal8os2.bmp" << s << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("RLE8") << "g/pal8rle.bmp" << s << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("top-down") << "g/pal8topdown.bmp" << s << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("V4 header") << "g/pal8v4.bmp" << s << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("V5 header") << "g/pal8v5.bmp" << s << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("width 124") << "g/pal8w124.bmp" << QSize(124, 61) << indexed << "" << 0;
        QTest::newRow("width 125") << "g/pal8w125.bmp" << QSize(125, 62) << indexed << "" << 0;
        QTest::newRow("width 126") << "g/pal8w126.bmp" << QSize(126, 63) << indexed << "" << 0;
        // Five and six-bit channels scaled to the full range stay within half a step.
        QTest::newRow("16 bits 555") << "g/rgb16.bmp" << s << rgb << "g/rgb24.bmp" << 4;
        QTest::newRow("16 bits default fields")
            << "g/rgb16bfdef.bmp" << s << rgb << "g/rgb16.bmp" << 0;
        QTest::newRow("16 bits 565") << "g/rgb16-565.bmp" << s << rgb << "g/rgb24.bmp" << 4;
        QTest::newRow("16 bits 565, table")
            << "g/rgb16-565pal.bmp" << s << rgb << "g/rgb16-565.bmp" << 0;
        QTest::newRow("24 bits") << "g/rgb24.bmp" << s << rgb << "" << 0;
        QTest::newRow("24 bits, table") << "g/rgb24pal.bmp" << s << rgb << "g/rgb24.bmp" << 0;
        QTest::newRow("32 bits") << "g/rgb32.bmp" << s << rgb << "g/rgb24.bmp" << 0;
        QTest::newRow("32 bits fields") << "g/rgb32bf.bmp" << s << rgb << "g/rgb24.bmp" << 0;
        QTest::newRow("32 bits default fields")
            << "g/rgb32bfdef.bmp" << s << rgb << "g/rgb24.bmp" << 0;
    }

    void goodFiles()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        QFETCH(int, format);
        QFETCH(QString, reference);
        QFETCH(int, tolerance);

        const QImage image = suiteImage(file);
        QCOMPARE(image.size(), size);
        QCOMPARE(int(image.format()), format);
        const QImage expected = reference.isEmpty()
                                    ? QImage::fromData(readFile(bmpSuitePath(file)), "BMP")
                                    : suiteImage(reference);
        QVERIFY(!expected.isNull());
        QCOMPARE(maxChannelDifference(image, expected), tolerance);
    }

    // Unusual files we choose to read, and the ones we refuse.
    void questionableFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("format"); // Format_Invalid: refused
        QTest::addColumn<QString>("reference");
        QTest::addColumn<int>("tolerance");

        const int indexed = QImage::Format_Indexed8;
        const int rgb = QImage::Format_RGB888;
        const int argb = QImage::Format_ARGB32;
        const int refused = QImage::Format_Invalid;
        QTest::newRow("pixels after a gap") << "q/pal8offs.bmp" << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("OS/2 1.x short table") << "q/pal8os2sp.bmp" << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("OS/2 1.x odd sizes") << "q/pal8os2-sz.bmp" << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("OS/2 1.x header size") << "q/pal8os2-hs.bmp" << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("OS/2 2.x") << "q/pal8os2v2.bmp" << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("OS/2 2.x 16 bytes") << "q/pal8os2v2-16.bmp" << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("OS/2 2.x 40 bytes")
            << "q/pal8os2v2-40sz.bmp" << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("OS/2 2.x odd sizes") << "q/pal8os2v2-sz.bmp" << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("300 colours") << "q/pal8oversizepal.bmp" << indexed << "g/pal8.bmp" << 0;
        QTest::newRow("2 bits") << "q/pal2.bmp" << indexed << "" << 0;
        QTest::newRow("24 bits, long table") << "q/rgb24largepal.bmp" << rgb << "g/rgb24.bmp" << 0;
        QTest::newRow("24 bits, profile") << "q/rgb24prof.bmp" << rgb << "g/rgb24.bmp" << 0;
        QTest::newRow("24 bits, linked profile") << "q/rgb24lprof.bmp" << rgb << "g/rgb24.bmp" << 0;
        QTest::newRow("32 bits xBGR") << "q/rgb32-xbgr.bmp" << rgb << "g/rgb24.bmp" << 0;
        QTest::newRow("32 bits, fourth byte set")
            << "q/rgb32fakealpha.bmp" << rgb << "g/rgb24.bmp" << 0;
        QTest::newRow("32 bits, 52-byte header") << "q/rgb32h52.bmp" << rgb << "g/rgb24.bmp" << 0;
        QTest::newRow("32 bits, 11-bit channels")
            << "q/rgb32-111110.bmp" << rgb << "g/rgb24.bmp" << 1;
        QTest::newRow("32 bits, 18-bit green") << "q/rgb32-7187.bmp" << rgb << "g/rgb24.bmp" << 1;
        QTest::newRow("16 bits, fourth bit set")
            << "q/rgb16faketrns.bmp" << rgb << "g/rgb16.bmp" << 0;
        QTest::newRow("alpha") << "q/rgba32-1.bmp" << argb << "" << 0;
        QTest::newRow("alpha, other order") << "q/rgba32-2.bmp" << argb << "q/rgba32-1.bmp" << 0;
        QTest::newRow("alpha bit fields") << "q/rgba32abf.bmp" << argb << "q/rgba32-1.bmp" << 0;
        QTest::newRow("alpha, 56-byte header")
            << "q/rgba32h56.bmp" << argb << "q/rgba32-1.bmp" << 0;
        QTest::newRow("alpha 8.12.8.4") << "q/rgba32-81284.bmp" << argb << "q/rgba32-1.bmp" << 17;
        QTest::newRow("alpha 16 bits 4444") << "q/rgba16-4444.bmp" << argb << "q/rgba32-1.bmp" << 8;
        QTest::newRow("Huffman") << "q/pal1huffmsb.bmp" << refused << "" << 0;
        QTest::newRow("embedded JPEG") << "q/rgb24jpeg.bmp" << refused << "" << 0;
        QTest::newRow("embedded PNG") << "q/rgb24png.bmp" << refused << "" << 0;
        QTest::newRow("RLE24") << "q/rgb24rle24.bmp" << refused << "" << 0;
        QTest::newRow("64 bits") << "q/rgba64.bmp" << refused << "" << 0;
    }

    void questionableFiles()
    {
        QFETCH(QString, file);
        QFETCH(int, format);
        QFETCH(QString, reference);
        QFETCH(int, tolerance);

        const QImage image = suiteImage(file);
        QCOMPARE(int(image.format()), format);
        if (image.isNull())
            return;
        QCOMPARE(image.size(), QSize(127, 64));
        if (!reference.isEmpty())
            QVERIFY(maxChannelDifference(image, suiteImage(reference)) <= tolerance);
    }

    // Colours checked one by one where a reference picture does not exist.
    void knownPixels_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QRgb>("expected");

        QTest::newRow("24 bits top left") << "g/rgb24.bmp" << QPoint(0, 0) << qRgb(255, 0, 0);
        QTest::newRow("24 bits top right") << "g/rgb24.bmp" << QPoint(126, 0) << 0xff9f9fbdu;
        QTest::newRow("1 bit colour 0") << "g/pal1bg.bmp" << QPoint(0, 63) << 0xff4040ffu;
        QTest::newRow("1 bit colour 1") << "g/pal1bg.bmp" << QPoint(0, 0) << 0xff40ff40u;
        QTest::newRow("2 bits") << "q/pal2color.bmp" << QPoint(126, 63) << 0xffff0000u;
        QTest::newRow("5 bits scaled") << "g/rgb16.bmp" << QPoint(126, 0) << 0xff9c9cbdu;
        QTest::newRow("6 bits scaled") << "g/rgb16-565.bmp" << QPoint(126, 0) << 0xff9c9ebdu;
        QTest::newRow("transparent") << "q/rgba32-1.bmp" << QPoint(64, 32) << 0x00ff0000u;
        QTest::newRow("2-bit alpha") << "q/rgba32-1010102.bmp" << QPoint(64, 32) << 0x00ff0000u;
        QTest::newRow("10-bit opaque") << "q/rgba32-1010102.bmp" << QPoint(126, 0) << 0xff9f9fbdu;
        QTest::newRow("1-bit alpha") << "q/rgba16-5551.bmp" << QPoint(64, 32) << 0x00ffffffu;
        // Pixels that RLE skips take colour 0 of the table.
        QTest::newRow("RLE skipped") << "q/pal8rletrns.bmp" << QPoint(64, 32) << 0xff8000ffu;
        QTest::newRow("RLE4 skipped") << "q/pal4rletrns.bmp" << QPoint(64, 32) << 0xff8000ffu;
        QTest::newRow("index past the table")
            << "b/pal8badindex.bmp" << QPoint(8, 0) << 0xff000000u;
    }

    void knownPixels()
    {
        QFETCH(QString, file);
        QFETCH(QPoint, point);
        QFETCH(QRgb, expected);

        const QImage image = suiteImage(file);
        QVERIFY(image.valid(point));
        QCOMPARE(image.pixel(point), expected);
    }

    // Every questionable and bad file: refused where it must be, otherwise no larger than
    // the suite's pictures (and no crash on the way).
    void hostileSuiteFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("mustFail");

        const QStringList refused = {"b/badbitcount.bmp", "b/badheadersize.bmp", "b/badwidth.bmp",
                                     "b/reallybig.bmp",   "b/rletopdown.bmp",    "b/shortfile.bmp"};
        for (const QString folder : {"q", "b"}) {
            const QStringList names = QDir(bmpSuitePath(folder)).entryList({"*.bmp"}, QDir::Files);
            for (const QString& name : names) {
                const QString file = folder + "/" + name;
                QTest::newRow(qPrintable(file)) << file << refused.contains(file);
            }
        }
    }

    void hostileSuiteFiles()
    {
        // Without the suite the table is empty (the data function has said which folder is
        // missing) and QFETCH would abort the whole run.
        if (!QTest::currentDataTag())
            QFAIL("no bitmap suite files to read");
        QFETCH(QString, file);
        QFETCH(bool, mustFail);

        const QImage image = suiteImage(file);
        if (mustFail)
            QVERIFY(image.isNull());
        if (!image.isNull())
            QVERIFY(image.width() <= 127 && image.height() <= 64);
    }

    // Run-length codes, read bottom-up: runs, literals (padded to two bytes), end of line,
    // delta, end of bitmap, and what happens at and past the edges.
    void rle_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QByteArray>("codes");
        QTest::addColumn<QByteArray>("indices"); // top row first

        QTest::newRow("runs, end of line")
            << 8 << QSize(4, 2) << bytes({2, 5, 2, 6, 0, 0, 4, 7, 0, 1})
            << bytes({7, 7, 7, 7, 5, 5, 6, 6});
        QTest::newRow("odd literal padded")
            << 8 << QSize(4, 1) << bytes({0, 3, 1, 2, 3, 0, 1, 9, 0, 1}) << bytes({1, 2, 3, 9});
        QTest::newRow("delta skips") << 8 << QSize(4, 2) << bytes({1, 9, 0, 2, 2, 1, 1, 8, 0, 1})
                                     << bytes({0, 0, 0, 8, 9, 0, 0, 0});
        QTest::newRow("run clipped at the edge")
            << 8 << QSize(3, 2) << bytes({5, 4, 0, 1}) << bytes({0, 0, 0, 4, 4, 4});
        QTest::newRow("literal clipped at the edge")
            << 8 << QSize(2, 2) << bytes({0, 4, 1, 2, 3, 4, 1, 7, 0, 1}) << bytes({0, 0, 1, 2});
        QTest::newRow("delta past the edge")
            << 8 << QSize(3, 2) << bytes({1, 1, 0, 2, 200, 0, 1, 2, 0, 0, 1, 3})
            << bytes({3, 0, 0, 1, 0, 0});
        QTest::newRow("delta below the last row")
            << 8 << QSize(2, 2) << bytes({0, 2, 0, 9, 2, 5}) << bytes({0, 0, 0, 0});
        QTest::newRow("early end of bitmap")
            << 8 << QSize(2, 2) << bytes({2, 1, 0, 1, 2, 2}) << bytes({0, 0, 1, 1});
        QTest::newRow("no end of bitmap")
            << 8 << QSize(2, 2) << bytes({2, 3}) << bytes({0, 0, 3, 3});
        QTest::newRow("literal cut short")
            << 8 << QSize(3, 1) << bytes({1, 6, 0, 4, 1}) << bytes({6, 0, 0});
        QTest::newRow("more lines than the height")
            << 8 << QSize(1, 2) << bytes({1, 1, 0, 0, 1, 2, 0, 0, 1, 3, 0, 0}) << bytes({2, 1});
        QTest::newRow("RLE4 run alternates")
            << 4 << QSize(5, 1) << bytes({5, 0x12, 0, 1}) << bytes({1, 2, 1, 2, 1});
        QTest::newRow("RLE4 odd literal padded")
            << 4 << QSize(4, 1) << bytes({0, 3, 0x34, 0x50, 1, 0xf0, 0, 1}) << bytes({3, 4, 5, 15});
        QTest::newRow("RLE4 literal of five")
            << 4 << QSize(6, 1) << bytes({0, 5, 0x12, 0x34, 0x50, 0, 1, 0x60})
            << bytes({1, 2, 3, 4, 5, 6});
    }

    void rle()
    {
        QFETCH(int, bits);
        QFETCH(QSize, size);
        QFETCH(QByteArray, codes);
        QFETCH(QByteArray, indices);

        const QImage image = decodeBmp(bmpFile(rleDib(bits, size.width(), size.height(), codes)));
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QCOMPARE(image.size(), size);
        QCOMPARE(indicesOf(image), indices);
    }

    // Headers that lie or that we do not read: refused before any pixel is allocated.
    void malformed_data()
    {
        QTest::addColumn<QByteArray>("file");

        const QByteArray row = bytes({1, 2, 3, 4});
        const Dib good = plainDib(8, 4, 1, row);
        auto with = [&](auto change) {
            Dib dib = good;
            change(dib);
            return bmpFile(dib);
        };
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("file header only") << bmpFile(good).left(14);
        QTest::newRow("no signature") << QByteArray("XX") + bmpFile(good).mid(2);
        QTest::newRow("info header cut") << bmpFile(good).left(30);
        QTest::newRow("header size 8") << with([](Dib& d) { d.headerSize = 8; });
        QTest::newRow("header size 100") << with([](Dib& d) { d.headerSize = 100; });
        QByteArray hugeHeader = bmpFile(good);
        qToLittleEndian(quint32(0x7fffffff), hugeHeader.data() + 14);
        QTest::newRow("header size 2 GB") << hugeHeader;
        QTest::newRow("width 0") << with([](Dib& d) { d.width = 0; });
        QTest::newRow("height 0") << with([](Dib& d) { d.height = 0; });
        QTest::newRow("width negative") << with([](Dib& d) { d.width = -4; });
        QTest::newRow("side over the cap") << with([](Dib& d) { d.width = 40000; });
        QTest::newRow("area over the cap") << with([](Dib& d) {
            d.width = 30000;
            d.height = 30000;
        });
        QTest::newRow("most negative height") << with([](Dib& d) { d.height = -0x80000000LL; });
        QTest::newRow("3 bits") << with([](Dib& d) { d.bits = 3; });
        QTest::newRow("0 bits") << with([](Dib& d) { d.bits = 0; });
        QTest::newRow("RLE8 at 4 bits") << with([](Dib& d) {
            d.bits = 4;
            d.compression = 1;
        });
        QTest::newRow("RLE4 at 8 bits") << with([](Dib& d) { d.compression = 2; });
        QTest::newRow("bit fields at 8 bits") << with([](Dib& d) { d.compression = 3; });
        QTest::newRow("JPEG inside") << with([](Dib& d) { d.compression = 4; });
        QTest::newRow("unknown compression") << with([](Dib& d) { d.compression = 0x7fffffff; });
        QTest::newRow("RLE top-down") << bmpFile(rleDib(8, 2, -2, bytes({0, 1})));
        QTest::newRow("bit fields cut off") << with([](Dib& d) {
            d.bits = 16;
            d.compression = 3;
            d.masks = {0xf800, 0x07e0};
            d.pixels.clear();
        });
        QTest::newRow("OS/2 Huffman") << with([](Dib& d) {
            d.headerSize = 64;
            d.bits = 1;
            d.compression = 3;
        });
        QTest::newRow("pixels one byte short") << with([](Dib& d) { d.pixels.chop(1); });
        QTest::newRow("pixel offset past the end") << bmpFile(good, 100000);
        QTest::newRow("pixel offset 4 GB") << bmpFile(good, 0xffffffffLL);
        QTest::newRow("24 bits, rows short") << bmpFile(plainDib(24, 2, 2, QByteArray(10, 'x')));
    }

    void malformed()
    {
        QFETCH(QByteArray, file);
        QVERIFY(decodeBmp(file).isNull());
    }

    // Sound pictures in layouts that a strict reader might refuse.
    void lenientLayouts_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("format");
        QTest::addColumn<QList<QRgb>>("pixels"); // top row first

        const QRgb red = qRgb(255, 0, 0);
        const QRgb blue = qRgb(0, 0, 255);
        const QRgb black = qRgb(0, 0, 0);

        Dib indexed = plainDib(8, 3, 1, bytes({0, 1, 7, 0}));
        indexed.colors = {red, blue};
        QTest::newRow("index past the table shows black")
            << bmpFile(indexed) << int(QImage::Format_Indexed8) << QList<QRgb>{red, blue, black};
        QTest::newRow("pixel offset 0")
            << bmpFile(indexed, 0) << int(QImage::Format_Indexed8) << QList<QRgb>{red, blue, black};
        Dib unpadded = plainDib(8, 3, 2, bytes({1, 1, 1, 0, 0, 1, 0}));
        unpadded.colors = {red, blue};
        QTest::newRow("last row without padding")
            << bmpFile(unpadded) << int(QImage::Format_Indexed8)
            << QList<QRgb>{red, blue, red, blue, blue, blue};
        // The offset says the table holds one colour although the header says two.
        Dib shortTable = indexed;
        shortTable.pixels = bytes({1, 0, 0, 0});
        QTest::newRow("table cut by the pixel offset")
            << bmpFile(shortTable, 14 + 40 + 4).remove(14 + 40 + 4, 4)
            << int(QImage::Format_Indexed8) << QList<QRgb>{black, red, red};
        Dib colorsUsedHuge = indexed;
        colorsUsedHuge.colorsUsed = 0x7fffffff;
        QTest::newRow("colours used 2 G") << bmpFile(colorsUsedHuge) << int(QImage::Format_Indexed8)
                                          << QList<QRgb>{red, blue, black};
        Dib bits1 = plainDib(1, 10, 1, bytes({0xa5, 0x80, 0, 0}));
        bits1.colors = {black, red};
        QTest::newRow("1 bit, most significant first")
            << bmpFile(bits1) << int(QImage::Format_Indexed8)
            << QList<QRgb>{red, black, red, black, black, red, black, red, red, black};

        Dib zeroAlpha = plainDib(32, 2, 1, bytes({0, 0, 255, 0, 255, 0, 0, 0}));
        zeroAlpha.headerSize = 56;
        zeroAlpha.compression = 3;
        zeroAlpha.masks = {0xff0000, 0xff00, 0xff, 0xff000000};
        QTest::newRow("alpha mask, every alpha zero")
            << bmpFile(zeroAlpha) << int(QImage::Format_RGB888) << QList<QRgb>{red, blue};
        Dib someAlpha = zeroAlpha;
        someAlpha.pixels = bytes({0, 0, 255, 128, 255, 0, 0, 0});
        QTest::newRow("alpha mask, alpha used")
            << bmpFile(someAlpha) << int(QImage::Format_ARGB32)
            << QList<QRgb>{qRgba(255, 0, 0, 128), qRgba(0, 0, 255, 0)};
        Dib noMaskAlpha = zeroAlpha;
        noMaskAlpha.headerSize = 40;
        noMaskAlpha.compression = 0;
        noMaskAlpha.masks = {};
        noMaskAlpha.pixels = someAlpha.pixels;
        QTest::newRow("plain 32 bits ignore the fourth byte")
            << bmpFile(noMaskAlpha) << int(QImage::Format_RGB888) << QList<QRgb>{red, blue};
        Dib fields = plainDib(16, 2, 1, bytes({0x00, 0xf8, 0x1f, 0x00}));
        fields.compression = 3;
        fields.masks = {0xf800, 0x07e0, 0x001f};
        QTest::newRow("16-bit fields after a 40-byte header")
            << bmpFile(fields) << int(QImage::Format_RGB888) << QList<QRgb>{red, blue};
        Dib alphaFields = plainDib(32, 1, 1, bytes({0, 0, 255, 64}));
        alphaFields.compression = 6;
        alphaFields.masks = {0xff0000, 0xff00, 0xff, 0xff000000};
        QTest::newRow("four fields after a 40-byte header")
            << bmpFile(alphaFields) << int(QImage::Format_ARGB32)
            << QList<QRgb>{qRgba(255, 0, 0, 64)};
    }

    void lenientLayouts()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, format);
        QFETCH(QList<QRgb>, pixels);

        const QImage image = decodeBmp(file);
        QCOMPARE(int(image.format()), format);
        QList<QRgb> actual;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                actual.append(image.pixel(x, y));
        QCOMPARE(actual, pixels);
    }

    // What we write reads back pixel for pixel, by our reader and by Qt's.
    void roundTrip_data()
    {
        QTest::addColumn<QImage>("image");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("decodedFormat");

        QList<QRgb> palette;
        for (int i = 0; i < 256; ++i)
            palette.append(qRgb(i, (i * 7) % 256, 255 - i));
        const int indexed = QImage::Format_Indexed8;
        const int rgb = QImage::Format_RGB888;
        for (const int width : {1, 2, 3, 5, 127}) {
            QTest::addRow("8 bits, width %d", width)
                << pixel_test::indexedImage(width, 3, palette) << 8 << indexed;
            QTest::addRow("24 bits, width %d", width)
                << pixel_test::noiseImage(width, 3, width) << 24 << rgb;
            QTest::addRow("32 bits, width %d", width)
                << pixel_test::noiseImage(width, 3, width + 1, QImage::Format_RGB32) << 32 << rgb;
        }
        QTest::newRow("8 bits, 5 colours")
            << pixel_test::indexedImage(7, 2, palette.mid(0, 5)) << 8 << indexed;
        QTest::newRow("ARGB32 opaque")
            << pixel_test::noiseImage(4, 4, 9, QImage::Format_ARGB32) << 32 << rgb;
        QTest::newRow("grey converted to 8 bits")
            << pixel_test::noiseImage(6, 2, 3).convertToFormat(QImage::Format_Grayscale8) << 8
            << indexed;
    }

    void roundTrip()
    {
        QFETCH(QImage, image);
        QFETCH(int, bits);
        QFETCH(int, decodedFormat);

        const QByteArray file = encodeBmp(image);
        QCOMPARE(qFromLittleEndian<quint16>(file.constData() + 28), quint16(bits));
        const qint64 stride = (qint64(image.width()) * bits + 31) / 32 * 4;
        const qint64 table = bits == 8 ? 4 * image.colorCount() : 0;
        if (image.format() != QImage::Format_Grayscale8)
            QCOMPARE(file.size(), 54 + table + stride * image.height());

        const QImage decoded = decodeBmp(file);
        QCOMPARE(int(decoded.format()), decodedFormat);
        QCOMPARE(maxChannelDifference(decoded, image), 0);
        QCOMPARE(maxChannelDifference(QImage::fromData(file, "BMP"), image), 0);
    }

    void encodeRefusesNull() { QVERIFY(encodeBmp(QImage()).isEmpty()); }
};

REGISTER_TEST(BmpCodecTest);
#include "tst_BmpCodec.moc"
