#include "app/FileFilters.h"

#include <QStringList>

QString qtFileFilter(const QString& pairedFilter)
{
    const QStringList parts = pairedFilter.split(u'|');
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString label = parts[i];
        const qsizetype bracket = label.lastIndexOf(QStringLiteral(" ("));
        if (bracket >= 0 && label.endsWith(u')'))
            label.truncate(bracket);
        QString patterns = parts[i + 1];
        patterns.replace(u';', u' ');
        entries.append(label + QStringLiteral(" (") + patterns + u')');
    }
    return entries.join(QStringLiteral(";;"));
}

QString photoOpenFilter()
{
    return qtFileFilter(QStringLiteral(
        "All (*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png;*.webp;*.tif;*.tiff;*.heic;*.heif)"
        "|*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png;*.webp;*.tif;*.tiff;*.heic;*.heif"
        "|CompuServe GIF Image (*.gif)|*.gif"
        "|JPEG Image File (*.jpg)|*.jpg"
        "|JPEG Image File (*.jpeg)|*.jpeg"
        "|Bitmaps (*.bmp)|*.bmp"
        "|Icons (*.ico)|*.ico"
        "|Enhanced Metafiles (*.emf)|*.emf"
        "|Metafiles (*.wmf)|*.wmf"
        "|PNG Image (*.png)|*.png"
        "|WebP Image (*.webp)|*.webp"
        "|TIFF Image (*.tif;*.tiff)|*.tif;*.tiff"
        "|HEIF Image (*.heic;*.heif)|*.heic;*.heif"));
}
