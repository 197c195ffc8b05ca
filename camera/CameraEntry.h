#pragma once

#include "raster/RasterBitmap.h"

#include <memory>

class CameraSource;
class TPCCamForm;
struct DialogHost;

// The camera entry: runs the camera dialog under the host's owner, centred there, with the
// cameras the environment chooses. On OK with a captured frame workBitmap and
// originalBitmap both become that frame and the result is true; otherwise both stay as
// they were.
bool OpenCameraDialog(const DialogHost& host, RasterBitmap& workBitmap,
                      RasterBitmap& originalBitmap);

// The steps around the modal run, so that a dialog can be driven without one.

// Created under the host's owner with source and placed, ready to run.
std::unique_ptr<TPCCamForm> createCameraDialog(const DialogHost& host,
                                               std::unique_ptr<CameraSource> source);
// After OK: workBitmap := the dialog's photo, originalBitmap := a copy of it. False, and
// both untouched, when the dialog holds no photo or the copy fails.
[[nodiscard]] bool takeCapturedPhoto(const TPCCamForm& dialog, RasterBitmap& workBitmap,
                                     RasterBitmap& originalBitmap);
