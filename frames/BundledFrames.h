#pragma once

#include <QString>
#include <QStringList>

// What putting the program's own frames into a frame directory did. Names are file names
// without the directory.
struct FrameInstallResult {
    // The directory already held frame files, so nothing was written.
    bool hadFrames = false;
    QStringList copied;
    // Left out because the frame's name or its thumbnail's name was already taken.
    QStringList skipped;
    // Could not be written (unwritable directory, full disk).
    QStringList failed;
};

// The frame files compiled into the program, as resource paths in name order.
QStringList bundledFrames();

// A fresh frame directory gets the program's frames: when dir holds no frame file, every
// bundled frame is written into it. Never replaces or removes a file that is already there,
// and reports problems only through the result.
FrameInstallResult installBundledFrames(const QString& dir);
