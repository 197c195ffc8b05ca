#include "effects/EffectEntries.h"

#include "effects/FrmBBoshasy.h"
#include "effects/FrmControlColor.h"
#include "effects/SoftGlow.h"
#include "raster/BitmapOps.h"
#include "ui/BusyState.h"
#include "ui/DialogHost.h"

#include <QDialog>

namespace {

bool runAdjustDialog(const DialogHost& host, AdjustKind mode, RasterBitmap& workBitmap)
{
    const auto dialog = createAdjustDialog(host, mode, workBitmap);
    // The OK handler has already changed the work bitmap when the run ends, and refuses
    // (rejects) when its chain failed.
    return dialog && host.run(*dialog) == QDialog::Accepted;
}

} // namespace

bool convertForEditing(RasterBitmap& workBitmap)
{
    if (!workBitmap.isAllocated() || workBitmap.bitsPerPixel() >= 24)
        return true;
    return convertTo24(workBitmap);
}

std::unique_ptr<TColorCForm> createAdjustDialog(const DialogHost& host, AdjustKind mode,
                                                RasterBitmap& workBitmap)
{
    if (!convertForEditing(workBitmap))
        return nullptr;
    auto dialog = std::make_unique<TColorCForm>(host.owner, workBitmap, host.repaintWorkspace);
    host.placeCentred(*dialog);
    dialog->prepare(mode);
    return dialog;
}

std::unique_ptr<TBBoshasyForm> createSoftGlowDialog(const DialogHost& host,
                                                    RasterBitmap& workBitmap)
{
    if (!convertForEditing(workBitmap))
        return nullptr;
    auto dialog = std::make_unique<TBBoshasyForm>(host.owner);
    host.placeCentred(*dialog);
    dialog->prepare(workBitmap);
    return dialog;
}

bool applySoftGlowResult(const TBBoshasyForm& dialog, RasterBitmap& workBitmap,
                         const DialogHost& host)
{
    const BusyState busy(Qt::PointingHandCursor);
    if (!applySoftGlow(workBitmap, dialog.GammaValue))
        return false;
    host.repaint();
    return true;
}

bool OpenToneDialog(const DialogHost& host, RasterBitmap& workBitmap)
{
    return runAdjustDialog(host, AdjustKind::Tone, workBitmap);
}

bool OpenColourDialog(const DialogHost& host, RasterBitmap& workBitmap)
{
    return runAdjustDialog(host, AdjustKind::Colour, workBitmap);
}

bool OpenSoftGlowDialog(const DialogHost& host, RasterBitmap& workBitmap)
{
    const auto dialog = createSoftGlowDialog(host, workBitmap);
    return dialog && host.run(*dialog) == QDialog::Accepted &&
           applySoftGlowResult(*dialog, workBitmap, host);
}
