#pragma once

#include "common/Rect.h"

#include <QPoint>
#include <Qt>

// Grip handles of the crop frame, numbered clockwise from the top-left corner;
// only these two exist. 0 stands for the frame body.
inline constexpr int kGripBody = 0;
inline constexpr int kGripRight = 4;
inline constexpr int kGripBottomRight = 5;

// The 14 × 14 handle of grip 4 or 5 on r (normalised first); an empty rectangle for
// any other number.
Rect GripRect(Rect r, int grip);
// The handle that contains p, grip 4 before grip 5; 0 when none does.
int GripAtPoint(const Rect& r, QPoint p);
// Moves the edges that the grip holds by delta.
void ResizeByGrip(Rect& r, QPoint delta, int grip);
// Pushes r right and down so that its left and top edges are not negative.
void ClampCropOrigin(Rect& r);

// One step of a drag: moves the frame (grip 0) or resizes it by its grip with the
// height following the width by aspectRatio (height / width).
void dragCropFrame(Rect& frame, int grip, QPoint delta, long double aspectRatio);
// The workspace cursor shown over the given grip.
Qt::CursorShape cursorForGrip(int grip);
