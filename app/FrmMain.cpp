#include "app/FrmMain.h"

#include "app/CanvasInversion.h"
#include "app/CanvasSize.h"
#include "app/CropFrame.h"
#include "app/FileFilters.h"
#include "app/FrmAbout.h"
#include "app/FrmDefineCanvas.h"
#include "app/PhotoCutter.h"
#include "app/PrintLayout.h"
#include "app/SaveRules.h"
#include "app/SheetComposer.h"
#include "app/SkinImage.h"
#include "app/UpDownButton.h"
#include "app/WorkspaceScrollView.h"
#include "common/MessageSink.h"
#include "common/PhotoPaths.h"
#include "common/Settings.h"
#include "effects/EffectEntries.h"
#include "effects/FrmBBoshasy.h"
#include "effects/FrmControlColor.h"
#include "effects/OverrideCursor.h"
#include "raster/BitmapIO.h"
#include "raster/BitmapOps.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QScreen>
#include <QSlider>
#include <QThread>
#include <QWindow>

#include <exception>
#include <optional>

namespace {

const QString kCaption = QStringLiteral("Nuv Sorvel");
const QString kDefaultServiceHost = QStringLiteral("http://photo.example.com");
constexpr QSize kWindowSize(904, 700);
constexpr int kZoomMin = 10;
constexpr int kZoomMax = 300;
// The fit leaves this much of the workspace free on the right and at the bottom.
constexpr int kFitMargin = 5;
// A frame this small on screen (or smaller) is not drawn.
constexpr int kSmallestDrawnFrame = 10;

// Top buttons by number: left edge, and the highlight's hint.
struct TopButton {
    int left;
    const char* hint;
};
const std::array<TopButton, 9> kTopButtons{{
    {162, "내 폴더에서 사진을 불러옵니다."},
    {377, "처음 선택한 원본사진으로 돌아갑니다. "},
    {449, "증명사진 모양을 만들어 편집할 수  있게 합니다. "},
    {522, "편집 후 증명사진을 완성합니다."},
    {666, "온라인 사진인화 서비스입니다.."},
    {594, "증명사진을 인쇄합니다.   "},
    {306, "사진을 저장합니다."},
    {738, ""},
    {235, "내컴퓨터  연결된 PC 카메라를 이용하여 사진을 찍습니다."},
}};
enum TopButtonNumber {
    kOpen = 0,
    kOriginal = 1,
    kCut = 2,
    kMake = 3,
    kOrder = 4,
    kPrint = 5,
    kSave = 6,
    kAbout = 7,
    kCamera = 8
};

const std::array<int, 6> kEffectTops{368, 406, 448, 490, 531, 571};
const std::array<const char*, 6> kEffectHints{
    "편집하기 위해 잘라낸 사진으로 되돌립니다.", "사진에 뽀샤시 효과를 적용합니다.",
    "사진의 명도/대조/감마를 조절합니다. ",      "사진의 색조와 채도를 조절합니다. ",
    "편집한 사진에 액자를 씌웁니다. ",           "편집한 사진에 글자를 입력 합니다."};

struct ViewButton {
    int left;
    const char* normalHint;
    const char* highlightHint;
};
const std::array<ViewButton, 3> kViewButtons{{
    {257, "실제 크기의 이미지로 보이게 합니다.", "사진을 원본 크기로 봅니다. "},
    {318, "이미지의 폭과 높이를 작업창 크기에 맞춥니다.",
     "사진의 폭과 높이를 작업창 크기에 자동으로 맞춥니다."},
    {377, "기울어진 사진을 회전하여 바르게 합니다.", "기울어진 사진을 회전하여 바르게 합니다."},
}};
enum ViewButtonNumber { kActualSize = 0, kFit = 1, kRotate = 2 };

struct FlowChartImage {
    int left;
    int width;
    const char* hint;
};
const std::array<FlowChartImage, 6> kFlowChart{{
    {152, 51, "사진 \"열기\" 버튼 위치"},
    {315, 63, "\"자르기\" 버튼 위치"},
    {405, 51, "\"편집하기\" 버튼 위치"},
    {478, 59, "\"만들기\" 버튼 위치"},
    {571, 80, "\"인쇄/인화\" 버튼 위치"},
    {225, 74, "\"사진선택\" 버튼 위치"},
}};
enum FlowChartNumber {
    kHelpOpen = 0,
    kHelpCut = 1,
    kHelpEffects = 2,
    kHelpMake = 3,
    kHelpPrint = 4,
    kHelpType = 5
};

QRect toQRect(const Rect& r)
{
    return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}
Rect toRect(const QRect& r)
{
    return {r.left(), r.top(), r.right() + 1, r.bottom() + 1};
}

bool contains(const Rect& r, QPoint p)
{
    return p.x() >= r.left && p.x() < r.right && p.y() >= r.top && p.y() < r.bottom;
}

Rect grown(const Rect& r, int by)
{
    return {r.left - by, r.top - by, r.right + by, r.bottom + by};
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

QColor randomLabelColour()
{
    auto* random = QRandomGenerator::global();
    return QColor(random->bounded(255), random->bounded(255), random->bounded(255));
}

} // namespace

TMainForm::TMainForm(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window),
      m_sleep([](int milliseconds) { QThread::msleep(milliseconds); }),
      m_modalRunner([](QDialog& dialog) { return dialog.exec(); })
{
    setWindowTitle(QStringLiteral("증명사진 만들기"));
    setFont(QFont(QStringLiteral("굴림"), 9));
    createControls();
    FormCreate();
}

TMainForm::~TMainForm() = default;

// ---- start-up and shutdown -----------------------------------------------------------

void TMainForm::FormCreate()
{
    CropRect = {};
    PhotoType = {};
    PhotoType.PhotoTypeName = photoTypeInfo(0).name;
    CutDone = false;
    SheetMade = false;
    Dragging = false;
    pnlWaitInfo->hide();

    SelectPhotoType(0);
    QDir().mkpath(FrameDirectory());
    SessionNumber = QString::number(QRandomGenerator::global()->bounded(9999999));

    const auto settings = openSettings();
    settings->setValue(QStringLiteral("Nuv Sorvels"), QCoreApplication::applicationFilePath());

    const QPixmap background = imgBack->pixmap();
    setFixedSize(background.isNull() ? kWindowSize : background.deviceIndependentSize().toSize());

    QString host =
        settings->value(QStringLiteral("ServiceHost"), kDefaultServiceHost).toString().trimmed();
    while (host.endsWith(u'/'))
        host.chop(1);
    if (host.isEmpty())
        host = kDefaultServiceHost;
    SendResultUrl = host + QStringLiteral("/sendresult1.asp");
    OrderPageUrl = host + QStringLiteral("/PORTRAIT_ok2.asp");
    MakeDirUrl = host + QStringLiteral("/makedir2.php");

    CreateUploadWindow();

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2,
             area.top() + (area.height() - height()) / 2);
    }
}

