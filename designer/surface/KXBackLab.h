// The design surface: the widget in the editor's scroll box on which the label is shown at
// the current zoom and edited with the mouse.
//
// Painting composes the editor's layers into an off-screen image (back, elements, the data
// marks of unselected elements, selection, then the handle and reference glyphs the label
// collected while the layers were drawn), copies it to the screen and draws the guide lines
// on top. The back screen without the selection is kept as well, so a frame of a drag only
// copies it and adds the selection: painting never walks the element list.
//
// Guide lines join a corner of the single selected element to a corner of another element
// whose edge lies on the same line: BuildGuideLines in label units for the resting
// selection, BuildMoveGuides at the pixels of the current zoom while it is dragged (which
// also finds the edges a drag snaps to when it ends).
//
// The hit rectangles of the handles (R1 .. R8, RP1, RP2), the drag rectangle and drag mode
// are kept here for the mouse interaction; all are surface pixels.
#pragma once

#include "core/KXTypes.h"
#include "document/KXUndoRecorder.h"

#include <QImage>
#include <QString>
#include <QWidget>

#include <array>
#include <vector>

class QPainter;

namespace kx {
class TKXElement;
}

namespace kx::designer {

class TKXCustomEditor;

class TKXBackLab : public QWidget {
public:
    // Number of glyphs and their order (the glyph numbers of the painter).
    static constexpr int GlyphCount = 12;

    explicit TKXBackLab(QWidget *Parent = nullptr);
    ~TKXBackLab() override;

    TKXCustomEditor *Editor() const { return FEditor; }
    void SetEditor(TKXCustomEditor *Value) { FEditor = Value; }

    // --- Painting ----------------------------------------------------------------------------
    // Brings the layers up to date and composes the off-screen image of the visible part of
    // the surface (everything but the guide lines, which are drawn on the widget). False
    // when painting is stopped.
    bool PaintBackScreen();
    // The off-screen image and where it lies on the surface (its top-left pixel). It covers
    // the visible part only, and is kept from frame to frame while that part keeps its size.
    const QImage &BackScreen() const { return FBackScreen; }
    QPoint BackScreenOrigin() const { return FBackOrigin; }
    // The surface's size changed (the editor's zoom recalculation): the images composed for
    // the old size are dropped.
    void SetBackScreenSize(int32_t W, int32_t H);
    const QImage &Glyph(int Index) const { return FImgHandles[size_t(Index)]; }
    // Draws a guide line in the editor's mark colour.
    void DrawGuideLine(QPainter &Painter, TPoint P1, TPoint P2, Qt::PenStyle PenStyle) const;

    // --- Guide lines -----------------------------------------------------------------------
    bool BuildGuideLines();
    bool BuildMoveGuides(const TRect &Rect);
    // Forgets handles, drag rectangle, markers and guide lines.
    void ClearMarks();
    // The editor's label goes: marks, a drag or band under way, the element last created and
    // the composed images are forgotten.
    void LabelRemoved();
    void ClearGuideLines()
    {
        RefLinesArray.clear();
        RefLinesMove.clear();
    }

    // --- State of the selection on the surface (pixels) ------------------------------------
    std::array<TRect, 8> R{}; // R1 .. R8: left, right, top, bottom, left-top, right-top,
                              // left-bottom, right-bottom handles
    TRect RP1;                // a selected line's end handles
    TRect RP2;
    TRect DragRect;           // border of the single selected element
    TKXDrag DragMod = TKXDrag::drgNone;
    TRect SelectRefPts;       // the selection's rectangle while guide lines are built
    TRect RefPts;             // the rectangle compared with it
    TRect ChkRefPts;          // label rectangle of the element that matched during a drag
    TRect ChkPts{-1, -1, -1, -1}; // edges a drag snaps to, label units; -1 = none
    std::vector<TRefPoints> RefLinesArray; // guide lines of the resting selection
    std::vector<TRefPoints> RefLinesMove;  // guide lines of the dragged selection

    // Cursor slot of the current tool.
    void SetCursorSlot(int16_t Slot);
    int16_t CursorSlot() const { return FCursorSlot; }

