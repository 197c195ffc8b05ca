#pragma once

#include "raster/RasterBitmap.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Format codes of the save call.
enum class SaveFormat { Pcx = 1, Gif = 2, Bmp = 6, Jpeg = 10 };

// Loads a photo, detecting the format from the content (JPEG, BMP, GIF, PCX, ICO, PNG, WMF, EMF,
// and whatever else Qt reads). bitsPerPixel 0 keeps the file's own depth; 8 or 24
// converts. On failure returns false and leaves bitmap empty.
[[nodiscard]] bool loadBitmap(const QString& fileName, RasterBitmap& bitmap, int bitsPerPixel = 0);
[[nodiscard]] bool loadBitmapMemory(QByteArrayView data, RasterBitmap& bitmap, int bitsPerPixel);
// Loads a photo to work on: at the file's own depth, composited over white where the
// file is transparent, since an ID photo wants a white background.
[[nodiscard]] bool loadPhoto(const QString& fileName, RasterBitmap& bitmap);

// Saves at the given depth (JPEG 24; BMP 8, 24, 32; PCX 8, 24; GIF 8). qualityFactor 2
// is the finest lossy setting. Writes a temporary file beside the target and renames
// it over the target, so a failed save leaves an existing file as it was.
[[nodiscard]] bool saveBitmap(const QString& fileName, const RasterBitmap& bitmap,
                              SaveFormat format, int bitsPerPixel, int qualityFactor = 2);
// Writes bytes under fileName through a temporary file that replaces it only when all of
// them reached the disk, so a failed write leaves an existing file as it was.
[[nodiscard]] bool writeFileSafely(const QString& fileName, const QByteArray& bytes);
// The bytes saveBitmap writes; empty when the bitmap cannot be encoded so.
[[nodiscard]] QByteArray encodeBitmap(const RasterBitmap& bitmap, SaveFormat format,
                                      int bitsPerPixel, int qualityFactor = 2);
