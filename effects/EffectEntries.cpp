#include "effects/EffectEntries.h"

#include "effects/FrmBBoshasy.h"
#include "effects/FrmControlColor.h"
#include "effects/OverrideCursor.h"
#include "effects/SoftGlow.h"
#include "raster/BitmapOps.h"

#include <QDialog>
#include <QWidget>

namespace {

int run(QDialog& dialog, const ModalRunner& runModal)
{
    return runModal ? runModal(dialog) : dialog.exec();
}

void runAdjustDialog(QWidget* mainWindow, AdjustKind mode, RasterBitmap& workBitmap,
                     const std::function<void()>& invalidateWorkspace, const ModalRunner& runModal)
{
    // The OK handler has already changed the work bitmap when the run ends.
    run(*createAdjustDialog(mainWindow, mode, workBitmap, invalidateWorkspace), runModal);
}

} // namespace

QPoint centredDialogOffset(QSize outer, QSize inner)
{
    return QPoint((outer.width() - inner.width()) / 2, (outer.height() - inner.height()) / 2);
}

void placeCentredOver(QWidget& dialog, QWidget* mainWindow)
{
    if (!mainWindow)
        return;
    const QPoint offset =
        centredDialogOffset(mainWindow->frameGeometry().size(), dialog.frameGeometry().size());
    dialog.move(mainWindow->mapToGlobal(offset));
}

void convertForEditing(RasterBitmap& workBitmap)
{
    if (workBitmap.isAllocated() && workBitmap.bitsPerPixel() < 24)
        convertTo24(workBitmap);
}

std::unique_ptr<TColorCForm> createAdjustDialog(QWidget* mainWindow, AdjustKind mode,
                                                RasterBitmap& workBitmap,
                                                const std::function<void()>& invalidateWorkspace)
{
    auto dialog = std::make_unique<TColorCForm>(mainWindow, workBitmap, invalidateWorkspace);
    placeCentredOver(*dialog, mainWindow);
    convertForEditing(workBitmap);
    dialog->prepare(mode);
    return dialog;
}

std::unique_ptr<TBBoshasyForm> createSoftGlowDialog(QWidget* mainWindow, RasterBitmap& workBitmap)
{
    auto dialog = std::make_unique<TBBoshasyForm>(mainWindow);
    placeCentredOver(*dialog, mainWindow);
    convertForEditing(workBitmap);
    dialog->prepare(workBitmap);
    return dialog;
}

void applySoftGlowResult(const TBBoshasyForm& dialog, RasterBitmap& workBitmap,
                         const std::function<void()>& invalidateWorkspace)
{
    const OverrideCursor busy(Qt::PointingHandCursor);
    if (invalidateWorkspace)
        invalidateWorkspace();
    applySoftGlow(workBitmap, dialog.GammaValue);
}

void OpenToneDialog(QWidget* mainWindow, RasterBitmap& workBitmap,
                    const std::function<void()>& invalidateWorkspace, const ModalRunner& runModal)
{
    runAdjustDialog(mainWindow, AdjustKind::Tone, workBitmap, invalidateWorkspace, runModal);
}

void OpenColourDialog(QWidget* mainWindow, RasterBitmap& workBitmap,
                      const std::function<void()>& invalidateWorkspace, const ModalRunner& runModal)
{
    runAdjustDialog(mainWindow, AdjustKind::Colour, workBitmap, invalidateWorkspace, runModal);
}

void OpenSoftGlowDialog(QWidget* mainWindow, RasterBitmap& workBitmap,
                        const std::function<void()>& invalidateWorkspace,
                        const ModalRunner& runModal)
{
    const auto dialog = createSoftGlowDialog(mainWindow, workBitmap);
    if (run(*dialog, runModal) == QDialog::Accepted)
        applySoftGlowResult(*dialog, workBitmap, invalidateWorkspace);
}
