#include "face/HeadGuides.h"

HeadGuides headGuides(const FaceFeatures& face, const HeadRule& rule, const QRectF& frame)
{
    HeadGuides guides;
    guides.crownY = face.crownY;
    guides.eyeY = face.eyeY();
    guides.chinY = face.chin.y();
    const double height = frame.height();
    guides.crownBandTop = face.chin.y() - rule.maxShare * height;
    guides.crownBandBottom = face.chin.y() - rule.minShare * height;
    guides.chinBandTop = face.crownY + rule.minShare * height;
    guides.chinBandBottom = face.crownY + rule.maxShare * height;
    if (rule.eyesInUpperHalf)
        guides.eyeLimitY = frame.top() + height / 2;
    return guides;
}

namespace {

// A head exactly on the band's edge counts as inside, whatever the last bit of the division.
constexpr double kEdgeTolerance = 1e-9;

} // namespace

HeadCheck checkHead(const FaceFeatures& face, const HeadRule& rule, const QRectF& frame,
                    double photoHeightCm)
{
    HeadCheck check;
    if (!(frame.height() > 0))
        return check;
    const double share = face.headHeight() / frame.height();
    check.headCm = share * photoHeightCm;
    check.minCm = rule.minShare * photoHeightCm;
    check.maxCm = rule.maxShare * photoHeightCm;
    check.inBand =
        share >= rule.minShare - kEdgeTolerance && share <= rule.maxShare + kEdgeTolerance;
    check.insideFrame = face.crownY >= frame.top() && face.chin.y() <= frame.bottom() &&
                        face.centreX() >= frame.left() && face.centreX() <= frame.right();
    return check;
}
