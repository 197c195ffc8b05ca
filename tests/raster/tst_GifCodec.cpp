#include "TestRegistry.h"

#include "raster/GifCodec.h"

#include <QRandomGenerator>
#include <QtTest>

#include <gif_lib.h>

#include <memory>
#include <vector>

namespace {

// One image record of a test file; pixels are given top to bottom.
struct Frame {
    QRect rect;
    QList<uchar> pixels;
    QList<QRgb> localMap = {};
    bool interlaced = false;
    int transparent = -1;
};

struct Screen {
    QSize size;
    QList<QRgb> globalMap;
    int background = 0;
};

int appendBytes(GifFileType* gif, const GifByteType* data, int length)
{
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

struct MapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};
using MapPtr = std::unique_ptr<ColorMapObject, MapDeleter>;

MapPtr makeMap(const QList<QRgb>& colours)
{
    if (colours.isEmpty())
        return nullptr;
    std::vector<GifColorType> entries;
    for (QRgb c : colours)
        entries.push_back({GifByteType(qRed(c)), GifByteType(qGreen(c)), GifByteType(qBlue(c))});
    return MapPtr(GifMakeMapObject(int(entries.size()), entries.data()));
}

QList<int> rowOrder(int height, bool interlaced)
{
    QList<int> rows;
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.append(y);
        return rows;
    }
    const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass)
        for (int y = start[pass]; y < height; y += step[pass])
            rows.append(y);
    return rows;
}

// Writes a GIF with giflib so the decoder is checked against an independent encoder.
QByteArray writeGif(const Screen& screen, const QList<Frame>& frames)
{
    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, appendBytes, &error);
    if (!gif)
        return {};
    EGifSetGifVersion(gif, true);
    MapPtr global = makeMap(screen.globalMap);
    bool ok = EGifPutScreenDesc(gif, screen.size.width(), screen.size.height(), 8,
                                screen.background, global.get()) == GIF_OK;
    for (const Frame& frame : frames) {
        if (frame.transparent >= 0) {
            GraphicsControlBlock control{DISPOSAL_UNSPECIFIED, false, 0, frame.transparent};
            GifByteType bytes[4];
            EGifGCBToExtension(&control, bytes);
            ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, bytes) == GIF_OK;
        }
        MapPtr local = makeMap(frame.localMap);
        const QRect& r = frame.rect;
        ok = ok && EGifPutImageDesc(gif, r.x(), r.y(), r.width(), r.height(), frame.interlaced,
                                    local.get()) == GIF_OK;
        for (int y : rowOrder(r.height(), frame.interlaced)) {
            std::vector<GifPixelType> line(frame.pixels.begin() + y * r.width(),
                                           frame.pixels.begin() + (y + 1) * r.width());
            ok = ok && EGifPutLine(gif, line.data(), r.width()) == GIF_OK;
        }
    }
    EGifCloseFile(gif, &error);
    return ok ? out : QByteArray();
}

QList<QRgb> fourColours()
{
    return {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255)};
}

// The colours of an image as rows of QRgb, for comparisons that ignore palette layout.
QList<QRgb> coloursOf(const QImage& image)
{
    QList<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.append(image.pixel(x, y) | 0xFF000000u);
    return colours;
}

QImage randomIndexed(QSize size, int colours, quint32 seed)
{
    QImage image(size, QImage::Format_Indexed8);
    QRandomGenerator random(seed);
    QList<QRgb> palette;
    for (int i = 0; i < colours; ++i)
        palette.append(random.generate() | 0xFF000000u);
    image.setColorTable(palette);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.scanLine(y)[x] = uchar(random.bounded(colours));
    return image;
}

