#include "effects/FrameCatalog.h"

#include "common/StreamError.h"
#include "effects/_NuvFrame.h"
#include "raster/BitmapIO.h"
#include "raster/BitmapOps.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Loads the frame file; false when it is missing or cannot be read to its end.
bool loadFrame(TNuvFrame& frame, const QString& framePath)
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

} // namespace

QList<FrameEntry> listFrameFiles(QString directory)
{
    if (directory.isEmpty())
        return {};
    if (!directory.endsWith(u'/'))
        directory += u'/';
    const QStringList names = QDir(directory).entryList({QStringLiteral("*.nfrm")},
                                                        QDir::AllEntries | QDir::Hidden |
                                                            QDir::System | QDir::NoDotAndDotDot,
                                                        QDir::Name | QDir::IgnoreCase);
    QList<FrameEntry> frames;
    for (const QString& name : names) {
        const QString path = directory + name;
        try {
            frames.append({path, ReadFrameTitle(path)});
        } catch (const StreamError&) {
            // One bad file must not cost the others their place in the list.
        }
    }
    return frames;
}

QString thumbnailFileName(const QString& framePath)
{
    const qsizetype dot = framePath.lastIndexOf(u'.');
    const qsizetype slash = framePath.lastIndexOf(u'/');
    const QString stem = dot > slash ? framePath.left(dot) : framePath;
    return stem + QStringLiteral(".BMP");
}

bool ensureThumbnail(const QString& framePath)
{
    const QString thumbnail = thumbnailFileName(framePath);
    if (QFileInfo::exists(thumbnail))
        return QFileInfo(thumbnail).isFile();
    TNuvFrame frame;
    RasterBitmap composed;
    // The photo area stays black; the frame around it is scaled to the thumbnail's square.
    return loadFrame(frame, framePath) && frame.Compose(kThumbnailSize, kThumbnailSize, composed) &&
           sizeBitmap(composed, kThumbnailSize, kThumbnailSize, SizeQuality::Fast) &&
           saveBitmap(thumbnail, composed, SaveFormat::Bmp, 8);
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
    return loadFrame(frame, framePath) && framePhoto(frame, photo);
}
