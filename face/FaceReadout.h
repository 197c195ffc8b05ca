#pragma once

#include "face/HeadGuides.h"

#include <QString>

// What the readout beside the type label reports.
struct ReadoutFacts {
    HeadCheck check;
    int faceCount = 1;
    double tiltDegrees = 0;
    bool tight = false; // the frame is the fit, and the fit could not follow the rule
};

// "머리 높이 3.4 cm (기준 3.2–3.6) ✓", followed by what else the user should know: the
// head out of the frame, a tilt of more than 3 degrees, how many faces were found, a
// photo too tight for the rule.
QString faceReadout(const ReadoutFacts& facts);

// The message when a search found no face.
QString noFaceMessage();
// The message when the landmark model cannot be read.
QString noModelMessage();
