#include "MessageTextSupport.h"
#include "TestRegistry.h"

#include "app/StageRules.h"

#include <QTest>

// Readable failures for outcome comparisons.
char* toString(const StageOutcome& outcome)
{
    return QTest::toString(QStringLiteral("run=%1 flash=%2 message=%3")
                               .arg(outcome.run)
                               .arg(static_cast<int>(outcome.flash))
                               .arg(outcome.message));
}

class StageRulesTest : public QObject {
    Q_OBJECT
private slots:
    void stageFollowsPhotoAndFlags_data();
    void stageFollowsPhotoAndFlags();
    void actionOutcomes_data();
    void actionOutcomes();
};

void StageRulesTest::stageFollowsPhotoAndFlags_data()
{
    QTest::addColumn<bool>("loaded");
    QTest::addColumn<bool>("cutDone");
    QTest::addColumn<bool>("sheetMade");
    QTest::addColumn<Stage>("expected");
    QTest::newRow("no photo") << false << false << false << Stage::Empty;
    QTest::newRow("no photo, stale flags") << false << true << true << Stage::Empty;
    QTest::newRow("photo") << true << false << false << Stage::Loaded;
    QTest::newRow("cut") << true << true << false << Stage::Cut;
    QTest::newRow("made") << true << true << true << Stage::Made;
}

void StageRulesTest::stageFollowsPhotoAndFlags()
{
    QFETCH(bool, loaded);
    QFETCH(bool, cutDone);
    QFETCH(bool, sheetMade);
    QFETCH(Stage, expected);
    QCOMPARE(stageOf(loaded, cutDone, sheetMade), expected);
}

namespace {

using namespace message_text;

const StageOutcome kRun{true, {}, FlashTarget::None};
const StageOutcome kIgnore{};
const StageOutcome kFlashOpen{false, {}, FlashTarget::Open};

StageOutcome refused(const QString& text, FlashTarget flash = FlashTarget::None)
{
    return {false, text, flash};
}

} // namespace

void StageRulesTest::actionOutcomes_data()
{
    QTest::addColumn<StageAction>("action");
    QTest::addColumn<StageOutcome>("empty");
    QTest::addColumn<StageOutcome>("loaded");
    QTest::addColumn<StageOutcome>("cut");
    QTest::addColumn<StageOutcome>("made");

    const StageOutcome typeLocked = refused(kTypeLocked, FlashTarget::Original);
    const StageOutcome rotateLocked = refused(kRotateLocked, FlashTarget::Original);
    QTest::newRow("open") << StageAction::Open << kRun << kRun << kRun << kRun;
    QTest::newRow("camera") << StageAction::Camera << kRun << kRun << kRun << kRun;
    QTest::newRow("original") << StageAction::Original << kFlashOpen << kRun << kRun << kRun;
    QTest::newRow("photo type") << StageAction::PhotoType << kRun << kRun << typeLocked
                                << typeLocked;
    QTest::newRow("crop drag") << StageAction::CropDrag << kIgnore << kRun << kIgnore << kIgnore;
    QTest::newRow("rotate") << StageAction::Rotate << kIgnore << kRun << rotateLocked
                            << rotateLocked;
    // A cut photo is not cut again, even under a frame that a type click brought back.
    QTest::newRow("cut") << StageAction::CutImage << kFlashOpen << kRun << kIgnore << kIgnore;
    QTest::newRow("effect") << StageAction::Effect << kIgnore
                            << refused(kCutFirst, FlashTarget::Cut) << kRun
                            << refused(kEditAfterMake);
    QTest::newRow("make") << StageAction::Make << kFlashOpen << kRun << kRun << kIgnore;
    QTest::newRow("print") << StageAction::Print << kFlashOpen << refused(kNothingMade)
                           << refused(kNothingMade) << kRun;
    QTest::newRow("order") << StageAction::Order << kFlashOpen << refused(kNothingMade)
                           << refused(kNothingMade) << kRun;
    QTest::newRow("save") << StageAction::Save << refused(kNothingToSave) << kRun << kRun << kRun;
    QTest::newRow("face fit") << StageAction::FaceFit << kFlashOpen << kRun << typeLocked
                              << typeLocked;
}

void StageRulesTest::actionOutcomes()
{
    QFETCH(StageAction, action);
    QFETCH(StageOutcome, empty);
    QFETCH(StageOutcome, loaded);
    QFETCH(StageOutcome, cut);
    QFETCH(StageOutcome, made);
    QCOMPARE(stageOutcome(action, Stage::Empty), empty);
    QCOMPARE(stageOutcome(action, Stage::Loaded), loaded);
    QCOMPARE(stageOutcome(action, Stage::Cut), cut);
    QCOMPARE(stageOutcome(action, Stage::Made), made);
}

REGISTER_TEST(StageRulesTest);
#include "tst_StageRules.moc"
