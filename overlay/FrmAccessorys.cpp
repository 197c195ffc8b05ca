#include "overlay/FrmAccessorys.h"

#include "overlay/ColourBox.h"
#include "overlay/FontSampleDelegate.h"
#include "overlay/TextBlock.h"
#include "ui/DialogParts.h"
#include "ui/PreviewBox.h"
#include "ui/WindowLook.h"

#include <QAbstractItemView>
#include <QAbstractTextDocumentLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>

#include <cstdlib>

namespace {

constexpr QSize kClientSize(690, 663);
constexpr QRect kScrollBoxPlace(16, 16, 500, 458);
constexpr QRect kScrollShadowPlace(23, 23, 497, 455);
constexpr QRect kPanelPlace(531, 16, 142, 393);
constexpr int kMemoPanelHeight = 100;
constexpr int kTimerInterval = 100;
constexpr int kLabelLeft = 8;
constexpr int kControlLeft = 52;
constexpr int kControlWidth = 82;
constexpr int kRowHeight = 21;
constexpr int kFontListWidth = 260;

const QStringList kStyleNames{QStringLiteral("보통"), QStringLiteral("굵게"),
                              QStringLiteral("기울이기"), QStringLiteral("굵게 기울이기")};
const QStringList kPlacementNames{
    QStringLiteral("상단 왼쪽"), QStringLiteral("상단 중간"), QStringLiteral("상단 오른쪽"),
    QStringLiteral("중앙 왼쪽"), QStringLiteral("중앙 중간"), QStringLiteral("중앙 오른쪽"),
    QStringLiteral("하단 왼쪽"), QStringLiteral("하단 중간"), QStringLiteral("하단 오른쪽")};

void fillWhite(QWidget* widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// A settings row at top: its caption on the left and box on the right.
template <typename Box> Box* makeRow(QWidget* panel, const QString& caption, int top)
{
    makeLabel(panel, caption, QRect(kLabelLeft, top, kControlLeft - kLabelLeft, kRowHeight),
              Qt::AlignLeft | Qt::AlignVCenter);
    auto* box = new Box(panel);
    box->setGeometry(kControlLeft, top, kControlWidth, kRowHeight);
    return box;
}

// Typed text that matches no item changes nothing until it does. A chosen item shows from
// its start, also when it is wider than the box.
void makeEditable(QComboBox* box)
{
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(box, &QComboBox::activated, box, [box] { box->lineEdit()->home(false); });
}

} // namespace

TAccessorysForm::TAccessorysForm(QWidget* parent) : QDialog(parent)
{
    setupToolDialog(*this, kClientSize, QStringLiteral("텍스트 입력"));
    buildPreview();
    buildSettingsPanel();

    makeFramedPanel(this, QRect(16, 490, 505, 37), false);
    lblApplyInfo = makeLabel(
        this,
        QStringLiteral("사진위에 원하는 문자나 문장을 입력합니다. 내용입력 후 글꼴, 크기, 색상, "
                       "그림자 등을\n설정하고 글자가 들어갈 위치를 선택합니다.  글자 위치는 "
                       "나중에 마우스로 조정합니다."),
        QPoint(22, 494));

    const OkCancelButtons closing =
        makeOkCancelButtons(this, QPoint(534, 503), QPoint(606, 503), QSize(70, 25));
    btnOK = closing.ok;
    btnCANCEL = closing.cancel;
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCANCEL, &QPushButton::clicked, this, [this] { btnCANCELClick(); });

    lblInfoText = makeNote(this, QStringLiteral("☞ 내용을 입력해 주세요.  "), QPoint(3, 548));
    setTextColour(lblInfoText, Qt::blue);
    buildMemo();

    Timer = new QTimer(this);
    Timer->setInterval(kTimerInterval);
    connect(Timer, &QTimer::timeout, this, [this] { TimerTimer(); });
}

