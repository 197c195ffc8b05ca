#include "MainWindowSupport.h"
#include "MessageTextSupport.h"
#include "RecordingMessageSink.h"
#include "RectTestSupport.h"
#include "TestData.h"
#include "TestRegistry.h"

#include "app/FrmDefineCanvas.h"
#include "app/FrmMain.h"
#include "app/PhotoCutter.h"
#include "app/WorkspaceScrollView.h"
#include "effects/FrmBBoshasy.h"
#include "effects/FrmControlColor.h"
#include "effects/SoftGlow.h"
#include "raster/BitmapIO.h"
#include "ui/SkinImage.h"
#include "ui/WaitPanel.h"

#include <QAction>
#include <QFileDialog>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <stdexcept>

namespace {

using namespace main_window_test;
using namespace message_text;

using test_data::testDataPath;

const QString kPortrait = QStringLiteral("portrait.jpg");

QImage pixels(const RasterBitmap& bitmap)
{
    return bitmap.image().convertToFormat(QImage::Format_RGB888);
}

// A 1600 × 1200 photo, dark grey with one red pixel at (10, 20).
QString sidewaysPhoto(const QTemporaryDir& dir)
{
    QImage photo(1600, 1200, QImage::Format_RGB888);
    photo.fill(QColor(40, 40, 40));
    photo.setPixelColor(10, 20, Qt::red);
    const QString path = dir.filePath(QStringLiteral("sideways.png"));
    photo.save(path);
    return path;
}

} // namespace

class MainFormPipelineTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cut_data();
    void cut();
    void refusedCutOrMake_data();
    void refusedCutOrMake();
    void rotate();
    void make_data();
    void make();
    void print();
    void save_data();
    void save();
    void saveRefusedOrFailed();
    void effectButtonsOutsideTheCutStage_data();
    void effectButtonsOutsideTheCutStage();
    void effectsAccumulateAndButtonZeroUndoes();
    void dialogErrorsAreSwallowed_data();
    void dialogErrorsAreSwallowed();

private:
    QTemporaryDir m_dir;
};

void MainFormPipelineTest::initTestCase()
{
    QStandardPaths::setTestModeEnabled(true);
    QVERIFY(m_dir.isValid());
}

void MainFormPipelineTest::cut_data()
{
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<int>("type");
    QTest::addColumn<Rect>("frame");
    QTest::addColumn<QSize>("size");
    QTest::newRow("button, type 0") << "button" << 0 << Rect{0, 0, 250, 300} << QSize(250, 300);
    QTest::newRow("highlight, passport")
        << "highlight" << 2 << Rect{100, 40, 450, 490} << QSize(350, 450);
    QTest::newRow("double click, frame over the right edge is clipped")
        << "double click" << 0 << Rect{400, 0, 650, 300} << QSize(250, 300);
}

void MainFormPipelineTest::cut()
{
    QFETCH(QString, trigger);
    QFETCH(int, type);
    QFETCH(Rect, frame);
    QFETCH(QSize, size);
    Window window;
    TMainForm& form = window.form;
    form.OpenPhotoFile(testDataPath(kPortrait));
    form.TypeClick(type);
    form.CropRect = frame;
    form.Gauge->setValue(200);
    const QImage original = pixels(form.OriginalBitmap);
    RasterBitmap expected;
    QVERIFY(cutFramedArea(expected, form.WorkBitmap, frame, size.width(), size.height()));

    if (trigger == "button")
        click(form.imgDefault[2]);
    else if (trigger == "highlight")
        click(form.imgDefaultUP[2]);
    else
        emit form.ScrollView->mouseDoubleClicked(QPoint(200, 100));

    QCOMPARE(form.stage(), Stage::Cut);
    QCOMPARE(form.WorkBitmap.image().size(), size);
    QCOMPARE(pixels(form.WorkBitmap), pixels(expected));
    QCOMPARE(pixels(form.CutBitmap), pixels(form.WorkBitmap));
    QCOMPARE(pixels(form.OriginalBitmap), original);
    QCOMPARE(form.CropRect, (Rect{0, 0, 0, 0}));
    // Refitted: a photo smaller than the workspace is shown at 100 %.
    QCOMPARE(form.ZoomPercent, 100);
    QCOMPARE(form.Gauge->value(), 100);
    QVERIFY(form.pnlWaitInfo->isHidden());
    QVERIFY(window.messages.messages.isEmpty());

    // A second cut finds no frame and touches nothing, not even the zoom.
    form.Gauge->setValue(200);
    const qint64 key = form.WorkBitmap.image().cacheKey();
    form.CutPhoto();
    QCOMPARE(form.WorkBitmap.image().cacheKey(), key);
    QCOMPARE(form.ZoomPercent, 200);
    QVERIFY(window.messages.messages.isEmpty());
    QVERIFY(window.flashed.isEmpty());
}

