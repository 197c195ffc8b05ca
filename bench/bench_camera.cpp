#include "BenchInputs.h"
#include "BenchRegistry.h"

#include "app/FrmMain.h"
#include "app/WorkspaceScrollView.h"
#include "camera/CameraEntry.h"
#include "camera/FrmPCCam.h"
#include "camera/SyntheticCameraSource.h"
#include "camera/VideoFrames.h"
#include "ui/DialogHost.h"

#include <QCoreApplication>
#include <QPainter>
#include <QVideoFrameFormat>

#include <memory>
#include <string>

// The camera dialog's two costs: showing live video (each frame converted from the
// camera's format and drawn into the 320 × 240 area) and taking a still until the main
// window first paints it, against opening a picture file of the same size.
namespace {

using namespace bench;

constexpr QSize kVideoArea(320, 240);
constexpr QSize kHd(1280, 720);
constexpr int kFramesPerSecond = 30;
constexpr double kCoreShareLimit = 0.25;

QVideoFrame cameraFrame(QVideoFrameFormat::PixelFormat format, QSize size, int counter)
{
    return SyntheticCameraSource::cameraFrame(SyntheticCameraSource::drawFrame(0, counter, size),
                                              format);
}

// What the video area does with one frame: convert, scale and draw it.
void showFrame(const QVideoFrame& frame)
{
    static QImage area(kVideoArea, QImage::Format_RGB32);
    QPainter painter(&area);
    painter.fillRect(area.rect(), Qt::black);
    painter.drawImage(previewPlace(frame.size(), kVideoArea), previewImage(frame, kVideoArea));
}

QVideoFrame pending;

void registerPreviewRow(const char* name, QVideoFrameFormat::PixelFormat format, QSize size)
{
    registerBench(
        "camera", name,
        [format, size] {
            static int counter = 0;
            pending = cameraFrame(format, size, ++counter);
        },
        [] { showFrame(pending); });
}

// A shown main window, and a camera dialog over one test camera that has shown a frame.
struct CaptureScene {
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TPCCamForm> dialog;
};
CaptureScene scene;

TMainForm& shownForm()
{
    if (!scene.form) {
        // The dialog first: the window owns it as a child too.
        qAddPostRoutine([] {
            scene.dialog.reset();
            scene.form.reset();
        });
        scene.form = std::make_unique<TMainForm>();
        scene.form->setSleepFunction([](int) {});
        scene.form->show();
    }
    return *scene.form;
}

void paintWorkspace(TMainForm& form)
{
    form.ScrollView->renderCanvas(QRect(QPoint(), form.ScrollView->clientSize()));
}

void prepareCapture(QSize size)
{
    TMainForm& form = shownForm();
    auto source = std::make_unique<SyntheticCameraSource>(1);
    source->setFrameInterval(0);
    source->setFrameSize(size);
    scene.dialog = createCameraDialog(form.dialogHost(), std::move(source));
    scene.dialog->FormActivate();
    static_cast<SyntheticCameraSource&>(scene.dialog->source()).deliverNextFrame();
    form.WorkBitmap.free();
    form.OriginalBitmap.free();
    evictCaches();
}

// Capture now, OK, and the main window's steps after the dialog up to its first paint.
void captureToFirstPaint()
{
    TPCCamForm& dialog = *scene.dialog;
    TMainForm& form = *scene.form;
    dialog.btnCamCaptureClick();
    dialog.btnOKClick();
    check(takeCapturedPhoto(dialog, form.WorkBitmap, form.OriginalBitmap), "take photo");
    form.CameraPhotoTaken();
    paintWorkspace(form);
}

const QString& pngFile(QSize size)
{
    static QString path;
    if (path.isEmpty()) {
        path = scratchDirectory() + QStringLiteral("/camera-frame.png");
        check(SyntheticCameraSource::drawFrame(0, 1, size).save(path), "save PNG");
    }
    return path;
}

const bool registered = [] {
    registerPreviewRow("preview frame 1280x720 YUYV", QVideoFrameFormat::Format_YUYV, kHd);
    registerPreviewRow("preview frame 1280x720 NV12", QVideoFrameFormat::Format_NV12, kHd);
    registerPreviewRow("preview frame 1280x720 RGB32", SyntheticCameraSource::kRgbFormat, kHd);
    // Live video at 30 frames a second from a 1280 × 720 camera, in each common format, may
    // take at most a quarter of one core.
    for (const char* format : {"YUYV", "NV12", "RGB32"})
        registerFixedRatio(std::string("camera preview 1280x720 ") + format + " / its 33 ms frame",
                           std::string("preview frame 1280x720 ") + format,
                           1000.0 / kFramesPerSecond, kCoreShareLimit);
    registerPreviewRow("preview frame 3840x2160 NV12", QVideoFrameFormat::Format_NV12,
                       QSize(3840, 2160));

    const QSize frameSize = SyntheticCameraSource::kFrameSize;
    registerBench(
        "camera", "capture 640x480 to first paint", [frameSize] { prepareCapture(frameSize); },
        captureToFirstPaint);
    registerBench(
        "camera", "open 640x480 PNG to first paint",
        [frameSize] {
            shownForm().WorkBitmap.free();
            shownForm().OriginalBitmap.free();
            pngFile(frameSize);
            evictCaches();
        },
        [frameSize] {
            TMainForm& form = shownForm();
            form.OpenPhotoFile(pngFile(frameSize));
            paintWorkspace(form);
        });
    registerSideBySideRatio("camera capture to first paint / opening a same-sized PNG",
                            "capture 640x480 to first paint", "open 640x480 PNG to first paint",
                            2.0);
    return true;
}();

} // namespace
