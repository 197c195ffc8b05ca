#include "ui/WindowDragger.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

WindowDragger::WindowDragger(QWidget* window) : QObject(window), m_window(window) {}

void WindowDragger::addSurface(QWidget* surface)
{
    surface->setMouseTracking(true);
    surface->installEventFilter(this);
}

void WindowDragger::start(QPointF globalPosition)
{
    QWindow* handle = m_window->windowHandle();
    m_manual = !(handle && handle->startSystemMove());
    m_offset = globalPosition - QPointF(m_window->pos());
}

bool WindowDragger::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            start(mouse->globalPosition());
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_manual && (mouse->buttons() & Qt::LeftButton))
            m_window->move((mouse->globalPosition() - m_offset).toPoint());
        emit hovered(watched);
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_manual = false;
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}
