#pragma once

#include <QRect>
#include <QSize>
#include <QString>

// Where the main window's controls stand, how large they are and what their hints say.
// Every place is in the window's client pixels unless it says otherwise; n is the
// control's number (its Tag).
namespace main_layout {

inline constexpr QSize kWindowSize(904, 700);

enum TopButtonNumber {
    kOpen = 0,
    kOriginal = 1,
    kCut = 2,
    kMake = 3,
    kOrder = 4,
    kPrint = 5,
    kSave = 6,
    kAbout = 7,
    kCamera = 8
};
inline constexpr int kTopButtonCount = 9;
QRect topButtonPlace(int n);
QRect topHighlightPlace(int n);
QString topHighlightHint(int n);

inline constexpr int kEffectCount = 6;
QRect effectPlace(int n);
QString effectHighlightHint(int n);

enum ViewButtonNumber { kActualSize = 0, kFit = 1, kRotate = 2 };
inline constexpr int kViewButtonCount = 3;
QRect viewButtonPlace(int n);
QRect viewHighlightPlace(int n);
QString viewButtonHint(int n);
QString viewHighlightHint(int n);

inline constexpr int kWindowButtonCount = 2; // minimise, close
QRect windowButtonPlace(int n);
QString windowHighlightHint(int n);

// The normal and the selected button of photo type n share their place.
QRect photoTypePlace(int n);

// The face-fit button under the type buttons, and its readout at the workspace's top
// right, under the type label (in the workspace panel's pixels, right-aligned there).
inline constexpr QRect kFaceFitButton(16, 300, 147, 31);
QString faceFitHint();
inline constexpr int kFaceReadoutRight = 715;
inline constexpr int kFaceReadoutTop = 6;
inline constexpr int kFaceReadoutMaxWidth = 560;

enum FlowChartNumber {
    kHelpOpen = 0,
    kHelpCut = 1,
    kHelpEffects = 2,
    kHelpMake = 3,
    kHelpPrint = 4,
    kHelpType = 5
};
inline constexpr int kFlowChartCount = 6;
QRect flowChartPlace(int n);
QString flowChartHint(int n);

// The zoom strip.
inline constexpr QRect kGauge(437, 81, 271, 18);
// 19 high, so that the edit and the up-down stay inside the zoom strip of the
// background, whose bottom line is row 100.
inline constexpr QRect kZoomEdit(708, 81, 33, 19);
inline constexpr QRect kZoomUpDown(741, 81, 16, 19);
// The type label, inside the navy box the background draws at (758, 77), 135 × 24, which
// ends in line with the workspace panel.
inline constexpr QRect kTypeLabel(761, 77, 128, 24);

// The workspace: its framed panel, and inside the panel the scrolling view, the intro
// panel with its picture (inside the intro panel) and the wait panel.
inline constexpr QRect kWorkPanel(170, 114, 723, 513);
inline constexpr QRect kScrollView(1, 1, 721, 511);
inline constexpr QRect kIntroPanel(3, 3, 717, 507);
inline constexpr QRect kIntroPicture(149, 128, 419, 250);
inline constexpr QRect kWaitPanel(256, 243, 209, 25);

// The links to the print service's pages: the online-print badge of the background, and
// the service site's badge at the end of the workflow strip.
inline constexpr QRect kPicturePrintLink(827, 41, 62, 20);
inline constexpr QRect kServiceSiteLink(723, 656, 166, 20);

} // namespace main_layout
