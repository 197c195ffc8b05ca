#include "ImageCompare.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "raster/HeifCodec.h"

#include <QTest>
#include <QtEndian>

namespace {

QByteArray quadrants()
{
    return test_data::readTestData("quadrants.heic");
}

// Rewrites the size that the primary image (the last of the file's items) declares in
// its image-spatial-extent property.
QByteArray withDeclaredSize(QByteArray heif, quint32 width, quint32 height)
{
    const qsizetype ispe = heif.lastIndexOf("ispe");
    char bytes[8];
    qToBigEndian(width, bytes);
    qToBigEndian(height, bytes + 4);
    return heif.replace(ispe + 8, 8, QByteArray(bytes, 8));
}

} // namespace

class HeifCodecTest : public QObject {
    Q_OBJECT

private slots:
    void decodesQuadrants_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QColor>("colour");

        QTest::newRow("top left") << QPoint(12, 10) << QColor(220, 30, 30);
        QTest::newRow("top right") << QPoint(50, 10) << QColor(30, 200, 30);
        QTest::newRow("bottom left") << QPoint(12, 38) << QColor(30, 30, 220);
        QTest::newRow("bottom right") << QPoint(50, 38) << QColor(240, 240, 20);
    }

    void decodesQuadrants()
    {
        QFETCH(QPoint, point);
        QFETCH(QColor, colour);
        const QImage image = decodeHeif(quadrants());
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QCOMPARE(image.size(), QSize(64, 48));
        const QColor found = image.pixelColor(point);
        QVERIFY2(image_compare::coloursNear(found, colour, 12), qPrintable(found.name()));
    }

    void badInput_data()
    {
        QTest::addColumn<QByteArray>("data");

        const QByteArray heif = quadrants();
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("garbage") << QByteArray(500, '\x7f');
        QTest::newRow("JPEG") << QByteArray("\xFF\xD8\xFF\xE0\0\x10JFIF\0\1\1\0\0\1\0\1\0\0", 20);
        QTest::newRow("file-type box only") << heif.left(28);
        QTest::newRow("cut in half") << heif.left(heif.size() / 2);
        QTest::newRow("image data cut off") << heif.left(heif.size() - 200);
        QTest::newRow("side over the cap") << withDeclaredSize(heif, 40000, 48);
        QTest::newRow("pixels over the cap") << withDeclaredSize(heif, 20000, 20000);
        QTest::newRow("zero size") << withDeclaredSize(heif, 0, 0);
        // Declares 64 × 48 but its grid asks for a picture of hundreds of megapixels.
        QTest::newRow("grid larger than declared")
            << test_data::readTestData("grid-larger-than-declared.heic");
    }

    void badInput()
    {
        QFETCH(QByteArray, data);
        QVERIFY(decodeHeif(data).isNull());
    }
};

REGISTER_TEST(HeifCodecTest);
#include "tst_HeifCodec.moc"
