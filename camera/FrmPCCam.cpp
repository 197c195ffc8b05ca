#include "camera/FrmPCCam.h"

#include "camera/CameraSource.h"
#include "camera/VideoFrames.h"
#include "common/MessageSink.h"
#include "ui/DialogParts.h"
#include "ui/PreviewBox.h"
#include "ui/SkinImage.h"
#include "ui/WindowLook.h"

#include <QActionGroup>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr QSize kClientSize(489, 402);
constexpr QSize kVideoSize(320, 240);
constexpr int kCountdownInterval = 1000;
const QColor kNoteGreen(0x2e, 0x8b, 0x57);
const QColor kCaptureBlue(0x1f, 0x3a, 0xbf);

QLabel* makeBoldLabel(QWidget* parent, const QString& text, QPoint at, int pixelSize = 0)
{
    QLabel* label = makeLabel(parent, text, at);
    QFont font = label->font();
    font.setBold(true);
    if (pixelSize > 0)
        font.setPixelSize(pixelSize);
    label->setFont(font);
    label->adjustSize();
    return label;
}

} // namespace

TPCCamForm::TPCCamForm(QWidget* parent, std::unique_ptr<CameraSource> source)
    : QDialog(parent), m_source(std::move(source))
{
    setupToolDialog(*this, kClientSize, QStringLiteral("PC 카메라"));
    setTextColour(this, Qt::black);

    BorderBackPanel = makeFramedPanel(this, QRect(0, 0, 489, 349), false);
    lblPreview = makeLabel(BorderBackPanel, QStringLiteral("미리보기  "), QPoint(21, 24));
    createVideoArea();
    createButtons();

    makeFramedPanel(BorderBackPanel, QRect(8, 296, 473, 44), false);
    Label1 = makeLabel(BorderBackPanel,
                       QStringLiteral("PC카메라 또는 디지털카메라와 연결하여 즉석에서 사진을 "
                                      "촬영하고 편집할 수 있는 \n기능입니다.  사진을 즉시 "
                                      "캡쳐하거나 자세를 잡은 후, 5초 후에 캡쳐할 수 있습니다."),
                       QPoint(16, 307));
    setTextColour(Label1, kNoteGreen);

    const OkCancelButtons closing = makeOkCancelButtons(this, QPoint(159, 364), QPoint(255, 364));
    btnOK = closing.ok;
    btnCANCEL = closing.cancel;
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCANCEL, &QPushButton::clicked, this, [this] { btnCANCELClick(); });

    After5Timer = new QTimer(this);
    After5Timer->setInterval(kCountdownInterval);
    connect(After5Timer, &QTimer::timeout, this, [this] { After5TimerTimer(); });

    m_clock.start();
    m_pacedPaint = new QTimer(this);
    m_pacedPaint->setSingleShot(true);
    connect(m_pacedPaint, &QTimer::timeout, VideoWindow, qOverload<>(&QWidget::update));
    connect(m_source.get(), &CameraSource::frameDelivered, this, &TPCCamForm::frameArrived);
    connect(m_source.get(), &CameraSource::deviceLost, this, &TPCCamForm::deviceLost);
}

TPCCamForm::~TPCCamForm()
{
    FormClose();
}

void TPCCamForm::createVideoArea()
{
    ImgBackCam = makePreviewPanel(BorderBackPanel, QPoint(19, 37), kVideoSize);
    ImgBackCam->setPaintHandler([this](QPainter& painter) { ImgBackCamPaint(painter); });
    ImgBackCam->hide();

    VideoWindow = new PreviewBox(ImgBackCam->parentWidget());
    VideoWindow->setGeometry(ImgBackCam->geometry());
    VideoWindow->setPaintHandler([this](QPainter& painter) { VideoWindowPaint(painter); });

    lblNotFoundDriver = makeBoldLabel(
        VideoWindow, QStringLiteral("카메라 장치를 찾을 수 없습니다.  "), QPoint(37, 112), 16);
    setTextColour(lblNotFoundDriver, Qt::white);
    lblNotFoundDriver->hide();
}

void TPCCamForm::createButtons()
{
    lblCamDriver =
        makeBoldLabel(BorderBackPanel, QStringLiteral("PC 카메라 드라이버 "), QPoint(354, 40));
    setTextColour(lblCamDriver, kNoteGreen);
    ImgShowDevice =
        new SkinImage(BorderBackPanel, QStringLiteral("ImgShowDevice"), 0, QRect(355, 36, 119, 17));
    ImgShowDevice->setCursor(Qt::PointingHandCursor);
    ImgShowDevice->setToolTip(QStringLiteral("PC 캠 드라이버 선택"));
    connect(ImgShowDevice, &SkinImage::clicked, this, [this] { ImgShowDeviceClick(); });
    pmuDevice = new QMenu(this);

    btnCamPreview =
        makeButton(BorderBackPanel, QStringLiteral("미 리 보 기"), QRect(352, 190, 121, 25));
    btnCamCapture =
        makeButton(BorderBackPanel, QStringLiteral("즉 시 캡 쳐"), QRect(352, 222, 121, 25));
    btnCam5Capture =
        makeButton(BorderBackPanel, CaptureCountdown::idleCaption(), QRect(352, 254, 121, 25));
    for (QPushButton* button : {btnCamPreview, btnCamCapture, btnCam5Capture})
        button->setAutoDefault(false);
    setTextColour(btnCamCapture, kCaptureBlue);
    setTextColour(btnCam5Capture, kCaptureBlue);
    connect(btnCamPreview, &QPushButton::clicked, this, [this] { btnCamPreviewClick(); });
    connect(btnCamCapture, &QPushButton::clicked, this, [this] { btnCamCaptureClick(); });
    connect(btnCam5Capture, &QPushButton::clicked, this, [this] { btnCam5CaptureClick(); });
}

