#include "app/WorkspaceScrollView.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

WorkspaceScrollView::WorkspaceScrollView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    viewport()->setMouseTracking(true);
    // The canvas covers every pixel, so Qt need not clear the viewport first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    horizontalScrollBar()->setTracking(true);
    verticalScrollBar()->setTracking(true);
    updateBars();
}

void WorkspaceScrollView::setContentSize(int width, int height)
{
    m_content = QSize(std::max(0, width), std::max(0, height));
    updateBars();
}

QPoint WorkspaceScrollView::scrollPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

QSize WorkspaceScrollView::clientSize() const
{
    return viewport()->size();
}

void WorkspaceScrollView::updateBars()
{
    const QSize client = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, m_content.width() - client.width()));
    horizontalScrollBar()->setPageStep(std::max(1, client.width()));
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(0, std::max(0, m_content.height() - client.height()));
    verticalScrollBar()->setPageStep(std::max(1, client.height()));
    verticalScrollBar()->setSingleStep(20);
}

const QImage& WorkspaceScrollView::renderCanvas(const QRect& clip)
{
    const qreal ratio = viewport()->devicePixelRatioF();
    const QSize pixels = viewport()->size() * ratio;
    if (m_canvas.size() != pixels || m_canvas.devicePixelRatio() != ratio) {
        m_canvas = QImage(pixels, QImage::Format_RGB32);
        m_canvas.setDevicePixelRatio(ratio);
        m_canvas.fill(Qt::white);
    }
    if (m_eraseBack) {
        QPainter painter(&m_canvas);
        painter.fillRect(clip, Qt::white);
    }
    emit paintCanvas(m_canvas, clip);
    return m_canvas;
}

void WorkspaceScrollView::paintEvent(QPaintEvent* event)
{
    const QRect clip = event->rect();
    const QImage& canvas = renderCanvas(clip);
    QPainter painter(viewport());
    painter.drawImage(clip, canvas,
                      QRectF(clip.topLeft() * canvas.devicePixelRatio(),
                             clip.size() * canvas.devicePixelRatio()));
}

void WorkspaceScrollView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateBars();
}

void WorkspaceScrollView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void WorkspaceScrollView::mousePressEvent(QMouseEvent* event)
{
    emit mousePressed(event->position().toPoint());
}

void WorkspaceScrollView::mouseMoveEvent(QMouseEvent* event)
{
    emit mouseMoved(event->position().toPoint());
}

void WorkspaceScrollView::mouseReleaseEvent(QMouseEvent* event)
{
    emit mouseReleased(event->position().toPoint());
}

// The second press of a double click is reported only as the double click, so that it
// does not start a frame drag on top of what the double click does.
void WorkspaceScrollView::mouseDoubleClickEvent(QMouseEvent* event)
{
    emit mouseDoubleClicked(event->position().toPoint());
}
