#include "EffectsTestSupport.h"

#include "effects/EffectEntries.h"
#include "effects/FrmControlColor.h"
#include "raster/ColorOps.h"
#include "ui/DialogHost.h"
#include "ui/UpDownButton.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include "TestRegistry.h"

using effects_test::makePicture;

namespace {

// The library calls the dialog is meant to make, spelled out one by one; empty when one
// fails.
RasterBitmap directChain(const RasterBitmap& source, AdjustKind mode, int a, int b, int c)
{
    RasterBitmap result = source;
    const bool done =
        mode == AdjustKind::Tone
            ? changeIntensity(result, a) && changeContrast(result, b) && gammaCorrect(result, c)
            : changeHue(result, a) && changeSaturation(result, b);
    return done ? result : RasterBitmap();
}

QSlider* gauge(TColorCForm& dialog, int row)
{
    return std::array{dialog.GaugeValue1, dialog.GaugeValue2, dialog.GaugeValue3}[row - 1];
}

UpDownButton* upDown(TColorCForm& dialog, int row)
{
    return std::array{dialog.UpDownValue1, dialog.UpDownValue2, dialog.UpDownValue3}[row - 1];
}

QLineEdit* edit(TColorCForm& dialog, int row)
{
    return std::array{dialog.edtValue1, dialog.edtValue2, dialog.edtValue3}[row - 1];
}

int value(const TColorCForm& dialog, int row)
{
    return std::array{dialog.Value1, dialog.Value2, dialog.Value3}[row - 1];
}

// One use of the dialog over a main window, as the opening entries set it up.
struct Session {
    explicit Session(RasterBitmap picture, AdjustKind mode) : work(std::move(picture))
    {
        mainWindow.resize(900, 700);
        dialog = createAdjustDialog(DialogHost{&mainWindow, {}, [this] { ++invalidations; }}, mode,
                                    work);
    }

    QWidget mainWindow;
    RasterBitmap work;
    int invalidations = 0;
    std::unique_ptr<TColorCForm> dialog;
};

} // namespace

Q_DECLARE_METATYPE(AdjustKind)

class ToneAdjustmentTest : public QObject {
    Q_OBJECT
private slots:
    void previewAndOkUseCappedValues_data();
    void previewAndOkUseCappedValues();
    void rowsFollowTheMode_data();
    void rowsFollowTheMode();
    void sliderMovesItsUpDown_data();
    void sliderMovesItsUpDown();
    void upDownClickTakesOverAllRows_data();
    void upDownClickTakesOverAllRows();
    void stepSizes_data();
    void stepSizes();
    void resetRestoresInitialValues_data();
    void resetRestoresInitialValues();
    void previewIsFittedAndCentred_data();
    void previewIsFittedAndCentred();
    void previewMatchesFinalResult_data();
    void previewMatchesFinalResult();
};

void ToneAdjustmentTest::previewAndOkUseCappedValues_data()
{
    QTest::addColumn<AdjustKind>("mode");
    QTest::addColumn<QList<int>>("positions");
    QTest::addColumn<QList<int>>("passed");

    // Colour rows also move the hidden third slider: its value must never reach a call.
    QTest::newRow("brightness at the top")
        << AdjustKind::Tone << QList{1000, 0, 500} << QList{700, 0, 500};
    QTest::newRow("contrast at the top")
        << AdjustKind::Tone << QList{0, 1000, 250} << QList{0, 700, 250};
    QTest::newRow("tone at the bottom")
        << AdjustKind::Tone << QList{-1000, -1000, 1} << QList{-1000, -1000, 1};
    QTest::newRow("colour at the top")
        << AdjustKind::Colour << QList{1000, 1000, 40} << QList{700, 700, 0};
    QTest::newRow("colour at the bottom")
        << AdjustKind::Colour << QList{-1000, -1000, 40} << QList{-1000, -1000, 0};
}

