#pragma once

#include "overlay/FrmAccessorys.h"
#include "overlay/TextDialogEntry.h"
#include "raster/RasterBitmap.h"
#include "ui/DialogHost.h"
#include "ui/PreviewBox.h"
#include "ui/WindowLook.h"

#include <QComboBox>
#include <QImage>
#include <QPlainTextEdit>

#include <algorithm>
#include <memory>

// Opens the text dialog on a photo and drives it as a user would, without a modal run.
namespace text_dialog_test {

inline const QColor kGround(128, 128, 128);

// A flat photo of the ground colour, so that every other colour is text or shadow.
inline RasterBitmap groundPhoto(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    image.fill(kGround);
    return RasterBitmap(image);
}

// The dialog created through the entry's steps and shown (off screen), so that the memo
// wraps at its real width and the scroll box has its ranges.
struct OpenDialog {
    explicit OpenDialog(RasterBitmap& photo) : dialog(createTextDialog(DialogHost{}, photo))
    {
        installFontSubstitutions();
        if (dialog)
            dialog->show();
    }

    TAccessorysForm& operator*() { return *dialog; }
    TAccessorysForm* operator->() { return dialog.get(); }

    void setText(const QString& text) { dialog->memoText->setPlainText(text); }
    void place(int placement)
    {
        dialog->DestTextComboBox->setCurrentIndex(placement);
        dialog->DestTextComboBoxChange();
    }
    // What the preview shows now, as the screen gets it.
    QImage preview()
    {
        return dialog->AccessorysPaintBox->grab().toImage().convertToFormat(QImage::Format_RGB888);
    }

    std::unique_ptr<TAccessorysForm> dialog;
};

// The smallest rectangle holding every pixel that differs from the ground colour.
inline QRect inkBounds(const QImage& image, const QColor& ground = kGround)
{
    int left = image.width();
    int top = image.height();
    int right = -1;
    int bottom = -1;
    const QRgb groundRgb = ground.rgb();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) == groundRgb)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace text_dialog_test
