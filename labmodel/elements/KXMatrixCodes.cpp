#include "elements/KXMatrixCodes.h"

#include "core/KXCodec1252.h"
#include "core/KXError.h"
#include "core/KXUtils.h"
#include "datamatrix/KXDataMatrix.h"
#include "document/KXBaseLab.h"
#include "document/KXCounter.h"
#include "file/KXLabelFile.h"
#include "platform/KXCanvas.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

#include <algorithm>
#include <utility>

namespace kx {

namespace {

TRect Normalized(const TRect &R)
{
    return {std::min(R.Left, R.Right), std::min(R.Top, R.Bottom), std::max(R.Left, R.Right),
            std::max(R.Top, R.Bottom)};
}

// R (relative to nothing) turned about C by Angle and put in order.
TRect Turned(TRect R, TPoint C, int32_t Angle)
{
    if (Angle > 0)
        RotateRect(R, C, Angle);
    return Normalized(R);
}

// One character of Text starting at i (a surrogate pair stays whole); i moves past it.
QString NextChar(const QString &Text, qsizetype &i)
{
    const qsizetype n = (Text[i].isHighSurrogate() && i + 1 < Text.size() && Text[i + 1].isLowSurrogate()) ? 2 : 1;
    QString c = Text.mid(i, n);
    i += n;
    return c;
}

} // namespace

// ---------------------------------------------------------------------------------------
// TKXMatrixCode

TKXMatrixCode::TKXMatrixCode(TKXCustomLab *AOwner) : TKXData(AOwner)
{
    FSelType = TKXSelType::stPoint;
}

void TKXMatrixCode::AddPublished(TKXPropTable &t)
{
    TKXData::AddPublished(t);
    t.Add(PublishProp("Angle", "Integer", &TKXElement::Angle, &TKXElement::SetAngle));
    t.Add(PublishProp("ID", "AnsiString", &TKXElement::ID, &TKXElement::SetID));
}

const TKXPropTable &TKXMatrixCode::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXMatrixCode::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXMatrixCode", &TKXData::ClassInfo());
}

float TKXMatrixCode::BarWidth() const
{
    return float(FromHundredths(FBWidth));
}

float TKXMatrixCode::LeftMargin() const { return ToUnits(FLeftMargin); }
float TKXMatrixCode::TopMargin() const { return ToUnits(FTopMargin); }

void TKXMatrixCode::SetLeftMargin(float Value)
{
    RecordUndo();
    FLeftMargin = ToInternal(Value);
    Changed(QStringLiteral("LeftMargin"));
    MarkModified();
}

void TKXMatrixCode::SetTopMargin(float Value)
{
    RecordUndo();
    FTopMargin = ToInternal(Value);
    Changed(QStringLiteral("TopMargin"));
    MarkModified();
}

// Module sizes as the setters keep them (a module at least 0.2 mm wide, never of negative
// height, a ratio of 0 or more), all within the lengths a file may hand the painter.
void TKXMatrixCode::ReadModuleSizes(TKXStreamReader &Stream)
{
    FBWidth = std::clamp(Stream.ReadInt32(), MinModuleWidth, MaxFileLength);
    FBHeight = std::clamp(Stream.ReadInt32(), 1, MaxFileLength);
    FLeftMargin = LimitedLength(Stream.ReadInt32());
    FTopMargin = LimitedLength(Stream.ReadInt32());
    FRatio = std::clamp(Stream.ReadInt32(), 0, MaxFileLength);
}

int32_t TKXMatrixCode::SymbolWidth() const
{
    return ClampCoord(int64_t(FGrid.Cols) * FBWidth + 2 * int64_t(FLeftMargin));
}

int32_t TKXMatrixCode::SymbolHeight() const
{
    return ClampCoord(int64_t(FGrid.Rows) * FBHeight + 2 * int64_t(FTopMargin));
}

bool TKXMatrixCode::Module(int Col, int Row) const
{
    if (Col < 0 || Row < 0 || Col >= FGrid.Cols || Row >= FGrid.Rows)
        return false;
    return FGrid.Cells[size_t(Row) * size_t(FGrid.Cols) + size_t(Col)] != 0;
}

QString TKXMatrixCode::Described(const QString &Text) const
{
    return QStringLiteral("%1 \"%2\": %3").arg(KindName(), FID, Text);
}

