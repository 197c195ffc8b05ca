#pragma once

#include "ByteWriter.h"

#include <QByteArray>
#include <QList>

// Builds EXIF segments for the tests: a TIFF block with one IFD, wrapped in APP1.
namespace exif_test {

struct TiffEntry {
    quint16 tag;
    quint16 type;
    quint32 count;
    quint32 value;
};

inline constexpr quint16 kOrientation = 0x0112;
inline constexpr quint16 kShort = 3;
inline constexpr quint16 kLong = 4;

// declaredCount < 0 writes the real number of entries.
inline QByteArray tiffBlock(bool bigEndian, const QList<TiffEntry>& entries, quint32 ifdOffset = 8,
                            int declaredCount = -1)
{
    QByteArray block;
    ByteWriter tiff(block, bigEndian ? std::endian::big : std::endian::little);
    tiff.u16(bigEndian ? 0x4D4D : 0x4949);
    tiff.u16(42);
    tiff.u32(ifdOffset);
    tiff.u16(quint16(declaredCount < 0 ? entries.size() : declaredCount));
    for (const TiffEntry& entry : entries) {
        tiff.u16(entry.tag);
        tiff.u16(entry.type);
        tiff.u32(entry.count);
        if (entry.type == kShort && entry.count == 1) {
            tiff.u16(quint16(entry.value));
            tiff.u16(0);
        } else {
            tiff.u32(entry.value);
        }
    }
    tiff.u32(0); // no next IFD
    return block;
}

inline QByteArray orientationTiff(int orientation, bool bigEndian)
{
    return tiffBlock(bigEndian, {{kOrientation, kShort, 1, quint32(orientation)}});
}

inline QByteArray segment(quint8 marker, const QByteArray& payload)
{
    QByteArray bytes;
    ByteWriter(bytes, std::endian::big).u8(0xFF).u8(marker).u16(payload.size() + 2);
    return bytes + payload;
}

inline QByteArray exifSegment(const QByteArray& tiff)
{
    return segment(0xE1, QByteArray("Exif\0\0", 6) + tiff);
}

// Puts segments right after the start-of-image marker of a JPEG file.
inline QByteArray withSegments(const QByteArray& jpeg, const QByteArray& segments)
{
    return jpeg.left(2) + segments + jpeg.mid(2);
}

} // namespace exif_test
