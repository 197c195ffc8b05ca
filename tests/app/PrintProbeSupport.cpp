#include "PrintProbeSupport.h"

#include "ImageCompare.h"

#include <QDebug>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kToleranceMm = 0.3;
constexpr int kSquare = 200;
const QColor kBody(30, 60, 200);

struct Marker {
    QPoint centre; // in sheet pixels
    QColor colour;
};

const std::array<Marker, 5>& markers()
{
    static const std::array<Marker, 5> list{{
        {{kSquare / 2, kSquare / 2}, QColor(220, 20, 20)},
        {{1520 - kSquare / 2, kSquare / 2}, QColor(20, 170, 40)},
        {{kSquare / 2, 1020 - kSquare / 2}, QColor(0, 0, 0)},
        {{1520 - kSquare / 2, 1020 - kSquare / 2}, QColor(240, 220, 0)},
        {{760, 510}, QColor(220, 0, 220)},
    }};
    return list;
}

// The squares and two points of the blue body.
QList<Marker> samples()
{
    QList<Marker> list(markers().begin(), markers().end());
    list.append({{400, 510}, kBody});
    list.append({{1100, 300}, kBody});
    return list;
}

// Paper is white; anything clearly darker is the sheet.
bool isInk(QRgb pixel)
{
    return qRed(pixel) < 200 || qGreen(pixel) < 200 || qBlue(pixel) < 200;
}

} // namespace

RasterBitmap probeSheet()
{
    QImage sheet(1520, 1020, QImage::Format_RGB888);
    sheet.fill(kBody);
    QPainter painter(&sheet);
    for (const Marker& marker : markers())
        painter.fillRect(
            QRect(marker.centre - QPoint(kSquare / 2, kSquare / 2), QSize(kSquare, kSquare)),
            marker.colour);
    painter.end();
    return RasterBitmap(sheet);
}

QImage rasterisePdf(const QString& pdfFile, int dotsPerInch)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return {};
    const QString prefix = dir.filePath(QStringLiteral("page"));
    QProcess process;
    process.start(QStringLiteral("pdftoppm"),
                  {QStringLiteral("-r"), QString::number(dotsPerInch), QStringLiteral("-png"),
                   QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-singlefile"),
                   pdfFile, prefix});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        qWarning() << "pdftoppm failed:" << process.errorString() << process.readAllStandardError();
        process.kill();
        return {};
    }
    return QImage(prefix + QStringLiteral(".png")).convertToFormat(QImage::Format_RGB32);
}

std::optional<QRectF> findSheetMillimetres(const QImage& page, int dotsPerInch)
{
    int left = page.width(), top = page.height(), right = -1, bottom = -1;
    for (int y = 0; y < page.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x) {
            if (!isInk(row[x]))
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0)
        return std::nullopt;
    const double scale = kMillimetresPerInch / dotsPerInch;
    return QRectF(left * scale, top * scale, (right + 1 - left) * scale,
                  (bottom + 1 - top) * scale);
}

QString probeContentMismatch(const QImage& page, int dotsPerInch, const QRectF& sheetMillimetres)
{
    constexpr int tolerance = 48;
    const double pixelsPerMillimetre = dotsPerInch / kMillimetresPerInch;
    QString mismatch;
    for (const Marker& marker : samples()) {
        const QPointF millimetres(
            sheetMillimetres.left() + marker.centre.x() * sheetMillimetres.width() / 1520.0,
            sheetMillimetres.top() + marker.centre.y() * sheetMillimetres.height() / 1020.0);
        const QPoint at = (millimetres * pixelsPerMillimetre).toPoint();
        const QColor actual = page.valid(at) ? page.pixelColor(at) : QColor(Qt::white);
        if (!image_compare::coloursNear(actual, marker.colour, tolerance))
            mismatch += QStringLiteral("at %1,%2 found %3 instead of %4; ")
                            .arg(at.x())
                            .arg(at.y())
                            .arg(actual.name(), marker.colour.name());
    }
    return mismatch;
}

QString probeSheetMismatch(const QImage& page, int dotsPerInch, QPointF topLeftMillimetres)
{
    const std::optional<QRectF> sheet = findSheetMillimetres(page, dotsPerInch);
    if (!sheet)
        return QStringLiteral("no sheet on the page");
    qInfo("sheet %.2f x %.2f mm at %.2f, %.2f mm; expected at %.2f, %.2f mm", sheet->width(),
          sheet->height(), sheet->left(), sheet->top(), topLeftMillimetres.x(),
          topLeftMillimetres.y());
    if (std::abs(sheet->width() - 152) > kToleranceMm ||
        std::abs(sheet->height() - 102) > kToleranceMm ||
        std::abs(sheet->left() - topLeftMillimetres.x()) > kToleranceMm ||
        std::abs(sheet->top() - topLeftMillimetres.y()) > kToleranceMm)
        return QStringLiteral("the sheet is %1 x %2 mm at %3, %4 mm")
            .arg(sheet->width())
            .arg(sheet->height())
            .arg(sheet->left())
            .arg(sheet->top());
    return probeContentMismatch(page, dotsPerInch, *sheet);
}
