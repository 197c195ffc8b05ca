#include "effects/FrmBBoshasy.h"

#include "effects/EffectPreview.h"
#include "effects/SoftGlow.h"
#include "effects/ToneAdjustment.h"
#include "raster/BitmapPainter.h"
#include "ui/DialogParts.h"
#include "ui/PreviewBox.h"
#include "ui/UpDownButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

namespace {

constexpr QSize kClientSize(609, 335);
constexpr QSize kPaintBoxSize(263, 215);

// A navy label whose text ends at x = right.
void makeEndLabel(QWidget* parent, const QString& text, int right, int top)
{
    QLabel* label = makeLabel(parent, text, QPoint(0, top));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->move(right - label->width(), top);
    setTextColour(label, QColor(0, 0, 0x80));
}

} // namespace

TBBoshasyForm::TBBoshasyForm(QWidget* parent) : QDialog(parent)
{
    setupToolDialog(*this, kClientSize, QStringLiteral("뽀샤시 효과"));
    setTextColour(this, Qt::black);

    makeLabel(this, QStringLiteral("미리보기  "), QPoint(24, 24));
    PaintBox = makePreviewPanel(this, QPoint(24, 39), kPaintBoxSize);
    PaintBox->setPaintHandler([this](QPainter& painter) { PaintBoxPaint(painter); });

    buildAdjustArea();

    makeFramedPanel(this, QRect(304, 128, 287, 81), false);
    Label2 = makeNote(this,
                      QStringLiteral("☞ 사진속의 얼굴 또는 사물에 밝은 화장(cosmetic) \n\n"
                                     "     효과를 적용시켜 예쁘게 하는 기능입니다. 조정\n\n"
                                     "     기능을 이용하여 원하는 만큼 효과를 내십시오."),
                      QPoint(312, 134));

    const OkCancelButtons closing = makeOkCancelButtons(this, QPoint(219, 296), QPoint(315, 296));
    btnOK = closing.ok;
    btnCANCEL = closing.cancel;
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCANCEL, &QPushButton::clicked, this, [this] { btnCANCELClick(); });
}

void TBBoshasyForm::buildAdjustArea()
{
    makeLabel(this, QStringLiteral("조정 "), QPoint(304, 24));
    makeFramedPanel(this, QRect(304, 40, 287, 73), false);
    makeEndLabel(this, QStringLiteral("선명하게 "), 362, 56);
    makeEndLabel(this, QStringLiteral("환하게 "), 530, 56);
    GaugeValue = makeGauge(this, QRect(311, 77, 223, 19), 1);
    UpDownValue = makeUpDown(this, QPoint(534, 77), 35, 20);
    edtValue = UpDownValue->buddy();
    connect(GaugeValue, &QSlider::valueChanged, this, [this] { GaugeValueChange(); });
    connect(UpDownValue, &UpDownButton::clicked, this, [this] { UpDownValueClick(); });
}

void TBBoshasyForm::prepare(const RasterBitmap& workBitmap)
{
    // Without a preview source the box stays empty; the dialog still sets the gamma.
    if (!makePreviewSource(PreviewSource, workBitmap, kPaintBoxSize.width(),
                           kPaintBoxSize.height()))
        PreviewSource.free();
    m_photoSize = QSize(workBitmap.width(), workBitmap.height());
    setGaugeRange(GaugeValue, UpDownValue, kGammaMinimum, kGammaMaximum, kGammaInitial);
}

void TBBoshasyForm::GaugeValueChange()
{
    GammaValue = GaugeValue->value();
    UpDownValue->setPosition(GammaValue);
    PaintBox->repaint();
}

void TBBoshasyForm::UpDownValueClick()
{
    GammaValue = UpDownValue->position();
    if (GaugeValue->value() != GammaValue) {
        GaugeValue->setValue(GammaValue); // its handler repaints
        return;
    }
    PaintBox->repaint();
}

RasterBitmap TBBoshasyForm::previewBitmap() const
{
    RasterBitmap preview = PreviewSource;
    if (!applySoftGlowPreview(preview, GammaValue, m_photoSize))
        return {};
    return preview;
}

void TBBoshasyForm::PaintBoxPaint(QPainter& painter)
{
    if (!PreviewSource.isAllocated())
        return;
    painter.fillRect(PaintBox->rect(), Qt::white);
    const QRect target = previewTargetRect(PreviewSource.width(), PreviewSource.height(),
                                           PaintBox->width(), PaintBox->height());
    // When the preview cannot be made or drawn nothing is drawn, and the box stays white.
    [[maybe_unused]] const bool drawn = paintBitmap(painter, previewBitmap(), target);
}
