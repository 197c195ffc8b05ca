#include "effects/_NuvFrame.h"

#include "common/Cp949.h"
#include "common/StreamError.h"
#include "raster/BitmapOps.h"
#include "raster/LargeImage.h"

#include <QFile>
#include <QFileInfo>
#include <QRegion>
#include <QtEndian>

#include <algorithm>
#include <cstring>
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

// A destination span [from, to) along one axis and, for each of its positions, the source
// position in the picture, or -1 where that lies outside it.
struct Span {
    qint64 from = 0;
    std::vector<int> positions;
};

int pictureIndex(qint64 position, int limit)
{
    return position >= 0 && position < limit ? int(position) : -1;
}

// Further than any sum of header values and photo sizes reaches, and exact as a double.
constexpr double kFar = 4611686018427387904.0; // 2^62

// [destStart, destStart + destLength) scaled from [sourceStart, sourceStart + sourceLength), by
// nearest neighbour, over the part of the span that lies in [0, length).
Span scaledSpan(qint64 sourceStart, qint64 sourceLength, qint64 destStart, qint64 destLength,
                qint64 length, int limit)
{
    Span span;
    span.from = std::max<qint64>(destStart, 0);
    const qint64 to = std::min(destStart + destLength, length);
    if (span.from >= to)
        return span;
    span.positions.resize(std::size_t(to - span.from));
    // A piece at its own size (the corners, the photo) maps pixel to pixel.
    if (sourceLength == destLength) {
        for (qint64 d = span.from; d < to; ++d)
            span.positions[std::size_t(d - span.from)] =
                pictureIndex(sourceStart + (d - destStart), limit);
        return span;
    }
    const double scale = double(sourceLength) / double(destLength);
    for (qint64 d = span.from; d < to; ++d) {
        // Never negative, so truncating floors it; beyond kFar it lies outside any picture.
        const double offset = (double(d - destStart) + 0.5) * scale;
        span.positions[std::size_t(d - span.from)] =
            offset < kFar ? pictureIndex(sourceStart + qint64(offset), limit) : -1;
    }
    return span;
}

// Copies of a tile [sourceStart, sourceStart + step) at its own size, copy k covering
// [start + k·step, start + (k+1)·step), up to the first copy that reaches stopAt, over the part
// that lies in [0, length). The first copy is always laid, even when the span is empty.
Span tiledSpan(qint64 sourceStart, qint64 start, qint64 step, qint64 stopAt, qint64 length,
               int limit)
{
    Span span;
    if (step <= 0)
        return span;
    // Copies entirely before 0 cannot show, so absurd header values cost no time.
    const qint64 first = std::max<qint64>(0, floorDiv(-start, step));
    const qint64 last = std::max<qint64>(0, ceilDiv(stopAt - start, step) - 1);
    if (first > last)
        return span;
    span.from = std::max<qint64>(0, start + first * step);
    const qint64 to = std::min(length, start + (last + 1) * step);
    if (span.from >= to)
        return span;
    span.positions.resize(std::size_t(to - span.from));
    for (qint64 d = span.from; d < to; ++d)
        span.positions[std::size_t(d - span.from)] =
            pictureIndex(sourceStart + (d - start) % step, limit);
    return span;
}

// A piece at its own size along one axis.
Span unscaledSpan(qint64 sourceStart, qint64 destStart, qint64 size, qint64 length, int limit)
{
    return scaledSpan(sourceStart, size, destStart, size, length, limit);
}

// Destination pixels [to, to + length) of a row, taken either from the source pixels
// [from, from + length) or, when repeated, all from the one source pixel from.
struct Segment {
    qint64 to;
    int from;
    int length;
    bool repeated;
};

// True when the segment can take in column as the next destination pixel.
bool extends(Segment& segment, int column)
{
    if (segment.length == 1 && (column == segment.from || column == segment.from + 1))
        segment.repeated = column == segment.from;
    else if (column != (segment.repeated ? segment.from : segment.from + segment.length))
        return false;
    ++segment.length;
    return true;
}

