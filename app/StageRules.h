#pragma once

#include <QString>

// Where the document is in the workflow; follows from WorkBitmap and the two flags.
enum class Stage { Empty, Loaded, Cut, Made };

Stage stageOf(bool photoLoaded, bool cutDone, bool sheetMade);

// Main-window actions whose availability depends on the stage.
enum class StageAction {
    Open,
    Camera,
    Original,
    PhotoType,
    CropDrag,
    Rotate,
    CutImage,
    Effect,
    Make,
    Print,
    Order,
    Save,
    FaceFit,
};

// The top-button highlight pointed at when an action is refused; the value is the
// button's number (imgDefaultUP_<n>).
enum class FlashTarget { None = -1, Open = 0, Original = 1, Cut = 2 };

// What the window does for an action: run it, or refuse it silently, with a message,
// with a blinking button, or both.
struct StageOutcome {
    bool run = false;
    QString message;
    FlashTarget flash = FlashTarget::None;

    friend bool operator==(const StageOutcome&, const StageOutcome&) = default;
};

StageOutcome stageOutcome(StageAction action, Stage stage);