    // --- Mouse editing (surface pixels) ------------------------------------------------------
    // The three handlers; each does nothing while the editor does not allow editing.
    void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int32_t X, int32_t Y);
    void MouseMove(Qt::KeyboardModifiers Shift, int32_t X, int32_t Y);
    void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int32_t X, int32_t Y);
    void DblClick();
    // Asks for a picture file and places a new picture in Rect; null when cancelled.
    TKXElement *InsertPicture(const TRect &Rect);

    bool Drawing = false;  // a rubber band or a new shape is being drawn
    bool Drag = false;     // a handle, element or divider is being dragged
    bool Added = false;    // the current press or release created an element
    TKXDragType DragType = TKXDragType::dtMove;
    TPoint Org;            // start of the band; the fixed end of a line end drag
    TPoint MvPt;           // current end of the band or the drag
    TPoint DragOff;        // from the pressed point to the grabbed edge or corner
    TPoint MP;             // the pressed or released point, global screen coordinates
    int32_t X1 = 0;        // the snapped point of the last press or move
    int32_t Y1 = 0;
    int32_t OffX = 0;      // displacement of a move
    int32_t OffY = 0;
    int32_t colrow = 0;    // the grabbed layout divider
    bool iscolumn = false;
    int32_t minpos = 0;    // pixel limits of a divider drag (exclusive)
    int32_t maxpos = 0;
    int32_t gap = 0;       // a divider's displacement, label units
    TPoint M;              // the current mouse point
    TKXElement *El = nullptr; // the element created by the last release
    TRect NewRect;
    QString HintData;      // field name shown as the hint
    bool invrect = false;  // the last band was drawn leftwards or upwards

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *) override;
    void mouseMoveEvent(QMouseEvent *) override;
    void mouseReleaseEvent(QMouseEvent *) override;
    void mouseDoubleClickEvent(QMouseEvent *) override;

private:
    // The drawing tools (all but the selection): the press that creates an element or starts
    // a shape, the release that builds a drawn shape, the insertion steps, the band's shape.
    void ToolPress(Qt::KeyboardModifiers Shift, int32_t X, int32_t Y);
    void ToolRelease(const TRect &R, int32_t X, int32_t Y);
    void DrawRubberBand(QPainter &Painter, TPoint P1, TPoint P2, bool Dotted) const;
    // A click of the reference-line tools (extend, trim, join).
    void RefLineClick(Qt::KeyboardModifiers Shift, int32_t X, int32_t Y);

    // --- Insertion with the drawing tools (KXBackLabTools.cpp) ------------------------------
    // Selects an element a press created and opens its undo step; Announced: OnBeforeInsert
    // was raised for it already (a picture announces itself).
    void InsertPressed(TKXElement *Element, bool Announced);
    // The same for an element a release built (El).
    void InsertReleased(TKXElement *Element, bool Announced);
    // A drawn paragraph is inserted at once, its dialog opening before painting resumes.
    void InsertParagraph(TKXElement *Paragraph);
    // With the editor's SelectionAfterInsert, the selection tool is back after an insertion.
    void HandBackSelectionTool();

    // Appends the lines of tests a to d (see BuildGuideLines) for S against O to Lines; with
    // Snap, fills the free edges of ChkPts from Label (the other element in label units).
    void CompareEdges(const TRect &S, const TRect &O, bool Pixels, std::vector<TRefPoints> &Lines,
                      const TRect *Label);

    // --- Mouse editing with the selection tool (KXBackLabMouse.cpp) -------------------------
    void RightPress(int32_t X, int32_t Y);
    void SelectionPress(Qt::KeyboardModifiers Shift, int32_t X, int32_t Y);
    // A press on a handle, the selected line, a divider or the drag rectangle of the single
    // selected element starts its drag; false when the press grabbed nothing.
    bool GrabSingle(bool Shift, TPoint P);
    bool GrabDivider(bool IsColumn, int32_t Index, TPoint P);
    void StartDrag(TKXDragType Type, TPoint Off);
    void HoverFeedback(int32_t X, int32_t Y);
    void DragMove(int32_t X, int32_t Y);
    void MoveSelection();
    void ResizeSelection(TKXElement &Sel);
    // Puts the grabbed divider of the selected layout at pixel Pos.
    void PlaceDivider(int32_t Pos);
    void EndDrag();
    // The rulers show the frame of a single selected element.
    void ShowSelectionOnRulers();
    // Each element a drag may change, with its record as it was at the press: the drag's
    // undo step puts exactly that back. By serial number, so an element removed meanwhile is
    // simply passed over.
    struct TPressState {
        uint64_t Serial = 0;
        TBytesArray Record;
        TKXLayoutCell Cell; // its layout cell at the press
        bool Valid = false; // the record could be written
    };
    std::vector<TPressState> FPressStates;
    void TakePressState(TKXElement &Element);
    void DrawGlyph(QPainter &P, int Index, TPoint At, bool Centred) const;
    void ComposeBase();

    TKXCustomEditor *FEditor = nullptr;
    QImage FBackScreen; // the visible part, at FBackOrigin
    QPoint FBackOrigin;
    QSize FSurfaceSize; // as the editor's zoom gave it
    QImage FBaseScreen; // back + elements + their marks, the whole surface, as of FBaseSerial
    uint64_t FBaseSerial = ~uint64_t(0);
    std::array<QImage, GlyphCount> FImgHandles;
    int16_t FCursorSlot = 0;
};

} // namespace kx::designer
