#pragma once

#include <QFrame>

// The white "적용 중입니다.... " strip with grey bars at both ends that stands over a
// window while a long step runs.
class WaitPanel : public QFrame {
    Q_OBJECT
public:
    // Hidden until shown; geometry in the parent's coordinates.
    WaitPanel(QWidget* parent, const QRect& geometry);

    // Shows or hides the panel and brings the screen up to date at once: the step that
    // follows keeps the event loop from painting.
    void setShown(bool shown);
};
