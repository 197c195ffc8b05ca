#include "ByteWriter.h"
#include "PictureBytes.h"
#include "TestData.h"
#include "TestRegistry.h"

#include "common/Cp949.h"
#include "common/StreamError.h"
#include "effects/_NuvFrame.h"
#include "tools/nfrm-make/FrameFileWriter.h"

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

using picture_bytes::encoded;
using picture_bytes::filled;

namespace {

// A 60 × 60 frame picture whose nine 20-pixel squares each have their own colour, so every
// painted piece shows where it came from.
QImage ninePartPicture()
{
    QImage image = filled(60, 60, Qt::darkGreen);
    QPainter painter(&image);
    painter.fillRect(0, 0, 20, 20, Qt::red);
    painter.fillRect(40, 0, 20, 20, Qt::green);
    painter.fillRect(0, 40, 20, 20, Qt::blue);
    painter.fillRect(40, 40, 20, 20, Qt::yellow);
    painter.fillRect(20, 0, 20, 20, Qt::cyan);
    painter.fillRect(20, 40, 20, 20, Qt::magenta);
    painter.fillRect(0, 20, 20, 20, Qt::gray);
    painter.fillRect(40, 20, 20, 20, Qt::white);
    return image;
}

TNuvFrameHeader borderHeader(qint32 size)
{
    TNuvFrameHeader header;
    setBorder(header, size);
    return header;
}

TNuvFrame loadedFrame(const QByteArray& file)
{
    QByteArray bytes = file;
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    TNuvFrame frame;
    frame.LoadFromStream(stream);
    return frame;
}

QColor at(const RasterBitmap& bitmap, int x, int y)
{
    return bitmap.image().pixelColor(x, y);
}

// True when every pixel of the area has the colour.
bool allOf(const RasterBitmap& bitmap, const QRect& area, QColor colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (at(bitmap, x, y) != colour)
                return false;
    return true;
}

} // namespace

// Frames made by the frame maker's writer: header fields, titles, both edge modes and the
// paint order, the photo on top, and files that lie about everything.
class NuvFrameTest : public QObject {
    Q_OBJECT

private slots:
    void title_data()
    {
        QTest::addColumn<QByteArray>("titleBytes");
        QTest::addColumn<QString>("title");

        QTest::newRow("64 bytes without a zero") << QByteArray(64, 'x') << QString(64, 'x');
        QTest::newRow("three letters, zero, more") << QByteArray("abc\0xyz", 7) << "abc";
        QTest::newRow("empty") << QByteArray() << QString();
        QTest::newRow("Korean in CP949") << toCp949(u"사진 액자"_qs) << u"사진 액자"_qs;
        QTest::newRow("invalid CP949 byte") << QByteArray("a\xff"
                                                          "b")
                                            << u"a\uFFFDb"_qs;
    }

    void title()
    {
        QFETCH(QByteArray, titleBytes);
        QFETCH(QString, title);

        TNuvFrameHeader header;
        std::copy_n(titleBytes.constData(), titleBytes.size(), header.FrameTitle.begin());
        QTemporaryDir dir;
        const QString path = dir.filePath("title.nfrm");
        // Only the header: the title is read without the block.
        QVERIFY(test_data::writeFile(path, header.toBytes()));
        QCOMPARE(ReadFrameTitle(path), title);
        QCOMPARE(header.title(), title);
    }

    // Every field lands at its offset and comes back.
    void headerRoundTrip()
    {
        TNuvFrameHeader header = borderHeader(7);
        header.PhotoTop = -3;
        header.ExtraHeight = 123456;
        header.setTitle(u"금테 액자"_qs);
        const QByteArray bytes = header.toBytes();
        QCOMPARE(bytes.size(), 156);
        QCOMPARE(qFromLittleEndian<qint32>(bytes.constData() + 136), -3);
        QCOMPARE(qFromLittleEndian<qint32>(bytes.constData() + 144), 123456);
        TNuvFrameHeader back;
        back.fromBytes(bytes);
        QCOMPARE(back.toBytes(), bytes);
        QCOMPARE(back.title(), u"금테 액자"_qs);
    }

