#include "raster/BitmapOps.h"

#include "raster/Palette.h"

#include "raster/ColorQuantizer.h"
#include "raster/LargeImage.h"

#include <QList>
#include <QRect>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// ---- 24-bit conversion ----

QImage indexedTo24(const QImage& source)
{
    // Indices beyond the palette read as black rather than out of bounds.
    std::array<QRgb, 256> palette{};
    const QList<QRgb> table = source.colorTable();
    std::copy_n(table.begin(), std::min<qsizetype>(table.size(), 256), palette.begin());
    QImage result = raster::allocateImage(source.width(), source.height(), QImage::Format_RGB888);
    if (result.isNull())
        return {};
    const int width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        const uchar* in = source.constScanLine(y);
        uchar* out = result.scanLine(y);
        for (int x = 0; x < width; ++x, out += 3) {
            const QRgb colour = palette[in[x]];
            out[0] = uchar(qRed(colour));
            out[1] = uchar(qGreen(colour));
            out[2] = uchar(qBlue(colour));
        }
    }
    return result;
}

// Alpha is dropped as it is; colours are not blended with any background.
QImage rgb32To24(const QImage& source)
{
    QImage result = raster::allocateImage(source.width(), source.height(), QImage::Format_RGB888);
    if (result.isNull())
        return {};
    const int width = source.width();
    for (int y = 0; y < source.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        uchar* out = result.scanLine(y);
        for (int x = 0; x < width; ++x, out += 3) {
            out[0] = uchar(qRed(in[x]));
            out[1] = uchar(qGreen(in[x]));
            out[2] = uchar(qBlue(in[x]));
        }
    }
    return result;
}

// ---- resampling ----

// Weights are 16-bit fixed point, so the inner loops multiply 16-bit values. Each output
// position takes as many fractional bits as its largest weight leaves room for, up to
// kMaxWeightBits: a 32768:1 shrink still gives every tap 128 steps, and a sum of
// 255 · 2^kMaxWeightBits (a little more where the bicubic kernel overshoots) fits an int.
constexpr int kMinWeightBits = 14;
constexpr int kMaxWeightBits = 22;
constexpr double kMaxWeight = 32767.0;

enum class Kernel { Bilinear, Area, Bicubic };

// For each output position: the first source index, how many follow, their weights
// (stride entries per output, unused ones zero) and the fractional bits of those weights.
struct Taps {
    std::vector<int> start;
    std::vector<int> count;
    std::vector<std::int16_t> weights;
    std::vector<int> bits;
    int stride = 0;
};

double catmullRom(double distance)
{
    const double t = std::abs(distance);
    if (t < 1.0)
        return (1.5 * t - 2.5) * t * t + 1.0;
    if (t < 2.0)
        return ((-0.5 * t + 2.5) * t - 4.0) * t + 2.0;
    return 0.0;
}

// Source indices and real weights of one output position, indices clamped to the
// source (edge replication).
void kernelWeights(Kernel kernel, int output, int sourceLength, int outputLength,
                   std::vector<std::pair<int, double>>& out)
{
    out.clear();
    const double scale = double(sourceLength) / outputLength;
    auto add = [&](int index, double weight) {
        out.emplace_back(std::clamp(index, 0, sourceLength - 1), weight);
    };
    if (kernel == Kernel::Area) {
        const double from = output * scale;
        const double to = (output + 1) * scale;
        for (int j = int(std::floor(from)); j < int(std::ceil(to)); ++j)
            add(j, (std::min(to, j + 1.0) - std::max(from, double(j))) / scale);
        return;
    }
    const double centre = (output + 0.5) * scale - 0.5;
    const int base = int(std::floor(centre));
    const double fraction = centre - base;
    if (kernel == Kernel::Bilinear) {
        add(base, 1.0 - fraction);
        add(base + 1, fraction);
        return;
    }
    for (int k = -1; k <= 2; ++k)
        add(base + k, catmullRom(k - fraction));
}

