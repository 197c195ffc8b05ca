#pragma once

#include "app/WorkspaceGeometry.h"
#include "common/Rect.h"
#include "face/FaceFeatures.h"
#include "face/HeadTargets.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

class FaceDetector;
class QRect;

// The face fit of the main window: the search behind its button, the frame it fits, the
// guide lines over the crop frame and the readout. It keeps the face of the photo it
// searched and shows nothing once the window works on another picture.
class FaceFitTool {
public:
    // The photo type the frame is for: its number and its size in pixels at 100 per cm.
    struct PhotoType {
        int index = 0;
        QSize size;
    };

    explicit FaceFitTool(FaceDetector& detector);

    // Searches photo and, when a face is found, gives the frame fitted to it; otherwise
    // the message to show, and the face of an earlier search is forgotten.
    struct Outcome {
        std::optional<Rect> frame;
        QString message;
    };
    Outcome fit(const QImage& photo, const PhotoType& type);

    // The readout for the frame (photo pixels) on photo, and whether the head keeps to the
    // rule there; an empty text when photo is not the one whose face was found.
    struct Readout {
        QString text;
        bool passes = false;
    };
    Readout readout(const QImage& photo, const Rect& frame, const PhotoType& type) const;
    // Draws the guide lines across the frame (workspace pixels) on the painted workspace.
    void paint(QImage& canvas, const QRect& clip, const ViewMapping& view, const Rect& frame,
               const QImage& photo, const PhotoType& type) const;

private:
    bool knows(const QImage& photo) const;

    FaceDetector& m_detector;
    qint64 m_photoKey = 0;
    FaceSearch m_search;
    Rect m_fitted;
    bool m_tight = false;
};

// The detector the program shares: the landmark model is read once, on the first search.
FaceDetector& sharedFaceDetector();
