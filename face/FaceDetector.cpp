#include "face/FaceDetector.h"

#include "face/CrownEstimate.h"
#include "face/WorkImage.h"

#include <dlib/image_processing.h>
#include <dlib/image_processing/frontal_face_detector.h>

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <exception>
#include <numbers>
#include <vector>

namespace {

constexpr int kWorkLongSide = 1000;
constexpr int kLargestWorkLongSide = 2000;
// The detector's window is 80 pixels; this scale brings a 60-pixel face up to it.
constexpr double kSmallFaceScale = 4.0 / 3;

// The detector also fires weakly on patterned clothes and backgrounds, sometimes on a patch
// larger than the real face; only detections scoring at least this share of the best one
// count as faces.
constexpr double kFaceScoreShare = 0.5;

// The 68-point model's numbering.
constexpr unsigned kChin = 8;
constexpr unsigned kFirstBrow = 17;
constexpr unsigned kLastBrow = 26;
constexpr unsigned kFirstLeftEye = 36; // as seen on the photo: the person's right eye
constexpr unsigned kFirstRightEye = 42;
constexpr unsigned kEyePoints = 6;

using GreyImage = dlib::array2d<unsigned char>;

GreyImage toDlib(const QImage& grey)
{
    GreyImage image(grey.height(), grey.width());
    for (int y = 0; y < grey.height(); ++y)
        std::memcpy(&image[y][0], grey.constScanLine(y), size_t(grey.width()));
    return image;
}

QPointF pointOf(const dlib::point& p)
{
    return QPointF(double(p.x()), double(p.y()));
}

QPointF eyeCentre(const dlib::full_object_detection& shape, unsigned first)
{
    QPointF sum;
    for (unsigned i = first; i < first + kEyePoints; ++i)
        sum += pointOf(shape.part(i));
    return sum / kEyePoints;
}

double browTop(const dlib::full_object_detection& shape)
{
    double top = double(shape.part(kFirstBrow).y());
    for (unsigned i = kFirstBrow + 1; i <= kLastBrow; ++i)
        top = std::min(top, double(shape.part(i).y()));
    return top;
}

std::vector<dlib::rect_detection> likelyFaces(const std::vector<dlib::rect_detection>& detections)
{
    double best = detections.front().detection_confidence;
    for (const auto& detection : detections)
        best = std::max(best, detection.detection_confidence);
    std::vector<dlib::rect_detection> faces;
    for (const auto& detection : detections) {
        if (detection.detection_confidence >= kFaceScoreShare * best)
            faces.push_back(detection);
    }
    return faces;
}

// The landmarks and the crown, taken on the work picture and mapped to photo pixels.
FaceFeatures featuresOf(const WorkImage& work, const dlib::full_object_detection& shape)
{
    CrownCues cues;
    cues.leftEye = eyeCentre(shape, kFirstLeftEye);
    cues.rightEye = eyeCentre(shape, kFirstRightEye);
    cues.chin = pointOf(shape.part(kChin));
    cues.browY = browTop(shape);

    FaceFeatures face;
    face.leftEye = work.toPhoto(cues.leftEye);
    face.rightEye = work.toPhoto(cues.rightEye);
    face.chin = work.toPhoto(cues.chin);
    face.crownY = work.toPhotoY(estimateCrownY(work.grey, cues));
    const QPointF eyeLine = face.rightEye - face.leftEye;
    face.tiltDegrees = std::atan2(eyeLine.y(), eyeLine.x()) * 180 / std::numbers::pi;
    return face;
}

} // namespace

struct FaceDetector::Models {
    dlib::frontal_face_detector detector = dlib::get_frontal_face_detector();
    dlib::shape_predictor landmarks;
};

FaceDetector::FaceDetector(QString modelPath) : m_modelPath(std::move(modelPath)) {}

FaceDetector::~FaceDetector() = default;

QString FaceDetector::defaultModelPath()
{
    return QStringLiteral(IDPHOTO_FACE_MODEL);
}

bool FaceDetector::load()
{
    if (m_models)
        return true;
    if (m_loadFailed)
        return false;
    m_loadFailed = true;
    if (!QFileInfo(m_modelPath).isFile())
        return false;
    try {
        auto models = std::make_unique<Models>();
        dlib::deserialize(m_modelPath.toStdString()) >> models->landmarks;
        if (models->landmarks.num_parts() != 68)
            return false;
        m_models = std::move(models);
        m_loadFailed = false;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

FaceSearch FaceDetector::find(const QImage& photo)
{
    FaceSearch search;
    if (photo.isNull())
        return search;
    if (!load()) {
        search.status = FaceSearch::Status::NoModel;
        return search;
    }
    search.status = FaceSearch::Status::NoFace;

    // The second look is worth it only where it sees more than the first.
    const double first = workScale(photo.size(), kWorkLongSide);
    const double second = std::min({2 * first, std::max(first, kSmallFaceScale),
                                    workScale(photo.size(), kLargestWorkLongSide)});
    std::vector<double> scales{first};
    if (second > first)
        scales.push_back(second);
    for (const double scale : scales) {
        const WorkImage work = makeWorkImage(photo, scale);
        if (work.grey.isNull())
            continue;
        const GreyImage image = toDlib(work.grey);
        std::vector<dlib::rect_detection> detections;
        m_models->detector(image, detections);
        if (detections.empty())
            continue;
        const std::vector<dlib::rect_detection> faces = likelyFaces(detections);
        const auto largest =
            std::max_element(faces.begin(), faces.end(), [](const auto& a, const auto& b) {
                return a.rect.area() < b.rect.area();
            });
        search.status = FaceSearch::Status::Found;
        search.faceCount = int(faces.size());
        search.face = featuresOf(work, m_models->landmarks(image, largest->rect));
        return search;
    }
    return search;
}
