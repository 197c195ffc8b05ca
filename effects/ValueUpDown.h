#pragma once

#include <QSpinBox>

class QLineEdit;

// An up-down button with its associated read-only edit, which always shows the position.
// clicked() fires for the user's steps only (arrows, keys, wheel), never for setValue(),
// so an owner can set the position from elsewhere without hearing its own echo.
class ValueUpDown : public QSpinBox {
    Q_OBJECT
public:
    explicit ValueUpDown(QWidget* parent = nullptr);

    QLineEdit* edit() const { return lineEdit(); }
    void stepBy(int steps) override;

signals:
    void clicked();
};
