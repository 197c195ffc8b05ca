#include "BenchInputs.h"
#include "BenchRegistry.h"

#include "effects/_NuvFrame.h"
#include "tools/nfrm-make/FrameFileWriter.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>

// Framing the largest cut photo (999 × 799) against one full copy of the framed result:
// composing the frame and laying the photo on it should cost little more than the copy.
namespace {

using namespace bench;

constexpr int kWidth = 999;
constexpr int kHeight = 799;
constexpr int kBorder = 40;

// A frame made by the frame maker's writer from a 120 × 120 patterned picture.
TNuvFrame makeFrame(bool tiled)
{
    QImage picture(120, 120, QImage::Format_RGB888);
    picture.fill(QColor(200, 170, 90));
    QPainter(&picture).fillRect(10, 10, 100, 100, QColor(120, 80, 30));
    QByteArray png;
    QBuffer pngBuffer(&png);
    pngBuffer.open(QIODevice::WriteOnly);
    picture.save(&pngBuffer, "PNG");

    TNuvFrameHeader header;
    setBorder(header, kBorder);
    if (tiled) {
        header.StretchEdges = 0;
        header.TopTileWidth = header.BottomTileWidth = 8;
        header.LeftTileHeight = header.RightTileHeight = 8;
    }
    QByteArray file = frameFile(header, png);
    QBuffer stream(&file);
    stream.open(QIODevice::ReadOnly);
    TNuvFrame frame;
    frame.LoadFromStream(stream);
    return frame;
}

const TNuvFrame& frame(bool tiled)
{
    static const TNuvFrame stretched = makeFrame(false);
    static const TNuvFrame tiledFrame = makeFrame(true);
    return tiled ? tiledFrame : stretched;
}

RasterBitmap working;

void frameWorking(bool tiled)
{
    check(framePhoto(frame(tiled), working), "frame photo");
}

const bool registered = [] {
    const auto prepare = [] {
        frame(false);
        working = freshCopy(photo(kWidth, kHeight));
    };
    registerBench("frames", "frame photo 999x799 stretched", prepare, [] { frameWorking(false); });
    registerBench("frames", "frame photo 999x799 tiled", prepare, [] { frameWorking(true); });
    registerBench("frames", "copy framed 1079x879", prepare, [] {
        static const RasterBitmap framed = [] {
            RasterBitmap made = freshCopy(photo(kWidth, kHeight));
            check(framePhoto(frame(false), made), "frame photo");
            return made;
        }();
        working = freshCopy(framed);
    });
    registerSideBySideRatio("framing 999x799 stretched / a copy of the result",
                            "frame photo 999x799 stretched", "copy framed 1079x879", 2.0);
    registerSideBySideRatio("framing 999x799 tiled / a copy of the result",
                            "frame photo 999x799 tiled", "copy framed 1079x879", 2.0);
    return true;
}();

} // namespace
