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
class UpDownButton;

// Building blocks of the program's dialogs, which place every control at a fixed spot.

// Repaints at once what a widget just hidden covered in its parent, for handlers that
// keep the event loop from painting until they end.
void repaintHiddenArea(QWidget* widget);

// A fixed-size tool window with the given client size, caption and the windows' font.
void setupToolDialog(QDialog& dialog, QSize clientSize, const QString& caption);

// A push button filling place.
QPushButton* makeButton(QWidget* parent, const QString& text, const QRect& place);
// A label at `at`, sized to its text.
QLabel* makeLabel(QWidget* parent, const QString& text, QPoint at);
// A label filling place, its text aligned within it.
QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& place,
                  Qt::Alignment alignment);
// Shows text in the label's fixed width: in the label's font when it fits, otherwise in a
// smaller size down to 7 points, and elided beyond that.
void fitLabelText(QLabel* label, const QString& text);
// A note at `at`, sized to its text, which keeps its spaces and line breaks and may start
// its lines with "☞".
QLabel* makeNote(QWidget* parent, const QString& text, QPoint at);

// Sets the colour of the widget's text (and, unless they set their own, its children's).
void setTextColour(QWidget* widget, const QColor& colour);

// A white panel with a one-pixel border at panelAt whose whole client area is a paint box
// of boxSize, with a black panel behind it that shows as a drop shadow.
PreviewBox* makePreviewPanel(QWidget* parent, QPoint panelAt, QSize boxSize);

// A framed panel, white or in the window colour.
QFrame* makeFramedPanel(QWidget* parent, const QRect& geometry, bool white);

// The program's flat slider look: a thin grey groove and a teal grip gripWidth wide.
void applySliderSkin(QSlider* slider, int gripWidth);
// A flat slider with a 16-pixel grip and a hand cursor that moves in steps of 50; tag
// tells a shared handler which one moved. It starts as a fresh one does: range 0 … 255
// at 255.
QSlider* makeGauge(QWidget* parent, const QRect& geometry, int tag);
// The row a gauge stands for, 0 when it has none.
int gaugeTag(const QSlider* gauge);

// An up-down with its read-only edit, editWidth wide, at the edit's top-left; the
// up-down's buttons follow the edit on its right.
UpDownButton* makeUpDown(QWidget* parent, QPoint editAt, int editWidth, int height);

// Gives a gauge and its up-down the range minimum … maximum and moves the gauge to
// position, which fires its handler as a user's move does.
void setGaugeRange(QSlider* gauge, UpDownButton* upDown, int minimum, int maximum, int position);

// The captions of a dialog's closing pair; the edit dialogs' are the default.
struct OkCancelCaptions {
    QString ok = QStringLiteral("확  인");
    QString cancel = QStringLiteral("취  소");
    bool boldOk = true;
};
struct OkCancelButtons {
    QPushButton* ok = nullptr;
    QPushButton* cancel = nullptr;
};
// The two closing buttons of buttonSize at okAt and cancelAt; OK is the default button.
// Their handlers are the caller's.
OkCancelButtons makeOkCancelButtons(QWidget* parent, QPoint okAt, QPoint cancelAt,
                                    QSize buttonSize = QSize(75, 25),
                                    const OkCancelCaptions& captions = {});
