#pragma once

#include <QPointF>

// One face as found on a photo, in photo pixels. Left and right are as seen on the
// photo, not the person's own.
struct FaceFeatures {
    QPointF leftEye;
    QPointF rightEye;
    QPointF chin;      // the lowest point of the jaw outline
    double crownY = 0; // the estimated top of the head (hair included); may lie above the photo
    double tiltDegrees = 0; // the eye line against the horizontal, clockwise positive

    double eyeY() const { return (leftEye.y() + rightEye.y()) / 2; }
    double centreX() const { return (leftEye.x() + rightEye.x()) / 2; }
    double headHeight() const { return chin.y() - crownY; }
};

// What a search of one photo gave.
struct FaceSearch {
    enum class Status {
        Found,
        NoFace,
        NoModel, // the landmark model could not be read
        NoPhoto, // nothing to search
    };
    Status status = Status::NoPhoto;
    int faceCount = 0;
    FaceFeatures face; // the largest face; meaningful when status is Found

    bool found() const { return status == Status::Found; }
};
