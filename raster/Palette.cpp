#include "raster/Palette.h"

QList<QRgb> greyColorTable()
{
    QList<QRgb> colors(256);
    for (int i = 0; i < 256; ++i)
        colors[i] = qRgb(i, i, i);
    return colors;
}