// ---- devices ---------------------------------------------------------------------------

void TPCCamForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TPCCamForm::FormActivate()
{
    if (m_activated)
        return;
    m_activated = true;
    ListDevices();
}

void TPCCamForm::ListDevices()
{
    pmuDevice->clear();
    const QStringList names = m_source->deviceNames();
    if (names.isEmpty()) {
        pmuDevice->addAction(QStringLiteral("카메라 장치를 찾을 수 없습니다. "))->setEnabled(false);
        showNoDevice(true);
        return;
    }
    auto* group = new QActionGroup(pmuDevice);
    for (int index = 0; index < names.size(); ++index) {
        QAction* item = pmuDevice->addAction(names[index]);
        item->setData(index);
        item->setCheckable(true);
        group->addAction(item);
        connect(item, &QAction::triggered, this, [this, index] { SelectDevice(index); });
    }
    showNoDevice(false);
    SelectDevice(0);
}

void TPCCamForm::SelectDevice(int index)
{
    m_shownPicture = QImage();
    const QList<QAction*> items = pmuDevice->actions();
    if (index >= 0 && index < items.size())
        items[index]->setChecked(true);
    showNoDevice(!m_source->open(index));
    showLive(true);
}

void TPCCamForm::StartPreview()
{
    if (!m_source->start())
        m_source->start();
}

void TPCCamForm::HaltVideo()
{
    m_source->stop();
}

void TPCCamForm::CaptureFrame()
{
    HaltVideo();
    showLive(false);
    m_still = m_source->stillCopy();
    m_stillPicture = m_still.isNull()
                         ? QImage()
                         : m_still.scaled(previewPlace(m_still.size(), kVideoSize).size(),
                                          Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    ImgBackCam->update();
    Captured = true;
}

const QVideoFrame& TPCCamForm::shownFrame() const
{
    return m_source->latestFrame();
}

void TPCCamForm::frameArrived()
{
    m_shownPicture = QImage();
    schedulePreviewPaint();
}

void TPCCamForm::schedulePreviewPaint()
{
    // Repaints coalesce, so frames that come faster than the screen shows them, or than
    // the pacer allows, cost no conversion.
    if (m_pacedPaint->isActive())
        return;
    const int delay = m_pacer.delayMs(m_clock.nsecsElapsed());
    if (delay == 0)
        VideoWindow->update();
    else
        m_pacedPaint->start(delay);
}

void TPCCamForm::deviceLost()
{
    m_shownPicture = QImage();
    showNoDevice(true);
    VideoWindow->update();
}

void TPCCamForm::showLive(bool live)
{
    VideoWindow->setVisible(live);
    ImgBackCam->setVisible(!live);
}

void TPCCamForm::showNoDevice(bool missing)
{
    lblNotFoundDriver->setVisible(missing);
}

// ---- painting --------------------------------------------------------------------------

void TPCCamForm::VideoWindowPaint(QPainter& painter)
{
    painter.fillRect(VideoWindow->rect(), Qt::black);
    const QVideoFrame& shown = shownFrame();
    if (!shown.isValid())
        return;
    if (m_shownPicture.isNull()) {
        const qint64 start = m_clock.nsecsElapsed();
        m_shownPicture = previewImage(shown, VideoWindow->size());
        m_pacer.converted(start, m_clock.nsecsElapsed());
    }
    painter.drawImage(previewPlace(shown.size(), VideoWindow->size()), m_shownPicture);
}

void TPCCamForm::ImgBackCamPaint(QPainter& painter)
{
    // An empty capture leaves the white area of the panel.
    if (m_stillPicture.isNull())
        return;
    painter.fillRect(ImgBackCam->rect(), Qt::black);
    painter.drawImage(previewPlace(m_still.size(), ImgBackCam->size()), m_stillPicture);
}

// ---- buttons ---------------------------------------------------------------------------

void TPCCamForm::ImgShowDeviceClick()
{
    pmuDevice->popup(ImgShowDevice->mapToGlobal(ImgShowDevice->rect().bottomLeft()));
}

void TPCCamForm::btnCamPreviewClick()
{
    StartPreview();
    showLive(true);
}

void TPCCamForm::btnCamCaptureClick()
{
    CaptureFrame();
}

void TPCCamForm::btnCam5CaptureClick()
{
    if (VideoWindow->isHidden())
        btnCamPreviewClick();
    After5Timer->start();
    btnCam5Capture->setEnabled(false);
}

void TPCCamForm::After5TimerTimer()
{
    const CaptureCountdown::Step step = m_countdown.tick();
    btnCam5Capture->setText(step.caption);
    if (!step.capture) {
        btnCam5Capture->setEnabled(false);
        return;
    }
    After5Timer->stop();
    CaptureFrame();
    btnCam5Capture->setEnabled(true);
}

void TPCCamForm::btnOKClick()
{
    CapturedPhoto = photoFromStill(m_still);
    // A capture that delivered no frame is no photo: the one being worked on stays.
    if (!Captured || !CapturedPhoto.isAllocated()) {
        showInfo(programCaption(), QStringLiteral("캡쳐한 이미지가 존재하지 않습니다."));
        reject();
        return;
    }
    accept();
}

void TPCCamForm::btnCANCELClick()
{
    reject();
}

void TPCCamForm::FormClose()
{
    After5Timer->stop();
    m_pacedPaint->stop();
    m_countdown.reset();
    m_source->stop();
}

void TPCCamForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    QDialog::closeEvent(event);
}

void TPCCamForm::done(int result)
{
    FormClose();
    QDialog::done(result);
}
