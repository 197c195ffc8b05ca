#include "raster/BmpCodec.h"

#include "raster/DibReader.h"
#include "raster/Palette.h"
#include "raster/RasterBitmap.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <limits>

namespace {

constexpr qint64 kFileHeaderSize = 14;
constexpr qint64 kInfoHeaderSize = 40;

void put16(uchar* p, quint16 value)
{
    qToLittleEndian(value, p);
}
void put32(uchar* p, quint32 value)
{
    qToLittleEndian(value, p);
}

void writeRow(const QImage& image, int y, uchar* out)
{
    const uchar* in = image.constScanLine(y);
    const int width = image.width();
    switch (image.format()) {
    case QImage::Format_Indexed8:
        std::memcpy(out, in, size_t(width));
        return;
    case QImage::Format_RGB888:
        for (int x = 0; x < width; ++x, in += 3, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
        return;
    default: {
        // The fourth byte of a plain 32-bit bitmap is reserved and stays zero.
        const auto* argb = reinterpret_cast<const QRgb*>(in);
        for (int x = 0; x < width; ++x, out += 4) {
            out[0] = uchar(qBlue(argb[x]));
            out[1] = uchar(qGreen(argb[x]));
            out[2] = uchar(qRed(argb[x]));
            out[3] = 0;
        }
        return;
    }
    }
}

} // namespace

QImage decodeBmp(QByteArrayView data)
{
    if (data.size() < kFileHeaderSize || data[0] != 'B' || data[1] != 'M')
        return {};
    const DibReader dib(data.sliced(kFileHeaderSize), DibReader::Layout::File);
    if (!dib.isValid())
        return {};
    const qint64 pixelOffset =
        qint64(qFromLittleEndian<quint32>(data.data() + 10)) - kFileHeaderSize;
    // An offset inside the headers (often zero) means the pixels follow the colour table.
    return dib.decode(pixelOffset < dib.headerEnd() ? dib.colorTableEnd() : pixelOffset);
}

QByteArray encodeBmp(const QImage& source)
{
    const QImage image = RasterBitmap(source).image();
    if (image.isNull())
        return {};
    const bool indexed = image.format() == QImage::Format_Indexed8;
    const int bits = indexed ? 8 : image.format() == QImage::Format_RGB888 ? 24 : 32;
    QList<QRgb> colors;
    if (indexed)
        colors = image.colorCount() > 0 ? image.colorTable().mid(0, 256) : greyColorTable();

    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 stride = (width * bits + 31) / 32 * 4;
    const qint64 pixelOffset = kFileHeaderSize + kInfoHeaderSize + 4 * colors.size();
    const qint64 fileSize = pixelOffset + stride * height;
    if (fileSize > std::numeric_limits<qint32>::max())
        return {};

    QByteArray file(fileSize, '\0');
    auto* d = reinterpret_cast<uchar*>(file.data());
    d[0] = 'B';
    d[1] = 'M';
    put32(d + 2, quint32(fileSize));
    put32(d + 10, quint32(pixelOffset));
    uchar* info = d + kFileHeaderSize;
    put32(info, kInfoHeaderSize);
    put32(info + 4, quint32(width));
    put32(info + 8, quint32(height));
    put16(info + 12, 1);
    put16(info + 14, quint16(bits));
    put32(info + 20, quint32(stride * height));
    put32(info + 24, quint32(std::max(0, image.dotsPerMeterX())));
    put32(info + 28, quint32(std::max(0, image.dotsPerMeterY())));
    put32(info + 32, quint32(colors.size()));

    uchar* entry = info + kInfoHeaderSize;
    for (const QRgb color : colors) {
        entry[0] = uchar(qBlue(color));
        entry[1] = uchar(qGreen(color));
        entry[2] = uchar(qRed(color));
        entry += 4;
    }
    for (int y = 0; y < height; ++y)
        writeRow(image, y, d + pixelOffset + (height - 1 - y) * stride);
    return file;
}
