#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QImage>

// ZSoft PCX: 1-bit, 8-bit palette and 24-bit planar. Returns a null image on any error.
QImage decodePcx(QByteArrayView data);
// Writes Indexed8 as 8 bits with a 256-colour palette, RGB888 as 24-bit planar.
QByteArray encodePcx(const QImage& image);
