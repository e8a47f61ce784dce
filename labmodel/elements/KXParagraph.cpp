#include "elements/KXParagraph.h"

#include "core/KXUtils.h"
#include "document/KXBaseLab.h"
#include "document/KXSetup.h"
#include "platform/KXCanvas.h"
#include "stream/KXStream.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace kx {

namespace {

TRect Offset(const TRect &R, TPoint po)
{
    return {ClampCoord(int64_t(R.Left) + po.x), ClampCoord(int64_t(R.Top) + po.y),
            ClampCoord(int64_t(R.Right) + po.x), ClampCoord(int64_t(R.Bottom) + po.y)};
}

// The two parts of a format: horizontal (left, right, centre, justified) and vertical
// (top, centre, bottom).
// Lines without width passed over before the layout gives up.
constexpr int MaxSkippedLines = 100000;

int32_t Clamp32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

enum class THorz { hLeft, hRight, hCentre, hJustify };
enum class TVert { vTop, vCentre, vBottom };

THorz HorzOf(TKXTextFormat F)
{
    return THorz(Ord(F) % 4);
}

TVert VertOf(TKXTextFormat F)
{
    return TVert(Ord(F) / 4);
}

} // namespace

TKXParagraph::TKXParagraph(TKXCustomLab *AOwner) : TKXDataText(AOwner)
{
    FSelType = TKXSelType::stRect;
}

void TKXParagraph::AddPublished(TKXPropTable &t)
{
    TKXDataText::AddPublished(t);
    t.Add(PublishProp("ID", "AnsiString", &TKXElement::ID, &TKXElement::SetID));
    t.Add(PublishProp("X2", "Single", &TKXElement::X2, &TKXElement::SetX2));
    t.Add(PublishProp("Y2", "Single", &TKXElement::Y2, &TKXElement::SetY2));
    t.Add(PublishProp("Text", "WideString", &TKXDataText::Text, &TKXDataText::SetText));
    t.Add(PublishProp("Angle", "Integer", &TKXElement::Angle, &TKXElement::SetAngle));
    t.Add(PublishProp("Alignment", "", &TKXParagraph::Alignment, &TKXParagraph::SetAlignment));
    t.Add(PublishProp("PenWidth", "Single", &TKXElement::PenWidth, &TKXElement::SetPenWidth));
    t.Add(PublishProp("BorderColor", "TColor", &TKXElement::BorderColor, &TKXElement::SetBorderColor));
    t.Add(PublishProp("ShowBorder", "Boolean", &TKXElement::ShowBorder, &TKXElement::SetShowBorder));
}

const TKXPropTable &TKXParagraph::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXParagraph::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXParagraph", &TKXDataText::ClassInfo());
}

void TKXParagraph::SetAlignment(TKXTextFormat Value)
{
    SetProp(FAlignment, Value, QStringLiteral("TextAlign"));
}

void TKXParagraph::SetBorder(const TRect &Value)
{
    if (Value == FBorder)
        return;
    FBorder = Value;
    FKXEleAlign = TKXEleAlign::eaNone;
    IDLayout = 0;
    if (const TKXCustomEditor *ed = FOwner->Editor()) {
        FP1 = {ed->ScreenToLabelX(Value.Left), ed->ScreenToLabelY(Value.Top)};
        FP2 = {ed->ScreenToLabelX(Value.Right), ed->ScreenToLabelY(Value.Bottom)};
        UpdateExtent();
    }
}

// ---------------------------------------------------------------------------------------
// Line layout

