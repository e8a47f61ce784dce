// The one-dimensional barcode element: a fixed code, the value of a bound field or the
// current value of a counter, validated, completed with its check characters and drawn as
// bars of one of the 21 symbologies on every drawing. A value the symbology cannot encode
// is drawn as a 20 mm placeholder box with a red cross.
//
// The element is placed by its anchor P1 (the top-left corner of the left quiet zone before
// turning); its extent comes from drawing. Lengths are hundredths of a millimetre; BarWidth
// and Distance are entered in millimetres whatever the document's Units.
#pragma once

#include "document/KXElement.h"

namespace kx {

// Wide-to-narrow ratio × 100 that a symbology starts with when chosen; 0 keeps the ratio
// the element has (the two-width symbologies).
int32_t DefaultBarFactor(TKXBar Bar);
// The stored ratio × 100 brought into the range the symbology allows.
int32_t ClampBarFactor(int32_t Factor, TKXBar Bar);
// Symbology codes of records older than version 20: 3, 4, 5 and 6 became CODE39, EAN128A,
// EAN128B and EAN128C.
TKXBar OldBarType(uint8_t Code);

class TKXBarCode : public TKXData {
public:
    // --- Lifecycle -----------------------------------------------------------------------
    explicit TKXBarCode(TKXCustomLab *AOwner);
    TKXEle ElementType() const override { return TKXEle::deBar; }
    TRect GetRect() const override { return {FP1.x, FP1.y, -1, -1}; }
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }

    // --- Properties ----------------------------------------------------------------------
    // The fixed code (Windows-1252 text).
    QString BarCode() const;
    void SetBarCode(const QString &Value);
    TKXBar CodeType() const { return FCodeType; }
    void SetCodeType(TKXBar Value);
    // Narrow width and text distance in millimetres.
    float BarWidth() const { return float(FBarWidth) / 100.0f; }
    void SetBarWidth(float Value);
    float Distance() const { return float(FDistance) / 100.0f; }
    void SetDistance(float Value);
    // Bar height, quiet zone and space above the bars in the document's units.
    float BHeight() const { return ToUnits(FBHeight); }
    void SetBHeight(float Value);
    float LeftMargin() const { return ToUnits(FLeftMargin); }
    void SetLeftMargin(float Value);
    float TopMargin() const { return ToUnits(FTopMargin); }
    void SetTopMargin(float Value);
    // Wide-to-narrow ratio; reading it brings the stored value into the symbology's range.
    float Factor() const;
    void SetFactor(float Value);
    bool ShowNumber() const { return FShowNumber; }
    void SetShowNumber(bool Value);
    bool Checksum() const { return FCheckSum; }
    void SetChecksum(bool Value);
    // Stored with the element; no drawing reads it.
    TKXCheckType CheckType() const { return FCheckType; }

    // Raw values in label units and the ratio × 100 as stored.
    int32_t BarWidthInternal() const { return FBarWidth; }
    int32_t BHeightInternal() const { return FBHeight; }
    int32_t LeftMarginInternal() const { return FLeftMargin; }
    int32_t TopMarginInternal() const { return FTopMargin; }
    int32_t DistanceInternal() const { return FDistance; }
    int32_t FactorInternal() const { return FFactor; }
    int32_t FontHeightInternal() const { return FFontHeight; }
    // The code of the last drawing, completed with its check characters; empty when the
    // last drawing could not encode its value.
    const AnsiString &CurrentCode() const { return FCCode; }

    // --- Drawing -------------------------------------------------------------------------
    void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) override;

    // --- Streaming: record D, then the barcode's own fields --------------------------------
    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    static void AddPublished(TKXPropTable &t);
    // The value to encode for the target and fill type.
    AnsiString CurrentValue(TKXDrawType DrawType, TKXFillType fill) const;
    // Always records and stores a length; notifies Name when Notify.
    void SetLength(int32_t &Field, int32_t Value, const QString &Name, bool Notify);

    AnsiString FCCode;
    AnsiString FCode = "88888";
    int32_t FBarWidth = 30;
    int32_t FDistance = 0;
    int32_t FBHeight = 1000;
    int32_t FLeftMargin = 300;
    int32_t FTopMargin = 0;
    bool FShowNumber = true;
    bool FCheckSum = false;
    TKXCheckType FCheckType = TKXCheckType::csmMod10;
    TKXBar FCodeType = TKXBar::CODE39;
    mutable int32_t FFactor = 300; // brought into range whenever it is read
};

} // namespace kx
