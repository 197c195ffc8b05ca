#pragma once

#include "raster/MetafileFrame.h"

#include <QByteArrayView>
#include <QImage>

// True when data starts with an enhanced metafile's header record.
bool isEmf(QByteArrayView data);

// Draws an enhanced metafile on white at 96 dpi from its frame, scaled down to fit
// maxSide: libemf2svg turns its records into SVG, which QtSvg renders. Returns an RGB888
// image, or a null image for anything malformed.
QImage decodeEmf(QByteArrayView data, int maxSide = raster::kMaxMetafileSide);
