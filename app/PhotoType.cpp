#include "app/PhotoType.h"

#include <array>

namespace {

const std::array<PhotoTypeInfo, kPhotoTypeCount>& photoTypes()
{
    static const std::array<PhotoTypeInfo, kPhotoTypeCount> types{{
        {QStringLiteral("증명사진크기로 맞춥니다."), QStringLiteral("증명사진 크기로 맞춥니다."),
         QStringLiteral("증명사진"), QStringLiteral("2.5 * 3 Cm"), 250, 300, 25, 18},
        {QStringLiteral("반명함 사진크기로 맞춥니다."),
         QStringLiteral("반명함사진 크기로 맞춥니다."), QStringLiteral("반명함 사진"),
         QStringLiteral("3 * 4 Cm"), 300, 400, 37, 50},
        {QStringLiteral("여권사진 크기로 맞춥니다."), QStringLiteral("여권사진 크기로 맞춥니다."),
         QStringLiteral("여권사진"), QStringLiteral("3.5 * 4.5 Cm"), 350, 450, 15, 25},
        {QStringLiteral("명함사진크기로 맞춥니다."), QStringLiteral("명함사진 크기로 맞춥니다."),
         QStringLiteral("명함판 사진"), QStringLiteral("5 * 7 Cm"), 500, 700, 125, 150},
        {QStringLiteral("사용자가 직접 크기를 설정합니다."),
         QStringLiteral("사용자가 직접 크기를 설정합니다."), QStringLiteral("자유지정"), QString(),
         0, 0, 0, 0},
    }};
    return types;
}

// Pixels (never negative) as centimetres with at most two decimals and no trailing
// zeros: 250 -> "2.5", 200 -> "2".
QString centimetres(int pixels)
{
    const QString whole = QString::number(pixels / 100);
    QString fraction = QString::number(pixels % 100).rightJustified(2, u'0');
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    return fraction.isEmpty() ? whole : whole + u'.' + fraction;
}

void resizeCropRect(Rect& cropRect, const PhotoTypeState& state)
{
    cropRect.right = cropRect.left + state.TargetWidth;
    cropRect.bottom = cropRect.top + state.TargetHeight;
}

} // namespace

const PhotoTypeInfo& photoTypeInfo(int index)
{
    const auto& types = photoTypes();
    return index >= 0 && index < kPhotoTypeCount ? types[index] : types[0];
}

bool applyFixedPhotoType(PhotoTypeState& state, Rect& cropRect, int index)
{
    if (index < 0 || index >= kCustomPhotoType)
        return false;
    const PhotoTypeInfo& type = photoTypes()[index];
    state.CustomSize = false;
    state.PhotoTypeName = type.name;
    state.PhotoSizeText = type.sizeText;
    state.TargetWidth = type.targetWidth;
    state.TargetHeight = type.targetHeight;
    state.MarginX = type.marginX;
    state.MarginY = type.marginY;
    resizeCropRect(cropRect, state);
    return true;
}

void applyCustomPhotoType(PhotoTypeState& state, Rect& cropRect, int width, int height)
{
    state.CustomSize = true;
    state.TargetWidth = width;
    state.TargetHeight = height;
    state.PhotoTypeName = photoTypes()[kCustomPhotoType].name;
    state.PhotoSizeText = customSizeText(width, height);
    state.MarginX = width / 10;
    state.MarginY = height / 10;
    resizeCropRect(cropRect, state);
}

bool updateAspectRatio(PhotoTypeState& state)
{
    if (state.TargetWidth == 0)
        return false;
    state.AspectRatio = static_cast<long double>(state.TargetHeight) / state.TargetWidth;
    return true;
}

QString customSizeText(int width, int height)
{
    return centimetres(width) + QStringLiteral(" * ") + centimetres(height) + QStringLiteral(" Cm");
}

QString photoTypeLabel(const PhotoTypeState& state)
{
    return state.PhotoTypeName + QStringLiteral(" - ") + state.PhotoSizeText;
}
