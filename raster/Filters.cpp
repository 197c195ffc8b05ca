#include "raster/Filters.h"

#include "raster/BitmapOps.h"
#include "raster/LargeImage.h"

#include <QRect>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstring>
#include <memory>
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
// approximation whose cost per pixel does not depend on sigma: on each side the kernel is
// a sum of two damped cosines, run as one complex first-order recursion per conjugate
// pair, causal and anti-causal. That parallel form keeps its accuracy in single
// precision where the equivalent fourth-order direct form would not, its poles being so
// close to 1. The recursions start from their steady state for the edge value, so the
// result is that of the picture extended with its edge colours for ever.
//
// Columns go first, a whole row of independent columns at a time, so every step runs
// across vectors of lanes and the picture is read in order; rows then go in blocks turned
// on their side. Between the two directions samples are kept as 16-bit fixed point.

using Lanes = float __attribute__((vector_size(32)));
constexpr int kLaneCount = int(sizeof(Lanes) / sizeof(float));
using Bytes = uchar __attribute__((vector_size(kLaneCount)));
using Shorts = std::int16_t __attribute__((vector_size(kLaneCount * 2)));
using Words = std::int32_t __attribute__((vector_size(sizeof(Lanes))));
// Edge copies each side of a line turned on its side: the widest direct kernel's reach.
constexpr int kPad = 3;
constexpr double kDirectSigmaLimit = 1.0;
// Above this the poles sit so close to 1 that single precision loses the picture.
constexpr int kMaxGaussianRadius = 3000;
// Rows blurred together along the rows: a few vectors of lanes per step.
constexpr int kBlockRows = 8;
// Added to every sample on the way in and taken off on the way out, so that no state of
// a recursion decays towards zero over a dark area: subnormal floats are many times
// slower.
constexpr float kLift = 1.0f / 16;
// Fixed point between the directions, 7 fractional bits: partial sums stay within ±256.
constexpr float kFixedOne = 128.0f;

// One complex first-order recursion, state = pole · state + weight · sample.
struct Pair {
    float poleRe = 0, poleIm = 0;
    float weightRe = 0, weightIm = 0;
    float steadyRe = 0, steadyIm = 0; // the state for a constant 1: weight / (1 - pole)
};
using Pairs = std::array<Pair, 2>;

struct LinePlan {
    std::vector<float> kernel; // direct weights (small sigmas), centre in the middle
    Pairs causal;              // from the current sample backwards
    Pairs anticausal;          // from the next sample onwards
};

// Both pairs' complex states (real, imaginary, real, imaginary) for one vector of lanes.
using State = std::array<float, 4 * kLaneCount>;

LinePlan recursivePlan(double sigma)
{
    // One of each conjugate pair of weights and exponents whose damped cosines fit the
    // Gaussian on one side; the other member only doubles the real part.
    using C = std::complex<double>;
    const C weights[2] = {{1.6797292232361, 3.7348298269873}, {-0.6802783501806, -0.2598300478959}};
    const C exponents[2] = {{1.7831906544515, 0.6318113174569}, {1.7228297663338, 1.9969276832487}};
    const double scale = 2.0 / (std::sqrt(2.0 * std::numbers::pi) * sigma);
    auto single = [](C z) { return C(float(z.real()), float(z.imag())); };
    C poles[2], forward[2], backward[2];
    double total = 0;
    for (int k = 0; k < 2; ++k) {
        // Gains from the poles actually used, so that flat stays flat.
        poles[k] = single(std::exp(-exponents[k] / sigma));
        forward[k] = weights[k] * scale;
        backward[k] = forward[k] * poles[k];
        total += ((forward[k] + backward[k]) / (1.0 - poles[k])).real();
    }
    LinePlan plan;
    auto pair = [&](C pole, C weight) {
        weight /= total;
        const C steady = weight / (1.0 - pole);
        return Pair{float(pole.real()),   float(pole.imag()),   float(weight.real()),
                    float(weight.imag()), float(steady.real()), float(steady.imag())};
    };
    for (size_t k = 0; k < 2; ++k) {
        plan.causal[k] = pair(poles[k], forward[k]);
        plan.anticausal[k] = pair(poles[k], backward[k]);
    }
    return plan;
}

LinePlan planFor(double sigma)
{
    if (sigma >= kDirectSigmaLimit)
        return recursivePlan(sigma);
    LinePlan plan;
    const int half = int(std::ceil(4.0 * sigma));
    std::vector<double> weights;
    double total = 0.0;
    for (int t = -half; t <= half; ++t) {
        weights.push_back(std::exp(-0.5 * t * t / (sigma * sigma)));
        total += weights.back();
    }
    for (double w : weights)
        plan.kernel.push_back(float(w / total));
    return plan;
}

