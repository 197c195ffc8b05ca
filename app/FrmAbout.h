#pragma once

#include <QDialog>

// The About box: the product's name, what it does, and OK.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);
};
