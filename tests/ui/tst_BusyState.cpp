#include "TestRegistry.h"

#include "ui/BusyState.h"
#include "ui/WaitPanel.h"

#include <QApplication>
#include <QTest>

#include <stdexcept>

class BusyStateTest : public QObject {
    Q_OBJECT
private slots:
    void shownWhileAlive_data();
    void shownWhileAlive();
    void nestedStatesRestoreInTurn();
};

void BusyStateTest::shownWhileAlive_data()
{
    QTest::addColumn<bool>("withCursor");
    QTest::addColumn<bool>("withPanel");
    QTest::addColumn<bool>("throws");

    QTest::newRow("cursor and panel") << true << true << false;
    QTest::newRow("cursor and panel, step throws") << true << true << true;
    QTest::newRow("panel only") << false << true << false;
    QTest::newRow("cursor only, step throws") << true << false << true;
}

void BusyStateTest::shownWhileAlive()
{
    QFETCH(bool, withCursor);
    QFETCH(bool, withPanel);
    QFETCH(bool, throws);

    QWidget window;
    window.resize(400, 300);
    auto* panel = new WaitPanel(&window, QRect(100, 100, 209, 25));
    window.show();
    QVERIFY(panel->isHidden());

    try {
        const BusyState busy(withCursor ? std::optional(Qt::WaitCursor) : std::nullopt,
                             withPanel ? panel : nullptr);
        QCOMPARE(panel->isVisible(), withPanel);
        QCOMPARE(QApplication::overrideCursor() != nullptr, withCursor);
        if (withCursor)
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        if (throws)
            throw std::runtime_error("step failed");
    } catch (const std::runtime_error&) {
    }

    QVERIFY(panel->isHidden());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void BusyStateTest::nestedStatesRestoreInTurn()
{
    {
        const BusyState waiting(Qt::WaitCursor);
        {
            const BusyState hand(Qt::PointingHandCursor);
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::PointingHandCursor);
        }
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

REGISTER_TEST(BusyStateTest);
#include "tst_BusyState.moc"
