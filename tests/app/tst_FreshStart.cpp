#include "TestData.h"
#include "TestRegistry.h"

#include "app/FrmMain.h"
#include "common/PhotoPaths.h"
#include "common/Settings.h"
#include "frames/BundledFrames.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

// Starting the main window puts the program's frames into a frame directory without any,
// and leaves a directory with the user's frames as it is.
class FreshStartTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_settingsDir.isValid());
        QStandardPaths::setTestModeEnabled(true);
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
    }

    void startFillsTheFrameDirectory_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<bool>("bundledExpected");
        QTest::newRow("not there yet") << QStringList{} << true;
        QTest::newRow("created earlier, empty") << QStringList{"."} << true;
        QTest::newRow("the user's frame") << QStringList{"Rose.nfrm"} << false;
    }

    void startFillsTheFrameDirectory()
    {
        QFETCH(QStringList, before);
        QFETCH(bool, bundledExpected);
        QTemporaryDir programFiles;
        openSettings()->setValue(QStringLiteral("ProgramFilesDir"), programFiles.path());
        const QString frames = FrameDirectory();
        for (const QString& name : before) {
            QVERIFY(QDir().mkpath(frames));
            if (name != ".")
                QVERIFY(test_data::writeFile(frames + name, "the user's frame"));
        }

        {
            TMainForm form;
        }

        QStringList expected = before.filter(".nfrm");
        if (bundledExpected) {
            for (const QString& path : bundledFrames())
                expected << QFileInfo(path).fileName();
        }
        QCOMPARE(QDir(frames).entryList(QDir::Files, QDir::Name), expected);
        openSettings()->remove(QStringLiteral("ProgramFilesDir"));
    }

private:
    QTemporaryDir m_settingsDir;
};

REGISTER_TEST(FreshStartTest);
#include "tst_FreshStart.moc"
