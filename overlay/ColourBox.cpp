#include "overlay/ColourBox.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

#include <array>
#include <utility>

namespace {

constexpr int kSwatchSize = 12;

const std::array<std::pair<QRgb, const char*>, 16> kBasicColours{{
    {0x000000, "검정"},
    {0x800000, "밤색"},
    {0x008000, "초록"},
    {0x808000, "올리브"},
    {0x000080, "남색"},
    {0x800080, "보라"},
    {0x008080, "청록"},
    {0x808080, "회색"},
    {0xc0c0c0, "은색"},
    {0xff0000, "빨강"},
    {0x00ff00, "연두"},
    {0xffff00, "노랑"},
    {0x0000ff, "파랑"},
    {0xff00ff, "자홍"},
    {0x00ffff, "하늘"},
    {0xffffff, "흰색"},
}};

QPixmap swatch(const QColor& colour)
{
    QPixmap pixmap(kSwatchSize, kSwatchSize);
    pixmap.fill(colour);
    // An outline keeps white visible on the white list.
    QPainter(&pixmap).drawRect(0, 0, kSwatchSize - 1, kSwatchSize - 1);
    return pixmap;
}

} // namespace

ColourBox::ColourBox(QWidget* parent) : QComboBox(parent)
{
    for (const auto& [rgb, name] : kBasicColours)
        addColourItem(QColor(rgb), QString::fromUtf8(name), count());
    addItem(QStringLiteral("기타 색..."));
    connect(this, &QComboBox::activated, this, &ColourBox::itemActivated);
    setColour(Qt::black);
}

void ColourBox::addColourItem(const QColor& colour, const QString& name, int at)
{
    insertItem(at, QIcon(swatch(colour)), name, colour);
}

void ColourBox::setColour(const QColor& colour)
{
    int index = findData(colour);
    if (index < 0) {
        // Other colours go just before the last item, which opens the dialog.
        index = count() - 1;
        addColourItem(colour, colour.name(), index);
    }
    setCurrentIndex(index);
    if (colour == m_colour)
        return;
    m_colour = colour;
    emit colourChanged();
}

void ColourBox::itemActivated(int index)
{
    if (index < count() - 1) {
        setColour(itemData(index).value<QColor>());
        return;
    }
    const QColor chosen = QColorDialog::getColor(m_colour, this);
    setColour(chosen.isValid() ? chosen : m_colour);
}
