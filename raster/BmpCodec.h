#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

// Windows and OS/2 bitmaps: 1, 4, 8, 16, 24, 32 bits, RLE4/RLE8, bit fields, top-down
// and bottom-up. Up to 8 bits decode to Indexed8, the rest to RGB888 (ARGB32 when an
// alpha mask is present). Returns a null image on any error.
QImage decodeBmp(QByteArrayView data);
// Writes Indexed8 as 8 bits, RGB888 as 24, RGB32/ARGB32 as 32.
QByteArray encodeBmp(const QImage& image);
