#pragma once

#include "face/FaceFeatures.h"
#include "face/HeadTargets.h"

#include <QRectF>

#include <optional>

// The lines drawn over the crop frame, in photo pixels: where the head is, and where its
// crown and chin may lie for the head to keep to the rule in this frame (the crown's band
// follows from the chin, the chin's from the crown).
struct HeadGuides {
    double crownY = 0;
    double eyeY = 0;
    double chinY = 0;
    double crownBandTop = 0;
    double crownBandBottom = 0;
    double chinBandTop = 0;
    double chinBandBottom = 0;
    std::optional<double> eyeLimitY; // the frame's middle, when the eyes must be above it
};

HeadGuides headGuides(const FaceFeatures& face, const HeadRule& rule, const QRectF& frame);

// The head measured against the rule in a frame of a photo photoHeightCm high.
struct HeadCheck {
    double headCm = 0;
    double minCm = 0;
    double maxCm = 0;
    bool inBand = false;
    bool insideFrame = false; // crown, chin and the eyes' middle all inside the frame

    bool passes() const { return inBand && insideFrame; }
};

HeadCheck checkHead(const FaceFeatures& face, const HeadRule& rule, const QRectF& frame,
                    double photoHeightCm);
