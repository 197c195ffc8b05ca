#include "raster/BitmapIO.h"

#include "raster/BitmapOps.h"
#include "raster/BmpCodec.h"
#include "raster/ColorOps.h"
#include "raster/ColorQuantizer.h"
#include "raster/EmfCodec.h"
#include "raster/GifCodec.h"
#include "raster/HeifCodec.h"
#include "raster/IcoCodec.h"
#include "raster/JpegCodec.h"
#include "raster/LoadBudget.h"
#include "raster/PcxCodec.h"
#include "raster/WmfCodec.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace {

// Larger files are refused before they are read: room for the largest picture the caps
// allow stored uncompressed at 32 bits, plus its headers.
constexpr qint64 kMaxFileBytes = raster::kMaxPixels * 4 + (qint64(16) << 20);

quint32 bigEndian32(QByteArrayView data, qsizetype at)
{
    const auto* p = reinterpret_cast<const uchar*>(data.data()) + at;
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
}

bool isIco(QByteArrayView data)
{
    if (data.size() < 6 || !data.startsWith(QByteArrayView("\0\0\1\0", 4)))
        return false;
    const int count = uchar(data[4]) | uchar(data[5]) << 8;
    return count > 0 && data.size() >= 6 + 16 * qsizetype(count);
}

bool isPcx(QByteArrayView data)
{
    if (data.size() < 128 || uchar(data[0]) != 0x0A || uchar(data[2]) != 1)
        return false;
    const int version = uchar(data[1]);
    return version == 0 || (version >= 2 && version <= 5);
}

// An ISO base media file whose leading "ftyp" box names a HEIF brand, as major or
// compatible brand.
bool isHeif(QByteArrayView data)
{
    if (data.size() < 16 || data.sliced(4, 4) != QByteArrayView("ftyp"))
        return false;
    static constexpr const char* brands[] = {"heic", "heix", "mif1", "msf1", "avif"};
    const qsizetype boxEnd = std::min<qsizetype>(bigEndian32(data, 0), data.size());
    for (qsizetype at = 8; at + 4 <= boxEnd; at += 4) {
        if (at == 12)
            continue; // minor version, not a brand
        for (const char* brand : brands) {
            if (data.sliced(at, 4) == QByteArrayView(brand, 4))
                return true;
        }
    }
    return false;
}

// The formats that Qt's readers decode for us, recognised by their signatures.
QByteArray qtFormatOf(QByteArrayView data)
{
    if (data.startsWith("\x89PNG\r\n\x1a\n"))
        return "png";
    if (data.size() >= 12 && data.startsWith("RIFF") && data.sliced(8, 4) == "WEBP")
        return "webp";
    if (data.startsWith(QByteArrayView("II*\0", 4)) || data.startsWith(QByteArrayView("MM\0*", 4)))
        return "tiff";
    return {};
}

// The layout the file's pixels end up in: Qt reads opaque colour as 32-bit words, and
// the file's own depth is 24.
QImage::Format keptFormat(QImage::Format decoded)
{
    const QImage::Format stored = raster::storedFormat(decoded);
    return stored == QImage::Format_RGB32 ? QImage::Format_RGB888 : stored;
}

// The peak cost of reading a width × height picture that Qt decodes to the given
// layout (unknown before a WebP is read: then 32 bits, and libwebp's own 32-bit copy of
// the picture on top) and converting it into the kept layout.
qint64 qtDecodeCost(qint64 width, qint64 height, QImage::Format decoded)
{
    qint64 cost = 0;
    if (decoded == QImage::Format_Invalid) {
        decoded = QImage::Format_ARGB32;
        cost += raster::imageBytes(width, height, decoded);
    }
    cost += raster::imageBytes(width, height, decoded);
    const QImage::Format kept = keptFormat(decoded);
    if (kept != decoded)
        cost += raster::imageBytes(width, height, kept);
    return cost;
}

QImage decodeWithQt(QByteArrayView data, const QByteArray& format)
{
    QByteArray bytes = QByteArray::fromRawData(data.data(), data.size());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    const qint64 pixels = qint64(size.width()) * size.height();
    // Deflate and lossless WebP can pack a flat colour tighter than any photo: what a
    // few bytes claim beyond that is refused like the other compressed formats.
    if (!raster::dimensionsAllowed(size.width(), size.height()) ||
        pixels > raster::kMaxPixelsPerInputByte * data.size() ||
        qtDecodeCost(size.width(), size.height(), reader.imageFormat()) > raster::kMaxLoadBytes)
        return {};
    QImage image = reader.read();
    if (!raster::dimensionsAllowed(image.width(), image.height()))
        return {};
    // In place where Qt can, so the picture is not held twice.
    const QImage::Format kept = keptFormat(image.format());
    image.convertTo(kept);
    return image.format() == kept ? image : QImage();
}

QImage decodeAny(QByteArrayView data)
{
    if (data.startsWith("\xFF\xD8\xFF"))
        return decodeJpeg(data);
    if (data.startsWith("GIF87a") || data.startsWith("GIF89a"))
        return decodeGif(data);
    if (data.startsWith("BM"))
        return decodeBmp(data);
    if (isIco(data))
        return decodeIco(data);
    if (isPcx(data))
        return decodePcx(data);
    if (isHeif(data))
        return decodeHeif(data);
    if (isWmf(data))
        return decodeWmf(data);
    if (isEmf(data))
        return decodeEmf(data);
    const QByteArray format = qtFormatOf(data);
    return format.isEmpty() ? QImage() : decodeWithQt(data, format);
}

