#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QRgb>
#include <QString>

// Makers of small files that claim large pictures: zlib bombs, padded and cut JPEGs,
// lossless WebP of a flat colour, GIF images larger than their screen. Each is a valid
// file of its format, built byte by byte, so no encoder needs the picture in memory.
namespace hostile {

quint32 crc32(QByteArrayView bytes);

// A zlib stream of count zero bytes at deflate's best ratio (about 1032 : 1).
QByteArray zlibZeros(qint64 count);

// A PNG of zeros (black, or transparent where the type has alpha).
// colourType: 0 grey, 2 RGB, 6 RGBA; depth 8 or 16.
QByteArray pngOfZeros(int width, int height, int colourType, int depth);
// A deflate-compressed, single-strip 8-bit RGB TIFF of zeros.
QByteArray tiffOfZeros(int width, int height);
// A lossless WebP of one colour, in a few dozen bytes whatever its size.
QByteArray flatLosslessWebp(int width, int height, QRgb colour);

struct JpegClaim {
    int width = 0;
    int height = 0;
    int components = 1; // 1 grey, 3 YCbCr at full chroma resolution
    bool progressive = false;
    qint64 scanBytes = -1; // coded bytes kept: -1 all of them, fewer cuts the file
    int paddingBytes = 0;  // comment segments before the frame header
};
// A JPEG of flat mid-grey coded at one or two bits per block: the smallest coding of a
// picture of that size. A progressive one holds only its DC scan.
QByteArray flatJpeg(const JpegClaim& claim);

// A flat colour picture coded arithmetically by libjpeg: a few hundred bytes for tens of
// megapixels, behind paddingBytes of comment segments.
QByteArray flatArithmeticJpeg(int width, int height, int paddingBytes);

struct GifClaim {
    int screenWidth = 0;
    int screenHeight = 0;
    int imageWidth = 0;
    int imageHeight = 0;
    bool interlaced = false;
    QRgb colour = qRgb(255, 0, 0);   // of every image pixel (index 0)
    QRgb background = qRgb(0, 0, 0); // index 1
    bool transparentBackground = false;
};
// A GIF whose one image, at the screen's top left, is a single colour coded with
// ever longer LZW runs (about 2700 pixels a byte).
QByteArray flatGif(const GifClaim& claim);

} // namespace hostile
