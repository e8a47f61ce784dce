#include "elements/KXTable.h"

#include "core/KXCodec1252.h"
#include "core/KXError.h"
#include "data/KXDataset.h"
#include "document/KXBaseLab.h"
#include "document/KXDesignerServices.h"
#include "file/KXLabelFile.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace kx {

namespace {

constexpr int32_t MinColumnWidth = 5;

QString ReadText(TKXStreamReader &Stream, bool Wide)
{
    if (Wide)
        return QString::fromStdU16String(ReadWideStr(Stream));
    return QString::fromStdU16String(AnsiToWide(ReadAnsiStr(Stream)));
}

QString ReadAnsi(TKXStreamReader &Stream)
{
    return QString::fromStdU16String(AnsiToWide(ReadAnsiStr(Stream)));
}

void WriteAnsi(const QString &S, TKXStreamWriter &Stream)
{
    WriteAnsiStr(WideToAnsi(S.toStdU16String()), Stream);
}

// Equal but for the letter case of A to Z.
bool SameAsciiCase(const QString &A, const QString &B)
{
    if (A.size() != B.size())
        return false;
    for (qsizetype i = 0; i < A.size(); ++i) {
        char16_t a = A[i].unicode(), b = B[i].unicode();
        if (a >= u'a' && a <= u'z')
            a = char16_t(a - 32);
        if (b >= u'a' && b <= u'z')
            b = char16_t(b - 32);
        if (a != b)
            return false;
    }
    return true;
}

} // namespace

// The kind of values a field of this type holds; false for the types that keep the kind
// the column has.
bool FieldKindOf(TKXFieldType Type, TKXFieldKind &Kind)
{
    if (IsIntegerFieldType(Type))
        Kind = TKXFieldKind::fkNumber;
    else if (IsFloatFieldType(Type))
        Kind = TKXFieldKind::fkFloat;
    else if (IsDateTimeFieldType(Type))
        Kind = TKXFieldKind::fkTime;
    else
        return false;
    return true;
}

// ---------------------------------------------------------------------------------------
// TKXColumn

TKXColumn::TKXColumn(TKXTable *AOwner) : FOwner(AOwner) {}

template <class T>
void TKXColumn::Assign(T &Field, const T &Value, bool Compare, unsigned Effects, bool Notify)
{
    if (Compare && Field == Value)
        return;
    FOwner->RecordUndo();
    Field = Value;
    Effect(Effects, Notify);
}

void TKXColumn::Effect(unsigned Effects, bool Notify)
{
    // A column not yet in its table leaves the table's geometry alone.
    if (FOwner->IndexOf(this) >= 0) {
        if (Effects & efPositions)
            FOwner->UpdateColumnPositions();
        if (Effects & efHeader)
            FOwner->UpdateHeader();
        if (Effects & efFooter)
            FOwner->UpdateFooter();
        if (Effects & efRows)
            FOwner->UpdateRowCount();
    }
    if (Notify)
        FOwner->Notify(QString());
}

QString TKXColumn::FieldName() const
{
    bool asDate = false;
    return FOwner->Owner()->DetailFieldNameToCaption(FFieldName, asDate);
}

void TKXColumn::SetFieldName(const QString &Caption)
{
    if (Caption == FFieldName)
        return;
    bool asDate = false;
    QString name;
    FOwner->Owner()->DetailCaptionToFieldName(Caption, asDate, name);
    // The field is looked up before anything changes: a name the detail dataset lacks
    // raises and leaves the column as it was.
    TKXFieldKind kind = FieldKind;
    if (TKXDataSet *detail = FOwner->Owner()->Detail(); detail && !name.isEmpty()) {
        const bool wasOpen = detail->Active();
        if (!wasOpen)
            detail->Open();
        TKXField *f = detail->FindField(name);
        const TKXFieldType type = f ? f->DataType() : TKXFieldType::ftUnknown;
        if (!wasOpen)
            detail->Close();
        if (!f)
            throw EKxError("Field '" + name.toStdString() + "' not found");
        FieldKindOf(type, kind);
    }
    FOwner->RecordUndo();
    FFieldName = name;
    FieldKind = kind;
}

