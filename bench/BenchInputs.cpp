#include "BenchInputs.h"

#include "raster/BitmapIO.h"
#include "raster/BitmapOps.h"
#include "raster/LargeImage.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <utility>
#include <vector>

namespace bench {

namespace {

using Size = std::pair<int, int>;

[[noreturn]] void fail(const char* what)
{
    std::fprintf(stderr, "benchmark input: %s\n", what);
    std::exit(2);
}

void addGrain(RasterBitmap& bitmap, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> grain(-12, 12);
    QImage& image = bitmap.image();
    const qsizetype rowBytes = qsizetype(image.width()) * 3;
    for (int y = 0; y < image.height(); ++y) {
        uchar* p = image.scanLine(y);
        for (qsizetype i = 0; i < rowBytes; ++i)
            p[i] = uchar(std::clamp(p[i] + grain(random), 0, 255));
    }
}

const RasterBitmap& portrait()
{
    static const RasterBitmap loaded = [] {
        RasterBitmap bitmap;
        if (!loadBitmap(IDPHOTO_TESTDATA "/portrait.png", bitmap, 24))
            fail("cannot load " IDPHOTO_TESTDATA "/portrait.png");
        return bitmap;
    }();
    return loaded;
}

} // namespace

const RasterBitmap& photo(int width, int height)
{
    static std::map<Size, RasterBitmap> photos;
    auto [it, added] = photos.try_emplace({width, height});
    if (added) {
        it->second = portrait();
        if (!sizeBitmap(it->second, width, height, SizeQuality::Final))
            fail("cannot size the portrait");
        addGrain(it->second, unsigned(width * 7919 + height));
    }
    return it->second;
}

QString scratchDirectory()
{
    static QTemporaryDir directory;
    if (!directory.isValid())
        fail("no temporary directory");
    return directory.path();
}

const QString& photoJpegFile(int width, int height)
{
    static std::map<Size, QString> files;
    auto [it, added] = files.try_emplace({width, height});
    if (added) {
        it->second = scratchDirectory() + QString("/photo-%1x%2.jpg").arg(width).arg(height);
        if (!saveBitmap(it->second, photo(width, height), SaveFormat::Jpeg, 24, 2))
            fail("cannot save the JPEG photo");
    }
    return it->second;
}

const QByteArray& photoJpegBytes(int width, int height)
{
    static std::map<Size, QByteArray> contents;
    auto [it, added] = contents.try_emplace({width, height});
    if (added) {
        QFile file(photoJpegFile(width, height));
        if (!file.open(QIODevice::ReadOnly))
            fail("cannot read the JPEG photo");
        it->second = file.readAll();
    }
    return it->second;
}

const RasterBitmap& printSheet()
{
    static const RasterBitmap sheet = [] {
        RasterBitmap bitmap;
        if (!createBitmap(bitmap, 1520, 1020, 24) || !fillBitmap(bitmap, Qt::white))
            fail("cannot create the sheet");
        const QImage& cell = photo(250, 300).image();
        QImage& image = bitmap.image();
        for (int row = 0; row < 3; ++row)
            for (int column = 0; column < 5; ++column)
                for (int y = 0; y < 300; ++y)
                    std::copy_n(cell.constScanLine(y), 250 * 3,
                                image.scanLine(row * 336 + 18 + y) + (column * 300 + 25) * 3);
        return bitmap;
    }();
    return sheet;
}

RasterBitmap freshCopy(const RasterBitmap& source)
{
    const QImage& image = source.image();
    QImage copy = raster::allocateImage(image.width(), image.height(), image.format());
    if (copy.isNull())
        fail("cannot copy the photo");
    copy.setColorTable(image.colorTable());
    for (int y = 0; y < image.height(); ++y)
        std::copy_n(image.constScanLine(y), image.bytesPerLine(), copy.scanLine(y));
    return RasterBitmap(std::move(copy));
}

void evictCaches()
{
    // Well beyond any last-level cache.
    static std::vector<unsigned char> sweep(size_t(128) << 20);
    static unsigned char value = 0;
    std::fill(sweep.begin(), sweep.end(), ++value);
}

} // namespace bench