bool TKXMatrixCode::PrepareGrid(const QString &Text, TGrid &Grid)
{
    const TEncodeResult r = EncodeText(Text, Grid);
    if (!r.Ok) {
        FOwner->UIServices().ShowMessage(Described(r.Error));
        return false;
    }
    if (!r.Lost.isEmpty())
        FOwner->UIServices().ShowMessage(Described(r.Lost));
    return true;
}

void TKXMatrixCode::AcceptGrid(TGrid &Grid)
{
    FGrid = std::move(Grid);
    FEncoded = true;
}

void TKXMatrixCode::EncodeOwnText()
{
    FFillValid = false;
    TGrid grid;
    if (EncodeText(OwnText(), grid).Ok) {
        AcceptGrid(grid);
    } else {
        FGrid = {};
        FEncoded = false;
    }
}

bool TKXMatrixCode::DrawsOn(TKXDrawType DrawType) const
{
    return DrawType == TKXDrawType::tdLab || FPrint;
}

bool TKXMatrixCode::BoundValue(TKXFillType fill, QString &Value) const
{
    if (FIsCounter) {
        if (fill != TKXFillType::ftCounter && fill != TKXFillType::ftFieldCounter)
            return false;
        const TKXCounter *c = FOwner->FindCounter(FFieldName);
        Value = c ? c->FValue : QString();
        return true;
    }
    if (fill != TKXFillType::ftField && fill != TKXFillType::ftFieldCounter)
        return false;
    FOwner->GetFieldText(FFieldName, QString(), FFloatAsDateTime, Value);
    return true;
}

void TKXMatrixCode::Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill)
{
    if (!DrawsOn(DrawType))
        return;
    const TGrid *grid = FEncoded ? &FGrid : nullptr;
    QString value;
    if (DrawType != TKXDrawType::tdLab && FDatabase && BoundValue(fill, value)) {
        // The record's value, in a grid of its own: the element keeps its design text.
        if (!FFillValid || value != FFillText) {
            FFillValid = false;
            const TEncodeResult r = EncodeText(value, FFillGrid);
            if (!r.Ok)
                throw EKxError(Described(r.Error).toStdString());
            if (!r.Lost.isEmpty())
                throw EKxError(Described(r.Lost).toStdString());
            FFillText = value;
            FFillValid = true;
        }
        grid = &FFillGrid;
    }

    // The anchor within +-MaxAnchor and the lengths as a label file limits them: every
    // module edge below stays on the 32-bit range.
    const TPoint A{AnchorCoord(int64_t(po.x) + FP1.x), AnchorCoord(int64_t(po.y) + FP1.y)};
    int32_t W = PlaceholderSize, H = PlaceholderSize;
    Canvas.SaveState();
    if (grid) {
        W = ClampCoord(int64_t(grid->Cols) * FBWidth + 2 * int64_t(FLeftMargin));
        H = ClampCoord(int64_t(grid->Rows) * FBHeight + 2 * int64_t(FTopMargin));
        if (!FTransparent) {
            Canvas.SetPen({FBackColor, 0, TKXPenStyle::psClear});
            Canvas.SetBrush({FBackColor, TKXBrushStyle::bsSolid});
            Canvas.FillRect(Turned({A.x, A.y, ClampCoord(int64_t(A.x) + W), ClampCoord(int64_t(A.y) + H)}, A, FAngle));
        }
        PaintModules(Canvas, A, *grid);
    } else {
        PaintPlaceholder(Canvas, A);
    }
    Canvas.RestoreState();

    if (DrawType != TKXDrawType::tdLab)
        return;
    FP2 = {ClampCoord(int64_t(FP1.x) + W), ClampCoord(int64_t(FP1.y) + H)};
    UpdateExtent();
    TRect frame;
    AnchorRect(frame, FAngle, FP1.x, FP1.y, W, H, 3);
    Frame = Normalized(frame);
    if (TKXCustomEditor *ed = FOwner->Editor()) {
        FBorder = Canvas.LPtoDP(TRect{ClampCoord(int64_t(Frame.Left) + po.x), ClampCoord(int64_t(Frame.Top) + po.y), ClampCoord(int64_t(Frame.Right) + po.x), ClampCoord(int64_t(Frame.Bottom) + po.y)});
        ed->DrawSelectionFrame(GetIsSelected(), FDatabase, FSelType, uint16_t(FAngle), Frame, FBorder, false);
        if (ed->ShowMarks) {
            Canvas.SaveState();
            PaintMarginMarks(Canvas, A, W, H);
            Canvas.RestoreState();
        }
    }
}

