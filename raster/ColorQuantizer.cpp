#include "raster/ColorQuantizer.h"

#include "raster/LargeImage.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace {

// ---- images with few colours: an exact palette ----

// Open-addressing set of up to a few hundred colours; lookups cost a probe or two.
class ColourTable {
public:
    static constexpr int kSlots = 1024;

    // Index of colour in the palette, adding it if new; -1 once the palette is full.
    int indexOf(QRgb colour, int maxColours)
    {
        const uint32_t key = colour & 0xFFFFFFu;
        uint32_t slot = (key * 2654435761u) >> 22;
        for (;; slot = (slot + 1) & (kSlots - 1)) {
            if (m_index[slot] < 0)
                break;
            if (m_key[slot] == key)
                return m_index[slot];
        }
        if (m_palette.size() >= maxColours)
            return -1;
        m_key[slot] = key;
        m_index[slot] = int(m_palette.size());
        m_palette.append(qRgb(qRed(key), qGreen(key), qBlue(key)));
        return m_index[slot];
    }

    const QList<QRgb>& palette() const { return m_palette; }

private:
    std::array<uint32_t, kSlots> m_key{};
    std::array<int, kSlots> m_index = [] {
        std::array<int, kSlots> empty;
        empty.fill(-1);
        return empty;
    }();
    QList<QRgb> m_palette;
};

// Maps every pixel to its exact colour; a null image when there are more colours.
QImage exactIndexed(const QImage& rgb, int maxColours)
{
    QImage out = raster::allocateImage(rgb.width(), rgb.height(), QImage::Format_Indexed8);
    if (out.isNull())
        return {};
    ColourTable table;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* dst = out.scanLine(y);
        QRgb last = ~in[0];
        int lastIndex = 0;
        for (int x = 0; x < rgb.width(); ++x) {
            if (in[x] != last) {
                last = in[x];
                lastIndex = table.indexOf(last, maxColours);
                if (lastIndex < 0)
                    return {};
            }
            dst[x] = uchar(lastIndex);
        }
    }
    out.setColorTable(table.palette());
    return out;
}

// ---- photos: median cut on a 5-bit-per-channel histogram ----

constexpr int kSide = 32;
constexpr int kCells = kSide * kSide * kSide;

constexpr int cellOf(QRgb c)
{
    return ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3);
}

struct Histogram {
    std::vector<uint64_t> count = std::vector<uint64_t>(kCells);
    std::vector<std::array<uint64_t, 3>> sum = std::vector<std::array<uint64_t, 3>>(kCells);
    std::vector<double> squares = std::vector<double>(kCells);
};

Histogram histogramOf(const QImage& rgb)
{
    Histogram h;
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = in[x];
            const int cell = cellOf(c);
            const uint32_t r = qRed(c), g = qGreen(c), b = qBlue(c);
            ++h.count[size_t(cell)];
            auto& s = h.sum[size_t(cell)];
            s[0] += r;
            s[1] += g;
            s[2] += b;
            h.squares[size_t(cell)] += double(r * r + g * g + b * b);
        }
    }
    return h;
}

// Pixel statistics of a set of cells: count, channel sums and sum of squared channels.
struct Moments {
    double count = 0;
    std::array<double, 3> sum{};
    double squares = 0;

    void add(const Moments& m)
    {
        count += m.count;
        for (int c = 0; c < 3; ++c)
            sum[size_t(c)] += m.sum[size_t(c)];
        squares += m.squares;
    }
    // Sum of squared distances of the pixels to their mean.
    double error() const
    {
        if (count <= 0)
            return 0;
        const double s2 = sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2];
        return squares - s2 / count;
    }
};

struct Box {
    std::array<int, 3> low{};
    std::array<int, 3> high{}; // inclusive
    Moments moments;
    // The best cut found for this box: along axis, cells <= position go low.
    int axis = -1;
    int position = 0;
    double gain = 0;
};

template <typename Visit> void forEachCell(const Box& box, Visit visit)
{
    for (int r = box.low[0]; r <= box.high[0]; ++r)
        for (int g = box.low[1]; g <= box.high[1]; ++g)
            for (int b = box.low[2]; b <= box.high[2]; ++b)
                visit(std::array<int, 3>{r, g, b}, (r << 10) | (g << 5) | b);
}

Moments cellMoments(const Histogram& h, int cell)
{
    const auto& s = h.sum[size_t(cell)];
    return {double(h.count[size_t(cell)]),
            {double(s[0]), double(s[1]), double(s[2])},
            h.squares[size_t(cell)]};
}

