#pragma once

#include "common/PhotoPaths.h"
#include "raster/RasterBitmap.h"

#include <QList>
#include <QPoint>
#include <QString>

class TNuvFrame;

// The frame files of a directory, their cached thumbnails and where those sit in the
// picker, decided without windows.

// One frame file: its full path, the title from its header, and whether its thumbnail file
// was listed beside it.
struct FrameEntry {
    QString path;
    QString title;
    bool thumbnailListed = false;
};

inline constexpr int kThumbnailSize = 100;
// The first thumbnail's place; the second column starts kThumbnailSize + 20 from the left,
// and rows are kThumbnailSize + 10 apart.
inline constexpr QPoint kFirstThumbnailPlace(10, 10);

// The "*.nfrm" entries of directory (case ignored, hidden ones too) in name order, each with
// its title. Entries whose header cannot be read (cut short, unreadable, a directory) are
// left out. An empty directory string gives an empty list. The directory is read once, so
// whether each thumbnail file is there costs nothing more.
QList<FrameEntry> listFrameFiles(QString directory);

// Makes the thumbnail file when it is missing: the frame composed around an empty (black)
// 100 × 100 photo, saved as an 8-bit BMP. An existing file is used as it is, never
// refreshed. True when the thumbnail file exists afterwards; a frame that cannot be read or
// a directory that cannot be written leaves it missing.
bool ensureThumbnail(const QString& framePath);

// Reads a thumbnail file into picture. Read whole rather than mapped, since a file this small
// costs less to copy than to map and unmap; a file larger than any thumbnail is refused.
bool loadThumbnail(const QString& thumbnailFile, RasterBitmap& picture);

// Where the thumbnail after the one at place goes: two columns, then the next row.
QPoint nextThumbnailPlace(QPoint place);

// Reads the frame file into frame; false when it is missing or cannot be read to its end.
bool readFrameFile(TNuvFrame& frame, const QString& framePath);

// Frames photo (24 bits) with the frame file at framePath. False, photo unchanged, when the
// file is missing or cannot be read or composed.
bool frameWithFile(RasterBitmap& photo, const QString& framePath);
