#include "TestRegistry.h"

#include "common/PhotoPaths.h"
#include "common/Settings.h"

#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

class PhotoPathsTest : public QObject {
    Q_OBJECT

private:
    // Keeps the tests out of the real user's settings and data.
    QTemporaryDir m_configDir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_configDir.isValid());
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_configDir.path());
    }
    void cleanupTestCase() { QStandardPaths::setTestModeEnabled(false); }

    void photoFileName_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no padding") << QDateTime(QDate(2004, 3, 5), QTime(9, 7, 3, 45))
                                    << QStringLiteral("PIC200435_97345.JPG");
        QTest::newRow("zero fields") << QDateTime(QDate(2005, 1, 1), QTime(10, 0, 0, 0))
                                     << QStringLiteral("PIC200511_10000.JPG");
        QTest::newRow("midnight") << QDateTime(QDate(2000, 10, 10), QTime(0, 0, 0, 0))
                                  << QStringLiteral("PIC20001010_0000.JPG");
        QTest::newRow("every field at its widest")
            << QDateTime(QDate(2024, 12, 31), QTime(23, 59, 59, 999))
            << QStringLiteral("PIC20241231_235959999.JPG");
    }
    void photoFileName()
    {
        QFETCH(QDateTime, now);
        QFETCH(QString, expected);
        QCOMPARE(MakePhotoFileName(now), expected);
    }

    void systemDirectory_data()
    {
        QTest::addColumn<QString>("tmpdir");
        QTest::addColumn<QString>("expected");
        const QString dir = QFileInfo(m_configDir.path()).canonicalFilePath();
        QTest::newRow("separator added") << dir << dir + QLatin1Char('/');
        QTest::newRow("separator kept single") << dir + QLatin1Char('/') << dir + QLatin1Char('/');
        QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/");
    }
    void systemDirectory()
    {
        QFETCH(QString, tmpdir);
        QFETCH(QString, expected);
        const QByteArray saved = qgetenv("TMPDIR");
        const bool hadValue = qEnvironmentVariableIsSet("TMPDIR");
        qputenv("TMPDIR", tmpdir.toLocal8Bit());
        const QString result = SystemDirectory();
        if (hadValue)
            qputenv("TMPDIR", saved);
        else
            qunsetenv("TMPDIR");
        QCOMPARE(result, expected);
    }

    void programFilesDirectory_data()
    {
        QTest::addColumn<QVariant>("configured");
        QTest::addColumn<QString>("expected");
        const QString fallback =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
            QStringLiteral("/TAMSEL/");
        QTest::newRow("unset") << QVariant() << fallback;
        QTest::newRow("empty") << QVariant(QString()) << fallback;
        QTest::newRow("separator added") << QVariant(QStringLiteral("/opt/Program Files"))
                                         << QStringLiteral("/opt/Program Files/");
        QTest::newRow("separator kept single")
            << QVariant(QStringLiteral("/opt/programs/")) << QStringLiteral("/opt/programs/");
        QTest::newRow("root") << QVariant(QStringLiteral("/")) << QStringLiteral("/");
    }
    void programFilesDirectory()
    {
        QFETCH(QVariant, configured);
        QFETCH(QString, expected);
        {
            const auto settings = openSettings();
            if (configured.isValid())
                settings->setValue(QStringLiteral("ProgramFilesDir"), configured);
            else
                settings->remove(QStringLiteral("ProgramFilesDir"));
        }
        QVERIFY(QFileInfo(expected).isAbsolute());
        QCOMPARE(ProgramFilesDirectory(), expected);
        QCOMPARE(FrameDirectory(), expected + QStringLiteral("Common Files/NuvAlbum/Frame/"));
    }

    void settingsKeptUnderVendorAndProduct()
    {
        openSettings()->setValue(QStringLiteral("ProgramFilesDir"), QStringLiteral("/srv"));
        QVERIFY(QFileInfo::exists(m_configDir.filePath(QStringLiteral("TAMSEL/Nuv Sorvel.conf"))));
    }
};

REGISTER_TEST(PhotoPathsTest);
#include "tst_PhotoPaths.moc"
