#pragma once

#include <QImage>
#include <QImageReader>

#include <cstdint>

namespace raster {

// What one load may cost in memory at its peak: the decoded picture, the decoder's own
// buffers and any conversion on the way into a bitmap. A 150-megapixel camera JPEG fits;
// a small hostile file that claims gigabytes is refused before it costs them.
inline constexpr std::int64_t kMaxLoadBytes = std::int64_t(1) << 30;

// Bytes of a width × height image in the given layout, rows padded as QImage pads them.
std::int64_t imageBytes(std::int64_t width, std::int64_t height, QImage::Format format);

// Qt's image readers share one process-wide allocation limit, so it is set once, at
// start-up, to the load budget; the loaders check their own sizes before reading.
inline void limitImageReaders()
{
    QImageReader::setAllocationLimit(int(kMaxLoadBytes >> 20));
}

} // namespace raster
