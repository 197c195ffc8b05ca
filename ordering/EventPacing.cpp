#include "ordering/EventPacing.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

EventPacing EventPacing::responsive()
{
    return {waitResponsively, waitResponsively, [] { QCoreApplication::processEvents(); }};
}

void EventPacing::waitResponsively(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}
