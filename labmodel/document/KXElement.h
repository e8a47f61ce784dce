// The element base: what every element of a label document shares.
//
// TKXElement holds the two defining points and the element's rectangles, the angle, the
// colours, pen and border, the placement against the label or a layout cell, the name, the
// selection and lock flags, and runs the setter protocol that feeds undo, repaint, the
// inspector and the document's modified flag. The intermediate classes publish what their
// kinds share: TKXBase1D the first point, colour and print flag; TKXBaseEx1D background,
// transparency, margin and alignment; TKXBaseEx2D the second point; TKXData the font and the
// data binding.
//
// Lengths are integers in hundredths of a millimetre ("label units"); properties typed
// float are shown and entered in the document's Units. Screen values are pixels of the
// editor's design surface.
#pragma once

#include "core/KXTypes.h"
#include "document/KXProperties.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace kx {

class TKXCanvas;
class TKXCustomLab;
class TKXElement;
class TKXStreamReader;
class TKXStreamWriter;

// What the element base and the document need of a grid layout; the layout kind
// implements it (`TKXElement::AsLayout`).
class TKXLayoutCells {
public:
    virtual ~TKXLayoutCells() = default;
    virtual int32_t LayoutID() const = 0;
    // The cell's rectangle in label units.
    virtual TRect GetCellRect(uint16_t Col, uint16_t Row) const = 0;
    virtual void AddMember(TKXElement &Element) = 0;
    virtual void RemoveMember(TKXElement &Element) = 0;
    // Makes Element (already carrying this layout's identifier) the member at Index of the
    // member list (the end when past it).
    virtual void InsertMember(TKXElement &Element, int32_t Index) = 0;
    // Every member gets EleAlign eaNone and leaves the layout (IDLayout, row, column 0).
    virtual void ReleaseMembers() = 0;
    // The members in the layout's own order (the elements in its cells).
    virtual std::vector<TKXElement *> GetMembers() const = 0;
    // Gives the layout another identifier (an undo putting back a deleted layout gives it
    // its old one); its column and row items and its members follow.
    virtual void SetLayoutID(int32_t Value) = 0;
    // Places every member in its cell again.
    virtual void RealignElements() = 0;
    virtual int32_t ColCount() const = 0;
    virtual int32_t RowCount() const = 0;
    // The first column (row) from the left (top) whose band across the whole layout meets R
    // (label units); -1 when none does.
    virtual int32_t FirstColMeeting(const TRect &R) const = 0;
    virtual int32_t FirstRowMeeting(const TRect &R) const = 0;
};

class TKXElement : public TObject {
public:
    // --- Lifecycle ---------------------------------------------------------------------
    // Elements of the kinds are created through the document (TKXCustomLab::NewElement or
    // the element factory), which appends them to its list and names them.
    explicit TKXElement(TKXCustomLab *AOwner);
    ~TKXElement() override = default;
    TKXElement(const TKXElement &) = delete;
    TKXElement &operator=(const TKXElement &) = delete;

