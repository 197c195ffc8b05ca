#include "effects/FrmInputFrame.h"

#include "effects/EffectPreview.h"
#include "effects/FrameThumbnail.h"
#include "effects/_NuvFrame.h"
#include "raster/BitmapPainter.h"
#include "ui/BusyState.h"
#include "ui/DialogParts.h"
#include "ui/PreviewBox.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QMetaObject>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QRegion>
#include <QScrollArea>
#include <QScrollBar>

namespace {

constexpr QSize kClientSize(601, 366);
constexpr QSize kPaintBoxSize(261, 225);
constexpr QRect kListPanel(311, 53, 249, 174);
constexpr qint64 kEventIntervalMs = 15;
const QString kLoadingText = QStringLiteral("액자 로딩 중... ");

QLabel* makeColouredLabel(QWidget* parent, const QString& text, QPoint at, const QColor& colour)
{
    QLabel* label = makeLabel(parent, text, at);
    setTextColour(label, colour);
    return label;
}

// The white, borderless scroll box inside a white panel with a one-pixel border; it scrolls
// vertically only, with a flat teal bar that follows its thumb while it is dragged.
QScrollArea* makeFrameView(QWidget* parent)
{
    auto* panel = new QFrame(parent);
    panel->setGeometry(kListPanel);
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setLineWidth(1);

    auto* view = new QScrollArea(panel);
    view->setGeometry(panel->contentsRect());
    view->setFrameShape(QFrame::NoFrame);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QPalette white = view->palette();
    white.setColor(QPalette::Window, Qt::white);
    view->setPalette(white);
    view->viewport()->setPalette(white);
    // On the bar alone: a style sheet on the box would reach every thumbnail, and styling
    // each one costs more than reading it.
    view->verticalScrollBar()->setStyleSheet(QStringLiteral(
        "QScrollBar:vertical { background: #eef3f3; width: 12px; margin: 0; }"
        "QScrollBar::handle:vertical { background: #1a9c9c; min-height: 24px;"
        " border-radius: 3px; margin: 1px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
    view->verticalScrollBar()->setTracking(true);
    return view;
}

} // namespace

TInputFrameForm::TInputFrameForm(QWidget* parent, RasterBitmap& workBitmap)
    : QDialog(parent), m_workBitmap(workBitmap)
{
    setupToolDialog(*this, kClientSize, QStringLiteral("사진 액자 넣기"));

    makeLabel(this, QStringLiteral("미리보기  "), QPoint(31, 30));
    PaintBox = makePreviewPanel(this, QPoint(31, 45), kPaintBoxSize);
    PaintBox->setPaintHandler([this](QPainter& painter) { PaintBoxPaint(painter); });

    makeLabel(this, QStringLiteral("사진 액자 리스트 "), QPoint(303, 30));
    lblFrameLoading = makeColouredLabel(this, kLoadingText, QPoint(408, 30), Qt::red);
    QFont loadingFont = lblFrameLoading->font();
    loadingFont.setFamilies({QStringLiteral("돋움"), QStringLiteral("NanumGothic")});
    lblFrameLoading->setFont(loadingFont);
    lblFrameLoading->adjustSize();
    lblFrameLoading->setText(QStringLiteral(" "));
    lblFrameLoading->hide();

    makeFramedPanel(this, QRect(303, 46, 265, 228), false);
    scbFrameView = makeFrameView(this);
    m_thumbnailArea = new QWidget(scbFrameView);
    m_thumbnailArea->setPalette(scbFrameView->palette());
    m_thumbnailArea->setAutoFillBackground(true);
    m_thumbnailArea->resize(scbFrameView->width(), 0);
    scbFrameView->setWidget(m_thumbnailArea);

    lblGoAlbum = makeColouredLabel(this,
                                   QStringLiteral("더 많은 액자는 인화 서비스 웹사이트에서\n"
                                                  "내려받거나, 액자 만들기 도구로 직접\n"
                                                  "만들어 액자 폴더에 넣을 수 있습니다."),
                                   QPoint(311, 234), Qt::blue);
    // A size smaller, so that its three lines stay inside the list's frame.
    QFont noteFont = lblGoAlbum->font();
    noteFont.setPointSizeF(8);
    lblGoAlbum->setFont(noteFont);
    lblGoAlbum->adjustSize();
    lblGoAlbum->setCursor(Qt::PointingHandCursor);

    lblApply = makeColouredLabel(this, QStringLiteral(" "), QPoint(16, 296), Qt::red);
    lblApply->resize(180, lblApply->height());

    const OkCancelButtons closing = makeOkCancelButtons(this, QPoint(215, 328), QPoint(311, 328));
    btnOK = closing.ok;
    btnCANCEL = closing.cancel;
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCANCEL, &QPushButton::clicked, this, &QDialog::reject);
}

void TInputFrameForm::prepare(const QString& frameDirectory)
{
    // Without a preview the box stays white; picking and OK still work on the photo.
    if (!makePreviewSource(PreviewBase, m_workBitmap, kPaintBoxSize.width(),
                           kPaintBoxSize.height()))
        PreviewBase.free();
    PreviewBitmap = PreviewBase;
    updateShownPreview();
    FrameDir = frameDirectory;
}

void TInputFrameForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Queued, so that the dialog is on the screen before the list starts filling.
    QMetaObject::invokeMethod(this, &TInputFrameForm::FormActivate, Qt::QueuedConnection);
}

