#pragma once

#include <QImage>
#include <QRect>

#include <vector>

class QPainter;

// Reductions of the workspace photo by powers of two, in the screen's pixel format,
// so that a repaint costs the size of the screen whatever the size of the photo. Each
// reduction is made the first time a zoom needs it, straight from the nearest finer
// one, and all are dropped when the photo's pixels change. The photo at the current
// zoom is kept too while it is screen-sized, so that repaints at one zoom (scrolling,
// dragging the crop frame) are plain copies. The photo itself is never held here
// (holding it would make every edit copy it); it is passed to each paint.
class WorkspacePyramid {
public:
    // Draws photo scaled into target (workspace pixels), only where target meets clip,
    // from the smallest reduction that is still at least as large as target.
    void paint(QPainter& painter, const QImage& photo, const QRect& target, const QRect& clip);
    // Number of reductions built so far.
    int levelCount() const;
    void clear();

private:
    void forgetOtherPhoto(const QImage& photo);
    const QImage& levelFor(const QImage& photo, QSize deviceTarget);
    const QImage& scaledFor(const QImage& photo, QSize deviceTarget);

    qint64 m_photoKey = 0;
    // The photo scaled to exactly the last target, or null.
    QImage m_scaled;
    // m_levels[k - 1] is the photo reduced by 2^k; null until needed.
    std::vector<QImage> m_levels;
};
