#include "raster/IcoCodec.h"

#include "raster/DibReader.h"
#include "raster/RasterBitmap.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr qint64 kDirectorySize = 6;
constexpr qint64 kEntrySize = 16;
constexpr std::uint16_t kIconType = 1;
constexpr std::uint16_t kCursorType = 2;
// A broken best entry falls back to the next ones, but a file of many broken entries
// must not cost many decodes.
constexpr std::size_t kMaxAttempts = 4;

struct Entry {
    QByteArrayView data;
    qint64 area = 0;
    int depth = 0;
};

std::uint16_t u16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}
std::uint32_t u32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}

bool isPng(QByteArrayView data)
{
    return data.size() >= 8 && std::memcmp(data.data(), "\x89PNG\r\n\x1a\n", 8) == 0;
}

// Reads size and depth from the PNG header so that the caps apply before any decoder
// allocates.
std::optional<Entry> pngEntry(QByteArrayView data)
{
    constexpr qint64 kHeaderEnd = 8 + 8 + 13; // signature, chunk length and type, IHDR
    if (data.size() < kHeaderEnd || std::memcmp(data.data() + 12, "IHDR", 4) != 0)
        return std::nullopt;
    const qint64 width = qFromBigEndian<quint32>(data.data() + 16);
    const qint64 height = qFromBigEndian<quint32>(data.data() + 20);
    if (!raster::dimensionsAllowed(width, height))
        return std::nullopt;
    const int bitDepth = uchar(data[24]);
    int channels = 0;
    switch (uchar(data[25])) {
    case 0: // grey
    case 3: // palette
        channels = 1;
        break;
    case 2: // RGB
        channels = 3;
        break;
    case 4: // grey and alpha
        channels = 2;
        break;
    case 6: // RGBA
        channels = 4;
        break;
    default:
        return std::nullopt;
    }
    return Entry{data, width * height, bitDepth * channels};
}

std::optional<Entry> dibEntry(QByteArrayView data)
{
    const DibReader dib(data, DibReader::Layout::Icon);
    if (!dib.isValid())
        return std::nullopt;
    return Entry{data, qint64(dib.width()) * dib.height(), dib.bitCount()};
}

// Set bits of the AND mask mark transparent pixels. An entry cut off before its mask
// stays opaque.
void applyAndMask(QImage& image, QByteArrayView mask)
{
    const int width = image.width();
    const int height = image.height();
    const qint64 stride = (qint64(width) + 31) / 32 * 4;
    if (stride * height > mask.size())
        return;
    for (int row = 0; row < height; ++row) {
        const auto* in = reinterpret_cast<const uchar*>(mask.data()) + row * stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(height - 1 - row));
        for (int x = 0; x < width; ++x) {
            if (in[x >> 3] & (0x80 >> (x & 7)))
                out[x] &= RGB_MASK;
        }
    }
}

QImage decodeDib(QByteArrayView data)
{
    const DibReader dib(data, DibReader::Layout::Icon);
    QImage image = dib.decode(dib.colorTableEnd());
    // 32-bit entries with alpha of their own ignore the mask.
    if (image.isNull() || image.format() == QImage::Format_ARGB32)
        return image;
    image = image.convertToFormat(QImage::Format_ARGB32);
    if (!dib.isCompressed()) {
        const qint64 maskOffset = dib.colorTableEnd() + dib.rowStride() * dib.height();
        if (maskOffset < data.size())
            applyAndMask(image, data.sliced(maskOffset));
    }
    return image;
}

QImage decodeEntry(const Entry& entry)
{
    if (!isPng(entry.data))
        return decodeDib(entry.data);
    const QImage image = QImage::fromData(entry.data, "PNG");
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

std::vector<Entry> readDirectory(QByteArrayView data)
{
    std::vector<Entry> entries;
    const qint64 count =
        std::min<qint64>(u16(data.data() + 4), (data.size() - kDirectorySize) / kEntrySize);
    for (qint64 i = 0; i < count; ++i) {
        const char* e = data.data() + kDirectorySize + i * kEntrySize;
        const qint64 size = u32(e + 8);
        const qint64 offset = u32(e + 12);
        if (offset >= data.size())
            continue;
        // The stated size may run past the end; the entry gets what is there.
        const QByteArrayView image = data.sliced(offset, std::min(size, data.size() - offset));
        if (auto entry = isPng(image) ? pngEntry(image) : dibEntry(image))
            entries.push_back(*entry);
    }
    return entries;
}

} // namespace

QImage decodeIco(QByteArrayView data)
{
    if (data.size() < kDirectorySize)
        return {};
    const std::uint16_t type = u16(data.data() + 2);
    if (u16(data.data()) != 0 || (type != kIconType && type != kCursorType))
        return {};
    // The directory's own sizes and depths are often wrong; the entries' headers decide.
    std::vector<Entry> entries = readDirectory(data);
    std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
        return a.area != b.area ? a.area > b.area : a.depth > b.depth;
    });
    for (std::size_t i = 0; i < entries.size() && i < kMaxAttempts; ++i) {
        QImage image = decodeEntry(entries[i]);
        if (!image.isNull())
            return image;
    }
    return {};
}
