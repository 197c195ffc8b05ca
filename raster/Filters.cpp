#include "raster/Filters.h"

#include "raster/BitmapOps.h"
#include "raster/LargeImage.h"

#include <QRect>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <new>
#include <numbers>
#include <vector>

namespace {

// The filters work on 24 and 32 bits (all four bytes are filtered, so an opaque alpha
// stays opaque); palettes are expanded first. Their working buffers grow with the
// picture, so each operation answers false, leaving the picture as it was, when memory
// runs out.
bool prepare(RasterBitmap& bitmap)
{
    if (!bitmap.isAllocated())
        return false;
    return bitmap.bitsPerPixel() != 8 || convertTo24(bitmap);
}

// ---- average filter: running sums over columns, then along each row ----

// Window sums stay within 32 bits up to this size (255 · 4096² < 2³²).
constexpr int kMaxAverageSize = 4096;

template <int Channels> void averageImage(const QImage& source, QImage& result, int size)
{
    const int width = source.width();
    const int height = source.height();
    const int rowLength = width * Channels;
    // Window [x - before, x + after]; an even size reaches one further back.
    const int before = size / 2;
    const int after = size - 1 - before;
    const uchar* sourceBase = source.constBits();
    const qsizetype sourceStride = source.bytesPerLine();
    auto sourceRow = [&](int y) {
        return sourceBase + std::clamp(y, 0, height - 1) * sourceStride;
    };
    std::vector<std::uint32_t> columns(static_cast<size_t>(rowLength), 0);
    for (int t = -before; t <= after; ++t) {
        const uchar* in = sourceRow(t);
        for (int i = 0; i < rowLength; ++i)
            columns[size_t(i)] += in[i];
    }
    std::vector<int> entering(static_cast<size_t>(width));
    std::vector<int> leaving(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        entering[size_t(x)] = std::min(x + after + 1, width - 1) * Channels;
        leaving[size_t(x)] = std::max(x - before, 0) * Channels;
    }
    // Exact rounding of sum / size²: the bias is far above the product's rounding error
    // and far below 1 / size², the smallest step of the quotient.
    const double inverse = 1.0 / (double(size) * size);
    const double bias = 0.5 + 1e-9;
    uchar* resultBase = result.bits();
    const qsizetype resultStride = result.bytesPerLine();
    for (int y = 0; y < height; ++y) {
        std::uint32_t sum[Channels] = {};
        for (int t = -before; t <= after; ++t)
            for (int c = 0; c < Channels; ++c)
                sum[c] += columns[size_t(std::clamp(t, 0, width - 1) * Channels + c)];
        uchar* out = resultBase + y * resultStride;
        for (int x = 0; x < width; ++x, out += Channels) {
            const std::uint32_t* enter = &columns[size_t(entering[size_t(x)])];
            const std::uint32_t* leave = &columns[size_t(leaving[size_t(x)])];
            for (int c = 0; c < Channels; ++c) {
                out[c] = uchar(double(sum[c]) * inverse + bias);
                sum[c] += enter[c] - leave[c];
            }
        }
        const uchar* adding = sourceRow(y + after + 1);
        const uchar* removing = sourceRow(y - before);
        for (int i = 0; i < rowLength; ++i)
            columns[size_t(i)] += adding[i] - removing[i];
    }
}

// ---- Gaussian filter ----
//
// Small sigmas use the sampled kernel directly. Larger ones use a fourth-order recursive
// approximation (a causal and an anti-causal pass, sum of two damped cosines each side),
// whose cost per pixel does not depend on sigma. Each line is padded with copies of its
// edge values and the recursions start from their steady state for that value, so the
// result is that of the picture extended with its edge colours for ever. Lines are
// processed many at a time (a strip of columns, or a block of rows turned on its side),
// so the inner loops run across independent lanes. Between the two directions samples
// are kept as 16-bit with 8 fractional bits.

// Edge copies each side of a line: the recursion's order and the widest direct kernel's
// half-width.
constexpr int kPad = 4;
constexpr double kDirectSigmaLimit = 1.0;
// Above this the recursion's poles sit so close to 1 that doubles lose the picture.
constexpr int kMaxGaussianRadius = 3000;
constexpr int kLanePixels = 16;
constexpr int kFraction = 8;

struct LinePlan {
    std::vector<double> kernel;       // direct weights (small sigmas), centre in the middle
    std::array<double, 4> forward{};  // x[n], x[n-1], x[n-2], x[n-3]
    std::array<double, 4> backward{}; // x[n+1] … x[n+4]
    std::array<double, 4> feedback{}; // y[n∓1] … y[n∓4]
    double forwardGain = 0;           // each pass's response to a constant 1
    double backwardGain = 0;
};

using Polynomial = std::array<std::complex<double>, 5>;

// Multiplies p (of degree < 4) by (1 - root·x).
void multiplyByFactor(Polynomial& p, std::complex<double> root)
{
    for (int i = 4; i > 0; --i)
        p[size_t(i)] -= root * p[size_t(i - 1)];
}

LinePlan recursivePlan(double sigma)
{
    // Weights and exponents of the two damped cosines (each with its conjugate) whose sum
    // fits the Gaussian on one side.
    using C = std::complex<double>;
    const C weights[4] = {{1.6797292232361, 3.7348298269873},
                          {1.6797292232361, -3.7348298269873},
                          {-0.6802783501806, -0.2598300478959},
                          {-0.6802783501806, 0.2598300478959}};
    const C exponents[4] = {{1.7831906544515, 0.6318113174569},
                            {1.7831906544515, -0.6318113174569},
                            {1.7228297663338, 1.9969276832487},
                            {1.7228297663338, -1.9969276832487}};
    const double scale = 1.0 / (std::sqrt(2.0 * std::numbers::pi) * sigma);
    C poles[4];
    for (int k = 0; k < 4; ++k)
        poles[k] = std::exp(-exponents[k] / sigma);
    Polynomial denominator{1.0};
    for (const C& pole : poles)
        multiplyByFactor(denominator, pole);
    Polynomial forward{};
    Polynomial backward{};
    for (int k = 0; k < 4; ++k) {
        Polynomial term{weights[k] * scale};
        for (int j = 0; j < 4; ++j)
            if (j != k)
                multiplyByFactor(term, poles[j]);
        for (int i = 0; i < 4; ++i) {
            forward[size_t(i)] += term[size_t(i)];
            backward[size_t(i + 1)] += term[size_t(i)] * poles[k];
        }
    }
    LinePlan plan;
    double feedbackSum = 1.0;
    for (int i = 0; i < 4; ++i) {
        plan.forward[size_t(i)] = forward[size_t(i)].real();
        plan.backward[size_t(i)] = backward[size_t(i + 1)].real();
        plan.feedback[size_t(i)] = denominator[size_t(i + 1)].real();
        feedbackSum += plan.feedback[size_t(i)];
    }
    // Gains from the coefficients actually used, normalised to 1 so that flat stays flat.
    auto sum = [](const std::array<double, 4>& a) { return a[0] + a[1] + a[2] + a[3]; };
    const double total = (sum(plan.forward) + sum(plan.backward)) / feedbackSum;
    for (int i = 0; i < 4; ++i) {
        plan.forward[size_t(i)] /= total;
        plan.backward[size_t(i)] /= total;
    }
    plan.forwardGain = sum(plan.forward) / feedbackSum;
    plan.backwardGain = sum(plan.backward) / feedbackSum;
    return plan;
}

LinePlan planFor(double sigma)
{
    if (sigma >= kDirectSigmaLimit)
        return recursivePlan(sigma);
    LinePlan plan;
    const int half = int(std::ceil(4.0 * sigma));
    double total = 0.0;
    for (int t = -half; t <= half; ++t) {
        plan.kernel.push_back(std::exp(-0.5 * t * t / (sigma * sigma)));
        total += plan.kernel.back();
    }
    for (double& w : plan.kernel)
        w /= total;
    return plan;
}

// Blurs `length` samples of `lanes` interleaved values, found in `in` after kPad edge
// copies (and followed by kPad more), into the same positions of out; back is scratch of
// the same size.
void blurLine(const double* in, double* out, double* back, int length, int lanes,
              const LinePlan& plan)
{
    const int end = (length + kPad) * lanes;
    if (!plan.kernel.empty()) {
        const int half = int(plan.kernel.size() / 2);
        for (int i = kPad * lanes; i < end; i += lanes) {
            for (int l = 0; l < lanes; ++l)
                out[i + l] = 0.0;
            for (size_t t = 0; t < plan.kernel.size(); ++t) {
                const double w = plan.kernel[t];
                const double* p = in + i + (int(t) - half) * lanes;
                for (int l = 0; l < lanes; ++l)
                    out[i + l] += w * p[l];
            }
        }
        return;
    }
    const auto& [f0, f1, f2, f3] = plan.forward;
    const auto& [b1, b2, b3, b4] = plan.backward;
    const auto& [a1, a2, a3, a4] = plan.feedback;
    // Steady state before the first sample and after the last.
    for (int i = 0; i < kPad * lanes; ++i) {
        out[i] = plan.forwardGain * in[i];
        back[end + i] = plan.backwardGain * in[end + i];
    }
    const int s = lanes;
    for (int i = kPad * lanes; i < end; i += lanes)
        for (int l = i; l < i + lanes; ++l)
            out[l] = f0 * in[l] + f1 * in[l - s] + f2 * in[l - 2 * s] + f3 * in[l - 3 * s] -
                     a1 * out[l - s] - a2 * out[l - 2 * s] - a3 * out[l - 3 * s] -
                     a4 * out[l - 4 * s];
    for (int i = end - lanes; i >= kPad * lanes; i -= lanes)
        for (int l = i; l < i + lanes; ++l) {
            back[l] = b1 * in[l + s] + b2 * in[l + 2 * s] + b3 * in[l + 3 * s] +
                      b4 * in[l + 4 * s] - a1 * back[l + s] - a2 * back[l + 2 * s] -
                      a3 * back[l + 3 * s] - a4 * back[l + 4 * s];
            out[l] += back[l];
        }
}

// Three buffers of one padded line group.
struct LineBuffers {
    explicit LineBuffers(size_t size) : in(size), out(size), back(size) {}
    std::vector<double> in, out, back;
};

// Columns, in strips of a few pixels: each row of a strip is one short vector of lanes.
template <int Channels>
void blurColumns(const QImage& image, std::vector<std::uint16_t>& middle, const LinePlan& plan)
{
    const int width = image.width();
    const int height = image.height();
    const uchar* base = image.constBits();
    const qsizetype stride = image.bytesPerLine();
    LineBuffers buffers(size_t(height + 2 * kPad) * kLanePixels * Channels);
    const size_t rowLength = size_t(width) * Channels;
    for (int x0 = 0; x0 < width; x0 += kLanePixels) {
        const int lanes = std::min(kLanePixels, width - x0) * Channels;
        for (int t = 0; t < height + 2 * kPad; ++t) {
            const uchar* in = base + std::clamp(t - kPad, 0, height - 1) * stride + x0 * Channels;
            double* line = buffers.in.data() + size_t(t) * size_t(lanes);
            for (int l = 0; l < lanes; ++l)
                line[l] = in[l];
        }
        blurLine(buffers.in.data(), buffers.out.data(), buffers.back.data(), height, lanes, plan);
        for (int y = 0; y < height; ++y) {
            const double* line = buffers.out.data() + size_t(y + kPad) * size_t(lanes);
            std::uint16_t* out = middle.data() + size_t(y) * rowLength + size_t(x0) * Channels;
            for (int l = 0; l < lanes; ++l)
                out[l] = std::uint16_t(std::clamp(line[l] * (1 << kFraction) + 0.5, 0.0, 65535.0));
        }
    }
}

// Rows, in blocks of a few rows turned on their side so that the same lanes apply; the
// result goes to base, the pixels of image.
template <int Channels>
void blurRows(const std::vector<std::uint16_t>& middle, const QImage& image, uchar* base,
              const LinePlan& plan)
{
    const int width = image.width();
    const int height = image.height();
    const qsizetype stride = image.bytesPerLine();
    LineBuffers buffers(size_t(width + 2 * kPad) * kLanePixels * Channels);
    const size_t rowLength = size_t(width) * Channels;
    constexpr double kUnit = 1.0 / (1 << kFraction);
    for (int y0 = 0; y0 < height; y0 += kLanePixels) {
        const int rows = std::min(kLanePixels, height - y0);
        const int lanes = rows * Channels;
        for (int r = 0; r < rows; ++r) {
            const std::uint16_t* in = middle.data() + size_t(y0 + r) * rowLength;
            for (int t = 0; t < width + 2 * kPad; ++t) {
                const std::uint16_t* pixel = in + std::clamp(t - kPad, 0, width - 1) * Channels;
                double* line = buffers.in.data() + size_t(t) * size_t(lanes) + r * Channels;
                for (int c = 0; c < Channels; ++c)
                    line[c] = pixel[c] * kUnit;
            }
        }
        blurLine(buffers.in.data(), buffers.out.data(), buffers.back.data(), width, lanes, plan);
        for (int r = 0; r < rows; ++r) {
            uchar* out = base + (y0 + r) * stride;
            for (int x = 0; x < width; ++x) {
                const double* pixel =
                    buffers.out.data() + size_t(x + kPad) * size_t(lanes) + r * Channels;
                for (int c = 0; c < Channels; ++c)
                    out[x * Channels + c] = uchar(std::clamp(pixel[c] + 0.5, 0.0, 255.0));
            }
        }
    }
}

template <int Channels> void gaussianImage(const QImage& image, uchar* pixels, const LinePlan& plan)
{
    std::vector<std::uint16_t> middle(static_cast<size_t>(image.width()) * size_t(image.height()) *
                                      Channels);
    blurColumns<Channels>(image, middle, plan);
    blurRows<Channels>(middle, image, pixels, plan);
}

// The source in the destination's pixel layout (a converted copy when they differ).
QImage matchingSource(const RasterBitmap& source, QImage::Format format)
{
    if (source.image().format() == format)
        return source.image();
    RasterBitmap converted = source;
    if (!convertTo24(converted))
        return {};
    if (format == QImage::Format_RGB888)
        return converted.image();
    return converted.image().convertToFormat(format);
}

} // namespace

