// The table element: the records of the document's detail dataset as a grid with an
// optional title band, an optional header band (one title per column), as many data rows as
// fit and an optional footer band with one aggregate per column.
//
// The columns (TKXColumn) are owned by their table and are not elements: a change to a
// column records the whole table for undo. Column widths are percentages of the table's
// column extent and always add up to 100 once the columns are in a table. The derived
// geometry (column positions, header and footer heights, the row capacity) is recomputed by
// the operations that change it and after a record is read.
//
// Axes: the column axis runs across the columns, the row axis down the table. At 0 and 180
// degrees the column extent is the X extent; at 90 and 270 the axes are swapped.
//
// Lengths are hundredths of a millimetre; the float properties are in the document's units.
#pragma once

#include "document/KXElement.h"

#include <QString>

#include <memory>
#include <vector>

namespace kx {

class TKXTable;
class TKXField;
struct TKXFont;

class TKXColumn {
public:
    // The defaults of a new column. The constructor neither records undo nor notifies: the
    // table does both when the column is added.
    explicit TKXColumn(TKXTable *AOwner);
    TKXColumn(const TKXColumn &) = delete;
    TKXColumn &operator=(const TKXColumn &) = delete;

    TKXTable *Owner() const { return FOwner; }

    // --- Data cells ---------------------------------------------------------------------
    // FieldName reads and takes the caption of the detail field; the stored name is
    // BoundName(). Setting a caption whose field the detail dataset lacks raises EKxError
    // and changes nothing.
    QString FieldName() const;
    void SetFieldName(const QString &Caption);
    QString BoundName() const { return FFieldName; }
    // Number or date pattern of the values; empty shows the field's own text.
    QString Format;
    TColor Color() const { return FColor; }
    void SetColor(TColor Value);
    TColor FontColor() const { return FFontColor; }
    void SetFontColor(TColor Value);
    float FontHeight() const;
    void SetFontHeight(float Value);
    int32_t FontHeightInternal() const { return FFontHeight; }
    QString FontName() const { return FFontName; }
    void SetFontName(const QString &Value);
    TAlignment Align() const { return FAlign; }
    void SetAlign(TAlignment Value);
    bool Bold() const { return FBold; }
    void SetBold(bool Value);
    bool Italic() const { return FItalic; }
    void SetItalic(bool Value);
    bool Underline() const { return FUnderline; }
    void SetUnderline(bool Value);
    // Percent of the table's column extent; see TKXTable for how the others follow.
    int32_t Width() const { return FWidth; }
    void SetWidth(int32_t Value);

    // --- Header cell --------------------------------------------------------------------
    bool ShowTitle() const { return FShowTitle; }
    void SetShowTitle(bool Value);
    QString Title() const { return FTitle; }
    void SetTitle(const QString &Value);
    TColor TitleColor() const { return FTitleColor; }
    void SetTitleColor(TColor Value);
    TColor TitleFontColor() const { return FTitleFontColor; }
    void SetTitleFontColor(TColor Value);
    float TitleHeight() const;
    void SetTitleHeight(float Value);
    int32_t TitleHeightInternal() const { return FTitleHeight; }
    float TitleFontHeight() const;
    void SetTitleFontHeight(float Value);
    int32_t TitleFontHeightInternal() const { return FTitleFontHeight; }
    QString TitleFontName = QStringLiteral("Arial");
    TAlignment TitleAlign() const { return FTitleAlign; }
    void SetTitleAlign(TAlignment Value);
    bool TitleBold() const { return FTitleBold; }
    void SetTitleBold(bool Value);
    bool TitleItalic() const { return FTitleItalic; }
    void SetTitleItalic(bool Value);
    bool TitleUnderline() const { return FTitleUnderline; }
    void SetTitleUnderline(bool Value);

    // --- Footer cell --------------------------------------------------------------------
    bool ShowFooter() const { return FShowFooter; }
    void SetShowFooter(bool Value);
    float FooterHeight() const;
    void SetFooterHeight(float Value);
    int32_t FooterHeightInternal() const { return FFooterHeight; }
    float FooterFontHeight() const;
    void SetFooterFontHeight(float Value);
    int32_t FooterFontHeightInternal() const { return FFooterFontHeight; }
    TAlignment FooterAlign() const { return FFooterAlign; }
    void SetFooterAlign(TAlignment Value);
    // Plain fields: no undo, no notification.
    TColor FooterColor = 0xFFFFFF;
    TColor FooterFontColor = 0;
    QString FooterFontName = QStringLiteral("Arial");
    bool FooterBold = false;
    bool FooterItalic = false;
    bool FooterUnderline = false;
    TKXFooterType FooterType = TKXFooterType::ftCount;
    TKXDrawTable DrawTable = TKXDrawTable::dtColumns; // kept in the record; unused

