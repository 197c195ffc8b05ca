#pragma once

#include <QImage>
#include <QObject>
#include <QStringList>
#include <QVideoFrame>

// Where the camera dialog's pictures come from: a list of devices, one of them open and
// live, its frames for the preview and a still copy of the latest one. The dialog cannot
// tell the implementations apart.
class CameraSource : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // The devices' display names in the system's order; device i is names()[i].
    virtual QStringList deviceNames() = 0;
    // Closes the open device, forgets the latest frame, and makes device index the live
    // one, delivering frames. False when it cannot be opened; nothing is live then.
    virtual bool open(int index) = 0;
    // Resumes delivering from the open device; false when there is none or it fails.
    virtual bool start() = 0;
    // Stops delivering; the latest frame stays.
    virtual void stop() = 0;

    bool isLive() const { return m_live; }
    // The frame last handed to frameDelivered (invalid before the first).
    const QVideoFrame& latestFrame() const { return m_latest; }
    // A copy of the latest frame as 32-bit pixels at its full size; null when none came.
    QImage stillCopy() const;

signals:
    void frameDelivered(const QVideoFrame& frame);
    // The open device went away or failed while live; nothing is live any more.
    void deviceLost();

protected:
    // Implementations report their state and frames through these. A frame that arrives
    // while not live (one queued before a stop) is dropped, so the latest frame is always
    // the one the preview showed last.
    void setLive(bool live) { m_live = live; }
    void deliver(const QVideoFrame& frame);
    void forgetLatestFrame() { m_latest = QVideoFrame(); }
    void loseDevice();

private:
    QVideoFrame m_latest;
    bool m_live = false;
};
