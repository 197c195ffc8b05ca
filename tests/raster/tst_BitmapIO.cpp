#include "ByteWriter.h"
#include "HostileFileSupport.h"
#include "ImageCompare.h"
#include "TestData.h"
#include "TestRegistry.h"

#include "raster/BitmapIO.h"
#include "raster/ColorQuantizer.h"
#include "raster/GifCodec.h"
#include "raster/PcxCodec.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdlib>
#include <optional>
#include <sys/resource.h>
#include <unistd.h>

using hostile::crc32;
using image_compare::meanAbsDifference;
using namespace test_data;

namespace {

QByteArray writtenByQt(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    return writer.write(image) ? bytes : QByteArray();
}

QImage smallColourPicture()
{
    QImage image(24, 16, QImage::Format_RGB888);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 24; ++x)
            image.setPixel(x, y, qRgb(x * 10, y * 15, (x + y) * 5));
    return image;
}

void putBigEndian(QByteArray& bytes, int at, quint32 value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char(value >> (24 - 8 * i));
}

// A PNG whose header claims the given size (with a valid checksum) over tiny data.
QByteArray pngClaiming(quint32 width, quint32 height)
{
    QByteArray png = writtenByQt(smallColourPicture(), "png");
    putBigEndian(png, 16, width);
    putBigEndian(png, 20, height);
    putBigEndian(png, 29, crc32(QByteArrayView(png).sliced(12, 17)));
    return png;
}

// A 24-bit bitmap header whose length fields claim 2 GB, over a few bytes of pixels.
QByteArray bmpClaiming2GB(quint32 width, quint32 height)
{
    QByteArray bmp("BM");
    ByteWriter(bmp)
        .u32(0x80000000u)
        .u32(0)
        .u32(54)
        .u32(40)
        .u32(width)
        .u32(height)
        .u16(1)
        .u16(24)
        .u32(0)
        .u32(0x80000000u);
    bmp.append(QByteArray(54 - bmp.size(), '\0'));
    return bmp + QByteArray(64, '\x40');
}

// Caps the size of files this process writes while it lives, so that a write fails
// part-way as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_oldHandler)(int) = nullptr;
};

QStringList entriesOf(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

} // namespace

class BitmapIOTest : public QObject {
    Q_OBJECT

private slots:
    void detectsFormatByContent_data();
    void detectsFormatByContent();
    void convertsToAskedDepth_data();
    void convertsToAskedDepth();
    void savedFilesReadBack_data();
    void savedFilesReadBack();
    void failedSaveKeepsOldFile_data();
    void failedSaveKeepsOldFile();
    void badFilesFailAndLeaveBitmapEmpty_data();
    void badFilesFailAndLeaveBitmapEmpty();
    void photosOpenOnWhite_data();
    void photosOpenOnWhite();
    void loadsLeaveTheReaderLimitAlone();
};

void BitmapIOTest::detectsFormatByContent_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("misleadingName");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("bitsPerPixel");

    const QImage colour = smallColourPicture();
    QImage withAlpha = colour.convertToFormat(QImage::Format_ARGB32);
    withAlpha.setPixel(0, 0, qRgba(0, 0, 0, 0));

    QTest::newRow("JPEG") << readTestData("portrait.jpg") << "photo.bmp" << QSize(512, 512) << 24;
    QTest::newRow("grey JPEG") << readTestData("grey-halves.jpg") << "grey.gif" << QSize(32, 8)
                               << 8;
    QTest::newRow("PNG") << readTestData("portrait.png") << "photo.jpg" << QSize(512, 512) << 24;
    QTest::newRow("GIF") << encodeGif(colour) << "picture.png" << QSize(24, 16) << 8;
    QTest::newRow("BMP") << readTestData("bmpsuite/g/rgb24.bmp") << "picture.jpg" << QSize(127, 64)
                         << 24;
    QTest::newRow("ICO") << writtenByQt(withAlpha, "ico") << "icon.bmp" << QSize(24, 16) << 32;
    QTest::newRow("PCX 8") << encodePcx(quantizeTo8(colour)) << "picture.gif" << QSize(24, 16) << 8;
    QTest::newRow("PCX 24") << encodePcx(colour) << "picture.ico" << QSize(24, 16) << 24;
    QTest::newRow("HEIF") << readTestData("quadrants.heic") << "picture.jpg" << QSize(64, 48) << 24;
    QTest::newRow("TIFF") << writtenByQt(colour, "tiff") << "picture.png" << QSize(24, 16) << 24;
    QTest::newRow("WebP") << writtenByQt(withAlpha, "webp") << "picture.bmp" << QSize(24, 16) << 32;
}