    // --- Derived and running values (not stored) -------------------------------------------
    int32_t PosT = 0;      // offset from the table's start along the column axis
    int32_t ColWidth = 0;  // extent along the column axis
    // The kind of the bound field's values; set from the field's type when the field name is
    // set and on every drawing with data.
    TKXFieldKind FieldKind = TKXFieldKind::fkFloat;
    // The footer aggregate of the last drawing with data: FooterFloat for float and date
    // columns, FooterInt for whole numbers, FooterCount records; FooterValues counts the
    // records that had a value (the others are null or not numbers).
    double FooterFloat = 0;
    int64_t FooterInt = 0;
    int32_t FooterCount = 0;
    int32_t FooterValues = 0;

private:
    friend class TKXTable;
    enum : unsigned { efNone = 0, efPositions = 1, efHeader = 2, efFooter = 4, efRows = 8 };
    // Records the table, stores, recomputes what Effects names and notifies when Notify.
    template <class T>
    void Assign(T &Field, const T &Value, bool Compare, unsigned Effects, bool Notify);
    void Effect(unsigned Effects, bool Notify);

    TKXTable *FOwner;
    QString FFieldName;
    TColor FColor = 0xFFFFFF;
    TColor FFontColor = 0;
    int32_t FFontHeight = 400;
    int32_t FWidth = 0;
    QString FFontName = QStringLiteral("Arial");
    TAlignment FAlign = TAlignment::taLeftJustify;
    bool FBold = false;
    bool FItalic = false;
    bool FUnderline = false;
    bool FShowTitle = true;
    TColor FTitleFontColor = 0;
    TColor FTitleColor = 0xFFFFFF;
    int32_t FTitleFontHeight = 400;
    QString FTitle;
    TAlignment FTitleAlign = TAlignment::taLeftJustify;
    bool FTitleBold = false;
    bool FTitleItalic = false;
    bool FTitleUnderline = false;
    int32_t FTitleHeight = 800;
    bool FShowFooter = false;
    int32_t FFooterHeight = 800;
    int32_t FFooterFontHeight = 400;
    TAlignment FFooterAlign = TAlignment::taLeftJustify;
};

class TKXTable : public TKXBaseEx2D {
public:
    explicit TKXTable(TKXCustomLab *AOwner);
    ~TKXTable() override;
    const TKXPropTable &Published() const override;
    static const TKXClassInfo &ClassInfo();
    const TKXClassInfo &ClassType() const override { return ClassInfo(); }
    TKXEle ElementType() const override { return TKXEle::deTable; }
    TRect GetRect() const override { return {FP1.x, FP1.y, FP2.x, FP2.y}; }

    // --- Columns ----------------------------------------------------------------------
    int ColCount() const { return int(FColumns.size()); }
    TKXColumn &Columns(int Index) const; // EKxError when out of range
    // Frees every column (no undo, no notification).
    void ClearColumns();
    // Appends a column the table takes over (created for this table). A column of width 0
    // gets 100 percent in an empty table, else 10 percent taken from the other columns; a
    // column of another width is limited so that every column keeps at least 5 percent and
    // its points are taken from the others. The widths keep adding up to 100.
    TKXColumn &AddColumn(std::unique_ptr<TKXColumn> Col);
    // A new column with the defaults, added as above.
    TKXColumn &AddColumn();
    // The removed column's width goes to the first remaining column. An index out of range
    // raises EKxError and changes nothing, undo included.
    void RemoveColumn(int ColIndex);
    // Swaps two columns; equal indices do nothing. Out of range: EKxError, nothing changes.
    void ExchangeColumns(int Col1, int Col2);

    // --- Table properties -------------------------------------------------------------
    QString EditTable() const { return {}; }
    TColor GridColor() const { return FGridColor; }
    void SetGridColor(TColor Value);
    TKXGridStyle GridStyle() const { return FGridStyle; }
    void SetGridStyle(TKXGridStyle Value);
    TColor RowColor() const { return FRowColor; }
    void SetRowColor(TColor Value);
    TKXDrawTable DrawTable() const { return FDrawTable; }
    void SetDrawTable(TKXDrawTable Value);
    float RowHeight() const;
    void SetRowHeight(float Value);
    int32_t RowHeightInternal() const { return FRowHeight; }
    bool FixedHeight = false; // kept in the record; unused

