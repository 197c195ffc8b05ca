#include "frames/BundledFrames.h"

#include "common/PhotoPaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kFramePattern = QStringLiteral("*.nfrm");

// Frame names are matched without regard to case, as the frame picker's own platform does,
// so a user's "ROSE.NFRM" counts as a frame.
bool holdsFrames(const QDir& dir)
{
    return !dir.entryList({kFramePattern}, QDir::Files | QDir::Hidden | QDir::System).isEmpty();
}

enum class CopyOutcome { Copied, Skipped, Failed };

CopyOutcome copyFrame(const QString& resource, const QString& target)
{
    // The picker caches a thumbnail beside each frame and never refreshes it, so a picture
    // already under that name would stand for the bundled frame forever.
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink() ||
        QFileInfo::exists(thumbnailFileName(target)))
        return CopyOutcome::Skipped;
    QFile source(resource);
    if (!source.open(QIODevice::ReadOnly))
        return CopyOutcome::Failed;
    const QByteArray bytes = source.readAll();
    // NewOnly: a file that appeared since the check above is still never replaced.
    QFile output(target);
    if (!output.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return CopyOutcome::Failed;
    if (output.write(bytes) == bytes.size() && output.flush())
        return CopyOutcome::Copied;
    // Only the half-written file this call created is removed.
    output.remove();
    return CopyOutcome::Failed;
}

} // namespace

QStringList bundledFrames()
{
    const QDir resources(QStringLiteral(":/frames"));
    QStringList paths;
    for (const QString& name : resources.entryList({kFramePattern}, QDir::Files, QDir::Name))
        paths << resources.filePath(name);
    return paths;
}

FrameInstallResult installBundledFrames(const QString& dir)
{
    FrameInstallResult result;
    const QDir target(dir);
    if (!dir.isEmpty() && holdsFrames(target)) {
        result.hadFrames = true;
        return result;
    }
    for (const QString& resource : bundledFrames()) {
        const QString name = QFileInfo(resource).fileName();
        // An empty path would mean the working directory.
        const CopyOutcome outcome =
            dir.isEmpty() ? CopyOutcome::Failed : copyFrame(resource, target.filePath(name));
        switch (outcome) {
        case CopyOutcome::Copied:
            result.copied << name;
            break;
        case CopyOutcome::Skipped:
            result.skipped << name;
            break;
        case CopyOutcome::Failed:
            result.failed << name;
            break;
        }
    }
    return result;
}
