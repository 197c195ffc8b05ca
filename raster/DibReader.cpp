#include "raster/DibReader.h"

#include "raster/RasterBitmap.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitFields = 3;
constexpr std::uint32_t kBiAlphaBitFields = 6;

constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kLargestHeaderSize = 124;
constexpr std::uint32_t kLargestOs2HeaderSize = 64;

const uchar* bytes(QByteArrayView view)
{
    return reinterpret_cast<const uchar*>(view.data());
}
std::uint16_t u16(const uchar* p)
{
    return qFromLittleEndian<quint16>(p);
}
std::uint32_t u32(const uchar* p)
{
    return qFromLittleEndian<quint32>(p);
}
std::int32_t i32(const uchar* p)
{
    return qFromLittleEndian<qint32>(p);
}

bool isWindowsHeaderSize(std::uint32_t size)
{
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// OS/2 2.x headers may stop after any field; what they leave out reads as zero.
bool isOs2HeaderSize(std::uint32_t size)
{
    return size == kCoreHeaderSize ||
           (size >= 16 && size <= kLargestOs2HeaderSize && !isWindowsHeaderSize(size));
}

// One colour channel of a bit-field pixel, scaled to 0..255 through a table.
class Channel {
public:
    explicit Channel(std::uint32_t mask) : m_mask(mask)
    {
        if (mask == 0)
            return;
        m_shift = std::countr_zero(mask);
        int width = 32 - std::countl_zero(mask) - m_shift;
        // Wider channels keep their top eight bits.
        if (width > 8) {
            m_shift += width - 8;
            width = 8;
        }
        const std::uint32_t maxValue = (1u << width) - 1;
        for (std::uint32_t v = 0; v <= maxValue; ++v)
            m_levels[v] = uchar((v * 255 + maxValue / 2) / maxValue);
    }

    uchar level(std::uint32_t pixel) const
    {
        return m_levels[((pixel & m_mask) >> m_shift) & 0xff];
    }

private:
    std::uint32_t m_mask;
    int m_shift = 0;
    std::array<uchar, 256> m_levels{};
};

} // namespace

DibReader::DibReader(QByteArrayView dib, Layout layout) : m_dib(dib)
{
    m_valid = parse(layout);
}

bool DibReader::parse(Layout layout)
{
    if (m_dib.size() < 4)
        return false;
    const std::uint32_t headerSize = u32(bytes(m_dib));
    if (!isWindowsHeaderSize(headerSize) && !isOs2HeaderSize(headerSize))
        return false;
    if (headerSize > m_dib.size())
        return false;
    std::array<uchar, kLargestHeaderSize> h{};
    std::memcpy(h.data(), m_dib.data(), headerSize);
    m_headerEnd = headerSize;

    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t compression = kBiRgb;
    std::uint32_t colorsUsed = 0;
    if (headerSize == kCoreHeaderSize) {
        width = u16(&h[4]);
        height = u16(&h[6]);
        m_bitCount = u16(&h[10]);
        m_paletteEntrySize = 3;
    } else {
        width = i32(&h[4]);
        height = i32(&h[8]);
        m_bitCount = u16(&h[14]);
        compression = u32(&h[16]);
        colorsUsed = u32(&h[32]);
    }

    switch (compression) {
    case kBiRgb:
        m_compression = Compression::Rgb;
        break;
    case kBiRle8:
        m_compression = Compression::Rle8;
        break;
    case kBiRle4:
        m_compression = Compression::Rle4;
        break;
    case kBiBitFields:
    case kBiAlphaBitFields:
        // In OS/2 headers these codes mean Huffman and RLE24, which we do not read.
        if (isOs2HeaderSize(headerSize))
            return false;
        m_compression = Compression::BitFields;
        break;
    default:
        return false;
    }

    switch (m_compression) {
    case Compression::Rgb:
        if (m_bitCount != 1 && m_bitCount != 2 && m_bitCount != 4 && m_bitCount != 8 &&
            m_bitCount != 16 && m_bitCount != 24 && m_bitCount != 32)
            return false;
        break;
    case Compression::Rle8:
        if (m_bitCount != 8)
            return false;
        break;
    case Compression::Rle4:
        if (m_bitCount != 4)
            return false;
        break;
    case Compression::BitFields:
        if (m_bitCount != 16 && m_bitCount != 32)
            return false;
        break;
    }

    if (m_compression == Compression::BitFields) {
        if (headerSize > kInfoHeaderSize) {
            for (int i = 0; i < 4; ++i)
                m_masks[i] = u32(&h[40 + 4 * i]);
            if (headerSize < 56)
                m_masks[3] = 0;
        } else {
            const int count = compression == kBiAlphaBitFields ? 4 : 3;
            if (m_dib.size() < m_headerEnd + 4 * count)
                return false;
            for (int i = 0; i < count; ++i)
                m_masks[i] = u32(bytes(m_dib) + m_headerEnd + 4 * i);
            m_headerEnd += 4 * count;
        }
    } else if (m_bitCount == 16) {
        m_masks = {0x7c00, 0x03e0, 0x001f, 0};
    } else if (m_bitCount == 32) {
        m_masks = {0xff0000, 0x00ff00, 0x0000ff, layout == Layout::Icon ? 0xff000000u : 0u};
    }

    if (width <= 0 || height == 0)
        return false;
    m_topDown = height < 0;
    height = m_topDown ? -height : height;
    if (layout == Layout::Icon) {
        if (m_topDown)
            return false;
        height /= 2;
    }
    // Bottom-up is the only order in which the RLE codes make sense.
    if (m_topDown && isCompressed())
        return false;
    if (!raster::dimensionsAllowed(width, height))
        return false;
    m_width = int(width);
    m_height = int(height);

    if (m_bitCount <= 8) {
        const qint64 maxEntries = qint64(1) << m_bitCount;
        m_paletteEntries = colorsUsed == 0 ? maxEntries : std::min<qint64>(colorsUsed, maxEntries);
    } else {
        m_paletteEntries = std::min<qint64>(colorsUsed, 256);
    }
    m_colorTableEnd = m_headerEnd + m_paletteEntries * m_paletteEntrySize;
    return true;
}