void MainFormPipelineTest::refusedCutOrMake_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<Rect>("frame");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("flash");
    QTest::addColumn<bool>("scaleFails"); // the type's width is one no bitmap may have
    const Rect type0{0, 0, 250, 300};
    // The portrait is 512 × 512 pixels.
    const Rect outside{600, 0, 850, 300};
    const Rect thin{0, 0, 250, 4};
    for (const char* action : {"cut", "make"}) {
        const QString name = QString::fromLatin1(action);
        QTest::addRow("%s without a photo", action) << name << Setup::Empty << type0 << ""
                                                    << "imgDefaultUP_0" << false;
        QTest::addRow("%s with a frame wholly outside the photo", action)
            << name << Setup::Loaded << outside << frameOutsidePhotoMessage() << "" << false;
        // Only a frame outside the photo is worth a message; a failed step is swallowed.
        QTest::addRow("%s whose scaling fails is silent", action)
            << name << Setup::Loaded << type0 << ""
            << "" << true;
    }
    QTest::newRow("cut with a frame under 5 pixels is silent")
        << "cut" << Setup::Loaded << thin << ""
        << "" << false;
    QTest::newRow("make with a frame under 5 pixels")
        << "make" << Setup::Loaded << thin << kChooseType << "" << false;
    QTest::newRow("second make") << "make" << Setup::Made << Rect{} << ""
                                 << "" << false;
    // A cut photo or a sheet is not cut again, whatever frame is set over it.
    QTest::newRow("cut on a cut photo under a frame") << "cut" << Setup::Cut << type0 << ""
                                                      << "" << false;
    QTest::newRow("cut on a sheet under a frame") << "cut" << Setup::Made << type0 << ""
                                                  << "" << false;
}

