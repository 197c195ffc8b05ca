#include "app/FrmDefineCanvas.h"

#include "app/CanvasSize.h"
#include "app/UpDownButton.h"
#include "common/MessageSink.h"

#include <QFrame>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kCaption = QStringLiteral("Nuv Sorvel");

bool allAccepted(const QString& text)
{
    for (QChar c : text) {
        if (!canvasKeyAccepted(c))
            return false;
    }
    return true;
}

QLabel* makeLabel(QWidget* parent, const QString& text, const QRect& geometry,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setAlignment(alignment);
    return label;
}

QLabel* makeNote(QWidget* parent, const QString& text, int top)
{
    QLabel* note = makeLabel(parent, text, QRect(12, top, 280, 18));
    note->setStyleSheet(QStringLiteral("color: green;"));
    return note;
}

} // namespace

TDefineCanvasForm::TDefineCanvasForm(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    setWindowTitle(QStringLiteral("사용자 정의 크기"));
    setFont(QFont(QStringLiteral("굴림"), 9));
    setFixedSize(314, 174);

    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    panel->setGeometry(8, 8, 298, 122);

    edtWidth = makeSizeRow(panel, 12, QStringLiteral("폭 (Width) : "), UpDownValue1,
                           kCanvasMinWidth, kCanvasMaxWidth);
    edtWidth->setObjectName(QStringLiteral("edtWidth"));
    UpDownValue1->setObjectName(QStringLiteral("UpDownValue1"));
    edtHeight = makeSizeRow(panel, 40, QStringLiteral("높이 (Height) : "), UpDownValue2,
                            kCanvasMinHeight, kCanvasMaxHeight);
    edtHeight->setObjectName(QStringLiteral("edtHeight"));
    UpDownValue2->setObjectName(QStringLiteral("UpDownValue2"));
    makeNote(panel, QStringLiteral("☞ 100 Pixel -> 1 cm   "), 72);
    makeNote(panel, QStringLiteral("☞ 폭 (200 ~ 999 Pixel),  높이( 200~799 Pixel)   "), 94);

    btnOK = new QPushButton(QStringLiteral("확인"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry(144, 139, 75, 26);
    btnOK->setDefault(true);
    btnOK->setAutoDefault(true);
    connect(btnOK, &QPushButton::clicked, this, &TDefineCanvasForm::btnOKClick);

    btnCANCEL = new QPushButton(QStringLiteral("취소"), this);
    btnCANCEL->setObjectName(QStringLiteral("btnCANCEL"));
    btnCANCEL->setGeometry(228, 139, 75, 26);
    btnCANCEL->setAutoDefault(false);
    connect(btnCANCEL, &QPushButton::clicked, this, &TDefineCanvasForm::btnCANCELClick);
}

QLineEdit* TDefineCanvasForm::makeSizeRow(QWidget* panel, int top, const QString& caption,
                                          UpDownButton*& upDown, int minimum, int maximum)
{
    makeLabel(panel, caption, QRect(8, top, 104, 21), Qt::AlignRight | Qt::AlignVCenter);
    auto* edit = new QLineEdit(panel);
    edit->setGeometry(114, top, 44, 21);
    edit->setMaxLength(3);
    edit->setInputMethodHints(Qt::ImhDigitsOnly);
    edit->installEventFilter(this);
    upDown = new UpDownButton(panel);
    upDown->setGeometry(158, top, 17, 21);
    upDown->setRange(minimum, maximum);
    upDown->setBuddy(edit);
    upDown->setPosition(minimum);
    makeLabel(panel, QStringLiteral("(Pixel) "), QRect(180, top, 60, 21));
    return edit;
}

bool TDefineCanvasForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edtWidth || watched == edtHeight) {
        if (event->type() == QEvent::KeyPress)
            return !allAccepted(static_cast<QKeyEvent*>(event)->text());
        if (event->type() == QEvent::InputMethod)
            return !allAccepted(static_cast<QInputMethodEvent*>(event)->commitString());
    }
    return QDialog::eventFilter(watched, event);
}

void TDefineCanvasForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    edtWidth->setFocus();
}

void TDefineCanvasForm::btnOKClick()
{
    const CanvasCheck check =
        checkCanvasSize(canvasValue(edtWidth->text()), canvasValue(edtHeight->text()));
    switch (check) {
    case CanvasCheck::Ok:
        accept();
        return;
    case CanvasCheck::BadWidth:
        showInfo(kCaption, canvasCheckMessage(check));
        edtWidth->setFocus();
        return;
    case CanvasCheck::BadHeight:
        showInfo(kCaption, canvasCheckMessage(check));
        edtHeight->setFocus();
        return;
    }
}

void TDefineCanvasForm::btnCANCELClick()
{
    reject();
}
