#include "face/HeadTargets.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// The passport's head of 3.2–3.6 cm (aim 3.4) on 4.5 cm; the others take the usual studio
// proportion of 70–80 % (aim 75 %), the custom size too. Every type leaves about 8 % above
// the crown; the passport also wants the eye line in the upper half.
const std::array<HeadRule, 5> kRules{{
    {0.70, 0.80, 0.75, 0.08, false},               // 증명사진 2.5 × 3
    {0.70, 0.80, 0.75, 0.08, false},               // 반명함 3 × 4
    {3.2 / 4.5, 3.6 / 4.5, 3.4 / 4.5, 0.08, true}, // 여권 3.5 × 4.5
    {0.70, 0.80, 0.75, 0.08, false},               // 명함판 5 × 7
    {0.70, 0.80, 0.75, 0.08, false},               // 자유지정
}};

// The eyes are placed no lower than this share when they must be in the upper half, and
// the crown is never pushed nearer the top than the smallest margin for it.
constexpr double kHighestEyeShare = 0.48;
constexpr double kSmallestCrownMargin = 0.02;
// Beyond this share of the width a frame pushed sideways no longer counts as centred.
constexpr double kCentringTolerance = 0.02;

int heightFor(int width, QSize target)
{
    const long double ratio = static_cast<long double>(target.height()) / target.width();
    return static_cast<int>(width * ratio);
}

// The largest width whose frame fits into the photo.
int widestInside(QSize target, QSize photo)
{
    int width = std::min(photo.width(), int(std::floor(static_cast<long double>(photo.height()) *
                                                       target.width() / target.height())));
    while (width > 1 && heightFor(width, target) > photo.height())
        --width;
    return width;
}

double crownMarginFor(const FaceFeatures& face, const HeadRule& rule, int height)
{
    if (!rule.eyesInUpperHalf)
        return rule.crownMargin;
    const double eyesBelowCrown = (face.eyeY() - face.crownY) / height;
    return std::clamp(kHighestEyeShare - eyesBelowCrown, kSmallestCrownMargin, rule.crownMargin);
}

} // namespace

const HeadRule& headRuleFor(int photoType)
{
    return photoType >= 0 && photoType < int(kRules.size()) ? kRules[size_t(photoType)] : kRules[0];
}

std::optional<FrameFit> fitFrameToFace(const FaceFeatures& face, const HeadRule& rule, QSize target,
                                       QSize photo, int minWidth)
{
    const double head = face.headHeight();
    if (!(head > 0) || target.isEmpty() || photo.isEmpty() || !(rule.targetShare > 0))
        return std::nullopt;

    const double wantedHeight = head / rule.targetShare;
    int width =
        std::max(minWidth, int(std::lround(wantedHeight * target.width() / target.height())));
    width = std::min(width, widestInside(target, photo));
    const int height = heightFor(width, target);

    const int wantedLeft = int(std::lround(face.centreX() - width / 2.0));
    const int wantedTop =
        int(std::lround(face.crownY - crownMarginFor(face, rule, height) * height));
    const int left = std::clamp(wantedLeft, 0, std::max(0, photo.width() - width));
    const int top = std::clamp(wantedTop, 0, std::max(0, photo.height() - height));

    FrameFit fit;
    fit.frame = {left, top, left + width, top + height};
    const double share = head / height;
    const bool outOfBand = share < rule.minShare || share > rule.maxShare;
    const bool offCentre = std::abs(left - wantedLeft) > kCentringTolerance * width;
    const bool headOutside = face.crownY < top || face.chin.y() > top + height;
    const bool eyesLow = rule.eyesInUpperHalf && face.eyeY() - top > height / 2.0;
    fit.tight = outOfBand || offCentre || headOutside || eyesLow;
    return fit;
}
