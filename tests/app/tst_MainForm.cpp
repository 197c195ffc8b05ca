#include "ByteWriter.h"
#include "MessageTextSupport.h"
#include "RecordingMessageSink.h"
#include "RectTestSupport.h"
#include "TestData.h"
#include "TestRegistry.h"

#include "app/FrmDefineCanvas.h"
#include "app/FrmMain.h"
#include "app/WorkspaceScrollView.h"
#include "ui/SkinImage.h"
#include "ui/UpDownButton.h"
#include "ui/WaitPanel.h"

#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

using message_text::kTypeLocked;

using test_data::testDataPath;

const QString kPortrait = QStringLiteral("portrait.jpg");

// Records every wait of the window and which top highlights were showing meanwhile.
struct FlashLog {
    QStringList waits;

    void attach(TMainForm& form)
    {
        form.setSleepFunction([this, &form](int milliseconds) {
            QStringList shown;
            for (QWidget* image : form.findChildren<SkinImage*>()) {
                if (!image->isHidden() && image->objectName().contains(QStringLiteral("UP_")))
                    shown.append(image->objectName());
            }
            shown.sort();
            waits.append(QStringLiteral("%1:%2").arg(milliseconds).arg(shown.join(u'+')));
        });
    }
};

QStringList blinks(const QString& image)
{
    const QString on = QStringLiteral("50:") + image;
    return {on, QStringLiteral("50:"), on, QStringLiteral("50:"), on};
}

QStringList visibleSelections(const TMainForm& form)
{
    QStringList shown;
    for (SkinImage* image : form.ImgSorvel) {
        if (!image->isHidden())
            shown.append(image->objectName());
    }
    return shown;
}

// The workspace takes its size when the window is shown, as in the program.
void show(TMainForm& form)
{
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
}

// A BMP header that claims 40000 × 40000 pixels and carries none.
QByteArray hugeBmpHeader()
{
    QByteArray bytes("BM");
    ByteWriter(bytes).u32(54).u32(0).u32(54).u32(40).u32(40000).u32(40000).u16(1).u16(24);
    bytes.append(QByteArray(54 - bytes.size(), '\0'));
    return bytes;
}

// A photo of one flat colour and the given size, written as PNG into dir.
QString flatPhoto(const QTemporaryDir& dir, QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const QString path =
        dir.filePath(QStringLiteral("flat-%1x%2.png").arg(size.width()).arg(size.height()));
    return picture.save(path) ? path : QString();
}

// Counts the paint events a widget receives.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// Runs the custom-size dialog by typing into it and pressing OK or Cancel.
struct CanvasDriver {
    QString width;
    QString height;
    bool ok = true;
    QStringList shown; // what the dialog showed when it opened

    int operator()(QDialog& dialog)
    {
        auto* canvas = qobject_cast<TDefineCanvasForm*>(&dialog);
        if (!canvas)
            return QDialog::Rejected;
        shown = {canvas->edtWidth->text(), canvas->edtHeight->text()};
        if (!ok)
            return QDialog::Rejected;
        canvas->edtWidth->setText(width);
        canvas->edtHeight->setText(height);
        canvas->btnOKClick();
        return canvas->result();
    }
};

} // namespace

class MainFormTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void startUp();
    void layout_data();
    void layout();
    void opening_data();
    void opening();
    void transparentPhotoOpensOnWhite();
    void missingFileKeepsThePhotoButResets();
    void failedLoadKeepsThePhoto_data();
    void failedLoadKeepsThePhoto();
    void fitBelowTheSliderMinimum();
    void scrollRangesFollowTheFit_data();
    void scrollRangesFollowTheFit();
    void zoomControls();
    void refusalsByStage();
    void customType();
    void originalRestoresTheLoadedStage();
    void cropDrag_data();
    void cropDrag();
    void clickWithoutMovingKeepsTheFrame_data();
    void clickWithoutMovingKeepsTheFrame();
    void painting_data();
    void painting();
    void hoverAndHelp();

