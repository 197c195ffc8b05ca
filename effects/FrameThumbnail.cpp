#include "effects/FrameThumbnail.h"

#include "effects/FrameCatalog.h"

#include <QPainter>
#include <QStyle>

FrameThumbnail::FrameThumbnail(QWidget* parent, const QString& pictureFile, int tag,
                               const QRect& geometry)
    : QAbstractButton(parent), m_pictureFile(pictureFile), m_tag(tag)
{
    setGeometry(geometry);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

const QPixmap& FrameThumbnail::picture()
{
    if (m_read)
        return m_picture;
    m_read = true;
    RasterBitmap picture;
    // A cache file that does not decode leaves a blank thumbnail that can still be picked.
    if (loadThumbnail(m_pictureFile, picture))
        m_picture = QPixmap::fromImage(picture.image());
    return m_picture;
}

void FrameThumbnail::paintEvent(QPaintEvent*)
{
    const QPixmap& shown = picture();
    if (shown.isNull())
        return;
    QPainter painter(this);
    painter.drawPixmap(
        QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, shown.size(), rect()), shown);
}
