#include "ImageCompare.h"
#include "TestRegistry.h"
#include "TextDialogTestSupport.h"
#include "tests/effects/EffectsTestSupport.h"

#include "effects/EffectEntries.h"
#include "overlay/ColourBox.h"
#include "overlay/TextBlock.h"
#include "overlay/TextRendering.h"
#include "ui/PreviewBox.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

using namespace text_dialog_test;
using effects_test::loadPortrait;
using effects_test::makePicture;

namespace {

const QString kTwoLines = QStringLiteral("누브 소르벨\nNUV Sorvel");

void sendMouse(QWidget* widget, QEvent::Type type, QPoint at)
{
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, QPointF(at), widget->mapToGlobal(QPointF(at)), Qt::LeftButton, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &event);
}

// True when every pixel is the photo's own or one of the two given colours.
bool onlyPhotoAnd(const QImage& rendered, const QImage& photo, QRgb first, QRgb second)
{
    for (int y = 0; y < rendered.height(); ++y) {
        for (int x = 0; x < rendered.width(); ++x) {
            const QRgb pixel = rendered.pixel(x, y);
            if (pixel != photo.pixel(x, y) && pixel != first && pixel != second)
                return false;
        }
    }
    return true;
}

// Pixels of over that differ from the ground colour, painted onto under.
QImage overlaid(QImage under, const QImage& over)
{
    for (int y = 0; y < over.height(); ++y) {
        for (int x = 0; x < over.width(); ++x) {
            if (over.pixel(x, y) != kGround.rgb())
                under.setPixel(x, y, over.pixel(x, y));
        }
    }
    return under;
}

} // namespace

class TextDialogTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void opensWithDefaults();
    void previewCentresSmallPhotos_data();
    void previewCentresSmallPhotos();
    void placement_data();
    void placement();
    void blockWiderThanPhotoIsClippedBothSides();
    void placementScrollsToBlock();
    void linesAreSpacedByStyledHeight_data();
    void linesAreSpacedByStyledHeight();
    void wrappedLinesCountAsLines();
    void shadowFallsRightAndDownUnderText_data();
    void shadowFallsRightAndDownUnderText();
    void dragFollowsMouseAndJumps();
    void okWritesThePreview_data();
    void okWritesThePreview();
    void cancelKeepsPhoto_data();
    void cancelKeepsPhoto();
    void emptyMemoDrawsNothing();
    void extremesStayUsable_data();
    void extremesStayUsable();
    void entryRunsDialog_data();
    void entryRunsDialog();
};

void TextDialogTest::opensWithDefaults()
{
    RasterBitmap photo = groundPhoto(200, 150);
    OpenDialog dialog(photo);
    QVERIFY(dialog.dialog);

    QCOMPARE(dialog->windowTitle(), QStringLiteral("텍스트 입력"));
    QCOMPARE(dialog->size(), QSize(690, 663));
    QCOMPARE(dialog->memoText->toPlainText(), QStringLiteral("누브 소르벨"));
    QCOMPARE(dialog->cbFont->currentText(), QStringLiteral("Comic Sans MS"));
    QCOMPARE(dialog->cbSize->currentText(), QStringLiteral("15"));
    QCOMPARE(dialog->edtFontColor->colour(), QColor(Qt::white));
    QCOMPARE(dialog->edtFontBColor->colour(), QColor(Qt::black));
    QCOMPARE(dialog->cbStyle->currentText(), QStringLiteral("보통"));
    QVERIFY(dialog->chkAlasing->isChecked());
    QVERIFY(dialog->chkFontShadow->isChecked());
    QCOMPARE(dialog->cbxShadowDepth->currentText(), QStringLiteral("1"));
    QCOMPARE(dialog->DestTextComboBox->currentText(), QStringLiteral("상단 왼쪽"));
    QCOMPARE(dialog->DestTextComboBox->count(), 9);
    QCOMPARE(QPoint(dialog->TextX, dialog->TextY), QPoint(0, 0));
    QCOMPARE(QSize(dialog->TextBlockWidth, dialog->TextBlockHeight), QSize(0, 0));
    QVERIFY(dialog->Timer->isActive());
    QCOMPARE(dialog->Timer->interval(), 100);
    // The default face is the substitute of the classic one, 20 pixels high.
    const QFont font =
        textFont(dialog->PreviewFontName, dialog->PreviewFontSize, TextStyle::Regular, true);
    QCOMPARE(QFontInfo(font).family(), QStringLiteral("Comic Neue"));
    QCOMPARE(font.pixelSize(), 20);
}