void BitmapIOTest::detectsFormatByContent()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, misleadingName);
    QFETCH(QSize, size);
    QFETCH(int, bitsPerPixel);
    QVERIFY(!bytes.isEmpty());

    QTemporaryDir dir;
    const QString path = dir.filePath(misleadingName);
    QVERIFY(writeFile(path, bytes));
    RasterBitmap bitmap;
    QVERIFY(loadBitmap(path, bitmap));
    QCOMPARE(QSize(bitmap.width(), bitmap.height()), size);
    QCOMPARE(bitmap.bitsPerPixel(), bitsPerPixel);

    RasterBitmap fromMemory;
    QVERIFY(loadBitmapMemory(bytes, fromMemory, 0));
    QCOMPARE(fromMemory.image(), bitmap.image());
}

void BitmapIOTest::convertsToAskedDepth_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("asked");
    QTest::addColumn<double>("maxMeanError");

    const QString portrait = testDataPath("portrait.jpg");
    const QString grey = testDataPath("grey-halves.jpg");
    QTest::newRow("colour kept") << portrait << 0 << 0.0;
    QTest::newRow("colour to 8") << portrait << 8 << 3.0;
    QTest::newRow("colour to 24") << portrait << 24 << 0.0;
    QTest::newRow("colour to 32") << portrait << 32 << 0.0;
    QTest::newRow("grey to 8 keeps its palette") << grey << 8 << 0.0;
    QTest::newRow("grey to 24") << grey << 24 << 0.0;
}

void BitmapIOTest::convertsToAskedDepth()
{
    QFETCH(QString, path);
    QFETCH(int, asked);
    QFETCH(double, maxMeanError);

    RasterBitmap original;
    QVERIFY(loadBitmap(path, original, 0));
    RasterBitmap converted;
    QVERIFY(loadBitmapMemory(readFile(path), converted, asked));
    QCOMPARE(converted.bitsPerPixel(), asked == 0 ? original.bitsPerPixel() : asked);
    QCOMPARE(converted.width(), original.width());
    QCOMPARE(converted.height(), original.height());
    QVERIFY(meanAbsDifference(converted.image(), original.image()) <= maxMeanError);
}

void BitmapIOTest::savedFilesReadBack_data()
{
    QTest::addColumn<SaveFormat>("format");
    QTest::addColumn<int>("bitsPerPixel");
    QTest::addColumn<int>("loadedBits");
    QTest::addColumn<int>("maxColours");
    QTest::addColumn<double>("maxMeanError");
    QTest::addColumn<QByteArray>("qtFormat");

    QTest::newRow("JPEG 24") << SaveFormat::Jpeg << 24 << 24 << 0 << 2.0 << QByteArray("jpeg");
    QTest::newRow("JPEG from 32") << SaveFormat::Jpeg << 32 << 24 << 0 << 2.0 << QByteArray("jpeg");
    QTest::newRow("BMP 8") << SaveFormat::Bmp << 8 << 8 << 256 << 3.0 << QByteArray("bmp");
    QTest::newRow("BMP 24") << SaveFormat::Bmp << 24 << 24 << 0 << 0.0 << QByteArray("bmp");
    // A 32-bit bitmap without an alpha mask reads back as 24-bit colour.
    QTest::newRow("BMP 32") << SaveFormat::Bmp << 32 << 24 << 0 << 0.0 << QByteArray("bmp");
    QTest::newRow("PCX 8") << SaveFormat::Pcx << 8 << 8 << 256 << 3.0 << QByteArray();
    QTest::newRow("PCX 24") << SaveFormat::Pcx << 24 << 24 << 0 << 0.0 << QByteArray();
    QTest::newRow("GIF 8") << SaveFormat::Gif << 8 << 8 << 256 << 3.0 << QByteArray("gif");
    QTest::newRow("GIF 4: 16 colours")
        << SaveFormat::Gif << 4 << 8 << 16 << 12.0 << QByteArray("gif");
}

void BitmapIOTest::savedFilesReadBack()
{
    QFETCH(SaveFormat, format);
    QFETCH(int, bitsPerPixel);
    QFETCH(int, loadedBits);
    QFETCH(int, maxColours);
    QFETCH(double, maxMeanError);
    QFETCH(QByteArray, qtFormat);

    RasterBitmap source;
    QVERIFY(loadBitmap(testDataPath("portrait.png"), source));
    QTemporaryDir dir;
    const QString path = dir.filePath("saved");
    QVERIFY(writeFile(path, "an older file that the save replaces"));

    QVERIFY(saveBitmap(path, source, format, bitsPerPixel));
    QCOMPARE(entriesOf(dir.path()), QStringList{"saved"});

    RasterBitmap loaded;
    QVERIFY(loadBitmap(path, loaded));
    QCOMPARE(loaded.width(), source.width());
    QCOMPARE(loaded.height(), source.height());
    QCOMPARE(loaded.bitsPerPixel(), loadedBits);
    if (maxColours > 0)
        QVERIFY(loaded.image().colorCount() <= maxColours);
    const double error = meanAbsDifference(loaded.image(), source.image());
    QVERIFY2(error <= maxMeanError, qPrintable(QString::number(error)));

    if (qtFormat.isEmpty())
        return;
    const QImage byQt(path, qtFormat.constData());
    QCOMPARE(byQt.size(), loaded.image().size());
    QVERIFY(meanAbsDifference(byQt, loaded.image()) <= (format == SaveFormat::Jpeg ? 1.0 : 0.0));
}

