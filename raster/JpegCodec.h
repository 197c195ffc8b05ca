#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

// JPEG through libjpeg-turbo. Grey files decode to Indexed8 with a grey palette, colour
// (YCbCr, RGB, CMYK, YCCK) to RGB888; an EXIF orientation tag is applied so the
// picture comes out upright. Returns a null image on any error.
QImage decodeJpeg(QByteArrayView data);
// Encodes RGB888 (other layouts are converted) at the given libjpeg quality; at 90 and
// above chroma is not subsampled. Returns an empty array on failure.
QByteArray encodeJpeg(const QImage& image, int quality);
