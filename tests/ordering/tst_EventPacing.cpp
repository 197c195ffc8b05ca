#include "TestRegistry.h"

#include "ordering/EventPacing.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QTimer>

// The order's wait for something it checks again and again (the registration page) ends
// with the events that may bring it, and never outlasts its time when nothing comes.
class EventPacingTest : public QObject {
    Q_OBJECT

private slots:
    void pollEndsWithTheFirstEvents()
    {
        bool delivered = false;
        QTimer::singleShot(5, this, [&] { delivered = true; });
        // A wait that ran its whole time would take minutes; ending with the event it
        // leaves nearly all of them.
        const QDeadlineTimer limit(std::chrono::minutes(1));
        while (!delivered && !limit.hasExpired())
            EventPacing::responsive().poll(120000);
        QVERIFY(delivered);
        QVERIFY(limit.remainingTime() > 30000);
    }

    void pollEndsAfterItsTimeWithoutEvents()
    {
        QCoreApplication::processEvents();
        const QDeadlineTimer limit(std::chrono::minutes(1));
        EventPacing::responsive().poll(20);
        QVERIFY(!limit.hasExpired());
    }
};

REGISTER_TEST(EventPacingTest);
#include "tst_EventPacing.moc"
