// The 64 built-in pictograms of the symbol element, as data.
//
// Every pictogram is drawn on a design grid of 100 x 100 over its square (x to the right,
// y downward, origin at the top-left corner). A design coordinate d lands at Round(d * s)
// from the corner, with s = W / 100 held as a float and halves rounded to even. Each
// pictogram is a list of steps (a figure with its pen and brush); a step may repeat its
// figure turned about a centre (the recycling arrows, the stars, the laser rays), which
// happens on the unturned figure before the whole square turns with the element.
//
// Three colours come from the caller: F (outlines and dark figures), B (grounds and light
// areas) and Fi (the figure of most marks). The containers of 22 to 24 have fixed colours;
// the cut-outs of the FCC mark take the label's background colour on a label.
#include "elements/KXSymbol.h"

#include "core/KXUtils.h"
#include "document/KXBaseLab.h"
#include "document/KXSetup.h"
#include "platform/KXCanvas.h"

#include <array>
#include <cmath>
#include <initializer_list>
#include <vector>

namespace kx {

namespace {

struct DP {
    float x, y;
};
using DPs = std::vector<DP>;

// Where a colour comes from.
enum class Src : uint8_t { F, B, Fi, Cut, Yellow, Green, Blue };

// Pen width: W div v, Round(v * s), a fixed v, or no pen; Keep leaves colour and style as
// the set-up made them and sets width 0.
struct PenSpec {
    enum Kind : uint8_t { Clear, Div, Scaled, Fixed, Keep } kind = Clear;
    int16_t v = 0;
    Src col = Src::F;
    bool geometric = false; // flat ends, mitred joins
};

// Brush: none, solid, or solid unless the symbol is transparent.
struct BrushSpec {
    enum Kind : uint8_t { Clear, Solid, Opaque } kind = Clear;
    Src col = Src::B;
};

enum class Op : uint8_t { Rect, Ellipse, Line, Polyline, Polygon, Path, Pie, Arc, Text };

struct Step {
    Op op;
    PenSpec pen;
    BrushSpec brush;
    DPs pts;                 // corners, end points, or the figure's points
    bool bezier = false;     // paths: the points after the first are curves, three each
    bool skipTransparent = false;
    int copies = 1;          // the figure and copies - 1 more, each turned `turn` from the last
    int turn = 0;
    DP centre{50, 50};
    const char *text = nullptr;
};

using Pictogram = std::vector<Step>;

// ----- Pens and brushes as the table writes them -----
PenSpec Wd(int k, Src c = Src::F) { return {PenSpec::Div, int16_t(k), c, false}; }
PenSpec WdGeo(int k, Src c = Src::F) { return {PenSpec::Div, int16_t(k), c, true}; }
PenSpec Ws(int k, Src c = Src::F) { return {PenSpec::Scaled, int16_t(k), c, false}; }
PenSpec Px(int v, Src c = Src::F) { return {PenSpec::Fixed, int16_t(v), c, false}; }
const PenSpec NoPen{};
BrushSpec Solid(Src c) { return {BrushSpec::Solid, c}; }
BrushSpec Opaque(Src c) { return {BrushSpec::Opaque, c}; }
const BrushSpec NoBrush{};

// ----- Figures -----
Step Rect(DP a, DP b, PenSpec p, BrushSpec br) { return {Op::Rect, p, br, {a, b}}; }
Step Ell(DP a, DP b, PenSpec p, BrushSpec br) { return {Op::Ellipse, p, br, {a, b}}; }
// A filled ellipse without outline.
Step Dot(DP a, DP b, Src c) { return {Op::Ellipse, NoPen, Solid(c), {a, b}}; }
Step Line(DP a, DP b, PenSpec p) { return {Op::Line, p, NoBrush, {a, b}}; }
Step Poly(DPs pts, PenSpec p) { return {Op::Polyline, p, NoBrush, std::move(pts)}; }
Step Gon(DPs pts, PenSpec p, BrushSpec br) { return {Op::Polygon, p, br, std::move(pts)}; }
// A closed figure filled in one colour, no outline (polyline or Bezier course).
Step Fill(Src c, DPs pts, bool bez = false) { return {Op::Path, NoPen, Solid(c), std::move(pts), bez}; }
// A figure stroked only.
Step Stroke(PenSpec p, DPs pts, bool bez = false) { return {Op::Path, p, NoBrush, std::move(pts), bez}; }
// A figure stroked and filled.
Step Outline(PenSpec p, BrushSpec br, DPs pts, bool bez = false) { return {Op::Path, p, br, std::move(pts), bez}; }
Step PieOf(DP a, DP b, DP s, DP e, PenSpec p, BrushSpec br) { return {Op::Pie, p, br, {a, b, s, e}}; }
Step ArcOf(DP a, DP b, DP s, DP e, PenSpec p) { return {Op::Arc, p, NoBrush, {a, b, s, e}}; }
Step Text(const char *t, DP at)
{
    Step s{Op::Text, NoPen, NoBrush, {at}};
    s.text = t;
    return s;
}
// The step drawn `copies` times, each copy turned by `turn` degrees about `centre`.
Step Turned(Step s, int copies, int turn, DP centre = {50, 50})
{
    s.copies = copies;
    s.turn = turn;
    s.centre = centre;
    return s;
}
Step SkipWhenTransparent(Step s)
{
    s.skipTransparent = true;
    return s;
}

// ----- Grounds -----
// The plain square: nothing when transparent, else the square in B with a width-0 pen.
Step PlainSquare()
{
    return SkipWhenTransparent(Rect({0, 0}, {100, 100}, {PenSpec::Keep}, Solid(Src::B)));
}
Step FramedSquare() { return Rect({0, 0}, {100, 100}, Wd(20), Opaque(Src::B)); }
Step Triangle(BrushSpec br) { return Gon({{50, 8}, {95, 88}, {5, 88}}, Wd(20), br); }
Step Diamond() { return Gon({{50, 0}, {100, 50}, {50, 100}, {0, 50}, {50, 0}}, Wd(20), Opaque(Src::B)); }

// ----- Figures whose course the drawing itself chooses, fitted into a box -----
// Points given in a unit box (0..1) placed into the design box (x1, y1)-(x2, y2).
DPs Fit(std::initializer_list<DP> unit, DP a, DP b)
{
    DPs out;
    for (DP u : unit)
        out.push_back({a.x + u.x * (b.x - a.x), a.y + u.y * (b.y - a.y)});
    return out;
}
DPs Mirror(DPs pts, float axis = 50)
{
    for (DP &p : pts)
        p.x = 2 * axis - p.x;
    return pts;
}

// A flame of several tongues, as Bezier curves in the unit box.
DPs Flame(DP a, DP b)
{
    return Fit({{0.49f, 1.00f},
                {0.16f, 1.00f}, {0.00f, 0.84f}, {0.04f, 0.65f},
                {0.08f, 0.52f}, {0.16f, 0.46f}, {0.14f, 0.33f},
                {0.24f, 0.43f}, {0.29f, 0.49f}, {0.33f, 0.46f},
                {0.33f, 0.30f}, {0.41f, 0.14f}, {0.45f, 0.00f},
                {0.53f, 0.17f}, {0.61f, 0.30f}, {0.61f, 0.43f},
                {0.67f, 0.37f}, {0.69f, 0.30f}, {0.67f, 0.21f},
                {0.82f, 0.33f}, {0.94f, 0.46f}, {1.00f, 0.62f},
                {1.02f, 0.84f}, {0.82f, 1.00f}, {0.49f, 1.00f}},
               a, b);
}
// The light heart of a flame.
DPs InnerFlame(DP a, DP b)
{
    return Fit({{0.50f, 1.00f},
                {0.11f, 0.96f}, {0.00f, 0.67f}, {0.17f, 0.42f},
                {0.28f, 0.25f}, {0.33f, 0.17f}, {0.39f, 0.00f},
                {0.56f, 0.25f}, {1.00f, 0.33f}, {1.00f, 0.67f},
                {1.00f, 0.92f}, {0.78f, 1.00f}, {0.50f, 1.00f}},
               a, b);
}
// A bone between two knuckled ends, from the box's top-left to its bottom-right corner
// (or top-right to bottom-left when Falling is false).
DPs Bone(DP a, DP b, bool Falling)
{
    const DP p = Falling ? DP{a.x + 2, a.y + 2} : DP{b.x - 2, a.y + 2};
    const DP q = Falling ? DP{b.x - 2, b.y - 2} : DP{a.x + 2, b.y - 2};
    const float dx = q.x - p.x, dy = q.y - p.y, len = std::sqrt(dx * dx + dy * dy);
    const DP u{dx / len, dy / len}, n{-u.y, u.x};
    auto at = [&](DP o, float along, float across) {
        return DP{o.x + u.x * along + n.x * across, o.y + u.y * along + n.y * across};
    };
    return {at(p, -2, -5), at(p, 3, -2), at(q, -3, -2), at(q, 2, -5), at(q, 4, 0), at(q, 2, 5),
            at(q, -3, 2), at(p, 3, 2), at(p, -2, 5), at(p, -4, 0), at(p, -2, -5)};
}
// A drop, point up, as Bezier curves.
DPs Drop(DP a, DP b)
{
    return Fit({{0.50f, 0.00f},
                {0.60f, 0.30f}, {1.00f, 0.55f}, {1.00f, 0.75f},
                {1.00f, 1.05f}, {0.00f, 1.05f}, {0.00f, 0.75f},
                {0.00f, 0.55f}, {0.40f, 0.30f}, {0.50f, 0.00f}},
               a, b);
}
// A small piece flying off: a four-sided shard.
DPs Shard(DP a, DP b)
{
    return Fit({{0.5f, 0.0f}, {1.0f, 0.4f}, {0.6f, 1.0f}, {0.0f, 0.7f}, {0.5f, 0.0f}}, a, b);
}
// A dead tree on its trunk.
DPs Tree(DP a, DP b)
{
    return Fit({{0.32f, 1.00f}, {0.47f, 1.00f}, {0.49f, 0.57f}, {0.77f, 0.30f}, {1.00f, 0.22f},
                {0.98f, 0.17f}, {0.74f, 0.26f}, {0.51f, 0.46f}, {0.53f, 0.19f}, {0.68f, 0.03f},
                {0.62f, 0.00f}, {0.47f, 0.16f}, {0.43f, 0.41f}, {0.25f, 0.22f}, {0.04f, 0.14f},
                {0.00f, 0.18f}, {0.21f, 0.27f}, {0.40f, 0.49f}, {0.40f, 0.68f}, {0.32f, 1.00f}},
               a, b);
}
// A fish lying dead, as Bezier curves, head to the right.
DPs Fish(DP a, DP b)
{
    return Fit({{0.00f, 0.49f},
                {0.04f, 0.20f}, {0.35f, 0.00f}, {0.65f, 0.05f},
                {0.85f, 0.07f}, {1.00f, 0.20f}, {0.98f, 0.34f},
                {0.96f, 0.49f}, {0.81f, 0.59f}, {0.69f, 0.63f},
                {0.58f, 0.73f}, {0.54f, 0.93f}, {0.42f, 1.00f},
                {0.31f, 1.02f}, {0.23f, 0.88f}, {0.27f, 0.78f},
                {0.19f, 0.73f}, {0.00f, 0.73f}, {0.00f, 0.49f}},
               a, b);
}
// A flat hand, fingers to the left.
DPs Hand(DP a, DP b)
{
    return Fit({{1.00f, 0.23f}, {0.56f, 0.08f}, {0.36f, 0.00f}, {0.12f, 0.08f}, {0.00f, 0.23f},
                {0.08f, 0.31f}, {0.28f, 0.27f}, {0.16f, 0.46f}, {0.04f, 0.62f}, {0.08f, 0.69f},
                {0.28f, 0.54f}, {0.20f, 0.77f}, {0.12f, 0.92f}, {0.20f, 1.00f}, {0.40f, 0.77f},
                {0.56f, 0.92f}, {0.76f, 1.00f}, {1.00f, 0.92f}, {1.00f, 0.23f}},
               a, b);
}
// A person's cupped hand, reaching up from the bottom of the box.
DPs CuppedHand(DP a, DP b)
{
    return Fit({{1.00f, 0.49f}, {0.73f, 0.42f}, {0.40f, 0.34f}, {0.13f, 0.38f}, {0.00f, 0.53f},
                {0.13f, 0.72f}, {0.40f, 0.91f}, {0.60f, 1.00f}, {0.87f, 1.00f}, {0.87f, 0.83f},
                {0.60f, 0.68f}, {0.53f, 0.57f}, {1.00f, 0.60f}, {1.00f, 0.49f}},
               a, b);
}

// ----- The table -----
std::array<Pictogram, 64> BuildPictograms()
{
    const Src F = Src::F, B = Src::B, Fi = Src::Fi;
    std::array<Pictogram, 64> t;

    // 1: two interlocking arrows in a disc (packaging recovery mark).
    t[0] = {Ell({0, 0}, {100, 100}, Px(1), Opaque(B)),
            Fill(Fi, {{50, 0}, {105, 10}, {105, 80}, {50, 80}, {50, 80}, {50, 80}, {50, 90}, {35, 90}, {25, 80},
                      {20, 67.5f}, {25, 55}, {35, 45}, {50, 45}, {50, 45}, {50, 45}, {50, 55}, {65, 55}, {75, 45},
                      {80, 32.5f}, {75, 20}, {65, 10}, {50, 10}, {50, 10}, {50, 10}, {50, 20}, {-5, 20}, {-5, 90},
                      {50, 100}, {-16.67f, 97.5f}, {-16.67f, 2.5f}, {50, 0}},
                 true)};
    // 2: CE mark.
    t[1] = {Fill(Fi, {{37.5f, 25}, {37.5f, 25}, {37.5f, 25}, {37.5f, 15}, {-12.5f, 12.5f}, {-12.5f, 87.5f}, {37.5f, 85},
                      {37.5f, 85}, {37.5f, 85}, {37.5f, 75}, {0, 75}, {0, 25}, {37.5f, 25}},
                 true),
            Fill(Fi, {{97.5f, 25}, {97.5f, 25}, {97.5f, 25}, {97.5f, 15}, {47.5f, 12.5f}, {47.5f, 87.5f}, {97.5f, 85},
                      {97.5f, 85}, {97.5f, 85}, {97.5f, 75}, {77.5f, 75}, {72.5f, 62.5f}, {70, 55}, {70, 55},
                      {70, 55}, {90, 55}, {90, 55}, {90, 55}, {90, 45}, {90, 45}, {90, 45}, {70, 45},
                      {72.5f, 37.5f}, {77.5f, 25}, {97.5f, 25}},
                 true)};
    // 3: F beside an open double ring (FCC mark); the bars cut the rings open.
    t[2] = {Ell({33.33f, 20}, {93.33f, 80}, Wd(14), NoBrush),
            Rect({75, 32.5f}, {99, 67.5f}, NoPen, Solid(Src::Cut)),
            Ell({45.83f, 32.5f}, {80.83f, 67.5f}, Wd(14), NoBrush),
            Rect({66.67f, 38.75f}, {99, 61.25f}, NoPen, Solid(Src::Cut)),
            Fill(Fi, Fit({{0, 0}, {1, 0}, {1, 0.17f}, {0.39f, 0.17f}, {0.39f, 0.41f}, {0.89f, 0.41f}, {0.89f, 0.58f},
                          {0.39f, 0.58f}, {0.39f, 1}, {0, 1}, {0, 0}},
                         {1.43f, 16.43f}, {33.33f, 83.57f}))};
    // 4: crossed-out wheeled bin.
    t[3] = {Line({45, 10}, {55, 10}, Wd(20)),
            Ell({25, 10}, {75, 30}, Wd(40), Solid(B)),
            Line({35, 90}, {35, 95}, Wd(40)),
            Line({80, 35}, {65, 35}, Wd(40)),
            Gon({{30, 90}, {25, 20}, {75, 20}, {70, 90}, {30, 90}}, Wd(40), Solid(B)),
            Line({45, 35}, {55, 35}, Wd(40)),
            Ell({60, 85}, {70, 95}, Wd(40), Solid(B)),
            Line({10, 10}, {90, 90}, Wd(20)),
            Line({90, 10}, {10, 90}, Wd(20))};
    // 5: X on a square hazard label (harmful).
    t[4] = {FramedSquare(),
            Gon({{71, 15}, {71, 15}, {85, 29}, {64, 50}, {85, 71}, {71, 85}, {50, 64}, {29, 85}, {15, 71}, {36, 50},
                 {15, 29}, {29, 15}, {50, 36}, {71, 15}},
                Px(0, Fi), Solid(Fi))};
    // 6: exclamation mark in a ring.
    t[5] = {Ell({8.33f, 8.33f}, {91.67f, 91.67f}, Wd(10), Opaque(B)),
            Gon({{45, 20}, {55, 20}, {55, 62.5f}, {45, 62.5f}}, Px(0, Fi), Solid(Fi)),
            Gon({{45, 70}, {55, 70}, {55, 80}, {45, 80}}, Px(0, Fi), Solid(Fi))};
    // 7: person dropping litter into a basket.
    t[6] = {Gon({{37.5f, 93.75f}, {22.5f, 68.75f}, {18.75f, 93.75f}, {6.25f, 50}, {25, 50}, {6.25f, 43.75f},
                 {12.5f, 25}, {68.75f, 18.75f}, {37.5f, 31.25f}, {31.25f, 50}},
                Px(1), Solid(F)),
            Ell({12.5f, 2.5f}, {32.5f, 22.5f}, Px(1), Solid(F)),
            Stroke(Wd(40), Fit({{0.06f, 0.46f}, {0.00f, 0.09f}, {0.28f, 0.00f}, {0.46f, 0.15f},
                                {0.65f, 0.00f}, {0.95f, 0.04f}, {0.92f, 0.36f},
                                {1.00f, 0.68f}, {0.83f, 1.00f}, {0.58f, 0.89f},
                                {0.34f, 1.00f}, {0.03f, 0.89f}, {0.06f, 0.46f}},
                               {55, 31.25f}, {87.5f, 50}),
                   true),
            Line({62.5f, 50}, {68.75f, 93.75f}, Wd(40)),
            Line({81.25f, 50}, {75, 93.75f}, Wd(40)),
            Line({52.5f, 56.25f}, {91.25f, 56.25f}, Wd(40)),
            Line({56.25f, 68.75f}, {87.5f, 68.75f}, Wd(40)),
            Line({58.75f, 81.25f}, {85, 81.25f}, Wd(40)),
            Poly({{50, 50}, {93.75f, 50}, {81.25f, 93.75f}, {62.5f, 93.75f}, {50, 50}}, Wd(40))};
    // 8: exclamation mark in a solid rounded triangle.
    t[7] = {Fill(F, {{37.5f, 12.5f}, {43.75f, 0}, {56.25f, 0}, {62.5f, 12.5f}, {62.5f, 12.5f}, {62.5f, 12.5f},
                     {93.75f, 75}, {100, 87.5f}, {93.75f, 93.75f}, {81.25f, 93.75f}, {75, 93.75f}, {25, 93.75f},
                     {18.75f, 93.75f}, {6.25f, 93.75f}, {0, 87.5f}, {6.25f, 75}, {6.25f, 75}, {6.25f, 75},
                     {37.5f, 12.5f}},
                 true),
            Dot({40, 67.5f}, {60, 87.5f}, Fi),
            Fill(Fi, {{52.5f, 62.5f}, {58.33f, 25}, {58.33f, 25}, {58.33f, 25}, {56.25f, 12.5f}, {43.75f, 12.5f},
                      {41.67f, 25}, {41.67f, 25}, {41.67f, 25}, {47.5f, 62.5f}, {47.5f, 65}, {52.5f, 65},
                      {52.5f, 62.5f}},
                 true)};
    // 9: electrical hazard (lightning bolt).
    t[8] = {Triangle(Opaque(B)),
            Gon({{48, 30}, {36, 60}, {50, 54}, {47, 72}, {44, 72}, {46, 82}, {52, 72}, {49, 72}, {56, 48}, {41, 55},
                 {55, 32}, {48, 30}},
                NoPen, Solid(Fi))};
    // 10: flammable (flame in a warning triangle).
    t[9] = {Triangle(Opaque(B)), Fill(F, Flame({33, 34}, {66, 78}), true),
            Fill(B, InnerFlame({38, 54}, {56, 78}), true)};
    // 11: flame on a square hazard label (flammable).
    t[10] = {FramedSquare(), Fill(F, Flame({24, 17}, {73, 80}), true), Line({34, 82}, {63, 82}, WdGeo(50))};
    // 12: radiation (trefoil), always filled.
    t[11] = {Triangle(Solid(B)),
             PieOf({28, 40}, {72, 84}, {80, 62}, {62, 40}, Px(1), Solid(F)),
             PieOf({28, 40}, {72, 84}, {40, 80}, {62, 80}, Px(1), Solid(F)),
             PieOf({28, 40}, {72, 84}, {38, 40}, {28, 62}, Px(1), Solid(F)),
             Ell({42, 52}, {58, 68}, Px(1, B), Solid(B)),
             Ell({45, 55}, {55, 65}, Px(1), Solid(F))};
    // 13: recycling (three chasing arrows).
    t[12] = {Turned(Outline(Wd(40), Opaque(B),
                            {{60, 36}, {68, 33}, {97, 82}, {96, 89}, {90, 92}, {66, 92}, {66, 96}, {52, 88},
                             {66, 80}, {66, 84}, {86, 84}, {88, 81}, {60, 38}, {60, 36}}),
                    3, 120),
             Turned(Stroke(Wd(40, F), {{96, 56}, {97, 57}, {97, 62}, {94, 65}, {92, 66}, {86, 66}, {77, 66}}, true),
                    3, 120)};
    // 14: wireless-link rune in an oval.
    t[13] = {Fill(F, {{50, 1}, {26, 1}, {16, 16}, {16, 50}, {16, 84}, {26, 99}, {50, 99}, {74, 99}, {84, 84},
                      {84, 50}, {84, 16}, {74, 1}, {50, 1}},
                  true),
             Poly({{32, 32}, {66, 66}, {50, 82}, {50, 18}, {66, 34}, {32, 68}}, WdGeo(16, B))};
    // 15: radio mast with waves.
    t[14] = {Dot({42, 26}, {58, 42}, F),
             Line({50, 34}, {50, 96}, Ws(5)),
             ArcOf({16, 0}, {84, 68}, {28, 0}, {28, 70}, Ws(3)),
             ArcOf({16, 0}, {84, 68}, {70, 70}, {70, 0}, Ws(3)),
             ArcOf({24, 8}, {76, 60}, {28, 0}, {28, 70}, Ws(2)),
             ArcOf({24, 8}, {76, 60}, {70, 70}, {70, 0}, Ws(2)),
             ArcOf({32, 16}, {68, 52}, {28, 0}, {28, 70}, Ws(1)),
             ArcOf({32, 16}, {68, 52}, {70, 70}, {70, 0}, Ws(1))};
    // 16: laser radiation, always filled.
    t[15] = {Triangle(Solid(B)),
             Turned(Line({50, 80}, {50, 44}, WdGeo(50)), 6, 30, {50, 62}),
             Turned(Line({47, 73}, {53, 50}, WdGeo(50)), 6, 30, {50, 62}),
             Line({34, 62}, {80, 62}, WdGeo(50))};
    // 17: this way up.
    t[16] = {FramedSquare(),
             Gon({{65, 18}, {74, 33}, {70, 33}, {70, 74}, {60, 74}, {60, 33}, {56, 33}, {65, 18}}, Px(1), Solid(F)),
             Gon({{35, 18}, {44, 33}, {40, 33}, {40, 74}, {30, 74}, {30, 33}, {26, 33}, {35, 18}}, Px(1), Solid(F)),
             Gon({{80, 78}, {80, 84}, {20, 84}, {20, 78}}, Px(1), Solid(F))};
    // 18: keep dry (umbrella): canopy, shaft and hooked handle.
    t[17] = {FramedSquare(),
             Fill(F, {{18, 50}, {20, 38}, {27, 27}, {37, 20}, {50, 18}, {63, 20}, {73, 27}, {80, 38}, {82, 50},
                      {74, 46}, {66, 50}, {58, 46}, {52, 49}, {52, 76}, {51, 80}, {48, 82}, {44, 82}, {41, 80},
                      {40, 76}, {43, 76}, {44, 78}, {46, 79}, {48, 78}, {48, 76}, {48, 49}, {42, 46}, {34, 50},
                      {26, 46}, {18, 50}})};
    // 19: fragile (wine glass).
    t[18] = {FramedSquare(),
             Fill(F, {{20, 22}, {40, 22}, {60, 22}, {80, 22}, {78, 42}, {66, 54}, {54, 56}, {54, 62}, {54, 68},
                      {54, 74}, {56, 74}, {59, 74}, {66, 74}, {66, 76}, {66, 80}, {66, 82}, {54, 82}, {44, 82},
                      {34, 82}, {34, 80}, {34, 76}, {34, 74}, {36, 74}, {42, 74}, {46, 74}, {46, 68}, {46, 62},
                      {46, 56}, {34, 54}, {22, 42}, {20, 22}},
                  true)};
    // 20: ring of twelve five-pointed stars.
    t[19] = {SkipWhenTransparent(Rect({0, 0}, {100, 100}, NoPen, Solid(B))),
             Turned(Fill(F, {{50, 10}, {52, 14}, {56, 14}, {53, 17}, {55, 21}, {50, 19}, {45, 21}, {47, 17}, {44, 14},
                             {48, 14}, {50, 10}}),
                    12, 30)};
    // 21: telephone handset.
    t[20] = {PlainSquare(),
             Fill(F, {{34, 21}, {38, 26}, {41, 32}, {42, 36}, {41, 40}, {40, 42}, {38, 44}, {39, 50}, {48, 59},
                      {53, 60}, {57, 57}, {60, 56}, {63, 56}, {68, 58}, {72, 62}, {76, 66}, {75, 71}, {68, 77},
                      {58, 77}, {39, 77}, {22, 57}, {20, 42}, {18, 30}, {26, 21}, {34, 21}},
                  true)};
    // 22 to 24: person putting waste into a container of a fixed colour.
    const DPs person = {{58, 94}, {64, 94}, {70, 70}, {74, 94}, {81, 94}, {77, 62}, {74, 52}, {66, 32},
                        {56, 24}, {48, 24}, {38, 32}, {28, 44}, {33, 48}, {44, 38}, {52, 36}, {60, 50},
                        {62, 62}, {58, 94}};
    const DPs container = {{52, 94}, {38, 94}, {22, 94}, {6, 94}, {7, 78}, {8, 65}, {10, 50},
                           {16, 32}, {42, 32}, {48, 50}, {50, 65}, {51, 78}, {52, 94}};
    const Src bins[3] = {Src::Yellow, Src::Green, Src::Blue};
    for (int i = 0; i < 3; ++i)
        t[size_t(21 + i)] = {PlainSquare(), Fill(F, person), Dot({62, 8}, {74, 20}, F),
                             Outline(Px(0), Solid(bins[i]), container, true), Dot({22, 44}, {36, 58}, F)};
    // 25: dead tree and fish on a square hazard label (environment).
    t[24] = {FramedSquare(),
             Line({2, 58}, {98, 58}, Wd(40)),
             Fill(F, Tree({9, 10}, {62, 84})),
             Fill(F, {{5, 99}, {5, 86}, {20, 82}, {40, 80}, {60, 83}, {80, 80}, {99, 84}, {99, 99}, {5, 99}}),
             Outline(Wd(40), Solid(B), {{59, 64}, {86, 74}, {89, 79}, {76, 82}, {56, 75}}),
             Outline(Wd(40), Solid(B), Fish({42, 50}, {94, 91}), true),
             Dot({86, 62}, {90, 66}, F)};
    // 26: corrosive (drops on a surface and a hand).
    t[25] = {FramedSquare(),
             Fill(F, Hand({42, 54}, {92, 80})),
             Fill(F, {{8, 68}, {38, 68}, {38, 74}, {26, 74}, {24, 71}, {21, 74}, {8, 74}, {8, 68}}),
             Fill(F, {{56, 22}, {50, 23}, {43, 24}, {36, 26}, {34, 28}, {35, 32}, {38, 32}, {45, 31}, {52, 29},
                      {58, 28}, {58, 26}, {57, 24}, {57, 22}}),
             Fill(F, {{26, 42}, {33, 43}, {40, 44}, {46, 45}, {49, 45}, {50, 41}, {47, 39}, {42, 38}, {34, 37},
                      {27, 36}, {27, 38}, {26, 40}, {26, 42}}),
             Outline(Wd(50), Opaque(B), Drop({23, 46}, {28, 55}), true),
             Outline(Wd(50), Opaque(B), Drop({22, 57}, {27, 66}), true),
             Outline(Wd(50), Opaque(B), Drop({57, 34}, {62, 43}), true),
             Outline(Wd(50), Opaque(B), Drop({56, 48}, {61, 57}), true)};
    // 27 to 32: the iron and its marks.
    const DPs iron = {{21, 36}, {22, 32}, {23, 30}, {26, 28}, {42, 28}, {60, 28}, {76, 28}, {81, 44}, {85, 56}, {89, 70},
                      {70, 70}, {34, 70}, {10, 70}, {10, 59}, {15, 48}, {24, 46}, {40, 46}, {58, 46}, {80, 46}};
    DPs ironUp = iron;
    for (DP &p : ironUp)
        p.y -= 14;
    const Step ironStep = Stroke(Wd(16), iron, true);
    t[26] = {PlainSquare(), ironStep};
    t[27] = {PlainSquare(), ironStep, Line({22, 20}, {82, 82}, Wd(20)), Line({82, 20}, {22, 82}, Wd(20))};
    t[28] = {PlainSquare(), ironStep, Dot({44, 52}, {56, 64}, F)};
    t[29] = {PlainSquare(), ironStep, Dot({38, 52}, {50, 64}, F), Dot({56, 52}, {68, 64}, F)};
    t[30] = {PlainSquare(), ironStep, Dot({44, 52}, {56, 64}, F), Dot({26, 52}, {38, 64}, F),
             Dot({62, 52}, {74, 64}, F)};
    t[31] = {PlainSquare(), Stroke(Wd(16), ironUp, true),
             Line({32, 56}, {22, 90}, Wd(16)), Line({72, 56}, {82, 90}, Wd(16)),
             Line({16, 66}, {88, 84}, Wd(20)), Line({88, 66}, {16, 84}, Wd(20))};
    // 33 to 43: the wash tub and its marks.
    const DPs water = {{14, 26}, {18, 20}, {24, 20}, {28, 26}, {32, 32}, {39, 32}, {43, 26}, {47, 20},
                       {53, 20}, {57, 26}, {61, 32}, {68, 32}, {72, 26}, {76, 20}, {82, 20}, {86, 26}};
    const DPs tub = {{10, 18}, {22, 62}, {78, 62}, {90, 18}};
    const Step waterStep = Stroke(Wd(20), water, true), tubStep = Poly(tub, Wd(20));
    t[32] = {PlainSquare(), waterStep, tubStep};
    t[33] = {PlainSquare(), waterStep, tubStep, Dot({44, 38}, {56, 50}, F)};
    t[34] = {PlainSquare(), waterStep, tubStep, Dot({32, 38}, {44, 50}, F), Dot({56, 38}, {68, 50}, F)};
    t[35] = {PlainSquare(), waterStep, tubStep, Line({22, 72}, {78, 72}, Wd(20))};
    t[36] = {PlainSquare(), waterStep, tubStep, Line({22, 72}, {78, 72}, Wd(20)), Line({22, 82}, {78, 82}, Wd(20))};
    t[37] = {PlainSquare(), waterStep, tubStep,
             Fill(F, Fit({{1.00f, 0.00f}, {0.79f, 0.00f}, {0.45f, 0.39f}, {0.26f, 0.55f}, {0.07f, 0.71f},
                          {0.00f, 0.84f}, {0.07f, 0.88f}, {0.21f, 0.80f}, {0.17f, 0.96f}, {0.26f, 1.00f},
                          {0.36f, 0.84f}, {0.40f, 0.96f}, {0.50f, 0.96f}, {0.50f, 0.80f}, {0.60f, 0.84f},
                          {0.69f, 0.71f}, {0.55f, 0.59f}, {0.69f, 0.35f}, {1.00f, 0.14f}, {1.00f, 0.00f}},
                         {37, 5}, {79, 54}))};
    t[38] = {PlainSquare(), waterStep, tubStep, Line({14, 26}, {78, 62}, Wd(20)), Line({86, 26}, {22, 62}, Wd(20))};
    // 40: do not wring.
    t[39] = {PlainSquare(),
             Stroke(Wd(20, Fi),
                    {{10, 38}, {10, 46}, {10, 54}, {10, 62}, {14, 62}, {20, 62}, {24, 62}, {32, 53}, {39, 44},
                     {46, 38}, {52, 38}, {58, 38}, {66, 38}, {66, 46}, {66, 52}, {66, 62}, {71, 62}, {79, 62},
                     {90, 62}, {90, 53}, {90, 46}, {90, 38}, {86, 38}, {80, 38}, {76, 38}, {69, 45}, {62, 52},
                     {54, 62}, {48, 62}, {42, 62}, {34, 62}, {34, 56}, {34, 48}, {34, 38}, {30, 38}, {22, 38},
                     {10, 38}},
                    true),
             Line({20, 28}, {80, 72}, Wd(20, Fi)), Line({20, 72}, {80, 28}, Wd(20, Fi))};
    // 41 to 43: wash at 30, 40 and 50 degrees.
    const char *degrees[3] = {"30", "40", "50"};
    for (int i = 0; i < 3; ++i)
        t[size_t(40 + i)] = {PlainSquare(), Stroke(Wd(20, Fi), water, true), Poly(tub, Wd(20, Fi)),
                             Text(degrees[i], {40, 34})};
    // 44: tumble dry.
    t[43] = {FramedSquare(), Ell({2.5f, 2.5f}, {97.5f, 97.5f}, Wd(20), Opaque(B))};
    // 45: do not dry clean (crossed circle).
    t[44] = {Ell({5, 5}, {95, 95}, Wd(20), Opaque(B)), Line({5, 20}, {95, 80}, Wd(20)), Line({5, 80}, {95, 20}, Wd(20))};
    // 46: do not bleach (crossed triangle).
    t[45] = {Triangle(Opaque(B)), Line({5, 30}, {95, 70}, Wd(20)), Line({5, 70}, {95, 30}, Wd(20))};
    // 47: skull and crossbones on a square hazard label (toxic).
    t[46] = {FramedSquare(),
             Stroke(Wd(40, Fi), Bone({12, 56}, {84, 87}, true)),
             Stroke(Wd(40, Fi), Bone({16, 56}, {88, 87}, false)),
             Outline(Wd(40, Fi), Solid(B),
                     {{50, 10}, {36, 10}, {22, 18}, {24, 36}, {26, 44}, {32, 50}, {32, 60}, {34, 64}, {34, 72},
                      {38, 78}, {44, 86}, {56, 86}, {62, 78}, {66, 72}, {66, 64}, {68, 60}, {68, 50}, {74, 44},
                      {76, 36}, {78, 18}, {64, 10}, {50, 10}},
                     true),
             Stroke(Wd(40, Fi), {{28, 29}, {29, 42}, {34, 52}, {36, 60}, {38, 68}, {44, 73}, {56, 73}, {62, 68},
                                 {64, 60}, {66, 52}, {71, 42}, {72, 29}}),
             Line({42, 68}, {42, 74}, Wd(50, Fi)), Line({46, 68}, {46, 76}, Wd(50, Fi)),
             Line({50, 68}, {50, 77}, Wd(50, Fi)), Line({54, 68}, {54, 76}, Wd(50, Fi)),
             Line({58, 68}, {58, 74}, Wd(50, Fi)),
             Stroke(Wd(40, Fi), {{42, 67}, {38, 68}, {38, 71}, {42, 74}, {46, 78}, {54, 78}, {58, 74}, {62, 71},
                                 {62, 68}, {58, 67}, {54, 68}, {46, 68}, {42, 67}}),
             Dot({36, 41}, {49, 54}, Fi), Dot({51, 41}, {64, 54}, Fi),
             Fill(Fi, {{50, 53}, {46, 54}, {44, 64}, {50, 60}, {56, 64}, {54, 54}, {50, 53}})};
    // 48: exploding bomb on a square hazard label (explosive).
    t[47] = {FramedSquare(),
             Fill(Fi, {{30, 70}, {22, 30}, {34, 52}, {40, 12}, {42, 50}, {60, 18}, {48, 56}, {78, 32}, {52, 62},
                       {90, 48}, {54, 68}, {88, 62}, {50, 74}, {30, 70}}),
             Dot({20, 60}, {40, 80}, Fi),
             Fill(Fi, {{26, 62}, {10, 10}, {36, 64}}),
             Fill(Fi, {{36, 78}, {90, 86}, {36, 84}}),
             Fill(Fi, {{41, 69}, {90, 71}, {41, 73}}),
             Fill(Fi, {{52, 63}, {90, 63}, {52, 66}}),
             Fill(Fi, Shard({58, 72}, {72, 78})),
             Fill(Fi, Shard({76, 26}, {84, 34})), Fill(Fi, Shard({43, 37}, {47, 45})),
             Fill(Fi, Shard({37, 13}, {44, 24})), Fill(Fi, Shard({35, 26}, {40, 36})),
             Fill(Fi, Shard({31, 38}, {37, 50})), Fill(Fi, Shard({26, 62}, {32, 68})),
             Fill(Fi, Shard({17, 60}, {23, 65}))};
    // 49 to 57: hazard diamonds.
    t[48] = {Diamond(), Fill(Fi, Flame({24, 17}, {73, 80}), true), Line({40, 82}, {60, 82}, WdGeo(50, Fi))};
    t[49] = {Diamond(),
             Fill(Fi, {{42, 22}, {43, 20}, {57, 20}, {58, 22}, {53, 60}, {47, 60}, {42, 22}}),
             Dot({42, 62}, {58, 78}, Fi)};
    t[50] = {Diamond(),
             Stroke(Wd(60, Fi), {{34, 55}, {36, 46}, {44, 42}, {44, 38}, {40, 34}, {40, 22}, {44, 17}, {50, 16},
                                 {56, 17}, {60, 22}, {60, 34}, {56, 38}, {56, 42}, {64, 46}, {66, 55}}),
             Stroke(Wd(60, Fi), {{44, 49}, {32, 52}, {26, 58}, {24, 68}}),
             Stroke(Wd(60, Fi), {{56, 49}, {68, 52}, {74, 58}, {76, 68}}),
             Stroke(Wd(60, Fi), {{52, 78}, {54, 76}, {59, 73}, {64, 69}, {61, 63}, {56, 66}, {53, 60}, {50, 65},
                                 {51, 72}, {50, 79}}),
             Stroke(Wd(60, Fi), {{48, 78}, {46, 76}, {41, 73}, {36, 69}, {39, 63}, {44, 64}, {47, 60}, {50, 66},
                                 {47, 72}, {49, 79}})};
    t[51] = {Diamond(),
             Fill(Fi, {{26, 54}, {28, 50}, {64, 41}, {68, 41}, {70, 38}, {76, 40}, {74, 44}, {72, 46}, {34, 59},
                       {30, 59}, {26, 54}})};
    t[52] = {Diamond(), Fill(Fi, Flame({31, 13}, {69, 57}), true), Ell({38, 42}, {62, 66}, Wd(25, Fi), NoBrush),
             Rect({36, 66}, {64, 70}, NoPen, Solid(Fi))};
    t[53] = {Diamond(),
             Fill(Fi, {{44, 50}, {58, 20}, {61, 22}, {48, 50}, {44, 50}}),
             Fill(Fi, {{40, 51}, {41, 55}, {47, 57}, {51, 54}, {55, 50}, {52, 50}, {49, 49}, {49, 48}, {48, 50},
                       {48, 51}, {46, 51}, {45, 48}, {42, 51}},
                  true)};
    // The splinters: thin triangles from about (48, 48) out to their tips.
    for (DP tip : {DP{16, 40}, DP{18, 30}, DP{26, 26}, DP{34, 26}, DP{70, 28}, DP{78, 36}, DP{80, 46}, DP{80, 56},
                   DP{76, 64}, DP{66, 66}, DP{28, 62}, DP{18, 54}, DP{22, 47}, DP{30, 34}, DP{74, 50}, DP{64, 32},
                   DP{40, 64}, DP{58, 64}, DP{20, 60}, DP{72, 60}}) {
        const float dx = tip.x - 48, dy = tip.y - 48, len = std::sqrt(dx * dx + dy * dy);
        const float nx = -dy / len * 1.5f, ny = dx / len * 1.5f;
        const DP base{48 + dx * 0.35f, 48 + dy * 0.35f};
        t[53].push_back(Fill(Fi, {{base.x + nx, base.y + ny}, tip, {base.x - nx, base.y - ny}}));
    }
    t[54] = {Diamond(),
             Stroke(Wd(50, Fi), Bone({24, 36}, {74, 65}, true)),
             Stroke(Wd(50, Fi), Bone({24, 38}, {78, 66}, false)),
             Outline(Wd(50, Fi), Solid(B),
                     {{50, 23}, {41, 23}, {36, 29}, {36, 37}, {36, 43}, {40, 46}, {41, 50}, {41, 55}, {44, 59},
                      {50, 59}, {56, 59}, {59, 55}, {59, 50}, {60, 46}, {64, 43}, {64, 37}, {64, 29}, {59, 23},
                      {50, 23}},
                     true),
             Stroke(Wd(50, Fi), {{42, 30}, {36, 36}, {41, 40}, {40, 45}, {48, 48}, {42, 52}, {50, 55}, {58, 52},
                                 {52, 48}, {60, 45}, {59, 40}, {64, 36}, {58, 30}}),
             Dot({42, 38}, {49, 44}, Fi), Dot({51, 38}, {58, 44}, Fi),
             Fill(Fi, {{50, 44}, {53, 49}, {47, 49}, {50, 44}})};
    t[55] = {Diamond(),
             Line({30, 50}, {62, 50}, Wd(100, Fi)),
             Fill(Fi, Tree({31, 26}, {56, 62})),
             Fill(Fi, {{30, 67}, {71, 67}, {71, 65}, {68, 65}, {69, 62}, {65, 62}, {65, 61}, {67, 60}, {64, 56},
                       {47, 62}, {38, 66}, {34, 65}, {30, 66}}),
             Outline(Wd(100, Fi), Solid(B), Fish({43, 47}, {71, 66}), true),
             Dot({65, 51}, {67, 53}, Fi)};
    {
        const DPs tube = {{30, 32}, {31, 34}, {32, 36}, {33, 41}, {34, 37}, {44, 36}, {49, 35},
                          {51, 34}, {51, 31}, {48, 30}, {45, 30}, {40, 32}, {32, 33}};
        const DPs mouth = {{33, 34}, {33, 35}, {34, 38}, {36, 36}, {44, 35}, {49, 34}, {49, 32},
                           {49, 30}, {47, 31}, {33, 34}};
        const DPs stream = {{29, 38}, {34, 38}, {33, 44}, {34, 50}, {31, 48}, {29, 50}, {30, 44}, {29, 38}};
        Pictogram p = {Diamond(),
                       Fill(Fi, {{17, 51}, {44, 51}, {44, 56}, {30, 56}, {28, 53}, {26, 56}, {17, 56}, {17, 51}})};
        for (bool right : {false, true}) {
            auto side = [&](DPs d) { return right ? Mirror(std::move(d)) : d; };
            p.push_back(Fill(Fi, side(tube)));
            p.push_back(Outline(Px(0, Fi), Solid(B), side(mouth), true));
            p.push_back(Fill(Fi, side(stream)));
            for (auto [a, b] : {std::pair<DP, DP>{{25, 42}, {28, 44}}, {{25, 48}, {28, 47}}, {{38, 42}, {35, 44}},
                                {{38, 48}, {35, 47}}}) {
                const DPs s = side({a, b});
                p.push_back(Line(s[0], s[1], Wd(100, Fi)));
            }
        }
        p.push_back(Stroke(Wd(100, Fi), Fit({{1.00f, 0.20f}, {0.50f, 0.00f}, {0.17f, 0.20f}, {0.00f, 0.50f},
                                             {0.17f, 0.70f}, {0.33f, 0.60f}, {0.17f, 0.90f}, {0.33f, 1.00f},
                                             {0.58f, 0.80f}, {1.00f, 0.80f}},
                                            {52, 48}, {76, 58})));
        t[56] = std::move(p);
    }
    // 58: fragile (broken glass).
    t[57] = {PlainSquare(),
             Fill(Fi, {{26, 14}, {44, 14}, {48, 22}, {44, 28}, {52, 36}, {50, 24}, {56, 18}, {54, 14}, {74, 14},
                       {74, 28}, {70, 40}, {60, 48}, {53, 52}, {53, 78}, {66, 82}, {66, 86}, {34, 86}, {34, 82},
                       {47, 78}, {47, 52}, {40, 48}, {30, 40}, {26, 28}, {26, 14}})};
    // 59: handle with care.
    {
        const DPs hand = CuppedHand({18, 30}, {48, 83});
        t[58] = {PlainSquare(), Fill(Fi, hand), Fill(Fi, Mirror(hand)),
                 Fill(Fi, {{48, 51}, {48, 38}, {36, 30}, {36, 43}}),
                 Fill(Fi, {{52, 51}, {52, 38}, {64, 30}, {64, 43}}),
                 Fill(Fi, {{50, 36}, {63, 27}, {50, 18}, {37, 27}})};
    }
    // 60: no hand truck.
    t[59] = {PlainSquare(),
             Fill(Fi, {{20, 11}, {28, 11}, {30, 16}, {62, 70}, {80, 70}, {80, 75}, {58, 75}, {24, 16}, {20, 16}}),
             Fill(Fi, {{58, 70}, {49, 71}, {50, 83}, {58, 83}, {66, 83}, {67, 71}, {58, 70}}, true),
             Fill(Fi, {{20, 89}, {70, 89}, {70, 86}, {20, 86}}),
             Fill(Fi, {{73, 69}, {74, 68}, {30, 24}, {29, 25}}),
             Fill(Fi, {{30, 69}, {29, 68}, {73, 24}, {74, 25}})};
    // 61: crossed-out curved double arrow.
    t[60] = {PlainSquare(),
             Fill(Fi, {{58, 11}, {67, 22}, {58, 33}, {58, 26}, {46, 32}, {40, 50}, {46, 68}, {58, 74}, {58, 67},
                       {67, 78}, {58, 89}, {58, 82}, {40, 76}, {31, 50}, {40, 24}, {58, 18}, {58, 11}}),
             Fill(Fi, {{77, 78}, {79, 76}, {23, 20}, {21, 22}}),
             Fill(Fi, {{23, 78}, {21, 76}, {77, 20}, {79, 22}})};
    // 62: crossed-out blade above a two-line base.
    t[61] = {PlainSquare(),
             Fill(Fi, {{12, 80}, {12, 82}, {84, 82}, {84, 80}}),
             Fill(Fi, {{12, 74}, {12, 76}, {84, 76}, {84, 74}}),
             Fill(Fi, {{27, 86}, {41, 64}, {31, 56}, {24, 66}}),
             Outline(Wd(100, Fi), Solid(B),
                     {{28, 64}, {40, 50}, {60, 32}, {85, 20}, {80, 34}, {70, 48}, {60, 56}, {52, 62}, {44, 66},
                      {36, 67}, {32, 67}, {26, 67}, {28, 64}},
                     true),
             Fill(Fi, {{67, 68}, {69, 66}, {17, 14}, {15, 16}}),
             Fill(Fi, {{15, 66}, {17, 68}, {69, 16}, {67, 14}})};
    // 63: clamp here.
    t[62] = {PlainSquare(),
             Fill(Fi, {{16, 67}, {26, 50}, {16, 33}, {16, 42}, {10, 42}, {10, 58}, {16, 58}}),
             Fill(Fi, {{84, 67}, {73, 50}, {84, 33}, {84, 42}, {90, 42}, {90, 58}, {84, 58}}),
             Fill(Fi, {{36, 32}, {64, 32}, {64, 68}, {36, 68}}),
             Fill(Fi, {{29, 32}, {33, 32}, {33, 68}, {29, 68}}),
             Fill(Fi, {{71, 32}, {67, 32}, {67, 68}, {71, 68}})};
    // 64: protect from heat (box under a roof, sun).
    t[63] = {PlainSquare(),
             Fill(Fi, {{46, 85}, {46, 68}, {30, 59}, {30, 76}}),
             Fill(Fi, {{48, 85}, {48, 68}, {64, 59}, {64, 76}}),
             Fill(Fi, {{47, 67}, {64, 58}, {47, 53}, {30, 58}}),
             Fill(Fi, {{80, 63}, {82, 60}, {47, 34}, {11, 60}, {13, 63}, {47, 39}}),
             Line({77, 14}, {77, 36}, Wd(100, Fi)), Line({66, 25}, {88, 25}, Wd(100, Fi)),
             Line({70, 32}, {84, 18}, Wd(100, Fi)), Line({70, 18}, {84, 32}, Wd(100, Fi)),
             Dot({70, 18}, {84, 32}, B), Dot({72, 20}, {82, 30}, Fi)};
    return t;
}

const std::array<Pictogram, 64> &Pictograms()
{
    static const std::array<Pictogram, 64> table = BuildPictograms();
    return table;
}

// Draws the steps of one pictogram.
class TPictogramPainter {
public:
    TPictogramPainter(TKXCanvas &Can, int32_t X, int32_t Y, int32_t W, int32_t Angle, bool Transparent,
                      TColor F, TColor B, TColor Fi, TColor Cut)
        : FCan(Can), FX(X), FY(Y), FW(W), FS(float(W) / 100.0f), FAngle(Angle), FTransparent(Transparent),
          FColors{F, B, Fi, Cut, 0x00E8E8, 0x28A469, 0xB77B00}
    {
    }

