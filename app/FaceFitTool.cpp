#include "app/FaceFitTool.h"

#include "face/FaceDetector.h"
#include "face/FaceReadout.h"
#include "face/HeadGuides.h"

#include <QPainter>
#include <QPen>

#include <cmath>

namespace {

// 100 pixels per centimetre, as the cut photo.
constexpr double kPixelsPerCm = 100;
// The cut needs a frame at least this wide (the crop frame's own minimum).
constexpr int kMinFittedWidth = 20;

const QColor kPassColour(70, 220, 140);
const QColor kFailColour(255, 110, 90);
const QColor kBandColour(26, 156, 156, 70);
const QColor kShadowColour(0, 0, 0, 120);
const QColor kLimitColour(255, 255, 255, 200);

QRectF photoRect(const Rect& r)
{
    return QRectF(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// A photo row to the workspace, as imageToScreen maps the frame's top.
double screenY(const ViewMapping& view, double photoY)
{
    return photoY * view.zoom / 100.0 - view.scrollY + centeringOffset(view).y();
}

// A line that shows on any photo: a dark shadow under a bright line.
void drawGuideLine(QPainter& painter, double left, double right, double y, const QColor& colour,
                   Qt::PenStyle style)
{
    painter.setPen(QPen(kShadowColour, 3, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(QPointF(left, y), QPointF(right, y));
    painter.setPen(QPen(colour, 1, style, Qt::FlatCap));
    painter.drawLine(QPointF(left, y), QPointF(right, y));
}

void drawBand(QPainter& painter, double left, double right, double top, double bottom)
{
    painter.fillRect(QRectF(QPointF(left, top), QPointF(right, bottom)), kBandColour);
}

} // namespace

FaceFitTool::FaceFitTool(FaceDetector& detector) : m_detector(detector) {}

FaceFitTool::Outcome FaceFitTool::fit(const QImage& photo, const PhotoType& type)
{
    m_photoKey = 0;
    m_search = m_detector.find(photo);
    if (m_search.status == FaceSearch::Status::NoModel)
        return {std::nullopt, noModelMessage()};
    if (!m_search.found())
        return {std::nullopt, noFaceMessage()};
    const std::optional<FrameFit> fitted = fitFrameToFace(m_search.face, headRuleFor(type.index),
                                                          type.size, photo.size(), kMinFittedWidth);
    if (!fitted)
        return {std::nullopt, noFaceMessage()};
    m_photoKey = photo.cacheKey();
    m_fitted = fitted->frame;
    m_tight = fitted->tight;
    return {m_fitted, {}};
}

bool FaceFitTool::knows(const QImage& photo) const
{
    return m_photoKey != 0 && !photo.isNull() && photo.cacheKey() == m_photoKey;
}

FaceFitTool::Readout FaceFitTool::readout(const QImage& photo, const Rect& frame,
                                          const PhotoType& type) const
{
    if (!knows(photo) || RectWidth(frame) <= 0 || RectHeight(frame) <= 0)
        return {};
    ReadoutFacts facts;
    facts.check = checkHead(m_search.face, headRuleFor(type.index), photoRect(frame),
                            type.size.height() / kPixelsPerCm);
    facts.faceCount = m_search.faceCount;
    facts.tiltDegrees = m_search.face.tiltDegrees;
    facts.tight = m_tight && frame == m_fitted;
    return {faceReadout(facts), facts.check.passes()};
}

void FaceFitTool::paint(QImage& canvas, const QRect& clip, const ViewMapping& view,
                        const Rect& frame, const QImage& photo, const PhotoType& type) const
{
    if (!knows(photo) || RectWidth(frame) <= 0 || RectHeight(frame) <= 0 || view.zoom <= 0)
        return;
    // The rule is measured in photo pixels; the frame's height there is its drawn height
    // taken back through the zoom.
    const double scale = view.zoom / 100.0;
    const QRectF drawn = photoRect(frame);
    const QRectF inPhoto(0, (drawn.top() - screenY(view, 0)) / scale, drawn.width() / scale,
                         drawn.height() / scale);
    const HeadRule& rule = headRuleFor(type.index);
    const HeadGuides guides = headGuides(m_search.face, rule, inPhoto);
    const bool passes =
        checkHead(m_search.face, rule, inPhoto, type.size.height() / kPixelsPerCm).inBand;

    QPainter painter(&canvas);
    painter.setClipRect(
        clip.intersected(QRect(frame.left, frame.top, RectWidth(frame), RectHeight(frame))));
    const double left = frame.left;
    const double right = frame.right;
    drawBand(painter, left, right, screenY(view, guides.crownBandTop),
             screenY(view, guides.crownBandBottom));
    drawBand(painter, left, right, screenY(view, guides.chinBandTop),
             screenY(view, guides.chinBandBottom));
    if (guides.eyeLimitY)
        drawGuideLine(painter, left, right, screenY(view, *guides.eyeLimitY), kLimitColour,
                      Qt::DotLine);
    const QColor colour = passes ? kPassColour : kFailColour;
    drawGuideLine(painter, left, right, screenY(view, guides.crownY), colour, Qt::SolidLine);
    drawGuideLine(painter, left, right, screenY(view, guides.eyeY), colour, Qt::DashLine);
    drawGuideLine(painter, left, right, screenY(view, guides.chinY), colour, Qt::SolidLine);
}

FaceDetector& sharedFaceDetector()
{
    static FaceDetector detector;
    return detector;
}
