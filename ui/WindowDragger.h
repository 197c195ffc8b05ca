#pragma once

#include <QObject>
#include <QPointF>

class QWidget;

// Lets the user drag a frameless window by the surfaces added to it: through the window
// system where it can move windows, by following the mouse otherwise. The surfaces' mouse
// events are taken; a move over one is reported as hovered().
class WindowDragger : public QObject {
    Q_OBJECT
public:
    explicit WindowDragger(QWidget* window);

    void addSurface(QWidget* surface);

signals:
    void hovered(QObject* surface);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void start(QPointF globalPosition);

    QWidget* m_window;
    bool m_manual = false;
    QPointF m_offset;
};
