// The PDF417 element: a text (fixed, or a bound field's or counter's value on output)
// encoded as a PDF417 symbol and painted row by row, turned by the element's angle.
//
// The element keeps the codewords and grid of the text it encoded last and encodes again
// when the text changes, when a print or preview run fills it from data, and when a drawing
// shows a text other than the one last encoded (so the design surface is back on Code after
// a run). A change of level or grid request rebuilds the grid and check codewords only.
// Lengths are hundredths of a millimetre; the element is placed by its anchor P1 and its
// extent follows from the symbol:
//   W = 2 x LeftMargin + BWidth x (17 x columns + 69), + 35 in place of + 69 when truncated
//   H = BHeight x rows + 2 x TopMargin.
#pragma once

#include "document/KXElement.h"
#include "pdf417/KXPdf417Code.h"

#include <QString>

namespace kx {

class TKXPdf417 : public TKXData {
public:
    // --- Lifecycle -----------------------------------------------------------------------
    explicit TKXPdf417(TKXCustomLab *AOwner);
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    TKXEle ElementType() const override { return TKXEle::dePdf417; }
    TRect GetRect() const override { return {FP1.x, FP1.y, -1, -1}; }

    // --- Properties ----------------------------------------------------------------------
    TKXPdf417CorrectionLevel CorrectionLevel() const { return FPdf.CorrectionLevel(); }
    void SetCorrectionLevel(TKXPdf417CorrectionLevel Value);
    // Requested rows 0..90 and data columns 0..30 (0 = automatic); other values are clamped.
    int16_t RowCount() const { return FPdf.Rows(); }
    void SetRowCount(int16_t Value);
    int16_t ColCount() const { return FPdf.Cols(); }
    void SetColCount(int16_t Value);
    // Module width in millimetres whatever the Units; at least 0.2 mm.
    float BarWidth() const { return float(FBWidth) / 100.0f; }
    void SetBarWidth(float Value);
    // Row height in the document's units; at least 0.26 mm.
    float BHeight() const { return ToUnits(FBHeight); }
    void SetBHeight(float Value);
    // Quiet zone left and right, and above and below, in the document's units.
    float LeftMargin() const { return ToUnits(FLeftMargin); }
    void SetLeftMargin(float Value);
    float TopMargin() const { return ToUnits(FTopMargin); }
    void SetTopMargin(float Value);
    // Row height to module width; 0 leaves the two free. With a ratio, setting either
    // length sets the other.
    float Ratio() const { return float(FRatio) / 100.0f; }
    void SetRatio(float Value);
    // The text to encode (Windows-1252), with the backslash escapes of the encoder.
    QString Code() const;
    void SetCode(const QString &Value);
    // Without the right row indicator; the stop pattern is one bar.
    bool Truncated() const { return FTruncated; }
    void SetTruncated(bool Value);

    // --- Symbol --------------------------------------------------------------------------
    // Encodes the drawing text (Code, or the value of the last data fill).
    void Encode();
    const TKXPdf417Code &Symbol() const { return FPdf; }
    // Whether the current grid makes a symbol; otherwise the element draws its placeholder.
    bool HasSymbol() const { return FPdf.Status() == TKXPdf417Status::psOk; }
    int32_t SymbolWidth() const;
    int32_t SymbolHeight() const;
    int32_t BWidth() const { return FBWidth; }
    int32_t BHeightInternal() const { return FBHeight; }

    // --- Drawing -------------------------------------------------------------------------
    void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) override;

    // --- Streaming -----------------------------------------------------------------------
    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    static void AddPublished(TKXPropTable &t);

private:
    // Records undo, stores and marks modified; the two lengths coupled by the ratio.
    void SetLength(int32_t &Field, int32_t Value, const QString &Name);
    // The text of this drawing: Code, or on output the bound field's or counter's value.
    AnsiString DrawingText(TKXDrawType DrawType, TKXFillType fill) const;
    void PaintSymbol(TKXCanvas &Canvas, TPoint A, TKXDrawType DrawType);
    void PaintPlaceholder(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType);

    TKXPdf417Code FPdf;          // codewords, grid and the level and grid request
    AnsiString FCode = "PdfCode";
    AnsiString FDCode = "PdfCode"; // the drawing text
    AnsiString FEncoded;         // the text FPdf was last encoded from
    int32_t FBWidth = 30;        // module width, >= 20
    int32_t FBHeight = 60;       // row height, >= 26
    int32_t FLeftMargin = 300;
    int32_t FTopMargin = 0;
    int32_t FRatio = 0;          // row height / module width x 100; 0 = free
    bool FTruncated = false;
};

} // namespace kx
