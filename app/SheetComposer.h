#pragma once

#include "raster/RasterBitmap.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

// The print sheet: 15.2 × 10.2 cm at 100 pixels per centimetre.
inline constexpr int kSheetWidth = 1520;
inline constexpr int kSheetHeight = 1020;

// The photo type's pixel size and white margins, as the sheet needs them.
struct SheetPhotoType {
    int targetWidth = 0;
    int targetHeight = 0;
    int marginX = 0;
    int marginY = 0;
    bool customSize = false;
};

// Where the cells go on the sheet.
struct SheetLayout {
    QSize cell; // one copy with its margins
    QRect grid; // the area of the sheet receiving cells; cells are clipped to it
    // Top-left corners of every cell started on the sheet, row by row, unclipped.
    // The last column and row may reach past the grid.
    QList<QPoint> cellOrigins;
    int columns = 0; // cells started per row
    int rows = 0;    // cells started per column
    // Where the photo sits inside a cell.
    QPoint photoOffset;
    QSize photo;
};

// The layout for a photo type. Fixed types use the whole sheet as the grid; the custom size
// uses the largest whole number of cells in each direction, centred. An invalid type (any
// size not positive, a negative margin) gives an empty layout.
SheetLayout layoutSheet(const SheetPhotoType& type);

// Photos of the layout lying wholly inside the grid.
int wholeCopies(const SheetLayout& layout);

// cell := one copy: a white targetWidth + 2·marginX × targetHeight + 2·marginY picture,
// 24 bits per pixel, with the photo unscaled at (marginX, marginY). False on failure; cell
// is then left as it was.
[[nodiscard]] bool makeCell(RasterBitmap& cell, const RasterBitmap& photo,
                            const SheetPhotoType& type);

// sheet := the white 1520 × 1020 sheet, 24 bits per pixel, with the cells tiled over its
// grid. False on failure; sheet is then left as it was.
[[nodiscard]] bool composeSheet(RasterBitmap& sheet, const RasterBitmap& photo,
                                const SheetPhotoType& type);
