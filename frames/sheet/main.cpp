// Shows frames the way a user meets them, to judge the artwork:
//   frame-sheet PHOTO OUTDIR FRAME...
// OUTDIR/overview.png holds one row per frame: the picker's thumbnail (composed around a black
// 100 × 100 area, squeezed to 100 × 100, cut to 256 colours), then the photo framed as an ID
// photo (250 × 300) and as a business-card photo (500 × 700), each scaled back to its type's
// size as the main window does. OUTDIR/sheet-<frame>-<type>.png are the made print sheets.
#include "app/PhotoType.h"
#include "app/SheetComposer.h"
#include "effects/_NuvFrame.h"
#include "raster/BitmapIO.h"
#include "raster/BitmapOps.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>

#include <cstdio>

namespace {

constexpr int kIdType = 0;
constexpr int kCardType = 3;
constexpr int kGap = 20;
constexpr int kLabelHeight = 24;
constexpr int kThumbColumn = 140;

// The photo cut to the type's proportions, centred across and from the top, at its size.
RasterBitmap cutPhoto(const RasterBitmap& photo, int width, int height)
{
    int cutWidth = photo.width();
    int cutHeight = photo.width() * height / width;
    if (cutHeight > photo.height()) {
        cutHeight = photo.height();
        cutWidth = photo.height() * width / height;
    }
    RasterBitmap cut;
    if (!copyBitmapRect(cut, photo, (photo.width() - cutWidth) / 2, 0, cutWidth, cutHeight) ||
        !sizeBitmap(cut, width, height, SizeQuality::Final))
        return {};
    return cut;
}

RasterBitmap framedAtTypeSize(const TNuvFrame& frame, const RasterBitmap& photo)
{
    RasterBitmap framed = photo;
    if (!framePhoto(frame, framed) ||
        !sizeBitmap(framed, photo.width(), photo.height(), SizeQuality::Final))
        return {};
    return framed;
}

RasterBitmap thumbnail(const TNuvFrame& frame)
{
    RasterBitmap thumb;
    if (!frame.Compose(100, 100, thumb) || !sizeBitmap(thumb, 100, 100, SizeQuality::Fast) ||
        !convertTo8(thumb))
        return {};
    return thumb;
}

bool saveSheet(const RasterBitmap& photo, int type, const QString& fileName)
{
    const PhotoTypeInfo& info = photoTypeInfo(type);
    RasterBitmap sheet;
    return composeSheet(sheet, photo,
                        {info.targetWidth, info.targetHeight, info.marginX, info.marginY}) &&
           sheet.image().save(fileName);
}

} // namespace

int main(int argc, char* argv[])
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() < 4) {
        std::fprintf(stderr, "usage: frame-sheet PHOTO OUTDIR FRAME...\n");
        return 2;
    }
    RasterBitmap photo;
    if (!loadPhoto(arguments[1], photo) || !convertTo24(photo)) {
        std::fprintf(stderr, "frame-sheet: cannot read %s\n", qPrintable(arguments[1]));
        return 1;
    }
    const QDir out(arguments[2]);
    QDir().mkpath(out.path());
    const PhotoTypeInfo& id = photoTypeInfo(kIdType);
    const PhotoTypeInfo& card = photoTypeInfo(kCardType);
    const RasterBitmap idPhoto = cutPhoto(photo, id.targetWidth, id.targetHeight);
    const RasterBitmap cardPhoto = cutPhoto(photo, card.targetWidth, card.targetHeight);

    const QStringList frames = arguments.mid(3);
    const int rowHeight = kLabelHeight + card.targetHeight + kGap;
    QImage overview(kGap + kThumbColumn + id.targetWidth + kGap + card.targetWidth + kGap,
                    kGap + rowHeight * frames.size(), QImage::Format_RGB888);
    overview.fill(QColor(0xd5, 0xdb, 0xe1));
    QPainter painter(&overview);
    painter.setFont(QFont(QStringLiteral("NanumGothic"), 11, QFont::Bold));
    int failures = 0;
    for (qsizetype row = 0; row < frames.size(); ++row) {
        const QString& fileName = frames[row];
        TNuvFrame frame;
        frame.LoadFromFile(fileName);
        const RasterBitmap thumb = thumbnail(frame);
        const RasterBitmap framedId = framedAtTypeSize(frame, idPhoto);
        const RasterBitmap framedCard = framedAtTypeSize(frame, cardPhoto);
        const QString base = QFileInfo(fileName).completeBaseName();
        if (!thumb.isAllocated() || !framedId.isAllocated() || !framedCard.isAllocated() ||
            !saveSheet(framedId, kIdType, out.filePath("sheet-" + base + "-id.png")) ||
            !saveSheet(framedCard, kCardType, out.filePath("sheet-" + base + "-card.png"))) {
            std::fprintf(stderr, "frame-sheet: cannot frame with %s\n", qPrintable(fileName));
            ++failures;
            continue;
        }
        const int top = kGap + static_cast<int>(row) * rowHeight;
        painter.drawText(kGap, top + 16, frame.FrameHeader.title() + "  (" + base + ")");
        const int y = top + kLabelHeight;
        painter.drawImage(kGap, y, thumb.image());
        painter.drawImage(kGap + kThumbColumn, y, framedId.image());
        painter.drawImage(kGap + kThumbColumn + id.targetWidth + kGap, y, framedCard.image());
    }
    painter.end();
    if (!overview.save(out.filePath("overview.png")))
        ++failures;
    return failures == 0 ? 0 : 1;
}
