#include "app/FrmAbout.h"

#include "ui/WindowLook.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(programCaption() + QStringLiteral(" 정보"));
    setFont(windowFont());

    auto* title = new QLabel(programCaption() + QStringLiteral(" - 증명사진 만들기"), this);
    title->setObjectName(QStringLiteral("lblProductName"));
    QFont titleFont = title->font();
    titleFont.setPointSize(14);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setStyleSheet(QStringLiteral("color: #1f3a5f;"));

    auto* description = new QLabel(
        QStringLiteral("사진 한 장으로 증명사진, 반명함 사진, 여권사진, 명함판 사진을 만듭니다.\n"
                       "사진을 열고 종류를 고른 뒤 얼굴에 맞춰 자르고, 보정한 다음\n"
                       "인화용 한 장(15.2 × 10.2 cm)으로 만들어 인쇄하거나 저장합니다."),
        this);
    description->setObjectName(QStringLiteral("lblDescription"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("확인"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(12);
    layout->addWidget(title);
    layout->addWidget(description);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
