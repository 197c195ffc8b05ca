#include "ui/DialogParts.h"

#include "ui/PreviewBox.h"
#include "ui/UpDownButton.h"
#include "ui/WindowLook.h"

#include <QDialog>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace {

constexpr int kGaugeStep = 50;
constexpr int kGaugeGripWidth = 16;
constexpr int kUpDownButtonWidth = 16;
constexpr qreal kSmallestFittedPointSize = 7;
constexpr qreal kFitPointStep = 0.5;
const char* const kTagProperty = "Tag";

} // namespace

QPushButton* makeButton(QWidget* parent, const QString& text, const QRect& place)
{
    auto* button = new QPushButton(text, parent);
    button->setGeometry(place);
    return button;
}

void repaintHiddenArea(QWidget* widget)
{
    if (QWidget* parent = widget->parentWidget())
        parent->repaint(widget->geometry());
}

void setupToolDialog(QDialog& dialog, QSize clientSize, const QString& caption)
{
    dialog.setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint);
    dialog.setWindowTitle(caption);
    dialog.setFixedSize(clientSize);
    dialog.setFont(windowFont());
}

QLabel* makeLabel(QWidget* parent, const QString& text, QPoint at)
{
    auto* label = new QLabel(text, parent);
    label->move(at);
    label->adjustSize();
    return label;
}

QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& place, Qt::Alignment alignment)
{
    QLabel* label = makeLabel(parent, text, place.topLeft());
    label->setGeometry(place);
    label->setAlignment(alignment);
    return label;
}

void fitLabelText(QLabel* label, const QString& text)
{
    // The label's own font without an earlier fit, so a shorter text gets it back.
    QFont font = label->parentWidget() ? label->parentWidget()->font() : label->font();
    const int width = label->width();
    while (QFontMetrics(font).horizontalAdvance(text) > width &&
           font.pointSizeF() - kFitPointStep >= kSmallestFittedPointSize)
        font.setPointSizeF(font.pointSizeF() - kFitPointStep);
    label->setFont(font);
    label->setText(QFontMetrics(font).elidedText(text, Qt::ElideRight, width));
}

QLabel* makeNote(QWidget* parent, const QString& text, QPoint at)
{
    QLabel* note = makeLabel(parent, noteRichText(text), at);
    note->setTextFormat(Qt::RichText);
    note->adjustSize();
    return note;
}

void setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

PreviewBox* makePreviewPanel(QWidget* parent, QPoint panelAt, QSize boxSize)
{
    const QSize panelSize = boxSize + QSize(2, 2);
    // Created first so that it lies below the white panel.
    auto* shadow = new QFrame(parent);
    shadow->setGeometry(QRect(panelAt + QPoint(2, 4), panelSize + QSize(1, -1)));
    shadow->setAutoFillBackground(true);
    shadow->setPalette(QPalette(Qt::black, Qt::black));

    auto* panel = new QFrame(parent);
    panel->setGeometry(QRect(panelAt, panelSize));
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setLineWidth(1);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    panel->setPalette(white);

    auto* box = new PreviewBox(panel);
    box->setGeometry(QRect(QPoint(1, 1), boxSize));
    return box;
}

QFrame* makeFramedPanel(QWidget* parent, const QRect& geometry, bool white)
{
    auto* panel = new QFrame(parent);
    panel->setGeometry(geometry);
    // Matched by name so that the rule stays on the panel and its children keep their look.
    panel->setObjectName(QStringLiteral("framedPanel"));
    panel->setStyleSheet(QStringLiteral("QFrame#framedPanel { border: 1px solid #808080;%1 }")
                             .arg(white ? QStringLiteral(" background: white;") : QString()));
    return panel;
}

void applySliderSkin(QSlider* slider, int gripWidth)
{
    slider->setStyleSheet(
        QStringLiteral(
            "QSlider::groove:horizontal { height: 4px; background: #b8bec4; border-radius: 2px; }"
            "QSlider::handle:horizontal { width: %1px; margin: -6px 0; background: #1a9c9c;"
            " border-radius: 3px; }")
            .arg(gripWidth));
}

QSlider* makeGauge(QWidget* parent, const QRect& geometry, int tag)
{
    auto* gauge = new QSlider(Qt::Horizontal, parent);
    gauge->setGeometry(geometry);
    gauge->setCursor(Qt::PointingHandCursor);
    applySliderSkin(gauge, kGaugeGripWidth);
    gauge->setRange(0, 255);
    gauge->setValue(255);
    gauge->setSingleStep(kGaugeStep);
    gauge->setPageStep(kGaugeStep);
    gauge->setProperty(kTagProperty, tag);
    return gauge;
}

int gaugeTag(const QSlider* gauge)
{
    return gauge ? gauge->property(kTagProperty).toInt() : 0;
}

UpDownButton* makeUpDown(QWidget* parent, QPoint editAt, int editWidth, int height)
{
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(QRect(editAt, QSize(editWidth, height)));
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* upDown = new UpDownButton(parent);
    upDown->setGeometry(editAt.x() + editWidth, editAt.y(), kUpDownButtonWidth, height);
    upDown->setBuddy(edit);
    return upDown;
}

void setGaugeRange(QSlider* gauge, UpDownButton* upDown, int minimum, int maximum, int position)
{
    // The up-down's range comes first so that the position the gauge hands it fits.
    upDown->setRange(minimum, maximum);
    gauge->setMaximum(maximum);
    gauge->setMinimum(minimum);
    gauge->setValue(position);
}

OkCancelButtons makeOkCancelButtons(QWidget* parent, QPoint okAt, QPoint cancelAt, QSize buttonSize,
                                    const OkCancelCaptions& captions)
{
    OkCancelButtons buttons;
    buttons.ok = makeButton(parent, captions.ok, QRect(okAt, buttonSize));
    if (captions.boldOk) {
        QFont bold = buttons.ok->font();
        bold.setBold(true);
        buttons.ok->setFont(bold);
    }
    buttons.ok->setDefault(true);
    buttons.cancel = makeButton(parent, captions.cancel, QRect(cancelAt, buttonSize));
    return buttons;
}
