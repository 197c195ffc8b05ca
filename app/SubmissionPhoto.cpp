#include "app/SubmissionPhoto.h"

#include "app/SaveRules.h"
#include "raster/BitmapIO.h"
#include "raster/JpegCodec.h"

#include <QColorSpace>

#include <optional>

namespace {

// The JFIF header as libjpeg writes it: SOI, APP0 with its length, "JFIF\0", the version,
// then the density unit and the two densities.
constexpr qsizetype kJfifIdentifier = 6;
constexpr qsizetype kJfifUnits = 13;
constexpr qsizetype kJfifDensity = 14;

// Sets the header's density to dots per inch; a file without the header stays as it is.
void setDensity(QByteArray& jpeg, int dpi)
{
    if (jpeg.size() < kJfifDensity + 4 || jpeg.mid(kJfifIdentifier, 5) != QByteArray("JFIF\0", 5))
        return;
    jpeg[kJfifUnits] = 1; // dots per inch
    for (qsizetype at : {kJfifDensity, kJfifDensity + 2}) {
        jpeg[at] = char(dpi >> 8);
        jpeg[at + 1] = char(dpi & 0xff);
    }
}

} // namespace

QString submissionFilter()
{
    return QStringLiteral("(JPG) 온라인 제출용 3.5×4.5 cm, 413×531 (*.jpg)");
}

QImage submissionPicture(const QImage& photo)
{
    if (photo.isNull())
        return {};
    QImage picture = photo.convertToFormat(QImage::Format_RGB888);
    if (picture.colorSpace().isValid() && picture.colorSpace() != QColorSpace::SRgb)
        picture.convertToColorSpace(QColorSpace::SRgb);
    const QImage covering =
        picture.scaled(kSubmissionSize, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    if (covering.isNull())
        return {};
    return covering.copy((covering.width() - kSubmissionSize.width()) / 2,
                         (covering.height() - kSubmissionSize.height()) / 2,
                         kSubmissionSize.width(), kSubmissionSize.height());
}

// The file grows with the quality (all but always), so the highest quality that fits is
// found by halving the range of qualities.
QByteArray submissionJpeg(const QImage& picture, qsizetype byteLimit, int* quality)
{
    QByteArray best;
    int bestQuality = 0;
    int low = 1;
    int high = 100;
    while (low <= high) {
        const int middle = (low + high) / 2;
        QByteArray jpeg = encodeJpeg(picture, middle);
        if (!jpeg.isEmpty() && jpeg.size() < byteLimit) {
            best = std::move(jpeg);
            bestQuality = middle;
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    setDensity(best, kSubmissionDpi);
    if (quality)
        *quality = bestQuality;
    return best;
}

bool saveSubmissionPhoto(const QString& chosenName, const RasterBitmap& photo)
{
    // The JPEG entry's naming rule: ".jpg" unless the name ends in it already.
    const std::optional<SaveRequest> request = saveRequestFor(1, chosenName, 24);
    if (!request)
        return false;
    const QByteArray jpeg = submissionJpeg(submissionPicture(photo.image()), kSubmissionByteLimit);
    return !jpeg.isEmpty() && writeFileSafely(request->fileName, jpeg);
}
