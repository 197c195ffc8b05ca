#pragma once

#include "face/FaceFeatures.h"

#include <QImage>
#include <QString>

#include <memory>

// Finds faces on a photo and their landmarks: a HOG frontal-face detector and a 68-point
// landmark model, run on a grey copy of the photo scaled to a long side of about 1000
// pixels; the results are mapped back to photo pixels. When nothing is found there, a
// second look at twice that scale (at most 4/3 of the photo's own, and a long side of 2000)
// finds smaller faces: down to 60 pixels wide on photos up to 1500 pixels, and 4 % of the
// long side above that. The landmark model is read on the first search and kept.
class FaceDetector {
public:
    explicit FaceDetector(QString modelPath = defaultModelPath());
    ~FaceDetector();
    FaceDetector(const FaceDetector&) = delete;
    FaceDetector& operator=(const FaceDetector&) = delete;

    // The landmark model the build found.
    static QString defaultModelPath();

    // Reads the landmark model unless it is already read; false when it cannot be (a
    // failed read is not tried again).
    bool load();
    // The largest face of the photo, and how many there are.
    FaceSearch find(const QImage& photo);

private:
    struct Models;
    QString m_modelPath;
    std::unique_ptr<Models> m_models;
    bool m_loadFailed = false;
};