// Cuts the global map of a written file down to 2^bits entries (bits 0: no map at all),
// which giflib's encoder would not produce: the image data then holds indices beyond
// the map, or has no map.
QByteArray withGlobalMapCut(QByteArray gif, int bits)
{
    const int oldEntries = 1 << ((uchar(gif[10]) & 7) + 1);
    const int newEntries = bits == 0 ? 0 : 1 << bits;
    gif[10] = bits == 0 ? char(uchar(gif[10]) & 0x70) : char((uchar(gif[10]) & ~7) | (bits - 1));
    gif.remove(13 + 3 * newEntries, 3 * (oldEntries - newEntries));
    return gif;
}

} // namespace

class GifCodecTest : public QObject {
    Q_OBJECT

private slots:
    void roundTripIsExact_data();
    void roundTripIsExact();
    void colourImageIsQuantized();
    void decodesComposedFirstImage_data();
    void decodesComposedFirstImage();
    void rejectsBrokenFiles_data();
    void rejectsBrokenFiles();
};

void GifCodecTest::roundTripIsExact_data()
{
    QTest::addColumn<QImage>("image");
    QTest::newRow("1x1, one colour") << randomIndexed({1, 1}, 1, 1);
    QTest::newRow("two colours") << randomIndexed({3, 2}, 2, 2);
    QTest::newRow("five colours, odd size") << randomIndexed({17, 13}, 5, 3);
    QTest::newRow("256 colours") << randomIndexed({64, 48}, 256, 4);
    QTest::newRow("wide strip") << randomIndexed({1000, 1}, 200, 5);
}

void GifCodecTest::roundTripIsExact()
{
    QFETCH(QImage, image);
    const QByteArray gif = encodeGif(image);
    QVERIFY(gif.startsWith("GIF89a"));

    const QImage ours = decodeGif(gif);
    QCOMPARE(ours.format(), QImage::Format_Indexed8);
    QCOMPARE(ours.size(), image.size());
    QCOMPARE(coloursOf(ours), coloursOf(image));
    // Another reader must see the same picture.
    QCOMPARE(coloursOf(QImage::fromData(gif, "GIF")), coloursOf(image));
}

void GifCodecTest::colourImageIsQuantized()
{
    QImage image(40, 30, QImage::Format_RGB888);
    image.fill(qRgb(10, 200, 30));
    for (int x = 0; x < 40; ++x)
        image.setPixel(x, 7, qRgb(250, 240, 1));
    const QImage decoded = decodeGif(encodeGif(image));
    QCOMPARE(decoded.format(), QImage::Format_Indexed8);
    QCOMPARE(coloursOf(decoded), coloursOf(image));
}