void TAccessorysForm::buildPreview()
{
    auto* shadow = new QWidget(this);
    shadow->setGeometry(kScrollShadowPlace);
    shadow->setAutoFillBackground(true);
    shadow->setPalette(QPalette(QColor(0x80, 0x80, 0x80), QColor(0x80, 0x80, 0x80)));

    AccessorysScrollBox = new QScrollArea(this);
    AccessorysScrollBox->setGeometry(kScrollBoxPlace);
    AccessorysScrollBox->setFrameShape(QFrame::NoFrame);
    fillWhite(AccessorysScrollBox->viewport());
    m_scrolled = new QWidget;
    fillWhite(m_scrolled);
    AccessorysPaintBox = new PreviewBox(m_scrolled);
    AccessorysPaintBox->setAttribute(Qt::WA_OpaquePaintEvent);
    AccessorysPaintBox->setPaintHandler(
        [this](QPainter& painter) { AccessorysPaintBoxPaint(painter); });
    AccessorysPaintBox->installEventFilter(this);
    AccessorysScrollBox->setWidget(m_scrolled);
}

void TAccessorysForm::buildSettingsPanel()
{
    QFrame* panel = makeFramedPanel(this, kPanelPlace, false);
    makeNote(panel, QStringLiteral("☞ 설정 "), QPoint(kLabelLeft, 10));
    buildFontRows(panel);
    buildShadowRows(panel);
    buildPlacementGroup(panel);
}

void TAccessorysForm::buildFontRows(QWidget* panel)
{
    cbFont = makeRow<QComboBox>(panel, QStringLiteral("글꼴 "), 36);
    makeEditable(cbFont);
    cbFont->addItems(offeredFontFamilies());
    cbFont->setItemDelegate(new FontSampleDelegate(QStringLiteral("누브 NUV"), cbFont));
    cbFont->view()->setMinimumWidth(kFontListWidth);
    cbFont->setEditText(PreviewFontName);
    cbFont->lineEdit()->home(false);
    connect(cbFont, &QComboBox::currentTextChanged, this, [this] { cbFontChange(); });

    cbSize = makeRow<QComboBox>(panel, QStringLiteral("크기 "), 66);
    makeEditable(cbSize);
    for (const int size : QFontDatabase::standardSizes())
        cbSize->addItem(QString::number(size));
    cbSize->setValidator(new QIntValidator(kMinTextPointSize, kMaxTextPointSize, cbSize));
    cbSize->setEditText(QString::number(PreviewFontSize));
    connect(cbSize, &QComboBox::currentTextChanged, this, [this] { cbSizeChange(); });

    edtFontColor = makeRow<ColourBox>(panel, QStringLiteral("글꼴색 "), 96);
    edtFontColor->setColour(Qt::white);
    edtFontBColor = makeRow<ColourBox>(panel, QStringLiteral("그림자 "), 126);
    edtFontBColor->setColour(Qt::black);
    for (ColourBox* box : {edtFontColor, edtFontBColor})
        connect(box, &ColourBox::colourChanged, this, [this] { edtFontColorChange(); });

    cbStyle = makeRow<QComboBox>(panel, QStringLiteral("스타일 "), 156);
    makeEditable(cbStyle);
    cbStyle->addItems(kStyleNames);
    cbStyle->setCurrentIndex(0);
    connect(cbStyle, &QComboBox::currentTextChanged, this, [this] { cbStyleChange(); });
}

void TAccessorysForm::buildShadowRows(QWidget* panel)
{
    chkAlasing = new QCheckBox(QStringLiteral("안티-알리아싱"), panel);
    chkAlasing->move(kLabelLeft, 192);
    chkAlasing->adjustSize();
    chkAlasing->setChecked(true);
    chkFontShadow = new QCheckBox(QStringLiteral("그림자 넣기"), panel);
    chkFontShadow->move(kLabelLeft, 218);
    chkFontShadow->adjustSize();
    chkFontShadow->setChecked(true);
    // The check boxes and the distance have no handlers: the timer shows their changes.
    cbxShadowDepth = makeRow<QComboBox>(panel, QStringLiteral("간격 "), 244);
    cbxShadowDepth->resize(48, kRowHeight);
    for (int depth = 1; depth <= 5; ++depth)
        cbxShadowDepth->addItem(QString::number(depth));
}