// The upload window of the print-order service lives hidden in pnlWorkMainPanel; it
// is created here once the ordering code exists.
void TMainForm::CreateUploadWindow() {}

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
    imgBack->setMouseTracking(true);
    imgBack->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QPixmap background = artPixmap(QStringLiteral("back.png"), devicePixelRatioF());
    if (!background.isNull())
        imgBack->setPixmap(background);
    imgBack->installEventFilter(this);

    createTopButtons();
    createSideButtons();
    createZoomControls();
    createWorkspace();
    createWaitPanel();
    createFlowChart();
}

void TMainForm::createTopButtons()
{
    for (int n = 0; n < 9; ++n) {
        const int height = n == kCut || n == kMake ? 46 : 44;
        imgDefault[n] = makeImage(QStringLiteral("imgDefault_%1").arg(n), n,
                                  QRect(kTopButtons[n].left, 27, 71, height));
    }
    for (int n = 0; n < 9; ++n) {
        const int width = n == kAbout ? 73 : 72;
        imgDefaultUP[n] = makeImage(QStringLiteral("imgDefaultUP_%1").arg(n), n,
                                    QRect(kTopButtons[n].left, 27, width, 43),
                                    QString::fromUtf8(kTopButtons[n].hint));
        imgDefaultUP[n]->setPicture(QStringLiteral("defaultUP_%1.png").arg(n));
        imgDefaultUP[n]->hide();
    }
    for (int n = 0; n < 3; ++n) {
        imgViewSize[n] = makeImage(QStringLiteral("imgViewSize_%1").arg(n), n,
                                   QRect(kViewButtons[n].left, 77, 55, 24),
                                   QString::fromUtf8(kViewButtons[n].normalHint));
    }
    for (int n = 0; n < 3; ++n) {
        imgViewSizeUP[n] = makeImage(QStringLiteral("imgViewSizeUP_%1").arg(n), n,
                                     QRect(kViewButtons[n].left, 77, 57, 24),
                                     QString::fromUtf8(kViewButtons[n].highlightHint));
        imgViewSizeUP[n]->setPicture(QStringLiteral("viewSizeUP_%1.png").arg(n));
        imgViewSizeUP[n]->hide();
    }
    const std::array<const char*, 2> windowHints{"숨기기", "종료"};
    for (int n = 0; n < 2; ++n)
        imgWindowStatus[n] = makeImage(QStringLiteral("imgWindowStatus_%1").arg(n), n,
                                       QRect(847 + 27 * n, 6, 23, 24));
    for (int n = 0; n < 2; ++n) {
        imgWindowStatusUP[n] =
            makeImage(QStringLiteral("imgWindowStatusUP_%1").arg(n), n,
                      QRect(847 + 27 * n, 6, 23, 24), QString::fromUtf8(windowHints[n]));
        imgWindowStatusUP[n]->setPicture(QStringLiteral("windowStatusUP_%1.png").arg(n));
        imgWindowStatusUP[n]->hide();
    }

    // Original, Camera and Rotate answer only on their highlight.
    for (SkinImage* image : {imgDefault[kOpen], imgDefaultUP[kOpen]})
        connect(image, &SkinImage::clicked, this, &TMainForm::OpenClick);
    connect(imgDefaultUP[kOriginal], &SkinImage::clicked, this, &TMainForm::RestoreOriginal);
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
    actRotateImage = new QAction(QString::fromUtf8(kViewButtons[kRotate].highlightHint), this);
    actRotateImage->setObjectName(QStringLiteral("actRotateImage"));
    connect(actRotateImage, &QAction::triggered, this, &TMainForm::RotatePhoto);
}