bool averageFilter(RasterBitmap& bitmap, int size)
{
    if (!prepare(bitmap))
        return false;
    if (size <= 1)
        return true;
    size = std::min(size, kMaxAverageSize);
    const QImage& source = bitmap.image();
    QImage result = raster::allocateImage(source.width(), source.height(), source.format());
    if (result.isNull())
        return false;
    try {
        if (source.depth() == 24)
            averageImage<3>(source, result, size);
        else
            averageImage<4>(source, result, size);
    } catch (const std::bad_alloc&) {
        return false;
    }
    bitmap.setImage(std::move(result));
    return true;
}

bool gaussianFilter(RasterBitmap& bitmap, int radius)
{
    if (!prepare(bitmap))
        return false;
    if (radius <= 0)
        return true;
    QImage& image = bitmap.image();
    uchar* pixels = raster::writablePixels(image);
    if (!pixels)
        return false;
    // Every buffer is in place before the first pixel is written.
    try {
        const LinePlan plan = planFor(std::min(radius, kMaxGaussianRadius) / 3.0);
        if (image.depth() == 24)
            gaussianImage<3>(image, pixels, plan);
        else
            gaussianImage<4>(image, pixels, plan);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Rounds halves up: (a + b + 1) / 2.
bool combineAverage(RasterBitmap& destination, int left, int top, int width, int height,
                    const RasterBitmap& source)
{
    if (!source.isAllocated() || !prepare(destination) || width <= 0 || height <= 0)
        return false;
    const QRect area = QRect(left, top, width, height)
                           .intersected(destination.image().rect())
                           .intersected(QRect(left, top, source.width(), source.height()));
    if (area.isEmpty())
        return false;
    const QImage other = matchingSource(source, destination.image().format());
    if (other.isNull())
        return false;
    QImage& image = destination.image();
    uchar* pixels = raster::writablePixels(image);
    if (!pixels)
        return false;
    const int bytes = image.depth() / 8;
    const qsizetype rowBytes = qsizetype(area.width()) * bytes;
    const qsizetype stride = image.bytesPerLine();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        uchar* out = pixels + y * stride + area.left() * bytes;
        const uchar* in = other.constScanLine(y - top) + (area.left() - left) * bytes;
        for (qsizetype i = 0; i < rowBytes; ++i)
            out[i] = uchar((out[i] + in[i] + 1) >> 1);
    }
    return true;
}
