// The design editor: the widget in which one label document is designed.
//
// It holds two rulers, a scroll box carrying the design surface (TKXBackLab) and two margin
// strips, and owns what is the editor's and not the document's: the zoom and the mapping
// between label units (1/100 mm) and surface pixels, the drawing tool and its cursor, the
// selection, the three paint layers and the settings objects. The document reaches it
// through kx::TKXCustomEditor (its upward interface); the application through the members
// below and the events.
//
// Paint layers. The back layer (the label's background, in surface pixels) and the
// elements layer (grid, frame, alignment lines and every unselected element, in label
// units) are pixel caches at the surface's size; the selection layer holds the selected
// elements with their frames and handles. Each is drawn again only when stale: the
// background when the label's back surface needs painting, the others when FPaintEle or
// FPaintSel is set. A drag of the selection therefore redraws only the selection layer.
//
// Update protocol: nothing is drawn while FDraw is false (between BeginUpdate and
// EndUpdate, inside RecalcZoom); the flags stay set until the next repaint with FDraw true.
#pragma once

#include "core/KXTypes.h"
#include "document/KXDesignerServices.h"
#include "editor/KXEditorSettings.h"

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

namespace kx {
class TKXCustomLab;
class TKXElement;
class TKXLine;
class TKXRect;
class TKXQtCanvas;
} // namespace kx

namespace kx::designer {

class TKXBackLab;
class TKXTopRuler;
class TKXLeftRuler;
class TKXMargin;

class TKXCustomEditor : public QWidget, public kx::TKXCustomEditor, public TObject {
public:
    // --- Lifecycle -------------------------------------------------------------------------
    explicit TKXCustomEditor(QWidget *Parent = nullptr);
    ~TKXCustomEditor() override;
    TKXCustomEditor(const TKXCustomEditor &) = delete;
    TKXCustomEditor &operator=(const TKXCustomEditor &) = delete;

    // The label shown (not owned). Null or the linked label is ignored; linking sets the
    // label's Editor and gives its alignment lines to the rulers.
    kx::TKXCustomLab *Zantor() const { return Label(); }
    void SetZantor(kx::TKXCustomLab *Value);
    // The label is going away: painting stops for good and the label is forgotten.
    void LabelRemoved();
    void SetInspector(TKXBaseInspector *Value);
    // RecalcZoom, then all layers stale (after the label properties dialog's Cancel).
    void AdjustLabel();
    void ShowElementProp();

    // --- Upward interface (what the document calls) ------------------------------------------
    void BeginUpdate() override;
    void EndUpdate(bool Inspect = false) override;
    void UpdateEditor(bool Inspect) override;
    void RefreshView(bool Inspect, const QString &PropName) override;
    void RecalcZoom(bool ResetScroll) override;
    int32_t GetViewWidth() const override;
    int32_t GetViewHeight() const override;
    double ZoomFactor() const override { return F; }
    int32_t GetSelectedCount() const override { return int32_t(ElementsSelected.size()); }
    TKXElement *GetSelect() const override;
    TKXElement *GetSelected(int32_t SelectNo) const override;
    void SetSelect(TKXElement *Value) override;
    void ClearSelection() override;
    bool DeleteFromSelection(TKXElement *AElement) override;
    void DrawSelectionFrame(bool IsSelected, bool DataBound, TKXSelType SelType, uint16_t Angle,
                            const TRect &Frame, const TRect &Border, bool CrossOut) override;
    TKXCanvas *LabCanvas() override { return FLabCanvas; }
    void BuildGuideLines() override;

    // --- Selection ---------------------------------------------------------------------------
    // Appends an element to the selection (nothing when it is selected already).
    void AddToSelection(TKXElement *AElement);
    // The selected layout (or the layout of a selected column or row item); null otherwise.
    TKXElement *SelectLayout() const { return FSelectLayout; }
    // In the order the elements were selected.
    std::vector<TKXElement *> ElementsSelected;

