#include "app/PrintLayout.h"

#include "common/MulDiv.h"

#include <QPagedPaintDevice>
#include <QPainter>

#include <cmath>

namespace {

std::int32_t millimetresToTwips(std::int32_t millimetres)
{
    // The default rounding mode rounds halves to even.
    return std::int32_t(std::nearbyint(static_cast<long double>(millimetres) / 2.54L * 144.0L));
}

} // namespace

Rect MillimetresToTwips(const Rect& millimetres)
{
    return Rect{millimetresToTwips(millimetres.left), millimetresToTwips(millimetres.top),
                millimetresToTwips(millimetres.right), millimetresToTwips(millimetres.bottom)};
}

QRect sheetDeviceRect(int dotsPerInchX, int dotsPerInchY)
{
    const Rect twips = MillimetresToTwips(kSheetMillimetres);
    const int left = MulDiv(twips.left, dotsPerInchX, kTwipsPerInch);
    const int top = MulDiv(twips.top, dotsPerInchY, kTwipsPerInch);
    const int right = MulDiv(twips.right, dotsPerInchX, kTwipsPerInch);
    const int bottom = MulDiv(twips.bottom, dotsPerInchY, kTwipsPerInch);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

bool PrintSheet(QPainter& painter, const RasterBitmap& sheet)
{
    const QPaintDevice* device = painter.device();
    if (!device || !sheet.isAllocated())
        return false;
    const QRect target = sheetDeviceRect(device->logicalDpiX(), device->logicalDpiY());
    if (target.isEmpty())
        return false;
    painter.save();
    painter.resetTransform();
    painter.setClipping(false);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(target, sheet.image());
    painter.restore();
    return true;
}

bool printSheetDocument(QPagedPaintDevice& device, const RasterBitmap& sheet)
{
    if (!sheet.isAllocated())
        return false;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const bool drawn = PrintSheet(painter, sheet);
    return painter.end() && drawn;
}
