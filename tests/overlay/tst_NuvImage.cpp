#include "ByteWriter.h"
#include "PictureBytes.h"
#include "TestRegistry.h"

#include "common/StreamError.h"
#include "overlay/_NuvImage.h"
#include "tools/nfrm-make/FrameFileWriter.h"

#include <QBuffer>
#include <QTest>

using picture_bytes::encoded;
using picture_bytes::filled;

namespace {

const QByteArray kTail = "TAIL";

QByteArray colourFile()
{
    return encoded(filled(3, 2, Qt::red));
}

QByteArray lengths(qint64 colour, qint64 alpha)
{
    QByteArray bytes;
    ByteWriter(bytes).u32(colour).u32(alpha);
    return bytes;
}

} // namespace

// Every block leaves the stream right after itself, whatever its pictures hold; a block
// that lies about its lengths ends in the stream error, never in a large allocation.
class NuvImageTest : public QObject {
    Q_OBJECT

private slots:
    void loadFromStream_data()
    {
        QTest::addColumn<QByteArray>("block");
        QTest::addColumn<bool>("cutShort");
        QTest::addColumn<QSize>("size");

        const QByteArray colour = colourFile();
        const QByteArray mask =
            encoded(filled(3, 2, Qt::gray).convertToFormat(QImage::Format_Grayscale8));
        QTest::newRow("two zero lengths") << lengths(0, 0) << false << QSize();
        QTest::newRow("colour, no mask") << overlayBlock(colour) << false << QSize(3, 2);
        QTest::newRow("colour and mask") << overlayBlock(colour, mask) << false << QSize(3, 2);
        QTest::newRow("undecodable colour, mask")
            << overlayBlock("not a picture at all", mask) << false << QSize();
        QTest::newRow("negative lengths") << lengths(-5, -1) << false << QSize();
        QTest::newRow("most negative lengths") << lengths(INT32_MIN, INT32_MIN) << false << QSize();
        QTest::newRow("empty stream") << QByteArray() << true << QSize();
        QTest::newRow("cut inside the colour length")
            << QByteArray("\x05\x00", 2) << true << QSize();
        QTest::newRow("colour length beyond the stream")
            << lengths(1000, 0).left(4) + colour << true << QSize();
        QTest::newRow("colour length near 2 GiB") << lengths(INT32_MAX, 0) << true << QSize();
        QTest::newRow("alpha length missing")
            << overlayBlock(colour).chopped(4) << true << QSize(3, 2);
        QTest::newRow("mask cut short")
            << overlayBlock(colour, mask).chopped(3) << true << QSize(3, 2);
        QTest::newRow("mask length near 2 GiB")
            << overlayBlock(colour).chopped(4) + lengths(INT32_MAX, 0).left(4) << true
            << QSize(3, 2);
    }

    void loadFromStream()
    {
        QFETCH(QByteArray, block);
        QFETCH(bool, cutShort);
        QFETCH(QSize, size);

        // A cut-short block runs into the end of the stream, so only whole blocks get a tail.
        QByteArray bytes = cutShort ? block : block + kTail;
        QBuffer stream(&bytes);
        QVERIFY(stream.open(QIODevice::ReadOnly));
        TNuvImage image;
        bool threw = false;
        try {
            image.LoadFromStream(stream);
        } catch (const StreamError& error) {
            threw = true;
            QCOMPARE(QString::fromStdString(error.what()), QStringLiteral("Stream read error"));
        }
        QCOMPARE(threw, cutShort);
        QCOMPARE(image.IsLoaded(), size.isValid());
        QCOMPARE(image.ImageWidth(), size.isValid() ? size.width() : 0);
        QCOMPARE(image.ImageHeight(), size.isValid() ? size.height() : 0);
        if (image.IsLoaded())
            QCOMPARE(image.ColorBitmap.bitsPerPixel(), 24);
        if (!cutShort)
            QCOMPARE(stream.readAll(), kTail);
    }

    // Blocks follow each other in one stream: each read starts where the last one ended.
    void consecutiveBlocks()
    {
        QByteArray bytes =
            overlayBlock("garbage", "mask bytes") + overlayBlock(colourFile()) + lengths(0, 0);
        QBuffer stream(&bytes);
        QVERIFY(stream.open(QIODevice::ReadOnly));
        TNuvImage first, second, third;
        first.LoadFromStream(stream);
        second.LoadFromStream(stream);
        third.LoadFromStream(stream);
        QVERIFY(!first.IsLoaded());
        QCOMPARE(second.ImageWidth(), 3);
        QVERIFY(!third.IsLoaded());
        QVERIFY(stream.atEnd());
    }

    // Reloading replaces the picture instead of keeping the old one; Clear empties.
    void reloadAndClear()
    {
        const QByteArray blue =
            overlayBlock(encoded(filled(5, 4, Qt::blue).convertToFormat(QImage::Format_Indexed8)));
        QByteArray bytes = blue + lengths(0, 0) + blue;
        QBuffer stream(&bytes);
        QVERIFY(stream.open(QIODevice::ReadOnly));
        TNuvImage image;
        image.LoadFromStream(stream);
        QCOMPARE(image.ImageWidth(), 5);
        QCOMPARE(image.ColorBitmap.bitsPerPixel(), 24);
        QCOMPARE(image.ColorBitmap.image().pixelColor(4, 3), QColor(Qt::blue));
        image.LoadFromStream(stream);
        QVERIFY(!image.IsLoaded());
        image.LoadFromStream(stream);
        QVERIFY(image.IsLoaded());
        image.Clear();
        QVERIFY(!image.IsLoaded());
        QCOMPARE(image.ImageHeight(), 0);
    }
};

REGISTER_TEST(NuvImageTest);
#include "tst_NuvImage.moc"
