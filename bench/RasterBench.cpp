#include "BenchInputs.h"
#include "BenchRegistry.h"
#include "effects/SoftGlow.h"

#include "raster/BitmapIO.h"
#include "raster/BitmapOps.h"
#include "raster/ColorOps.h"
#include "raster/Filters.h"

#include <QProcess>

#include <cstdio>

// The raster operations on fixed inputs: the large photo, the largest cut photo
// (999 × 799), the preview (263 × 215) and the print sheet (1520 × 1020).
namespace {

using namespace bench;

// The working bitmap of the row being measured.
RasterBitmap work;

enum class Cache { Warm, Cold };

// Times operation on a fresh copy of the photo of the given size. The rows compared for
// linearity start from cold caches, large and small alike.
void inPlace(const char* group, const char* name, int width, int height,
             void (*operation)(RasterBitmap&), Cache cache = Cache::Warm)
{
    registerBench(
        group, name,
        [width, height, cache] {
            work = freshCopy(photo(width, height));
            if (cache == Cache::Cold)
                evictCaches();
        },
        [operation] { operation(work); });
}

void decode(int width, int height, const char* name)
{
    registerBench(
        "decode", name,
        [width, height] {
            photoJpegBytes(width, height);
            evictCaches();
        },
        [width, height] {
            RasterBitmap bitmap;
            check(loadBitmapMemory(photoJpegBytes(width, height), bitmap, 24), "decode");
        });
}

const bool registered = [] {
    decode(6000, 4000, "JPEG decode 6000x4000");
    registerBench(
        "decode", "djpeg 6000x4000 (whole process)", [] { photoJpegFile(6000, 4000); },
        [] {
            check(QProcess::execute("djpeg",
                                    {"-outfile", "/dev/null", photoJpegFile(6000, 4000)}) == 0,
                  "djpeg");
        });
    decode(999, 799, "JPEG decode 999x799");

    // The same scale factor on both sizes, for the linearity check.
    inPlace(
        "size", "size final 6000x4000 -> 716x477 (cold)", 6000, 4000,
        [](RasterBitmap& b) { check(sizeBitmap(b, 716, 477, SizeQuality::Final), "size"); },
        Cache::Cold);
    inPlace(
        "size", "size final 999x799 -> 119x95 (cold)", 999, 799,
        [](RasterBitmap& b) { check(sizeBitmap(b, 119, 95, SizeQuality::Final), "size"); },
        Cache::Cold);
    inPlace("size", "size final 1600x1200 -> 250x300", 1600, 1200,
            [](RasterBitmap& b) { check(sizeBitmap(b, 250, 300, SizeQuality::Final), "size"); });
    inPlace("size", "size final 250x300 -> 999x799", 250, 300,
            [](RasterBitmap& b) { check(sizeBitmap(b, 999, 799, SizeQuality::Final), "size"); });
    inPlace("size", "size fast 6000x4000 -> 263x175", 6000, 4000,
            [](RasterBitmap& b) { check(sizeBitmap(b, 263, 175, SizeQuality::Fast), "size"); });

    inPlace(
        "rotate", "rotate 6000x4000 (cold)", 6000, 4000,
        [](RasterBitmap& b) { check(rotateBitmapClockwise(b), "rotate"); }, Cache::Cold);
    inPlace(
        "rotate", "rotate 999x799 (cold)", 999, 799,
        [](RasterBitmap& b) { check(rotateBitmapClockwise(b), "rotate"); }, Cache::Cold);
    inPlace("rotate", "rotate 999x799", 999, 799,
            [](RasterBitmap& b) { check(rotateBitmapClockwise(b), "rotate"); });

    inPlace("filter", "Gaussian r=100 999x799", 999, 799,
            [](RasterBitmap& b) { check(gaussianFilter(b, 100), "Gaussian"); });
    inPlace("filter", "Gaussian r=5 999x799", 999, 799,
            [](RasterBitmap& b) { check(gaussianFilter(b, 5), "Gaussian"); });
    // 1 and 16 megapixels, for the linearity check.
    inPlace("filter", "Gaussian r=100 1155x866", 1155, 866,
            [](RasterBitmap& b) { check(gaussianFilter(b, 100), "Gaussian"); });
    inPlace("filter", "Gaussian r=100 4620x3464", 4620, 3464,
            [](RasterBitmap& b) { check(gaussianFilter(b, 100), "Gaussian"); });
    inPlace("filter", "average 10 263x215", 263, 215,
            [](RasterBitmap& b) { check(averageFilter(b, 10), "average"); });
    // The soft-glow effect's final chain, slider at its default.
    inPlace("filter", "soft glow chain 999x799", 999, 799,
            [](RasterBitmap& b) { check(applySoftGlow(b, 100), "soft glow"); });

    registerBench(
        "save", "JPEG save 1520x1020", [] { printSheet(); },
        [] {
            check(saveBitmap(scratchDirectory() + "/sheet.jpg", printSheet(), SaveFormat::Jpeg, 24),
                  "JPEG save");
        });
    registerBench(
        "save", "GIF save 1520x1020", [] { printSheet(); },
        [] {
            check(saveBitmap(scratchDirectory() + "/sheet.gif", printSheet(), SaveFormat::Gif, 8),
                  "GIF save");
        });

    registerRatio("JPEG decode / djpeg, 6000x4000", "JPEG decode 6000x4000",
                  "djpeg 6000x4000 (whole process)", 1.15);
    registerRatio("Gaussian r=100 / r=5, 999x799", "Gaussian r=100 999x799", "Gaussian r=5 999x799",
                  1.5);
    registerSideBySideRatio("Gaussian 4620x3464 / 1155x866 (16x the pixels, side by side)",
                            "Gaussian r=100 4620x3464", "Gaussian r=100 1155x866", 18.0);
    registerRatio("soft glow chain / its Gaussian step, 999x799", "soft glow chain 999x799",
                  "Gaussian r=100 999x799", 2.0);
    registerRatio("decode 6000x4000 / 999x799 (30x the pixels)", "JPEG decode 6000x4000",
                  "JPEG decode 999x799", 35.0);
    registerSideBySideRatio("size 6000x4000 / 999x799 (30x the pixels, side by side)",
                            "size final 6000x4000 -> 716x477 (cold)",
                            "size final 999x799 -> 119x95 (cold)", 35.0);
    registerSideBySideRatio("rotate 6000x4000 / 999x799 (30x the pixels, side by side)",
                            "rotate 6000x4000 (cold)", "rotate 999x799 (cold)", 35.0);
    return true;
}();

} // namespace