    void Run(const Pictogram &Steps)
    {
        for (const Step &s : Steps) {
            if (s.skipTransparent && FTransparent)
                continue;
            ApplyPen(s.pen);
            ApplyBrush(s.brush);
            for (int copy = 0; copy < s.copies; ++copy)
                Draw(s, copy);
        }
    }

private:
    // A design point on the unturned square, turned `copy` times about the step's centre
    // (each copy from the last), then with the whole square by the element's angle.
    TPoint At(DP d, const Step &s, int copy) const
    {
        TPoint p{FX + Round(d.x * FS), FY + Round(d.y * FS)};
        if (copy > 0) {
            const TPoint c{FX + Round(s.centre.x * FS), FY + Round(s.centre.y * FS)};
            for (int i = 0; i < copy; ++i)
                RotatePoint(p, c, s.turn);
        }
        if (FAngle > 0)
            RotatePoint(p, {FX, FY}, FAngle);
        return p;
    }
    TRect Box(const Step &s, int copy) const
    {
        const TPoint a = At(s.pts[0], s, copy), b = At(s.pts[1], s, copy);
        return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
    }
    std::vector<TPoint> Points(const Step &s, int copy) const
    {
        std::vector<TPoint> out;
        out.reserve(s.pts.size());
        for (DP d : s.pts)
            out.push_back(At(d, s, copy));
        return out;
    }