void BitmapIOTest::failedSaveKeepsOldFile_data()
{
    QTest::addColumn<SaveFormat>("format");
    QTest::addColumn<int>("bitsPerPixel");
    QTest::addColumn<bool>("emptyBitmap");
    QTest::addColumn<QString>("target");
    QTest::addColumn<int>("writeLimit");

    // Targets are relative to a directory that holds only the file "old".
    QTest::newRow("GIF at 24 bits") << SaveFormat::Gif << 24 << false << "old" << 0;
    QTest::newRow("JPEG at 8 bits") << SaveFormat::Jpeg << 8 << false << "old" << 0;
    QTest::newRow("PCX at 32 bits") << SaveFormat::Pcx << 32 << false << "old" << 0;
    QTest::newRow("BMP at 16 bits") << SaveFormat::Bmp << 16 << false << "old" << 0;
    QTest::newRow("unknown format") << SaveFormat(3) << 24 << false << "old" << 0;
    QTest::newRow("empty bitmap") << SaveFormat::Bmp << 24 << true << "old" << 0;
    QTest::newRow("write fails part-way") << SaveFormat::Bmp << 24 << false << "old" << 600;
    QTest::newRow("target is a directory") << SaveFormat::Bmp << 24 << false << "." << 0;
    QTest::newRow("directory missing") << SaveFormat::Bmp << 24 << false << "missing/new.bmp" << 0;
    QTest::newRow("directory read-only") << SaveFormat::Bmp << 24 << false << "locked/old" << 0;
}

void BitmapIOTest::failedSaveKeepsOldFile()
{
    QFETCH(SaveFormat, format);
    QFETCH(int, bitsPerPixel);
    QFETCH(bool, emptyBitmap);
    QFETCH(QString, target);
    QFETCH(int, writeLimit);

    const QByteArray oldBytes = "precious earlier contents";
    QTemporaryDir dir;
    QString root = dir.path();
    if (target.startsWith("locked/")) {
        if (geteuid() == 0)
            QSKIP("permissions do not bind the superuser");
        QVERIFY(QDir(root).mkdir("locked"));
        root = dir.filePath("locked");
    }
    const QString oldPath = root + "/old";
    QVERIFY(writeFile(oldPath, oldBytes));
    if (root != dir.path())
        QFile::setPermissions(root, QFile::ReadOwner | QFile::ExeOwner);

    RasterBitmap bitmap;
    if (!emptyBitmap)
        bitmap.setImage(smallColourPicture());
    {
        std::optional<FileSizeLimit> limit;
        if (writeLimit > 0)
            limit.emplace(rlim_t(writeLimit));
        QVERIFY(!saveBitmap(dir.filePath(target), bitmap, format, bitsPerPixel));
    }

    QCOMPARE(readFile(oldPath), oldBytes);
    QCOMPARE(entriesOf(root), QStringList{"old"});
    QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

void BitmapIOTest::badFilesFailAndLeaveBitmapEmpty_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("sparseSize");

    const QByteArray jpegStart("\xFF\xD8\xFF\xE0", 4);
    QTest::newRow("missing file") << QByteArray() << qint64(-1);
    QTest::newRow("a directory") << QByteArray() << qint64(-2);
    QTest::newRow("empty file") << QByteArray() << qint64(0);
    QTest::newRow("garbage") << QByteArray(3000, '\x5A') << qint64(0);
    QTest::newRow("JPEG signature only") << jpegStart << qint64(0);
    QTest::newRow("JPEG cut in its header") << readTestData("portrait.jpg").left(20) << qint64(0);
    QTest::newRow("bitmap claiming 2 GB") << bmpClaiming2GB(16, 16) << qint64(0);
    QTest::newRow("bitmap of 900 megapixels") << bmpClaiming2GB(30000, 30000) << qint64(0);
    QTest::newRow("PNG of 10 gigapixels") << pngClaiming(100000, 100000) << qint64(0);
    QTest::newRow("PNG of zero width") << pngClaiming(0, 16) << qint64(0);
    QTest::newRow("GIF screen of 4 gigapixels")
        << encodeGif(smallColourPicture()).replace(6, 4, "\xff\xff\xff\xff") << qint64(0);
    QTest::newRow("file over 512 MB") << jpegStart << (qint64(600) << 20);
}

