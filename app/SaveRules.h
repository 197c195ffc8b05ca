#pragma once

#include "raster/BitmapIO.h"

#include <QString>

#include <optional>

// The save dialog's filter, one entry per format in the order of saveEntry's numbers.
QString saveDialogFilter();

// The 1-based number of the chosen filter entry (as the dialog reports its text), or 0
// when the text is not one of the entries.
int saveFilterEntry(const QString& selectedFilter);

// What a save with the chosen filter entry writes.
struct SaveRequest {
    QString fileName;
    SaveFormat format = SaveFormat::Jpeg;
    int bitsPerPixel = 24;
};

// The file name with the entry's extension appended unless it already ends in it (any letter
// case; the extension is the part from the last dot), the format, and the depth for a picture
// of bitsPerPixel. The depth follows the save table and is then brought to one the format can
// hold: JPEG and PCX have no 32-bit form, so 32 becomes 24. Nothing for an unknown entry.
std::optional<SaveRequest> saveRequestFor(int entry, const QString& chosenName, int bitsPerPixel);