void TKXParagraph::LayoutLines(TKXCanvas &Canvas, const QString &Text, const TRect &Frame, TPoint Circle,
                               double Radius)
{
    FLinesArray.clear();
    Canvas.SetTextJustification(0, 0);
    const THorz horz = HorzOf(FAlignment);
    const int32_t T = Frame.Top, Bt = Frame.Bottom, H = std::max(FFontHeight, 1);
    int32_t y = T, L = Frame.Left, R = Frame.Right;

    // The limits of the line at y: the frame's, kept inside the circle of a circular label
    // (only the top of the line is tested). False when the line has no width there: it lies
    // wholly outside the circle.
    auto narrow = [&]() {
        L = Frame.Left;
        R = Frame.Right;
        if (Radius < 0)
            return true;
        const double dy = double(y) - Circle.y;
        const double chord2 = Radius * Radius - dy * dy; // half chord squared
        auto outside = [&](int32_t x) {
            const double dx = double(x) - Circle.x;
            return double(Round(std::sqrt(dx * dx + dy * dy))) > Radius;
        };
        const bool leftOut = outside(L), rightOut = outside(R);
        if ((leftOut || rightOut) && chord2 < 0)
            return false;
        const double half = chord2 > 0 ? std::sqrt(chord2) : 0.0;
        // Narrowing only: the limits never move out of the frame.
        if (leftOut)
            L = std::max(L, Round(Circle.x - half));
        if (rightOut)
            R = std::min(R, Round(Circle.x + half));
        return R > L;
    };
    auto fits = [&] { return int64_t(Bt) - H >= y; };
    // The next line starts; lines without width are passed over. Below the circle no line
    // has width any more, and a damaged file's tiny font in a huge box gives up early.
    auto nextLine = [&] {
        y += H;
        for (int skipped = 0; !narrow() && fits(); ++skipped) {
            if ((Radius >= 0 && y > Circle.y) || skipped > MaxSkippedLines) {
                y = Bt;
                break;
            }
            y += H;
        }
    };

    QString cur;            // the current line
    int32_t wl = 0;         // its width
    int32_t breaks = 0;     // spaces appended to it
    auto addLine = [&](int32_t stretch) {
        TKxParLine line;
        line.Line = cur;
        line.Breaks = breaks;
        line.JustWidth = stretch;
        int32_t x = L;
        if (horz == THorz::hRight)
            x = R - wl;
        else if (horz == THorz::hCentre)
            x = L + (R - L) / 2 - wl / 2;
        line.Pos = {x, y};
        FLinesArray.push_back(std::move(line));
    };
    auto endLine = [&] {
        if (fits())
            addLine(0);
        nextLine();
        cur.clear();
        wl = 0;
        breaks = 0;
    };

    if (!narrow()) {
        y -= H;
        nextLine();
    }
    const qsizetype n = Text.size();
    qsizetype i = 0;
    auto isBreak = [&](qsizetype k) { return Text[k] == u'\r' || Text[k] == u'\n'; };
    while (i < n && fits()) {
        // Carriage returns in a row: every second one leaves an empty line.
        int returns = 0;
        while (i < n && Text[i] == u'\r') {
            ++i;
            if (++returns % 2 == 0)
                endLine();
        }
        while (i < n && (Text[i] == u'\n' || Text[i] == u' '))
            ++i;
        const qsizetype start = i;
        while (i < n && Text[i] != u' ' && !isBreak(i))
            ++i;
        const QString word = Text.mid(start, i - start);
        const bool lineBreak = i < n && isBreak(i);
        if (!word.isEmpty()) {
            const int32_t ww = Canvas.TextExtent(QLatin1Char(' ') + word).cx;
            const int32_t A = R - L;
            if (int64_t(A) < int64_t(wl) + ww) {
                // The line is full: the word starts the next one.
                if (y < Bt)
                    addLine(horz == THorz::hJustify ? A - wl : 0);
                cur = word;
                wl = Canvas.TextExtent(word).cx;
                breaks = 0;
                nextLine();
            } else if (cur.isEmpty()) {
                cur = word;
                wl = Canvas.TextExtent(word).cx;
            } else {
                cur += QLatin1Char(' ') + word;
                wl += ww;
                ++breaks;
            }
        }
        // A line break after the word ends the line, also when the word started it.
        if (lineBreak)
            endLine();
    }
    if (!cur.isEmpty() && fits())
        addLine(0);

    const auto count = int64_t(FLinesArray.size());
    switch (VertOf(FAlignment)) {
    case TVert::vCentre: {
        const int64_t free = int64_t(Bt) - count * H - T;
        if (free > 0)
            for (TKxParLine &line : FLinesArray)
                line.Pos.y += int32_t(free / 2);
        break;
    }
    case TVert::vBottom: {
        int64_t at = int64_t(Bt) - H;
        for (auto it = FLinesArray.rbegin(); it != FLinesArray.rend(); ++it, at -= H)
            it->Pos.y = Clamp32(at);
        break;
    }
    case TVert::vTop:
        break;
    }
}

// ---------------------------------------------------------------------------------------
// Drawing

