#include "overlay/FontSampleDelegate.h"

#include <QPainter>

namespace {

constexpr int kGap = 8;

} // namespace

FontSampleDelegate::FontSampleDelegate(QString sample, QObject* parent)
    : QStyledItemDelegate(parent), m_sample(std::move(sample))
{
}

void FontSampleDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const
{
    QStyledItemDelegate::paint(painter, option, index);
    const QString family = index.data(Qt::DisplayRole).toString();
    const int nameWidth = option.fontMetrics.horizontalAdvance(family) + 2 * kGap;
    QRect sampleArea = option.rect.adjusted(nameWidth, 0, -kGap / 2, 0);
    if (sampleArea.width() <= 0)
        return;
    QFont sampleFont(family);
    sampleFont.setPointSizeF(option.font.pointSizeF());
    painter->save();
    painter->setFont(sampleFont);
    painter->setPen(option.palette.color(
        option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
    painter->drawText(sampleArea, Qt::AlignRight | Qt::AlignVCenter, m_sample);
    painter->restore();
}
