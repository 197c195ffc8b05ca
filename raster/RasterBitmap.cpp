#include "raster/RasterBitmap.h"

#include "raster/Palette.h"

#include <cstring>

namespace {

QImage normalized(QImage image)
{
    switch (image.format()) {
    case QImage::Format_Invalid:
    case QImage::Format_Indexed8:
    case QImage::Format_RGB888:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        return image;
    case QImage::Format_Mono:
    case QImage::Format_MonoLSB:
        return image.convertToFormat(QImage::Format_Indexed8);
    case QImage::Format_Grayscale8: {
        // Same bytes, read through a grey palette.
        QImage indexed(image.size(), QImage::Format_Indexed8);
        if (indexed.isNull())
            return {};
        indexed.setColorTable(greyColorTable());
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(indexed.scanLine(y), image.constScanLine(y), size_t(image.width()));
        return indexed;
    }
    default:
        return image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32)
                                       : image.convertToFormat(QImage::Format_RGB888);
    }
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

bool dimensionsAllowed(std::int64_t width, std::int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           width * height <= kMaxPixels;
}

} // namespace raster
