#pragma once

#include <QImage>

namespace raster {

// A new image with uninitialised pixels, like QImage(width, height, format). Large ones
// are placed in memory backed by huge pages where the system allows it: a photo of tens
// of megabytes otherwise costs one page fault per 4 KB on its first write, a sizeable
// share of a full decode.
QImage allocateImage(int width, int height, QImage::Format format);

// The pixels of image for writing in place, copied first when other images share them.
// Null when that copy cannot be allocated; image is then left as it was (a bare bits()
// call would have emptied it).
[[nodiscard]] uchar* writablePixels(QImage& image);

} // namespace raster