void BitmapIOTest::badFilesFailAndLeaveBitmapEmpty()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, sparseSize);

    // A negative size stands for no file at all (-1) or a directory (-2).
    QTemporaryDir dir;
    const QString path = sparseSize == -2 ? dir.path() : dir.filePath("bad.jpg");
    if (sparseSize >= 0) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
        if (sparseSize > 0)
            QVERIFY(file.resize(sparseSize));
    }
    RasterBitmap bitmap(smallColourPicture());
    QVERIFY(!loadBitmap(path, bitmap));
    QVERIFY(!bitmap.isAllocated());

    bitmap.setImage(smallColourPicture());
    QVERIFY(!loadBitmapMemory(bytes, bitmap, 24));
    QVERIFY(!bitmap.isAllocated());
}

void BitmapIOTest::photosOpenOnWhite_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("alpha");  // as loadBitmap keeps it
    QTest::addColumn<QList<QRgb>>("photo"); // as loadPhoto flattens the pixels

    // Clear, half-covered and opaque pixels.
    QImage translucent(3, 1, QImage::Format_ARGB32);
    translucent.setPixel(0, 0, qRgba(255, 0, 0, 0));
    translucent.setPixel(1, 0, qRgba(0, 0, 0, 128));
    translucent.setPixel(2, 0, qRgba(0, 0, 255, 255));
    const QList<int> alpha{0, 128, 255};
    const QList<QRgb> onWhite{qRgb(255, 255, 255), qRgb(127, 127, 127), qRgb(0, 0, 255)};
    QTest::newRow("PNG") << writtenByQt(translucent, "png") << alpha << onWhite;
    QBuffer webp;
    webp.open(QIODevice::WriteOnly);
    QImageWriter lossless(&webp, "webp");
    lossless.setQuality(100);
    QVERIFY(lossless.write(translucent));
    QTest::newRow("lossless WebP") << webp.data() << alpha << onWhite;

    hostile::GifClaim gif;
    gif.screenWidth = 3;
    gif.screenHeight = 1;
    gif.imageWidth = 1;
    gif.imageHeight = 1;
    gif.colour = qRgb(0, 128, 0);
    gif.background = qRgb(10, 20, 30);
    const QRgb background = gif.background;
    QTest::newRow("GIF, opaque background") << hostile::flatGif(gif) << QList<int>{255, 255, 255}
                                            << QList<QRgb>{gif.colour, background, background};
    gif.transparentBackground = true;
    QTest::newRow("GIF, transparent background")
        << hostile::flatGif(gif) << QList<int>{255, 0, 0}
        << QList<QRgb>{gif.colour, qRgb(255, 255, 255), qRgb(255, 255, 255)};
}

// The codecs keep what the file says; only a photo opened to work on is put on white.
void BitmapIOTest::photosOpenOnWhite()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, alpha);
    QFETCH(QList<QRgb>, photo);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("photo"));
    QVERIFY(writeFile(path, bytes));

    RasterBitmap kept;
    QVERIFY(loadBitmap(path, kept));
    RasterBitmap opened;
    QVERIFY(loadPhoto(path, opened));
    QCOMPARE(opened.bitsPerPixel(), kept.bitsPerPixel());
    QVERIFY(!opened.image().hasAlphaChannel());
    QCOMPARE(opened.width(), int(photo.size()));
    for (int x = 0; x < opened.width(); ++x) {
        QCOMPARE(qAlpha(kept.image().pixel(x, 0)), alpha[x]);
        QCOMPARE(opened.image().pixel(x, 0), photo[x]);
    }
}

// Qt's allocation limit is shared by every reader in the process: a load that changed
// it would make later, unrelated reads fail.
void BitmapIOTest::loadsLeaveTheReaderLimitAlone()
{
    const int limit = QImageReader::allocationLimit();
    RasterBitmap bitmap;
    QVERIFY(loadBitmapMemory(writtenByQt(QImage(16, 16, QImage::Format_ARGB32), "png"), bitmap, 0));
    QVERIFY(!loadBitmapMemory(pngClaiming(15800, 15800), bitmap, 0));
    QCOMPARE(QImageReader::allocationLimit(), limit);
    QImage icon(1024, 1024, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QCOMPARE(QImage::fromData(writtenByQt(icon, "png"), "png").size(), QSize(1024, 1024));
}

REGISTER_TEST(BitmapIOTest);
#include "tst_BitmapIO.moc"
