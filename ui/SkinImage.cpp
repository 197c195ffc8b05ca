#include "ui/SkinImage.h"

#include <QFile>
#include <QMouseEvent>

QPixmap artPixmap(const QString& fileName, qreal devicePixelRatio)
{
    const QString path = QStringLiteral(":/art/") + fileName;
    if (devicePixelRatio > 1.0) {
        QString dense = path;
        dense.insert(dense.lastIndexOf(u'.'), QStringLiteral("@2x"));
        QPixmap pixmap(dense);
        if (!pixmap.isNull()) {
            pixmap.setDevicePixelRatio(2.0);
            return pixmap;
        }
    }
    return QFile::exists(path) ? QPixmap(path) : QPixmap();
}

SkinImage::SkinImage(QWidget* parent, const QString& name, int tag, const QRect& geometry)
    : QLabel(parent), m_tag(tag)
{
    setObjectName(name);
    setGeometry(geometry);
    setMouseTracking(true);
    setCursor(Qt::PointingHandCursor);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void SkinImage::setPicture(const QString& fileName)
{
    const QPixmap pixmap = artPixmap(fileName, devicePixelRatioF());
    if (!pixmap.isNull())
        setPixmap(pixmap);
}

void SkinImage::mousePressEvent(QMouseEvent* event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void SkinImage::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = m_pressed && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    event->accept();
    if (click)
        emit clicked(this);
}

void SkinImage::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
    emit mouseMoved(this);
}
