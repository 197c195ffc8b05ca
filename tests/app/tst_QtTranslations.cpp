#include "TestRegistry.h"

#include "app/QtTranslations.h"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

// The standard dialogs take their texts from Qt's catalogues; once installed, the buttons
// of the message boxes and the file dialog's labels are Korean.
class QtTranslationsTest : public QObject {
    Q_OBJECT
private slots:
    void standardTexts_data()
    {
        QTest::addColumn<QByteArray>("context");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QString>("korean");
        QTest::newRow("message box OK")
            << QByteArray("QPlatformTheme") << QByteArray("OK") << QStringLiteral("확인");
        QTest::newRow("cancel") << QByteArray("QPlatformTheme") << QByteArray("Cancel")
                                << QStringLiteral("취소");
        QTest::newRow("file dialog: open")
            << QByteArray("QFileDialog") << QByteArray("&Open") << QStringLiteral("열기(&O)");
        QTest::newRow("file dialog: file name")
            << QByteArray("QFileDialog") << QByteArray("File &name:")
            << QStringLiteral("파일 이름(&N):");
    }

    void standardTexts()
    {
        QFETCH(QByteArray, context);
        QFETCH(QByteArray, source);
        QFETCH(QString, korean);
        QCoreApplication& application = *QCoreApplication::instance();
        QVERIFY(installQtKoreanTranslations(application));
        QCOMPARE(QCoreApplication::translate(context.constData(), source.constData()), korean);
        // Deleting a translator takes it out again, for the tests that follow.
        qDeleteAll(application.findChildren<QTranslator*>(Qt::FindDirectChildrenOnly));
        QCOMPARE(QCoreApplication::translate(context.constData(), source.constData()),
                 QString::fromLatin1(source));
    }
};

REGISTER_TEST(QtTranslationsTest);
#include "tst_QtTranslations.moc"
