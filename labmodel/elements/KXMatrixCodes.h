// Two-dimensional symbol elements: Data Matrix ECC 200 (TKXDataMatrix) and QR Code
// (TKXQRCode).
//
// Both hold a text, encode it into a module grid whenever the text (or, for QR Code, the
// encoding) changes, and paint the grid module by module at their anchor P1, with quiet
// zones left and right (LeftMargin) and above and below (TopMargin), turned by the angle
// about P1. The symbol's size follows from the grid, the module size and the margins.
//
// TKXMatrixCode is what the two share: sizes and margins, the grid, painting, the quiet-zone
// marks of the design surface, the placeholder and the data fill.
//
// The element's own text is what the user designed: a print or preview run encodes the
// record's (or counter's) value into a separate grid and never writes it into the element,
// so a label saved after printing holds what was designed. A text that cannot be encoded is
// refused by the setter with a message through the UI services; one that comes from a file,
// an undo record or the clipboard is kept, and the element draws a placeholder (a red cross
// in a white box) until its text is changed. A record value that cannot be encoded in full
// stops the print run with a message, rather than printing a wrong symbol.
#pragma once

#include "document/KXElement.h"
#include "qrcode/KXQRCode.h"

#include <QString>

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kx {

template <>
struct EnumInfo<KXQRCode::TQRCodeEncoding> {
    static constexpr std::string_view TypeName = "TQRCodeEncoding";
    static constexpr size_t Count = 6;
    static constexpr std::array<std::string_view, Count> Names = {
        "Automatic", "Numeric", "Alphanumeric", "ISO88591", "UTF8NoBOM", "UTF8BOM"};
};

class TKXMatrixCode : public TKXData {
public:
    explicit TKXMatrixCode(TKXCustomLab *AOwner);
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }

    TRect GetRect() const override { return {FP1.x, FP1.y, -1, -1}; }
    void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) override;

    // Module width in millimetres whatever the Units.
    float BarWidth() const;
    // Quiet zones in the document's units; no equality test.
    float LeftMargin() const;
    void SetLeftMargin(float Value);
    float TopMargin() const;
    void SetTopMargin(float Value);

    // Raw sizes in hundredths of a millimetre.
    int32_t ModuleWidth() const { return FBWidth; }
    int32_t ModuleHeight() const { return FBHeight; }
    int32_t LeftMarginRaw() const { return FLeftMargin; }
    int32_t TopMarginRaw() const { return FTopMargin; }
    // The symbol with its quiet zones, before turning.
    int32_t SymbolWidth() const;
    int32_t SymbolHeight() const;

    // The grid of the element's own text.
    int16_t Rows() const { return FGrid.Rows; }
    int16_t Cols() const { return FGrid.Cols; }
    bool Module(int Col, int Row) const;
    // False when the element's own text could not be encoded (read from a file, an undo
    // record or the clipboard): the placeholder is drawn in place of the symbol.
    bool Encoded() const { return FEncoded; }

    // Size of the placeholder box, hundredths of a millimetre.
    static constexpr int32_t PlaceholderSize = 2000;
    // The narrowest module the setters allow, 0.2 mm.
    static constexpr int32_t MinModuleWidth = 20;

protected:
    // Reads the module width and height, the margins and the ratio of a record.
    void ReadModuleSizes(TKXStreamReader &Stream);
    struct TGrid {
        std::vector<uint8_t> Cells; // Rows x Cols, row by row from the top left, 1 = dark
        int16_t Rows = 0;
        int16_t Cols = 0;
    };
    // What encoding a text gives.
    struct TEncodeResult {
        bool Ok = false;   // Grid holds the symbol
        QString Error;     // why there is no symbol
        QString Lost;      // characters the symbol does not carry (it holds the rest)
    };

    static void AddPublished(TKXPropTable &t);

    // Encodes Text into Grid; Grid is left alone when there is no symbol.
    virtual TEncodeResult EncodeText(const QString &Text, TGrid &Grid) = 0;
    // "Data Matrix", "QR Code": how messages name the kind.
    virtual QString KindName() const = 0;
    // The element's own text.
    virtual QString OwnText() const = 0;

    // The setters' first step for a new text or encoding: encodes Text into Grid, and
    // answers false after telling the user (through the UI services) when there is no
    // symbol; characters the symbol cannot carry are told as well, but the text is taken.
    bool PrepareGrid(const QString &Text, TGrid &Grid);
    // Takes a grid that PrepareGrid made for the element's own text.
    void AcceptGrid(TGrid &Grid);
    // Encodes the element's own text after a record was read: without a symbol, the text is
    // kept and the placeholder is drawn.
    void EncodeOwnText();
    // The next drawing of a record value encodes again.
    void ForgetFill() { FFillValid = false; }
    QString Described(const QString &Text) const;

    int32_t FBWidth = 30;
    int32_t FBHeight = 30;
    int32_t FLeftMargin = 300;
    int32_t FTopMargin = 0;
    int32_t FRatio = 0;

