#include "EffectsTestSupport.h"
#include "PictureBytes.h"
#include "TestData.h"
#include "TestRegistry.h"

#include "effects/EffectEntries.h"
#include "effects/EffectPreview.h"
#include "effects/FrameCatalog.h"
#include "effects/FrameThumbnail.h"
#include "effects/FrmInputFrame.h"
#include "raster/BitmapIO.h"
#include "raster/BitmapOps.h"
#include "raster/BitmapPainter.h"
#include "tools/nfrm-make/FrameFileWriter.h"
#include "ui/DialogHost.h"
#include "ui/PreviewBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMetaObject>
#include <QPushButton>
#include <QScrollArea>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using effects_test::makePicture;
using effects_test::paintedCanvas;
using picture_bytes::encoded;
using picture_bytes::filled;

namespace {

// A frame directory filled with frames made by the frame maker's writer. Each frame is a
// stretched border of one colour, so a preview shows which frame it wears.
class FrameFolder {
public:
    QString path() const { return m_dir.path() + u'/'; }
    QString file(const QString& name) const { return path() + name; }

    bool add(const QString& name, const QString& title, QColor colour, int border = 10) const
    {
        TNuvFrameHeader header;
        setBorder(header, border);
        header.StretchEdges = 1;
        header.setTitle(title);
        return write(name, frameFile(header, encoded(filled(30, 30, colour))));
    }

    bool write(const QString& name, const QByteArray& bytes) const
    {
        return test_data::writeFile(file(name), bytes);
    }

private:
    QTemporaryDir m_dir;
};

// A frame file whose header reads but whose picture block is cut short.
QByteArray cutShortFrame(const QString& title)
{
    TNuvFrameHeader header;
    setBorder(header, 10);
    header.setTitle(title);
    return frameFile(header, encoded(filled(30, 30, Qt::red))).chopped(20);
}

// While alive, the directory cannot be written: its mode says so, and a test run as root
// (whom the mode does not stop) acts as nobody meanwhile.
class ReadOnlyDirectory {
public:
    explicit ReadOnlyDirectory(const QString& path) : m_path(path)
    {
        QFile::setPermissions(path, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                        QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
        if (geteuid() == 0)
            m_droppedRoot = seteuid(65534) == 0;
    }
    ~ReadOnlyDirectory()
    {
        if (m_droppedRoot && seteuid(0) != 0)
            qFatal("cannot return to root after the read-only directory test");
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ReadOnlyDirectory(const ReadOnlyDirectory&) = delete;
    ReadOnlyDirectory& operator=(const ReadOnlyDirectory&) = delete;

private:
    QString m_path;
    bool m_droppedRoot = false;
};

QStringList fileNames(const QList<FrameEntry>& frames)
{
    QStringList names;
    for (const FrameEntry& frame : frames)
        names << QFileInfo(frame.path).fileName();
    return names;
}

QList<QPoint> places(const TInputFrameForm& dialog)
{
    QList<QPoint> result;
    for (const FrameThumbnail* thumbnail : dialog.Thumbnails)
        result << thumbnail->pos();
    return result;
}

QList<int> tags(const TInputFrameForm& dialog)
{
    QList<int> result;
    for (const FrameThumbnail* thumbnail : dialog.Thumbnails)
        result << thumbnail->tag();
    return result;
}

// The picture a thumbnail shows, in the 24-bit layout.
QImage shown(FrameThumbnail* thumbnail)
{
    return thumbnail->picture().toImage().convertToFormat(QImage::Format_RGB888);
}

// The preview the picker should show for a frame: its own unframed preview, framed.
QImage framedCopy(const RasterBitmap& base, const QString& framePath)
{
    RasterBitmap framed = base;
    if (!frameWithFile(framed, framePath))
        return {};
    return framed.image();
}

struct UserPlay {
    bool clickFrame = false;
    bool removeFrameBeforeOk = false;
    bool confirm = false;
};

// Plays the user in place of the modal run: the list fills, the first thumbnail is clicked
// with the mouse, then OK or Cancel.
int playUser(QDialog& modal, const UserPlay& play)
{
    auto* picker = qobject_cast<TInputFrameForm*>(&modal);
    if (!picker)
        return QDialog::Rejected;
    picker->FormActivate();
    if (play.clickFrame && !picker->Thumbnails.empty())
        QTest::mouseClick(picker->Thumbnails.front(), Qt::LeftButton);
    if (play.removeFrameBeforeOk)
        QFile::remove(picker->SelectedFrame);
    (play.confirm ? picker->btnOK : picker->btnCANCEL)->click();
    return modal.result();
}

} // namespace

Q_DECLARE_METATYPE(UserPlay)

// The frame picker driven directly: which frames it lists and in what order, where the
// thumbnails go, the thumbnail cache, files it must survive, the preview and the results
// of OK and Cancel.
class FramePickerTest : public QObject {
    Q_OBJECT

private slots:
    void thumbnailName_data()
    {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("thumbnail");

        QTest::newRow("plain") << "/f/Rose.nfrm"
                               << "/f/Rose.BMP";
        QTest::newRow("only the last extension") << "/f/Old.Rose.nfrm"
                                                 << "/f/Old.Rose.BMP";
        QTest::newRow("dot in the directory only") << "/f.d/Rose"
                                                   << "/f.d/Rose.BMP";
    }

