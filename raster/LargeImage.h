#pragma once

#include <QImage>

namespace raster {

// A new image with uninitialised pixels, like QImage(width, height, format). Large ones
// are placed in memory backed by huge pages where the system allows it: a photo of tens
// of megabytes otherwise costs one page fault per 4 KB on its first write, a sizeable
// share of a full decode.
QImage allocateImage(int width, int height, QImage::Format format);

} // namespace raster