private:
    bool DrawsOn(TKXDrawType DrawType) const;
    // The value of a bound element for the fill type; false when the fill keeps the design.
    bool BoundValue(TKXFillType fill, QString &Value) const;
    void PaintModules(TKXCanvas &Canvas, TPoint A, const TGrid &Grid) const;
    void PaintPlaceholder(TKXCanvas &Canvas, TPoint A) const;
    void PaintMarginMarks(TKXCanvas &Canvas, TPoint A, int32_t W, int32_t H) const;

    TGrid FGrid;
    bool FEncoded = true;
    // The last record value drawn and its grid.
    TGrid FFillGrid;
    QString FFillText;
    bool FFillValid = false;
};

class TKXDataMatrix : public TKXMatrixCode {
public:
    explicit TKXDataMatrix(TKXCustomLab *AOwner);
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    TKXEle ElementType() const override { return TKXEle::deDataMatrix; }

    float BarWidth() const { return TKXMatrixCode::BarWidth(); }
    void SetBarWidth(float Value);
    // Module height in the document's units.
    float BHeight() const;
    void SetBHeight(float Value);
    // Module height to width; 0 lets the two be set freely.
    float Ratio() const { return float(FRatio) / 100.0f; }
    void SetRatio(float Value);
    // The text; its Windows-1252 bytes are the symbol's data.
    QString Code() const { return FCode; }
    void SetCode(const QString &Value);
    // Takes a code even when no symbol holds it, as a label read from a file does: the
    // element then draws its placeholder. For editors that show the text while it is typed.
    void TakeCode(const QString &Value);

    // Stored and read back; encoding always takes the smallest square.
    uint8_t DMSize() const { return FDMSize; }
    uint8_t DMShape() const { return FDMShape; }

    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    static void AddPublished(TKXPropTable &t);
    TEncodeResult EncodeText(const QString &Text, TGrid &Grid) override;
    QString KindName() const override { return QStringLiteral("Data Matrix"); }
    QString OwnText() const override { return FCode; }

private:
    QString FCode = QStringLiteral("DataMatrixCode");
    uint8_t FDMSize = 0;
    uint8_t FDMShape = 0;
    TBytesArray FBytes; // scratch
};

class TKXQRCode : public TKXMatrixCode {
public:
    using TQRCodeEncoding = KXQRCode::TQRCodeEncoding;

    explicit TKXQRCode(TKXCustomLab *AOwner);
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    TKXEle ElementType() const override { return TKXEle::deQRCode; }

    // Square modules: the height follows the width.
    float BarWidth() const { return TKXMatrixCode::BarWidth(); }
    void SetBarWidth(float Value);
    TQRCodeEncoding Encoding() const { return FEncoding; }
    void SetEncoding(TQRCodeEncoding Value);
    QString Code() const { return FCode; }
    void SetCode(const QString &Value);
    // Takes a code even when no symbol holds it, as a label read from a file does: the
    // element then draws its placeholder. For editors that show the text while it is typed.
    void TakeCode(const QString &Value);
    int32_t Ratio() const { return FRatio; }

    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    static void AddPublished(TKXPropTable &t);
    TEncodeResult EncodeText(const QString &Text, TGrid &Grid) override;
    QString KindName() const override { return QStringLiteral("QR Code"); }
    QString OwnText() const override { return FCode; }

private:
    // Encodes with an encoding other than the stored one (the Encoding setter's check).
    TEncodeResult EncodeWith(const QString &Text, TQRCodeEncoding Encoding, TGrid &Grid);

    QString FCode = QStringLiteral("QRCode");
    TQRCodeEncoding FEncoding = TQRCodeEncoding::Automatic;
    KXQRCode::TEncoder FEncoder;
    KXQRCode::TErrorCorrectionLevel FLevel{1}; // L
    KXQRCode::TQRCode FQRCode;
};

} // namespace kx
