#include "ordering/FrmTransData.h"

#include "common/MessageSink.h"
#include "ordering/OrderEntries.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QWebEngineHttpRequest>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace {

const QString kNuvAlbum = QStringLiteral("Nuv Album");
constexpr QSize kClientSize(324, 193);
// QProgressBar counts in int; larger files are shown in coarser steps.
constexpr qint64 kGaugeLimit = 1 << 30;

const QString kGreen = QStringLiteral("color: #2e8b57; font-weight: bold;");
const QString kTeal = QStringLiteral("color: #127373;");
const QString kNavy = QStringLiteral("color: #1f3a5f; font-weight: bold;");
const QString kBlue = QStringLiteral("color: #1d4fd8; font-weight: bold;");
const QString kRed = QStringLiteral("color: #c0392b;");

} // namespace

TTransDataForm::TTransDataForm(QWidget* parent)
    : QFrame(parent), m_transfer(*this, *this, EventPacing::responsive())
{
    setObjectName(QStringLiteral("TTransDataForm"));
    resize(kClientSize);
    createControls();
    hide();
}

TTransDataForm::~TTransDataForm() = default;

QLabel* TTransDataForm::makeLabel(const QString& name, const QString& text, QPoint place,
                                  const QString& style)
{
    auto* label = new QLabel(text, TransPanel);
    label->setObjectName(name);
    label->setStyleSheet(style);
    label->move(place);
    label->adjustSize();
    return label;
}

// The counts stand centred in the blanks between the brackets of Label2, wherever this
// font puts them.
void TTransDataForm::placeInBrackets(QLabel* count, int blank)
{
    const QString text = Label2->text();
    int open = -1;
    for (int n = 0; n <= blank; ++n)
        open = text.indexOf(u'[', open + 1);
    const int close = text.indexOf(u']', open);
    const QFontMetrics metrics(Label2->font());
    const int left = Label2->x() + metrics.horizontalAdvance(text.left(open + 1));
    const int right = Label2->x() + metrics.horizontalAdvance(text.left(close));
    count->setGeometry(left, count->y(), right - left, count->height());
    count->setAlignment(Qt::AlignCenter);
}

void TTransDataForm::createControls()
{
    TransPanel = new QFrame(this);
    TransPanel->setObjectName(QStringLiteral("TransPanel"));
    TransPanel->setGeometry(QRect(QPoint(0, 0), kClientSize));
    TransPanel->setStyleSheet(
        QStringLiteral("#TransPanel { background: #fffbe6; border: 1px solid #9aa3ab; }"));

    TransTopPanel = new QFrame(TransPanel);
    TransTopPanel->setObjectName(QStringLiteral("TransTopPanel"));
    TransTopPanel->setGeometry(1, 1, kClientSize.width() - 2, 21);
    TransTopPanel->setStyleSheet(QStringLiteral(
        "#TransTopPanel { background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 #e8f4f4, "
        "stop:1 #cfe6e6); border-bottom: 1px solid #9fc9c9; }"));
    auto* icon = new QLabel(TransTopPanel);
    icon->setGeometry(4, 2, 16, 16);
    icon->setPixmap(style()->standardIcon(QStyle::SP_ArrowUp).pixmap(16, 16));
    lblTransferTitle = new QLabel(QStringLiteral("전송 중입니다. "), TransTopPanel);
    lblTransferTitle->setObjectName(QStringLiteral("lblTransferTitle"));
    lblTransferTitle->setGeometry(24, 3, kClientSize.width() - 30, 16);
    lblTransferTitle->setStyleSheet(kNavy);

    Label2 = makeLabel(QStringLiteral("Label2"),
                       QStringLiteral("화일 [     ] 개중 [     ] 번째 화일..."), {8, 40}, {});
    lblTransTotalCount =
        makeLabel(QStringLiteral("lblTransTotalCount"), QStringLiteral("0"), {55, 40}, kGreen);
    lblTransCount =
        makeLabel(QStringLiteral("lblTransCount"), QStringLiteral("0"), {119, 40}, kGreen);
    placeInBrackets(lblTransTotalCount, 0);
    placeInBrackets(lblTransCount, 1);
    lblTransFileName = makeLabel(QStringLiteral("lblTransFileName"), QStringLiteral("화일 이름 : "),
                                 {9, 64}, kTeal);
    lblTransFileName->setFixedWidth(kClientSize.width() - 18);

    auto* shade = new QFrame(TransPanel);
    shade->setGeometry(10, 83, 298, 17);
    shade->setStyleSheet(QStringLiteral("background: #1a9c9c; border-radius: 2px;"));
    Gauge = new QProgressBar(TransPanel);
    Gauge->setObjectName(QStringLiteral("Gauge"));
    Gauge->setGeometry(7, 80, 298, 17);
    Gauge->setRange(0, 100);
    Gauge->setValue(0);
    Gauge->setAlignment(Qt::AlignCenter);
    Gauge->setStyleSheet(QStringLiteral(
        "QProgressBar { background: white; border: 1px solid #7a8a8a; color: #1f3a5f; }"
        "QProgressBar::chunk { background: #c0dcc0; }"));
    makeLabel(QStringLiteral("lblScale0"), QStringLiteral("0 % "), {7, 104}, {});
    makeLabel(QStringLiteral("lblScale50"), QStringLiteral("50% "), {142, 104}, {});
    makeLabel(QStringLiteral("lblScale100"), QStringLiteral("100 % "), {275, 104}, {});

    lblInfoResult1 = makeLabel(QStringLiteral("lblInfoResult1"), {}, {8, 128}, kGreen);
    lblInfoResult2 = makeLabel(QStringLiteral("lblInfoResult2"), {}, {8, 144}, kGreen);
    lblInfoResult3 = makeLabel(QStringLiteral("lblInfoResult3"), {}, {8, 159}, kRed);
    for (QLabel* label : {lblInfoResult1, lblInfoResult2})
        label->setFixedWidth(230);
    // The notice may run under the button; it wraps instead.
    lblInfoResult3->setGeometry(8, 159, 236, 30);
    lblInfoResult3->setWordWrap(true);
    lblInfoResult3->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    btnOK = new QPushButton(QStringLiteral("전송"), TransPanel);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(249, 155, 59, 22);
    btnOK->setEnabled(false);
}

