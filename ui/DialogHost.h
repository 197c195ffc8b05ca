#pragma once

#include <QPoint>
#include <QSize>

#include <functional>

class QDialog;
class QWidget;

// Runs a dialog modally and returns its result.
using ModalRunner = std::function<int(QDialog&)>;

// What a modal dialog needs from the window that opens it, so that no dialog knows that
// window: the owner it is created under and centred over, the way to run it modally (the
// main window's lets tests answer dialogs), and the repaint of the workspace after the
// dialog changed the photo.
struct DialogHost {
    QWidget* owner = nullptr;
    ModalRunner runModal;                   // empty: QDialog::exec
    std::function<void()> repaintWorkspace; // may be empty

    // Moves dialog so that it sits centred over the owner (nothing without one).
    void placeCentred(QWidget& dialog) const;
    int run(QDialog& dialog) const;
    void repaint() const;
};

// Where a dialog of outer size inner goes, in the owner's client coordinates, to sit
// centred over an owner of outer size outer (halves round towards zero).
QPoint centredDialogOffset(QSize outer, QSize inner);