void TextDialogTest::previewCentresSmallPhotos_data()
{
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<QPoint>("boxAt");
    QTest::addColumn<bool>("scrolls");

    QTest::newRow("ID photo") << QSize(250, 300) << QPoint(125, 79) << false;
    QTest::newRow("odd margins truncate") << QSize(201, 151) << QPoint(149, 153) << false;
    QTest::newRow("largest custom size") << QSize(999, 799) << QPoint(0, 0) << true;
    QTest::newRow("wide, low") << QSize(700, 100) << QPoint(0, 179) << true;
}

void TextDialogTest::previewCentresSmallPhotos()
{
    QFETCH(QSize, photo);
    QFETCH(QPoint, boxAt);
    QFETCH(bool, scrolls);

    RasterBitmap bitmap = groundPhoto(photo.width(), photo.height());
    OpenDialog dialog(bitmap);
    QCOMPARE(dialog->AccessorysPaintBox->geometry(), QRect(boxAt, photo));
    QCOMPARE(dialog->AccessorysScrollBox->horizontalScrollBar()->maximum() > 0, scrolls);
}

void TextDialogTest::placement_data()
{
    QTest::addColumn<int>("item");
    QTest::addColumn<int>("column"); // 0 left, 1 middle, 2 right
    QTest::addColumn<int>("row");    // 0 top, 1 middle, 2 bottom

    const char* names[] = {"top left",    "top middle",    "top right",
                           "centre left", "centre middle", "centre right",
                           "bottom left", "bottom middle", "bottom right"};
    for (int item = 0; item < 9; ++item)
        QTest::newRow(names[item]) << item << item % 3 << item / 3;
}

void TextDialogTest::placement()
{
    QFETCH(int, item);
    QFETCH(int, column);
    QFETCH(int, row);

    RasterBitmap photo = groundPhoto(301, 201);
    OpenDialog dialog(photo);
    dialog.setText(QStringLiteral("누브 NUV\nAB"));
    dialog->chkFontShadow->setChecked(false);
    dialog.place(item);

    const int w = dialog->TextBlockWidth;
    const int h = dialog->TextBlockHeight;
    QVERIFY(w > 40 && h > 30);
    const int xs[] = {0, (301 - w) / 2, 301 - w};
    const int ys[] = {0, (201 - h) / 2, 201 - h};
    QCOMPARE(QPoint(dialog->TextX, dialog->TextY), QPoint(xs[column], ys[row]));

    // The text is drawn in the block, which touches the photo's edges.
    const QRect ink = inkBounds(dialog.preview());
    const QRect block(dialog->TextX, dialog->TextY, w, h);
    QVERIFY2(block.adjusted(-1, -1, 1, 1).contains(ink),
             qPrintable(QStringLiteral("ink %1,%2 %3x%4")
                            .arg(ink.x())
                            .arg(ink.y())
                            .arg(ink.width())
                            .arg(ink.height())));
    QVERIFY(ink.width() > w * 3 / 4);
}

void TextDialogTest::blockWiderThanPhotoIsClippedBothSides()
{
    const QString text = QStringLiteral("누브 소르벨 NUV SORVEL");
    const int width = measureTextBlock({text}, QStringLiteral("Comic Sans MS"), 24).width();
    // An odd overhang, so that halving toward zero and rounding down would differ.
    const int photoWidth = (width - 81) % 2 ? 81 : 82;
    RasterBitmap photo = groundPhoto(photoWidth, 60);
    OpenDialog dialog(photo);
    dialog.setText(text);
    dialog->cbSize->setEditText(QStringLiteral("24"));
    dialog.place(4);

    QCOMPARE(dialog->TextBlockWidth, width);
    QVERIFY(width > 200);
    QCOMPARE(dialog->TextX, -((width - photoWidth) / 2));
    QCOMPARE(dialog->TextY, (60 - dialog->TextBlockHeight) / 2);
    const QRect ink = inkBounds(dialog.preview());
    QCOMPARE(ink.left(), 0);
    QCOMPARE(ink.right(), photoWidth - 1);
}

void TextDialogTest::placementScrollsToBlock()
{
    RasterBitmap photo = groundPhoto(999, 799);
    OpenDialog dialog(photo);
    QScrollBar* across = dialog->AccessorysScrollBox->horizontalScrollBar();
    QScrollBar* down = dialog->AccessorysScrollBox->verticalScrollBar();

    dialog.place(8);
    QVERIFY(dialog->TextX > across->maximum());
    QCOMPARE(across->value(), across->maximum());
    QCOMPARE(down->value(), down->maximum());

    dialog.place(4);
    QCOMPARE(across->value(), std::min(dialog->TextX, across->maximum()));
    QCOMPARE(down->value(), std::min(dialog->TextY, down->maximum()));

    dialog.place(0);
    QCOMPARE(across->value(), 0);
    QCOMPARE(down->value(), 0);
}

