#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

// The first image of a GIF (giflib), composed onto its logical screen, as Indexed8.
// Returns a null image on any error.
QImage decodeGif(QByteArrayView data);
// Writes an Indexed8 image. Returns an empty array on failure.
QByteArray encodeGif(const QImage& image);
