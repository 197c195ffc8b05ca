#include "CameraTestSupport.h"
#include "RecordingMessageSink.h"
#include "TestRegistry.h"

#include "camera/FrmPCCam.h"
#include "camera/SyntheticCameraSource.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "ui/PreviewBox.h"

using namespace camera_test;

namespace {

const QString kNoImage = QStringLiteral("캡쳐한 이미지가 존재하지 않습니다.");
const QString kNoDevice = QStringLiteral("카메라 장치를 찾을 수 없습니다. ");

QStringList menuTexts(const TPCCamForm& dialog)
{
    QStringList texts;
    for (const QAction* item : dialog.pmuDevice->actions())
        texts << item->text();
    return texts;
}

bool showsLive(const TPCCamForm& dialog)
{
    return !dialog.VideoWindow->isHidden() && dialog.ImgBackCam->isHidden();
}

// The counter of the frame the video area shows, read from what it paints.
int shownCounter(TPCCamForm& dialog)
{
    return SyntheticCameraSource::frameNumber(dialog.VideoWindow->grab().toImage());
}

} // namespace

class PCCamFormTest : public QObject {
    Q_OBJECT
private slots:
    void deviceMenu_data();
    void deviceMenu();
    void switchingDevice();
    void captureShowsTheFrameThePreviewShowed_data();
    void captureShowsTheFrameThePreviewShowed();
    void countdownCaptions();
    void countdownOnTheTimer();
    void countdownFromAStillGoesLiveFirst();
    void closing_data();
    void closing();
    void vanishedDevice();
};

void PCCamFormTest::deviceMenu_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<QStringList>("items");
    QTest::newRow("none") << 0 << QStringList{kNoDevice};
    QTest::newRow("two") << 2 << QStringList{"테스트 카메라 1", "테스트 카메라 2"};
    QTest::newRow("four") << 4
                          << QStringList{"테스트 카메라 1", "테스트 카메라 2", "테스트 카메라 3",
                                         "테스트 카메라 4"};
}

// The first activation lists the devices in order and makes the first one live; without
// a device the menu and the video area say that none was found.
void PCCamFormTest::deviceMenu()
{
    QFETCH(int, devices);
    QFETCH(QStringList, items);
    const auto dialog = makeDialog(devices);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("PC 카메라"));
    QCOMPARE(dialog->size(), QSize(489, 402));
    QVERIFY(dialog->pmuDevice->actions().isEmpty());

    dialog->FormActivate();
    dialog->FormActivate(); // only the first activation lists

    QCOMPARE(menuTexts(*dialog), items);
    const bool none = devices == 0;
    QCOMPARE(dialog->lblNotFoundDriver->isHidden(), !none);
    QCOMPARE(dialog->lblNotFoundDriver->text(),
             QStringLiteral("카메라 장치를 찾을 수 없습니다.  "));
    QCOMPARE(testCamera(*dialog).openDevice(), none ? -1 : 0);
    QCOMPARE(dialog->source().isLive(), !none);
    QVERIFY(showsLive(*dialog));
    if (none) {
        QVERIFY(!dialog->pmuDevice->actions().constFirst()->isEnabled());
        return;
    }
    QVERIFY(dialog->pmuDevice->actions().constFirst()->isChecked());
    deliverFrames(*dialog, 2);
    QCOMPARE(shownCounter(*dialog), 2);
}

void PCCamFormTest::switchingDevice()
{
    const auto dialog = makeDialog(2);
    dialog->FormActivate();
    deliverFrames(*dialog, 5);

    dialog->pmuDevice->actions().at(1)->trigger();

    QCOMPARE(testCamera(*dialog).openDevice(), 1);
    QVERIFY(dialog->pmuDevice->actions().at(1)->isChecked());
    QVERIFY(!dialog->pmuDevice->actions().at(0)->isChecked());
    // The first device's last frame is gone until the second delivers.
    QVERIFY(!dialog->shownFrame().isValid());
    QCOMPARE(shownCounter(*dialog), -1);
    deliverFrames(*dialog, 1);
    QCOMPARE(shownCounter(*dialog), 1);
    QCOMPARE(dialog->shownFrame().toImage(),
             SyntheticCameraSource::drawFrame(1, 1, SyntheticCameraSource::kFrameSize));
}

void PCCamFormTest::captureShowsTheFrameThePreviewShowed_data()
{
    QTest::addColumn<QVideoFrameFormat::PixelFormat>("format");
    QTest::newRow("RGB32") << SyntheticCameraSource::kRgbFormat;
    QTest::newRow("YUYV") << QVideoFrameFormat::Format_YUYV;
    QTest::newRow("NV12") << QVideoFrameFormat::Format_NV12;
}

