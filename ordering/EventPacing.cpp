#include "ordering/EventPacing.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

EventPacing EventPacing::responsive()
{
    return {waitResponsively, waitForEvents, [] { QCoreApplication::processEvents(); }};
}

void EventPacing::waitResponsively(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void EventPacing::waitForEvents(int milliseconds)
{
    // Only a wake-up: its timeout is one more event, and it stops when others come first.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(milliseconds);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