void TextDialogTest::linesAreSpacedByStyledHeight_data()
{
    QTest::addColumn<int>("style");
    QTest::newRow("regular") << 0;
    QTest::newRow("bold italic") << 3;
}

void TextDialogTest::linesAreSpacedByStyledHeight()
{
    QFETCH(int, style);

    RasterBitmap photo = groundPhoto(200, 120);
    OpenDialog dialog(photo);
    dialog->cbStyle->setCurrentIndex(style);
    dialog->chkFontShadow->setChecked(false);
    dialog->TextX = 10;
    dialog->TextY = 5;
    const int lineHeight =
        QFontMetrics(textFont(dialog->PreviewFontName, 15, TextStyle(style), true)).height();
    QVERIFY(lineHeight >= 20 && lineHeight <= 32);

    dialog.setText(QStringLiteral("AB"));
    const QImage first = dialog.preview();
    dialog->TextY = 5 + lineHeight;
    const QImage second = dialog.preview();
    dialog->TextY = 5;
    dialog.setText(QStringLiteral("AB\nAB"));
    QCOMPARE(dialog.preview(), overlaid(first, second));
    // The block the mouse and the placement use counts the lines at the regular height.
    dialog->MeasureTextBlock();
    QCOMPARE(
        dialog->TextBlockHeight,
        2 * QFontMetrics(textFont(dialog->PreviewFontName, 15, TextStyle::Regular, true)).height());
}

void TextDialogTest::wrappedLinesCountAsLines()
{
    RasterBitmap photo = groundPhoto(200, 120);
    OpenDialog dialog(photo);
    const QString paragraph = QStringLiteral("가나다라 마바사 NUV ").repeated(30);
    dialog.setText(paragraph + QStringLiteral("\n끝"));

    const QStringList lines = dialog->memoLines();
    QVERIFY(lines.size() > 3);
    QCOMPARE(lines.last(), QStringLiteral("끝"));
    QCOMPARE(lines.mid(0, lines.size() - 1).join(QString()), paragraph);
    const int height = dialog->TextBlockHeight;
    dialog->MeasureTextBlock();
    QVERIFY(dialog->TextBlockHeight > height);
    QCOMPARE(dialog->TextBlockHeight % lines.size(), 0);

    // A line break at the end adds no line.
    dialog.setText(QStringLiteral("끝\n"));
    QCOMPARE(dialog->memoLines(), QStringList{QStringLiteral("끝")});
}

void TextDialogTest::shadowFallsRightAndDownUnderText_data()
{
    QTest::addColumn<int>("depth");
    QTest::newRow("1") << 1;
    QTest::newRow("3") << 3;
    QTest::newRow("5") << 5;
}

void TextDialogTest::shadowFallsRightAndDownUnderText()
{
    QFETCH(int, depth);

    RasterBitmap photo = groundPhoto(220, 90);
    OpenDialog dialog(photo);
    dialog.setText(kTwoLines);
    dialog->chkAlasing->setChecked(false);
    dialog->cbxShadowDepth->setCurrentIndex(depth - 1);
    dialog->TextX = 12;
    dialog->TextY = 7;
    const QImage both = dialog.preview();

    dialog->chkFontShadow->setChecked(false);
    const QImage text = dialog.preview();
    dialog->edtFontColor->setColour(Qt::black);
    dialog->TextX += depth;
    dialog->TextY += depth;
    const QImage shadow = dialog.preview();
    QVERIFY(inkBounds(shadow).isValid());
    QCOMPARE(both, overlaid(shadow, text));
}

