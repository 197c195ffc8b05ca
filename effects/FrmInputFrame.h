#pragma once

#include "effects/FrameCatalog.h"
#include "effects/_NuvFrame.h"
#include "raster/RasterBitmap.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QString>

#include <map>
#include <memory>
#include <vector>

class QLabel;
class QPainter;
class QPushButton;
class QScrollArea;
class PreviewBox;
class FrameThumbnail;

// The frame picker: thumbnails of the frame files in FrameDir, a preview of the photo in the
// clicked frame, and OK, which frames the work bitmap at full size. The list is built when
// the dialog first shows.
class TInputFrameForm : public QDialog {
    Q_OBJECT
public:
    // workBitmap (24 bits) must outlive the dialog.
    TInputFrameForm(QWidget* parent, RasterBitmap& workBitmap);

    // The preview from the work bitmap, fitted to the preview box, and where the frames are.
    void prepare(const QString& frameDirectory);

    // The first call lists the frames and adds their thumbnails; later calls do nothing.
    void FormActivate();
    void ThumbnailClick(int tag);
    // Shows PreviewBase in the frame file at framePath; a file that is gone changes nothing.
    void ShowPreview(const QString& framePath);
    void btnOKClick();
    void PaintBoxPaint(QPainter& painter);

    QString FrameDir;
    QList<FrameEntry> FrameList;
    bool ListLoaded = false;
    RasterBitmap PreviewBase;
    RasterBitmap PreviewBitmap;
    QString SelectedFrame;
    std::vector<FrameThumbnail*> Thumbnails;
    QPoint NextThumbPlace = kFirstThumbnailPlace;

    PreviewBox* PaintBox = nullptr;
    QLabel* lblFrameLoading = nullptr;
    QScrollArea* scbFrameView = nullptr;
    QLabel* lblGoAlbum = nullptr;
    QLabel* lblApply = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCANCEL = nullptr;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void LoadThumbnails();
    void AddThumbnail(const QString& thumbnailFile, const QString& title, int index);
    void letEventsThrough();
    // Scales PreviewBitmap to where it shows in the box, once per change, so a repaint copies.
    void updateShownPreview();
    // The frame file as read in this opening (read on first use); null when it cannot be.
    const TNuvFrame* readFrame(const QString& framePath);

    RasterBitmap& m_workBitmap;
    // PreviewBitmap as the box shows it, in device pixels, and where.
    QImage m_shownPreview;
    QRect m_shownPlace;
    QWidget* m_thumbnailArea = nullptr;
    QElapsedTimer m_sinceEvents;
    // Every frame read while the dialog is open, so that looking at one again, and OK, cost
    // no second decoding of its picture.
    std::map<QString, std::unique_ptr<TNuvFrame>> m_readFrames;
    // Set when the dialog is closing, so that a list still filling stops.
    bool m_closing = false;
};