void TKXColumn::SetColor(TColor Value) { Assign(FColor, Value, true, efNone, true); }
void TKXColumn::SetFontColor(TColor Value) { Assign(FFontColor, Value, true, efNone, true); }
void TKXColumn::SetBold(bool Value) { Assign(FBold, Value, true, efNone, true); }
void TKXColumn::SetItalic(bool Value) { Assign(FItalic, Value, true, efNone, true); }
void TKXColumn::SetUnderline(bool Value) { Assign(FUnderline, Value, true, efNone, true); }
void TKXColumn::SetTitleColor(TColor Value) { Assign(FTitleColor, Value, true, efNone, true); }
void TKXColumn::SetTitleFontColor(TColor Value) { Assign(FTitleFontColor, Value, true, efNone, true); }
void TKXColumn::SetTitleBold(bool Value) { Assign(FTitleBold, Value, true, efNone, true); }
void TKXColumn::SetTitleItalic(bool Value) { Assign(FTitleItalic, Value, true, efNone, true); }
void TKXColumn::SetTitleUnderline(bool Value) { Assign(FTitleUnderline, Value, true, efNone, true); }
void TKXColumn::SetFontName(const QString &Value) { Assign(FFontName, Value, true, efNone, true); }
void TKXColumn::SetAlign(TAlignment Value) { Assign(FAlign, Value, true, efPositions, true); }
void TKXColumn::SetFooterAlign(TAlignment Value) { Assign(FFooterAlign, Value, true, efFooter, true); }
void TKXColumn::SetTitleAlign(TAlignment Value) { Assign(FTitleAlign, Value, true, efHeader, FShowTitle); }

void TKXColumn::SetTitle(const QString &Value)
{
    if (SameAsciiCase(Value, FTitle))
        return;
    Assign(FTitle, Value, false, efNone, FShowTitle);
}

void TKXColumn::SetShowTitle(bool Value) { Assign(FShowTitle, Value, true, efHeader | efRows, true); }
void TKXColumn::SetShowFooter(bool Value) { Assign(FShowFooter, Value, true, efFooter | efRows, true); }

float TKXColumn::FontHeight() const { return FOwner->ToUnits(FFontHeight); }
float TKXColumn::TitleHeight() const { return FOwner->ToUnits(FTitleHeight); }
float TKXColumn::TitleFontHeight() const { return FOwner->ToUnits(FTitleFontHeight); }
float TKXColumn::FooterHeight() const { return FOwner->ToUnits(FFooterHeight); }
float TKXColumn::FooterFontHeight() const { return FOwner->ToUnits(FFooterFontHeight); }

void TKXColumn::SetFontHeight(float Value)
{
    Assign(FFontHeight, FOwner->ToInternal(Value), false, efNone, true);
}

void TKXColumn::SetTitleFontHeight(float Value)
{
    Assign(FTitleFontHeight, FOwner->ToInternal(Value), false, efNone, FShowTitle);
}

void TKXColumn::SetFooterFontHeight(float Value)
{
    Assign(FFooterFontHeight, FOwner->ToInternal(Value), false, efNone, FShowFooter);
}

void TKXColumn::SetTitleHeight(float Value)
{
    Assign(FTitleHeight, FOwner->ToInternal(Value), false, efHeader | efRows, FShowTitle);
}

void TKXColumn::SetFooterHeight(float Value)
{
    Assign(FFooterHeight, FOwner->ToInternal(Value), false, efFooter | efRows, FShowFooter);
}

void TKXColumn::SetWidth(int32_t Value)
{
    FOwner->RecordUndo();
    if (Value == FWidth)
        return;
    Value = std::min(Value, 100);
    const int32_t n = FOwner->ColCount();
    int32_t width;
    if (FOwner->IndexOf(this) >= 0) {
        if (n == 1)
            width = 100;
        else {
            width = std::clamp(Value, MinColumnWidth, 100 - MinColumnWidth * (n - 1));
            const int32_t d = FWidth - width;
            const int32_t moved = FOwner->SpreadWidth(this, std::abs(d), d <= 0);
            // Points the others could not take or give stay with this column, so that the
            // widths keep adding up to 100.
            width += d <= 0 ? -(std::abs(d) - moved) : std::abs(d) - moved;
        }
    } else
        width = n == 0 ? Value : std::clamp(Value, MinColumnWidth, 100 - MinColumnWidth * n);
    FWidth = width;
    Effect(efPositions | efHeader | efFooter, true);
}

