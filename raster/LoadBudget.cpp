#include "raster/LoadBudget.h"

namespace raster {

std::int64_t imageBytes(std::int64_t width, std::int64_t height, QImage::Format format)
{
    const std::int64_t bits = QImage::toPixelFormat(format).bitsPerPixel();
    return (width * bits + 31) / 32 * 4 * height;
}

} // namespace raster
