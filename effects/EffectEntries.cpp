#include "effects/EffectEntries.h"

#include "effects/FrmBBoshasy.h"
#include "effects/FrmControlColor.h"
#include "effects/SoftGlow.h"
#include "raster/BitmapOps.h"
#include "ui/BusyState.h"
#include "ui/DialogHost.h"

#include <QDialog>

namespace {

void runAdjustDialog(const DialogHost& host, AdjustKind mode, RasterBitmap& workBitmap)
{
    // The OK handler has already changed the work bitmap when the run ends.
    host.run(*createAdjustDialog(host, mode, workBitmap));
}

} // namespace

void convertForEditing(RasterBitmap& workBitmap)
{
    if (workBitmap.isAllocated() && workBitmap.bitsPerPixel() < 24)
        convertTo24(workBitmap);
}

std::unique_ptr<TColorCForm> createAdjustDialog(const DialogHost& host, AdjustKind mode,
                                                RasterBitmap& workBitmap)
{
    auto dialog = std::make_unique<TColorCForm>(host.owner, workBitmap, host.repaintWorkspace);
    host.placeCentred(*dialog);
    convertForEditing(workBitmap);
    dialog->prepare(mode);
    return dialog;
}

std::unique_ptr<TBBoshasyForm> createSoftGlowDialog(const DialogHost& host,
                                                    RasterBitmap& workBitmap)
{
    auto dialog = std::make_unique<TBBoshasyForm>(host.owner);
    host.placeCentred(*dialog);
    convertForEditing(workBitmap);
    dialog->prepare(workBitmap);
    return dialog;
}

void applySoftGlowResult(const TBBoshasyForm& dialog, RasterBitmap& workBitmap,
                         const DialogHost& host)
{
    const BusyState busy(Qt::PointingHandCursor);
    host.repaint();
    applySoftGlow(workBitmap, dialog.GammaValue);
}

void OpenToneDialog(const DialogHost& host, RasterBitmap& workBitmap)
{
    runAdjustDialog(host, AdjustKind::Tone, workBitmap);
}

void OpenColourDialog(const DialogHost& host, RasterBitmap& workBitmap)
{
    runAdjustDialog(host, AdjustKind::Colour, workBitmap);
}

void OpenSoftGlowDialog(const DialogHost& host, RasterBitmap& workBitmap)
{
    const auto dialog = createSoftGlowDialog(host, workBitmap);
    if (host.run(*dialog) == QDialog::Accepted)
        applySoftGlowResult(*dialog, workBitmap, host);
}