    void emptyFrameLeavesThePhoto()
    {
        TNuvFrame frame = loadedFrame(frameFile(TNuvFrameHeader(), encoded(ninePartPicture())));
        RasterBitmap composed;
        QVERIFY(frame.Compose(30, 20, composed));
        QCOMPARE(composed.bitsPerPixel(), 24);
        QVERIFY(allOf(composed, QRect(0, 0, 30, 20), Qt::black));

        const QImage picture = filled(30, 20, QColor(10, 200, 30));
        RasterBitmap photo(picture);
        QVERIFY(framePhoto(frame, photo));
        QCOMPARE(photo.image().convertToFormat(QImage::Format_RGB888), picture);
    }

    // The 20-pixel border around 100 × 100, stretched edges: corners, edges, photo centre.
    void borderAroundPhoto()
    {
        TNuvFrame frame = loadedFrame(frameFile(borderHeader(20), encoded(ninePartPicture())));
        RasterBitmap photo(filled(100, 100, QColor(1, 2, 3)));
        QVERIFY(framePhoto(frame, photo));
        QCOMPARE(photo.width(), 140);
        QCOMPARE(photo.height(), 140);
        QVERIFY(allOf(photo, QRect(0, 0, 20, 20), Qt::red));
        QVERIFY(allOf(photo, QRect(120, 0, 20, 20), Qt::green));
        QVERIFY(allOf(photo, QRect(0, 120, 20, 20), Qt::blue));
        QVERIFY(allOf(photo, QRect(120, 120, 20, 20), Qt::yellow));
        QVERIFY(allOf(photo, QRect(20, 0, 100, 20), Qt::cyan));
        QVERIFY(allOf(photo, QRect(20, 120, 100, 20), Qt::magenta));
        QVERIFY(allOf(photo, QRect(0, 20, 20, 100), Qt::gray));
        QVERIFY(allOf(photo, QRect(120, 20, 20, 100), Qt::white));
        QVERIFY(allOf(photo, QRect(20, 20, 100, 100), QColor(1, 2, 3)));
    }

    // A stretched tile is scaled over the whole span: two columns become two halves. A
    // 32-bit photo is framed as its 24-bit copy.
    void stretchedTileScales()
    {
        QImage picture = filled(2, 4, Qt::red);
        QPainter painter(&picture);
        painter.fillRect(1, 0, 1, 4, Qt::blue);
        painter.end();
        TNuvFrameHeader header;
        header.TopTileWidth = 2;
        header.TopHeight = 4;
        header.StretchEdges = 1;
        header.PhotoTop = 4;
        header.ExtraHeight = 4;
        TNuvFrame frame = loadedFrame(frameFile(header, encoded(picture)));
        QImage photoImage(100, 10, QImage::Format_ARGB32);
        photoImage.fill(QColor(9, 8, 7));
        RasterBitmap photo(photoImage);
        QVERIFY(framePhoto(frame, photo));
        QCOMPARE(photo.bitsPerPixel(), 24);
        QVERIFY(allOf(photo, QRect(0, 0, 50, 4), Qt::red));
        QVERIFY(allOf(photo, QRect(50, 0, 50, 4), Qt::blue));
        QVERIFY(allOf(photo, QRect(0, 4, 100, 10), QColor(9, 8, 7)));
    }

    // Edge pixels taken one by one (a stretch under twice, or tiles of two): every column
    // comes from the right place, up to the picture's last byte.
    void shortRunsTakeTheRightColumns_data()
    {
        QTest::addColumn<bool>("stretched");
        QTest::addColumn<int>("tileWidth");
        QTest::addColumn<int>("width");

        QTest::newRow("stretch 8 to 11, no line padding") << true << 8 << 11;
        QTest::newRow("stretch 7 to 12") << true << 7 << 12;
        QTest::newRow("tiles of 2") << false << 2 << 11;
    }

