#pragma once

#include <QDialog>

class QFrame;
class QPushButton;
class QWebEngineView;

// The order browser: the print service's order page in a sizeable modal window, in the
// browser profile the registration was sent with.
class TNuvBrowserForm : public QDialog {
    Q_OBJECT
public:
    explicit TNuvBrowserForm(QWidget* owner);
    ~TNuvBrowserForm() override;

    QFrame* pnlTopMenu = nullptr;
    QPushButton* btnAddPic = nullptr;
    QWebEngineView* WebBrowser = nullptr;

    void btnAddPicClick();
};