void TKXParagraph::Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill)
{
    if (!DrawsOn(DrawType))
        return;
    QString shown = FText;
    // On output a paragraph bound to a field shows the field's value, as it is.
    if (DrawType != TKXDrawType::tdLab && FDatabase && !FIsCounter &&
        (fill == TKXFillType::ftField || fill == TKXFillType::ftFieldCounter))
        FOwner->GetFieldText(FFieldName, QString(), FFloatAsDateTime, shown);

    Canvas.SaveState();
    // In 64 bits: a damaged file's points may lie anywhere in the 32-bit range.
    const TRect box{Clamp32(int64_t(po.x) + FP1.x), Clamp32(int64_t(po.y) + FP1.y), Clamp32(int64_t(po.x) + FP2.x),
                    Clamp32(int64_t(po.y) + FP2.y)};
    const TKXMeasure &measure = *FOwner->Measure();
    const int32_t W = measure.WidthInternal();
    TPoint centre{AnchorCoord(int64_t(po.x) + W / 2), AnchorCoord(int64_t(po.y) + W / 2)};
    const double radius = measure.LabelType() == TZantorType::ltCircle ? W / 2.0 : -1.0;

    if (!FTransparent) {
        Canvas.SetBrush({FBackColor, TKXBrushStyle::bsSolid});
        Canvas.FillRect(box);
    }
    Canvas.SetBrush({FBackColor, TKXBrushStyle::bsClear});
    if (FShowBorder) {
        TKXPen pen;
        pen.Color = FBorderColor;
        pen.Width = FPenWidth;
        pen.InsideFrame = true;
        Canvas.SetPen(pen);
        Canvas.Rectangle({box.Left, box.Top, box.Right + 1, box.Bottom + 1});
    }
    SetupFont(Canvas);
    Canvas.SetBrush({FBackColor, TKXBrushStyle::bsClear});
    Canvas.SetBkMode(TKXBkMode::bkTransparent);

    // The lines are laid out unturned in a frame whose top-left corner O becomes the
    // box's corner where the turned text starts; the circle's centre is turned back into
    // that frame.
    const int64_t w = int64_t(FP2.x) - FP1.x, h = int64_t(FP2.y) - FP1.y;
    TPoint O{box.Left, box.Top};
    TRect frame = box;
    const int32_t angle = FAngle == 90 || FAngle == 180 || FAngle == 270 ? FAngle : 0;
    switch (angle) {
    case 90:
        O = {box.Left, box.Bottom};
        frame = {O.x, O.y, Clamp32(O.x + h), Clamp32(O.y + w)};
        RotatePoint(centre, O, 270);
        break;
    case 180:
        O = {box.Right, box.Bottom};
        frame = {O.x, O.y, Clamp32(O.x + w), Clamp32(O.y + h)};
        RotatePoint(centre, O, 180);
        break;
    case 270:
        O = {box.Right, box.Top};
        frame = {O.x, O.y, Clamp32(O.x + h), Clamp32(O.y + w)};
        RotatePoint(centre, O, 90);
        break;
    default:
        break;
    }
    const int64_t inset = int64_t(FPenWidth) + 5;
    frame = {Clamp32(frame.Left + inset), Clamp32(frame.Top + inset), Clamp32(frame.Right - inset),
             Clamp32(frame.Bottom - inset)};
    LayoutLines(Canvas, shown, frame, centre, radius);

    const bool justify = HorzOf(FAlignment) == THorz::hJustify;
    Canvas.SetTextJustification(0, 0);
    for (const TKxParLine &line : FLinesArray) {
        if (line.Line.isEmpty())
            continue;
        TPoint at = line.Pos;
        if (angle != 0)
            RotatePoint(at, O, angle);
        if (justify)
            Canvas.SetTextJustification(line.JustWidth, line.Breaks);
        Canvas.TextOut(at.x, at.y, line.Line);
    }
    Canvas.RestoreState();

    if (DrawType == TKXDrawType::tdLab) {
        Frame = {FP1.x, FP1.y, FP2.x, FP2.y};
        FBorder = Canvas.LPtoDP(Offset(Frame, po));
        if (TKXCustomEditor *ed = FOwner->Editor())
            ed->DrawSelectionFrame(GetIsSelected(), FDatabase, FSelType, uint16_t(FAngle), Frame, FBorder, false);
    }
}

// ---------------------------------------------------------------------------------------
// Record

void TKXParagraph::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::deParagraph);
    TKXDataText::SaveToStream(Stream);
    Stream.WriteEnum(FAlignment);
}

void TKXParagraph::LoadFromStream(TKXStreamReader &Stream)
{
    TKXDataText::LoadFromStream(Stream);
    const uint8_t format = Stream.ReadUInt8();
    // A format beyond the twelve reads as left-top.
    FAlignment = format < 12 ? TKXTextFormat(format) : TKXTextFormat::tfLeftTop;
}

} // namespace kx
