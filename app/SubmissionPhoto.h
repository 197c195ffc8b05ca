#pragma once

#include "raster/RasterBitmap.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// The photo file online applications ask for: 413 × 531 pixels (3.5 × 4.5 cm at 300
// dpi), a baseline JPEG under 500 kB at the highest quality that fits, in sRGB, with a
// JFIF header that says 300 dpi and no EXIF.
inline constexpr QSize kSubmissionSize(413, 531);
inline constexpr int kSubmissionDpi = 300;
inline constexpr qsizetype kSubmissionByteLimit = 500 * 1000;

// The save dialog's entry for it.
QString submissionFilter();

// The cut photo at 413 × 531: scaled to cover that size, the rest cut off evenly (nothing
// is cut off a photo of the passport's proportions), in sRGB.
QImage submissionPicture(const QImage& photo);

// The picture as a JPEG of fewer than byteLimit bytes at the highest quality that fits; the
// quality reached is put in quality. Empty when not even the lowest quality fits.
QByteArray submissionJpeg(const QImage& picture, qsizetype byteLimit, int* quality = nullptr);

// Writes photo as the submission file under chosenName (".jpg" appended unless it ends so);
// false when it cannot be made or written.
[[nodiscard]] bool saveSubmissionPhoto(const QString& chosenName, const RasterBitmap& photo);
