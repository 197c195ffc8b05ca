#include "OrderTestSupport.h"

#include "ordering/FrmNuvBrowser.h"
#include "ordering/OrderEntries.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace order_test {

namespace {

// The browser engine needs its settings before the application object exists.
const bool webEnginePrepared = [] {
    prepareWebEngine();
    return true;
}();

} // namespace

RasterBitmap noiseSheet()
{
    QImage image(1520, 1020, QImage::Format_RGB888);
    QRandomGenerator random(1234);
    for (int y = 0; y < image.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < image.width() * 3; ++x)
            line[x] = static_cast<uchar>(random.bounded(256));
    }
    return RasterBitmap(image);
}

SystemDirectoryScope::SystemDirectoryScope()
    : m_dir(std::make_unique<QTemporaryDir>()), m_path(m_dir->path()), m_previous(qgetenv("TMPDIR"))
{
    qputenv("TMPDIR", m_path.toLocal8Bit());
}

SystemDirectoryScope::SystemDirectoryScope(const QString& path)
    : m_path(path), m_previous(qgetenv("TMPDIR"))
{
    qputenv("TMPDIR", m_path.toLocal8Bit());
}

SystemDirectoryScope::~SystemDirectoryScope()
{
    if (m_previous.isEmpty())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", m_previous);
}

QString SystemDirectoryScope::path() const
{
    return m_path;
}

QStringList SystemDirectoryScope::leftovers() const
{
    return QDir(m_path).entryList({QStringLiteral("PIC*")}, QDir::Files);
}

EventPacing PauseLog::pacing()
{
    return {[this](int milliseconds) {
                pauses.append(milliseconds);
                QCoreApplication::processEvents();
            },
            EventPacing::waitForEvents, [] { QCoreApplication::processEvents(); }};
}

DialogHost OrderPageLog::host(QWidget* owner)
{
    return {owner,
            [this](QDialog& dialog) {
                auto& browser = static_cast<TNuvBrowserForm&>(dialog);
                maximised = browser.windowState().testFlag(Qt::WindowMaximized);
                QSignalSpy loaded(browser.WebBrowser, &QWebEngineView::loadFinished);
                const bool finished = loaded.wait(30000);
                addresses.append(browser.WebBrowser->url().toString());
                renderers.append(browser.WebBrowser->page()->renderProcessPid());
                if (finished) {
                    QString text;
                    bool done = false;
                    browser.WebBrowser->page()->toPlainText([&](const QString& plain) {
                        text = plain;
                        done = true;
                    });
                    if (QTest::qWaitFor([&done] { return done; }, 10000))
                        texts.append(text);
                }
                return 1;
            },
            {}};
}

} // namespace order_test
