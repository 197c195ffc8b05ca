#include "BenchInputs.h"
#include "BenchRegistry.h"

#include "app/FrmMain.h"
#include "app/SaveRules.h"
#include "app/WorkspaceScrollView.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>
#include <QRegularExpression>

#include <cstdio>
#include <memory>

// The main window as the user drives it: opening a large photo until its first complete
// paint, repainting the workspace, dragging the crop frame, cutting, making the sheet and
// saving it. The window is shown on the offscreen platform.
namespace {

using namespace bench;

constexpr int kLargeWidth = 6000;
constexpr int kLargeHeight = 4000;
// A photo that fills the workspace at 100 %, the cheapest repaint there is.
constexpr int kSmallWidth = 716;
constexpr int kSmallHeight = 506;

// A shown main window, made on first use and destroyed with the application.
class Window {
public:
    static TMainForm& large() { return get(s_large); }
    static TMainForm& small() { return get(s_small); }

    // What the next save dialog chooses.
    static inline QString saveName;
    static inline int saveEntry = 1;

private:
    static TMainForm& get(std::unique_ptr<TMainForm>& form)
    {
        if (!form) {
            if (!s_cleanupAdded) {
                qAddPostRoutine(destroyAll);
                s_cleanupAdded = true;
            }
            form = std::make_unique<TMainForm>();
            form->setSleepFunction([](int) {});
            form->setModalRunner(chooseSaveFile);
            form->show();
        }
        return *form;
    }

    static int chooseSaveFile(QDialog& dialog)
    {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        if (!files)
            return QDialog::Rejected;
        files->selectNameFilter(files->nameFilters().value(saveEntry - 1));
        files->selectFile(saveName);
        return QDialog::Accepted;
    }

    static void destroyAll()
    {
        s_large.reset();
        s_small.reset();
    }