private:
    QTemporaryDir m_dir;
};

void MainFormTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void MainFormTest::startUp()
{
    TMainForm form;
    QCOMPARE(form.size(), QSize(904, 700));
    QCOMPARE(form.CropRect, (Rect{0, 0, 250, 300}));
    QCOMPARE(form.lblInfoSelectType->text(), QStringLiteral("증명사진 - 2.5 * 3 Cm"));
    QCOMPARE(double(form.PhotoType.AspectRatio), 1.2);
    QCOMPARE(form.PhotoType.MarginX, 25);
    QCOMPARE(form.PhotoType.MarginY, 18);
    QVERIFY(!form.pnlIntroWindow->isHidden());
    QVERIFY(form.pnlWaitInfo->isHidden());
    QCOMPARE(visibleSelections(form), QStringList{"ImgSorvel_0"});
    QCOMPARE(form.stage(), Stage::Empty);
    QCOMPARE(form.ZoomPercent, 0);
    QCOMPARE(form.Gauge->value(), 50);
    QCOMPARE(form.edtValue->text(), QStringLiteral("100"));
    QVERIFY(QRegularExpression(QStringLiteral("^(0|[1-9][0-9]{0,6})$"))
                .match(form.SessionNumber)
                .hasMatch());
    QVERIFY(form.SendResultUrl.endsWith(QStringLiteral("/sendresult1.asp")));
    QVERIFY(form.OrderPageUrl.endsWith(QStringLiteral("/PORTRAIT_ok2.asp")));
    QVERIFY(form.MakeDirUrl.startsWith(QStringLiteral("http")));
    QVERIFY(form.MakeDirUrl.endsWith(QStringLiteral("/makedir2.php")));
}

void MainFormTest::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("hint");
    QTest::newRow("open") << "imgDefault_0" << QRect(162, 27, 71, 44) << "";
    QTest::newRow("open highlight")
        << "imgDefaultUP_0" << QRect(162, 27, 72, 43) << "내 폴더에서 사진을 불러옵니다.";
    QTest::newRow("camera") << "imgDefault_8" << QRect(235, 27, 71, 44) << "";
    QTest::newRow("cut") << "imgDefault_2" << QRect(449, 27, 71, 46) << "";
    QTest::newRow("about highlight") << "imgDefaultUP_7" << QRect(738, 27, 73, 43) << "";
    QTest::newRow("fit") << "imgViewSize_1" << QRect(318, 77, 55, 24)
                         << "이미지의 폭과 높이를 작업창 크기에 맞춥니다.";
    QTest::newRow("fit highlight") << "imgViewSizeUP_1" << QRect(318, 77, 57, 24)
                                   << "사진의 폭과 높이를 작업창 크기에 자동으로 맞춥니다.";
    QTest::newRow("quit highlight") << "imgWindowStatusUP_1" << QRect(874, 6, 23, 24) << "종료";
    QTest::newRow("effect 0") << "imgEffects_0" << QRect(15, 368, 147, 37) << "";
    QTest::newRow("effect 5 highlight")
        << "imgEffectsUP_5" << QRect(15, 571, 147, 42) << "편집한 사진에 글자를 입력 합니다.";
    QTest::newRow("custom type") << "imgType_4" << QRect(16, 262, 147, 31)
                                 << "사용자가 직접 크기를 설정합니다.";
    QTest::newRow("selected passport")
        << "ImgSorvel_2" << QRect(16, 192, 147, 31) << "여권사진 크기로 맞춥니다.";
    QTest::newRow("slider") << "Gauge" << QRect(437, 81, 271, 18) << "사진크기 조정막대";
    QTest::newRow("zoom edit") << "edtValue" << QRect(708, 81, 33, 19) << "";
    QTest::newRow("zoom up-down") << "UpDownValue" << QRect(741, 81, 16, 19) << "";
    QTest::newRow("workspace panel") << "pnlWorkMainPanel" << QRect(170, 114, 723, 513) << "";
    QTest::newRow("workspace") << "ScrollView" << QRect(1, 1, 721, 511) << "";
    QTest::newRow("wait panel") << "pnlWaitInfo" << QRect(256, 243, 209, 25) << "";
    QTest::newRow("intro picture") << "imgIntroWindow" << QRect(149, 128, 419, 250) << "";
    QTest::newRow("help: type") << "imgFlowChart_5" << QRect(225, 655, 74, 19)
                                << "\"사진선택\" 버튼 위치";
}

