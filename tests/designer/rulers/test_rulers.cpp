// The rulers: scale per unit, where ticks, numbers, the selection's extent and the
// alignment markers are drawn, what redraws them, and dragging an alignment line.
#include "EditorFixture.h"

#include "editor/KXEditorSettings.h"
#include "rulers/KXRulers.h"

#include <QTest>

#include <cmath>
#include <gtest/gtest.h>

using namespace kx;
using namespace kx::designer;
using zt::EditorOnLabel;
using zt::Rgb;

namespace {

// The ruler's graduation as drawn (left ruler turned so that "x" runs along it).
unsigned At(const TKXRulerBase &R, bool Top, int Along, int Across)
{
    return Top ? Rgb(R.OffScreen(), Along, Across) : Rgb(R.OffScreen(), Across, Along);
}

} // namespace

TEST(DesignerRulers, ScalePerUnit)
{
    designer::TKXDataRuler d;
    d.SetDPI(96, 96);
    EXPECT_NEAR(d.ConvX(), 96 / 25.4, 1e-9);
    d.SetUnits(TKXUnits::unINCH);
    EXPECT_DOUBLE_EQ(d.ConvX(), 96);
    d.SetUnits(TKXUnits::unCM);
    EXPECT_NEAR(d.ConvY(), 96 / 2.54, 1e-9);
    d.SetFactor(2);
    EXPECT_NEAR(d.ConvY(), 2 * 96 / 2.54, 1e-9);
}

TEST(DesignerRulers, TicksAndNumbersFollowScaleAndScroll)
{
    EditorOnLabel f(200, 200, 600, 400);
    TKXTopRuler &top = *f.Ed().TopRuler();
    TKXLeftRuler &left = *f.Ed().LeftRuler();
    f.Ed().RulerSettings().SetColor(0xFFFFFF);
    const int H = 18;
    const unsigned black = 0x000000, white = 0xFFFFFF;
    for (bool isTop : {true, false}) {
        TKXRulerBase &r = isTop ? static_cast<TKXRulerBase &>(top) : left;
        const int origin = isTop ? H + 12 : 12;
        ASSERT_EQ(r.Origin(), origin);
        auto x = [&](int n) { return int(std::trunc(n * 96 / 25.4)) + origin; };
        // Millimetres: a plain tick (rows H - H/4 .. H - 2), a fifth (H - H/2 ..), a tenth (H - H/3 ..).
        EXPECT_EQ(At(r, isTop, x(1), H - 3), black);
        EXPECT_EQ(At(r, isTop, x(1), H - H / 3), white);
        EXPECT_EQ(At(r, isTop, x(5), H - H / 2), black);
        EXPECT_EQ(At(r, isTop, x(5), H - H / 2 - 1), white);
        EXPECT_EQ(At(r, isTop, x(10), H - H / 3), black);
        EXPECT_EQ(At(r, isTop, x(10), H - 1), white); // the last row stays free
        // The number "10" is written across the tenth tick, above it.
        bool ink = false;
        for (int a = x(10) - 6; a <= x(10) + 6; ++a)
            for (int b = 1; b < H - H / 3; ++b)
                ink = ink || At(r, isTop, a, b) != white;
        EXPECT_TRUE(ink) << isTop;
    }
    // Below 100 % only the fifth and tenth ticks.
    f.Ed().SetZoom(TKXZoom::zm50);
    const int o = top.Origin();
    EXPECT_EQ(At(top, true, int(std::trunc(5 * 0.5 * 96 / 25.4)) + o, H - 3), black);
    EXPECT_EQ(At(top, true, int(std::trunc(3 * 0.5 * 96 / 25.4)) + o, H - 3), white);
    // Scrolling moves the graduation toward the start.
    f.Ed().SetZoom(TKXZoom::zm100);
    top.SetFirstPos(100);
    EXPECT_EQ(top.Origin(), H + 12 - 100);
    const int x50 = int(std::trunc(50 * 96 / 25.4)) + H + 12 - 100;
    EXPECT_EQ(At(top, true, x50, H - H / 3), black);
    // Inches: a tick every 9.6 pixels.
    f.Lab->SetUnits(TKXUnits::unINCH);
    top.SetFirstPos(0);
    EXPECT_EQ(At(top, true, int(std::trunc(3 * 9.6)) + H + 12, H - 3), black);
    EXPECT_EQ(At(top, true, int(std::trunc(5 * 9.6)) + H + 12, H - H / 2), black);
}