// ---- the inner loops, over rows of lanes; built for AVX2 as well where it exists ----
//
// Buffers are allocated outside the AVX2 versions, where these vectors are aligned less,
// so every access goes through an unaligned load or store.

[[gnu::always_inline]] inline void load(Lanes& v, const float* p)
{
    std::memcpy(&v, p, sizeof v);
}

[[gnu::always_inline]] inline void store(float* p, const Lanes& v)
{
    std::memcpy(p, &v, sizeof v);
}

// The output of a state: the sum of its real parts.
[[gnu::always_inline]] inline void output(Lanes& sum, const State& s)
{
    Lanes second;
    load(sum, s.data());
    load(second, s.data() + 2 * kLaneCount);
    sum += second;
}

[[gnu::always_inline]] inline void advance(State& s, const Lanes& x, const Pairs& pairs)
{
    for (int k = 0; k < 2; ++k) {
        const Pair& p = pairs[size_t(k)];
        float* reAt = s.data() + 2 * k * kLaneCount;
        float* imAt = reAt + kLaneCount;
        Lanes re, im;
        load(re, reAt);
        load(im, imAt);
        store(reAt, re * p.poleRe - im * p.poleIm + x * p.weightRe);
        store(imAt, im * p.poleRe + re * p.poleIm + x * p.weightIm);
    }
}

// Steady states for constant lines of the values in `in`.
[[gnu::target_clones("avx2", "default")]] void startStates(State* states, const float* in,
                                                           int vectors, const Pairs& pairs)
{
    for (int v = 0; v < vectors; ++v) {
        Lanes x;
        load(x, in + v * kLaneCount);
        for (int k = 0; k < 2; ++k) {
            const Pair& p = pairs[size_t(k)];
            float* reAt = states[v].data() + 2 * k * kLaneCount;
            store(reAt, x * p.steadyRe);
            store(reAt + kLaneCount, x * p.steadyIm);
        }
    }
}

// One step forward: takes in the samples in `in`, writes the causal sums to `out`.
[[gnu::target_clones("avx2", "default")]] void
causalStep(State* states, const float* in, float* out, int vectors, const Pairs& pairs)
{
    for (int v = 0; v < vectors; ++v) {
        Lanes x, sum;
        load(x, in + v * kLaneCount);
        advance(states[v], x, pairs);
        output(sum, states[v]);
        store(out + v * kLaneCount, sum);
    }
}

// One step backward: adds the sums of the samples after this one to `out`, then takes
// in the samples in `in`.
[[gnu::target_clones("avx2", "default")]] void
anticausalStep(State* states, const float* in, float* out, int vectors, const Pairs& pairs)
{
    for (int v = 0; v < vectors; ++v) {
        Lanes x, sum, before;
        output(sum, states[v]);
        load(before, out + v * kLaneCount);
        store(out + v * kLaneCount, before + sum);
        load(x, in + v * kLaneCount);
        advance(states[v], x, pairs);
    }
}

// out = Σ kernel[t] · rows[t].
[[gnu::target_clones("avx2", "default")]] void
directStep(const float* const* rows, float* out, int vectors, const std::vector<float>& kernel)
{
    for (int v = 0; v < vectors; ++v) {
        Lanes sum = {};
        for (size_t t = 0; t < kernel.size(); ++t) {
            Lanes x;
            load(x, rows[t] + v * kLaneCount);
            sum += x * kernel[t];
        }
        store(out + v * kLaneCount, sum);
    }
}

// 8-bit samples to lifted floats. Conversions between bytes and floats go through
// 16- and 32-bit integers, the steps GCC turns into whole-vector instructions.
[[gnu::target_clones("avx2", "default")]] void widen(const uchar* in, float* out, int count)
{
    int i = 0;
    for (; i + kLaneCount <= count; i += kLaneCount) {
        Bytes b;
        std::memcpy(&b, in + i, sizeof b);
        const Words w = __builtin_convertvector(__builtin_convertvector(b, Shorts), Words);
        store(out + i, __builtin_convertvector(w, Lanes) + kLift);
    }
    for (; i < count; ++i)
        out[i] = float(in[i]) + kLift;
}

// Lifted floats back to rounded 8-bit samples; count is a multiple of kLaneCount.
[[gnu::target_clones("avx2", "default")]] void narrow(const float* in, uchar* out, int count)
{
    for (int i = 0; i < count; i += kLaneCount) {
        Lanes x;
        load(x, in + i);
        x += 0.5f - kLift;
        x = x < 0.0f ? 0.0f : x;
        x = x > 255.0f ? 255.0f : x;
        const Shorts s = __builtin_convertvector(__builtin_convertvector(x, Words), Shorts);
        const Bytes b = __builtin_convertvector(s, Bytes);
        std::memcpy(out + i, &b, sizeof b);
    }
}

