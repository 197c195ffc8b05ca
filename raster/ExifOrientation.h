#pragma once

#include <QByteArrayView>
#include <QImage>

// The orientation tag (0x0112) of a JPEG's APP1 "Exif" segment: 1 … 8, or 1 when the
// tag is absent or the segment is malformed. Only the markers before the first scan
// are walked, so the cost does not depend on the size of the picture.
int exifOrientation(QByteArrayView jpegData);

// The picture as it is meant to be seen: image stored with the given orientation
// (1 … 8) turned and/or mirrored in one pass. Indexed8 and RGB888 images only; other
// layouts, and orientation 1, come back unchanged.
QImage uprightImage(const QImage& image, int orientation);
