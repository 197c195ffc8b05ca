#pragma once

#include <QImage>
#include <QPointF>

// What the crown estimate starts from, in pixels of the grey picture it scans.
struct CrownCues {
    QPointF leftEye;
    QPointF rightEye;
    QPointF chin;
    double browY = 0; // the highest point of the two brows
};

// The y of the top of the head (hair included) on a Format_Grayscale8 picture. May lie
// above the picture when the head is cut off by its top edge. See the .cpp for the method.
double estimateCrownY(const QImage& grey, const CrownCues& cues);

// The crown from the landmarks alone: the head's proportions without looking at the hair.
double crownFromProportions(const CrownCues& cues);