// ---------------------------------------------------------------------------------------
// TKXTable

TKXTable::TKXTable(TKXCustomLab *AOwner) : TKXBaseEx2D(AOwner)
{
    FTitle.Text = u"Table Title";
    FTitle.Visible = true;
    FTitle.BackColor = 0xC0C0C0;
    FTitle.FontColor = 0;
    FTitle.FontName = u"Arial";
    FTitle.FontHeight = 500;
    FTitle.Height = 1000;
    FTitle.Alignment = TAlignment::taCenter;
    FPenWidth = 20;
    FSelType = TKXSelType::stRect;
}

TKXTable::~TKXTable() = default;

void TKXTable::AddPublished(TKXPropTable &t)
{
    TKXBaseEx2D::AddPublished(t);
    t.Add(PublishProp("ID", "AnsiString", &TKXElement::ID, &TKXElement::SetID));
    TKXPropInfo edit = PublishProp("EditTable", "WideString", &TKXTable::EditTable, &TKXTable::SetTitleText);
    edit.Set = {};
    t.Add(edit);
    t.Add(PublishProp("TitleText", "WideString", &TKXTable::TitleText, &TKXTable::SetTitleText));
    t.Add(PublishProp("TitleFontHeight", "Single", &TKXTable::TitleFontHeight, &TKXTable::SetTitleFontHeight));
    t.Add(PublishProp("TitleVisible", "Boolean", &TKXTable::TitleVisible, &TKXTable::SetTitleVisible));
    t.Add(PublishProp("TitleHeight", "Single", &TKXTable::TitleHeight, &TKXTable::SetTitleHeight));
    t.Add(PublishProp("GridColor", "TColor", &TKXTable::GridColor, &TKXTable::SetGridColor));
    t.Add(PublishProp("GridStyle", "", &TKXTable::GridStyle, &TKXTable::SetGridStyle));
    t.Add(PublishProp("Angle", "Integer", &TKXElement::Angle, &TKXElement::SetAngle));
    t.Add(PublishProp("PenWidth", "Single", &TKXElement::PenWidth, &TKXElement::SetPenWidth));
    t.Add(PublishProp("RowColor", "TColor", &TKXTable::RowColor, &TKXTable::SetRowColor));
    t.Add(PublishProp("RowHeight", "Single", &TKXTable::RowHeight, &TKXTable::SetRowHeight));
}

const TKXPropTable &TKXTable::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXTable::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXTable", &TKXBaseEx2D::ClassInfo());
}

// --- Columns ------------------------------------------------------------------------------

int TKXTable::IndexOf(const TKXColumn *Col) const
{
    for (size_t i = 0; i < FColumns.size(); ++i)
        if (FColumns[i].get() == Col)
            return int(i);
    return -1;
}

void TKXTable::CheckIndex(int Index) const
{
    if (Index < 0 || Index >= ColCount())
        throw EKxError("List index out of bounds (" + std::to_string(Index) + ")");
}

TKXColumn &TKXTable::Columns(int Index) const
{
    CheckIndex(Index);
    return *FColumns[size_t(Index)];
}

void TKXTable::ClearColumns()
{
    FColumns.clear();
}

