#pragma once

#include "camera/CaptureCountdown.h"
#include "camera/PreviewPacer.h"
#include "raster/RasterBitmap.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QVideoFrame>

#include <memory>

class CameraSource;
class QFrame;
class QLabel;
class QMenu;
class QPainter;
class QPushButton;
class QTimer;
class PreviewBox;
class SkinImage;

// The camera dialog: live video from a chosen camera, a still taken at once or after a
// five-second count, and on OK that still as the new photo (CapturedPhoto).
class TPCCamForm : public QDialog {
    Q_OBJECT
public:
    TPCCamForm(QWidget* parent, std::unique_ptr<CameraSource> source);
    ~TPCCamForm() override;

    // On the first activation only: lists the devices and makes the first one live.
    void FormActivate();
    void ListDevices();
    // Makes device index (as listed in the menu) the live one.
    void SelectDevice(int index);
    void StartPreview();
    void HaltVideo();
    // Stops the video and shows its latest frame as the still; counts as a capture even
    // when no frame came.
    void CaptureFrame();

    void ImgShowDeviceClick();
    void btnCamPreviewClick();
    void btnCamCaptureClick();
    void btnCam5CaptureClick();
    void After5TimerTimer();
    // Accepts with CapturedPhoto filled; without a captured frame says so and rejects.
    void btnOKClick();
    void btnCANCELClick();
    // Stops the camera and the count.
    void FormClose();

    CameraSource& source() { return *m_source; }
    // The frame the preview was last handed (invalid when it shows none).
    const QVideoFrame& shownFrame() const;
    // The still of the last capture at its full size; null when it delivered no frame.
    const QImage& stillFrame() const { return m_still; }

    bool Captured = false;
    // The new photo, set by OK: the still as a 32-bit bitmap.
    RasterBitmap CapturedPhoto;

    QFrame* BorderBackPanel = nullptr;
    QLabel* lblPreview = nullptr;
    PreviewBox* ImgBackCam = nullptr;
    PreviewBox* VideoWindow = nullptr;
    QLabel* lblNotFoundDriver = nullptr;
    QLabel* lblCamDriver = nullptr;
    SkinImage* ImgShowDevice = nullptr;
    QMenu* pmuDevice = nullptr;
    QPushButton* btnCamPreview = nullptr;
    QPushButton* btnCamCapture = nullptr;
    QPushButton* btnCam5Capture = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCANCEL = nullptr;
    QTimer* After5Timer = nullptr;

public slots:
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createVideoArea();
    void createButtons();
    void frameArrived();
    // Repaints the video area now, or when the pacer allows.
    void schedulePreviewPaint();
    void deviceLost();
    void showLive(bool live);
    void showNoDevice(bool missing);
    void VideoWindowPaint(QPainter& painter);
    void ImgBackCamPaint(QPainter& painter);

    std::unique_ptr<CameraSource> m_source;
    CaptureCountdown m_countdown;
    PreviewPacer m_pacer;
    QElapsedTimer m_clock;
    QTimer* m_pacedPaint = nullptr;
    QImage m_shownPicture; // shownFrame() as drawn; null until the next paint converts it
    QImage m_still;
    QImage m_stillPicture; // m_still as drawn
    bool m_activated = false;
};
