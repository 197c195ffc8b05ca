#pragma once

#include "common/Rect.h"

#include <QPoint>
#include <QSize>

// Dragging the text block with the mouse. A press inside the block picks it up; each move
// over the preview then shifts the block by the distance since the last move that was
// over it. Moves outside the preview are ignored, so when the mouse comes back the block
// jumps by the whole way from the last point inside. Nothing keeps the block on the
// photo.
class TextDrag {
public:
    // Picks the block up when point lies in it; true then.
    bool press(QPoint point, const Rect& block);
    // While dragging and with point inside the preview (0, 0, area), moves textTopLeft by
    // the distance since the last accepted point and accepts point; true then.
    bool move(QPoint point, QSize area, QPoint& textTopLeft);
    void release() { m_dragging = false; }

    bool dragging() const { return m_dragging; }
    QPoint lastPoint() const { return m_lastPoint; }

private:
    bool m_dragging = false;
    QPoint m_lastPoint;
};