// The image at the given depth (8, 24 or 32); 8 bits holds at most maxColours colours.
QImage atDepth(const QImage& image, int bitsPerPixel, int maxColours = 256)
{
    switch (bitsPerPixel) {
    case 8:
        if (image.format() == QImage::Format_Indexed8 && image.colorCount() <= maxColours)
            return image;
        return quantizeTo8(image.format() == QImage::Format_Indexed8
                               ? image.convertToFormat(QImage::Format_RGB32)
                               : image,
                           maxColours);
    case 24: {
        RasterBitmap bitmap(image);
        return convertTo24(bitmap) ? bitmap.image() : QImage();
    }
    case 32:
        return image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
                   ? image
                   : image.convertToFormat(QImage::Format_RGB32);
    default:
        return {};
    }
}

// Lossy quality factor 2 is the finest; each step above it costs 2.5 libjpeg quality
// points (2 -> 95, 10 -> 75, 38 and above -> 5 at the least).
int jpegQuality(int qualityFactor)
{
    return std::clamp(int(std::lround(100.0 - 2.5 * qualityFactor)), 5, 100);
}

QByteArray encode(const QImage& image, SaveFormat format, int bitsPerPixel, int qualityFactor)
{
    switch (format) {
    case SaveFormat::Jpeg:
        // JPEG has no 32-bit form; a 32-bit bitmap is written as 24-bit colour.
        if (bitsPerPixel != 24 && bitsPerPixel != 32)
            return {};
        return encodeJpeg(atDepth(image, 24), jpegQuality(qualityFactor));
    case SaveFormat::Bmp:
        if (bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32)
            return {};
        return encodeBmp(atDepth(image, bitsPerPixel));
    case SaveFormat::Pcx:
        if (bitsPerPixel != 8 && bitsPerPixel != 24)
            return {};
        return encodePcx(atDepth(image, bitsPerPixel));
    case SaveFormat::Gif:
        // GIF is always written with 8-bit codes; fewer bits only shrink the palette.
        if (bitsPerPixel < 1 || bitsPerPixel > 8)
            return {};
        return encodeGif(atDepth(image, 8, 1 << bitsPerPixel));
    }
    return {};
}

} // namespace

bool loadBitmapMemory(QByteArrayView data, RasterBitmap& bitmap, int bitsPerPixel)
{
    bitmap.free();
    if (bitsPerPixel != 0 && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32)
        return false;
    QImage image = decodeAny(data);
    if (image.isNull())
        return false;
    if (bitsPerPixel != 0) {
        // The decoded picture and its converted copy live side by side for a moment.
        if (image.sizeInBytes() + raster::imageBytes(image.width(), image.height(),
                                                     raster::formatForDepth(bitsPerPixel)) >
            raster::kMaxLoadBytes)
            return false;
        image = atDepth(RasterBitmap(image).image(), bitsPerPixel);
    }
    bitmap.setImage(std::move(image));
    return bitmap.isAllocated();
}

bool loadBitmap(const QString& fileName, RasterBitmap& bitmap, int bitsPerPixel)
{
    bitmap.free();
    // Only regular files: a device or pipe has no size to check and may never end.
    if (!QFileInfo(fileName).isFile())
        return false;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes)
        return false;
    // Decoded straight from the page cache where the file can be mapped: a copy would
    // first fault in fresh memory as large as the file, a sizeable share of opening a
    // large photo. The mapping ends with the file.
    if (const uchar* mapped = file.map(0, file.size())) {
        const QByteArrayView data(mapped, file.size());
        return loadBitmapMemory(data, bitmap, bitsPerPixel);
    }
    const QByteArray data = file.read(file.size());
    return loadBitmapMemory(data, bitmap, bitsPerPixel);
}

bool loadPhoto(const QString& fileName, RasterBitmap& bitmap)
{
    if (loadBitmap(fileName, bitmap, 0) && flattenOnWhite(bitmap))
        return true;
    bitmap.free();
    return false;
}

QByteArray encodeBitmap(const RasterBitmap& bitmap, SaveFormat format, int bitsPerPixel,
                        int qualityFactor)
{
    if (!bitmap.isAllocated())
        return {};
    return encode(bitmap.image(), format, bitsPerPixel, qualityFactor);
}

bool saveBitmap(const QString& fileName, const RasterBitmap& bitmap, SaveFormat format,
                int bitsPerPixel, int qualityFactor)
{
    // Encode in memory first: a failure here never touches the disk.
    const QByteArray bytes = encodeBitmap(bitmap, format, bitsPerPixel, qualityFactor);
    return !bytes.isEmpty() && writeFileSafely(fileName, bytes);
}

bool writeFileSafely(const QString& fileName, const QByteArray& bytes)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // commit() alone can miss a write that the disk cut short (a full disk, a size
    // limit): the explicit flush reports it, and the old file then stays.
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
