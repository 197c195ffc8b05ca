#include "raster/LargeImage.h"

#include <cstdlib>
#include <memory>

#include <sys/mman.h>

namespace raster {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;
// Below this the saving is too small to be worth rounding up to whole huge pages.
constexpr std::size_t kHugePageThreshold = 4 * kHugePage;

void freeBuffer(void* buffer)
{
    std::free(buffer);
}

} // namespace

QImage allocateImage(int width, int height, QImage::Format format)
{
    if (width <= 0 || height <= 0)
        return {};
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qsizetype bytesPerLine = (qsizetype(width) * depth + 31) / 32 * 4;
    const std::size_t bytes = std::size_t(bytesPerLine) * std::size_t(height);
    if (bytes < kHugePageThreshold)
        return QImage(width, height, format);
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    std::unique_ptr<void, decltype(&freeBuffer)> buffer(std::aligned_alloc(kHugePage, rounded),
                                                        &freeBuffer);
    if (!buffer)
        return {};
    madvise(buffer.get(), rounded, MADV_HUGEPAGE); // only advice: fine if refused
    QImage image(static_cast<uchar*>(buffer.get()), width, height, bytesPerLine, format, freeBuffer,
                 buffer.get());
    if (image.isNull())
        return {};
    (void)buffer.release(); // the image frees it now
    return image;
}

uchar* writablePixels(QImage& image)
{
    if (image.isNull())
        return nullptr;
    if (!image.isDetached()) {
        QImage own = image.copy();
        if (own.isNull())
            return nullptr;
        image = std::move(own);
    }
    return image.bits();
}

} // namespace raster
