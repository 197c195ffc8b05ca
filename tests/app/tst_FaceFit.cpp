#include "MainWindowSupport.h"
#include "MessageTextSupport.h"
#include "RectTestSupport.h"
#include "TestData.h"
#include "TestRegistry.h"

#include "app/FrmDefineCanvas.h"
#include "app/SubmissionPhoto.h"
#include "app/WorkspaceScrollView.h"
#include "face/FaceDetector.h"
#include "face/HeadTargets.h"
#include "raster/BitmapIO.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace main_window_test;
using namespace message_text;

namespace {

// Where the portrait's head is, measured by eye: crown, chin, the middle between the eyes.
constexpr double kCrownY = 16;
constexpr double kChinY = 177;
constexpr double kCentreX = 224.5;

const QString kNoFace = QStringLiteral("얼굴을 찾을 수 없습니다.");

QString readout(const TMainForm& form)
{
    return form.lblFaceReadout->isHidden() ? QString() : form.lblFaceReadout->text();
}

// The workspace as painted now.
QImage paintedWorkspace(TMainForm& form)
{
    const QSize size = form.ScrollView->clientSize();
    QImage canvas(size, QImage::Format_RGB32);
    form.ScrollViewPaint(canvas, QRect(QPoint(0, 0), size));
    return canvas;
}

// Pixels in the colours of the guide lines (a head in or out of its band).
int guidePixels(const QImage& canvas)
{
    const QRgb pass = qRgb(70, 220, 140);
    const QRgb fail = qRgb(255, 110, 90);
    int count = 0;
    for (int y = 0; y < canvas.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        for (int x = 0; x < canvas.width(); ++x)
            count += (line[x] | 0xff000000) == pass || (line[x] | 0xff000000) == fail;
    }
    return count;
}

QPoint rightGrip(const TMainForm& form)
{
    Rect frame = form.CropRect;
    form.ImageToScreen(frame);
    return QPoint(frame.right, frame.top + (frame.bottom - frame.top) / 2);
}

void dragBy(TMainForm& form, QPoint from, int dx)
{
    form.ScrollViewMouseDown(from);
    form.ScrollViewMouseMove(from + QPoint(dx, 0));
}

QString flatPhoto(const QTemporaryDir& dir)
{
    QImage photo(800, 600, QImage::Format_RGB32);
    photo.fill(QColor(190, 200, 210));
    const QString path = dir.filePath(QStringLiteral("wall.png"));
    return photo.save(path) ? path : QString();
}

} // namespace

class FaceFitTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(sharedFaceDetector().load()); }

    void button()
    {
        Window window;
        const SkinImage* button = window.form.imgFaceFit;
        QCOMPARE(button->geometry(), QRect(16, 300, 147, 31));
        QVERIFY(!button->toolTip().isEmpty());
        QVERIFY(button->isVisible());
    }

    // Outside the Loaded stage the button follows the stage table: Open blinks without a
    // photo, and once cut it is refused like the type buttons.
    void refusedOutsideTheLoadedStage_data()
    {
        QTest::addColumn<int>("setup");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("flashed");
        QTest::newRow("empty") << int(Setup::Empty) << QStringList()
                               << QStringList{"imgDefaultUP_0"};
        QTest::newRow("cut") << int(Setup::Cut) << QStringList{kTypeLocked}
                             << QStringList{"imgDefaultUP_1"};
        QTest::newRow("made") << int(Setup::Made) << QStringList{kTypeLocked}
                              << QStringList{"imgDefaultUP_1"};
    }
    void refusedOutsideTheLoadedStage()
    {
        QFETCH(int, setup);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, flashed);
        Window window;
        bringTo(window.form, Setup(setup));
        const Rect before = window.form.CropRect;
        window.flashed.clear();
        click(window.form.imgFaceFit);
        QCOMPARE(window.texts(), texts);
        QCOMPARE(window.flashed, flashed);
        QCOMPARE(window.form.CropRect, before);
        QVERIFY(readout(window.form).isEmpty());
    }

    // For every type the frame lands on the face with the type's proportions and the head at
    // its share of the height; the readout agrees.
    void fitsEveryType_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QSize>("size");
        QTest::newRow("ID") << 0 << QSize(250, 300);
        QTest::newRow("half card") << 1 << QSize(300, 400);
        QTest::newRow("passport") << 2 << QSize(350, 450);
        QTest::newRow("card") << 3 << QSize(500, 700);
        QTest::newRow("custom 420 x 510") << 4 << QSize(420, 510);
    }
    void fitsEveryType()
    {
        QFETCH(int, type);
        QFETCH(QSize, size);
        Window window;
        TMainForm& form = window.form;
        bringTo(form, Setup::Loaded);
        window.driver = [size](QDialog& dialog) {
            auto* canvas = qobject_cast<TDefineCanvasForm*>(&dialog);
            if (!canvas)
                return int(QDialog::Rejected);
            canvas->edtWidth->setText(QString::number(size.width()));
            canvas->edtHeight->setText(QString::number(size.height()));
            canvas->btnOKClick();
            return canvas->result();
        };
        form.TypeClick(type);
        click(form.imgFaceFit);

        QVERIFY(window.texts().isEmpty());
        const Rect& frame = form.CropRect;
        const int width = RectWidth(frame);
        QCOMPARE(RectHeight(frame), static_cast<int>(width * form.PhotoType.AspectRatio));
        const HeadRule& rule = headRuleFor(type);
        const double share = (kChinY - kCrownY) / RectHeight(frame);
        QVERIFY2(share >= rule.minShare && share <= rule.maxShare,
                 qPrintable(QString::number(share)));
        QVERIFY(std::abs(frame.left + width / 2.0 - kCentreX) <= 0.02 * width);
        QVERIFY2(readout(form).startsWith(QStringLiteral("머리 높이 ")), qPrintable(readout(form)));
        QVERIFY(readout(form).contains(QStringLiteral("✓")));
    }

    // No face: the message, and the frame and the workspace stay as they were.
    void noFace()
    {
        QTemporaryDir dir;
        Window window;
        TMainForm& form = window.form;
        form.OpenPhotoFile(flatPhoto(dir));
        const Rect before = form.CropRect;
        click(form.imgFaceFit);
        QCOMPARE(window.messages.messages.size(), 1);
        QCOMPARE(window.messages.messages[0].first, QStringLiteral("Nuv Sorvel"));
        QCOMPARE(window.messages.messages[0].second, kNoFace);
        QCOMPARE(form.CropRect, before);
        QVERIFY(readout(form).isEmpty());
    }

    // Dragged past the band the readout turns to a cross while the drag lasts, and back to a
    // tick when the frame returns.
    void readoutFollowsTheDrag()
    {
        Window window;
        TMainForm& form = window.form;
        bringTo(form, Setup::Loaded);
        form.TypeClick(2);
        click(form.imgFaceFit);
        const QString fitted = readout(form);
        QVERIFY(fitted.contains(QStringLiteral("✓")));

        const QPoint grip = rightGrip(form);
        dragBy(form, grip, 60);
        QVERIFY(form.Dragging);
        QVERIFY2(readout(form).contains(QStringLiteral("✗")), qPrintable(readout(form)));
        form.ScrollViewMouseMove(grip);
        QVERIFY2(readout(form).contains(QStringLiteral("✓")), qPrintable(readout(form)));
        form.ScrollViewMouseMove(grip - QPoint(50, 0));
        form.ScrollViewMouseUp(grip - QPoint(50, 0));
        QVERIFY(!form.Dragging);
        QVERIFY2(readout(form).contains(QStringLiteral("✗")), qPrintable(readout(form)));
    }

    // Guides are drawn over the frame only for the photo whose face was found, and only
    // while it is framed; the readout goes with them.
    void guidesOnlyWithTheFace()
    {
        Window window;
        TMainForm& form = window.form;
        bringTo(form, Setup::Loaded);
        form.TypeClick(2);
        QCOMPARE(guidePixels(paintedWorkspace(form)), 0);
        click(form.imgFaceFit);
        const Rect fitted = form.CropRect;
        // The crown and chin lines run across the frame, the eye line dashed between them.
        const int drawnWidth = RectWidth(fitted) * form.ZoomPercent / 100;
        QVERIFY2(guidePixels(paintedWorkspace(form)) >= 2 * drawnWidth,
                 qPrintable(QString::number(guidePixels(paintedWorkspace(form)))));

        form.CutPhoto();
        QCOMPARE(guidePixels(paintedWorkspace(form)), 0);
        QVERIFY(readout(form).isEmpty());

        // Another photo: the face found before means nothing there.
        form.OpenPhotoFile(test_data::testDataPath(QStringLiteral("portrait.png")));
        form.CropRect = fitted;
        QCOMPARE(guidePixels(paintedWorkspace(form)), 0);
        form.TypeClick(2);
        QVERIFY(readout(form).isEmpty());
    }

    // The online-submission file: written from the cut photo only.
    void submissionFile_data()
    {
        QTest::addColumn<int>("setup");
        QTest::addColumn<bool>("written");
        QTest::newRow("loaded") << int(Setup::Loaded) << false;
        QTest::newRow("cut") << int(Setup::Cut) << true;
        QTest::newRow("made") << int(Setup::Made) << false;
    }
    void submissionFile()
    {
        QFETCH(int, setup);
        QFETCH(bool, written);
        QTemporaryDir dir;
        Window window;
        TMainForm& form = window.form;
        form.TypeClick(2);
        bringTo(form, Setup(setup));
        window.driver = [&dir](QDialog& dialog) {
            auto* files = qobject_cast<QFileDialog*>(&dialog);
            if (!files)
                return int(QDialog::Rejected);
            files->setDirectory(dir.path());
            files->selectNameFilter(submissionFilter());
            files->selectFile(QStringLiteral("passport"));
            return int(QDialog::Accepted);
        };
        form.SaveWorkBitmap();
        const QString path = dir.filePath(QStringLiteral("passport.jpg"));
        QCOMPARE(QFileInfo::exists(path), written);
        if (!written) {
            QCOMPARE(window.texts().size(), 1);
            QVERIFY(window.texts()[0].startsWith(QStringLiteral("온라인 제출용")));
            return;
        }
        QVERIFY(window.texts().isEmpty());
        QVERIFY(QFileInfo(path).size() < kSubmissionByteLimit);
        RasterBitmap saved;
        QVERIFY(loadBitmap(path, saved));
        QCOMPARE(saved.image().size(), QSize(413, 531));
    }
};

REGISTER_TEST(FaceFitTest);
#include "tst_FaceFit.moc"
