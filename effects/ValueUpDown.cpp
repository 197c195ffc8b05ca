#include "effects/ValueUpDown.h"

#include <QLineEdit>

ValueUpDown::ValueUpDown(QWidget* parent) : QSpinBox(parent)
{
    // The range and position a fresh up-down starts with before its owner sets them.
    setRange(0, 100);
    setValue(0);
    lineEdit()->setReadOnly(true);
    setAlignment(Qt::AlignRight);
}

void ValueUpDown::stepBy(int steps)
{
    QSpinBox::stepBy(steps);
    emit clicked();
}