void TKXMatrixCode::PaintModules(TKXCanvas &Canvas, TPoint A, const TGrid &Grid) const
{
    Canvas.SetPen({FColor, 0, TKXPenStyle::psClear});
    Canvas.SetBrush({FColor, TKXBrushStyle::bsSolid});
    // Each run of dark modules in a row is one rectangle, and a rectangle grows downwards
    // while the next row repeats its run exactly: the same area as module by module, with
    // far fewer rectangles on printers and in PDF files. Rectangles keep the order of
    // their first row.
    struct TRun {
        int Start, End;
        size_t Box;
    };
    // Module edges in 64 bits, put back on the 32-bit range once.
    const int64_t x0 = int64_t(A.x) + FLeftMargin, y0 = int64_t(A.y) + FTopMargin;
    auto box = [](int64_t l, int64_t t, int64_t r, int64_t b) {
        return TRect{ClampCoord(l), ClampCoord(t), ClampCoord(r), ClampCoord(b)};
    };
    thread_local std::vector<TRect> boxes;
    thread_local std::vector<TRun> above, current;
    boxes.clear();
    above.clear();
    for (int r = 0; r < Grid.Rows; ++r) {
        const uint8_t *row = Grid.Cells.data() + size_t(r) * size_t(Grid.Cols);
        const int64_t y = y0 + int64_t(r) * FBHeight;
        current.clear();
        size_t k = 0; // the runs of the row above, left to right
        for (int c = 0; c < Grid.Cols;) {
            if (!row[c]) {
                ++c;
                continue;
            }
            const int start = c;
            while (c < Grid.Cols && row[c])
                ++c;
            while (k < above.size() && above[k].Start < start)
                ++k;
            if (k < above.size() && above[k].Start == start && above[k].End == c) {
                boxes[above[k].Box].Bottom = ClampCoord(y + FBHeight);
                current.push_back(above[k]);
                ++k;
            } else {
                boxes.push_back(box(x0 + int64_t(start) * FBWidth, y, x0 + int64_t(c) * FBWidth, y + FBHeight));
                current.push_back({start, c, boxes.size() - 1});
            }
        }
        std::swap(above, current);
    }
    for (TRect &b : boxes)
        b = Turned(b, A, FAngle);
    Canvas.FillRects(boxes);
}

void TKXMatrixCode::PaintPlaceholder(TKXCanvas &Canvas, TPoint A) const
{
    // A white box with a red dotted outline and its two diagonals.
    const int32_t s = PlaceholderSize;
    Canvas.SetPen({clWhite, 0, TKXPenStyle::psClear});
    Canvas.SetBrush({clWhite, TKXBrushStyle::bsSolid});
    Canvas.FillRect(Turned({A.x, A.y, A.x + s, A.y + s}, A, FAngle));
    TKXPen red;
    red.Color = clRed;
    red.Width = 10;
    red.Style = TKXPenStyle::psDot;
    Canvas.SetPen(red);
    TPoint corners[4] = {{A.x, A.y}, {A.x + s, A.y}, {A.x + s, A.y + s}, {A.x, A.y + s}};
    for (TPoint &p : corners)
        RotatePoint(p, A, FAngle);
    Canvas.Polyline({corners[0], corners[1], corners[2], corners[3], corners[0]});
    Canvas.Polyline({corners[0], corners[2]});
    Canvas.Polyline({corners[1], corners[3]});
}

void TKXMatrixCode::PaintMarginMarks(TKXCanvas &Canvas, TPoint A, int32_t W, int32_t H) const
{
    TKXPen pen;
    pen.Color = FOwner->Editor()->MarkColor;
    pen.Width = 0;
    if (FLeftMargin <= 0 && FTopMargin <= 0) {
        // No quiet zone: a cross on the anchor.
        Canvas.SetPen(pen);
        Canvas.MoveTo(A.x - 50, A.y);
        Canvas.LineTo(A.x + 50, A.y);
        Canvas.MoveTo(A.x, A.y - 50);
        Canvas.LineTo(A.x, A.y + 50);
        return;
    }
    pen.Style = TKXPenStyle::psDot;
    Canvas.SetPen(pen);
    auto line = [&](int32_t dx1, int32_t dy1, int32_t dx2, int32_t dy2) {
        TPoint a{ClampCoord(int64_t(A.x) + dx1), ClampCoord(int64_t(A.y) + dy1)},
            b{ClampCoord(int64_t(A.x) + dx2), ClampCoord(int64_t(A.y) + dy2)};
        RotatePoint(a, A, FAngle);
        RotatePoint(b, A, FAngle);
        Canvas.MoveTo(a.x, a.y);
        Canvas.LineTo(b.x, b.y);
    };
    if (FLeftMargin > 0) {
        line(0, 0, 0, H);
        line(W, 0, W, H);
    }
    if (FTopMargin > 0) {
        line(0, 0, W, 0);
        line(0, H, W, H);
    }
}

