#include "ui/BusyState.h"

#include "ui/WaitPanel.h"

#include <QCursor>
#include <QGuiApplication>

BusyState::BusyState(std::optional<Qt::CursorShape> cursor, WaitPanel* panel)
    : m_cursor(cursor.has_value()), m_panel(panel)
{
    if (m_panel)
        m_panel->setShown(true);
    if (m_cursor)
        QGuiApplication::setOverrideCursor(QCursor(*cursor));
}

BusyState::~BusyState()
{
    if (m_cursor)
        QGuiApplication::restoreOverrideCursor();
    if (m_panel)
        m_panel->setShown(false);
}