// Nothing changes: picture, frame, zoom and stage stay as they were.
void MainFormPipelineTest::refusedCutOrMake()
{
    QFETCH(QString, action);
    QFETCH(Setup, setup);
    QFETCH(Rect, frame);
    QFETCH(QString, message);
    QFETCH(QString, flash);
    QFETCH(bool, scaleFails);
    Window window;
    TMainForm& form = window.form;
    bringTo(form, setup);
    form.CropRect = frame;
    if (scaleFails)
        form.PhotoType.TargetWidth = 0;
    const Stage stage = form.stage();
    const int zoom = form.ZoomPercent;
    const qint64 key = form.WorkBitmap.image().cacheKey();

    if (action == "cut")
        form.actCutImage->trigger();
    else
        form.actMakeImage->trigger();

    QCOMPARE(form.stage(), stage);
    QCOMPARE(form.CropRect, frame);
    QCOMPARE(form.ZoomPercent, zoom);
    QCOMPARE(form.WorkBitmap.image().cacheKey(), key);
    QCOMPARE(window.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(window.flashed, flash.isEmpty() ? QStringList() : QStringList{flash});
    QVERIFY(form.pnlWaitInfo->isHidden());
}

void MainFormPipelineTest::rotate()
{
    const QString path = sidewaysPhoto(m_dir);
    Window window;
    TMainForm& form = window.form;
    form.OpenPhotoFile(path);
    form.ActualSizeClick();
    const QImage original = pixels(form.OriginalBitmap);

    click(form.imgViewSizeUP[2]);

    QCOMPARE(form.stage(), Stage::Loaded);
    QCOMPARE(form.WorkBitmap.image().size(), QSize(1200, 1600));
    // A quarter turn clockwise takes (x, y) to (height - 1 - y, x).
    QCOMPARE(form.WorkBitmap.image().pixelColor(1200 - 1 - 20, 10), QColor(Qt::red));
    QCOMPARE(pixels(form.OriginalBitmap), original);
    QCOMPARE(form.ZoomPercent, 100);
    QVERIFY(form.imgViewSizeUP[2]->isEnabled());
    // The scroll ranges are those of an upright photo of that size at the same zoom.
    {
        QImage upright = original.transformed(QTransform().rotate(90));
        const QString uprightPath = m_dir.filePath(QStringLiteral("upright.png"));
        QVERIFY(upright.save(uprightPath));
        Window reference;
        reference.form.OpenPhotoFile(uprightPath);
        reference.form.ActualSizeClick();
        QCOMPARE(form.ScrollView->contentSize(), reference.form.ScrollView->contentSize());
        QCOMPARE(pixels(form.WorkBitmap), pixels(reference.form.WorkBitmap));
    }
    for (int turn = 0; turn < 3; ++turn)
        form.RotatePhoto();
    QCOMPARE(pixels(form.WorkBitmap), original);

    // Once cut, the photo is no longer turned: a message and the Original button blinks.
    form.CutPhoto();
    const QImage cut = pixels(form.WorkBitmap);
    form.actRotateImage->trigger();
    QCOMPARE(window.texts(), QStringList{kRotateLocked});
    QCOMPARE(window.flashed, QStringList{"imgDefaultUP_1"});
    QCOMPARE(pixels(form.WorkBitmap), cut);
}

void MainFormPipelineTest::make_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QSize>("photo");
    QTest::addColumn<QPoint>("firstPhoto");
    QTest::newRow("type 0") << 0 << QSize(250, 300) << QPoint(25, 18);
    QTest::newRow("type 3") << 3 << QSize(500, 700) << QPoint(125, 150);
}

// Make straight after loading gives the sheet that cut followed by make gives.
void MainFormPipelineTest::make()
{
    QFETCH(int, type);
    QFETCH(QSize, photo);
    QFETCH(QPoint, firstPhoto);
    Window direct;
    Window stepwise;
    for (Window* window : {&direct, &stepwise}) {
        window->form.OpenPhotoFile(testDataPath(kPortrait));
        window->form.TypeClick(type);
    }
    click(direct.form.imgDefaultUP[3]);
    click(stepwise.form.imgDefault[2]);
    click(stepwise.form.imgDefault[3]);

    for (Window* window : {&direct, &stepwise}) {
        TMainForm& form = window->form;
        QCOMPARE(form.stage(), Stage::Made);
        QVERIFY(form.CutDone);
        QCOMPARE(form.WorkBitmap.image().size(), QSize(1520, 1020));
        QCOMPARE(form.CutBitmap.image().size(), photo);
        QCOMPARE(pixels(form.WorkBitmap).copy(QRect(firstPhoto, photo)), pixels(form.CutBitmap));
        QCOMPARE(form.CropRect, (Rect{0, 0, 0, 0}));
        QCOMPARE(form.ZoomPercent, 47);
        QCOMPARE(form.Gauge->value(), 47);
        QVERIFY(form.pnlWaitInfo->isHidden());
        QVERIFY(window->messages.messages.isEmpty());
    }
    QCOMPARE(pixels(direct.form.WorkBitmap), pixels(stepwise.form.WorkBitmap));
}