int32_t TKXTable::SpreadWidth(const TKXColumn *Col, int32_t Amount, bool Shrink)
{
    std::vector<TKXColumn *> others;
    for (const auto &c : FColumns)
        if (c.get() != Col)
            others.push_back(c.get());
    if (others.empty() || Amount <= 0)
        return 0;
    if (!Shrink) {
        // Every column can take points: the first wider than the minimum, else the first.
        auto it = std::find_if(others.begin(), others.end(),
                               [](const TKXColumn *c) { return c->FWidth > MinColumnWidth; });
        (it != others.end() ? *it : others.front())->FWidth += Amount;
        return Amount;
    }
    int32_t moved = 0;
    for (TKXColumn *c : others) {
        const int32_t give = std::min(Amount - moved, std::max(0, c->FWidth - MinColumnWidth));
        c->FWidth -= give;
        moved += give;
        if (moved == Amount)
            break;
    }
    return moved;
}

TKXColumn &TKXTable::AddColumn()
{
    return AddColumn(std::make_unique<TKXColumn>(this));
}

TKXColumn &TKXTable::AddColumn(std::unique_ptr<TKXColumn> Col)
{
    if (!Col)
        throw EKxError("No column to add");
    Col->FOwner = this;
    RecordUndo();
    if (FColumns.empty())
        Col->FWidth = 100;
    else {
        const int32_t n = ColCount();
        const int32_t wanted = Col->FWidth == 0 ? 10 : std::clamp(Col->FWidth, MinColumnWidth, 100 - MinColumnWidth * n);
        Col->FWidth = SpreadWidth(nullptr, wanted, true);
    }
    FColumns.push_back(std::move(Col));
    UpdateAll();
    Notify(QString());
    return *FColumns.back();
}

void TKXTable::RemoveColumn(int ColIndex)
{
    CheckIndex(ColIndex);
    RecordUndo();
    const int32_t width = FColumns[size_t(ColIndex)]->FWidth;
    FColumns.erase(FColumns.begin() + ColIndex);
    if (!FColumns.empty())
        FColumns.front()->FWidth += width;
    UpdateAll();
    Notify(QString());
}

void TKXTable::ExchangeColumns(int Col1, int Col2)
{
    CheckIndex(Col1);
    CheckIndex(Col2);
    if (Col1 == Col2)
        return;
    RecordUndo();
    std::swap(FColumns[size_t(Col1)], FColumns[size_t(Col2)]);
    UpdateColumnPositions();
    UpdateHeader();
    UpdateFooter();
    Notify(QString());
}

// --- Table properties -----------------------------------------------------------------------

template <class T>
void TKXTable::Assign(T &Field, const T &Value, bool Compare, const QString &Name, bool RowCount)
{
    if (Compare && Field == Value)
        return;
    RecordUndo();
    Field = Value;
    if (RowCount)
        UpdateRowCount();
    Notify(Name);
}

void TKXTable::SetGridColor(TColor Value) { Assign(FGridColor, Value, true, QStringLiteral("LineColor"), false); }
void TKXTable::SetGridStyle(TKXGridStyle Value) { Assign(FGridStyle, Value, true, QStringLiteral("GridStyle"), false); }
void TKXTable::SetRowColor(TColor Value) { Assign(FRowColor, Value, true, QString(), false); }
void TKXTable::SetDrawTable(TKXDrawTable Value) { Assign(FDrawTable, Value, true, QString(), false); }
void TKXTable::SetTitleFontBold(bool Value) { Assign(FTitle.Bold, Value, true, QString(), false); }
void TKXTable::SetTitleFontItalic(bool Value) { Assign(FTitle.Italic, Value, true, QString(), false); }
void TKXTable::SetTitleFontUnderline(bool Value) { Assign(FTitle.Underline, Value, true, QString(), false); }
void TKXTable::SetTitleBackColor(TColor Value) { Assign(FTitle.BackColor, Value, true, QString(), false); }
void TKXTable::SetTitleFontColor(TColor Value) { Assign(FTitle.FontColor, Value, true, QString(), false); }
void TKXTable::SetTitleTextAlignment(TAlignment Value) { Assign(FTitle.Alignment, Value, true, QString(), false); }
void TKXTable::SetTitleVisible(bool Value) { Assign(FTitle.Visible, Value, true, QStringLiteral("TitleVisible"), true); }

QString TKXTable::TitleText() const { return QString::fromStdU16String(FTitle.Text); }
QString TKXTable::TitleFontName() const { return QString::fromStdU16String(FTitle.FontName); }

