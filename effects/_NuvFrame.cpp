#include "effects/_NuvFrame.h"

#include "common/Cp949.h"
#include "common/StreamError.h"
#include "raster/BitmapOps.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using Header = TNuvFrameHeader;

// The integer fields after the title, in file order.
constexpr std::array<qint32 Header::*, 22> kTailFields = {
    &Header::TopLeftWidth,      &Header::TopLeftHeight,   &Header::TopTileWidth,
    &Header::TopHeight,         &Header::TopRightWidth,   &Header::TopRightHeight,
    &Header::LeftWidth,         &Header::LeftTileHeight,  &Header::RightWidth,
    &Header::RightTileHeight,   &Header::BottomLeftWidth, &Header::BottomLeftHeight,
    &Header::BottomTileWidth,   &Header::BottomHeight,    &Header::BottomRightWidth,
    &Header::BottomRightHeight, &Header::PhotoLeft,       &Header::PhotoTop,
    &Header::ExtraWidth,        &Header::ExtraHeight,     &Header::StretchEdges,
    &Header::Reserved1};
constexpr qsizetype kTailOffset = 4 + Header::kTitleSize;

// A rectangle with exclusive right and bottom, wide enough for any sum of header values.
struct Box {
    qint64 left;
    qint64 top;
    qint64 right;
    qint64 bottom;
    qint64 width() const { return right - left; }
    qint64 height() const { return bottom - top; }
};

