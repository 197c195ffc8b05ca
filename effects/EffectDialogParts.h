#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QColor;
class QDialog;
class QFrame;
class QLabel;
class QPushButton;
class QSlider;
class QWidget;
class PreviewBox;
class ValueUpDown;

// Building blocks shared by the effect dialogs, which place every control at a fixed spot.

// The gamma gauge of both dialogs, in hundredths: 100 leaves the picture as it is.
inline constexpr int kGammaMinimum = 1;
inline constexpr int kGammaMaximum = 500;
inline constexpr int kGammaInitial = 100;

// A fixed-size tool window with the given client size, caption and the dialogs' font.
void setupEffectDialog(QDialog& dialog, QSize clientSize, const QString& caption);

QLabel* makeLabel(QWidget* parent, const QString& text, QPoint at);

// Sets the colour of the widget's text (and, unless they set their own, its children's).
void setTextColour(QWidget* widget, const QColor& colour);

// A white panel with a one-pixel border at panelAt whose whole client area is a paint box
// of boxSize, with a black panel behind it that shows as a drop shadow.
PreviewBox* makePreviewPanel(QWidget* parent, QPoint panelAt, QSize boxSize);

// A framed panel, white or in the window colour.
QFrame* makeFramedPanel(QWidget* parent, const QRect& geometry, bool white);

// A flat slider with a teal grip and a hand cursor; tag tells a shared handler which one
// moved. It starts as a fresh one does: range 0 … 255 at 255.
QSlider* makeGauge(QWidget* parent, const QRect& geometry, int tag);
// The row a gauge stands for, 0 when it has none.
int gaugeTag(const QSlider* gauge);

// An up-down whose read-only edit is editWidth wide, at the edit's top-left.
ValueUpDown* makeUpDown(QWidget* parent, QPoint editAt, int editWidth, int height);

// Gives a gauge and its up-down the range minimum … maximum and moves the gauge to
// position, which fires its handler as a user's move does.
void setGaugeRange(QSlider* gauge, ValueUpDown* upDown, int minimum, int maximum, int position);

// The two closing buttons, 75 × 25; OK is bold and the default button.
QPushButton* makeOkButton(QWidget* parent, QPoint at);
QPushButton* makeCancelButton(QWidget* parent, QPoint at);
