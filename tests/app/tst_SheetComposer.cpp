#include "TestRegistry.h"

#include "app/SheetComposer.h"

#include <QTest>

Q_DECLARE_METATYPE(SheetPhotoType)

namespace {

constexpr QRgb kWhite = 0xffffffff;

// Every pixel tells where it lies in the photo, so a misplaced or shifted copy shows.
QRgb photoPixel(int x, int y)
{
    return qRgb(x % 251, y % 241, 40 + (x / 251) * 50 + (y / 241) * 25);
}

RasterBitmap positionPhoto(int width, int height, QImage::Format format)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, photoPixel(x, y));
    }
    return RasterBitmap(image.convertToFormat(format));
}

SheetPhotoType fixedType(int index)
{
    static const SheetPhotoType types[] = {
        {250, 300, 25, 18, false},
        {300, 400, 37, 50, false},
        {350, 450, 15, 25, false},
        {500, 700, 125, 150, false},
    };
    return types[index];
}

SheetPhotoType customType(int width, int height)
{
    return {width, height, width / 10, height / 10, true};
}

void addTypeRows()
{
    QTest::addColumn<SheetPhotoType>("type");
    QTest::addColumn<QSize>("cell");
    QTest::addColumn<QRect>("grid");
    QTest::addColumn<int>("copies");
    QTest::addColumn<QPoint>("firstPhoto");
    QTest::addColumn<QSize>("edgeRoom"); // room left for a further cell at the right, bottom
    const QRect sheet(0, 0, 1520, 1020);
    QTest::newRow("type 0") << fixedType(0) << QSize(300, 336) << sheet << 15 << QPoint(25, 18)
                            << QSize(20, 12);
    QTest::newRow("type 1") << fixedType(1) << QSize(374, 500) << sheet << 8 << QPoint(37, 50)
                            << QSize(24, 20);
    QTest::newRow("type 2") << fixedType(2) << QSize(380, 500) << sheet << 8 << QPoint(15, 25)
                            << QSize(0, 20);
    QTest::newRow("type 3") << fixedType(3) << QSize(750, 1000) << sheet << 2 << QPoint(125, 150)
                            << QSize(20, 20);
    QTest::newRow("custom 200 x 200")
        << customType(200, 200) << QSize(240, 240) << QRect(40, 30, 1440, 960) << 24
        << QPoint(60, 50) << QSize(0, 0);
    QTest::newRow("custom 999 x 799")
        << customType(999, 799) << QSize(1197, 957) << QRect(161, 31, 1197, 957) << 1
        << QPoint(260, 110) << QSize(0, 0);
    QTest::newRow("custom 333 x 250")
        << customType(333, 250) << QSize(399, 300) << QRect(161, 60, 1197, 900) << 9
        << QPoint(194, 85) << QSize(0, 0);
}

// What the sheet must hold at (x, y), worked out from the type alone: the photo where the
// point falls on a photo inside the grid, white everywhere else.
QRgb expectedPixel(const SheetPhotoType& type, const QRect& grid, int x, int y)
{
    if (!grid.contains(x, y))
        return kWhite;
    const int cellW = type.targetWidth + 2 * type.marginX;
    const int cellH = type.targetHeight + 2 * type.marginY;
    const int inCellX = (x - grid.left()) % cellW - type.marginX;
    const int inCellY = (y - grid.top()) % cellH - type.marginY;
    if (inCellX < 0 || inCellY < 0 || inCellX >= type.targetWidth || inCellY >= type.targetHeight)
        return kWhite;
    return photoPixel(inCellX, inCellY);
}

} // namespace

class SheetComposerTest : public QObject {
    Q_OBJECT

private slots:
    void layout_data() { addTypeRows(); }
    void layout()
    {
        QFETCH(SheetPhotoType, type);
        QFETCH(QSize, cell);
        QFETCH(QRect, grid);
        QFETCH(int, copies);
        QFETCH(QPoint, firstPhoto);
        QFETCH(QSize, edgeRoom);

        const SheetLayout layout = layoutSheet(type);

        QCOMPARE(layout.cell, cell);
        QCOMPARE(layout.grid, grid);
        QCOMPARE(wholeCopies(layout), copies);
        QCOMPARE(layout.cellOrigins.size(), qsizetype(layout.columns) * layout.rows);
        QCOMPARE(layout.cellOrigins.first() + layout.photoOffset, firstPhoto);
        // The last cell started in each direction begins where edgeRoom pixels remain.
        const QPoint last = layout.cellOrigins.last();
        QCOMPARE(grid.right() + 1 - last.x(), edgeRoom.width());
        QCOMPARE(grid.bottom() + 1 - last.y(), edgeRoom.height());
        for (int row = 0; row < layout.rows; ++row) {
            for (int column = 0; column < layout.columns; ++column) {
                QCOMPARE(layout.cellOrigins[row * layout.columns + column],
                         grid.topLeft() + QPoint(column * cell.width(), row * cell.height()));
            }
        }
    }

