#pragma once

#include <QImage>

#include <cstdint>

// One bitmap held by value. Pixels live in a QImage (implicitly shared, so copies are
// cheap until one side changes). Supported layouts:
//   8 bits:  QImage::Format_Indexed8 (palette; grey pictures carry a grey palette)
//   24 bits: QImage::Format_RGB888
//   32 bits: QImage::Format_RGB32 or QImage::Format_ARGB32
class RasterBitmap {
public:
    RasterBitmap() = default;
    // Takes any QImage; other layouts are converted to the nearest supported one.
    explicit RasterBitmap(QImage image);

    int width() const { return m_image.width(); }
    int height() const { return m_image.height(); }
    int bitsPerPixel() const;
    bool isAllocated() const { return !m_image.isNull(); }

    const QImage& image() const { return m_image; }
    // Copies still share the pixels here; QImage copies them on the first bits() or
    // scanLine() call, which returns null when that copy cannot be allocated.
    QImage& image() { return m_image; }
    void setImage(QImage image);
    void free() { m_image = QImage(); }

private:
    QImage m_image;
};

inline bool IsBitmapAllocated(const RasterBitmap& bitmap)
{
    return bitmap.isAllocated();
}

namespace raster {

// Images larger than this are refused before any pixel memory is allocated.
inline constexpr std::int64_t kMaxSide = 32768;
inline constexpr std::int64_t kMaxPixels = 250'000'000;
// Compressed formats turn one input byte into a few thousand pixels at the very most, so
// a header claiming more pixels than this per byte of data is a lie that would only cost
// memory.
inline constexpr std::int64_t kMaxPixelsPerInputByte = 4096;

// The supported layout that an image of the given format is kept in.
QImage::Format storedFormat(QImage::Format format);

// The layout of a bitmap of 8, 24 or 32 bits per pixel; Format_Invalid for other depths.
QImage::Format formatForDepth(int bitsPerPixel);

// True when a width × height image is positive and within the caps above.
bool dimensionsAllowed(std::int64_t width, std::int64_t height);

} // namespace raster
