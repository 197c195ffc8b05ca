#include "BenchInputs.h"
#include "BenchRegistry.h"

#include "app/FaceFitTool.h"
#include "face/FaceDetector.h"
#include "face/HeadTargets.h"
#include "raster/BitmapIO.h"
#include "raster/JpegCodec.h"

#include <QPainter>

// Finding the face and fitting the passport frame on a 24-megapixel photo, against
// decoding that photo: the search works on a grey copy of 1000 pixels, so it should cost a
// small multiple of the decode. The landmark model is read before timing (once a run).
namespace {

using namespace bench;

// 6000 × 4000: the portrait at 4000 × 4000 (upright, grained) over the middle of one
// stretched to the whole width, as a camera's JPEG at quality 95.
const QByteArray& portraitJpeg()
{
    static const QByteArray bytes = [] {
        QImage canvas = photo(6000, 4000).image().copy();
        QPainter painter(&canvas);
        painter.drawImage(1000, 0, photo(4000, 4000).image());
        painter.end();
        return encodeJpeg(canvas, 95);
    }();
    return bytes;
}

const RasterBitmap& decodedPortrait()
{
    static const RasterBitmap decoded = [] {
        RasterBitmap bitmap;
        check(loadBitmapMemory(portraitJpeg(), bitmap, 24), "decode the portrait");
        return bitmap;
    }();
    return decoded;
}

RasterBitmap decoded;

const bool registered = [] {
    registerBench(
        "face", "JPEG decode 6000x4000 portrait", [] { decoded = RasterBitmap(); },
        [] { check(loadBitmapMemory(portraitJpeg(), decoded, 24), "decode"); });
    registerBench(
        "face", "face search and fit 6000x4000",
        [] {
            decodedPortrait();
            check(sharedFaceDetector().load(), "read the landmark model");
        },
        [] {
            const FaceSearch search = sharedFaceDetector().find(decodedPortrait().image());
            check(search.found(), "find the face");
            check(fitFrameToFace(search.face, headRuleFor(2), {350, 450},
                                 decodedPortrait().image().size(), 20)
                      .has_value(),
                  "fit the frame");
        });
    registerSideBySideRatio("face search and fit / JPEG decode, 6000x4000",
                            "face search and fit 6000x4000", "JPEG decode 6000x4000 portrait", 3.0);
    return true;
}();

} // namespace
