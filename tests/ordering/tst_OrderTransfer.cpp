#include "OrderTestSupport.h"
#include "RecordingMessageSink.h"
#include "TestData.h"
#include "TestRegistry.h"
#include "tools/print-service/PrintServiceProcess.h"

#include "common/UrlEncode.h"
#include "ordering/FrmTransData.h"
#include "ordering/OrderEntries.h"
#include "raster/BitmapIO.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace order_test;

namespace {

const QString kCustomType = QStringLiteral("자유지정");
const QString kClosingTitle = QStringLiteral("★ 주문 페이지로 이동 합니다. ");
const QString kFolderMessage =
    QStringLiteral("FTP Server에 접근할 수 없습니다.\n관련 폴더를 만들수 없습니다.");
const QRegularExpression kPhotoName(QStringLiteral("^PIC\\d+_\\d+\\.JPG$"));

// The main window's part in an order: the workspace panel that holds the upload window.
struct OrderBench {
    QWidget panel;
    TTransDataForm* window = new TTransDataForm(&panel);
    PauseLog pauses;
    OrderPageLog pages;
    RecordingMessageSink messages;
    RasterBitmap sheet = noiseSheet();

    OrderBench()
    {
        panel.resize(723, 513);
        window->setPacing(pauses.pacing());
    }

    std::optional<OrderTransfer::Report> order(const OrderSettings& settings,
                                               const QString& session = QStringLiteral("42"),
                                               const QString& type = kCustomType)
    {
        return OrderPrints(pages.host(&panel), *window, sheet, {settings, session, type, {}});
    }
};

QStringList column(const QList<QStringList>& rows, int index = 0)
{
    QStringList values;
    for (const QStringList& row : rows)
        values.append(row.value(index));
    return values;
}

QByteArray hexColumn(const PrintServiceProcess& service, const QString& sql)
{
    return QByteArray::fromHex(service.query(sql).value(0).value(0).toLatin1());
}

} // namespace

class OrderTransferTest : public QObject {
    Q_OBJECT

private slots:
    // An order against the healthy service sends exactly the requests of the order
    // sequence, and the order page sees the registration's cookie.
    void orderSendsTheRequestsInOrder()
    {
        const SystemDirectoryScope system;
        PrintServiceProcess service;
        QVERIFY(service.started());
        OrderBench bench;

        const auto report = bench.order(service.settings());
        QVERIFY(report);
        QCOMPARE(int(report->outcome), int(OrderTransfer::Outcome::Sent));
        QVERIFY(!report->registrationTimedOut);
        QVERIFY(bench.messages.messages.isEmpty());

        const auto http = service.query(QStringLiteral(
            "SELECT method, path, query, content_type, accept, user_agent, hex(body) "
            "FROM http_requests WHERE path NOT LIKE '/album/%' AND path != '/favicon.ico' "
            "ORDER BY id"));
        QCOMPARE(column(http, 1),
                 (QStringList{QStringLiteral("/makedir2.php"), QStringLiteral("/sendresult1.asp"),
                              QStringLiteral("/PORTRAIT_ok2.asp")}));
        QCOMPARE(http[0][0], QStringLiteral("POST"));
        QCOMPARE(QByteArray::fromHex(http[0][6].toLatin1()), QByteArray("fc=4"));
        QCOMPARE(http[0][3], QStringLiteral("application/x-www-form-urlencoded"));
        QCOMPARE(http[0][4], QStringLiteral("text/html, */*"));
        QCOMPARE(http[0][5], QStringLiteral("Mozilla/3.0 (compatible; Indy Library)"));
        QCOMPARE(http[1][3], QStringLiteral("application/x-www-form-urlencoded"));
        QCOMPARE(http[2][2], QStringLiteral("id=42"));

        const QStringList ftp =
            column(service.query(QStringLiteral("SELECT line FROM ftp_commands ORDER BY id")));
        QCOMPARE(ftp.size(), 8);
        QCOMPARE(ftp.mid(0, 4),
                 (QStringList{QStringLiteral("USER Administrator"), QStringLiteral("PASS 4181926"),
                              QStringLiteral("PWD"), QStringLiteral("CWD TempAlbum/4")}));
        QVERIFY2(ftp[4].startsWith(QStringLiteral("PORT 127,0,0,1,")), qPrintable(ftp[4]));
        QCOMPARE(ftp[5], QStringLiteral("TYPE I"));
        QVERIFY2(ftp[6].startsWith(QStringLiteral("STOR ")), qPrintable(ftp[6]));
        const QString remoteName = ftp[6].mid(5);
        QVERIFY2(kPhotoName.match(remoteName).hasMatch(), qPrintable(remoteName));

        const auto stored = service.query(QStringLiteral("SELECT path, size FROM ftp_files"));
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored[0][0], QStringLiteral("TempAlbum/4/") + remoteName);
        const QString size = stored[0][1];
        QCOMPARE(QFileInfo(service.root() + QStringLiteral("/TempAlbum/4/") + remoteName).size(),
                 size.toLongLong());
        // The upload is the very file the program's JPEG save writes for the sheet.
        const QTemporaryDir elsewhere;
        const QString saved = elsewhere.filePath(QStringLiteral("saved.jpg"));
        QVERIFY(saveBitmap(saved, bench.sheet, SaveFormat::Jpeg, 24));
        QCOMPARE(test_data::readFile(service.root() + QStringLiteral("/TempAlbum/4/") + remoteName),
                 test_data::readFile(saved));