    void thumbnailName()
    {
        QFETCH(QString, frame);
        QFETCH(QString, thumbnail);
        QCOMPARE(thumbnailFileName(frame), thumbnail);
    }

    // Name order with case ignored; hidden frames and upper-case extensions count; anything
    // whose header cannot be read is left out and costs the others nothing.
    void listing()
    {
        FrameFolder folder;
        QVERIFY(folder.add("b.nfrm", u"나비"_qs, Qt::red));
        QVERIFY(folder.add("A.nfrm", u"안개"_qs, Qt::green));
        QVERIFY(folder.add("c.NFRM", QString(), Qt::blue));
        QVERIFY(folder.add(".hidden.nfrm", "hidden", Qt::gray));
        QVERIFY(folder.write("cut.nfrm", cutShortFrame("cut")));
        QVERIFY(folder.write("short.nfrm", QByteArray(100, 'x')));
        QVERIFY(folder.write("empty.nfrm", QByteArray()));
        QVERIFY(folder.add("notes.txt", "not a frame", Qt::red));
        QVERIFY(QDir(folder.path()).mkdir("folder.nfrm"));
        QVERIFY(QFile::link(folder.file("gone"), folder.file("dangling.nfrm")));

        const QList<FrameEntry> frames = listFrameFiles(folder.path());
        QCOMPARE(fileNames(frames),
                 QStringList({".hidden.nfrm", "A.nfrm", "b.nfrm", "c.NFRM", "cut.nfrm"}));
        QCOMPARE(frames[1].title, u"안개"_qs);
        QCOMPARE(frames[2].title, u"나비"_qs);
        QCOMPARE(frames[3].title, QString());
        QCOMPARE(frames[1].path, folder.file("A.nfrm"));

        // Without the trailing separator the paths are the same.
        QString bare = folder.path();
        bare.chop(1);
        QCOMPARE(listFrameFiles(bare).size(), 5);
        QVERIFY(listFrameFiles(QString()).isEmpty());
        QVERIFY(listFrameFiles(folder.file("missing")).isEmpty());
    }

    // Five shown frames take (10,10) (120,10) (10,120) (120,120) (10,230); a frame that
    // cannot be read for its thumbnail takes no place, and each thumbnail keeps its index.
    // The list is disabled and the loading label shown until the last one is in, and the
    // list is built once per opening.
    void thumbnailGrid()
    {
        FrameFolder folder;
        QVERIFY(folder.add("1.nfrm", "one", Qt::red));
        QVERIFY(folder.add("2.nfrm", QString(), Qt::green));
        QVERIFY(folder.add("3.nfrm", "three", Qt::blue));
        QVERIFY(folder.write("3b.nfrm", cutShortFrame("broken")));
        QVERIFY(folder.add("4.nfrm", "four", Qt::cyan));
        QVERIFY(folder.add("5.nfrm", "five", Qt::magenta));

        RasterBitmap work = makePicture(250, 300);
        TInputFrameForm dialog(nullptr, work);
        dialog.prepare(folder.path());

        bool labelShown = false;
        QString labelText;
        bool listEnabled = true;
        // Runs inside the first round of pending events, while the list fills.
        QMetaObject::invokeMethod(
            &dialog,
            [&] {
                labelShown = dialog.lblFrameLoading->isVisibleTo(&dialog);
                labelText = dialog.lblFrameLoading->text();
                listEnabled = dialog.scbFrameView->isEnabled();
            },
            Qt::QueuedConnection);
        dialog.FormActivate();

        QVERIFY(labelShown);
        QCOMPARE(labelText, u"액자 로딩 중... "_qs);
        QVERIFY(!listEnabled);
        QVERIFY(!dialog.lblFrameLoading->isVisibleTo(&dialog));
        QVERIFY(dialog.scbFrameView->isEnabled());

        QCOMPARE(dialog.FrameList.size(), 6);
        QCOMPARE(places(dialog),
                 QList<QPoint>({{10, 10}, {120, 10}, {10, 120}, {120, 120}, {10, 230}}));
        QCOMPARE(tags(dialog), QList<int>({0, 1, 2, 4, 5}));
        QCOMPARE(dialog.Thumbnails[0]->toolTip(), u"one"_qs);
        QCOMPARE(dialog.Thumbnails[1]->toolTip(), QString());
        QCOMPARE(dialog.Thumbnails[0]->size(), QSize(100, 100));
        QVERIFY(!QFile::exists(folder.file("3b.BMP")));

        QVERIFY(folder.add("6.nfrm", "six", Qt::yellow));
        dialog.FormActivate();
        QCOMPARE(dialog.FrameList.size(), 6);
        QCOMPARE(dialog.Thumbnails.size(), std::size_t(5));
    }

