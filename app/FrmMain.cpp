#include "app/FrmMain.h"

#include "app/CanvasSize.h"
#include "app/CropFrame.h"
#include "app/FileFilters.h"
#include "app/FrmAbout.h"
#include "app/FrmDefineCanvas.h"
#include "app/MainFormLayout.h"
#include "app/PhotoCutter.h"
#include "app/PrintLayout.h"
#include "app/SaveRules.h"
#include "app/SheetComposer.h"
#include "app/SubmissionPhoto.h"
#include "app/WorkspaceScrollView.h"
#include "camera/CameraEntry.h"
#include "common/MessageSink.h"
#include "common/PhotoPaths.h"
#include "common/Settings.h"
#include "effects/EffectEntries.h"
#include "face/FaceReadout.h"
#include "frames/BundledFrames.h"
#include "ordering/FrmTransData.h"
#include "ordering/OrderEntries.h"
#include "overlay/TextDialogEntry.h"
#include "raster/BitmapIO.h"
#include "raster/BitmapOps.h"
#include "ui/BusyState.h"
#include "ui/DialogHost.h"
#include "ui/DialogParts.h"
#include "ui/SkinImage.h"
#include "ui/UpDownButton.h"
#include "ui/WaitPanel.h"
#include "ui/WindowDragger.h"
#include "ui/WindowLook.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRandomGenerator>
#include <QScreen>
#include <QSlider>
#include <QThread>

#include <algorithm>
#include <exception>
#include <optional>

using namespace main_layout;