    // --- Deleting, stacking order and arrangement (KXEditorArrange.cpp) ----------------------
    // Each command that changes elements is one undo step and marks the label modified; a
    // command without a label or with too few selected elements does nothing.
    // Deletes the selected elements (one undo step that puts them back in their places).
    void DeleteSelection();
    // The first selected element to the front (index 0) or the back of the stacking order.
    void SelecBringToFront();
    void SelecSendToBack();
    // Aligns the selection's frames to the label's guide lines (epLeft .. epBottom) or to the
    // first selected element's edge (epFirstLeft .. epFirstBottom; that one stays).
    void AlignPos(TKXAlignPos AlgPos);
    // Centres one element on the label, several on the mean of their centres; sizes kept.
    void CenterPosHorz();
    void CenterPosVert();
    // Three or more: the outer elements stay and the gaps between neighbours become equal.
    void SpaceVertical();
    void SpaceHorizontal();
    // Two or more: each element after the first (by position) starts Gap (current units)
    // after the start of the one before it.
    void SpaceVertical(float Gap);
    void SpaceHorizontal(float Gap);
    // Lines, rectangles, pictures, paragraphs, tables and layouts get the width (height) of
    // the first of them that has one; other kinds keep their size.
    void SameWidth();
    void SameHeight();

    // --- Internal clipboard (KXEditorClipboard.cpp) ------------------------------------------
    // A private copy of element records; it outlives the label it came from, so it can be
    // pasted into the next label shown.
    void CopySelection();
    // Copy, then delete the selection; a cut is pasted back at its own place.
    void CutSelection();
    // Something to paste.
    bool ElementsCopied() const { return !FTempStream.empty(); }
    void EmptyCopied();
    // New elements from the copy, at the back of the stacking order, with new names; each
    // paste is one undo step. Without a point they land 2 mm (0.1 inch) from the copied
    // ones, else their top-left corner goes to (X, Y), pixels at 100 % zoom.
    void PasteSelection();
    void PasteSelection(int32_t X, int32_t Y);

    // --- Hit tests and drag support for the surface (surface pixels) ---------------------------
    // The front-most element under Point: selected alone, or with Shift added to (or taken
    // from) the selection. False when nothing is there (the selection is unchanged).
    bool SelectAt(TPoint Point, Qt::KeyboardModifiers Shift);
    bool PointInSelection(TPoint Point) const;
    // Selects the elements whose border lies inside Rect (Contain) or touches it.
    bool SelectInRect(const TRect &Rect, bool Contain);
    // The field of the front-most data element under Point; false when it is not bound.
    bool FieldNameAt(TPoint Point, QString &FieldName) const;
    // Point on the nearest grid point when snapping to the grid; Point itself otherwise.
    TPoint SnapToGrid(TPoint Point) const;
    // Remembers each selected element's border when a drag starts ...
    void SaveSelectionBorders();
    // ... and counts the ones whose border changed when it ends.
    int32_t CountChangedBorders();

    // --- Reference-line tools and layout dividers ------------------------------------------------
    // Whether Point lies on a row or column divider of the selected layout, inside the
    // layout; Index is the 0-based divider (column or row item).
    bool HitLayoutDivider(TPoint Point, bool &IsColumn, int32_t &Index) const;