Taps buildTaps(Kernel kernel, int sourceLength, int outputLength)
{
    std::vector<std::vector<std::pair<int, double>>> all(static_cast<size_t>(outputLength));
    Taps taps;
    taps.start.resize(size_t(outputLength));
    taps.count.resize(size_t(outputLength));
    taps.bits.resize(size_t(outputLength));
    for (int i = 0; i < outputLength; ++i) {
        kernelWeights(kernel, i, sourceLength, outputLength, all[size_t(i)]);
        const auto [lo, hi] =
            std::minmax_element(all[size_t(i)].begin(), all[size_t(i)].end(),
                                [](const auto& a, const auto& b) { return a.first < b.first; });
        taps.start[size_t(i)] = lo->first;
        taps.count[size_t(i)] = hi->first - lo->first + 1;
        taps.stride = std::max(taps.stride, taps.count[size_t(i)]);
    }
    taps.weights.assign(size_t(outputLength) * size_t(taps.stride), 0);
    std::vector<double> merged;
    for (int i = 0; i < outputLength; ++i) {
        merged.assign(size_t(taps.count[size_t(i)]), 0.0);
        double total = 0.0;
        for (const auto& [index, weight] : all[size_t(i)]) {
            merged[size_t(index - taps.start[size_t(i)])] += weight;
            total += weight;
        }
        double largest = 0.0;
        for (const double weight : merged)
            largest = std::max(largest, std::abs(weight / total));
        int bits = kMaxWeightBits;
        // One step of slack for the rounding below.
        while (bits > kMinWeightBits && largest * (1 << bits) + 1.0 > kMaxWeight)
            --bits;
        taps.bits[size_t(i)] = bits;
        // Rounding the running total keeps every partial sum within half a step of its
        // true share, and the whole at exactly one, so a flat colour stays flat.
        std::int16_t* w = &taps.weights[size_t(i) * size_t(taps.stride)];
        double running = 0.0;
        long previous = 0;
        for (size_t k = 0; k < merged.size(); ++k) {
            running += merged[k];
            const long next = std::lround(running / total * (1 << bits));
            w[k] = std::int16_t(next - previous);
            previous = next;
        }
    }
    return taps;
}

inline uchar clampToByte(int value)
{
    return uchar(std::clamp(value, 0, 255));
}

template <int Channels> void resampleRows(const QImage& source, QImage& result, const Taps& taps)
{
    const int width = result.width();
    const uchar* sourceBase = source.constBits();
    const qsizetype sourceStride = source.bytesPerLine();
    uchar* resultBase = result.bits();
    const qsizetype resultStride = result.bytesPerLine();
    for (int y = 0; y < result.height(); ++y) {
        const uchar* in = sourceBase + y * sourceStride;
        uchar* out = resultBase + y * resultStride;
        for (int x = 0; x < width; ++x, out += Channels) {
            const std::int16_t* w = &taps.weights[size_t(x) * size_t(taps.stride)];
            const uchar* p = in + taps.start[size_t(x)] * Channels;
            const int bits = taps.bits[size_t(x)];
            int acc[Channels];
            for (int c = 0; c < Channels; ++c)
                acc[c] = 1 << (bits - 1);
            for (int k = 0, n = taps.count[size_t(x)]; k < n; ++k, p += Channels)
                for (int c = 0; c < Channels; ++c)
                    acc[c] += w[k] * p[c];
            for (int c = 0; c < Channels; ++c)
                out[c] = clampToByte(acc[c] >> bits);
        }
    }
}

// Works on bytes, whatever the pixel layout, since every byte of a column is independent.
void resampleColumns(const QImage& source, QImage& result, const Taps& taps, int bytesPerRow)
{
    const uchar* sourceBase = source.constBits();
    const qsizetype sourceStride = source.bytesPerLine();
    uchar* resultBase = result.bits();
    const qsizetype resultStride = result.bytesPerLine();
    std::vector<int> acc(static_cast<size_t>(bytesPerRow));
    for (int y = 0; y < result.height(); ++y) {
        const int bits = taps.bits[size_t(y)];
        std::fill(acc.begin(), acc.end(), 1 << (bits - 1));
        const std::int16_t* w = &taps.weights[size_t(y) * size_t(taps.stride)];
        for (int k = 0, n = taps.count[size_t(y)]; k < n; ++k) {
            const uchar* in = sourceBase + (taps.start[size_t(y)] + k) * sourceStride;
            const int weight = w[k];
            for (int i = 0; i < bytesPerRow; ++i)
                acc[size_t(i)] += weight * in[i];
        }
        uchar* out = resultBase + y * resultStride;
        for (int i = 0; i < bytesPerRow; ++i)
            out[i] = clampToByte(acc[size_t(i)] >> bits);
    }
}

