#include "face/WorkImage.h"

#include <QList>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// The largest work picture made, whatever the scale asked for; far above what detection
// needs, it only keeps a wrong scale from taking the machine's memory.
constexpr qint64 kMaxWorkPixels = 16'000'000;

// ITU-R BT.601 luma in 8-bit fixed point, as JPEG's own grey conversion.
inline std::uint8_t luma(int r, int g, int b)
{
    return std::uint8_t((77 * r + 150 * g + 29 * b + 128) >> 8);
}

// One row of the photo in grey. The layouts a loaded photo has are read directly; any
// other was converted before.
void greyRow(const QImage& photo, int y, const QList<QRgb>& palette, std::uint8_t* out)
{
    const uchar* line = photo.constScanLine(y);
    const int width = photo.width();
    switch (photo.format()) {
    case QImage::Format_RGB888:
        for (int x = 0; x < width; ++x, line += 3)
            out[x] = luma(line[0], line[1], line[2]);
        return;
    case QImage::Format_Grayscale8:
        std::copy(line, line + width, out);
        return;
    case QImage::Format_Indexed8:
        for (int x = 0; x < width; ++x) {
            const QRgb c = line[x] < palette.size() ? palette[line[x]] : 0;
            out[x] = luma(qRed(c), qGreen(c), qBlue(c));
        }
        return;
    default: { // RGB32 and ARGB32: one 32-bit value per pixel
        const auto* pixels = reinterpret_cast<const QRgb*>(line);
        for (int x = 0; x < width; ++x)
            out[x] = luma(qRed(pixels[x]), qGreen(pixels[x]), qBlue(pixels[x]));
        return;
    }
    }
}

bool readDirectly(QImage::Format format)
{
    switch (format) {
    case QImage::Format_RGB888:
    case QImage::Format_Grayscale8:
    case QImage::Format_Indexed8:
    case QImage::Format_RGB32:
    case QImage::Format_ARGB32:
        return true;
    default:
        return false;
    }
}

// The photo in grey, averaged over blocks of block × block pixels (the right and bottom
// remainders that make no whole block are left out).
QImage blockAverage(const QImage& photo, int block)
{
    const int outWidth = photo.width() / block;
    const int outHeight = photo.height() / block;
    QImage out(outWidth, outHeight, QImage::Format_Grayscale8);
    if (out.isNull())
        return {};
    const QList<QRgb> palette = photo.colorTable();
    std::vector<std::uint8_t> row(static_cast<size_t>(photo.width()));
    std::vector<std::uint32_t> sums(static_cast<size_t>(outWidth));
    const std::uint32_t area = std::uint32_t(block) * std::uint32_t(block);
    for (int oy = 0; oy < outHeight; ++oy) {
        std::fill(sums.begin(), sums.end(), 0);
        for (int y = oy * block; y < (oy + 1) * block; ++y) {
            greyRow(photo, y, palette, row.data());
            const std::uint8_t* p = row.data();
            for (int ox = 0; ox < outWidth; ++ox)
                for (int i = 0; i < block; ++i)
                    sums[size_t(ox)] += *p++;
        }
        uchar* line = out.scanLine(oy);
        for (int ox = 0; ox < outWidth; ++ox)
            line[ox] = uchar((sums[size_t(ox)] + area / 2) / area);
    }
    return out;
}

} // namespace

double workScale(QSize photo, int longSide)
{
    const int side = std::max(photo.width(), photo.height());
    return side > 0 ? double(longSide) / side : 0;
}

WorkImage makeWorkImage(const QImage& photo, double scale)
{
    if (photo.isNull() || !(scale > 0))
        return {};
    const int width = int(std::lround(photo.width() * scale));
    const int height = int(std::lround(photo.height() * scale));
    if (width < 1 || height < 1 || qint64(width) * height > kMaxWorkPixels)
        return {};
    const QImage source =
        readDirectly(photo.format()) ? photo : photo.convertToFormat(QImage::Format_RGB888);
    // A small tolerance, so that 1/6 computed as 0.1666… still makes blocks of 6.
    const int block = std::max(1, int(1 / scale + 1e-6));
    QImage grey = blockAverage(source, block);
    if (grey.isNull())
        return {};
    if (grey.width() != width || grey.height() != height)
        grey = grey.scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                   .convertToFormat(QImage::Format_Grayscale8);
    if (grey.isNull())
        return {};
    return {grey, scale};
}
