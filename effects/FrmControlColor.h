#pragma once

#include "effects/ToneAdjustment.h"
#include "raster/RasterBitmap.h"

#include <QDialog>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class QSlider;
class QToolButton;
class PreviewBox;
class UpDownButton;

// The adjustment dialog: brightness, contrast and gamma (tone mode) or hue and saturation
// (colour mode) on sliders, with a live preview. OK adjusts the work bitmap in place.
class TColorCForm : public QDialog {
    Q_OBJECT
public:
    // workBitmap must outlive the dialog; invalidateWorkspace asks the main window to
    // repaint it.
    TColorCForm(QWidget* parent, RasterBitmap& workBitmap,
                std::function<void()> invalidateWorkspace);

    // Sets the mode, builds PreviewSource from the work bitmap and sets up the rows; the
    // sliders' first positions fire their handler as any later move does.
    void prepare(AdjustKind mode);

    void ColorGaugeValueChange(QSlider* gauge);
    void UpDownValueChnageClick();
    void btnInitValueClick();
    void btnOKClick();
    void ColorCPaintBoxPaint(QPainter& painter);

    AdjustValues values() const { return {Value1, Value2, Value3}; }
    // What the preview shows: PreviewSource adjusted with the current values; empty when
    // the adjustment fails.
    RasterBitmap previewBitmap() const;

    AdjustKind AdjustMode = AdjustKind::Tone;
    int Value1 = 0;
    int Value2 = 0;
    int Value3 = 0;
    RasterBitmap PreviewSource;

    PreviewBox* ColorCPaintBox = nullptr;
    QToolButton* btnInitValue = nullptr;
    QLabel* lblFuncName1 = nullptr;
    QLabel* lblFuncName2 = nullptr;
    QLabel* lblFuncName3 = nullptr;
    QSlider* GaugeValue1 = nullptr;
    QSlider* GaugeValue2 = nullptr;
    QSlider* GaugeValue3 = nullptr;
    QLineEdit* edtValue1 = nullptr;
    QLineEdit* edtValue2 = nullptr;
    QLineEdit* edtValue3 = nullptr;
    UpDownButton* UpDownValue1 = nullptr;
    UpDownButton* UpDownValue2 = nullptr;
    UpDownButton* UpDownValue3 = nullptr;
    QLabel* lblInfo2 = nullptr;
    QLabel* lblInfo3 = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCANCEL = nullptr;

private:
    struct Row {
        QLabel* caption;
        QSlider* gauge;
        UpDownButton* upDown;
        int* value;
    };

    void buildRows();
    void setupRow(Row& row, const QString& caption, int minimum, int maximum, int position);
    void repaintPreview();

    RasterBitmap& m_workBitmap;
    std::function<void()> m_invalidateWorkspace;
    std::array<Row, 3> m_rows{};
};