QImage DibReader::decode(qint64 pixelOffset) const
{
    if (!m_valid || pixelOffset < m_headerEnd || pixelOffset >= m_dib.size())
        return {};
    const QByteArrayView pixels = m_dib.sliced(pixelOffset);
    if (m_bitCount <= 8) {
        const QList<QRgb> colors = readColorTable(pixelOffset);
        return isCompressed() ? decodeRle(pixels, colors) : decodeIndexed(pixels, colors);
    }
    if (m_bitCount == 24)
        return decodeRgb24(pixels);
    return decodeBitFields(pixels);
}

// The table may be cut short by the pixels or the end of the data; every index it lacks
// shows black, so no pixel can point outside the table.
QList<QRgb> DibReader::readColorTable(qint64 pixelOffset) const
{
    QList<QRgb> colors(qsizetype(1) << m_bitCount, qRgb(0, 0, 0));
    const qint64 end = std::min({m_colorTableEnd, pixelOffset, qint64(m_dib.size())});
    const qint64 count = std::max<qint64>(0, (end - m_headerEnd) / m_paletteEntrySize);
    const uchar* entry = bytes(m_dib) + m_headerEnd;
    for (qint64 i = 0; i < count; ++i, entry += m_paletteEntrySize)
        colors[i] = qRgb(entry[2], entry[1], entry[0]);
    return colors;
}

// The last row may lack its padding; anything shorter is refused.
bool DibReader::rowsFit(QByteArrayView pixels) const
{
    const qint64 lastRow = (qint64(m_width) * m_bitCount + 7) / 8;
    return (m_height - 1) * rowStride() + lastRow <= pixels.size();
}

QImage DibReader::decodeIndexed(QByteArrayView pixels, const QList<QRgb>& colors) const
{
    if (!rowsFit(pixels))
        return {};
    QImage image(m_width, m_height, QImage::Format_Indexed8);
    if (image.isNull())
        return {};
    image.setColorTable(colors);
    const qint64 stride = rowStride();
    const int bits = m_bitCount;
    const int perByte = 8 / bits;
    const int mask = (1 << bits) - 1;
    for (int row = 0; row < m_height; ++row) {
        const uchar* in = bytes(pixels) + row * stride;
        uchar* out = image.scanLine(imageRow(row));
        if (bits == 8) {
            std::memcpy(out, in, size_t(m_width));
            continue;
        }
        for (int x = 0; x < m_width; ++x)
            out[x] = uchar((in[x / perByte] >> (8 - bits * (x % perByte + 1))) & mask);
    }
    return image;
}

