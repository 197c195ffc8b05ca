#pragma once

#include "effects/ToneAdjustment.h"
#include "raster/RasterBitmap.h"

#include <QPoint>
#include <QSize>

#include <functional>
#include <memory>

class QDialog;
class QWidget;
class TBBoshasyForm;
class TColorCForm;

// Runs a dialog modally and returns its result; QDialog::exec unless the caller has its
// own way (the main window's lets tests answer dialogs).
using ModalRunner = std::function<int(QDialog&)>;

// The main window's effect entries. Each opens its dialog centred over mainWindow, runs it
// modally and, on OK, changes workBitmap in place; invalidateWorkspace repaints the main
// window's workspace. workBitmap is converted to 24 bits per pixel first, and stays so
// even when the user cancels. True when the photo was changed; after a cancel or a failed
// step it is exactly as it was (but for that conversion), and no wait cursor is left.
bool OpenToneDialog(QWidget* mainWindow, RasterBitmap& workBitmap,
                    const std::function<void()>& invalidateWorkspace,
                    const ModalRunner& runModal = {});
bool OpenColourDialog(QWidget* mainWindow, RasterBitmap& workBitmap,
                      const std::function<void()>& invalidateWorkspace,
                      const ModalRunner& runModal = {});
bool OpenSoftGlowDialog(QWidget* mainWindow, RasterBitmap& workBitmap,
                        const std::function<void()>& invalidateWorkspace,
                        const ModalRunner& runModal = {});

// The steps before and after the modal run, so that a dialog can be driven without one.

// Where a dialog of outer size inner goes, in the main window's client coordinates, to sit
// centred over a main window of outer size outer (halves round towards zero).
QPoint centredDialogOffset(QSize outer, QSize inner);
// Moves dialog so that it sits centred over mainWindow (nothing without one).
void placeCentredOver(QWidget& dialog, QWidget* mainWindow);

// Below 24 bits per pixel the photo is converted to 24; deeper photos stay as they are.
// False when the conversion fails; the photo is then unchanged.
[[nodiscard]] bool convertForEditing(RasterBitmap& workBitmap);

// Created, placed, work bitmap converted and dialog prepared, ready for exec(). Null when
// the work bitmap cannot be converted.
std::unique_ptr<TColorCForm> createAdjustDialog(QWidget* mainWindow, AdjustKind mode,
                                                RasterBitmap& workBitmap,
                                                const std::function<void()>& invalidateWorkspace);
std::unique_ptr<TBBoshasyForm> createSoftGlowDialog(QWidget* mainWindow, RasterBitmap& workBitmap);

// After OK: the full soft-glow effect with the dialog's gamma, under the hand cursor, then
// the workspace repainted. False when the effect fails; the photo is then unchanged.
[[nodiscard]] bool applySoftGlowResult(const TBBoshasyForm& dialog, RasterBitmap& workBitmap,
                                       const std::function<void()>& invalidateWorkspace);