    // A missing thumbnail is made once: the frame around a black 100 × 100 photo area,
    // scaled to 100 × 100 and saved with 8 bits per pixel.
    void thumbnailMade()
    {
        FrameFolder folder;
        QVERIFY(folder.add("Old.Rose.nfrm", "rose", Qt::green));
        QVERIFY(ensureThumbnail(folder.file("Old.Rose.nfrm")));
        RasterBitmap thumbnail;
        QVERIFY(loadBitmap(folder.file("Old.Rose.BMP"), thumbnail));
        QCOMPARE(thumbnail.bitsPerPixel(), 8);
        QCOMPARE(thumbnail.image().size(), QSize(100, 100));
        QCOMPARE(thumbnail.image().pixelColor(3, 3), QColor(Qt::green));
        QCOMPARE(thumbnail.image().pixelColor(50, 50), QColor(Qt::black));
        QCOMPARE(thumbnail.image().pixelColor(96, 50), QColor(Qt::green));
    }

    // A thumbnail file beside a frame is shown as it is, even when the frame picture does not
    // decode, and is never made again, even after the frame changes; the title still comes
    // from the frame's header.
    void thumbnailCacheUsed()
    {
        FrameFolder folder;
        TNuvFrameHeader header;
        header.setTitle(u"장미"_qs);
        QVERIFY(folder.write("Rose.nfrm", frameFile(header, "no picture here")));
        const RasterBitmap cached = makePicture(100, 100);
        QVERIFY(saveBitmap(folder.file("Rose.BMP"), cached, SaveFormat::Bmp, 24));
        const QByteArray cachedBytes = test_data::readFile(folder.file("Rose.BMP"));
        QVERIFY(folder.add("Tulip.nfrm", "tulip", Qt::red));

        RasterBitmap work = makePicture(250, 300);
        {
            TInputFrameForm dialog(nullptr, work);
            dialog.prepare(folder.path());
            dialog.FormActivate();
            QCOMPARE(dialog.Thumbnails.size(), std::size_t(2));
            QCOMPARE(shown(dialog.Thumbnails[0]), cached.image());
            QCOMPARE(dialog.Thumbnails[0]->toolTip(), u"장미"_qs);
        }
        QCOMPARE(test_data::readFile(folder.file("Rose.BMP")), cachedBytes);

        const QByteArray tulipThumbnail = test_data::readFile(folder.file("Tulip.BMP"));
        QVERIFY(!tulipThumbnail.isEmpty());
        QVERIFY(folder.add("Tulip.nfrm", "tulip", Qt::blue));
        TInputFrameForm again(nullptr, work);
        again.prepare(folder.path());
        again.FormActivate();
        QCOMPARE(test_data::readFile(folder.file("Tulip.BMP")), tulipThumbnail);
        QCOMPARE(shown(again.Thumbnails[1]).pixelColor(3, 3), QColor(Qt::red));
    }

    // In a directory that cannot be written, frames without a thumbnail are not offered and
    // nothing else fails.
    void readOnlyDirectory()
    {
        FrameFolder folder;
        QVERIFY(folder.add("cached.nfrm", "cached", Qt::red));
        QVERIFY(folder.add("new.nfrm", "new", Qt::blue));
        QVERIFY(ensureThumbnail(folder.file("cached.nfrm")));

        RasterBitmap work = makePicture(250, 300);
        TInputFrameForm dialog(nullptr, work);
        dialog.prepare(folder.path());
        {
            const ReadOnlyDirectory readOnly(folder.path());
            dialog.FormActivate();
        }
        QCOMPARE(dialog.FrameList.size(), 2);
        QCOMPARE(tags(dialog), QList<int>({0}));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
                 QStringList({"cached.BMP", "cached.nfrm", "new.nfrm"}));
    }