    void composedPixels_data() { addTypeRows(); }
    void composedPixels()
    {
        QFETCH(SheetPhotoType, type);
        QFETCH(QRect, grid);
        QFETCH(QPoint, firstPhoto);
        QFETCH(QSize, cell);
        QFETCH(int, copies);

        RasterBitmap sheet;
        QVERIFY(composeSheet(
            sheet, positionPhoto(type.targetWidth, type.targetHeight, QImage::Format_RGB888),
            type));

        QCOMPARE(sheet.width(), 1520);
        QCOMPARE(sheet.height(), 1020);
        QCOMPARE(sheet.bitsPerPixel(), 24);
        const QImage& image = sheet.image();
        for (int y = 0; y < 1020; ++y) {
            for (int x = 0; x < 1520; ++x) {
                const QRgb expected = expectedPixel(type, grid, x, y);
                if (image.pixel(x, y) != expected)
                    QFAIL(qPrintable(QStringLiteral("pixel %1,%2 is %3, expected %4")
                                         .arg(x)
                                         .arg(y)
                                         .arg(image.pixel(x, y), 8, 16)
                                         .arg(expected, 8, 16)));
            }
        }
        // The table's photo corners, straight from the composed pixels: count the photos
        // whose top-left and bottom-right pixels are the photo's own.
        int found = 0;
        for (int y = firstPhoto.y(); y < 1020; y += cell.height()) {
            for (int x = firstPhoto.x(); x < 1520; x += cell.width()) {
                const QPoint farCorner(x + type.targetWidth - 1, y + type.targetHeight - 1);
                if (image.pixel(x, y) == photoPixel(0, 0) && image.valid(farCorner) &&
                    image.pixel(farCorner) ==
                        photoPixel(type.targetWidth - 1, type.targetHeight - 1))
                    ++found;
            }
        }
        QCOMPARE(found, copies);
    }

    // The photo's own depth does not change the sheet.
    void anyPhotoDepth_data()
    {
        QTest::addColumn<int>("format");
        QTest::newRow("8 bits") << int(QImage::Format_Indexed8);
        QTest::newRow("32 bits") << int(QImage::Format_RGB32);
        QTest::newRow("32 bits ARGB") << int(QImage::Format_ARGB32);
    }
    void anyPhotoDepth()
    {
        QFETCH(int, format);
        const SheetPhotoType type = fixedType(0);
        const RasterBitmap photo = positionPhoto(250, 300, QImage::Format(format));
        const RasterBitmap reference(photo.image().convertToFormat(QImage::Format_RGB888));

        RasterBitmap sheet;
        RasterBitmap expected;
        QVERIFY(composeSheet(sheet, photo, type));
        QVERIFY(composeSheet(expected, reference, type));

        QCOMPARE(sheet.bitsPerPixel(), 24);
        QCOMPARE(sheet.image(), expected.image());
        QCOMPARE(sheet.image().pixel(25, 18), reference.image().pixel(0, 0));
    }

    // A photo larger than the type (it never should be) stays inside its cell's photo area.
    void oversizedPhotoKeepsMargins()
    {
        const SheetPhotoType type = fixedType(0);
        RasterBitmap cell;
        QVERIFY(makeCell(cell, positionPhoto(400, 400, QImage::Format_RGB888), type));
        QCOMPARE(QSize(cell.width(), cell.height()), QSize(300, 336));
        QCOMPARE(cell.image().pixel(274, 317), photoPixel(249, 299));
        QCOMPARE(cell.image().pixel(275, 317), kWhite);
        QCOMPARE(cell.image().pixel(274, 318), kWhite);
    }

    void invalidInput_data()
    {
        QTest::addColumn<SheetPhotoType>("type");
        QTest::addColumn<bool>("withPhoto");
        QTest::newRow("no photo") << fixedType(0) << false;
        QTest::newRow("zero width") << SheetPhotoType{0, 300, 0, 30, false} << true;
        QTest::newRow("negative height") << SheetPhotoType{250, -300, 25, 18, false} << true;
        QTest::newRow("negative margin") << SheetPhotoType{250, 300, -25, 18, true} << true;
        QTest::newRow("margins overflow")
            << SheetPhotoType{250, 300, 2'000'000'000, 18, true} << true;
    }
    void invalidInput()
    {
        QFETCH(SheetPhotoType, type);
        QFETCH(bool, withPhoto);
        const RasterBitmap photo =
            withPhoto ? positionPhoto(250, 300, QImage::Format_RGB888) : RasterBitmap();
        RasterBitmap sheet;
        QVERIFY(!composeSheet(sheet, photo, type));
        QVERIFY(!sheet.isAllocated());
        if (withPhoto)
            QVERIFY(layoutSheet(type).cellOrigins.isEmpty());
    }
};

REGISTER_TEST(SheetComposerTest);
#include "tst_SheetComposer.moc"
