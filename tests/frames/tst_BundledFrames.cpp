#include "TestData.h"
#include "TestRegistry.h"

#include "effects/_NuvFrame.h"
#include "frames/BundledFrames.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

QStringList bundledNames()
{
    QStringList names;
    for (const QString& path : bundledFrames())
        names << QFileInfo(path).fileName();
    return names;
}

QStringList entries(const QString& dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Which pixels of the framed picture differ from what they must be: the photo exactly inside
// its place, and outside it never the black that Compose leaves where no piece lies nor the
// photo's colour. Our frames draw no pure black, so black outside the photo is a gap.
int wrongPixels(const RasterBitmap& framed, const QRect& photoPlace, QRgb photoColour)
{
    int wrong = 0;
    const QRgb black = qRgb(0, 0, 0);
    for (int y = 0; y < framed.height(); ++y) {
        for (int x = 0; x < framed.width(); ++x) {
            const QRgb pixel = framed.image().pixel(x, y);
            if (photoPlace.contains(x, y) ? pixel != photoColour
                                          : pixel == black || pixel == photoColour)
                ++wrong;
        }
    }
    return wrong;
}

} // namespace

class BundledFramesTest : public QObject {
    Q_OBJECT

private slots:
    void freshDirectoryGetsEveryFrame()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QStringList names = bundledNames();
        QVERIFY2(names.size() >= 6, qPrintable(names.join(' ')));

        const FrameInstallResult result = installBundledFrames(dir.path());
        QVERIFY(!result.hadFrames);
        QCOMPARE(result.copied, names);
        QVERIFY(result.skipped.isEmpty());
        QVERIFY(result.failed.isEmpty());
        for (const QString& path : bundledFrames()) {
            const QString copy = dir.filePath(QFileInfo(path).fileName());
            QCOMPARE(test_data::readFile(copy), test_data::readFile(path));
            // The user may delete or replace the program's frames like their own.
            QVERIFY(QFileInfo(copy).isWritable());
        }

