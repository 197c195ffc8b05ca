#include "face/FaceReadout.h"

#include <QStringList>

#include <cmath>

namespace {

constexpr double kReportedTilt = 3;

QString centimetres(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// One decimal, unless it would round a head just outside the band into it, or one just
// inside out of it; then two, so that the number shown agrees with the mark.
int headDecimals(const HeadCheck& check)
{
    const double shown = std::round(check.headCm * 10) / 10;
    const bool shownInBand =
        shown >= std::round(check.minCm * 10) / 10 && shown <= std::round(check.maxCm * 10) / 10;
    return shownInBand == check.inBand ? 1 : 2;
}

} // namespace

QString faceReadout(const ReadoutFacts& facts)
{
    const HeadCheck& check = facts.check;
    QStringList parts;
    parts << QStringLiteral("머리 높이 %1 cm (기준 %2–%3) %4")
                 .arg(centimetres(check.headCm, headDecimals(check)), centimetres(check.minCm, 1),
                      centimetres(check.maxCm, 1),
                      check.passes() ? QStringLiteral("✓") : QStringLiteral("✗"));
    if (!check.insideFrame)
        parts << QStringLiteral("머리가 틀 밖으로 나감");
    if (std::abs(facts.tiltDegrees) > kReportedTilt)
        parts << QStringLiteral("기울기 %1°")
                     .arg(QString::number(std::abs(facts.tiltDegrees), 'f', 1));
    if (facts.faceCount > 1)
        parts << QStringLiteral("얼굴 %1개 중 가장 큰 얼굴").arg(facts.faceCount);
    if (facts.tight)
        parts << QStringLiteral("사진이 좁아 최대한 맞춤");
    return parts.join(QStringLiteral(" · "));
}

QString noFaceMessage()
{
    return QStringLiteral("얼굴을 찾을 수 없습니다.");
}

QString noModelMessage()
{
    return QStringLiteral("얼굴 인식 자료를 읽을 수 없습니다.");
}
