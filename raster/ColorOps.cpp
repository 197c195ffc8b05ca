#include "raster/ColorOps.h"

#include "raster/LargeImage.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

using Lut = std::array<uchar, 256>;

// Calls op(r, g, b) on every pixel, or on every palette entry of an 8-bit bitmap; alpha
// is left as it is. op is inlined into each loop. False when the pixels shared with
// another bitmap cannot be copied.
template <typename Op> bool transformPixels(QImage& image, Op op)
{
    if (image.format() == QImage::Format_Indexed8) {
        QList<QRgb> table = image.colorTable();
        for (QRgb& entry : table) {
            int r = qRed(entry), g = qGreen(entry), b = qBlue(entry);
            op(r, g, b);
            entry = qRgba(r, g, b, qAlpha(entry));
        }
        image.setColorTable(table);
        return true;
    }
    uchar* base = raster::writablePixels(image);
    if (!base)
        return false;
    const int width = image.width();
    const qsizetype stride = image.bytesPerLine();
    if (image.format() == QImage::Format_RGB888) {
        for (int y = 0; y < image.height(); ++y) {
            uchar* p = base + y * stride;
            for (int x = 0; x < width; ++x, p += 3) {
                int r = p[0], g = p[1], b = p[2];
                op(r, g, b);
                p[0] = uchar(r);
                p[1] = uchar(g);
                p[2] = uchar(b);
            }
        }
        return true;
    }
    for (int y = 0; y < image.height(); ++y) {
        auto* p = reinterpret_cast<QRgb*>(base + y * stride);
        for (int x = 0; x < width; ++x) {
            int r = qRed(p[x]), g = qGreen(p[x]), b = qBlue(p[x]);
            op(r, g, b);
            p[x] = qRgba(r, g, b, qAlpha(p[x]));
        }
    }
    return true;
}

// The same table for every colour channel.
bool applyLut(RasterBitmap& bitmap, const Lut& lut)
{
    if (!bitmap.isAllocated())
        return false;
    QImage& image = bitmap.image();
    if (image.format() != QImage::Format_RGB888) {
        return transformPixels(image, [&lut](int& r, int& g, int& b) {
            r = lut[size_t(r)];
            g = lut[size_t(g)];
            b = lut[size_t(b)];
        });
    }
    uchar* base = raster::writablePixels(image);
    if (!base)
        return false;
    const qsizetype rowBytes = qsizetype(image.width()) * 3;
    const qsizetype stride = image.bytesPerLine();
    for (int y = 0; y < image.height(); ++y) {
        uchar* p = base + y * stride;
        for (qsizetype i = 0; i < rowBytes; ++i)
            p[i] = lut[p[i]];
    }
    return true;
}

template <typename Curve> Lut makeLut(Curve curve)
{
    Lut lut{};
    for (int i = 0; i < 256; ++i)
        lut[size_t(i)] = uchar(std::clamp(curve(i), 0, 255));
    return lut;
}

// Hue measured in degrees times chroma keeps every step in integers.
inline void rotateHue(int& r, int& g, int& b, int degrees)
{
    const int high = std::max({r, g, b});
    const int low = std::min({r, g, b});
    const int chroma = high - low;
    if (chroma == 0)
        return;
    int hue = high == r   ? 60 * (g - b)
              : high == g ? 120 * chroma + 60 * (b - r)
                          : 240 * chroma + 60 * (r - g);
    if (hue < 0)
        hue += 360 * chroma;
    hue += degrees * chroma;
    if (hue >= 360 * chroma)
        hue -= 360 * chroma;
    const int sectorSize = 60 * chroma;
    int sector = 0;
    while (hue >= sectorSize) {
        hue -= sectorSize;
        ++sector;
    }
    const int rising = low + (hue + 30) / 60;
    const int falling = high - (hue + 30) / 60;
    switch (sector) {
    case 0:
        r = high, g = rising, b = low;
        break;
    case 1:
        r = falling, g = high, b = low;
        break;
    case 2:
        r = low, g = high, b = rising;
        break;
    case 3:
        r = low, g = falling, b = high;
        break;
    case 4:
        r = rising, g = low, b = high;
        break;
    default:
        r = high, g = low, b = falling;
        break;
    }
}

