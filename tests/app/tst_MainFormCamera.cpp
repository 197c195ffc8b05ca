#include "RecordingMessageSink.h"
#include "RectTestSupport.h"
#include "TestData.h"
#include "TestRegistry.h"

#include "app/FrmDefineCanvas.h"
#include "app/FrmMain.h"
#include "app/WorkspaceScrollView.h"
#include "camera/FrmPCCam.h"
#include "camera/SyntheticCameraSource.h"

#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kFrames = 3;

enum class Finish { Ok, Cancel, Close };
enum class Start { Empty, Cut, SheetMade };

// Plays the user in the dialogs the main window opens: the custom size gets 300 × 400,
// the camera shows kFrames frames of its first device, captures (or not) and ends.
struct Driver {
    bool capture = true;
    bool silent = false;
    Finish finish = Finish::Ok;

    int operator()(QDialog& dialog) const
    {
        if (auto* canvas = qobject_cast<TDefineCanvasForm*>(&dialog)) {
            canvas->edtWidth->setText(QStringLiteral("300"));
            canvas->edtHeight->setText(QStringLiteral("400"));
            canvas->btnOKClick();
            return canvas->result();
        }
        auto* camera = qobject_cast<TPCCamForm*>(&dialog);
        if (!camera)
            return QDialog::Rejected;
        camera->FormActivate();
        auto& source = static_cast<SyntheticCameraSource&>(camera->source());
        source.setFrameInterval(0);
        source.setSilent(0, silent);
        for (int i = 0; i < kFrames; ++i)
            source.deliverNextFrame();
        if (capture)
            camera->btnCamCaptureClick();
        if (finish == Finish::Ok)
            camera->btnOKClick();
        else if (finish == Finish::Cancel)
            camera->btnCANCELClick();
        else
            camera->close();
        return camera->result();
    }
};

void show(TMainForm& form)
{
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
}

// The window with the portrait at photo type `type`, cut or made into a sheet, and its
// zoom away from the fit.
void prepare(TMainForm& form, Start start, int type)
{
    form.setSleepFunction([](int) {});
    form.setModalRunner(Driver{});
    show(form);
    if (start != Start::Empty) {
        form.OpenPhotoFile(test_data::testDataPath(QStringLiteral("portrait.jpg")));
        form.TypeClick(type);
        form.CropRect.left += 30;
        form.CropRect.right += 30;
        if (start == Start::Cut)
            form.CutPhoto();
        else
            form.MakeSheet();
    } else {
        form.TypeClick(type);
    }
    form.Gauge->setValue(200);
}

QImage rgb(const RasterBitmap& bitmap)
{
    return bitmap.image().convertToFormat(QImage::Format_RGB888);
}

} // namespace

Q_DECLARE_METATYPE(Start)
Q_DECLARE_METATYPE(Finish)

class MainFormCameraTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void photoFromTheCameraGoesOnAsAnOpenedFile_data();
    void photoFromTheCameraGoesOnAsAnOpenedFile();
    void noPhotoKeepsTheDocument_data();
    void noPhotoKeepsTheDocument();

private:
    QTemporaryDir m_dir;
};

void MainFormCameraTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void MainFormCameraTest::cleanupTestCase()
{
    qunsetenv("IDPHOTO_TEST_CAMERAS");
}

void MainFormCameraTest::photoFromTheCameraGoesOnAsAnOpenedFile_data()
{
    QTest::addColumn<Start>("start");
    QTest::addColumn<int>("type");
    QTest::newRow("empty window, ID photo") << Start::Empty << 0;
    QTest::newRow("sheet made, passport") << Start::SheetMade << 2;
    QTest::newRow("cut, custom size") << Start::Cut << 4;
}

