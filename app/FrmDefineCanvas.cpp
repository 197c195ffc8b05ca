#include "app/FrmDefineCanvas.h"

#include "app/CanvasSize.h"
#include "common/MessageSink.h"
#include "ui/DialogParts.h"
#include "ui/UpDownButton.h"
#include "ui/WindowLook.h"

#include <QFrame>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

bool allAccepted(const QString& text)
{
    for (QChar c : text) {
        if (!canvasKeyAccepted(c))
            return false;
    }
    return true;
}

void makeGreenNote(QWidget* parent, const QString& text, int top)
{
    setTextColour(makeNote(parent, text, QPoint(12, top)), Qt::darkGreen);
}

} // namespace

TDefineCanvasForm::TDefineCanvasForm(QWidget* parent) : QDialog(parent)
{
    setupToolDialog(*this, QSize(314, 174), QStringLiteral("사용자 정의 크기"));

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
    makeGreenNote(panel, QStringLiteral("☞ 100 Pixel -> 1 cm   "), 72);
    makeGreenNote(panel, QStringLiteral("☞ 폭 (200 ~ 999 Pixel),  높이( 200~799 Pixel)   "), 94);

    const OkCancelButtons closing =
        makeOkCancelButtons(this, QPoint(144, 139), QPoint(228, 139), QSize(75, 26),
                            {QStringLiteral("확인"), QStringLiteral("취소"), false});
    btnOK = closing.ok;
    btnOK->setObjectName(QStringLiteral("btnOK"));
    connect(btnOK, &QPushButton::clicked, this, &TDefineCanvasForm::btnOKClick);
    btnCANCEL = closing.cancel;
    btnCANCEL->setObjectName(QStringLiteral("btnCANCEL"));
    // Enter in any control of the dialog means OK.
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
    makeLabel(panel, QStringLiteral("(Pixel) "), QRect(180, top, 60, 21),
              Qt::AlignLeft | Qt::AlignVCenter);
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
        showInfo(programCaption(), canvasCheckMessage(check));
        edtWidth->setFocus();
        return;
    case CanvasCheck::BadHeight:
        showInfo(programCaption(), canvasCheckMessage(check));
        edtHeight->setFocus();
        return;
    }
}

void TDefineCanvasForm::btnCANCELClick()
{
    reject();
}