void MainFormTest::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, hint);
    TMainForm form;
    show(form);
    auto* control = form.findChild<QWidget*>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), geometry);
    QCOMPARE(control->toolTip(), hint);
}

void MainFormTest::opening_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<int>("zoom");
    QTest::newRow("portrait") << testDataPath(kPortrait) << QByteArray() << true << 98;
    QTest::newRow("not a photo") << "garbage.jpg" << QByteArray("no photo in here") << false << 0;
    QTest::newRow("empty file") << "empty.bmp" << QByteArray("") << false << 0;
    QTest::newRow("over the size cap") << "huge.bmp" << hugeBmpHeader() << false << 0;
}

void MainFormTest::opening()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, contents);
    QFETCH(bool, loaded);
    QFETCH(int, zoom);
    QString path = file;
    if (!QFileInfo(file).isAbsolute()) {
        path = m_dir.filePath(file);
        QVERIFY(test_data::writeFile(path, contents));
    }
    RecordingMessageSink messages;
    TMainForm form;
    show(form);
    form.OpenPhotoFile(path);

    QVERIFY(form.pnlIntroWindow->isHidden());
    QCOMPARE(IsBitmapAllocated(form.WorkBitmap), loaded);
    QCOMPARE(IsBitmapAllocated(form.OriginalBitmap), loaded);
    QVERIFY(!IsBitmapAllocated(form.CutBitmap));
    QCOMPARE(form.stage(), loaded ? Stage::Loaded : Stage::Empty);
    QCOMPARE(form.ZoomPercent, zoom);
    QCOMPARE(form.CropRect, (Rect{0, 0, 250, 300}));
    QCOMPARE(form.lblInfoSelectType->text(), QStringLiteral("증명사진 - 2.5 * 3 Cm"));
    // An unreadable file says so; the workspace stays as empty as it was.
    QCOMPARE(messages.messages.size(), loaded ? 0 : 1);
    if (!loaded)
        return;
    QCOMPARE(form.WorkBitmap.bitsPerPixel(), 24);
    // The original shares the pixels of the working copy until one of them changes.
    QCOMPARE(form.OriginalBitmap.image().constBits(),
             std::as_const(form.WorkBitmap).image().constBits());
    QCOMPARE(form.Gauge->value(), zoom);
    QCOMPARE(form.edtValue->text(), QString::number(zoom));
}

// An ID photo wants a white background: clear areas come out white, not black.
void MainFormTest::transparentPhotoOpensOnWhite()
{
    QImage picture(2, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(0, 0, 0, 0));
    picture.setPixel(1, 0, qRgba(0, 0, 255, 128));
    const QString path = m_dir.filePath(QStringLiteral("transparent.png"));
    QVERIFY(picture.save(path));
    TMainForm form;
    show(form);
    form.OpenPhotoFile(path);

    QVERIFY(IsBitmapAllocated(form.WorkBitmap));
    QCOMPARE(form.WorkBitmap.image().pixel(0, 0), qRgb(255, 255, 255));
    QCOMPARE(form.WorkBitmap.image().pixel(1, 0), qRgb(127, 127, 255));
}

