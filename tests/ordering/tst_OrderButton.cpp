#include "OrderTestSupport.h"
#include "RecordingMessageSink.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "tools/print-service/PrintServiceProcess.h"

#include "app/FrmMain.h"
#include "app/WorkspaceScrollView.h"
#include "common/Settings.h"
#include "ordering/FrmNuvBrowser.h"
#include "ordering/FrmTransData.h"
#include "ui/SkinImage.h"

#include <QDesktopServices>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QWebEngineView>

using namespace order_test;

namespace {

const QStringList kServiceKeys{QStringLiteral("ServiceHost"), QStringLiteral("FtpHost"),
                               QStringLiteral("FtpPort"),
                               QStringLiteral("RegistrationTimeoutSeconds")};

// The print service's address in the program's settings for the scope's lifetime.
class ServiceSettingsScope {
public:
    explicit ServiceSettingsScope(const OrderSettings& order)
    {
        const auto settings = openSettings();
        settings->setValue(QStringLiteral("ServiceHost"), order.serviceHost);
        settings->setValue(QStringLiteral("FtpHost"), order.ftp.host);
        settings->setValue(QStringLiteral("FtpPort"), order.ftp.port);
    }
    ~ServiceSettingsScope()
    {
        const auto settings = openSettings();
        for (const QString& key : kServiceKeys)
            settings->remove(key);
    }
    ServiceSettingsScope(const ServiceSettingsScope&) = delete;
    ServiceSettingsScope& operator=(const ServiceSettingsScope&) = delete;
};

// Keeps the addresses the desktop was asked to open.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    UrlRecorder() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "open"); }
    ~UrlRecorder() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
    QStringList opened;
public slots:
    void open(const QUrl& url) { opened.append(url.toString()); }
};

void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(5, 5));
}

void makeSheet(TMainForm& form)
{
    form.OpenPhotoFile(test_data::testDataPath(QStringLiteral("portrait.jpg")));
    form.MakeSheet();
}

} // namespace

class OrderButtonTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void uploadWindowWaitsHiddenInTheWorkspace()
    {
        TMainForm form;
        TTransDataForm* window = form.TransDataForm;
        QVERIFY(window);
        QCOMPARE(window->parentWidget(), form.pnlWorkMainPanel);
        QVERIFY(window->isHidden());
        QCOMPARE(window->geometry(), QRect((723 - 324) / 2, (513 - 193) / 2, 324, 193));
        // The browser engine starts only with the first order.
        QVERIFY(!window->Web);
    }

    // Before a sheet exists the order button points at the missing step and sends nothing.
    void orderRefusedBeforeTheSheet_data()
    {
        QTest::addColumn<bool>("loaded");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("waits"); // of the blinking Open button
        QTest::newRow("no photo") << false << QStringList() << 5;
        QTest::newRow("photo, no sheet")
            << true << QStringList{QStringLiteral("만든 사진이 없습니다.")} << 0;
    }
    void orderRefusedBeforeTheSheet()
    {
        QFETCH(bool, loaded);
        QFETCH(QStringList, messages);
        QFETCH(int, waits);
        const SystemDirectoryScope system;
        RecordingMessageSink sink;
        TMainForm form;
        int slept = 0;
        form.setSleepFunction([&slept](int) { ++slept; });
        if (loaded)
            form.OpenPhotoFile(test_data::testDataPath(QStringLiteral("portrait.jpg")));
        click(form.imgDefault[4]);
        QStringList shown;
        for (const auto& message : sink.messages) {
            QCOMPARE(message.first, QStringLiteral("Nuv Sorvel"));
            shown.append(message.second);
        }
        QCOMPARE(shown, messages);
        QCOMPARE(slept, waits);
        QVERIFY(form.TransDataForm->isHidden());
        QVERIFY(system.leftovers().isEmpty());
    }

    // With the program's own pauses the main window keeps processing events and
    // repainting throughout an order, and the button is ignored meanwhile.
    void mainWindowStaysResponsiveDuringAnOrder()
    {
        const SystemDirectoryScope system;
        PrintServiceProcess service;
        QVERIFY(service.started());
        const ServiceSettingsScope settings(service.settings());
        RecordingMessageSink sink;
        TMainForm form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        makeSheet(form);
        QVERIFY(form.SheetMade);

        int ticks = 0;
        int paints = 0;
        int visibleTicks = 0;
        QTimer timer;
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, &form, [&] {
            ++ticks;
            if (form.TransDataForm->isVisible())
                ++visibleTicks;
            form.ScrollView->viewport()->repaint();
            ++paints;
            click(form.imgDefault[4]); // a second press while the order runs
        });
        QStringList pages;
        form.setModalRunner([&](QDialog& dialog) {
            auto& browser = static_cast<TNuvBrowserForm&>(dialog);
            const QWebEngineView* view = browser.WebBrowser;
            if (!QTest::qWaitFor([view] { return !view->url().isEmpty(); }, 20000))
                return 1;
            pages.append(view->url().toString());
            return 1;
        });
        timer.start();
        QElapsedTimer clock;
        clock.start();
        click(form.imgDefaultUP[4]);
        const qint64 elapsed = clock.elapsed();
        timer.stop();

        QVERIFY2(elapsed >= 1100, qPrintable(QString::number(elapsed))); // the 1 s pause
        // At least half the ticks an idle loop would give; the window was up meanwhile.
        QVERIFY2(ticks >= elapsed / 20 / 2,
                 qPrintable(QStringLiteral("%1 ticks in %2 ms").arg(ticks).arg(elapsed)));
        QVERIFY(visibleTicks > 0);
        QVERIFY(paints > 0);
        QCOMPARE(service.query(QStringLiteral("SELECT id FROM ftp_files")).size(), 1);
        QCOMPARE(service.query(QStringLiteral("SELECT order_id FROM registrations")),
                 (QList<QStringList>{{form.SessionNumber}}));
        QCOMPARE(sink.messages.size(), 0);
        QVERIFY(form.TransDataForm->isHidden());
        QVERIFY(system.leftovers().isEmpty());
        QCOMPARE(pages.size(), 1);
        QVERIFY(pages[0].endsWith(QStringLiteral("/PORTRAIT_ok2.asp?id=") + form.SessionNumber));
    }

    // The two links open the service's pages in the desktop's browser.
    void linksOpenTheServicePages_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("address");
        QTest::newRow("picture print") << "imgGoPicPrint"
                                       << "http://shop.example.org:8080/ActiveUP.asp";
        QTest::newRow("service site") << "imgGoNuvAlbum"
                                      << "http://shop.example.org:8080/";
    }
    void linksOpenTheServicePages()
    {
        QFETCH(QString, link);
        QFETCH(QString, address);
        OrderSettings order;
        order.serviceHost = QStringLiteral("http://shop.example.org:8080");
        const ServiceSettingsScope settings(order);
        UrlRecorder desktop;
        TMainForm form;
        auto* image = form.findChild<SkinImage*>(link);
        QVERIFY(image);
        click(image);
        QCOMPARE(desktop.opened, QStringList{address});
        QCOMPARE(form.imgGoNuvAlbum->toolTip(), QStringLiteral("http://shop.example.org:8080/"));
    }
};

REGISTER_TEST(OrderButtonTest);
#include "tst_OrderButton.moc"