    void shortRunsTakeTheRightColumns()
    {
        QFETCH(bool, stretched);
        QFETCH(int, tileWidth);
        QFETCH(int, width);

        // Each column its own colour.
        QImage picture(tileWidth, 3, QImage::Format_RGB888);
        for (int x = 0; x < tileWidth; ++x)
            for (int y = 0; y < 3; ++y)
                picture.setPixelColor(x, y, QColor(10 + 30 * x, 200 - 20 * x, 7 * x + y));
        TNuvFrameHeader header;
        header.TopTileWidth = tileWidth;
        header.TopHeight = 3;
        header.StretchEdges = stretched ? 1 : 0;
        header.PhotoTop = 3;
        header.ExtraHeight = 3;
        TNuvFrame frame = loadedFrame(frameFile(header, encoded(picture)));
        RasterBitmap photo(filled(width, 2, QColor(9, 8, 7)));
        QVERIFY(framePhoto(frame, photo));
        for (int x = 0; x < width; ++x) {
            const int column = stretched ? (2 * x + 1) * tileWidth / (2 * width) : x % tileWidth;
            for (int y = 0; y < 3; ++y)
                QCOMPARE(at(photo, x, y), picture.pixelColor(column, y));
        }
        QVERIFY(allOf(photo, QRect(0, 3, width, 2), QColor(9, 8, 7)));
    }

    // Tiled top edge, TopLeftWidth 10, tile 30, TopRightWidth 10, W′ 100: copies at 10, 40
    // and 70; the last runs into the corner, which is painted after it.
    void tiledCopies_data()
    {
        QTest::addColumn<int>("tileWidth");
        QTest::addColumn<QList<int>>("markers");

        QTest::newRow("tile 30") << 30 << QList<int>{10, 40, 70};
        QTest::newRow("tile 0: edge stays black") << 0 << QList<int>{};
        QTest::newRow("negative tile: edge stays black") << -30 << QList<int>{};
        QTest::newRow("tile wider than the span") << 200 << QList<int>{10};
    }

    void tiledCopies()
    {
        QFETCH(int, tileWidth);
        QFETCH(QList<int>, markers);

        // Corners red and green, the tile cyan with an orange first column.
        QImage picture = filled(250, 10, Qt::cyan);
        QPainter painter(&picture);
        painter.fillRect(0, 0, 10, 10, Qt::red);
        painter.fillRect(240, 0, 10, 10, Qt::green);
        painter.fillRect(10, 0, 1, 10, QColor(255, 128, 0));
        painter.end();
        TNuvFrameHeader header;
        header.TopLeftWidth = header.TopLeftHeight = header.TopRightWidth = 10;
        header.TopRightHeight = header.TopHeight = 10;
        header.TopTileWidth = tileWidth;
        TNuvFrame frame = loadedFrame(frameFile(header, encoded(picture)));
        RasterBitmap composed;
        QVERIFY(frame.Compose(100, 20, composed));

        QVERIFY(allOf(composed, QRect(0, 0, 10, 10), Qt::red));
        QVERIFY(allOf(composed, QRect(90, 0, 10, 10), Qt::green));
        for (int x = 10; x < 90; ++x) {
            const QColor expected = markers.contains(x) ? QColor(255, 128, 0)
                                    : markers.isEmpty() ? QColor(Qt::black)
                                                        : QColor(Qt::cyan);
            QCOMPARE(at(composed, x, 5), expected);
        }
        QVERIFY(allOf(composed, QRect(0, 10, 100, 10), Qt::black));
    }

