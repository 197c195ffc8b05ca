#include "raster/HeifCodec.h"

#include "raster/LargeImage.h"
#include "raster/LoadBudget.h"
#include "raster/RasterBitmap.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include <libheif/heif.h>

namespace {

struct ContextFree {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleRelease {
    void operator()(const heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageRelease {
    void operator()(const heif_image* image) const { heif_image_release(image); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

using Context = std::unique_ptr<heif_context, ContextFree>;
using Handle = std::unique_ptr<const heif_image_handle, HandleRelease>;
using Image = std::unique_ptr<const heif_image, ImageRelease>;
using Options = std::unique_ptr<heif_decoding_options, OptionsFree>;

// The file-type box must be there; anything else is turned away before parsing.
bool looksLikeHeif(QByteArrayView data)
{
    constexpr qsizetype kTypeBoxPrefix = 12;
    if (data.size() < kTypeBoxPrefix)
        return false;
    return heif_check_filetype(reinterpret_cast<const uint8_t*>(data.data()),
                               int(kTypeBoxPrefix)) != heif_filetype_no;
}

Handle primaryImage(heif_context* context, QByteArrayView data)
{
    if (heif_context_read_from_memory_without_copy(context, data.data(), size_t(data.size()),
                                                   nullptr)
            .code != heif_error_Ok)
        return {};
    heif_image_handle* handle = nullptr;
    if (heif_context_get_primary_image_handle(context, &handle).code != heif_error_Ok)
        return {};
    return Handle(handle);
}

Image decodedImage(const heif_image_handle* handle)
{
    Options options(heif_decoding_options_alloc());
    if (!options)
        return {};
    options->convert_hdr_to_8bit = 1; // transformations (rotation, mirroring) stay on
    heif_image* image = nullptr;
    if (heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB,
                          options.get())
            .code != heif_error_Ok)
        return {};
    return Image(image);
}

// The declared picture within the caps, claiming no more than the data can code, and
// its decode within the load budget: libheif holds up to three full-size planes (of two
// bytes a sample above 8 bits) and their RGB conversion while we copy that.
bool withinBudget(const heif_image_handle* handle, qint64 dataSize)
{
    const qint64 width = heif_image_handle_get_width(handle);
    const qint64 height = heif_image_handle_get_height(handle);
    const qint64 sampleBytes = heif_image_handle_get_luma_bits_per_pixel(handle) > 8 ? 2 : 1;
    return raster::dimensionsAllowed(width, height) &&
           width * height <= raster::kMaxPixelsPerInputByte * dataSize &&
           width * height * (3 * sampleBytes + 3 + 3) <= raster::kMaxLoadBytes;
}

QImage decodeHeifImage(QByteArrayView data)
{
    if (!looksLikeHeif(data))
        return {};
    Context context(heif_context_alloc());
    if (!context)
        return {};
    heif_context_set_maximum_image_size_limit(context.get(), int(raster::kMaxSide));
    heif_context_set_max_decoding_threads(context.get(), 0);
    const Handle handle = primaryImage(context.get(), data);
    if (!handle || !withinBudget(handle.get(), data.size()))
        return {};
    // A grid image may claim far more pixels inside than its declared size; hold the
    // decoder to the declared size (with room for ordinary tile sizes) so a hostile
    // file cannot make it allocate gigabytes.
    const int declaredSide = std::max(heif_image_handle_get_width(handle.get()),
                                      heif_image_handle_get_height(handle.get()));
    heif_context_set_maximum_image_size_limit(context.get(), std::max(2 * declaredSide, 4096));
    const Image decoded = decodedImage(handle.get());
    if (!decoded)
        return {};
    const int width = heif_image_get_width(decoded.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(decoded.get(), heif_channel_interleaved);
    int stride = 0;
    const uint8_t* pixels =
        heif_image_get_plane_readonly(decoded.get(), heif_channel_interleaved, &stride);
    if (!pixels || !raster::dimensionsAllowed(width, height) || stride < width * 3)
        return {};
    QImage image = raster::allocateImage(width, height, QImage::Format_RGB888);
    if (image.isNull())
        return {};
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), pixels + std::ptrdiff_t(y) * stride, size_t(width) * 3);
    return image;
}

} // namespace

QImage decodeHeif(QByteArrayView data)
{
    // The size a grid image declares for its tiles is only known inside the library, which
    // allocates it before anything can be checked here; running out of memory there must
    // fail the load, not end the program.
    try {
        return decodeHeifImage(data);
    } catch (const std::bad_alloc&) {
        return {};
    }
}