    // Each click frames a fresh copy of the unframed preview, so only the last frame shows,
    // and the paint box shows it fitted and centred.
    void previewShowsLastClickedFrame()
    {
        FrameFolder folder;
        QVERIFY(folder.add("a.nfrm", "red", Qt::red, 10));
        QVERIFY(folder.add("b.nfrm", "blue", Qt::blue, 5));
        RasterBitmap work = makePicture(250, 300);
        TInputFrameForm dialog(nullptr, work);
        dialog.prepare(folder.path());
        QCOMPARE(dialog.PreviewBase.image().size(), QSize(188, 225));
        QCOMPARE(dialog.PreviewBitmap.image(), dialog.PreviewBase.image());
        dialog.FormActivate();

        dialog.ThumbnailClick(0);
        QCOMPARE(dialog.PreviewBitmap.image().size(), QSize(208, 245));
        dialog.ThumbnailClick(1);
        QCOMPARE(dialog.SelectedFrame, folder.file("b.nfrm"));
        QCOMPARE(dialog.PreviewBitmap.image().size(), QSize(198, 235));
        QCOMPARE(dialog.PreviewBitmap.image(),
                 framedCopy(dialog.PreviewBase, folder.file("b.nfrm")));
        dialog.ThumbnailClick(7);
        QCOMPARE(dialog.SelectedFrame, folder.file("b.nfrm"));

        const QSize box = dialog.PaintBox->size();
        // On black, so that the white around the preview must come from the paint itself.
        const QImage canvas = paintedCanvas(
            box, Qt::black, [&](QPainter& painter) { dialog.PaintBoxPaint(painter); });
        const QRect target = previewTargetRect(198, 235, box.width(), box.height());
        QCOMPARE(target.height(), box.height());
        QVERIFY(qAbs(target.left() - (box.width() - 1 - target.right())) <= 1);
        QCOMPARE(canvas.pixelColor(target.left() + 1, target.center().y()), QColor(Qt::blue));
        QCOMPARE(canvas.pixelColor(target.left() - 2, target.center().y()), QColor(Qt::white));
        QCOMPARE(canvas.pixelColor(target.center().x(), 1), QColor(Qt::blue));
        // Pixel for pixel what drawing the framed preview scaled into the box shows.
        const QImage drawn = paintedCanvas(box, Qt::white, [&](QPainter& painter) {
            QVERIFY(paintBitmap(painter, dialog.PreviewBitmap, target));
        });
        QCOMPARE(canvas, drawn);
    }

    void entryResults_data()
    {
        QTest::addColumn<int>("bitsPerPixel");
        QTest::addColumn<UserPlay>("play");
        QTest::addColumn<QSize>("typeSize");
        QTest::addColumn<bool>("framed");

        const QSize type(250, 300);
        QTest::newRow("cancel after a click, 256 colours")
            << 8 << UserPlay{true, false, false} << type << false;
        QTest::newRow("OK without a click still scales to the type")
            << 24 << UserPlay{false, false, true} << QSize(200, 240) << false;
        QTest::newRow("OK with a frame") << 24 << UserPlay{true, false, true} << type << true;
        QTest::newRow("OK with a frame, 256 colours")
            << 8 << UserPlay{true, false, true} << type << true;
        QTest::newRow("OK after the chosen frame file went away")
            << 24 << UserPlay{true, true, true} << type << false;
    }

    // Cancel leaves the photo as it was but for the 24-bit conversion; OK frames it at full
    // size (when a frame was clicked) and scales the result back to the type's size.
    void entryResults()
    {
        QFETCH(int, bitsPerPixel);
        QFETCH(UserPlay, play);
        QFETCH(QSize, typeSize);
        QFETCH(bool, framed);

        FrameFolder folder;
        QVERIFY(folder.add("gold.nfrm", "gold", QColor(200, 160, 40), 20));
        const QString framePath = folder.file("gold.nfrm");
        const RasterBitmap original = makePicture(250, 300, bitsPerPixel);
        RasterBitmap expected = original;
        QVERIFY(convertForEditing(expected));
        if (framed)
            QVERIFY(frameWithFile(expected, framePath));
        if (play.confirm)
            QVERIFY(sizeBitmap(expected, typeSize.width(), typeSize.height(), SizeQuality::Final));

        QWidget mainWindow;
        RasterBitmap work = original;
        int repaints = 0;
        const DialogHost host{&mainWindow, [play](QDialog& modal) { return playUser(modal, play); },
                              [&repaints] { ++repaints; }};
        QCOMPARE(OpenFrameDialog(host, work, typeSize, folder.path()), play.confirm);

        QCOMPARE(work.bitsPerPixel(), 24);
        QCOMPARE(work.image(), expected.image());
        QCOMPARE(repaints, 1);
        QVERIFY(mainWindow.findChildren<QDialog*>().isEmpty());
        QCOMPARE(QApplication::overrideCursor(), nullptr);
    }
};

REGISTER_TEST(FramePickerTest);
#include "tst_FramePicker.moc"
