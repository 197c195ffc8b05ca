#pragma once

#include <QByteArrayView>
#include <QImage>

#include <array>
#include <cstdint>

// A device-independent bitmap: an info header (OS/2 1.x and 2.x, Windows 3.x to 5), its
// colour table or bit fields, and the pixel rows. BMP files and icon entries share it.
class DibReader {
public:
    enum class Layout {
        File, // the bitmap of a BMP file
        Icon, // an icon entry: the header's height covers the image and its AND mask, and
              // the fourth byte of 32-bit pixels may hold alpha
    };

    // dib starts at the info header. Check isValid() before anything else.
    DibReader(QByteArrayView dib, Layout layout);

    bool isValid() const { return m_valid; }
    int width() const { return m_width; }
    int height() const { return m_height; }
    int bitCount() const { return m_bitCount; }
    bool isCompressed() const
    {
        return m_compression == Compression::Rle4 || m_compression == Compression::Rle8;
    }
    // End of the info header and any bit fields after it: the smallest sound pixel offset.
    qint64 headerEnd() const { return m_headerEnd; }
    // Where the pixels start when they follow the colour table directly.
    qint64 colorTableEnd() const { return m_colorTableEnd; }
    // Bytes of uncompressed pixel rows, each padded to four bytes.
    qint64 rowStride() const { return (qint64(m_width) * m_bitCount + 31) / 32 * 4; }

    // The pixels found pixelOffset bytes into the bitmap: Indexed8 up to 8 bits, RGB888
    // above, ARGB32 when an alpha mask is present and used. A null image on any error.
    QImage decode(qint64 pixelOffset) const;

private:
    enum class Compression { Rgb, Rle8, Rle4, BitFields };

    bool parse(Layout layout);
    QList<QRgb> readColorTable(qint64 pixelOffset) const;
    QImage decodeIndexed(QByteArrayView pixels, const QList<QRgb>& colors) const;
    QImage decodeRle(QByteArrayView pixels, const QList<QRgb>& colors) const;
    QImage decodeRgb24(QByteArrayView pixels) const;
    QImage decodeBitFields(QByteArrayView pixels) const;
    int imageRow(int fileRow) const { return m_topDown ? fileRow : m_height - 1 - fileRow; }
    bool rowsFit(QByteArrayView pixels) const;

    QByteArrayView m_dib;
    bool m_valid = false;
    int m_width = 0;
    int m_height = 0;
    bool m_topDown = false;
    int m_bitCount = 0;
    Compression m_compression = Compression::Rgb;
    // Red, green, blue, alpha.
    std::array<std::uint32_t, 4> m_masks{};
    int m_paletteEntrySize = 4;
    qint64 m_paletteEntries = 0;
    qint64 m_headerEnd = 0;
    qint64 m_colorTableEnd = 0;
};