void TKXTable::SetTitleText(const QString &Value)
{
    Assign(FTitle.Text, Value.toStdU16String(), true, QStringLiteral("TitleText"), false);
}

void TKXTable::SetTitleFontName(const QString &Value)
{
    Assign(FTitle.FontName, Value.toStdU16String(), true, QString(), false);
}

float TKXTable::RowHeight() const { return ToUnits(FRowHeight); }
float TKXTable::TitleHeight() const { return ToUnits(FTitle.Height); }
float TKXTable::TitleFontHeight() const { return ToUnits(FTitle.FontHeight); }

void TKXTable::SetRowHeight(float Value)
{
    Assign(FRowHeight, ToInternal(Value), false, QStringLiteral("RowHeight"), true);
}

void TKXTable::SetTitleHeight(float Value)
{
    Assign(FTitle.Height, ToInternal(Value), false, QStringLiteral("TitleHeight"), true);
}

void TKXTable::SetTitleFontHeight(float Value)
{
    Assign(FTitle.FontHeight, ToInternal(Value), false, QStringLiteral("TitleFontHeight"), false);
}

void TKXTable::SetBackColor(TColor Value)
{
    TKXBaseEx2D::SetBackColor(Value);
    for (const auto &c : FColumns)
        c->SetColor(Value);
}

// --- Derived geometry ---------------------------------------------------------------------

// In 64 bits and clamped: a damaged file's points may lie at the two ends of the range.
int32_t TKXTable::ColumnExtent() const
{
    return ClampCoord(FAngle == 90 || FAngle == 270 ? int64_t(FP2.y) - FP1.y : int64_t(FP2.x) - FP1.x);
}

int32_t TKXTable::RowExtent() const
{
    return ClampCoord(FAngle == 90 || FAngle == 270 ? int64_t(FP2.x) - FP1.x : int64_t(FP2.y) - FP1.y);
}

void TKXTable::UpdateColumnPositions()
{
    // Positions summed in 64 bits and clamped: stored percentages need not add up to 100.
    const int64_t w = ColumnExtent();
    int64_t s = 0;
    for (size_t i = 0; i < FColumns.size(); ++i) {
        TKXColumn &c = *FColumns[i];
        c.PosT = ClampCoord(s);
        c.ColWidth = i + 1 == FColumns.size() ? ClampCoord(w - c.PosT)
                                              : RoundToInt32(double(c.FWidth) * double(w) / 100.0);
        s = c.PosT + int64_t(c.ColWidth);
    }
}

void TKXTable::UpdateHeader()
{
    FHeaderVisible = false;
    FHeaderH = 0;
    for (const auto &c : FColumns)
        if (c->FShowTitle) {
            FHeaderVisible = true;
            FHeaderH = std::max(FHeaderH, c->FTitleHeight);
        }
}

void TKXTable::UpdateFooter()
{
    FFooterVisible = false;
    FFooterH = 0;
    for (const auto &c : FColumns)
        if (c->FShowFooter) {
            FFooterVisible = true;
            FFooterH = std::max(FFooterH, c->FFooterHeight);
        }
}

void TKXTable::UpdateRowCount()
{
    int64_t h = RowExtent();
    if (FTitle.Visible)
        h -= FTitle.Height;
    if (FHeaderVisible)
        h -= FHeaderH;
    if (FFooterVisible)
        h -= FFooterH;
    // A row height of 0 or less holds no rows.
    FRows = FRowHeight > 0 ? int32_t(std::clamp<int64_t>(h / FRowHeight, INT32_MIN, MaxRows)) : 0;
}

void TKXTable::UpdateAll()
{
    UpdateColumnPositions();
    UpdateHeader();
    UpdateFooter();
    UpdateRowCount();
}

void TKXTable::SetX1(float Value)
{
    TKXBaseEx2D::SetX1(Value);
    UpdateAll();
}

void TKXTable::SetY1(float Value)
{
    TKXBaseEx2D::SetY1(Value);
    UpdateAll();
}

