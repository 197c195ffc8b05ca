#include "FuzzSupport.h"

#include "camera/VideoFrames.h"

#include <QVideoFrame>
#include <QVideoFrameFormat>

#include <algorithm>
#include <cstring>

// A camera frame of any format the stack knows, with an even size of up to 512 × 512 (the
// stack cannot even map a subsampled frame of an odd size; refusing those is tested
// directly) and the input's bytes as its pixels: the still and the preview must come out
// of it whole, or not at all.
namespace {

constexpr QVideoFrameFormat::PixelFormat kFormats[] = {
    QVideoFrameFormat::Format_YUYV,     QVideoFrameFormat::Format_UYVY,
    QVideoFrameFormat::Format_NV12,     QVideoFrameFormat::Format_NV21,
    QVideoFrameFormat::Format_YUV420P,  QVideoFrameFormat::Format_YV12,
    QVideoFrameFormat::Format_YUV422P,  QVideoFrameFormat::Format_P010,
    QVideoFrameFormat::Format_BGRX8888, QVideoFrameFormat::Format_XRGB8888,
    QVideoFrameFormat::Format_RGBA8888, QVideoFrameFormat::Format_Y8,
    QVideoFrameFormat::Format_Y16,      QVideoFrameFormat::Format_Jpeg,
};
constexpr int kHeader = 3;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < kHeader)
        return 0;
    const auto format = kFormats[data[0] % std::size(kFormats)];
    const QSize frameSize(2 * (1 + data[1]), 2 * (1 + data[2]));
    QVideoFrame frame{QVideoFrameFormat(frameSize, format)};
    if (!frame.map(QVideoFrame::WriteOnly))
        return 0;
    const std::uint8_t* pixels = data + kHeader;
    std::size_t left = size - kHeader;
    for (int plane = 0; plane < frame.planeCount(); ++plane) {
        const std::size_t planeBytes = std::size_t(frame.mappedBytes(plane));
        const std::size_t copied = std::min(planeBytes, left);
        std::memcpy(frame.bits(plane), pixels, copied);
        std::memset(frame.bits(plane) + copied, 0, planeBytes - copied);
        pixels += copied;
        left -= copied;
    }
    frame.unmap();

    const QImage still = stillImage(frame);
    if (!still.isNull() && still.size() != frameSize)
        std::abort();
    fuzz::touchLastRow(still);
    fuzz::touchLastRow(previewImage(frame, QSize(320, 240)));
    const RasterBitmap photo = photoFromStill(still);
    if (photo.isAllocated() && photo.bitsPerPixel() != 32)
        std::abort();
    return 0;
}