    // Where a piece's source runs past the picture nothing is laid, and those pixels are
    // black even when the memory held a brighter frame just before.
    void piecesPastThePictureLeaveBlack_data()
    {
        QTest::addColumn<bool>("stretched");
        QTest::addColumn<int>("blackFrom");
        QTest::addColumn<int>("blackTo");

        // The top tile [20, 100) of a 60-pixel-wide picture: its last 40 columns lie outside.
        QTest::newRow("stretched over 100") << true << 70 << 120;
        QTest::newRow("tiled from 20") << false << 60 << 100;
    }

    void piecesPastThePictureLeaveBlack()
    {
        QFETCH(bool, stretched);
        QFETCH(int, blackFrom);
        QFETCH(int, blackTo);

        TNuvFrameHeader header = borderHeader(20);
        {
            RasterBitmap bright;
            QVERIFY(loadedFrame(frameFile(header, encoded(filled(60, 60, Qt::white))))
                        .Compose(100, 100, bright));
        }
        header.TopTileWidth = 80;
        header.StretchEdges = stretched ? 1 : 0;
        RasterBitmap composed;
        QVERIFY(
            loadedFrame(frameFile(header, encoded(ninePartPicture()))).Compose(100, 100, composed));
        QVERIFY(allOf(composed, QRect(blackFrom, 0, blackTo - blackFrom, 20), Qt::black));
        QVERIFY(at(composed, blackFrom - 1, 10) != QColor(Qt::black));
        QVERIFY(allOf(composed, QRect(20, 20, 100, 100), Qt::black));
    }

    // The reserved bytes change nothing.
    void reservedBytesIgnored()
    {
        const QByteArray picture = encoded(ninePartPicture());
        QByteArray file = frameFile(borderHeader(20), picture);
        RasterBitmap plain;
        QVERIFY(loadedFrame(file).Compose(50, 40, plain));
        file.replace(0, 4, "\xff\xff\xff\xff");
        file.replace(152, 4, "\x01\x02\x03\x04");
        RasterBitmap changed;
        QVERIFY(loadedFrame(file).Compose(50, 40, changed));
        QCOMPARE(changed.image(), plain.image());
    }

    void loadFromFile()
    {
        QTemporaryDir dir;
        TNuvFrame frame;
        frame.LoadFromFile(dir.filePath("missing.nfrm"));
        QCOMPARE(frame.FrameHeader.toBytes(), QByteArray(156, '\0'));
        QVERIFY(!frame.FrameImage.IsLoaded());

        QVERIFY(QDir(dir.path()).mkdir("folder.nfrm"));
        QVERIFY_THROWS_EXCEPTION(StreamError, frame.LoadFromFile(dir.filePath("folder.nfrm")));
        QVERIFY_THROWS_EXCEPTION(StreamError, ReadFrameTitle(dir.filePath("folder.nfrm")));
        QVERIFY_THROWS_EXCEPTION(StreamError, ReadFrameTitle(dir.filePath("missing.nfrm")));

        const QString path = dir.filePath("good.nfrm");
        TNuvFrameHeader header = borderHeader(20);
        header.setTitle(u"흰 테두리"_qs);
        QVERIFY(test_data::writeFile(path, frameFile(header, encoded(ninePartPicture()))));
        frame.LoadFromFile(path);
        QCOMPARE(frame.FrameHeader.PhotoLeft, 20);
        QCOMPARE(frame.FrameImage.ImageWidth(), 60);
        QCOMPARE(ReadFrameTitle(path), u"흰 테두리"_qs);
    }

    // Whatever the file holds: no crash, a stream error at worst while reading, and a frame
    // of the expected size (black where nothing fits) or a refusal for absurd sizes.
    void hostileFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("cutShort");
        QTest::addColumn<QSize>("frameSize");

        const QByteArray picture = encoded(ninePartPicture());
        const QByteArray whole = frameFile(borderHeader(20), picture);
        const QSize bordered(90, 80);
        QByteArray lying = borderHeader(20).toBytes();
        ByteWriter(lying).u32(1'000'000);
        lying += picture;
        QByteArray negative = borderHeader(20).toBytes();
        ByteWriter(negative).u32(-1).u32(-7);

