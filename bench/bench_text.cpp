#include "BenchInputs.h"
#include "BenchRegistry.h"

#include "overlay/TextRendering.h"
#include "ui/WindowLook.h"

#include <QImage>

// The text dialog re-renders its whole preview ten times a second, so one render of the
// largest photo must stay a small part of the timer's period.
namespace {

using namespace bench;

constexpr int kWidth = 999;
constexpr int kHeight = 799;
constexpr double kTimerPeriodMs = 100;

const QStringList kLines{QStringLiteral("누브 소르벨"), QStringLiteral("NUV SORVEL 2026"),
                         QStringLiteral("증명사진 만들기")};

QImage renderBuffer;

const bool registered = [] {
    registerBench(
        "text", "text render 999x799, three lines with shadow", [] { installFontSubstitutions(); },
        [] {
            TextAppearance look;
            look.style = TextStyle::Bold;
            look.shadowDepth = 3;
            check(renderTextOverlay(renderBuffer, photo(kWidth, kHeight).image(), kLines,
                                    QPoint(300, 350), look),
                  "render text");
        });
    registerFixedRatio("text render 999x799 / the 100 ms preview timer",
                       "text render 999x799, three lines with shadow", kTimerPeriodMs, 0.2);
    return true;
}();

} // namespace