// The browser engine starts with its first page, so the control is made when the first
// registration needs it: a run without orders never starts the engine.
QWebEngineView* TTransDataForm::webControl()
{
    if (Web)
        return Web;
    Web = new QWebEngineView(this);
    Web->setObjectName(QStringLiteral("Web"));
    Web->setPage(new QWebEnginePage(orderWebProfile(), Web));
    Web->setGeometry(-1000, -1000, 16, 16);
    connect(Web, &QWebEngineView::loadFinished, this, [this] { WebDocumentComplete(); });
    return Web;
}

OrderTransfer::Report TTransDataForm::btnOKClick()
{
    Order.uploadFileName = UploadFileName;
    const OrderTransfer::Report report = m_transfer.run(Order);
    switch (report.outcome) {
    case OrderTransfer::Outcome::FolderRefused:
        showInfo(kNuvAlbum,
                 QStringLiteral("FTP Server에 접근할 수 없습니다.\n관련 폴더를 만들수 없습니다."));
        break;
    case OrderTransfer::Outcome::ConnectionFailed:
        showInfo(kNuvAlbum, QStringLiteral("사진 전송 서버에 연결하지 못해 주문을 보내지 "
                                           "못했습니다.\n%1")
                                .arg(report.errorText));
        break;
    default:
        break;
    }
    return report;
}

void TTransDataForm::transferStarted()
{
    btnOK->setEnabled(false);
}

void TTransDataForm::showFileName(const QString& text)
{
    lblTransFileName->setText(text);
}

void TTransDataForm::setGaugeMaximum(qint64 maximum)
{
    m_gaugeScale = maximum / kGaugeLimit + 1;
    Gauge->setMaximum(static_cast<int>(maximum / m_gaugeScale));
    Gauge->setValue(0);
}

void TTransDataForm::setGaugeProgress(qint64 progress)
{
    Gauge->setValue(static_cast<int>(progress / m_gaugeScale));
}

void TTransDataForm::showTitle(const QString& text, bool closing)
{
    lblTransferTitle->setStyleSheet(closing ? kBlue : kNavy);
    lblTransferTitle->setText(text);
    lblTransferTitle->repaint();
}

void TTransDataForm::showResults(const QString& requested, const QString& sent)
{
    lblInfoResult1->setText(requested);
    lblInfoResult2->setText(sent);
    for (QLabel* label : {lblInfoResult1, lblInfoResult2, lblInfoResult3})
        label->repaint();
}

void TTransDataForm::showNotice(const QString& text)
{
    lblInfoResult3->setText(text);
    lblInfoResult3->repaint();
}

void TTransDataForm::registrationNotStarted()
{
    showInfo(kNuvAlbum, QStringLiteral("데이터 베이스 입력 오류"));
}

bool TTransDataForm::startRegistration(const QString& url, const QByteArray& body)
{
    const QUrl address(url);
    if (!address.isValid())
        return false;
    QWebEngineHttpRequest request(address, QWebEngineHttpRequest::Post);
    request.setHeader("Content-Type", "application/x-www-form-urlencoded");
    request.setPostData(body);
    m_webTag = 0;
    webControl()->load(request);
    return true;
}

bool TTransDataForm::registrationComplete() const
{
    return m_webTag == 1;
}

void TTransDataForm::stopRegistration()
{
    if (Web)
        Web->stop();
}

void TTransDataForm::WebDocumentComplete()
{
    m_webTag = 1;
}