    // The extend, trim and join tools adjust horizontal and vertical lines against a
    // reference: a line (all three tools) or a rectangle (extend and trim). SetDrawTool
    // starts them waiting for the reference (Action acSelRefLineOrRect or acSelRefLine);
    // once one is chosen (acSelLineToAdjust) every further line clicked is adjusted to it
    // until the tool changes. Lines are P1-P2 in label units, P1 the left (top) end.
    //
    // Answers of ExtendLine and TrimLine.
    enum TRefLineResult : int32_t {
        rlAdjusted = 0,          // adjusted, or it already reached the reference
        rlBothVertical = 1,      // the line and the reference line are both vertical
        rlNotPerpendicular = 3,  // a line is neither horizontal nor vertical, or both are
                                 // horizontal
        rlBeyondReference = 4,   // extend to a line: the line is not within its length
        rlCrossesReference = 5,  // extend to a horizontal line: it already crosses the line
        rlOutsideRect = 6,       // the line is outside the rectangle's span across it
        rlNotCut = 7,            // trim: the reference does not cut the line
        rlNoReference = -1,      // no reference of that kind is chosen, or no line given
    };
    // Lengthens Line to the reference line (ToLine) or to the nearest edge of the reference
    // rectangle it has not reached yet (to both edges when it lies inside).
    int32_t ExtendLine(kx::TKXLine *Line, bool ToLine);
    // Cuts Line at the reference line, dropping the part on the side of RefPoint2, or clips
    // it to the reference rectangle.
    int32_t TrimLine(kx::TKXLine *Line, bool ToLine);
    // Makes Line and the perpendicular reference line meet in a corner: each grows to the
    // other or, when crossed, keeps the part that was clicked (RefPoint1 on the reference,
    // RefPoint2 on Line). One undo step for both lines.
    bool JoinLines(kx::TKXLine *Line);
    // Forgets the reference (the elements get their own selection kind back), empties the
    // reference list and the label's reference markers. The action is left as it is.
    void ClearRefLines();
    // Chooses the reference line (with the selection kind of the current tool) or the
    // reference rectangle and goes on to acSelLineToAdjust; false (nothing changes) when the
    // tool is not a reference-line tool, or a rectangle for the join tool.
    bool SetRefLine(kx::TKXLine *Line);
    bool SetRefRect(kx::TKXRect *Rect);
    // The chosen references; null when none or when the element is gone from the label.
    kx::TKXLine *RefLine() const;
    kx::TKXRect *RefRect() const;
    // Where the reference line and the line to adjust were clicked, label units.
    TPoint RefPoint1() const { return FRefPoint1; }
    TPoint RefPoint2() const { return FRefPoint2; }
    void SetRefPoint1(TPoint Value) { FRefPoint1 = Value; }
    void SetRefPoint2(TPoint Value) { FRefPoint2 = Value; }
    bool HasRefLines() const { return !FRefLines.empty(); }
    // The right button's step of the reference-line tools: a chosen reference is dropped and
    // the tool waits for a new one.
    void RightClickRefStep();

    // --- Mouse editing on the surface ------------------------------------------------------------
    // Hovering over a data-bound element shows its field name as the surface's hint.
    bool ShowHint = false;

    // --- Zoom and coordinates ----------------------------------------------------------------
    TKXZoom Zoom() const { return FZoom; }
    void SetZoom(TKXZoom Value);
    void ZoomIn();
    void ZoomOut();
    // Surface pixels to current units.
    float WorldX(int32_t xs) const;
    float WorldY(int32_t ys) const;
    // Screen resolution (read once at creation).
    int32_t DPIX = 96;
    int32_t DPIY = 96;
    // For tests on screens of another resolution; does not recalculate.
    void SetScreenDpi(int32_t X, int32_t Y);

    // --- Drawing tool --------------------------------------------------------------------------
    TKXDrawTool DrawTool() const { return FDrawTool; }
    void SetDrawTool(TKXDrawTool Value);
    TKXAction Action() const { return FAction; }
    void SetAction(TKXAction Value) { FAction = Value; }
    // Cursor slot of the current tool.
    int16_t CurrentCursor() const { return FCurrentCursor; }
    bool AllowEdit() const { return FAllowEdit; }
    void SetAllowEdit(bool Value);

