#pragma once

#include "camera/CameraSource.h"

#include <QSize>
#include <QTimer>
#include <QVideoFrameFormat>

#include <vector>

// Test cameras for tests and for machines without one: n devices named "테스트 카메라 1"
// … "테스트 카메라 n", each drawing its own moving pattern with its frame counter written
// in, as text and as a row of black and white blocks that frameNumber reads back. A
// device can be made to vanish, or to open and never deliver a frame.
class SyntheticCameraSource : public CameraSource {
    Q_OBJECT
public:
    static constexpr int kMaxDevices = 4;
    static constexpr QSize kFrameSize{640, 480};
    static constexpr int kFrameInterval = 33; // about 30 frames per second
    // 32-bit pixels in the byte order of QImage::Format_RGB32.
    static constexpr QVideoFrameFormat::PixelFormat kRgbFormat = QVideoFrameFormat::Format_BGRX8888;

    explicit SyntheticCameraSource(int deviceCount, QObject* parent = nullptr);

    // Lists the devices still present; open(i) opens the i-th of the last listing.
    QStringList deviceNames() override;
    bool open(int index) override;
    bool start() override;
    void stop() override;

    // Milliseconds between frames while live; 0 delivers frames only through
    // deliverNextFrame, so a test decides when each comes.
    void setFrameInterval(int milliseconds);
    void setFrameSize(QSize size);
    // The layout frames come in, as a camera's: kRgbFormat (the default), or YUYV, NV12 or
    // I420 (YUV420P), which carry the picture's grey levels.
    void setPixelFormat(QVideoFrameFormat::PixelFormat format);
    // Device n (0 for "테스트 카메라 1") disappears: it can no longer be opened, and when
    // it is the live one the source stops and reports the loss.
    void unplug(int device);
    // Device n opens but never delivers a frame.
    void setSilent(int device, bool silent);
    // The live device's next frame, now; nothing when none is live or it is silent.
    void deliverNextFrame();
    // Frames the open device has delivered since it was opened.
    int frameCount() const { return m_frameCount; }
    // The device that is open (0 for "테스트 카메라 1"), -1 when none is.
    int openDevice() const { return m_open; }

    // The counter drawn into a frame of this source (at its own size, or any picture
    // scaled from one); -1 when the picture carries none.
    static int frameNumber(const QImage& picture);
    // The frame the device draws for a counter value.
    static QImage drawFrame(int device, int counter, QSize size);
    // picture as a frame of the given layout (see setPixelFormat); invalid when it cannot
    // be made.
    static QVideoFrame cameraFrame(const QImage& picture, QVideoFrameFormat::PixelFormat format);

private:
    struct Device {
        bool present = true;
        bool silent = false;
    };
    bool usable(int device) const;

    std::vector<Device> m_devices;
    std::vector<int> m_listed; // the devices of the last listing
    QTimer m_timer;
    QSize m_frameSize = kFrameSize;
    QVideoFrameFormat::PixelFormat m_pixelFormat = kRgbFormat;
    int m_open = -1;
    int m_frameCount = 0;
};
