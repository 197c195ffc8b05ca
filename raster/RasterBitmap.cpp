#include "raster/RasterBitmap.h"

#include "raster/Palette.h"

#include <cstring>

namespace {

QImage normalized(QImage image)
{
    const QImage::Format stored = raster::storedFormat(image.format());
    if (stored == image.format())
        return image;
    if (image.format() != QImage::Format_Grayscale8)
        return image.convertToFormat(stored);
    // Same bytes, read through a grey palette.
    QImage indexed(image.size(), QImage::Format_Indexed8);
    if (indexed.isNull())
        return {};
    indexed.setColorTable(greyColorTable());
    for (int y = 0; y < image.height(); ++y)
        std::memcpy(indexed.scanLine(y), image.constScanLine(y), size_t(image.width()));
    return indexed;
}

} // namespace

RasterBitmap::RasterBitmap(QImage image) : m_image(normalized(std::move(image))) {}

void RasterBitmap::setImage(QImage image)
{
    m_image = normalized(std::move(image));
}

int RasterBitmap::bitsPerPixel() const
{
    switch (m_image.format()) {
    case QImage::Format_Indexed8:
        return 8;
    case QImage::Format_RGB888:
        return 24;
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        return 32;
    default:
        return 0;
    }
}

namespace raster {

QImage::Format formatForDepth(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 8:
        return QImage::Format_Indexed8;
    case 24:
        return QImage::Format_RGB888;
    case 32:
        return QImage::Format_RGB32;
    default:
        return QImage::Format_Invalid;
    }
}

QImage::Format storedFormat(QImage::Format format)
{
    switch (format) {
    case QImage::Format_Invalid:
    case QImage::Format_Indexed8:
    case QImage::Format_RGB888:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        return format;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
    case QImage::Format_Grayscale8:
        return QImage::Format_Indexed8;
    default:
        return QImage::toPixelFormat(format).alphaUsage() == QPixelFormat::UsesAlpha
                   ? QImage::Format_ARGB32
                   : QImage::Format_RGB888;
    }
}

bool dimensionsAllowed(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           width * height <= kMaxPixels;
}

} // namespace raster
