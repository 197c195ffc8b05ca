#include "app/CropFrameTool.h"

#include "app/CanvasInversion.h"
#include "app/CropFrame.h"

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QRect>

namespace {

// The label's backing: rounded, a little wider than the text on its right.
constexpr qreal kLabelRadius = 3.0;
constexpr int kLabelPadding = 3;

Rect grown(const Rect& r, int by)
{
    return {r.left - by, r.top - by, r.right + by, r.bottom + by};
}

QColor randomLabelColour()
{
    auto* random = QRandomGenerator::global();
    return QColor(random->bounded(255), random->bounded(255), random->bounded(255));
}

// Dark behind a light colour, light behind a dark one, so the label reads on any photo;
// a little of the photo shows through.
QColor backingFor(const QColor& colour)
{
    return qGray(colour.rgb()) >= 128 ? QColor(0, 0, 0, 210) : QColor(255, 255, 255, 220);
}

Rect screenFrame(Rect frame, const ViewMapping& view)
{
    imageToScreen(view, frame);
    NormalizeRect(frame);
    return frame;
}

} // namespace

CropFrameTool::CropFrameTool(Members members) : m(members) {}

void CropFrameTool::press(QPoint position, const ViewMapping& view)
{
    if (m.dragging)
        return;
    m.dragPoint = position;
    const Rect frame = screenFrame(m.cropRect, view);
    m.activeGrip = GripAtPoint(frame, position);
    m.dragging = m.activeGrip != kGripBody || RectContains(frame, position.x(), position.y());
    if (!m.dragging)
        return;
    m_pressCropRect = m.cropRect;
    m.cropRect = frame;
    m_dragFrame = frame;
    m_dragMoved = false;
}

Qt::CursorShape CropFrameTool::hover(QPoint position, const ViewMapping& view)
{
    Rect frame = m.cropRect;
    imageToScreen(view, frame);
    m.activeGrip = GripAtPoint(frame, position);
    return cursorForGrip(m.activeGrip);
}

bool CropFrameTool::drag(QPoint position, long double aspectRatio, int zoomPercent)
{
    if (position == m.dragPoint)
        return false;
    dragCropFrame(m.cropRect, m.activeGrip, position - m.dragPoint, aspectRatio, zoomPercent);
    m.dragPoint = position;
    m_dragMoved = true;
    return true;
}

void CropFrameTool::release(const ViewMapping& view)
{
    if (m.dragging) {
        if (m_dragMoved) {
            screenToImage(view, m.cropRect);
            NormalizeRect(m.cropRect);
        } else {
            m.cropRect = m_pressCropRect;
        }
        ClampCropOrigin(m.cropRect);
    }
    m.dragging = false;
}

void CropFrameTool::paint(QImage& canvas, const QRect& clip, const ViewMapping& view,
                          const QString& sizeText, const QFont& labelFont)
{
    Rect frame = m_dragFrame;
    if (!m.dragging) {
        frame = screenFrame(m.cropRect, view);
        m_labelColour = randomLabelColour();
    }
    if (RectWidth(frame) > kSmallestDrawnFrame && RectHeight(frame) > kSmallestDrawnFrame) {
        invertFrame(canvas, frame, clip);
        invertFrame(canvas, grown(frame, 2), clip);
        invertRect(canvas, GripRect(frame, kGripRight), clip);
        invertRect(canvas, GripRect(frame, kGripBottomRight), clip);
        // After the grips, so the corner grip does not invert the label's arrow.
        paintLabel(canvas, clip, frame, sizeText, labelFont);
    }
    if (m.dragging && m_dragMoved) {
        invertDottedFrame(canvas, m_dragFrame, clip);
        invertDottedFrame(canvas, m.cropRect, clip);
    }
}

void CropFrameTool::paintLabel(QImage& canvas, const QRect& clip, const Rect& frame,
                               const QString& sizeText, const QFont& labelFont) const
{
    const QString text = QStringLiteral(" ↖") + sizeText;
    const QRect textRect = QFontMetrics(labelFont).boundingRect(
        QRect(frame.right, frame.bottom, 1000, 100), Qt::AlignLeft | Qt::AlignTop, text);
    QPainter painter(&canvas);
    painter.setClipRect(clip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(backingFor(m_labelColour));
    painter.drawRoundedRect(QRectF(textRect).adjusted(0, 0, kLabelPadding, 0), kLabelRadius,
                            kLabelRadius);
    painter.setFont(labelFont);
    painter.setPen(m_labelColour);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
}