// Projects the box's pixels onto each axis, then picks the cut that removes the most
// squared error (the variance-minimising split rather than a plain median).
void planCut(const Histogram& h, Box& box)
{
    std::array<std::array<Moments, kSide>, 3> slices{};
    box.moments = {};
    forEachCell(box, [&](const std::array<int, 3>& at, int cell) {
        const Moments m = cellMoments(h, cell);
        if (m.count == 0)
            return;
        box.moments.add(m);
        for (int axis = 0; axis < 3; ++axis)
            slices[size_t(axis)][size_t(at[size_t(axis)])].add(m);
    });
    box.axis = -1;
    box.gain = 0;
    const double whole = box.moments.error();
    for (int axis = 0; axis < 3; ++axis) {
        Moments below;
        for (int p = box.low[size_t(axis)]; p < box.high[size_t(axis)]; ++p) {
            below.add(slices[size_t(axis)][size_t(p)]);
            Moments above = box.moments;
            above.count -= below.count;
            for (int c = 0; c < 3; ++c)
                above.sum[size_t(c)] -= below.sum[size_t(c)];
            above.squares -= below.squares;
            if (below.count == 0 || above.count <= 0)
                continue;
            const double gain = whole - below.error() - above.error();
            if (gain > box.gain) {
                box.gain = gain;
                box.axis = axis;
                box.position = p;
            }
        }
    }
}

// Shrinks the box to the cells that hold pixels, so later cuts look at less.
void shrinkToContent(const Histogram& h, Box& box)
{
    std::array<int, 3> low{kSide, kSide, kSide}, high{-1, -1, -1};
    forEachCell(box, [&](const std::array<int, 3>& at, int cell) {
        if (h.count[size_t(cell)] == 0)
            return;
        for (size_t a = 0; a < 3; ++a) {
            low[a] = std::min(low[a], at[a]);
            high[a] = std::max(high[a], at[a]);
        }
    });
    if (high[0] >= 0) {
        box.low = low;
        box.high = high;
    }
}

std::vector<Box> medianCut(const Histogram& h, int maxColours)
{
    Box all;
    all.high = {kSide - 1, kSide - 1, kSide - 1};
    shrinkToContent(h, all);
    planCut(h, all);
    std::vector<Box> boxes{all};
    while (int(boxes.size()) < maxColours) {
        auto best = std::max_element(boxes.begin(), boxes.end(),
                                     [](const Box& a, const Box& b) { return a.gain < b.gain; });
        if (best->axis < 0)
            break;
        Box upper = *best;
        best->high[size_t(best->axis)] = best->position;
        upper.low[size_t(upper.axis)] = best->position + 1;
        Box& lower = *best;
        shrinkToContent(h, lower);
        shrinkToContent(h, upper);
        planCut(h, lower);
        planCut(h, upper);
        boxes.push_back(upper);
    }
    return boxes;
}

QImage mapThroughBoxes(const QImage& rgb, const std::vector<Box>& boxes)
{
    QImage out = raster::allocateImage(rgb.width(), rgb.height(), QImage::Format_Indexed8);
    if (out.isNull())
        return {};
    // Inverse lookup: every cell of a box maps to that box's mean colour.
    std::vector<uchar> lookup(kCells, 0);
    QList<QRgb> palette;
    for (const Box& box : boxes) {
        const Moments& m = box.moments;
        const auto mean = [&](int c) { return int(m.sum[size_t(c)] / m.count + 0.5); };
        const auto index = uchar(palette.size());
        palette.append(qRgb(mean(0), mean(1), mean(2)));
        forEachCell(box,
                    [&](const std::array<int, 3>&, int cell) { lookup[size_t(cell)] = index; });
    }
    out.setColorTable(palette);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uchar* dst = out.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x)
            dst[x] = lookup[size_t(cellOf(in[x]))];
    }
    return out;
}

} // namespace

QImage quantizeTo8(const QImage& image, int maxColours)
{
    if (image.isNull() || image.format() == QImage::Format_Indexed8)
        return image;
    maxColours = std::clamp(maxColours, 1, 256);
    const QImage rgb = image.format() == QImage::Format_RGB32
                           ? image
                           : image.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull())
        return {};
    QImage exact = exactIndexed(rgb, maxColours);
    if (!exact.isNull())
        return exact;
    return mapThroughBoxes(rgb, medianCut(histogramOf(rgb), maxColours));
}