// Floats to fixed point; count is a multiple of kLaneCount.
[[gnu::target_clones("avx2", "default")]] void toFixed(const float* in, std::int16_t* out,
                                                       int count)
{
    for (int i = 0; i < count; i += kLaneCount) {
        Lanes x;
        load(x, in + i);
        x = x * kFixedOne + 0.5f;
        x = x < -32768.0f ? -32768.0f : x;
        x = x > 32767.0f ? 32767.0f : x;
        const Shorts s = __builtin_convertvector(__builtin_convertvector(x, Words), Shorts);
        std::memcpy(out + i, &s, sizeof s);
    }
}

[[gnu::target_clones("avx2", "default")]] void fromFixed(const std::int16_t* in, float* out,
                                                         int count)
{
    for (int i = 0; i < count; i += kLaneCount) {
        Shorts s;
        std::memcpy(&s, in + i, sizeof s);
        store(out + i, __builtin_convertvector(__builtin_convertvector(s, Words), Lanes) *
                           (1.0f / kFixedOne));
    }
}

// ---- the two directions ----

using LineBuffer = std::vector<float>;

int roundUpToLanes(int samples)
{
    return (samples + kLaneCount - 1) / kLaneCount * kLaneCount;
}

// The picture's samples after the column pass, one row after another. The buffer is a
// large image's: huge pages where the system has them, so that filling it costs far fewer
// page faults.
struct FixedImage {
    FixedImage(int rows, int rowLength)
        : stride(roundUpToLanes(rowLength)),
          buffer(raster::allocateImage(stride, rows, QImage::Format_Grayscale16))
    {
        if (buffer.isNull())
            throw std::bad_alloc();
    }
    std::int16_t* row(int y) { return reinterpret_cast<std::int16_t*>(buffer.scanLine(y)); }
    const std::int16_t* row(int y) const
    {
        return reinterpret_cast<const std::int16_t*>(buffer.constScanLine(y));
    }

    int stride;
    QImage buffer;
};

// The column pass over whole rows: down with the causal recursion, then up with the
// anti-causal one, adding.
void blurColumnsRecursive(const QImage& image, int rowLength, FixedImage& middle,
                          const LinePlan& plan)
{
    const int height = image.height();
    const int vectors = middle.stride / kLaneCount;
    LineBuffer in(size_t(middle.stride), 0.0f);
    LineBuffer out(in.size());
    std::vector<State> states(static_cast<size_t>(vectors));
    widen(image.constScanLine(0), in.data(), rowLength);
    startStates(states.data(), in.data(), vectors, plan.causal);
    for (int y = 0; y < height; ++y) {
        widen(image.constScanLine(y), in.data(), rowLength);
        causalStep(states.data(), in.data(), out.data(), vectors, plan.causal);
        toFixed(out.data(), middle.row(y), middle.stride);
    }
    startStates(states.data(), in.data(), vectors, plan.anticausal);
    for (int y = height - 1; y >= 0; --y) {
        widen(image.constScanLine(y), in.data(), rowLength);
        fromFixed(middle.row(y), out.data(), middle.stride);
        anticausalStep(states.data(), in.data(), out.data(), vectors, plan.anticausal);
        toFixed(out.data(), middle.row(y), middle.stride);
    }
}

// The column pass with the direct kernel, from a ring of the rows it reaches.
void blurColumnsDirect(const QImage& image, int rowLength, FixedImage& middle, const LinePlan& plan)
{
    const int height = image.height();
    const int taps = int(plan.kernel.size());
    const int half = taps / 2;
    std::vector<LineBuffer> ring(size_t(taps), LineBuffer(size_t(middle.stride), 0.0f));
    auto slot = [&](int y) -> LineBuffer& { return ring[size_t((y + taps) % taps)]; };
    auto load = [&](int y) {
        widen(image.constScanLine(std::clamp(y, 0, height - 1)), slot(y).data(), rowLength);
    };
    for (int y = -half; y < half; ++y)
        load(y);
    std::array<const float*, 2 * kPad + 1> rows{};
    LineBuffer out(size_t(middle.stride), 0.0f);
    for (int y = 0; y < height; ++y) {
        load(y + half);
        for (int t = 0; t < taps; ++t)
            rows[size_t(t)] = slot(y + t - half).data();
        directStep(rows.data(), out.data(), middle.stride / kLaneCount, plan.kernel);
        toFixed(out.data(), middle.row(y), middle.stride);
    }
}

