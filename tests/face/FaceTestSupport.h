#pragma once

#include "TestData.h"

#include "face/FaceDetector.h"

#include <QImage>
#include <QPointF>

// What the face tests share: one detector (its model takes a while to read) and the
// portrait with the places of its head, measured by eye on the 512 × 512 picture.
namespace face_test {

inline FaceDetector& detector()
{
    static FaceDetector shared;
    return shared;
}

inline QImage portrait()
{
    return QImage(test_data::testDataPath(QStringLiteral("portrait.png")));
}

// The top of the hair, the lowest point of the chin, and the middle between the eyes.
struct HeadTruth {
    double crownY = 16;
    double chinY = 177;
    double centreX = 224.5;
};

} // namespace face_test
