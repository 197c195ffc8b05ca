#pragma once

#include "raster/RasterBitmap.h"

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>

// A 1520 × 1020 sheet that is easy to find on a printed page: blue all over, with a red,
// green, black and yellow square in its corners (top-left, top-right, bottom-left,
// bottom-right) and a magenta one in the middle.
RasterBitmap probeSheet();

// Renders the first page of a PDF file at dotsPerInch with pdftoppm; a null image (and a
// warning) when that fails or takes too long.
QImage rasterisePdf(const QString& pdfFile, int dotsPerInch);

// Where the probe sheet lies on a rendered page, in millimetres from the page's top-left
// corner; nothing when no ink is found.
std::optional<QRectF> findSheetMillimetres(const QImage& page, int dotsPerInch);

// Empty when the squares and the body of the probe sheet have their colours at the places the
// sheet found at sheetMillimetres gives them; otherwise what differs.
QString probeContentMismatch(const QImage& page, int dotsPerInch, const QRectF& sheetMillimetres);

// Empty when the probe sheet is found on the page at its printed size of 152 × 102 mm with
// its top-left corner at topLeftMillimetres (each within 0.3 mm) and its content in place;
// otherwise what differs.
QString probeSheetMismatch(const QImage& page, int dotsPerInch, QPointF topLeftMillimetres);