    // The kind's code (first byte of its record).
    virtual TKXEle ElementType() const = 0;
    // The defining rectangle in label units: (P1.X, P1.Y, -1, -1) for kinds placed by one
    // point, (P1.X, P1.Y, P2.X, P2.Y) for the kinds that span two points.
    virtual TRect GetRect() const = 0;
    // Draws the element at Origin plus its points; on the design canvas (tdLab) it also
    // refreshes Frame and Border and asks the editor for its selection frame.
    virtual void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) = 0;

    // The document; not owned.
    TKXCustomLab *Owner() const { return FOwner; }
    // Stable identity within the process: undo records and the editor refer to elements by
    // it. Never 0 for an element in a document.
    uint64_t Serial() const { return FSerial; }

    // The published properties, base class first, in publish order.
    virtual const TKXPropTable &Published() const;
    // The element's class in the chain of published classes (name, parent, table); a
    // multi-selection lists the properties of the nearest class its elements share.
    static const TKXClassInfo &ClassInfo();
    virtual const TKXClassInfo &ClassType() const { return ClassInfo(); }

    // The grid layout behind this element, when it is one.
    virtual TKXLayoutCells *AsLayout() { return nullptr; }
    // For a column or row item of a grid layout: the layout that owns it (drawn and
    // recorded for undo in its place); null for every other element.
    virtual TKXElement *ItemLayout() { return nullptr; }
    // A compound text in barcode mode is placed like a barcode.
    virtual bool IsBarcodeMode() const { return false; }
    // The document turned the whole design a quarter turn, counter-clockwise when Left, after
    // turning the element's points and angle (a picture renders again, a grid turns).
    virtual void Rotated(bool /*Left*/) {}

    // --- Properties ----------------------------------------------------------------------
    float X1() const;
    float Y1() const;
    float X2() const;
    float Y2() const;
    virtual void SetX1(float Value);
    virtual void SetY1(float Value);
    virtual void SetX2(float Value);
    virtual void SetY2(float Value);

    TColor Color() const { return FColor; }
    virtual void SetColor(TColor Value);
    TColor BackColor() const { return FBackColor; }
    virtual void SetBackColor(TColor Value);
    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool Value);
    bool Print() const { return FPrint; }
    void SetPrint(bool Value);
    bool ShowBorder() const { return FShowBorder; }
    void SetShowBorder(bool Value);
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value);
    float BorderRadio() const;
    void SetBorderRadio(float Value);
    float PaddingX() const;
    float PaddingY() const;
    void SetPaddingX(float Value);
    void SetPaddingY(float Value);
    float PenWidth() const;
    void SetPenWidth(float Value);
    float Margin() const;
    void SetMargin(float Value);
    int32_t Angle() const { return FAngle; }
    virtual void SetAngle(int32_t Value);
    TKXEleAlign EleAlign() const { return FKXEleAlign; }
    virtual void SetEleAlign(TKXEleAlign Value);
    bool Locked() const { return FLocked; }
    void SetLocked(bool Value);
    QString ID() const { return FID; }
    void SetID(const QString &Value);
    uint8_t PenStyle() const { return FPenStyle; }

    bool IsSelected() const { return GetIsSelected(); }
    virtual bool GetIsSelected() const { return FIsSelected; }
    // Set and cleared by the editor's selection.
    void SetSelectedFlag(bool Value) { FIsSelected = Value; }

    // Raw geometry in label units.
    TPoint P1() const { return FP1; }
    TPoint P2() const { return FP2; }
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    TKXSelType SelType() const { return FSelType; }
    // The editor gives its chosen reference line or rectangle a reference kind (drawn with
    // the reference markers) and puts the element's own kind back when it is released.
    void SetSelType(TKXSelType Value) { FSelType = Value; }
    TTextAlign Align() const { return FAlign; }
    uint16_t Direction() const { return FDirection; }
    float TrX() const { return FTrX; }
    float TrY() const { return FTrY; }
    int32_t DesignWidth() const { return FDesignWidth; }
    int32_t TextD() const { return FTextD; }
    // The drawn extent in label units (each kind's Draw sets it).
    TRect Frame;
    // The drawn extent in the document's units, for the rulers.
    float GetFrameLeft() const;
    float GetFrameTop() const;
    float GetFrameRight() const;
    float GetFrameBottom() const;

    // Layout membership: identifier of the layout (0 for none) and the cell.
    int32_t IDLayout = 0;
    uint16_t RowLayout = 0;
    uint16_t ColLayout = 0;
    // Leaves its layout directly (no undo, no notification): EleAlign eaNone, IDLayout, row
    // and column 0. The element stays where it is.
    void LeaveLayout();

    // --- Geometry --------------------------------------------------------------------
    // Points in label units, snapped to the editor's grid and kept inside the label.
    virtual void SetP1(int32_t X, int32_t Y);
    virtual void SetP2(int32_t X, int32_t Y);
    // Write a point as it stands: no snapping, bounds, undo or notification. The editor
    // places a new element with them at a point it has already snapped.
    void PlaceP1(TPoint P);
    void PlaceP2(TPoint P);
    // Orders the points so that P1 is the top-left corner.
    virtual void Normalize();
    // Moves both points by di (document units). No snapping, bounds or undo.
    void Move(TKXPoint2D di);
    // Both points as given, in label units: no snapping, bounds or undo (the caller records).
    // A layout places its members again; the document is marked modified when a point changed.
    void PlacePoints(TPoint A, TPoint B);
    void RestoreScale();

    // --- Placement (screen and label rectangles, alignment) -------------------------
    TRect Border() const { return FBorder; }
    // The border when an editor drag started, and whether the drag changed it (and the size).
    TRect OBorder() const { return FOBorder; }
    void SetOBorder(const TRect &Value) { FOBorder = Value; }
    bool ChangeBor() const { return FChangeBor; }
    void SetChangeBor(bool Value) { FChangeBor = Value; }
    bool ChangeSize() const { return FChangeSize; }
    void SetChangeSize(bool Value) { FChangeSize = Value; }
    virtual void SetBorder(const TRect &Value);
    bool BorderChanged(const TRect &R);
    virtual void ApplyBorder();
    void SetScreenRect(TRect R, bool Snap);
    void SetBoundsRect(TPoint First, TPoint Second, bool Snap);
    TRect GetScreenRect(const TRect &R) const;
    void MoveLayoutBy(int32_t dx, int32_t dy);
    void ApplyEleAlign(bool Adjust);
    virtual void AdjustAlignToAngle();
    void AlignPos(TKXAlignPos AlgPos, int32_t Pos, bool UpdateEditor);

    // --- Hit test and list order -----------------------------------------------------
    virtual bool PointInObject(TPoint Pu) const;
    void BringToFront();
    void SendToBack();

    // --- Streaming (record E) --------------------------------------------------------
    virtual void SaveToStream(TKXStreamWriter &Stream) const;
    virtual void LoadFromStream(TKXStreamReader &Stream);

    // Marked for deferred freeing (PurgeDeletedElements).
    bool FMarkDelete = false;