namespace {

constexpr int kZoomMin = 10;
constexpr int kZoomMax = 300;
// The fit leaves this much of the workspace free on the right and at the bottom.
constexpr int kFitMargin = 5;

QRect toQRect(const Rect& r)
{
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}
Rect toRect(const QRect& r)
{
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

// Runs one step of a handler; an error it raises is swallowed, so that the handler's
// closing steps still run. Returns whether the step ran to its end.
template <typename Step> bool swallowErrors(Step&& step)
{
    try {
        step();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

TMainForm::TMainForm(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window),
      m_sleep([](int milliseconds) { QThread::msleep(milliseconds); }),
      m_modalRunner([](QDialog& dialog) { return dialog.exec(); })
{
    setWindowTitle(QStringLiteral("증명사진 만들기"));
    setFont(windowFont());
    createControls();
    FormCreate();
}

TMainForm::~TMainForm() = default;

// ---- start-up and shutdown -----------------------------------------------------------

void TMainForm::FormCreate()
{
    SelectPhotoType(0);
    QDir().mkpath(FrameDirectory());
    installBundledFrames(FrameDirectory());
    SessionNumber = QString::number(QRandomGenerator::global()->bounded(9999999));

    const auto settings = openSettings();
    settings->setValue(QStringLiteral("Nuv Sorvels"), QCoreApplication::applicationFilePath());

    const QPixmap background = imgBack->pixmap();
    setFixedSize(background.isNull() ? kWindowSize : background.deviceIndependentSize().toSize());

    m_orderSettings = readOrderSettings(*settings);
    SendResultUrl = m_orderSettings.sendResultUrl();
    OrderPageUrl = m_orderSettings.orderPageUrl();
    MakeDirUrl = m_orderSettings.makeDirUrl();
    imgGoNuvAlbum->setToolTip(m_orderSettings.siteUrl());

    CreateUploadWindow();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2,
             area.top() + (area.height() - height()) / 2);
    }
}

// The upload window lives hidden in the middle of pnlWorkMainPanel.
void TMainForm::CreateUploadWindow()
{
    TransDataForm = new TTransDataForm(pnlWorkMainPanel);
    TransDataForm->move((pnlWorkMainPanel->width() - TransDataForm->width()) / 2,
                        (pnlWorkMainPanel->height() - TransDataForm->height()) / 2);
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    hide();
    OriginalBitmap.free();
    WorkBitmap.free();
    CutBitmap.free();
    m_pyramid.clear();
    event->accept();
}

// ---- controls ------------------------------------------------------------------------

SkinImage* TMainForm::makeImage(const QString& name, int tag, const QRect& geometry,
                                const QString& hint)
{
    auto* image = new SkinImage(this, name, tag, geometry);
    image->setToolTip(hint);
    return image;
}

void TMainForm::createControls()
{
    imgBack = new QLabel(this);
    imgBack->setObjectName(QStringLiteral("imgBack"));
    imgBack->setGeometry(QRect(QPoint(0, 0), kWindowSize));
    imgBack->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QPixmap background = artPixmap(QStringLiteral("back.png"), devicePixelRatioF());
    if (!background.isNull())
        imgBack->setPixmap(background);
    m_windowDragger = new WindowDragger(this);
    m_windowDragger->addSurface(imgBack);
    connect(m_windowDragger, &WindowDragger::hovered, this, [this](QObject* surface) {
        if (surface == imgBack)
            hideAllHighlights();
    });

    createTopButtons();
    createSideButtons();
    createZoomControls();
    createWorkspace();
    createWaitPanel();
    createFlowChart();
    createFaceFit();
    createServiceLinks();
}

void TMainForm::createTopButtons()
{
    for (int n = 0; n < kTopButtonCount; ++n)
        imgDefault[n] = makeImage(QStringLiteral("imgDefault_%1").arg(n), n, topButtonPlace(n));
    for (int n = 0; n < kTopButtonCount; ++n) {
        imgDefaultUP[n] = makeImage(QStringLiteral("imgDefaultUP_%1").arg(n), n,
                                    topHighlightPlace(n), topHighlightHint(n));
        imgDefaultUP[n]->setPicture(QStringLiteral("defaultUP_%1.png").arg(n));
        imgDefaultUP[n]->hide();
    }
    for (int n = 0; n < kViewButtonCount; ++n) {
        imgViewSize[n] = makeImage(QStringLiteral("imgViewSize_%1").arg(n), n, viewButtonPlace(n),
                                   viewButtonHint(n));
    }
    for (int n = 0; n < kViewButtonCount; ++n) {
        imgViewSizeUP[n] = makeImage(QStringLiteral("imgViewSizeUP_%1").arg(n), n,
                                     viewHighlightPlace(n), viewHighlightHint(n));
        imgViewSizeUP[n]->setPicture(QStringLiteral("viewSizeUP_%1.png").arg(n));
        imgViewSizeUP[n]->hide();
    }
    for (int n = 0; n < kWindowButtonCount; ++n)
        imgWindowStatus[n] =
            makeImage(QStringLiteral("imgWindowStatus_%1").arg(n), n, windowButtonPlace(n));
    for (int n = 0; n < kWindowButtonCount; ++n) {
        imgWindowStatusUP[n] = makeImage(QStringLiteral("imgWindowStatusUP_%1").arg(n), n,
                                         windowButtonPlace(n), windowHighlightHint(n));
        imgWindowStatusUP[n]->setPicture(QStringLiteral("windowStatusUP_%1.png").arg(n));
        imgWindowStatusUP[n]->hide();
    }

    // Original, Camera and Rotate answer only on their highlight.
    for (SkinImage* image : {imgDefault[kOpen], imgDefaultUP[kOpen]})
        connect(image, &SkinImage::clicked, this, &TMainForm::OpenClick);
    connect(imgDefaultUP[kOriginal], &SkinImage::clicked, this, &TMainForm::RestoreOriginal);
    connect(imgDefaultUP[kCamera], &SkinImage::clicked, this, &TMainForm::CameraClick);
    for (SkinImage* image : {imgDefault[kAbout], imgDefaultUP[kAbout]})
        connect(image, &SkinImage::clicked, this, &TMainForm::AboutClick);
    for (SkinImage* image : {imgViewSize[kActualSize], imgViewSizeUP[kActualSize]})
        connect(image, &SkinImage::clicked, this, &TMainForm::ActualSizeClick);
    for (SkinImage* image : {imgViewSize[kFit], imgViewSizeUP[kFit]})
        connect(image, &SkinImage::clicked, this, &TMainForm::FitClick);
    createActions();
    for (SkinImage* image : {imgDefault[kCut], imgDefaultUP[kCut]})
        connect(image, &SkinImage::clicked, actCutImage, &QAction::trigger);
    for (SkinImage* image : {imgDefault[kMake], imgDefaultUP[kMake]})
        connect(image, &SkinImage::clicked, actMakeImage, &QAction::trigger);
    connect(imgViewSizeUP[kRotate], &SkinImage::clicked, actRotateImage, &QAction::trigger);
    for (SkinImage* image : {imgDefault[kPrint], imgDefaultUP[kPrint]})
        connect(image, &SkinImage::clicked, this, &TMainForm::PrintClick);
    for (SkinImage* image : {imgDefault[kOrder], imgDefaultUP[kOrder]})
        connect(image, &SkinImage::clicked, this, &TMainForm::OrderClick);
    for (SkinImage* image : {imgDefault[kSave], imgDefaultUP[kSave]})
        connect(image, &SkinImage::clicked, this, &TMainForm::SaveWorkBitmap);
    for (SkinImage* image : {imgWindowStatus[0], imgWindowStatusUP[0]})
        connect(image, &SkinImage::clicked, this, &TMainForm::HideClick);
    for (SkinImage* image : {imgWindowStatus[1], imgWindowStatusUP[1]})
        connect(image, &SkinImage::clicked, this, &TMainForm::QuitClick);

    const std::vector<SkinImage*> defaultUP(imgDefaultUP.begin(), imgDefaultUP.end());
    connectHover({imgDefault.begin(), imgDefault.end()}, defaultUP);
    const std::vector<SkinImage*> viewSizeUP(imgViewSizeUP.begin(), imgViewSizeUP.end());
    connectHover({imgViewSize.begin(), imgViewSize.end()}, viewSizeUP);
    const std::vector<SkinImage*> windowUP(imgWindowStatusUP.begin(), imgWindowStatusUP.end());
    connectHover({imgWindowStatus.begin(), imgWindowStatus.end()}, windowUP);
    m_highlightGroups = {defaultUP, viewSizeUP, windowUP};
}

void TMainForm::createActions()
{
    actCutImage = new QAction(QStringLiteral("잘라내기"), this);
    actCutImage->setObjectName(QStringLiteral("actCutImage"));
    connect(actCutImage, &QAction::triggered, this, &TMainForm::CutPhoto);
    actMakeImage = new QAction(QStringLiteral("만들기"), this);
    actMakeImage->setObjectName(QStringLiteral("actMakeImage"));
    connect(actMakeImage, &QAction::triggered, this, &TMainForm::MakeSheet);
    actRotateImage = new QAction(viewHighlightHint(kRotate), this);
    actRotateImage->setObjectName(QStringLiteral("actRotateImage"));
    connect(actRotateImage, &QAction::triggered, this, &TMainForm::RotatePhoto);
}

void TMainForm::createSideButtons()
{
    for (int n = 0; n < kEffectCount; ++n) {
        imgEffects[n] = makeImage(QStringLiteral("imgEffects_%1").arg(n), n, effectPlace(n));
        imgEffectsUP[n] = makeImage(QStringLiteral("imgEffectsUP_%1").arg(n), n, effectPlace(n),
                                    effectHighlightHint(n));
        imgEffectsUP[n]->setPicture(QStringLiteral("effectsUP_%1.png").arg(n));
        imgEffectsUP[n]->hide();
    }
    for (int n = 0; n < kEffectCount; ++n) {
        imgEffectsUP[n]->raise();
        for (SkinImage* image : {imgEffects[n], imgEffectsUP[n]})
            connect(image, &SkinImage::clicked, this,
                    [this](SkinImage* clicked) { SelectEffect(clicked->tag()); });
    }
    const std::vector<SkinImage*> effectsUP(imgEffectsUP.begin(), imgEffectsUP.end());
    connectHover({imgEffects.begin(), imgEffects.end()}, effectsUP);
    connectHover(effectsUP, effectsUP);
    m_highlightGroups.push_back(effectsUP);

    for (int n = 0; n < kPhotoTypeCount; ++n) {
        imgType[n] = makeImage(QStringLiteral("imgType_%1").arg(n), n, photoTypePlace(n),
                               photoTypeInfo(n).normalHint);
        imgType[n]->setPicture(QStringLiteral("type_%1.png").arg(n));
        connect(imgType[n], &SkinImage::clicked, this,
                [this](SkinImage* image) { TypeClick(image->tag()); });
    }
    for (int n = 0; n < kPhotoTypeCount; ++n) {
        ImgSorvel[n] = makeImage(QStringLiteral("ImgSorvel_%1").arg(n), n, photoTypePlace(n),
                                 photoTypeInfo(n).selectedHint);
        ImgSorvel[n]->setPicture(QStringLiteral("sorvel_%1.png").arg(n));
        ImgSorvel[n]->setVisible(n == 0);
        // Once cut, the visible selected button is refused like the others: a new frame
        // over the cut photo would let Cut cut the cut photo or the sheet.
        connect(ImgSorvel[n], &SkinImage::clicked, this,
                [this](SkinImage* image) { TypeClick(image->tag()); });
    }
}

void TMainForm::connectHover(const std::vector<SkinImage*>& images,
                             const std::vector<SkinImage*>& group)
{
    for (SkinImage* image : images) {
        connect(image, &SkinImage::mouseMoved, this,
                [this, group](SkinImage* moved) { showHighlight(group, moved->tag()); });
    }
}

void TMainForm::showHighlight(const std::vector<SkinImage*>& group, int tag)
{
    for (SkinImage* highlight : group)
        highlight->setVisible(highlight->tag() == tag);
}

void TMainForm::hideAllHighlights()
{
    for (const auto& group : m_highlightGroups) {
        for (SkinImage* highlight : group)
            highlight->hide();
    }
}

void TMainForm::createZoomControls()
{
    Gauge = new QSlider(Qt::Horizontal, this);
    Gauge->setObjectName(QStringLiteral("Gauge"));
    Gauge->setGeometry(kGauge);
    Gauge->setRange(kZoomMin, kZoomMax);
    Gauge->setValue(50);
    Gauge->setToolTip(QStringLiteral("사진크기 조정막대"));
    Gauge->setCursor(Qt::PointingHandCursor);
    applySliderSkin(Gauge, 10);
    connect(Gauge, &QSlider::valueChanged, this, &TMainForm::GaugeChange);

    edtValue = new QLineEdit(QStringLiteral("100"), this);
    edtValue->setObjectName(QStringLiteral("edtValue"));
    edtValue->setGeometry(kZoomEdit);
    edtValue->setReadOnly(true);
    edtValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edtValue->setStyleSheet(QStringLiteral("color: #2e8b57;"));

    UpDownValue = new UpDownButton(this);
    UpDownValue->setObjectName(QStringLiteral("UpDownValue"));
    UpDownValue->setGeometry(kZoomUpDown);
    UpDownValue->setRange(kZoomMin, kZoomMax);
    UpDownValue->setBuddy(edtValue);
    UpDownValue->setPosition(100);
    connect(UpDownValue, &UpDownButton::clicked, this, &TMainForm::UpDownValueClick);

    lblInfoSelectType = new QLabel(this);
    lblInfoSelectType->setObjectName(QStringLiteral("lblInfoSelectType"));
    // updateTypeLabel fits longer texts into the box.
    lblInfoSelectType->setGeometry(kTypeLabel);
    lblInfoSelectType->setStyleSheet(QStringLiteral("color: white;"));
    lblInfoSelectType->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TMainForm::createWorkspace()
{
    pnlWorkMainPanel = new QFrame(this);
    pnlWorkMainPanel->setObjectName(QStringLiteral("pnlWorkMainPanel"));
    pnlWorkMainPanel->setGeometry(kWorkPanel);
    pnlWorkMainPanel->setFrameShape(QFrame::Box);
    pnlWorkMainPanel->setLineWidth(1);
    pnlWorkMainPanel->setStyleSheet(
        QStringLiteral("#pnlWorkMainPanel { background: white; border: 1px solid #9aa3ab; }"));

    ScrollView = new WorkspaceScrollView(pnlWorkMainPanel);
    ScrollView->setObjectName(QStringLiteral("ScrollView"));
    ScrollView->setGeometry(kScrollView);
    connect(ScrollView, &WorkspaceScrollView::paintCanvas, this, &TMainForm::ScrollViewPaint);
    connect(ScrollView, &WorkspaceScrollView::mousePressed, this, &TMainForm::ScrollViewMouseDown);
    connect(ScrollView, &WorkspaceScrollView::mouseMoved, this, &TMainForm::ScrollViewMouseMove);
    connect(ScrollView, &WorkspaceScrollView::mouseReleased, this, &TMainForm::ScrollViewMouseUp);
    connect(ScrollView, &WorkspaceScrollView::mouseDoubleClicked, actCutImage, &QAction::trigger);

    pnlIntroWindow = new QFrame(pnlWorkMainPanel);
    pnlIntroWindow->setObjectName(QStringLiteral("pnlIntroWindow"));
    pnlIntroWindow->setGeometry(kIntroPanel);
    pnlIntroWindow->setStyleSheet(QStringLiteral("#pnlIntroWindow { background: white; }"));
    imgIntroWindow = new QLabel(pnlIntroWindow);
    imgIntroWindow->setObjectName(QStringLiteral("imgIntroWindow"));
    imgIntroWindow->setGeometry(kIntroPicture);
    imgIntroWindow->setPixmap(artPixmap(QStringLiteral("intro.png"), devicePixelRatioF()));
    m_windowDragger->addSurface(pnlIntroWindow);
    m_windowDragger->addSurface(imgIntroWindow);
}

void TMainForm::createWaitPanel()
{
    pnlWaitInfo = new WaitPanel(pnlWorkMainPanel, kWaitPanel);
    pnlWaitInfo->setObjectName(QStringLiteral("pnlWaitInfo"));
}

void TMainForm::createFlowChart()
{
    for (int n = 0; n < kFlowChartCount; ++n) {
        imgFlowChart[n] = makeImage(QStringLiteral("imgFlowChart_%1").arg(n), n, flowChartPlace(n),
                                    flowChartHint(n));
        imgFlowChart[n]->setCursor(Qt::WhatsThisCursor);
        connect(imgFlowChart[n], &SkinImage::clicked, this,
                [this](SkinImage* image) { FlowChartClick(image->tag()); });
    }
}

void TMainForm::createServiceLinks()
{
    imgGoPicPrint =
        makeImage(QStringLiteral("imgGoPicPrint"), 0, kPicturePrintLink,
                  QStringLiteral("내폴더에 있는 일반사진을 온라인으로 인화주문합니다."));
    imgGoPicPrint->setCursor(Qt::PointingHandCursor);
    connect(imgGoPicPrint, &SkinImage::clicked, this, &TMainForm::imgGoPicPrintClick);
    // Its hint, the site's address, is set once the address is known.
    imgGoNuvAlbum = makeImage(QStringLiteral("imgGoNuvAlbum"), 0, kServiceSiteLink);
    imgGoNuvAlbum->setPicture(QStringLiteral("goNuvAlbum.png"));
    imgGoNuvAlbum->setCursor(Qt::PointingHandCursor);
    connect(imgGoNuvAlbum, &SkinImage::clicked, this, &TMainForm::imgGoNuvAlbumClick);
}

// ---- stage rules, blinking, waiting --------------------------------------------------

Stage TMainForm::stage() const
{
    return stageOf(IsBitmapAllocated(WorkBitmap), CutDone, SheetMade);
}

bool TMainForm::stageAllows(StageAction action)
{
    const StageOutcome outcome = stageOutcome(action, stage());
    if (!outcome.message.isEmpty())
        showInfo(programCaption(), outcome.message);
    if (outcome.flash != FlashTarget::None)
        FlashButton(imgDefaultUP[static_cast<int>(outcome.flash)]);
    return outcome.run;
}

void TMainForm::FlashButton(QWidget* image)
{
    if (!image)
        return;
    for (int round = 0; round < 3; ++round) {
        if (round > 0)
            m_sleep(50);
        image->show();
        image->repaint();
        m_sleep(50);
        image->hide();
        repaintHiddenArea(image);
    }
}

void TMainForm::flashTogether(const std::vector<SkinImage*>& images)
{
    for (SkinImage* image : images) {
        image->show();
        image->repaint();
    }
    m_sleep(100);
    for (SkinImage* image : images) {
        image->hide();
        repaintHiddenArea(image);
    }
}

void TMainForm::ShowWaitPanel(bool visible)
{
    pnlWaitInfo->setShown(visible);
}

void TMainForm::FlowChartClick(int index)
{
    switch (index) {
    case kHelpOpen:
        FlashButton(imgDefaultUP[kOpen]);
        return;
    case kHelpCut:
        FlashButton(imgDefaultUP[kCut]);
        return;
    case kHelpMake:
        FlashButton(imgDefaultUP[kMake]);
        return;
    case kHelpEffects:
        flashTogether({imgEffectsUP.begin(), imgEffectsUP.end()});
        return;
    case kHelpPrint:
        flashTogether({imgDefaultUP[kOrder], imgDefaultUP[kPrint]});
        return;
    case kHelpType: {
        const int selected = selectedPhotoType();
        flashTogether({ImgSorvel.begin(), ImgSorvel.end()});
        showSelectedType(selected);
        return;
    }
    default:
        return;
    }
}

void TMainForm::setSleepFunction(std::function<void(int)> sleep)
{
    m_sleep = std::move(sleep);
}

void TMainForm::setModalRunner(std::function<int(QDialog&)> runner)
{
    m_modalRunner = std::move(runner);
}

int TMainForm::runModal(QDialog& dialog)
{
    return m_modalRunner(dialog);
}

DialogHost TMainForm::dialogHost()
{
    return {this, [this](QDialog& dialog) { return runModal(dialog); },
            [this] { invalidateWorkspace(); }};
}

// ---- window buttons -------------------------------------------------------------------

void TMainForm::HideClick()
{
    showMinimized();
}

void TMainForm::QuitClick()
{
    close();
}

void TMainForm::AboutClick()
{
    TAboutForm about(this);
    about.adjustSize();
    dialogHost().placeCentred(about);
    runModal(about);
}

// ---- photo loading -------------------------------------------------------------------

void TMainForm::OpenClick()
{
    if (!stageAllows(StageAction::Open))
        return;
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(photoOpenFilter().split(QStringLiteral(";;")));
    if (runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString fileName = dialog.selectedFiles().constFirst();
    if (!fileName.isEmpty())
        OpenPhotoFile(fileName);
}

void TMainForm::OpenPhotoFile(const QString& fileName)
{
    hideIntro();
    // An unreadable photo keeps the one being worked on, with its stage and its frame.
    if (QFileInfo(fileName).isFile() && !LoadPhotoFile(fileName))
        return;
    continueWithNewPhoto();
}

void TMainForm::CameraClick()
{
    if (!stageAllows(StageAction::Camera))
        return;
    if (OpenCameraDialog(dialogHost(), WorkBitmap, OriginalBitmap))
        CameraPhotoTaken();
    invalidateWorkspace();
}

void TMainForm::CameraPhotoTaken()
{
    hideIntro();
    photoReplaced();
    continueWithNewPhoto();
}

void TMainForm::hideIntro()
{
    pnlIntroWindow->hide();
    imgBack->repaint();
}

void TMainForm::continueWithNewPhoto()
{
    FitZoom();
    SheetMade = false;
    CutDone = false;
    const int selected = selectedPhotoType();
    if (selected >= 0 && selected != kCustomPhotoType)
        SelectPhotoType(selected);
}

bool TMainForm::LoadPhotoFile(const QString& fileName)
{
    RasterBitmap work;
    RasterBitmap original;
    bool read = false;
    swallowErrors([&] {
        read = loadPhoto(fileName, work) && IsBitmapAllocated(work) && convertForEditing(work) &&
               copyBitmap(original, work);
    });
    if (!read) {
        showInfo(programCaption(),
                 QStringLiteral("사진을 열 수 없습니다.\n%1").arg(QFileInfo(fileName).fileName()));
        return false;
    }
    OriginalBitmap = std::move(original);
    WorkBitmap = std::move(work);
    CutBitmap.free();
    photoReplaced();
    return true;
}

void TMainForm::photoReplaced()
{
    m_pyramid.clear();
    UpdateScrollRanges();
    invalidateWorkspace();
}

void TMainForm::RestoreOriginal()
{
    if (!stageAllows(StageAction::Original))
        return;
    CropRect = {};
    swallowErrors([this] {
        // Without an original (nothing loaded) the work bitmap stays as it is.
        RasterBitmap restored;
        if (copyBitmap(restored, OriginalBitmap))
            WorkBitmap = std::move(restored);
        const int selected = selectedPhotoType();
        if (selected >= 0)
            SelectPhotoType(selected);
    });
    FitZoom();
    ClampCropOrigin();
    CutDone = false;
    SheetMade = false;
    invalidateWorkspace();
}

// ---- zoom and mapping ----------------------------------------------------------------

ViewMapping TMainForm::viewMapping() const
{
    ViewMapping view;
    if (IsBitmapAllocated(WorkBitmap)) {
        view.imageWidth = WorkBitmap.width();
        view.imageHeight = WorkBitmap.height();
    }
    view.zoom = ZoomPercent;
    const QPoint scroll = ScrollView->scrollPosition();
    view.scrollX = scroll.x();
    view.scrollY = scroll.y();
    const QSize client = ScrollView->clientSize();
    view.clientWidth = client.width();
    view.clientHeight = client.height();
    return view;
}

void TMainForm::FitZoom()
{
    if (!IsBitmapAllocated(WorkBitmap))
        return;
    ZoomPercent =
        fitZoomPercent(WorkBitmap.width(), WorkBitmap.height(), ScrollView->width() - kFitMargin,
                       ScrollView->height() - kFitMargin);
    Gauge->setValue(ZoomPercent);
    UpDownValue->setPosition(ZoomPercent);
    // The slider raises no change when it stays where it was (at 10 below the fit, or at
    // the same zoom for another picture), so the ranges are brought up to date here.
    UpdateScrollRanges();
}

void TMainForm::UpdateScrollRanges()
{
    const ScrollRanges ranges = scrollRanges(viewMapping());
    ScrollView->setContentSize(ranges.horizontal, ranges.vertical);
    // The bars may have appeared or gone, which changes the client size.
    const bool eraseBack = scrollRanges(viewMapping()).eraseBack;
    if (ScrollView->eraseBack() != eraseBack)
        ScrollView->setEraseBack(eraseBack);
}

QPoint TMainForm::CenteringOffset() const
{
    return centeringOffset(viewMapping());
}

void TMainForm::ImageToScreen(Rect& r) const
{
    imageToScreen(viewMapping(), r);
}

void TMainForm::ScreenToImage(Rect& r) const
{
    screenToImage(viewMapping(), r);
}

void TMainForm::invalidateWorkspace()
{
    ScrollView->viewport()->update();
    updateFaceReadout();
}

void TMainForm::GaugeChange()
{
    ZoomPercent = Gauge->value();
    UpDownValue->setPosition(ZoomPercent);
    UpdateScrollRanges();
    invalidateWorkspace();
}

void TMainForm::UpDownValueClick()
{
    Gauge->setValue(UpDownValue->position());
}

void TMainForm::ActualSizeClick()
{
    ZoomPercent = 100;
    Gauge->setValue(100);
    UpDownValue->setPosition(100);
    UpdateScrollRanges();
    invalidateWorkspace();
}

void TMainForm::FitClick()
{
    FitZoom();
    invalidateWorkspace();
}

// ---- photo types ---------------------------------------------------------------------

int TMainForm::selectedPhotoType() const
{
    for (int n = 0; n < kPhotoTypeCount; ++n) {
        if (!ImgSorvel[n]->isHidden())
            return n;
    }
    return -1;
}

void TMainForm::showSelectedType(int index)
{
    for (int n = 0; n < kPhotoTypeCount; ++n)
        ImgSorvel[n]->setVisible(n == index);
}

void TMainForm::updateTypeLabel()
{
    fitLabelText(lblInfoSelectType, photoTypeLabel(PhotoType));
}

void TMainForm::TypeClick(int index)
{
    if (!stageAllows(StageAction::PhotoType))
        return;
    if (index != kCustomPhotoType)
        showSelectedType(index);
    SelectPhotoType(index);
}

void TMainForm::SelectPhotoType(int index)
{
    bool applied = true;
    const bool completed = swallowErrors([this, index, &applied] {
        if (index == kCustomPhotoType) {
            askCustomSize();
            return;
        }
        applied = applyFixedPhotoType(PhotoType, CropRect, index);
        if (applied)
            updateTypeLabel();
    });
    const bool ratioSet = updateAspectRatio(PhotoType);
    invalidateWorkspace();
    // Type 0 is the fallback; should it fail too, there is nothing left to fall back to.
    if ((!completed || !applied || !ratioSet) && index != 0)
        SelectPhotoType(0);
}

void TMainForm::askCustomSize()
{
    TDefineCanvasForm dialog(this);
    dialog.UpDownValue1->setPosition(PhotoType.TargetWidth);
    dialog.UpDownValue2->setPosition(PhotoType.TargetHeight);
    dialogHost().placeCentred(dialog);
    if (runModal(dialog) != QDialog::Accepted)
        return;
    showSelectedType(kCustomPhotoType);
    applyCustomPhotoType(PhotoType, CropRect, canvasValue(dialog.edtWidth->text()),
                         canvasValue(dialog.edtHeight->text()));
    updateTypeLabel();
}

// ---- workspace painting and the crop frame --------------------------------------------

void TMainForm::ScrollViewPaint(QImage& canvas, const QRect& clip)
{
    const ViewMapping view = viewMapping();
    {
        QPainter painter(&canvas);
        painter.setClipRect(clip);
        for (const Rect& strip : backgroundStrips(view, toRect(clip)))
            painter.fillRect(toQRect(strip), Qt::white);
        if (!view.hasImage())
            return;
        Rect photo{0, 0, view.imageWidth, view.imageHeight};
        imageToScreen(view, photo);
        const RasterBitmap& work = WorkBitmap;
        m_pyramid.paint(painter, work.image(), toQRect(photo), clip);
        painter.setPen(QPen(Qt::black, 0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(toQRect(photo).adjusted(-1, -1, 0, 0));
    }
    m_cropTool.paint(canvas, clip, view, PhotoType.PhotoSizeText, frameLabelFont());
    if (stage() != Stage::Loaded)
        return;
    // During a drag the frame is held in workspace pixels.
    Rect frame = CropRect;
    if (!Dragging)
        imageToScreen(view, frame);
    NormalizeRect(frame);
    m_faceFit.paint(canvas, clip, view, frame, WorkBitmap.image(), faceFitType());
}

void TMainForm::ScrollViewMouseDown(QPoint position)
{
    if (Dragging || !stageAllows(StageAction::CropDrag))
        return;
    m_cropTool.press(position, viewMapping());
}

void TMainForm::ScrollViewMouseMove(QPoint position)
{
    if (!Dragging) {
        ScrollView->viewport()->setCursor(m_cropTool.hover(position, viewMapping()));
        return;
    }
    if (m_cropTool.drag(position, PhotoType.AspectRatio, ZoomPercent))
        invalidateWorkspace();
}

void TMainForm::ScrollViewMouseUp(QPoint)
{
    m_cropTool.release(viewMapping());
    invalidateWorkspace();
}

void TMainForm::ClampCropOrigin()
{
    ::ClampCropOrigin(CropRect);
}

// ---- cut and rotate ------------------------------------------------------------------

void TMainForm::CutPhoto()
{
    if (!stageAllows(StageAction::CutImage) || !cropFrameLargeEnough(CropRect))
        return;
    CutStatus status = CutStatus::Failed;
    runBusy([this, &status] { status = CutCore(); });
    finishCut(status);
}

CutStatus TMainForm::CutCore()
{
    RasterBitmap cut;
    const CutStatus status = cutFramed(cut);
    if (status == CutStatus::Done)
        commitCut(std::move(cut));
    return status;
}

CutStatus TMainForm::cutFramed(RasterBitmap& cut) const
{
    if (frameOutsidePhoto(CropRect, WorkBitmap.width(), WorkBitmap.height()))
        return CutStatus::OutsidePhoto;
    if (!cutFramedArea(cut, WorkBitmap, CropRect, PhotoType.TargetWidth, PhotoType.TargetHeight))
        return CutStatus::Failed;
    return CutStatus::Done;
}

void TMainForm::commitCut(RasterBitmap cut)
{
    // The two share the pixels until an effect changes the work bitmap.
    CutBitmap = cut;
    WorkBitmap = std::move(cut);
    CropRect = {};
}

// The steps that end both a cut and a make. When nothing was cut, the photo, the frame
// and the zoom stay as they were; otherwise the zoom is refitted to the new picture.
void TMainForm::finishCut(CutStatus status)
{
    if (status == CutStatus::OutsidePhoto)
        showInfo(programCaption(), frameOutsidePhotoMessage());
    if (status != CutStatus::Done)
        return;
    Gauge->setValue(100);
    FitZoom();
    CutDone = true;
    invalidateWorkspace();
}

void TMainForm::runBusy(const std::function<void()>& step)
{
    const BusyState busy(Qt::WaitCursor, pnlWaitInfo);
    swallowErrors(step);
}

void TMainForm::RotatePhoto()
{
    if (!stageAllows(StageAction::Rotate))
        return;
    SkinImage* button = imgViewSizeUP[kRotate];
    button->setEnabled(false);
    bool rotated = false;
    {
        const BusyState busy(Qt::WaitCursor);
        // A failed turn leaves the photo as it was.
        swallowErrors([this, &rotated] { rotated = rotateBitmapClockwise(WorkBitmap); });
    }
    button->setEnabled(true);
    if (!rotated)
        return;
    UpdateScrollRanges();
    invalidateWorkspace();
}

// ---- the print sheet -----------------------------------------------------------------

void TMainForm::MakeSheet()
{
    if (!stageAllows(StageAction::Make))
        return;
    if (!CutDone && !cropFrameLargeEnough(CropRect)) {
        showInfo(programCaption(), QStringLiteral("사진종류를 선택하십시오."));
        return;
    }
    CutStatus status = CutStatus::Failed;
    // The wait panel and the hourglass stay through the cut and the composition. Both run
    // on copies, so the photo, its frame and its stage change only when both succeed.
    runBusy([this, &status] {
        RasterBitmap cut = WorkBitmap;
        const CutStatus cutStatus = CutDone ? CutStatus::Done : cutFramed(cut);
        RasterBitmap sheet;
        if (cutStatus != CutStatus::Done || !ComposeSheet(cut, sheet)) {
            status = cutStatus == CutStatus::OutsidePhoto ? cutStatus : CutStatus::Failed;
            return;
        }
        if (!CutDone)
            commitCut(std::move(cut));
        WorkBitmap = std::move(sheet);
        SheetMade = true;
        status = CutStatus::Done;
    });
    finishCut(status);
}

bool TMainForm::ComposeSheet(const RasterBitmap& photo, RasterBitmap& sheet) const
{
    const SheetPhotoType type{PhotoType.TargetWidth, PhotoType.TargetHeight, PhotoType.MarginX,
                              PhotoType.MarginY, PhotoType.CustomSize};
    return composeSheet(sheet, photo, type);
}

// ---- printing and saving -------------------------------------------------------------

void TMainForm::PrintClick()
{
    if (!stageAllows(StageAction::Print))
        return;
    const BusyState waiting(std::nullopt, pnlWaitInfo);
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (runModal(dialog) != QDialog::Accepted)
        return;
    const BusyState hand(Qt::PointingHandCursor);
    // Printer failures are not reported; the printer's own queue shows them.
    printSheetDocument(printer, WorkBitmap);
}

// ---- online print orders ---------------------------------------------------------------

void TMainForm::OrderClick()
{
    // Events are processed while an order runs, so the button can be pressed again.
    if (TransDataForm->orderRunning() || !stageAllows(StageAction::Order))
        return;
    OrderPrints(dialogHost(), *TransDataForm, WorkBitmap,
                {m_orderSettings, SessionNumber, PhotoType.PhotoTypeName, {}});
}

void TMainForm::imgGoPicPrintClick()
{
    OpenInInternetExplorer(m_orderSettings.picturePrintUrl());
}

void TMainForm::imgGoNuvAlbumClick()
{
    OpenInInternetExplorer(m_orderSettings.siteUrl());
}

void TMainForm::SaveWorkBitmap()
{
    if (!stageAllows(StageAction::Save))
        return;
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(saveDialogFilter().split(QStringLiteral(";;")) << submissionFilter());
    if (runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    if (dialog.selectedNameFilter() == submissionFilter()) {
        SaveSubmissionPhoto(dialog.selectedFiles().constFirst());
        return;
    }
    const std::optional<SaveRequest> request =
        saveRequestFor(saveFilterEntry(dialog.selectedNameFilter()),
                       dialog.selectedFiles().constFirst(), WorkBitmap.bitsPerPixel());
    bool saved = false;
    if (request) {
        const BusyState busy(Qt::WaitCursor);
        saved = saveBitmap(request->fileName, WorkBitmap, request->format, request->bitsPerPixel);
    }
    if (!saved)
        showInfo(programCaption(), QStringLiteral("이미지를 저장할 수 없습니다."));
}

// ---- edit effects --------------------------------------------------------------------

void TMainForm::SelectEffect(int index)
{
    if (!stageAllows(StageAction::Effect))
        return;
    swallowErrors([this, index] {
        switch (index) {
        case 0: {
            RasterBitmap restored;
            if (copyBitmap(restored, CutBitmap))
                WorkBitmap = std::move(restored);
            break;
        }
        case 1:
            OpenSoftGlowDialog();
            break;
        case 2:
            OpenToneDialog();
            break;
        case 3:
            OpenColourDialog();
            break;
        case 4:
            OpenFrameDialog();
            break;
        case 5:
            OpenTextDialog();
            break;
        }
    });
    invalidateWorkspace();
}

void TMainForm::OpenSoftGlowDialog()
{
    ::OpenSoftGlowDialog(dialogHost(), WorkBitmap);
}

void TMainForm::OpenToneDialog()
{
    ::OpenToneDialog(dialogHost(), WorkBitmap);
}

void TMainForm::OpenColourDialog()
{
    ::OpenColourDialog(dialogHost(), WorkBitmap);
}

void TMainForm::OpenTextDialog()
{
    ::OpenTextDialog(dialogHost(), WorkBitmap);
}

void TMainForm::OpenFrameDialog()
{
    ::OpenFrameDialog(dialogHost(), WorkBitmap,
                      QSize(PhotoType.TargetWidth, PhotoType.TargetHeight), FrameDirectory());
}

// ---- face fit ------------------------------------------------------------------------

void TMainForm::createFaceFit()
{
    imgFaceFit = makeImage(QStringLiteral("imgFaceFit"), 0, kFaceFitButton, faceFitHint());
    imgFaceFit->setPicture(QStringLiteral("faceFit.png"));
    connect(imgFaceFit, &SkinImage::clicked, this, &TMainForm::FaceFitClick);

    lblFaceReadout = new QLabel(pnlWorkMainPanel);
    lblFaceReadout->setObjectName(QStringLiteral("lblFaceReadout"));
    lblFaceReadout->setAttribute(Qt::WA_TransparentForMouseEvents);
    lblFaceReadout->setFont(frameLabelFont());
    lblFaceReadout->setMaximumWidth(kFaceReadoutMaxWidth);
    lblFaceReadout->hide();
}

FaceFitTool::PhotoType TMainForm::faceFitType() const
{
    return {std::max(selectedPhotoType(), 0), QSize(PhotoType.TargetWidth, PhotoType.TargetHeight)};
}

void TMainForm::FaceFitClick()
{
    if (!stageAllows(StageAction::FaceFit))
        return;
    FaceFitTool::Outcome outcome{std::nullopt, noFaceMessage()};
    runBusy([this, &outcome] { outcome = m_faceFit.fit(WorkBitmap.image(), faceFitType()); });
    if (outcome.frame)
        CropRect = *outcome.frame;
    else
        showInfo(programCaption(), outcome.message);
    invalidateWorkspace();
}

void TMainForm::updateFaceReadout()
{
    if (!lblFaceReadout)
        return;
    Rect frame = CropRect;
    NormalizeRect(frame);
    if (Dragging)
        ScreenToImage(frame);
    const FaceFitTool::Readout readout =
        stage() == Stage::Loaded ? m_faceFit.readout(WorkBitmap.image(), frame, faceFitType())
                                 : FaceFitTool::Readout{};
    if (readout.text.isEmpty()) {
        lblFaceReadout->hide();
        return;
    }
    // Navy like the type label above it while the head keeps to the rule, red when not;
    // set only on a change, since every drag step comes here.
    const QString look =
        QStringLiteral("color: white; border-radius: 5px; padding: 3px 8px; background: %1;")
            .arg(readout.passes ? QStringLiteral("rgba(31, 58, 95, 225)")
                                : QStringLiteral("rgba(170, 52, 40, 225)"));
    if (lblFaceReadout->styleSheet() != look)
        lblFaceReadout->setStyleSheet(look);
    lblFaceReadout->setText(readout.text);
    lblFaceReadout->adjustSize();
    lblFaceReadout->move(kFaceReadoutRight - lblFaceReadout->width(), kFaceReadoutTop);
    lblFaceReadout->show();
    lblFaceReadout->raise();
}

void TMainForm::SaveSubmissionPhoto(const QString& fileName)
{
    if (stage() != Stage::Cut) {
        showInfo(programCaption(),
                 QStringLiteral("온라인 제출용 사진은 \"자르기\"를 한 뒤, \"만들기\" 전에 "
                                "저장할 수 있습니다."));
        return;
    }
    bool saved = false;
    {
        const BusyState busy(Qt::WaitCursor);
        saved = saveSubmissionPhoto(fileName, WorkBitmap);
    }
    if (!saved)
        showInfo(programCaption(), QStringLiteral("이미지를 저장할 수 없습니다."));
}
