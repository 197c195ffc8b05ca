#pragma once

#include "app/CropFrameTool.h"
#include "app/FaceFitTool.h"
#include "app/PhotoCutter.h"
#include "app/PhotoType.h"
#include "app/StageRules.h"
#include "app/WorkspaceGeometry.h"
#include "app/WorkspacePyramid.h"
#include "common/Rect.h"
#include "ordering/OrderSettings.h"
#include "raster/RasterBitmap.h"

#include <QPoint>
#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <vector>

class QAction;
class QDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QSlider;
class SkinImage;
class TTransDataForm;
class UpDownButton;
class WaitPanel;
class WindowDragger;
class WorkspaceScrollView;
struct DialogHost;

// The main window: the skinned, borderless window that carries one photo through the
// workflow (open, choose the type and frame it, cut, edit, make the sheet, print, save
// or order). It owns the document; the geometry and the rules it follows live in plain
// functions beside it.
class TMainForm : public QWidget {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // The document. WorkBitmap is allocated exactly when a photo is loaded.
    RasterBitmap OriginalBitmap;
    RasterBitmap WorkBitmap;
    RasterBitmap CutBitmap;
    Rect CropRect; // photo pixels; (0, 0, 0, 0) means no frame
    PhotoTypeState PhotoType;
    int ZoomPercent = 0;
    bool CutDone = false;
    bool SheetMade = false;
    bool Dragging = false;
    int ActiveGrip = 0;
    QPoint DragPoint;
    QString SessionNumber;
    QString SendResultUrl;
    QString OrderPageUrl;
    QString MakeDirUrl;

    // Controls, named as in the window's layout; each number is the control's Tag.
    QLabel* imgBack = nullptr;
    std::array<SkinImage*, 9> imgDefault{};
    std::array<SkinImage*, 9> imgDefaultUP{};
    std::array<SkinImage*, 6> imgEffects{};
    std::array<SkinImage*, 6> imgEffectsUP{};
    std::array<SkinImage*, 3> imgViewSize{};
    std::array<SkinImage*, 3> imgViewSizeUP{};
    std::array<SkinImage*, 2> imgWindowStatus{};
    std::array<SkinImage*, 2> imgWindowStatusUP{};
    std::array<SkinImage*, kPhotoTypeCount> imgType{};
    std::array<SkinImage*, kPhotoTypeCount> ImgSorvel{};
    std::array<SkinImage*, 6> imgFlowChart{};
    QSlider* Gauge = nullptr;
    QLineEdit* edtValue = nullptr;
    UpDownButton* UpDownValue = nullptr;
    QLabel* lblInfoSelectType = nullptr;
    QFrame* pnlWorkMainPanel = nullptr;
    WorkspaceScrollView* ScrollView = nullptr;
    QFrame* pnlIntroWindow = nullptr;
    QLabel* imgIntroWindow = nullptr;
    WaitPanel* pnlWaitInfo = nullptr;
    QAction* actCutImage = nullptr;
    QAction* actMakeImage = nullptr;
    QAction* actRotateImage = nullptr;
    // The face fit: its button under the type buttons and its readout on the workspace.
    SkinImage* imgFaceFit = nullptr;
    QLabel* lblFaceReadout = nullptr;
    // The upload window of the print orders, hidden in the workspace panel between orders.
    TTransDataForm* TransDataForm = nullptr;
    // The two links to the print service's pages.
    SkinImage* imgGoPicPrint = nullptr;
    SkinImage* imgGoNuvAlbum = nullptr;

    Stage stage() const;
    // Applies the stage rule of an action: shows its message and blinks its button
    // when refused. Returns whether the action may run.
    bool stageAllows(StageAction action);

    // Blinks a highlight image three times to point the user at a button.
    void FlashButton(QWidget* image);
    void ShowWaitPanel(bool visible);

    // Open: asks for a file, then OpenPhotoFile.
    void OpenClick();
    // What Open does with the chosen name: hide the intro, load the file if it
    // exists, fit, clear the flags, re-apply a fixed photo type. A file that exists but
    // cannot be read stops after the load's message.
    void OpenPhotoFile(const QString& fileName);
    // Replaces the photo with the file's. When the file cannot be read, says so and keeps
    // the current photo and everything about it; returns whether the photo was replaced.
    bool LoadPhotoFile(const QString& fileName);
    // Camera: the camera dialog; on OK its frame is the new photo (WorkBitmap and
    // OriginalBitmap), and the window goes on as after opening a file. Cancel leaves
    // the document as it was.
    void CameraClick();
    // What follows a photo the camera dialog put in place: the intro hidden, the zoom
    // fitted, both flags cleared and a fixed photo type applied again.
    void CameraPhotoTaken();
    void RestoreOriginal();

    void FitZoom();
    void UpdateScrollRanges();
    QPoint CenteringOffset() const;
    void ImageToScreen(Rect& r) const;
    void ScreenToImage(Rect& r) const;
    void GaugeChange();
    void UpDownValueClick();
    void ActualSizeClick();
    void FitClick();

