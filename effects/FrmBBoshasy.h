#pragma once

#include "raster/RasterBitmap.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPainter;
class QPushButton;
class QSlider;
class PreviewBox;
class UpDownButton;

// The soft-glow dialog: one gamma slider between sharper and brighter, and a live preview
// of the whole effect. The effect itself is applied by the opening entry after OK.
class TBBoshasyForm : public QDialog {
    Q_OBJECT
public:
    explicit TBBoshasyForm(QWidget* parent = nullptr);

    // Builds PreviewSource from the photo and sets the slider to its first position, which
    // fires the slider handler as any later move does.
    void prepare(const RasterBitmap& workBitmap);

    void GaugeValueChange();
    void UpDownValueClick();
    void btnOKClick() { accept(); }
    void btnCANCELClick() { reject(); }
    void PaintBoxPaint(QPainter& painter);

    // What the preview shows: the effect on PreviewSource, its blur scaled to the preview;
    // empty when the effect fails.
    RasterBitmap previewBitmap() const;

    int GammaValue = 0;
    RasterBitmap PreviewSource;

    PreviewBox* PaintBox = nullptr;
    QSlider* GaugeValue = nullptr;
    QLineEdit* edtValue = nullptr;
    UpDownButton* UpDownValue = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCANCEL = nullptr;

private:
    void buildAdjustArea();

    QSize m_photoSize;
};