protected:
    // The published properties of this level; each level adds its own after its parent's.
    static void AddPublished(TKXPropTable &) {}

    // Setter protocol steps.
    int32_t ToInternal(float Value) const;   // step 1
    float ToUnits(int32_t Value) const;
    void RecordUndo();                       // step 3
    void Changed(const QString &PropName);   // step 5, kind 3 or 2
    void CoordChanged(const QString &PropName); // step 5, kind 5 or 4
    void MarkModified();                     // step 6
    // One coordinate of P1 or P2 given in the document's units.
    void SetCoord(int32_t &Field, float Value, bool Horizontal, const QString &Name);
    // The common setter: an unchanged value does nothing; a change records undo, stores
    // the value, notifies Name (kind 3 or 2) and marks the document modified. Returns
    // whether the value changed. Setters that differ in any step (no equality test, no
    // undo record, a coordinate notification, an extra step) are written out instead.
    template <class T>
    bool SetProp(T &Field, const T &Value, const QString &Name)
    {
        if (Value == Field)
            return false;
        RecordUndo();
        Field = Value;
        Changed(Name);
        MarkModified();
        return true;
    }
    // The optional frame of the point-placed kinds: Box (label units, drawing origin
    // included) in BorderColor with an inside pen PenWidth wide (none when 0), filled with
    // BackColor unless transparent, its far corner included; rounded by BorderRadio.
    void DrawBorderBox(TKXCanvas &Canvas, TRect Box) const;
    // After drawing on the design surface: Border from Frame, the editor's selection frame,
    // and with the editor's ShowMarks a 1 mm cross on P1.
    void DrawDesignMarks(TKXCanvas &Canvas, TPoint po, bool Bound);
    // Grid snapping of one coordinate, when the editor snaps to the grid.
    int32_t SnapX(int32_t c) const;
    void ShiftWithin(int32_t &A, int32_t &B, int32_t D, int32_t Size, bool Horizontal) const;
    int32_t SnapY(int32_t c) const;
    bool GridActive() const;
    void UpdateExtent();
    // The anchor P1 that a text or corner kind takes in the box L, T, R, B.
    bool AnchorInBox(int32_t L, int32_t T, int32_t R, int32_t B, TPoint &P) const;

    // --- One-dimensional barcodes (KXBarPainter.cpp) -------------------------------------
    // What the bar painter draws: the pattern (width codes of the barcode engine), the
    // human-readable text and the geometry, all lengths in label units.
    struct TBarDrawing {
        TKXBar CodeType = TKXBar::CODE39;
        AnsiString Pattern;
        QString Text;          // printed under the bars when ShowNumber is set
        QString FontName;
        bool ShowNumber = true;
        bool Data = false;     // the selection frame shows the data mark
        int32_t BarWidth = 30; // narrow width N
        int32_t BHeight = 1000;
        int32_t LeftMargin = 300; // quiet zone, left and right
        int32_t TopMargin = 0;
        int32_t FontHeight = 300;
        double Ratio = 3.0;    // wide to narrow
    };
    // Draws one barcode anchored at P1 + Pos, turned about that point by Angle, in Color
    // on BackColor (unless Transparent), the text spaced by FTextD. On the design surface
    // it also sets P2, Frame and Border to the drawn extent, asks the editor for the
    // selection frame and draws the design marks.
    void DrawBarcode1D(TPoint Pos, TKXCanvas &Canvas, TKXDrawType DrawType, const TBarDrawing &Bar);
    // The mark of a value that cannot be encoded: a 20 mm wide, Height high white box with
    // a red dotted outline (PenWidth label units) and its diagonals at P1 + Pos, never
    // turned; Frame is that box. The element itself is left as it is (its angle included).
    void DrawInvalidBarcode(TPoint Pos, TKXCanvas &Canvas, TKXDrawType DrawType, int32_t Height,
                            int32_t PenWidth);
    static constexpr int32_t InvalidBarcodeWidth = 2000;

    TKXCustomLab *FOwner;
    TPoint FP1{-1, -1};
    TPoint FP2{-1, -1};
    TPoint FOP1;
    TPoint FOP2;
    TPoint FPadding;          // never negative
    int32_t FFrameRadio = 0;
    bool FIsSelected = false;
    TRect FBorder;            // screen
    TRect FOBorder;           // screen, at the start of an editor drag
    bool FChangeBor = false;
    bool FChangeSize = false;
    QString FID;
    int32_t FPenWidth = 10;
    int32_t FAngle = 0;
    TColor FBackColor = clWhite;
    TColor FBorderColor = 0x0000FF;
    uint8_t FPenStyle = 0;    // pen style ordinal; 0 = solid
    bool FShowBorder = false;
    bool FTransparent = true;
    bool FPrint = true;
    int32_t FTextD = 0;
    bool FLocked = false;
    TKXEleAlign FKXEleAlign = TKXEleAlign::eaNone;
    int32_t FMargin = 0;
    TKXSelType FSelType = TKXSelType::stPoint;
    uint16_t FDirection = 0;
    float FTrX = 1.0f;
    float FTrY = 1.0f;
    int32_t FWidth = 0;       // abs(P2.X - P1.X)
    int32_t FHeight = 0;      // abs(P2.Y - P1.Y)
    int32_t FDesignWidth = 0;
    int32_t FMinDesignWidth = 0;
    int32_t FMaxDesignWidth = 0;
    TColor FColor = clBlack;
    TTextAlign FAlign = TTextAlign::taLeBo;

