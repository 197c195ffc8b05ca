#pragma once

#include "common/Rect.h"

#include <QString>

inline constexpr int kPhotoTypeCount = 5;
// The type whose size the user sets in the custom-size dialog.
inline constexpr int kCustomPhotoType = 4;

// One row of the photo-type table. The custom type has no fixed size (zeros).
struct PhotoTypeInfo {
    QString normalHint;
    QString selectedHint;
    QString name;
    QString sizeText;
    int targetWidth = 0;
    int targetHeight = 0;
    int marginX = 0;
    int marginY = 0;
};

// index 0 … 4; anything else gives type 0.
const PhotoTypeInfo& photoTypeInfo(int index);

// The main window's members that the chosen photo type sets.
struct PhotoTypeState {
    QString PhotoTypeName;
    QString PhotoSizeText;
    int TargetWidth = 0;
    int TargetHeight = 0;
    int MarginX = 0;
    int MarginY = 0;
    long double AspectRatio = 0;
    bool CustomSize = false;
};

// Applies fixed type 0 … 3: the table's members, and cropRect keeps its top-left
// corner and takes the type's size. Returns false for any other index.
bool applyFixedPhotoType(PhotoTypeState& state, Rect& cropRect, int index);
// Applies a custom size of width × height pixels, with margins of a tenth.
void applyCustomPhotoType(PhotoTypeState& state, Rect& cropRect, int width, int height);
// AspectRatio := TargetHeight / TargetWidth; false when there is no width to divide by.
bool updateAspectRatio(PhotoTypeState& state);

// "2.5 * 3 Cm" for 250 × 300 pixels at 100 pixels per centimetre.
QString customSizeText(int width, int height);
// The type label: name, " - ", size text.
QString photoTypeLabel(const PhotoTypeState& state);
