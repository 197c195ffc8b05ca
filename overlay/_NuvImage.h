#pragma once

#include "raster/RasterBitmap.h"

class QIODevice;

// The colour picture of an overlay, read from an overlay block: a signed length and an image
// file, then a signed length and a grey mask file, which nothing uses and so is stepped over.
class TNuvImage {
public:
    RasterBitmap ColorBitmap;

    // Reads one block from the stream's position and leaves the stream right after it, also
    // when the colour image does not decode. A block cut short throws StreamError, keeping a
    // colour image decoded before the cut.
    void LoadFromStream(QIODevice& stream);
    void Clear() { ColorBitmap.free(); }
    bool IsLoaded() const { return ColorBitmap.isAllocated(); }
    int ImageWidth() const { return ColorBitmap.width(); }
    int ImageHeight() const { return ColorBitmap.height(); }
};