void MainFormPipelineTest::print()
{
    const QString pdf = m_dir.filePath(QStringLiteral("sheet.pdf"));
    Window window;
    TMainForm& form = window.form;
    bool waitPanelShown = false;
    bool accept = false;
    window.driver = [&](QDialog& dialog) {
        waitPanelShown = !form.pnlWaitInfo->isHidden();
        auto* printDialog = qobject_cast<QPrintDialog*>(&dialog);
        if (!printDialog || !accept)
            return int(QDialog::Rejected);
        printDialog->printer()->setOutputFormat(QPrinter::PdfFormat);
        printDialog->printer()->setOutputFileName(pdf);
        return int(QDialog::Accepted);
    };

    click(form.imgDefault[5]);
    QCOMPARE(window.flashed, QStringList{"imgDefaultUP_0"});
    for (Setup setup : {Setup::Loaded, Setup::Cut}) {
        bringTo(form, setup);
        click(form.imgDefaultUP[5]);
    }
    QCOMPARE(window.texts(), (QStringList{kNothingMade, kNothingMade}));
    QVERIFY(window.dialogsShown.isEmpty());

    form.MakeSheet();
    form.PrintClick();
    QCOMPARE(window.dialogsShown, QStringList{"QPrintDialog"});
    QVERIFY(waitPanelShown);
    QVERIFY(form.pnlWaitInfo->isHidden());
    QVERIFY(!QFile::exists(pdf));

    accept = true;
    form.PrintClick();
    QVERIFY(form.pnlWaitInfo->isHidden());
    QFile printed(pdf);
    QVERIFY(printed.open(QIODevice::ReadOnly));
    QVERIFY(printed.read(5) == "%PDF-");
    QVERIFY(printed.size() > 10000); // the sheet's pixels, not an empty page
    QCOMPARE(form.stage(), Stage::Made);
    QCOMPARE(window.texts().size(), 2);
}

void MainFormPipelineTest::save_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<int>("entry");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("depth");
    QTest::newRow("photo as JPEG, .jpeg gets .jpg") << Setup::Loaded << 1 << "photo.jpeg"
                                                    << "photo.jpeg.jpg" << QSize(512, 512) << 24;
    QTest::newRow("cut photo as BMP, name kept in any case")
        << Setup::Cut << 2 << "PHOTO.BmP"
        << "PHOTO.BmP" << QSize(250, 300) << 24;
    QTest::newRow("sheet as PCX") << Setup::Made << 3 << "sheet"
                                  << "sheet.pcx" << QSize(1520, 1020) << 24;
    QTest::newRow("sheet as GIF at 8 bits") << Setup::Made << 4 << "sheet.jpg"
                                            << "sheet.jpg.gif" << QSize(1520, 1020) << 8;
}

void MainFormPipelineTest::save()
{
    QFETCH(Setup, setup);
    QFETCH(int, entry);
    QFETCH(QString, typed);
    QFETCH(QString, written);
    QFETCH(QSize, size);
    QFETCH(int, depth);
    QTemporaryDir dir;
    // An older file of the written name is replaced without a question.
    QFile old(dir.filePath(written));
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("older contents");
    old.close();
    Window window;
    TMainForm& form = window.form;
    bringTo(form, setup);
    window.driver = [&](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        if (!files)
            return int(QDialog::Rejected);
        files->setDirectory(dir.path());
        files->selectNameFilter(files->nameFilters().value(entry - 1));
        files->selectFile(typed);
        return int(QDialog::Accepted);
    };

    click(entry % 2 ? form.imgDefault[6] : form.imgDefaultUP[6]);

    QCOMPARE(window.dialogsShown, QStringList{"QFileDialog"});
    QVERIFY(window.messages.messages.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{written});
    RasterBitmap saved;
    QVERIFY(loadBitmap(dir.filePath(written), saved, 0));
    QCOMPARE(saved.image().size(), size);
    QCOMPARE(saved.bitsPerPixel(), depth);
    QCOMPARE(form.stage(), Stage(int(setup)));
}

