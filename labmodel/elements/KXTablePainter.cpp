// Painting of the table element. Every position is worked out in the table's own frame
// (u across the columns from 0 to W, v down the rows from 0 to H) and then mapped onto the
// label by the angle; every text is drawn with a font turned by the same angle.
#include "elements/KXTable.h"

#include "core/KXError.h"
#include "core/KXFormat.h"
#include "data/KXDataset.h"
#include "document/KXBaseLab.h"
#include "document/KXDesignerServices.h"
#include "document/KXSetup.h"
#include "platform/KXCanvas.h"
#include "print/KXSheetRender.h"

#include <algorithm>

namespace kx {

bool FieldKindOf(TKXFieldType Type, TKXFieldKind &Kind); // KXTable.cpp

struct TKXTable::TFrame {
    TPoint P1, P2, po;
    int32_t Angle = 0;

    // In 64 bits, clamped once: a damaged file's table may span the whole range.
    TPoint Map(int64_t u, int64_t v) const
    {
        const int64_t x1 = int64_t(po.x) + P1.x, y1 = int64_t(po.y) + P1.y;
        const int64_t x2 = int64_t(po.x) + P2.x, y2 = int64_t(po.y) + P2.y;
        switch (Angle) {
        case 90: return {ClampCoord(x1 + v), ClampCoord(y2 - u)};
        case 180: return {ClampCoord(x2 - u), ClampCoord(y2 - v)};
        case 270: return {ClampCoord(x2 - v), ClampCoord(y1 + u)};
        default: return {ClampCoord(x1 + u), ClampCoord(y1 + v)};
        }
    }
    // The label rectangle spanned by the mapped corners of (u0, v0)-(u1, v1).
    TRect Rect(int64_t u0, int64_t v0, int64_t u1, int64_t v1) const
    {
        const TPoint a = Map(u0, v0), b = Map(u1, v1);
        return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    }
    // The span of v that lies on a Width x Height label (the rest is never seen).
    void VisibleRows(int32_t Width, int32_t Height, int64_t &From, int64_t &To) const
    {
        switch (Angle) {
        case 90: From = -int64_t(P1.x), To = int64_t(Width) - P1.x; break;
        case 180: From = int64_t(P2.y) - Height, To = P2.y; break;
        case 270: From = int64_t(P2.x) - Width, To = P2.x; break;
        default: From = -int64_t(P1.y), To = int64_t(Height) - P1.y; break;
        }
    }
};

namespace {

QString FromStd(const std::string &S)
{
    return QString::fromStdString(S);
}

TKXFont MakeFont(const QString &Name, int32_t Height, TColor Color, bool Bold, bool Italic, bool Underline,
                 int32_t Angle)
{
    TKXFont f;
    f.Name = Name;
    f.Height = Height;
    f.Color = ResolveColor(Color);
    f.Bold = Bold;
    f.Italic = Italic;
    f.Underline = Underline;
    // Whole turns do not change the direction; a damaged file's absurd angle must not
    // overflow the tenths.
    f.Escapement = (Angle % 360) * 10;
    return f;
}

} // namespace

void TKXTable::PaintText(TKXCanvas &Canvas, const TFrame &F, const QString &Text, int64_t A, int64_t W,
                         int64_t BandTop, int64_t BandHeight, TAlignment Align, const TKXFont &Font,
                         int64_t Inset) const
{
    Canvas.SetFont(Font);
    const int64_t tw = Canvas.TextExtent(Text).cx;
    int64_t u = A + Inset;
    if (Align == TAlignment::taRightJustify)
        u = A + W - Inset - tw;
    else if (Align == TAlignment::taCenter)
        u = A + W / 2 - tw / 2;
    const int64_t v = BandTop + BandHeight / 2 - Font.Height / 2;
    const TPoint p = F.Map(u, v);
    Canvas.TextOut(p.x, p.y, Text);
}

// The cell text of the current record: "-" when the column's field is missing, the field's
// text, or its value through the column's pattern. A value the pattern cannot take (a text
// that is not a number) keeps its own text; a null value is empty.
QString TKXTable::CellText(TKXColumn &Col, TKXField *Field) const
{
    if (!Field)
        return QStringLiteral("-");
    if (Field->IsNull())
        return {};
    const QString text = Field->AsString();
    if (Col.Format.isEmpty())
        return text;
    const std::string pattern = Col.Format.toStdString();
    try {
        switch (Col.FieldKind) {
        case TKXFieldKind::fkFloat: return FromStd(FormatFloat(pattern, Field->AsFloat()));
        case TKXFieldKind::fkNumber: return FromStd(FormatLargeInt(pattern, Field->AsLargeInt()));
        case TKXFieldKind::fkTime: return FromStd(FormatDateTime(pattern, Field->AsDateTime()));
        }
    } catch (const EKxError &) {
    }
    return text;
}

// One record into the column's footer aggregate. Null values and values that are not numbers
// (or dates) are counted but add nothing.
void TKXTable::Aggregate(TKXColumn &Col, TKXField &Field, bool First)
{
    if (First) {
        Col.FooterCount = 0;
        Col.FooterValues = 0;
        Col.FooterFloat = 0;
        Col.FooterInt = 0;
    }
    ++Col.FooterCount;
    if (Col.FooterType == TKXFooterType::ftCount || Field.IsNull())
        return;
    const bool min = Col.FooterType == TKXFooterType::ftMin, max = Col.FooterType == TKXFooterType::ftMax;
    if (Col.FieldKind == TKXFieldKind::fkNumber) {
        int64_t v = 0;
        if (!Field.TryAsLargeInt(v))
            return;
        if (Col.FooterValues++ == 0 && (min || max))
            Col.FooterInt = v;
        else if (min)
            Col.FooterInt = std::min(Col.FooterInt, v);
        else if (max)
            Col.FooterInt = std::max(Col.FooterInt, v);
        else
            Col.FooterInt += v;
        return;
    }
    double v = 0;
    try {
        v = Col.FieldKind == TKXFieldKind::fkTime ? Field.AsDateTime() : Field.AsFloat();
    } catch (const EKxError &) {
        return;
    }
    if (Col.FooterValues++ == 0 && (min || max))
        Col.FooterFloat = v;
    else if (min)
        Col.FooterFloat = std::min(Col.FooterFloat, v);
    else if (max)
        Col.FooterFloat = std::max(Col.FooterFloat, v);
    else
        Col.FooterFloat += v;
}

// The footer text of the last drawing with data. The average, minimum and maximum of no
// value are empty; dates show their minimum and maximum through the pattern and no sum or
// average.
QString TKXTable::FooterText(const TKXColumn &Col)
{
    if (Col.FooterType == TKXFooterType::ftCount)
        return QString::number(Col.FooterCount);
    if (Col.FooterValues == 0 && Col.FooterType != TKXFooterType::ftSum)
        return {};
    const std::string pattern = Col.Format.toStdString();
    const bool avg = Col.FooterType == TKXFooterType::ftAvg;
    try {
        switch (Col.FieldKind) {
        case TKXFieldKind::fkNumber:
            return QString::number(avg ? Col.FooterInt / Col.FooterValues : Col.FooterInt);
        case TKXFieldKind::fkFloat:
            return FromStd(FormatFloat(pattern, avg ? Col.FooterFloat / Col.FooterValues : Col.FooterFloat));
        case TKXFieldKind::fkTime:
            if (Col.FooterType == TKXFooterType::ftMin || Col.FooterType == TKXFooterType::ftMax)
                return FromStd(FormatDateTime(pattern, Col.FooterFloat));
            return {};
        }
    } catch (const EKxError &) {
    }
    return {};
}

void TKXTable::Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType)
{
    const bool design = DrawType == TKXDrawType::tdLab;
    if (!design && !FPrint)
        return;
    const TFrame F{FP1, FP2, po, FAngle};
    const int64_t W = ColumnExtent(), H = RowExtent();
    const int64_t s = FGridStyle == TKXGridStyle::gsHorz || FGridStyle == TKXGridStyle::gsBoth ? FPenWidth : 0;
    const int64_t T = FTitle.Visible ? FTitle.Height : 0;
    const int64_t B = FHeaderVisible ? T + FHeaderH : T;
    const int64_t RH = FRowHeight;
    const int32_t n = ColCount();
    // Only the rows that lie on the label are drawn: a damaged file's table may reach
    // kilometres beyond it. Rows k with B + k x RH in [vFrom - RH, vTo] can show.
    int64_t vFrom = 0, vTo = 0;
    F.VisibleRows(FOwner->Measure()->WidthInternal(), FOwner->Measure()->HeightInternal(), vFrom, vTo);
    auto firstRow = [&](int64_t Lowest) { // the first k >= Lowest whose row ends at or after vFrom
        return RH > 0 ? std::max(Lowest, (vFrom - B) / RH - 1) : Lowest;
    };
    auto rowShows = [&](int64_t Top) { return Top <= vTo && Top + RH >= vFrom; };

    Canvas.SaveState();
    Canvas.SetBkMode(TKXBkMode::bkTransparent);
    TKXPen none;
    none.Style = TKXPenStyle::psClear;
    auto fill = [&](const TRect &R, TColor Color) {
        Canvas.SetPen(none);
        Canvas.SetBrush({ResolveColor(Color), TKXBrushStyle::bsSolid});
        Canvas.FillRect(R);
    };

    // Background and frame.
    if (!FTransparent) {
        if (FDrawTable == TKXDrawTable::dtColumns) {
            for (const auto &c : FColumns)
                fill(F.Rect(c->PosT, 0, int64_t(c->PosT) + c->ColWidth, H), c->FColor);
        } else if (RH > 0) {
            // Bands of alternating colours from the first data row down to the table's end,
            // those on the label only.
            for (int64_t k = firstRow(0), top = B + k * RH; top < H && top <= vTo; top += RH, ++k)
                fill(F.Rect(0, top, W, std::min<int64_t>(top + RH, H)), k % 2 == 0 ? FRowColor : FBackColor);
        }
        TKXPen frame;
        frame.Color = ResolveColor(FColor);
        frame.Width = std::max(0, FPenWidth);
        frame.Style = FPenWidth > 0 ? TKXPenStyle::psSolid : TKXPenStyle::psClear;
        frame.InsideFrame = true;
        Canvas.SetPen(frame);
        Canvas.SetBrush({clWhite, TKXBrushStyle::bsClear});
        Canvas.Rectangle({ClampCoord(int64_t(po.x) + FP1.x), ClampCoord(int64_t(po.y) + FP1.y),
                          ClampCoord(int64_t(po.x) + FP2.x), ClampCoord(int64_t(po.y) + FP2.y)});
    }

    // Title.
    if (FTitle.Visible) {
        fill(F.Rect(0, 0, W, T), FTitle.BackColor);
        PaintText(Canvas, F, TitleText(), 0, W, 0, T, FTitle.Alignment,
                  MakeFont(TitleFontName(), FTitle.FontHeight, FTitle.FontColor, FTitle.Bold, FTitle.Italic,
                           FTitle.Underline, FAngle),
                  s);
    }

    // Header.
    if (FHeaderVisible)
        for (const auto &c : FColumns) {
            if (!c->FShowTitle)
                continue;
            fill(F.Rect(c->PosT, T, int64_t(c->PosT) + c->ColWidth, T + FHeaderH), c->FTitleColor);
            PaintText(Canvas, F, c->FTitle, c->PosT, c->ColWidth, T, FHeaderH, c->FTitleAlign,
                      MakeFont(c->TitleFontName, c->FTitleFontHeight, c->FTitleFontColor, c->FTitleBold,
                               c->FTitleItalic, c->FTitleUnderline, FAngle),
                      s);
        }

    auto dataFont = [&](const TKXColumn &c) {
        return MakeFont(c.FFontName, c.FFontHeight, c.FFontColor, c.FBold, c.FItalic, c.FUnderline, FAngle);
    };

    // Data rows: placeholders on the design surface, the detail records elsewhere.
    std::vector<TKXField *> fields(size_t(n), nullptr);
    if (design) {
        for (int i = 0; i < n; ++i) {
            const TKXColumn &c = *FColumns[size_t(i)];
            PaintText(Canvas, F, QStringLiteral("Col-%1").arg(i), c.PosT, c.ColWidth, B, RH, c.FAlign, dataFont(c), s);
        }
    } else {
        // Every drawing with data starts the footers afresh.
        for (const auto &c : FColumns) {
            c->FooterCount = c->FooterValues = 0;
            c->FooterFloat = 0;
            c->FooterInt = 0;
        }
        TKXDataSet *detail = FOwner->Detail();
        if (detail && detail->Active()) {
            for (int i = 0; i < n; ++i) {
                TKXColumn &c = *FColumns[size_t(i)];
                fields[size_t(i)] = c.FFieldName.isEmpty() ? nullptr : detail->FindField(c.FFieldName);
                // The kind of values follows the field's type, which is not stored.
                if (fields[size_t(i)])
                    FieldKindOf(fields[size_t(i)]->DataType(), c.FieldKind);
            }
            Canvas.SetBrush({clWhite, TKXBrushStyle::bsClear});
            detail->First();
            for (int32_t r = 0; !detail->Eof(); ++r) {
                const bool shown = r < FRows && rowShows(B + int64_t(r) * RH);
                for (int i = 0; i < n; ++i) {
                    TKXColumn &c = *FColumns[size_t(i)];
                    if (shown)
                        PaintText(Canvas, F, CellText(c, fields[size_t(i)]), c.PosT, c.ColWidth,
                                  B + int64_t(r) * RH, RH, c.FAlign, dataFont(c), s);
                    if (c.FShowFooter && fields[size_t(i)])
                        Aggregate(c, *fields[size_t(i)], r == 0);
                }
                detail->Next();
            }
        }
    }

    // Footer.
    if (FFooterVisible)
        for (int i = 0; i < n; ++i) {
            const TKXColumn &c = *FColumns[size_t(i)];
            if (!c.FShowFooter)
                continue;
            fill(F.Rect(c.PosT, H - FFooterH, int64_t(c.PosT) + c.ColWidth, H), c.FooterColor);
            QString text;
            if (design)
                text = QStringLiteral("Foot-%1").arg(i);
            else if (!fields[size_t(i)])
                text = QStringLiteral("-");
            else
                text = FooterText(c);
            PaintText(Canvas, F, text, c.PosT, c.ColWidth, H - FFooterH, FFooterH, c.FFooterAlign,
                      MakeFont(c.FooterFontName, c.FFooterFontHeight, c.FooterFontColor, c.FooterBold,
                               c.FooterItalic, c.FooterUnderline, FAngle),
                      s);
        }

    // Grid.
    if (FGridStyle != TKXGridStyle::gsNone) {
        TKXPen grid;
        grid.Color = ResolveColor(FGridColor);
        grid.Width = std::max(0, FPenWidth);
        grid.Cap = TKXPenCap::pcFlat;
        grid.Join = TKXPenJoin::pjMiter;
        Canvas.SetPen(grid);
        auto line = [&](int64_t u0, int64_t v0, int64_t u1, int64_t v1) {
            const TPoint a = F.Map(u0, v0), b = F.Map(u1, v1);
            Canvas.MoveTo(a.x, a.y);
            Canvas.LineTo(b.x, b.y);
        };
        if (FGridStyle == TKXGridStyle::gsVert || FGridStyle == TKXGridStyle::gsBoth) {
            line(0, T, 0, H);
            for (const auto &c : FColumns)
                line(int64_t(c->PosT) + c->ColWidth, T, int64_t(c->PosT) + c->ColWidth, H);
            if (FColumns.empty())
                line(W, T, W, H);
        }
        if (FGridStyle == TKXGridStyle::gsHorz || FGridStyle == TKXGridStyle::gsBoth) {
            if (!FTitle.Visible)
                line(0, 0, W, 0);
            for (int64_t k = firstRow(1); k <= FRows && B + k * RH <= vTo; ++k)
                line(0, B + k * RH, W, B + k * RH);
            line(0, H, W, H);
        }
    }
    Canvas.RestoreState();

    if (!design)
        return;
    Frame = {FP1.x, FP1.y, FP2.x, FP2.y};
    FBorder = Canvas.LPtoDP(TRect{ClampCoord(int64_t(Frame.Left) + po.x), ClampCoord(int64_t(Frame.Top) + po.y),
                                  ClampCoord(int64_t(Frame.Right) + po.x), ClampCoord(int64_t(Frame.Bottom) + po.y)});
    if (TKXCustomEditor *ed = FOwner->Editor())
        ed->DrawSelectionFrame(GetIsSelected(), false, FSelType, uint16_t(FAngle), Frame, FBorder, false);
}

} // namespace kx