void ToneAdjustmentTest::previewAndOkUseCappedValues()
{
    QFETCH(AdjustKind, mode);
    QFETCH(QList<int>, positions);
    QFETCH(QList<int>, passed);

    const RasterBitmap original = makePicture(240, 160);
    Session session(original, mode);
    TColorCForm& dialog = *session.dialog;
    for (int row = 1; row <= 3; ++row)
        gauge(dialog, row)->setValue(positions[row - 1]);

    const RasterBitmap expectedPreview =
        directChain(dialog.PreviewSource, mode, passed[0], passed[1], passed[2]);
    QCOMPARE(dialog.previewBitmap().image(), expectedPreview.image());
    if (positions[0] != passed[0] || positions[1] != passed[1]) {
        // The cap must make a visible difference, or this row proves nothing.
        const RasterBitmap uncapped =
            directChain(dialog.PreviewSource, mode, positions[0], positions[1], passed[2]);
        QVERIFY(uncapped.image() != expectedPreview.image());
    }

    dialog.btnOKClick();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(session.invalidations, 1);
    QCOMPARE(session.work.image(),
             directChain(original, mode, passed[0], passed[1], passed[2]).image());
}

void ToneAdjustmentTest::rowsFollowTheMode_data()
{
    QTest::addColumn<AdjustKind>("mode");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<bool>("thirdRowShown");

    QTest::newRow("tone") << AdjustKind::Tone << QStringList{"명도", "대조", "감마"} << true;
    QTest::newRow("colour") << AdjustKind::Colour << QStringList{"색조", "채도", ""} << false;
}

void ToneAdjustmentTest::rowsFollowTheMode()
{
    QFETCH(AdjustKind, mode);
    QFETCH(QStringList, captions);
    QFETCH(bool, thirdRowShown);

    Session session(makePicture(50, 40), mode);
    TColorCForm& dialog = *session.dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("조정"));
    QCOMPARE(dialog.size(), QSize(505, 327));
    QCOMPARE(dialog.lblFuncName1->text(), captions[0]);
    QCOMPARE(dialog.lblFuncName2->text(), captions[1]);
    QCOMPARE(dialog.lblFuncName3->text(), captions[2]);
    QCOMPARE(dialog.lblInfo2->isVisibleTo(&dialog), thirdRowShown);
    QCOMPARE(dialog.lblInfo3->isVisibleTo(&dialog), !thirdRowShown);
    for (QWidget* control :
         {static_cast<QWidget*>(dialog.lblFuncName3), static_cast<QWidget*>(dialog.GaugeValue3),
          static_cast<QWidget*>(dialog.edtValue3), static_cast<QWidget*>(dialog.UpDownValue3)})
        QCOMPARE(control->isVisibleTo(&dialog), thirdRowShown);

    const int rows = thirdRowShown ? 3 : 2;
    const QList<QPair<int, int>> ranges{{-1000, 1000}, {-1000, 1000}, {1, 500}};
    const QList<int> initial{0, 0, 100};
    for (int row = 1; row <= rows; ++row) {
        QSlider* slider = gauge(dialog, row);
        QCOMPARE(slider->minimum(), ranges[row - 1].first);
        QCOMPARE(slider->maximum(), ranges[row - 1].second);
        QCOMPARE(upDown(dialog, row)->minimum(), ranges[row - 1].first);
        QCOMPARE(upDown(dialog, row)->maximum(), ranges[row - 1].second);
        QCOMPARE(slider->value(), initial[row - 1]);
        QCOMPARE(value(dialog, row), initial[row - 1]);
        QCOMPARE(edit(dialog, row)->text(), QString::number(initial[row - 1]));
        QVERIFY(edit(dialog, row)->isReadOnly());
    }
}

void ToneAdjustmentTest::sliderMovesItsUpDown_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("position");

    QTest::newRow("brightness up") << 1 << 350;
    QTest::newRow("brightness off the grid") << 1 << -25;
    QTest::newRow("contrast at the bottom") << 2 << -1000;
    QTest::newRow("gamma at the bottom") << 3 << 1;
    QTest::newRow("gamma at the top") << 3 << 500;
}