QImage resampleHorizontally(const QImage& source, Kernel kernel, int width)
{
    if (width == source.width())
        return source;
    QImage result = raster::allocateImage(width, source.height(), source.format());
    if (result.isNull())
        return {};
    const Taps taps = buildTaps(kernel, source.width(), width);
    if (source.depth() == 24)
        resampleRows<3>(source, result, taps);
    else
        resampleRows<4>(source, result, taps);
    return result;
}

QImage resampleVertically(const QImage& source, Kernel kernel, int height)
{
    if (height == source.height())
        return source;
    QImage result = raster::allocateImage(source.width(), height, source.format());
    if (result.isNull())
        return {};
    const Taps taps = buildTaps(kernel, source.height(), height);
    resampleColumns(source, result, taps, source.width() * source.depth() / 8);
    return result;
}

Kernel kernelFor(SizeQuality quality, int sourceLength, int outputLength)
{
    if (quality == SizeQuality::Fast)
        return Kernel::Bilinear;
    return outputLength < sourceLength ? Kernel::Area : Kernel::Bicubic;
}

// Rough cost of one axis pass: output pixels times taps per output pixel, times the cost
// of a tap. Rows cost more per tap than columns, whose loop runs along whole rows of
// bytes and vectorises.
constexpr double kRowTapCost = 4.0;
constexpr double kColumnTapCost = 1.0;

double passCost(Kernel kernel, int sourceLength, int outputLength, double otherSide, double tapCost)
{
    if (sourceLength == outputLength)
        return 0.0;
    const double taps = kernel == Kernel::Area      ? double(sourceLength) / outputLength + 1.0
                        : kernel == Kernel::Bicubic ? 4.0
                                                    : 2.0;
    return otherSide * outputLength * taps * tapCost;
}

// Template dispatch on bytes per pixel for the quarter turn.
template <int Bytes> void rotateTiles(const QImage& source, QImage& result)
{
    // Tiles keep the rows read in cache; tall tiles make each run written long, so the
    // stores stream.
    constexpr int kTileHeight = 256;
    constexpr int kTileWidth = 64;
    const int width = source.width();
    const int height = source.height();
    const uchar* sourceBase = source.constBits();
    const qsizetype sourceStride = source.bytesPerLine();
    uchar* resultBase = result.bits();
    const qsizetype resultStride = result.bytesPerLine();
    for (int tileY = 0; tileY < height; tileY += kTileHeight) {
        const int endY = std::min(tileY + kTileHeight, height);
        for (int tileX = 0; tileX < width; tileX += kTileWidth) {
            const int endX = std::min(tileX + kTileWidth, width);
            // Each result row is written front to back, so stores stay sequential.
            for (int x = tileX; x < endX; ++x) {
                const uchar* in = sourceBase + (endY - 1) * sourceStride + x * Bytes;
                uchar* out = resultBase + x * resultStride + (height - endY) * Bytes;
                for (int y = endY - 1; y >= tileY; --y, in -= sourceStride, out += Bytes)
                    std::memcpy(out, in, Bytes);
            }
        }
    }
}

} // namespace

bool copyBitmap(RasterBitmap& destination, const RasterBitmap& source)
{
    if (!source.isAllocated()) {
        destination.free();
        return false;
    }
    destination = source;
    return true;
}

bool copyBitmapRect(RasterBitmap& destination, const RasterBitmap& source, int left, int top,
                    int width, int height)
{
    if (!source.isAllocated() || width <= 0 || height <= 0)
        return false;
    const QRect area = QRect(left, top, width, height).intersected(source.image().rect());
    if (area.isEmpty())
        return false;
    destination.setImage(source.image().copy(area));
    return destination.isAllocated();
}

