#pragma once

#include "overlay/_NuvImage.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

class QIODevice;

// The fixed header of a frame file: a nine-part picture (four corners, four edge tiles), where
// the photo lies in the composed frame and how much larger than the photo the frame is.
struct TNuvFrameHeader {
    static constexpr qsizetype kSize = 156;
    static constexpr qsizetype kTitleSize = 64;

    qint32 Reserved0 = 0;
    std::array<char, kTitleSize> FrameTitle{};
    qint32 TopLeftWidth = 0;
    qint32 TopLeftHeight = 0;
    qint32 TopTileWidth = 0;
    qint32 TopHeight = 0;
    qint32 TopRightWidth = 0;
    qint32 TopRightHeight = 0;
    qint32 LeftWidth = 0;
    qint32 LeftTileHeight = 0;
    qint32 RightWidth = 0;
    qint32 RightTileHeight = 0;
    qint32 BottomLeftWidth = 0;
    qint32 BottomLeftHeight = 0;
    qint32 BottomTileWidth = 0;
    qint32 BottomHeight = 0;
    qint32 BottomRightWidth = 0;
    qint32 BottomRightHeight = 0;
    qint32 PhotoLeft = 0;
    qint32 PhotoTop = 0;
    qint32 ExtraWidth = 0;
    qint32 ExtraHeight = 0;
    qint32 StretchEdges = 0;
    qint32 Reserved1 = 0;

    // The title up to its first zero byte (all 64 bytes when there is none), from CP949.
    QString title() const;
    // Sets the title in CP949, cut to 64 bytes.
    void setTitle(const QString& title);
    QByteArray toBytes() const;
    // Fills the fields that bytes covers, in file order; the rest keep their values.
    void fromBytes(QByteArrayView bytes);
};

// A decorative frame file: the header, then one overlay block with the frame picture.
class TNuvFrame {
public:
    TNuvFrameHeader FrameHeader;
    TNuvImage FrameImage;

    // Reads the header and the block; anything after the block is ignored. A stream that
    // ends too soon throws StreamError, keeping what was read.
    void LoadFromStream(QIODevice& stream);
    // Does nothing when the file does not exist; throws StreamError when it cannot be opened
    // or is cut short.
    void LoadFromFile(const QString& fileName);
    // The frame for a photo of the given size: (photo + Extra) pixels, 24 bits, black where no
    // piece lies. Refuses (false, result empty) a size the raster layer would not allocate.
    bool Compose(int photoWidth, int photoHeight, RasterBitmap& result) const;
};

// The title of a frame file, reading only its header; throws StreamError like LoadFromFile.
QString ReadFrameTitle(const QString& fileName);

// Puts the 24-bit photo into the frame at (PhotoLeft, PhotoTop), unscaled and on top of the
// frame; photo becomes the framed picture. False (photo unchanged) when it cannot be composed.
bool framePhoto(const TNuvFrame& frame, RasterBitmap& photo);
