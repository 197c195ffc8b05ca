#include "app/SheetComposer.h"

#include "raster/BitmapOps.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace {

// Largest multiple of step that is at most limit.
int wholeCellsExtent(int step, int limit)
{
    return limit / step * step;
}

// Copies source onto destination with its top-left corner at `at`, only inside clip.
// Both images are 24 bits per pixel.
void copyRows(QImage& destination, const QImage& source, QPoint at, const QRect& clip)
{
    const QRect target = QRect(at, source.size()) & clip & destination.rect();
    if (target.isEmpty())
        return;
    const int sourceX = target.left() - at.x();
    const int sourceY = target.top() - at.y();
    const size_t rowBytes = size_t(target.width()) * 3;
    for (int y = 0; y < target.height(); ++y) {
        const uchar* from = source.constScanLine(sourceY + y) + size_t(sourceX) * 3;
        uchar* to = destination.scanLine(target.top() + y) + size_t(target.left()) * 3;
        std::memcpy(to, from, rowBytes);
    }
}

// bitmap := a 24-bit white bitmap of the given size.
bool makeWhiteBitmap(RasterBitmap& bitmap, int width, int height)
{
    return createBitmap(bitmap, width, height, 24) && fillBitmap(bitmap, Qt::white);
}

bool typeValid(const SheetPhotoType& type)
{
    return type.targetWidth > 0 && type.targetHeight > 0 && type.marginX >= 0 &&
           type.marginY >= 0 &&
           raster::dimensionsAllowed(
               std::int64_t(type.targetWidth) + 2 * std::int64_t(type.marginX),
               std::int64_t(type.targetHeight) + 2 * std::int64_t(type.marginY));
}

} // namespace

SheetLayout layoutSheet(const SheetPhotoType& type)
{
    if (!typeValid(type))
        return {};
    SheetLayout layout;
    layout.photoOffset = QPoint(type.marginX, type.marginY);
    layout.photo = QSize(type.targetWidth, type.targetHeight);
    layout.cell = QSize(type.targetWidth + 2 * type.marginX, type.targetHeight + 2 * type.marginY);
    QSize grid(kSheetWidth, kSheetHeight);
    if (type.customSize)
        grid = QSize(wholeCellsExtent(layout.cell.width(), kSheetWidth),
                     wholeCellsExtent(layout.cell.height(), kSheetHeight));
    layout.grid =
        QRect(QPoint((kSheetWidth - grid.width()) / 2, (kSheetHeight - grid.height()) / 2), grid);
    // A cell is started wherever its corner still lies on the grid, its far edge included.
    layout.columns = grid.width() / layout.cell.width() + 1;
    layout.rows = grid.height() / layout.cell.height() + 1;
    for (int row = 0; row < layout.rows; ++row) {
        for (int column = 0; column < layout.columns; ++column)
            layout.cellOrigins.append(layout.grid.topLeft() + QPoint(column * layout.cell.width(),
                                                                     row * layout.cell.height()));
    }
    return layout;
}

int wholeCopies(const SheetLayout& layout)
{
    int copies = 0;
    for (const QPoint& origin : layout.cellOrigins) {
        if (layout.grid.contains(QRect(origin + layout.photoOffset, layout.photo)))
            ++copies;
    }
    return copies;
}

bool makeCell(RasterBitmap& cell, const RasterBitmap& photo, const SheetPhotoType& type)
{
    if (!photo.isAllocated() || !typeValid(type))
        return false;
    RasterBitmap white;
    RasterBitmap source = photo;
    if (!makeWhiteBitmap(white, type.targetWidth + 2 * type.marginX,
                         type.targetHeight + 2 * type.marginY) ||
        !convertTo24(source))
        return false;
    // The photo is drawn unscaled; anything beyond the type's size would cover the margins.
    const QRect photoArea(type.marginX, type.marginY, type.targetWidth, type.targetHeight);
    copyRows(white.image(), source.image(), photoArea.topLeft(), photoArea);
    cell = std::move(white);
    return true;
}

bool composeSheet(RasterBitmap& sheet, const RasterBitmap& photo, const SheetPhotoType& type)
{
    RasterBitmap cell;
    RasterBitmap white;
    if (!makeCell(cell, photo, type) || !makeWhiteBitmap(white, kSheetWidth, kSheetHeight))
        return false;
    const SheetLayout layout = layoutSheet(type);
    for (const QPoint& origin : layout.cellOrigins)
        copyRows(white.image(), cell.image(), origin, layout.grid);
    sheet = std::move(white);
    return true;
}
