#pragma once

#include <QColor>
#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <limits>

// How far apart two pictures or two colours are.
namespace image_compare {

// Mean absolute difference per colour channel, in levels; infinite when the sizes differ.
inline double meanAbsDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return std::numeric_limits<double>::infinity();
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    qint64 total = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            total += std::abs(qRed(p[col]) - qRed(q[col])) +
                     std::abs(qGreen(p[col]) - qGreen(q[col])) +
                     std::abs(qBlue(p[col]) - qBlue(q[col]));
    }
    return double(total) / (3.0 * x.width() * x.height());
}

// Largest difference of any channel (alpha included) between two images of one size;
// -1 when the sizes differ.
inline int maxChannelDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    const QImage x = a.convertToFormat(QImage::Format_ARGB32);
    const QImage y = b.convertToFormat(QImage::Format_ARGB32);
    int worst = 0;
    for (int row = 0; row < x.height(); ++row) {
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            for (const int shift : {0, 8, 16, 24})
                worst =
                    std::max(worst, std::abs(int((p >> shift) & 0xff) - int((q >> shift) & 0xff)));
        }
    }
    return worst;
}

// True when red, green and blue each lie within tolerance levels.
inline bool coloursNear(const QColor& actual, const QColor& expected, int tolerance)
{
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

} // namespace image_compare