void TAccessorysForm::buildPlacementGroup(QWidget* panel)
{
    QFrame* group = makeFramedPanel(panel, QRect(6, 290, 130, 72), false);
    makeNote(group, QStringLiteral("☞ 위치 선택 "), QPoint(8, 10));
    DestTextComboBox = new QComboBox(group);
    DestTextComboBox->setGeometry(8, 36, 114, 22);
    DestTextComboBox->addItems(kPlacementNames);
    // Choosing the same place again places the block again, after a drag too.
    connect(DestTextComboBox, &QComboBox::activated, this, [this] { DestTextComboBoxChange(); });
}

void TAccessorysForm::buildMemo()
{
    auto* panel = new QFrame(this);
    panel->setGeometry(0, kClientSize.height() - kMemoPanelHeight, kClientSize.width(),
                       kMemoPanelHeight);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(2);
    memoText = new QPlainTextEdit(panel);
    memoText->setGeometry(panel->contentsRect());
    memoText->setFrameShape(QFrame::NoFrame);
    memoText->setFont(windowFont());
    memoText->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QPalette palette = memoText->palette();
    palette.setColor(QPalette::Text, Qt::black);
    memoText->setPalette(palette);
    memoText->setPlainText(QStringLiteral("누브 소르벨"));
    connect(memoText, &QPlainTextEdit::textChanged, this, [this] { memoTextChange(); });
}

void TAccessorysForm::prepare(RasterBitmap& workBitmap)
{
    m_workBitmap = &workBitmap;
    PreviewBitmap = workBitmap;
    const QSize photo(PreviewBitmap.width(), PreviewBitmap.height());
    // A photo smaller than the scroll box sits in its middle; a larger one scrolls.
    const int left =
        photo.width() < kScrollBoxPlace.width() ? (kScrollBoxPlace.width() - photo.width()) / 2 : 0;
    const int top = photo.height() < kScrollBoxPlace.height()
                        ? (kScrollBoxPlace.height() - photo.height()) / 2
                        : 0;
    AccessorysPaintBox->setGeometry(QRect(QPoint(left, top), photo));
    m_scrolled->resize(left + photo.width(), top + photo.height());
    Timer->start();
}

void TAccessorysForm::cbFontChange()
{
    PreviewFontName = cbFont->currentText();
    requestRender();
}

void TAccessorysForm::cbSizeChange()
{
    bool number = false;
    const int size = cbSize->currentText().trimmed().toInt(&number);
    // A size being typed that is no size yet keeps the last one.
    if (number && size >= kMinTextPointSize && size <= kMaxTextPointSize)
        PreviewFontSize = size;
    requestRender();
}

void TAccessorysForm::cbStyleChange()
{
    // Text typed into the box that names no style keeps the style last applied.
    const int index = cbStyle->findText(cbStyle->currentText(), Qt::MatchExactly);
    if (index >= 0)
        m_style = TextStyle(index);
    requestRender();
}

void TAccessorysForm::DestTextComboBoxChange()
{
    if (!PreviewBitmap.isAllocated())
        return;
    const Rect block = MeasureTextBlock();
    const QSize blockSize(std::abs(RectWidth(block)), std::abs(RectHeight(block)));
    const QPoint at =
        placeTextBlock(DestTextComboBox->currentIndex(),
                       QSize(PreviewBitmap.width(), PreviewBitmap.height()), blockSize);
    TextX = at.x();
    TextY = at.y();
    requestRender();
    // The scroll bars keep these within their ranges, bringing the block's corner into view.
    AccessorysScrollBox->horizontalScrollBar()->setValue(TextX);
    AccessorysScrollBox->verticalScrollBar()->setValue(TextY);
}

Rect TAccessorysForm::MeasureTextBlock()
{
    const QSize block = measureTextBlock(memoLines(), PreviewFontName, PreviewFontSize);
    TextBlockWidth = block.width();
    TextBlockHeight = block.height();
    return textBlockRect(QPoint(TextX, TextY), block);
}

