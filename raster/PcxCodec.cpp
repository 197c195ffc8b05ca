#include "raster/PcxCodec.h"

#include "raster/Palette.h"
#include "raster/RasterBitmap.h"

#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr qint64 kHeaderSize = 128;
constexpr qint64 kPaletteSize = 1 + 256 * 3; // marker and 256 RGB triples
constexpr uchar kManufacturer = 0x0a;
constexpr uchar kPaletteMarker = 0x0c;
constexpr uchar kVersion = 5;
constexpr uchar kRunFlag = 0xc0;
constexpr int kMaxRun = 0x3f;
constexpr int kHeaderPaletteOffset = 16;

std::uint16_t u16(const uchar* p)
{
    return qFromLittleEndian<quint16>(p);
}
void put16(uchar* p, int value)
{
    qToLittleEndian(quint16(value), p);
}

// The encoded pixel bytes, read one scan line at a time. Runs may cross line ends, as
// some writers let them.
class ScanLineReader {
public:
    ScanLineReader(QByteArrayView data, bool compressed)
        : m_data(reinterpret_cast<const uchar*>(data.data())), m_size(data.size()),
          m_compressed(compressed)
    {
    }

    // Fills out with the next out.size() bytes; false when the data ends first.
    bool read(std::vector<uchar>& out)
    {
        const qint64 size = qint64(out.size());
        qint64 i = 0;
        while (i < size) {
            if (m_runLeft > 0) {
                const qint64 n = std::min<qint64>(m_runLeft, size - i);
                std::memset(out.data() + i, m_runValue, size_t(n));
                i += n;
                m_runLeft -= int(n);
                continue;
            }
            if (m_pos >= m_size)
                return false;
            const uchar byte = m_data[m_pos++];
            if (!m_compressed || byte < kRunFlag) {
                out[size_t(i++)] = byte;
                continue;
            }
            if (m_pos >= m_size)
                return false;
            m_runLeft = byte & kMaxRun;
            m_runValue = m_data[m_pos++];
        }
        return true;
    }

private:
    const uchar* m_data;
    qint64 m_size;
    bool m_compressed;
    qint64 m_pos = 0;
    int m_runLeft = 0;
    uchar m_runValue = 0;
};

QList<QRgb> readTriples(const uchar* p, int count)
{
    QList<QRgb> colors(count);
    for (int i = 0; i < count; ++i, p += 3)
        colors[i] = qRgb(p[0], p[1], p[2]);
    return colors;
}

void appendRle(QByteArray& out, const std::vector<uchar>& line)
{
    const size_t size = line.size();
    for (size_t i = 0; i < size;) {
        const uchar value = line[i];
        size_t run = 1;
        while (i + run < size && run < kMaxRun && line[i + run] == value)
            ++run;
        // A lone byte with both top bits set would read as a run count.
        if (run > 1 || value >= kRunFlag)
            out.append(char(kRunFlag | run));
        out.append(char(value));
        i += run;
    }
}

int dotsPerInch(int dotsPerMeter)
{
    return std::clamp(int(std::lround(dotsPerMeter * 0.0254)), 0, 0xffff);
}

} // namespace