    const TTableTitle &TableTitle() const { return FTitle; }
    QString TitleText() const;
    QString GetTitleText() const { return TitleText(); }
    void SetTitleText(const QString &Value);
    bool TitleVisible() const { return FTitle.Visible; }
    void SetTitleVisible(bool Value);
    float TitleHeight() const;
    void SetTitleHeight(float Value);
    float TitleFontHeight() const;
    void SetTitleFontHeight(float Value);
    TColor TitleBackColor() const { return FTitle.BackColor; }
    void SetTitleBackColor(TColor Value);
    TColor TitleFontColor() const { return FTitle.FontColor; }
    void SetTitleFontColor(TColor Value);
    bool TitleFontBold() const { return FTitle.Bold; }
    void SetTitleFontBold(bool Value);
    bool TitleFontItalic() const { return FTitle.Italic; }
    void SetTitleFontItalic(bool Value);
    bool TitleFontUnderline() const { return FTitle.Underline; }
    void SetTitleFontUnderline(bool Value);
    QString TitleFontName() const;
    void SetTitleFontName(const QString &Value);
    TAlignment TitleTextAlignment() const { return FTitle.Alignment; }
    void SetTitleTextAlignment(TAlignment Value);

    // Also gives every column the same background colour.
    void SetBackColor(TColor Value) override;

    // --- Derived geometry ---------------------------------------------------------------
    bool HeaderVisible() const { return FHeaderVisible; }
    bool FooterVisible() const { return FFooterVisible; }
    int32_t HeaderH() const { return FHeaderH; }
    int32_t FooterH() const { return FFooterH; }
    // The data rows that fit, at most MaxRows; 0 or less draws none (always 0 for a row
    // height of 0 or less).
    int32_t Rows() const { return FRows; }
    // A label holds far fewer rows; a damaged file's huge table or tiny row height must not
    // make every drawing visit millions.
    static constexpr int32_t MaxRows = 10000;
    // Column extent W and row extent H.
    int32_t ColumnExtent() const;
    int32_t RowExtent() const;
    void UpdateColumnPositions();
    void UpdateHeader();
    void UpdateFooter();
    void UpdateRowCount();
    void UpdateAll();

    // Geometry changes keep the derived values current.
    void SetX1(float Value) override;
    void SetY1(float Value) override;
    void SetX2(float Value) override;
    void SetY2(float Value) override;
    void SetP1(int32_t X, int32_t Y) override;
    void SetP2(int32_t X, int32_t Y) override;
    void ApplyBorder() override;
    void SetBorder(const TRect &Value) override;
    void AdjustAlignToAngle() override;

    void Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill) override;

    void SaveToStream(TKXStreamWriter &Stream) const override;
    void LoadFromStream(TKXStreamReader &Stream) override;

protected:
    static void AddPublished(TKXPropTable &t);

private:
    friend class TKXColumn;
    // Moves Amount percent points between the columns other than Col (null: all): shrink
    // takes them from the first column wider than 5 percent, then the next; grow gives them
    // to the first column wider than 5 percent (the first column when none is). Answers the
    // points moved.
    int32_t SpreadWidth(const TKXColumn *Col, int32_t Amount, bool Shrink);
    template <class T>
    void Assign(T &Field, const T &Value, bool Compare, const QString &Name, bool RowCount);
    void Notify(const QString &Name) { Changed(Name); }
    int IndexOf(const TKXColumn *Col) const;
    void CheckIndex(int Index) const;

    // Painting (KXTablePainter.cpp).
    struct TFrame;
    void PaintText(TKXCanvas &Canvas, const TFrame &F, const QString &Text, int64_t A, int64_t W,
                   int64_t BandTop, int64_t BandHeight, TAlignment Align, const TKXFont &Font,
                   int64_t Inset) const;
    QString CellText(TKXColumn &Col, TKXField *Field) const;
    static QString FooterText(const TKXColumn &Col);
    static void Aggregate(TKXColumn &Col, TKXField &Field, bool First);

    TColor FGridColor = 0xC0C0C0;
    TColor FRowColor = 0xC0C0C0;
    int32_t FRowHeight = 1000;
    TKXGridStyle FGridStyle = TKXGridStyle::gsBoth;
    TKXDrawTable FDrawTable = TKXDrawTable::dtColumns;
    bool FFooterVisible = false;
    bool FHeaderVisible = false;
    int32_t FFooterH = 0;
    int32_t FHeaderH = 0;
    int32_t FRows = 0;
    TTableTitle FTitle;
    std::vector<std::unique_ptr<TKXColumn>> FColumns;
};

} // namespace kx