// The columns as segments: runs that follow each other in both pictures (a piece at its own
// size) and runs of one repeated source pixel (a piece stretched wider).
std::vector<Segment> columnSegments(const Span& columns)
{
    std::vector<Segment> segments;
    for (std::size_t i = 0; i < columns.positions.size(); ++i) {
        const int column = columns.positions[i];
        if (column < 0)
            continue;
        const qint64 to = columns.from + qint64(i);
        if (!segments.empty() && segments.back().to + segments.back().length == to &&
            extends(segments.back(), column))
            continue;
        segments.push_back({to, column, 1, false});
    }
    return segments;
}

// count copies of the 3-byte pixel at pixel, eight at a time where there are enough.
void repeatPixel(uchar* to, const uchar* pixel, int count)
{
    constexpr int kBlock = 8;
    int done = 0;
    if (count >= kBlock) {
        uchar block[3 * kBlock];
        for (int k = 0; k < kBlock; ++k)
            std::memcpy(block + 3 * k, pixel, 3);
        for (; done + kBlock <= count; done += kBlock)
            std::memcpy(to + 3 * done, block, sizeof block);
    }
    if (done == count)
        return;
    // The rest as four-byte stores, each one's fourth byte overwritten by the next copy; the
    // last copy may end its line, so it gets three.
    quint32 wide = 0;
    std::memcpy(&wide, pixel, 3);
    for (; done + 1 < count; ++done)
        std::memcpy(to + 3 * done, &wide, 4);
    std::memcpy(to + 3 * done, pixel, 3);
}

// Lays the picture's pixels at the given byte offsets of from into to, one pixel each, for
// spans cut into pieces too short to copy as runs. Four bytes are moved per pixel where both
// lines have a fourth (the next pixel, or the line's padding, overwrites it).
void gatherPixels(uchar* to, const uchar* from, const std::vector<int>& offsets, qsizetype fromLine)
{
    const std::size_t count = offsets.size();
    const auto lineEnd = std::find_if(offsets.begin(), offsets.end(),
                                      [fromLine](int offset) { return offset + 4 > fromLine; });
    const std::size_t wide =
        std::min(std::size_t(lineEnd - offsets.begin()), count == 0 ? 0 : count - 1);
    std::size_t i = 0;
    for (; i < wide; ++i)
        std::memcpy(to + 3 * i, from + offsets[i], 4);
    for (; i < count; ++i)
        std::memcpy(to + 3 * i, from + offsets[i], 3);
}

// Copies the picture's pixels that columns × rows name into target (both 24 bits per pixel).
// Pixels whose source lies outside the picture are left as they are.
void copySpans(QImage& target, const QImage& picture, const Span& columns, const Span& rows)
{
    const std::vector<Segment> segments = columnSegments(columns);
    if (segments.empty())
        return;
    // Pieces of a pixel or two (a piece stretched by less than twice) are cheaper pixel by
    // pixel; that needs every column to lie inside the picture.
    const bool gather = segments.size() * 3 > columns.positions.size() &&
                        std::find(columns.positions.begin(), columns.positions.end(), -1) ==
                            columns.positions.end();
    std::vector<int> offsets;
    if (gather)
        for (const int column : columns.positions)
            offsets.push_back(3 * column);
    for (std::size_t i = 0; i < rows.positions.size(); ++i) {
        const int row = rows.positions[i];
        if (row < 0)
            continue;
        const uchar* from = picture.constScanLine(row);
        uchar* to = target.scanLine(int(rows.from + qint64(i)));
        if (gather) {
            gatherPixels(to + 3 * columns.from, from, offsets, picture.bytesPerLine());
            continue;
        }
        for (const Segment& segment : segments) {
            uchar* destination = to + 3 * segment.to;
            const uchar* source = from + 3 * segment.from;
            if (segment.length == 1)
                std::memcpy(destination, source, 3);
            else if (segment.repeated)
                repeatPixel(destination, source, segment.length);
            else
                std::memcpy(destination, source, std::size_t(3 * segment.length));
        }
    }
}

// Where one piece of the picture goes: for every destination column and row, its source.
struct Piece {
    Span columns;
    Span rows;
};

void paint(QImage& target, const QImage& picture, const Piece& piece)
{
    copySpans(target, picture, piece.columns, piece.rows);
}

// True when the piece lays every pixel of its rectangle, so nothing under it needs black.
bool solid(const Piece& piece)
{
    const auto inside = [](const Span& span) {
        return !span.positions.empty() &&
               std::find(span.positions.begin(), span.positions.end(), -1) == span.positions.end();
    };
    return inside(piece.columns) && inside(piece.rows);
}

