#pragma once

#include "common/Rect.h"
#include "face/FaceFeatures.h"

#include <QSize>

#include <optional>

// How large the head must be on an ID photo and where it sits, as shares of the photo's
// height (the head runs from the crown to the chin).
struct HeadRule {
    double minShare = 0;
    double maxShare = 0;
    double targetShare = 0; // what the fit aims at
    double crownMargin = 0; // preferred space above the crown
    bool eyesInUpperHalf = false;
};

// The rule of photo type 0 … 4, in the order of the type buttons; type 0 for any other.
const HeadRule& headRuleFor(int photoType);

// A crop frame fitted to a face.
struct FrameFit {
    Rect frame; // photo pixels
    // The frame could not follow the rule: the photo is too small or the face too near its
    // edge, so the head is out of its band, outside the frame, off-centre or too low.
    bool tight = false;
};

// The crop frame that puts the face where the rule wants it: the head at the target share
// of the frame's height, the eyes centred horizontally, the crown below the preferred
// margin (less when the eyes would otherwise fall into the lower half). The frame keeps
// the proportions of a target.width() × target.height() photo as the crop frame does (the
// height is the width times their ratio, truncated), is at least minWidth wide, and stays
// inside the photo where it can. Nothing when the face has no height or the sizes are empty.
std::optional<FrameFit> fitFrameToFace(const FaceFeatures& face, const HeadRule& rule, QSize target,
                                       QSize photo, int minWidth);