        const QByteArray expectedBody = "id=42&imgfile=" + remoteName.toLatin1() +
                                        "&imgwidth=1520&imgheight=1020&imgsize=" + size.toLatin1() +
                                        "&type7=%C0%DA%C0%AF%C1%F6%C1%A4";
        QCOMPARE(hexColumn(service, QStringLiteral("SELECT hex(body) FROM http_requests "
                                                   "WHERE path = '/sendresult1.asp'")),
                 expectedBody);

        // The order page came back with the cookie the registration set.
        const auto registration =
            service.query(QStringLiteral("SELECT order_id, type7, cookie FROM registrations"));
        QCOMPARE(registration.size(), 1);
        QCOMPARE(registration[0][1], kCustomType);
        const auto page = service.query(
            QStringLiteral("SELECT cookie FROM http_requests WHERE path = '/PORTRAIT_ok2.asp'"));
        QVERIFY(page[0][0].contains(QStringLiteral("NUVSESSION=") + registration[0][2]));
        QCOMPARE(bench.pages.addresses,
                 QStringList{service.settings().orderPageUrl() + QStringLiteral("?id=42")});
        QVERIFY(bench.pages.maximised);
        QVERIFY2(bench.pages.texts.value(0).contains(QStringLiteral("세션 쿠키 확인됨")),
                 qPrintable(bench.pages.texts.value(0)));
        // Drawn by the renderer process the registration page used: no process was
        // started for it.
        QCOMPARE(bench.pages.renderers.value(0), bench.window->Web->page()->renderProcessPid());

