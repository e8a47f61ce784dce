// The sheet set-up objects of a label document: the measure (label size and shape and how
// labels sit on the sheet), the frame drawn about each label, the page title, the back
// surface (background and the designer's alignment guides) and the print settings.
//
// Each is created and owned by its document and keeps a non-owning pointer to it. Lengths
// are stored as integers in hundredths of a millimetre; the float properties show and take
// lengths in the document's Units. The *Internal accessors give the stored integers.
#pragma once

#include "core/KXTypes.h"
#include "platform/KXPrinterPort.h"

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>

namespace kx {

class TKXCustomLab;

// Page orientation of the print settings (stored as its ordinal: portrait 0, landscape 1).
KX_ENUM(TPrinterOrientation, poPortrait, poLandscape)

// ---------------------------------------------------------------------------------------
class TKXMeasure {
public:
    explicit TKXMeasure(TKXCustomLab *AOwner) : FOwner(AOwner) {}
    TKXMeasure(const TKXMeasure &) = delete;
    TKXMeasure &operator=(const TKXMeasure &) = delete;

    // Copies the label and sheet settings; the owner stays this object's own.
    void Assign(const TKXMeasure &Source);
    // The smallest label or sheet side, 5 mm.
    static constexpr int32_t MinSide = 500;
    // Brings stored values within the limits the setters keep (sides at least MinSide,
    // margins and gaps not negative, at least one row and column, the inner circle within
    // the width). The label reader applies it, so a damaged file cannot hand the drawing
    // code a zero size.
    void ApplyLimits();

    // Label size; at least 500 (5 mm); a circular label keeps Height = Width.
    float Width() const;
    void SetWidth(float Value);
    float Height() const;
    void SetHeight(float Value);
    // Radius of the inner circle of a circular label (0 = none), 0 .. Width.
    float InnerCircle() const;
    void SetInnerCircle(float Value);
    TZantorType LabelType() const { return FLabelType; }
    void SetLabelType(TZantorType Value);
    // Sheet margins to the first column and row of labels, and the gaps; never negative.
    float MarLeft() const;
    void SetMarLeft(float Value);
    float MarTop() const;
    void SetMarTop(float Value);
    float DiHor() const;
    void SetDiHor(float Value);
    float DiVer() const;
    void SetDiVer(float Value);
    // NuHor is the number of ROWS of labels on a sheet, NuVer the number of COLUMNS; >= 1.
    int32_t NuHor() const { return FNuHor; }
    void SetNuHor(int32_t Value);
    int32_t NuVer() const { return FNuVer; }
    void SetNuVer(int32_t Value);
    // Sheet size; at least 500.
    float PaperWidth() const;
    void SetPaperWidth(float Value);
    float PaperHeight() const;
    void SetPaperHeight(float Value);
    QString PaperName() const { return FPaperName; }
    void SetPaperName(const QString &Value);
    QString LabelName() const { return FLabelName; }
    void SetLabelName(const QString &Value);

    // Sizes in millimetres, with the clamps and the circle rule of the setters.
    void SetLabelSizeMM(float MMWidth, float MMHeight);
    void SetPaperSizeMM(float MMWidth, float MMHeight);

    int32_t WidthInternal() const { return FWidth; }
    int32_t HeightInternal() const { return FHeight; }
    int32_t InnerCircleInternal() const { return FInnerCircle; }
    int32_t MarLeftInternal() const { return FMarLeft; }
    int32_t MarTopInternal() const { return FMarTop; }
    int32_t DiHorInternal() const { return FDiHor; }
    int32_t DiVerInternal() const { return FDiVer; }
    int32_t PaperWidthInternal() const { return FPaperWidth; }
    int32_t PaperHeightInternal() const { return FPaperHeight; }

private:
    friend class TKXCustomLab; // rotations swap the sizes without the setters
    friend class TKXLabelFile; // the label file stores fields directly
    void EditorRefresh(int16_t Kind);
    void Modified();
    int32_t ToInternal(float Value) const;
    float ToUnits(int32_t Value) const;

    TKXCustomLab *FOwner;
    int32_t FHeight = 3500;
    int32_t FWidth = 6000;
    int32_t FMarLeft = 500;
    int32_t FMarTop = 1000;
    int32_t FDiHor = 400;
    int32_t FDiVer = 400;
    int32_t FNuHor = 7;
    int32_t FNuVer = 3;
    int32_t FPaperHeight = 29700;
    int32_t FPaperWidth = 21000;
    int32_t FInnerCircle = 0;
    QString FPaperName = QStringLiteral("A4");
    QString FLabelName = QStringLiteral("Mi etiqueta");
    TZantorType FLabelType = TZantorType::ltRect;
};

// ---------------------------------------------------------------------------------------
// The outline drawn about each label.
class TKXFrame {
public:
    explicit TKXFrame(TKXCustomLab *AOwner) : FOwner(AOwner) {}
    TKXFrame(const TKXFrame &) = delete;
    TKXFrame &operator=(const TKXFrame &) = delete;

