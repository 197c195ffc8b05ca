#include "EffectsTestSupport.h"

#include "effects/EffectEntries.h"
#include "effects/FrmBBoshasy.h"
#include "effects/FrmControlColor.h"
#include "effects/SoftGlow.h"
#include "raster/BitmapOps.h"
#include "ui/DialogHost.h"

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include "TestRegistry.h"

using effects_test::makePicture;

namespace {

enum class Entry { Tone, Colour, SoftGlow };

// Plays the user in place of the modal run: moves the dialog's first slider far and
// presses OK or Cancel. Records where the dialog stood.
int playUser(QDialog& modal, bool confirm, QPoint& dialogPosition)
{
    dialogPosition = modal.pos();
    if (auto* glow = qobject_cast<TBBoshasyForm*>(&modal)) {
        glow->GaugeValue->setValue(350);
        (confirm ? glow->btnOK : glow->btnCANCEL)->click();
    } else if (auto* adjust = qobject_cast<TColorCForm*>(&modal)) {
        adjust->GaugeValue1->setValue(350);
        (confirm ? adjust->btnOK : adjust->btnCANCEL)->click();
    }
    return modal.result();
}

} // namespace

Q_DECLARE_METATYPE(Entry)

class EffectEntriesTest : public QObject {
    Q_OBJECT
private slots:
    void entryChangesPhotoOnlyOnOk_data();
    void entryChangesPhotoOnlyOnOk();
    void dialogOffset_data();
    void dialogOffset();
};

void EffectEntriesTest::entryChangesPhotoOnlyOnOk_data()
{
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<int>("bitsPerPixel");
    QTest::addColumn<bool>("confirm");
    QTest::addColumn<int>("bitsAfter");

    QTest::newRow("tone, 256 colours, cancel") << Entry::Tone << 8 << false << 24;
    QTest::newRow("tone, 256 colours, OK") << Entry::Tone << 8 << true << 24;
    QTest::newRow("colour, 24 bits, cancel") << Entry::Colour << 24 << false << 24;
    QTest::newRow("colour, 32 bits, OK") << Entry::Colour << 32 << true << 32;
    QTest::newRow("soft glow, 256 colours, cancel") << Entry::SoftGlow << 8 << false << 24;
    QTest::newRow("soft glow, 256 colours, OK") << Entry::SoftGlow << 8 << true << 24;
    QTest::newRow("soft glow, 24 bits, OK") << Entry::SoftGlow << 24 << true << 24;
}

void EffectEntriesTest::entryChangesPhotoOnlyOnOk()
{
    QFETCH(Entry, entry);
    QFETCH(int, bitsPerPixel);
    QFETCH(bool, confirm);
    QFETCH(int, bitsAfter);

    QWidget mainWindow;
    mainWindow.setGeometry(100, 80, 900, 700);
    const RasterBitmap original = makePicture(120, 90, bitsPerPixel);
    RasterBitmap work = original;
    int invalidations = 0;
    const auto invalidate = [&] { ++invalidations; };

    QPoint dialogPosition;
    const DialogHost host{&mainWindow,
                          [confirm, &dialogPosition](QDialog& modal) {
                              return playUser(modal, confirm, dialogPosition);
                          },
                          invalidate};
    bool changed = false;
    if (entry == Entry::Tone)
        changed = OpenToneDialog(host, work);
    else if (entry == Entry::Colour)
        changed = OpenColourDialog(host, work);
    else
        changed = OpenSoftGlowDialog(host, work);
    QCOMPARE(changed, confirm);

    RasterBitmap expected = original;
    QVERIFY(convertForEditing(expected));
    QCOMPARE(expected.bitsPerPixel(), bitsAfter);
    if (confirm && entry == Entry::SoftGlow)
        QVERIFY(applySoftGlow(expected, 350));
    else if (confirm)
        QVERIFY(adjustBitmap(expected, entry == Entry::Tone ? AdjustKind::Tone : AdjustKind::Colour,
                             {350, 0, 100}));
    QCOMPARE(work.bitsPerPixel(), bitsAfter);
    QCOMPARE(work.image(), expected.image());
    QCOMPARE(invalidations, confirm ? 1 : 0);

    const QSize dialogSize = entry == Entry::SoftGlow ? QSize(609, 335) : QSize(505, 327);
    // The main window is frameless; a dialog's frame is unknown until it first shows.
    QCOMPARE(dialogPosition,
             mainWindow.mapToGlobal(centredDialogOffset(mainWindow.size(), dialogSize)));
    // Created for one use: nothing of the dialog is left, and the cursor is back.
    QVERIFY(mainWindow.findChildren<QDialog*>().isEmpty());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void EffectEntriesTest::dialogOffset_data()
{
    QTest::addColumn<QSize>("outer");
    QTest::addColumn<QSize>("inner");
    QTest::addColumn<QPoint>("offset");

    QTest::newRow("adjust dialog over main window")
        << QSize(800, 600) << QSize(505, 327) << QPoint(147, 136);
    QTest::newRow("odd differences") << QSize(800, 601) << QSize(609, 335) << QPoint(95, 133);
    // Halves round towards zero, also when the dialog is the larger window.
    QTest::newRow("dialog larger than window")
        << QSize(300, 200) << QSize(505, 327) << QPoint(-102, -63);
}

void EffectEntriesTest::dialogOffset()
{
    QFETCH(QSize, outer);
    QFETCH(QSize, inner);
    QFETCH(QPoint, offset);

    QCOMPARE(centredDialogOffset(outer, inner), offset);
}

REGISTER_TEST(EffectEntriesTest);
#include "tst_EffectEntries.moc"