// The still is the frame the preview was showing, at the camera's full size in 32-bit
// pixels whatever the camera's format, and it stays when later frames would have come.
void PCCamFormTest::captureShowsTheFrameThePreviewShowed()
{
    QFETCH(QVideoFrameFormat::PixelFormat, format);
    const auto dialog = makeDialog(1);
    testCamera(*dialog).setPixelFormat(format);
    dialog->FormActivate();
    deliverFrames(*dialog, 7);
    const int seen = shownCounter(*dialog);
    QCOMPARE(seen, 7);

    dialog->btnCamCapture->click();

    QVERIFY(dialog->Captured);
    QVERIFY(!showsLive(*dialog));
    QVERIFY(!dialog->source().isLive());
    QCOMPARE(dialog->stillFrame().size(), QSize(640, 480));
    QCOMPARE(SyntheticCameraSource::frameNumber(dialog->stillFrame()), seen);
    QCOMPARE(SyntheticCameraSource::frameNumber(dialog->ImgBackCam->grab().toImage()), seen);
    deliverFrames(*dialog, 3); // halted: nothing new arrives
    QCOMPARE(SyntheticCameraSource::frameNumber(dialog->stillFrame()), seen);

    dialog->btnCamPreview->click();
    QVERIFY(showsLive(*dialog));
    deliverFrames(*dialog, 1);
    QCOMPARE(shownCounter(*dialog), 8);
    dialog->btnCamCapture->click();
    QCOMPARE(SyntheticCameraSource::frameNumber(dialog->stillFrame()), 8);

    dialog->btnOK->click();
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QCOMPARE(dialog->CapturedPhoto.width(), 640);
    QCOMPARE(dialog->CapturedPhoto.height(), 480);
    QCOMPARE(dialog->CapturedPhoto.bitsPerPixel(), 32);
    QCOMPARE(SyntheticCameraSource::frameNumber(dialog->CapturedPhoto.image()), 8);
}

// The button counts [ 5 ] … [ 1 ] on the first five ticks, disabled, and the sixth tick
// captures and gives the button back.
void PCCamFormTest::countdownCaptions()
{
    const auto dialog = makeDialog(1);
    dialog->FormActivate();
    deliverFrames(*dialog, 1);
    QCOMPARE(dialog->After5Timer->interval(), 1000);
    QCOMPARE(dialog->btnCam5Capture->text(), QStringLiteral("5초후 캡쳐"));

    dialog->btnCam5Capture->click();
    QVERIFY(dialog->After5Timer->isActive());
    QVERIFY(!dialog->btnCam5Capture->isEnabled());
    QCOMPARE(dialog->btnCam5Capture->text(), QStringLiteral("5초후 캡쳐"));

    for (int seconds = 5; seconds >= 1; --seconds) {
        deliverFrames(*dialog, 1);
        dialog->After5TimerTimer();
        QCOMPARE(dialog->btnCam5Capture->text(), QStringLiteral("[ %1 ]").arg(seconds));
        QVERIFY(!dialog->btnCam5Capture->isEnabled());
        QVERIFY(!dialog->Captured);
        QVERIFY(showsLive(*dialog));
    }
    dialog->After5TimerTimer();
    QVERIFY(dialog->Captured);
    QVERIFY(!dialog->After5Timer->isActive());
    QVERIFY(dialog->btnCam5Capture->isEnabled());
    QCOMPARE(dialog->btnCam5Capture->text(), QStringLiteral("5초후 캡쳐"));
    QCOMPARE(SyntheticCameraSource::frameNumber(dialog->stillFrame()), 6);

    // A second count starts again from five.
    dialog->btnCam5Capture->click();
    dialog->After5TimerTimer();
    QCOMPARE(dialog->btnCam5Capture->text(), QStringLiteral("[ 5 ]"));
}

// On the real timer (with short ticks) the capture comes one tick after [ 1 ], six ticks
// after the click.
void PCCamFormTest::countdownOnTheTimer()
{
    constexpr int kTick = 40;
    const auto dialog = makeDialog(1);
    dialog->FormActivate();
    testCamera(*dialog).setFrameInterval(5);
    dialog->After5Timer->setInterval(kTick);
    QStringList captions;
    QElapsedTimer clock;
    qint64 capturedAfter = -1;
    QTimer watch;
    watch.setInterval(1);
    connect(&watch, &QTimer::timeout, this, [&] {
        const QString caption = dialog->btnCam5Capture->text();
        if (captions.isEmpty() || captions.constLast() != caption)
            captions << caption;
        if (dialog->Captured && capturedAfter < 0)
            capturedAfter = clock.elapsed();
    });

    clock.start();
    dialog->btnCam5Capture->click();
    watch.start();
    QTRY_VERIFY_WITH_TIMEOUT(dialog->Captured, 5000);
    QTRY_VERIFY(capturedAfter >= 0);

    const QStringList expected{"5초후 캡쳐", "[ 5 ]", "[ 4 ]",     "[ 3 ]",
                               "[ 2 ]",      "[ 1 ]", "5초후 캡쳐"};
    QCOMPARE(captions, expected);
    QVERIFY2(capturedAfter >= 6 * kTick - 5, qPrintable(QString::number(capturedAfter)));
    QVERIFY(SyntheticCameraSource::frameNumber(dialog->stillFrame()) > 0);
}

