#include "effects/EffectEntries.h"

#include "effects/FrmBBoshasy.h"
#include "effects/FrmControlColor.h"
#include "effects/FrmInputFrame.h"
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

// After OK: the photo at the type's size. False, photo as it was, when scaling fails.
bool scaleToType(RasterBitmap& workBitmap, const RasterBitmap& before, QSize typeSize)
{
    if (sizeBitmap(workBitmap, typeSize.width(), typeSize.height(), SizeQuality::Final))
        return true;
    workBitmap = before;
    return false;
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

std::unique_ptr<TInputFrameForm> createFrameDialog(const DialogHost& host, RasterBitmap& workBitmap,
                                                   const QString& frameDirectory)
{
    if (!convertForEditing(workBitmap))
        return nullptr;
    auto dialog = std::make_unique<TInputFrameForm>(host.owner, workBitmap);
    host.placeCentred(*dialog);
    dialog->prepare(frameDirectory);
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

bool OpenFrameDialog(const DialogHost& host, RasterBitmap& workBitmap, QSize typeSize,
                     const QString& frameDirectory)
{
    bool changed = false;
    if (const auto dialog = createFrameDialog(host, workBitmap, frameDirectory)) {
        const RasterBitmap converted = workBitmap;
        // The OK handler has already framed the work bitmap when the run ends.
        changed =
            host.run(*dialog) == QDialog::Accepted && scaleToType(workBitmap, converted, typeSize);
    }
    host.repaint();
    return changed;
}
