#include "BenchInputs.h"
#include "BenchRegistry.h"

#include "effects/EffectPreview.h"
#include "effects/SoftGlow.h"
#include "effects/ToneAdjustment.h"
#include "raster/BitmapPainter.h"

#include <QImage>
#include <QPainter>

// The effect dialogs' live previews against the final soft-glow effect on the largest cut
// photo (999 × 799): a preview repaint must follow a dragged slider.
namespace {

using namespace bench;

constexpr int kWidth = 999;
constexpr int kHeight = 799;

const QSize kAdjustBox(198, 199);
const QSize kGlowBox(263, 215);

// A dialog's paint box and the preview source it keeps while it is open.
struct Preview {
    QSize box;
    RasterBitmap source;
};

Preview makePreview(QSize box)
{
    Preview made{box, {}};
    check(makePreviewSource(made.source, photo(kWidth, kHeight), box.width(), box.height()),
          "preview source");
    return made;
}

const Preview& preview(QSize box)
{
    static const Preview adjust = makePreview(kAdjustBox);
    static const Preview glow = makePreview(kGlowBox);
    return box == adjust.box ? adjust : glow;
}

// One repaint as the paint handlers do it: a fresh copy of the preview source, the
// effect on it, drawn centred into the paint box.
template <typename Effect> void repaint(QSize box, Effect effect)
{
    const Preview& shown = preview(box);
    RasterBitmap picture = shown.source;
    effect(picture);
    QImage surface(box, QImage::Format_RGB32);
    surface.fill(Qt::white);
    QPainter painter(&surface);
    check(paintBitmap(
              painter, picture,
              previewTargetRect(picture.width(), picture.height(), box.width(), box.height())),
          "preview paint");
}

const bool registered = [] {
    const auto prepare = [] {
        preview(kAdjustBox);
        preview(kGlowBox);
    };
    registerBench("effects", "tone preview repaint 999x799", prepare, [] {
        repaint(kAdjustBox, [](RasterBitmap& b) {
            check(adjustBitmap(b, AdjustKind::Tone, {150, 200, 140}), "tone");
        });
    });
    registerBench("effects", "colour preview repaint 999x799", prepare, [] {
        repaint(kAdjustBox, [](RasterBitmap& b) {
            check(adjustBitmap(b, AdjustKind::Colour, {90, 400, 0}), "colour");
        });
    });
    registerBench("effects", "soft glow preview repaint 999x799", prepare, [] {
        repaint(kGlowBox, [](RasterBitmap& b) {
            check(applySoftGlowPreview(b, 100, QSize(kWidth, kHeight)), "soft glow preview");
        });
    });
    registerRatio("tone preview repaint / soft glow chain, 999x799", "tone preview repaint 999x799",
                  "soft glow chain 999x799", 0.1);
    registerRatio("colour preview repaint / soft glow chain, 999x799",
                  "colour preview repaint 999x799", "soft glow chain 999x799", 0.1);
    registerRatio("soft glow preview repaint / soft glow chain, 999x799",
                  "soft glow preview repaint 999x799", "soft glow chain 999x799", 0.1);
    return true;
}();

} // namespace
