#pragma once

#include <QStyledItemDelegate>

// Draws a font list's item as its family name followed by a sample text in that family.
class FontSampleDelegate : public QStyledItemDelegate {
public:
    FontSampleDelegate(QString sample, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    QString m_sample;
};
