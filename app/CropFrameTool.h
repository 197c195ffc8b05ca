#pragma once

#include "app/WorkspaceGeometry.h"
#include "common/Rect.h"

#include <QColor>
#include <QPoint>
#include <QString>
#include <Qt>

class QFont;
class QImage;
class QRect;

// The crop frame on the workspace: the drag that moves it or resizes it by a grip, and
// its drawing (an inverted double line, the size label and the two grips). It works on
// the window's frame and drag members; while a drag lasts the frame is held in workspace
// pixels and is converted back to photo pixels on release.
class CropFrameTool {
public:
    // The window's members the tool reads and writes.
    struct Members {
        Rect& cropRect; // photo pixels, except during a drag
        bool& dragging;
        int& activeGrip;
        QPoint& dragPoint;
    };

    explicit CropFrameTool(Members members);

    // A press on the frame or one of its grips starts a drag; elsewhere nothing happens.
    // A press during a drag is ignored: the frame is already in workspace pixels.
    void press(QPoint position, const ViewMapping& view);
    // Outside a drag: the grip under the mouse becomes the active one; returns its cursor.
    Qt::CursorShape hover(QPoint position, const ViewMapping& view);
    // One step of a drag, the height following the width by aspectRatio and the frame kept
    // at its usable minimum at zoomPercent; returns whether the frame changed.
    bool drag(QPoint position, long double aspectRatio, int zoomPercent);
    // Ends a drag: the frame goes back to photo pixels, pushed inside the left and top
    // edges. A click that did not move keeps the frame exactly, since the round trip
    // through the zoom would change its size at low zooms.
    void release(const ViewMapping& view);

    // Draws the frame over the painted workspace: outside a drag at its place on the
    // photo with a new random label colour, during one where the drag holds it, with the
    // dotted outlines of where it started and where it is.
    void paint(QImage& canvas, const QRect& clip, const ViewMapping& view, const QString& sizeText,
               const QFont& labelFont);

private:
    // The size label on a backing, its top-left corner at the frame's bottom-right one.
    void paintLabel(QImage& canvas, const QRect& clip, const Rect& frame, const QString& sizeText,
                    const QFont& labelFont) const;

    Members m;
    Rect m_dragFrame;     // the frame where the drag started, workspace pixels
    Rect m_pressCropRect; // the frame where the drag started, photo pixels
    bool m_dragMoved = false;
    QColor m_labelColour;
};