void TInputFrameForm::done(int result)
{
    m_closing = true;
    QDialog::done(result);
}

void TInputFrameForm::FormActivate()
{
    if (ListLoaded)
        return;
    FrameList = listFrameFiles(FrameDir);
    LoadThumbnails();
}

void TInputFrameForm::LoadThumbnails()
{
    ListLoaded = true;
    if (FrameList.isEmpty())
        return;
    lblFrameLoading->setText(kLoadingText);
    lblFrameLoading->show();
    scbFrameView->setEnabled(false);
    for (int i = 0; i < FrameList.size() && !m_closing; ++i) {
        const FrameEntry& entry = FrameList.at(i);
        if (entry.thumbnailListed || ensureThumbnail(entry.path))
            AddThumbnail(thumbnailFileName(entry.path), entry.title, i);
    }
    lblFrameLoading->setText(QStringLiteral(" "));
    lblFrameLoading->hide();
    scbFrameView->setEnabled(true);
}

void TInputFrameForm::AddThumbnail(const QString& thumbnailFile, const QString& title, int index)
{
    letEventsThrough();
    if (m_closing)
        return;
    const QRect place(NextThumbPlace, QSize(kThumbnailSize, kThumbnailSize));
    auto* thumbnail = new FrameThumbnail(m_thumbnailArea, thumbnailFile, index, place);
    thumbnail->setToolTip(title);
    connect(thumbnail, &QAbstractButton::clicked, this,
            [this, thumbnail] { ThumbnailClick(thumbnail->tag()); });
    NextThumbPlace = nextThumbnailPlace(NextThumbPlace);
    m_thumbnailArea->resize(m_thumbnailArea->width(),
                            std::max(m_thumbnailArea->height(), place.bottom() + 1 + 10));
    thumbnail->show();
    Thumbnails.push_back(thumbnail);
}

void TInputFrameForm::letEventsThrough()
{
    // The dialog repaints, and stays answerable, while the list fills: before the first
    // thumbnail and then as often as a screen refreshes, which is all a person can see.
    // Doing it for every cached thumbnail would cost more than adding them.
    if (m_sinceEvents.isValid() && m_sinceEvents.elapsed() < kEventIntervalMs)
        return;
    QCoreApplication::processEvents();
    m_sinceEvents.start();
}

void TInputFrameForm::ThumbnailClick(int tag)
{
    if (tag < 0 || tag >= FrameList.size())
        return;
    SelectedFrame = FrameList.at(tag).path;
    ShowPreview(SelectedFrame);
}

void TInputFrameForm::ShowPreview(const QString& framePath)
{
    if (!QFileInfo::exists(framePath))
        return;
    // A fresh copy every time, so that frames never pile up; a frame that cannot be read
    // shows the photo without one.
    PreviewBitmap = PreviewBase;
    if (const TNuvFrame* frame = readFrame(framePath))
        framePhoto(*frame, PreviewBitmap);
    updateShownPreview();
    PaintBox->repaint();
}

void TInputFrameForm::updateShownPreview()
{
    m_shownPlace = previewTargetRect(PreviewBitmap.width(), PreviewBitmap.height(),
                                     PaintBox->width(), PaintBox->height());
    const qreal ratio = PaintBox->devicePixelRatioF();
    // A preview that cannot be scaled leaves the box white.
    if (scaleForScreen(PreviewBitmap, (QSizeF(m_shownPlace.size()) * ratio).toSize(),
                       m_shownPreview))
        m_shownPreview.setDevicePixelRatio(ratio);
}

const TNuvFrame* TInputFrameForm::readFrame(const QString& framePath)
{
    const auto known = m_readFrames.find(framePath);
    if (known != m_readFrames.end())
        return known->second.get();
    auto frame = std::make_unique<TNuvFrame>();
    if (!readFrameFile(*frame, framePath))
        frame.reset();
    return (m_readFrames[framePath] = std::move(frame)).get();
}

void TInputFrameForm::btnOKClick()
{
    lblApply->setText(QStringLiteral("적용 중입니다."));
    lblApply->repaint();
    if (!SelectedFrame.isEmpty() && QFileInfo::exists(SelectedFrame)) {
        const BusyState busy(Qt::WaitCursor);
        // A frame that cannot be applied leaves the photo as it was; OK still closes.
        if (const TNuvFrame* frame = readFrame(SelectedFrame))
            framePhoto(*frame, m_workBitmap);
    }
    accept();
}

void TInputFrameForm::PaintBoxPaint(QPainter& painter)
{
    if (!PreviewBitmap.isAllocated())
        return;
    // White only where the preview does not cover the box, so no pixel is painted twice.
    const QRect place = m_shownPreview.isNull() ? QRect() : m_shownPlace;
    for (const QRect& margin : QRegion(PaintBox->rect()).subtracted(place))
        painter.fillRect(margin, Qt::white);
    if (m_shownPreview.isNull())
        return;
    painter.save();
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(m_shownPlace.topLeft(), m_shownPreview);
    painter.restore();
}
