#pragma once

#include <QImage>
#include <QPointF>
#include <QSize>

// The grey picture the face detector works on: the photo scaled by scale, so that a photo
// pixel p lies at (p + 0.5) · scale − 0.5 on it.
struct WorkImage {
    QImage grey; // Format_Grayscale8
    double scale = 1;

    QPointF toPhoto(QPointF work) const
    {
        return (work + QPointF(0.5, 0.5)) / scale - QPointF(0.5, 0.5);
    }
    double toPhotoY(double workY) const { return (workY + 0.5) / scale - 0.5; }
};

// The scale that brings the photo's long side to longSide pixels (above 1 for small photos).
double workScale(QSize photo, int longSide);

// The photo in grey at scale. A large photo is first averaged over whole k × k blocks in one
// pass, so that a 24-megapixel photo costs one read; only the small remainder of the scale
// is left to Qt's smooth scaling. A null image when the photo or the scale is unusable.
WorkImage makeWorkImage(const QImage& photo, double scale);
