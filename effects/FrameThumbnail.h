#pragma once

#include <QAbstractButton>
#include <QPixmap>
#include <QString>

// One thumbnail of the frame picker: a picture button, its picture centred in its place,
// that carries the frame's index as Tag and reads its cached picture file when it is first
// drawn. Opening a long list then costs little more than reading the titles; thumbnails
// scrolled out of sight are read when they come into view.
class FrameThumbnail : public QAbstractButton {
public:
    FrameThumbnail(QWidget* parent, const QString& pictureFile, int tag, const QRect& geometry);

    int tag() const { return m_tag; }
    // The picture, read on the first call; null when the file cannot be read or decoded.
    const QPixmap& picture();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_pictureFile;
    int m_tag;
    QPixmap m_picture;
    bool m_read = false;
};
