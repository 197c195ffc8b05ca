#include "ImageCompare.h"
#include "TestData.h"
#include "TestRegistry.h"

#include "raster/BitmapIO.h"
#include "raster/EmfCodec.h"
#include "raster/MetafileFrame.h"
#include "raster/WmfCodec.h"

#include <QTest>
#include <QtEndian>

#include <cmath>
#include <functional>
#include <limits>

namespace {

// The pictures tools/make-metafile-fixtures writes: 200 × 150 at 96 dpi, four shapes.
QString fixturePath(const QString& name)
{
    return test_data::testDataPath(QStringLiteral("metafile/") + name);
}

QByteArray fixture(const QString& name)
{
    return test_data::readFile(fixturePath(name));
}

using Decoder = std::function<QImage(QByteArrayView)>;

Decoder decoderFor(const QString& name)
{
    if (name.endsWith(QLatin1String(".wmf")))
        return [](QByteArrayView data) { return decodeWmf(data); };
    return [](QByteArrayView data) { return decodeEmf(data); };
}

QByteArray with32(QByteArray bytes, qsizetype at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
    return bytes;
}

QByteArray with16(QByteArray bytes, qsizetype at, quint16 value)
{
    qToLittleEndian(value, bytes.data() + at);
    return bytes;
}

// Where the first EMF record of the given type starts; -1 when there is none.
qsizetype emfRecord(const QByteArray& emf, quint32 type)
{
    for (qsizetype at = 0; at + 8 <= emf.size();) {
        if (qFromLittleEndian<quint32>(emf.constData() + at) == type)
            return at;
        at += qFromLittleEndian<quint32>(emf.constData() + at + 4);
    }
    return -1;
}

// Where the first WMF record with the given function starts; -1 when there is none.
qsizetype wmfRecord(const QByteArray& wmf, quint16 function)
{
    constexpr qsizetype kFirstRecord = 22 + 18;
    for (qsizetype at = kFirstRecord; at + 6 <= wmf.size();) {
        if (qFromLittleEndian<quint16>(wmf.constData() + at + 4) == function)
            return at;
        const qsizetype words = qFromLittleEndian<quint32>(wmf.constData() + at);
        if (words < 3)
            return -1;
        at += words * 2;
    }
    return -1;
}

int inkedInTextBox(const QImage& image)
{
    int inked = 0;
    for (int y = 85; y < 130; ++y)
        for (int x = 115; x < 180; ++x)
            inked += qGray(image.pixel(x, y)) < 64;
    return inked;
}

// Offsets in the fixtures: the WMF's placeable header and first record, the EMF's frame
// and its first record after the header.
constexpr qsizetype kWmfFrameRight = 10;
constexpr qsizetype kWmfFrameBottom = 12;
constexpr qsizetype kWmfUnitsPerInch = 14;
constexpr qsizetype kWmfFirstRecord = 40;
constexpr qsizetype kEmfFrameRight = 32;
constexpr qsizetype kEmfFrameBottom = 36;
constexpr qsizetype kEmfFirstRecordSize = 92;

} // namespace

class MetafileCodecTest : public QObject {
    Q_OBJECT

private slots:
    void drawsAtKnownSpots_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<QColor>("colour");

