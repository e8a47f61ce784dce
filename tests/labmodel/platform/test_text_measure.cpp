// Text measuring on the Qt canvas: the advances the canvas adds up for texts that need no
// shaping equal what Qt's shaper gives for the same reference font, for the fonts and
// scripts labels use; texts that need the shaper (marks, joining scripts, spacing) still
// measure through it.
#include "GuiApp.h"
#include "platform/KXQtCanvas.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>

#include <cmath>

using namespace kx;

namespace {

// What the shaper gives: the reference font's advance, scaled to the cell height, at 1 unit
// to the pixel.
int32_t ShapedWidth(const TKXFont &F, const QString &Text, double LetterSpacing = 0)
{
    QFont ref(F.Name);
    ref.setPixelSize(int(TKXQtCanvas::RefPixelSize));
    ref.setBold(F.Bold);
    ref.setItalic(F.Italic);
    ref.setUnderline(F.Underline);
    ref.setHintingPreference(QFont::PreferNoHinting);
    ref.setKerning(false);
    const QFontMetricsF cell(ref);
    const double k = F.Height / (cell.ascent() + cell.descent());
    if (LetterSpacing != 0)
        ref.setLetterSpacing(QFont::AbsoluteSpacing, LetterSpacing / k);
    return int32_t(std::nearbyint(QFontMetricsF(ref).horizontalAdvance(Text) * k));
}

TEST(TextMeasure, AddedAdvancesEqualTheShaper)
{
    zt::RequireGuiApp();
    QImage img(16, 16, QImage::Format_RGB32);
    QPainter painter(&img);
    // One unit to the pixel; a 2 m cell magnifies any difference.
    TKXQtCanvas canvas(painter, TKXMapping::FromExtents(1, 1, 1, 1));
    const QStringList texts = {
        "Article number 12345", "A-100123", "office fine flow ffi", "\u00dcn\u00efc\u00f6d\u00e9 Gr\u00f6\u00dfe \u20ac 9,99",
        "\u03a9\u03bc\u03ad\u03b3\u03b1 \u0391\u03b8\u03ae\u03bd\u03b1", "\u041f\u0440\u0438\u0432\u0435\u0442, \u043c\u0438\u0440!",
        "T\u00e9l. +34 (91) 555-0100 \u2022 \u00abquoted\u00bb \u2014 AV Wa To", "",
        // Need the shaper: a combining mark, Arabic, Devanagari, a character from a fallback font.
        "e\u0301te\u0301", "\u0645\u0631\u062d\u0628\u0627", "\u0928\u092e\u0938\u094d\u0924\u0947", "\u65e5\u672c\u8a9e",
    };
    for (const char *name : {"Arial", "DejaVu Serif", "Liberation Mono"}) {
        for (int style = 0; style < 3; ++style) {
            TKXFont f;
            f.Name = name;
            f.Height = 200000;
            f.Bold = style == 1;
            f.Italic = style == 2;
            canvas.SetFont(f);
            for (const QString &t : texts) {
                SCOPED_TRACE(std::string(name) + " style " + std::to_string(style) + ": " + t.toStdString());
                // Twice: the second measure comes from what the first one kept.
                EXPECT_EQ(canvas.TextExtent(t).cx, ShapedWidth(f, t));
                EXPECT_EQ(canvas.TextExtent(t).cx, ShapedWidth(f, t));
            }
        }
    }
    // With character spacing every text goes through the shaper.
    TKXFont f;
    f.Height = 200000;
    canvas.SetFont(f);
    canvas.SetTextCharacterExtra(3000);
    EXPECT_EQ(canvas.TextExtent("A-100123").cx, ShapedWidth(f, "A-100123", 3000));
    canvas.SetTextCharacterExtra(0);
    EXPECT_EQ(canvas.TextExtent("A-100123").cx, ShapedWidth(f, "A-100123"));
}

} // namespace
