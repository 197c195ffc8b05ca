#include "effects/FrmControlColor.h"

#include "effects/EffectPreview.h"
#include "raster/BitmapPainter.h"
#include "ui/DialogParts.h"
#include "ui/PreviewBox.h"
#include "ui/UpDownButton.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>

namespace {

constexpr QSize kClientSize(505, 327);
constexpr QSize kPaintBoxSize(198, 199);
constexpr int kValueRange = 1000;

QLabel* makeInfoLabel(QWidget* parent, const QString& text)
{
    QLabel* label = makeLabel(parent, text, QPoint(248, 191));
    setTextColour(label, Qt::blue);
    label->hide();
    return label;
}

} // namespace

TColorCForm::TColorCForm(QWidget* parent, RasterBitmap& workBitmap,
                         std::function<void()> invalidateWorkspace)
    : QDialog(parent), m_workBitmap(workBitmap),
      m_invalidateWorkspace(std::move(invalidateWorkspace))
{
    setupToolDialog(*this, kClientSize, QStringLiteral("조정"));

    makeLabel(this, QStringLiteral("미리보기  "), QPoint(24, 24));
    ColorCPaintBox = makePreviewPanel(this, QPoint(24, 39), kPaintBoxSize);
    ColorCPaintBox->setPaintHandler([this](QPainter& painter) { ColorCPaintBoxPaint(painter); });

    makeLabel(this, QStringLiteral("조정 "), QPoint(248, 24));
    btnInitValue = new QToolButton(this);
    btnInitValue->setText(QStringLiteral("초기값"));
    btnInitValue->setAutoRaise(true);
    btnInitValue->setGeometry(400, 17, 81, 22);
    connect(btnInitValue, &QToolButton::clicked, this, [this] { btnInitValueClick(); });

    buildRows();

    lblInfo2 = makeInfoLabel(this, QStringLiteral("마우스로 조정막대를 움직여 사진의\n"
                                                  "밝기, 색상, 대비 등을 조절합니다. \n\n"
                                                  "[미세조정은 Up, Down 버튼을  이용합니다.]"));
    lblInfo3 = makeInfoLabel(this, QStringLiteral("마우스로 조정막대를 움직여 사진의 색조와\n"
                                                  "채도를 조절합니다. \n\n"
                                                  "[미세조정은 Up, Down 버튼을  이용합니다.]"));

    const OkCancelButtons closing = makeOkCancelButtons(this, QPoint(167, 288), QPoint(263, 288));
    btnOK = closing.ok;
    btnCANCEL = closing.cancel;
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCANCEL, &QPushButton::clicked, this, &QDialog::reject);
}

void TColorCForm::buildRows()
{
    QFrame* panel = makeFramedPanel(this, QRect(256, 48, 217, 121), true);
    std::array<int*, 3> values{&Value1, &Value2, &Value3};
    for (int i = 0; i < 3; ++i) {
        const int top = 13 + 40 * i;
        Row& row = m_rows[i];
        row.caption = makeLabel(panel, QString(), QPoint(8, top + 3));
        row.gauge = makeGauge(panel, QRect(40, top, 117, 19), i + 1);
        row.upDown = makeUpDown(panel, QPoint(158, top), 42, 20);
        row.value = values[i];
        QSlider* gauge = row.gauge;
        connect(gauge, &QSlider::valueChanged, this,
                [this, gauge] { ColorGaugeValueChange(gauge); });
        connect(row.upDown, &UpDownButton::clicked, this, [this] { UpDownValueChnageClick(); });
    }
    lblFuncName1 = m_rows[0].caption;
    lblFuncName2 = m_rows[1].caption;
    lblFuncName3 = m_rows[2].caption;
    GaugeValue1 = m_rows[0].gauge;
    GaugeValue2 = m_rows[1].gauge;
    GaugeValue3 = m_rows[2].gauge;
    UpDownValue1 = m_rows[0].upDown;
    UpDownValue2 = m_rows[1].upDown;
    UpDownValue3 = m_rows[2].upDown;
    edtValue1 = UpDownValue1->buddy();
    edtValue2 = UpDownValue2->buddy();
    edtValue3 = UpDownValue3->buddy();
}

void TColorCForm::setupRow(Row& row, const QString& caption, int minimum, int maximum, int position)
{
    row.caption->setText(caption);
    row.caption->adjustSize();
    setGaugeRange(row.gauge, row.upDown, minimum, maximum, position);
}

void TColorCForm::prepare(AdjustKind mode)
{
    AdjustMode = mode;
    // Without a preview source the box stays empty; the dialog still adjusts the photo.
    if (!makePreviewSource(PreviewSource, m_workBitmap, kPaintBoxSize.width(),
                           kPaintBoxSize.height()))
        PreviewSource.free();
    const bool tone = mode == AdjustKind::Tone;
    setupRow(m_rows[0], tone ? QStringLiteral("명도") : QStringLiteral("색조"), -kValueRange,
             kValueRange, 0);
    setupRow(m_rows[1], tone ? QStringLiteral("대조") : QStringLiteral("채도"), -kValueRange,
             kValueRange, 0);
    if (tone) {
        setupRow(m_rows[2], QStringLiteral("감마"), kGammaMinimum, kGammaMaximum, kGammaInitial);
    } else {
        lblFuncName3->hide();
        GaugeValue3->hide();
        edtValue3->hide();
        UpDownValue3->hide();
    }
    lblInfo2->setVisible(tone);
    lblInfo3->setVisible(!tone);
}

void TColorCForm::ColorGaugeValueChange(QSlider* gauge)
{
    const int tag = gaugeTag(gauge);
    if (tag <= 0 || tag > int(m_rows.size()))
        return;
    Row& row = m_rows[tag - 1];
    *row.value = gauge->value();
    row.upDown->setPosition(gauge->value());
    repaintPreview();
}

void TColorCForm::UpDownValueChnageClick()
{
    for (Row& row : m_rows) {
        *row.value = row.upDown->position();
        row.gauge->setValue(*row.value);
    }
}

void TColorCForm::btnInitValueClick()
{
    GaugeValue1->setValue(0);
    GaugeValue2->setValue(0);
    if (AdjustMode == AdjustKind::Tone)
        GaugeValue3->setValue(kGammaInitial);
}

void TColorCForm::btnOKClick()
{
    // A failed adjustment leaves the photo as it was, and the dialog says so by rejecting.
    if (!adjustBitmap(m_workBitmap, AdjustMode, values())) {
        reject();
        return;
    }
    if (m_invalidateWorkspace)
        m_invalidateWorkspace();
    accept();
}

RasterBitmap TColorCForm::previewBitmap() const
{
    RasterBitmap preview = PreviewSource;
    if (!adjustBitmap(preview, AdjustMode, values()))
        return {};
    return preview;
}

void TColorCForm::ColorCPaintBoxPaint(QPainter& painter)
{
    if (!PreviewSource.isAllocated())
        return;
    const QRect target = previewTargetRect(PreviewSource.width(), PreviewSource.height(),
                                           ColorCPaintBox->width(), ColorCPaintBox->height());
    // A preview that cannot be made or drawn leaves the box blank rather than stale.
    if (!paintBitmap(painter, previewBitmap(), target))
        painter.fillRect(target, Qt::white);
}

void TColorCForm::repaintPreview()
{
    // Drawn at once, so a dragged slider is followed move by move.
    ColorCPaintBox->repaint();
}