    void ApplyPen(const PenSpec &p)
    {
        TKXPen pen = FCan.Pen();
        switch (p.kind) {
        case PenSpec::Clear:
            pen.Style = TKXPenStyle::psClear;
            pen.Width = 0;
            break;
        case PenSpec::Keep:
            pen.Width = 0;
            break;
        case PenSpec::Div:
            pen = Solid(FW / p.v, p.col);
            break;
        case PenSpec::Scaled:
            pen = Solid(Round(float(p.v) * FS), p.col);
            break;
        case PenSpec::Fixed:
            pen = Solid(p.v, p.col);
            break;
        }
        if (p.geometric) {
            pen.Cap = TKXPenCap::pcFlat;
            pen.Join = TKXPenJoin::pjMiter;
        }
        FCan.SetPen(pen);
    }
    TKXPen Solid(int32_t Width, Src c) const
    {
        TKXPen pen;
        pen.Color = FColors[size_t(c)];
        pen.Width = Width;
        return pen;
    }
    void ApplyBrush(const BrushSpec &b)
    {
        const bool clear = b.kind == BrushSpec::Clear || (b.kind == BrushSpec::Opaque && FTransparent);
        FCan.SetBrush({FColors[size_t(b.col)], clear ? TKXBrushStyle::bsClear : TKXBrushStyle::bsSolid});
    }