void MainFormTest::missingFileKeepsThePhotoButResets()
{
    TMainForm form;
    show(form);
    form.OpenPhotoFile(testDataPath(kPortrait));
    form.TypeClick(1);
    form.CropRect = {30, 40, 60, 70};
    form.CutDone = true;
    form.SheetMade = true;
    form.Gauge->setValue(200);

    form.OpenPhotoFile(m_dir.filePath(QStringLiteral("does-not-exist.jpg")));

    QVERIFY(IsBitmapAllocated(form.WorkBitmap));
    QCOMPARE(form.stage(), Stage::Loaded);
    QCOMPARE(form.ZoomPercent, 98);
    QCOMPARE(form.CropRect, (Rect{30, 40, 330, 440}));
}

void MainFormTest::failedLoadKeepsThePhoto_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<bool>("cut");
    const QByteArray jpeg = test_data::readFile(testDataPath(kPortrait));
    const QByteArray text("no photo in here");
    QTest::newRow("empty file") << "empty.jpg" << QByteArray() << false;
    QTest::newRow("text named .jpg") << "x.jpg" << text << false;
    QTest::newRow("truncated JPEG") << "cut-short.jpg" << jpeg.left(jpeg.size() / 2) << false;
    QTest::newRow("text named .jpg, after a cut") << "x.jpg" << text << true;
}

// A file that exists but holds no readable photo, chosen through Open: the window says so,
// and the photo being worked on stays with its stage, frame, zoom and scroll ranges.
void MainFormTest::failedLoadKeepsThePhoto()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, contents);
    QFETCH(bool, cut);
    const QString path = m_dir.filePath(file);
    QVERIFY(test_data::writeFile(path, contents));
    RecordingMessageSink messages;
    TMainForm form;
    show(form);
    form.OpenPhotoFile(testDataPath(kPortrait));
    form.Gauge->setValue(200);
    form.CropRect = {30, 40, 280, 340};
    if (cut)
        form.CutPhoto();
    const Stage stage = form.stage();
    QCOMPARE(stage, cut ? Stage::Cut : Stage::Loaded);
    const QImage work = form.WorkBitmap.image().copy();
    const QImage original = form.OriginalBitmap.image().copy();
    const QImage cutPicture = form.CutBitmap.image().copy();
    const Rect frame = form.CropRect;
    const int zoom = form.ZoomPercent;
    const QSize content = form.ScrollView->contentSize();
    form.setModalRunner([&path](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        if (!files)
            return int(QDialog::Rejected);
        files->selectFile(path);
        return int(QDialog::Accepted);
    });

    form.OpenClick();

    const QList<QPair<QString, QString>> expected{
        {QStringLiteral("Nuv Sorvel"), QStringLiteral("사진을 열 수 없습니다.\n") + file}};
    QCOMPARE(messages.messages, expected);
    QCOMPARE(form.stage(), stage);
    QCOMPARE(form.WorkBitmap.image(), work);
    QCOMPARE(form.OriginalBitmap.image(), original);
    QCOMPARE(form.CutBitmap.image(), cutPicture);
    QCOMPARE(form.CropRect, frame);
    QCOMPARE(form.ZoomPercent, zoom);
    QCOMPARE(form.ScrollView->contentSize(), content);
}