// OK with a frame: the frame (640 × 480, 32 bits) is the photo and its original, and
// everything else is as after opening a file holding the same picture.
void MainFormCameraTest::photoFromTheCameraGoesOnAsAnOpenedFile()
{
    QFETCH(Start, start);
    QFETCH(int, type);
    qputenv("IDPHOTO_TEST_CAMERAS", "2");
    const QString file = m_dir.filePath(QStringLiteral("frame.png"));
    QVERIFY(SyntheticCameraSource::drawFrame(0, kFrames, QSize(640, 480)).save(file));
    TMainForm camera;
    TMainForm opened;
    prepare(camera, start, type);
    prepare(opened, start, type);
    RecordingMessageSink messages;

    camera.CameraClick();
    opened.OpenPhotoFile(file);

    QVERIFY(messages.messages.isEmpty());
    QCOMPARE(camera.WorkBitmap.width(), 640);
    QCOMPARE(camera.WorkBitmap.height(), 480);
    QCOMPARE(camera.WorkBitmap.bitsPerPixel(), 32);
    QCOMPARE(SyntheticCameraSource::frameNumber(camera.WorkBitmap.image()), kFrames);
    QCOMPARE(camera.OriginalBitmap.image(), camera.WorkBitmap.image());
    QCOMPARE(rgb(camera.WorkBitmap), rgb(opened.WorkBitmap));
    QVERIFY(camera.pnlIntroWindow->isHidden());
    QCOMPARE(camera.stage(), Stage::Loaded);
    QCOMPARE(camera.CutDone, false);
    QCOMPARE(camera.SheetMade, false);
    QCOMPARE(camera.ZoomPercent, 100);
    QCOMPARE(camera.ZoomPercent, opened.ZoomPercent);
    QCOMPARE(camera.Gauge->value(), opened.Gauge->value());
    QCOMPARE(camera.CropRect, opened.CropRect);
    QCOMPARE(camera.lblInfoSelectType->text(), opened.lblInfoSelectType->text());
    QCOMPARE(camera.ScrollView->contentSize(), opened.ScrollView->contentSize());
    // The workspace paints the captured frame (the frame's size label has a colour of its
    // own each time, so the two windows' paintings are not compared whole).
    Rect photo{0, 0, 640, 480};
    camera.ImageToScreen(photo);
    const QImage canvas =
        camera.ScrollView->renderCanvas(QRect(QPoint(), camera.ScrollView->clientSize()));
    const QImage shown =
        canvas.copy(photo.left, photo.top, photo.right - photo.left, photo.bottom - photo.top);
    QCOMPARE(SyntheticCameraSource::frameNumber(shown), kFrames);
}

void MainFormCameraTest::noPhotoKeepsTheDocument_data()
{
    QTest::addColumn<QByteArray>("cameras");
    QTest::addColumn<Start>("start");
    QTest::addColumn<bool>("capture");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<Finish>("finish");
    QTest::addColumn<bool>("message");

    QTest::newRow("cancel after a capture")
        << QByteArray("2") << Start::Cut << true << false << Finish::Cancel << false;
    QTest::newRow("close button after a capture, empty window")
        << QByteArray("2") << Start::Empty << true << false << Finish::Close << false;
    QTest::newRow("OK before any capture")
        << QByteArray("1") << Start::SheetMade << false << false << Finish::Ok << true;
    QTest::newRow("OK after a capture from a device without frames")
        << QByteArray("1") << Start::Cut << true << true << Finish::Ok << true;
    QTest::newRow("OK after a capture without a device")
        << QByteArray("0") << Start::Cut << true << false << Finish::Ok << true;
    QTest::newRow("OK after a capture without a device, empty window")
        << QByteArray("0") << Start::Empty << true << false << Finish::Ok << true;
}

// Cancel, the close button and OK without a captured frame leave every bitmap, the flags,
// the frame, the zoom and the intro as they were; OK without a frame says so.
void MainFormCameraTest::noPhotoKeepsTheDocument()
{
    QFETCH(QByteArray, cameras);
    QFETCH(Start, start);
    QFETCH(bool, capture);
    QFETCH(bool, silent);
    QFETCH(Finish, finish);
    QFETCH(bool, message);
    qputenv("IDPHOTO_TEST_CAMERAS", cameras);
    TMainForm form;
    prepare(form, start, 2);
    form.setModalRunner(Driver{capture, silent, finish});
    const QImage work = form.WorkBitmap.image().copy();
    const QImage original = form.OriginalBitmap.image().copy();
    const QImage cut = form.CutBitmap.image().copy();
    const Rect frame = form.CropRect;
    const Stage stage = form.stage();
    const int zoom = form.ZoomPercent;
    const bool intro = form.pnlIntroWindow->isHidden();
    RecordingMessageSink messages;

    form.CameraClick();

    using Messages = QList<QPair<QString, QString>>;
    const Messages said = message ? Messages{{QStringLiteral("Nuv Sorvel"),
                                              QStringLiteral("캡쳐한 이미지가 존재하지 않습니다.")}}
                                  : Messages{};
    QCOMPARE(messages.messages, said);
    QCOMPARE(form.WorkBitmap.image(), work);
    QCOMPARE(form.OriginalBitmap.image(), original);
    QCOMPARE(form.CutBitmap.image(), cut);
    QCOMPARE(form.CropRect, frame);
    QCOMPARE(form.stage(), stage);
    QCOMPARE(form.ZoomPercent, zoom);
    QCOMPARE(form.pnlIntroWindow->isHidden(), intro);
}

REGISTER_TEST(MainFormCameraTest);
#include "tst_MainFormCamera.moc"