void TMainForm::createSideButtons()
{
    for (int n = 0; n < 6; ++n) {
        const QRect place(15, kEffectTops[n], 147, n == 0 ? 37 : 42);
        imgEffects[n] = makeImage(QStringLiteral("imgEffects_%1").arg(n), n, place);
        imgEffectsUP[n] = makeImage(QStringLiteral("imgEffectsUP_%1").arg(n), n, place,
                                    QString::fromUtf8(kEffectHints[n]));
        imgEffectsUP[n]->setPicture(QStringLiteral("effectsUP_%1.png").arg(n));
        imgEffectsUP[n]->hide();
    }
    for (int n = 0; n < 6; ++n) {
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
        const QRect place(16, 122 + 35 * n, 147, 31);
        imgType[n] =
            makeImage(QStringLiteral("imgType_%1").arg(n), n, place, photoTypeInfo(n).normalHint);
        imgType[n]->setPicture(QStringLiteral("type_%1.png").arg(n));
        connect(imgType[n], &SkinImage::clicked, this,
                [this](SkinImage* image) { TypeClick(image->tag()); });
    }
    for (int n = 0; n < kPhotoTypeCount; ++n) {
        const QRect place(16, 122 + 35 * n, 147, 31);
        ImgSorvel[n] = makeImage(QStringLiteral("ImgSorvel_%1").arg(n), n, place,
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
    Gauge->setGeometry(437, 81, 271, 18);
    Gauge->setRange(kZoomMin, kZoomMax);
    Gauge->setValue(50);
    Gauge->setToolTip(QStringLiteral("사진크기 조정막대"));
    Gauge->setCursor(Qt::PointingHandCursor);
    Gauge->setStyleSheet(QStringLiteral(
        "QSlider::groove:horizontal { height: 4px; background: #b8bec4; border-radius: 2px; }"
        "QSlider::handle:horizontal { width: 10px; margin: -6px 0; background: #1a9c9c;"
        " border-radius: 3px; }"));
    connect(Gauge, &QSlider::valueChanged, this, &TMainForm::GaugeChange);

    edtValue = new QLineEdit(QStringLiteral("100"), this);
    edtValue->setObjectName(QStringLiteral("edtValue"));
    // 19 high, so that the edit and the up-down stay inside the zoom strip of the
    // background, whose bottom line is row 100.
    edtValue->setGeometry(708, 81, 33, 19);
    edtValue->setReadOnly(true);
    edtValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    edtValue->setStyleSheet(QStringLiteral("color: #2e8b57;"));

    UpDownValue = new UpDownButton(this);
    UpDownValue->setObjectName(QStringLiteral("UpDownValue"));
    UpDownValue->setGeometry(741, 81, 16, 19);
    UpDownValue->setRange(kZoomMin, kZoomMax);
    UpDownValue->setBuddy(edtValue);
    UpDownValue->setPosition(100);
    connect(UpDownValue, &UpDownButton::clicked, this, &TMainForm::UpDownValueClick);

    lblInfoSelectType = new QLabel(this);
    lblInfoSelectType->setObjectName(QStringLiteral("lblInfoSelectType"));
    lblInfoSelectType->move(761, 84);
    lblInfoSelectType->setStyleSheet(QStringLiteral("color: white;"));
    lblInfoSelectType->setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TMainForm::createWorkspace()
{
    pnlWorkMainPanel = new QFrame(this);
    pnlWorkMainPanel->setObjectName(QStringLiteral("pnlWorkMainPanel"));
    pnlWorkMainPanel->setGeometry(170, 114, 723, 513);
    pnlWorkMainPanel->setFrameShape(QFrame::Box);
    pnlWorkMainPanel->setLineWidth(1);
    pnlWorkMainPanel->setStyleSheet(
        QStringLiteral("#pnlWorkMainPanel { background: white; border: 1px solid #9aa3ab; }"));

    ScrollView = new WorkspaceScrollView(pnlWorkMainPanel);
    ScrollView->setObjectName(QStringLiteral("ScrollView"));
    ScrollView->setGeometry(1, 1, 721, 511);
    connect(ScrollView, &WorkspaceScrollView::paintCanvas, this, &TMainForm::ScrollViewPaint);
    connect(ScrollView, &WorkspaceScrollView::mousePressed, this, &TMainForm::ScrollViewMouseDown);
    connect(ScrollView, &WorkspaceScrollView::mouseMoved, this, &TMainForm::ScrollViewMouseMove);
    connect(ScrollView, &WorkspaceScrollView::mouseReleased, this, &TMainForm::ScrollViewMouseUp);
    connect(ScrollView, &WorkspaceScrollView::mouseDoubleClicked, actCutImage, &QAction::trigger);

    pnlIntroWindow = new QFrame(pnlWorkMainPanel);
    pnlIntroWindow->setObjectName(QStringLiteral("pnlIntroWindow"));
    pnlIntroWindow->setGeometry(3, 3, 717, 507);
    pnlIntroWindow->setStyleSheet(QStringLiteral("#pnlIntroWindow { background: white; }"));
    pnlIntroWindow->setMouseTracking(true);
    pnlIntroWindow->installEventFilter(this);
    imgIntroWindow = new QLabel(pnlIntroWindow);
    imgIntroWindow->setObjectName(QStringLiteral("imgIntroWindow"));
    imgIntroWindow->setGeometry(149, 128, 419, 250);
    imgIntroWindow->setPixmap(artPixmap(QStringLiteral("intro.png"), devicePixelRatioF()));
    imgIntroWindow->installEventFilter(this);
}

void TMainForm::createWaitPanel()
{
    pnlWaitInfo = new QFrame(pnlWorkMainPanel);
    pnlWaitInfo->setObjectName(QStringLiteral("pnlWaitInfo"));
    pnlWaitInfo->setGeometry(256, 243, 209, 25);
    pnlWaitInfo->setStyleSheet(QStringLiteral("#pnlWaitInfo { background: white; }"));
    for (int left : {0, 209 - 17}) {
        auto* bar = new QWidget(pnlWaitInfo);
        bar->setGeometry(left, 0, 17, 25);
        bar->setStyleSheet(QStringLiteral("background: #a0a0a0;"));
    }
    auto* caption = new QLabel(QStringLiteral("적용 중입니다.... "), pnlWaitInfo);
    caption->setGeometry(17, 0, 209 - 34, 25);
    caption->setAlignment(Qt::AlignCenter);
    caption->setStyleSheet(QStringLiteral("color: green; font-weight: bold;"));
}

void TMainForm::createFlowChart()
{
    for (int n = 0; n < 6; ++n) {
        imgFlowChart[n] = makeImage(QStringLiteral("imgFlowChart_%1").arg(n), n,
                                    QRect(kFlowChart[n].left, 655, kFlowChart[n].width, 19),
                                    QString::fromUtf8(kFlowChart[n].hint));
        imgFlowChart[n]->setCursor(Qt::WhatsThisCursor);
        connect(imgFlowChart[n], &SkinImage::clicked, this,
                [this](SkinImage* image) { FlowChartClick(image->tag()); });
    }
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
        showInfo(kCaption, outcome.message);
    if (outcome.flash != FlashTarget::None)
        FlashButton(imgDefaultUP[static_cast<int>(outcome.flash)]);
    return outcome.run;
}

void TMainForm::repaintHidden(QWidget* image)
{
    if (QWidget* parent = image->parentWidget())
        parent->repaint(image->geometry());
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
        repaintHidden(image);
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
        repaintHidden(image);
    }
}

void TMainForm::ShowWaitPanel(bool visible)
{
    pnlWaitInfo->setVisible(visible);
    if (visible)
        pnlWaitInfo->repaint();
    else
        repaintHidden(pnlWaitInfo);
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

// ---- window buttons and dragging -----------------------------------------------------

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
    placeCentredOver(about, this);
    runModal(about);
}

void TMainForm::startWindowDrag(QPointF globalPosition)
{
    QWindow* window = windowHandle();
    m_manualWindowDrag = !(window && window->startSystemMove());
    m_windowDragOffset = globalPosition - QPointF(pos());
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event)
{
    const bool dragSurface =
        watched == imgBack || watched == pnlIntroWindow || watched == imgIntroWindow;
    if (!dragSurface)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton)
            startWindowDrag(mouse->globalPosition());
        return true;
    }
    case QEvent::MouseMove: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (m_manualWindowDrag && (mouse->buttons() & Qt::LeftButton))
            move((mouse->globalPosition() - m_windowDragOffset).toPoint());
        if (watched == imgBack)
            hideAllHighlights();
        return true;
    }
    case QEvent::MouseButtonRelease:
        m_manualWindowDrag = false;
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
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
    pnlIntroWindow->hide();
    imgBack->repaint();
    if (QFileInfo(fileName).isFile())
        LoadPhotoFile(fileName);
    FitZoom();
    SheetMade = false;
    CutDone = false;
    const int selected = selectedPhotoType();
    if (selected >= 0 && selected != kCustomPhotoType)
        SelectPhotoType(selected);
}