void PCCamFormTest::countdownFromAStillGoesLiveFirst()
{
    const auto dialog = makeDialog(1);
    dialog->FormActivate();
    deliverFrames(*dialog, 2);
    dialog->btnCamCapture->click();
    QVERIFY(!showsLive(*dialog));

    dialog->btnCam5Capture->click();

    QVERIFY(showsLive(*dialog));
    QVERIFY(dialog->source().isLive());
    deliverFrames(*dialog, 1);
    QCOMPARE(shownCounter(*dialog), 3);
}

void PCCamFormTest::closing_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<bool>("silent");
    QTest::addColumn<QString>("steps");     // c: capture now, 5: start the count, t: one tick
    QTest::addColumn<QString>("closeWith"); // ok, cancel, close
    QTest::addColumn<int>("result");
    QTest::addColumn<bool>("message");

    QTest::newRow("OK after a capture") << 1 << false << "c"
                                        << "ok" << 1 << false;
    QTest::newRow("OK before any capture") << 1 << false << ""
                                           << "ok" << 0 << true;
    QTest::newRow("OK while counting, before the capture") << 1 << false << "5tt"
                                                           << "ok" << 0 << true;
    QTest::newRow("OK after a capture without a device") << 0 << false << "c"
                                                         << "ok" << 0 << true;
    QTest::newRow("OK after a capture from a silent device") << 1 << true << "c"
                                                             << "ok" << 0 << true;
    QTest::newRow("cancel after a capture") << 1 << false << "c"
                                            << "cancel" << 0 << false;
    QTest::newRow("title-bar close after a capture") << 1 << false << "c"
                                                     << "close" << 0 << false;
    QTest::newRow("title-bar close while counting") << 1 << false << "5tt"
                                                    << "close" << 0 << false;
}

// However the dialog ends, the camera is stopped and the count with it; only OK after a
// capture that delivered a frame accepts, and OK without one says so.
void PCCamFormTest::closing()
{
    QFETCH(int, devices);
    QFETCH(bool, silent);
    QFETCH(QString, steps);
    QFETCH(QString, closeWith);
    QFETCH(int, result);
    QFETCH(bool, message);

    RecordingMessageSink messages;
    const auto dialog = makeDialog(devices);
    testCamera(*dialog).setSilent(0, silent);
    dialog->FormActivate();
    for (const QChar step : steps) {
        deliverFrames(*dialog, 1);
        if (step == u'c')
            dialog->btnCamCapture->click();
        else if (step == u'5')
            dialog->btnCam5Capture->click();
        else
            dialog->After5TimerTimer();
    }

    if (closeWith == QLatin1String("ok"))
        dialog->btnOK->click();
    else if (closeWith == QLatin1String("cancel"))
        dialog->btnCANCEL->click();
    else
        dialog->close();

    QCOMPARE(dialog->result(), result);
    QCOMPARE(dialog->CapturedPhoto.isAllocated(), result == QDialog::Accepted);
    using Messages = QList<QPair<QString, QString>>;
    const Messages expected =
        message ? Messages{{QStringLiteral("Nuv Sorvel"), kNoImage}} : Messages{};
    QCOMPARE(messages.messages, expected);
    QVERIFY(!dialog->source().isLive());
    QVERIFY(!dialog->After5Timer->isActive());
}

// A device that goes away while live: the area says no camera is found, a capture then
// holds nothing and OK says so; another device brings the video back.
void PCCamFormTest::vanishedDevice()
{
    RecordingMessageSink messages;
    const auto dialog = makeDialog(2);
    dialog->FormActivate();
    deliverFrames(*dialog, 3);

    testCamera(*dialog).unplug(0);

    QVERIFY(!dialog->source().isLive());
    QVERIFY(!dialog->lblNotFoundDriver->isHidden());
    QCOMPARE(shownCounter(*dialog), -1);
    dialog->btnCamPreview->click(); // cannot start again
    QVERIFY(!dialog->source().isLive());
    dialog->btnCamCapture->click();
    QVERIFY(dialog->Captured);
    QVERIFY(dialog->stillFrame().isNull());

    dialog->pmuDevice->actions().at(0)->trigger(); // still gone
    QVERIFY(!dialog->lblNotFoundDriver->isHidden());
    dialog->pmuDevice->actions().at(1)->trigger();
    QVERIFY(dialog->lblNotFoundDriver->isHidden());
    QVERIFY(showsLive(*dialog));
    deliverFrames(*dialog, 1);
    QCOMPARE(shownCounter(*dialog), 1);

    dialog->btnOK->click(); // the last capture held nothing
    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QCOMPARE(messages.messages.size(), 1);
}

REGISTER_TEST(PCCamFormTest);
#include "tst_PCCamForm.moc"
