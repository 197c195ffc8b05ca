#pragma once

#include "raster/MetafileFrame.h"

#include <QByteArrayView>
#include <QImage>

// True when data starts like a Windows metafile: a placeable header, or a bare
// metafile header of a memory or disk metafile.
bool isWmf(QByteArrayView data);

// Draws a Windows metafile (through libwmf) on white. The picture's size is the placeable
// header's frame at 96 dpi, or without one the window the records set (in pixels), scaled
// down to fit maxSide; the drawing's extent, as libwmf measures it, fills the picture.
// Returns an RGB888 image, or a null image for anything malformed.
QImage decodeWmf(QByteArrayView data, int maxSide = raster::kMaxMetafileSide);
