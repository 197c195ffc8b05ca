#include "ui/WaitPanel.h"

#include "ui/DialogParts.h"

#include <QLabel>

namespace {

constexpr int kBarWidth = 17;

} // namespace

WaitPanel::WaitPanel(QWidget* parent, const QRect& geometry) : QFrame(parent)
{
    setGeometry(geometry);
    setStyleSheet(QStringLiteral("WaitPanel { background: white; }"));
    for (int left : {0, width() - kBarWidth}) {
        auto* bar = new QWidget(this);
        bar->setGeometry(left, 0, kBarWidth, height());
        bar->setStyleSheet(QStringLiteral("background: #a0a0a0;"));
    }
    auto* caption = new QLabel(QStringLiteral("적용 중입니다.... "), this);
    caption->setGeometry(kBarWidth, 0, width() - 2 * kBarWidth, height());
    caption->setAlignment(Qt::AlignCenter);
    caption->setStyleSheet(QStringLiteral("color: green; font-weight: bold;"));
    hide();
}

void WaitPanel::setShown(bool shown)
{
    setVisible(shown);
    if (shown) {
        repaint();
        return;
    }
    repaintHiddenArea(this);
}