qint64 floorDiv(qint64 a, qint64 b)
{
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

qint64 ceilDiv(qint64 a, qint64 b)
{
    return -floorDiv(-a, b);
}

// For each destination position in [from, to) of a span [destStart, destStart + destLength)
// scaled from [sourceStart, sourceStart + sourceLength): the nearest source position, or -1
// where that lies outside [0, limit).
std::vector<int> sourcePositions(qint64 sourceStart, qint64 sourceLength, qint64 destStart,
                                 qint64 destLength, qint64 from, qint64 to, int limit)
{
    const double scale = double(sourceLength) / double(destLength);
    std::vector<int> positions(std::size_t(to - from));
    for (qint64 d = from; d < to; ++d) {
        const double offset = std::floor((double(d - destStart) + 0.5) * scale);
        const double position = double(sourceStart) + offset;
        positions[std::size_t(d - from)] = position >= 0 && position < limit ? int(position) : -1;
    }
    return positions;
}

// Copies source, scaled to dest by nearest neighbour, into target; both pictures are 24 bits
// per pixel. Only the pixels inside target whose source lies inside the picture are
// touched, so header values of any size cost at most the target's area. Empty or inverted
// rectangles paint nothing.
void paintPiece(QImage& target, const QImage& picture, const Box& source, const Box& dest)
{
    if (source.width() <= 0 || source.height() <= 0 || dest.width() <= 0 || dest.height() <= 0)
        return;
    const qint64 left = std::max<qint64>(dest.left, 0);
    const qint64 top = std::max<qint64>(dest.top, 0);
    const qint64 right = std::min<qint64>(dest.right, target.width());
    const qint64 bottom = std::min<qint64>(dest.bottom, target.height());
    if (left >= right || top >= bottom)
        return;
    const std::vector<int> columns = sourcePositions(source.left, source.width(), dest.left,
                                                     dest.width(), left, right, picture.width());
    const std::vector<int> rows = sourcePositions(source.top, source.height(), dest.top,
                                                  dest.height(), top, bottom, picture.height());
    // At its own size a piece is whole runs of bytes.
    const bool unscaled = source.width() == dest.width();
    const auto first = std::find_if(columns.begin(), columns.end(), [](int c) { return c >= 0; });
    const auto last = std::find_if(first, columns.end(), [](int c) { return c < 0; });
    for (qint64 y = top; y < bottom; ++y) {
        const int row = rows[std::size_t(y - top)];
        if (row < 0)
            continue;
        const uchar* from = picture.constScanLine(row);
        uchar* to = target.scanLine(int(y));
        if (unscaled) {
            if (first != last)
                std::memcpy(to + 3 * (left + (first - columns.begin())), from + 3 * *first,
                            std::size_t(3 * (last - first)));
            continue;
        }
        for (qint64 x = left; x < right; ++x) {
            const int column = columns[std::size_t(x - left)];
            if (column >= 0)
                std::memcpy(to + 3 * x, from + 3 * column, 3);
        }
    }
}

// Copies of a tile along one edge: copy k covers [start + k·step, start + (k+1)·step), and
// the run ends after the first copy that reaches stopAt. Copies entirely before 0 or from
// length on cannot show and are skipped, so absurd header values cost no time.
void paintTiles(qint64 start, qint64 step, qint64 stopAt, qint64 length,
                const std::function<void(qint64, qint64)>& paintCopy)
{
    if (step <= 0)
        return;
    const qint64 last = std::max<qint64>(0, ceilDiv(stopAt - start, step) - 1);
    for (qint64 k = std::max<qint64>(0, floorDiv(-start, step)); k <= last; ++k) {
        const qint64 from = start + k * step;
        if (from >= length)
            return;
        paintCopy(from, from + step);
    }
}

void paintStretchedEdges(QImage& target, const QImage& picture, const Header& h, qint64 width,
                         qint64 height)
{
    const qint64 iw = picture.width();
    const qint64 ih = picture.height();
    paintPiece(target, picture,
               {h.TopLeftWidth, 0, qint64(h.TopLeftWidth) + h.TopTileWidth, h.TopHeight},
               {h.TopLeftWidth, 0, width - h.TopRightWidth, h.TopHeight});
    paintPiece(
        target, picture,
        {h.BottomLeftWidth, ih - h.BottomHeight, qint64(h.BottomLeftWidth) + h.BottomTileWidth, ih},
        {h.BottomLeftWidth, height - h.BottomHeight, width - h.BottomRightWidth, height});
    paintPiece(target, picture,
               {0, h.TopLeftHeight, h.LeftWidth, qint64(h.TopLeftHeight) + h.LeftTileHeight},
               {0, h.TopLeftHeight, h.LeftWidth, height - h.BottomLeftHeight});
    paintPiece(
        target, picture,
        {iw - h.RightWidth, h.TopRightHeight, iw, qint64(h.TopRightHeight) + h.RightTileHeight},
        {width - h.RightWidth, h.TopRightHeight, width, height - h.BottomRightHeight});
}

void paintTiledEdges(QImage& target, const QImage& picture, const Header& h, qint64 width,
                     qint64 height)
{
    const qint64 iw = picture.width();
    const qint64 ih = picture.height();
    const Box top{h.TopLeftWidth, 0, qint64(h.TopLeftWidth) + h.TopTileWidth, h.TopHeight};
    paintTiles(h.TopLeftWidth, h.TopTileWidth, width - h.TopRightWidth, width,
               [&](qint64 from, qint64 to) {
                   paintPiece(target, picture, top, {from, 0, to, h.TopHeight});
               });
    const Box bottom{h.BottomLeftWidth, ih - h.BottomHeight,
                     qint64(h.BottomLeftWidth) + h.BottomTileWidth, ih};
    paintTiles(h.BottomLeftWidth, h.BottomTileWidth, width - h.BottomRightWidth, width,
               [&](qint64 from, qint64 to) {
                   paintPiece(target, picture, bottom, {from, height - h.BottomHeight, to, height});
               });
    const Box left{0, h.TopLeftHeight, h.LeftWidth, qint64(h.TopLeftHeight) + h.LeftTileHeight};
    paintTiles(h.TopLeftHeight, h.LeftTileHeight, height - h.BottomLeftHeight, height,
               [&](qint64 from, qint64 to) {
                   paintPiece(target, picture, left, {0, from, h.LeftWidth, to});
               });
    const Box right{iw - h.RightWidth, h.TopRightHeight, iw,
                    qint64(h.TopRightHeight) + h.RightTileHeight};
    paintTiles(h.TopRightHeight, h.RightTileHeight, height - h.BottomRightHeight, height,
               [&](qint64 from, qint64 to) {
                   paintPiece(target, picture, right, {width - h.RightWidth, from, width, to});
               });
}

void paintCorners(QImage& target, const QImage& picture, const Header& h, qint64 width,
                  qint64 height)
{
    const qint64 iw = picture.width();
    const qint64 ih = picture.height();
    paintPiece(target, picture, {0, 0, h.TopLeftWidth, h.TopLeftHeight},
               {0, 0, h.TopLeftWidth, h.TopLeftHeight});
    paintPiece(target, picture, {iw - h.TopRightWidth, 0, iw, h.TopRightHeight},
               {width - h.TopRightWidth, 0, width, h.TopRightHeight});
    paintPiece(target, picture, {0, ih - h.BottomLeftHeight, h.BottomLeftWidth, ih},
               {0, height - h.BottomLeftHeight, h.BottomLeftWidth, height});
    paintPiece(target, picture, {iw - h.BottomRightWidth, ih - h.BottomRightHeight, iw, ih},
               {width - h.BottomRightWidth, height - h.BottomRightHeight, width, height});
}

// Only regular files: a directory or device named like a frame is not one.
void openForReading(QFile& file)
{
    if (!QFileInfo(file.fileName()).isFile())
        throw StreamError::openError(file.fileName(), QStringLiteral("Not a regular file"));
    if (!file.open(QIODevice::ReadOnly))
        throw StreamError::openError(file.fileName(), file.errorString());
}

} // namespace

