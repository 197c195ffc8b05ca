#pragma once

#include "raster/BitmapIO.h"
#include "raster/RasterBitmap.h"

#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace effects_test {

// A photo-like picture with smooth gradients and hard edges, so that colour steps, blurs
// and scaling all leave their mark.
inline RasterBitmap makePicture(int width, int height, int bitsPerPixel = 24)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* line = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const bool square = ((x / 7) + (y / 5)) % 2 == 0;
            line[3 * x] = std::uint8_t(x * 255 / std::max(1, width - 1));
            line[3 * x + 1] = std::uint8_t(y * 255 / std::max(1, height - 1));
            line[3 * x + 2] = std::uint8_t(square ? 210 : 40);
        }
    }
    if (bitsPerPixel == 8)
        return RasterBitmap(image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither));
    if (bitsPerPixel == 32)
        return RasterBitmap(image.convertToFormat(QImage::Format_RGB32));
    return RasterBitmap(image);
}

inline RasterBitmap loadPortrait()
{
    RasterBitmap portrait;
    loadBitmap(QStringLiteral(IDPHOTO_TESTDATA "/portrait.png"), portrait, 24);
    return portrait;
}

// Mean absolute difference per channel of two pictures of equal size, in levels; -1 when
// the sizes differ.
inline double meanAbsDifference(const RasterBitmap& a, const RasterBitmap& b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return -1;
    const QImage left = a.image().convertToFormat(QImage::Format_RGB888);
    const QImage right = b.image().convertToFormat(QImage::Format_RGB888);
    double sum = 0;
    for (int y = 0; y < left.height(); ++y) {
        const std::uint8_t* p = left.constScanLine(y);
        const std::uint8_t* q = right.constScanLine(y);
        for (int i = 0; i < 3 * left.width(); ++i)
            sum += std::abs(int(p[i]) - int(q[i]));
    }
    return sum / (3.0 * left.width() * left.height());
}

} // namespace effects_test