    void Assign(const TKXFrame &Source);

    TKXFrameStyle Style() const { return FStyle; }
    void SetStyle(TKXFrameStyle Value);
    // Inset of the first line from the label edge.
    float Dist1() const;
    void SetDist1(float Value);
    // Inset of the second line from the first.
    float Dist2() const;
    void SetDist2(float Value);
    // Corner radius of a rectangular outline.
    float Radio() const;
    void SetRadio(float Value);
    float PenWidth() const;
    void SetPenWidth(float Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);

    int32_t Dist1Internal() const { return FDist1; }
    int32_t Dist2Internal() const { return FDist2; }
    int32_t RadioInternal() const { return FRadio; }
    int32_t PenWidthInternal() const { return FPenWidth; }

private:
    friend class TKXLabelFile; // the label file stores fields directly
    void SetLength(int32_t &Field, float Value);
    void Repaint();

    TKXCustomLab *FOwner;
    TKXFrameStyle FStyle = TKXFrameStyle::fsNone;
    int32_t FDist1 = 0;
    int32_t FDist2 = 100;
    int32_t FRadio = 0;
    int32_t FPenWidth = 10;
    TColor FColor = clBlack;
};

// ---------------------------------------------------------------------------------------
// The text printed on each page.
class TKXTitle {
public:
    explicit TKXTitle(TKXCustomLab *AOwner) : FOwner(AOwner) {}
    TKXTitle(const TKXTitle &) = delete;
    TKXTitle &operator=(const TKXTitle &) = delete;

    // Copies FontName, FontHeight, Print and Text (not the colour or the position).
    void Assign(const TKXTitle &Source);

    float PositionX() const;
    void SetPositionX(float Value);
    float PositionY() const;
    void SetPositionY(float Value);
    float FontHeight() const;
    void SetFontHeight(float Value);
    QString FontName() const { return FFontName; }
    void SetFontName(const QString &Value);
    QString Text() const { return FText; }
    void SetText(const QString &Value);
    bool Print() const { return FPrint; }
    void SetPrint(bool Value);
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor Value);

    TPoint PositionInternal() const { return FPosition; }
    int32_t FontHeightInternal() const { return FFontHeight; }

private:
    friend class TKXLabelFile; // the label file stores fields directly

    TKXCustomLab *FOwner;
    TPoint FPosition;
    int32_t FFontHeight = 500;
    QString FFontName = QStringLiteral("Arial");
    QString FText = QStringLiteral("Title");
    bool FPrint = false;
    TColor FFontColor = clBlack;
};

// ---------------------------------------------------------------------------------------
// The label background and the designer's two alignment guide lines.
class TKXBackSurf {
public:
    explicit TKXBackSurf(TKXCustomLab *AOwner) : FOwner(AOwner) {}
    TKXBackSurf(const TKXBackSurf &) = delete;
    TKXBackSurf &operator=(const TKXBackSurf &) = delete;

    // Copies the settings and the picture itself (each object keeps its own), and the
    // picture's file name without loading it again.
    void Assign(const TKXBackSurf &Source);

    TKXBackStyle Style() const { return FStyle; }
    void SetStyle(TKXBackStyle Value);
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor ToColor() const { return FToColor; }
    void SetToColor(TColor Value);
    TColor AlignColor() const { return FAlignColor; }
    void SetAlignColor(TColor Value);
    // File of the background picture; setting it loads the picture. An unreadable file
    // raises "INVALID IMAGE : <file>" and empties the name; a missing one keeps the name,
    // leaves the picture empty and is reported through the UI services.
    QString FileImage() const { return FFileImage; }
    void SetFileImage(const QString &Value);
    const QImage &Image() const { return FImage; }
    // The named file was not there when the picture was last loaded.
    bool ImageMissing() const { return FImageMissing; }
    // Guide lines: x in 0 .. label width, y in 0 .. label height.
    float AlignX() const;
    void SetAlignX(float Value);
    float AlignY() const;
    void SetAlignY(float Value);
    int32_t AlignXInternal() const { return FAlignLeft; }
    int32_t AlignYInternal() const { return FAlignTop; }
    bool ShowAlign() const { return FShowAlign; }
    void SetShowAlign(bool Value);
    bool Print() const { return FPrint; }
    void SetPrint(bool Value);

    // Called by the rulers during a guide drag.
    void AlignChanged(int16_t Kind);

    bool FChangingAlign = false; // the rulers are dragging a guide
    bool FDrawAlign = false;     // the designer draws the guides during the drag
    bool FNeedPaint = false;     // the editor's background layer must be repainted

private:
    friend class TKXLabelFile; // the label file stores fields directly
    void LoadImage();
    void Modified();
    bool Quiet() const; // loading, or no editor

