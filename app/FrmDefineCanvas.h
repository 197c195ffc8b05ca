#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class UpDownButton;

// The custom photo size dialog: width 200 … 999 and height 200 … 799 pixels.
class TDefineCanvasForm : public QDialog {
    Q_OBJECT
public:
    explicit TDefineCanvasForm(QWidget* parent = nullptr);

    QLineEdit* edtWidth = nullptr;
    QLineEdit* edtHeight = nullptr;
    UpDownButton* UpDownValue1 = nullptr;
    UpDownButton* UpDownValue2 = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCANCEL = nullptr;

    // Closes with OK only for a valid size; otherwise says which value is wrong and
    // puts the focus on its edit.
    void btnOKClick();
    void btnCANCELClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* makeSizeRow(QWidget* panel, int top, const QString& caption, UpDownButton*& upDown,
                           int minimum, int maximum);
};
