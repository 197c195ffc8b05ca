#include "overlay/TextDialogEntry.h"

#include "effects/EffectEntries.h"
#include "overlay/FrmAccessorys.h"
#include "ui/DialogHost.h"

std::unique_ptr<TAccessorysForm> createTextDialog(const DialogHost& host, RasterBitmap& workBitmap)
{
    if (!workBitmap.isAllocated() || !convertForEditing(workBitmap))
        return nullptr;
    auto dialog = std::make_unique<TAccessorysForm>(host.owner);
    host.placeCentred(*dialog);
    dialog->prepare(workBitmap);
    return dialog;
}

bool OpenTextDialog(const DialogHost& host, RasterBitmap& workBitmap)
{
    const auto dialog = createTextDialog(host, workBitmap);
    if (!dialog)
        return false;
    // The OK handler has already written the work bitmap when the run ends.
    const bool confirmed = host.run(*dialog) == QDialog::Accepted;
    host.repaint();
    return confirmed;
}
