#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>

// Picture files made in memory, for readers of blocks that embed whole image files.
namespace picture_bytes {

inline QByteArray encoded(const QImage& image, const char* format = "PNG")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

inline QImage filled(int width, int height, QColor colour)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(colour);
    return image;
}

} // namespace picture_bytes
