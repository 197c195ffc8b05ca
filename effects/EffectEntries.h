#pragma once

#include "effects/ToneAdjustment.h"
#include "raster/RasterBitmap.h"

#include <QSize>
#include <QString>

#include <memory>

struct DialogHost;
class TBBoshasyForm;
class TColorCForm;
class TInputFrameForm;

// The effect entries. Each creates its dialog under the host's owner, centres it there,
// runs it modally and, on OK, changes workBitmap in place and has the host repaint the
// workspace. workBitmap is converted to 24 bits per pixel first, and stays so even when
// the user cancels. True when the photo was changed; after a cancel or a failed step it is
// exactly as it was (but for that conversion), and no wait cursor is left.
bool OpenToneDialog(const DialogHost& host, RasterBitmap& workBitmap);
bool OpenColourDialog(const DialogHost& host, RasterBitmap& workBitmap);
bool OpenSoftGlowDialog(const DialogHost& host, RasterBitmap& workBitmap);
// The frame picker with the frames of frameDirectory. After OK the photo, framed or not, is
// scaled back to typeSize, so that the frame takes its room from the photo. The workspace
// is repainted however the dialog ends.
bool OpenFrameDialog(const DialogHost& host, RasterBitmap& workBitmap, QSize typeSize,
                     const QString& frameDirectory);

// The steps before and after the modal run, so that a dialog can be driven without one.

// Below 24 bits per pixel the photo is converted to 24; deeper photos stay as they are.
// False when the conversion fails; the photo is then unchanged.
[[nodiscard]] bool convertForEditing(RasterBitmap& workBitmap);

// Created, placed, work bitmap converted and dialog prepared, ready to run. Null when the
// work bitmap cannot be converted.
std::unique_ptr<TColorCForm> createAdjustDialog(const DialogHost& host, AdjustKind mode,
                                                RasterBitmap& workBitmap);
std::unique_ptr<TBBoshasyForm> createSoftGlowDialog(const DialogHost& host,
                                                    RasterBitmap& workBitmap);
std::unique_ptr<TInputFrameForm> createFrameDialog(const DialogHost& host, RasterBitmap& workBitmap,
                                                   const QString& frameDirectory);

// After OK: the full soft-glow effect with the dialog's gamma, under the hand cursor, then
// the workspace repainted. False when the effect fails; the photo is then unchanged.
[[nodiscard]] bool applySoftGlowResult(const TBBoshasyForm& dialog, RasterBitmap& workBitmap,
                                       const DialogHost& host);
