#pragma once

#include <QDateTime>
#include <QString>

// "PIC" + year month day + "_" + hour minute second millisecond + ".JPG", every field
// in decimal without padding (5 March 2004 9:07:03.045 -> PIC200435_97345.JPG).
QString MakePhotoFileName(const QDateTime& now = QDateTime::currentDateTime());
// The directory for temporary files, ending with '/'.
QString SystemDirectory();
// The settings value "ProgramFilesDir" when set, else the user's data directory;
// never empty, ending with '/'.
QString ProgramFilesDirectory();
// Where the decorative frame files live, ending with '/'.
QString FrameDirectory();
// A frame's thumbnail cache file: its path with the last extension replaced by ".BMP".
QString thumbnailFileName(const QString& framePath);
