#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// A pair of small arrow buttons that step a position within a range and write it into
// an associated edit, which so always shows the position; a click starts from the number
// in the edit, if there is one. The arrow keys in the edit and the wheel step it too.
// clicked() fires for the user's steps only, never for setPosition(), so an owner can set
// the position from elsewhere without hearing its own echo.
class UpDownButton : public QWidget {
    Q_OBJECT
public:
    explicit UpDownButton(QWidget* parent = nullptr);

    void setRange(int minimum, int maximum);
    int minimum() const { return m_minimum; }
    int maximum() const { return m_maximum; }
    int position() const { return m_position; }
    // Clamps into the range and writes the edit.
    void setPosition(int position);
    void setBuddy(QLineEdit* edit);
    QLineEdit* buddy() const { return m_buddy; }

    // One step as the arrows do it (+1 up, -1 down), then clicked().
    void step(int direction);

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QToolButton* makeArrow(Qt::ArrowType arrow, int direction);
    void layoutArrows();
    void resizeEvent(QResizeEvent* event) override;

    QToolButton* m_up = nullptr;
    QToolButton* m_down = nullptr;
    QLineEdit* m_buddy = nullptr;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_position = 0;
};
