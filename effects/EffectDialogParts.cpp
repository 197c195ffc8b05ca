#include "effects/EffectDialogParts.h"

#include "effects/PreviewBox.h"
#include "effects/ValueUpDown.h"

#include <QDialog>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

namespace {

constexpr int kGaugeStep = 50;
constexpr int kUpDownButtonWidth = 16;
const char* const kTagProperty = "Tag";

const char* const kGaugeStyle = "QSlider::groove:horizontal { background: #c9d3dc; height: 4px;"
                                " border: 1px solid #9aa7b3; }"
                                "QSlider::handle:horizontal { background: #1a9c9c; width: 16px;"
                                " margin: -7px 0; border: 1px solid #137272; }";

QPushButton* makeButton(QWidget* parent, const QString& text, QPoint at)
{
    auto* button = new QPushButton(text, parent);
    button->setGeometry(QRect(at, QSize(75, 25)));
    return button;
}

} // namespace

void setupEffectDialog(QDialog& dialog, QSize clientSize, const QString& caption)
{
    dialog.setWindowFlags(Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::CustomizeWindowHint | Qt::MSWindowsFixedSizeDialogHint);
    dialog.setWindowTitle(caption);
    dialog.setFixedSize(clientSize);
    dialog.setFont(QFont(QStringLiteral("굴림"), 9));
}

QLabel* makeLabel(QWidget* parent, const QString& text, QPoint at)
{
    auto* label = new QLabel(text, parent);
    label->move(at);
    label->adjustSize();
    return label;
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

QSlider* makeGauge(QWidget* parent, const QRect& geometry, int tag)
{
    auto* gauge = new QSlider(Qt::Horizontal, parent);
    gauge->setGeometry(geometry);
    gauge->setCursor(Qt::PointingHandCursor);
    gauge->setStyleSheet(QString::fromLatin1(kGaugeStyle));
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

ValueUpDown* makeUpDown(QWidget* parent, QPoint editAt, int editWidth, int height)
{
    auto* upDown = new ValueUpDown(parent);
    upDown->setGeometry(QRect(editAt, QSize(editWidth + kUpDownButtonWidth, height)));
    return upDown;
}

void setGaugeRange(QSlider* gauge, ValueUpDown* upDown, int minimum, int maximum, int position)
{
    // The up-down's range comes first so that the position the gauge hands it fits.
    upDown->setRange(minimum, maximum);
    gauge->setMaximum(maximum);
    gauge->setMinimum(minimum);
    gauge->setValue(position);
}

QPushButton* makeOkButton(QWidget* parent, QPoint at)
{
    QPushButton* button = makeButton(parent, QStringLiteral("확  인"), at);
    QFont bold = button->font();
    bold.setBold(true);
    button->setFont(bold);
    button->setDefault(true);
    return button;
}

QPushButton* makeCancelButton(QWidget* parent, QPoint at)
{
    return makeButton(parent, QStringLiteral("취  소"), at);
}
