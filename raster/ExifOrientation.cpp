#include "raster/ExifOrientation.h"

#include "raster/LargeImage.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>

namespace {

constexpr int kNoOrientation = 1;
constexpr std::uint16_t kOrientationTag = 0x0112;
constexpr std::uint16_t kTypeShort = 3;
constexpr std::size_t kIfdEntrySize = 12;

// Bounds-checked reads of a TIFF block in either byte order.
class TiffReader {
public:
    TiffReader(const unsigned char* data, std::size_t size, bool bigEndian)
        : m_data(data), m_size(size), m_bigEndian(bigEndian)
    {
    }

    std::size_t size() const { return m_size; }

    std::optional<std::uint16_t> u16(std::size_t offset) const
    {
        if (offset > m_size || m_size - offset < 2)
            return std::nullopt;
        const unsigned char* p = m_data + offset;
        return m_bigEndian ? std::uint16_t(p[0] << 8 | p[1]) : std::uint16_t(p[1] << 8 | p[0]);
    }

    std::optional<std::uint32_t> u32(std::size_t offset) const
    {
        const auto first = u16(offset);
        const auto second = u16(offset + 2);
        if (!first || !second)
            return std::nullopt;
        return m_bigEndian ? std::uint32_t(*first) << 16 | *second
                           : std::uint32_t(*second) << 16 | *first;
    }

private:
    const unsigned char* m_data;
    std::size_t m_size;
    bool m_bigEndian;
};

// Looks the tag up in IFD0 of a TIFF block ("II*\0" or "MM\0*").
int orientationFromTiff(const unsigned char* data, std::size_t size)
{
    if (size < 8)
        return kNoOrientation;
    bool bigEndian = false;
    if (std::memcmp(data, "MM", 2) == 0)
        bigEndian = true;
    else if (std::memcmp(data, "II", 2) != 0)
        return kNoOrientation;
    const TiffReader tiff(data, size, bigEndian);
    if (tiff.u16(2) != 42)
        return kNoOrientation;
    const std::size_t ifd = *tiff.u32(4);
    const auto count = tiff.u16(ifd);
    if (!count)
        return kNoOrientation;
    // The count is only trusted as far as the entries fit in the block.
    const std::size_t available = (tiff.size() - ifd - 2) / kIfdEntrySize;
    const std::size_t entries = std::min<std::size_t>(*count, available);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = ifd + 2 + i * kIfdEntrySize;
        if (tiff.u16(entry) != kOrientationTag)
            continue;
        if (tiff.u16(entry + 2) != kTypeShort || tiff.u32(entry + 4) != 1u)
            return kNoOrientation;
        const int value = *tiff.u16(entry + 8);
        return value >= 1 && value <= 8 ? value : kNoOrientation;
    }
    return kNoOrientation;
}

bool isStandaloneMarker(unsigned char marker)
{
    return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

} // namespace

int exifOrientation(QByteArrayView jpegData)
{
    const auto* data = reinterpret_cast<const unsigned char*>(jpegData.data());
    const std::size_t size = std::size_t(jpegData.size());
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return kNoOrientation;
    std::size_t pos = 2;
    while (pos + 4 <= size) {
        if (data[pos] != 0xFF)
            return kNoOrientation;
        const unsigned char marker = data[pos + 1];
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (isStandaloneMarker(marker)) {
            pos += 2;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) // start of scan, end of image
            return kNoOrientation;
        const std::size_t length = std::size_t(data[pos + 2]) << 8 | data[pos + 3];
        if (length < 2 || length > size - pos - 2)
            return kNoOrientation;
        const unsigned char* body = data + pos + 4;
        const std::size_t bodySize = length - 2;
        if (marker == 0xE1 && bodySize >= 6 && std::memcmp(body, "Exif\0\0", 6) == 0)
            return orientationFromTiff(body + 6, bodySize - 6);
        pos += 2 + length;
    }
    return kNoOrientation;
}

namespace {

// Destination pixel (x, y) reads the source at origin + x * stepX + y * stepY (bytes).
struct SourceWalk {
    std::ptrdiff_t origin;
    std::ptrdiff_t stepX;
    std::ptrdiff_t stepY;
};

SourceWalk sourceWalk(int orientation, int width, int height, std::ptrdiff_t bytesPerPixel,
                      std::ptrdiff_t stride)
{
    const std::ptrdiff_t lastColumn = (width - 1) * bytesPerPixel;
    const std::ptrdiff_t lastRow = (height - 1) * stride;
    switch (orientation) {
    case 2: // mirrored left to right
        return {lastColumn, -bytesPerPixel, stride};
    case 3: // turned half round
        return {lastRow + lastColumn, -bytesPerPixel, -stride};
    case 4: // mirrored top to bottom
        return {lastRow, bytesPerPixel, -stride};
    case 5: // transposed
        return {0, stride, bytesPerPixel};
    case 6: // needs a quarter turn clockwise
        return {lastRow, -stride, bytesPerPixel};
    case 7: // transverse
        return {lastRow + lastColumn, -stride, -bytesPerPixel};
    case 8: // needs a quarter turn anticlockwise
        return {lastColumn, stride, -bytesPerPixel};
    default:
        return {0, bytesPerPixel, stride};
    }
}

// Works in square tiles so that the turned cases read the source with few cache misses.
template <int BytesPerPixel> void remap(const uchar* source, const SourceWalk& walk, QImage& target)
{
    constexpr int kTile = 64;
    const int width = target.width();
    const int height = target.height();
    for (int tileY = 0; tileY < height; tileY += kTile) {
        const int endY = std::min(height, tileY + kTile);
        for (int tileX = 0; tileX < width; tileX += kTile) {
            const int endX = std::min(width, tileX + kTile);
            for (int y = tileY; y < endY; ++y) {
                uchar* out = target.scanLine(y) + tileX * BytesPerPixel;
                const uchar* in = source + walk.origin + y * walk.stepY + tileX * walk.stepX;
                for (int x = tileX; x < endX; ++x, in += walk.stepX, out += BytesPerPixel)
                    std::memcpy(out, in, BytesPerPixel);
            }
        }
    }
}

} // namespace

QImage uprightImage(const QImage& image, int orientation)
{
    if (orientation < 2 || orientation > 8 || image.isNull())
        return image;
    int bytesPerPixel = 0;
    if (image.format() == QImage::Format_Indexed8)
        bytesPerPixel = 1;
    else if (image.format() == QImage::Format_RGB888)
        bytesPerPixel = 3;
    else
        return image;
    const bool turned = orientation >= 5;
    QImage target = raster::allocateImage(turned ? image.height() : image.width(),
                                          turned ? image.width() : image.height(), image.format());
    if (target.isNull())
        return {};
    target.setColorTable(image.colorTable());
    const SourceWalk walk =
        sourceWalk(orientation, image.width(), image.height(), bytesPerPixel, image.bytesPerLine());
    if (bytesPerPixel == 1)
        remap<1>(image.constBits(), walk, target);
    else
        remap<3>(image.constBits(), walk, target);
    return target;
}
