#include "ExifTestSupport.h"
#include "TestRegistry.h"
#include "raster/ExifOrientation.h"

#include <QTest>

using namespace exif_test;

namespace {

const QByteArray kSoi("\xFF\xD8", 2);
const QByteArray kScan = segment(0xDA, QByteArray(10, '\0')) + QByteArray("\x12\x34\xFF\xD9", 4);

QByteArray jpegWith(const QByteArray& segments)
{
    return kSoi + segments + kScan;
}

// Rows separated by '/', one letter per pixel; 'a' is pixel value 10, 'b' 11, ...
QImage letterImage(const QString& rows, QImage::Format format)
{
    const QStringList lines = rows.split('/');
    QImage image(int(lines[0].size()), int(lines.size()), format);
    QList<QRgb> palette;
    for (int i = 0; i < 256; ++i)
        palette.append(qRgb(i, 255 - i, i / 2));
    if (format == QImage::Format_Indexed8)
        image.setColorTable(palette);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int value = 10 + lines[y][x].unicode() - 'a';
            if (format == QImage::Format_Indexed8)
                image.setPixel(x, y, uint(value));
            else
                image.setPixel(x, y, qRgb(value, value + 100, value + 200));
        }
    }
    return image;
}

} // namespace

class ExifOrientationTest : public QObject {
    Q_OBJECT

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("expected");

        for (int value = 1; value <= 8; ++value) {
            QTest::addRow("big-endian %d", value)
                << jpegWith(exifSegment(orientationTiff(value, true))) << value;
            QTest::addRow("little-endian %d", value)
                << jpegWith(exifSegment(orientationTiff(value, false))) << value;
        }
        const TiffEntry width{0x0100, kLong, 1, 4000};
        const TiffEntry six{kOrientation, kShort, 1, 6};
        QTest::newRow("tag after others")
            << jpegWith(exifSegment(tiffBlock(false, {width, {0x0110, 2, 40, 200}, six}))) << 6;
        QTest::newRow("after a JFIF and an XMP segment")
            << jpegWith(segment(0xE0, "JFIF") + segment(0xE1, "http://ns.adobe.com/xap/1.0/") +
                        exifSegment(orientationTiff(3, true)))
            << 3;
        QTest::newRow("fill bytes before the marker")
            << jpegWith(QByteArray("\xFF\xFF", 2) + exifSegment(orientationTiff(5, true))) << 5;
        QTest::newRow("IFD further into the block")
            << jpegWith(exifSegment(tiffBlock(true, {}, 12).left(8) + "pad." +
                                    orientationTiff(7, true).mid(8)))
            << 7;
        QTest::newRow("count larger than the entries present")
            << jpegWith(exifSegment(tiffBlock(true, {six}, 8, 0xFFFF))) << 6;

        QTest::newRow("empty") << QByteArray() << 1;
        QTest::newRow("not a JPEG") << QByteArray("GIF89a\xFF\xE1\x01\x10") << 1;
        QTest::newRow("no EXIF") << jpegWith(segment(0xE0, "JFIF")) << 1;
        QTest::newRow("zero") << jpegWith(exifSegment(orientationTiff(0, true))) << 1;
        QTest::newRow("nine") << jpegWith(exifSegment(orientationTiff(9, false))) << 1;
        QTest::newRow("long instead of short")
            << jpegWith(exifSegment(tiffBlock(true, {{kOrientation, kLong, 1, 6}}))) << 1;
        QTest::newRow("two values")
            << jpegWith(exifSegment(tiffBlock(true, {{kOrientation, kShort, 2, 6}}))) << 1;
        QTest::newRow("IFD offset past the end")
            << jpegWith(exifSegment(tiffBlock(true, {six}, 0xFFFFFFF0))) << 1;
        QTest::newRow("IFD offset at the last byte")
            << jpegWith(exifSegment(tiffBlock(true, {six}, 25))) << 1;
        QTest::newRow("entry cut short")
            << jpegWith(exifSegment(orientationTiff(6, true).left(18))) << 1;
        QTest::newRow("bad byte-order mark")
            << jpegWith(exifSegment(orientationTiff(6, true).replace(0, 2, "MI"))) << 1;
        QTest::newRow("bad magic number")
            << jpegWith(exifSegment(orientationTiff(6, false).replace(2, 1, "\x2b"))) << 1;
        QTest::newRow("segment longer than the file")
            << (kSoi + exifSegment(orientationTiff(6, true)).left(20)) << 1;
        QTest::newRow("segment length below two")
            << jpegWith(QByteArray("\xFF\xE1\0\x01", 4) + exifSegment(orientationTiff(6, true)))
            << 1;
        QTest::newRow("EXIF after the first scan")
            << (kSoi + kScan.chopped(2) + exifSegment(orientationTiff(6, true))) << 1;
        QTest::newRow("garbage between segments")
            << jpegWith(QByteArray("junk") + exifSegment(orientationTiff(6, true))) << 1;
    }

    void parse()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, expected);
        QCOMPARE(exifOrientation(data), expected);
    }

    void upright_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QString>("expected");

        // Stored as "abc/def"; each row is what the viewer should see.
        QTest::newRow("1 as stored") << 1 << "abc/def";
        QTest::newRow("2 mirrored") << 2 << "cba/fed";
        QTest::newRow("3 half turn") << 3 << "fed/cba";
        QTest::newRow("4 flipped") << 4 << "def/abc";
        QTest::newRow("5 transposed") << 5 << "ad/be/cf";
        QTest::newRow("6 quarter turn clockwise") << 6 << "da/eb/fc";
        QTest::newRow("7 transverse") << 7 << "fc/eb/da";
        QTest::newRow("8 quarter turn anticlockwise") << 8 << "cf/be/ad";
        QTest::newRow("out of range kept") << 9 << "abc/def";
    }

    void upright()
    {
        QFETCH(int, orientation);
        QFETCH(QString, expected);
        for (const QImage::Format format : {QImage::Format_Indexed8, QImage::Format_RGB888}) {
            const QImage result = uprightImage(letterImage("abc/def", format), orientation);
            QCOMPARE(result, letterImage(expected, format));
        }
    }

    // Tiles of 64 pixels: a picture larger than one tile and not a multiple of it.
    void uprightAcrossTiles()
    {
        QImage stored(150, 70, QImage::Format_RGB888);
        for (int y = 0; y < stored.height(); ++y)
            for (int x = 0; x < stored.width(); ++x)
                stored.setPixel(x, y, qRgb(x, y, (x * y) & 0xFF));
        QCOMPARE(uprightImage(stored, 6), stored.transformed(QTransform().rotate(90)));
        QCOMPARE(uprightImage(stored, 7),
                 stored.transformed(QTransform().rotate(90)).mirrored(false, true));
    }
};

REGISTER_TEST(ExifOrientationTest);
#include "tst_ExifOrientation.moc"