private:
    friend class TKXCustomLab;
    uint64_t FSerial = 0;
};

// Registered in the document's element list; publishes X1, Y1, Color, Print.
class TKXBase1D : public TKXElement {
public:
    using TKXElement::TKXElement;
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }

protected:
    static void AddPublished(TKXPropTable &t);
};

// Publishes BackColor, Transparent, Margin, EleAlign.
class TKXBaseEx1D : public TKXBase1D {
public:
    using TKXBase1D::TKXBase1D;
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }

protected:
    static void AddPublished(TKXPropTable &t);
};

// Publishes X2, Y2 for the kinds that span a box.
class TKXBaseEx2D : public TKXBaseEx1D {
public:
    using TKXBaseEx1D::TKXBaseEx1D;
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }

protected:
    static void AddPublished(TKXPropTable &t);
};

// Font, data binding and counter link of every kind that can show data.
class TKXData : public TKXBaseEx1D {
public:
    explicit TKXData(TKXCustomLab *AOwner);
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }

    float FontHeight() const;
    void SetFontHeight(float Value);
    QString FontName() const { return FFontName; }
    void SetFontName(const QString &Value);
    int32_t CharWidth() const { return FCharWidth; }
    void SetCharWidth(int32_t Value);
    uint8_t Charset() const { return FCharset; }

    // Data: the element shows its bound field or counter.
    bool Data() const { return FDatabase; }
    virtual void SetData(bool Value);
    // FieldName reads and takes the caption the inspector shows; the stored name is
    // BoundName().
    QString FieldName() const;
    virtual void SetFieldName(const QString &Value);
    QString BoundName() const { return FFieldName; }
    bool IsCounter() const { return FIsCounter; }
    bool FloatAsDateTime() const { return FFloatAsDateTime; }
    // Set by the document's data validation.
    void SetIsCounterFlag(bool Value) { FIsCounter = Value; }

    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    // The document's data validation and counter removal set the binding directly.
    friend class TKXCustomLab;
    static void AddPublished(TKXPropTable &t);

    int32_t FFontHeight = 500;
    QString FFontName = QStringLiteral("Arial");
    QString FFieldName;
    bool FDatabase = false;
    uint8_t FCharset = 0;
    bool FIsCounter = false;
    bool FFloatAsDateTime = false;
    int32_t FCharWidth = 0;
    int32_t FAssignedCharWidth = 0;
};

// Compares identifiers ignoring the case of the ASCII letters only.
bool SameTextAscii(const QString &a, const QString &b);

} // namespace kx
