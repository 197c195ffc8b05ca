#include "app/StageRules.h"

namespace {

StageOutcome run()
{
    return {true, {}, FlashTarget::None};
}
StageOutcome ignore()
{
    return {};
}
StageOutcome flash(FlashTarget target)
{
    return {false, {}, target};
}
StageOutcome refuse(const QString& message, FlashTarget target = FlashTarget::None)
{
    return {false, message, target};
}

const QString kPhotoTypeLocked =
    QStringLiteral("\"사진종류를 다시 선택\" 하려면 \"원본버튼\"을 클릭하십시오.");
const QString kRotateLocked = QStringLiteral("\"원본에서만 사진을 회전할 수 있습니다.");
const QString kCutFirst = QStringLiteral("먼저 \"자르기\"를 하십시오.");
const QString kEditAfterMake = QStringLiteral("\"만들기\"를 한 후에는 \"편집\"을 할 수 없습니다.");
const QString kNothingMade = QStringLiteral("만든 사진이 없습니다.");
const QString kNothingToSave = QStringLiteral("저장할 이미지가 존재하지 않습니다.");

// Actions that need something already made, and refuse with the same words before.
StageOutcome needsSheet(Stage stage)
{
    switch (stage) {
    case Stage::Empty:
        return flash(FlashTarget::Open);
    case Stage::Loaded:
    case Stage::Cut:
        return refuse(kNothingMade);
    case Stage::Made:
        return run();
    }
    return ignore();
}

} // namespace

Stage stageOf(bool photoLoaded, bool cutDone, bool sheetMade)
{
    if (!photoLoaded)
        return Stage::Empty;
    if (sheetMade)
        return Stage::Made;
    return cutDone ? Stage::Cut : Stage::Loaded;
}

StageOutcome stageOutcome(StageAction action, Stage stage)
{
    const bool empty = stage == Stage::Empty;
    const bool loaded = stage == Stage::Loaded;
    switch (action) {
    case StageAction::Open:
    case StageAction::Camera:
        return run();
    case StageAction::Original:
        return empty ? flash(FlashTarget::Open) : run();
    case StageAction::CutImage:
        // Once cut, the photo is not cut again, even if a type click brought a frame back.
        if (empty)
            return flash(FlashTarget::Open);
        return loaded ? run() : ignore();
    case StageAction::PhotoType:
        return empty || loaded ? run() : refuse(kPhotoTypeLocked, FlashTarget::Original);
    case StageAction::FaceFit:
        // Places the frame, so it is locked after a cut like the type buttons.
        if (empty)
            return flash(FlashTarget::Open);
        return loaded ? run() : refuse(kPhotoTypeLocked, FlashTarget::Original);
    case StageAction::CropDrag:
        return loaded ? run() : ignore();
    case StageAction::Rotate:
        if (empty)
            return ignore();
        return loaded ? run() : refuse(kRotateLocked, FlashTarget::Original);
    case StageAction::Effect:
        if (stage == Stage::Made)
            return refuse(kEditAfterMake);
        if (loaded)
            return refuse(kCutFirst, FlashTarget::Cut);
        return empty ? ignore() : run();
    case StageAction::Make:
        if (empty)
            return flash(FlashTarget::Open);
        return stage == Stage::Made ? ignore() : run();
    case StageAction::Print:
    case StageAction::Order:
        return needsSheet(stage);
    case StageAction::Save:
        return empty ? refuse(kNothingToSave) : run();
    }
    return ignore();
}
