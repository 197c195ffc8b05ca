#include "overlay/TextDrag.h"

#include "overlay/TextBlock.h"

bool TextDrag::press(QPoint point, const Rect& block)
{
    if (!RectContains(block, point.x(), point.y()))
        return false;
    m_dragging = true;
    m_lastPoint = point;
    return true;
}

bool TextDrag::move(QPoint point, QSize area, QPoint& textTopLeft)
{
    if (!m_dragging || !RectContains(Rect{0, 0, area.width(), area.height()}, point.x(), point.y()))
        return false;
    textTopLeft += point - m_lastPoint;
    m_lastPoint = point;
    return true;
}