TEST(DesignerRulers, SelectionExtentBand)
{
    EditorOnLabel f;
    auto &s = f.Ed().RulerSettings();
    s.SetShowSize(true);
    s.SetSizeColor(0x00FF00);
    auto *box = f.AddBox({1000, 500, 3000, 2000});
    f.Ed().SetSelect(box);
    const TKXTopRuler &top = *f.Ed().TopRuler();
    const TKXLeftRuler &left = *f.Ed().LeftRuler();
    const double c = 96 / 25.4;
    const int H = 18;
    auto band = [&](const TKXRulerBase &r, bool isTop, int a) { return At(r, isTop, a, H - 3) == 0x00FF00; };
    const int s1 = int(std::trunc(10 * c)) + top.Origin(), e1 = int(std::trunc(30 * c)) + top.Origin();
    // (Ticks are drawn over the band: 10 mm is a tenth tick.)
    EXPECT_TRUE(band(top, true, s1 + 1));
    EXPECT_TRUE(band(top, true, e1 - 2));
    EXPECT_FALSE(band(top, true, e1 + 1));
    EXPECT_FALSE(band(top, true, s1 - 2));
    const int s2 = int(std::trunc(5 * c)) + left.Origin(), e2 = int(std::trunc(20 * c)) + left.Origin();
    EXPECT_TRUE(band(left, false, s2 + 1));
    EXPECT_TRUE(band(left, false, e2 - 1));
    EXPECT_FALSE(band(left, false, e2 + 1));
    // Nothing selected: no band.
    f.Ed().ClearSelection();
    f.Ed().RulerSettings().Data()->SetCoorSelect(0, 0, 0, 0);
    EXPECT_FALSE(band(top, true, s1 + 5));
}

TEST(DesignerRulers, WhatRedrawsTheGraduation)
{
    EditorOnLabel f;
    TKXTopRuler &top = *f.Ed().TopRuler();
    auto &s = f.Ed().RulerSettings();
    int n = top.DrawCount();
    s.SetToColor(0x123456); // unused by the plain style
    EXPECT_EQ(top.DrawCount(), n);
    s.SetStyle(TKXRulerStyle::rsStyle03);
    EXPECT_EQ(top.DrawCount(), ++n);
    s.SetToColor(0x654321);
    EXPECT_EQ(top.DrawCount(), ++n);
    // The position line moves without drawing the graduation.
    top.SetPosT(50);
    EXPECT_EQ(top.PosT(), 50 + top.Origin());
    EXPECT_EQ(top.DrawCount(), n);
    const QImage shot = top.grab().toImage();
    EXPECT_EQ(shot.pixelColor(50 + top.Origin(), 9), QColor(255, 0, 0)); // the mark colour
}

