#pragma once

#include "raster/RasterBitmap.h"

#include <QImage>
#include <QRect>
#include <QSize>

class QVideoFrame;

// Turning camera frames into pictures. The frame's own format (YUYV, NV12, MJPEG, RGB)
// is converted by the multimedia stack. A frame it cannot convert safely (a subsampled
// layout of an odd width or height, or a size beyond the bitmap caps) gives no picture.

// Where a frame of frameSize shows in an area: as large as fits, its proportions kept,
// centred. Empty for an empty frame or area.
QRect previewPlace(QSize frameSize, QSize area);

// The frame as it shows in an area of that size: scaled to previewPlace's size (never
// larger than the area, so a 4K frame costs no more to draw than a small one). Null when
// the frame cannot be converted.
QImage previewImage(const QVideoFrame& frame, QSize area);

// The whole frame at its full size as 32-bit pixels; null when it cannot be converted.
QImage stillImage(const QVideoFrame& frame);

// A still as the new photo: a 32-bit bitmap of the same size; empty for a null still or
// one beyond the bitmap size caps.
RasterBitmap photoFromStill(const QImage& still);
