#include "BenchInputs.h"
#include "BenchRegistry.h"

#include "effects/FrameCatalog.h"
#include "effects/FrmInputFrame.h"
#include "effects/_NuvFrame.h"
#include "frames/BundledFrames.h"
#include "raster/BitmapOps.h"
#include "tools/nfrm-make/FrameFileWriter.h"
#include "ui/PreviewBox.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QScrollArea>

#include <memory>

// Framing the largest cut photo (999 × 799) against one full copy of the framed result:
// composing the frame and laying the photo on it should cost little more than the copy.
// The frame picker: opening it on 50 frames with cached thumbnails against reading the 50
// headers alone, and a click on a thumbnail against the final framing of the photo.
namespace {

using namespace bench;

constexpr int kWidth = 999;
constexpr int kHeight = 799;
constexpr int kBorder = 40;

// A frame made by the frame maker's writer from a 120 × 120 patterned picture.
TNuvFrame makeFrame(bool tiled)
{
    QImage picture(120, 120, QImage::Format_RGB888);
    picture.fill(QColor(200, 170, 90));
    QPainter(&picture).fillRect(10, 10, 100, 100, QColor(120, 80, 30));
    QByteArray png;
    QBuffer pngBuffer(&png);
    pngBuffer.open(QIODevice::WriteOnly);
    picture.save(&pngBuffer, "PNG");

    TNuvFrameHeader header;
    setBorder(header, kBorder);
    if (tiled) {
        header.StretchEdges = 0;
        header.TopTileWidth = header.BottomTileWidth = 8;
        header.LeftTileHeight = header.RightTileHeight = 8;
    }
    QByteArray file = frameFile(header, png);
    QBuffer stream(&file);
    stream.open(QIODevice::ReadOnly);
    TNuvFrame frame;
    frame.LoadFromStream(stream);
    return frame;
}

const TNuvFrame& frame(bool tiled)
{
    static const TNuvFrame stretched = makeFrame(false);
    static const TNuvFrame tiledFrame = makeFrame(true);
    return tiled ? tiledFrame : stretched;
}

RasterBitmap working;

void frameWorking(bool tiled)
{
    check(framePhoto(frame(tiled), working), "frame photo");
}

constexpr int kPickerFrames = 50;

// A frame picture with the detail of a real one, so that decoding it costs what it would.
QByteArray detailedFramePicture()
{
    QImage picture(240, 240, QImage::Format_RGB888);
    for (int y = 0; y < picture.height(); ++y) {
        uchar* line = picture.scanLine(y);
        for (int x = 0; x < picture.width() * 3; ++x)
            line[x] = uchar((x * 7 + y * 13 + (x * y) % 23) & 0xff);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png;
}

// 50 frame files with their thumbnails already made, as on any opening after the first.
const QString& pickerDirectory()
{
    static const QString directory = [] {
        const QString path = scratchDirectory() + QStringLiteral("/frames/");
        QDir().mkpath(path);
        TNuvFrameHeader header;
        setBorder(header, kBorder);
        header.StretchEdges = 1;
        const QByteArray picture = detailedFramePicture();
        for (int i = 0; i < kPickerFrames; ++i) {
            header.setTitle(QStringLiteral("액자 %1").arg(i));
            const QString file = path + QStringLiteral("frame%1.nfrm").arg(i, 2, 10, QChar(u'0'));
            QFile out(file);
            check(out.open(QIODevice::WriteOnly) && out.write(frameFile(header, picture)) > 0,
                  "write frame");
            out.close();
            check(ensureThumbnail(file), "make thumbnail");
        }
        return path;
    }();
    return directory;
}

QString pickerFrame(int index)
{
    return pickerDirectory() + QStringLiteral("frame%1.nfrm").arg(index, 2, 10, QChar(u'0'));
}

// The frames that come with the program, as a fresh install has them.
const QString& bundledDirectory()
{
    static const QString directory = [] {
        const QString path = scratchDirectory() + QStringLiteral("/bundled/");
        QDir().mkpath(path);
        check(installBundledFrames(path).copied.size() == bundledFrames().size(),
              "install the bundled frames");
        return path;
    }();
    return directory;
}

RasterBitmap pickerPhoto;
std::unique_ptr<TInputFrameForm> picker;
// Pickers kept open across runs, whose frames have all been read.
std::unique_ptr<TInputFrameForm> browsingPicker;
std::unique_ptr<TInputFrameForm> bundledPicker;

// A picker prepared on the photo, its list not yet built.
void preparePicker(int width, int height, const QString& directory = pickerDirectory())
{
    // Widgets must go before the application does.
    [[maybe_unused]] static const bool cleanedUp = [] {
        qAddPostRoutine([] {
            picker.reset();
            browsingPicker.reset();
            bundledPicker.reset();
        });
        return true;
    }();
    picker.reset();
    pickerPhoto = photo(width, height);
    picker = std::make_unique<TInputFrameForm>(nullptr, pickerPhoto);
    picker->prepare(directory);
}

// A picker on the photo whose frames have all been clicked once.
std::unique_ptr<TInputFrameForm> browsedPicker(const QString& directory)
{
    preparePicker(kWidth, kHeight, directory);
    picker->FormActivate();
    for (int i = 0; i < picker->FrameList.size(); ++i)
        picker->ThumbnailClick(i);
    return std::move(picker);
}

int clicks = 0;

// A click and the repaint of the preview it asks for, into a surface kept between repaints
// as a window's backing store is.
void clickThumbnail(TInputFrameForm& dialog, int index)
{
    dialog.ThumbnailClick(index);
    static QImage box;
    if (box.size() != dialog.PaintBox->size())
        box = QImage(dialog.PaintBox->size(), QImage::Format_RGB32);
    QPainter painter(&box);
    dialog.PaintBoxPaint(painter);
}

const bool pickerRegistered = [] {
    registerBench(
        "frames", "read 50 frame headers", [] { pickerDirectory(); },
        [] {
            for (int i = 0; i < kPickerFrames; ++i)
                check(!ReadFrameTitle(pickerFrame(i)).isEmpty(), "read title");
        });
    // Until the thumbnails in sight are drawn.
    // On a photo of the first type's size, as the picker is opened on a cut photo.
    registerBench(
        "frames", "open picker, 50 cached frames", [] { preparePicker(250, 300); },
        [] {
            picker->FormActivate();
            QImage list(picker->scbFrameView->size(), QImage::Format_RGB32);
            picker->scbFrameView->render(&list);
        });
    // Another frame every time, as a person looking through the list does; the picker reads
    // each frame file once per opening, so after the first round every frame is known.
    registerBench(
        "frames", "click a thumbnail again (999x799 photo)",
        [] {
            if (!browsingPicker)
                browsingPicker = browsedPicker(pickerDirectory());
        },
        [] { clickThumbnail(*browsingPicker, ++clicks % kPickerFrames); });
    registerBench(
        "frames", "click a bundled frame again (999x799 photo)",
        [] {
            if (!bundledPicker)
                bundledPicker = browsedPicker(bundledDirectory());
        },
        [] { clickThumbnail(*bundledPicker, ++clicks % int(bundledPicker->FrameList.size())); });
    registerBench(
        "frames", "click a thumbnail first (999x799 photo)",
        [] {
            preparePicker(kWidth, kHeight);
            picker->FormActivate();
        },
        [] { clickThumbnail(*picker, 0); });
    registerBench(
        "frames", "frame the 999x799 photo from its file",
        [] { working = freshCopy(photo(kWidth, kHeight)); },
        [] { check(frameWithFile(working, pickerFrame(++clicks % kPickerFrames)), "frame"); });
    // What OK leaves the person waiting for after a click on a thumbnail: the whole photo
    // framed and brought back to its type's size.
    registerBench(
        "frames", "OK: frame the 999x799 photo, back to its size",
        [] {
            preparePicker(kWidth, kHeight);
            picker->FormActivate();
            picker->ThumbnailClick(++clicks % kPickerFrames);
        },
        [] {
            picker->btnOKClick();
            check(sizeBitmap(pickerPhoto, kWidth, kHeight, SizeQuality::Final), "size");
        });
    registerSideBySideRatio("opening the picker on 50 cached frames / their headers",
                            "open picker, 50 cached frames", "read 50 frame headers", 3.0);
    registerSideBySideRatio("clicking a thumbnail again / the final framing on OK",
                            "click a thumbnail again (999x799 photo)",
                            "OK: frame the 999x799 photo, back to its size", 0.1);
    registerSideBySideRatio("clicking a bundled frame again / the final framing on OK",
                            "click a bundled frame again (999x799 photo)",
                            "OK: frame the 999x799 photo, back to its size", 0.1);
    return true;
}();

const bool registered = [] {
    const auto prepare = [] {
        frame(false);
        working = freshCopy(photo(kWidth, kHeight));
    };
    registerBench("frames", "frame photo 999x799 stretched", prepare, [] { frameWorking(false); });
    registerBench("frames", "frame photo 999x799 tiled", prepare, [] { frameWorking(true); });
    registerBench("frames", "copy framed 1079x879", prepare, [] {
        static const RasterBitmap framed = [] {
            RasterBitmap made = freshCopy(photo(kWidth, kHeight));
            check(framePhoto(frame(false), made), "frame photo");
            return made;
        }();
        working = freshCopy(framed);
    });
    registerSideBySideRatio("framing 999x799 stretched / a copy of the result",
                            "frame photo 999x799 stretched", "copy framed 1079x879", 2.0);
    registerSideBySideRatio("framing 999x799 tiled / a copy of the result",
                            "frame photo 999x799 tiled", "copy framed 1079x879", 2.0);
    return true;
}();

} // namespace
