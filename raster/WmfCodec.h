#pragma once

#include "raster/MetafileFrame.h"

#include <QByteArrayView>
#include <QImage>

// True when data starts like a Windows metafile: a placeable header, or a bare
// metafile header of a memory or disk metafile.
bool isWmf(QByteArrayView data);

// Draws a Windows metafile (through libwmf) on white at 96 dpi from its placeable
// header's frame, or from its drawing's extent without one, scaled down to fit maxSide.
// Returns an RGB888 image, or a null image for anything malformed.
QImage decodeWmf(QByteArrayView data, int maxSide = raster::kMaxMetafileSide);