TEST(DesignerRulers, AlignmentMarkersAndTheirDrag)
{
    EditorOnLabel f(60, 35, 600, 400);
    TKXBackSurf &back = *f.Lab->BackSurf();
    back.SetShowAlign(true);
    back.SetAlignX(20);
    back.SetAlignY(10);
    f.Ed().RulerSettings().SetAdjustAligns(true);
    TKXTopRuler &top = *f.Ed().TopRuler();
    TKXLeftRuler &left = *f.Ed().LeftRuler();
    const double c = 96 / 25.4;
    const int H = 18;
    // The top marker above x = 20 mm (left of the middle: not shifted).
    const int p = int(std::trunc(20 * c)) + top.Origin();
    EXPECT_EQ(top.AlRect(), (TRect{p - 3, H - 7, p + 3, H}));
    const int q = int(std::trunc(10 * c)) + left.Origin();
    EXPECT_EQ(left.AlRect(), (TRect{H - 7, q - 3, H, q + 3}));

    // Drag the top marker to 30 mm: the guide moves on the selection layer while dragged.
    f.TakeRenders();
    QTest::mousePress(&top, Qt::LeftButton, {}, QPoint(p, H - 3));
    EXPECT_TRUE(top.Draging());
    EXPECT_TRUE(back.FDrawAlign);
    auto r = f.TakeRenders();
    EXPECT_EQ(r.Ele, 1);
    EXPECT_EQ(r.Sel, 1);
    const int to = top.Origin() + int(std::lround(30 * c));
    QTest::mouseMove(&top, QPoint(to, H - 3));
    EXPECT_NEAR(back.AlignX(), 30, 0.2);
    EXPECT_FLOAT_EQ(f.Ed().RulerSettings().Data()->AlignX(), float(to - top.Origin()) / float(c));
    r = f.TakeRenders();
    EXPECT_EQ(r.Ele, 0); // only the selection layer while dragging
    EXPECT_EQ(r.Sel, 1);
    QTest::mouseRelease(&top, Qt::LeftButton, {}, QPoint(to, H - 3));
    EXPECT_FALSE(top.Draging());
    EXPECT_FALSE(back.FDrawAlign);
    EXPECT_TRUE(f.Lab->Modified());
    r = f.TakeRenders();
    EXPECT_EQ(r.Ele, 1);
    // The moved guide is on the elements layer at 30 mm.
    const QImage &img = f.Paint();
    const int gx = f.Ed().LabelToScreenX(back.AlignXInternal());
    int red = 0;
    for (int y = 0; y < img.height(); ++y)
        red += Rgb(img, gx, y) == 0xFF0000;
    EXPECT_GT(red, 10);

    // Left of the origin gives 0.
    const int p2 = int(std::trunc(back.AlignX() * c)) + top.Origin();
    QTest::mousePress(&top, Qt::LeftButton, {}, QPoint(top.AlRect().Left + 3, H - 3));
    QTest::mouseMove(&top, QPoint(H + 2, H - 3));
    QTest::mouseRelease(&top, Qt::LeftButton, {}, QPoint(H + 2, H - 3));
    EXPECT_FLOAT_EQ(back.AlignX(), 0);
    (void)p2;
    // Vertical marker: drag down to 20 mm.
    QTest::mousePress(&left, Qt::LeftButton, {}, QPoint(H - 3, q));
    QTest::mouseMove(&left, QPoint(H - 3, left.Origin() + int(std::lround(20 * c))));
    QTest::mouseRelease(&left, Qt::LeftButton, {}, QPoint(H - 3, left.Origin() + int(std::lround(20 * c))));
    EXPECT_NEAR(back.AlignY(), 20, 0.2);
}

TEST(DesignerRulers, MarkersCannotBeDraggedWithoutAdjustAligns)
{
    EditorOnLabel f;
    f.Lab->BackSurf()->SetShowAlign(true);
    f.Lab->BackSurf()->SetAlignX(20);
    TKXTopRuler &top = *f.Ed().TopRuler();
    const TRect m = top.AlRect();
    QTest::mousePress(&top, Qt::LeftButton, {}, QPoint(m.Left + 3, m.Top + 3));
    EXPECT_FALSE(top.Draging());
    QTest::mouseMove(&top, QPoint(m.Left + 60, m.Top + 3));
    QTest::mouseRelease(&top, Qt::LeftButton, {}, QPoint(m.Left + 60, m.Top + 3));
    EXPECT_FLOAT_EQ(f.Lab->BackSurf()->AlignX(), 20);
}
