#pragma once

#include "common/Rect.h"

#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

// The text block's box, used to place it and to pick it up with the mouse.

// The nine places a block can be put, row by row from the top left.
inline constexpr int kTextPlacementCount = 9;

// The index of the line with the most characters; an earlier line wins a tie. -1 without
// lines.
int longestLineIndex(const QStringList& lines);

// The block's size: as wide as the line with the most characters and as high as the lines
// at that line's height, both measured in the regular style of the face at pointSize
// whatever style the text is drawn in, so bold text may stick out to the right.
QSize measureTextBlock(const QStringList& lines, const QString& family, int pointSize);

// The block's rectangle with its top-left at at.
Rect textBlockRect(QPoint at, QSize block);

// The top-left corner that puts a block of that size at placement 0 … 8 on the photo,
// touching its edges; halves are truncated toward zero, so a block larger than the photo
// gets negative coordinates. Placements outside 0 … 8 give the top left.
QPoint placeTextBlock(int placement, QSize photo, QSize block);