// Scales each channel's distance from the HSL lightness by factor / 1000; the factor is
// lowered where the result would leave 0…255, which clamps saturation and keeps hue.
inline void scaleSaturation(int& r, int& g, int& b, int factor)
{
    const int high = std::max({r, g, b});
    const int low = std::min({r, g, b});
    const int chroma = high - low;
    const int lightness2 = high + low; // twice the lightness
    const int room = std::min(510 - lightness2, lightness2);
    auto scale = [&](int& channel) {
        const int distance2 = 2 * channel - lightness2;
        if (chroma * factor > room * 1000) {
            channel = (lightness2 * chroma + distance2 * room + chroma) / (2 * chroma);
            return;
        }
        channel = std::clamp((lightness2 * 1000 + distance2 * factor + 1000) / 2000, 0, 255);
    };
    scale(r);
    scale(g);
    scale(b);
}

} // namespace

bool changeIntensity(RasterBitmap& bitmap, int amount)
{
    const int delta = int(std::lround(std::clamp(amount, -1000, 1000) * 0.255));
    return applyLut(bitmap, makeLut([delta](int in) { return in + delta; }));
}

bool changeContrast(RasterBitmap& bitmap, int amount)
{
    amount = std::clamp(amount, -1000, 1000);
    if (amount == 1000)
        return applyLut(bitmap, makeLut([](int in) { return in < 128 ? 0 : 255; }));
    // Around 127.5 so that -1000 gives 128 and the steep end splits 127 | 128.
    const double slope = (1000.0 + amount) / (1000.0 - amount);
    return applyLut(bitmap, makeLut([slope](int in) {
                        return int(std::floor(127.5 + (in - 127.5) * slope + 0.5));
                    }));
}

bool gammaCorrect(RasterBitmap& bitmap, int value)
{
    if (!bitmap.isAllocated())
        return false;
    if (value <= 0 || value == 100)
        return true;
    const double exponent = 100.0 / value;
    return applyLut(bitmap, makeLut([exponent](int in) {
                        return int(std::lround(255.0 * std::pow(in / 255.0, exponent)));
                    }));
}

bool changeHue(RasterBitmap& bitmap, int angle)
{
    if (!bitmap.isAllocated())
        return false;
    const int degrees = (angle % 360 + 360) % 360;
    if (degrees == 0)
        return true;
    return transformPixels(bitmap.image(),
                           [degrees](int& r, int& g, int& b) { rotateHue(r, g, b, degrees); });
}

bool changeSaturation(RasterBitmap& bitmap, int amount)
{
    if (!bitmap.isAllocated())
        return false;
    const int factor = 1000 + std::clamp(amount, -1000, 1000);
    if (factor == 1000)
        return true;
    return transformPixels(bitmap.image(),
                           [factor](int& r, int& g, int& b) { scaleSaturation(r, g, b, factor); });
}

namespace {

inline int overWhite(int channel, int alpha)
{
    return (channel * alpha + 255 * (255 - alpha) + 127) / 255;
}

inline QRgb opaqueOverWhite(QRgb colour)
{
    const int alpha = qAlpha(colour);
    return qRgb(overWhite(qRed(colour), alpha), overWhite(qGreen(colour), alpha),
                overWhite(qBlue(colour), alpha));
}

} // namespace

bool flattenOnWhite(RasterBitmap& bitmap)
{
    QImage& image = bitmap.image();
    if (image.format() == QImage::Format_Indexed8) {
        QList<QRgb> table = image.colorTable();
        std::transform(table.begin(), table.end(), table.begin(), opaqueOverWhite);
        image.setColorTable(table);
        return true;
    }
    if (image.format() != QImage::Format_ARGB32)
        return bitmap.isAllocated();
    uchar* base = raster::writablePixels(image);
    if (!base)
        return false;
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(base + y * image.bytesPerLine());
        std::transform(row, row + image.width(), row, opaqueOverWhite);
    }
    return image.reinterpretAsFormat(QImage::Format_RGB32);
}