void ToneAdjustmentTest::sliderMovesItsUpDown()
{
    QFETCH(int, row);
    QFETCH(int, position);

    Session session(makePicture(50, 40), AdjustKind::Tone);
    TColorCForm& dialog = *session.dialog;
    const AdjustValues before = dialog.values();
    gauge(dialog, row)->setValue(position);

    QCOMPARE(value(dialog, row), position);
    QCOMPARE(upDown(dialog, row)->position(), position);
    QCOMPARE(edit(dialog, row)->text(), QString::number(position));
    for (int other = 1; other <= 3; ++other) {
        if (other != row)
            QCOMPARE(value(dialog, other),
                     (std::array{before.value1, before.value2, before.value3}[other - 1]));
    }
}

void ToneAdjustmentTest::upDownClickTakesOverAllRows_data()
{
    QTest::addColumn<int>("clicked");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("strayRow");
    QTest::addColumn<int>("strayPosition");

    QTest::newRow("brightness up, gamma stray") << 1 << 1 << 3 << 123;
    QTest::newRow("contrast down, brightness stray") << 2 << -1 << 1 << 77;
    QTest::newRow("gamma up, contrast stray") << 3 << 1 << 2 << -640;
}

void ToneAdjustmentTest::upDownClickTakesOverAllRows()
{
    QFETCH(int, clicked);
    QFETCH(int, direction);
    QFETCH(int, strayRow);
    QFETCH(int, strayPosition);

    Session session(makePicture(50, 40), AdjustKind::Tone);
    TColorCForm& dialog = *session.dialog;
    const QList<int> start{100, -200, 300};
    for (int row = 1; row <= 3; ++row)
        gauge(dialog, row)->setValue(start[row - 1]);
    // An up-down whose position no handler has seen yet: the click must pick it up too.
    upDown(dialog, strayRow)->setPosition(strayPosition);
    QCOMPARE(value(dialog, strayRow), start[strayRow - 1]);

    upDown(dialog, clicked)->step(direction);

    QList<int> expected = start;
    expected[clicked - 1] += direction;
    expected[strayRow - 1] = strayPosition;
    for (int row = 1; row <= 3; ++row) {
        QCOMPARE(value(dialog, row), expected[row - 1]);
        QCOMPARE(gauge(dialog, row)->value(), expected[row - 1]);
        QCOMPARE(edit(dialog, row)->text(), QString::number(expected[row - 1]));
    }
    QCOMPARE(dialog.previewBitmap().image(), directChain(dialog.PreviewSource, AdjustKind::Tone,
                                                         expected[0], expected[1], expected[2])
                                                 .image());
}

void ToneAdjustmentTest::stepSizes_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("change");

    QTest::newRow("slider small step") << int(QAbstractSlider::SliderSingleStepAdd) << 50;
    QTest::newRow("slider large step") << int(QAbstractSlider::SliderPageStepSub) << -50;
    QTest::newRow("up-down up") << -1 << 1;
    QTest::newRow("up-down down") << -2 << -1;
}

void ToneAdjustmentTest::stepSizes()
{
    QFETCH(int, action);
    QFETCH(int, change);

    Session session(makePicture(50, 40), AdjustKind::Tone);
    TColorCForm& dialog = *session.dialog;
    dialog.GaugeValue2->setValue(200);
    if (action >= 0)
        dialog.GaugeValue2->triggerAction(QAbstractSlider::SliderAction(action));
    else
        dialog.UpDownValue2->step(action == -1 ? 1 : -1);
    QCOMPARE(dialog.Value2, 200 + change);
    QCOMPARE(dialog.GaugeValue2->value(), 200 + change);
    QCOMPARE(dialog.edtValue2->text(), QString::number(200 + change));
}

void ToneAdjustmentTest::resetRestoresInitialValues_data()
{
    QTest::addColumn<AdjustKind>("mode");
    QTest::addColumn<QList<int>>("expected");

    QTest::newRow("tone") << AdjustKind::Tone << QList{0, 0, 100};
    QTest::newRow("colour") << AdjustKind::Colour << QList{0, 0};
}