void MainFormPipelineTest::saveRefusedOrFailed()
{
    Window window;
    TMainForm& form = window.form;
    QString chosen;
    window.driver = [&](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        if (!files || chosen.isEmpty())
            return int(QDialog::Rejected);
        files->selectFile(chosen);
        return int(QDialog::Accepted);
    };

    form.SaveWorkBitmap();
    QCOMPARE(window.texts(), QStringList{kNothingToSave});
    QVERIFY(window.dialogsShown.isEmpty());

    // Cancel writes nothing and says nothing.
    bringTo(form, Setup::Loaded);
    window.messages.messages.clear();
    form.SaveWorkBitmap();
    QCOMPARE(window.dialogsShown.size(), 1);
    QVERIFY(window.messages.messages.isEmpty());

    // A name that is taken by a folder cannot be written; the folder keeps its file.
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("album.jpg")));
    QFile kept(dir.filePath(QStringLiteral("album.jpg/old.jpg")));
    QVERIFY(kept.open(QIODevice::WriteOnly));
    kept.write("older contents");
    kept.close();
    chosen = dir.filePath(QStringLiteral("album.jpg"));
    form.SaveWorkBitmap();
    QCOMPARE(window.texts(), QStringList{kCannotSave});
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("older contents"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"album.jpg"});
    QCOMPARE(form.stage(), Stage::Loaded);
}

void MainFormPipelineTest::effectButtonsOutsideTheCutStage_data()
{
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("highlight");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("flash");
    QTest::newRow("no photo, 0") << Setup::Empty << 0 << false << ""
                                 << "";
    QTest::newRow("no photo, 3 highlight") << Setup::Empty << 3 << true << ""
                                           << "";
    QTest::newRow("loaded, 1") << Setup::Loaded << 1 << false << kCutFirst << "imgDefaultUP_2";
    QTest::newRow("loaded, 5 highlight")
        << Setup::Loaded << 5 << true << kCutFirst << "imgDefaultUP_2";
    QTest::newRow("made, 0") << Setup::Made << 0 << false << kEditAfterMake << "";
    QTest::newRow("made, 2 highlight") << Setup::Made << 2 << true << kEditAfterMake << "";
}

void MainFormPipelineTest::effectButtonsOutsideTheCutStage()
{
    QFETCH(Setup, setup);
    QFETCH(int, button);
    QFETCH(bool, highlight);
    QFETCH(QString, message);
    QFETCH(QString, flash);
    Window window;
    TMainForm& form = window.form;
    bringTo(form, setup);
    const qint64 key = form.WorkBitmap.image().cacheKey();

    click(highlight ? form.imgEffectsUP[button] : form.imgEffects[button]);

    QCOMPARE(window.texts(), message.isEmpty() ? QStringList() : QStringList{message});
    QCOMPARE(window.flashed, flash.isEmpty() ? QStringList() : QStringList{flash});
    QVERIFY(window.dialogsShown.isEmpty());
    QCOMPARE(form.WorkBitmap.image().cacheKey(), key);
    QCOMPARE(int(form.stage()), int(setup));
}

void MainFormPipelineTest::effectsAccumulateAndButtonZeroUndoes()
{
    Window window;
    TMainForm& form = window.form;
    bringTo(form, Setup::Cut);
    const QImage original = pixels(form.OriginalBitmap);
    const QImage cut = pixels(form.CutBitmap);
    int glowGamma = 0;
    window.driver = [&](QDialog& dialog) {
        if (auto* glow = qobject_cast<TBBoshasyForm*>(&dialog)) {
            glow->GaugeValue->setValue(250);
            glowGamma = glow->GammaValue;
            glow->btnOKClick();
        } else if (auto* adjust = qobject_cast<TColorCForm*>(&dialog)) {
            // Tone is confirmed, colour cancelled.
            if (adjust->AdjustMode != AdjustKind::Tone)
                return int(QDialog::Rejected);
            adjust->GaugeValue1->setValue(adjust->GaugeValue1->value() + 200);
            adjust->btnOKClick();
        }
        return dialog.result();
    };

    click(form.imgEffects[0]);
    QCOMPARE(pixels(form.WorkBitmap), cut);

    click(form.imgEffectsUP[1]);
    QCOMPARE(glowGamma, 250);
    RasterBitmap expectedGlow(cut);
    QVERIFY(applySoftGlow(expectedGlow, 250));
    QCOMPARE(pixels(form.WorkBitmap), pixels(expectedGlow));

    click(form.imgEffects[2]);
    const QImage toned = pixels(form.WorkBitmap);
    QVERIFY(toned != pixels(expectedGlow));

    for (int button : {3, 4, 5})
        click(form.imgEffects[button]);
    QCOMPARE(pixels(form.WorkBitmap), toned);
    // The frame and text dialogs are left unanswered, which cancels them.
    QCOMPARE(window.dialogsShown, (QStringList{"TBBoshasyForm", "TColorCForm", "TColorCForm",
                                               "TInputFrameForm", "TAccessorysForm"}));

    click(form.imgEffectsUP[0]);
    QCOMPARE(pixels(form.WorkBitmap), cut);
    QCOMPARE(pixels(form.CutBitmap), cut);
    QCOMPARE(pixels(form.OriginalBitmap), original);
    QCOMPARE(form.stage(), Stage::Cut);
    QVERIFY(window.messages.messages.isEmpty());
    QVERIFY(window.flashed.isEmpty());
}

