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

// The workspace draws a frame only when both its sides are longer than this (screen pixels).
inline constexpr int kSmallestDrawnFrame = 10;
// A frame is never resized narrower than this many photo pixels: anything smaller cuts a
// patch too small to be a photo.
inline constexpr int kMinFrameWidth = 20;

// The narrowest a frame held in workspace pixels at zoomPercent may be resized to: at least
// kMinFrameWidth photo pixels, and wide enough that it and its height by aspectRatio
// (height / width) are still drawn.
int minimumFrameWidth(int zoomPercent, long double aspectRatio);

// One step of a drag on a frame held in workspace pixels at zoomPercent: moves the frame
// (grip 0) or resizes it by its grip with the height following the width by aspectRatio.
// A resize stops at minimumFrameWidth: dragged past the left edge, the frame stays there.
void dragCropFrame(Rect& frame, int grip, QPoint delta, long double aspectRatio, int zoomPercent);
// The workspace cursor shown over the given grip.
Qt::CursorShape cursorForGrip(int grip);