void ToneAdjustmentTest::resetRestoresInitialValues()
{
    QFETCH(AdjustKind, mode);
    QFETCH(QList<int>, expected);

    Session session(makePicture(80, 60), mode);
    TColorCForm& dialog = *session.dialog;
    const QList<int> moved{300, -400, 20};
    for (int row = 1; row <= int(expected.size()); ++row)
        gauge(dialog, row)->setValue(moved[row - 1]);

    dialog.btnInitValue->click();

    for (int row = 1; row <= int(expected.size()); ++row) {
        QCOMPARE(value(dialog, row), expected[row - 1]);
        QCOMPARE(gauge(dialog, row)->value(), expected[row - 1]);
        QCOMPARE(edit(dialog, row)->text(), QString::number(expected[row - 1]));
    }
    expected.resize(3);
    QCOMPARE(
        dialog.previewBitmap().image(),
        directChain(dialog.PreviewSource, mode, expected[0], expected[1], expected[2]).image());
}

void ToneAdjustmentTest::previewIsFittedAndCentred_data()
{
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<QRect>("target");

    QTest::newRow("small photo keeps its size") << QSize(100, 80) << QRect(49, 59, 100, 80);
    QTest::newRow("wide photo") << QSize(1000, 500) << QRect(0, 50, 198, 99);
    QTest::newRow("tall photo") << QSize(600, 900) << QRect(32, 0, 133, 199);
}

void ToneAdjustmentTest::previewIsFittedAndCentred()
{
    QFETCH(QSize, photo);
    QFETCH(QRect, target);

    Session session(makePicture(photo.width(), photo.height()), AdjustKind::Tone);
    TColorCForm& dialog = *session.dialog;
    dialog.GaugeValue1->setValue(250);
    QCOMPARE(QSize(dialog.PreviewSource.width(), dialog.PreviewSource.height()), target.size());

    const QImage canvas =
        effects_test::paintedCanvas(QSize(198, 199), Qt::white, [&dialog](QPainter& painter) {
            dialog.ColorCPaintBoxPaint(painter);
        });
    QCOMPARE(canvas.copy(target),
             dialog.previewBitmap().image().convertToFormat(QImage::Format_RGB32));
    // Around the picture the white panel behind the paint box shows through.
    QCOMPARE(effects_test::nonWhiteOutside(canvas, target), 0);
}

void ToneAdjustmentTest::previewMatchesFinalResult_data()
{
    QTest::addColumn<AdjustKind>("mode");
    QTest::addColumn<QList<int>>("positions");

    QTest::newRow("brighter, more contrast, lighter") << AdjustKind::Tone << QList{150, 200, 140};
    QTest::newRow("darker, strong contrast, deeper") << AdjustKind::Tone << QList{-300, 400, 60};
    QTest::newRow("hue turned, richer") << AdjustKind::Colour << QList{90, 400};
    QTest::newRow("hue back, paler") << AdjustKind::Colour << QList{-200, -500};
}

void ToneAdjustmentTest::previewMatchesFinalResult()
{
    QFETCH(AdjustKind, mode);
    QFETCH(QList<int>, positions);

    const RasterBitmap portrait = effects_test::loadPortrait();
    QVERIFY(portrait.isAllocated());
    Session session(portrait, mode);
    TColorCForm& dialog = *session.dialog;
    for (int row = 1; row <= int(positions.size()); ++row)
        gauge(dialog, row)->setValue(positions[row - 1]);
    const RasterBitmap preview = dialog.previewBitmap();

    dialog.btnOKClick();
    const double difference = effects_test::previewDifference(preview, session.work);
    qInfo("mean difference %.2f levels", difference);
    QVERIFY2(difference >= 0 && difference <= 3.0,
             qPrintable(QStringLiteral("mean difference %1 levels").arg(difference)));
}

REGISTER_TEST(ToneAdjustmentTest);
#include "tst_ToneAdjustment.moc"
