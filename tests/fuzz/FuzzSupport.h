#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QGuiApplication>
#include <QImage>

#include "raster/LoadBudget.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace fuzz {

// Largest side the metafile targets draw at.
inline constexpr int kMetafileSide = 256;

// Metafiles may draw text, and fonts need an application object; called once from
// LLVMFuzzerInitialize, which passes the command line.
inline void startGuiApplication(int* argc, char*** argv)
{
    static QGuiApplication application(*argc, *argv);
}

inline QByteArrayView input(const std::uint8_t* data, std::size_t size)
{
    return QByteArrayView(data, qsizetype(size));
}

// Reads the last byte of the last row, so that a result smaller than it claims shows up
// under the sanitizer.
inline void touchLastRow(const QImage& image)
{
    if (!image.isNull())
        (void)image.constScanLine(image.height() - 1)[image.bytesPerLine() - 1];
}

// Decodes the input; whatever decodes (up to a million pixels) must survive our own
// encoder with the bits of every pixel under mask intact, or the run aborts.
template <typename Decode, typename Encode>
void checkRoundTrip(QByteArrayView bytes, Decode decode, Encode encode, QRgb mask = 0xffffffffu)
{
    const QImage image = decode(bytes);
    if (image.isNull() || qint64(image.width()) * image.height() > 1'000'000)
        return;
    const QImage again = decode(encode(image));
    if (again.size() != image.size())
        std::abort();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((again.pixel(x, y) & mask) != (image.pixel(x, y) & mask))
                std::abort();
}

} // namespace fuzz

// As at the program's start: Qt's readers get the program's allocation limit, and a GUI
// application exists for the readers that draw text (metafiles).
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    raster::limitImageReaders();
    fuzz::startGuiApplication(argc, argv);
    return 0;
}
