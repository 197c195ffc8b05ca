#pragma once

#include <QWidget>

#include <functional>

class QPainter;

// A paint box: its owner draws it through a paint handler.
class PreviewBox : public QWidget {
public:
    using PaintHandler = std::function<void(QPainter&)>;

    explicit PreviewBox(QWidget* parent = nullptr);
    void setPaintHandler(PaintHandler handler) { m_handler = std::move(handler); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PaintHandler m_handler;
};
