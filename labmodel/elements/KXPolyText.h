// The compound text: several text parts written one after another on one base line, each a
// fixed text or the value of a bound field, with its own font, style and colours and an
// optional application identifier. In barcode mode the parts (identifiers included) are
// joined into one code and drawn as a one-dimensional barcode, with the identifiers in
// parentheses in the human-readable line.
//
// The element is placed by its anchor P1; TextAlign says which of the nine points of the
// whole text P1 is (the base line for the bottom alignments). The element is the undo unit
// of its parts: a change to a part records the whole element. Lengths are hundredths of a
// millimetre; BarWidth and Distance are entered in millimetres whatever the Units.
#pragma once

#include "core/KXUtils.h"
#include "document/KXElement.h"

#include <QString>

#include <memory>
#include <vector>

namespace kx {

class TKXCanvas;
class TKXPolyText;

// One part of a compound text. Created by its element (TKXPolyText::AddDataElement).
class TKXDataPoly : public TObject {
public:
    explicit TKXDataPoly(TKXPolyText *AOwner) : FOwner(AOwner) {}

    TKXPolyText *Owner() const { return FOwner; }

    // --- Properties: every change records the whole element for undo and marks the
    // document modified ---------------------------------------------------------------------
    QString Text() const { return FText; }
    void SetText(const QString &Value);
    QString FontName() const { return FFontName; }
    void SetFontName(const QString &Value);
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor Value);
    bool Bold() const { return FBold; }
    void SetBold(bool Value);
    bool Italic() const { return FItalic; }
    void SetItalic(bool Value);
    bool Underline() const { return FUnderline; }
    void SetUnderline(bool Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    // Font height in the document's units; no equality test.
    float FontHeight() const;
    void SetFontHeight(float Value);
    // Application identifier, joined in front of the part's value in barcode mode.
    QString IA() const { return FIA; }
    void SetIA(const QString &Value);
    // Display format of the field value; in barcode mode a leading '=' drops the decimal
    // separators from the formatted value (=0.00 turns 12.5 into 1250).
    QString Format() const { return FFormat; }
    void SetFormat(const QString &Value);
    // Takes and shows the caption of the bound field; the stored name is BoundName().
    QString FieldName() const;
    void SetFieldName(const QString &Value);
    QString BoundName() const { return FFieldName; }
    bool Database() const { return FDatabase; }
    void SetDatabase(bool Value);
    // Stored with the part; no drawing reads it.
    bool AddPar() const { return FAddPar; }
    void SetAddPar(bool Value);
    // Background of the part's text (the element's BackColor sets it).
    TColor Color() const { return FColor; }
    int32_t FontHeightInternal() const { return FFontHeight; }

    // The text, top-left (turned) and extent of the last drawing.
    QString CalcText() const { return FCalcText; }
    TPoint TopLeft() const { return FTL; }
    TSize Size() const { return FSize; }

    // --- Streaming: the part record ---------------------------------------------------------
    void SaveToStream(TKXStreamWriter &Stream) const;
    void LoadFromStream(TKXStreamReader &Stream);

private:
    friend class TKXPolyText;
    // The setter protocol of the parts: the owner's prior state for undo, then the value;
    // Notify repaints the owner.
    template <class T>
    void SetPart(T &Field, const T &Value, bool Notify);
    void Notify();

    TPoint FTL;
    TSize FSize;
    TKXPolyText *FOwner;
    QString FFieldName;     // ANSI in label files
    QString FFormat;        // ANSI in label files
    QString FText;
    QString FCalcText;
    QString FIA;            // ANSI in label files
    TColor FColor = clWhite;
    TColor FFontColor = clBlack;
    int32_t FFontHeight = 400;
    QString FFontName = QStringLiteral("Arial");
    bool FBold = false;
    bool FItalic = false;
    bool FUnderline = false;
    bool FDatabase = false;
    bool FAddPar = true;
    bool FTransparent = true;
    bool FFloatAsDateTime = false;
};

class TKXPolyText : public TKXBaseEx1D {
public:
    // --- Lifecycle -----------------------------------------------------------------------
    // The factory, undo and paste create it without parts and read them from the record.
    explicit TKXPolyText(TKXCustomLab *AOwner, bool InsertFirst = false);
    ~TKXPolyText() override;
    // A new compound text as the editor inserts it: one part "text1".
    static TKXPolyText *Insert(TKXCustomLab &Lab);
    TKXEle ElementType() const override { return TKXEle::dePolyText; }
    TRect GetRect() const override { return {FP1.x, FP1.y, -1, -1}; }
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    bool IsBarcodeMode() const override { return FIsBarcode; }