// Skipped pixels (delta, early end of line or bitmap, data that ends too soon) keep
// index 0; runs past the right edge are clipped.
QImage DibReader::decodeRle(QByteArrayView pixels, const QList<QRgb>& colors) const
{
    // A run gives at most 255 pixels for two bytes; only skips and early ends give more,
    // and a picture left almost wholly blank that way is a lie about its size.
    if (qint64(m_width) * m_height > raster::kMaxPixelsPerInputByte * pixels.size())
        return {};
    QImage image(m_width, m_height, QImage::Format_Indexed8);
    if (image.isNull())
        return {};
    image.setColorTable(colors);
    image.fill(0);
    const bool four = m_compression == Compression::Rle4;
    const uchar* d = bytes(pixels);
    const qint64 size = pixels.size();
    qint64 pos = 0;
    int x = 0;
    int row = 0;
    while (row < m_height && pos + 2 <= size) {
        const int count = d[pos];
        const int value = d[pos + 1];
        pos += 2;
        uchar* out = image.scanLine(imageRow(row));
        if (count > 0) {
            for (int i = 0; i < count && x < m_width; ++i, ++x)
                out[x] = uchar(!four ? value : (i & 1) ? value & 15 : value >> 4);
        } else if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (pos + 2 > size)
                break;
            x = std::min(x + d[pos], m_width);
            row += d[pos + 1];
            pos += 2;
        } else {
            // A literal run, padded to an even number of bytes.
            const qint64 length = four ? (value + 1) / 2 : value;
            if (pos + length > size)
                break;
            const uchar* in = d + pos;
            for (int i = 0; i < value && x < m_width; ++i, ++x)
                out[x] = uchar(!four ? in[i] : (i & 1) ? in[i / 2] & 15 : in[i / 2] >> 4);
            pos += length + (length & 1);
        }
    }
    return image;
}

QImage DibReader::decodeRgb24(QByteArrayView pixels) const
{
    if (!rowsFit(pixels))
        return {};
    QImage image(m_width, m_height, QImage::Format_RGB888);
    if (image.isNull())
        return {};
    const qint64 stride = rowStride();
    for (int row = 0; row < m_height; ++row) {
        const uchar* in = bytes(pixels) + row * stride;
        uchar* out = image.scanLine(imageRow(row));
        for (int x = 0; x < m_width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
    }
    return image;
}

// An alpha mask whose every value is zero is taken as unused: writers often set the mask
// and leave the fourth byte empty.
QImage DibReader::decodeBitFields(QByteArrayView pixels) const
{
    if (!rowsFit(pixels))
        return {};
    const bool hasAlpha = m_masks[3] != 0;
    QImage image(m_width, m_height, hasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB888);
    if (image.isNull())
        return {};
    const Channel red(m_masks[0]);
    const Channel green(m_masks[1]);
    const Channel blue(m_masks[2]);
    const Channel alpha(m_masks[3]);
    const qint64 stride = rowStride();
    const bool wide = m_bitCount == 32;
    bool alphaUsed = false;
    for (int row = 0; row < m_height; ++row) {
        const uchar* in = bytes(pixels) + row * stride;
        uchar* out = image.scanLine(imageRow(row));
        auto* argb = reinterpret_cast<QRgb*>(out);
        for (int x = 0; x < m_width; ++x) {
            const std::uint32_t pixel = wide ? u32(in + 4 * x) : u16(in + 2 * x);
            if (hasAlpha) {
                const uchar a = alpha.level(pixel);
                alphaUsed |= a != 0;
                argb[x] = qRgba(red.level(pixel), green.level(pixel), blue.level(pixel), a);
                continue;
            }
            out[3 * x] = red.level(pixel);
            out[3 * x + 1] = green.level(pixel);
            out[3 * x + 2] = blue.level(pixel);
        }
    }
    if (hasAlpha && !alphaUsed) {
        // Read as RGB32 the fourth byte is ignored, so the colours survive unblended.
        image.reinterpretAsFormat(QImage::Format_RGB32);
        return image.convertToFormat(QImage::Format_RGB888);
    }
    return image;
}
