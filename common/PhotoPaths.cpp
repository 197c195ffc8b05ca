#include "common/PhotoPaths.h"

#include "common/Settings.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString withTrailingSeparator(QString path)
{
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

// Keeps the vendor's shared files apart from other programs' data.
QString defaultProgramFilesDirectory()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::tempPath();
    return withTrailingSeparator(base) + QStringLiteral("TAMSEL/");
}

} // namespace

QString MakePhotoFileName(const QDateTime& now)
{
    const QDate date = now.date();
    const QTime time = now.time();
    return QStringLiteral("PIC%1%2%3_%4%5%6%7.JPG")
        .arg(date.year())
        .arg(date.month())
        .arg(date.day())
        .arg(time.hour())
        .arg(time.minute())
        .arg(time.second())
        .arg(time.msec());
}

QString SystemDirectory()
{
    return withTrailingSeparator(QDir::tempPath());
}

QString ProgramFilesDirectory()
{
    const QString configured = openSettings()->value(QStringLiteral("ProgramFilesDir")).toString();
    if (configured.isEmpty())
        return defaultProgramFilesDirectory();
    return withTrailingSeparator(configured);
}

QString FrameDirectory()
{
    return ProgramFilesDirectory() + QStringLiteral("Common Files/NuvAlbum/Frame/");
}

QString thumbnailFileName(const QString& framePath)
{
    const qsizetype dot = framePath.lastIndexOf(u'.');
    const qsizetype slash = framePath.lastIndexOf(u'/');
    const QString stem = dot > slash ? framePath.left(dot) : framePath;
    return stem + QStringLiteral(".BMP");
}
