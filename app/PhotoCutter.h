#pragma once

#include "common/Rect.h"
#include "raster/RasterBitmap.h"

#include <QString>

// A crop frame narrower or lower than this (photo pixels, before clipping) is not cut.
inline constexpr int kMinCutSide = 5;

// Shown when the frame lies wholly outside the photo, so there is nothing to cut.
QString frameOutsidePhotoMessage();

// How a cut ended. Only a frame outside the photo is worth a message; a failed step is
// swallowed and leaves the photo as it was.
enum class CutStatus { Done, OutsidePhoto, Failed };

// Clips r to an image of width × height: left and top no smaller than 0, right and
// bottom no larger than the image. The result may be empty.
Rect ClipToImage(Rect r, int width, int height);

// True when cropRect, normalised and clipped to an image of width × height, holds no pixel
// of it: the frame lies wholly beyond an edge.
bool frameOutsidePhoto(const Rect& cropRect, int width, int height);

// True when the frame is at least kMinCutSide pixels in both directions.
bool cropFrameLargeEnough(const Rect& cropRect);

// The cutting steps: cut := the part of photo under cropRect, clipped to the photo,
// stretched independently in both directions to exactly targetWidth × targetHeight. False
// when the clipped area is empty (frame wholly outside the photo) or a step fails; cut is
// then left as it was, and the photo is to be kept as it is.
[[nodiscard]] bool cutFramedArea(RasterBitmap& cut, const RasterBitmap& photo, const Rect& cropRect,
                                 int targetWidth, int targetHeight);
