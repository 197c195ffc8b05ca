#include "camera/QtCameraSource.h"

#include <QCamera>

QtCameraSource::QtCameraSource(QObject* parent) : CameraSource(parent)
{
    m_session.setVideoSink(&m_sink);
    // The sink may report from the stack's streaming thread; the connection's context
    // brings every frame to this object's thread.
    connect(&m_sink, &QVideoSink::videoFrameChanged, this,
            [this](const QVideoFrame& frame) { deliver(frame); });
    connect(&m_mediaDevices, &QMediaDevices::videoInputsChanged, this,
            &QtCameraSource::checkStillPresent);
}

QtCameraSource::~QtCameraSource()
{
    closeCamera();
}

QStringList QtCameraSource::deviceNames()
{
    m_listed = QMediaDevices::videoInputs();
    QStringList names;
    for (const QCameraDevice& device : m_listed)
        names << device.description();
    return names;
}

bool QtCameraSource::open(int index)
{
    closeCamera();
    forgetLatestFrame();
    if (index < 0 || index >= m_listed.size())
        return false;
    m_camera = std::make_unique<QCamera>(m_listed[index]);
    connect(m_camera.get(), &QCamera::errorOccurred, this, [this] { loseDevice(); });
    m_session.setCamera(m_camera.get());
    return start();
}

bool QtCameraSource::start()
{
    if (!m_camera)
        return false;
    // Live first, so that the first frame, which may come before start returns, is kept.
    setLive(true);
    m_camera->start();
    if (m_camera->error() == QCamera::NoError)
        return true;
    setLive(false);
    return false;
}

void QtCameraSource::stop()
{
    setLive(false);
    if (m_camera)
        m_camera->stop();
}

void QtCameraSource::closeCamera()
{
    stop();
    m_session.setCamera(nullptr);
    m_camera.reset();
}

void QtCameraSource::checkStillPresent()
{
    if (!m_camera || !isLive())
        return;
    if (!QMediaDevices::videoInputs().contains(m_camera->cameraDevice()))
        loseDevice();
}
