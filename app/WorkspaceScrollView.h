#pragma once

#include <QAbstractScrollArea>
#include <QImage>

// The scrolling workspace. It only keeps the scroll ranges, paints through an
// offscreen canvas (so that the owner can invert pixels exactly) and forwards the
// mouse; everything it shows is decided by its owner.
class WorkspaceScrollView : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit WorkspaceScrollView(QWidget* parent = nullptr);

    // Content size in workspace pixels; the scroll bars cover what exceeds the client.
    void setContentSize(int width, int height);
    QSize contentSize() const { return m_content; }
    QPoint scrollPosition() const;
    QSize clientSize() const;

    // Whether the canvas is cleared to white before each paint.
    bool eraseBack() const { return m_eraseBack; }
    void setEraseBack(bool erase) { m_eraseBack = erase; }

    // Repaints synchronously into the canvas and returns it (also used by tests and
    // screenshots).
    const QImage& renderCanvas(const QRect& clip);

signals:
    // Paint the client area into canvas; only clip needs to be right.
    void paintCanvas(QImage& canvas, const QRect& clip);
    void mousePressed(QPoint position);
    void mouseMoved(QPoint position);
    void mouseReleased(QPoint position);
    void mouseDoubleClicked(QPoint position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void updateBars();

    QSize m_content;
    bool m_eraseBack = true;
    QImage m_canvas;
};