void TKXTable::SetX2(float Value)
{
    TKXBaseEx2D::SetX2(Value);
    UpdateAll();
}

void TKXTable::SetY2(float Value)
{
    TKXBaseEx2D::SetY2(Value);
    UpdateAll();
}

void TKXTable::SetP1(int32_t X, int32_t Y)
{
    TKXBaseEx2D::SetP1(X, Y);
    UpdateAll();
}

void TKXTable::SetP2(int32_t X, int32_t Y)
{
    TKXBaseEx2D::SetP2(X, Y);
    UpdateAll();
}

void TKXTable::ApplyBorder()
{
    TKXBaseEx2D::ApplyBorder();
    UpdateAll();
}

void TKXTable::SetBorder(const TRect &Value)
{
    TKXBaseEx2D::SetBorder(Value);
    if (const TKXCustomEditor *ed = FOwner->Editor()) {
        FP2.x = ed->ScreenToLabelX(Value.Right);
        FP2.y = ed->ScreenToLabelY(Value.Bottom);
    }
    UpdateAll();
}

void TKXTable::AdjustAlignToAngle()
{
    TKXBaseEx2D::AdjustAlignToAngle();
    UpdateAll();
}

// --- Record ---------------------------------------------------------------------------------

void TKXTable::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::deTable);
    TKXBaseEx2D::SaveToStream(Stream);
    Stream.WriteInt32(int32_t(FGridColor));
    Stream.WriteEnum(FGridStyle);
    Stream.WriteBool(FixedHeight);
    Stream.WriteInt32(FRowHeight);
    Stream.WriteBool(FTitle.Visible);
    Stream.WriteBool(FTitle.Bold);
    Stream.WriteBool(FTitle.Italic);
    Stream.WriteBool(FTitle.Underline);
    Stream.WriteInt32(FTitle.FontHeight);
    Stream.WriteInt32(FTitle.Height);
    Stream.WriteInt32(int32_t(FTitle.BackColor));
    Stream.WriteInt32(int32_t(FTitle.FontColor));
    Stream.WriteEnum(FTitle.Alignment);
    Stream.WriteEnum(FDrawTable);
    WriteWideStr(FTitle.Text, Stream);
    WriteWideStr(FTitle.FontName, Stream);
    Stream.WriteInt32(ColCount());
    for (const auto &p : FColumns) {
        const TKXColumn &c = *p;
        Stream.WriteInt32(int32_t(c.FColor));
        Stream.WriteInt32(c.FWidth);
        Stream.WriteBool(c.FBold);
        Stream.WriteBool(c.FItalic);
        Stream.WriteBool(c.FUnderline);
        Stream.WriteInt32(c.FFontHeight);
        Stream.WriteInt32(int32_t(c.FFontColor));
        Stream.WriteInt32(int32_t(c.FTitleColor));
        Stream.WriteInt32(int32_t(c.FTitleFontColor));
        Stream.WriteInt32(c.FTitleHeight);
        Stream.WriteInt32(c.FTitleFontHeight);
        Stream.WriteEnum(c.FAlign);
        Stream.WriteEnum(c.FTitleAlign);
        Stream.WriteBool(c.FTitleBold);
        Stream.WriteBool(c.FTitleItalic);
        Stream.WriteBool(c.FTitleUnderline);
        Stream.WriteBool(c.FShowTitle);
        Stream.WriteBool(c.FShowFooter);
        Stream.WriteEnum(c.DrawTable);
        Stream.WriteInt32(int32_t(c.FooterColor));
        Stream.WriteInt32(int32_t(c.FooterFontColor));
        // The footer keeps underline before italic.
        Stream.WriteBool(c.FooterBold);
        Stream.WriteBool(c.FooterUnderline);
        Stream.WriteBool(c.FooterItalic);
        Stream.WriteEnum(c.FFooterAlign);
        Stream.WriteInt32(c.FFooterHeight);
        Stream.WriteInt32(c.FFooterFontHeight);
        Stream.WriteEnum(c.FooterType);
        WriteWideStr(c.FTitle.toStdU16String(), Stream);
        WriteAnsi(c.FFontName, Stream);
        WriteAnsi(c.TitleFontName, Stream);
        WriteAnsi(c.FooterFontName, Stream);
        WriteAnsi(c.FFieldName, Stream);
        WriteAnsi(c.Format, Stream);
    }
}