    // --- Insertion with the drawing tools --------------------------------------------------------
    // The selection tool is back after an insertion: the tool alone, without SetDrawTool's
    // event and reset of the reference-line state (the surface reports the change itself).
    void ReturnToSelectionTool()
    {
        FDrawTool = TKXDrawTool::dwSelection;
        FCurrentCursor = 0;
    }

    // --- Properties ----------------------------------------------------------------------------
    // Colour of the scroll box and the margin strips.
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    void SetSelColor(TColor Value);
    TColor SelMultiColor() const { return FSelMultiColor; }
    void SetSelMultiColor(TColor Value) { FSelMultiColor = Value; }
    void SetShowMarks(bool Value);
    void SetMarkColor(TColor Value);
    bool ShowLines() const { return FShowLines; }
    void SetShowLines(bool Value) { FShowLines = Value; }
    TKXSelectStyle SelectStyle() const { return FSelectStyle; }
    void SetSelectStyle(TKXSelectStyle Value) { FSelectStyle = Value; }
    TKXLineMove LineMove() const { return FLineMove; }
    void SetLineMove(TKXLineMove Value) { FLineMove = Value; }
    bool ShowEditorAfterInsert = true;
    bool ShowEditorDblClick = true;
    bool SelectionAfterInsert = false;
    bool ResizeAspect() const { return FResizeAspect; }

    TKXRulers &RulerSettings() { return *FRulers; }
    TKXGrid &GridSettings() { return *FGrid; }
    TKXInsertImage &InsertImage() { return *FInsertImage; }

    // --- Children ------------------------------------------------------------------------------
    TKXBackLab *BackLab() const { return FBackLab; }
    TKXBaseScroll *Scroll() const { return FScroll; }
    TKXTopRuler *TopRuler() const { return FTopRuler; }
    TKXLeftRuler *LeftRuler() const { return FLeftRuler; }
    TKXMargin *BotMargin() const { return FBotMargin; }
    TKXMargin *RightMargin() const { return FRightMargin; }
    // Places the rulers and the scroll box after a change of the rulers' thickness.
    void LayoutChildren();

    // --- Paint layers --------------------------------------------------------------------------
    // Brings the stale layers up to date; nothing while FDraw is false or without a label.
    // The selection layer, drawn again at every frame of a drag, covers only the part of the
    // surface that is visible (SelLayerRect); it is drawn again when that part changes.
    void RenderLayers();
    // The part of the surface shown in the scroll box, surface pixels; never empty while the
    // surface has a size (at least one pixel of it).
    QRect VisibleRect() const;
    // The part of the surface the selection layer covers (as of its last drawing).
    QRect SelLayerRect() const { return FSelRect; }
    // The grid on the elements layer (label units).
    void PaintGrid(TKXQtCanvas &Canvas);
    void FreeBackLayer() { FBackLayer = QImage(); }
    void FreeEleLayer() { FEleLayer = QImage(); }
    void FreeSelLayer()
    {
        FSelLayer = QImage();
        FSelRect = QRect();
    }
    const QImage &BackLayer() const { return FBackLayer; }
    const QImage &EleLayer() const { return FEleLayer; }
    const QImage &SelLayer() const { return FSelLayer; }
    // How often each layer was drawn: a test sees what a change made stale.
    struct TLayerRenders {
        int Back = 0;
        int Ele = 0;
        int Sel = 0;
    };
    const TLayerRenders &LayerRenders() const { return FRenders; }
    // Serial of the back and elements layers: changes whenever either is drawn again.
    uint64_t BaseLayersSerial() const { return FBaseSerial; }

    // --- Keyboard ------------------------------------------------------------------------------
    // Ctrl + arrow moves the selection one grid step; Shift + arrow widens or narrows it at
    // its right or bottom edge. One undo step for the whole selection.
    void KeyDown(int Key, Qt::KeyboardModifiers Shift);

