#include "BenchInputs.h"
#include "BenchRegistry.h"

#include "overlay/FrmAccessorys.h"
#include "overlay/TextDialogEntry.h"
#include "ui/DialogHost.h"
#include "ui/PreviewBox.h"
#include "ui/WindowLook.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QPlainTextEdit>

#include <memory>

// The text dialog repaints its preview ten times a second, and renders it again whenever
// the text, its look or its place changed, so one render of the largest photo, composed and
// painted on the screen, must stay a small part of the timer's period.
namespace {

using namespace bench;

constexpr int kWidth = 999;
constexpr int kHeight = 799;
constexpr double kTimerPeriodMs = 100;

RasterBitmap work;
std::unique_ptr<TAccessorysForm> dialog;

// The dialog open on the photo with three lines in bold with a shadow, in the middle; made
// on first use and destroyed with the application.
TAccessorysForm& textDialog()
{
    if (dialog)
        return *dialog;
    installFontSubstitutions();
    work = freshCopy(photo(kWidth, kHeight));
    dialog = createTextDialog(DialogHost{}, work);
    qAddPostRoutine([] { dialog.reset(); });
    dialog->memoText->setPlainText(QStringLiteral("누브 소르벨\nNUV SORVEL 2026\n증명사진 만들기"));
    dialog->cbStyle->setCurrentIndex(1);
    dialog->cbxShadowDepth->setCurrentIndex(2);
    dialog->DestTextComboBox->setCurrentIndex(4);
    dialog->DestTextComboBoxChange();
    dialog->show();
    // The window is painted only once the platform has shown it.
    QCoreApplication::processEvents();
    return *dialog;
}

const bool registered = [] {
    registerBench(
        "text", "text preview render 999x799, three lines", [] { textDialog(); },
        [] {
            TAccessorysForm& shown = textDialog();
            // Moved by a pixel each time, so that every repaint renders anew.
            shown.TextX ^= 1;
            shown.AccessorysPaintBox->repaint();
            check(!shown.RenderBuffer.isNull(), "render text");
        });
    registerFixedRatio("text preview render 999x799 / its 100 ms timer",
                       "text preview render 999x799, three lines", kTimerPeriodMs, 0.2);
    return true;
}();

} // namespace
