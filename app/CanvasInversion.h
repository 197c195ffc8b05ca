#pragma once

#include "common/Rect.h"

#include <QImage>
#include <QRect>

// Pixel inversions on a painted workspace canvas (Format_RGB32 or
// Format_ARGB32_Premultiplied). Inverting twice restores the pixels exactly, which the
// crop frame and its drag outline rely on. Rectangles are in the canvas's logical
// pixels, right and bottom exclusive; every pixel is touched at most once and only
// inside clip (logical pixels too). On a canvas with a device pixel ratio r, logical
// pixel x is the run of canvas pixels from round(x · r) up to round((x + 1) · r), halves
// up: the pixels a QPainter fills for it.

// Every pixel of r.
void invertRect(QImage& canvas, const Rect& r, const QRect& clip);
// The one-pixel outline of r (normalised first).
void invertFrame(QImage& canvas, Rect r, const QRect& clip);
// Every other pixel of the one-pixel outline of r, counted clockwise from its top-left.
void invertDottedFrame(QImage& canvas, Rect r, const QRect& clip);
