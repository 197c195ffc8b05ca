#pragma once

#include "raster/RasterBitmap.h"

#include <QByteArray>
#include <QString>

// Fixed synthetic inputs of the benchmarks, built on first use and kept for the run.
namespace bench {

// The test portrait resized (final quality) to width × height, with deterministic grain so
// that it compresses like a real photo.
const RasterBitmap& photo(int width, int height);
// That photo saved once as a finest-quality JPEG in the scratch directory.
const QString& photoJpegFile(int width, int height);
const QByteArray& photoJpegBytes(int width, int height);
// A 1520 × 1020 print sheet: 15 photos of 250 × 300 with white margins.
const RasterBitmap& printSheet();
// A temporary directory for the files benchmarks write, removed at exit.
QString scratchDirectory();
// A copy sharing no pixels with source, so an in-place operation never times a detach;
// allocated as a decoded photo is (huge pages when large).
RasterBitmap freshCopy(const RasterBitmap& source);
// Pushes earlier data out of the processor caches, so that a small input is read from
// memory like a large one and per-pixel costs compare.
void evictCaches();

} // namespace bench