    static inline std::unique_ptr<TMainForm> s_large;
    static inline std::unique_ptr<TMainForm> s_small;
    static inline bool s_cleanupAdded = false;
};

void paintWorkspace(TMainForm& form)
{
    form.ScrollView->renderCanvas(QRect(QPoint(), form.ScrollView->clientSize()));
}

void open(TMainForm& form, const QString& file)
{
    form.OpenPhotoFile(file);
    paintWorkspace(form);
}

// Opened once; later rows only need the photo to be there.
void ensureLargeOpened()
{
    TMainForm& form = Window::large();
    if (!IsBitmapAllocated(form.OriginalBitmap))
        open(form, photoJpegFile(kLargeWidth, kLargeHeight));
}

// Back to the loaded photo at the fitted zoom, with a large passport frame on the face.
void largeLoadedWithFrame()
{
    ensureLargeOpened();
    TMainForm& form = Window::large();
    if (form.Dragging)
        form.ScrollViewMouseUp(form.DragPoint);
    form.RestoreOriginal();
    form.TypeClick(2);
    form.CropRect = {1000, 100, 3800, 3700};
}

void largeSheetMade()
{
    TMainForm& form = Window::large();
    if (form.SheetMade)
        return;
    largeLoadedWithFrame();
    form.MakeSheet();
}

long kilobytesOf(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression line(QStringLiteral("^%1:\\s+(\\d+) kB").arg(QLatin1String(field)),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch match = line.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLong() : -1;
}

// Sets the peak resident size back to the current one.
bool resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    return clear.open(QIODevice::WriteOnly) && clear.write("5") == 1;
}

// How far above the resident size before opening the peak went while a fresh window
// opened the large photo, against the photo's own 24-bit size.
void reportOpeningPeakMemory()
{
    static bool reported = false;
    if (reported)
        return;
    reported = true;
    TMainForm form;
    form.setSleepFunction([](int) {});
    form.show();
    paintWorkspace(form);
    const QString file = photoJpegFile(kLargeWidth, kLargeHeight);
    if (!resetPeakMemory()) {
        std::printf("%-10s %-44s %s\n", "memory", "peak opening 6000x4000", "not measurable");
        return;
    }
    const long before = kilobytesOf("VmRSS");
    open(form, file);
    const long peak = kilobytesOf("VmHWM");
    const double photoMb = double(kLargeWidth) * kLargeHeight * 3 / 1e6;
    const double extraMb = double(peak - before) * 1024 / 1e6;
    const double ratio = extraMb / photoMb;
    constexpr double kLimit = 2.5;
    std::printf("%-10s %-44s %9.1f MB above %.1f MB before; %.2fx the 24-bit photo (%.1f MB), "
                "limit %.2fx  %s\n",
                "memory", "peak opening 6000x4000", extraMb, double(before) * 1024 / 1e6, ratio,
                photoMb, kLimit, ratio <= kLimit ? "PASS" : "FAIL");
    std::fflush(stdout);
}

const bool registered = [] {
    registerBench(
        "window", "open 6000x4000 JPEG to first paint",
        [] {
            reportOpeningPeakMemory();
            Window::large().LoadPhotoFile(QString());
            photoJpegFile(kLargeWidth, kLargeHeight);
            evictCaches();
        },
        [] { open(Window::large(), photoJpegFile(kLargeWidth, kLargeHeight)); });

    registerBench(
        "window", "repaint 716x506 at 100%",
        [] {
            TMainForm& form = Window::small();
            if (!IsBitmapAllocated(form.WorkBitmap)) {
                open(form, photoJpegFile(kSmallWidth, kSmallHeight));
                form.ActualSizeClick();
            }
        },
        [] { paintWorkspace(Window::small()); });
    registerBench(
        "window", "repaint 6000x4000 fitted",
        [] {
            largeLoadedWithFrame();
            paintWorkspace(Window::large());
        },
        [] { paintWorkspace(Window::large()); });
    registerBench(
        "window", "drag frame over 6000x4000 fitted (move + repaint)",
        [] {
            largeLoadedWithFrame();
            TMainForm& form = Window::large();
            Rect frame = form.CropRect;
            form.ImageToScreen(frame);
            const QPoint centre((frame.left + frame.right) / 2, (frame.top + frame.bottom) / 2);
            form.ScrollViewMouseDown(centre);
            form.ScrollViewMouseMove(centre + QPoint(1, 0));
            paintWorkspace(form);
        },
        [] {
            // Back and forth, so that the frame stays where it is over many runs.
            TMainForm& form = Window::large();
            static int step = 1;
            step = -step;
            form.ScrollViewMouseMove(form.DragPoint + QPoint(step, step));
            paintWorkspace(form);
        });

    registerBench("window", "cut 6000x4000 -> 350x450", largeLoadedWithFrame,
                  [] { Window::large().CutPhoto(); });
    registerBench(
        "window", "make sheet from 350x450",
        [] {
            largeLoadedWithFrame();
            Window::large().CutPhoto();
        },
        [] { Window::large().MakeSheet(); });
    registerBench(
        "window", "save sheet as JPEG",
        [] {
            largeSheetMade();
            Window::saveName = scratchDirectory() + QStringLiteral("/window-sheet.jpg");
            Window::saveEntry = 1;
        },
        [] { Window::large().SaveWorkBitmap(); });
    registerBench(
        "window", "save sheet as GIF",
        [] {
            largeSheetMade();
            Window::saveName = scratchDirectory() + QStringLiteral("/window-sheet.gif");
            Window::saveEntry = 4;
        },
        [] { Window::large().SaveWorkBitmap(); });

    registerRatio("open 6000x4000 to first paint / djpeg", "open 6000x4000 JPEG to first paint",
                  "djpeg 6000x4000 (whole process)", 1.3);
    registerRatio("repaint fitted 6000x4000 / 716x506 at 100%", "repaint 6000x4000 fitted",
                  "repaint 716x506 at 100%", 2.0);
    registerRatio("frame drag step / repaint 716x506 at 100%",
                  "drag frame over 6000x4000 fitted (move + repaint)", "repaint 716x506 at 100%",
                  2.0);
    // "Well under" the decode of the photo: a quarter of it at most.
    for (const char* step :
         {"cut 6000x4000 -> 350x450", "make sheet from 350x450", "save sheet as JPEG"})
        registerRatio(std::string(step) + " / JPEG decode 6000x4000", step, "JPEG decode 6000x4000",
                      0.25);
    registerRatio("GIF save of the sheet / JPEG save", "save sheet as GIF", "save sheet as JPEG",
                  3.0);
    return true;
}();

} // namespace
