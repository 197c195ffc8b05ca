#include "ui/PreviewBox.h"

#include <QPainter>

PreviewBox::PreviewBox(QWidget* parent) : QWidget(parent) {}

void PreviewBox::paintEvent(QPaintEvent*)
{
    if (!m_handler)
        return;
    QPainter painter(this);
    m_handler(painter);
}