void TMainForm::LoadPhotoFile(const QString& fileName)
{
    OriginalBitmap.free();
    WorkBitmap.free();
    CutBitmap.free();
    m_pyramid.clear();
    const bool read = swallowErrors([this, &fileName] {
        if (!loadPhoto(fileName, WorkBitmap) || !IsBitmapAllocated(WorkBitmap))
            return;
        if (WorkBitmap.bitsPerPixel() < 24)
            convertTo24(WorkBitmap);
        copyBitmap(OriginalBitmap, WorkBitmap);
    });
    // An unreadable photo leaves the document empty; the steps below then turn the
    // workspace white and take the old scroll bars away.
    if (!read || !IsBitmapAllocated(OriginalBitmap)) {
        OriginalBitmap.free();
        WorkBitmap.free();
    }
    UpdateScrollRanges();
    invalidateWorkspace();
}

void TMainForm::RestoreOriginal()
{
    if (!stageAllows(StageAction::Original))
        return;
    CropRect = {};
    swallowErrors([this] {
        if (IsBitmapAllocated(OriginalBitmap))
            copyBitmap(WorkBitmap, OriginalBitmap);
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
    lblInfoSelectType->setText(photoTypeLabel(PhotoType));
    lblInfoSelectType->adjustSize();
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
    placeCentredOver(dialog, this);
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
        painter.drawRect(toQRect(grown(photo, 1)).adjusted(0, 0, -1, -1));
    }
    paintCropFrame(canvas, clip);
}

void TMainForm::paintCropFrame(QImage& canvas, const QRect& clip)
{
    Rect frame = m_dragFrame;
    if (!Dragging) {
        frame = CropRect;
        ImageToScreen(frame);
        NormalizeRect(frame);
        m_labelColour = randomLabelColour();
    }
    if (RectWidth(frame) > kSmallestDrawnFrame && RectHeight(frame) > kSmallestDrawnFrame) {
        invertFrame(canvas, frame, clip);
        invertFrame(canvas, grown(frame, 2), clip);
        {
            QPainter painter(&canvas);
            painter.setClipRect(clip);
            QFont font(QStringLiteral("굴림"), 10);
            font.setBold(true);
            painter.setFont(font);
            painter.setPen(m_labelColour);
            painter.drawText(QRect(frame.right, frame.bottom, 1000, 100),
                             Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                             QStringLiteral(" ↖") + PhotoType.PhotoSizeText);
        }
        invertRect(canvas, GripRect(frame, kGripRight), clip);
        invertRect(canvas, GripRect(frame, kGripBottomRight), clip);
    }
    if (Dragging && m_dragMoved) {
        invertDottedFrame(canvas, m_dragFrame, clip);
        invertDottedFrame(canvas, CropRect, clip);
    }
}

void TMainForm::ScrollViewMouseDown(QPoint position)
{
    // During a drag the frame is held in workspace pixels; another button pressed now
    // must not convert it a second time.
    if (Dragging || !stageAllows(StageAction::CropDrag))
        return;
    DragPoint = position;
    Rect frame = CropRect;
    ImageToScreen(frame);
    NormalizeRect(frame);
    ActiveGrip = GripAtPoint(frame, DragPoint);
    Dragging = ActiveGrip != kGripBody || contains(frame, DragPoint);
    if (!Dragging)
        return;
    m_pressCropRect = CropRect;
    CropRect = frame;
    m_dragFrame = frame;
    m_dragMoved = false;
}

void TMainForm::ScrollViewMouseMove(QPoint position)
{
    if (!Dragging) {
        Rect frame = CropRect;
        ImageToScreen(frame);
        ActiveGrip = GripAtPoint(frame, position);
        ScrollView->viewport()->setCursor(cursorForGrip(ActiveGrip));
        return;
    }
    if (position == DragPoint)
        return;
    dragCropFrame(CropRect, ActiveGrip, position - DragPoint, PhotoType.AspectRatio);
    DragPoint = position;
    m_dragMoved = true;
    invalidateWorkspace();
}

void TMainForm::ScrollViewMouseUp(QPoint)
{
    if (Dragging) {
        // A click that did not move keeps the frame exactly: the round trip through the
        // zoom would change its size at low zooms.
        if (m_dragMoved) {
            ScreenToImage(CropRect);
            NormalizeRect(CropRect);
        } else {
            CropRect = m_pressCropRect;
        }
        ClampCropOrigin();
    }
    Dragging = false;
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
    if (frameOutsidePhoto(CropRect, WorkBitmap.width(), WorkBitmap.height()))
        return CutStatus::OutsidePhoto;
    std::optional<RasterBitmap> cut =
        cutFramedArea(WorkBitmap, CropRect, PhotoType.TargetWidth, PhotoType.TargetHeight);
    RasterBitmap cutCopy;
    if (!cut || !copyBitmap(cutCopy, *cut))
        return CutStatus::Failed;
    WorkBitmap = std::move(*cut);
    CutBitmap = std::move(cutCopy);
    CropRect = {};
    return CutStatus::Done;
}

// The steps that end both a cut and a make. When nothing was cut, the photo, the frame
// and the zoom stay as they were; otherwise the zoom is refitted to the new picture.
void TMainForm::finishCut(CutStatus status)
{
    if (status == CutStatus::OutsidePhoto)
        showInfo(kCaption, frameOutsidePhotoMessage());
    if (status != CutStatus::Done)
        return;
    Gauge->setValue(100);
    FitZoom();
    CutDone = true;
    invalidateWorkspace();
}

void TMainForm::runBusy(const std::function<void()>& step)
{
    ShowWaitPanel(true);
    const auto hideWaitPanel = qScopeGuard([this] { ShowWaitPanel(false); });
    const OverrideCursor busy(Qt::WaitCursor);
    swallowErrors(step);
}

void TMainForm::RotatePhoto()
{
    if (!stageAllows(StageAction::Rotate))
        return;
    SkinImage* button = imgViewSizeUP[kRotate];
    button->setEnabled(false);
    {
        const OverrideCursor busy(Qt::WaitCursor);
        swallowErrors([this] { rotateBitmapClockwise(WorkBitmap); });
    }
    button->setEnabled(true);
    UpdateScrollRanges();
    invalidateWorkspace();
}

// ---- the print sheet -----------------------------------------------------------------

void TMainForm::MakeSheet()
{
    if (!stageAllows(StageAction::Make))
        return;
    if (!CutDone && !cropFrameLargeEnough(CropRect)) {
        showInfo(kCaption, QStringLiteral("사진종류를 선택하십시오."));
        return;
    }
    CutStatus cut = CutDone ? CutStatus::Done : CutStatus::Failed;
    bool made = false;
    // The wait panel and the hourglass stay through the cut and the composition.
    runBusy([this, &cut, &made] {
        if (!CutDone)
            cut = CutCore();
        if (cut == CutStatus::Done)
            made = ComposeSheet();
    });
    // A sheet that cannot be composed leaves the cut photo in the Cut stage.
    if (cut == CutStatus::Done)
        SheetMade = made;
    finishCut(cut);
}

bool TMainForm::ComposeSheet()
{
    const SheetPhotoType type{PhotoType.TargetWidth, PhotoType.TargetHeight, PhotoType.MarginX,
                              PhotoType.MarginY, PhotoType.CustomSize};
    RasterBitmap sheet = composeSheet(WorkBitmap, type);
    if (!IsBitmapAllocated(sheet))
        return false;
    WorkBitmap = std::move(sheet);
    return true;
}

// ---- printing and saving -------------------------------------------------------------

void TMainForm::PrintClick()
{
    if (!stageAllows(StageAction::Print))
        return;
    ShowWaitPanel(true);
    const auto hideWaitPanel = qScopeGuard([this] { ShowWaitPanel(false); });
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (runModal(dialog) != QDialog::Accepted)
        return;
    const OverrideCursor hand(Qt::PointingHandCursor);
    // Printer failures are not reported; the printer's own queue shows them.
    printSheetDocument(printer, WorkBitmap);
}

void TMainForm::SaveWorkBitmap()
{
    if (!stageAllows(StageAction::Save))
        return;
    QFileDialog dialog(this);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOptions(QFileDialog::DontConfirmOverwrite | QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(saveDialogFilter().split(QStringLiteral(";;")));
    if (runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const std::optional<SaveRequest> request =
        saveRequestFor(saveFilterEntry(dialog.selectedNameFilter()),
                       dialog.selectedFiles().constFirst(), WorkBitmap.bitsPerPixel());
    bool saved = false;
    if (request) {
        const OverrideCursor busy(Qt::WaitCursor);
        saved = saveBitmap(request->fileName, WorkBitmap, request->format, request->bitsPerPixel);
    }
    if (!saved)
        showInfo(kCaption, QStringLiteral("이미지를 저장할 수 없습니다."));
}

// ---- edit effects --------------------------------------------------------------------

void TMainForm::SelectEffect(int index)
{
    if (!stageAllows(StageAction::Effect))
        return;
    swallowErrors([this, index] {
        switch (index) {
        case 0:
            copyBitmap(WorkBitmap, CutBitmap);
            break;
        case 1:
            OpenSoftGlowDialog();
            break;
        case 2:
            OpenToneDialog();
            break;
        case 3:
            OpenColourDialog();
            break;
        default:
            // The frame and text effects come with their own dialogs.
            break;
        }
    });
    invalidateWorkspace();
}

void TMainForm::OpenSoftGlowDialog()
{
    ::OpenSoftGlowDialog(
        this, WorkBitmap, [this] { invalidateWorkspace(); },
        [this](QDialog& dialog) { return runModal(dialog); });
}

void TMainForm::OpenToneDialog()
{
    ::OpenToneDialog(
        this, WorkBitmap, [this] { invalidateWorkspace(); },
        [this](QDialog& dialog) { return runModal(dialog); });
}

void TMainForm::OpenColourDialog()
{
    ::OpenColourDialog(
        this, WorkBitmap, [this] { invalidateWorkspace(); },
        [this](QDialog& dialog) { return runModal(dialog); });
}
