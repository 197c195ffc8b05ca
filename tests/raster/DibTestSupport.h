#pragma once

#include "ByteWriter.h"

#include <QByteArray>
#include <QList>
#include <QRgb>

#include <initializer_list>

// Builds device-independent bitmaps byte by byte, so tests can state exactly which
// header field lies.
namespace dib_test {

// Bytes spelled out one by one.
inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (const int value : values)
        out.append(char(value));
    return out;
}

// The parts of one bitmap. colorsUsed -1 writes the number of colours given.
struct Dib {
    int headerSize = 40;
    qint64 width = 1;
    qint64 height = 1;
    int bits = 8;
    quint32 compression = 0;
    QList<QRgb> colors;
    // Inside headers larger than 40 bytes, after a 40-byte one (at most headerSize - 40 of them).
    QList<quint32> masks;
    qint64 colorsUsed = -1;
    QByteArray pixels;
};

// Info header, masks, colour table and pixels.
inline QByteArray dibBytes(const Dib& dib)
{
    QByteArray out;
    ByteWriter(out)
        .u32(dib.headerSize)
        .u32(dib.width)
        .u32(dib.height)
        .u16(1)
        .u16(dib.bits)
        .u32(dib.compression)
        .u32(dib.pixels.size())
        .u32(2835)
        .u32(2835)
        .u32(dib.colorsUsed < 0 ? dib.colors.size() : dib.colorsUsed)
        .u32(0);
    // Headers shorter than 40 bytes (OS/2 2.x) simply stop early.
    if (dib.headerSize < 40)
        out.truncate(dib.headerSize);
    for (const quint32 mask : dib.masks)
        ByteWriter(out).u32(mask);
    if (dib.headerSize > 40)
        out.append(QByteArray(dib.headerSize - out.size(), '\0'));
    for (const QRgb color : dib.colors) {
        out.append(char(qBlue(color)));
        out.append(char(qGreen(color)));
        out.append(char(qRed(color)));
        out.append('\0');
    }
    return out + dib.pixels;
}

// A BMP file. pixelOffset -1 points right after the colour table.
inline QByteArray bmpFile(const Dib& dib, qint64 pixelOffset = -1)
{
    const QByteArray body = dibBytes(dib);
    QByteArray out("BM");
    ByteWriter(out)
        .u32(14 + body.size())
        .u32(0)
        .u32(pixelOffset >= 0 ? pixelOffset : 14 + body.size() - dib.pixels.size());
    return out + body;
}

} // namespace dib_test