void GifCodecTest::decodesComposedFirstImage_data()
{
    QTest::addColumn<QByteArray>("gif");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QList<QRgb>>("expected");

    const QList<QRgb> map = fourColours();
    const QRgb k = map[0], r = map[1], g = map[2], b = map[3];

    {
        // One distinct colour per row, so a wrong pass order shows.
        QList<QRgb> rowMap;
        QList<uchar> pixels;
        QList<QRgb> expected;
        for (int y = 0; y < 11; ++y) {
            rowMap.append(qRgb(y * 20, 255 - y * 20, y));
            for (int x = 0; x < 2; ++x) {
                pixels.append(uchar(y));
                expected.append(rowMap.last());
            }
        }
        while (rowMap.size() < 16)
            rowMap.append(qRgb(0, 0, 0));
        QTest::newRow("interlaced")
            << writeGif({{2, 11}, rowMap}, {{{0, 0, 2, 11}, pixels, {}, true}}) << QSize(2, 11)
            << expected;
    }
    QTest::newRow("first frame of an animation")
        << writeGif({{2, 2}, map}, {{{0, 0, 2, 2}, {1, 2, 3, 0}}, {{0, 0, 2, 2}, {3, 3, 3, 3}}})
        << QSize(2, 2) << QList<QRgb>{r, g, b, k};
    QTest::newRow("offset image over background")
        << writeGif({{4, 3}, map, 3}, {{{1, 1, 2, 1}, {1, 2}}}) << QSize(4, 3)
        << QList<QRgb>{b, b, b, b, b, r, g, b, b, b, b, b};
    QTest::newRow("image beyond the screen is clipped")
        << writeGif({{3, 2}, map}, {{{1, 1, 3, 2}, {1, 2, 3, 3, 2, 1}}}) << QSize(3, 2)
        << QList<QRgb>{k, k, k, k, r, g};
    QTest::newRow("image wholly off the screen")
        << writeGif({{2, 1}, map, 2}, {{{5, 5, 1, 1}, {1}}}) << QSize(2, 1) << QList<QRgb>{g, g};
    QTest::newRow("local map wins over the global one")
        << writeGif({{2, 1}, map}, {{{0, 0, 2, 1}, {0, 1}, {qRgb(9, 9, 9), qRgb(7, 8, 9)}}})
        << QSize(2, 1) << QList<QRgb>{qRgb(9, 9, 9), qRgb(7, 8, 9)};
    QTest::newRow("transparent pixels show the background")
        << writeGif({{3, 1}, map, 2}, {{{0, 0, 3, 1}, {1, 3, 1}, {}, false, 1}}) << QSize(3, 1)
        << QList<QRgb>{g, b, g};
    QTest::newRow("no colour map: grey ramp")
        << withGlobalMapCut(writeGif({{3, 1}, map}, {{{0, 0, 3, 1}, {0, 1, 3}}}), 0) << QSize(3, 1)
        << QList<QRgb>{qRgb(0, 0, 0), qRgb(1, 1, 1), qRgb(3, 3, 3)};
    QTest::newRow("index beyond the map reads as 0")
        << withGlobalMapCut(writeGif({{4, 1}, map}, {{{0, 0, 4, 1}, {0, 1, 2, 3}}}), 1)
        << QSize(4, 1) << QList<QRgb>{k, r, k, k};
}

void GifCodecTest::decodesComposedFirstImage()
{
    QFETCH(QByteArray, gif);
    QFETCH(QSize, size);
    QFETCH(QList<QRgb>, expected);
    QVERIFY(!gif.isEmpty());

    const QImage image = decodeGif(gif);
    QCOMPARE(image.format(), QImage::Format_Indexed8);
    QCOMPARE(image.size(), size);
    QCOMPARE(coloursOf(image), expected);
}

void GifCodecTest::rejectsBrokenFiles_data()
{
    QTest::addColumn<QByteArray>("gif");

    const QByteArray good =
        writeGif({{8, 8}, fourColours()}, {{{0, 0, 8, 8}, QList<uchar>(64, uchar(2))}});
    auto patched = [&good](int at, QByteArray bytes) {
        QByteArray copy = good;
        copy.replace(at, bytes.size(), bytes);
        return copy;
    };
    const int imageDescriptor = 13 + 12; // header, screen, four-entry map
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("signature only") << QByteArray("GIF89a");
    QTest::newRow("truncated screen") << good.left(10);
    QTest::newRow("truncated image data") << good.left(good.size() - 6);
    QTest::newRow("trailer without image") << good.left(imageDescriptor) + ';';
    QTest::newRow("zero-sized screen") << patched(6, QByteArray(4, '\0'));
    QTest::newRow("screen too wide") << patched(6, QByteArray("\xff\xff\x01\x00", 4));
    QTest::newRow("screen far beyond its data") << patched(6, QByteArray("\x80\x3e\x98\x3a", 4));
    QTest::newRow("zero-width image") << patched(imageDescriptor + 5, QByteArray(2, '\0'));
    QTest::newRow("huge image rectangle")
        << patched(imageDescriptor + 5, QByteArray("\xff\xff\xff\xff", 4));
    QTest::newRow("garbage after signature") << QByteArray("GIF89a") + QByteArray(200, '\xA5');
}

void GifCodecTest::rejectsBrokenFiles()
{
    QFETCH(QByteArray, gif);
    QVERIFY(decodeGif(gif).isNull());
}

REGISTER_TEST(GifCodecTest);
#include "tst_GifCodec.moc"