    // --- Events --------------------------------------------------------------------------------
    TKXChangeDrawTool OnChangeDrawTool;
    std::function<void(TObject *Sender)> OnSelect;
    std::function<void(TObject *Sender)> OnSelectChange;
    TZantorMouseDown OnLabelMouseDown;
    TZantorMouseDown OnLabelMouseUp;
    TZantorMouseMove OnLabelMouseMove;
    TKXRightClickEvent OnRightMouse;
    std::function<void(TObject *Sender, TKXElement *ElementInserted)> OnBeforeInsert;

protected:
    void keyPressEvent(QKeyEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;

private:
    friend class TKXRulers;
    friend class TKXGrid;
    void SelectionMoved();
    void UnselectAll();
    void UpdateRulerSelection();
    // The frame of Element on the rulers (current units).
    void GiveRulersFrame(const TKXElement *Element);
    void SetSelectLayoutFor(TKXElement *Element);
    void ScrollMoved(bool Horizontal);

    double F = 1.0; // zoom factor, 1.0 = 100 %
    TKXZoom FZoom = TKXZoom::zm100;
    TKXDrawTool FDrawTool = TKXDrawTool::dwSelection;
    TKXAction FAction = TKXAction::acNone;
    TKXLineMove FLineMove = TKXLineMove::lmNone;
    TKXSelectStyle FSelectStyle = TKXSelectStyle::ssRect;
    bool FAllowEdit = true;
    bool FShowLines = false;
    bool FResizeAspect = false;
    TColor FColor = 0xF0F0F0; // button face
    TColor FSelMultiColor = 0x808080;
    int16_t FCurrentCursor = 0;
    TKXElement *FSelectLayout = nullptr;
    // The copy stream: Int32 count, then that many element records (type byte first).
    TBytesArray FTempStream;
    bool FCutEle = false; // the copy stream came from a cut
    // One axis of the arrangement commands (Horizontal: X1, X2; else Y1, Y2).
    void CenterPos(bool Horizontal);
    std::vector<TKXElement *> RecordedByPosition(bool Horizontal);
    void SpaceEvenly(bool Horizontal);
    void SpaceByGap(bool Horizontal, float Gap);
    void SameSize(bool Horizontal);

    // The reference-line tools' state: the chosen references (by element and its serial, so
    // that one removed from the label is never used) and the click points.
    struct TRefElement {
        TKXElement *Element = nullptr;
        uint64_t Serial = 0;
    };
    TKXElement *LiveRef(const TRefElement &Ref) const;
    // Drops the reference; the tool waits for a new one.
    void RestartRefTool();
    TRefElement FRefLine;
    TRefElement FRefRect;
    std::vector<TRefElement> FRefLines;
    TPoint FRefPoint1;
    TPoint FRefPoint2;

    std::unique_ptr<TKXRulers> FRulers;
    std::unique_ptr<TKXGrid> FGrid;
    std::unique_ptr<TKXInsertImage> FInsertImage;
    TKXTopRuler *FTopRuler = nullptr;    // children, owned by the widget tree
    TKXLeftRuler *FLeftRuler = nullptr;
    TKXBaseScroll *FScroll = nullptr;
    QWidget *FScrollContent = nullptr;
    TKXBackLab *FBackLab = nullptr;
    TKXMargin *FBotMargin = nullptr;
    TKXMargin *FRightMargin = nullptr;

    TKXCanvas *FLabCanvas = nullptr; // the layer canvas being drawn
    QImage FBackLayer;
    QImage FEleLayer;
    QImage FSelLayer; // FSelRect's size, reused from frame to frame
    QRect FSelRect;
    TLayerRenders FRenders;
    uint64_t FBaseSerial = 0;
    bool FCreating = true;
};

// The editor placed on the main window.
class TKXEditor : public TKXCustomEditor {
public:
    explicit TKXEditor(QWidget *Parent = nullptr) : TKXCustomEditor(Parent) {}

    // The editor properties dialog over this editor, modal; its changes show at once.
    void ShowProp();
};

} // namespace kx::designer
