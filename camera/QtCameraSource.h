#pragma once

#include "camera/CameraSource.h"

#include <QCameraDevice>
#include <QList>
#include <QMediaCaptureSession>
#include <QMediaDevices>
#include <QVideoSink>

#include <memory>

class QCamera;

// The platform's cameras through Qt Multimedia (GStreamer on Linux): the capture session
// feeds a video sink whose frames, in whatever format the device gives, are handed on as
// they come. The camera is released when another is opened and when the source goes.
class QtCameraSource : public CameraSource {
    Q_OBJECT
public:
    explicit QtCameraSource(QObject* parent = nullptr);
    ~QtCameraSource() override;

    // Lists the devices present now; open(i) opens the i-th of the last listing.
    QStringList deviceNames() override;
    bool open(int index) override;
    bool start() override;
    void stop() override;

private:
    void checkStillPresent();
    void closeCamera();

    QMediaDevices m_mediaDevices;
    // The sink outlives the session that feeds it.
    QVideoSink m_sink;
    QMediaCaptureSession m_session;
    QList<QCameraDevice> m_listed;
    std::unique_ptr<QCamera> m_camera;
};
