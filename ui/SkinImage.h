#pragma once

#include <QLabel>

// A picture control of the skinned window: shows one artwork picture (or nothing, so
// the background shows through), carries its number as Tag, and reports clicks and
// mouse moves.
class SkinImage : public QLabel {
    Q_OBJECT
    Q_PROPERTY(int Tag READ tag WRITE setTag)
public:
    SkinImage(QWidget* parent, const QString& name, int tag, const QRect& geometry);

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    // Shows the artwork picture ":/art/<fileName>" (its @2x version on high-density
    // screens); a missing picture leaves the control blank.
    void setPicture(const QString& fileName);

signals:
    void clicked(SkinImage* image);
    void mouseMoved(SkinImage* image);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    int m_tag = 0;
    bool m_pressed = false;
};

// The artwork picture ":/art/<fileName>", preferring its @2x version when the screen
// is dense; null when the picture is missing.
QPixmap artPixmap(const QString& fileName, qreal devicePixelRatio);