void TextDialogTest::dragFollowsMouseAndJumps()
{
    RasterBitmap photo = groundPhoto(300, 200);
    OpenDialog dialog(photo);
    PreviewBox* box = dialog->AccessorysPaintBox;
    dialog->TimerTimer();
    QVERIFY(dialog->TextBlockWidth > 20);

    // A press outside the block picks nothing up.
    sendMouse(box, QEvent::MouseButtonPress, QPoint(dialog->TextBlockWidth + 5, 5));
    QVERIFY(!dialog->DraggingText());
    sendMouse(box, QEvent::MouseMove, QPoint(50, 50));
    QCOMPARE(QPoint(dialog->TextX, dialog->TextY), QPoint(0, 0));
    QCOMPARE(box->cursor().shape(), Qt::ArrowCursor);
    sendMouse(box, QEvent::MouseButtonRelease, QPoint(50, 50));

    sendMouse(box, QEvent::MouseButtonPress, QPoint(5, 5));
    QVERIFY(dialog->DraggingText());
    QCOMPARE(box->cursor().shape(), Qt::PointingHandCursor);
    sendMouse(box, QEvent::MouseMove, QPoint(15, 12));
    QCOMPARE(QPoint(dialog->TextX, dialog->TextY), QPoint(10, 7));

    // Outside the preview nothing moves, not even the last point...
    sendMouse(box, QEvent::MouseMove, QPoint(-40, 60));
    sendMouse(box, QEvent::MouseMove, QPoint(310, 250));
    QCOMPARE(QPoint(dialog->TextX, dialog->TextY), QPoint(10, 7));
    QCOMPARE(dialog->LastMousePoint(), QPoint(15, 12));
    // ...so coming back in elsewhere jumps by the whole way.
    sendMouse(box, QEvent::MouseMove, QPoint(200, 150));
    QCOMPARE(QPoint(dialog->TextX, dialog->TextY), QPoint(195, 145));
    QCOMPARE(box->cursor().shape(), Qt::ArrowCursor); // the block is no longer under it

    // Nothing keeps the block on the photo.
    sendMouse(box, QEvent::MouseMove, QPoint(295, 195));
    QCOMPARE(QPoint(dialog->TextX, dialog->TextY), QPoint(290, 190));
    const QRect ink = inkBounds(dialog.preview());
    QVERIFY(ink.isValid() && ink.left() >= 289 && ink.top() >= 189);

    sendMouse(box, QEvent::MouseButtonRelease, QPoint(295, 195));
    QVERIFY(!dialog->DraggingText());
    QCOMPARE(box->cursor().shape(), Qt::ArrowCursor);
    sendMouse(box, QEvent::MouseMove, QPoint(10, 10));
    QCOMPARE(QPoint(dialog->TextX, dialog->TextY), QPoint(290, 190));
}

void TextDialogTest::okWritesThePreview_data()
{
    QTest::addColumn<bool>("antialiased");
    QTest::newRow("anti-aliased: smoothed edges") << true;
    QTest::newRow("hard edges: only the two colours") << false;
}

void TextDialogTest::okWritesThePreview()
{
    QFETCH(bool, antialiased);

    RasterBitmap photo = loadPortrait();
    QVERIFY(photo.isAllocated());
    const QImage original = photo.image().convertToFormat(QImage::Format_RGB888);
    OpenDialog dialog(photo);
    dialog.setText(kTwoLines);
    dialog->cbStyle->setCurrentIndex(3);
    dialog->cbxShadowDepth->setCurrentIndex(4);
    dialog->chkAlasing->setChecked(antialiased);
    dialog.place(4);
    dialog->TimerTimer();
    const QImage preview = dialog.preview();
    QVERIFY(preview != original);
    // Without smoothing the glyph edges hold nothing but text, shadow and photo pixels.
    QCOMPARE(onlyPhotoAnd(preview, original, qRgb(255, 255, 255), qRgb(0, 0, 0)), !antialiased);

    dialog->btnOK->click();
    QCOMPARE(dialog->result(), int(QDialog::Accepted));
    QVERIFY(!dialog->Timer->isActive());
    QCOMPARE(photo.bitsPerPixel(), 24);
    // Pixel for pixel (the screen's copy carries no colour profile, the photo keeps its own).
    QCOMPARE(image_compare::maxChannelDifference(photo.image(), preview), 0);
}

void TextDialogTest::cancelKeepsPhoto_data()
{
    QTest::addColumn<int>("bitsPerPixel");
    QTest::addColumn<int>("bitsAfter");
    QTest::newRow("256 colours are converted at opening") << 8 << 24;
    QTest::newRow("24 bits") << 24 << 24;
    QTest::newRow("32 bits stay") << 32 << 32;
}

void TextDialogTest::cancelKeepsPhoto()
{
    QFETCH(int, bitsPerPixel);
    QFETCH(int, bitsAfter);

    RasterBitmap photo = makePicture(160, 120, bitsPerPixel);
    QCOMPARE(photo.bitsPerPixel(), bitsPerPixel);
    RasterBitmap expected = photo;
    QVERIFY(convertForEditing(expected));

    OpenDialog dialog(photo);
    dialog.setText(kTwoLines);
    dialog.place(4);
    dialog->TimerTimer();
    QVERIFY(dialog.preview() != expected.image().convertToFormat(QImage::Format_RGB888));
    dialog->btnCANCEL->click();

    QCOMPARE(dialog->result(), int(QDialog::Rejected));
    QCOMPARE(photo.bitsPerPixel(), bitsAfter);
    QCOMPARE(photo.image(), expected.image());
}

