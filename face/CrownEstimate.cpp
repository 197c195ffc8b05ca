#include "face/CrownEstimate.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

// The landmark model stops at the brows, so the top of the head is estimated.
//
// Distances are measured in units of the eye-to-chin drop d (eye line to chin), which
// the landmarks give reliably for any face size.
//  1. A prior from proportions: the crown lies about 1.15 d above the eye line (an adult
//     head with ordinary hair; bald heads come to about 0.95 d, full hair to 1.3 d).
//  2. A strip as wide as the eye distance, centred between the eyes, is read row by row
//     from well above any head (1.7 d over the eyes) down to just above the brows. Each
//     row gets its mean grey and its texture (mean step between neighbours): hair is
//     darker or lighter than a studio background, and it is always more textured.
//  3. The background is what the strip shows in its first rows. Each row's distance from
//     it is the difference of means plus the texture above the background's.
//  4. No head is shorter than 0.8 d above the eyes, so the rows below that are head
//     (forehead and hair). From there the scan goes upwards while the rows still differ
//     from the background by at least a third of the head's largest difference; the
//     first run of background rows ends it, and the row below the run is the crown.
// A head that shows no contrast against the background, a strip that runs off the
// picture before finding background, or a strip whose lowest crown row already looks like
// the background (the hair itself was taken for it, since the head is cut off by the
// picture's top) falls back on the prior: the crown is then not visible, and the
// proportions are the best guess there is.
namespace {

constexpr double kPriorAboveEyes = 1.15;
constexpr double kScanTopAboveEyes = 1.7;
constexpr double kLowestCrownAboveEyes = 0.8;
constexpr double kScanStartAboveBrows = 0.1;
// Rows that make the background reference and the run that ends the scan.
constexpr double kRunLength = 0.06;
// Below this distance (grey levels) a head and its background cannot be told apart.
constexpr double kMinContrast = 12;
constexpr double kThresholdShare = 1.0 / 3;

struct RowStats {
    double mean = 0;
    double texture = 0;
};

RowStats rowStats(const QImage& grey, int y, int left, int right)
{
    const uchar* line = grey.constScanLine(y);
    long sum = 0;
    long steps = 0;
    for (int x = left; x < right; ++x) {
        sum += line[x];
        if (x > left)
            steps += std::abs(int(line[x]) - int(line[x - 1]));
    }
    const int count = right - left;
    return {double(sum) / count, count > 1 ? double(steps) / (count - 1) : 0};
}

double distanceFrom(const RowStats& row, const RowStats& background)
{
    return std::abs(row.mean - background.mean) + std::max(0.0, row.texture - background.texture);
}

} // namespace

double crownFromProportions(const CrownCues& cues)
{
    const double eyeY = (cues.leftEye.y() + cues.rightEye.y()) / 2;
    return eyeY - kPriorAboveEyes * (cues.chin.y() - eyeY);
}

double estimateCrownY(const QImage& grey, const CrownCues& cues)
{
    const double prior = crownFromProportions(cues);
    const double eyeY = (cues.leftEye.y() + cues.rightEye.y()) / 2;
    const double drop = cues.chin.y() - eyeY;
    if (grey.format() != QImage::Format_Grayscale8 || !(drop >= 2))
        return prior;

    const double centreX = (cues.leftEye.x() + cues.rightEye.x()) / 2;
    const double halfWidth = std::max(2.0, std::abs(cues.rightEye.x() - cues.leftEye.x()) / 2);
    const int left = std::clamp(int(std::lround(centreX - halfWidth)), 0, grey.width());
    const int right = std::clamp(int(std::lround(centreX + halfWidth)), 0, grey.width());
    const int top = std::max(0, int(std::lround(eyeY - kScanTopAboveEyes * drop)));
    const int start =
        std::min(grey.height() - 1, int(std::lround(cues.browY - kScanStartAboveBrows * drop)));
    const int run = std::max(2, int(std::lround(kRunLength * drop)));
    if (right - left < 2 || start - top < 2 * run)
        return prior;

    std::vector<RowStats> rows;
    for (int y = top; y <= start; ++y)
        rows.push_back(rowStats(grey, y, left, right));

    RowStats background;
    for (int i = 0; i < run; ++i) {
        background.mean += rows[size_t(i)].mean / run;
        background.texture += rows[size_t(i)].texture / run;
    }
    double largest = 0;
    for (const RowStats& row : rows)
        largest = std::max(largest, distanceFrom(row, background));
    if (largest < kMinContrast)
        return prior;

    const double threshold = kThresholdShare * largest;
    const int lowest = std::clamp(int(std::lround(eyeY - kLowestCrownAboveEyes * drop)) - top, 0,
                                  int(rows.size()) - 1);
    if (distanceFrom(rows[size_t(lowest)], background) < threshold)
        return prior;
    int backgroundRun = 0;
    for (int i = lowest; i >= 0; --i) {
        if (distanceFrom(rows[size_t(i)], background) >= threshold) {
            backgroundRun = 0;
            continue;
        }
        if (++backgroundRun == run)
            return top + i + run; // the row below the run
    }
    return prior;
}
