#pragma once

#include "common/Rect.h"
#include "overlay/TextDrag.h"
#include "overlay/TextRendering.h"
#include "raster/RasterBitmap.h"

#include <QDialog>
#include <QImage>

class QCheckBox;
class QComboBox;
class QLabel;
class QPainter;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QTimer;
class ColourBox;
class PreviewBox;

// The text dialog: the user types lines into the memo, picks their look and places them on
// the photo, which the preview shows at one screen pixel per photo pixel. OK burns exactly
// the previewed text into the work bitmap.
class TAccessorysForm : public QDialog {
    Q_OBJECT
public:
    explicit TAccessorysForm(QWidget* parent = nullptr);

    // Copies the photo for the preview, sizes the paint box to it (centred in the scroll
    // box when smaller) and starts the preview timer. workBitmap receives the result on
    // OK and must outlive the dialog.
    void prepare(RasterBitmap& workBitmap);

    void cbFontChange();
    void cbSizeChange();
    void edtFontColorChange() { requestRender(); }
    void cbStyleChange();
    void memoTextChange() { requestRender(); }
    void DestTextComboBoxChange();
    void AccessorysPaintBoxPaint(QPainter& painter);
    void AccessorysPaintBoxMouseDown(QPoint point);
    void AccessorysPaintBoxMouseMove(QPoint point);
    void AccessorysPaintBoxMouseUp();
    void TimerTimer();
    void btnOKClick();
    void btnCANCELClick() { reject(); }

    // The block's rectangle at (TextX, TextY); also updates TextBlockWidth and
    // TextBlockHeight.
    Rect MeasureTextBlock();
    // Composes photo, shadow and text into RenderBuffer.
    void Render();

    // The memo's lines as it shows them: a wrapped line counts as a line of its own, and
    // an empty last line does not count.
    QStringList memoLines() const;
    // The look the settings controls hold now.
    TextAppearance appearance() const;
    bool DraggingText() const { return m_drag.dragging(); }
    QPoint LastMousePoint() const { return m_drag.lastPoint(); }

    RasterBitmap PreviewBitmap;
    QImage RenderBuffer;
    int TextX = 0;
    int TextY = 0;
    int TextBlockWidth = 0;
    int TextBlockHeight = 0;
    // The preview control's font, which the font and size boxes set.
    QString PreviewFontName = QStringLiteral("Comic Sans MS");
    int PreviewFontSize = 15;

    QScrollArea* AccessorysScrollBox = nullptr;
    PreviewBox* AccessorysPaintBox = nullptr;
    QComboBox* cbFont = nullptr;
    QComboBox* cbSize = nullptr;
    ColourBox* edtFontColor = nullptr;
    ColourBox* edtFontBColor = nullptr;
    QComboBox* cbStyle = nullptr;
    QCheckBox* chkAlasing = nullptr;
    QCheckBox* chkFontShadow = nullptr;
    QComboBox* cbxShadowDepth = nullptr;
    QComboBox* DestTextComboBox = nullptr;
    QLabel* lblApplyInfo = nullptr;
    QLabel* lblInfoText = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCANCEL = nullptr;
    QPlainTextEdit* memoText = nullptr;
    QTimer* Timer = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    void buildPreview();
    void buildSettingsPanel();
    void buildFontRows(QWidget* panel);
    void buildShadowRows(QWidget* panel);
    void buildPlacementGroup(QWidget* panel);
    void buildMemo();
    void requestRender();

    QWidget* m_scrolled = nullptr; // the scroll box's content, holding the paint box
    RasterBitmap* m_workBitmap = nullptr;
    TextDrag m_drag;
    TextStyle m_style = TextStyle::Regular;
    // What RenderBuffer was last composed from: the timer asks for a render ten times a
    // second, and a large photo takes longer than that to compose again unchanged.
    struct RenderInputs {
        QStringList lines;
        QPoint at;
        TextAppearance look;
        qint64 photoKey = 0;
        bool operator==(const RenderInputs&) const = default;
    };
    RenderInputs m_rendered;
};