QRect coveredRect(const Piece& piece)
{
    return QRect(int(piece.columns.from), int(piece.rows.from), int(piece.columns.positions.size()),
                 int(piece.rows.positions.size()));
}

// Source scaled to dest by nearest neighbour. Only the pixels inside target whose source lies
// inside the picture are named, so header values of any size cost at most the target's area.
// Empty or inverted rectangles name nothing.
Piece scaledPiece(const QImage& target, const QImage& picture, const Box& source, const Box& dest)
{
    if (source.width() <= 0 || source.height() <= 0 || dest.width() <= 0 || dest.height() <= 0)
        return {};
    return {scaledSpan(source.left, source.width(), dest.left, dest.width(), target.width(),
                       picture.width()),
            scaledSpan(source.top, source.height(), dest.top, dest.height(), target.height(),
                       picture.height())};
}

void addStretchedEdges(std::vector<Piece>& pieces, const QImage& target, const QImage& picture,
                       const Header& h)
{
    const qint64 width = target.width();
    const qint64 height = target.height();
    const qint64 iw = picture.width();
    const qint64 ih = picture.height();
    pieces.push_back(scaledPiece(
        target, picture, {h.TopLeftWidth, 0, qint64(h.TopLeftWidth) + h.TopTileWidth, h.TopHeight},
        {h.TopLeftWidth, 0, width - h.TopRightWidth, h.TopHeight}));
    pieces.push_back(scaledPiece(
        target, picture,
        {h.BottomLeftWidth, ih - h.BottomHeight, qint64(h.BottomLeftWidth) + h.BottomTileWidth, ih},
        {h.BottomLeftWidth, height - h.BottomHeight, width - h.BottomRightWidth, height}));
    pieces.push_back(
        scaledPiece(target, picture,
                    {0, h.TopLeftHeight, h.LeftWidth, qint64(h.TopLeftHeight) + h.LeftTileHeight},
                    {0, h.TopLeftHeight, h.LeftWidth, height - h.BottomLeftHeight}));
    pieces.push_back(scaledPiece(
        target, picture,
        {iw - h.RightWidth, h.TopRightHeight, iw, qint64(h.TopRightHeight) + h.RightTileHeight},
        {width - h.RightWidth, h.TopRightHeight, width, height - h.BottomRightHeight}));
}

// Each edge is laid in one piece covering all its copies; an edge thinner than one pixel has
// none.
void addTiledEdges(std::vector<Piece>& pieces, const QImage& target, const QImage& picture,
                   const Header& h)
{
    const qint64 width = target.width();
    const qint64 height = target.height();
    const int iw = picture.width();
    const int ih = picture.height();
    if (h.TopHeight > 0)
        pieces.push_back({tiledSpan(h.TopLeftWidth, h.TopLeftWidth, h.TopTileWidth,
                                    width - h.TopRightWidth, width, iw),
                          unscaledSpan(0, 0, h.TopHeight, height, ih)});
    if (h.BottomHeight > 0)
        pieces.push_back({tiledSpan(h.BottomLeftWidth, h.BottomLeftWidth, h.BottomTileWidth,
                                    width - h.BottomRightWidth, width, iw),
                          unscaledSpan(qint64(ih) - h.BottomHeight, height - h.BottomHeight,
                                       h.BottomHeight, height, ih)});
    if (h.LeftWidth > 0)
        pieces.push_back({unscaledSpan(0, 0, h.LeftWidth, width, iw),
                          tiledSpan(h.TopLeftHeight, h.TopLeftHeight, h.LeftTileHeight,
                                    height - h.BottomLeftHeight, height, ih)});
    if (h.RightWidth > 0)
        pieces.push_back(
            {unscaledSpan(qint64(iw) - h.RightWidth, width - h.RightWidth, h.RightWidth, width, iw),
             tiledSpan(h.TopRightHeight, h.TopRightHeight, h.RightTileHeight,
                       height - h.BottomRightHeight, height, ih)});
}

