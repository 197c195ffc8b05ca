#pragma once

#include <QImage>
#include <QSize>

#include <cstdint>

// What the WMF and EMF readers share: how large a metafile is drawn, and on what.
namespace raster {

// Metafiles are drawn at the screen's resolution.
inline constexpr double kMetafileDpi = 96.0;
// Longest side a metafile is drawn at. A drawing has no pixels of its own, so a larger
// frame is scaled down as a whole instead of refused; this is still far beyond what a
// print sheet uses, and keeps a few hostile bytes from costing gigabytes.
inline constexpr int kMaxMetafileSide = 4096;
// Larger metafiles are refused before any library sees them.
inline constexpr std::int64_t kMaxMetafileBytes = std::int64_t(64) << 20;
// More records than this is not a picture anyone drew.
inline constexpr std::int64_t kMaxMetafileRecords = std::int64_t(1) << 20;

// The pixel size of a frame of widthInches × heightInches at kMetafileDpi, scaled down
// as a whole so neither side exceeds maxSide (a side never rounds below one pixel).
// Empty when either side is not a positive finite number.
QSize metafilePixelSize(double widthInches, double heightInches, int maxSide);

// An opaque white 32-bit picture to draw a metafile on; null when it cannot be allocated.
QImage whiteCanvas(QSize size);

} // namespace raster