// ---------------------------------------------------------------------------------------
// TKXDataMatrix

TKXDataMatrix::TKXDataMatrix(TKXCustomLab *AOwner) : TKXMatrixCode(AOwner)
{
    EncodeOwnText();
}

void TKXDataMatrix::AddPublished(TKXPropTable &t)
{
    TKXMatrixCode::AddPublished(t);
    t.Add(PublishProp("BarWidth", "Single", &TKXDataMatrix::BarWidth, &TKXDataMatrix::SetBarWidth));
    t.Add(PublishProp("BHeight", "Single", &TKXDataMatrix::BHeight, &TKXDataMatrix::SetBHeight));
    t.Add(PublishProp("LeftMargin", "Single", &TKXMatrixCode::LeftMargin, &TKXMatrixCode::SetLeftMargin));
    t.Add(PublishProp("TopMargin", "Single", &TKXMatrixCode::TopMargin, &TKXMatrixCode::SetTopMargin));
    t.Add(PublishProp("Ratio", "Single", &TKXDataMatrix::Ratio, &TKXDataMatrix::SetRatio));
    t.Add(PublishProp("Code", "AnsiString", &TKXDataMatrix::Code, &TKXDataMatrix::SetCode));
}

const TKXPropTable &TKXDataMatrix::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXDataMatrix::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXDataMatrix", &TKXMatrixCode::ClassInfo());
}

// Millimetres whatever the Units; at least 0.2 mm. No equality test.
void TKXDataMatrix::SetBarWidth(float Value)
{
    RecordUndo();
    FBWidth = std::max<int32_t>(int32_t(ToHundredths(Value)), 20);
    if (FRatio > 0) {
        FBHeight = int32_t(int64_t(FRatio) * FBWidth / 100);
        FOwner->InspectorPropChanged(QStringLiteral("BHeight"));
    }
    FOwner->InspectorPropChanged(QStringLiteral("BarWidth"));
    Changed(QStringLiteral("BarWidth"));
    MarkModified();
}

float TKXDataMatrix::BHeight() const { return ToUnits(FBHeight); }

// Document units; at least 0.26 mm. No equality test.
void TKXDataMatrix::SetBHeight(float Value)
{
    RecordUndo();
    FBHeight = std::max<int32_t>(ToInternal(Value), 26);
    if (FRatio > 0) {
        FBWidth = int32_t(int64_t(FBHeight) * 100 / FRatio);
        FOwner->InspectorPropChanged(QStringLiteral("BarWidth"));
    }
    FOwner->InspectorPropChanged(QStringLiteral("BHeight"));
    Changed(QStringLiteral("BHeight"));
    MarkModified();
}

void TKXDataMatrix::SetRatio(float Value)
{
    RecordUndo();
    if (Value <= 0) {
        // Both sizes stay as they are; only the link goes.
        if (FRatio != 0) {
            FRatio = 0;
            MarkModified();
        }
        return;
    }
    FRatio = int32_t(ToHundredths(Value));
    FBHeight = int32_t(int64_t(FRatio) * FBWidth / 100);
    FOwner->InspectorPropChanged(QStringLiteral("BHeight"));
    Changed(QStringLiteral("Ratio"));
    MarkModified();
}

void TKXDataMatrix::SetCode(const QString &Value)
{
    if (Value == FCode)
        return;
    TGrid grid;
    if (!PrepareGrid(Value, grid))
        return;
    RecordUndo();
    FCode = Value;
    AcceptGrid(grid);
    Changed(QStringLiteral("Code"));
    MarkModified();
}

void TKXDataMatrix::TakeCode(const QString &Value)
{
    if (Value == FCode)
        return;
    RecordUndo();
    FCode = Value;
    EncodeOwnText();
    Changed(QStringLiteral("Code"));
    MarkModified();
}