void TextDialogTest::emptyMemoDrawsNothing()
{
    RasterBitmap photo(groundPhoto(150, 100).image().convertToFormat(QImage::Format_RGB32));
    const QImage original = photo.image().convertToFormat(QImage::Format_RGB888);
    OpenDialog dialog(photo);
    dialog.setText(QString());
    QVERIFY(dialog->memoLines().isEmpty());

    const Rect block = dialog->MeasureTextBlock();
    QCOMPARE(RectWidth(block), 0);
    QCOMPARE(RectHeight(block), 0);
    sendMouse(dialog->AccessorysPaintBox, QEvent::MouseButtonPress, QPoint(0, 0));
    QVERIFY(!dialog->DraggingText());
    dialog.place(8);
    QCOMPARE(dialog.preview(), original);

    dialog->btnOKClick();
    QCOMPARE(photo.bitsPerPixel(), 24);
    QCOMPARE(photo.image(), original);
}

void TextDialogTest::extremesStayUsable_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("font");

    QStringList lines;
    for (int i = 0; i < 500; ++i)
        lines.append(QStringLiteral("%1 누브 소르벨 NUV SORVEL").arg(i, 3));
    const QString huge = lines.join(u'\n'); // about 12,500 characters
    QTest::newRow("10000+ characters in 500 lines") << huge << "15"
                                                    << "Comic Sans MS";
    QTest::newRow("size 1") << kTwoLines << "1"
                            << "Comic Sans MS";
    QTest::newRow("size 400") << kTwoLines << "400"
                              << "Comic Sans MS";
    QTest::newRow("size 400, long text") << huge << "400"
                                         << "NanumGothic";
    QTest::newRow("unknown font typed") << kTwoLines << "15"
                                        << "No Such Face 12";
}

void TextDialogTest::extremesStayUsable()
{
    QFETCH(QString, text);
    QFETCH(QString, size);
    QFETCH(QString, font);

    RasterBitmap photo = groundPhoto(999, 799);
    OpenDialog dialog(photo);
    dialog.setText(text);
    dialog->cbSize->setEditText(size);
    dialog->cbFont->setEditText(font);
    QCOMPARE(dialog->PreviewFontName, font);
    QCOMPARE(dialog->PreviewFontSize, size.toInt());
    dialog->TimerTimer();
    dialog.place(4);
    QVERIFY(!dialog.preview().isNull());

    // Still answers: short text goes where it is put.
    dialog.setText(QStringLiteral("AB"));
    dialog->cbSize->setEditText(QStringLiteral("15"));
    dialog.place(8);
    QVERIFY(inkBounds(dialog.preview()).isValid());
    dialog->btnOKClick();
    QCOMPARE(photo.bitsPerPixel(), 24);
    QCOMPARE(photo.width(), 999);
}

void TextDialogTest::entryRunsDialog_data()
{
    QTest::addColumn<bool>("allocated");
    QTest::addColumn<bool>("confirm");
    QTest::newRow("OK") << true << true;
    QTest::newRow("cancel") << true << false;
    QTest::newRow("no photo") << false << true;
}

void TextDialogTest::entryRunsDialog()
{
    QFETCH(bool, allocated);
    QFETCH(bool, confirm);

    QWidget mainWindow;
    mainWindow.setGeometry(100, 80, 900, 700);
    RasterBitmap photo = allocated ? groundPhoto(250, 300) : RasterBitmap();
    int runs = 0;
    int repaints = 0;
    QPoint dialogAt;
    const DialogHost host{&mainWindow,
                          [&](QDialog& modal) {
                              ++runs;
                              dialogAt = modal.pos();
                              auto& text = static_cast<TAccessorysForm&>(modal);
                              text.memoText->setPlainText(QStringLiteral("한글"));
                              (confirm ? text.btnOK : text.btnCANCEL)->click();
                              return modal.result();
                          },
                          [&] { ++repaints; }};

    QCOMPARE(OpenTextDialog(host, photo), allocated && confirm);
    QCOMPARE(runs, allocated ? 1 : 0);
    QCOMPARE(repaints, allocated ? 1 : 0);
    QCOMPARE(inkBounds(photo.image()).isValid(), allocated && confirm);
    if (allocated) {
        QCOMPARE(dialogAt,
                 mainWindow.mapToGlobal(centredDialogOffset(mainWindow.size(), QSize(690, 663))));
    }
    QVERIFY(mainWindow.findChildren<QDialog*>().isEmpty());
}

REGISTER_TEST(TextDialogTest);
#include "tst_TextDialog.moc"