void TKXTable::LoadFromStream(TKXStreamReader &Stream)
{
    TKXBaseEx2D::LoadFromStream(Stream);
    const int32_t version = FOwner->FileVersion();
    const bool wide = version >= 19;
    // Lengths of records before version 20 are tenths of a millimetre. Column widths are
    // percentages in every version and are read as they stand.
    auto len = [&] {
        const int32_t v = Stream.ReadInt32();
        return LimitedLength(version < 20 ? TenthsToInternal(v) : v);
    };
    FGridColor = TColor(Stream.ReadInt32());
    FGridStyle = Stream.ReadEnum<TKXGridStyle>();
    FixedHeight = Stream.ReadBool();
    FRowHeight = len();
    FTitle.Visible = Stream.ReadBool();
    FTitle.Bold = Stream.ReadBool();
    FTitle.Italic = Stream.ReadBool();
    FTitle.Underline = Stream.ReadBool();
    FTitle.FontHeight = len();
    FTitle.Height = len();
    FTitle.BackColor = TColor(Stream.ReadInt32());
    FTitle.FontColor = TColor(Stream.ReadInt32());
    FTitle.Alignment = Stream.ReadEnum<TAlignment>();
    FDrawTable = Stream.ReadEnum<TKXDrawTable>();
    FTitle.Text = ReadText(Stream, wide).toStdU16String();
    FTitle.FontName = ReadText(Stream, wide).toStdU16String();
    const int32_t n = Stream.ReadInt32();
    if (n < 0 || n > 100000)
        throw EKxStreamError("table: column count " + std::to_string(n) + " out of range");
    // Undo reads a record into the existing table: its columns are replaced.
    FColumns.clear();
    for (int32_t i = 0; i < n; ++i) {
        auto c = std::make_unique<TKXColumn>(this);
        c->FColor = TColor(Stream.ReadInt32());
        c->FWidth = LimitedLength(Stream.ReadInt32());
        c->FBold = Stream.ReadBool();
        c->FItalic = Stream.ReadBool();
        c->FUnderline = Stream.ReadBool();
        c->FFontHeight = len();
        c->FFontColor = TColor(Stream.ReadInt32());
        c->FTitleColor = TColor(Stream.ReadInt32());
        c->FTitleFontColor = TColor(Stream.ReadInt32());
        c->FTitleHeight = len();
        c->FTitleFontHeight = len();
        c->FAlign = Stream.ReadEnum<TAlignment>();
        c->FTitleAlign = Stream.ReadEnum<TAlignment>();
        c->FTitleBold = Stream.ReadBool();
        c->FTitleItalic = Stream.ReadBool();
        c->FTitleUnderline = Stream.ReadBool();
        c->FShowTitle = Stream.ReadBool();
        c->FShowFooter = Stream.ReadBool();
        c->DrawTable = Stream.ReadEnum<TKXDrawTable>();
        c->FooterColor = TColor(Stream.ReadInt32());
        c->FooterFontColor = TColor(Stream.ReadInt32());
        c->FooterBold = Stream.ReadBool();
        c->FooterUnderline = Stream.ReadBool();
        c->FooterItalic = Stream.ReadBool();
        c->FFooterAlign = Stream.ReadEnum<TAlignment>();
        c->FFooterHeight = len();
        c->FFooterFontHeight = len();
        c->FooterType = Stream.ReadEnum<TKXFooterType>();
        c->FTitle = ReadText(Stream, wide);
        c->FFontName = ReadAnsi(Stream);
        c->TitleFontName = ReadAnsi(Stream);
        c->FooterFontName = ReadAnsi(Stream);
        c->FFieldName = ReadAnsi(Stream);
        c->Format = ReadAnsi(Stream);
        FColumns.push_back(std::move(c));
    }
    UpdateAll();
}

} // namespace kx
