#include "ordering/EventPacing.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

EventPacing EventPacing::responsive()
{
    return {[](int milliseconds) {
                QEventLoop loop;
                QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
                loop.exec();
            },
            [] { QCoreApplication::processEvents(); }};
}