    // --- Parts ---------------------------------------------------------------------------
    // Appends a new part; with Undo the element's prior state is recorded first. The second
    // form also sets the field name, identifier and text and repaints.
    TKXDataPoly *AddDataElement(bool Undo);
    TKXDataPoly *AddDataElement(bool Undo, const QString &FName, const QString &IdAp, const QString &Txt);
    void ClearElements();
    // By index from 0; null outside the list.
    TKXDataPoly *GetElement(int ElementNo) const;
    int DataElementCount() const { return int(DataElements.size()); }
    // Both count parts from 1 and record the element first; an index outside the list does
    // nothing.
    void RemoveDataElement(int Index);
    void ExchangeDataElement(int DataPoly1, int DataPoly2);
    // Width of the parts' texts and the largest font height, in the document's units.
    TKXPoint2D GetTextSize() const;

    // --- Properties ----------------------------------------------------------------------
    // Read-only and always empty: the inspector's row for editing the parts.
    QString EditPoly() const { return {}; }
    bool IsBarcode() const { return FIsBarcode; }
    void SetIsBarcode(bool Value);
    TKXBar CodeType() const { return FCodeType; }
    void SetCodeType(TKXBar Value);
    float BarWidth() const { return float(FBarWidth) / 100.0f; }
    void SetBarWidth(float Value);
    float Distance() const { return float(FDistance) / 100.0f; }
    void SetDistance(float Value);
    float BHeight() const { return ToUnits(FBHeight); }
    void SetBHeight(float Value);
    float LeftMargin() const { return ToUnits(FLeftMargin); }
    void SetLeftMargin(float Value);
    float TopMargin() const { return ToUnits(FTopMargin); }
    void SetTopMargin(float Value);
    float Factor() const;
    void SetFactor(float Value);
    bool ShowNumber() const { return FShowNumber; }
    void SetShowNumber(bool Value);
    bool Checksum() const { return FCheckSum; }
    void SetChecksum(bool Value);
    TTextAlign TextAlign() const { return FAlign; }
    void SetTextAlign(TTextAlign Value);
    TKXCheckType CheckType() const { return FCheckType; }
    int32_t FactorInternal() const { return FFactor; }
    int32_t BarWidthInternal() const { return FBarWidth; }
    int32_t BHeightInternal() const { return FBHeight; }
    int32_t LeftMarginInternal() const { return FLeftMargin; }
    int32_t TopMarginInternal() const { return FTopMargin; }
    int32_t DistanceInternal() const { return FDistance; }

    // The element setters that carry over to the parts.
    void SetColor(TColor Value) override;
    void SetBackColor(TColor Value) override;
    void SetTransparent(bool Value) override;
    void SetBorder(const TRect &Value) override;

    // The joined code and the human-readable line of the last drawing.
    const AnsiString &Code() const { return FCode; }
    QString DText() const { return FDText; }
    // Top-left of the whole text (turned) and its extent, from the last drawing.
    TPoint TextTopLeft() const { return FTL; }
    TSize TextSize() const { return FSize; }

    // --- Drawing -------------------------------------------------------------------------
    void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) override;

    // --- Streaming: record E, the barcode settings, then the parts ---------------------------
    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    static void AddPublished(TKXPropTable &t);

private:
    friend class TKXDataPoly;
    bool DrawsOn(TKXDrawType DrawType) const;
    // A bound part's field text on output, else its fixed text.
    bool BoundOnOutput(const TKXDataPoly &Part, TKXDrawType DrawType, TKXFillType fill) const;
    void SetupPartFont(TKXCanvas &Canvas, const TKXDataPoly &Part) const;
    void DrawTexts(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill);
    void DrawAsBarcode(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill);
    // The design surface's selection frame for the current Frame and the cross on P1.
    void DesignFrame(TKXCanvas &Canvas, TPoint po, bool SelectionFrame = true);
    void SetBarLength(int32_t &Field, int32_t Value, const QString &Name, bool Notify);
    // Repaints only in barcode mode, where the setting shows.
    void BarChanged(const QString &Name);

    TPoint FTL;
    TSize FSize;
    bool FIsBarcode = false;
    AnsiString FCode;
    QString FDText;
    int32_t FBarWidth = 30;
    int32_t FDistance = 0;
    int32_t FBHeight = 1000;
    int32_t FLeftMargin = 300;
    int32_t FTopMargin = 0;
    bool FShowNumber = true;
    TKXBar FCodeType = TKXBar::EAN128C;
    bool FCheckSum = false;
    TKXCheckType FCheckType = TKXCheckType::csmMod10;
    // Code 128's modules need the ratio 2 that the default symbology's own setter gives.
    mutable int32_t FFactor = 200;
    std::vector<std::unique_ptr<TKXDataPoly>> DataElements;
};

} // namespace kx
