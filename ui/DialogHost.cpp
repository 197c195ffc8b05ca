#include "ui/DialogHost.h"

#include <QDialog>
#include <QWidget>

QPoint centredDialogOffset(QSize outer, QSize inner)
{
    return QPoint((outer.width() - inner.width()) / 2, (outer.height() - inner.height()) / 2);
}

void DialogHost::placeCentred(QWidget& dialog) const
{
    if (!owner)
        return;
    const QPoint offset =
        centredDialogOffset(owner->frameGeometry().size(), dialog.frameGeometry().size());
    dialog.move(owner->mapToGlobal(offset));
}

int DialogHost::run(QDialog& dialog) const
{
    return runModal ? runModal(dialog) : dialog.exec();
}

void DialogHost::repaint() const
{
    if (repaintWorkspace)
        repaintWorkspace();
}
