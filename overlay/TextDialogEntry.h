#pragma once

#include "raster/RasterBitmap.h"

#include <memory>

struct DialogHost;
class TAccessorysForm;

// The text effect's entry: creates the text dialog under the host's owner, centres it
// there, runs it modally and has the host repaint the workspace. workBitmap is converted
// to 24 bits per pixel first and stays so even when the user cancels; on OK it holds the
// photo with the text burnt in. True when the user confirmed; nothing happens without a
// photo.
bool OpenTextDialog(const DialogHost& host, RasterBitmap& workBitmap);

// Created, placed, work bitmap converted and dialog prepared, ready to run. Null without a
// photo or when it cannot be converted.
std::unique_ptr<TAccessorysForm> createTextDialog(const DialogHost& host, RasterBitmap& workBitmap);
