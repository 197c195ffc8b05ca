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

bool runAdjustDialog(QWidget* mainWindow, AdjustKind mode, RasterBitmap& workBitmap,
                     const std::function<void()>& invalidateWorkspace, const ModalRunner& runModal)
{
    const auto dialog = createAdjustDialog(mainWindow, mode, workBitmap, invalidateWorkspace);
    // The OK handler has already changed the work bitmap when the run ends, and refuses
    // (rejects) when its chain failed.
    return dialog && run(*dialog, runModal) == QDialog::Accepted;
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

bool convertForEditing(RasterBitmap& workBitmap)
{
    if (!workBitmap.isAllocated() || workBitmap.bitsPerPixel() >= 24)
        return true;
    return convertTo24(workBitmap);
}

std::unique_ptr<TColorCForm> createAdjustDialog(QWidget* mainWindow, AdjustKind mode,
                                                RasterBitmap& workBitmap,
                                                const std::function<void()>& invalidateWorkspace)
{
    if (!convertForEditing(workBitmap))
        return nullptr;
    auto dialog = std::make_unique<TColorCForm>(mainWindow, workBitmap, invalidateWorkspace);
    placeCentredOver(*dialog, mainWindow);
    dialog->prepare(mode);
    return dialog;
}

std::unique_ptr<TBBoshasyForm> createSoftGlowDialog(QWidget* mainWindow, RasterBitmap& workBitmap)
{
    if (!convertForEditing(workBitmap))
        return nullptr;
    auto dialog = std::make_unique<TBBoshasyForm>(mainWindow);
    placeCentredOver(*dialog, mainWindow);
    dialog->prepare(workBitmap);
    return dialog;
}

bool applySoftGlowResult(const TBBoshasyForm& dialog, RasterBitmap& workBitmap,
                         const std::function<void()>& invalidateWorkspace)
{
    const OverrideCursor busy(Qt::PointingHandCursor);
    if (!applySoftGlow(workBitmap, dialog.GammaValue))
        return false;
    if (invalidateWorkspace)
        invalidateWorkspace();
    return true;
}

bool OpenToneDialog(QWidget* mainWindow, RasterBitmap& workBitmap,
                    const std::function<void()>& invalidateWorkspace, const ModalRunner& runModal)
{
    return runAdjustDialog(mainWindow, AdjustKind::Tone, workBitmap, invalidateWorkspace, runModal);
}

bool OpenColourDialog(QWidget* mainWindow, RasterBitmap& workBitmap,
                      const std::function<void()>& invalidateWorkspace, const ModalRunner& runModal)
{
    return runAdjustDialog(mainWindow, AdjustKind::Colour, workBitmap, invalidateWorkspace,
                           runModal);
}

bool OpenSoftGlowDialog(QWidget* mainWindow, RasterBitmap& workBitmap,
                        const std::function<void()>& invalidateWorkspace,
                        const ModalRunner& runModal)
{
    const auto dialog = createSoftGlowDialog(mainWindow, workBitmap);
    return dialog && run(*dialog, runModal) == QDialog::Accepted &&
           applySoftGlowResult(*dialog, workBitmap, invalidateWorkspace);
}
