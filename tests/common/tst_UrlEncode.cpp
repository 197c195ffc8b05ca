#include "TestRegistry.h"

#include "common/UrlEncode.h"

#include <QTest>

class UrlEncodeTest : public QObject {
    Q_OBJECT

private slots:
    void encode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("hangul") << QStringLiteral("증명사진")
                                << QByteArray("%C1%F5%B8%ED%BB%E7%C1%F8");
        QTest::newRow("hangul with space")
            << QStringLiteral("반명함 사진") << QByteArray("%B9%DD%B8%ED%C7%D4+%BB%E7%C1%F8");
        QTest::newRow("reserved ascii")
            << QStringLiteral("a b&c=d/e~") << QByteArray("a+b%26c%3Dd%2Fe%7E");
        const QByteArray copied =
            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789!$'()*-.@_";
        QTest::newRow("every copied character") << QString::fromLatin1(copied) << copied;
        QTest::newRow("every other printable ascii")
            << QStringLiteral(" \"#%&+,/:;<=>?[\\]^`{|}~")
            << QByteArray("+%22%23%25%26%2B%2C%2F%3A%3B%3C%3D%3E%3F%5B%5C%5D%5E%60%7B%7C%7D%7E");
        QTest::newRow("control characters")
            << QStringLiteral("\x01\t\n\r\x7f") << QByteArray("%01%09%0A%0D%7F");
        QTest::newRow("empty") << QString() << QByteArray();
        QTest::newRow("stops at zero")
            << (QStringLiteral("ab") + QChar(0) + QStringLiteral("cd")) << QByteArray("ab");
        QTest::newRow("leading zero") << (QChar(0) + QStringLiteral("x")) << QByteArray();
        // Extended-Hangul trail bytes can be letters, which are copied like any other byte.
        QTest::newRow("code page extension") << QStringLiteral("똠") << QByteArray("%8Cc");
        QTest::newRow("euro sign") << QStringLiteral("€") << QByteArray("%A2%E6");
        QTest::newRow("not in code page") << QStringLiteral("aกb") << QByteArray("a%3Fb");
        QTest::newRow("outside the BMP")
            << QString::fromUtf8("x\xF0\x9F\x98\x80y") << QByteArray("x%3Fy");
        QTest::newRow("lone surrogate")
            << (QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b")) << QByteArray("a%3Fb");
    }
    void encode()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, expected);
        QCOMPARE(UrlEncode(text), expected);
    }
};

REGISTER_TEST(UrlEncodeTest);
#include "tst_UrlEncode.moc"