void addCorners(std::vector<Piece>& pieces, const QImage& target, const QImage& picture,
                const Header& h)
{
    const qint64 width = target.width();
    const qint64 height = target.height();
    const qint64 iw = picture.width();
    const qint64 ih = picture.height();
    pieces.push_back(scaledPiece(target, picture, {0, 0, h.TopLeftWidth, h.TopLeftHeight},
                                 {0, 0, h.TopLeftWidth, h.TopLeftHeight}));
    pieces.push_back(scaledPiece(target, picture, {iw - h.TopRightWidth, 0, iw, h.TopRightHeight},
                                 {width - h.TopRightWidth, 0, width, h.TopRightHeight}));
    pieces.push_back(scaledPiece(target, picture,
                                 {0, ih - h.BottomLeftHeight, h.BottomLeftWidth, ih},
                                 {0, height - h.BottomLeftHeight, h.BottomLeftWidth, height}));
    pieces.push_back(
        scaledPiece(target, picture, {iw - h.BottomRightWidth, ih - h.BottomRightHeight, iw, ih},
                    {width - h.BottomRightWidth, height - h.BottomRightHeight, width, height}));
}

// The pieces of the frame in paint order: the edges (top, bottom, left, right), then the
// corners.
std::vector<Piece> framePieces(const QImage& target, const QImage& picture, const Header& header)
{
    std::vector<Piece> pieces;
    if (header.StretchEdges != 0)
        addStretchedEdges(pieces, target, picture, header);
    else
        addTiledEdges(pieces, target, picture, header);
    addCorners(pieces, target, picture, header);
    return pieces;
}

// Sets every pixel of image to black except those inside hole, which the caller covers, and
// those under a solid piece, which painting it covers.
void fillBlackAround(QImage& image, const Box& hole, const std::vector<Piece>& pieces)
{
    const qint64 width = image.width();
    const qint64 height = image.height();
    const qint64 left = std::clamp<qint64>(hole.left, 0, width);
    const qint64 top = std::clamp<qint64>(hole.top, 0, height);
    QRegion black(image.rect());
    black -= QRect(int(left), int(top), int(std::clamp<qint64>(hole.right, left, width) - left),
                   int(std::clamp<qint64>(hole.bottom, top, height) - top));
    for (const Piece& piece : pieces)
        if (solid(piece))
            black -= coveredRect(piece);
    for (const QRect& part : black)
        for (int y = part.top(); y <= part.bottom(); ++y)
            std::memset(image.scanLine(y) + 3 * part.left(), 0, std::size_t(3 * part.width()));
}

// result := the frame for a photo of the given size. The pixels inside hole are left unset
// for the caller, who covers them with the photo; everything else not under a piece is black.
bool composeFrame(const TNuvFrame& frame, int photoWidth, int photoHeight, RasterBitmap& result,
                  const Box& hole)
{
    result.free();
    const Header& header = frame.FrameHeader;
    const qint64 width = qint64(photoWidth) + header.ExtraWidth;
    const qint64 height = qint64(photoHeight) + header.ExtraHeight;
    if (!raster::dimensionsAllowed(width, height))
        return false;
    QImage target = raster::allocateImage(int(width), int(height), QImage::Format_RGB888);
    if (target.isNull())
        return false;
    // Loading gives 24 bits; a picture set from outside is brought to them.
    const QImage& loaded = frame.FrameImage.ColorBitmap.image();
    const QImage picture =
        loaded.isNull() ? QImage() : loaded.convertToFormat(QImage::Format_RGB888);
    const std::vector<Piece> pieces =
        picture.isNull() ? std::vector<Piece>() : framePieces(target, picture, header);
    fillBlackAround(target, hole, pieces);
    for (const Piece& piece : pieces)
        paint(target, picture, piece);
    result.setImage(std::move(target));
    return true;
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
    return composeFrame(*this, photoWidth, photoHeight, result, {});
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
    RasterBitmap picture = photo;
    if (!photo.isAllocated() || !convertTo24(picture))
        return false;
    const qint64 left = frame.FrameHeader.PhotoLeft;
    const qint64 top = frame.FrameHeader.PhotoTop;
    const Box place{left, top, left + photo.width(), top + photo.height()};
    // The photo covers its place whole, so the black under it is never laid.
    RasterBitmap result;
    if (!composeFrame(frame, photo.width(), photo.height(), result, place))
        return false;
    paint(
        result.image(), picture.image(),
        scaledPiece(result.image(), picture.image(), {0, 0, photo.width(), photo.height()}, place));
    photo = std::move(result);
    return true;
}
