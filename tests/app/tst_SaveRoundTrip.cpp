#include "ImageCompare.h"
#include "TestData.h"
#include "TestRegistry.h"

#include "app/PhotoCutter.h"
#include "app/SaveRules.h"
#include "app/SheetComposer.h"
#include "raster/BitmapIO.h"
#include "raster/BitmapOps.h"

#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdlib>

namespace {

// A type-0 sheet made from the test portrait, cut around the face, at the given depth.
RasterBitmap portraitSheet(int bitsPerPixel)
{
    RasterBitmap photo;
    if (!loadBitmap(test_data::testDataPath(QStringLiteral("portrait.jpg")), photo, 24))
        return {};
    const int w = photo.width(), h = photo.height();
    RasterBitmap cut;
    RasterBitmap sheet;
    if (!cutFramedArea(cut, photo, Rect{w / 4, h / 8, w * 3 / 4, h * 7 / 8}, 250, 300) ||
        !composeSheet(sheet, cut, {250, 300, 25, 18, false}))
        return {};
    if (bitsPerPixel == 8 && !convertTo8(sheet))
        return {};
    if (bitsPerPixel == 32)
        sheet = RasterBitmap(sheet.image().convertToFormat(QImage::Format_RGB32));
    return sheet;
}

QByteArray runTool(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        process.kill();
        qWarning() << program << arguments << "failed:" << process.readAllStandardError();
        return {};
    }
    return process.readAllStandardOutput();
}

// Bits per pixel as the file's own header states them.
int headerBitsPerPixel(const QByteArray& file, SaveFormat format)
{
    const auto byte = [&](qsizetype at) { return at < file.size() ? quint8(file[at]) : 0; };
    switch (format) {
    case SaveFormat::Bmp:
        return byte(28) | byte(29) << 8;
    case SaveFormat::Pcx:
        return byte(3) * byte(65);
    case SaveFormat::Gif:
        // Global colour table size: 2^(n+1) entries, so n+1 bits per pixel.
        return byte(10) & 0x80 ? (byte(10) & 7) + 1 : 0;
    case SaveFormat::Jpeg:
        for (qsizetype at = 2; at + 9 < file.size();) {
            if (byte(at) != 0xff)
                return 0;
            const int marker = byte(at + 1);
            if (marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 &&
                marker != 0xcc)
                return byte(at + 9) * byte(at + 4);
            at += 2 + (byte(at + 2) << 8 | byte(at + 3));
        }
        return 0;
    }
    return 0;
}

// Mean absolute difference per channel over the whole picture, and the largest difference
// at points of the white margins and of the uncovered strips at the sheet's right and bottom.
struct Difference {
    double mean = 0;
    int marginMax = 0;
};

Difference difference(const QImage& actual, const QImage& expected)
{
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    Difference result;
    result.mean = image_compare::meanAbsDifference(a, e);
    for (const QPoint p : {QPoint(5, 5), QPoint(12, 160), QPoint(150, 8), QPoint(290, 330),
                           QPoint(1510, 500), QPoint(700, 1015)}) {
        const QRgb pa = a.pixel(p);
        const QRgb pe = e.pixel(p);
        result.marginMax =
            std::max({result.marginMax, std::abs(qRed(pa) - qRed(pe)),
                      std::abs(qGreen(pa) - qGreen(pe)), std::abs(qBlue(pa) - qBlue(pe))});
    }
    return result;
}

} // namespace

Q_DECLARE_METATYPE(SaveFormat)

class SaveRoundTripTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        for (const int bits : {8, 24, 32})
            QVERIFY2(portraitSheet(bits).isAllocated(), "the portrait sheet cannot be made");
    }

    void savedAndReadBack_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("pictureBits");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("fileBits");
        QTest::addColumn<double>("meanTolerance"); // mean channel difference to the picture
        QTest::addColumn<int>("marginTolerance");  // at points of the white margins
        QTest::newRow("jpeg from 24") << 1 << 24 << ".jpg" << 24 << 2.5 << 6;
        QTest::newRow("jpeg from 8") << 1 << 8 << ".jpg" << 24 << 2.5 << 6;
        QTest::newRow("jpeg from 32") << 1 << 32 << ".jpg" << 24 << 2.5 << 6;
        QTest::newRow("bmp 24") << 2 << 24 << ".bmp" << 24 << 0.0 << 0;
        QTest::newRow("bmp 8") << 2 << 8 << ".bmp" << 8 << 0.0 << 0;
        QTest::newRow("bmp 32") << 2 << 32 << ".bmp" << 32 << 0.0 << 0;
        QTest::newRow("pcx 24") << 3 << 24 << ".pcx" << 24 << 0.0 << 0;
        QTest::newRow("pcx 8") << 3 << 8 << ".pcx" << 8 << 0.0 << 0;
        QTest::newRow("pcx from 32") << 3 << 32 << ".pcx" << 24 << 0.0 << 0;
        QTest::newRow("gif from 24") << 4 << 24 << ".gif" << 8 << 4.0 << 0;
        QTest::newRow("gif 8") << 4 << 8 << ".gif" << 8 << 0.0 << 0;
        QTest::newRow("gif from 32") << 4 << 32 << ".gif" << 8 << 4.0 << 0;
    }
    void savedAndReadBack()
    {
        QFETCH(int, entry);
        QFETCH(int, pictureBits);
        QFETCH(QString, suffix);
        QFETCH(int, fileBits);
        QFETCH(double, meanTolerance);
        QFETCH(int, marginTolerance);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const RasterBitmap picture = portraitSheet(pictureBits);
        QCOMPARE(picture.bitsPerPixel(), pictureBits);
        const std::optional<SaveRequest> request =
            saveRequestFor(entry, dir.filePath(QStringLiteral("증명사진")), pictureBits);
        QVERIFY(request.has_value());
        QCOMPARE(request->fileName, dir.filePath(QStringLiteral("증명사진") + suffix));
        QCOMPARE(request->bitsPerPixel, fileBits);

        QVERIFY(saveBitmap(request->fileName, picture, request->format, request->bitsPerPixel, 2));

        const QByteArray saved = test_data::readFile(request->fileName);
        QVERIFY(!saved.isEmpty());
        QCOMPARE(headerBitsPerPixel(saved, request->format), fileBits);

        // ImageMagick: size, palette or true colour, and the pixels.
        const QByteArray identified = runTool(
            QStringLiteral("identify"), {QStringLiteral("-format"), QStringLiteral("%w %h %r"),
                                         request->fileName + QStringLiteral("[0]")});
        QVERIFY(identified.startsWith("1520 1020 "));
        QCOMPARE(identified.contains("PseudoClass"), fileBits == 8);
        QImage decoded;
        QVERIFY(decoded.loadFromData(
            runTool(QStringLiteral("convert"),
                    {request->fileName + QStringLiteral("[0]"), QStringLiteral("ppm:-")}),
            "PPM"));
        QList<std::pair<const char*, QImage>> readings{{"ImageMagick", decoded}};

        RasterBitmap ours;
        QVERIFY(loadBitmap(request->fileName, ours));
        QCOMPARE(ours.bitsPerPixel() == 8, fileBits == 8);
        readings.append({"loadBitmap", ours.image()});
        QImageReader qtReader(request->fileName);
        if (qtReader.canRead())
            readings.append({"Qt", qtReader.read()});
        else
            QCOMPARE(request->format, SaveFormat::Pcx); // the one format Qt cannot read

        for (const auto& [reader, image] : readings) {
            QCOMPARE(image.size(), QSize(1520, 1020));
            const Difference diff = difference(image, picture.image());
            qInfo("%s: mean difference %.3f, on the margins at most %d", reader, diff.mean,
                  diff.marginMax);
            QVERIFY2(diff.mean <= meanTolerance, reader);
            QVERIFY2(diff.marginMax <= marginTolerance, reader);
        }
    }

    // An existing file is replaced without a question.
    void overwritesExistingFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString name = dir.filePath(QStringLiteral("sheet.bmp"));
        QVERIFY(test_data::writeFile(name, "not a picture"));
        const RasterBitmap picture = portraitSheet(24);
        QVERIFY(saveBitmap(name, picture, SaveFormat::Bmp, 24, 2));
        RasterBitmap back;
        QVERIFY(loadBitmap(name, back));
        QCOMPARE(back.image().convertToFormat(QImage::Format_RGB888), picture.image());
    }
};

REGISTER_TEST(SaveRoundTripTest);
#include "tst_SaveRoundTrip.moc"