    TKXCustomLab *FOwner;
    QImage FImage;
    TKXBackStyle FStyle = TKXBackStyle::biNone;
    TColor FColor = clWhite;
    TColor FToColor = clWhite;
    TColor FAlignColor = clRed;
    QString FFileImage;
    bool FImageMissing = false;
    int32_t FAlignLeft = 0;
    int32_t FAlignTop = 0;
    bool FShowAlign = false;
    bool FPrint = false;
};

// ---------------------------------------------------------------------------------------
// Printer, paper and print-run settings.
class TKXPrintInfo {
public:
    explicit TKXPrintInfo(TKXCustomLab *AOwner) : FOwner(AOwner) {}
    TKXPrintInfo(const TKXPrintInfo &) = delete;
    TKXPrintInfo &operator=(const TKXPrintInfo &) = delete;

    // Copies the chosen settings; not the printer name and not the run state.
    void Assign(const TKXPrintInfo &Source);

    TColor MarginColor() const { return FMarginColor; }
    void SetMarginColor(TColor Value);
    // Records in the chosen range.
    int32_t NumLabs() const { return FLabs; }
    void SetNumLabs(int32_t Value);
    int32_t Repetition() const { return FRepetition; }
    void SetRepetition(int32_t Value);
    // Where printing starts on the first sheet, 1-based.
    int32_t FirstRow() const { return FFirstRow; }
    void SetFirstRow(int32_t Value);
    int32_t FirstCol() const { return FFirstCol; }
    void SetFirstCol(int32_t Value);
    // Records to print, 1-based; LastLab 0 prints to the end of the data.
    int32_t FirstLab() const { return FFirstLab; }
    void SetFirstLab(int32_t Value);
    int32_t LastLab() const { return FLastLab; }
    void SetLastLab(int32_t Value);
    void SetLastLabZero() { FLastLab = 0; }
    int32_t Copies() const { return FCopies; }
    void SetCopies(int32_t Value);
    // Paper code of the printer (9 = A4, 256 = user-defined).
    int16_t PaperSize() const { return FPaperSize; }
    void SetPaperSize(int16_t Value);
    TPrinterOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TPrinterOrientation Value);
    // -99: none chosen. An index is only a hint; the printer is found by its name.
    int32_t PrinterIndex() const { return FPrinterIndex; }
    void SetPrinterIndex(int32_t Value);
    QString PrinterName() const { return FPrinterName; }
    void SetPrinterName(const QString &Value);
    QString FieldRepetition() const { return FFieldRepetition; }
    void SetFieldRepetition(const QString &Value);
    bool ContinousPaper() const { return FContinousPaper; }
    void SetContinousPaper(bool Value);

    // Run state of the print run and the preview.
    int32_t PagesToPrint = 0;
    int32_t LabelsToPrint = 0;
    bool FindDetail = false;
    int32_t RequestPage = 0;
    TKXFillType FillType = TKXFillType::ftNone;

    // The chosen printer's metrics, read from the printer port each time: resolution in
    // dots per inch, printable area and its offsets in hundredths of a millimetre. All 0
    // when the printer is not there.
    int32_t DpiH() const;
    int32_t DpiV() const;
    int32_t Width() const;
    int32_t Height() const;
    int32_t MarginLeft() const;
    int32_t MarginTop() const;
    int32_t MarginRight() const;
    int32_t MarginBottom() const;

    // Where the metrics come from. By default the printer port, on the queue named
    // PrinterName (PrinterIndex as the hint), with PaperSize and Orientation; no metrics
    // (all 0) when there is no such printer. Tests and the print run may give their own.
    using TMetricsSource = std::function<TKXPrinterMetrics(const TKXPrintInfo &)>;
    void SetMetricsSource(TMetricsSource Source) { FMetricsSource = std::move(Source); }
    TKXPrinterMetrics PrinterMetrics() const;

private:
    friend class TKXLabelFile; // the label file stores fields directly
    void Modified();
    TMetricsSource FMetricsSource;

    TKXCustomLab *FOwner;
    TColor FMarginColor = clRed;
    int32_t FLabs = 1;
    int32_t FRepetition = 1;
    int32_t FFirstRow = 1;
    int32_t FFirstCol = 1;
    int32_t FFirstLab = 1;
    int32_t FLastLab = 0;
    int32_t FCopies = 1;
    int16_t FPaperSize = 9;
    TPrinterOrientation FOrientation = TPrinterOrientation::poPortrait;
    int32_t FPrinterIndex = -99;
    QString FPrinterName;
    QString FFieldRepetition;
    bool FContinousPaper = false;
};

} // namespace kx
