#include "camera/SyntheticCameraSource.h"

#include <QPainter>
#include <QVideoFrameFormat>

#include <algorithm>
#include <cstring>

namespace {

// The counter's blocks: a white start block, then the value's bits from the highest,
// along the bottom edge, each block a sixteenth of the width.
constexpr int kBlocks = 16;
constexpr int kCounterBits = kBlocks - 1;

QRect blockRect(QSize size, int block)
{
    const int width = size.width() / kBlocks;
    const int height = std::max(1, size.height() / 24);
    return QRect(block * width, size.height() - height, width, height);
}

bool blockIsWhite(const QImage& picture, int block)
{
    const QPoint centre = blockRect(picture.size(), block).center();
    return qGray(picture.pixel(centre)) > 128;
}

} // namespace

SyntheticCameraSource::SyntheticCameraSource(int deviceCount, QObject* parent)
    : CameraSource(parent), m_devices(size_t(std::clamp(deviceCount, 0, kMaxDevices)))
{
    m_timer.setInterval(kFrameInterval);
    connect(&m_timer, &QTimer::timeout, this, &SyntheticCameraSource::deliverNextFrame);
}

QStringList SyntheticCameraSource::deviceNames()
{
    m_listed.clear();
    QStringList names;
    for (size_t i = 0; i < m_devices.size(); ++i) {
        if (!m_devices[i].present)
            continue;
        m_listed.push_back(int(i));
        names << QStringLiteral("테스트 카메라 %1").arg(i + 1);
    }
    return names;
}

bool SyntheticCameraSource::usable(int device) const
{
    return device >= 0 && size_t(device) < m_devices.size() && m_devices[size_t(device)].present;
}

bool SyntheticCameraSource::open(int index)
{
    stop();
    forgetLatestFrame();
    m_open = -1;
    m_frameCount = 0;
    if (index < 0 || size_t(index) >= m_listed.size() || !usable(m_listed[size_t(index)]))
        return false;
    m_open = m_listed[size_t(index)];
    return start();
}

bool SyntheticCameraSource::start()
{
    if (!usable(m_open))
        return false;
    setLive(true);
    if (m_timer.interval() > 0)
        m_timer.start();
    return true;
}

void SyntheticCameraSource::stop()
{
    m_timer.stop();
    setLive(false);
}

void SyntheticCameraSource::setFrameInterval(int milliseconds)
{
    m_timer.setInterval(std::max(0, milliseconds));
    if (m_timer.interval() == 0)
        m_timer.stop();
    else if (isLive())
        m_timer.start();
}

void SyntheticCameraSource::setFrameSize(QSize size)
{
    m_frameSize = size;
}

void SyntheticCameraSource::setPixelFormat(QVideoFrameFormat::PixelFormat format)
{
    m_pixelFormat = format;
}

QVideoFrame SyntheticCameraSource::cameraFrame(const QImage& picture,
                                               QVideoFrameFormat::PixelFormat format)
{
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    QVideoFrame frame(QVideoFrameFormat(rgb.size(), format));
    if (rgb.isNull() || !frame.map(QVideoFrame::WriteOnly))
        return {};
    const bool isRgb = format == kRgbFormat;
    const bool packed = format == QVideoFrameFormat::Format_YUYV;
    for (int y = 0; y < rgb.height(); ++y) {
        uchar* row = frame.bits(0) + y * frame.bytesPerLine(0);
        const auto* source = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        if (isRgb) {
            std::memcpy(row, source, size_t(rgb.width()) * 4);
            continue;
        }
        for (int x = 0; x < rgb.width(); ++x) {
            row[packed ? 2 * x : x] = uchar(qGray(source[x]));
            if (packed)
                row[2 * x + 1] = 128;
        }
    }
    for (int plane = 1; plane < frame.planeCount(); ++plane)
        std::memset(frame.bits(plane), 128, size_t(frame.mappedBytes(plane)));
    frame.unmap();
    return frame;
}

void SyntheticCameraSource::unplug(int device)
{
    if (device < 0 || size_t(device) >= m_devices.size())
        return;
    m_devices[size_t(device)].present = false;
    if (device == m_open)
        loseDevice();
}

void SyntheticCameraSource::setSilent(int device, bool silent)
{
    if (device >= 0 && size_t(device) < m_devices.size())
        m_devices[size_t(device)].silent = silent;
}

void SyntheticCameraSource::deliverNextFrame()
{
    if (!isLive() || !usable(m_open) || m_devices[size_t(m_open)].silent)
        return;
    ++m_frameCount;
    deliver(cameraFrame(drawFrame(m_open, m_frameCount, m_frameSize), m_pixelFormat));
}

QImage SyntheticCameraSource::drawFrame(int device, int counter, QSize size)
{
    QImage picture(size, QImage::Format_RGB32);
    if (picture.isNull())
        return {};
    const int hue = (device * 90 + counter * 2) % 360;
    picture.fill(QColor::fromHsv(hue, 90, 200));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    // A ball that travels across and a bar that sweeps down, so motion is plain to see.
    const int diameter = size.height() / 3;
    const int travel = std::max(1, size.width() - diameter);
    const int x = (counter * 8) % (2 * travel);
    painter.setBrush(QColor::fromHsv((hue + 180) % 360, 160, 230));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(x < travel ? x : 2 * travel - x, size.height() / 3, diameter, diameter);
    painter.fillRect(0, (counter * 4) % size.height(), size.width(), size.height() / 40,
                     QColor(255, 255, 255, 120));

    QFont font = painter.font();
    font.setPixelSize(std::max(8, size.height() / 12));
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(QPoint(0, 0), size).adjusted(12, 8, -12, 0),
                     Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("테스트 카메라 %1   #%2").arg(device + 1).arg(counter));

    painter.fillRect(blockRect(size, 0), Qt::white);
    for (int bit = 0; bit < kCounterBits; ++bit) {
        const bool set = (counter >> (kCounterBits - 1 - bit)) & 1;
        painter.fillRect(blockRect(size, bit + 1), set ? Qt::white : Qt::black);
    }
    return picture;
}

int SyntheticCameraSource::frameNumber(const QImage& picture)
{
    if (picture.width() < kBlocks || picture.height() < 24 || !blockIsWhite(picture, 0))
        return -1;
    int counter = 0;
    for (int bit = 0; bit < kCounterBits; ++bit)
        counter = (counter << 1) | (blockIsWhite(picture, bit + 1) ? 1 : 0);
    return counter;
}
