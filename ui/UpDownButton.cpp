#include "ui/UpDownButton.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QWheelEvent>

#include <algorithm>

UpDownButton::UpDownButton(QWidget* parent) : QWidget(parent)
{
    m_up = makeArrow(Qt::UpArrow, 1);
    m_down = makeArrow(Qt::DownArrow, -1);
    resize(17, 21);
}

QToolButton* UpDownButton::makeArrow(Qt::ArrowType arrow, int direction)
{
    auto* button = new QToolButton(this);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIconSize(QSize(7, 7));
    connect(button, &QToolButton::clicked, this, [this, direction] { step(direction); });
    return button;
}

void UpDownButton::layoutArrows()
{
    const int upper = height() / 2;
    m_up->setGeometry(0, 0, width(), upper);
    m_down->setGeometry(0, upper, width(), height() - upper);
}

void UpDownButton::resizeEvent(QResizeEvent*)
{
    layoutArrows();
}

void UpDownButton::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = std::max(minimum, maximum);
    setPosition(m_position);
}

void UpDownButton::setPosition(int position)
{
    m_position = std::clamp(position, m_minimum, m_maximum);
    if (m_buddy)
        m_buddy->setText(QString::number(m_position));
}

void UpDownButton::setBuddy(QLineEdit* edit)
{
    if (m_buddy)
        m_buddy->removeEventFilter(this);
    m_buddy = edit;
    if (m_buddy)
        m_buddy->installEventFilter(this);
    setPosition(m_position);
}

bool UpDownButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_buddy || !isEnabled())
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    if (event->type() == QEvent::Wheel) {
        wheelEvent(static_cast<QWheelEvent*>(event));
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void UpDownButton::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    event->accept();
    if (delta != 0)
        step(delta > 0 ? 1 : -1);
}

void UpDownButton::step(int direction)
{
    int current = m_position;
    if (m_buddy) {
        bool ok = false;
        const int typed = m_buddy->text().trimmed().toInt(&ok);
        if (ok)
            current = typed;
    }
    setPosition(current + direction);
    emit clicked();
}