QString TNuvFrameHeader::title() const
{
    const auto end = std::find(FrameTitle.begin(), FrameTitle.end(), '\0');
    return fromCp949(QByteArrayView(FrameTitle.data(), end - FrameTitle.begin()));
}

void TNuvFrameHeader::setTitle(const QString& title)
{
    const QByteArray bytes = toCp949(title).left(kTitleSize);
    FrameTitle.fill('\0');
    std::copy(bytes.begin(), bytes.end(), FrameTitle.begin());
}

QByteArray TNuvFrameHeader::toBytes() const
{
    QByteArray bytes(kSize, '\0');
    qToLittleEndian(Reserved0, bytes.data());
    std::memcpy(bytes.data() + 4, FrameTitle.data(), kTitleSize);
    for (std::size_t i = 0; i < kTailFields.size(); ++i)
        qToLittleEndian(this->*kTailFields[i], bytes.data() + kTailOffset + 4 * i);
    return bytes;
}

void TNuvFrameHeader::fromBytes(QByteArrayView bytes)
{
    if (bytes.size() < 4)
        return;
    Reserved0 = qFromLittleEndian<qint32>(bytes.data());
    const qsizetype titleBytes = std::min(bytes.size() - 4, kTitleSize);
    std::copy_n(bytes.data() + 4, titleBytes, FrameTitle.begin());
    for (std::size_t i = 0; i < kTailFields.size(); ++i) {
        const qsizetype offset = kTailOffset + 4 * qsizetype(i);
        if (offset + 4 > bytes.size())
            return;
        this->*kTailFields[i] = qFromLittleEndian<qint32>(bytes.data() + offset);
    }
}

void TNuvFrame::LoadFromStream(QIODevice& stream)
{
    const QByteArray header = stream.read(TNuvFrameHeader::kSize);
    FrameHeader.fromBytes(header);
    if (header.size() < TNuvFrameHeader::kSize)
        throw StreamError::readError();
    FrameImage.LoadFromStream(stream);
}

void TNuvFrame::LoadFromFile(const QString& fileName)
{
    if (!QFileInfo::exists(fileName))
        return;
    QFile file(fileName);
    openForReading(file);
    LoadFromStream(file);
}

bool TNuvFrame::Compose(int photoWidth, int photoHeight, RasterBitmap& result) const
{
    result.free();
    const qint64 width = qint64(photoWidth) + FrameHeader.ExtraWidth;
    const qint64 height = qint64(photoHeight) + FrameHeader.ExtraHeight;
    if (!raster::dimensionsAllowed(width, height) ||
        !createBitmap(result, int(width), int(height), 24)) {
        result.free();
        return false;
    }
    // Loading gives 24 bits; a picture set from outside is brought to them.
    const QImage& loaded = FrameImage.ColorBitmap.image();
    if (loaded.isNull())
        return true;
    const QImage picture = loaded.convertToFormat(QImage::Format_RGB888);
    QImage& target = result.image();
    if (target.bits() == nullptr) {
        result.free();
        return false;
    }
    if (FrameHeader.StretchEdges != 0)
        paintStretchedEdges(target, picture, FrameHeader, width, height);
    else
        paintTiledEdges(target, picture, FrameHeader, width, height);
    paintCorners(target, picture, FrameHeader, width, height);
    return true;
}

QString ReadFrameTitle(const QString& fileName)
{
    QFile file(fileName);
    openForReading(file);
    TNuvFrameHeader header;
    const QByteArray bytes = file.read(TNuvFrameHeader::kSize);
    if (bytes.size() < TNuvFrameHeader::kSize)
        throw StreamError::readError();
    header.fromBytes(bytes);
    return header.title();
}

bool framePhoto(const TNuvFrame& frame, RasterBitmap& photo)
{
    RasterBitmap result;
    RasterBitmap picture = photo;
    if (!photo.isAllocated() || !convertTo24(picture) ||
        !frame.Compose(photo.width(), photo.height(), result) || result.image().bits() == nullptr)
        return false;
    const qint64 left = frame.FrameHeader.PhotoLeft;
    const qint64 top = frame.FrameHeader.PhotoTop;
    paintPiece(result.image(), picture.image(), {0, 0, photo.width(), photo.height()},
               {left, top, left + photo.width(), top + photo.height()});
    photo = std::move(result);
    return true;
}
