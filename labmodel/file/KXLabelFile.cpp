#include "file/KXLabelFile.h"

#include "core/KXCodec1252.h"
#include "data/KXDatasets.h"
#include "document/KXBaseLab.h"
#include "document/KXCounter.h"
#include "document/KXElementFactory.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

namespace kx {

namespace {

// "BM" and the total size in the bitmap file header; the rest of the 14-byte header and
// the bitmap follow.
constexpr size_t BitmapFileHeaderSize = 14;

QString Wide(TKXStreamReader &S)
{
    return QString::fromStdU16String(ReadWideStr(S));
}

QString Ansi(TKXStreamReader &S)
{
    return QString::fromStdU16String(AnsiToWide(ReadAnsiStr(S)));
}

void PutWide(const QString &Text, TKXStreamWriter &S)
{
    WriteWideStr(Text.toStdU16String(), S);
}

void PutAnsi(const QString &Text, TKXStreamWriter &S)
{
    WriteAnsiStr(WideToAnsi(Text.toStdU16String()), S);
}

// A count of records that follow; each record takes at least one byte, so a count above the
// bytes left is malformed before anything is created for it.
int32_t ReadCount(TKXStreamReader &S, const char *What)
{
    const size_t at = S.Position();
    const int32_t n = S.ReadInt32();
    if (n < 0 || n > TKXLabelFile::MaxRecords || size_t(n) > S.Remaining())
        throw EKxStreamError(std::string(What) + " count " + std::to_string(n) + " at offset " +
                             std::to_string(at) + " impossible");
    return n;
}

// The counter record, read and written by the counter itself.
void ReadCounter(TKXStreamReader &S, TKXFileCounter &C)
{
    TKXCounter c;
    c.LoadFromStream(S);
    C = {c.NumFrom, c.NumTo, c.Num, c.Step, c.NumBefore, c.NumAfter, c.Format, c.Name};
}

void WriteCounter(const TKXFileCounter &C, TKXStreamWriter &S)
{
    TKXCounter c;
    c.NumFrom = C.NumFrom;
    c.NumTo = C.NumTo;
    c.Num = C.Num;
    c.Step = C.Step;
    c.NumBefore = C.NumBefore;
    c.NumAfter = C.NumAfter;
    c.Format = C.Format;
    c.Name = C.Name;
    c.SaveToStream(S);
}

// The field record of the external file's dataset, read and written by the field item.
void ReadField(TKXStreamReader &S, TKXFileField &F)
{
    TKXFieldItem f;
    f.LoadFromStream(S);
    F = {f.Name(), f.Caption, f.FloatAsDateTime, f.FieldType};
}

void WriteField(const TKXFileField &F, TKXStreamWriter &S)
{
    TKXFieldItem f;
    f.SetName(F.Name);
    f.Caption = F.Caption;
    f.FloatAsDateTime = F.FloatAsDateTime;
    f.FieldType = F.FieldType;
    f.SaveToStream(S);
}

// Fields 2 to 5, 15 and 16 of the oldest layout. With Ansi the picture file, label name
// and paper name are ANSI records (the dataset and the two unused texts stay wide).
void ReadOldFirstTexts(TKXStreamReader &S, TKXLabelHeader &H, bool AnsiTexts)
{
    H.BackFile = AnsiTexts ? Ansi(S) : Wide(S);
    H.DatasetName = Wide(S);
    Wide(S);
    Wide(S);
    H.LabelName = AnsiTexts ? Ansi(S) : Wide(S);
    H.PaperName = AnsiTexts ? Ansi(S) : Wide(S);
}

} // namespace

int32_t LimitedLength(int32_t Stored)
{
    return std::clamp(Stored, -MaxFileLength, MaxFileLength);
}

float LimitedFactor(float Stored)
{
    if (std::isnan(Stored))
        return 1.0f;
    return std::clamp(Stored, -MaxFileFactor, MaxFileFactor);
}

int32_t TenthsToInternal(int32_t Tenths)
{
    const int64_t v = int64_t(Tenths) * 10;
    if (v > std::numeric_limits<int32_t>::max() || v < std::numeric_limits<int32_t>::min())
        throw EKxStreamError("length " + std::to_string(Tenths) + " tenths of a millimetre out of range");
    return int32_t(v);
}

void TKXLabelFile::SkipBitmap(TKXStreamReader &S)
{
    const size_t at = S.Position();
    const uint8_t b = S.ReadUInt8();
    const uint8_t m = S.ReadUInt8();
    const uint32_t total = S.ReadUInt32();
    if (b != 'B' || m != 'M' || total < BitmapFileHeaderSize || total - 6 > S.Remaining()) {
        S.Seek(at);
        throw EKxStreamError("thumbnail at offset " + std::to_string(at) + " is not a bitmap file image");
    }
    S.Skip(total - 6);
}

TKXLabelHeader TKXLabelFile::ReadHeader(TKXStreamReader &S)
{
    TKXLabelHeader h;
    TKXStreamContext &ctx = S.Context();
    const size_t start = S.Position();
    ctx.OldFormat = IsOldLabelStream(S);
    ctx.AnsiFallback = false;

    if (ctx.OldFormat) {
        // The oldest layout: six texts, then the version. Some of these files hold ANSI
        // texts; read as wide records they run off their bounds, and are read again.
        try {
            ReadOldFirstTexts(S, h, false);
        } catch (const EKxStreamError &) {
            ctx.AnsiFallback = true;
            S.Seek(start);
            ReadOldFirstTexts(S, h, true);
        }
        h.Version = S.ReadInt32();
    } else {
        h.Version = S.ReadInt32();
        if (h.Version > TKXCustomLab::CurrentVersion)
            throw EKxStreamError("label file version " + std::to_string(h.Version) + " is newer than " +
                                 std::to_string(TKXCustomLab::CurrentVersion));
        h.BackFile = Wide(S);
        h.DatasetName = Wide(S);
        Wide(S); // unused
        Wide(S); // unused
        if (h.Version >= 2700)
            h.DetailName = Wide(S);
        if (h.Version >= 2810) {
            h.ExtFileType = S.ReadEnum<TKXExtFileType>();
            h.ExtSeparator = S.ReadEnum<TKXExtSeparator>();
            h.ExtHasHeader = S.ReadBool();
            h.ExtFileName = Wide(S);
            h.ExtTableName = Wide(S);
            h.ExtTableDisplay = Wide(S);
            h.ExtSaveFileds = S.ReadBool();
            if (h.ExtSaveFileds) {
                const int32_t n = ReadCount(S, "field");
                h.ExtFields.resize(size_t(n));
                for (TKXFileField &f : h.ExtFields)
                    ReadField(S, f);
            }
        }
        h.LabelName = Wide(S);
        h.PaperName = Wide(S);
    }
    const int32_t v = h.Version;
    const bool tenths = v < 20;

    // Thumbnail: always there before version 18, after a non-zero flag byte since.
    if (v < 18 || S.ReadUInt8() != 0)
        SkipBitmap(S);

    h.Editor.Snap = S.ReadEnum<TKXSnap>();
    h.Units = S.ReadEnum<TKXUnits>();
    const size_t accessAt = S.Position();
    auto access = EnumFromOrdinal<TKXDataAccessType>(S.ReadUInt8());
    if (!access) {
        S.Seek(accessAt);
        throw EKxStreamError("data access type out of range at offset " + std::to_string(accessAt));
    }
    // Before version 20 the type had no daNone: 0 was the alias, 1 the dataset.
    if (tenths && *access == TKXDataAccessType::daNone)
        access = TKXDataAccessType::daBDEAlias;
    else if (tenths && *access == TKXDataAccessType::daBDEAlias)
        access = TKXDataAccessType::daDataSet;
    h.DataAccessType = *access;
    auto len = [&] { return tenths ? TenthsToInternal(S.ReadInt32()) : S.ReadInt32(); };

    h.Width = len();
    h.Height = len();
    h.MarLeft = len();
    h.MarTop = len();
    h.DiHor = len();
    h.DiVer = len();
    h.NuHor = S.ReadInt32();
    h.NuVer = S.ReadInt32();
    h.PaperWidth = len();
    h.PaperHeight = len();
    h.InnerCircle = len();
    h.LabelType = S.ReadEnum<TZantorType>();

    h.TitleFontHeight = len();
    if (v >= 19)
        h.TitleFontColor = TColor(S.ReadInt32());
    // The title position was always stored in hundredths.
    h.TitlePosition.x = S.ReadInt32();
    h.TitlePosition.y = S.ReadInt32();
    h.TitlePrint = S.ReadBool();
    h.TitleFontName = Ansi(S);
    h.TitleText = ctx.AnsiFallback ? Ansi(S) : Wide(S);

    h.BackColor = TColor(S.ReadInt32());
    h.BackToColor = TColor(S.ReadInt32());
    h.AlignColor = TColor(S.ReadInt32());
    h.BackStyle = S.ReadEnum<TKXBackStyle>();
    h.AlignX = len();
    h.AlignY = len();
    h.ShowAlign = S.ReadBool();
    h.BackPrint = S.ReadBool();

    h.Editor.GridColor = TColor(S.ReadInt32());
    h.Editor.IncX = len();
    h.Editor.IncY = len();
    h.Editor.ShowGrid = S.ReadBool();
    h.ShowMargins = S.ReadBool();
    h.Editor.SelColor = TColor(S.ReadInt32());

    h.FrameColor = TColor(S.ReadInt32());
    h.Dist1 = len();
    h.Dist2 = len();
    h.Radio = len();
    h.FrameStyle = S.ReadEnum<TKXFrameStyle>();
    h.FramePenWidth = len();
    h.LinkData = S.ReadBool();

    h.NumLabs = S.ReadInt32();
    h.MarginColor = TColor(S.ReadInt32());
    h.FirstRow = S.ReadInt32();
    h.FirstCol = S.ReadInt32();
    h.FirstLab = S.ReadInt32();
    h.LastLab = S.ReadInt32();
    h.PaperSize = S.ReadInt16();
    h.Orientation = S.ReadEnum<TPrinterOrientation>();
    if (v >= 2800) {
        h.PrinterIndex = S.ReadInt32();
        h.PrinterName = Wide(S);
        h.FieldRepetition = Ansi(S);
        h.ContinousPaper = S.ReadBool();
    }

    if (v >= 20) {
        const int32_t n = ReadCount(S, "counter");
        h.Counters.resize(size_t(n));
        for (TKXFileCounter &c : h.Counters)
            ReadCounter(S, c);
    }
    return h;
}

void TKXLabelFile::WriteHeader(const TKXLabelHeader &h, TKXStreamWriter &S)
{
    S.WriteInt32(TKXCustomLab::CurrentVersion);
    PutWide(h.BackFile, S);
    PutWide(h.DatasetName, S);
    PutWide(QString(), S);
    PutWide(QString(), S);
    PutWide(h.DetailName, S);
    S.WriteEnum(h.ExtFileType);
    S.WriteEnum(h.ExtSeparator);
    S.WriteBool(h.ExtHasHeader);
    PutWide(h.ExtFileName, S);
    PutWide(h.ExtTableName, S);
    PutWide(h.ExtTableDisplay, S);
    S.WriteBool(h.ExtSaveFileds);
    if (h.ExtSaveFileds) {
        // With no catalogue dataset to take the fields from, the list is empty.
        S.WriteInt32(int32_t(h.ExtFields.size()));
        for (const TKXFileField &f : h.ExtFields)
            WriteField(f, S);
    }
    PutWide(h.LabelName, S);
    PutWide(h.PaperName, S);
    S.WriteUInt8(0); // no thumbnail
    S.WriteEnum(h.Editor.Snap);
    S.WriteEnum(h.Units);
    S.WriteEnum(h.DataAccessType);
    for (int32_t x : {h.Width, h.Height, h.MarLeft, h.MarTop, h.DiHor, h.DiVer, h.NuHor, h.NuVer,
                      h.PaperWidth, h.PaperHeight, h.InnerCircle})
        S.WriteInt32(x);
    S.WriteEnum(h.LabelType);
    S.WriteInt32(h.TitleFontHeight);
    S.WriteInt32(int32_t(h.TitleFontColor));
    S.WriteInt32(h.TitlePosition.x);
    S.WriteInt32(h.TitlePosition.y);
    S.WriteBool(h.TitlePrint);
    PutAnsi(h.TitleFontName, S);
    PutWide(h.TitleText, S);
    S.WriteInt32(int32_t(h.BackColor));
    S.WriteInt32(int32_t(h.BackToColor));
    S.WriteInt32(int32_t(h.AlignColor));
    S.WriteEnum(h.BackStyle);
    S.WriteInt32(h.AlignX);
    S.WriteInt32(h.AlignY);
    S.WriteBool(h.ShowAlign);
    S.WriteBool(h.BackPrint);
    // The editor block (fields 36 to 39, 18 bytes), with the document's ShowMargins inside.
    S.WriteInt32(int32_t(h.Editor.GridColor));
    S.WriteInt32(h.Editor.IncX);
    S.WriteInt32(h.Editor.IncY);
    S.WriteBool(h.Editor.ShowGrid);
    S.WriteBool(h.ShowMargins);
    S.WriteInt32(int32_t(h.Editor.SelColor));
    S.WriteInt32(int32_t(h.FrameColor));
    S.WriteInt32(h.Dist1);
    S.WriteInt32(h.Dist2);
    S.WriteInt32(h.Radio);
    S.WriteEnum(h.FrameStyle);
    S.WriteInt32(h.FramePenWidth);
    S.WriteBool(h.LinkData);
    S.WriteInt32(h.NumLabs);
    S.WriteInt32(int32_t(h.MarginColor));
    S.WriteInt32(h.FirstRow);
    S.WriteInt32(h.FirstCol);
    S.WriteInt32(h.FirstLab);
    S.WriteInt32(h.LastLab);
    S.WriteInt16(h.PaperSize);
    S.WriteEnum(h.Orientation);
    S.WriteInt32(h.PrinterIndex);
    PutWide(h.PrinterName, S);
    PutAnsi(h.FieldRepetition, S);
    S.WriteBool(h.ContinousPaper);
    S.WriteInt32(int32_t(h.Counters.size()));
    for (const TKXFileCounter &c : h.Counters)
        WriteCounter(c, S);
}

TKXLabelHeader TKXLabelFile::Capture(const TKXCustomLab &Lab)
{
    TKXLabelHeader h;
    const TKXLabelFileExtras &x = *Lab.FFileExtras;
    h.Version = TKXCustomLab::CurrentVersion;
    h.BackFile = Lab.FBackSurf->FFileImage;
    // The bound master's name; a name read from the file whose dataset is not there (a
    // preview, a missing data module) is kept, not dropped.
    h.DatasetName = Lab.FDataAccessType == TKXDataAccessType::daDataSet ? Lab.FDatasetName : QString();
    h.DetailName = Lab.FDetailName;
    h.ExtFileType = Lab.FExtFileType;
    h.ExtSeparator = Lab.FExtSeparator;
    h.ExtHasHeader = Lab.FExtHasHeader;
    h.ExtFileName = Lab.FExtFileName;
    h.ExtTableName = Lab.FExtTableName;
    h.ExtTableDisplay = Lab.FExtTableDisplay;
    h.ExtSaveFileds = Lab.FExtSaveFileds;
    // The first catalogue dataset's fields; with an empty catalogue the list is empty.
    if (h.ExtSaveFileds)
        if (const TKXDatasetItem *first = Lab.FDatasets.Items(0))
            for (const auto &f : first->Fields())
                h.ExtFields.push_back({f->Name(), f->Caption, f->FloatAsDateTime, f->FieldType});
    const TKXMeasure &m = *Lab.FMeasure;
    h.LabelName = m.FLabelName;
    h.PaperName = m.FPaperName;
    if (const TKXCustomEditor *ed = Lab.FEditor) {
        h.Editor.Snap = ed->Snap;
        h.Editor.GridColor = ed->Grid.Color;
        h.Editor.IncX = ed->Grid.IncX;
        h.Editor.IncY = ed->Grid.IncY;
        h.Editor.ShowGrid = ed->Grid.Show;
        h.Editor.SelColor = ed->SelColor;
    } else {
        h.Editor = x.Editor;
    }
    h.Units = Lab.FUnits;
    h.DataAccessType = Lab.FDataAccessType;
    h.Width = m.FWidth;
    h.Height = m.FHeight;
    h.MarLeft = m.FMarLeft;
    h.MarTop = m.FMarTop;
    h.DiHor = m.FDiHor;
    h.DiVer = m.FDiVer;
    h.NuHor = m.FNuHor;
    h.NuVer = m.FNuVer;
    h.PaperWidth = m.FPaperWidth;
    h.PaperHeight = m.FPaperHeight;
    h.InnerCircle = m.FInnerCircle;
    h.LabelType = m.FLabelType;
    const TKXTitle &t = *Lab.FTitle;
    h.TitleFontHeight = t.FFontHeight;
    h.TitleFontColor = t.FFontColor;
    h.TitlePosition = t.FPosition;
    h.TitlePrint = t.FPrint;
    h.TitleFontName = t.FFontName;
    h.TitleText = t.FText;
    const TKXBackSurf &b = *Lab.FBackSurf;
    h.BackColor = b.FColor;
    h.BackToColor = b.FToColor;
    h.AlignColor = b.FAlignColor;
    h.BackStyle = b.FStyle;
    h.AlignX = b.FAlignLeft;
    h.AlignY = b.FAlignTop;
    h.ShowAlign = b.FShowAlign;
    h.BackPrint = b.FPrint;
    h.ShowMargins = Lab.FShowMargins;
    const TKXFrame &f = *Lab.FFrame;
    h.FrameColor = f.FColor;
    h.Dist1 = f.FDist1;
    h.Dist2 = f.FDist2;
    h.Radio = f.FRadio;
    h.FrameStyle = f.FStyle;
    h.FramePenWidth = f.FPenWidth;
    h.LinkData = Lab.FDaBa;
    const TKXPrintInfo &p = *Lab.FPrintInfo;
    h.NumLabs = p.FLabs;
    h.MarginColor = p.FMarginColor;
    h.FirstRow = p.FFirstRow;
    h.FirstCol = p.FFirstCol;
    h.FirstLab = p.FFirstLab;
    h.LastLab = p.FLastLab;
    h.PaperSize = p.FPaperSize;
    h.Orientation = p.FOrientation;
    h.PrinterIndex = p.FPrinterIndex;
    h.PrinterName = p.FPrinterName;
    h.FieldRepetition = p.FFieldRepetition;
    h.ContinousPaper = p.FContinousPaper;
    for (const auto &c : Lab.FCounters)
        h.Counters.push_back({c->NumFrom, c->NumTo, c->Num, c->Step, c->NumBefore, c->NumAfter, c->Format, c->Name});
    return h;
}

namespace {

// The editor settings a label file brings, given to the linked editor once the label's size
// is known. A block of zeros is what a label saved without an editor holds: the editor keeps
// its own settings then (a step of 0 would leave nothing to move by and no grid to draw,
// a colour of 0 a black selection). A stored step outside the grid's limits is brought
// within them, as the grid's own setter does; a step of 0 or less keeps the editor's.
void ApplyEditorBlock(const TKXEditorFileBlock &Block, TKXCustomLab &Lab)
{
    TKXCustomEditor *ed = Lab.Editor();
    if (!ed || Block == TKXEditorFileBlock{})
        return;
    const TKXMeasure &m = *Lab.Measure();
    ed->Snap = Block.Snap;
    ed->Grid.Color = Block.GridColor;
    if (Block.IncX > 0)
        ed->Grid.IncX = TKXGrid::ClampStep(Block.IncX, m.WidthInternal());
    if (Block.IncY > 0)
        ed->Grid.IncY = TKXGrid::ClampStep(Block.IncY, m.HeightInternal());
    ed->Grid.Show = Block.ShowGrid;
    ed->SelColor = Block.SelColor;
}

} // namespace

void TKXLabelFile::Apply(const TKXLabelHeader &h, TKXCustomLab &Lab)
{
    TKXLabelFileExtras &x = *Lab.FFileExtras;
    // The background picture loads through its setter; the document is loading, so the
    // setter changes nothing else.
    Lab.FBackSurf->SetFileImage(h.BackFile);
    Lab.FDatasetName = h.DatasetName;
    Lab.FDetailName = h.DetailName;
    Lab.FExtFileType = h.ExtFileType;
    Lab.FExtSeparator = h.ExtSeparator;
    Lab.FExtHasHeader = h.ExtHasHeader;
    Lab.FExtFileName = h.ExtFileName;
    Lab.FExtTableName = h.ExtTableName;
    Lab.FExtTableDisplay = h.ExtTableDisplay;
    Lab.FExtSaveFileds = h.ExtSaveFileds;
    TKXMeasure &m = *Lab.FMeasure;
    m.FLabelName = h.LabelName;
    m.FPaperName = h.PaperName;
    x.Editor = h.Editor;
    Lab.FUnits = h.Units;
    Lab.FDataAccessType = h.DataAccessType;
    m.FWidth = h.Width;
    m.FHeight = h.Height;
    m.FMarLeft = h.MarLeft;
    m.FMarTop = h.MarTop;
    m.FDiHor = h.DiHor;
    m.FDiVer = h.DiVer;
    m.FNuHor = h.NuHor;
    m.FNuVer = h.NuVer;
    m.FPaperWidth = h.PaperWidth;
    m.FPaperHeight = h.PaperHeight;
    m.FInnerCircle = h.InnerCircle;
    m.FLabelType = h.LabelType;
    // A damaged file may store sizes the setters never allow (a zero width divides the
    // drawing by zero), and older files a diameter-sized inner circle: the values are
    // brought within the setters' limits, as if typed in.
    m.ApplyLimits();
    ApplyEditorBlock(h.Editor, Lab);
    TKXTitle &t = *Lab.FTitle;
    t.FFontHeight = h.TitleFontHeight;
    t.FFontColor = h.TitleFontColor;
    t.FPosition = h.TitlePosition;
    t.FPrint = h.TitlePrint;
    t.FFontName = h.TitleFontName;
    t.FText = h.TitleText;
    TKXBackSurf &b = *Lab.FBackSurf;
    b.FColor = h.BackColor;
    b.FToColor = h.BackToColor;
    b.FAlignColor = h.AlignColor;
    b.FStyle = h.BackStyle;
    b.FAlignLeft = h.AlignX;
    b.FAlignTop = h.AlignY;
    b.FShowAlign = h.ShowAlign;
    b.FPrint = h.BackPrint;
    Lab.FShowMargins = h.ShowMargins;
    TKXFrame &f = *Lab.FFrame;
    f.FColor = h.FrameColor;
    f.FDist1 = h.Dist1;
    f.FDist2 = h.Dist2;
    f.FRadio = h.Radio;
    f.FStyle = h.FrameStyle;
    f.FPenWidth = h.FramePenWidth;
    Lab.FDaBa = h.LinkData;
    TKXPrintInfo &p = *Lab.FPrintInfo;
    p.FLabs = h.NumLabs;
    p.FMarginColor = h.MarginColor;
    p.FFirstRow = h.FirstRow;
    p.FFirstCol = h.FirstCol;
    p.FFirstLab = h.FirstLab;
    p.FLastLab = h.LastLab;
    p.FPaperSize = h.PaperSize;
    p.FOrientation = h.Orientation;
    p.FPrinterIndex = h.PrinterIndex;
    p.FPrinterName = h.PrinterName;
    p.FFieldRepetition = h.FieldRepetition;
    p.FContinousPaper = h.ContinousPaper;
}

void TKXLabelFile::PutExtDataset(const TKXLabelHeader &h, TKXCustomLab &Lab)
{
    if (!h.ExtSaveFileds)
        return;
    TKXDatasets &catalogue = Lab.FDatasets;
    for (int i = catalogue.Count() - 1; i >= 0; --i)
        if (SameName(catalogue.Items(i)->Name(), h.ExtTableName))
            catalogue.Delete(i);
    TKXDatasetItem &item = catalogue.Add();
    item.SetName(h.ExtTableName);
    item.SetBaseName(h.ExtTableName);
    item.Caption = h.ExtTableDisplay;
    item.ExtFileType = h.ExtFileType;
    for (const TKXFileField &f : h.ExtFields) {
        TKXFieldItem &field = item.Fields().Add();
        field.SetName(f.Name);
        field.Caption = f.Caption;
        field.FloatAsDateTime = f.FloatAsDateTime;
        field.FieldType = f.FieldType;
    }
    catalogue.Move(catalogue.Count() - 1, 0);
}

void TKXLabelFile::AddCounters(const TKXLabelHeader &h, TKXCustomLab &Lab)
{
    for (const TKXFileCounter &r : h.Counters) {
        TKXCounter &c = *Lab.NewCounter();
        c.NumFrom = r.NumFrom;
        c.NumTo = r.NumTo;
        c.Num = r.Num;
        c.Step = r.Step;
        c.NumBefore = r.NumBefore;
        c.NumAfter = r.NumAfter;
        c.Format = r.Format;
        c.Name = r.Name;
    }
}

int TKXLabelFile::RemapElementType(int Code, int32_t Version)
{
    // Version 18 numbered two kinds differently: 12 was the asked text, and 10 a kind that
    // no longer exists (20 has no class, so it fails like any unknown code).
    if (Version == 18) {
        if (Code == 10)
            return 20;
        if (Code == 12)
            return 10;
    }
    return Code;
}

void TKXLabelFile::ReadElements(TKXStreamReader &S, TKXCustomLab &Lab, int32_t Version)
{
    const int32_t n = ReadCount(S, "element");
    TKXUnnamedElements unnamed(Lab); // each record names its element
    for (int32_t i = 0; i < n; ++i) {
        const size_t at = S.Position();
        const int code = RemapElementType(S.ReadUInt8(), Version);
        const auto kind = EnumFromOrdinal<TKXEle>(code);
        TKXElement *element = kind ? TKXElementFactory::Create(*kind, Lab) : nullptr;
        if (!element)
            throw EKxStreamError("element type " + std::to_string(code) + " unknown at offset " +
                                 std::to_string(at));
        element->LoadFromStream(S);
    }
}

} // namespace kx