        struct Spot {
            const char* name;
            QPoint point;
            QColor colour;
        };
        const QColor red(220, 30, 30);
        const QColor green(30, 170, 30);
        const QColor blue(30, 30, 220);
        const QColor yellow(240, 220, 20);
        const Spot shapes[] = {
            {"red rectangle", {45, 35}, red},
            {"red rectangle's corner", {1, 1}, red},
            {"green ellipse", {155, 35}, green},
            {"blue rectangle", {45, 115}, blue},
            {"yellow ellipse", {155, 115}, yellow},
            {"gap between the shapes", {100, 75}, Qt::white},
            {"outside the ellipse, inside its box", {113, 4}, Qt::white},
        };
        // The bitmap's rows are stored bottom-up; drawn upright, red is at the top left.
        const Spot records[] = {
            {"bitmap top left", {35, 35}, red},     {"bitmap top right", {65, 35}, green},
            {"bitmap bottom left", {35, 65}, blue}, {"bitmap bottom right", {65, 65}, yellow},
            {"triangle", {150, 30}, green},         {"beside the triangle", {125, 55}, Qt::white},
            {"page", {100, 10}, Qt::white},
        };
        for (const QString type : {"wmf", "emf"}) {
            for (const Spot& spot : shapes)
                QTest::addRow("%s %s", qPrintable(type), spot.name)
                    << "shapes." + type << spot.point << spot.colour;
            for (const Spot& spot : records)
                QTest::addRow("%s %s", qPrintable(type), spot.name)
                    << "records." + type << spot.point << spot.colour;
        }
    }

    void drawsAtKnownSpots()
    {
        QFETCH(QString, file);
        QFETCH(QPoint, point);
        QFETCH(QColor, colour);
        const QImage image = decoderFor(file)(fixture(file));
        QCOMPARE(image.format(), QImage::Format_RGB888);
        QCOMPARE(image.size(), QSize(200, 150));
        const QColor found = image.pixelColor(point);
        QVERIFY2(image_compare::coloursNear(found, colour, 8), qPrintable(found.name()));
    }

    // "ID" in black, 30 units high, from (120, 90): the font may differ, the ink may not.
    void drawsText_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("WMF") << "records.wmf";
        QTest::newRow("EMF") << "records.emf";
    }

    void drawsText()
    {
        QFETCH(QString, file);
        const int inked = inkedInTextBox(decoderFor(file)(fixture(file)));
        QVERIFY2(inked > 100, qPrintable(QString::number(inked)));
    }

    // Glyph-index text would have libemf2svg shut fontconfig down under Qt; it is left out
    // and the rest of the picture drawn.
    void leavesOutGlyphIndexText()
    {
        constexpr quint32 kExtTextOutW = 84;
        constexpr qsizetype kOptions = 52;
        constexpr quint32 kGlyphIndex = 0x10;
        const QByteArray emf = fixture("records.emf");
        const qsizetype text = emfRecord(emf, kExtTextOutW);
        QVERIFY(text > 0);
        const QImage image = decodeEmf(with32(emf, text + kOptions, kGlyphIndex));
        QVERIFY(!image.isNull());
        QCOMPARE(inkedInTextBox(image), 0);
        QCOMPARE(image.pixelColor(150, 30), QColor(30, 170, 30));
    }

    // A bitmap whose header libwmf's own reader would loop on (a header size of 0) is read
    // by our DIB reader instead, refused, and left out of a picture that still draws.
    void leavesOutBrokenBitmaps()
    {
        constexpr quint16 kStretchDib = 0x0F43;
        constexpr qsizetype kDibInRecord = 6 + 22;
        const QByteArray wmf = fixture("records.wmf");
        const qsizetype record = wmfRecord(wmf, kStretchDib);
        QVERIFY(record > 0);
        const QImage image = decodeWmf(with32(wmf, record + kDibInRecord, 0));
        QVERIFY(!image.isNull());
        QCOMPARE(image.pixelColor(35, 35), QColor(Qt::white));
        QCOMPARE(image.pixelColor(150, 30), QColor(30, 170, 30));
    }

    // Without a placeable header the window the records set gives the size, in pixels.
    void sizesBareMetafileByItsWindow()
    {
        constexpr qsizetype kPlaceableHeader = 22;
        const QImage image = decodeWmf(fixture("shapes.wmf").mid(kPlaceableHeader));
        QCOMPARE(image.size(), QSize(200, 150));
        QVERIFY(image_compare::coloursNear(image.pixelColor(45, 35), QColor(220, 30, 30), 8));
    }

    void loadsAsAPhoto_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("WMF") << "shapes.wmf";
        QTest::newRow("EMF") << "shapes.emf";
    }

    void loadsAsAPhoto()
    {
        QFETCH(QString, file);
        RasterBitmap bitmap;
        QVERIFY(loadBitmap(fixturePath(file), bitmap));
        QCOMPARE(bitmap.bitsPerPixel(), 24);
        QCOMPARE(QSize(bitmap.width(), bitmap.height()), QSize(200, 150));
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("data");

        const QByteArray wmf = fixture("shapes.wmf");
        const QByteArray emf = fixture("shapes.emf");
        for (const auto& [file, bytes] : {std::pair{"wmf", wmf}, std::pair{"emf", emf}}) {
            QTest::addRow("%s empty", file) << file << QByteArray();
            QTest::addRow("%s cut in half", file) << file << bytes.left(bytes.size() / 2);
            QTest::addRow("%s without its end record", file)
                << file << bytes.left(bytes.size() - (file == QLatin1String("wmf") ? 6 : 20));
        }
        QTest::newRow("wmf header only") << "wmf" << wmf.left(kWmfFirstRecord);
        QTest::newRow("wmf zero-length record") << "wmf" << with32(wmf, kWmfFirstRecord, 0);
        QTest::newRow("wmf record past the end")
            << "wmf" << with32(wmf, kWmfFirstRecord, 0x7fffffff);
        QTest::newRow("wmf no units per inch") << "wmf" << with16(wmf, kWmfUnitsPerInch, 0);
        QTest::newRow("wmf empty frame") << "wmf" << with16(wmf, kWmfFrameRight, 0);
        QTest::newRow("emf header only") << "emf" << emf.left(88);
        QTest::newRow("emf zero-length record") << "emf" << with32(emf, kEmfFirstRecordSize, 0);
        QTest::newRow("emf record past the end")
            << "emf" << with32(emf, kEmfFirstRecordSize, 0x7ffffff0);
        QTest::newRow("emf record of odd length") << "emf" << with32(emf, kEmfFirstRecordSize, 13);
        QTest::newRow("emf text record cut short")
            << "emf" << with32(emf, emfRecord(emf, 84) + 4, 48);
        QTest::newRow("emf empty frame") << "emf" << with32(emf, kEmfFrameRight, 0);
        QTest::newRow("emf frame upside down")
            << "emf" << with32(emf, kEmfFrameBottom, quint32(-5000));
    }

    void badInput()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, data);
        QVERIFY(decoderFor("." + file)(data).isNull());
        RasterBitmap bitmap;
        QVERIFY(!loadBitmapMemory(data, bitmap, 0));
    }

    // A frame far beyond the cap is drawn scaled down as a whole, not refused and not
    // allocated at its claimed size.
    void hugeFrameIsScaledDown_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QSize>("size");

        const QByteArray wmf = fixture("shapes.wmf");
        const QByteArray emf = fixture("shapes.emf");
        const int cap = raster::kMaxMetafileSide;
        QTest::newRow("wmf 32767 x 24575 inches")
            << "wmf"
            << with16(with16(with16(wmf, kWmfFrameRight, 32767), kWmfFrameBottom, 24575),
                      kWmfUnitsPerInch, 1)
            << QSize(cap, 3072);
        QTest::newRow("emf 2^31 x 2^31 hundredths of a millimetre")
            << "emf" << with32(with32(emf, kEmfFrameRight, 0x7fffffff), kEmfFrameBottom, 0x7fffffff)
            << QSize(cap, cap);
        QTest::newRow("emf one hair wide, 2^31 tall")
            << "emf" << with32(with32(emf, kEmfFrameRight, 1), kEmfFrameBottom, 0x7fffffff)
            << QSize(1, cap);
    }

    void hugeFrameIsScaledDown()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, data);
        QFETCH(QSize, size);
        QCOMPARE(decoderFor("." + file)(data).size(), size);
    }

    void pixelSize_data()
    {
        QTest::addColumn<double>("width");
        QTest::addColumn<double>("height");
        QTest::addColumn<int>("maxSide");
        QTest::addColumn<QSize>("size");

        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("2 x 1.5 in") << 2.0 << 1.5 << 4096 << QSize(192, 144);
        QTest::newRow("wide, over the cap") << 100.0 << 50.0 << 4096 << QSize(4096, 2048);
        QTest::newRow("tall, over a small cap") << 1.0 << 4.0 << 96 << QSize(24, 96);
        QTest::newRow("sliver keeps one pixel") << 1e-4 << 1.0 << 4096 << QSize(1, 96);
        QTest::newRow("zero width") << 0.0 << 1.0 << 4096 << QSize();
        QTest::newRow("negative height") << 1.0 << -1.0 << 4096 << QSize();
        QTest::newRow("infinite") << inf << 1.0 << 4096 << QSize();
        QTest::newRow("not a number") << std::nan("") << 1.0 << 4096 << QSize();
        QTest::newRow("no room") << 1.0 << 1.0 << 0 << QSize();
    }

    void pixelSize()
    {
        QFETCH(double, width);
        QFETCH(double, height);
        QFETCH(int, maxSide);
        QFETCH(QSize, size);
        QCOMPARE(raster::metafilePixelSize(width, height, maxSide), size);
    }
};

REGISTER_TEST(MetafileCodecTest);
#include "tst_MetafileCodec.moc"