TKXMatrixCode::TEncodeResult TKXDataMatrix::EncodeText(const QString &Text, TGrid &Grid)
{
    TEncodeResult r;
    const std::u16string wide = Text.toStdU16String();
    const AnsiString ansi = WideToAnsi(wide);
    if (AnsiToWide(ansi) != wide) {
        // Characters outside Windows-1252 become '?'.
        QString lost;
        for (qsizetype i = 0; i < Text.size();) {
            const QString c = NextChar(Text, i);
            if (c != QStringLiteral("?") && WideToAnsi(c.toStdU16String()) == "?" && !lost.contains(c))
                lost += c;
        }
        r.Lost = QStringLiteral("the characters \"%1\" are not in the Windows-1252 character set and are "
                                "encoded as \"?\".")
                     .arg(lost);
    }
    FBytes.assign(ansi.begin(), ansi.end());
    uint16_t cols = 0, rows = 0;
    try {
        EncodeECC200(FBytes, TECC200Size::ecc200_Autosize, TECC200Shape::ecc200_Square, Grid.Cells, cols, rows);
    } catch (const EKxError &e) {
        r.Error = QStringLiteral("the text (%1 bytes) does not fit in any Data Matrix symbol (%2).")
                      .arg(ansi.size())
                      .arg(QString::fromStdString(e.what()));
        return r;
    }
    Grid.Cols = int16_t(cols);
    Grid.Rows = int16_t(rows);
    r.Ok = true;
    return r;
}

void TKXDataMatrix::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::deDataMatrix);
    TKXData::SaveToStream(Stream);
    WriteAnsiStr(WideToAnsi(FCode.toStdU16String()), Stream);
    Stream.WriteUInt8(FDMSize);
    Stream.WriteUInt8(FDMShape);
    Stream.WriteInt32(FBWidth);
    Stream.WriteInt32(FBHeight);
    Stream.WriteInt32(FLeftMargin);
    Stream.WriteInt32(FTopMargin);
    Stream.WriteInt32(FRatio);
}

void TKXDataMatrix::LoadFromStream(TKXStreamReader &Stream)
{
    TKXData::LoadFromStream(Stream);
    FCode = QString::fromStdU16String(AnsiToWide(ReadAnsiStr(Stream)));
    FDMSize = Stream.ReadUInt8();
    FDMShape = Stream.ReadUInt8();
    ReadModuleSizes(Stream);
    EncodeOwnText();
}

// ---------------------------------------------------------------------------------------
// TKXQRCode

TKXQRCode::TKXQRCode(TKXCustomLab *AOwner) : TKXMatrixCode(AOwner)
{
    EncodeOwnText();
}

void TKXQRCode::AddPublished(TKXPropTable &t)
{
    TKXMatrixCode::AddPublished(t);
    t.Add(PublishProp("BarWidth", "Single", &TKXQRCode::BarWidth, &TKXQRCode::SetBarWidth));
    t.Add(PublishProp("LeftMargin", "Single", &TKXMatrixCode::LeftMargin, &TKXMatrixCode::SetLeftMargin));
    t.Add(PublishProp("TopMargin", "Single", &TKXMatrixCode::TopMargin, &TKXMatrixCode::SetTopMargin));
    t.Add(PublishProp("Encoding", "TQRCodeEncoding", &TKXQRCode::Encoding, &TKXQRCode::SetEncoding));
    t.Add(PublishProp("Code", "WideString", &TKXQRCode::Code, &TKXQRCode::SetCode));
}

const TKXPropTable &TKXQRCode::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXQRCode::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXQRCode", &TKXMatrixCode::ClassInfo());
}

// Millimetres whatever the Units; at least 0.2 mm. No equality test.
void TKXQRCode::SetBarWidth(float Value)
{
    RecordUndo();
    FBWidth = std::max<int32_t>(int32_t(ToHundredths(Value)), 20);
    FBHeight = FBWidth;
    FOwner->InspectorPropChanged(QStringLiteral("BarWidth"));
    Changed(QStringLiteral("BarWidth"));
    MarkModified();
}

void TKXQRCode::SetEncoding(TQRCodeEncoding Value)
{
    if (Value == FEncoding)
        return;
    TGrid grid;
    const TEncodeResult r = EncodeWith(FCode, Value, grid);
    if (!r.Ok) {
        FOwner->UIServices().ShowMessage(Described(r.Error));
        return;
    }
    if (!r.Lost.isEmpty())
        FOwner->UIServices().ShowMessage(Described(r.Lost));
    RecordUndo();
    FEncoding = Value;
    ForgetFill();
    AcceptGrid(grid);
    Changed(QStringLiteral("Encoding"));
    MarkModified();
}

