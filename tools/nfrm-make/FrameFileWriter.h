#pragma once

#include "effects/_NuvFrame.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

// Writes frame files and overlay blocks, for the frame maker and for test fixtures.

// One overlay block: the colour image file and the mask file, each after its length.
QByteArray overlayBlock(QByteArrayView colourFile, QByteArrayView maskFile = {});
// A whole frame file: the header, then the block.
QByteArray frameFile(const TNuvFrameHeader& header, QByteArrayView colourFile,
                     QByteArrayView maskFile = {});
// Sets the header's integer field called name (as in the header, e.g. "TopLeftWidth");
// false when there is no such field.
bool setHeaderField(TNuvFrameHeader& header, QStringView name, qint32 value);
// Every corner name×name, every edge name thick and its tile name long, the photo at
// (size, size) and the frame 2·size larger than the photo.
void setBorder(TNuvFrameHeader& header, qint32 size);
