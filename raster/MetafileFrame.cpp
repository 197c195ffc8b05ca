#include "raster/MetafileFrame.h"

#include "raster/LargeImage.h"
#include "raster/RasterBitmap.h"

#include <algorithm>
#include <cmath>

namespace raster {

QSize metafilePixelSize(double widthInches, double heightInches, int maxSide)
{
    const double width = widthInches * kMetafileDpi;
    const double height = heightInches * kMetafileDpi;
    if (!std::isfinite(width) || !std::isfinite(height) || width <= 0 || height <= 0 || maxSide < 1)
        return {};
    const double scale = std::min(1.0, maxSide / std::max(width, height));
    const auto side = [&](double length) {
        return int(std::clamp(std::round(length * scale), 1.0, double(maxSide)));
    };
    return {side(width), side(height)};
}

QImage whiteCanvas(QSize size)
{
    if (!dimensionsAllowed(size.width(), size.height()))
        return {};
    QImage canvas = allocateImage(size.width(), size.height(), QImage::Format_RGB32);
    if (!canvas.isNull())
        canvas.fill(Qt::white);
    return canvas;
}

} // namespace raster