QStringList TAccessorysForm::memoLines() const
{
    QStringList lines;
    const QTextDocument* document = memoText->document();
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        // Asking for the block's box lays it out at the memo's width if it is not yet.
        document->documentLayout()->blockBoundingRect(block);
        const QTextLayout* layout = block.layout();
        const QString text = block.text();
        if (!layout || layout->lineCount() == 0) {
            lines.append(text);
            continue;
        }
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            lines.append(text.mid(line.textStart(), line.textLength()));
        }
    }
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

TextAppearance TAccessorysForm::appearance() const
{
    TextAppearance look;
    look.family = PreviewFontName;
    look.pointSize = PreviewFontSize;
    look.style = m_style;
    look.textColour = edtFontColor->colour();
    look.shadowColour = edtFontBColor->colour();
    look.antialiased = chkAlasing->isChecked();
    look.shadow = chkFontShadow->isChecked();
    look.shadowDepth = cbxShadowDepth->currentText().trimmed().toInt();
    return look;
}

void TAccessorysForm::Render()
{
    if (!PreviewBitmap.isAllocated())
        return;
    RenderInputs inputs{memoLines(), QPoint(TextX, TextY), appearance(),
                        PreviewBitmap.image().cacheKey()};
    if (!RenderBuffer.isNull() && inputs == m_rendered)
        return;
    // A buffer that cannot be allocated stays empty and the preview shows nothing new.
    if (renderTextOverlay(RenderBuffer, PreviewBitmap.image(), inputs.lines, inputs.at,
                          inputs.look))
        m_rendered = std::move(inputs);
}

void TAccessorysForm::AccessorysPaintBoxPaint(QPainter& painter)
{
    Render();
    if (!RenderBuffer.isNull())
        painter.drawImage(0, 0, RenderBuffer);
}

void TAccessorysForm::requestRender()
{
    AccessorysPaintBox->update();
}

void TAccessorysForm::AccessorysPaintBoxMouseDown(QPoint point)
{
    if (!PreviewBitmap.isAllocated() || !m_drag.press(point, MeasureTextBlock()))
        return;
    AccessorysPaintBox->setCursor(Qt::PointingHandCursor);
}

void TAccessorysForm::AccessorysPaintBoxMouseMove(QPoint point)
{
    if (!m_drag.dragging())
        return;
    if (RectContains(MeasureTextBlock(), point.x(), point.y()))
        AccessorysPaintBox->setCursor(Qt::PointingHandCursor);
    else
        AccessorysPaintBox->unsetCursor();
    QPoint at(TextX, TextY);
    if (!m_drag.move(point, AccessorysPaintBox->size(), at))
        return;
    TextX = at.x();
    TextY = at.y();
    requestRender();
}

void TAccessorysForm::AccessorysPaintBoxMouseUp()
{
    m_drag.release();
    AccessorysPaintBox->unsetCursor();
}

void TAccessorysForm::TimerTimer()
{
    requestRender();
    MeasureTextBlock();
}

void TAccessorysForm::btnOKClick()
{
    Render();
    if (!RenderBuffer.isNull() && m_workBitmap) {
        PreviewBitmap = RasterBitmap(RenderBuffer);
        *m_workBitmap = PreviewBitmap;
    }
    accept();
}

void TAccessorysForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    memoText->setFocus();
}

bool TAccessorysForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != AccessorysPaintBox)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        AccessorysPaintBoxMouseDown(static_cast<QMouseEvent*>(event)->position().toPoint());
        return true;
    case QEvent::MouseMove:
        AccessorysPaintBoxMouseMove(static_cast<QMouseEvent*>(event)->position().toPoint());
        return true;
    case QEvent::MouseButtonRelease:
        AccessorysPaintBoxMouseUp();
        return true;
    default:
        return QDialog::eventFilter(watched, event);
    }
}

void TAccessorysForm::done(int result)
{
    Timer->stop();
    QDialog::done(result);
}
