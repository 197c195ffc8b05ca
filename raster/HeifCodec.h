#pragma once

#include <QByteArrayView>
#include <QImage>

// The primary image of a HEIF/HEIC file through libheif, upright, as RGB888.
// Returns a null image on any error.
QImage decodeHeif(QByteArrayView data);
