#include "MemoryTestSupport.h"
#include "TestRegistry.h"

#include "RecordingMessageSink.h"
#include "app/FrmMain.h"
#include "app/StageRules.h"
#include "effects/FrmBBoshasy.h"
#include "effects/FrmControlColor.h"
#include "ui/SkinImage.h"
#include "ui/WaitPanel.h"

#include <QApplication>
#include <QFrame>
#include <QSlider>
#include <QTemporaryDir>

#include <QTest>
#include <malloc.h>

using memory_test::addressSpace;
using memory_test::AddressSpaceLimit;

namespace {

constexpr qint64 kKiB = 1024;
// From nothing up to what every action needs, finer where the small steps fail.
const QList<qint64> kHeadrooms{0,       128 * kKiB, 512 * kKiB, 1 << 20,  2 << 20,
                               4 << 20, 8 << 20,    12 << 20,   24 << 20, 48 << 20};
// Sanitizer builds reserve terabytes of address space up front; no limit means anything
// there.
constexpr qint64 kPlainProcessSize = qint64(64) << 30;

enum class Action { Cut, Make, Rotate, SoftGlow, Tone };

// What the document holds, to tell "all done" from "nothing changed".
struct Document {
    Stage stage = Stage::Empty;
    QImage work;
    QImage cut;
    Rect frame;

    friend bool operator==(const Document&, const Document&) = default;
};

Document documentOf(const TMainForm& form)
{
    return {form.stage(), form.WorkBitmap.image().copy(), form.CutBitmap.image().copy(),
            form.CropRect};
}

// A shown main window with the portrait, brought to where the action may run; its
// dialogs are answered with OK after a slider move.
struct Window {
    RecordingMessageSink messages;
    TMainForm form;

    Window(Action action, const QString& photo)
    {
        form.setModalRunner([](QDialog& dialog) {
            if (auto* glow = qobject_cast<TBBoshasyForm*>(&dialog)) {
                glow->GaugeValue->setValue(250);
                glow->btnOKClick();
            } else if (auto* adjust = qobject_cast<TColorCForm*>(&dialog)) {
                adjust->GaugeValue1->setValue(200);
                adjust->btnOKClick();
            }
            return dialog.result();
        });
        form.show();
        if (!QTest::qWaitForWindowExposed(&form))
            qWarning("main window not exposed");
        form.OpenPhotoFile(photo);
        form.CropRect = {200, 100, 700, 700};
        if (action == Action::SoftGlow || action == Action::Tone)
            form.CutPhoto();
    }

    void run(Action action)
    {
        switch (action) {
        case Action::Cut:
            form.CutPhoto();
            break;
        case Action::Make:
            form.MakeSheet();
            break;
        case Action::Rotate:
            form.RotatePhoto();
            break;
        case Action::SoftGlow:
            form.SelectEffect(1);
            break;
        case Action::Tone:
            form.SelectEffect(2);
            break;
        }
    }
};

} // namespace

Q_DECLARE_METATYPE(Action)

// The window's operations of several steps under growing limits of address space: each
// either completes, or leaves the photo, the frame and the stage exactly as they were; the
// wait panel, the hourglass and the Rotate button always come back.
class FailedStepsTest : public QObject {
    Q_OBJECT
private slots:
    // 2000 × 1500: the operations' buffers stand well above the window's own small needs.
    void initTestCase()
    {
        // Large blocks are mapped and unmapped one by one, so that memory freed by one run
        // is given back and cannot serve the next run beyond its limit.
        QVERIFY(mallopt(M_MMAP_THRESHOLD, 128 * 1024) == 1);
        QVERIFY(m_dir.isValid());
        QImage photo(2000, 1500, QImage::Format_RGB888);
        for (int y = 0; y < photo.height(); ++y) {
            uchar* line = photo.scanLine(y);
            for (int i = 0; i < photo.width() * 3; ++i)
                line[i] = uchar((i * 7 + y * 13) & 0xff);
        }
        m_photo = m_dir.filePath(QStringLiteral("photo.bmp"));
        QVERIFY(photo.save(m_photo));
    }

    void allOrNothing_data()
    {
        QTest::addColumn<Action>("action");
        QTest::newRow("cut") << Action::Cut;
        QTest::newRow("make from the loaded photo") << Action::Make;
        QTest::newRow("rotate") << Action::Rotate;
        QTest::newRow("soft glow") << Action::SoftGlow;
        QTest::newRow("tone") << Action::Tone;
    }

    void allOrNothing()
    {
        QFETCH(Action, action);
        if (addressSpace("VmSize") > kPlainProcessSize)
            QSKIP("the address space cannot be limited in this build");

        Document done;
        {
            Window reference(action, m_photo);
            reference.run(action);
            done = documentOf(reference.form);
        }
        int failed = 0;
        int steps = 0;
        for (qint64 headroom : kHeadrooms) {
            ++steps;
            Window window(action, m_photo);
            const Document before = documentOf(window.form);
            QVERIFY(before != done);
            {
                const AddressSpaceLimit limit(headroom);
                QVERIFY(limit.isActive());
                window.run(action);
            }
            const Document after = documentOf(window.form);
            const QByteArray row = QByteArray::number(headroom / kKiB) + " KiB";
            QVERIFY2(after == done || after == before, row.constData());
            failed += after == before;
            QVERIFY2(window.form.pnlWaitInfo->isHidden(), row.constData());
            QVERIFY2(!QApplication::overrideCursor(), row.constData());
            QVERIFY2(window.form.imgViewSizeUP[2]->isEnabled(), row.constData());
            QVERIFY2(window.messages.messages.isEmpty(), row.constData());
        }
        qInfo("%d of %d limits left the photo as it was", failed, steps);
        QVERIFY(failed > 0);
        QVERIFY(failed < steps);
    }

private:
    QTemporaryDir m_dir;
    QString m_photo;
};

REGISTER_TEST(FailedStepsTest);
#include "tst_FailedSteps.moc"