void TKXQRCode::SetCode(const QString &Value)
{
    if (Value == FCode)
        return;
    TGrid grid;
    if (!PrepareGrid(Value, grid))
        return;
    RecordUndo();
    FCode = Value;
    AcceptGrid(grid);
    Changed(QStringLiteral("Code"));
    MarkModified();
}

void TKXQRCode::TakeCode(const QString &Value)
{
    if (Value == FCode)
        return;
    RecordUndo();
    FCode = Value;
    EncodeOwnText();
    Changed(QStringLiteral("Code"));
    MarkModified();
}

TKXMatrixCode::TEncodeResult TKXQRCode::EncodeText(const QString &Text, TGrid &Grid)
{
    return EncodeWith(Text, FEncoding, Grid);
}

TKXMatrixCode::TEncodeResult TKXQRCode::EncodeWith(const QString &Text, TQRCodeEncoding Encoding, TGrid &Grid)
{
    using namespace KXQRCode;
    TEncodeResult r;
    const std::u16string content = Text.toStdU16String();
    FEncoder.ClearEncoderError();
    FQRCode.SetMatrix(nullptr);
    FEncoder.Encode(content, int32_t(Ord(Encoding)), FLevel, FQRCode);
    const bool flagged = FEncoder.EncoderError();
    const TByteMatrix *m = FQRCode.Matrix();
    if (flagged) {
        // Which characters the mode leaves out (the encoder drops them).
        int32_t options = int32_t(Ord(Encoding));
        const TMode mode = TEncoder::SelectDataMode(content, options);
        const std::u16string kept = FEncoder.KeepEncodableChars(content, mode, options);
        QString lost;
        size_t j = 0;
        for (qsizetype i = 0; i < Text.size();) {
            const qsizetype at = i;
            const QString c = NextChar(Text, i);
            bool carried = true;
            for (qsizetype k = at; k < i; ++k) {
                if (j < kept.size() && kept[j] == content[size_t(k)])
                    ++j;
                else
                    carried = false;
            }
            const bool lone = c.size() == 1 && c[0].isSurrogate();
            if ((!carried || (lone && mode == TMode::qmByte && options != 3)) && !lost.contains(c))
                lost += c;
        }
        if (!lost.isEmpty()) {
            const auto name = EnumName(Encoding);
            r.Lost = QStringLiteral("the characters \"%1\" cannot be carried by the %2 encoding and are "
                                    "left out of the symbol.")
                         .arg(lost, QString::fromLatin1(name.data(), qsizetype(name.size())));
        }
    }
    if (!m) {
        r.Error = QStringLiteral("the text (%1 characters) does not fit in any QR Code symbol.").arg(Text.size());
        return r;
    }
    const int32_t n = m->Width();
    Grid.Rows = int16_t(m->Height());
    Grid.Cols = int16_t(n);
    Grid.Cells.resize(size_t(n) * size_t(m->Height()));
    for (int32_t y = 0; y < m->Height(); ++y) {
        const uint8_t *row = m->Row(y);
        for (int32_t x = 0; x < n; ++x)
            Grid.Cells[size_t(y) * size_t(n) + size_t(x)] = row[x] == 1 ? 1 : 0;
    }
    r.Ok = true;
    return r;
}

void TKXQRCode::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::deQRCode);
    TKXData::SaveToStream(Stream);
    WriteWideStr(FCode.toStdU16String(), Stream);
    Stream.WriteUInt8(Ord(FEncoding));
    Stream.WriteInt32(FBWidth);
    Stream.WriteInt32(FBHeight);
    Stream.WriteInt32(FLeftMargin);
    Stream.WriteInt32(FTopMargin);
    Stream.WriteInt32(FRatio);
}

void TKXQRCode::LoadFromStream(TKXStreamReader &Stream)
{
    TKXData::LoadFromStream(Stream);
    FCode = QString::fromStdU16String(ReadWideStr(Stream));
    // An ordinal the option lacks (a damaged record) reads as automatic.
    FEncoding = EnumFromOrdinal<TQRCodeEncoding>(Stream.ReadUInt8()).value_or(TQRCodeEncoding::Automatic);
    ReadModuleSizes(Stream);
    EncodeOwnText();
}

} // namespace kx