// One block of rows turned on its side: step t holds pixel t - kPad of each row, edge
// copies included, so that the steps of the column pass apply.
template <int Channels> struct RowBlock {
    static constexpr int kLanes = kBlockRows * Channels;
    static constexpr int kVectors = kLanes / kLaneCount;
    static_assert(kLanes % kLaneCount == 0);

    explicit RowBlock(int width)
        : width(width), fixed(size_t(width + 2 * kPad) * kLanes), in(fixed.size()),
          out(fixed.size()), bytes(size_t(width) * kLanes)
    {
    }
    float* inAt(int t) { return in.data() + size_t(t) * kLanes; }
    float* outAt(int t) { return out.data() + size_t(t) * kLanes; }

    int width;
    std::vector<std::int16_t> fixed;
    LineBuffer in, out;
    std::vector<uchar> bytes;
};

template <int Channels>
void gatherBlock(const FixedImage& middle, int firstRow, int rows, RowBlock<Channels>& block)
{
    constexpr int kLanes = RowBlock<Channels>::kLanes;
    const int steps = block.width + 2 * kPad;
    for (int r = 0; r < kBlockRows; ++r) {
        // Rows past the picture's end repeat its last one; they are never written back.
        const std::int16_t* source = middle.row(firstRow + std::min(r, rows - 1));
        std::int16_t* lane = block.fixed.data() + r * Channels;
        for (int t = 0; t < steps; ++t) {
            const std::int16_t* pixel =
                source + std::clamp(t - kPad, 0, block.width - 1) * Channels;
            for (int c = 0; c < Channels; ++c)
                lane[size_t(t) * kLanes + c] = pixel[c];
        }
    }
    fromFixed(block.fixed.data(), block.in.data(), int(block.in.size()));
}

template <int Channels> void blurBlock(RowBlock<Channels>& block, const LinePlan& plan)
{
    constexpr int kVectors = RowBlock<Channels>::kVectors;
    const int first = kPad;
    const int last = kPad + block.width - 1;
    if (!plan.kernel.empty()) {
        const int half = int(plan.kernel.size() / 2);
        std::array<const float*, 2 * kPad + 1> rows{};
        for (int t = first; t <= last; ++t) {
            for (size_t i = 0; i < plan.kernel.size(); ++i)
                rows[i] = block.inAt(t - half + int(i));
            directStep(rows.data(), block.outAt(t), kVectors, plan.kernel);
        }
        return;
    }
    std::array<State, kVectors> states;
    startStates(states.data(), block.inAt(first), kVectors, plan.causal);
    for (int t = first; t <= last; ++t)
        causalStep(states.data(), block.inAt(t), block.outAt(t), kVectors, plan.causal);
    startStates(states.data(), block.inAt(last), kVectors, plan.anticausal);
    for (int t = last; t >= first; --t)
        anticausalStep(states.data(), block.inAt(t), block.outAt(t), kVectors, plan.anticausal);
}

template <int Channels>
void scatterBlock(RowBlock<Channels>& block, int firstRow, int rows, uchar* base, qsizetype stride)
{
    constexpr int kLanes = RowBlock<Channels>::kLanes;
    narrow(block.outAt(kPad), block.bytes.data(), block.width * kLanes);
    for (int r = 0; r < rows; ++r) {
        uchar* out = base + (firstRow + r) * stride;
        const uchar* lane = block.bytes.data() + r * Channels;
        for (int x = 0; x < block.width; ++x)
            for (int c = 0; c < Channels; ++c)
                out[x * Channels + c] = lane[size_t(x) * kLanes + c];
    }
}

template <int Channels>
void blurRows(const FixedImage& middle, int width, int height, uchar* base, qsizetype stride,
              const LinePlan& plan)
{
    RowBlock<Channels> block(width);
    for (int y0 = 0; y0 < height; y0 += kBlockRows) {
        const int rows = std::min(kBlockRows, height - y0);
        gatherBlock(middle, y0, rows, block);
        blurBlock(block, plan);
        scatterBlock(block, y0, rows, base, stride);
    }
}

template <int Channels> void gaussianImage(const QImage& image, uchar* pixels, const LinePlan& plan)
{
    const int rowLength = image.width() * Channels;
    FixedImage middle(image.height(), rowLength);
    if (plan.kernel.empty())
        blurColumnsRecursive(image, rowLength, middle, plan);
    else
        blurColumnsDirect(image, rowLength, middle, plan);
    blurRows<Channels>(middle, image.width(), image.height(), pixels, image.bytesPerLine(), plan);
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
