#include "LabelFileComposer.h"

#include <cstring>

namespace zt {

LeBytes &LeBytes::U8(uint8_t v)
{
    B.push_back(v);
    return *this;
}

LeBytes &LeBytes::I16(int16_t v)
{
    const auto u = uint16_t(v);
    B.push_back(uint8_t(u));
    B.push_back(uint8_t(u >> 8));
    return *this;
}

LeBytes &LeBytes::I32(int32_t v)
{
    const auto u = uint32_t(v);
    for (int i = 0; i < 4; ++i)
        B.push_back(uint8_t(u >> (8 * i)));
    return *this;
}

LeBytes &LeBytes::I64(int64_t v)
{
    const auto u = uint64_t(v);
    for (int i = 0; i < 8; ++i)
        B.push_back(uint8_t(u >> (8 * i)));
    return *this;
}

LeBytes &LeBytes::F32(float v)
{
    uint32_t u;
    std::memcpy(&u, &v, 4);
    return I32(int32_t(u));
}

LeBytes &LeBytes::Raw(const Bytes &v)
{
    B.insert(B.end(), v.begin(), v.end());
    return *this;
}

LeBytes &LeBytes::Wide(const std::u16string &s, bool OldLayout)
{
    I32(int32_t(s.size()));
    if (s.empty())
        return *this;
    if (!OldLayout) {
        // 2n in base 128, low seven bits first, 0x80 on all but the last byte.
        uint32_t n = uint32_t(s.size()) * 2;
        while (n >= 0x80) {
            U8(uint8_t(n & 0x7F) | 0x80);
            n >>= 7;
        }
        U8(uint8_t(n));
    }
    for (char16_t c : s) {
        B.push_back(uint8_t(c));
        B.push_back(uint8_t(c >> 8));
    }
    return *this;
}

LeBytes &LeBytes::Ansi(const std::string &s)
{
    I32(int32_t(s.size()));
    B.insert(B.end(), s.begin(), s.end());
    return *this;
}

Bytes BitmapFile(int w, int h)
{
    const int stride = (w * 3 + 3) / 4 * 4;
    const int total = 14 + 40 + stride * h;
    LeBytes b;
    b.U8('B').U8('M').I32(total).I32(0).I32(54);
    b.I32(40).I32(w).I32(h).I16(1).I16(24).I32(0).I32(stride * h).I32(2835).I32(2835).I32(0).I32(0);
    for (int i = 0; i < stride * h; ++i)
        b.U8(uint8_t(0x5A)); // any pixels
    return b.B;
}

Bytes ComposeElement(const ComposedElement &E, int32_t v, bool OldLayout)
{
    const bool old = OldLayout || v < 2000;
    LeBytes b;
    // Wide from version 19 on, ANSI (narrowed, the fixtures use ASCII there) before.
    auto text = [&](const std::u16string &s) {
        if (v >= 19)
            b.Wide(s, old);
        else
            b.Ansi(std::string(s.begin(), s.end()));
    };
    b.U8(E.Code);
    b.I32(E.Color).I32(E.BackColor).I32(E.BorderColor);
    b.U8(E.PenStyle).U8(E.ShowBorder).U8(E.Transparent).U8(E.Print);
    b.I32(E.PenWidth).I32(E.P1x).I32(E.P1y).I32(E.P2x).I32(E.P2y);
    if (v >= 2800)
        b.I32(E.OP1x).I32(E.OP1y).I32(E.OP2x).I32(E.OP2y);
    b.I32(E.Angle).I32(E.TextD);
    if (v >= 20)
        b.I32(E.Margin).U8(E.EleAlign);
    if (v >= 2300)
        b.I32(E.PadX).I32(E.PadY).I32(E.FrameRadio);
    b.Ansi(E.ID);
    if (v >= 2800)
        b.I32(E.DesignWidth).F32(E.TrX).F32(E.TrY);
    if (E.HasData) {
        b.Ansi(E.FontName).Ansi(E.FieldName).I32(E.FontHeight).U8(E.Data);
        if (v >= 19)
            b.U8(E.Charset);
        if (v >= 2800)
            b.I32(E.CharWidth);
    }
    if (E.HasText) {
        text(E.Text);
        b.Ansi(E.DisplayFormat).U8(E.TextAlign).U8(E.Bold).U8(E.Italic).U8(E.Underline).U8(E.Shadow);
        b.I32(E.ShadowColor).I32(E.GapX).I32(E.GapY);
        if (E.HasTails) {
            text(E.Tail1);
            text(E.Tail2);
        }
        if (E.HasParagraph)
            b.U8(E.ParagraphFormat);
    }
    if (E.HasRect) {
        b.I32(E.Radio).U8(E.Ellipse);
        if (v >= 2800)
            b.I16(E.Figure);
    }
    return b.B;
}

namespace {

// Everything before the element count.
LeBytes Head(const ComposedLabel &L)
{
    LeBytes b;
    const int32_t v = L.Version;
    // A file whose first 32-bit value is below 2000 is of the oldest layout: every file of a
    // version below 2000 starts with its texts.
    const bool old = L.OldLayout || v < 2000;
    auto text = [&](const std::u16string &s, bool ansi) {
        if (ansi)
            b.Ansi(std::string(s.begin(), s.end())); // the fixtures use ASCII only here
        else
            b.Wide(s, old);
    };
    if (old) {
        text(L.BackFile, L.AnsiTexts);
        b.Wide(L.Dataset, true).Wide(L.Unused4, true).Wide(L.Unused5, true);
        text(L.LabelName, L.AnsiTexts);
        text(L.PaperName, L.AnsiTexts);
        b.I32(v);
    } else {
        b.I32(v);
        b.Wide(L.BackFile).Wide(L.Dataset).Wide(L.Unused4).Wide(L.Unused5);
        if (v >= 2700)
            b.Wide(L.Detail);
        if (v >= 2810) {
            b.U8(L.ExtFileType).U8(L.ExtSeparator).U8(L.ExtHasHeader);
            b.Wide(L.ExtFileName).Wide(L.ExtTableName).Wide(L.ExtTableDisplay);
            b.U8(L.ExtSaveFields);
            if (L.ExtSaveFields) {
                b.I32(int32_t(L.Fields.size()));
                for (const ComposedField &f : L.Fields)
                    b.Wide(f.Name).Wide(f.Caption).U8(f.FloatAsDateTime).I16(f.FieldType);
            }
        }
        b.Wide(L.LabelName).Wide(L.PaperName);
    }
    if (v >= 18)
        b.U8(L.Thumbnail ? 1 : 0);
    if (v < 18 || L.Thumbnail)
        b.Raw(BitmapFile(3, 2));
    b.U8(L.Snap).U8(L.Units).U8(L.Access);
    b.I32(L.Width).I32(L.Height).I32(L.MarLeft).I32(L.MarTop).I32(L.DiHor).I32(L.DiVer);
    b.I32(L.NuHor).I32(L.NuVer);
    b.I32(L.PaperWidth).I32(L.PaperHeight).I32(L.InnerCircle);
    b.U8(L.LabelType);
    b.I32(L.TitleFontHeight);
    if (v >= 19)
        b.I32(L.TitleFontColor);
    b.I32(L.TitleX).I32(L.TitleY).U8(L.TitlePrint);
    b.Ansi(L.TitleFontName);
    text(L.TitleText, old && L.AnsiTexts);
    b.I32(L.BackColor).I32(L.BackToColor).I32(L.AlignColor).U8(L.BackStyle);
    b.I32(L.AlignX).I32(L.AlignY).U8(L.ShowAlign).U8(L.BackPrint);
    b.I32(L.GridColor).I32(L.IncX).I32(L.IncY).U8(L.GridShow).U8(L.ShowMargins).I32(L.SelColor);
    b.I32(L.FrameColor).I32(L.Dist1).I32(L.Dist2).I32(L.Radio).U8(L.FrameStyle).I32(L.FramePen);
    b.U8(L.LinkData);
    b.I32(L.NumLabs).I32(L.MarginColor).I32(L.FirstRow).I32(L.FirstCol).I32(L.FirstLab).I32(L.LastLab);
    b.I16(L.PaperSize).U8(L.Orientation);
    if (v >= 2800) {
        b.I32(L.PrinterIndex).Wide(L.PrinterName).Ansi(L.FieldRepetition).U8(L.Continous);
    }
    if (v >= 20) {
        b.I32(int32_t(L.Counters.size()));
        for (const ComposedCounter &c : L.Counters)
            b.I64(c.NumFrom).I64(c.NumTo).I32(c.Num).I32(c.Step).I32(c.NumBefore).I32(c.NumAfter)
                .Ansi(c.Format).Ansi(c.Name);
    }
    return b;
}

} // namespace

size_t ElementCountOffset(const ComposedLabel &L)
{
    return Head(L).B.size();
}

Bytes ComposeLabel(const ComposedLabel &L)
{
    LeBytes b = Head(L);
    b.I32(int32_t(L.Elements.size()) + L.ExtraElementCount);
    for (const ComposedElement &e : L.Elements)
        b.Raw(ComposeElement(e, L.Version, L.OldLayout));
    b.Raw(L.ExtraElementBytes);
    return b.B;
}

} // namespace zt
