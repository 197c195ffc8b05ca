#include "TestRegistry.h"

#include "ui/DialogParts.h"
#include "ui/UpDownButton.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>

class UpDownButtonTest : public QObject {
    Q_OBJECT
private slots:
    void userSteps_data();
    void userSteps();
    void setPositionIsSilent();
    void madeWithItsEdit();
};

void UpDownButtonTest::userSteps_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("expected");

    // Range 200 … 999 from position 500.
    QTest::newRow("up arrow button") << "button up"
                                     << "" << 501;
    QTest::newRow("down key in the edit") << "key down"
                                          << "" << 499;
    QTest::newRow("up key starts from the typed number") << "key up"
                                                         << "640" << 641;
    QTest::newRow("wheel up over the edit") << "wheel up"
                                            << "" << 501;
    QTest::newRow("wheel down over the buttons") << "wheel down here"
                                                 << "" << 499;
    QTest::newRow("step clamps at the top") << "key up"
                                            << "999" << 999;
    QTest::newRow("typed number below the range") << "key up"
                                                  << "12" << 200;
}

void UpDownButtonTest::userSteps()
{
    QFETCH(QString, action);
    QFETCH(QString, typed);
    QFETCH(int, expected);

    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* upDown = new UpDownButton(&window);
    upDown->setRange(200, 999);
    upDown->setBuddy(edit);
    upDown->setPosition(500);
    if (!typed.isEmpty())
        edit->setText(typed);
    QSignalSpy clicks(upDown, &UpDownButton::clicked);

    if (action == "button up") {
        upDown->step(1);
    } else if (action.startsWith("key")) {
        QTest::keyClick(edit, action.endsWith("up") ? Qt::Key_Up : Qt::Key_Down);
    } else {
        QWidget* target = action.endsWith("here") ? static_cast<QWidget*>(upDown) : edit;
        const int delta = action.contains("up") ? 120 : -120;
        QWheelEvent wheel(QPointF(2, 2), target->mapToGlobal(QPointF(2, 2)), QPoint(),
                          QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(target, &wheel);
    }

    QCOMPARE(upDown->position(), expected);
    QCOMPARE(edit->text(), QString::number(expected));
    QCOMPARE(clicks.count(), 1);
}

void UpDownButtonTest::setPositionIsSilent()
{
    QWidget window;
    auto* edit = new QLineEdit(&window);
    auto* upDown = new UpDownButton(&window);
    upDown->setRange(10, 300);
    upDown->setBuddy(edit);
    QSignalSpy clicks(upDown, &UpDownButton::clicked);

    upDown->setPosition(1000);
    QCOMPARE(upDown->position(), 300);
    QCOMPARE(edit->text(), QStringLiteral("300"));
    upDown->setRange(10, 100);
    QCOMPARE(edit->text(), QStringLiteral("100"));
    QCOMPARE(clicks.count(), 0);

    // Keys typed into another edit do not step it.
    QLineEdit other(&window);
    QTest::keyClick(&other, Qt::Key_Up);
    QCOMPARE(upDown->position(), 100);
}

void UpDownButtonTest::madeWithItsEdit()
{
    QWidget window;
    UpDownButton* upDown = makeUpDown(&window, QPoint(534, 77), 35, 20);
    QLineEdit* edit = upDown->buddy();
    QVERIFY(edit);
    QCOMPARE(edit->geometry(), QRect(534, 77, 35, 20));
    QCOMPARE(upDown->geometry(), QRect(569, 77, 16, 20));
    QVERIFY(edit->isReadOnly());
    upDown->setRange(1, 500);
    upDown->setPosition(100);
    QCOMPARE(edit->text(), QStringLiteral("100"));
}

REGISTER_TEST(UpDownButtonTest);
#include "tst_UpDownButton.moc"
