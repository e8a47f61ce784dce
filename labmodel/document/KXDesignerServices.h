// What the label document and its elements need from the label designer, as abstract
// classes. The designer implements them; the document reaches the editor, its rulers and
// its inspector only through these. Without a linked editor the document and the elements
// work unchanged and simply skip every call.
//
// Screen values are pixels of the editor's design surface; label values are hundredths of a
// millimetre.
#pragma once

#include "core/KXTypes.h"

#include <QString>

#include <algorithm>
#include <cstdint>

namespace kx {

class TKXCanvas;
class TKXCustomLab;
class TKXElement;

// The property inspector, as the document sees it.
class TKXCustomEditor;

class TKXBaseInspector {
public:
    virtual ~TKXBaseInspector() = default;

    // The editor whose selection the inspector lists; the editor links itself when it is
    // given the inspector. Null when none.
    TKXCustomEditor *Editor() const { return FEditor; }
    void LinkEditor(TKXCustomEditor *Value) { FEditor = Value; }

    // Reads the captions again (from the translation file when there is one).
    virtual void LoadTranslation() {}

    // Lists the published properties of the editor's selection again and repaints.
    virtual void Inspect() = 0;
    // Re-reads one listed property (name compared without regard to case) from the first
    // selected element; an unknown name does nothing.
    virtual void RefreshProperty(const QString &PropName) = 0;
    // Repaints, e.g. to show lengths in a new unit.
    virtual void Invalidate() = 0;

private:
    TKXCustomEditor *FEditor = nullptr; // not owned
};

// The data ruler: selection extent and alignment guides, in the document's units.
class TKXDataRuler {
public:
    virtual ~TKXDataRuler() = default;

    // (0, 0, 0, 0) shows no extent.
    virtual void SetCoorSelect(float x1, float y1, float x2, float y2) = 0;
    virtual void PutAlignX(float Value, bool Notify) = 0;
    virtual void PutAlignY(float Value, bool Notify) = 0;
    virtual void SetUnits(TKXUnits Value) = 0;
};

class TKXRulers {
public:
    virtual ~TKXRulers() = default;

    virtual void SetShowAlign(bool Value) = 0;
    // May be null.
    virtual TKXDataRuler *DataRuler() = 0;
};

// The editor's grid; steps in hundredths of a millimetre.
struct TKXGrid {
    TColor Color = 0xC0C0C0;
    int32_t IncX = 100;
    int32_t IncY = 100;
    bool Show = false;

    // A step within the grid's limits for a label side: at most half the side and at least
    // 100 units, 100 winning over a smaller half side.
    static int32_t ClampStep(int32_t Step, int32_t Side) { return std::max(std::min(Step, Side / 2), 100); }
};

// The design editor linked to a document (the document's `Editor`).
class TKXCustomEditor {
public:
    // An editor that goes away takes itself off its document (the document's Editor
    // becomes null), so nothing is left pointing at it.
    virtual ~TKXCustomEditor();

    // The document is going away or leaving this editor: the editor forgets every element
    // of it (selection, selected layout, references) and stops painting it. Called while
    // the editor can still reach the document (Label() answers it); the document no
    // longer reaches the editor by then and unlinks right after.
    virtual void LabelRemoved() {}

    // --- Update bracket --------------------------------------------------------------
    // BeginUpdate clears FDraw and switches the document's undo recording off
    // (SetUnReIni(0)); EndUpdate sets FDraw, switches recording back on (SetUnReIni(1)) and
    // calls UpdateEditor(Inspect).
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate(bool Inspect = false) = 0;
    // The same as RefreshView(Inspect, empty name).
    virtual void UpdateEditor(bool Inspect) = 0;
    // Repaints from the layers; with Inspect the inspector lists the selection again,
    // otherwise it re-reads PropName when that is not empty.
    virtual void RefreshView(bool Inspect, const QString &PropName) = 0;
    // Recomputes the scale from the zoom setting and the label size; sets FZoomChanged.
    virtual void RecalcZoom(bool Flag) = 0;

    // --- Surface and conversions -----------------------------------------------------
    virtual int32_t GetViewWidth() const = 0;
    virtual int32_t GetViewHeight() const = 0;
    // The document shown, null when the editor has none; the conversions answer 0 then.
    // The link is kept by TKXCustomLab::SetEditor in both directions, and cleared on this
    // side when the document goes away.
    virtual TKXCustomLab *Label() const { return FLabel; }
    // Scale factor of the current zoom (1.0 at 100 %).
    virtual double ZoomFactor() const = 0;

    // Label units to surface pixels and back: Value x surface / label (or the inverse),
    // rounded to the nearest integer without intermediate overflow. 0 without a label and
    // whenever the divisor (a label or surface extent) is 0.
    int32_t LabelToScreenX(int32_t Value) const;
    int32_t LabelToScreenY(int32_t Value) const;
    int32_t ScreenToLabelX(int32_t Value) const;
    int32_t ScreenToLabelY(int32_t Value) const;
    // Pixels at 100 % zoom to label units: Round(Value x label x zoom / surface).
    int32_t UnzoomedToLabelX(int32_t Value) const;
    int32_t UnzoomedToLabelY(int32_t Value) const;
    // Moves Rect's left edge one pixel left when it lies at or beyond half the surface
    // width, and its top edge one pixel up likewise for the height.
    void AdjustLinePixel(TRect &Rect) const;

    // --- Selection -------------------------------------------------------------------
    virtual int32_t GetSelectedCount() const = 0;
    // First selected element, null when none.
    virtual TKXElement *GetSelect() const = 0;
    // 1-based; null outside 1 .. count.
    virtual TKXElement *GetSelected(int32_t SelectNo) const = 0;
    // Makes Element the only selected one; sets the document's Selected (through its
    // SetSelectedField), rebuilds the guide lines and updates the view.
    virtual void SetSelect(TKXElement *Element) = 0;
    virtual void ClearSelection() = 0;
    // False when Element was not selected.
    virtual bool DeleteFromSelection(TKXElement *Element) = 0;

    // --- Drawing on the design canvas ------------------------------------------------
    // Called by every element's Draw on the design canvas after it has painted itself.
    virtual void DrawSelectionFrame(bool IsSelected, bool Bound, TKXSelType SelType,
                                    uint16_t Angle, const TRect &Frame, const TRect &Border,
                                    bool CrossOut) = 0;
    // The canvas of the element layers (FLabCanvas), in hundredths of a millimetre.
    virtual TKXCanvas *LabCanvas() = 0;
    // The design surface rebuilds its alignment guide lines (TKXBackLab.BuildGuideLines).
    virtual void BuildGuideLines() = 0;

    // --- State the document and the elements read or write -------------------------
    bool FDraw = true;         // outside BeginUpdate/EndUpdate
    bool FPaintEle = false;    // the next repaint rebuilds the element layer
    bool FPaintSel = false;    // ... the selection layer
    bool FZoomChanged = false; // set by RecalcZoom; cleared by the document
    TKXSnap Snap = TKXSnap::snNone;
    TKXGrid Grid;
    TColor SelColor = clRed;
    bool ShowMarks = true;
    TColor MarkColor = 0xFF8E33;
    TKXBaseInspector *Inspector = nullptr; // not owned
    TKXRulers *Rulers = nullptr;           // not owned

    // The data ruler when there are rulers and they have one.
    TKXDataRuler *DataRuler() const { return Rulers ? Rulers->DataRuler() : nullptr; }

private:
    friend class TKXCustomLab;
    TKXCustomLab *FLabel = nullptr; // the document whose Editor this is
};

} // namespace kx