void MainFormTest::fitBelowTheSliderMinimum()
{
    const QString wide = m_dir.filePath(QStringLiteral("wide.png"));
    QImage picture(7500, 100, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    QVERIFY(picture.save(wide));
    TMainForm form;
    show(form);
    form.OpenPhotoFile(wide);
    // The fit asks for 9; the slider stops at 10 and, having moved, sets the zoom.
    QCOMPARE(form.Gauge->value(), 10);
    QCOMPARE(form.ZoomPercent, 10);
    // With the slider already at 10 nothing moves it, so the zoom stays at 9.
    form.FitClick();
    QCOMPARE(form.Gauge->value(), 10);
    QCOMPARE(form.ZoomPercent, 9);
    QCOMPARE(form.edtValue->text(), QStringLiteral("10"));
}

void MainFormTest::scrollRangesFollowTheFit_data()
{
    QTest::addColumn<QSize>("first");
    QTest::addColumn<QSize>("second"); // empty: rotate the first, then Original
    QTest::addColumn<int>("zoom");
    QTest::addColumn<QSize>("content");
    // In both the fit lands where the slider already is, so the slider raises no change.
    QTest::newRow("rotate, then Original at the same zoom")
        << QSize(1600, 1200) << QSize() << 42 << QSize(672, 504);
    QTest::newRow("two photos in a row below the slider's 10")
        << QSize(7500, 100) << QSize(8000, 100) << 8 << QSize(640, 8);
}

void MainFormTest::scrollRangesFollowTheFit()
{
    QFETCH(QSize, first);
    QFETCH(QSize, second);
    QFETCH(int, zoom);
    QFETCH(QSize, content);
    TMainForm form;
    show(form);
    form.OpenPhotoFile(flatPhoto(m_dir, first));
    if (second.isEmpty()) {
        form.RotatePhoto();
        form.RestoreOriginal();
    } else {
        form.OpenPhotoFile(flatPhoto(m_dir, second));
    }
    QCOMPARE(form.ZoomPercent, zoom);
    QCOMPARE(form.ScrollView->contentSize(), content);
}

void MainFormTest::zoomControls()
{
    TMainForm form;
    show(form);
    form.OpenPhotoFile(testDataPath(kPortrait));
    form.Gauge->setValue(150);
    QCOMPARE(form.ZoomPercent, 150);
    QCOMPARE(form.edtValue->text(), QStringLiteral("150"));
    QCOMPARE(form.ScrollView->contentSize(), QSize(768, 768));
    QVERIFY(!form.ScrollView->eraseBack());

    form.UpDownValue->step(1);
    QCOMPARE(form.ZoomPercent, 151);
    QCOMPARE(form.Gauge->value(), 151);

    form.ActualSizeClick();
    QCOMPARE(form.ZoomPercent, 100);
    QCOMPARE(form.Gauge->value(), 100);
    QCOMPARE(form.edtValue->text(), QStringLiteral("100"));

    form.Gauge->setValue(5000);
    QCOMPARE(form.ZoomPercent, 300);
    form.FitClick();
    QCOMPARE(form.ZoomPercent, 98);
    QVERIFY(form.ScrollView->eraseBack());
}

void MainFormTest::refusalsByStage()
{
    RecordingMessageSink messages;
    TMainForm form;
    show(form);
    FlashLog log;
    log.attach(form);

    form.RestoreOriginal();
    QCOMPARE(log.waits, blinks(QStringLiteral("imgDefaultUP_0")));
    QVERIFY(messages.messages.isEmpty());
    QVERIFY(form.imgDefaultUP[0]->isHidden());

    form.OpenPhotoFile(testDataPath(kPortrait));
    form.CutDone = true;
    form.CropRect = {};
    // The visible selected-type button is refused too: no frame comes back over the cut
    // photo or the sheet.
    for (bool made : {false, true}) {
        form.SheetMade = made;
        for (SkinImage* button : {form.imgType[1], form.imgType[4], form.ImgSorvel[0]}) {
            log.waits.clear();
            messages.messages.clear();
            emit button->clicked(button);
            QCOMPARE(messages.messages.size(), 1);
            QCOMPARE(messages.messages.first().second, kTypeLocked);
            QCOMPARE(log.waits, blinks(QStringLiteral("imgDefaultUP_1")));
            QCOMPARE(form.PhotoType.TargetWidth, 250);
            QCOMPARE(form.CropRect, (Rect{0, 0, 0, 0}));
            QCOMPARE(visibleSelections(form), QStringList{"ImgSorvel_0"});
        }
    }
}

void MainFormTest::customType()
{
    TMainForm form;
    show(form);
    form.TypeClick(3);
    form.CropRect = {5, 6, 505, 706};
    CanvasDriver driver;
    driver.width = QStringLiteral("999");
    driver.height = QStringLiteral("799");
    form.setModalRunner([&driver](QDialog& dialog) { return driver(dialog); });

    // Cancel changes nothing.
    driver.ok = false;
    form.TypeClick(4);
    QCOMPARE(driver.shown, (QStringList{"500", "700"}));
    QCOMPARE(form.PhotoType.PhotoTypeName, QStringLiteral("명함판 사진"));
    QCOMPARE(form.CropRect, (Rect{5, 6, 505, 706}));
    QCOMPARE(visibleSelections(form), QStringList{"ImgSorvel_3"});

    driver.ok = true;
    form.TypeClick(4);
    QVERIFY(form.PhotoType.CustomSize);
    QCOMPARE(form.lblInfoSelectType->text(), QStringLiteral("자유지정 - 9.99 * 7.99 Cm"));
    // The longest label fits its box, which ends in line with the workspace panel.
    const QLabel* label = form.lblInfoSelectType;
    QVERIFY(QFontMetrics(label->font()).horizontalAdvance(label->text()) <= label->width());
    QVERIFY(label->geometry().right() < form.pnlWorkMainPanel->geometry().right());
    QCOMPARE(form.PhotoType.MarginX, 99);
    QCOMPARE(form.PhotoType.MarginY, 79);
    QCOMPARE(double(form.PhotoType.AspectRatio), 799.0 / 999.0);
    QCOMPARE(form.CropRect, (Rect{5, 6, 1004, 805}));
    QCOMPARE(visibleSelections(form), QStringList{"ImgSorvel_4"});

    // Opening a photo keeps a custom frame where it is; the dialog shows the size.
    form.OpenPhotoFile(testDataPath(kPortrait));
    QCOMPARE(form.CropRect, (Rect{5, 6, 1004, 805}));
    driver.ok = false;
    form.TypeClick(4);
    QCOMPARE(driver.shown, (QStringList{"999", "799"}));
    QVERIFY(form.PhotoType.CustomSize);
}

void MainFormTest::originalRestoresTheLoadedStage()
{
    TMainForm form;
    show(form);
    form.OpenPhotoFile(testDataPath(kPortrait));
    form.TypeClick(1);
    const QImage original = form.OriginalBitmap.image();
    form.WorkBitmap.image().fill(Qt::black);
    form.CropRect = {-40, -30, 10, 10};
    form.CutDone = true;
    form.SheetMade = true;
    form.Gauge->setValue(250);

    form.RestoreOriginal();

    QCOMPARE(form.stage(), Stage::Loaded);
    QCOMPARE(form.CropRect, (Rect{0, 0, 300, 400}));
    QCOMPARE(form.ZoomPercent, 98);
    QCOMPARE(std::as_const(form.WorkBitmap).image(), original);
}

void MainFormTest::cropDrag_data()
{
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<bool>("dragging");
    QTest::addColumn<Rect>("expected");
    QTest::addColumn<bool>("pressAgain"); // another button goes down halfway
    // 512 × 512 at 98 % lies at (109, 4); the type 0 frame covers (109, 4, 354, 298) and
    // its grip 4 is centred on (354, 151).
    QTest::newRow("move") << QPoint(200, 100) << QPoint(250, 150) << true << Rect{51, 51, 301, 351}
                          << false;
    QTest::newRow("move off the top-left is pushed back")
        << QPoint(200, 100) << QPoint(180, 90) << true << Rect{0, 0, 250, 300} << false;
    QTest::newRow("grip 4 widens, height follows")
        << QPoint(354, 151) << QPoint(404, 120) << true << Rect{0, 0, 301, 361} << false;
    QTest::newRow("grip 5 only down: unchanged")
        << QPoint(354, 298) << QPoint(354, 400) << true << Rect{0, 0, 250, 300} << false;
    QTest::newRow("press outside the frame")
        << QPoint(600, 400) << QPoint(500, 300) << false << Rect{0, 0, 250, 300} << false;
    QTest::newRow("a second button during the move is ignored")
        << QPoint(200, 100) << QPoint(250, 150) << true << Rect{51, 51, 301, 351} << true;
    QTest::newRow("a second button during a resize is ignored")
        << QPoint(354, 151) << QPoint(404, 120) << true << Rect{0, 0, 301, 361} << true;
}

void MainFormTest::cropDrag()
{
    QFETCH(QPoint, press);
    QFETCH(QPoint, release);
    QFETCH(bool, dragging);
    QFETCH(Rect, expected);
    QFETCH(bool, pressAgain);
    TMainForm form;
    show(form);
    form.OpenPhotoFile(testDataPath(kPortrait));
    QCOMPARE(form.CenteringOffset(), QPoint(109, 4));

    form.ScrollViewMouseDown(press);
    QCOMPARE(form.Dragging, dragging);
    const QPoint middle = (press + release) / 2;
    form.ScrollViewMouseMove(middle);
    if (pressAgain)
        form.ScrollViewMouseDown(middle);
    form.ScrollView->renderCanvas(QRect(QPoint(), form.ScrollView->clientSize()));
    form.ScrollViewMouseMove(release);
    form.ScrollViewMouseUp(release);

    QVERIFY(!form.Dragging);
    QCOMPARE(form.CropRect, expected);

    // After a cut the frame does not move.
    form.CutDone = true;
    form.ScrollViewMouseDown(QPoint(200, 100));
    QVERIFY(!form.Dragging);
}

void MainFormTest::clickWithoutMovingKeepsTheFrame_data()
{
    QTest::addColumn<int>("zoom");
    QTest::addColumn<Rect>("frame");
    QTest::addColumn<bool>("onGrip");
    // Through the zoom and back, 333 × 400 at 10 % would come back 330 × 400 at (20, 30),
    // and 250 at 33 % would come back 252.
    QTest::newRow("body at 10 %") << 10 << Rect{17, 33, 350, 433} << false;
    QTest::newRow("grip 4 at 10 %") << 10 << Rect{17, 33, 350, 433} << true;
    QTest::newRow("body at 33 %") << 33 << Rect{0, 0, 250, 300} << false;
}

void MainFormTest::clickWithoutMovingKeepsTheFrame()
{
    QFETCH(int, zoom);
    QFETCH(Rect, frame);
    QFETCH(bool, onGrip);
    TMainForm form;
    show(form);
    form.OpenPhotoFile(testDataPath(kPortrait));
    form.Gauge->setValue(zoom);
    form.CropRect = frame;
    Rect screen = frame;
    form.ImageToScreen(screen);
    const QPoint at(onGrip ? screen.right : (screen.left + screen.right) / 2,
                    (screen.top + screen.bottom) / 2);

    form.ScrollViewMouseDown(at);
    QVERIFY(form.Dragging);
    QCOMPARE(form.ActiveGrip, onGrip ? 4 : 0);
    form.ScrollViewMouseMove(at); // a move event that goes nowhere
    form.ScrollViewMouseUp(at);

    QCOMPARE(form.CropRect, frame);
}

void MainFormTest::painting_data()
{
    QTest::addColumn<Rect>("crop");
    QTest::addColumn<bool>("drawn");
    // At 98 % a side of 11 photo pixels stays 11 on screen, 10 becomes 10.
    QTest::newRow("type 0 frame") << Rect{0, 0, 250, 300} << true;
    QTest::newRow("11 on screen") << Rect{40, 40, 51, 51} << true;
    QTest::newRow("10 on screen is not drawn") << Rect{40, 40, 50, 51} << false;
}

void MainFormTest::painting()
{
    QFETCH(Rect, crop);
    QFETCH(bool, drawn);
    TMainForm form;
    show(form);
    form.OpenPhotoFile(testDataPath(kPortrait));
    const QRect all(QPoint(), form.ScrollView->clientSize());
    form.CropRect = {};
    const QImage plain = form.ScrollView->renderCanvas(all).copy();
    form.CropRect = crop;
    const QImage framed = form.ScrollView->renderCanvas(all).copy();

    // White around, a black outline one pixel outside the photo at (109, 4) 502 × 502.
    QCOMPARE(plain.pixel(50, 50), qRgb(255, 255, 255));
    QCOMPARE(plain.pixel(700, 509), qRgb(255, 255, 255));
    for (QPoint p : {QPoint(108, 200), QPoint(611, 200), QPoint(300, 3), QPoint(300, 506)})
        QCOMPARE(plain.pixel(p), qRgb(0, 0, 0));
    QVERIFY(plain.pixel(109, 200) != qRgb(0, 0, 0));

    Rect screen = crop;
    form.ImageToScreen(screen);
    const int y = screen.top + 5;
    const auto inverted = [&](int x) {
        return framed.pixel(x, y) == (plain.pixel(x, y) ^ 0xffffffu);
    };
    QCOMPARE(inverted(screen.left), drawn);     // the frame's own line
    QCOMPARE(inverted(screen.left - 2), drawn); // the line two pixels outside
    QVERIFY(!inverted(screen.left - 1));        // the gap between them
    QVERIFY(!inverted(screen.left + 1));
    // Inside grip 4, above where grip 5 would overlap it on a small frame.
    const int gripY = screen.top + (screen.bottom - screen.top) / 2 - 5;
    const QPoint grip(screen.right + 3, gripY);
    QCOMPARE(framed.pixel(grip) == (plain.pixel(grip) ^ 0xffffffu), drawn);

    // A workspace without a photo is white all over.
    TMainForm empty;
    show(empty);
    const QImage blank = empty.ScrollView->renderCanvas(all);
    QCOMPARE(blank.pixel(300, 200), qRgb(255, 255, 255));
    QCOMPARE(blank.pixel(109, 4), qRgb(255, 255, 255));
}

void MainFormTest::hoverAndHelp()
{
    TMainForm form;
    show(form);
    FlashLog log;
    log.attach(form);
    const auto shownHighlights = [&form] {
        QStringList shown;
        for (SkinImage* image : form.findChildren<SkinImage*>()) {
            if (!image->isHidden() && image->objectName().contains(QStringLiteral("UP_")))
                shown.append(image->objectName());
        }
        shown.sort();
        return shown;
    };

    emit form.imgDefault[3]->mouseMoved(form.imgDefault[3]);
    emit form.imgViewSize[1]->mouseMoved(form.imgViewSize[1]);
    QCOMPARE(shownHighlights(), (QStringList{"imgDefaultUP_3", "imgViewSizeUP_1"}));
    emit form.imgDefault[5]->mouseMoved(form.imgDefault[5]);
    QCOMPARE(shownHighlights(), (QStringList{"imgDefaultUP_5", "imgViewSizeUP_1"}));
    emit form.imgEffectsUP[2]->mouseMoved(form.imgEffectsUP[2]);
    QCOMPARE(shownHighlights(),
             (QStringList{"imgDefaultUP_5", "imgEffectsUP_2", "imgViewSizeUP_1"}));
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 650), QPointF(5, 650), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(form.imgBack, &move);
    QCOMPARE(shownHighlights(), QStringList{});

    form.TypeClick(2);
    form.FlowChartClick(5);
    QCOMPARE(log.waits, QStringList{"100:"});
    QCOMPARE(visibleSelections(form), QStringList{"ImgSorvel_2"});

    log.waits.clear();
    form.FlowChartClick(4);
    QCOMPARE(log.waits, QStringList{"100:imgDefaultUP_4+imgDefaultUP_5"});
    log.waits.clear();
    form.FlowChartClick(2);
    QCOMPARE(log.waits.size(), 1);
    QCOMPARE(log.waits.first().count(QStringLiteral("imgEffectsUP_")), 6);
    log.waits.clear();
    form.FlowChartClick(3);
    QCOMPARE(log.waits, blinks(QStringLiteral("imgDefaultUP_3")));
    QCOMPARE(shownHighlights(), QStringList{});
}

REGISTER_TEST(MainFormTest);
#include "tst_MainForm.moc"