        // The next start finds frames and leaves them alone.
        const FrameInstallResult again = installBundledFrames(dir.path());
        QVERIFY(again.hadFrames);
        QVERIFY(again.copied.isEmpty());
        QCOMPARE(entries(dir.path()), names);
    }

    void directoryWithUserFramesIsLeftAlone_data()
    {
        QTest::addColumn<QString>("userFile");
        QTest::newRow("own frame") << "Rose.nfrm";
        QTest::newRow("upper-case extension") << "ROSE.NFRM";
        QTest::newRow("hidden frame") << ".rose.nfrm";
        QTest::newRow("bundled name, user's content") << bundledNames().value(0);
    }

    void directoryWithUserFramesIsLeftAlone()
    {
        QFETCH(QString, userFile);
        QTemporaryDir dir;
        const QByteArray mine("the user's own bytes");
        QVERIFY(test_data::writeFile(dir.filePath(userFile), mine));

        const FrameInstallResult result = installBundledFrames(dir.path());
        QVERIFY(result.hadFrames);
        QVERIFY(result.copied.isEmpty());
        QCOMPARE(entries(dir.path()), QStringList{userFile});
        QCOMPARE(test_data::readFile(dir.filePath(userFile)), mine);
    }

    // Without a frame file the copy runs, but a name already taken keeps what holds it: a
    // folder named like a frame, or a picture named like a frame's thumbnail, which the
    // picker would otherwise show for that frame for ever.
    void takenNamesAreKept()
    {
        QTemporaryDir dir;
        const QStringList names = bundledNames();
        QVERIFY(names.size() >= 2);
        const QString folderName = names[0];
        const QString thumbnailName = QFileInfo(names[1]).completeBaseName() + ".BMP";
        QVERIFY(QDir(dir.path()).mkdir(folderName));
        const QByteArray picture("a picture of the user's");
        QVERIFY(test_data::writeFile(dir.filePath(thumbnailName), picture));
        QVERIFY(test_data::writeFile(dir.filePath("notes.txt"), "not a frame"));

        const FrameInstallResult result = installBundledFrames(dir.path());
        QVERIFY(!result.hadFrames);
        QCOMPARE(result.skipped, (QStringList{names[0], names[1]}));
        QCOMPARE(result.copied, names.mid(2));
        QVERIFY(result.failed.isEmpty());
        QVERIFY(QFileInfo(dir.filePath(folderName)).isDir());
        QVERIFY(entries(dir.filePath(folderName)).isEmpty());
        QCOMPARE(test_data::readFile(dir.filePath(thumbnailName)), picture);
        QVERIFY(!QFileInfo::exists(dir.filePath(names[1])));
    }

    void unwritableDirectoryFailsQuietly_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("below a plain file") << "file";
        QTest::newRow("read-only") << "read-only";
        QTest::newRow("empty path") << "empty";
    }

    void unwritableDirectoryFailsQuietly()
    {
        QFETCH(QString, kind);
        QTemporaryDir dir;
        QString target = dir.filePath("Frame");
        const QStringList workingDirectory = entries(QDir::currentPath());
        if (kind == "empty") {
            target.clear();
        } else if (kind == "file") {
            QVERIFY(test_data::writeFile(target, "a file, not a folder"));
            target += "/Frame";
        } else if (kind == "read-only") {
            if (geteuid() == 0)
                QSKIP("permissions do not stop root");
            QVERIFY(QDir().mkdir(target));
            QVERIFY(QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner));
        }

        const FrameInstallResult result = installBundledFrames(target);
        QVERIFY(result.copied.isEmpty());
        QCOMPARE(result.failed, bundledNames());
        const bool frameEntry = kind == "file" || kind == "read-only";
        QCOMPARE(entries(dir.path()), frameEntry ? QStringList{"Frame"} : QStringList{});
        QCOMPARE(entries(QDir::currentPath()), workingDirectory);
        if (kind == "read-only")
            QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Every frame, around the picker's thumbnail area, the smallest custom size, the ID and
    // the business-card photo, and the largest custom size: the photo lies whole in its place
    // and the frame covers everything around it.
    void everyFrameComposesAroundPhotos_data()
    {
        QTest::addColumn<QString>("frameFile");
        QTest::addColumn<QSize>("photoSize");
        const QList<QSize> sizes{{100, 100}, {200, 200}, {250, 300}, {500, 700}, {999, 799}};
        for (const QString& path : bundledFrames()) {
            for (const QSize& size : sizes) {
                const QString row = QStringLiteral("%1 %2x%3")
                                        .arg(QFileInfo(path).completeBaseName())
                                        .arg(size.width())
                                        .arg(size.height());
                QTest::newRow(qPrintable(row)) << path << size;
            }
        }
    }

    void everyFrameComposesAroundPhotos()
    {
        QFETCH(QString, frameFile);
        QFETCH(QSize, photoSize);
        TNuvFrame frame;
        frame.LoadFromFile(frameFile);
        const TNuvFrameHeader& header = frame.FrameHeader;
        QVERIFY(frame.FrameImage.IsLoaded());
        const QString title = header.title();
        QVERIFY(!title.isEmpty());
        QVERIFY2(!title.contains(QChar::ReplacementCharacter), qPrintable(title));
        QVERIFY2(title.contains(QRegularExpression("\\p{Hangul}")), qPrintable(title));

        const QRgb photoColour = qRgb(255, 0, 255);
        RasterBitmap photo(QImage(photoSize, QImage::Format_RGB888));
        photo.image().fill(photoColour);
        QVERIFY(framePhoto(frame, photo));
        QCOMPARE(photo.width(), photoSize.width() + header.ExtraWidth);
        QCOMPARE(photo.height(), photoSize.height() + header.ExtraHeight);
        QCOMPARE(
            wrongPixels(photo, QRect({header.PhotoLeft, header.PhotoTop}, photoSize), photoColour),
            0);
    }
};

REGISTER_TEST(BundledFramesTest);
#include "tst_BundledFrames.moc"
