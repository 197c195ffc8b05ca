#include "TestRegistry.h"

#include "app/SubmissionPhoto.h"
#include "raster/JpegCodec.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A picture of the given size in a smooth gradient, or in noise that compresses badly.
QImage picture(QSize size, bool noisy)
{
    QImage image(size, QImage::Format_RGB888);
    QRandomGenerator random(7);
    for (int y = 0; y < size.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < size.width() * 3; ++x)
            line[x] = noisy ? uchar(random.bounded(256)) : uchar((x / 3 + y) % 256);
    }
    return image;
}

// Whether the JPEG holds a marker segment (0xFF, marker) before its image data.
bool hasMarker(const QByteArray& jpeg, uchar marker)
{
    qsizetype at = 2;
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xff) {
        const uchar found = uchar(jpeg[at + 1]);
        if (found == marker)
            return true;
        if (found == 0xda) // start of scan: no more header segments
            return false;
        at += 2 + (uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]));
    }
    return false;
}

} // namespace

class SubmissionPhotoTest : public QObject {
    Q_OBJECT
private slots:
    // Every cut size becomes 413 × 531; the passport's proportions lose nothing, others are
    // cut evenly at the sides or at top and bottom.
    void pictureSize_data()
    {
        QTest::addColumn<QSize>("cut");
        QTest::addColumn<int>("format");
        QTest::newRow("passport 350 x 450") << QSize(350, 450) << int(QImage::Format_RGB888);
        QTest::newRow("ID 250 x 300, 32 bits") << QSize(250, 300) << int(QImage::Format_RGB32);
        QTest::newRow("card 500 x 700") << QSize(500, 700) << int(QImage::Format_RGB888);
        QTest::newRow("custom 999 x 200, grey") << QSize(999, 200) << int(QImage::Format_Indexed8);
    }
    void pictureSize()
    {
        QFETCH(QSize, cut);
        QFETCH(int, format);
        const QImage made =
            submissionPicture(picture(cut, false).convertToFormat(QImage::Format(format)));
        QCOMPARE(made.size(), kSubmissionSize);
        QCOMPARE(made.format(), QImage::Format_RGB888);
    }

    void passportProportionsKeepEverything()
    {
        QImage cut(350, 450, QImage::Format_RGB888);
        cut.fill(Qt::white);
        cut.setPixelColor(0, 0, Qt::black);
        cut.setPixelColor(349, 449, Qt::black);
        const QImage made = submissionPicture(cut);
        QVERIFY(qGray(made.pixel(0, 0)) < 200);
        QVERIFY(qGray(made.pixel(412, 530)) < 200);
    }

    // The highest quality under the limit: one step more would not fit.
    void qualitySearch_data()
    {
        QTest::addColumn<bool>("noisy");
        QTest::addColumn<qsizetype>("limit");
        QTest::newRow("photo-like, the real limit") << false << kSubmissionByteLimit;
        QTest::newRow("noise, the real limit") << true << kSubmissionByteLimit;
        QTest::newRow("noise, 120 kB") << true << qsizetype(120'000);
        QTest::newRow("noise, 40 kB") << true << qsizetype(40'000);
    }
    void qualitySearch()
    {
        QFETCH(bool, noisy);
        QFETCH(qsizetype, limit);
        const QImage made = submissionPicture(picture({350, 450}, noisy));
        int quality = 0;
        const QByteArray jpeg = submissionJpeg(made, limit, &quality);
        QVERIFY(!jpeg.isEmpty());
        QVERIFY(jpeg.size() < limit);
        QVERIFY(quality >= 1 && quality <= 100);
        if (quality < 100)
            QVERIFY(encodeJpeg(made, quality + 1).size() >= limit);
        QCOMPARE(decodeJpeg(jpeg).size(), kSubmissionSize);
    }

    // Baseline, 300 dpi in the JFIF header, no EXIF; nothing when nothing fits.
    void fileShape()
    {
        const QByteArray jpeg =
            submissionJpeg(submissionPicture(picture({350, 450}, false)), kSubmissionByteLimit);
        QVERIFY(hasMarker(jpeg, 0xc0));  // baseline frame
        QVERIFY(!hasMarker(jpeg, 0xc2)); // no progressive frame
        QVERIFY(!hasMarker(jpeg, 0xe1)); // no EXIF
        QCOMPARE(jpeg.mid(6, 5), QByteArray("JFIF\0", 5));
        QCOMPARE(uchar(jpeg[13]), uchar(1));
        QCOMPARE((uchar(jpeg[14]) << 8) | uchar(jpeg[15]), 300);
        QCOMPARE((uchar(jpeg[16]) << 8) | uchar(jpeg[17]), 300);
        QVERIFY(submissionJpeg(submissionPicture(picture({350, 450}, true)), 500).isEmpty());
    }

    void savedName()
    {
        QTemporaryDir dir;
        const RasterBitmap cut(picture({350, 450}, false));
        QVERIFY(saveSubmissionPhoto(dir.filePath(QStringLiteral("passport")), cut));
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("passport.jpg"))));
        QVERIFY(!saveSubmissionPhoto(dir.filePath(QStringLiteral("missing/passport.jpg")), cut));
        QVERIFY(!saveSubmissionPhoto(dir.filePath(QStringLiteral("empty.jpg")), RasterBitmap()));
    }
};

REGISTER_TEST(SubmissionPhotoTest);
#include "tst_SubmissionPhoto.moc"
