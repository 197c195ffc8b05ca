#include "ordering/OrderEntries.h"

#include "common/PhotoPaths.h"
#include "ordering/FrmNuvBrowser.h"
#include "ordering/FrmTransData.h"
#include "ordering/OrderForm.h"
#include "raster/BitmapIO.h"
#include "ui/DialogHost.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <unistd.h>

namespace {

constexpr int kBeforeHiding = 10;
// Called from static initialisers too, so a plain constant, ready before any of them.
constexpr char kProcessPerSite[] = "--process-per-site";

// Removes the order's temporary file however the order ends.
class TemporaryFile {
public:
    explicit TemporaryFile(QString path) : m_path(std::move(path)) {}
    ~TemporaryFile() { QFile::remove(m_path); }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const QString& path() const { return m_path; }
    // The file is thrown away after the order and its name is new, so there is no
    // earlier file for a crash to spoil: it goes straight to its place, without the
    // atomic replace and the wait for the disk of a picture the person saves.
    bool write(const QByteArray& bytes) const
    {
        if (bytes.isEmpty())
            return false;
        QFile file(m_path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
    }

private:
    QString m_path;
};

// Marks the upload window busy with an order for the guard's lifetime.
class RunningOrder {
public:
    explicit RunningOrder(TTransDataForm& window) : m_window(window)
    {
        m_window.setOrderRunning(true);
    }
    ~RunningOrder() { m_window.setOrderRunning(false); }
    RunningOrder(const RunningOrder&) = delete;
    RunningOrder& operator=(const RunningOrder&) = delete;

private:
    TTransDataForm& m_window;
};

void hideUploadWindow(TTransDataForm& window)
{
    window.hide();
    if (QWidget* parent = window.parentWidget())
        parent->repaint();
}

} // namespace

QWebEngineProfile* orderWebProfile()
{
    return QWebEngineProfile::defaultProfile();
}

void prepareWebEngine()
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // The order page comes from the service whose registration page the hidden browser
    // has just loaded: one renderer process per site lets it use that one instead of
    // starting a new process for every order.
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.split(' ').contains(QByteArrayView(kProcessPerSite)))
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + ' ' + kProcessPerSite).trimmed());
}

std::optional<OrderTransfer::Report> OrderPrints(const DialogHost& host, TTransDataForm& window,
                                                 const RasterBitmap& sheet,
                                                 const OrderTransfer::Request& order)
{
    if (window.orderRunning())
        return std::nullopt;
    const RunningOrder running(window);
    const TemporaryFile jpeg(SystemDirectory() + MakePhotoFileName());
    if (!jpeg.write(encodeBitmap(sheet, SaveFormat::Jpeg, 24, 2)))
        return std::nullopt;

    window.UploadFileName = jpeg.path();
    window.Order = order;
    window.show();
    window.raise();
    window.repaint();
    const OrderTransfer::Report report = window.btnOKClick();
    if (report.outcome == OrderTransfer::Outcome::ConnectionFailed) {
        hideUploadWindow(window);
        return report;
    }
    window.pacing().pause(kBeforeHiding);
    hideUploadWindow(window);
    openOrderPage(host, orderPageAddress(order.settings.orderPageUrl(), order.sessionNumber));
    return report;
}

void openOrderPage(const DialogHost& host, const QString& address)
{
    TNuvBrowserForm browser(host.owner);
    browser.setWindowState(Qt::WindowMaximized);
    browser.WebBrowser->load(QUrl(address));
    host.run(browser);
}

void OpenInInternetExplorer(const QString& url)
{
    QDesktopServices::openUrl(QUrl(url));
}