    void Draw(const Step &s, int copy)
    {
        switch (s.op) {
        case Op::Rect:
            FCan.Rectangle(Box(s, copy));
            break;
        case Op::Ellipse:
            FCan.Ellipse(Box(s, copy));
            break;
        case Op::Line: {
            const TPoint a = At(s.pts[0], s, copy), b = At(s.pts[1], s, copy);
            FCan.MoveTo(a.x, a.y);
            FCan.LineTo(b.x, b.y);
            break;
        }
        case Op::Polyline:
            FCan.Polyline(Points(s, copy));
            break;
        case Op::Polygon:
            FCan.Polygon(Points(s, copy));
            break;
        case Op::Path: {
            TKXPath path;
            if (s.bezier)
                path.PolyBezier(Points(s, copy));
            else
                path.Polyline(Points(s, copy));
            if (s.pen.kind == PenSpec::Clear)
                FCan.FillPath(path);
            else if (s.brush.kind == BrushSpec::Clear)
                FCan.StrokePath(path);
            else
                FCan.StrokeAndFillPath(path);
            break;
        }
        case Op::Pie:
            FCan.Pie(Box(s, copy), At(s.pts[2], s, copy), At(s.pts[3], s, copy));
            break;
        case Op::Arc:
            FCan.Arc(Box(s, copy), At(s.pts[2], s, copy), At(s.pts[3], s, copy));
            break;
        case Op::Text: {
            // Bold Arial a quarter of the side high, turned with the square.
            TKXFont font;
            font.Name = QStringLiteral("Arial");
            font.Height = FW / 4;
            font.Color = FColors[size_t(Src::F)];
            font.Bold = true;
            font.Escapement = FAngle > 0 ? (FAngle % 360) * 10 : 0;
            FCan.SetFont(font);
            FCan.SetBrush({FColors[size_t(Src::B)], TKXBrushStyle::bsClear});
            FCan.SetBkMode(TKXBkMode::bkTransparent);
            FCan.SetTextCharacterExtra(0);
            const TPoint p = At(s.pts[0], s, copy);
            FCan.TextOut(p.x, p.y, QString::fromLatin1(s.text));
            break;
        }
        }
    }

    TKXCanvas &FCan;
    int32_t FX, FY, FW;
    float FS;          // W / 100 as a float: a design unit on the canvas
    int32_t FAngle;    // 0 when the square does not turn
    bool FTransparent;
    std::array<TColor, 7> FColors; // by Src
};

} // namespace

void TKXSymbol::DrawSymbolNumber(TKXCanvas &Can, int32_t X, int32_t Y, int32_t Width, int32_t Num, TColor FColor,
                                 TColor BColor, TColor FiCol, bool TakeAngle, bool IsLab) const
{
    // Every pictogram starts from a solid pen one unit wide in the first colour.
    TKXPen pen;
    pen.Color = FColor;
    pen.Width = 1;
    Can.SetPen(pen);
    if (Num < 1 || Num > 64)
        return;
    const int32_t angle = TakeAngle && (FAngle == 90 || FAngle == 180 || FAngle == 270) ? FAngle : 0;
    TColor cut = BColor;
    if (IsLab && FOwner && FOwner->BackSurf())
        cut = FOwner->BackSurf()->Color();
    TPictogramPainter(Can, X, Y, Width, angle, FTransparent, FColor, BColor, FiCol, cut)
        .Run(Pictograms()[size_t(Num - 1)]);
}

} // namespace kx