void MainFormPipelineTest::dialogErrorsAreSwallowed_data()
{
    QTest::addColumn<bool>("custom"); // the custom size 300 × 400 is chosen before the setup
    QTest::addColumn<Setup>("setup");
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("width");
    QTest::addColumn<Rect>("frame");
    QTest::newRow("soft glow: the cut photo stays")
        << false << Setup::Cut << "effect" << 500 << Rect{0, 0, 0, 0};
    // A failed type choice falls back to type 0, at the frame's top-left corner.
    QTest::newRow("custom size: type 0 instead")
        << false << Setup::Loaded << "custom" << 250 << Rect{0, 0, 250, 300};
    QTest::newRow("Original asking the custom size again: still back at the photo")
        << true << Setup::Made << "original" << 250 << Rect{0, 0, 250, 300};
}

// A dialog that fails is swallowed; the handler's closing steps still run.
void MainFormPipelineTest::dialogErrorsAreSwallowed()
{
    QFETCH(bool, custom);
    QFETCH(Setup, setup);
    QFETCH(QString, action);
    QFETCH(int, width);
    QFETCH(Rect, frame);
    Window window;
    TMainForm& form = window.form;
    form.OpenPhotoFile(testDataPath(kPortrait));
    const QImage original = pixels(form.WorkBitmap);
    form.TypeClick(3);
    if (custom) {
        window.driver = [](QDialog& dialog) {
            auto* canvas = qobject_cast<TDefineCanvasForm*>(&dialog);
            if (!canvas)
                return int(QDialog::Rejected);
            canvas->edtWidth->setText(QStringLiteral("300"));
            canvas->edtHeight->setText(QStringLiteral("400"));
            canvas->btnOKClick();
            return canvas->result();
        };
        form.TypeClick(4);
        QCOMPARE(form.PhotoType.TargetWidth, 300);
    }
    if (setup == Setup::Cut)
        form.CutPhoto();
    if (setup == Setup::Made)
        form.MakeSheet();
    QCOMPARE(int(form.stage()), int(setup));
    const QImage before = pixels(form.WorkBitmap);
    window.driver = [](QDialog&) -> int { throw std::runtime_error("the dialog failed"); };

    if (action == "effect")
        click(form.imgEffects[1]);
    else if (action == "custom")
        click(form.imgType[4]);
    else
        click(form.imgDefaultUP[1]);

    QCOMPARE(window.dialogsShown.size(), custom ? 2 : 1);
    QCOMPARE(form.PhotoType.TargetWidth, width);
    QCOMPARE(form.CropRect, frame);
    QVERIFY(!QApplication::overrideCursor());
    QVERIFY(form.pnlWaitInfo->isHidden());
    if (action != "original") {
        QCOMPARE(int(form.stage()), int(setup));
        QCOMPARE(pixels(form.WorkBitmap), before);
        return;
    }
    QCOMPARE(form.stage(), Stage::Loaded);
    QCOMPARE(form.ZoomPercent, 98);
    QCOMPARE(pixels(form.WorkBitmap), original);
}

REGISTER_TEST(MainFormPipelineTest);
#include "tst_MainFormPipeline.moc"
