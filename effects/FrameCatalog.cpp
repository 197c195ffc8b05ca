#include "effects/FrameCatalog.h"

#include "common/StreamError.h"
#include "effects/_NuvFrame.h"
#include "raster/BitmapIO.h"
#include "raster/BitmapOps.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

// Far above a 100 × 100 picture at any depth, far below what a picture could cost.
constexpr qint64 kMaxThumbnailBytes = 1 << 20;
const QString kFrameExtension = QStringLiteral(".nfrm");

} // namespace

QList<FrameEntry> listFrameFiles(QString directory)
{
    if (directory.isEmpty())
        return {};
    if (!directory.endsWith(u'/'))
        directory += u'/';
    QStringList frameNames;
    QSet<QString> fileNames;
    QDirIterator entries(directory,
                         QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (entries.hasNext()) {
        entries.next();
        const QString name = entries.fileName();
        if (name.endsWith(kFrameExtension, Qt::CaseInsensitive))
            frameNames << name;
        if (entries.fileInfo().isFile())
            fileNames.insert(name);
    }
    std::sort(frameNames.begin(), frameNames.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    QList<FrameEntry> frames;
    for (const QString& name : frameNames) {
        const QString path = directory + name;
        try {
            frames.append(
                {path, ReadFrameTitle(path), fileNames.contains(thumbnailFileName(name))});
        } catch (const StreamError&) {
            // One bad file must not cost the others their place in the list.
        }
    }
    return frames;
}

bool readFrameFile(TNuvFrame& frame, const QString& framePath)
{
    if (!QFileInfo(framePath).isFile())
        return false;
    try {
        frame.LoadFromFile(framePath);
    } catch (const StreamError&) {
        return false;
    }
    return true;
}

bool ensureThumbnail(const QString& framePath)
{
    const QString thumbnail = thumbnailFileName(framePath);
    const QFileInfo cached(thumbnail);
    if (cached.exists())
        return cached.isFile();
    TNuvFrame frame;
    RasterBitmap composed;
    // The photo area stays black; the frame around it is scaled to the thumbnail's square.
    return readFrameFile(frame, framePath) &&
           frame.Compose(kThumbnailSize, kThumbnailSize, composed) &&
           sizeBitmap(composed, kThumbnailSize, kThumbnailSize, SizeQuality::Fast) &&
           saveBitmap(thumbnail, composed, SaveFormat::Bmp, 8);
}

bool loadThumbnail(const QString& thumbnailFile, RasterBitmap& picture)
{
    picture.free();
    QFile file(thumbnailFile);
    if (!QFileInfo(thumbnailFile).isFile() || !file.open(QIODevice::ReadOnly) ||
        file.size() > kMaxThumbnailBytes)
        return false;
    return loadBitmapMemory(file.read(kMaxThumbnailBytes), picture, 0);
}

QPoint nextThumbnailPlace(QPoint place)
{
    if (place.x() == kFirstThumbnailPlace.x())
        return {kThumbnailSize + 20, place.y()};
    return {kFirstThumbnailPlace.x(), place.y() + kThumbnailSize + 10};
}

bool frameWithFile(RasterBitmap& photo, const QString& framePath)
{
    TNuvFrame frame;
    return readFrameFile(frame, framePath) && framePhoto(frame, photo);
}