QImage decodePcx(QByteArrayView data)
{
    if (data.size() < kHeaderSize)
        return {};
    const auto* h = reinterpret_cast<const uchar*>(data.data());
    const int version = h[1];
    const int encoding = h[2];
    const int bits = h[3];
    const int planes = h[65];
    if (h[0] != kManufacturer || version > kVersion || version == 1 || encoding > 1)
        return {};
    const bool rgb = bits == 8 && planes == 3;
    const bool indexed = bits == 8 && planes == 1;
    const bool planar = bits == 1 && planes >= 1 && planes <= 4;
    if (!rgb && !indexed && !planar)
        return {};

    const qint64 width = qint64(u16(h + 8)) - u16(h + 4) + 1;
    const qint64 height = qint64(u16(h + 10)) - u16(h + 6) + 1;
    if (!raster::dimensionsAllowed(width, height))
        return {};
    // Lines shorter than the width cannot hold the picture; longer ones carry padding.
    const qint64 bytesPerLine = u16(h + 66);
    if (bytesPerLine < (width * bits + 7) / 8)
        return {};

    QByteArrayView body = data.sliced(kHeaderSize);
    QList<QRgb> colors;
    if (indexed) {
        const bool hasPalette = body.size() >= kPaletteSize &&
                                uchar(body[body.size() - kPaletteSize]) == kPaletteMarker;
        colors =
            hasPalette ? readTriples(h + data.size() - kPaletteSize + 1, 256) : greyColorTable();
        if (hasPalette)
            body.chop(kPaletteSize);
    } else if (planar) {
        colors = planes == 1 ? QList<QRgb>{qRgb(0, 0, 0), qRgb(255, 255, 255)}
                             : readTriples(h + kHeaderPaletteOffset, 1 << planes);
    }

    // Each two-byte run yields at most kMaxRun bytes: a body too short for the lines the
    // header claims is refused before their memory is taken.
    const qint64 lineBytes = bytesPerLine * planes;
    const qint64 bodyCapacity =
        encoding == 1 ? body.size() / 2 * kMaxRun + body.size() % 2 : body.size();
    if (bodyCapacity < lineBytes * height)
        return {};

    QImage image(int(width), int(height), rgb ? QImage::Format_RGB888 : QImage::Format_Indexed8);
    if (image.isNull())
        return {};
    if (!rgb)
        image.setColorTable(colors);
    ScanLineReader reader(body, encoding == 1);
    std::vector<uchar> line(static_cast<size_t>(lineBytes));
    for (int y = 0; y < height; ++y) {
        if (!reader.read(line))
            return {};
        uchar* out = image.scanLine(y);
        if (indexed) {
            std::memcpy(out, line.data(), size_t(width));
            continue;
        }
        for (int x = 0; x < width; ++x) {
            if (rgb) {
                for (int p = 0; p < 3; ++p)
                    out[3 * x + p] = line[size_t(p * bytesPerLine + x)];
                continue;
            }
            int index = 0;
            for (int p = 0; p < planes; ++p)
                index |= ((line[size_t(p * bytesPerLine + x / 8)] >> (7 - x % 8)) & 1) << p;
            out[x] = uchar(index);
        }
    }
    return image;
}

QByteArray encodePcx(const QImage& source)
{
    QImage image = RasterBitmap(source).image();
    if (image.isNull())
        return {};
    const bool indexed = image.format() == QImage::Format_Indexed8;
    if (!indexed)
        image = image.convertToFormat(QImage::Format_RGB888);
    const int width = image.width();
    const int height = image.height();
    // The header holds the last column and the even line length in 16 bits.
    const int bytesPerLine = width + (width & 1);
    if (bytesPerLine > 0xffff || height > 0x10000)
        return {};
    const int planes = indexed ? 1 : 3;

    QByteArray file(kHeaderSize, '\0');
    auto* h = reinterpret_cast<uchar*>(file.data());
    h[0] = kManufacturer;
    h[1] = kVersion;
    h[2] = 1;
    h[3] = 8;
    put16(h + 8, width - 1);
    put16(h + 10, height - 1);
    put16(h + 12, dotsPerInch(image.dotsPerMeterX()));
    put16(h + 14, dotsPerInch(image.dotsPerMeterY()));
    h[65] = uchar(planes);
    put16(h + 66, bytesPerLine);
    put16(h + 68, 1); // colour, not grey

    std::vector<uchar> line(size_t(bytesPerLine), 0);
    for (int y = 0; y < height; ++y) {
        const uchar* in = image.constScanLine(y);
        for (int p = 0; p < planes; ++p) {
            for (int x = 0; x < width; ++x)
                line[size_t(x)] = indexed ? in[x] : in[3 * x + p];
            appendRle(file, line);
        }
    }
    if (!indexed)
        return file;

    QList<QRgb> colors = image.colorCount() > 0 ? image.colorTable() : greyColorTable();
    colors.resize(256, qRgb(0, 0, 0));
    file.append(char(kPaletteMarker));
    for (const QRgb color : colors) {
        file.append(char(qRed(color)));
        file.append(char(qGreen(color)));
        file.append(char(qBlue(color)));
    }
    return file;
}
