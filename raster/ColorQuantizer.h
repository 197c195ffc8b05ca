#pragma once

#include <QImage>

// Reduces a colour image to an Indexed8 image of at most maxColours colours with a
// palette chosen for the picture (median cut). Indexed8 input is returned as it is.
QImage quantizeTo8(const QImage& image, int maxColours = 256);
