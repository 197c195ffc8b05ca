#include "overlay/TextDrag.h"

#include "overlay/TextBlock.h"

bool TextDrag::press(QPoint point, const Rect& block)
{
    if (!rectContains(block, point))
        return false;
    m_dragging = true;
    m_lastPoint = point;
    return true;
}

bool TextDrag::move(QPoint point, QSize area, QPoint& textTopLeft)
{
    if (!m_dragging || !rectContains(Rect{0, 0, area.width(), area.height()}, point))
        return false;
    textTopLeft += point - m_lastPoint;
    m_lastPoint = point;
    return true;
}
