#include "ordering/FrmNuvBrowser.h"

#include "ordering/OrderEntries.h"

#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>

TNuvBrowserForm::TNuvBrowserForm(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("TNuvBrowserForm"));
    setWindowTitle(QStringLiteral("사진 주문 페이지"));
    setSizeGripEnabled(true);
    resize(800, 600);

    pnlTopMenu = new QFrame(this);
    pnlTopMenu->setObjectName(QStringLiteral("pnlTopMenu"));
    pnlTopMenu->setFixedHeight(43);
    pnlTopMenu->setStyleSheet(
        QStringLiteral("#pnlTopMenu { background: #f2f6f9; border-bottom: 1px solid #d2dae3; }"));
    btnAddPic = new QPushButton(QStringLiteral("사진추가"), pnlTopMenu);
    btnAddPic->setObjectName(QStringLiteral("btnAddPic"));
    btnAddPic->setGeometry(6, 5, 106, 32);
    btnAddPic->setStyleSheet(QStringLiteral("color: #1d4fd8; font-weight: bold;"));
    connect(btnAddPic, &QPushButton::clicked, this, &TNuvBrowserForm::btnAddPicClick);

    WebBrowser = new QWebEngineView(this);
    WebBrowser->setObjectName(QStringLiteral("WebBrowser"));
    WebBrowser->setPage(new QWebEnginePage(orderWebProfile(), WebBrowser));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pnlTopMenu);
    layout->addWidget(WebBrowser, 1);
}

// The browser goes first, while the window it draws into still exists.
TNuvBrowserForm::~TNuvBrowserForm()
{
    delete WebBrowser;
}

void TNuvBrowserForm::btnAddPicClick()
{
    done(1);
}
