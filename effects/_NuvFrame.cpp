#include "effects/_NuvFrame.h"

#include "common/Cp949.h"
#include "common/StreamError.h"
#include "raster/BitmapOps.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <functional>

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

// Paints source scaled onto dest, as a copy. The source is clipped to the picture and the
// destination to the painted area first, so header values of any size reach the painter
// only as coordinates inside both. Empty or inverted rectangles paint nothing.
void paintPiece(QPainter& painter, const QImage& picture, const Box& source, const Box& dest)
{
    if (source.width() <= 0 || source.height() <= 0 || dest.width() <= 0 || dest.height() <= 0)
        return;
    const double scaleX = double(dest.width()) / double(source.width());
    const double scaleY = double(dest.height()) / double(source.height());
    const qint64 left = std::max<qint64>(source.left, 0);
    const qint64 top = std::max<qint64>(source.top, 0);
    const qint64 right = std::min<qint64>(source.right, picture.width());
    const qint64 bottom = std::min<qint64>(source.bottom, picture.height());
    if (left >= right || top >= bottom)
        return;
    const QRectF target(double(dest.left) + double(left - source.left) * scaleX,
                        double(dest.top) + double(top - source.top) * scaleY,
                        double(right - left) * scaleX, double(bottom - top) * scaleY);
    const QRectF area(0, 0, painter.device()->width(), painter.device()->height());
    const QRectF visible = target & area;
    if (visible.isEmpty())
        return;
    const QRectF from(double(left) + (visible.left() - target.left()) / scaleX,
                      double(top) + (visible.top() - target.top()) / scaleY,
                      visible.width() / scaleX, visible.height() / scaleY);
    painter.drawImage(visible, picture, from);
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

void paintStretchedEdges(QPainter& painter, const QImage& picture, const Header& h, qint64 width,
                         qint64 height)
{
    const qint64 iw = picture.width();
    const qint64 ih = picture.height();
    paintPiece(painter, picture,
               {h.TopLeftWidth, 0, qint64(h.TopLeftWidth) + h.TopTileWidth, h.TopHeight},
               {h.TopLeftWidth, 0, width - h.TopRightWidth, h.TopHeight});
    paintPiece(
        painter, picture,
        {h.BottomLeftWidth, ih - h.BottomHeight, qint64(h.BottomLeftWidth) + h.BottomTileWidth, ih},
        {h.BottomLeftWidth, height - h.BottomHeight, width - h.BottomRightWidth, height});
    paintPiece(painter, picture,
               {0, h.TopLeftHeight, h.LeftWidth, qint64(h.TopLeftHeight) + h.LeftTileHeight},
               {0, h.TopLeftHeight, h.LeftWidth, height - h.BottomLeftHeight});
    paintPiece(
        painter, picture,
        {iw - h.RightWidth, h.TopRightHeight, iw, qint64(h.TopRightHeight) + h.RightTileHeight},
        {width - h.RightWidth, h.TopRightHeight, width, height - h.BottomRightHeight});
}

void paintTiledEdges(QPainter& painter, const QImage& picture, const Header& h, qint64 width,
                     qint64 height)
{
    const qint64 iw = picture.width();
    const qint64 ih = picture.height();
    const Box top{h.TopLeftWidth, 0, qint64(h.TopLeftWidth) + h.TopTileWidth, h.TopHeight};
    paintTiles(h.TopLeftWidth, h.TopTileWidth, width - h.TopRightWidth, width,
               [&](qint64 from, qint64 to) {
                   paintPiece(painter, picture, top, {from, 0, to, h.TopHeight});
               });
    const Box bottom{h.BottomLeftWidth, ih - h.BottomHeight,
                     qint64(h.BottomLeftWidth) + h.BottomTileWidth, ih};
    paintTiles(
        h.BottomLeftWidth, h.BottomTileWidth, width - h.BottomRightWidth, width,
        [&](qint64 from, qint64 to) {
            paintPiece(painter, picture, bottom, {from, height - h.BottomHeight, to, height});
        });
    const Box left{0, h.TopLeftHeight, h.LeftWidth, qint64(h.TopLeftHeight) + h.LeftTileHeight};
    paintTiles(h.TopLeftHeight, h.LeftTileHeight, height - h.BottomLeftHeight, height,
               [&](qint64 from, qint64 to) {
                   paintPiece(painter, picture, left, {0, from, h.LeftWidth, to});
               });
    const Box right{iw - h.RightWidth, h.TopRightHeight, iw,
                    qint64(h.TopRightHeight) + h.RightTileHeight};
    paintTiles(h.TopRightHeight, h.RightTileHeight, height - h.BottomRightHeight, height,
               [&](qint64 from, qint64 to) {
                   paintPiece(painter, picture, right, {width - h.RightWidth, from, width, to});
               });
}

void paintCorners(QPainter& painter, const QImage& picture, const Header& h, qint64 width,
                  qint64 height)
{
    const qint64 iw = picture.width();
    const qint64 ih = picture.height();
    paintPiece(painter, picture, {0, 0, h.TopLeftWidth, h.TopLeftHeight},
               {0, 0, h.TopLeftWidth, h.TopLeftHeight});
    paintPiece(painter, picture, {iw - h.TopRightWidth, 0, iw, h.TopRightHeight},
               {width - h.TopRightWidth, 0, width, h.TopRightHeight});
    paintPiece(painter, picture, {0, ih - h.BottomLeftHeight, h.BottomLeftWidth, ih},
               {0, height - h.BottomLeftHeight, h.BottomLeftWidth, height});
    paintPiece(painter, picture, {iw - h.BottomRightWidth, ih - h.BottomRightHeight, iw, ih},
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
    const QImage& picture = FrameImage.ColorBitmap.image();
    if (picture.isNull())
        return true;
    QPainter painter(&result.image());
    if (!painter.isActive()) {
        result.free();
        return false;
    }
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    if (FrameHeader.StretchEdges != 0)
        paintStretchedEdges(painter, picture, FrameHeader, width, height);
    else
        paintTiledEdges(painter, picture, FrameHeader, width, height);
    paintCorners(painter, picture, FrameHeader, width, height);
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
    if (!photo.isAllocated() || !frame.Compose(photo.width(), photo.height(), result))
        return false;
    {
        QPainter painter(&result.image());
        if (!painter.isActive())
            return false;
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        const qint64 left = frame.FrameHeader.PhotoLeft;
        const qint64 top = frame.FrameHeader.PhotoTop;
        paintPiece(painter, photo.image(), {0, 0, photo.width(), photo.height()},
                   {left, top, left + photo.width(), top + photo.height()});
    }
    photo = std::move(result);
    return true;
}
