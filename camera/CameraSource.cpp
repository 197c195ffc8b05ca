#include "camera/CameraSource.h"

#include "camera/VideoFrames.h"

QImage CameraSource::stillCopy() const
{
    return stillImage(m_latest);
}

void CameraSource::deliver(const QVideoFrame& frame)
{
    if (!m_live || !frame.isValid())
        return;
    m_latest = frame;
    emit frameDelivered(frame);
}

void CameraSource::loseDevice()
{
    if (!m_live)
        return;
    stop();
    forgetLatestFrame();
    emit deviceLost();
}