        // The window's closing texts, the measured sheet, and no JPEG left.
        QVERIFY(bench.window->isHidden());
        QCOMPARE(bench.window->lblTransferTitle->text(), kClosingTitle);
        QCOMPARE(bench.window->lblInfoResult1->text(), QStringLiteral("★ 전 송 요 청 : 1 건"));
        QCOMPARE(bench.window->lblInfoResult2->text(), QStringLiteral("★ 전 송 결 과 : 1 건"));
        QCOMPARE(bench.window->transfer().ImageWidthText, QStringLiteral("1520"));
        QCOMPARE(bench.window->transfer().ImageHeightText, QStringLiteral("1020"));
        QCOMPARE(bench.window->Gauge->value(), bench.window->Gauge->maximum());
        QVERIFY(!bench.window->btnOK->isEnabled());
        QVERIFY(system.leftovers().isEmpty());
        // The prescribed pauses, in their order, with 1 ms for each step of the gauge.
        QList<int> fixed = bench.pauses.pauses;
        const qsizetype steps = fixed.removeAll(1);
        QCOMPARE(fixed, (QList<int>{10, 100, 1000, 10}));
        QVERIFY(steps >= 2);
    }

    // A second order of the run uses the same folder and id, stores a second file, and
    // starts with the texts the first one left.
    void secondOrderAddsASecondFile()
    {
        const SystemDirectoryScope system;
        PrintServiceProcess service;
        QVERIFY(service.started());
        OrderBench bench;
        QVERIFY(bench.order(service.settings(), QStringLiteral("7")));
        QString titleAtSecondStart;
        bench.window->transfer().beforeUpload = [&] {
            titleAtSecondStart = bench.window->lblTransferTitle->text();
        };
        QThread::msleep(5); // the clock moves on, so the remote name differs
        QVERIFY(bench.order(service.settings(), QStringLiteral("7")));

        QCOMPARE(titleAtSecondStart, kClosingTitle);
        const QStringList files =
            column(service.query(QStringLiteral("SELECT path FROM ftp_files")));
        QCOMPARE(files.size(), 2);
        QVERIFY(files[0] != files[1]);
        for (const QString& file : files)
            QVERIFY(file.startsWith(QStringLiteral("TempAlbum/7/PIC")));
        QCOMPARE(column(service.query(QStringLiteral("SELECT order_id FROM registrations"))),
                 (QStringList{QStringLiteral("7"), QStringLiteral("7")}));
        QCOMPARE(bench.pages.addresses.size(), 2);
        QCOMPARE(bench.pages.addresses[0], bench.pages.addresses[1]);
        QVERIFY(bench.pages.texts.value(1).contains(QStringLiteral("2장")));
        QVERIFY(system.leftovers().isEmpty());
    }

    // Every fault ends in its outcome with the JPEG gone, within the limits, and the next
    // order against a healthy service goes through.
    void faultsEndCleanly_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("message"); // start of the message; empty: none
        QTest::addColumn<bool>("orderPage");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("stored");

        const int folder = int(OrderTransfer::Outcome::FolderRefused);
        const int connection = int(OrderTransfer::Outcome::ConnectionFailed);
        const QString ftpMessage = QStringLiteral("사진 전송 서버에 연결하지 못해");
        const QString untouched = QStringLiteral("전송 중입니다. ");
        QTest::newRow("service not running")
            << "down" << folder << kFolderMessage << true << untouched << 0;
        QTest::newRow("HTTP 500 on the folder request")
            << "makedir-500" << folder << kFolderMessage << true << untouched << 0;
        QTest::newRow("FTP login refused")
            << "ftp-login" << connection << ftpMessage << false << untouched << 0;
        QTest::newRow("CWD refused")
            << "ftp-cwd" << connection << ftpMessage << false << untouched << 0;
        QTest::newRow("connection cut during STOR")
            << "ftp-cut" << int(OrderTransfer::Outcome::UploadFailed) << QString() << true
            << QStringLiteral("화일 업로드 실패. -> ") << 0;
        QTest::newRow("registration page never completes")
            << "registration-hang" << int(OrderTransfer::Outcome::Sent) << QString() << true
            << kClosingTitle << 1;
        QTest::newRow("local file removed before the upload")
            << "remove-file" << int(OrderTransfer::Outcome::FileMissing) << QString() << true
            << kClosingTitle << 0;
        QTest::newRow("system directory not writable")
            << "unwritable" << -1 << QString() << false << untouched << 0;
    }
    void faultsEndCleanly()
    {
        QFETCH(QString, fault);
        QFETCH(int, outcome);
        QFETCH(QString, message);
        QFETCH(bool, orderPage);
        QFETCH(QString, title);
        QFETCH(int, stored);

        const SystemDirectoryScope system;
        OrderBench bench;
        const bool serverFault = fault.contains(u'-') && fault != QStringLiteral("remove-file");
        PrintServiceProcess service(serverFault ? QStringList{fault} : QStringList{});
        QVERIFY(service.started());
        constexpr int limitSeconds = 2;
        OrderSettings settings = service.settings(limitSeconds);
        if (fault == QStringLiteral("down"))
            service.stop();
        if (fault == QStringLiteral("remove-file")) {
            bench.window->transfer().beforeUpload = [&bench] {
                QVERIFY(QFile::remove(bench.window->UploadFileName));
            };
        }
        // A file where the directory should be: the JPEG cannot be written (even as root).
        std::optional<SystemDirectoryScope> unwritable;
        if (fault == QStringLiteral("unwritable")) {
            const QString blocker = system.path() + QStringLiteral("/not-a-folder");
            QVERIFY(test_data::writeFile(blocker, "x"));
            unwritable.emplace(blocker);
        }

        QElapsedTimer clock;
        clock.start();
        const auto report = bench.order(settings);
        const qint64 elapsed = clock.elapsed();

        QCOMPARE(report ? int(report->outcome) : -1, outcome);
        QVERIFY2(elapsed < (limitSeconds + 10) * 1000, qPrintable(QString::number(elapsed)));
        if (message.isEmpty()) {
            QVERIFY(bench.messages.messages.isEmpty());
        } else {
            QCOMPARE(bench.messages.messages.size(), 1);
            QCOMPARE(bench.messages.messages[0].first, QStringLiteral("Nuv Album"));
            QVERIFY2(bench.messages.messages[0].second.startsWith(message),
                     qPrintable(bench.messages.messages[0].second));
        }
        if (outcome == int(OrderTransfer::Outcome::ConnectionFailed)) // the client's own error text
                                                                      // follows the sentence
            QVERIFY(bench.messages.messages[0].second.section(u'\n', 1).size() > 0);
        QCOMPARE(bench.pages.addresses.size(), orderPage ? 1 : 0);
        QVERIFY(bench.window->isHidden());
        QVERIFY2(bench.window->lblTransferTitle->text().startsWith(title),
                 qPrintable(bench.window->lblTransferTitle->text()));
        QCOMPARE(service.query(QStringLiteral("SELECT id FROM ftp_files")).size(), stored);
        if (fault == QStringLiteral("registration-hang")) {
            QVERIFY(report->registrationTimedOut);
            QVERIFY(!bench.window->lblInfoResult3->text().isEmpty());
        }
        if (outcome == int(OrderTransfer::Outcome::UploadFailed) ||
            outcome == int(OrderTransfer::Outcome::FileMissing)) {
            QVERIFY(service.query(QStringLiteral("SELECT id FROM registrations")).isEmpty());
            QCOMPARE(bench.window->lblInfoResult2->text(), QStringLiteral("★ 전 송 결 과 : 1 건"));
        }
        QVERIFY(system.leftovers().isEmpty());
        unwritable.reset();

        // The program goes on: the next order against a healthy service succeeds.
        PrintServiceProcess healthy;
        QVERIFY(healthy.started());
        bench.window->transfer().beforeUpload = {};
        bench.messages.messages.clear();
        const auto next = bench.order(healthy.settings());
        QVERIFY(next);
        QCOMPARE(int(next->outcome), int(OrderTransfer::Outcome::Sent));
        QVERIFY(!next->registrationTimedOut);
        QCOMPARE(healthy.query(QStringLiteral("SELECT id FROM registrations")).size(), 1);
        QVERIFY(bench.messages.messages.isEmpty());
        QVERIFY(system.leftovers().isEmpty());
    }

    // While an order runs (events are processed), a second one is refused.
    void secondOrderIsIgnoredWhileOneRuns()
    {
        const SystemDirectoryScope system;
        PrintServiceProcess service;
        QVERIFY(service.started());
        OrderBench bench;
        std::optional<std::optional<OrderTransfer::Report>> nested;
        bench.window->transfer().beforeUpload = [&] { nested = bench.order(service.settings()); };
        QVERIFY(bench.order(service.settings()));
        QVERIFY(nested.has_value());
        QVERIFY(!nested->has_value());
        QCOMPARE(service.query(QStringLiteral("SELECT id FROM ftp_files")).size(), 1);
        QVERIFY(!bench.window->orderRunning());
    }
};

REGISTER_TEST(OrderTransferTest);
#include "tst_OrderTransfer.moc"