    // Cut: the framed area scaled to the type's size becomes WorkBitmap and CutBitmap.
    // A frame under 5 pixels is a silent no-op; one wholly outside the photo leaves the
    // photo as it is, with a message.
    void CutPhoto();
    // The cutting steps shared with Make; the document changes only when the cut is done.
    CutStatus CutCore();
    // Turns the loaded photo a quarter clockwise; refused once the photo is cut.
    void RotatePhoto();

    // Make: cuts first when needed, then puts the copies on the print sheet; when either
    // step fails the photo and its stage stay as they were.
    void MakeSheet();
    // sheet := the print sheet tiled with photo at the current type; false when it fails.
    bool ComposeSheet(const RasterBitmap& photo, RasterBitmap& sheet) const;

    // Print: the printer dialog, then the sheet at 152 × 102 mm.
    void PrintClick();
    // Order prints: the sheet goes to the print service and its order page opens. Ignored
    // while an order runs.
    void OrderClick();
    void imgGoPicPrintClick();
    void imgGoNuvAlbumClick();
    // Where the print service lives, read at start-up.
    const OrderSettings& orderSettings() const { return m_orderSettings; }
    // Save: the save dialog, then WorkBitmap in the chosen format.
    void SaveWorkBitmap();

    // The effect buttons (both images of each pair; index is the Tag).
    void SelectEffect(int index);
    void OpenSoftGlowDialog();
    void OpenToneDialog();
    void OpenColourDialog();
    void OpenTextDialog();
    void OpenFrameDialog();

    // Applies photo type 0 … 4 (4 asks for the size); falls back to type 0 on error.
    void SelectPhotoType(int index);
    // The type buttons: refused after a cut; a fixed type also moves the selection.
    void TypeClick(int index);
    void ClampCropOrigin();
    // Finds the face and fits the frame to it for the chosen type; says so when no face
    // is found, and then leaves the frame alone.
    void FaceFitClick();

    void HideClick();
    void QuitClick();
    void AboutClick();
    void FlowChartClick(int index);

    void ScrollViewPaint(QImage& canvas, const QRect& clip);
    void ScrollViewMouseDown(QPoint position);
    void ScrollViewMouseMove(QPoint position);
    void ScrollViewMouseUp(QPoint position);

    // The photo type whose selected button is visible (-1 when none is).
    int selectedPhotoType() const;
    // The current mapping between photo and workspace pixels.
    ViewMapping viewMapping() const;

    // Seams for tests: how the window sleeps while blinking, and how it runs a modal
    // dialog (returns the dialog's result).
    void setSleepFunction(std::function<void(int milliseconds)> sleep);
    void setModalRunner(std::function<int(QDialog&)> runner);
    int runModal(QDialog& dialog);
    // What the window's dialogs get from it: itself as owner, its modal runner and the
    // repaint of the workspace.
    DialogHost dialogHost();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void createControls();
    void createActions();
    void createTopButtons();
    void createSideButtons();
    void createZoomControls();
    void createWorkspace();
    void createWaitPanel();
    void createFlowChart();
    SkinImage* makeImage(const QString& name, int tag, const QRect& geometry,
                         const QString& hint = {});
    void connectHover(const std::vector<SkinImage*>& images, const std::vector<SkinImage*>& group);
    void showHighlight(const std::vector<SkinImage*>& group, int tag);
    void hideAllHighlights();
    void showSelectedType(int index);
    void askCustomSize();
    void updateTypeLabel();
    void flashTogether(const std::vector<SkinImage*>& images);
    void invalidateWorkspace();
    void hideIntro();
    // After WorkBitmap was replaced: the cached zoomed copies dropped, the scroll ranges
    // and the workspace brought up to date.
    void photoReplaced();
    // Fit, both flags cleared, a fixed photo type applied again (the custom one keeps
    // its frame).
    void continueWithNewPhoto();
    void finishCut(CutStatus status);
    // cut := the framed area at the type's size, without changing the document.
    CutStatus cutFramed(RasterBitmap& cut) const;
    // Makes cut the work bitmap and the copy button 0 returns to, and drops the frame.
    void commitCut(RasterBitmap cut);
    // Runs a long step under the wait panel and the hourglass, swallowing its errors;
    // both are taken down however the step ends.
    void runBusy(const std::function<void()>& step);
    void CreateUploadWindow();
    void createFaceFit();
    FaceFitTool::PhotoType faceFitType() const;
    void updateFaceReadout();
    // Saves the cut photo as the file online applications ask for; refused in other stages.
    void SaveSubmissionPhoto(const QString& fileName);
    void createServiceLinks();

    std::function<void(int)> m_sleep;
    std::function<int(QDialog&)> m_modalRunner;
    std::vector<std::vector<SkinImage*>> m_highlightGroups;
    WorkspacePyramid m_pyramid;
    CropFrameTool m_cropTool{{CropRect, Dragging, ActiveGrip, DragPoint}};
    WindowDragger* m_windowDragger = nullptr;
    FaceFitTool m_faceFit{sharedFaceDetector()};
    OrderSettings m_orderSettings;
};
