#include "surface/KXBackLab.h"

#include "document/KXBaseLab.h"
#include "document/KXElement.h"
#include "editor/KXEditor.h"
#include "editor/KXResources.h"
#include "rulers/KXRulers.h"

#include <QPainter>
#include <QPaintEvent>

#include <cstring>

namespace kx::designer {

namespace {

// The glyphs in the order of their numbers.
constexpr std::array<const char *, TKXBackLab::GlyphCount> GlyphNames = {
    "REC_01",      // 0  handle segment kind 2
    "CIR_01",      // 1  handle segment kind 1, one element selected
    "REC_01GR",    // 2  handle segment kind 3
    "DATA",        // 3  marker kind 1: bound to data
    "DATE_TIME",   // 4  marker kind 2: date and time
    "CIR_01GR",    // 5  handle segment kind 1, several selected
    "TRIM_LINE_H", // 6  reference markers kinds 1 .. 5
    "TRIM_LINE_V", // 7
    "EXT_LINE_H",  // 8
    "EXT_LINE_V",  // 9
    "JOIN_LINE",   // 10
    "DESIGN_WIDTH" // 11 handle segment kind 4: a text's design width
};

TPoint LeftTop(const TRect &R) { return {R.Left, R.Top}; }
TPoint RightBottom(const TRect &R) { return {R.Right, R.Bottom}; }

} // namespace

TKXBackLab::TKXBackLab(QWidget *Parent) : QWidget(Parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    // Moves without a button pressed give the hover cursors, the hint and the rulers' line.
    setMouseTracking(true);
    resize(300, 200);
    for (int i = 0; i < GlyphCount; ++i)
        FImgHandles[size_t(i)] = LoadGlyph(QString::fromLatin1(GlyphNames[size_t(i)]));
}

TKXBackLab::~TKXBackLab()
{
    FEditor = nullptr;
    RefLinesArray.clear();
    RefLinesMove.clear();
}

void TKXBackLab::SetBackScreenSize(int32_t W, int32_t H)
{
    FBackScreen = QImage();
    FBaseScreen = QImage();
    FBackOrigin = {};
    FSurfaceSize = QSize(std::max(W, 0), std::max(H, 0));
    FBaseSerial = ~uint64_t(0);
}

void TKXBackLab::SetCursorSlot(int16_t Slot)
{
    FCursorSlot = Slot;
    setCursor(ScreenCursor(Slot));
}

// ---------------------------------------------------------------------------------------
// Painting

void TKXBackLab::DrawGlyph(QPainter &P, int Index, TPoint At, bool Centred) const
{
    const QImage &g = FImgHandles[size_t(Index)];
    if (g.isNull())
        return;
    P.drawImage(Centred ? At.x - 3 : At.x, Centred ? At.y - 3 : At.y, g);
}

// Background, elements and the data marks of the unselected elements: they change only
// when the back or elements layer is drawn again.
void TKXBackLab::ComposeBase()
{
    const QImage &back = FEditor->BackLayer();
    const QImage &ele = FEditor->EleLayer();
    FBaseScreen = QImage(FSurfaceSize, QImage::Format_ARGB32_Premultiplied);
    FBaseScreen.fill(Qt::white);
    QPainter p(&FBaseScreen);
    if (!back.isNull())
        p.drawImage(0, 0, back);
    if (!ele.isNull())
        p.drawImage(0, 0, ele);
    if (const TKXCustomLab *lab = FEditor->Label())
        for (const TKXSim &m : lab->SymbolArray())
            if (m.Tipo == 1 || m.Tipo == 2)
                DrawGlyph(p, m.Tipo == 1 ? 3 : 4, m.Pos, false);
    FBaseSerial = FEditor->BaseLayersSerial();
}

bool TKXBackLab::PaintBackScreen()
{
    if (!FEditor || !FEditor->FDraw)
        return false;
    FEditor->RenderLayers();
    const TKXCustomLab *lab = FEditor->Label();
    if (FSurfaceSize.isEmpty() || !lab)
        return false;
    if (FBaseSerial != FEditor->BaseLayersSerial() || FBaseScreen.size() != FSurfaceSize)
        ComposeBase();
    // The frame: the visible part of the composed base, then the selection over it. The
    // image is reused while the visible part keeps its size.
    const QRect part = FEditor->SelLayerRect().intersected(QRect(QPoint(0, 0), FSurfaceSize));
    if (part.isEmpty())
        return false;
    if (FBackScreen.size() != part.size() || FBackScreen.format() != FBaseScreen.format())
        FBackScreen = QImage(part.size(), FBaseScreen.format());
    FBackOrigin = part.topLeft();
    const qsizetype rowBytes = qsizetype(part.width()) * 4;
    for (int y = 0; y < part.height(); ++y)
        std::memcpy(FBackScreen.scanLine(y), FBaseScreen.constScanLine(part.y() + y) + qsizetype(part.x()) * 4,
                    size_t(rowBytes));
    QPainter p(&FBackScreen);
    // The selection layer covers the same part; the glyphs are placed in surface pixels.
    if (!FEditor->SelLayer().isNull())
        p.drawImage(FEditor->SelLayerRect().topLeft() - FBackOrigin, FEditor->SelLayer());
    p.translate(-FBackOrigin);
    for (const TKXSim &m : lab->SymbolSelArray())
        if (m.Tipo == 1 || m.Tipo == 2)
            DrawGlyph(p, m.Tipo == 1 ? 3 : 4, m.Pos, false);
    const bool several = FEditor->GetSelectedCount() >= 2;
    for (const TKXSel &s : lab->SelectArray()) {
        switch (s.Tipo) {
        case 1:
            DrawGlyph(p, several ? 5 : 1, s.Pos1, true);
            DrawGlyph(p, several ? 5 : 1, s.Pos2, true);
            break;
        case 2:
        case 3:
            DrawGlyph(p, s.Tipo == 2 ? 0 : 2, s.Pos1, false);
            DrawGlyph(p, s.Tipo == 2 ? 0 : 2, s.Pos2, false);
            break;
        case 4:
            DrawGlyph(p, 11, s.Pos1, false);
            break;
        default:
            break;
        }
    }
    for (const TKXSel &s : lab->RefArray()) {
        if (s.Tipo < 1 || s.Tipo > 5)
            continue;
        DrawGlyph(p, 5 + s.Tipo, s.Pos1, true);
        DrawGlyph(p, 5 + s.Tipo, s.Pos2, true);
    }
    return true;
}

void TKXBackLab::DrawGuideLine(QPainter &Painter, TPoint P1, TPoint P2, Qt::PenStyle PenStyle) const
{
    QPen pen(ToQColor(FEditor ? FEditor->MarkColor : 0xFF8E33));
    pen.setStyle(PenStyle);
    pen.setWidth(1);
    Painter.setPen(pen);
    Painter.setBrush(Qt::NoBrush);
    Painter.drawLine(P1.x, P1.y, P2.x, P2.y);
}

void TKXBackLab::paintEvent(QPaintEvent *Event)
{
    // While painting is stopped the screen keeps what it showed.
    PaintBackScreen();
    QPainter p(this);
    if (!QRect(FBackOrigin, FBackScreen.size()).contains(Event->rect()))
        p.fillRect(Event->rect(), Qt::white);
    if (FBackScreen.isNull())
        return;
    p.drawImage(FBackOrigin, FBackScreen);
    for (const TRefPoints &l : RefLinesArray)
        DrawGuideLine(p, l.P1, l.P2, Qt::DotLine);
    for (const TRefPoints &l : RefLinesMove)
        DrawGuideLine(p, l.P1, l.P2, Qt::DotLine);
    if (Drawing && FEditor)
        DrawRubberBand(p, Org, MvPt, FEditor->DrawTool() == TKXDrawTool::dwSelection);
}


// ---------------------------------------------------------------------------------------
// Guide lines

void TKXBackLab::ClearMarks()
{
    DragRect = {};
    RP1 = {};
    RP2 = {};
    R.fill(TRect{});
    RefLinesMove.clear();
    RefLinesArray.clear();
    if (FEditor)
        if (TKXCustomLab *lab = FEditor->Label()) {
            lab->ClearSelectArrays();
            lab->ClearRefArray();
        }
    ChkPts = {-1, -1, -1, -1};
}

void TKXBackLab::LabelRemoved()
{
    ClearMarks();
    DragMod = TKXDrag::drgNone;
    Drag = false;
    Drawing = false;
    Added = false;
    El = nullptr;
    FPressStates.clear();
    SelectRefPts = RefPts = ChkRefPts = {};
    SetBackScreenSize(0, 0);
    update();
}

// Tests a to d: an edge of S on the same line as an edge of O. Each test that holds joins a
// corner of S to a corner of O: (L, T) is a rectangle's left-top corner, (R, B) its
// right-bottom corner; right and bottom of -1 mean a kind placed by one point.
void TKXBackLab::CompareEdges(const TRect &S, const TRect &O, bool Pixels, std::vector<TRefPoints> &Lines,
                              const TRect *Label)
{
    auto toScreen = [&](TPoint P) -> TPoint {
        if (Pixels)
            return P;
        return {FEditor->LabelToScreenX(P.x), FEditor->LabelToScreenY(P.y)};
    };
    auto add = [&](TPoint From, TPoint To) { Lines.push_back({toScreen(From), toScreen(To)}); };
    auto snap = [&](int32_t &Edge, int32_t Value) {
        if (Label && Edge == -1)
            Edge = Value;
    };
    // a: left edge of the selection.
    if (O.Left == S.Left) {
        add(LeftTop(S), LeftTop(O));
        if (Label)
            snap(ChkPts.Left, Label->Left);
    } else if (O.Right > -1 && O.Right == S.Left) {
        add(LeftTop(S), RightBottom(O));
        if (Label)
            snap(ChkPts.Left, Label->Right);
    }
    // b: right edge.
    if (S.Right > -1) {
        if (S.Right == O.Left) {
            add(RightBottom(S), LeftTop(O));
            if (Label)
                snap(ChkPts.Right, Label->Left);
        } else if (O.Right > -1 && O.Right == S.Right) {
            add(RightBottom(S), RightBottom(O));
            if (Label)
                snap(ChkPts.Right, Label->Right);
        }
    }
    // c: top edge.
    if (O.Top == S.Top) {
        add(LeftTop(S), LeftTop(O));
        if (Label)
            snap(ChkPts.Top, Label->Top);
    } else if (O.Bottom > -1 && O.Bottom == S.Top) {
        add(LeftTop(S), RightBottom(O));
        if (Label)
            snap(ChkPts.Top, Label->Bottom);
    }
    // d: bottom edge.
    if (S.Bottom > -1) {
        if (S.Bottom == O.Top) {
            add(RightBottom(S), LeftTop(O));
            if (Label)
                snap(ChkPts.Bottom, Label->Top);
        } else if (O.Bottom > -1 && O.Bottom == S.Bottom) {
            add(RightBottom(S), RightBottom(O));
            if (Label)
                snap(ChkPts.Bottom, Label->Bottom);
        }
    }
}

namespace {

// The one selected element guide lines are built for, or null.
TKXElement *GuideSubject(const TKXCustomEditor *Editor)
{
    if (!Editor || !Editor->Label() || !Editor->ShowLines() || Editor->GetSelectedCount() != 1)
        return nullptr;
    TKXElement *sel = Editor->GetSelect();
    if (!sel || sel->ItemLayout())
        return nullptr; // a layout's column or row item has no guide lines
    return sel;
}

} // namespace

bool TKXBackLab::BuildGuideLines()
{
    TKXElement *sel = GuideSubject(FEditor);
    RefLinesArray.clear();
    if (!sel)
        return false;
    const TKXCustomLab &lab = *FEditor->Label();
    SelectRefPts = sel->GetRect();
    // Front to back, in the label's element order. Exact equality of label units.
    for (int32_t i = 1; i <= lab.ElementCount(); ++i) {
        TKXElement *e = lab.GetElement(i);
        if (e == sel)
            continue;
        RefPts = e->GetRect();
        CompareEdges(SelectRefPts, RefPts, false, RefLinesArray, nullptr);
    }
    return true;
}

bool TKXBackLab::BuildMoveGuides(const TRect &Rect)
{
    TKXElement *sel = GuideSubject(FEditor);
    if (!sel)
        return false;
    const TKXCustomLab &lab = *FEditor->Label();
    SelectRefPts = sel->GetScreenRect(Rect);
    ChkPts = {-1, -1, -1, -1};
    RefLinesArray.clear();
    RefLinesMove.clear();
    // At the pixels of the current zoom; the front-most match of an edge decides its snap.
    for (int32_t i = 1; i <= lab.ElementCount(); ++i) {
        TKXElement *e = lab.GetElement(i);
        if (e == sel)
            continue;
        RefPts = e->GetScreenRect(e->Border());
        const TRect label = e->GetRect();
        const size_t before = RefLinesMove.size();
        CompareEdges(SelectRefPts, RefPts, true, RefLinesMove, &label);
        if (RefLinesMove.size() != before)
            ChkRefPts = label;
    }
    return true;
}

} // namespace kx::designer