bool createBitmap(RasterBitmap& bitmap, int width, int height, int bitsPerPixel)
{
    if (!raster::dimensionsAllowed(width, height))
        return false;
    const QImage::Format format = raster::formatForDepth(bitsPerPixel);
    if (format == QImage::Format_Invalid)
        return false;
    QImage image = raster::allocateImage(width, height, format);
    if (image.isNull())
        return false;
    if (format == QImage::Format_Indexed8)
        image.setColorTable(greyColorTable());
    if (format == QImage::Format_RGB32)
        image.fill(Qt::black);
    else
        image.fill(0);
    bitmap.setImage(std::move(image));
    return true;
}

bool fillBitmap(RasterBitmap& bitmap, QColor colour)
{
    if (!bitmap.isAllocated() || !colour.isValid())
        return false;
    QImage& image = bitmap.image();
    // QImage::fill empties an image whose shared pixels it cannot copy.
    if (!raster::writablePixels(image))
        return false;
    if (image.format() == QImage::Format_Indexed8) {
        // A one-entry palette keeps the colour exact whatever the old palette held.
        image.setColorTable({colour.rgb()});
        image.fill(0);
        return true;
    }
    image.fill(colour);
    return true;
}

bool convertTo24(RasterBitmap& bitmap)
{
    if (!bitmap.isAllocated())
        return false;
    const QImage& image = bitmap.image();
    switch (image.format()) {
    case QImage::Format_RGB888:
        return true;
    case QImage::Format_Indexed8:
        bitmap.setImage(indexedTo24(image));
        break;
    default:
        bitmap.setImage(rgb32To24(image));
        break;
    }
    return bitmap.isAllocated();
}

bool convertTo8(RasterBitmap& bitmap)
{
    if (!bitmap.isAllocated())
        return false;
    if (bitmap.bitsPerPixel() == 8)
        return true;
    QImage reduced = quantizeTo8(bitmap.image());
    if (reduced.isNull())
        return false;
    bitmap.setImage(std::move(reduced));
    return true;
}

// Palette bitmaps are resampled in 24 bits and stay 24 bits: averaging indices means
// nothing, and re-quantizing would cost more than the picture gains.
bool sizeBitmap(RasterBitmap& bitmap, int width, int height, SizeQuality quality)
{
    if (!bitmap.isAllocated() || !raster::dimensionsAllowed(width, height))
        return false;
    if (bitmap.width() == width && bitmap.height() == height)
        return true;
    if (bitmap.bitsPerPixel() == 8 && !convertTo24(bitmap))
        return false;
    const QImage& source = bitmap.image();
    const Kernel horizontal = kernelFor(quality, source.width(), width);
    const Kernel vertical = kernelFor(quality, source.height(), height);
    // Run first the pass that leaves the cheaper work for the second.
    const double rowsFirst =
        passCost(horizontal, source.width(), width, source.height(), kRowTapCost) +
        passCost(vertical, source.height(), height, width, kColumnTapCost);
    const double columnsFirst =
        passCost(vertical, source.height(), height, source.width(), kColumnTapCost) +
        passCost(horizontal, source.width(), width, height, kRowTapCost);
    QImage result;
    if (rowsFirst <= columnsFirst) {
        const QImage middle = resampleHorizontally(source, horizontal, width);
        if (!middle.isNull())
            result = resampleVertically(middle, vertical, height);
    } else {
        const QImage middle = resampleVertically(source, vertical, height);
        if (!middle.isNull())
            result = resampleHorizontally(middle, horizontal, width);
    }
    if (result.isNull())
        return false;
    bitmap.setImage(std::move(result));
    return true;
}

bool rotateBitmapClockwise(RasterBitmap& bitmap)
{
    if (!bitmap.isAllocated())
        return false;
    const QImage& source = bitmap.image();
    QImage result = raster::allocateImage(source.height(), source.width(), source.format());
    if (result.isNull())
        return false;
    switch (source.depth()) {
    case 8:
        result.setColorTable(source.colorTable());
        rotateTiles<1>(source, result);
        break;
    case 24:
        rotateTiles<3>(source, result);
        break;
    default:
        rotateTiles<4>(source, result);
        break;
    }
    bitmap.setImage(std::move(result));
    return true;
}
