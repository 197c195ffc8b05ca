#include "TestRegistry.h"

#include "ordering/OrderForm.h"
#include "ordering/OrderSettings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class OrderFormTest : public QObject {
    Q_OBJECT

private slots:
    // The run's number names the folder and the order.
    void sessionNumberNamesFolderAndOrder_data()
    {
        QTest::addColumn<QString>("session");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("directory");
        QTest::addColumn<QString>("page");
        QTest::newRow("42") << "42" << QByteArray("fc=4") << "TempAlbum/4"
                            << "http://h/PORTRAIT_ok2.asp?id=42";
        QTest::newRow("0") << "0" << QByteArray("fc=0") << "TempAlbum/0"
                           << "http://h/PORTRAIT_ok2.asp?id=0";
        QTest::newRow("seven digits") << "9999998" << QByteArray("fc=9") << "TempAlbum/9"
                                      << "http://h/PORTRAIT_ok2.asp?id=9999998";
    }
    void sessionNumberNamesFolderAndOrder()
    {
        QFETCH(QString, session);
        QFETCH(QByteArray, body);
        QFETCH(QString, directory);
        QFETCH(QString, page);
        const QString key = folderKey(session);
        QCOMPARE(folderRequestBody(key), body);
        QCOMPARE(remoteDirectory(key), directory);
        QCOMPARE(orderPageAddress(QStringLiteral("http://h/PORTRAIT_ok2.asp"), session), page);
    }

    void registrationFieldsInOrder_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("ID photo") << "증명사진" << QByteArray("%C1%F5%B8%ED%BB%E7%C1%F8");
        QTest::newRow("half card, with a space")
            << "반명함 사진" << QByteArray("%B9%DD%B8%ED%C7%D4+%BB%E7%C1%F8");
        QTest::newRow("custom") << "자유지정" << QByteArray("%C0%DA%C0%AF%C1%F6%C1%A4");
    }
    void registrationFieldsInOrder()
    {
        QFETCH(QString, type);
        QFETCH(QByteArray, encoded);
        const RegistrationFields fields{QStringLiteral("42"),     QStringLiteral("PIC2004_1.JPG"),
                                        QStringLiteral("1520"),   QStringLiteral("1020"),
                                        QStringLiteral("812345"), type};
        QCOMPARE(registrationBody(fields),
                 "id=42&imgfile=PIC2004_1.JPG&imgwidth=1520&imgheight=1020&imgsize=812345&type7=" +
                     encoded);
    }

    // Where the service lives comes from the settings, with defaults for what is missing
    // or unusable.
    void settingsAndTheirDefaults_data()
    {
        QTest::addColumn<QVariantMap>("values");
        QTest::addColumn<QString>("makeDir");
        QTest::addColumn<QString>("ftpHost");
        QTest::addColumn<int>("ftpPort");
        QTest::addColumn<QString>("user");
        QTest::addColumn<int>("timeout");
        QTest::newRow("nothing set") << QVariantMap{} << "http://photo.example.com/makedir2.php"
                                     << "photo.example.com" << 21 << "Administrator" << 30;
        QTest::newRow("web address with port and slash; FTP host follows it")
            << QVariantMap{{"ServiceHost", " http://shop.example.org:8080// "}}
            << "http://shop.example.org:8080/makedir2.php"
            << "shop.example.org" << 21 << "Administrator" << 30;
        QTest::newRow("bare host name") << QVariantMap{{"ServiceHost", "shop.example.org"}}
                                        << "http://shop.example.org/makedir2.php"
                                        << "shop.example.org" << 21 << "Administrator" << 30;
        QTest::newRow("everything set") << QVariantMap{{"ServiceHost", "http://127.0.0.1:8080"},
                                                       {"FtpHost", "ftp.example.org"},
                                                       {"FtpPort", 2121},
                                                       {"FtpUser", "orders"},
                                                       {"FtpPassword", "secret"},
                                                       {"RegistrationTimeoutSeconds", 5}}
                                        << "http://127.0.0.1:8080/makedir2.php"
                                        << "ftp.example.org" << 2121 << "orders" << 5;
        QTest::newRow("unusable numbers")
            << QVariantMap{{"FtpPort", "abc"}, {"RegistrationTimeoutSeconds", 0}}
            << "http://photo.example.com/makedir2.php"
            << "photo.example.com" << 21 << "Administrator" << 30;
        QTest::newRow("port out of range, empty web address")
            << QVariantMap{{"ServiceHost", ""}, {"FtpPort", 70000}}
            << "http://photo.example.com/makedir2.php"
            << "photo.example.com" << 21 << "Administrator" << 30;
    }
    void settingsAndTheirDefaults()
    {
        QFETCH(QVariantMap, values);
        QFETCH(QString, makeDir);
        QFETCH(QString, ftpHost);
        QFETCH(int, ftpPort);
        QFETCH(QString, user);
        QFETCH(int, timeout);
        QTemporaryDir dir;
        QSettings settings(dir.filePath(QStringLiteral("order.ini")), QSettings::IniFormat);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            settings.setValue(it.key(), it.value());
        const OrderSettings order = readOrderSettings(settings);
        QCOMPARE(order.makeDirUrl(), makeDir);
        QCOMPARE(order.ftp.host, ftpHost);
        QCOMPARE(order.ftp.port, ftpPort);
        QCOMPARE(order.ftp.user, user);
        QCOMPARE(order.registrationTimeoutSeconds, timeout);
        QVERIFY(order.sendResultUrl().endsWith(QStringLiteral("/sendresult1.asp")));
        QVERIFY(order.orderPageUrl().endsWith(QStringLiteral("/PORTRAIT_ok2.asp")));
    }
};

REGISTER_TEST(OrderFormTest);
#include "tst_OrderForm.moc"