        QTest::newRow("empty file") << QByteArray() << true << QSize(50, 40);
        QTest::newRow("shorter than the header") << whole.left(100) << true << QSize(50, 40);
        QTest::newRow("header only") << whole.left(156) << true << bordered;
        QTest::newRow("cut inside the picture") << whole.chopped(30) << true << bordered;
        QTest::newRow("cut inside the mask length") << whole.chopped(2) << true << bordered;
        QTest::newRow("length larger than the file") << lying << true << bordered;
        QTest::newRow("negative lengths") << negative << false << bordered;
        QTest::newRow("undecodable picture")
            << frameFile(borderHeader(20), "no picture here") << false << bordered;
        QTest::newRow("1 x 1 picture")
            << frameFile(borderHeader(20), encoded(filled(1, 1, Qt::red))) << false << bordered;

        TNuvFrameHeader header = borderHeader(-20);
        header.ExtraWidth = header.ExtraHeight = 10;
        QTest::newRow("negative header values")
            << frameFile(header, picture) << false << QSize(60, 50);
        header = borderHeader(1'000'000'000);
        header.ExtraWidth = header.ExtraHeight = 40;
        QTest::newRow("header far larger than the picture")
            << frameFile(header, picture) << false << bordered;
        header.StretchEdges = 0;
        QTest::newRow("same, tiled") << frameFile(header, picture) << false << bordered;
        header = borderHeader(INT32_MIN);
        header.ExtraWidth = header.ExtraHeight = 0;
        header.TopTileWidth = header.LeftTileHeight = header.RightTileHeight = 1;
        header.BottomTileWidth = 1;
        header.StretchEdges = 0;
        QTest::newRow("one-pixel tiles from far away")
            << frameFile(header, picture) << false << QSize(50, 40);
        header = borderHeader(INT32_MAX);
        header.ExtraWidth = header.ExtraHeight = 0;
        QTest::newRow("largest values") << frameFile(header, picture) << false << QSize(50, 40);
        header = borderHeader(30);
        header.ExtraWidth = header.ExtraHeight = 0;
        QTest::newRow("W' smaller than the corners")
            << frameFile(header, picture) << false << QSize(50, 40);
        header = borderHeader(20);
        header.ExtraWidth = 2'000'000'000;
        QTest::newRow("absurd width") << frameFile(header, picture) << false << QSize();
        header.ExtraWidth = -50;
        QTest::newRow("nothing left of the width")
            << frameFile(header, picture) << false << QSize();
        header.ExtraWidth = INT32_MAX;
        header.ExtraHeight = INT32_MAX;
        QTest::newRow("int overflow") << frameFile(header, picture) << false << QSize();
    }

    void hostileFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, cutShort);
        QFETCH(QSize, frameSize);

        QByteArray bytes = file;
        QBuffer stream(&bytes);
        QVERIFY(stream.open(QIODevice::ReadOnly));
        TNuvFrame frame;
        bool threw = false;
        try {
            frame.LoadFromStream(stream);
        } catch (const StreamError&) {
            threw = true;
        }
        QCOMPARE(threw, cutShort);

        RasterBitmap composed;
        QCOMPARE(frame.Compose(50, 40, composed), frameSize.isValid());
        QCOMPARE(composed.isAllocated(), frameSize.isValid());
        if (frameSize.isValid())
            QCOMPARE(composed.image().size(), frameSize);
        if (!frame.FrameImage.IsLoaded() && frameSize.isValid())
            QVERIFY(allOf(composed, composed.image().rect(), Qt::black));

        RasterBitmap photo(filled(50, 40, Qt::white));
        QCOMPARE(framePhoto(frame, photo), frameSize.isValid());
        QCOMPARE(photo.image().size(), frameSize.isValid() ? frameSize : QSize(50, 40));
    }
};

REGISTER_TEST(NuvFrameTest);
#include "tst_NuvFrame.moc"
