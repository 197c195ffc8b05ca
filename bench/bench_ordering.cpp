#include "BenchInputs.h"
#include "BenchRegistry.h"

#include "ordering/FrmTransData.h"
#include "ordering/OrderEntries.h"
#include "raster/BitmapIO.h"
#include "tools/print-service/PrintServiceProcess.h"
#include "ui/DialogHost.h"

#include <QCoreApplication>
#include <QProcess>
#include <QWidget>

#include <memory>

// A whole order of the print sheet against the reference print service on loopback,
// without the order's fixed pauses, against curl uploading the same JPEG to the same
// service plus one POST. Both are timed by the wall clock: most of the work is done by
// the service, which neither side's processor time counts.
namespace {

using namespace bench;

const bool webEnginePrepared = [] {
    prepareWebEngine();
    return true;
}();

// The reference service and the upload window, made at first use and gone before the
// application: deleted from a post routine, after the application had torn down its
// widgets, the window could crash the exit and leave the service and engine running.
struct OrderBench {
    PrintServiceProcess service;
    OrderSettings settings = service.settings();
    QWidget panel;
    TTransDataForm* window = new TTransDataForm(&panel);
    OrderBench()
    {
        check(service.started(), "start the print service");
        // Without the fixed pauses; the program's own waits for the registration page and
        // the network stay.
        EventPacing pacing = EventPacing::responsive();
        pacing.pause = [](int) { QCoreApplication::processEvents(); };
        window->setPacing(std::move(pacing));
    }
};

std::unique_ptr<OrderBench>& orderBenchSlot()
{
    static std::unique_ptr<OrderBench> slot;
    return slot;
}

OrderBench& orderBench()
{
    std::unique_ptr<OrderBench>& slot = orderBenchSlot();
    if (!slot) {
        slot = std::make_unique<OrderBench>();
        registerTeardown([] { orderBenchSlot().reset(); });
    }
    return *slot;
}

const OrderSettings& service()
{
    return orderBench().settings;
}

void wholeOrder()
{
    const DialogHost host{&orderBench().panel, [](QDialog&) { return 1; }, {}};
    const auto report =
        OrderPrints(host, *orderBench().window, printSheet(),
                    {service(), QStringLiteral("42"), QStringLiteral("증명사진"), {}});
    check(report && report->outcome == OrderTransfer::Outcome::Sent &&
              !report->registrationTimedOut,
          "whole order");
}

// The sheet's JPEG as the order saves it.
const QString& sheetJpeg()
{
    static const QString path = [] {
        const QString file = scratchDirectory() + QStringLiteral("/sheet.jpg");
        check(saveBitmap(file, printSheet(), SaveFormat::Jpeg, 24, 2), "save the sheet");
        return file;
    }();
    return path;
}

void curlUploadAndPost()
{
    const OrderSettings& settings = service();
    static int upload = 0;
    const QString target = QStringLiteral("ftp://127.0.0.1:%1/TempAlbum/4/curl%2.JPG")
                               .arg(settings.ftp.port)
                               .arg(++upload);
    const int exitCode = QProcess::execute(
        QStringLiteral("curl"),
        {QStringLiteral("-sS"), QStringLiteral("-P"), QStringLiteral("-"),
         QStringLiteral("--disable-eprt"), QStringLiteral("--ftp-method"),
         QStringLiteral("singlecwd"), QStringLiteral("-u"), QStringLiteral("Administrator:4181926"),
         QStringLiteral("-T"), sheetJpeg(), target, QStringLiteral("--next"), QStringLiteral("-sS"),
         QStringLiteral("-o"), QStringLiteral("/dev/null"), QStringLiteral("-d"),
         QStringLiteral("fc=4"), settings.makeDirUrl()});
    check(exitCode == 0, "curl upload and post");
}

const bool registered = [] {
    const auto prepare = [] {
        orderBench();
        sheetJpeg();
    };
    registerBench("ordering", "whole order 1520x1020, no pauses", prepare, wholeOrder);
    registerBench("ordering", "curl upload of the sheet + one POST", prepare, curlUploadAndPost);
    registerWallClockRatio("order / curl upload + POST (wall clock)",
                           "whole order 1520x1020, no pauses",
                           "curl upload of the sheet + one POST", 2.0);
    return true;
}();

} // namespace
